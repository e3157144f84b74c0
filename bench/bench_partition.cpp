// The level table, the three relaxation passes of the partition (fast and
// reference triangulation side by side) and fitting and checking every curve
// of a grid of about 4000 pieces.
//
//   build/release/bench/bench_partition --benchmark_repetitions=5 --benchmark_report_aggregates_only
#include "support.h"

#include "cutting/classic_cut.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kW = 2560, kH = 1920;

// A cut set up and its sites placed, as the cut does before partitioning.
struct Prepared {
    TJigParams p;
    std::vector<TJig> jigs;
    std::unique_ptr<TCutWork> w;
    std::vector<TVorCell> sites;  // cells holding only the sites
};

Prepared Prepare(int level, int style = 0)
{
    BenchResetAll();
    Prepared r;
    r.p.ImageW = kW;
    r.p.ImageH = kH;
    r.p.ShapeStyle = uint8_t(style);
    FillMaskParams(kW, kH, style, 0);
    SetJigParamsFromLevel(r.p, kW, kH, level);
    r.jigs.assign(size_t(r.p.TotalTileNum) + 1, TJig{});
    r.w = std::make_unique<TCutWork>(r.p, r.jigs);
    CutSetUp(*r.w);
    SRand(12345);
    CutPlaceSites(*r.w);
    r.sites = r.w->cells;
    return r;
}

void BM_LevelTable(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(FillMaskParams(kW, kH, 0, 0));
}
BENCHMARK(BM_LevelTable)->Unit(benchmark::kMicrosecond);

void BM_ThreePartitions(benchmark::State& state)
{
    const TTriangulation method = state.range(0) ? TTriangulation::Reference : TTriangulation::Fast;
    Prepared r = Prepare(0);
    for (auto _ : state) {
        r.w->cells = r.sites;
        if (!CutPartition(*r.w, method))
            state.SkipWithError("partition failed");
    }
    state.counters["sites"] = double(r.sites.size());
    state.SetLabel(method == TTriangulation::Fast ? "fast" : "reference");
}
BENCHMARK(BM_ThreePartitions)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThreePartitions)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

// Every edge of the grid fitted, checked and drawn (the curves phase of one
// attempt), on a fresh white mask each time.
void BM_CurvesOfGrid(benchmark::State& state)
{
    Prepared r = Prepare(0, int(state.range(0)));
    CutPartition(*r.w);
    OMyImage& img = *r.w->vecField;
    for (auto _ : state) {
        state.PauseTiming();
        MyImageFillRect(img, 0, 0, img.W, img.H, kMaskWhite);
        InitJigsAr(r.p, r.jigs);
        CutRestoreCells(*r.w);
        CutBoxesAndNeighbours(*r.w);
        SRand(99);
        CutChooseSides(*r.w);
        state.ResumeTiming();
        CutDrawEdges(*r.w);
    }
    state.counters["pieces"] = r.w->n;
    state.SetLabel(sShapeStyles[size_t(state.range(0))]);
}
BENCHMARK(BM_CurvesOfGrid)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// The piece images of a 4000-piece cut on one thread: cut-outs, four turns
// and the emboss (style 1), into a fresh block each time.
void BM_PieceImages(benchmark::State& state)
{
    Prepared r = Prepare(0);
    OMyImagePtr masks;
    std::vector<TJig> jigs(size_t(r.p.TotalTileNum) + 1);
    TJigParams p = r.p;
    SRand(12345);
    CreateMasksForVoronoiStyle(p, jigs, masks);
    OMyImagePtr rgb = MakePhotoLikeImage(kW, kH);
    OMyImagePtr picture = MyImageCreateExt(kW, kH, true);
    MyImageCopyRect(*picture, 0, 0, kW, kH, *rgb, 0, 0, false);
    const bool rotate = state.range(0) != 0;
    for (auto _ : state) {
        std::vector<OMyImage> images;
        BuildPieceImages(*picture, *masks, jigs, p.TotalTileNum, rotate, int(state.range(1)), true, images, 1);
        benchmark::DoNotOptimize(images.data());
    }
    state.SetLabel(std::string(rotate ? "rotation strips" : "upright") + ", emboss " + std::to_string(state.range(1)));
}
BENCHMARK(BM_PieceImages)->Args({1, 1})->Args({0, 1})->Args({1, 0})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
