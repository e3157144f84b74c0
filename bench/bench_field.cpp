// Frame composition of the play field on the renderer at hand (Mesa's
// software renderer on our machines): a full composition of 1000 and 4000
// visible pieces at 1920 x 1080, a drag frame (the still buffer copied back
// where the group lay, then the group drawn from its texture, or piece by
// piece with ZIVRA_BENCH_PIECE_BY_PIECE=1), and one full-view copy, the floor
// of any frame.
// Compositions, drag frames and the atlas are measured with the pieces'
// shadows off (0) and on (1), side by side.
// The same field drawn from one texture per piece shows what the atlas saves.
//
// On the software renderer a drag frame blends the carried group on the CPU
// (counter cpu_blend = 1); ZIVRA_NO_CPU_BLEND=1 leaves it to the renderer,
// for comparison. Quietly, for the drag rows:
//   xvfb-run -a -s "-screen 0 1920x1200x24" bench_field
//     --benchmark_filter='DragFrame|FullViewCopy' --benchmark_repetitions=5
//     --benchmark_report_aggregates_only
//
// Render buffers and the atlas's pieces are drawn through the plain fragment
// program (the renderer's fast path for aligned quads); ZIVRA_NO_PLAIN_PROGRAM=1
// draws them with the fixed-function stage instead, for comparison. The first
// line says which. The shadows' cost in a full composition, quietly, the two
// figures taking turns:
//   xvfb-run -a -s "-screen 0 1920x1200x24" bench_field
//     --benchmark_filter='FullComposition/4000' --benchmark_repetitions=6
//     --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only
//
// Needs a display (./zivra bench runs it under Xvfb when there is none).
#include "support.h"

#include "field/compose.h"
#include "field/field.h"
#include "field/main_view.h"
#include "files/files.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions_2_1>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kViewW = 1920, kViewH = 1080;

struct TBenchGL {
    QOpenGLContext* ctx = nullptr;
    QOffscreenSurface* surface = nullptr;
};
TBenchGL g_gl;

void Finish() { FieldGL.gl->glFinish(); }

// The best of the repetitions: the machine is shared, the least disturbed run
// is the renderer's own speed.
double MinOf(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }
double MedianOf(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// n pieces of a 32-pixel box (a rounded body with knobs, as cut pieces look),
// laid out on a grid over the view the way a new spread-out game is.
void BuildPieces(int n)
{
    const int box = 32;
    JigP = TJigParams{};
    JigP.TileS = 22;
    JigP.MaskOfs = 5;
    JigP.MaskS = box;
    JigP.TotalTileNum = n;
    JigP.TileNum = n;
    JigP.ImageW = 1600;
    JigP.ImageH = 1000;
    CreateJigsBuf(n + 1);
    arPicJigs.clear();
    arPicJigs.reserve(size_t(n));
    const int cols = int(std::lround(std::sqrt(double(kViewW) * n / kViewH)));
    const int rows = (n + cols - 1) / cols;
    for (int i = 0; i < n; ++i) {
        OMyImage img(box, box, true);
        for (int y = 0; y < box; ++y) {
            uint8_t* p = MyImageGetLineXY(img, 0, y);
            for (int x = 0; x < box; ++x, p += 4) {
                const bool body = x >= 5 && x < 27 && y >= 5 && y < 27;
                const int kx = x - 16, ky = y - 3;
                const bool knob = kx * kx + ky * ky < 16 || (x - 29) * (x - 29) + (y - 16) * (y - 16) < 16;
                p[0] = uint8_t(40 + (i * 37 + x * 3) % 200);
                p[1] = uint8_t(60 + (i * 11 + y * 5) % 180);
                p[2] = uint8_t(90 + (i * 7) % 150);
                p[3] = body || knob ? 255 : 0;
                if (!p[3])
                    p[0] = p[1] = p[2] = 0;
            }
        }
        arPicJigs.push_back(std::move(img));
        TJig& j = JigAt(i);
        j.W = j.H = box;
        j.Layer = i;
        j.X = (i % cols) * (kViewW - box) / std::max(1, cols - 1);
        j.Y = (i / cols) * (kViewH - box) / std::max(1, rows - 1);
        UpdateJigDrawCoords(i);
    }
    SortJigs(0);
    FileNames.bOpen = true;
    Field_GameOpened();
}

void Compose(int mode) { DrawToScrBuf(rbScr, mode); }

// The floor of any frame: the whole view copied from the still buffer (a
// drag frame itself copies back only where the group lay before).
void FullViewCopy()
{
    StillBuf_Prepare();
    BeginBufTarget(rbScr);
    RenderBufCopy(rbStill, rbScr, kViewW, kViewH);
}

// The second argument: shadows off (0) or on (1), side by side.
void BM_FullComposition(benchmark::State& state)
{
    OptP.Visual_Shadows = state.range(1) != 0;
    BuildPieces(int(state.range(0)));
    Compose(0);
    Finish();
    for (auto _ : state) {
        Compose(0);
        Finish();
    }
    state.counters["pieces"] = double(state.range(0));
    state.counters["shadows"] = double(state.range(1));
    OptP.Visual_Shadows = true;
}
BENCHMARK(BM_FullComposition)->Args({1000, 0})->Args({1000, 1})->Args({4000, 0})->Args({4000, 1})->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", MinOf)->MinTime(2.0);

// The same with one texture (and one draw) per piece instead of the atlas.
void BM_FullCompositionPerPieceTextures(benchmark::State& state)
{
    BuildPieces(int(state.range(0)));
    Compose(0);
    PieceAtlas_Free();
    PieceAtlasP.pBuiltFrom = arPicJigs.data();  // keep the atlas from coming back
    PieceAtlasP.iBuiltCount = arPicJigs.size();
    for (OMyImage& img : arPicJigs)
        MyImageCreateTexture(img, false, TexFilter::Nearest);
    Compose(0);
    Finish();
    for (auto _ : state) {
        Compose(0);
        Finish();
    }
    for (OMyImage& img : arPicJigs)
        MyImageFreeTexture(img);
    PieceAtlas_Free();
}
BENCHMARK(BM_FullCompositionPerPieceTextures)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", MinOf)->MinTime(2.0);

// Where a composition's time goes: the tables and frames alone (no pieces),
// the table a plain colour (0) or a picture (1).
void BM_CompositionWithoutPieces(benchmark::State& state)
{
    BuildPieces(1);
    WinP.lBkgColors[0] = state.range(0) ? 13 : kDefaultBkgColor;
    UpdateScrBkgs();
    for (auto _ : state) {
        Compose(0);
        Finish();
    }
    WinP.lBkgColors[0] = kDefaultBkgColor;
    UpdateScrBkgs();
}
BENCHMARK(BM_CompositionWithoutPieces)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", MinOf)->MinTime(1.0);

// Opening a game's share of the atlas: 4000 rotation strips of 4 x 40 x 40
// pixels (about the pieces of a 2560 x 1920 picture at the finest level)
// premultiplied into pages and uploaded.
void BM_AtlasBuild(benchmark::State& state)
{
    OptP.Visual_Shadows = state.range(0) != 0;
    BuildPieces(4000);
    JigP.Rotate = 1;
    for (int i = 0; i < 4000; ++i)
        Jigs[size_t(i)].W = Jigs[size_t(i)].H = 40;
    for (OMyImage& img : arPicJigs) {
        img = OMyImage(160, 40, true);
        for (int y = 0; y < img.H; ++y) {
            uint8_t* p = MyImageGetLineXY(img, 0, y);
            for (int x = 0; x < img.W; ++x, p += 4) {
                p[0] = uint8_t(x * 3), p[1] = uint8_t(y * 5), p[2] = 90;
                p[3] = uint8_t((x % 40 - 20) * (x % 40 - 20) + (y - 20) * (y - 20) < 300 ? 255 : (x + y) % 2 ? 128 : 0);
            }
        }
    }
    for (auto _ : state) {
        PieceAtlas_Build();
        Finish();
    }
    state.counters["pages"] = double(PieceAtlasP.arPages.size());
    state.counters["shadows"] = double(state.range(0));
    OptP.Visual_Shadows = true;
    JigP.Rotate = 0;
}
BENCHMARK(BM_AtlasBuild)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", MinOf)->Iterations(3);

// A drag frame: the still buffer copied over the screen buffer, then the
// moving group (1 piece, or 100 joined ones) over it. Besides its time it
// reports the medians of the frame and of the floor (the copy alone, timed
// just before each frame) and their ratio x_floor.
// joined: the group's pieces lie as in the picture (tile by tile, as a group
// of joined pieces does), not spread over the grid.
void DragFrame(benchmark::State& state, bool joined)
{
    OptP.Visual_Shadows = state.range(1) != 0;
    bCarriedGroupCache = !std::getenv("ZIVRA_BENCH_PIECE_BY_PIECE");
    BuildPieces(4000);
    const int group = int(state.range(0));
    // A square group's outline: of 100 pieces in 10 x 10, 36 have a neighbour
    // outside the group, the others only pieces of it.
    const int side = int(std::lround(std::sqrt(double(group))));
    JigP.JigsL = JigP.JigsT = 0;
    JigP.JigsR = JigP.JigsB = 100000;
    for (int j = 0; j < group; ++j) {
        TJig& p = JigAt(j);
        p.Layer = 0;
        p.HomeX = p.HomeY = 1000;
        const int c = j % side, r = j / side;
        std::fill(std::begin(p.Nb), std::end(p.Nb), int16_t(-1));
        p.Nb[0] = int16_t(c == 0 || r == 0 || c == side - 1 || r == side - 1 ? group : 0);
        if (joined) {
            p.X = 600 + c * JigP.TileS;
            p.Y = 300 + r * JigP.TileS;
        }
    }
    SortJigs(0);
    SetCaptureWin(GetViewWin(0));
    iCurJig = 0;
    DragJigP.State = kDragPieces;
    // The gesture's first frame: the still buffer made, the group drawn into
    // its texture (or piece by piece).
    Finish();
    const auto s0 = std::chrono::steady_clock::now();
    FillStillBuf(kComposeWithoutDragged);
    Finish();
    const double startMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - s0).count();
    // Each frame is timed right after a floor frame (the copy alone), so that
    // both see the same load; the ratio is that of their medians.
    std::vector<double> floors, frames;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        FullViewCopy();
        Finish();
        const auto t1 = std::chrono::steady_clock::now();
        // To and fro, so that the group stays where it started.
        const int dx = frames.size() % 2 == 0 ? 1 : -1;
        for (int j = 0; j < group; ++j)
            JigAt(j).X += dx;
        Compose(100);
        Compose(2);
        Finish();
        const auto t2 = std::chrono::steady_clock::now();
        floors.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        frames.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
        state.SetIterationTime(std::chrono::duration<double>(t2 - t1).count());
    }
    const bool cached = CarriedGroupCached();
    const bool cpuBlend = cached && RenderBufCpuBlendExact() && bCarriedCpuBlend;
    DragJigP.State = kDragIdle;
    iCurJig = -1;
    const double floorMs = MedianOf(floors), frameMs = MedianOf(frames);
    state.counters["cached"] = cached ? 1 : 0;
    state.counters["cpu_blend"] = cpuBlend ? 1 : 0;
    state.counters["group"] = double(group);
    state.counters["shadows"] = double(state.range(1));
    state.counters["floor_ms"] = floorMs;
    state.counters["frame_ms"] = frameMs;
    state.counters["start_ms"] = startMs;
    state.counters["x_floor"] = floorMs > 0 ? frameMs / floorMs : 0;
    OptP.Visual_Shadows = true;
}
void BM_DragFrame(benchmark::State& state) { DragFrame(state, false); }
void BM_DragFrameJoined(benchmark::State& state) { DragFrame(state, true); }
BENCHMARK(BM_DragFrameJoined)->Args({100, 0})->Args({100, 1})->Unit(benchmark::kMillisecond)->UseManualTime()->ComputeStatistics("min", MinOf)->MinTime(2.0);
BENCHMARK(BM_DragFrame)->Args({1, 0})->Args({1, 1})->Args({100, 0})->Args({100, 1})->Unit(benchmark::kMillisecond)->UseManualTime()->ComputeStatistics("min", MinOf)->MinTime(2.0);

// The floor: one full-view copy (a framebuffer blit).
void BM_FullViewCopy(benchmark::State& state)
{
    BuildPieces(1);
    Compose(0);
    Finish();
    for (auto _ : state) {
        FullViewCopy();
        Finish();
    }
}
BENCHMARK(BM_FullViewCopy)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", MinOf)->MinTime(2.0);

// The same copy as a textured quad, what it costs without framebuffer blits.
void BM_FullViewTexturedQuad(benchmark::State& state)
{
    BuildPieces(1);
    Compose(0);
    Finish();
    StillBuf_Prepare();
    for (auto _ : state) {
        BeginBufTarget(rbScr);
        RenderBufQuad(rbStill, QuadMode::Copy, 0, 0, kViewW, kViewH, 0, 0, kViewW, kViewH);
        GLBatch_Flush();
        Finish();
    }
}
BENCHMARK(BM_FullViewTexturedQuad)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", MinOf)->MinTime(2.0);

bool SetUpGL()
{
    g_gl.surface = new QOffscreenSurface;
    g_gl.surface->create();
    g_gl.ctx = new QOpenGLContext;
    if (!g_gl.ctx->create() || !g_gl.ctx->makeCurrent(g_gl.surface))
        return false;
    if (!FieldGL_Init(g_gl.ctx))
        return false;
    iMainViewW = kViewW;
    iMainViewH = kViewH;
    Field_Init(ZIVRA_RESOURCE_DIR, kViewW, kViewH);
    return rbScr.fbo != 0;
}

}  // namespace

int main(int argc, char** argv)
{
    MainViewSetDefaultFormat();
    QGuiApplication app(argc, argv);
    BenchResetAll();
    if (!SetUpGL()) {
        std::fprintf(stderr, "bench_field: no usable OpenGL context\n");
        return 1;
    }
    std::printf("renderer: %s | %s | view %d x %d | buffers and pieces drawn %s\n", FieldGL.sRenderer.c_str(),
                FieldGL.sVersion.c_str(), kViewW, kViewH,
                FieldGL.plainProgram != 0 ? "through the plain program" : "by the fixed-function stage");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Field_Release();
    FieldGL_Release();
    return 0;
}
