// The whole classic cut, phase by phase, against B (decoding the picture's
// JPEG plus one copy of its RGBA pixels) and against plain passes of the
// same kind measured in the same run.
//
//   build/release/bench/bench_cut [REPEATS] [--quick]
//
// Every figure is the median of REPEATS runs (default 5), in milliseconds.
// "images" are the piece images with emboss style 1 (both cores), "total" the
// whole cut with them; "copy" the same images without emboss (the per-piece
// copy alone), not part of the total.
// --quick runs only the 2560 x 1920 level-0 cut with rotation and emboss on.
#include "support.h"

#include "cutting/classic_cut.h"
#include "cutting/piece_images.h"
#include "model/puzzle.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Result {
    int pieces = 0, attempts = 0;
    double partition = 0, prep = 0, curves = 0, fill = 0, stray = 0, tails = 0, images = 0, copy = 0, total = 0;
    size_t imageBytes = 0, imageMust = 0;
};

Result CutOnce(const OMyImage& picture, int level, int style, bool rotate, uint32_t seed)
{
    BenchResetAll();
    TJigParams p = BenchCutParams(picture.W, picture.H, style, rotate, level);
    std::vector<TJig> jigs(size_t(p.TotalTileNum) + 1);
    OMyImagePtr masks;
    TCutTimes times;
    TCutOptions opt;
    opt.times = &times;
    Result r;
    const double t0 = NowMs();
    SRand(seed);
    CreateMasksForVoronoiStyle(p, jigs, masks, opt);
    const double t1 = NowMs();
    std::vector<OMyImage> images;
    BuildPieceImages(picture, *masks, jigs, p.TotalTileNum, rotate, 1, true, images);
    r.images = NowMs() - t1;
    r.total = NowMs() - t0;
    {
        // The same images without the emboss: the per-piece copy alone.
        std::vector<OMyImage> plain;
        const double t2 = NowMs();
        BuildPieceImages(picture, *masks, jigs, p.TotalTileNum, rotate, 0, true, plain);
        r.copy = NowMs() - t2;
    }
    r.imageBytes += size_t(2) << 20;  // the shared block's alignment slack
    r.pieces = p.TotalTileNum;
    r.attempts = times.attempts;
    r.partition = times.partition;
    r.prep = times.prep;
    r.curves = times.curves;
    r.fill = times.fill;
    r.stray = times.stray;
    r.tails = times.tails;
    for (size_t i = 0; i < images.size(); ++i) {
        r.imageBytes += ((images[i].ByteCount() + 63) & ~size_t(63)) + sizeof(OMyImage);
        const TJig& j = jigs[i];
        const int s = std::max(j.W, j.H);
        r.imageMust += PieceHasStrip(j, rotate) ? size_t(4) * size_t(s) * size_t(s) * 4 : size_t(j.W) * size_t(j.H) * 4;
    }
    return r;
}

Result MedianCut(const OMyImage& picture, int level, int style, bool rotate, int repeats)
{
    std::vector<Result> runs;
    for (int i = 0; i < repeats; ++i)
        runs.push_back(CutOnce(picture, level, style, rotate, 1000u + uint32_t(i)));
    return MedianRun(runs, {&Result::partition, &Result::prep, &Result::curves, &Result::fill, &Result::stray,
                            &Result::tails, &Result::images, &Result::copy, &Result::total});
}

// ---- Floors: plain passes of the same kind ---------------------------------------------

struct Floors {
    double curves = 0;  // the same figures drawn without any check, one try each
    double fill = 0;    // one flood fill of the whole white field
    double read = 0;    // one pass reading every pixel with its four neighbours
    double copy = 0;    // writing every byte the piece images hold, once
};

Floors MeasureFloors(const OMyImage& picture, int style, bool rotate, int repeats)
{
    Floors f;
    TJigParams p = BenchCutParams(picture.W, picture.H, style, false, 0);
    std::vector<TJig> jigs(size_t(p.TotalTileNum) + 1);
    TCutWork w(p, jigs);
    SRand(77);
    CutSetUp(w);
    CutPlaceSites(w);
    CutPartition(w);
    OMyImage& img = *w.vecField;
    f.curves = TimeMedian(repeats, [&] {
        MyImageFillRect(img, 0, 0, img.W, img.H, kMaskWhite);
        CutRestoreCells(w);
        SRand(5);
        for (int i = 0; i < w.n; ++i) {
            const TCutCell& c = w.cut[size_t(i)];
            for (int e = 0; e < c.edgeNum; ++e) {
                const TCutEdge& E = c.edges[size_t(e)];
                if (E.nb <= i)
                    continue;
                TRect r;
                DrawRotCurve(w.cf, kFitToRoom, MyRandom(2) != 0, 1, false, {Round(E.x1), Round(E.y1)},
                             {Round(E.x2), Round(E.y2)}, RGB(128, 0, 25), -1, &r, {c.x, c.y}, kNoSite, -1, -1);
            }
        }
    });
    f.fill = TimeMedian(repeats, [&] {
        MyImageFillRect(img, 0, 0, img.W, img.H, kMaskWhite);
        MaskFloodFill(img, img.W / 2, img.H / 2, RGB(128, 0, 25), nullptr);
    });
    volatile uint32_t sink = 0;
    f.read = TimeMedian(repeats, [&] {
        uint32_t acc = 0;
        for (int y = 1; y < img.H - 1; ++y) {
            const uint8_t* p0 = MyImageGetLineXY(img, 1, y);
            for (int x = 1; x < img.W - 1; ++x, p0 += 4) {
                uint32_t a, b, c, d, e;
                std::memcpy(&a, p0, 4), std::memcpy(&b, p0 - 4, 4), std::memcpy(&c, p0 + 4, 4);
                std::memcpy(&d, p0 - img.iBPL, 4), std::memcpy(&e, p0 + img.iBPL, 4);
                acc += uint32_t((a == b) + (a == c) + (a == d) + (a == e));
            }
        }
        sink = acc;
    });
    (void)sink;
    // The piece images' bytes: every box (or strip) allocated and written once.
    OMyImagePtr masks;
    std::vector<TJig> cut(size_t(p.TotalTileNum) + 1);
    TJigParams q = p;
    SRand(77);
    CreateMasksForVoronoiStyle(q, cut, masks);
    f.copy = TimeMedian(repeats, [&] {
        std::vector<size_t> offset(size_t(q.TotalTileNum) + 1, 0);
        for (int i = 0; i < q.TotalTileNum; ++i) {
            const TJig& j = cut[size_t(i)];
            const int s = std::max(j.W, j.H);
            const size_t bytes = PieceHasStrip(j, rotate) ? size_t(16) * size_t(s) * size_t(s) : size_t(4) * size_t(j.W) * size_t(j.H);
            offset[size_t(i) + 1] = offset[size_t(i)] + ((bytes + 63) & ~size_t(63));
        }
        const std::shared_ptr<uint8_t> block = MyImageAllocShared(offset.back());
        for (int i = 0; i < q.TotalTileNum; ++i) {
            const TJig& j = cut[size_t(i)];
            uint8_t* d = block.get() + offset[size_t(i)];
            const size_t row = PieceHasStrip(j, rotate) ? size_t(16) * size_t(std::max(j.W, j.H)) : size_t(4) * size_t(j.W);
            std::memset(d, 0, offset[size_t(i) + 1] - offset[size_t(i)]);
            for (int y = 0; y < j.H; ++y, d += row)
                std::memcpy(d, MyImageGetLineXY(picture, j.HomeX, j.HomeY + y), size_t(j.W) * 4);
        }
    });
    return f;
}

void PrintHeader()
{
    std::printf("%-10s %5s %-8s %3s %6s %3s %9s %5s %7s %6s %6s %6s %7s %8s %6s %6s\n", "picture", "level", "style",
                "rot", "pieces", "att", "partition", "prep", "curves", "fill", "stray", "tails", "images", "total", "xB",
                "copy");
}

void PrintRow(int w, int h, int level, int style, bool rotate, const Result& r, double B)
{
    std::printf("%4dx%-5d %5d %-8.8s %3s %6d %3d %9.1f %5.1f %7.1f %6.1f %6.1f %6.1f %7.1f %8.1f %6.1f %6.1f\n", w, h,
                level, sShapeStyles[size_t(style)], rotate ? "on" : "off", r.pieces, r.attempts, r.partition, r.prep,
                r.curves, r.fill, r.stray, r.tails, r.images, r.total, r.total / B, r.copy);
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
        std::printf("\n%dx%d: B = %.1f ms (JPEG decode + RGBA memcpy), medians of %d\n", w, h, B, repeats);
        PrintHeader();
        for (int level : {0, 5})
            for (int style = 0; style <= 2; ++style)
                for (bool rotate : {false, true}) {
                    if (quick && (level != 0 || style != 0 || !rotate))
                        continue;
                    const Result r = MedianCut(*picture, level, style, rotate, repeats);
                    PrintRow(w, h, level, style, rotate, r, B);
                    if (level == 0 && rotate && style == 0)
                        std::printf("           piece images hold %.1f MB for %.1f MB of pixels (%.3f x)\n",
                                    double(r.imageBytes) / 1048576.0, double(r.imageMust) / 1048576.0,
                                    double(r.imageBytes) / double(r.imageMust));
                }
        const Floors f = MeasureFloors(*picture, 0, true, repeats);
        std::printf("floors at level 0: curves drawn unchecked %.1f, one flood fill of the field %.1f, "
                    "one neighbour read pass %.1f, writing every byte of the images once %.1f\n",
                    f.curves, f.fill, f.read, f.copy);
    }
    return 0;
}
