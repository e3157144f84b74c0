// The download dialog against a real jigsaw site on the loopback: the
// download run below it, the login dialog's answers, the server's Basic
// authentication, a wrong password, the other host, and Stop on a stalled
// transfer.
#include "download/dn_site.h"
#include "download/download.h"
#include "download_ui/dn_test_support.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

namespace {

using Kind = RecordingPlatform::Kind;

class DnSite : public DnFixture {
protected:
    void SetUp() override
    {
        DnFixture::SetUp();
        iMaxMainViewW = 1000;
        iMaxMainViewH = 700;
        for (const char* name : {"Alpha", "Beta", "Gamma Ray"})
            WriteJpeg(Thumb(std::string(name) + ".jpg"), 64, 48);
        DnCopySite(site.Path());
    }
    void Serve(const std::vector<std::string>& faults = {})
    {
        ASSERT_TRUE(server.Start(site.Path(), faults));
        sDnSrcAr[0] = server.Host();
        sDnSrcAr[1] = "127.0.0.1:1";  // nobody listens there
        OptP.DnSrc = sDnSrcAr[0];
    }
    // The dialog over the real download run; the login dialog is answered
    // with the next of `passwords` (none left: Cancel).
    MCDownload& Form()
    {
        form = std::make_unique<MCDownload>(nullptr, MakeSessionFetcher());
        form->p_Store.reset();
        form->fnAskLogin = [this](const std::string&, const std::string&, TDnLoginAnswer* a) {
            if (passwords.empty())
                return false;
            *a = {kDnUser, passwords.front(), false};
            passwords.erase(passwords.begin());
            return true;
        };
        form->fnOpenJigsaw = [this](const std::string& path) { opened.push_back(path); };
        return *form;
    }
    void Run(const std::function<void(MCDownload&)>& act)
    {
        MCDownload& d = form ? *form : Form();
        RunWhenShown(d, [&] { act(d); }, [&] { d.ShowForm(false); return 0; }, 120000);
    }
    void Download(MCDownload& d, int mode)
    {
        d.o_Mode->setCurrentIndex(mode);
        QTest::mouseClick(d.o_ButDownload, Qt::LeftButton);
    }

    TempDir site;
    DnServer server;
    std::unique_ptr<MCDownload> form;
    std::vector<std::string> passwords{kDnPassword};
    std::vector<std::string> opened;
};

}  // namespace

TEST_F(DnSite, TheNewJigsawsAreFetchedWithALoginAndTheFirstIsOffered)
{
    Serve();
    WriteFileBytes(Jig("Beta"), {'o', 'l', 'd'});
    Recorder().QueueAnswer(1);  // open the first one
    Run([&](MCDownload& d) {
        Download(d, kDnModeNew);
        for (const ODnListThumb& t : d.o_ScrollView->arListThumbs)
            EXPECT_FALSE(t.bNewJig) << t.sDisplayName;
        QTest::mouseClick(d.o_ButExit, Qt::LeftButton);
    });
    EXPECT_EQ(ReadFileBytes(Jig("Alpha")), DnSiteJigsaw("Alpha"));
    EXPECT_EQ(ReadFileBytes(Jig("Gamma Ray")), DnSiteJigsaw("Gamma Ray"));
    EXPECT_EQ(ReadFileBytes(Jig("Beta")), (std::vector<uint8_t>{'o', 'l', 'd'})) << "present: not new";
    EXPECT_EQ(opened, (std::vector<std::string>{Jig("Alpha")}));
    EXPECT_EQ(Recorder().Count(Kind::Message), 0);
    EXPECT_FALSE(FileExists(FileNames.sJigsPath + "Alpha.rar")) << "the archive is gone";
}

TEST_F(DnSite, AWrongPasswordIsReportedAndAskedForAgain)
{
    Serve();
    passwords = {"wrong", kDnPassword};
    Recorder().QueueAnswer(2);  // not the other host
    Recorder().QueueAnswer(2);  // not opening afterwards
    Run([&](MCDownload& d) {
        Download(d, kDnModeSelected);
        EXPECT_FALSE(FileExists(Jig("Alpha")));
        Download(d, kDnModeSelected);
        QTest::mouseClick(d.o_ButExit, Qt::LeftButton);
    });
    EXPECT_EQ(Recorder().Count(Kind::Message, LangFormat(CaretMesFormat("MS_InvalidLogin"), {""})), 1);
    EXPECT_TRUE(passwords.empty()) << "the refused login is not used again";
    EXPECT_EQ(ReadFileBytes(Jig("Alpha")), DnSiteJigsaw("Alpha"));
}

TEST_F(DnSite, RefusingTheOtherHostKeepsTheSetting)
{
    Serve();
    std::swap(sDnSrcAr[0], sDnSrcAr[1]);
    OptP.DnSrc = sDnSrcAr[0];  // the dead one
    const std::string question = LangFormat(CaretMesFormat("Q_TryAnotherDnSrc"), {sDnSrcAr[0], sDnSrcAr[1]});
    for (const int answer : {2, 1}) {  // No, then Yes
        Recorder().Clear();
        Recorder().QueueAnswer(answer);
        Recorder().QueueAnswer(2);
        Run([&](MCDownload& d) {
            Download(d, kDnModeSelected);
            QTest::mouseClick(d.o_ButExit, Qt::LeftButton);
        });
        EXPECT_EQ(Recorder().Count(Kind::Question, question), 1);
        EXPECT_EQ(OptP.DnSrc, sDnSrcAr[answer == 1 ? 1 : 0]);
    }
    EXPECT_EQ(ReadFileBytes(Jig("Alpha")), DnSiteJigsaw("Alpha"));
}

TEST_F(DnSite, StopEndsAStalledTransferAtOnceAndLeavesNothing)
{
    Serve({"--fault", "stall", "--fault-path", "Alpha"});
    QElapsedTimer clock;
    QTimer watch;  // a timer, not a nested wait: the transfer's own loop must keep turning
    Run([&](MCDownload& d) {
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (d.Fetcher().IsDownloading() && d.DnThumb() == 0) {
                watch.stop();
                clock.start();
                QTest::mouseClick(d.o_ButStop, Qt::LeftButton);
            }
        });
        watch.start(10);
        Download(d, kDnModeAll);
        EXPECT_TRUE(clock.isValid()) << "the stalled transfer was seen";
        EXPECT_LT(clock.elapsed(), 2000);
        EXPECT_TRUE(d.o_ButDownload->isEnabled());
        QTest::mouseClick(d.o_ButExit, Qt::LeftButton);
    });
    EXPECT_EQ(Recorder().Count(Kind::Message), 0);
    EXPECT_FALSE(FileExists(Jig("Alpha")));
    EXPECT_FALSE(FileExists(Jig("Beta"))) << "the walk ended with the stop";
    for (const std::string& f : ListFolderSorted(FileNames.sJigsPath))
        EXPECT_EQ(f.find("Alpha"), std::string::npos) << f << " left behind";
}
