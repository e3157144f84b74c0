// Opening a saved game of about 4000 pieces (2560 x 1920) in the real game,
// from the process's start to the game's first frame, phase by phase, and the
// game's memory once it is open and idle.
//
// The game runs on a display of its own (Xvfb, 1920 x 1080 by default) with
// ZIVRA_LOG_OPEN set, which makes it mark each step on the monotonic clock;
// the phases are the gaps between the marks, medians over REPEATS starts:
//   start .. main        exec, the dynamic loader, static initialisers
//   main .. app          the application object
//   app .. window        the main form, the dialogs, the settings
//   window .. open       the event loop's start: the GL context, the field
//   read                 the saved game's bytes, every part checked
//   decode               the picture and the mask
//   piece images         cut out and embossed
//   rest of the read     draw order, pockets
//   atlas packing        the strips placed on pages
//   atlas filling        premultiplied straight into the upload buffer
//   atlas upload         the pages handed to GL
//   thumbnail texture    the picture at half size, uploaded
//   mask packing         the mask packed into its saved-game form
//   trim, first frame    freed memory returned; the first frame drawn and finished
//
// usage: bench_open_game [REPEATS] [--quick] [--game PATH] [--screen WxH]
#include "game_process.h"
#include "support.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

// The marks of one start: name -> times (a name may come more than once).
std::multimap<std::string, double> ReadMarks(const std::string& path)
{
    std::multimap<std::string, double> marks;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream l(line);
        std::string tag, name, at;
        double t = 0;
        if (l >> tag >> name >> at >> t && tag == "mark" && at == "at")
            marks.emplace(name, t);
    }
    return marks;
}

double First(const std::multimap<std::string, double>& m, const std::string& name)
{
    const auto it = m.find(name);
    return it == m.end() ? -1 : it->second;
}

struct TPhase {
    const char* label;
    const char* from;  // mark names; "" is the process's start
    const char* to;
};
constexpr TPhase kPhases[] = {
    {"start .. main", "", "main"},
    {"main .. app", "main", "app"},
    {"app .. window", "app", "window-shown"},
    {"window .. open", "window-shown", "open-start"},
    {"read", "open-start", "read"},
    {"decode", "read", "decoded"},
    {"piece images", "decoded", "piece-images"},
    {"rest of the read", "piece-images", "field-start"},
    {"atlas packing", "field-start", "atlas-packed"},
    {"atlas filling", "", ""},  // sums over the pages
    {"atlas upload", "", ""},
    {"thumbnail texture", "atlas", "thumb-texture"},
    {"mask packing", "thumb-texture", "mask-packed"},
    {"trim", "mask-packed", "trimmed"},
    {"first frame", "trimmed", "first-game-frame"},
};
constexpr int kPhaseCount = int(sizeof kPhases / sizeof kPhases[0]);

struct TRun {
    std::vector<double> ms = std::vector<double>(size_t(kPhaseCount), 0.0);
    double totalMs = 0, idleMb = 0;
};

// The gaps between the atlas's marks: filling ends at each
// "atlas-band-filled", uploading at each "atlas-band-uploaded" and at each
// "atlas-page-made" (GL making the page's storage).
void AtlasSplit(const std::multimap<std::string, double>& m, double* fill, double* upload)
{
    std::vector<std::pair<double, int>> ev;  // time, 0 packed / 1 filled / 2 uploaded
    ev.emplace_back(First(m, "atlas-packed"), 0);
    for (auto [it, end] = m.equal_range("atlas-band-filled"); it != end; ++it)
        ev.emplace_back(it->second, 1);
    for (const char* up : {"atlas-band-uploaded", "atlas-page-made"})
        for (auto [it, end] = m.equal_range(up); it != end; ++it)
            ev.emplace_back(it->second, 2);
    std::sort(ev.begin(), ev.end());
    *fill = *upload = 0;
    for (size_t i = 1; i < ev.size(); ++i)
        (ev[i].second == 1 ? *fill : *upload) += (ev[i].first - ev[i - 1].first) * 1000.0;
}

bool OneStart(const std::string& gameBin, const std::string& game, const std::string& dir, TRun* run)
{
    const std::string log = dir + "/marks.log";
    std::FILE* f = std::fopen(log.c_str(), "w");
    if (!f)
        return false;
    setenv("ZIVRA_LOG_OPEN", "1", 1);
    const double t0 = MonotonicS();
    Child g({gameBin, game}, -1, fileno(f));
    std::fclose(f);
    unsetenv("ZIVRA_LOG_OPEN");
    while (First(ReadMarks(log), "first-game-frame") < 0 && MonotonicS() - t0 < 120)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto m = ReadMarks(log);
    if (First(m, "first-game-frame") < 0)
        return false;
    std::this_thread::sleep_for(std::chrono::seconds(3));
    run->idleMb = RssMb(g.Pid());
    for (int p = 0; p < kPhaseCount; ++p) {
        const TPhase& ph = kPhases[p];
        if (!*ph.to)
            continue;
        const double a = *ph.from ? First(m, ph.from) : t0, b = First(m, ph.to);
        run->ms[size_t(p)] = a >= 0 && b >= 0 ? (b - a) * 1000.0 : 0;
    }
    AtlasSplit(m, &run->ms[9], &run->ms[10]);
    run->totalMs = (First(m, "first-game-frame") - t0) * 1000.0;
    return true;
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
    const int starts = quick ? 1 : repeats;

    char tmpl[] = "/tmp/zivra-open-XXXXXX";
    if (!mkdtemp(tmpl)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = tmpl;
    setenv("XDG_DATA_HOME", dir.c_str(), 1);
    std::string game;
    int pieces = 0;
    if (!MakeBigGame(dir, &game, &pieces)) {
        std::fprintf(stderr, "could not make the game\n");
        return 1;
    }
    std::string display;
    const std::unique_ptr<Child> xvfb(StartXvfb(screen, &display));
    if (!xvfb) {
        std::fprintf(stderr, "no Xvfb\n");
        return 1;
    }
    const std::string renderer = Renderer(argc, argv);
    const std::string loadBefore = LoadAverage();
    std::vector<TRun> runs;
    for (int r = 0; r < starts; ++r) {
        TRun run;
        if (!OneStart(gameBin, game, dir, &run)) {
            std::fprintf(stderr, "the game did not draw its first frame of %s\n", game.c_str());
            return 1;
        }
        runs.push_back(run);
    }
    std::printf("open a saved game: %s screen, %d pieces, %s\nrenderer: %s\n", screen.c_str(), pieces,
                gameBin.c_str(), renderer.c_str());
    std::printf("%-20s %9s\n", "phase", "ms");
    auto median = [&](auto pick) {
        std::vector<double> v;
        for (const TRun& r : runs)
            v.push_back(pick(r));
        return Median(v);
    };
    for (int p = 0; p < kPhaseCount; ++p)
        std::printf("%-20s %9.0f\n", kPhases[p].label, median([p](const TRun& r) { return r.ms[size_t(p)]; }));
    std::printf("%-20s %9.0f   (start to the first frame; medians of %d starts)\n", "total",
                median([](const TRun& r) { return r.totalMs; }), starts);
    std::printf("idle memory once open: %.0f MB\n", median([](const TRun& r) { return r.idleMb; }));
    std::printf("load average before %s, after %s\n", loadBefore.c_str(), LoadAverage().c_str());
    std::system(("rm -rf '" + dir + "'").c_str());
    return 0;
}
