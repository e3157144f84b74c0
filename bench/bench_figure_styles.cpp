// The Figure style and the three grid styles, whole cuts phase by phase, next
// to the Bubble style on the same picture and against B (decoding the
// picture's JPEG plus one copy of its RGBA pixels), all in the same run.
//
//   build/release/bench/bench_figure_styles [REPEATS] [--quick]
//
// Every figure is the median of REPEATS runs (default 5), in milliseconds;
// rotation and the emboss are on, piece images included. --quick runs only
// the 2560 x 1920 picture at level 0.
#include "support.h"

#include "cutting/classic_cut.h"
#include "cutting/pic_inserts.h"
#include "cutting/vector_pics.h"
#include "cutting/vector_style.h"
#include "model/puzzle.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Result {
    int pieces = 0, stamped = 0, drawn = 0, attempts = 0;
    double prep = 0, partition = 0, curves = 0, fill = 0, stray = 0, tails = 0, mask = 0, images = 0, total = 0;
};

Result CutOnce(const OMyImage& picture, int level, int style, uint32_t seed)
{
    BenchResetAll();
    Cutting_LoadStyleData(BenchResourceDir());  // what the game loads at start-up
    TJigParams p = BenchCutParams(picture.W, picture.H, style, true, level);
    std::vector<TJig> jigs(size_t(p.TotalTileNum) + 1);
    OMyImagePtr masks;
    TCutTimes times;
    TCutOptions opt;
    opt.times = &times;
    TVecCutStats stats;
    Result r;
    const double t0 = NowMs();
    SRand(seed);
    if (style >= 4)
        CreateMasksForVectorStyle(p, jigs, masks, opt, &stats);
    else
        CreateMasksForVoronoiStyle(p, jigs, masks, opt);
    const double t1 = NowMs();
    std::vector<OMyImage> images;
    BuildPieceImages(picture, *masks, jigs, p.TotalTileNum, true, 1, true, images);
    r.images = NowMs() - t1;
    r.total = NowMs() - t0;
    r.mask = t1 - t0;
    r.pieces = p.TotalTileNum;
    r.stamped = stats.stamped;
    r.drawn = stats.drawn;
    r.attempts = times.attempts;
    r.prep = times.prep;
    r.partition = times.sites + times.partition;
    r.curves = times.curves;
    r.fill = times.fill;
    r.stray = times.stray;
    r.tails = times.tails;
    return r;
}

Result MedianCut(const OMyImage& picture, int level, int style, int repeats)
{
    std::vector<Result> runs;
    for (int i = 0; i < repeats; ++i)
        runs.push_back(CutOnce(picture, level, style, 1000u + uint32_t(i)));
    return MedianRun(runs, {&Result::prep, &Result::partition, &Result::curves, &Result::fill, &Result::stray,
                            &Result::tails, &Result::mask, &Result::images, &Result::total});
}

const char* StyleName(int style)
{
    static const char* const kNames[7] = {"Bubble", "Pinwhell", "Curl", "Figure", "Shapes4", "Shapes5", "Shapes6"};
    return kNames[style];
}

void PrintHeader()
{
    std::printf("%-10s %5s %-8s %6s %6s %7s %7s %6s %6s %6s %7s %7s %8s %6s %7s\n", "picture", "level", "style",
                "pieces", "stamp", "part", "prep", "curves", "fill", "clean", "mask", "images", "total", "xB",
                "mask/Bu");
}

void PrintRow(int w, int h, int level, int style, const Result& r, double B, double bubbleMask)
{
    std::printf("%4dx%-5d %5d %-8s %6d %6d %7.1f %7.1f %6.1f %6.1f %6.1f %7.1f %7.1f %8.1f %6.1f %7.2f\n", w, h,
                level, StyleName(style), r.pieces, r.stamped, r.partition, r.prep, r.curves, r.fill,
                r.stray + r.tails, r.mask, r.images, r.total, r.total / B, r.mask / bubbleMask);
}

}  // namespace

int main(int argc, char** argv)
{
    const auto [repeats, quick] = ParseBenchArgs(argc, argv);
    const int sizes[2][2] = {{1600, 1200}, {2560, 1920}};
    for (const auto& sz : sizes) {
        const int w = sz[0], h = sz[1];
        if (quick && w != 2560)
            continue;
        const double B = MeasureB(w, h, repeats);
        const OMyImagePtr picture = MakePhotoLikeRgba(w, h);
        std::printf("\n%dx%d: B = %.1f ms (JPEG decode + RGBA memcpy), medians of %d, rotation and emboss on\n", w,
                    h, B, repeats);
        PrintHeader();
        for (int level : {0, 5}) {
            if (quick && level != 0)
                continue;
            const Result bubble = MedianCut(*picture, level, 0, repeats);
            PrintRow(w, h, level, 0, bubble, B, bubble.mask);
            for (int style : {3, 4, 5, 6})
                PrintRow(w, h, level, style, MedianCut(*picture, level, style, repeats), B, bubble.mask);
        }
    }
    std::printf("\npart: sites and partition; prep: each attempt's fresh mask, grid, cells and boxes (the Figure\n"
                "style's pictures included; the grid styles' whole set-up); clean: stray pixels and tails;\n"
                "mask/Bu: the mask's time (the cut without the piece images) over the Bubble style's.\n");
    return 0;
}
