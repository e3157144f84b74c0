// Dragging a piece in the real game window, as a player does it: the game
// binary on a display of its own (Xvfb, 1920 x 1080 by default, the window
// filling the screen), a saved 2560 x 1920 game of about 4000 pieces, and one
// piece carried in circles by real mouse events (xdotool) for two seconds.
//
// First the time from the game's start to its first frame of the game and
// its memory once idle; then per drag, and the median over REPEATS drags:
//   frame ms   median time between two presented frames during the drag
//   fps        frames presented per second of dragging
//   game ms/f  CPU of the game per frame, all its threads (the software
//              renderer's included)
//   X ms/f     CPU of the X server per frame (it receives every frame)
// with the renderer string and the load average before and after the runs.
// Frame times come from the game's own frame log (ZIVRA_LOG_FRAMES).
//
// usage: bench_drag_window [REPEATS] [--quick] [--game PATH] [--screen WxH]
//   --game    the game binary (default: the one of this build tree), so that
//             an older build can be measured the same way
#include "game_process.h"
#include "support.h"

#include "cutting/cutting.h"
#include "files/files.h"
#include "model/game_state.h"
#include "model/memory_field.h"
#include "model/puzzle.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// ---- The game's state file and frame log ----------------------------------------------------------

struct TPiece {
    int win = 0, layer = 0, x = 0, y = 0, w = 0, h = 0, gx = -1, gy = -1;
};
struct TState {
    bool open = false;
    int viewX = 0, viewY = 0, viewW = 0, viewH = 0;
    std::map<int, TPiece> pieces;
};

TState ReadState(const std::string& path)
{
    TState s;
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
            int j, rot;
            TPiece p;
            l >> j >> p.win >> p.layer >> rot >> p.x >> p.y >> p.w >> p.h >> p.gx >> p.gy;
            s.pieces[j] = p;
        }
    }
    return s;
}

// A piece on the first side whose grip point lies well inside the view and is
// not covered by another piece: the one to carry.
bool FindGrip(const TState& s, int margin, int* gx, int* gy)
{
    for (const auto& [j, a] : s.pieces) {
        if (a.win != 0 || a.gx < s.viewX + margin || a.gy < s.viewY + margin ||
            a.gx >= s.viewX + s.viewW - margin || a.gy >= s.viewY + s.viewH - margin)
            continue;
        const int x = a.gx - s.viewX, y = a.gy - s.viewY;
        bool covered = false;
        for (const auto& [k, b] : s.pieces)
            if (k != j && b.win == 0 && b.layer > a.layer && x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h)
                covered = true;
        if (!covered) {
            *gx = a.gx;
            *gy = a.gy;
            return true;
        }
    }
    return false;
}

// Start times (seconds of the game's clock) of the frames, and of the moves
// handled with a button held, in the order logged.
struct TFrameLog {
    std::vector<double> frames, moves;
};

TFrameLog ReadFrameLog(const std::string& path)
{
    TFrameLog log;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const size_t at = line.rfind(" at ");
        if (at == std::string::npos)
            continue;
        const double t = std::atof(line.c_str() + at + 4);
        if (line.rfind("frame ", 0) == 0)
            log.frames.push_back(t);
        else if (line.rfind("move: ", 0) == 0)
            log.moves.push_back(t);
    }
    return log;
}

// ---- Set-up --------------------------------------------------------------------------------------

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

// ---- One drag ------------------------------------------------------------------------------------

struct TDrag {
    double frameMs = 0, fps = 0, gameCpu = 0, xCpu = 0, frames = 0;
};

// Carries the piece at (gx, gy) round a circle for about `seconds`, one
// mouse move every 8 ms, and puts it back where it was.
TDrag DragOnce(const std::string& display, const std::string& log, pid_t game, pid_t xserver, int gx, int gy,
               double seconds)
{
    const int steps = int(seconds / 0.008);
    std::string cmd = "DISPLAY=" + display + " xdotool mousemove " + std::to_string(gx) + " " + std::to_string(gy) +
                      " sleep 0.3 mousedown 1";
    for (int i = 1; i <= steps; ++i) {
        const double a = 2.0 * M_PI * double(i) / 120.0;  // one turn a second
        const int x = gx + int(std::lround(150.0 * std::sin(a)));
        const int y = gy - 150 + int(std::lround(150.0 * std::cos(a)));
        cmd += " mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.008";
    }
    cmd += " mousemove " + std::to_string(gx) + " " + std::to_string(gy) + " sleep 0.1 mouseup 1 sleep 0.3";
    const size_t framesBefore = ReadFrameLog(log).frames.size();
    const double g0 = CpuMs(game), x0 = CpuMs(xserver);
    const int rc = std::system(cmd.c_str());
    const double g1 = CpuMs(game), x1 = CpuMs(xserver);
    TFrameLog l = ReadFrameLog(log);
    TDrag d;
    if (rc != 0 || l.moves.empty())
        return d;
    const double first = l.moves.back() - seconds, last = l.moves.back();
    std::vector<double> gaps;
    int inDrag = 0;
    for (size_t i = framesBefore; i < l.frames.size(); ++i) {
        if (l.frames[i] < first || l.frames[i] > last)
            continue;
        ++inDrag;
        if (i > framesBefore && l.frames[i - 1] >= first)
            gaps.push_back((l.frames[i] - l.frames[i - 1]) * 1000.0);
    }
    const double drawn = double(l.frames.size() - framesBefore);
    d.frames = drawn;
    d.frameMs = gaps.empty() ? 0 : Median(gaps);
    d.fps = double(inDrag) / (last - first);
    d.gameCpu = drawn > 0 ? (g1 - g0) / drawn : 0;
    d.xCpu = drawn > 0 ? (x1 - x0) / drawn : 0;
    return d;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string gameBin = SelfDir() + "/../bin/zivra-jigsaw", screen = "1920x1080";
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--game" && i + 1 < argc)
            gameBin = argv[++i];
        else if (a == "--screen" && i + 1 < argc)
            screen = argv[++i];
        else
            rest.push_back(argv[i]);
    }
    const auto [repeats, quick] = ParseBenchArgs(int(rest.size()), rest.data());
    const double seconds = quick ? 1.0 : 2.0;

    TBigGameRun run;
    if (!StartBigGameRun("drag", screen, &run))
        return 1;
    const std::string &dir = run.dir, &game = run.game, &display = run.display;
    const int pieces = run.pieces;
    const std::string renderer = Renderer(argc, argv);

    const std::string log = dir + "/frames.log", state = dir + "/state.txt";
    std::FILE* logFile = std::fopen(log.c_str(), "w");
    const std::string loadBefore = LoadAverage();
    std::vector<TDrag> drags;
    // Where a piece lies, from a first run that describes them (describing
    // thousands of pieces after every frame is not free: the measured run
    // does not); the saved game opens with the same layout every time.
    int gx = 0, gy = 0;
    double openMs = 0, idleMb = 0;
    {
        const double t0 = NowMs();
        Child g({gameBin, game, "--state", state});
        while (!ReadState(state).open && NowMs() - t0 < 120000)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        openMs = NowMs() - t0;
        if (!ReadState(state).open || !FindGrip(ReadState(state), 200, &gx, &gy)) {
            std::fprintf(stderr, "the game did not open %s, or shows no piece to carry\n", game.c_str());
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::seconds(3));
        idleMb = RssMb(g.Pid());
    }
    std::printf("drag in the game window: %s screen, %d pieces, %s\nrenderer: %s\n", screen.c_str(), pieces,
                gameBin.c_str(), renderer.c_str());
    {
        setenv("ZIVRA_LOG_FRAMES", "1", 1);
        Child g({gameBin, game}, -1, fileno(logFile));
        // Opened: the empty field's frame and the game's first one are in the log.
        if (!WaitFor([&] { return ReadFrameLog(log).frames.size() >= 2; }, 120000)) {
            std::fprintf(stderr, "the game drew no frame\n");
            return 1;
        }
        // ... and nothing more is drawn for a while: the game is open and idle.
        for (size_t seen = 0, now = 1; seen != now;) {
            seen = ReadFrameLog(log).frames.size();
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            now = ReadFrameLog(log).frames.size();
        }
        std::printf("open: the game's first frame described %.0f ms after the process started (the description\n"
                    "follows that frame within 150 ms); idle memory once open %.0f MB\n",
                    openMs, idleMb);
        std::printf("%5s %9s %6s %10s %8s %7s\n", "drag", "frame ms", "fps", "game ms/f", "X ms/f", "frames");
        for (int r = 0; r < repeats; ++r) {
            const TDrag d = DragOnce(display, log, g.Pid(), run.xvfb->Pid(), gx, gy, seconds);
            std::printf("%5d %9.1f %6.1f %10.1f %8.1f %7.0f\n", r + 1, d.frameMs, d.fps, d.gameCpu, d.xCpu, d.frames);
            std::fflush(stdout);
            drags.push_back(d);
        }
    }
    std::fclose(logFile);
    const TDrag m = MedianRun(drags, {&TDrag::frameMs, &TDrag::fps, &TDrag::gameCpu, &TDrag::xCpu, &TDrag::frames});
    std::printf("%5s %9.1f %6.1f %10.1f %8.1f %7.0f   (medians of %d)\n", "all", m.frameMs, m.fps, m.gameCpu, m.xCpu,
                m.frames, repeats);
    std::printf("load average before %s, after %s\n", loadBefore.c_str(), LoadAverage().c_str());
    std::system(("rm -rf '" + dir + "'").c_str());
    return 0;
}
