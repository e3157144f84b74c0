// The download dialog as the player meets it, over a fetcher without a
// network: the modes and what each fetches, the overwrite question, Stop,
// closing during a walk, the offer to open the first jigsaw fetched, and the
// translation. Questions are answered and messages noted by the recorder.
#include "download_ui/dn_test_support.h"

#include "model/game_state.h"
#include "support/dialog_wait.h"
#include "shell/open_dialog.h"
#include "shell/open_game.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace {

using Kind = RecordingPlatform::Kind;

class DnForm : public DnFixture {
protected:
    void SetUp() override
    {
        DnFixture::SetUp();
        iMaxMainViewW = 1000;
        iMaxMainViewH = 700;
        for (const char* f : {"Apple.jpg", "Birch.jpg", "Cliff.jpg"})
            WriteJpeg(Thumb(f), 64, 48);
    }
    // The dialog over a fresh fake fetcher; credentials are known, no store.
    MCDownload& Form()
    {
        auto f = std::make_unique<FakeFetcher>();
        fake = f.get();
        form = std::make_unique<MCDownload>(nullptr, std::move(f));
        form->p_Store.reset();
        form->fnAskLogin = [this](const std::string&, const std::string&, TDnLoginAnswer* a) {
            ++asked;
            if (!loginGiven)
                return false;
            *a = {"ann", "secret", false};
            return true;
        };
        form->fnOpenJigsaw = [this](const std::string& path) { opened.push_back(path); };
        return *form;
    }
    // Shows the dialog; once it is up, `act` plays the player's part. A
    // dialog still open 10 s later is closed.
    void Run(const std::function<void(MCDownload&)>& act, bool autoStart = false)
    {
        MCDownload& d = form ? *form : Form();
        RunWhenShown(d, [&] { act(d); }, [&] { d.ShowForm(autoStart); return 0; });
    }
    void SetMode(MCDownload& d, int mode) { d.o_Mode->setCurrentIndex(mode); }
    // Shows the dialog, downloads in `mode` and closes it.
    void DownloadAndClose(int mode)
    {
        Run([&](MCDownload& d) {
            SetMode(d, mode);
            Click(d.o_ButDownload);
            Click(d.o_ButExit);
        });
    }
    void Click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    void Present(const std::string& name) { WriteFileBytes(Jig(name), {'O', 'L', 'D'}); }

    std::unique_ptr<MCDownload> form;
    FakeFetcher* fake = nullptr;
    bool loginGiven = true;
    int asked = 0;
    std::vector<std::string> opened;
};

}  // namespace

TEST(DnModeProblem, EachModeNeedsSomethingToDo)
{
    std::vector<ODnListThumb> none, present(2), mixed(2);
    present[0].bNewJig = present[1].bNewJig = false;
    mixed[0].bNewJig = false;
    struct Row { const std::vector<ODnListThumb>* list; int mode, sel; const char* problem; } rows[] = {
        {&none, kDnModeAll, -1, "MS_ListEmpty"},  {&none, kDnModeSelected, 0, "MS_ListEmpty"},
        {&present, kDnModeNew, 0, "MS_NoNewJigs"}, {&mixed, kDnModeNew, -1, ""},
        {&present, kDnModeSelected, -1, "MS_SelJigsaw"}, {&present, kDnModeSelected, 1, ""},
        {&present, kDnModeAll, -1, ""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(DnModeProblem(*r.list, r.mode, r.sel), r.problem) << "mode " << r.mode << " sel " << r.sel;
    EXPECT_EQ(DnWalkEntries(mixed, kDnModeNew), (std::vector<int>{1}));
    EXPECT_EQ(DnWalkEntries(mixed, kDnModeAll), (std::vector<int>{0, 1}));
}

TEST_F(DnForm, NewModeWithEverythingPresentFetchesNothingNotEvenTheCatalogue)
{
    for (const char* n : {"Apple", "Birch", "Cliff"})
        Present(n);
    DownloadAndClose(kDnModeNew);
    EXPECT_EQ(Recorder().Count(Kind::Message, LangGetKeyVal("MS_NoNewJigs")), 1);
    EXPECT_EQ(fake->catalogueFetches, 0);
    EXPECT_EQ(asked, 0) << "no login is asked for either";
    EXPECT_EQ(Recorder().Count(Kind::Question), 0) << "nothing fetched: nothing offered on closing";
    EXPECT_TRUE(opened.empty());
}

TEST_F(DnForm, SelectedModeAsksBeforeReplacingAPresentJigsaw)
{
    Present("Birch");
    const std::string question = LangFormat(CaretMesFormat("Q_OverwriteFile"), {"Birch"});
    for (const int answer : {2, 1}) {  // Cancel, then OK
        Recorder().Clear();
        Recorder().QueueAnswer(answer);
        Recorder().QueueAnswer(2);  // and no opening afterwards
        Run([&](MCDownload& d) {
            SetMode(d, kDnModeSelected);
            d.o_ScrollView->SetSelection(1);
            Click(d.o_ButDownload);
            Click(d.o_ButExit);
        });
        EXPECT_EQ(Recorder().Count(Kind::Question, question), 1) << answer;
    }
    EXPECT_EQ(fake->catalogueFetches, 1) << "Cancel fetches nothing, not even the catalogue";
    EXPECT_EQ(fake->fetched, (std::vector<std::string>{"Birch"}));
    EXPECT_EQ(ReadFileBytes(Jig("Birch")), (std::vector<uint8_t>{'Z', 'J', 'G'}));
}

TEST_F(DnForm, ClosingAfterTwoFetchesOffersTheFirst)
{
    Present("Apple");
    for (const int answer : {1, 2}) {
        Recorder().Clear();
        Recorder().QueueAnswer(answer);
        DownloadAndClose(kDnModeNew);
        std::remove(Jig("Birch").c_str());
        std::remove(Jig("Cliff").c_str());
        EXPECT_EQ(Recorder().Count(Kind::Question, CaretMesFormat("Q_OpenFirstJigsaw")), 1);
    }
    EXPECT_EQ(fake->fetched, (std::vector<std::string>{"Birch", "Cliff", "Birch", "Cliff"}));
    EXPECT_EQ(opened, (std::vector<std::string>{Jig("Birch")})) << "opened on OK only";
    EXPECT_EQ(fake->catalogueClears, 2) << "every showing fetches the catalogue anew";
}

TEST_F(DnForm, StopDuringAWalkEndsItAfterTheRunningTransfer)
{
    Form();
    fake->waitMs = 5000;
    bool busyControls = false;
    fake->duringTransfer = [&](const std::string&) {
        QTimer::singleShot(50, [&] {
            busyControls = !form->o_ButDownload->isEnabled() && !form->o_ButExit->isEnabled() &&
                           !form->o_Mode->isEnabled() && form->o_ButStop->isEnabled();
            Click(form->o_ButStop);
        });
    };
    QElapsedTimer clock;
    clock.start();
    Run([&](MCDownload& d) {
        SetMode(d, kDnModeAll);
        Click(d.o_ButDownload);
        EXPECT_TRUE(d.o_ButDownload->isEnabled());
        EXPECT_FALSE(d.o_ButStop->isEnabled());
        EXPECT_EQ(d.o_Progress->value(), 0);
        Click(d.o_ButExit);
    });
    EXPECT_LT(clock.elapsed(), 4000) << "Stop answers at once";
    EXPECT_TRUE(busyControls);
    EXPECT_EQ(fake->attempted, (std::vector<std::string>{"Apple"}));
    EXPECT_TRUE(fake->fetched.empty());
    EXPECT_EQ(Recorder().Count(Kind::Message), 0) << "a stop is no failure to report";
    EXPECT_FALSE(FileExists(Jig("Apple")));
}

TEST_F(DnForm, ClosingTheWindowDuringAWalkStopsItAndCloses)
{
    Form();
    fake->waitMs = 5000;
    fake->duringTransfer = [&](const std::string&) { QTimer::singleShot(50, [&] { form->close(); }); };
    Run([&](MCDownload& d) {
        SetMode(d, kDnModeAll);
        Click(d.o_ButDownload);
    });
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(fake->attempted.size(), 1u);
}

TEST_F(DnForm, AFailedTransferEndsTheWalk)
{
    Form();
    fake->failNames = {"Birch"};
    DownloadAndClose(kDnModeAll);
    EXPECT_EQ(fake->attempted, (std::vector<std::string>{"Apple", "Birch"}));
    EXPECT_EQ(opened, (std::vector<std::string>{Jig("Apple")}));
}

TEST_F(DnForm, ThePreviewFollowsTheWalkAndReturnsToTheSelection)
{
    Form();
    std::vector<std::string> captions;
    fake->duringTransfer = [&](const std::string&) { captions.push_back(form->o_ThumbCap->text().toStdString()); };
    Recorder().QueueAnswer(2);
    Run([&](MCDownload& d) {
        d.o_ScrollView->SetSelection(1);
        SetMode(d, kDnModeAll);
        Click(d.o_ButDownload);
        EXPECT_EQ(d.o_ThumbCap->text().toStdString(), "Birch");
        Click(d.o_ButExit);
    });
    EXPECT_EQ(captions, (std::vector<std::string>{"Apple", "Birch", "Cliff"}));
}

TEST_F(DnForm, CancelledLoginFetchesNothing)
{
    loginGiven = false;
    DownloadAndClose(kDnModeAll);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(fake->attempted.empty());
    EXPECT_EQ(Recorder().Count(Kind::Question), 0);
}

TEST_F(DnForm, AutoStartFetchesTheNewJigsawsAndHoldsTheAutosave)
{
    Present("Cliff");
    bool held = false;
    Form().fnOpenJigsaw = [&](const std::string&) {};
    fake->duringTransfer = [&](const std::string&) { held = bAutoSaveDoProc; };
    Recorder().QueueAnswer(2);
    Run(
        [&](MCDownload& d) {
            SetMode(d, kDnModeAll);  // the automatic start chooses the new jigsaws itself
            ASSERT_TRUE(WaitUntil([&] { return fake->fetched.size() == 2; }));
            Click(d.o_ButExit);
        },
        true);
    EXPECT_EQ(fake->fetched, (std::vector<std::string>{"Apple", "Birch"}));
    EXPECT_TRUE(held);
    EXPECT_FALSE(bAutoSaveDoProc);
}

TEST_F(DnForm, TranslationKeepsTheChosenMode)
{
    MCDownload& d = Form();
    SetMode(d, kDnModeAll);
    ASSERT_TRUE(ReadLangFile(LangMesFile("russian")));
    EXPECT_EQ(d.o_Mode->currentIndex(), kDnModeAll);
    EXPECT_EQ(d.o_Mode->itemText(kDnModeAll).toStdString(), LangGetKeyVal("CB_DownMode2"));
    EXPECT_EQ(d.o_ButDownload->text().toStdString(), LangGetKeyVal("B_Download"));
    EXPECT_NE(LangGetKeyVal("B_Download"), "Download");
}

TEST_F(DnForm, TheProgressBarFollowsTheTransfer)
{
    Form();
    int shown = -1, range = -1;
    fake->duringTransfer = [&](const std::string&) {
        fake->ui.fnProgress(250, 1000);
        shown = form->o_Progress->value();
        range = form->o_Progress->maximum();
    };
    Recorder().QueueAnswer(2);
    DownloadAndClose(kDnModeSelected);
    EXPECT_EQ(shown, 250);
    EXPECT_EQ(range, 1000);
    EXPECT_EQ(form->o_Progress->value(), 0) << "reset when the transfer ends";
}

// The shell's road: File > Download shows the dialog, and the first jigsaw
// fetched comes up in the open dialog once the player agrees.
TEST_F(DnForm, TheFirstJigsawFetchedComesUpInTheOpenDialog)
{
    ShellInstallFileHooks();
    auto f = std::make_unique<FakeFetcher>();
    fake = f.get();
    fake->fileBytes = ReadFileBytes(SourcePath("resources/jigs_bemo/Daisy.zjg"));
    ASSERT_FALSE(fake->fileBytes.empty());
    MCDownload* d = CreateDownloadForm(nullptr, std::move(f));
    d->p_Store.reset();
    d->fnAskLogin = [](const std::string&, const std::string&, TDnLoginAnswer* a) {
        *a = {"ann", "pw", false};
        return true;
    };
    std::string preset;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (g_OpenForm && g_OpenForm->isVisible()) {
            preset = g_OpenForm->FileName();
            g_OpenForm->done(0);
        } else if (d->isVisible() && d->o_ButExit->isEnabled()) {
            if (fake->fetched.empty()) {
                d->o_Mode->setCurrentIndex(kDnModeNew);
                QTest::mouseClick(d->o_ButDownload, Qt::LeftButton);
            } else {
                QTest::mouseClick(d->o_ButExit, Qt::LeftButton);
            }
        }
    });
    poll.start(10);
    Recorder().QueueAnswer(1);
    ShellShowDownload();
    poll.stop();
    EXPECT_EQ(fake->fetched.size(), 3u);
    EXPECT_EQ(preset, "Apple.zjg");
    FreeDownloadForm();
    EXPECT_EQ(g_DnForm, nullptr);
}
