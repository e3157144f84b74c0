// The game played as a person plays it: the real binary on the display the
// tests run on, a bundled jigsaw, real mouse drags through xdotool, and
// screenshots of the screen to see the pieces move and join.
#include "base/helpers.h"
#include "shell/shell.h"
#include "support/test_support.h"

#include <QImage>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct TPieceState {
    int win = 0, layer = 0, rot = 0, x = 0, y = 0, w = 0, h = 0, gx = -1, gy = -1, homeX = 0, homeY = 0;
    std::vector<int> nb;
};

struct TGameState {
    bool open = false;
    int viewX = 0, viewY = 0, viewW = 0, viewH = 0;  // global, logical pixels
    std::map<int, TPieceState> pieces;
};

TGameState ReadState(const std::string& path)
{
    TGameState s;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream l(line);
        std::string tag;
        l >> tag;
        if (tag == "open") {
            l >> s.open;
        } else if (tag == "view") {
            l >> s.viewX >> s.viewY >> s.viewW >> s.viewH;
        } else if (tag == "piece") {
            int j;
            TPieceState p;
            l >> j >> p.win >> p.layer >> p.rot >> p.x >> p.y >> p.w >> p.h >> p.gx >> p.gy >> p.homeX >> p.homeY;
            int nb;
            while (l >> nb)
                p.nb.push_back(nb);
            s.pieces[j] = p;
        }
    }
    return s;
}

template <typename Done>
bool WaitFor(Done done, int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

std::string g_display;  // the display the game and xdotool use

int Sh(const std::string& cmd)
{
    std::string out;
    return RunCommand("DISPLAY=" + g_display + " " + cmd, &out);
}

QImage Screenshot(const TempDir& dir, const std::string& name)
{
    const std::string path = dir.File(name);
    Sh("import -window root '" + path + "'");
    return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
}

// Whether a visible window's title is exactly `title`.
bool WindowShown(const std::string& title)
{
    return Sh("xdotool search --onlyvisible --name '^" + title + "$'") == 0;
}

// The titles of the visible windows, for a failure's message: a dialog the
// game is waiting on tells why it went no further.
std::string VisibleTitles()
{
    std::string out;
    RunCommand("DISPLAY=" + g_display +
                   " sh -c 'for w in $(xdotool search --onlyvisible --name .); do xdotool getwindowname $w; done'",
               &out);
    return out;
}

// Waits until two screenshots a moment apart are the same: the game has
// drawn and nothing moves any more.
bool WaitForStillScreen(const TempDir& dir, int ms)
{
    QImage last = Screenshot(dir, "still.png");
    return WaitFor([&] {
        const QImage now = Screenshot(dir, "still.png");
        const bool still = !now.isNull() && now == last;
        last = now;
        return still;
    }, ms);
}

// A child process, ended with the test. outFd: its standard output goes there.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& args, int outFd = -1)
    {
        pid_ = fork();
        if (pid_ == 0) {
            if (outFd >= 0)
                dup2(outFd, 1);
            std::vector<char*> argv;
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
    }
    ~ChildProcess()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status;
            waitpid(pid_, &status, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    bool Running() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }
    void Signal(int sig) const { kill(pid_, sig); }
    // The wait status once it has ended within ms, else -1.
    int WaitEnded(int ms)
    {
        int status = -1;
        for (int waited = 0; pid_ > 0 && waited <= ms; waited += 50) {
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return status;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
};

// A display of its own: other GUI tests may be showing windows on the
// tests' display at the same time, and real mouse events go to whatever
// window lies under the pointer.
class OwnDisplay {
public:
    OwnDisplay()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        server_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"},
            fds[1]);
        close(fds[1]);
        char buf[32] = {};
        const ssize_t n = read(fds[0], buf, sizeof buf - 1);  // the number, once the server is ready
        close(fds[0]);
        if (n > 0)
            name_ = ":" + std::string(buf, size_t(n)).substr(0, std::string(buf, size_t(n)).find('\n'));
    }
    const std::string& Name() const { return name_; }

private:
    std::unique_ptr<ChildProcess> server_;
    std::string name_;
};

bool InView(const TGameState& s, int x, int y, int margin)
{
    return x >= s.viewX + margin && y >= s.viewY + margin && x < s.viewX + s.viewW - margin &&
           y < s.viewY + s.viewH - margin;
}

// Whether a piece drawn above piece j covers its grip point or casts its
// shadow there: then the grip's colour changes once j is joined and lifted to
// the top. (The first side fills the view unscrolled: content points are view
// points.)
bool GripCovered(const TGameState& s, int j)
{
    constexpr int kShadowReach = 8;  // beyond a piece's box, with room to spare
    const TPieceState& a = s.pieces.at(j);
    const int x = a.gx - s.viewX, y = a.gy - s.viewY;
    for (const auto& [k, b] : s.pieces)
        if (k != j && b.win == a.win && b.layer > a.layer && x >= b.x - kShadowReach &&
            x < b.x + b.w + kShadowReach && y >= b.y - kShadowReach && y < b.y + b.h + kShadowReach)
            return true;
    return false;
}

// Two unturned neighbours on the first side, well inside the view, the first
// one free to pick: (dragged, resting).
bool FindPair(const TGameState& s, int* p, int* q)
{
    for (const auto& [j, a] : s.pieces) {
        if (a.rot != 0 || a.win != 0 || !InView(s, a.gx, a.gy, 40) || GripCovered(s, j))
            continue;
        for (int k : a.nb) {
            const auto it = s.pieces.find(k);
            if (k < 0 || it == s.pieces.end() || it->second.rot != 0 || it->second.win != 0 ||
                !InView(s, it->second.gx, it->second.gy, 120))
                continue;
            *p = j;
            *q = k;
            return true;
        }
    }
    return false;
}

}  // namespace

// Each test has a display and a per-user folder of its own; the game runs
// there at 1000 x 700 without the splash and writes its state file.
class PlayAsAPerson : public ::testing::Test {
protected:
    PlayAsAPerson()
    {
        g_display = display.Name();
        setenv("XDG_DATA_HOME", dir.Path().c_str(), 1);
    }
    std::vector<std::string> Game(const std::string& file, const std::string& stateFile) const
    {
        return {"env", "DISPLAY=" + g_display, BinPath("zivra-jigsaw"), file, "--size", "1000x700", "--no-splash",
                "--state", stateFile};
    }
    OwnDisplay display;
    TempDir dir;
    const std::string state = dir.File("state.txt");
};

TEST_F(PlayAsAPerson, RealMouseDragsMoveAndJoinPieces)
{
    ASSERT_FALSE(display.Name().empty()) << "no Xvfb";
    auto game = std::make_unique<ChildProcess>(Game(SourcePath("resources/jigs_bemo/Waterdrop.zjg"), state));
    ASSERT_TRUE(WaitFor([&] { return ReadState(state).open; }, 90000))
        << "the game did not open the jigsaw; windows shown:\n" << VisibleTitles();
    ASSERT_TRUE(WaitForStillScreen(dir, 10000)) << "the game's window never settled";
    const TGameState before = ReadState(state);
    ASSERT_GE(before.pieces.size(), 4u);
    int p = -1, q = -1;
    ASSERT_TRUE(FindPair(before, &p, &q));
    const TPieceState& a = before.pieces.at(p);
    const TPieceState& b = before.pieces.at(q);
    ASSERT_NE(a.layer, b.layer);

    const QImage shot1 = Screenshot(dir, "before.png");
    ASSERT_FALSE(shot1.isNull());
    const QRgb pieceLook = shot1.pixel(a.gx, a.gy);

    // Drag p to its place beside q, 3 pixels off: within the join distance.
    const int dx = b.x + (a.homeX - b.homeX) + 3 - a.x, dy = b.y + (a.homeY - b.homeY) - 2 - a.y;
    Sh("xdotool mousemove " + std::to_string(a.gx) + " " + std::to_string(a.gy) + " mousedown 1");
    for (int i = 1; i <= 10; ++i)
        Sh("xdotool mousemove " + std::to_string(a.gx + dx * i / 10) + " " + std::to_string(a.gy + dy * i / 10));
    Sh("xdotool mouseup 1");

    ASSERT_TRUE(WaitFor([&] {
        const TGameState s = ReadState(state);
        return s.pieces.count(p) && s.pieces.at(p).layer == s.pieces.at(q).layer;
    }, 10000)) << "piece " << p << " dragged by " << dx << "," << dy << " did not join piece " << q;
    const TGameState after = ReadState(state);
    const TPieceState& a2 = after.pieces.at(p);
    const TPieceState& b2 = after.pieces.at(q);
    EXPECT_EQ(a2.x - b2.x, a.homeX - b.homeX);  // snapped into place
    EXPECT_EQ(a2.y - b2.y, a.homeY - b.homeY);

    QImage shot2;
    EXPECT_TRUE(WaitFor([&] {  // the star fades
        shot2 = Screenshot(dir, "after.png");
        return !shot2.isNull() && shot2.pixel(a2.gx, a2.gy) == pieceLook;
    }, 5000));
    // The piece shows at its new place, and the table where it was.
    EXPECT_EQ(shot2.pixel(a2.gx, a2.gy), pieceLook);
    EXPECT_NE(shot2.pixel(a.gx, a.gy), pieceLook);
    ASSERT_TRUE(game->Running());

    // Saved with the keyboard and the save dialog (into the player's folder),
    // then opened again: the joined pair is still joined where it lay.
    const std::string saved = std::string(std::getenv("XDG_DATA_HOME")) + "/Zivra Jigsaw Bemo/played.svm";
    Sh("xdotool search --onlyvisible --class zivra windowfocus");
    Sh("xdotool key ctrl+s");
    ASSERT_EQ(Sh("timeout 15 xdotool search --sync --onlyvisible --name 'Save the Game'"), 0)
        << "the save dialog did not come up";
    Sh("xdotool key ctrl+a");
    Sh("xdotool type --delay 10 played");
    Sh("xdotool key Return");
    ASSERT_TRUE(WaitFor([&] { return FileExists(saved); }, 15000)) << "the game was not saved";
    EXPECT_TRUE(WaitFor([] { return !WindowShown("Save the Game"); }, 10000)) << "the save dialog stayed";
    game.reset();  // one game at a time holds the autosave
    const std::string state2 = dir.File("state2.txt");
    ChildProcess again(Game(saved, state2));
    ASSERT_TRUE(WaitFor([&] { return ReadState(state2).open; }, 60000))
        << "the saved game did not open; windows shown:\n" << VisibleTitles();
    const TGameState reopened = ReadState(state2);
    ASSERT_EQ(reopened.pieces.size(), after.pieces.size());
    EXPECT_EQ(reopened.pieces.at(p).layer, reopened.pieces.at(q).layer);
    EXPECT_EQ(reopened.pieces.at(p).x, a2.x);
    EXPECT_EQ(reopened.pieces.at(p).y, a2.y);
}

// A session that ends (logout, shutdown) sends SIGTERM and then SIGHUP: the
// game keeps its table in the autosave without asking, even with a dialog up.
TEST_F(PlayAsAPerson, TheEndOfTheSessionKeepsTheGameInTheAutosave)
{
    ASSERT_FALSE(display.Name().empty()) << "no Xvfb";
    const std::string autosaved = dir.Path() + "/Zivra Jigsaw Bemo/autosaved.svm";
    ChildProcess game(Game(SourcePath("resources/jigs_bemo/Waterdrop.zjg"), state));
    ASSERT_TRUE(WaitFor([&] { return ReadState(state).open; }, 90000))
        << "the game did not open the jigsaw; windows shown:\n" << VisibleTitles();
    auto inPockets = [](const TGameState& s) {
        int n = 0;
        for (const auto& [j, p] : s.pieces)
            n += p.win >= 2;  // the windows after the two sides are the pockets
        return n;
    };
    ASSERT_EQ(inPockets(ReadState(state)), 0);
    Sh("xdotool search --onlyvisible --class zivra windowfocus");
    Sh("xdotool key ctrl+e");  // the edge pieces go to a pocket: a change to keep
    ASSERT_TRUE(WaitFor([&] { return inPockets(ReadState(state)) > 0; }, 10000)) << "no edge pieces went to a pocket";
    const TGameState changed = ReadState(state);
    Sh("xdotool key ctrl+comma");
    ASSERT_EQ(Sh("timeout 15 xdotool search --sync --onlyvisible --name 'Options'"), 0) << VisibleTitles();
    EXPECT_FALSE(FileExists(autosaved));  // the interval has not passed yet

    game.Signal(SIGTERM);
    game.Signal(SIGHUP);
    const int status = game.WaitEnded(20000);
    ASSERT_NE(status, -1) << "the game did not end; windows shown:\n" << VisibleTitles();
    // Sent back to back, both signals may be pending together, and the
    // kernel then hands over the lower-numbered one (SIGHUP) first.
    EXPECT_TRUE(WIFEXITED(status) &&
                (WEXITSTATUS(status) == 128 + SIGTERM || WEXITSTATUS(status) == 128 + SIGHUP))
        << "wait status " << status;
    ASSERT_TRUE(FileExists(autosaved)) << "the game was not kept";

    const std::string state2 = dir.File("state2.txt");
    ChildProcess again(Game(autosaved, state2));
    ASSERT_TRUE(WaitFor([&] { return ReadState(state2).open; }, 60000))
        << "the autosave did not open; windows shown:\n" << VisibleTitles();
    const TGameState kept = ReadState(state2);
    ASSERT_EQ(kept.pieces.size(), changed.pieces.size());
    for (const auto& [j, p] : changed.pieces)
        EXPECT_EQ(kept.pieces.at(j).win, p.win) << "piece " << j;
}
