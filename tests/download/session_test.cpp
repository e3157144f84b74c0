// The catalogue and jigsaw runs against the loopback server: success, every
// row of the failure table, the hardening faults and Stop.
#include "download/dn_site.h"
#include "download/download.h"
#include "model/game_state.h"

#include "support/test_support.h"

#include <QEventLoop>
#include <QSslSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class DnSessionTest : public testing::Test {
protected:
    void SetUp() override
    {
        DnEnsureApp();
        Download_Reset();
        DnCopySite(site.Path());
        s.sWorkDir = work.Path();
        s.fnCheckLoginPassword = [this](std::string* l, std::string* p) {
            ++logins;
            *l = login;
            *p = password;
            return !login.empty();
        };
        // Generous: a loaded machine must not pass for a stalled server.
        s.limits.iStallMs = 10000;
        s.limits.iCatalogueDeadlineMs = 20000;
        s.limits.iArchiveDeadlineMs = 20000;
    }
    bool Serve(const std::vector<std::string>& args = {})
    {
        if (!server.Start(site.Path(), args))
            return false;
        s.sHost = server.Host();
        return true;
    }
    std::string Jig(const std::string& name) const { return work.File(name + ".zjg"); }
    std::string Archive(const std::string& name) const { return site.Path() + "/zivra/jigsaws_bemo/" + name + ".rar"; }
    std::vector<std::string> WorkFiles() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(work.Path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir site, work;
    DnServer server;
    ODnSession s;
    std::string login = kDnUser, password = kDnPassword;
    int logins = 0;
};

TEST_F(DnSessionTest, FetchesTheCatalogueOnceThenEachJigsaw)
{
    ASSERT_TRUE(Serve());
    int begun = 0, ended = 0;
    qint64 lastReceived = 0, lastExpected = 0;
    QObject::connect(&s, &ODnSession::Begun, [&] { ++begun; });
    QObject::connect(&s, &ODnSession::Ended, [&] { ++ended; });
    QObject::connect(&s, &ODnSession::DataReceived, [&](qint64 r, qint64 e) {
        lastReceived = r;
        lastExpected = e;
    });
    TDnMessage m;
    ASSERT_EQ(s.GetDnInfoIter(&m), kDnOk) << m.Text();
    EXPECT_TRUE(DnInfo.bValid);
    EXPECT_EQ(DnInfo.sExt, "rar");
    EXPECT_EQ(s.GetDnInfoIter(&m), kDnOk);  // reused: no second request
    EXPECT_EQ(server.Requests().size(), 2u);  // the challenge, then the answer

    ASSERT_EQ(s.DownloadJigsaw("Alpha", Jig("Alpha"), &m), kDnOk) << m.Text();
    EXPECT_EQ(ReadFileBytes(Jig("Alpha")), DnSiteJigsaw("Alpha"));
    EXPECT_EQ(lastReceived, lastExpected);
    EXPECT_EQ(lastReceived, qint64(fs::file_size(Archive("Alpha"))));
    ASSERT_EQ(s.DownloadJigsaw("Gamma Ray", Jig("Gamma Ray"), &m), kDnOk) << m.Text();
    EXPECT_EQ(ReadFileBytes(Jig("Gamma Ray")), DnSiteJigsaw("Gamma Ray"));
    EXPECT_TRUE(m.Empty());
    // The first fetched jigsaw is remembered; the archives are gone.
    EXPECT_EQ(FileNames.sFirstDownloadJig, Jig("Alpha"));
    EXPECT_EQ(WorkFiles(), (std::vector<std::string>{"Alpha.zjg", "Gamma Ray.zjg", "info.dat"}));
    EXPECT_EQ(begun, 3);
    EXPECT_EQ(ended, 3);
    EXPECT_FALSE(s.IsDownloading());
}

TEST_F(DnSessionTest, WrongPasswordIsAskedOnceAndReported)
{
    ASSERT_TRUE(Serve());
    password = "wrong";
    TDnMessage m;
    EXPECT_EQ(s.GetDnInfoIter(&m), kDnFailed);
    EXPECT_EQ(m.sKey, "MS_InvalidLogin");
    ASSERT_EQ(m.args.size(), 1u);
    EXPECT_EQ(m.args[0].s, "");
    EXPECT_EQ(s.LastErrorCode(), kDnErrAuthCancelled);
    // The refused answer is not repeated: one bare request, one with the credentials.
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{"/zivra/jigsaws_bemo/info.dat noauth",
                                                           "/zivra/jigsaws_bemo/info.dat auth"}));
    DnInfo = TDnInfo{true, "rar", "", ""};
    EXPECT_EQ(s.DownloadJigsaw("Alpha", Jig("Alpha"), &m), kDnFailed);
    EXPECT_EQ(m.sKey, "MS_InvalidLogin");
    EXPECT_EQ(m.args.at(0).s, "Alpha");
    EXPECT_FALSE(FileExists(Jig("Alpha")));
}

TEST_F(DnSessionTest, WithoutCredentialsNothingIsFetched)
{
    ASSERT_TRUE(Serve());
    login.clear();
    TDnMessage m;
    EXPECT_EQ(s.GetDnInfoIter(&m), kDnNoLogin);
    EXPECT_TRUE(m.Empty());
    DnInfo = TDnInfo{true, "rar", "", ""};
    EXPECT_EQ(s.DownloadJigsaw("Alpha", Jig("Alpha"), &m), kDnNoLogin);
    EXPECT_TRUE(server.Requests().empty());
}

// Faults of the archive's transfer: each fails with a message, the jigsaw
// already present survives, and nothing is left in the folder.
TEST_F(DnSessionTest, TransferFaultsLoseNothing)
{
    DnServer elsewhere;
    ASSERT_TRUE(elsewhere.Start(site.Path()));
    struct Case {
        std::vector<std::string> args;
        int code;
    } cases[] = {
        {{"--fault", "stall"}, kDnErrTimedOut},
        {{"--fault", "big", "--pad", "300000"}, kDnErrTooLarge},
        {{"--fault", "big-undeclared", "--pad", "300000"}, kDnErrTooLarge},
        {{"--fault", "truncate"}, -1},
        {{"--fault", "status500"}, -1},
        {{"--redirect-port", std::to_string(elsewhere.Port())}, kDnErrRedirect},
    };
    const std::vector<uint8_t> present = DnSiteJigsaw("Beta");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1]);
        DnServer srv;
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--fault-path", ".rar"});
        ASSERT_TRUE(srv.Start(site.Path(), args));
        s.sHost = srv.Host();
        ASSERT_TRUE(WriteFileBytes(Jig("Alpha"), present));
        s.limits.iMaxArchiveBytes = 200000;
        s.limits.iStallMs = c.args[1] == "stall" ? 1500 : 10000;
        DnInfo_Clear();
        TDnMessage m;
        ASSERT_EQ(s.GetDnInfoIter(&m), kDnOk) << m.Text();
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(s.DownloadJigsaw("Alpha", Jig("Alpha"), &m), kDnFailed);
        // Far less than the stalled server's minute.
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
        EXPECT_EQ(m.sKey, "MS_DownloadFail");
        EXPECT_FALSE(m.Text().empty());
        if (c.code != -1) {
            EXPECT_EQ(s.LastErrorCode(), c.code) << s.LastError();
        }
        EXPECT_EQ(ReadFileBytes(Jig("Alpha")), present);
        EXPECT_EQ(WorkFiles(), (std::vector<std::string>{"Alpha.zjg", "info.dat"}));
    }
    // The other origin never heard of us, credentials least of all.
    EXPECT_TRUE(elsewhere.Requests().empty());
}

TEST_F(DnSessionTest, RedirectWithinTheSiteIsFollowed)
{
    ASSERT_TRUE(Serve({"--fault", "redirect-same"}));
    TDnMessage m;
    ASSERT_EQ(s.GetDnInfoIter(&m), kDnOk) << m.Text() << " " << s.LastError();
    ASSERT_EQ(s.DownloadJigsaw("Alpha", Jig("Alpha"), &m), kDnOk) << m.Text() << " " << s.LastError();
    EXPECT_EQ(ReadFileBytes(Jig("Alpha")), DnSiteJigsaw("Alpha"));
}

TEST_F(DnSessionTest, StopEndsTheTransferAtOnce)
{
    ASSERT_TRUE(Serve({"--fault", "slow", "--fault-path", ".rar"}));
    TDnMessage m;
    ASSERT_EQ(s.GetDnInfoIter(&m), kDnOk) << m.Text();
    qint64 atStop = -1, expected = 0, afterStop = 0;
    QObject::connect(&s, &ODnSession::DataReceived, [&](qint64 received, qint64 e) {
        if (atStop < 0) {
            atStop = received;
            expected = e;
            s.Stop();
        } else {
            ++afterStop;
        }
    });
    EXPECT_EQ(s.DownloadJigsaw("Beta", Jig("Beta"), &m), kDnFailed);
    EXPECT_GT(atStop, 0);
    EXPECT_LT(atStop, expected);  // stopped mid-way, and nothing came after
    EXPECT_EQ(afterStop, 0);
    EXPECT_TRUE(m.Empty());  // Stop says nothing
    EXPECT_TRUE(s.StopPressed());
    EXPECT_FALSE(s.IsDownloading());
    EXPECT_EQ(WorkFiles(), std::vector<std::string>{"info.dat"});
    // While the flag stands nothing starts; cleared, the fetch works.
    EXPECT_EQ(s.DownloadJigsaw("Alpha", Jig("Alpha"), &m), kDnFailed);
    s.ClearStop();
    QObject::disconnect(&s, &ODnSession::DataReceived, nullptr, nullptr);
    EXPECT_EQ(s.DownloadJigsaw("Alpha", Jig("Alpha"), &m), kDnOk) << m.Text();
}

TEST_F(DnSessionTest, CatalogueFaults)
{
    ASSERT_TRUE(Serve());
    const std::string info = site.Path() + "/zivra/jigsaws_bemo/info.dat";
    struct Case {
        std::string text;
        const char* key;
    } cases[] = {
        {"other: no kind here\n", ""},  // an invalid catalogue fails silently
        {"ext:  \r\n", ""},
        {"ext: rar\n" + std::string(70000, '#'), "MS_DownloadFail"},  // over the cap
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        ASSERT_TRUE(WriteFileBytes(info, std::vector<uint8_t>(c.text.begin(), c.text.end())));
        DnInfo_Clear();
        TDnMessage m;
        EXPECT_EQ(s.GetDnInfoIter(&m), kDnFailed);
        EXPECT_EQ(m.sKey, c.key);
        EXPECT_FALSE(DnInfo.bValid);
    }
    TDnMessage m;
    EXPECT_EQ(s.DownloadJigsaw("Alpha", Jig("Alpha"), &m), kDnFailed);  // no catalogue, no fetch
}

TEST_F(DnSessionTest, TheOtherHostIsOfferedAndTheSettingChangesOnlyOnYes)
{
    ASSERT_TRUE(Serve());
    s.sHost.clear();  // the game's way: the setting names the host
    sDnSrcAr[0] = "127.0.0.1:1";  // nobody listens there
    sDnSrcAr[1] = server.Host();
    OptP.DnSrc = sDnSrcAr[0];
    std::vector<std::string> shown, asked;
    const auto show = [&](const TDnMessage& m) { shown.push_back(m.sKey); };
    EXPECT_FALSE(s.GetDnInfo(
        [&](const std::string& cur, const std::string& other) {
            asked.push_back(cur + ">" + other);
            return false;
        },
        show));
    EXPECT_EQ(OptP.DnSrc, sDnSrcAr[0]);
    EXPECT_EQ(shown, std::vector<std::string>{"MS_DownloadFail"});
    EXPECT_EQ(asked, std::vector<std::string>{sDnSrcAr[0] + ">" + sDnSrcAr[1]});

    EXPECT_TRUE(s.GetDnInfo([](const std::string&, const std::string&) { return true; }, show));
    EXPECT_EQ(OptP.DnSrc, sDnSrcAr[1]);
    EXPECT_TRUE(DnInfo.bValid);

    // No credentials is not retried on the other host.
    DnInfo_Clear();
    login.clear();
    int asks = 0;
    EXPECT_FALSE(s.GetDnInfo([&](const std::string&, const std::string&) { return ++asks, true; }, show));
    EXPECT_EQ(asks, 0);
}

TEST_F(DnSessionTest, UnusableAddressesAndNames)
{
    ASSERT_TRUE(Serve());
    s.sHost = "bad host";
    TDnMessage m;
    EXPECT_EQ(s.GetDnInfoIter(&m), kDnFailed);
    EXPECT_EQ(m.sKey, "MS_InvalidUrl");
    EXPECT_EQ(m.args.at(0).s, "https://bad host/zivra/jigsaws_bemo/info.dat");

    s.sHost = server.Host();
    s.sWorkDir = work.File("no/such/folder");  // the download cannot be stored: a failure, not a bad address
    EXPECT_EQ(s.GetDnInfoIter(&m), kDnFailed);
    EXPECT_EQ(m.sKey, "MS_DownloadFail");
    EXPECT_TRUE(server.Requests().empty());

    s.sWorkDir = work.Path();
    ASSERT_EQ(s.GetDnInfoIter(&m), kDnOk);
    for (const char* name : {"../Alpha", ".hidden", "a/b"})
        EXPECT_EQ(s.DownloadJigsaw(name, Jig("x"), &m), kDnFailed) << name;
    EXPECT_EQ(server.Requests().size(), 2u);  // only the catalogue's

    // Plain HTTP only to this computer; the transfer refuses other hosts.
    ODnTransfer t;
    TDnRequest r;
    r.sUrl = "http://jigsaws.example.org/x.rar";
    r.sDestPath = work.File("x.rar");
    std::string why;
    EXPECT_FALSE(t.Start(r, &why));
    EXPECT_FALSE(why.empty());
    r.sUrl = "ftp://127.0.0.1/x.rar";
    EXPECT_FALSE(t.Start(r, &why));
}

// Every real host is reached over HTTPS: TLS must be there, and a failed
// handshake is a failure (here: HTTPS spoken to a plain HTTP server).
TEST_F(DnSessionTest, TlsIsAvailableAndItsErrorsFail)
{
    EXPECT_TRUE(QSslSocket::supportsSsl()) << QSslSocket::activeBackend().toStdString();
    ASSERT_TRUE(Serve());
    ODnTransfer t;
    TDnRequest r;
    r.sUrl = "https://" + server.Host() + "/zivra/jigsaws_bemo/info.dat";
    r.sDestPath = work.File("info.dat");
    r.iStallMs = 5000;
    QEventLoop loop;
    int code = 0;
    QObject::connect(&t, &ODnTransfer::Failed, [&](const QString&, int c) {
        code = c;
        loop.quit();
    });
    QObject::connect(&t, &ODnTransfer::Finished, [&] { loop.quit(); });
    std::string why;
    ASSERT_TRUE(t.Start(r, &why)) << why;
    loop.exec();
    EXPECT_NE(code, 0);
    EXPECT_NE(code, kDnErrTimedOut);
    EXPECT_FALSE(FileExists(r.sDestPath));
}

TEST_F(DnSessionTest, AnArchiveHoldingNoJigsawKeepsThePresentOne)
{
    const std::vector<uint8_t> bad = ReadFileBytes(SourcePath("tests/inputs/dn_unpack/two_files.rar"));
    // A RAR whose only file is text: made by our writer through the fixture tool's layout.
    ASSERT_EQ(RunCommand("python3 -c \"import sys; sys.path.insert(0, '" + SourcePath("tools/jigsaw-site") +
                             "'); import rar4; rar4.write_rar4('" + Archive("Alpha") +
                             "', [('Alpha.zjg', b'plain text')])\"",
                         nullptr),
              0);
    ASSERT_TRUE(Serve());
    const std::vector<uint8_t> present = DnSiteJigsaw("Beta");
    ASSERT_TRUE(WriteFileBytes(Jig("Alpha"), present));
    TDnMessage m;
    ASSERT_EQ(s.GetDnInfoIter(&m), kDnOk);
    EXPECT_EQ(s.DownloadJigsaw("Alpha", Jig("Alpha"), &m), kDnFailed);
    EXPECT_TRUE(m.bEnglish);
    EXPECT_EQ(m.Text().rfind("Failed to unpack archive ", 0), 0u) << m.Text();
    EXPECT_EQ(ReadFileBytes(Jig("Alpha")), present);
    EXPECT_TRUE(FileExists(work.File("Alpha.rar")));  // the archive stays for a look
    EXPECT_TRUE(FileNames.sFirstDownloadJig.empty());
    (void)bad;
}

}  // namespace
