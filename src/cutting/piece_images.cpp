// Piece images: every piece cut out of the picture along the mask, with its
// turned copies and the emboss, built on all cores.
//
// Sections: emboss tables | literal emboss | one piece | all pieces | facade.
#include "cutting/piece_images.h"

#include "base/run_threads.h"
#include "cutting/cutting.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstring>
#include <memory>
#include <thread>

namespace {

// ---- Emboss tables ------------------------------------------------------------------

constexpr int kEmbossDepth[5] = {0, 1, 2, 3, 3};
constexpr std::array<int, 8> kKoef1 = {20, 20, -20, -20, 40, 10, -40, -10};
constexpr std::array<int, 8> kKoef2 = {10, 10, -10, -10, 20, 5, -20, -5};
constexpr std::array<int, 8> kKoef3 = {8, 8, -8, -8, 12, 5, -12, -5};
// Direction vectors in the coefficient order (y downwards).
constexpr int kDirX[8] = {-1, 0, 1, 0, -1, 1, 1, -1};
constexpr int kDirY[8] = {0, -1, 0, 1, -1, -1, 1, 1};
constexpr int kStraight = 128, kDiagonal = 181;  // a step's weight, 128ths of a pixel

int DirIndex(int dx, int dy)
{
    for (int d = 0; d < 8; ++d)
        if (kDirX[d] == dx && kDirY[d] == dy)
            return d;
    return -1;
}

// The weight of distance k in direction d: what it adds times the coefficient.
int Base(const TEmbossParams& e, int d, int k)
{
    const int wd = k * (d < 4 ? kStraight : kDiagonal);
    return wd <= e.level ? e.level - wd : 0;
}

int DeltaOf(int sum)
{
    const int delta = sum / 128;
    return delta < -127 ? -127 : delta > 127 ? 127 : delta;
}

void AddDelta(uint8_t* p, int delta)
{
    if (delta == 0)
        return;
    p[0] = uint8_t(RetByte(p[0] + delta));
    p[1] = uint8_t(RetByte(p[1] + delta));
    p[2] = uint8_t(RetByte(p[2] + delta));
}

}  // namespace

TEmbossParams EmbossParams(int style)
{
    TEmbossParams e;
    e.depth = kEmbossDepth[std::clamp(style, 0, 4)];
    e.reach = std::max(e.depth + 2, 1);
    e.level = (e.depth + 1) * 128;
    e.coef = style == 1 ? kKoef1 : style == 2 ? kKoef2 : kKoef3;
    return e;
}

bool PieceHasStrip(const TJig& j, bool rotate) { return rotate && j.MaskColor != cFrameColor; }

// ---- Literal emboss ---------------------------------------------------------------------

void CreateEmbossedEdgesLiteral(OMyImage& img, int style)
{
    if (style == kEmbossNone || !img.bAlpha || !img.pMem)
        return;
    const TEmbossParams e = EmbossParams(style);
    for (int y = 0; y < img.H; ++y)
        for (int x = 0; x < img.W; ++x) {
            uint8_t* p = MyImageGetLineXY(img, x, y);
            if (p[3] == 0)
                continue;
            int sum = 0;
            for (int d = 0; d < 8; ++d) {
                int k = 1;
                for (; k < e.reach; ++k) {
                    const int qx = x + k * kDirX[d], qy = y + k * kDirY[d];
                    if (qx < 0 || qy < 0 || qx >= img.W || qy >= img.H || MyImageGetLineXY(img, qx, qy)[3] == 0)
                        break;
                }
                sum += Base(e, d, k) * e.coef[size_t(d)];
            }
            AddDelta(p, DeltaOf(sum));
        }
}

OMyImage BuildPieceImageLiteral(const OMyImage& picture, const OMyImage& masks, const TJig& j, bool rotate,
                                int embossStyle)
{
    const int w = j.W, h = j.H, s = std::max(w, h);
    const bool strip = PieceHasStrip(j, rotate);
    OMyImage out(strip ? 4 * s : w, strip ? s : h, true);
    for (int r = 0; r < (strip ? 4 : 1); ++r) {
        const bool odd = r % 2 == 1;
        OMyImage copy(odd ? h : w, odd ? w : h, true);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int mx = j.HomeX + x, my = j.HomeY + y;
                if (mx < 0 || my < 0 || mx >= masks.W || my >= masks.H ||
                    MyImageGetLineXY(masks, mx, my)[2] != j.MaskColor)
                    continue;
                const int cx = r == 0 ? x : r == 1 ? h - 1 - y : r == 2 ? w - 1 - x : y;
                const int cy = r == 0 ? y : r == 1 ? x : r == 2 ? h - 1 - y : w - 1 - x;
                const uint8_t* src = MyImageGetLineXY(picture, mx, my);
                uint8_t* d = MyImageGetLineXY(copy, cx, cy);
                d[0] = src[0], d[1] = src[1], d[2] = src[2], d[3] = 255;
            }
        CreateEmbossedEdgesLiteral(copy, embossStyle);
        for (int y = 0; y < copy.H; ++y)
            std::memcpy(MyImageGetLineXY(out, r * s, y), MyImageGetLineXY(copy, 0, y), size_t(copy.W) * 4);
    }
    return out;
}

// ---- One piece ----------------------------------------------------------------------------
// A piece's opacity goes into a map with a transparent margin, so that every
// pixel's neighbourhood can be read at fixed offsets. Light reaches only a
// few pixels in: per direction the distance to the first transparent pixel
// matters only up to a cap (the first distance that adds nothing), so the
// four straight distances pack into one byte and the four diagonal ones into
// another, and per turned copy two 256-entry tables give the shade's sum.
// The distances depend on alpha alone and a quarter turn only relabels the
// directions: one reading serves all four copies.

namespace {

constexpr int kPad = 3;  // the map's margin: the largest cap less one

struct TScratch {
    std::vector<uint8_t> opaque;     // (w + 2 kPad) x (h + 2 kPad), 1 = the piece
    std::vector<uint32_t> rowValue;  // one row's plain colours
    std::vector<uint8_t> rowDeep;    // one row: 1 = deep inside, out of the light's reach
};

struct TPieceJob {
    const OMyImage& picture;
    const OMyImage& masks;
    const TEmbossParams& e;
    bool emboss;
    // Distances are counted only up to the first one that adds no light.
    int capS = 1, capD = 1;
    // Per copy r: the coefficient each source direction takes in that copy.
    int coefR[4][8];
    // Per copy: the sums of the straight and of the diagonal directions for
    // each packed code (two bits a direction: distance - 1).
    int sumS[4][256], sumD[4][256];
};

void BuildShadeTables(TPieceJob& job)
{
    for (int r = 0; r < 4; ++r)
        for (int code = 0; code < 256; ++code) {
            int ss = 0, sd = 0;
            for (int i = 0; i < 4; ++i) {
                const int k = ((code >> (2 * i)) & 3) + 1;
                ss += Base(job.e, i, k) * job.coefR[r][i];
                sd += Base(job.e, 4 + i, k) * job.coefR[r][4 + i];
            }
            job.sumS[r][code] = ss;
            job.sumD[r][code] = sd;
        }
}

// The piece's pixels (mask blue byte = its code) as 1 in the padded map.
void MarkOpaque(const TPieceJob& job, const TJig& j, TScratch& sc, int pw)
{
    const int w = j.W, h = j.H;
    sc.opaque.assign(size_t(pw) * size_t(h + 2 * kPad), 0);
    const int x0 = std::max(0, -j.HomeX), x1 = std::min(w, job.masks.W - j.HomeX);
    for (int y = 0; y < h; ++y) {
        const int my = j.HomeY + y;
        if (my < 0 || my >= job.masks.H || x0 >= x1)
            continue;
        const uint8_t* m = MyImageGetLineXY(job.masks, j.HomeX + x0, my) + 2;  // the blue byte
        uint8_t* o = sc.opaque.data() + size_t(y + kPad) * size_t(pw) + kPad;
        for (int x = x0; x < x1; ++x, m += 4)
            o[x] = *m == j.MaskColor;
    }
}

// Distance - 1 to the first transparent pixel from p along `off`, up to cap - 1.
inline int Steps(const uint8_t* p, ptrdiff_t off, int cap)
{
    int n = 0;
    for (int k = 1; k < cap && p[k * off]; ++k)
        ++n;
    return n;
}

// Where source pixel (x, y) of a w x h box lands in copy r of a strip of
// squares of side s: base[r] + x * dx[r] + y * dy[r] bytes into the image.
struct TCopyMap {
    uint8_t* base[4];
    ptrdiff_t dx[4], dy[4];
};

TCopyMap MapCopies(OMyImage& out, int s, int w, int h)
{
    const ptrdiff_t bpl = out.iBPL;
    TCopyMap m;
    m.base[0] = MyImageGetLineXY(out, 0, 0), m.dx[0] = 4, m.dy[0] = bpl;  // upright
    if (out.W >= 4 * s) {
        m.base[1] = MyImageGetLineXY(out, s + h - 1, 0), m.dx[1] = bpl, m.dy[1] = -4;          // (s+h-1-y, x)
        m.base[2] = MyImageGetLineXY(out, 2 * s + w - 1, h - 1), m.dx[2] = -4, m.dy[2] = -bpl;  // (2s+w-1-x, h-1-y)
        m.base[3] = MyImageGetLineXY(out, 3 * s, w - 1), m.dx[3] = -bpl, m.dy[3] = 4;          // (3s+y, w-1-x)
    }
    return m;
}

inline uint8_t AddClamped(uint8_t v, int delta)
{
    const int r = v + delta;
    return uint8_t(r < 0 ? 0 : r > 255 ? 255 : r);
}

// What one piece's rows need: where the copies go, the map's offsets per
// direction, the (direction, step) pairs within the light's reach.
struct TPieceRows {
    const TPieceJob& job;
    const TJig& j;
    int copies, pw;
    TCopyMap map;
    ptrdiff_t off[8];
    ptrdiff_t reachOffs[32];
    int reachCount = 0;
    int x0, x1;  // the box's columns inside the picture

    TPieceRows(const TPieceJob& jb, const TJig& jg, int cp, OMyImage& out, int mapW)
        : job(jb), j(jg), copies(cp), pw(mapW), map(MapCopies(out, std::max(jg.W, jg.H), jg.W, jg.H))
    {
        for (int d = 0; d < 8; ++d)
            off[d] = ptrdiff_t(kDirY[d]) * pw + kDirX[d];
        for (int d = 0; d < 8; ++d)
            for (int k = 1; k < (d < 4 ? job.capS : job.capD); ++k)
                reachOffs[reachCount++] = k * off[d];
        x0 = std::max(0, -j.HomeX);
        x1 = std::min(j.W, job.masks.W - j.HomeX);
    }

    // Row y's plain colours (transparent black outside the piece: writing
    // those over the zeroed image changes nothing) into every copy.
    void WritePlain(int y, const uint8_t* o, uint32_t* value, uint8_t** row) const
    {
        const int w = j.W;
        std::fill(value, value + w, 0u);
        if (x0 < x1 && j.HomeY + y >= 0 && j.HomeY + y < job.picture.H) {
            const int bpp = job.picture.iBPP;
            const uint8_t* src = MyImageGetLineXY(job.picture, j.HomeX + x0, j.HomeY + y);
            for (int x = x0; x < x1; ++x, src += bpp) {
                const uint32_t rgba = uint32_t(src[0]) | uint32_t(src[1]) << 8 | uint32_t(src[2]) << 16 | 0xFF000000u;
                value[x] = rgba & (0u - uint32_t(o[x]));
            }
        }
        std::memcpy(row[0], value, size_t(w) * 4);
        for (int r = 1; r < copies; ++r) {
            uint8_t* d = row[r];
            for (int x = 0; x < w; ++x, d += map.dx[r])
                std::memcpy(d, value + x, 4);
        }
    }

    // The pixels of row y that the light reaches get their shade in every copy.
    void Shade(const uint8_t* o, uint8_t* deep, uint8_t** row) const
    {
        const int w = j.W, capS = job.capS, capD = job.capD;
        // Deep pixels: opaque with no transparent one within reach (eight
        // map bytes at a time).
        std::memcpy(deep, o, size_t(w));
        for (int i = 0; i < reachCount; ++i) {
            const uint8_t* q = o + reachOffs[i];
            int x = 0;
            for (; x + 8 <= w; x += 8) {
                uint64_t a, b;
                std::memcpy(&a, deep + x, 8);
                std::memcpy(&b, q + x, 8);
                a &= b;
                std::memcpy(deep + x, &a, 8);
            }
            for (; x < w; ++x)
                deep[x] &= q[x];
        }
        for (int x = 0; x < w; ++x) {
            if (!o[x] || deep[x])
                continue;  // transparent, or out of the light's reach
            const uint8_t* p = o + x;
            const int cs = Steps(p, off[0], capS) | Steps(p, off[1], capS) << 2 | Steps(p, off[2], capS) << 4 |
                           Steps(p, off[3], capS) << 6;
            const int cd = Steps(p, off[4], capD) | Steps(p, off[5], capD) << 2 | Steps(p, off[6], capD) << 4 |
                           Steps(p, off[7], capD) << 6;
            for (int r = 0; r < copies; ++r) {
                const int delta = DeltaOf(job.sumS[r][cs] + job.sumD[r][cd]);
                if (delta == 0)
                    continue;
                uint8_t* d = row[r] + ptrdiff_t(x) * map.dx[r];
                d[0] = AddClamped(d[0], delta), d[1] = AddClamped(d[1], delta), d[2] = AddClamped(d[2], delta);
            }
        }
    }
};

void ShadeAndWrite(const TPieceJob& job, const TJig& j, int copies, OMyImage& out, TScratch& sc, int pw)
{
    const TPieceRows rows(job, j, copies, out, pw);
    sc.rowValue.resize(size_t(j.W));
    sc.rowDeep.resize(size_t(j.W));
    for (int y = 0; y < j.H; ++y) {
        const uint8_t* o = sc.opaque.data() + size_t(y + kPad) * size_t(pw) + kPad;
        uint8_t* row[4];
        for (int r = 0; r < copies; ++r)
            row[r] = rows.map.base[r] + ptrdiff_t(y) * rows.map.dy[r];
        rows.WritePlain(y, o, sc.rowValue.data(), row);
        if (job.emboss)
            rows.Shade(o, sc.rowDeep.data(), row);
    }
}

// Fills one piece image (already the right size and all zero).
void FillPiece(const TPieceJob& job, const TJig& j, bool strip, OMyImage& out, TScratch& sc)
{
    if (j.W < 1 || j.H < 1)
        return;
    const int pw = j.W + 2 * kPad;
    MarkOpaque(job, j, sc, pw);
    ShadeAndWrite(job, j, strip ? 4 : 1, out, sc, pw);
}

// The image size of piece j; a box that cannot lie in the picture gets an
// empty image rather than an allocation sized by bad data.
void PieceImageSize(const TJig& j, bool strip, const OMyImage& masks, int* iw, int* ih)
{
    if (j.W < 1 || j.H < 1 || j.W > masks.W || j.H > masks.H) {
        *iw = *ih = 0;
        return;
    }
    const int s = std::max(j.W, j.H);
    *iw = strip ? 4 * s : j.W;
    *ih = strip ? s : j.H;
}

}  // namespace

// ---- All pieces ---------------------------------------------------------------------------

namespace {

// The job of one build: caps, per-copy coefficients and shade tables.
std::unique_ptr<TPieceJob> MakeJob(const OMyImage& picture, const OMyImage& masks, const TEmbossParams& e,
                                   int embossStyle)
{
    auto job = std::make_unique<TPieceJob>(TPieceJob{picture, masks, e, embossStyle != 0, 1, 1, {}, {}, {}});
    // The first distance at which a direction adds nothing (at most the reach).
    while (job->capS < e.reach && Base(e, 0, job->capS) > 0)
        ++job->capS;
    while (job->capD < e.reach && Base(e, 4, job->capD) > 0)
        ++job->capD;
    assert(job->capS - 1 <= kPad && job->capD - 1 <= kPad);
    for (int r = 0; r < 4; ++r)
        for (int d = 0; d < 8; ++d) {
            int dx = kDirX[d], dy = kDirY[d];
            for (int t = 0; t < r; ++t) {  // a quarter turn clockwise: (x, y) -> (-y, x)
                const int nx = -dy;
                dy = dx;
                dx = nx;
            }
            job->coefR[r][d] = e.coef[size_t(DirIndex(dx, dy))];
        }
    BuildShadeTables(*job);
    return job;
}

// Makes the images anew on one shared block (one allocation, on large
// pages, already zero: 4000 separate heap blocks cost a page fault every
// 4 KB), unless `images` already has the right sizes. Answers whether they
// are fresh (zero).
bool LayOutImages(const OMyImage& masks, const std::vector<TJig>& jigs, int count, bool rotate, bool create,
                  std::vector<OMyImage>& images)
{
    std::vector<size_t> offset(static_cast<size_t>(count) + 1, 0);
    std::vector<TSize> dims(static_cast<size_t>(count));
    bool sameSizes = !create && images.size() == size_t(count);
    for (int i = 0; i < count; ++i) {
        const TJig& j = jigs[size_t(i)];
        int iw, ih;
        PieceImageSize(j, PieceHasStrip(j, rotate), masks, &iw, &ih);
        dims[size_t(i)] = {iw, ih};
        offset[size_t(i) + 1] = offset[size_t(i)] + ((size_t(iw) * size_t(ih) * 4 + 63) & ~size_t(63));
        if (sameSizes) {
            const OMyImage& old = images[size_t(i)];
            sameSizes = old.W == iw && old.H == ih && old.pMem && old.bAlpha;
        }
    }
    if (sameSizes)
        return false;
    images.clear();
    images.resize(size_t(count));
    const std::shared_ptr<uint8_t> block = MyImageAllocShared(std::max<size_t>(offset.back(), 64));
    for (int i = 0; i < count; ++i) {
        const TSize d = dims[size_t(i)];
        if (block)
            MyImagePlaceOn(images[size_t(i)], block, block.get() + offset[size_t(i)], d.cx, d.cy, true);
        else
            images[size_t(i)] = OMyImage(d.cx, d.cy, true);
    }
    return true;
}

// Pieces in index order, neighbours after one another, so that the picture
// and mask rows a piece reads are still in the cache for the next; only the
// largest piece (the frame) goes first, so that no thread is left with it
// at the end.
std::vector<int> WorkOrder(const std::vector<TJig>& jigs, int count)
{
    std::vector<int> order(static_cast<size_t>(count));
    int largest = 0;
    for (int i = 0; i < count; ++i)
        if (int64_t(jigs[size_t(i)].W) * jigs[size_t(i)].H > int64_t(jigs[size_t(largest)].W) * jigs[size_t(largest)].H)
            largest = i;
    for (int i = 0; i < count; ++i)
        order[size_t(i)] = i == 0 ? largest : i <= largest ? i - 1 : i;
    return order;
}

}  // namespace

void BuildPieceImages(const OMyImage& picture, const OMyImage& masks, std::vector<TJig>& jigs, int count,
                      bool rotate, int embossStyle, bool create, std::vector<OMyImage>& images, int threads)
{
    assert(count >= 0 && size_t(count) <= jigs.size());
    assert(picture.W == masks.W && picture.H == masks.H && masks.iBPP == 4);
    assert(picture.iBPP == 4 || picture.iBPP == 3);
    const TEmbossParams e = EmbossParams(embossStyle);
    const std::unique_ptr<TPieceJob> job = MakeJob(picture, masks, e, embossStyle);
    const bool fresh = LayOutImages(masks, jigs, count, rotate, create, images);
    if (threads <= 0)
        threads = int(std::max(1u, std::thread::hardware_concurrency()));
    threads = std::min(threads, std::max(1, count));
    const std::vector<int> order = WorkOrder(jigs, count);
    // Each image is written by one thread only; the result does not depend
    // on which, or on how many there are.
    std::atomic<int> next{0};
    auto worker = [&]() {
        TScratch sc;
        for (int n = next++; n < count; n = next++) {
            const int i = order[size_t(n)];
            OMyImage& img = images[size_t(i)];
            if (!fresh)
                std::memset(img.pMem, 0, img.ByteCount());
            if (img.W > 0)
                FillPiece(*job, jigs[size_t(i)], PieceHasStrip(jigs[size_t(i)], rotate), img, sc);
        }
    };
    RunOnThreads(threads, worker);
}

// ---- Facade -------------------------------------------------------------------------------

void CreateEmbossedEdges(OMyImage& img, int style)
{
    if (style == kEmbossNone || !img.bAlpha || !img.pMem || img.W < 1 || img.H < 1)
        return;
    // The whole image as one piece: its alpha is the outline, its colours the picture.
    OMyImage masks(img.W, img.H, true);
    for (int y = 0; y < img.H; ++y) {
        const uint8_t* s = MyImageGetLineXY(img, 0, y);
        uint8_t* m = MyImageGetLineXY(masks, 0, y);
        for (int x = 0; x < img.W; ++x, s += 4, m += 4)
            m[2] = s[3] != 0 ? 1 : 0;
    }
    TJig j;
    j.W = img.W;
    j.H = img.H;
    j.MaskColor = 1;
    std::vector<TJig> one{j};
    std::vector<OMyImage> out;
    BuildPieceImages(img, masks, one, 1, false, style, true, out, 1);
    // Transparent pixels keep their colour bytes; only the opaque ones change.
    for (int y = 0; y < img.H; ++y) {
        uint8_t* d = MyImageGetLineXY(img, 0, y);
        const uint8_t* s = MyImageGetLineXY(out[0], 0, y);
        for (int x = 0; x < img.W; ++x, d += 4, s += 4)
            if (d[3] != 0)
                d[0] = s[0], d[1] = s[1], d[2] = s[2];
    }
}
