// The undo history on a 4000-piece game in play: taking a gesture back and
// making it again, committing a gesture, and what 200 gestures keep.
// Goals: undo or redo of a gesture within 1 ms; 200 gestures within 2 MB.
#include "support.h"

#include "model/memory_field.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "model/undo.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>

namespace {

constexpr int kCols = 80, kRows = 50, kTile = 24, kOfs = 6;

// An 80 x 50 grid: one group of 1000 pieces (the top-left 40 x 25), the rest
// loose, stacked in a random order and scattered over the field. No piece
// images: the pointer takes a piece's whole box.
void BuildGameInPlay()
{
    BenchGridGame(kCols, kRows, kTile, kOfs);
    const int n = JigP.TotalTileNum;
    SRand(3);
    std::vector<int> order(size_t(n - 999));
    std::iota(order.begin(), order.end(), 0);
    for (size_t t = 0; t < order.size(); ++t)
        std::swap(order[t], order[size_t(MyRandom(int(order.size())))]);
    int next = 1;
    for (int i = 0; i < n; ++i) {
        TJig& j = Jigs[size_t(i)];
        const int c = i % kCols, r = i / kCols;
        j.HomeX = std::max(0, c * kTile - kOfs);
        j.HomeY = std::max(0, r * kTile - kOfs);
        j.W = std::min(JigP.ImageW, (c + 1) * kTile + kOfs) - j.HomeX;
        j.H = std::min(JigP.ImageH, (r + 1) * kTile + kOfs) - j.HomeY;
        std::fill(std::begin(j.Nb), std::end(j.Nb), int16_t(-1));
        j.Nb[1] = int16_t(c > 0 ? i - 1 : -1);
        j.Nb[3] = int16_t(r > 0 ? i - kCols : -1);
        j.Nb[5] = int16_t(c + 1 < kCols ? i + 1 : -1);
        j.Nb[7] = int16_t(r + 1 < kRows ? i + kCols : -1);
        const bool big = c < 40 && r < 25;
        j.Layer = order[size_t(big ? 0 : next++)];
        j.X = big ? j.HomeX + 300 : MyRandom(2400);
        j.Y = big ? j.HomeY + 200 : MyRandom(1500);
        UpdateJigDrawCoords(i);
    }
    SortJigs(kSortAscending);
}

// A whole gesture as the mouse handling runs it: press on piece i, ten
// moves, release, the pull-back after a drop, and the commit.
void Gesture(int i, int dx, int dy)
{
    const TJig& j = Jigs[size_t(i)];
    const int x = j.X + j.DrawW / 2, y = j.Y + j.DrawH / 2;
    iCurJig = GetCurJig(x, y);
    DragCurJig(x, y, 0);
    for (int k = 1; k <= 10; ++k)
        MoveJigs(x + dx * k / 10, y + dy * k / 10, -1, 0);
    DropCurJig();
    FindLostJigs(0, 0);
    Undo_Commit();
}

// 200 gestures: loose pieces (range 0) or the 1000-piece group (range 1).
void Play200(OMemoryField& field, bool bigGroup)
{
    BuildGameInPlay();
    SetFieldHost(&field);
    field.SetCaptureWin(0);
    Undo_Reset();
    for (int g = 0; g < 200; ++g)
        Gesture(bigGroup ? (g % 25) * kCols + g % 40 : 40 + (g * 997) % 3000, g % 2 ? 37 : -41, g % 3 ? 23 : -19);
}

// One step back and one forth, per iteration: the last of 200 gestures.
void BM_UndoRedoGesture(benchmark::State& state)
{
    OMemoryField field;
    Play200(field, state.range(0) != 0);
    for (auto _ : state) {
        Undo_Back();
        Undo_Forth();
        benchmark::DoNotOptimize(Jigs.data());
    }
    state.counters["steps"] = Undo_StepCount();
    SetFieldHost(nullptr);
}
BENCHMARK(BM_UndoRedoGesture)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The commit at the end of a gesture: the table compared with the baseline.
void BM_CommitGesture(benchmark::State& state)
{
    OMemoryField field;
    BuildGameInPlay();
    SetFieldHost(&field);
    field.SetCaptureWin(0);
    Undo_Reset();
    int g = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const int i = 40 + (g++ * 997) % 3000;
        iCurJig = i;
        DragCurJig(Jigs[size_t(i)].X + 2, Jigs[size_t(i)].Y + 2, 0);
        MoveJigs(Jigs[size_t(i)].X + 30, Jigs[size_t(i)].Y + 9, -1, 0);
        DropCurJig();
        state.ResumeTiming();
        Undo_Commit();
    }
    SetFieldHost(nullptr);
}
BENCHMARK(BM_CommitGesture)->Unit(benchmark::kMicrosecond);

// What the history holds after 200 gestures (the baseline included), in KB.
void BM_HistoryMemory200(benchmark::State& state)
{
    OMemoryField field;
    for (auto _ : state) {
        state.PauseTiming();
        Play200(field, state.range(0) != 0);
        state.ResumeTiming();
        benchmark::DoNotOptimize(Undo_MemoryBytes());
    }
    state.counters["history_KB"] = double(Undo_MemoryBytes()) / 1024.0;
    SetFieldHost(nullptr);
}
BENCHMARK(BM_HistoryMemory200)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
