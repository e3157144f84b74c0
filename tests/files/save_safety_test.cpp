// Saving beside other writers: two running games (or a game and the tool)
// sharing one per-user folder, a second instance starting during a save,
// leftovers of killed saves, links and permission bits.
#include "files/files.h"
#include "files/synthetic_game.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The seed of the game a saved file holds; 0 when it does not read.
int32_t SavedSeed(const std::string& path)
{
    OBinReader r;
    TSolveFile s;
    if (!r.OpenFile(path) || !SolveFile_ReadHead(r, &s) || !SolveFile_ReadBody(r, &s))
        return 0;
    return s.GameSeed;
}

// A child that saves its own game `rounds` times to `path` (a new cut each
// time, so every save is a full one); exits 0 when every save said it succeeded.
pid_t StartSaver(const std::string& path, int32_t seed, int rounds)
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    bool ok = true;
    for (int i = 0; i < rounds; ++i) {
        MakeSyntheticGame(90, 70, 40, seed + 2 * i);
        ok = SaveSolveFile(path, false) && ok;
    }
    std::_Exit(ok ? 0 : 1);
}

int Wait(pid_t pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

TEST(SaveSafety, TwoInstancesSavingAtOnceEachGetTheirOwnGame)
{
    std::string error;
    ASSERT_TRUE(FileNames_Create(&error)) << error;
    const std::string a = FileNames.sJigsPath + "a.svm", b = FileNames.sJigsPath + "b.svm";
    // Meanwhile a third instance starts up again and again (its clean-up runs).
    const pid_t starter = fork();
    if (starter == 0) {
        for (int i = 0; i < 400; ++i) {
            std::string e;
            FileNames_Create(&e);
            usleep(500);
        }
        std::_Exit(0);
    }
    for (int pair = 0; pair < 6; ++pair) {
        SCOPED_TRACE(pair);
        const int32_t seedA = 1000 + 100 * pair, seedB = 1001 + 100 * pair;  // odd and even: never equal
        const pid_t pa = StartSaver(a, seedA, 3), pb = StartSaver(b, seedB, 3);
        EXPECT_EQ(Wait(pa), 0);
        EXPECT_EQ(Wait(pb), 0);
        // Each file holds its own saver's last game, whole.
        EXPECT_EQ(SavedSeed(a), seedA + 4);
        EXPECT_EQ(SavedSeed(b), seedB + 4);
    }
    kill(starter, SIGKILL);
    Wait(starter);
    EXPECT_EQ(CountSideFiles(FileNames.sJigsPath), 0);
}

TEST(SaveSafety, AutosaveRuleWaitsOnlyForThisInstancesOwnSave)
{
    std::string error;
    ASSERT_TRUE(FileNames_Create(&error)) << error;
    MakeSyntheticGame(30, 20, 4, 8);
    FileNames.bOpen = true;
    AutoSaveP.bEnabled = true;
    AutoSaveP.bNeedAutoSave = true;
    AutoSaveP.dtStart = 0;
    AutoSaveP.dtInterval = 60;
    ASSERT_TRUE(AutoSave_AcquireLock(nullptr));
    // Another instance's save under way does not hold this one's autosave back.
    OBinWriter other;
    std::string side;
    ASSERT_TRUE(CreateSideFile(FileNames.sJigsPath + "x.svm", "svt", &other, &side));
    EXPECT_TRUE(AutoSave_IsDue(100));
    ASSERT_TRUE(AutoSave_Tick(100));
    EXPECT_EQ(SavedSeed(FileNames.sAutoSaved), 8);
    EXPECT_EQ(FileNames.sTempSolve, "");  // no save of this instance under way any more
    AutoSave_ReleaseLock();
}

TEST(SaveSafety, NextSaveRemovesTheSideFilesOfAKilledSaveOfThatFileOnly)
{
    TempDir dir;
    const std::string path = dir.File("g.svm");
    // Leftovers of killed saves of g.svm (this version's names and older
    // ones), and of another file.
    const std::vector<std::string> mine = {dir.File(".g.svm.0123abcd.svt"), dir.File(".g.svm.89abcdef.part"),
                                           dir.File("g.svm.svt"), dir.File("g.svm.part")};
    const std::string others = dir.File(".h.svm.0123abcd.svt");
    for (const std::string& f : mine)
        ASSERT_TRUE(WriteFileBytes(f, {1}));
    ASSERT_TRUE(WriteFileBytes(others, {1}));
    MakeSyntheticGame(40, 30, 9, 1);
    ASSERT_TRUE(SaveSolveFile(path, false));
    for (const std::string& f : mine)
        EXPECT_FALSE(FileExists(f)) << f;
    EXPECT_TRUE(FileExists(others));
    EXPECT_EQ(SavedSeed(path), 1);
}

TEST(SaveSafety, SavingKeepsPermissionBitsAndWritesThroughLinks)
{
    TempDir dir;
    const std::string real = dir.File("real.svm"), link = dir.File("link.svm"), link2 = dir.File("link2.svm");
    MakeSyntheticGame(40, 30, 9, 1);
    ASSERT_TRUE(SaveSolveFile(real, false));
    ASSERT_EQ(chmod(real.c_str(), 0600), 0);
    ASSERT_EQ(symlink("real.svm", link.c_str()), 0);         // relative
    ASSERT_EQ(symlink(link.c_str(), link2.c_str()), 0);      // a link to the link
    struct Case { const char* what; int32_t seed; mode_t mode; };
    // A full save (another game), then a re-save (the same game moved on),
    // each through the links, with the file's bits changed between them.
    for (const Case& c : {Case{"full save", 3, 0600}, Case{"re-save", 3, 0640}, Case{"full save", 5, 0604}}) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(chmod(real.c_str(), c.mode), 0);
        MakeSyntheticGame(40, 30, 9, c.seed);
        if (std::string(c.what) == "re-save")
            Jigs[0].X += 17;  // a move: the same game, rewritten in place
        ASSERT_TRUE(SaveSolveFile(link2, false));
        struct stat st;
        ASSERT_EQ(lstat(link.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode));
        ASSERT_EQ(lstat(link2.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode));
        ASSERT_EQ(stat(real.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.mode);
        EXPECT_EQ(SavedSeed(real), c.seed);
    }
    EXPECT_EQ(CountSideFiles(dir.Path()), 0);
}

TEST(SaveSafety, SettingsWriteKeepsItsBitsAndLink)
{
    std::string error;
    ASSERT_TRUE(FileNames_Create(&error)) << error;
    TempDir dir;
    const std::string real = dir.File("settings.real");
    ASSERT_TRUE(WriteFileBytes(real, {'x'}));
    ASSERT_EQ(chmod(real.c_str(), 0600), 0);
    ASSERT_EQ(symlink(real.c_str(), FileNames.sSettings.c_str()), 0);
    Settings_Default();
    ASSERT_TRUE(Settings_Write());
    struct stat st;
    ASSERT_EQ(lstat(FileNames.sSettings.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_GT(st.st_size, 100);
}
