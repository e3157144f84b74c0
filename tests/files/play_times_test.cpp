// The per-user record of play times: hostile records, its bounds, and that it
// lives beside the settings, never in the saved game.
#include "files/files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

std::vector<TPlayTimeEntry> ParseFile(const char* name, bool* ok = nullptr)
{
    std::vector<TPlayTimeEntry> out;
    const bool r = PlayTimes_Parse(ReadFileBytes(SourcePath(std::string("tests/inputs/play_times/") + name)), &out);
    if (ok)
        *ok = r;
    return out;
}

}  // namespace

TEST(PlayTimes, HostileRecordsKeepOnlyTheLinesThatRead)
{
    struct Case {
        const char* file;
        bool header;
        std::vector<TPlayTimeEntry> want;
    };
    const Case cases[] = {
        {"good.dat", true, {{"/home/p/Storm.svm", 12, 300}, {"/home/p/a b.svm", -7, 5}}},
        {"crlf.dat", true, {{"/home/p/Storm.svm", 12, 300}}},
        {"wrong_header.dat", false, {}},
        {"bad_lines.dat", true, {{"/ok.svm", 5, 7}}},
        {"duplicate.dat", true, {{"/dup.svm", 1, 10}}},
        {"nul_in_path.dat", true, {}},
        {"truncated.dat", true, {}},
    };
    for (const Case& c : cases) {
        bool ok = false;
        EXPECT_EQ(ParseFile(c.file, &ok), c.want) << c.file;
        EXPECT_EQ(ok, c.header) << c.file;
    }
    EXPECT_EQ(ParseFile("many.dat").size(), kMaxPlayTimes);
    std::vector<TPlayTimeEntry> none;
    EXPECT_FALSE(PlayTimes_Parse({}, &none));
}

TEST(PlayTimes, WrittenRecordsReadBackAndStayBounded)
{
    std::vector<TPlayTimeEntry> e;
    for (int i = 0; i < int(kMaxPlayTimes) + 20; ++i)
        ASSERT_TRUE(PlayTimes_Put(e, "/g/" + std::to_string(i) + ".svm", i, i * 10));
    ASSERT_EQ(e.size(), kMaxPlayTimes);
    EXPECT_EQ(e.front().sPath, "/g/" + std::to_string(kMaxPlayTimes + 19) + ".svm");  // most recent first
    EXPECT_FALSE(PlayTimes_Find(e, "/g/0.svm", 0));                                    // the oldest went
    // Saving the same game again moves it to the front without a second entry.
    ASSERT_TRUE(PlayTimes_Put(e, "/g/50.svm", 50, 999));
    EXPECT_EQ(e.size(), kMaxPlayTimes);
    EXPECT_EQ(e.front(), (TPlayTimeEntry{"/g/50.svm", 50, 999}));
    // Another game under the same name is another entry.
    ASSERT_TRUE(PlayTimes_Put(e, "/g/50.svm", 51, 1));
    EXPECT_EQ(*PlayTimes_Find(e, "/g/50.svm", 50), 999);
    EXPECT_EQ(*PlayTimes_Find(e, "/g/50.svm", 51), 1);
    // Paths the record cannot hold change nothing.
    const auto before = e;
    for (const std::string& bad : {std::string(), std::string("/a\nb"), std::string(kMaxPlayTimePath + 1, 'x'),
                                  std::string("/a\0b", 4)})
        EXPECT_FALSE(PlayTimes_Put(e, bad, 1, 1));
    EXPECT_EQ(e, before);
    std::vector<TPlayTimeEntry> back;
    ASSERT_TRUE(PlayTimes_Parse(PlayTimes_Make(e), &back));
    EXPECT_EQ(back, e);
    EXPECT_LT(PlayTimes_Make(e).size(), kMaxPlayTimesBytes);
}

TEST(PlayTimes, KeptInThePerUserFolderAndAtomically)
{
    TempDir dir;
    const std::string oldXdg = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    setenv("XDG_DATA_HOME", dir.Path().c_str(), 1);
    std::string error;
    ASSERT_TRUE(FileNames_Create(&error)) << error;
    EXPECT_EQ(PlayTime_Load("/x/Storm.svm", 4), 0);
    ASSERT_TRUE(PlayTime_Store("/x/Storm.svm", 4, 125));
    ASSERT_TRUE(PlayTime_Store("/x/Daisy.svm", 9, 7));
    EXPECT_EQ(PlayTime_Load("/x/Storm.svm", 4), 125);
    EXPECT_EQ(PlayTime_Load("/x/Storm.svm", 5), 0);
    EXPECT_EQ(PlayTimesFile(), FileNames.sUserPath + "playtimes.dat");
    // A damaged record is replaced by the next save, not fatal.
    ASSERT_TRUE(WriteFileBytes(PlayTimesFile(), {'j', 'u', 'n', 'k'}));
    EXPECT_EQ(PlayTime_Load("/x/Storm.svm", 4), 0);
    ASSERT_TRUE(PlayTime_Store("/x/Storm.svm", 4, 130));
    EXPECT_EQ(PlayTime_Load("/x/Storm.svm", 4), 130);
    setenv("XDG_DATA_HOME", oldXdg.c_str(), 1);
}
