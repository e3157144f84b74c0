// A saving process killed at any moment leaves the old game or the new one,
// whole. Two kinds of trial: strace kills the saver on entry to its N-th call
// of each writing system call (every such point in turn), and a forked saver
// is killed after a random delay (points inside the calls too).
#include "files/synthetic_game.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

const char* kChildEnv = "ZIVRA_CRASH_CHILD";

// The game each mode saves over the old one (seed 1): another game for a full
// save, the same game moved on for a re-save.
void MakeNewGame(bool resave)
{
    MakeSyntheticGame(120, 90, 60, resave ? 1 : 2);
    if (resave) {
        for (int i = 0; i < 60; ++i)
            JigAt(i).X += 3;
        iWeightJig = 5;
    }
}

struct Trial {
    std::vector<uint8_t> oldBytes, newBytes;
    std::string path;
    int oldSeen = 0, newSeen = 0, trials = 0;

    // The file is one of the two games, whole; nothing is left beside it.
    void Check(const char* what)
    {
        const auto now = ReadFileBytes(path);
        ++trials;
        if (now == oldBytes)
            ++oldSeen;
        else if (now == newBytes)
            ++newSeen;
        else
            ADD_FAILURE() << what << ": the file is neither the old nor the new game (" << now.size() << " bytes)";
    }
    void Reset()
    {
        ASSERT_TRUE(WriteFileBytes(path, oldBytes));
        RemoveStaleSideFiles(path.substr(0, path.find_last_of('/')));
    }
};

Trial Prepare(const TempDir& dir, bool resave)
{
    Trial t;
    t.path = dir.File("game.svm");
    MakeSyntheticGame(120, 90, 60, 1);
    EXPECT_TRUE(SaveSolveFile(t.path, false));
    t.oldBytes = ReadFileBytes(t.path);
    MakeNewGame(resave);
    EXPECT_TRUE(SaveSolveFile(dir.File("expected.svm"), false));
    t.newBytes = ReadFileBytes(dir.File("expected.svm"));
    EXPECT_NE(t.oldBytes, t.newBytes);
    return t;
}

}  // namespace

// The saver: does nothing unless started by the trials below.
TEST(SolveFileCrash, Child)
{
    const char* env = std::getenv(kChildEnv);
    if (!env)
        GTEST_SKIP() << "run by the crash trials";
    const std::string arg = env;
    MakeNewGame(arg[0] == 'r');
    std::_Exit(SaveSolveFile(arg.substr(2), false) ? 0 : 1);
}

TEST(SolveFileCrash, KilledAtEveryWritingCallLeavesOldOrNewGame)
{
    if (RunCommand("command -v strace >/dev/null", nullptr) != 0)
        GTEST_SKIP() << "strace is not installed";
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    int total = 0;
    for (bool resave : {false, true}) {
        TempDir dir;
        Trial t = Prepare(dir, resave);
        for (const char* call : {"pwrite64", "fsync", "ftruncate", "copy_file_range", "rename", "unlink"}) {
            for (int n = 1; n < 200; ++n) {
                t.Reset();
                const std::string cmd = std::string(kChildEnv) + "='" + (resave ? "r " : "f ") + t.path +
                                        "' strace -f -qq -o /dev/null -e trace=" + call + " -e inject=" + call +
                                        ":signal=KILL:when=" + std::to_string(n) + " '" + self +
                                        "' --gtest_filter=SolveFileCrash.Child >/dev/null 2>&1";
                const int status = std::system(cmd.c_str());
                t.Check(call);
                if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
                    EXPECT_EQ(ReadFileBytes(t.path), t.newBytes) << call << " " << n;
                    break;  // the save got past every call of this kind
                }
            }
        }
        EXPECT_GT(t.oldSeen, 0);
        EXPECT_GT(t.newSeen, 0);
        total += t.trials;
    }
    EXPECT_GE(total, 30);
    RecordProperty("trials", total);
}

TEST(SolveFileCrash, KilledAtRandomMomentsLeavesOldOrNewGame)
{
    int total = 0;
    for (bool resave : {false, true}) {
        TempDir dir;
        Trial t = Prepare(dir, resave);
        // How long a forked saver takes here, to spread the kills over it.
        auto runSaver = [&]() {
            const pid_t pid = fork();
            if (pid == 0) {
                MakeNewGame(resave);
                _exit(SaveSolveFile(t.path, false) ? 0 : 1);
            }
            return pid;
        };
        t.Reset();
        const auto t0 = std::chrono::steady_clock::now();
        int calib = 0;
        waitpid(runSaver(), &calib, 0);
        const double span = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        ASSERT_TRUE(WIFEXITED(calib) && WEXITSTATUS(calib) == 0);
        SRand(99);
        for (int i = 0; i < 110; ++i) {
            t.Reset();
            const pid_t pid = runSaver();
            const double delay = span * 1.5 * MyRandom(1000) / 1000.0;
            const struct timespec ts = {time_t(delay), long((delay - double(time_t(delay))) * 1e9)};
            nanosleep(&ts, nullptr);
            kill(pid, SIGKILL);
            int status = 0;
            waitpid(pid, &status, 0);
            t.Check(resave ? "re-save" : "full save");
        }
        EXPECT_GT(t.oldSeen, 0) << resave;  // some kills fell before the rename...
        EXPECT_GT(t.newSeen, 0) << resave;  // ...and some after it
        total += t.trials;
    }
    EXPECT_GE(total, 200);
    RecordProperty("trials", total);
}
