#include "files/files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <map>

namespace {

std::string Tool() { return "'" + BinPath("zivra-tool") + "'"; }

std::map<std::string, std::string> Fields(const std::string& out)
{
    std::map<std::string, std::string> m;
    size_t at = 0;
    while (at < out.size()) {
        const size_t nl = out.find('\n', at);
        const std::string line = out.substr(at, nl - at);
        const size_t tab = line.find('\t');
        if (tab != std::string::npos)
            m[line.substr(0, tab)] = line.substr(tab + 1);
        at = nl == std::string::npos ? out.size() : nl + 1;
    }
    return m;
}

}  // namespace

TEST(GameTool, NewGameThenJoinsSavedInPlace)
{
    TempDir dir;
    const std::string jig = SourcePath("resources/jigs_bemo/Daisy.zjg");
    const std::string game = dir.File("daisy.svm");
    std::string out, err;
    ASSERT_EQ(RunCommand(Tool() + " new-game '" + jig + "' '" + game +
                             "' --level 12 --frame 1 --rotate 1 --seed 77 --view 1280x800", &out, &err), 0) << err;
    ASSERT_EQ(RunCommand(Tool() + " show '" + game + "' --play", &out, &err), 0) << err;
    auto f = Fields(out);
    EXPECT_EQ(f["kind"], "saved-game");
    EXPECT_EQ(f["name"], "Daisy");
    EXPECT_EQ(f["seed"], "77");
    EXPECT_EQ(f["frame"], "1");
    EXPECT_EQ(f["rotate"], "1");
    EXPECT_EQ(f["groups"], f["pieces"]);
    EXPECT_EQ(f["play"], "ok");
    const int pieces = std::stoi(f["pieces"]);
    const int64_t size = GetFileSize(game);

    ASSERT_EQ(RunCommand(Tool() + " play '" + game + "' --join 3", &out, &err), 0) << err;
    EXPECT_EQ(Fields(out)["joined"], "3");
    EXPECT_EQ(GetFileSize(game), size);  // saved again in place
    ASSERT_EQ(RunCommand(Tool() + " show '" + game + "'", &out, &err), 0) << err;
    EXPECT_LE(std::stoi(Fields(out)["groups"]), pieces - 3);

    // Joining everything finishes the picture.
    ASSERT_EQ(RunCommand(Tool() + " play '" + game + "' --join " + std::to_string(pieces), &out, &err), 1);
    ASSERT_EQ(RunCommand(Tool() + " show '" + game + "'", &out, &err), 0) << err;
    f = Fields(out);
    EXPECT_EQ(f["groups"], "1");
    EXPECT_EQ(f["solved"], "1");

    // The same seed cuts the same game, byte for byte.
    const std::string again = dir.File("again.svm"), other = dir.File("other.svm");
    ASSERT_EQ(RunCommand(Tool() + " new-game '" + jig + "' '" + again +
                             "' --level 12 --frame 1 --rotate 1 --seed 77 --view 1280x800", &out, &err), 0) << err;
    ASSERT_EQ(RunCommand(Tool() + " new-game '" + jig + "' '" + other +
                             "' --level 12 --frame 1 --rotate 1 --seed 78 --view 1280x800", &out, &err), 0) << err;
    ASSERT_EQ(RunCommand(Tool() + " new-game '" + jig + "' '" + game +
                             "' --level 12 --frame 1 --rotate 1 --seed 77 --view 1280x800", &out, &err), 0) << err;
    EXPECT_EQ(ReadFileBytes(again), ReadFileBytes(game));
    EXPECT_NE(ReadFileBytes(other), ReadFileBytes(game));
}

TEST(GameTool, RefusesWhatItCannotPlay)
{
    TempDir dir;
    std::string out;
    ASSERT_TRUE(WriteFileBytes(dir.File("x.zjg"), {'Z', 'I', 'V'}));
    EXPECT_EQ(RunCommand(Tool() + " new-game '" + dir.File("x.zjg") + "' '" + dir.File("y.svm") + "'", &out), 2);
    EXPECT_FALSE(FileExists(dir.File("y.svm")));
    EXPECT_EQ(RunCommand(Tool() + " play '" + dir.File("x.zjg") + "' --join 1", &out), 2);
    EXPECT_EQ(RunCommand(Tool() + " new-game a.zjg b.svm --level 14", &out), 2);
}
