// Opening a game of about 4000 pieces (2560 x 1920) in the real game, from
// the process's start to the game's first frame, phase by phase, and the
// game's memory once it is open and idle: first the saved game, then the
// jigsaw it was cut from, cut anew at the same level.
//
// The game runs on a display of its own (Xvfb, 1920 x 1080 by default) with
// ZIVRA_LOG_OPEN set, which makes it mark each step on the monotonic clock
// with the main thread's CPU time; each phase runs from the last mark before
// it to its own, medians over REPEATS starts, in wall time and in the main
// thread's CPU time (on a busy machine the second says more):
//   start .. main        exec, the dynamic loader, static initialisers
//   main .. app          the application object
//   app .. window        the main form, the dialogs, the settings
//   window .. open       the event loop's start: the GL context, the field,
//                        the first frame of the empty field
//   read                 the saved game's bytes, every part checked (read
//                        ahead on a thread of its own while the window comes up)
//   decode               the picture and the mask (a jigsaw: read and decoded)
//   cut                  a jigsaw's cut
//   piece images         cut out and embossed
//   rest of the read     draw order, pockets
//   atlas packing        the strips placed on pages
//   atlas filling        the cells made band by band into the atlas's buffer
//   atlas upload         the piece images dropped to their hit masks (in the
//                        game), then the pages made by GL from the buffer
//   thumbnail texture    the picture at half size, uploaded
//   mask packing         the mask packed into its saved-game form
//   trim, first frame    freed memory returned; the first frame drawn and finished
// By default the game starts as a player starts it, with its splash, which
// stays at least 2 s: the game opens behind it, and "splash gone" says when
// the player gets the window. --no-splash starts without it.
//
// --against NAME=VALUE alternates each start with one that has the variable
// set and prints both (ZIVRA_NO_GL_PRELOAD=1: without the GL driver loaded
// ahead; ZIVRA_NO_HUGE_PAGES=1: the driver's textures and the atlas's buffers on
// 4 KB pages; ZIVRA_VIEW_BLIT=1: the frame blitted to the window, whose
// shaders Mesa compiles anew at every start; a comparison within one run,
// where the machine's load is alike).
//
// Mesa keeps the shaders it compiles in its cache (~/.cache/mesa_shader_cache)
// from one start to the next, so the figures are those of a warm cache, as
// every start but a player's very first one has it (and the first after a
// Mesa upgrade). --cold-shader-cache gives each start an empty cache of its own.
//
// usage: bench_open_game [REPEATS] [--quick] [--game PATH] [--screen WxH] [--no-splash]
//                        [--against NAME=VALUE] [--cold-shader-cache]
#include "game_process.h"
#include "support.h"

#include "files/files.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

double MonotonicS()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The process's anonymous memory in transparent huge pages, MB (the GL
// driver's big textures when the game's huge blocks are on).
double AnonHugeMb(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string key;
    double kb = 0;
    while (in >> key) {
        if (key == "AnonHugePages:") {
            in >> kb;
            break;
        }
        in.ignore(4096, '\n');
    }
    return kb / 1024.0;
}

struct TMark {
    double t = -1, cpu = 0;  // monotonic seconds; the main thread's CPU seconds
};

// The marks of one start: name -> times (a name may come more than once).
std::multimap<std::string, TMark> ReadMarks(const std::string& path)
{
    std::multimap<std::string, TMark> marks;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream l(line);
        std::string tag, name, at, cpuTag;
        TMark m;
        if (l >> tag >> name >> at >> m.t && tag == "mark" && at == "at") {
            if (!(l >> cpuTag >> m.cpu) || cpuTag != "cpu")
                m.cpu = 0;
            marks.emplace(name, m);
        }
    }
    return marks;
}

TMark First(const std::multimap<std::string, TMark>& m, const std::string& name)
{
    const auto it = m.find(name);
    return it == m.end() ? TMark{} : it->second;
}

// Each phase ends at its mark; a phase whose mark the run did not make (a
// saved game is not cut, a jigsaw is not read ahead) takes no time.
struct TPhase {
    const char* label;
    const char* to;  // "": the atlas's filling and upload, split by AtlasSplit
};
constexpr TPhase kPhases[] = {
    {"start .. main", "main"},
    {"main .. app", "app"},
    {"app .. window", "window-shown"},
    {"window .. open", "open-start"},
    {"read", "read"},
    {"decode", "decoded"},
    {"cut", "cut"},
    {"piece images", "piece-images"},
    {"rest of the read", "field-start"},
    {"atlas packing", "atlas-packed"},
    {"atlas filling", ""},
    {"atlas upload", ""},
    {"thumbnail texture", "thumb-texture"},
    {"mask packing", "mask-packed"},
    {"trim", "trimmed"},
    {"first frame", "first-game-frame"},
};
constexpr int kPhaseCount = int(sizeof kPhases / sizeof kPhases[0]);
constexpr int kFillPhase = 10, kUploadPhase = 11;

struct TRun {
    std::vector<double> ms = std::vector<double>(size_t(kPhaseCount), 0.0);
    std::vector<double> cpuMs = std::vector<double>(size_t(kPhaseCount), 0.0);
    double totalMs = 0, totalCpuMs = 0, splashGoneMs = -1, idleMb = 0, idleHugeMb = 0;
    double preloadMs = -1, preloadCpuMs = 0;  // the GL driver loaded ahead on its own thread
    TRssSplit split;
};

// The gaps between the atlas's marks from `from` to "atlas": filling ends
// at each "atlas-band-filled", uploading at each "atlas-band-uploaded" and
// "atlas-page-made" (GL making a page's storage). [0] wall, [1] CPU, ms.
void AtlasSplit(const std::multimap<std::string, TMark>& m, TMark from, double fill[2], double upload[2])
{
    std::vector<std::pair<TMark, int>> ev;  // 0 start / 1 filled / 2 uploaded
    ev.emplace_back(from, 0);
    for (auto [it, end] = m.equal_range("atlas-band-filled"); it != end; ++it)
        ev.emplace_back(it->second, 1);
    for (const char* up : {"atlas-band-uploaded", "atlas-page-made"})
        for (auto [it, end] = m.equal_range(up); it != end; ++it)
            ev.emplace_back(it->second, 2);
    ev.emplace_back(First(m, "atlas"), 2);  // the entries, the images dropped
    std::sort(ev.begin(), ev.end(), [](const auto& a, const auto& b) { return a.first.t < b.first.t; });
    fill[0] = fill[1] = upload[0] = upload[1] = 0;
    for (size_t i = 1; i < ev.size(); ++i) {
        double* to = ev[i].second == 1 ? fill : upload;
        to[0] += (ev[i].first.t - ev[i - 1].first.t) * 1000.0;
        to[1] += (ev[i].first.cpu - ev[i - 1].first.cpu) * 1000.0;
    }
}

bool OneStart(const std::string& gameBin, const std::string& game, bool splash, const std::string& dir, TRun* run)
{
    const std::string log = dir + "/marks.log";
    std::FILE* f = std::fopen(log.c_str(), "w");
    if (!f)
        return false;
    setenv("ZIVRA_LOG_OPEN", "1", 1);
    const double t0 = MonotonicS();
    std::vector<std::string> args{gameBin, game};
    if (!splash)
        args.push_back("--no-splash");
    Child g(args, -1, fileno(f));
    std::fclose(f);
    unsetenv("ZIVRA_LOG_OPEN");
    while (First(ReadMarks(log), "first-game-frame").t < 0 && MonotonicS() - t0 < 120)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    // The splash goes at 2 s at the earliest (a game that does not mark it
    // has let it go before it opened).
    while (splash && First(ReadMarks(log), "splash-hidden").t < 0 && MonotonicS() - t0 < 4)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto m = ReadMarks(log);
    if (First(m, "first-game-frame").t < 0)
        return false;
    std::this_thread::sleep_for(std::chrono::seconds(3));
    run->idleMb = RssMb(g.Pid());
    run->idleHugeMb = AnonHugeMb(g.Pid());
    run->split = RssSplit(g.Pid());
    TMark prev{t0, 0};
    for (int p = 0; p < kPhaseCount; ++p) {
        const TPhase& ph = kPhases[p];
        if (p == kFillPhase) {
            double fill[2], upload[2];
            AtlasSplit(m, prev, fill, upload);
            run->ms[size_t(p)] = fill[0], run->cpuMs[size_t(p)] = fill[1];
            run->ms[size_t(p) + 1] = upload[0], run->cpuMs[size_t(p) + 1] = upload[1];
            if (First(m, "atlas").t >= 0)
                prev = First(m, "atlas");
            continue;
        }
        if (!*ph.to)
            continue;
        const TMark b = First(m, ph.to);
        if (b.t < 0)
            continue;
        run->ms[size_t(p)] = (b.t - prev.t) * 1000.0;
        run->cpuMs[size_t(p)] = (b.cpu - prev.cpu) * 1000.0;
        prev = b;
    }
    const TMark frame = First(m, "first-game-frame");
    run->totalMs = (frame.t - t0) * 1000.0;
    run->totalCpuMs = frame.cpu * 1000.0;
    if (const TMark p = First(m, "renderer-preloaded"); p.t >= 0)
        run->preloadMs = (p.t - t0) * 1000.0, run->preloadCpuMs = p.cpu * 1000.0;
    if (First(m, "splash-hidden").t >= 0)
        run->splashGoneMs = (First(m, "splash-hidden").t - t0) * 1000.0;
    return true;
}

// The jigsaw the saved game came from opens at the same level, unfitted:
// the defaults of a new game, in the player's settings.
bool WriteSettingsForTheSameCut(const std::string& dataHome)
{
    BenchResetAll();
    const std::string folder = dataHome + "/Zivra Jigsaw Bemo/";
    std::system(("mkdir -p '" + folder + "'").c_str());
    FileNames.sSettings = folder + "settings.dat";
    DefJigP.Level = 0;
    DefJigP.FitToScreen = 0;
    const bool ok = Settings_Write();
    BenchResetAll();
    return ok;
}

void PrintRuns(const std::string& title, const std::vector<TRun>& runs, bool splash);

// The environment variable set for the compared starts ("" for none).
struct TAgainst {
    std::string name, value;
};

// Starts the game `starts` times on `game` and prints the medians; with an
// `against` variable, each start is followed by one with it set, and their
// medians come second (alternating keeps a busy machine's drift out of the
// comparison).
bool Measure(const std::string& title, const std::string& gameBin, const std::string& game, bool splash,
             int starts, const std::string& dir, const TAgainst& against, bool coldShaderCache)
{
    std::vector<TRun> runs, againstRuns;
    static int caches = 0;
    for (int r = 0; r < starts; ++r) {
        for (int side = 0; side < (against.name.empty() ? 1 : 2); ++side) {
            if (side == 1)
                setenv(against.name.c_str(), against.value.c_str(), 1);
            if (coldShaderCache)  // a folder not there yet: Mesa makes it empty
                setenv("MESA_SHADER_CACHE_DIR", (dir + "/shader-cache-" + std::to_string(++caches)).c_str(), 1);
            TRun run;
            const bool ok = OneStart(gameBin, game, splash, dir, &run);
            if (coldShaderCache)
                unsetenv("MESA_SHADER_CACHE_DIR");
            if (side == 1)
                unsetenv(against.name.c_str());
            if (!ok) {
                std::fprintf(stderr, "the game did not draw its first frame of %s\n", game.c_str());
                return false;
            }
            (side == 0 ? runs : againstRuns).push_back(run);
        }
    }
    PrintRuns(title, runs, splash);
    if (!againstRuns.empty())
        PrintRuns(title + ", with " + against.name + "=" + against.value, againstRuns, splash);
    return true;
}

void PrintRuns(const std::string& title, const std::vector<TRun>& runs, bool splash)
{
    const int starts = int(runs.size());
    auto median = [&](auto pick) {
        std::vector<double> v;
        for (const TRun& r : runs)
            v.push_back(pick(r));
        return Median(v);
    };
    std::printf("\n%s\n%-20s %9s %9s\n", title.c_str(), "phase", "ms", "cpu ms");
    for (int p = 0; p < kPhaseCount; ++p)
        std::printf("%-20s %9.0f %9.0f\n", kPhases[p].label, median([p](const TRun& r) { return r.ms[size_t(p)]; }),
                    median([p](const TRun& r) { return r.cpuMs[size_t(p)]; }));
    std::printf("%-20s %9.0f %9.0f   (start to the first frame; medians of %d starts)\n", "total",
                median([](const TRun& r) { return r.totalMs; }), median([](const TRun& r) { return r.totalCpuMs; }),
                starts);
    if (median([](const TRun& r) { return r.preloadMs; }) >= 0)
        std::printf("%-20s %9.0f %9.0f   (the GL driver loaded ahead, on its own thread: done at, its CPU)\n",
                    "driver preload", median([](const TRun& r) { return r.preloadMs; }),
                    median([](const TRun& r) { return r.preloadCpuMs; }));
    if (splash)
        std::printf("%-20s %9.0f   (the splash stays at least 2000 ms; the game opens behind it)\n", "splash gone",
                    median([](const TRun& r) { return r.splashGoneMs; }));
    std::printf("idle memory once open: %.0f MB (%.0f MB of it in huge pages)\n",
                median([](const TRun& r) { return r.idleMb; }), median([](const TRun& r) { return r.idleHugeMb; }));
    std::printf("  anonymous (our data, Mesa's textures and buffers) %.0f, the renderer's code (LLVM, DRI, GL) %.0f,\n"
                "  other libraries %.0f, shared memory with X %.0f, other %.0f MB\n",
                median([](const TRun& r) { return r.split.anonMb; }),
                median([](const TRun& r) { return r.split.glCodeMb; }),
                median([](const TRun& r) { return r.split.libsMb; }), median([](const TRun& r) { return r.split.shmMb; }),
                median([](const TRun& r) { return r.split.otherMb; }));
}

}  // namespace

int main(int argc, char** argv)
{
    std::string gameBin = SelfDir() + "/../bin/zivra-jigsaw", screen = "1920x1080";
    bool splash = true, coldShaderCache = false;
    TAgainst against;
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--game" && i + 1 < argc)
            gameBin = argv[++i];
        else if (a == "--screen" && i + 1 < argc)
            screen = argv[++i];
        else if (a == "--no-splash")
            splash = false;
        else if (a == "--cold-shader-cache")
            coldShaderCache = true;
        else if (a == "--against" && i + 1 < argc && std::strchr(argv[i + 1], '=')) {
            const std::string v = argv[++i];
            against = {v.substr(0, v.find('=')), v.substr(v.find('=') + 1)};
        }
        else
            rest.push_back(argv[i]);
    }
    const auto [repeats, quick] = ParseBenchArgs(int(rest.size()), rest.data());
    const int starts = quick ? 1 : repeats;

    TBigGameRun run;
    if (!StartBigGameRun("open", screen, &run))
        return 1;
    const std::string &dir = run.dir, &game = run.game;
    const int pieces = run.pieces;
    const std::string renderer = Renderer(argc, argv);
    const std::string loadBefore = LoadAverage();
    if (!WriteSettingsForTheSameCut(dir)) {
        std::fprintf(stderr, "could not write the settings\n");
        return 1;
    }
    std::printf("open a game: %s screen, %d pieces, %s%s\nrenderer: %s\nshader cache: %s\n", screen.c_str(),
                pieces, gameBin.c_str(), splash ? "" : " --no-splash", renderer.c_str(),
                coldShaderCache ? "cold (an empty one at every start)" : "warm (Mesa's own, kept between starts)");
    const std::string jigsaw = game.substr(0, game.rfind('.')) + ".zjg";
    if (!Measure("the saved game", gameBin, game, splash, starts, dir, against, coldShaderCache) ||
        !Measure("the jigsaw it was cut from, cut anew", gameBin, jigsaw, splash, starts, dir, against,
                 coldShaderCache))
        return 1;
    std::printf("load average before %s, after %s\n", loadBefore.c_str(), LoadAverage().c_str());
    std::system(("rm -rf '" + dir + "'").c_str());
    return 0;
}
