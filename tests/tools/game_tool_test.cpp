#include "files/files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>


TEST(GameTool, NewGameThenJoinsSavedInPlace)
{
    TempDir dir;
    const std::string jig = SourcePath("resources/jigs_bemo/Daisy.zjg");
    const std::string game = dir.File("daisy.svm");
    std::string out, err;
    ASSERT_EQ(RunCommand(ToolCommand() + " new-game '" + jig + "' '" + game +
                             "' --level 12 --frame 1 --rotate 1 --seed 77 --view 1280x800", &out, &err), 0) << err;
    ASSERT_EQ(RunCommand(ToolCommand() + " show '" + game + "' --play", &out, &err), 0) << err;
    auto f = TabFields(out);
    EXPECT_EQ(f["kind"], "saved-game");
    EXPECT_EQ(f["name"], "Daisy");
    EXPECT_EQ(f["seed"], "77");
    EXPECT_EQ(f["frame"], "1");
    EXPECT_EQ(f["rotate"], "1");
    EXPECT_EQ(f["groups"], f["pieces"]);
    EXPECT_EQ(f["play"], "ok");
    const int pieces = std::stoi(f["pieces"]);
    const int64_t size = GetFileSize(game);

    ASSERT_EQ(RunCommand(ToolCommand() + " play '" + game + "' --join 3", &out, &err), 0) << err;
    EXPECT_EQ(TabFields(out)["joined"], "3");
    EXPECT_EQ(GetFileSize(game), size);  // saved again in place
    ASSERT_EQ(RunCommand(ToolCommand() + " show '" + game + "'", &out, &err), 0) << err;
    EXPECT_LE(std::stoi(TabFields(out)["groups"]), pieces - 3);

    // Joining everything finishes the picture.
    ASSERT_EQ(RunCommand(ToolCommand() + " play '" + game + "' --join " + std::to_string(pieces), &out, &err), 1);
    ASSERT_EQ(RunCommand(ToolCommand() + " show '" + game + "'", &out, &err), 0) << err;
    f = TabFields(out);
    EXPECT_EQ(f["groups"], "1");
    EXPECT_EQ(f["solved"], "1");

    // The same seed cuts the same game, byte for byte.
    const std::string again = dir.File("again.svm"), other = dir.File("other.svm");
    ASSERT_EQ(RunCommand(ToolCommand() + " new-game '" + jig + "' '" + again +
                             "' --level 12 --frame 1 --rotate 1 --seed 77 --view 1280x800", &out, &err), 0) << err;
    ASSERT_EQ(RunCommand(ToolCommand() + " new-game '" + jig + "' '" + other +
                             "' --level 12 --frame 1 --rotate 1 --seed 78 --view 1280x800", &out, &err), 0) << err;
    ASSERT_EQ(RunCommand(ToolCommand() + " new-game '" + jig + "' '" + game +
                             "' --level 12 --frame 1 --rotate 1 --seed 77 --view 1280x800", &out, &err), 0) << err;
    EXPECT_EQ(ReadFileBytes(again), ReadFileBytes(game));
    EXPECT_NE(ReadFileBytes(other), ReadFileBytes(game));
}

TEST(GameTool, RefusesWhatItCannotPlay)
{
    TempDir dir;
    std::string out;
    ASSERT_TRUE(WriteFileBytes(dir.File("x.zjg"), {'Z', 'I', 'V'}));
    EXPECT_EQ(RunCommand(ToolCommand() + " new-game '" + dir.File("x.zjg") + "' '" + dir.File("y.svm") + "'", &out), 2);
    EXPECT_FALSE(FileExists(dir.File("y.svm")));
    EXPECT_EQ(RunCommand(ToolCommand() + " play '" + dir.File("x.zjg") + "' --join 1", &out), 2);
    EXPECT_EQ(RunCommand(ToolCommand() + " new-game a.zjg b.svm --level 14", &out), 2);
}
