// Piece images: every piece cut out of the picture along the mask, with its
// turned copies and the emboss, built on all cores.
//
// Sections: emboss tables | literal emboss | one piece | all pieces | facade.
#include "cutting/piece_images.h"

#include "cutting/cutting.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstring>
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

PieceTextureMaker g_textureMaker = nullptr;  // per run; installed by the play field

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
    if (style == 0 || !img.bAlpha || !img.pMem)
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
// Forward sweep: distances left, up, up-left, up-right of every pixel, each
// 1 when the next pixel that way is transparent or outside, else one more
// than that pixel's (capped at R). Backward sweep: right, down, down-right,
// down-left the same way from the other end, and with all eight at hand the
// pixel's colour goes to its place in every copy with that copy's shade.

namespace {

struct TScratch {
    std::vector<uint8_t> opaque;  // w * h
    std::vector<uint8_t> fwd;     // 4 per pixel: left, up, up-left, up-right
    std::vector<uint8_t> below, belowNext;  // 3 per pixel of a row: down, down-right, down-left
};

struct TPieceJob {
    const OMyImage& picture;
    const OMyImage& masks;
    const TEmbossParams& e;
    bool emboss;
    // Per copy r: the coefficient each source direction takes in that copy.
    int coefR[4][8];
};

void MarkOpaque(const TPieceJob& job, const TJig& j, TScratch& sc)
{
    const int w = j.W, h = j.H;
    sc.opaque.assign(size_t(w) * size_t(h), 0);
    const int x0 = std::max(0, -j.HomeX), x1 = std::min(w, job.masks.W - j.HomeX);
    for (int y = 0; y < h; ++y) {
        const int my = j.HomeY + y;
        if (my < 0 || my >= job.masks.H || x0 >= x1)
            continue;
        const uint8_t* m = MyImageGetLineXY(job.masks, j.HomeX + x0, my) + 2;  // the blue byte
        uint8_t* o = sc.opaque.data() + size_t(y) * size_t(w);
        for (int x = x0; x < x1; ++x, m += 4)
            o[x] = *m == j.MaskColor;
    }
}

void ForwardSweep(const TJig& j, int R, TScratch& sc)
{
    const int w = j.W, h = j.H;
    sc.fwd.resize(size_t(w) * size_t(h) * 4);
    auto step = [R](bool opaque, uint8_t k) { return uint8_t(opaque ? std::min(R, k + 1) : 1); };
    for (int y = 0; y < h; ++y) {
        const uint8_t* o = sc.opaque.data() + size_t(y) * size_t(w);
        const uint8_t* oUp = y > 0 ? o - w : nullptr;
        uint8_t* f = sc.fwd.data() + size_t(y) * size_t(w) * 4;
        const uint8_t* fUp = y > 0 ? f - size_t(w) * 4 : nullptr;
        for (int x = 0; x < w; ++x, f += 4) {
            f[0] = x > 0 ? step(o[x - 1], f[-4]) : 1;
            f[1] = oUp ? step(oUp[x], fUp[4 * x + 1]) : 1;
            f[2] = oUp && x > 0 ? step(oUp[x - 1], fUp[4 * (x - 1) + 2]) : 1;
            f[3] = oUp && x < w - 1 ? step(oUp[x + 1], fUp[4 * (x + 1) + 3]) : 1;
        }
    }
}

// Writes source pixel (x, y) of a w x h box into every copy of `out`.
inline void PutCopies(OMyImage& out, int copies, int s, int w, int h, int x, int y, const uint8_t* rgb,
                      const int* delta)
{
    for (int r = 0; r < copies; ++r) {
        const int cx = r == 0 ? x : r == 1 ? s + h - 1 - y : r == 2 ? 2 * s + w - 1 - x : 3 * s + y;
        const int cy = r == 0 ? y : r == 1 ? x : r == 2 ? h - 1 - y : w - 1 - x;
        uint8_t* d = MyImageGetLineXY(out, cx, cy);
        d[0] = rgb[0], d[1] = rgb[1], d[2] = rgb[2], d[3] = 255;
        AddDelta(d, delta[r]);
    }
}

void BackwardSweepAndWrite(const TPieceJob& job, const TJig& j, int copies, OMyImage& out, TScratch& sc)
{
    const int w = j.W, h = j.H, s = std::max(w, h), R = job.e.reach;
    sc.below.assign(size_t(w) * 3, 1);
    sc.belowNext.resize(size_t(w) * 3);
    auto step = [R](bool opaque, uint8_t k) { return uint8_t(opaque ? std::min(R, k + 1) : 1); };
    // Base values per direction and distance, 0 beyond the reach of the light.
    int base[8][8] = {};
    for (int d = 0; d < 8; ++d)
        for (int k = 1; k <= R; ++k)
            base[d][k] = Base(job.e, d, k);
    for (int y = h - 1; y >= 0; --y) {
        const uint8_t* o = sc.opaque.data() + size_t(y) * size_t(w);
        const uint8_t* oDown = y < h - 1 ? o + w : nullptr;
        const uint8_t* f = sc.fwd.data() + size_t(y) * size_t(w) * 4;
        const int my = j.HomeY + y;
        uint8_t right = 1;
        for (int x = w - 1; x >= 0; --x) {
            uint8_t* bn = sc.belowNext.data() + 3 * x;
            right = x < w - 1 ? step(o[x + 1], right) : 1;
            bn[0] = oDown ? step(oDown[x], sc.below[size_t(3 * x)]) : 1;
            bn[1] = oDown && x < w - 1 ? step(oDown[x + 1], sc.below[size_t(3 * (x + 1) + 1)]) : 1;
            bn[2] = oDown && x > 0 ? step(oDown[x - 1], sc.below[size_t(3 * (x - 1) + 2)]) : 1;
            if (!o[x])
                continue;
            const uint8_t* rgb = MyImageGetLineXY(job.picture, j.HomeX + x, my);
            int delta[4] = {0, 0, 0, 0};
            if (job.emboss) {
                const int k[8] = {f[4 * x], f[4 * x + 1], right, bn[0], f[4 * x + 2], f[4 * x + 3], bn[1], bn[2]};
                int b[8];
                bool any = false;
                for (int d = 0; d < 8; ++d) {
                    b[d] = base[d][k[d]];
                    any |= b[d] != 0;
                }
                for (int r = 0; any && r < copies; ++r) {
                    int sum = 0;
                    for (int d = 0; d < 8; ++d)
                        sum += b[d] * job.coefR[r][d];
                    delta[r] = DeltaOf(sum);
                }
            }
            PutCopies(out, copies, s, w, h, x, y, rgb, delta);
        }
        std::swap(sc.below, sc.belowNext);
    }
}

// Fills one piece image (already the right size and all zero).
void FillPiece(const TPieceJob& job, const TJig& j, bool strip, OMyImage& out, TScratch& sc)
{
    if (j.W < 1 || j.H < 1)
        return;
    MarkOpaque(job, j, sc);
    ForwardSweep(j, job.e.reach, sc);
    BackwardSweepAndWrite(job, j, strip ? 4 : 1, out, sc);
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

void BuildPieceImages(const OMyImage& picture, const OMyImage& masks, std::vector<TJig>& jigs, int count,
                      bool rotate, int embossStyle, bool create, std::vector<OMyImage>& images, int threads)
{
    assert(count >= 0 && size_t(count) <= jigs.size());
    assert(picture.W == masks.W && picture.H == masks.H && masks.iBPP == 4 && picture.iBPP >= 3);
    assert(picture.iBPP == 4 || picture.iBPP == 3);
    const TEmbossParams e = EmbossParams(embossStyle);
    TPieceJob job{picture, masks, e, embossStyle != 0, {}};
    for (int r = 0; r < 4; ++r)
        for (int d = 0; d < 8; ++d) {
            int dx = kDirX[d], dy = kDirY[d];
            for (int t = 0; t < r; ++t) {  // a quarter turn clockwise: (x, y) -> (-y, x)
                const int nx = -dy;
                dy = dx;
                dx = nx;
            }
            job.coefR[r][d] = e.coef[size_t(DirIndex(dx, dy))];
        }
    if (create || images.size() != size_t(count)) {
        images.clear();
        images.resize(size_t(count));
    }
    if (threads <= 0)
        threads = int(std::max(1u, std::thread::hardware_concurrency()));
    threads = std::min(threads, std::max(1, count));
    // The largest piece first, so no thread is left with it at the end.
    std::vector<int> order(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        order[size_t(i)] = i;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return int64_t(jigs[size_t(a)].W) * jigs[size_t(a)].H > int64_t(jigs[size_t(b)].W) * jigs[size_t(b)].H;
    });
    std::atomic<int> next{0};
    auto worker = [&]() {
        TScratch sc;
        for (int n = next++; n < count; n = next++) {
            const int i = order[size_t(n)];
            const TJig& j = jigs[size_t(i)];
            const bool strip = PieceHasStrip(j, rotate);
            int iw, ih;
            PieceImageSize(j, strip, masks, &iw, &ih);
            OMyImage& img = images[size_t(i)];
            if (img.W != iw || img.H != ih || !img.pMem || !img.bAlpha)
                img = OMyImage(iw, ih, true);
            else
                std::memset(img.pMem, 0, img.ByteCount());
            if (iw > 0)
                FillPiece(job, j, strip, img, sc);
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t)
        pool.emplace_back(worker);
    worker();
    for (std::thread& t : pool)
        t.join();
}

// ---- Facade -------------------------------------------------------------------------------

void Cutting_SetPieceTextureMaker(PieceTextureMaker maker) { g_textureMaker = maker; }

void CopyJigsToTextures(bool create, int embossStyle)
{
    const int count = JigP.TotalTileNum;
    if (count < 1 || size_t(count) > Jigs.size() || !miJigs || !miMasks || !miJigs->pMem || !miMasks->pMem)
        return;
    if (miJigs->W != miMasks->W || miJigs->H != miMasks->H)
        return;
    for (int i = 0; i < count; ++i)
        UpdateJigDrawCoords(i);
    BuildPieceImages(*miJigs, *miMasks, Jigs, count, JigP.Rotate != 0, embossStyle, create, arPicJigs);
    if (g_textureMaker)
        for (OMyImage& img : arPicJigs)
            g_textureMaker(img);
}

void CreateEmbossedEdges(OMyImage& img, int style)
{
    if (style == 0 || !img.bAlpha || !img.pMem || img.W < 1 || img.H < 1)
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
