// The whole classic cut, phase by phase, against B (decoding the picture's
// JPEG plus one copy of its RGBA pixels) and against plain passes of the
// same kind measured in the same run.
//
//   build/release/bench/bench_cut [REPEATS] [--quick] [--fills=N]
//
// Every figure is the median of REPEATS runs (default 5), in milliseconds.
// "images" are the piece images with emboss style 1 (both cores), "total" the
// whole cut with them; "copy" the same images without emboss (the per-piece
// copy alone), not part of the total.
// The screen's pieces, not part of the total, filled into atlas-like pages
// as the field does when a game opens (both cores; each thread writes every
// byte of its cells and zeroes the gaps around them, nothing else clears a page):
// "plain" the premultiplied copy of every turned copy the atlas must make
// anyway (RGBA), "looks" every turned copy eased and baked over its shadow
// (BGRA, as the field's pages keep them), "extra"
// the difference and "extra%" its share of the total. With rotation on the
// lines below give the fills' CPU time over all threads (steadier than the
// wall time on a busy machine), the straightforward per-pixel reference
// (one core) for comparison, and the looks' own work on one core in CPU time
// split into its per-piece part and the cells, and where the fills' wall
// time goes (the code plane, each thread's busy time, and what zeroing the
// looks' gaps adds to a fill that zeroes nothing).
// --quick runs only the 2560 x 1920 level-0 cut with rotation and emboss on;
// --fills=N makes that cut once and times only the fills, N rounds, and
// the looks' fill also the former way (each page zeroed whole first on one
// thread while the other waits) and without any zeroing.
#include "support.h"

#include "base/run_threads.h"
#include "cutting/classic_cut.h"
#include "cutting/piece_images.h"
#include "cutting/piece_looks.h"
#include "model/puzzle.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <ctime>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Result {
    int pieces = 0, attempts = 0;
    double partition = 0, prep = 0, curves = 0, fill = 0, stray = 0, tails = 0, images = 0, copy = 0, total = 0;
    double plain = 0, looks = 0, looksRef = 0;
    double plainCpu = 0, looksCpu = 0;  // the same fills in CPU time, every thread
    // Where the fills' wall time goes (FillTimes): the looks' code plane,
    // zeroing the pages, the cells, and the two threads' CPU time in them.
    double lkPlane = 0, lkZero = 0, lkCells = 0, lkBusy0 = 0, lkBusy1 = 0;  // lkZero: the looks less the same without zeroing
    double plCells = 0, plBusy0 = 0, plBusy1 = 0;
    double pieceCpu = 0, cellsCpu = 0;  // the looks on one core: per piece (the shadow), then its cells
    size_t imageBytes = 0, imageMust = 0;
};

// ---- The atlas's filling ------------------------------------------------------------------

void PrintLoad(const char* when)
{
    double l1 = 0, l5 = 0, l15 = 0;
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf %lf %lf", &l1, &l5, &l15) != 3)
            l1 = l5 = l15 = 0;
        std::fclose(f);
    }
    std::printf("load average %s: %.2f %.2f %.2f\n", when, l1, l5, l15);
}

struct Cell {
    int piece;
    int page;
    size_t at;    // byte offset of the piece's first cell in its page
    int pitch;    // from one turned copy to the next, pixels
    int x, y, bw, bh;         // the block of its cells in the page, pixels
    int shelfH = 0;           // the height of its shelf, pixels
    bool lastInShelf = false;  // nothing lies right of it on its shelf
};
constexpr int kPageSide = 4096;  // as the atlas's pages

// Calls fn(i, piece, image, strip) for every piece that has an image to bake.
template <typename Fn>
void ForEachBakedPiece(const std::vector<TJig>& jigs, const std::vector<OMyImage>& images, int count, bool rotate,
                       Fn fn)
{
    for (int i = 0; i < count; ++i) {
        const TJig& j = jigs[size_t(i)];
        const OMyImage& img = images[size_t(i)];
        if (img.HasPixels() && j.W >= 1 && j.H >= 1)
            fn(i, j, img, PieceHasStrip(j, rotate));
    }
}

// The pieces' blocks shelf-packed into pages as the atlas packs them, the
// extra of a cell ew x eh; *heights receives each page's height.
std::vector<Cell> PackCells(const std::vector<TJig>& jigs, const std::vector<OMyImage>& images, int count,
                            bool rotate, int ew, int eh, std::vector<int>* heights)
{
    std::vector<Cell> cells;
    int page = 0, x = 0, y = 0, shelfH = 0;
    ForEachBakedPiece(jigs, images, count, rotate, [&](int i, const TJig& j, const OMyImage& img, bool strip) {
        const int pitch = strip ? img.H + std::max(ew, eh) : j.W + ew;
        const int bw = strip ? 4 * pitch : pitch, bh = strip ? pitch : j.H + eh;
        if (bw > kPageSide || bh > kPageSide)
            return;
        if (x + bw > kPageSide)
            x = 0, y += shelfH, shelfH = 0;
        if (y + bh > kPageSide)
            ++page, x = y = shelfH = 0;
        cells.push_back({i, page, (size_t(y) * kPageSide + size_t(x)) * 4, pitch, x, y, bw, bh});
        x += bw;
        shelfH = std::max(shelfH, bh);
        heights->resize(size_t(page) + 1, 0);
        (*heights)[size_t(page)] = std::max((*heights)[size_t(page)], y + bh);
    });
    for (size_t a = 0, b = 0; a < cells.size(); a = b) {  // shelf by shelf
        int h = 0;
        for (b = a; b < cells.size() && cells[b].page == cells[a].page && cells[b].y == cells[a].y; ++b)
            h = std::max(h, cells[b].bh);
        for (size_t k = a; k < b; ++k)
            cells[k].shelfH = h;
        cells[b - 1].lastInShelf = true;
    }
    return cells;
}

// Where the field draws a group's pieces from (the top left of the turned picture on).
int64_t DrawKey(const TJig& p, int r)
{
    const int cx = p.CellX + p.CellW / 2, cy = p.CellY + p.CellH / 2;
    const int kx = r == 1 ? -cy : r == 2 ? -cx : r == 3 ? cy : cx;
    const int ky = r == 1 ? cx : r == 2 ? -cy : r == 3 ? -cx : cy;
    return int64_t(ky) * (int64_t(1) << 32) + kx;
}

double ProcessCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Where a fill's wall time goes, in milliseconds: making the code plane,
// zeroing the whole pages first (Zero::WholePage only), the cells with the
// gaps around them (from the threads' start to the last one's end, summed
// over the pages) and each thread's CPU time in them.
struct FillTimes {
    double cpu = 0, plane = 0, zero = 0, cells = 0;
    double busy[2] = {0, 0};  // the first two threads (the bench's machine has two cores)
};

// What a fill writes: the plain premultiplied copy of every turned copy or
// the looks (eased, over the shadow, which keeps off the neighbours drawn before).
enum class Fill { Plain, Looks };
// How the bytes outside the cells are cleared: as the field does (each
// thread zeroes the gaps around the cells it has just written, while they
// are in its cache), each page whole first on one thread while the other
// waits (the former way), or not at all (to tell what zeroing costs).
enum class Zero { Gaps, WholePage, None };

// Fills the pages on every core as the field fills its atlas: each piece's
// cells, every byte of them, by one thread, and the rest as `zero` says.
// Returns the wall time; *times says where it went.
double FillPages(const std::vector<TJig>& jigs, const std::vector<OMyImage>& images, const OMyImage& masks,
                 int count, bool rotate, Fill fill, FillTimes* times, Zero zero = Zero::Gaps)
{
    const bool looks = fill == Fill::Looks;
    const TShadowLook& look = kShadowLook;
    const int ew = looks ? look.ExtraW() : 0, eh = looks ? look.ExtraH() : 0;
    std::vector<int> heights;
    const std::vector<Cell> cells = PackCells(jigs, images, count, rotate, ew, eh, &heights);
    const int pages = int(heights.size());
    // One page buffer, reused for every page as the atlas does; its memory
    // is touched before the clock starts (a fresh mapping's first touch
    // costs more than the whole filling on this machine's virtual memory).
    const size_t row = size_t(kPageSide) * 4;
    std::vector<uint8_t> page(row * kPageSide, 1);
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    const double t0 = NowMs(), c0 = ProcessCpuMs();
    TCodePlane plane;
    if (fill == Fill::Looks)
        plane.From(masks, int(threads));
    times->plane = NowMs() - t0;
    std::atomic<int> next{0}, started{0};
    size_t first = 0, end = 0;  // the current page's cells
    std::vector<double> busy(2, 0.0);
    auto worker = [&]() {
        const int me = started++;
        const double b0 = ThreadCpuMs();
        OCellBaker baker(TTexelOrder::Bgra);  // as the field's pages keep them
        TShadowBlockers b;
        for (size_t n = first + size_t(next++); n < end; n = first + size_t(next++)) {
            const Cell& c = cells[n];
            const TJig& j = jigs[size_t(c.piece)];
            const OMyImage& img = images[size_t(c.piece)];
            const bool strip = PieceHasStrip(j, rotate);
            const int cellW = strip ? img.H : img.W, copies = strip ? 4 : 1;
            int cw[4], ch[4];
            for (int r = 0; r < copies; ++r)
                cw[r] = (r % 2 ? j.H : j.W) + ew, ch[r] = (r % 2 ? j.W : j.H) + eh;
            if (fill == Fill::Looks)
                baker.SetPiece(img, cellW, j.W, j.H, look, true);
            for (int r = 0; r < copies; ++r) {
                uint8_t* dst = page.data() + c.at + size_t(r) * size_t(c.pitch) * 4;
                if (fill == Fill::Looks) {
                    b.plane = &plane;
                    b.homeX = j.HomeX, b.homeY = j.HomeY, b.boxW = j.W, b.boxH = j.H;
                    b.blocks.fill(0);
                    for (int16_t nb : j.Nb)
                        if (nb >= 0 && nb < count && DrawKey(jigs[size_t(nb)], r) < DrawKey(j, r))
                            b.blocks[jigs[size_t(nb)].MaskColor] = 1;
                    baker.Bake(r, &b, dst, row);
                    continue;
                }
                for (int y = 0; y < ch[r]; ++y) {
                    const uint8_t* s = MyImageGetLineXY(img, r * cellW, y);
                    uint8_t* d = dst + size_t(y) * row;
                    for (int x = 0; x < cw[r]; ++x, s += 4, d += 4) {
                        const unsigned a = s[3];
                        if (a == 255) {
                            std::memcpy(d, s, 4);
                        } else if (a == 0) {
                            std::memset(d, 0, 4);
                        } else {
                            for (int k = 0; k < 3; ++k) {
                                const unsigned t = s[k] * a + 128;
                                d[k] = uint8_t((t + (t >> 8)) >> 8);
                            }
                            d[3] = uint8_t(a);
                        }
                    }
                }
            }
            if (zero == Zero::Gaps)
                ZeroAtlasBlockGaps(cw, ch, copies, c.pitch, c.bw, c.shelfH,
                                   c.lastInShelf ? kPageSide - c.x - c.bw : 0, page.data() + c.at, row);
        }
        if (me < 2)
            busy[size_t(me)] += ThreadCpuMs() - b0;
    };
    for (int p = 0; p < pages; ++p) {
        first = end;
        while (end < cells.size() && cells[end].page == p)
            ++end;
        const double z0 = NowMs();
        if (zero == Zero::WholePage)
            std::memset(page.data(), 0, row * size_t(heights[size_t(p)]));
        const double z1 = NowMs();
        next = 0;
        started = 0;
        RunOnThreads(int(threads), worker);
        times->zero += z1 - z0;
        times->cells += NowMs() - z1;
    }
    times->busy[0] = busy[0];
    times->busy[1] = busy[1];
    times->cpu = ProcessCpuMs() - c0;
    return NowMs() - t0;
}

// The looks' own work on one core in CPU time, without the pages: *piece
// the per-piece part (the blurred shadow), *cells the
// turned cells baked from it, each into a scratch cell (the best of five
// passes with the cells less the best of five without).
void TimeLooksOnOneCore(const std::vector<TJig>& jigs, const std::vector<OMyImage>& images, const OMyImage& masks,
                        int count, bool rotate, double* piece, double* cells)
{
    TCodePlane plane;
    plane.From(masks);
    OCellBaker baker(TTexelOrder::Bgra);
    TShadowBlockers b;
    std::vector<uint8_t> cell;
    // The least disturbed of five passes each: the machine is shared.
    *piece = *cells = 1e300;
    for (int pass = 0; pass < 10; ++pass) {
        const bool bake = pass % 2 == 1;
        const double c0 = ProcessCpuMs();
        ForEachBakedPiece(jigs, images, count, rotate, [&](int, const TJig& j, const OMyImage& img, bool strip) {
            baker.SetPiece(img, strip ? img.H : img.W, j.W, j.H, kShadowLook, true);
            for (int t = 0; bake && t < (strip ? 4 : 1); ++t) {
                const int cw = (t % 2 ? j.H : j.W) + kShadowLook.ExtraW(), ch = (t % 2 ? j.W : j.H) + kShadowLook.ExtraH();
                cell.resize(size_t(cw) * size_t(ch) * 4);
                b.plane = &plane;
                b.homeX = j.HomeX, b.homeY = j.HomeY, b.boxW = j.W, b.boxH = j.H;
                b.blocks.fill(0);
                for (int16_t nb : j.Nb)
                    if (nb >= 0 && nb < count && DrawKey(jigs[size_t(nb)], t) < DrawKey(j, t))
                        b.blocks[jigs[size_t(nb)].MaskColor] = 1;
                baker.Bake(t, &b, cell.data(), size_t(cw) * 4);
            }
        });
        double& best = bake ? *cells : *piece;
        best = std::min(best, ProcessCpuMs() - c0);
    }
    *cells -= *piece;
}

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
    FillTimes pt, lt, gt;
    r.plain = FillPages(jigs, images, *masks, p.TotalTileNum, rotate, Fill::Plain, &pt);
    r.looks = FillPages(jigs, images, *masks, p.TotalTileNum, rotate, Fill::Looks, &lt);
    r.lkZero = r.looks - FillPages(jigs, images, *masks, p.TotalTileNum, rotate, Fill::Looks, &gt, Zero::None);
    r.plainCpu = pt.cpu, r.looksCpu = lt.cpu;
    r.plCells = pt.cells, r.plBusy0 = pt.busy[0], r.plBusy1 = pt.busy[1];
    r.lkPlane = lt.plane, r.lkCells = lt.cells, r.lkBusy0 = lt.busy[0], r.lkBusy1 = lt.busy[1];
    if (rotate && level == 0 && style == 0) {
        // The straightforward reference: every pixel on its own, one core.
        std::vector<uint8_t> shadow, allowed, cell;
        const double t3 = NowMs();
        ForEachBakedPiece(jigs, images, p.TotalTileNum, rotate, [&](int, const TJig& j, const OMyImage& img, bool strip) {
            MakeShadowAlpha(img, j.W, j.H, kShadowLook, shadow);
            for (int t = 0; t < (strip ? 4 : 1); ++t) {
                const int cw = (t % 2 ? j.H : j.W) + kShadowLook.ExtraW(), ch = (t % 2 ? j.W : j.H) + kShadowLook.ExtraH();
                allowed.assign(size_t(cw) * size_t(ch), 1);  // the field reads the mask for it: about as much
                cell.resize(size_t(cw) * size_t(ch) * 4);
                BakeShadowedCell(img, strip ? img.H : img.W, t, j.W, j.H, shadow, allowed.data(), kShadowLook,
                                 cell.data(), size_t(cw) * 4);
            }
        });
        r.looksRef = NowMs() - t3;
        TimeLooksOnOneCore(jigs, images, *masks, p.TotalTileNum, rotate, &r.pieceCpu, &r.cellsCpu);
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
                            &Result::tails, &Result::images, &Result::copy, &Result::total, &Result::plain, &Result::looks,
                            &Result::looksRef, &Result::plainCpu, &Result::looksCpu, &Result::pieceCpu,
                            &Result::cellsCpu, &Result::lkPlane, &Result::lkZero, &Result::lkCells, &Result::lkBusy0,
                            &Result::lkBusy1, &Result::plCells, &Result::plBusy0, &Result::plBusy1});
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
    std::printf("%-10s %5s %-8s %3s %6s %3s %9s %5s %7s %6s %6s %6s %7s %8s %6s %6s %6s %6s %6s %6s\n", "picture",
                "level", "style", "rot", "pieces", "att", "partition", "prep", "curves", "fill", "stray", "tails",
                "images", "total", "xB", "copy", "plain", "looks", "extra", "extra%");
}

void PrintRow(int w, int h, int level, int style, bool rotate, const Result& r, double B)
{
    std::printf("%4dx%-5d %5d %-8.8s %3s %6d %3d %9.1f %5.1f %7.1f %6.1f %6.1f %6.1f %7.1f %8.1f %6.1f %6.1f %6.1f "
                "%6.1f %6.1f %5.1f%%\n",
                w, h, level, sShapeStyles[size_t(style)], rotate ? "on" : "off", r.pieces, r.attempts, r.partition,
                r.prep, r.curves, r.fill, r.stray, r.tails, r.images, r.total, r.total / B, r.copy, r.plain, r.looks,
                r.looks - r.plain, 100.0 * (r.looks - r.plain) / r.total);
    std::printf("           atlas filling in CPU time (all threads): plain %.1f, looks %.1f, extra %.1f ms\n",
                r.plainCpu, r.looksCpu, r.looksCpu - r.plainCpu);
    std::printf("           wall time of the fills (each thread zeroes the gaps around its cells): plain cells %.1f "
                "(threads busy %.1f + %.1f); looks code plane %.1f, cells %.1f (threads busy %.1f + %.1f), "
                "of which zeroing the gaps (against a fill that zeroes nothing) %.1f ms\n",
                r.plCells, r.plBusy0, r.plBusy1, r.lkPlane, r.lkCells, r.lkBusy0, r.lkBusy1, r.lkZero);
    if (r.looksRef > 0) {
        std::printf("           looks the straightforward way (per pixel, one core): %.1f ms\n", r.looksRef);
        std::printf("           looks on one core in CPU time, without pages: per piece (the shadow) %.1f, "
                    "cells %.1f ms\n", r.pieceCpu, r.cellsCpu);
    }
}

// --fills=N: one cut, then the atlas's fills alone N times over, plain and
// looks taking turns (steadier figures for the looks' extra than whole cuts).
void RunFillsOnly(int rounds)
{
    const OMyImagePtr picture = MakePhotoLikeRgba(2560, 1920);
    BenchResetAll();
    TJigParams p = BenchCutParams(picture->W, picture->H, 0, true, 0);
    std::vector<TJig> jigs(size_t(p.TotalTileNum) + 1);
    OMyImagePtr masks;
    SRand(1000u);
    CreateMasksForVoronoiStyle(p, jigs, masks);
    std::vector<OMyImage> images;
    BuildPieceImages(*picture, *masks, jigs, p.TotalTileNum, true, 1, true, images);
    std::vector<double> plain, looks, whole, bare, extra, plainCpu, looksCpu, piece, cells, zero, codes, busy0, busy1;
    for (int i = 0; i < rounds; ++i) {
        FillTimes pt, lt;
        plain.push_back(FillPages(jigs, images, *masks, p.TotalTileNum, true, Fill::Plain, &pt));
        looks.push_back(FillPages(jigs, images, *masks, p.TotalTileNum, true, Fill::Looks, &lt));
        FillTimes wt, gt;
        whole.push_back(FillPages(jigs, images, *masks, p.TotalTileNum, true, Fill::Looks, &wt, Zero::WholePage));
        bare.push_back(FillPages(jigs, images, *masks, p.TotalTileNum, true, Fill::Looks, &gt, Zero::None));
        zero.push_back(wt.zero);
        extra.push_back(looks.back() - plain.back());
        plainCpu.push_back(pt.cpu), looksCpu.push_back(lt.cpu);
        codes.push_back(lt.plane), busy0.push_back(lt.busy[0]), busy1.push_back(lt.busy[1]);
        double a = 0, b = 0;
        TimeLooksOnOneCore(jigs, images, *masks, p.TotalTileNum, true, &a, &b);
        piece.push_back(a), cells.push_back(b);
    }
    auto best = [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); };
    std::printf("2560x1920 level 0 with rotation, %d pieces, %d rounds: median (least)\n", p.TotalTileNum, rounds);
    std::printf("  fills wall: plain %.1f (%.1f), looks %.1f (%.1f), extra %.1f (%.1f) ms\n", Median(plain),
                best(plain), Median(looks), best(looks), Median(extra), best(extra));
    std::printf("  looks with each page zeroed whole first on one thread (the former way): %.1f (%.1f) ms, of which "
                "zeroing %.1f; looks zeroing nothing: %.1f (%.1f) ms\n",
                Median(whole), best(whole), Median(zero), Median(bare), best(bare));
    std::printf("  fills CPU, all threads: plain %.1f (%.1f), looks %.1f (%.1f) ms; looks' threads busy %.1f + %.1f, "
                "code plane (every core) %.1f ms\n", Median(plainCpu), best(plainCpu), Median(looksCpu), best(looksCpu),
                Median(busy0), Median(busy1), Median(codes));
    std::printf("  looks on one core in CPU time: per piece %.1f (%.1f), cells %.1f (%.1f) ms\n", Median(piece),
                best(piece), Median(cells), best(cells));
}

}  // namespace

int main(int argc, char** argv)
{
    const auto [repeats, quick] = ParseBenchArgs(argc, argv);
    PrintLoad("at start");
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--fills=", 8) == 0) {
            RunFillsOnly(std::max(1, std::atoi(argv[i] + 8)));
            PrintLoad("at end");
            return 0;
        }
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
    PrintLoad("at end");
    return 0;
}
