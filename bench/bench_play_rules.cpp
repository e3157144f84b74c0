// The play rules on a 4000-piece game in play: the draw order (the exchange
// sort against the direct computation), a whole pick-drag-drop gesture,
// a drop that joins a large group, and gathering lost pieces.
#include "support.h"

#include "model/memory_field.h"
#include "model/play_rules.h"
#include "model/puzzle.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>

namespace {

constexpr int kCols = 80, kRows = 50, kTile = 24, kOfs = 6;

// An 80 x 50 grid of pieces (boxes overhanging their cells, alpha images).
void BuildGrid()
{
    BenchGridGame(kCols, kRows, kTile, kOfs);
    arPicJigs.resize(size_t(JigP.TotalTileNum));
    for (int i = 0; i < JigP.TotalTileNum; ++i) {
        TJig& j = JigAt(i);
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
        UpdateJigDrawCoords(i);
        OMyImage img(j.W, j.H, true);
        const int cx = c * kTile - j.HomeX, cy = r * kTile - j.HomeY;
        for (int y = cy; y < cy + kTile; ++y)
            for (int x = cx; x < cx + kTile; ++x)
                MyImageGetLineXY(img, x, y)[3] = 255;
        arPicJigs[size_t(i)] = std::move(img);
    }
}

// Joins the rectangle of cells [c0, c0+w) x [r0, r0+h) into group `layer`.
void JoinBlock(int c0, int r0, int w, int h, int layer)
{
    for (int r = r0; r < r0 + h; ++r)
        for (int c = c0; c < c0 + w; ++c)
            JigAt(r * kCols + c).Layer = layer;
}

// A game in play: one group of 1000 pieces, some of 100, many of 9 and 2,
// the rest loose; groups stacked in a random order, each lying somewhere on
// the field with its pieces at their places.
void BuildGameInPlay(uint32_t seed)
{
    BuildGrid();
    const int n = JigP.TotalTileNum;
    for (int i = 0; i < n; ++i)
        JigAt(i).Layer = -1;
    int next = 0;
    JoinBlock(0, 0, 40, 25, next++);
    for (int b = 0; b < 6; ++b)
        JoinBlock(40 + (b % 3) * 13, (b / 3) * 12, 10, 10, next++);
    for (int r = 26; r + 3 <= kRows; r += 4)
        for (int c = 0; c + 3 <= 40; c += 5)
            JoinBlock(c, r, 3, 3, next++);
    for (int r = 26; r < kRows; ++r)
        for (int c = 42; c + 2 <= kCols; c += 6)
            JoinBlock(c, r, 2, 1, next++);
    for (int i = 0; i < n; ++i)
        if (JigAt(i).Layer < 0)
            JigAt(i).Layer = next++;
    // Stack the groups in a random order and scatter them.
    SRand(seed);
    const size_t groups = static_cast<size_t>(next);
    std::vector<int> order(groups), dx(groups), dy(groups);
    std::iota(order.begin(), order.end(), 0);
    for (int t = 0; t < next; ++t) {
        std::swap(order[size_t(t)], order[size_t(MyRandom(next))]);
        dx[size_t(t)] = MyRandom(1600) - 400;
        dy[size_t(t)] = MyRandom(1000) - 300;
    }
    for (int i = 0; i < n; ++i) {
        TJig& j = JigAt(i);
        j.X = j.HomeX + dx[size_t(j.Layer)];
        j.Y = j.HomeY + dy[size_t(j.Layer)];
        j.Layer = order[size_t(j.Layer)];
    }
    SortJigs(0);
}

std::vector<TSortedJig> LayerPairs()
{
    std::vector<TSortedJig> a;
    for (int i = 0; i < JigP.TotalTileNum; ++i)
        a.push_back({JigAt(i).Layer, i});
    return a;
}

void BM_SortJigsExchange(benchmark::State& state)
{
    BuildGameInPlay(1);
    const std::vector<TSortedJig> input = LayerPairs();
    for (auto _ : state) {
        std::vector<TSortedJig> a = input;
        SortJigsByExchange(a, state.range(0) != 0);
        benchmark::DoNotOptimize(a.data());
    }
}
BENCHMARK(BM_SortJigsExchange)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Every call sees changed layers: the full computation, no cache.
void BM_SortJigsDirect(benchmark::State& state)
{
    BuildGameInPlay(1);
    // A loose piece joins the biggest group and leaves it again.
    TJig& loose = JigAt(JigP.TotalTileNum - 1);
    const int32_t l0 = loose.Layer;
    int flip = 0;
    for (auto _ : state) {
        loose.Layer = (flip ^= 1) ? Jigs[0].Layer : l0;
        SortJigs(int(state.range(0)));
        benchmark::DoNotOptimize(SortedJigs.data());
    }
}
BENCHMARK(BM_SortJigsDirect)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The worst order for the exchange passes: every piece lifted in reverse.
void BM_SortJigsDirectReversed(benchmark::State& state)
{
    BuildGrid();
    for (int i = 0; i < JigP.TotalTileNum; ++i)
        JigAt(i).Layer = (JigP.TotalTileNum - 1 - i) / 3;
    int flip = 0;
    for (auto _ : state) {
        Jigs[0].Layer += (flip ^= 1) ? 1 : -1;
        SortJigs(0);
        benchmark::DoNotOptimize(SortedJigs.data());
    }
}
BENCHMARK(BM_SortJigsDirectReversed)->Unit(benchmark::kMicrosecond);

// The most queue work: 63 groups of 63 pieces dealt out like cards, so many
// smaller layers lie between the pieces of every group.
void BM_SortJigsDirectInterleaved(benchmark::State& state)
{
    BuildGrid();
    for (int i = 0; i < JigP.TotalTileNum; ++i)
        JigAt(i).Layer = (i * 7) % 63;
    int flip = 0;
    for (auto _ : state) {
        Jigs[0].Layer = (flip ^= 1) ? 62 : 0;
        SortJigs(0);
        benchmark::DoNotOptimize(SortedJigs.data());
    }
}
BENCHMARK(BM_SortJigsDirectInterleaved)->Unit(benchmark::kMicrosecond);

void BM_SortJigsUnchanged(benchmark::State& state)
{
    BuildGameInPlay(1);
    SortJigs(0);
    for (auto _ : state) {
        SortJigs(0);
        benchmark::DoNotOptimize(SortedJigs.data());
    }
}
BENCHMARK(BM_SortJigsUnchanged)->Unit(benchmark::kMicrosecond);

// Press on a piece, ten moves, release, and the pull-back the mouse handling
// runs after a drop. Each gesture takes another piece, so every lift changes
// the draw order. range(0): 0 pieces all over the game, 1 always a piece of
// the 1000-piece group (the most pieces to move).
void BM_PickDragDrop(benchmark::State& state)
{
    BuildGameInPlay(2);
    OMemoryField field;
    SetFieldHost(&field);
    field.SetCaptureWin(0);
    int step = 0, picked = 0;
    for (auto _ : state) {
        const int target = state.range(0) ? (step % 25) * kCols + step % 40 : (step * 997) % JigP.TotalTileNum;
        const TJig& j = JigAt(target);
        const int x = j.X + j.DrawW / 2, y = j.Y + j.DrawH / 2;
        iCurJig = GetCurJig(x, y);
        picked += iCurJig >= 0;
        DragCurJig(x, y, 0);
        const int d = (step++ / 2) % 2 ? 5 : -5;
        for (int m = 1; m <= 10; ++m)
            MoveJigs(x + d * m, y + d * m, -1, 0);
        DropCurJig();
        FindLostJigs(0, 0);
        benchmark::DoNotOptimize(iCurJig);
    }
    state.counters["picked"] = double(picked) / std::max(step, 1);
    SetFieldHost(nullptr);
}
BENCHMARK(BM_PickDragDrop)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A group of 3999 pieces and the last piece dropped beside it (range 0), or
// the big group dropped onto the piece (range 1).
void BM_DropJoiningLargeGroup(benchmark::State& state)
{
    BuildGrid();
    OMemoryField field;
    SetFieldHost(&field);
    field.SetCaptureWin(0);
    const int n = JigP.TotalTileNum, last = n - 1;
    for (int i = 0; i < n; ++i) {
        JigAt(i).Layer = i == last ? 1 : 0;
        JigAt(i).X = JigAt(i).HomeX + (i == last ? 103 : 100);
        JigAt(i).Y = JigAt(i).HomeY + (i == last ? 98 : 100);
    }
    SortJigs(0);
    const std::vector<TJig> start = Jigs;
    for (auto _ : state) {
        state.PauseTiming();
        Jigs = start;
        bGameSolved = true;  // the join, not the solve
        state.ResumeTiming();
        iCurJig = state.range(0) ? 0 : last;
        DragJigP.State = kDragPieces;
        DropCurJig();
        benchmark::DoNotOptimize(JigAt(last).Layer);
    }
    if (JigAt(last).Layer != Jigs[0].Layer)
        state.SkipWithError("no join");
    SetFieldHost(nullptr);
}
BENCHMARK(BM_DropJoiningLargeGroup)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The game spread over both sides and the four pockets, a tenth of the
// groups lying outside their window.
void BM_FindLostJigsOnAllWins(benchmark::State& state)
{
    BuildGameInPlay(3);
    OMemoryField field;
    SetFieldHost(&field);
    for (int i = 0; i < JigP.TotalTileNum; ++i)
        JigAt(i).Win = uint8_t(JigAt(i).Layer % 6);
    const std::vector<TJig> start = Jigs;
    for (auto _ : state) {
        state.PauseTiming();
        Jigs = start;
        for (int i = 0; i < JigP.TotalTileNum; ++i)
            if (JigAt(i).Layer % 10 == 0)
                JigAt(i).X += 5000;
        state.ResumeTiming();
        FindLostJigsOnAllWins();
        benchmark::DoNotOptimize(Jigs.data());
    }
    SetFieldHost(nullptr);
}
BENCHMARK(BM_FindLostJigsOnAllWins)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
