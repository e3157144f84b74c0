// The catalogue "info.dat", the site's addresses and the host tables.
#include "download/download.h"
#include "model/game_state.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TDnInfo Parse(const std::string& text, bool* valid = nullptr)
{
    TDnInfo info;
    const bool ok = DnInfo_Parse(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &info);
    if (valid)
        *valid = ok;
    EXPECT_EQ(ok, info.bValid);
    return info;
}

TEST(DnCatalogue, LinesKeysAndValidity)
{
    struct Case {
        const char* text;
        bool valid;
        const char* ext;
        const char* other;
    } cases[] = {
        {"ext: RAR  \r\n", true, "rar", ""},
        {"ext:zip", true, "zip", ""},
        {"other: hello world \n\rext: 7Z\n", true, "7z", "hello world"},
        {"ext: rar\next: zip\n", true, "zip", ""},             // the last line wins
        {"ext: rar\nother: a\nother: b\n", true, "rar", "b"},
        {"ext: rar:trailing\n", true, "rar", ""},              // the second field only
        {"other: x\n", false, "", ""},                         // no "ext:" at all: not read
        {"", false, "", ""},
        {"EXT: rar\n", false, "", ""},                         // the key is case-sensitive
        {"ext:   \r\n", false, "", ""},                        // an empty extension
        {"ext: ../x\n", false, "../x", ""},                    // not a plain word: never part of a file name
        {"ext: r a r\n", false, "r a r", ""},
        {"ext: abcdefghi\n", false, "abcdefghi", ""},
        {"ext: rar\rother: z\n", false, "rar\rother", ""},    // a lone CR is no line end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        bool valid = false;
        const TDnInfo info = Parse(c.text, &valid);
        EXPECT_EQ(valid, c.valid);
        EXPECT_EQ(info.sExt, c.ext);
        EXPECT_EQ(info.sOther, c.other);
    }
}

TEST(DnCatalogue, TooLargeIsRefusedAndClearForgets)
{
    std::string big = "ext: rar\n" + std::string(kMaxDnCatalogueBytes, ' ');
    EXPECT_FALSE(Parse(big).bValid);
    DnInfo = Parse("ext: rar\n");
    ASSERT_TRUE(DnInfo.bValid);
    DnInfo_Clear();
    EXPECT_FALSE(DnInfo.bValid);
    EXPECT_TRUE(DnInfo.sExt.empty());
}

TEST(DnCatalogue, Addresses)
{
    EXPECT_EQ(DnCatalogueUrl("127.0.0.1:8080"), "http://127.0.0.1:8080/zivra/jigsaws_bemo/info.dat");
    EXPECT_EQ(DnCatalogueUrl("jigsaws.example.org"), "https://jigsaws.example.org/zivra/jigsaws_bemo/info.dat");
    EXPECT_EQ(DnJigsawUrl("localhost:1", "Gamma Ray", "rar"), "http://localhost:1/zivra/jigsaws_bemo/Gamma%20Ray.rar");
    EXPECT_EQ(DnJigsawUrl("h.org", "a%#?\xc3\xa9", "zip"), "https://h.org/zivra/jigsaws_bemo/a%25%23%3F%C3%A9.zip");
}

TEST(DnCatalogue, SafeNames)
{
    for (const char* ok : {"Blinds", "Gamma Ray", "a.b", "\xc3\xa9t\xc3\xa9"})
        EXPECT_TRUE(DnNameIsSafe(ok)) << ok;
    for (const std::string& bad : {std::string(), std::string("."), std::string(".."), std::string(".hidden"),
                                  std::string("a/b"), std::string("../x"), std::string("a\0b", 3),
                                  std::string(201, 'x')})
        EXPECT_FALSE(DnNameIsSafe(bad)) << bad;
}

TEST(DnHosts, LoopbackAndPrefix)
{
    struct Case {
        const char* host;
        bool loopback;
    } cases[] = {
        {"127.0.0.1", true},     {"127.0.0.1:8080", true}, {"127.1.2.3", true},  {"localhost:99", true},
        {"LOCALHOST", true},     {"[::1]:8080", true},     {"::1", true},        {"128.0.0.1", false},
        {"127.0.0.1.evil.org", false}, {"127.0.0", false}, {"127.0.0.256", false}, {"localhost.evil.org", false},
        {"[::2]:80", false},     {"", false},              {"jigsaws.example.org", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host);
        EXPECT_EQ(DnSrcIsLoopback(c.host), c.loopback);
        EXPECT_EQ(DnSrcProtocolPrefix(c.host), c.loopback ? "http://" : "https://");
    }
}

TEST(DnHosts, EnvironmentReplacesTheTablesForOneRun)
{
    const std::string builtPrimary = DnSrcHost(0);
    setenv("ZIVRA_DN_HOSTS", " 127.0.0.1:9000 , mirror.test ", 1);
    setenv("ZIVRA_HOME_SITES", "home.test", 1);
    DnSrc_Init();
    EXPECT_EQ(DnSrcHost(0), "127.0.0.1:9000");
    EXPECT_EQ(DnSrcHost(1), "mirror.test");
    EXPECT_EQ(HomeSiteForInd(0), "home.test/");
    EXPECT_EQ(HomeSiteForInd(1), "home.test/");  // one entry serves as both
    EXPECT_EQ(FindDnSrcIndByAddr("MIRROR.test"), 1);
    EXPECT_EQ(FindDnSrcIndByAddr("other.test"), 0);
    Settings_Default();
    EXPECT_EQ(OptP.DnSrc, "127.0.0.1:9000");
    // A stored host outside the run's table gives way for this run only.
    Settings_ApplyDict({{"DnSrc", "jigsaws.old.example"}});
    EXPECT_EQ(OptP.DnSrc, "127.0.0.1:9000");
    EXPECT_EQ(Settings_ToDict()["DnSrc"], "jigsaws.old.example");
    Settings_ApplyDict({{"DnSrc", "MIRROR.test"}});
    EXPECT_EQ(OptP.DnSrc, "MIRROR.test");

    setenv("ZIVRA_DN_HOSTS", " , ", 1);  // nothing usable: the built-in table
    unsetenv("ZIVRA_HOME_SITES");
    DnSrc_Init();
    EXPECT_EQ(DnSrcHost(0), builtPrimary);
    unsetenv("ZIVRA_DN_HOSTS");
    DnSrc_Init();
}

}  // namespace
