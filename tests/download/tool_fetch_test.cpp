// zivra-tool fetch: the headless face of the same download code.
#include "download/dn_site.h"

#include "base/helpers.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(ToolFetch, FetchesRefusesAndRejects)
{
    TempDir site, out;
    DnCopySite(site.Path());
    DnServer server;
    ASSERT_TRUE(server.Start(site.Path()));
    const std::string base = ToolCommand() + " fetch ";
    const std::string login = std::string(" --user ") + kDnUser + " --password " + kDnPassword;
    std::string so, se;

    ASSERT_EQ(RunCommand(base + "'Gamma Ray' --host " + server.Host() + login + " --out '" + out.Path() + "'", &so, &se),
              0) << se;
    const std::vector<uint8_t> jig = DnSiteJigsaw("Gamma Ray");
    EXPECT_EQ(so, "fetched Gamma Ray " + std::to_string(jig.size()) + "\n");
    EXPECT_EQ(ReadFileBytes(out.File("Gamma Ray.zjg")), jig);
    EXPECT_FALSE(FileExists(out.File("info.dat")));
    EXPECT_FALSE(FileExists(out.File("Gamma Ray.rar")));

    struct Case {
        std::string args;
        int status;
        const char* err;
    } cases[] = {
        {"Alpha --host " + server.Host() + " --user player --password nope --out '" + out.Path() + "'", 1, "refused"},
        {"Alpha --host " + server.Host() + " --out '" + out.Path() + "'", 1, "refused"},
        {"Nothing --host " + server.Host() + login + " --out '" + out.Path() + "'", 1, "failed"},
        {"Alpha --host 127.0.0.1:1" + login + " --out '" + out.Path() + "'", 1, "failed"},
        {"Alpha" + login, 2, "--host"},
        {"--host " + server.Host(), 2, "expects"},
        {"../Alpha --host " + server.Host(), 2, "cannot name"},
        {"Alpha --host " + server.Host() + " --user player", 2, "together"},
        {"Alpha --host " + server.Host() + " --out /nonexistent/zivra", 2, "no folder"},
        {"Alpha --host " + server.Host() + " --bogus 1", 2, "unknown option"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        so.clear();
        se.clear();
        EXPECT_EQ(RunCommand(base + c.args, &so, &se), c.status);
        EXPECT_TRUE(so.empty()) << so;
        EXPECT_NE(se.find(c.err), std::string::npos) << se;
    }
    EXPECT_FALSE(FileExists(out.File("Alpha.zjg")));
}

}  // namespace
