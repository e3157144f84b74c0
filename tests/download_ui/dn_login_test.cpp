// The download login: where the name and password come from, what is kept
// and remembered, a refusal, and a desktop without a secret store.
#include "download/dialog/dn_login.h"
#include "download_ui/dn_test_support.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

namespace {

class FakeStore : public IDnSecretStore {
public:
    bool Read(std::string* login, std::string* password) override
    {
        ++reads;
        if (held.empty())
            return false;
        return DnUnpackSecret(held, login, password);
    }
    bool Write(const std::string& login, const std::string& password) override
    {
        ++writes;
        if (!reachable)
            return false;
        held = DnPackSecret(login, password);
        return true;
    }
    std::string held;
    bool reachable = true;
    int reads = 0, writes = 0;
};

// The player's part in the login dialog.
struct Player {
    bool answers = true;
    TDnLoginAnswer answer{"ann", "pw", false};
    int asked = 0;
    std::string offeredName;
    TDnAskLogin Ask()
    {
        return [this](const std::string&, const std::string& login, TDnLoginAnswer* a) {
            ++asked;
            offeredName = login;
            if (answers)
                *a = answer;
            return answers;
        };
    }
};

class DnLogin : public testing::Test {
protected:
    void SetUp() override { DnLogin_Reset(); }
};

}  // namespace

TEST_F(DnLogin, KnownCredentialsAreUsedWithoutAsking)
{
    FakeStore store;
    store.held = DnPackSecret("kept", "word");
    Player player;
    ASSERT_TRUE(CheckLoginPassword(&store, player.Ask()));
    EXPECT_EQ(DnLoginP.sLogin, "kept");
    EXPECT_EQ(DnLoginP.sPassword, "word");
    ASSERT_TRUE(CheckLoginPassword(&store, player.Ask()));
    EXPECT_EQ(store.reads, 1) << "the run keeps them in memory";
    EXPECT_EQ(player.asked, 0);
}

TEST_F(DnLogin, TheAnswerIsKeptAndRememberedOnlyWhenAsked)
{
    for (const bool remember : {false, true}) {
        DnLogin_Reset();
        FakeStore store;
        Player player;
        player.answer.remember = remember;
        ASSERT_TRUE(CheckLoginPassword(&store, player.Ask()));
        EXPECT_EQ(player.asked, 1);
        EXPECT_EQ(DnLoginP.sLogin, "ann");
        EXPECT_EQ(store.held, remember ? DnPackSecret("ann", "pw") : "");
        ASSERT_TRUE(CheckLoginPassword(&store, player.Ask()));
        EXPECT_EQ(player.asked, 1) << "asked once a run";
    }
}

TEST_F(DnLogin, CancelGivesNoCredentials)
{
    FakeStore store;
    Player player;
    player.answers = false;
    EXPECT_FALSE(CheckLoginPassword(&store, player.Ask()));
    EXPECT_FALSE(CheckLoginPassword(nullptr, nullptr)) << "nobody to ask";
    EXPECT_TRUE(DnLoginP.sLogin.empty());
}

TEST_F(DnLogin, AStoreThatCannotWriteStillLetsTheDownloadGoOn)
{
    FakeStore store;
    store.reachable = false;
    Player player;
    player.answer.remember = true;
    EXPECT_TRUE(CheckLoginPassword(&store, player.Ask()));
    EXPECT_EQ(store.writes, 1);
    EXPECT_EQ(DnLoginP.sPassword, "pw");
}

TEST_F(DnLogin, ARefusalAsksAgainOfferingTheNameAndIgnoresTheStore)
{
    FakeStore store;
    store.held = DnPackSecret("kept", "stale");
    Player player;
    ASSERT_TRUE(CheckLoginPassword(&store, player.Ask()));
    ForgetLoginPassword();
    EXPECT_TRUE(DnLoginP.sPassword.empty());
    ASSERT_TRUE(CheckLoginPassword(&store, player.Ask()));
    EXPECT_EQ(player.asked, 1);
    EXPECT_EQ(player.offeredName, "kept");
    EXPECT_EQ(store.reads, 1) << "the refused copy is not read again";
    EXPECT_EQ(DnLoginP.sPassword, "pw");
}

TEST(DnSecret, PackedCredentialsComeBackAndForeignValuesAreRefused)
{
    std::string login, password;
    ASSERT_TRUE(DnUnpackSecret(DnPackSecret("ann", "p\nw:x"), &login, &password));
    EXPECT_EQ(login, "ann");
    EXPECT_EQ(password, "p\nw:x");
    for (const char* bad : {"", "no-newline", "\nno-name"})
        EXPECT_FALSE(DnUnpackSecret(bad, &login, &password)) << bad;
}

// The tests run with no secret service: the real store must say no, soon.
TEST(DnSecret, TheDesktopStoreFailsSoftlyWithoutASecretService)
{
    const auto store = MakeKeychainStore(2.0);
    std::string login = "x", password;
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(store->Read(&login, &password));
    store->Write("ann", "pw");  // either way, nothing may hang or throw
    EXPECT_LT(clock.elapsed(), 6000);
}

TEST(DnLoginDialog, OkNeedsANameBasicAuthenticationCanCarry)
{
    MCDnLogin dialog(nullptr);
    dialog.Preset("jigsaws.example", "");
    struct Row { const char* name; bool ok; } rows[] = {{"", false}, {"   ", false}, {"a:b", false}, {"ann", true}};
    for (const Row& r : rows) {
        dialog.o_Login->setText(QString::fromUtf8(r.name));
        EXPECT_EQ(dialog.o_ButOk->isEnabled(), r.ok) << '"' << r.name << '"';
    }
    dialog.o_Password->setText(QStringLiteral("pw"));
    dialog.o_Remember->setChecked(true);
    const TDnLoginAnswer a = dialog.Answer();
    EXPECT_EQ(a.login, "ann");
    EXPECT_EQ(a.password, "pw");
    EXPECT_TRUE(a.remember);
    EXPECT_EQ(dialog.o_Password->echoMode(), QLineEdit::Password);
}
