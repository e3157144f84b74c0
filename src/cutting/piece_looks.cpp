// The eased outline and the shadow of a piece, from its image's alpha.
#include "cutting/piece_looks.h"

#include "base/run_threads.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <climits>
#include <cassert>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

const TShadowLook kShadowLook{};

// ---- Eased outline ------------------------------------------------------------------------

namespace {

// The 1 2 1 weights of one neighbour row: left, centre, right (each 0 or 1).
inline int RowWeight(const uint8_t* r, int x, bool hasL, bool hasR)
{
    const uint8_t* p = r + ptrdiff_t(x) * 4 + 3;
    return (hasL && p[-4] != 0) + 2 * (p[0] != 0) + (hasR && p[4] != 0);
}

inline int EaseSum(const uint8_t* up, const uint8_t* row, const uint8_t* dn, int x, bool hasL, bool hasR)
{
    int sum = 2 * RowWeight(row, x, hasL, hasR);
    if (up)
        sum += RowWeight(up, x, hasL, hasR);
    if (dn)
        sum += RowWeight(dn, x, hasL, hasR);
    return sum;
}

inline unsigned EaseAlpha(int sum) { return sum >= kEaseWeightSum ? 255u : unsigned(sum * 255 + 8) / 16u; }

}  // namespace

void EasedPremultipliedSpan(const OMyImage& img, int cellW, int y, int x0, int n, uint8_t* dst)
{
    assert(img.bAlpha && img.iBPP == 4 && img.HasPixels() && y >= 0 && y < img.H && cellW > 0);
    assert(x0 >= 0 && n >= 0 && x0 + n <= img.W);
    const uint8_t* row = MyImageGetLineXY(img, 0, y);
    const uint8_t* up = y > 0 ? MyImageGetLineXY(img, 0, y - 1) : nullptr;
    const uint8_t* dn = y + 1 < img.H ? MyImageGetLineXY(img, 0, y + 1) : nullptr;
    int inCell = x0 % cellW;  // x's column within its square
    for (int x = x0; x < x0 + n; ++x, dst += 4, inCell = inCell + 1 == cellW ? 0 : inCell + 1) {
        const uint8_t* s = row + ptrdiff_t(x) * 4;
        if (s[3] == 0) {
            std::memset(dst, 0, 4);
            continue;
        }
        const bool hasL = inCell > 0, hasR = inCell + 1 < cellW && x + 1 < img.W;
        const unsigned a = EaseAlpha(EaseSum(up, row, dn, x, hasL, hasR));
        if (a == 255) {
            std::memcpy(dst, s, 3);
            dst[3] = 255;
            continue;
        }
        for (int c = 0; c < 3; ++c) {
            const unsigned t = s[c] * a + 128;
            dst[c] = uint8_t((t + (t >> 8)) >> 8);
        }
        dst[3] = uint8_t(a);
    }
}

void EasedPremultipliedRow(const OMyImage& img, int cellW, int y, uint8_t* dst)
{
    EasedPremultipliedSpan(img, cellW, y, 0, img.W, dst);
}

int EasedAlphaAt(const OMyImage& img, int cellW, int x, int y)
{
    if (MyImageGetLineXY(img, x, y)[3] == 0)
        return 0;
    const int cell = x / cellW;
    int sum = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int qx = x + dx, qy = y + dy;
            if (qx < 0 || qy < 0 || qx >= img.W || qy >= img.H || qx / cellW != cell)
                continue;
            if (MyImageGetLineXY(img, qx, qy)[3] != 0)
                sum += (dx == 0 ? 2 : 1) * (dy == 0 ? 2 : 1);
        }
    return int(EaseAlpha(sum));
}

// ---- Shadow ---------------------------------------------------------------------------------

namespace {

// One box pass of radius r along a line of n values `step` apart (in place;
// `line` is scratch of n entries). Values beyond the line count as 0.
void BoxLine(uint8_t* p, ptrdiff_t step, int n, int r, std::vector<int>& line)
{
    for (int i = 0; i < n; ++i)
        line[size_t(i)] = p[ptrdiff_t(i) * step];
    const int div = 2 * r + 1;
    int sum = 0;
    for (int i = 0; i < std::min(r, n); ++i)
        sum += line[size_t(i)];
    for (int i = 0; i < n; ++i) {
        if (i + r < n)
            sum += line[size_t(i + r)];
        if (i - r - 1 >= 0)
            sum -= line[size_t(i - r - 1)];
        p[ptrdiff_t(i) * step] = uint8_t((sum + div / 2) / div);
    }
}

void BoxBlur(std::vector<uint8_t>& a, int w, int h, int r, std::vector<int>& line)
{
    if (r <= 0)
        return;
    line.resize(size_t(std::max(w, h)));
    for (int y = 0; y < h; ++y)
        BoxLine(a.data() + size_t(y) * size_t(w), 1, w, r, line);
    for (int x = 0; x < w; ++x)
        BoxLine(a.data() + x, w, h, r, line);
}

}  // namespace

void MakeShadowAlpha(const OMyImage& img, int w, int h, const TShadowLook& look, std::vector<uint8_t>& out)
{
    out.clear();
    w = std::min(w, img.W);
    h = std::min(h, img.H);
    if (w < 1 || h < 1 || !img.HasPixels() || !img.bAlpha)
        return;
    const int m = look.Margin(), sw = w + 2 * m, sh = h + 2 * m;
    out.assign(size_t(sw) * size_t(sh), 0);
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = MyImageGetLineXY(img, 0, y) + 3;
        uint8_t* d = out.data() + size_t(y + m) * size_t(sw) + m;
        for (int x = 0; x < w; ++x, s += 4)
            d[x] = *s != 0 ? 255 : 0;
    }
    std::vector<int> line;
    BoxBlur(out, sw, sh, look.blur1, line);
    BoxBlur(out, sw, sh, look.blur2, line);
    const unsigned k = unsigned(std::clamp(look.opacity, 0, 255));
    for (uint8_t& v : out)
        v = uint8_t((v * k + 127) / 255);
}

void BakeShadowedCell(const OMyImage& img, int cellW, int r, int w, int h, const std::vector<uint8_t>& shadow,
                      const uint8_t* allowed, const TShadowLook& look, uint8_t* dst, size_t stride)
{
    r &= 3;
    const bool odd = r % 2 == 1;
    const int dw = odd ? h : w, dh = odd ? w : h;
    const int ew = look.ExtraW(), eh = look.ExtraH(), cw = dw + ew, ch = dh + eh;
    const int m = look.Margin(), sw = w + 2 * m, sh = h + 2 * m;  // the upright shadow
    const bool hasShadow = shadow.size() == size_t(sw) * size_t(sh);
    assert(r * cellW + dw <= img.W && dh <= img.H);
    for (int v = 0; v < ch; ++v) {
        uint8_t* d = dst + size_t(v) * stride;
        std::memset(d, 0, size_t(cw) * 4);
        if (v < dh)
            EasedPremultipliedSpan(img, cellW, v, r * cellW, dw, d);
        if (!hasShadow)
            continue;
        // Cell pixel (u, v) shows turned shadow pixel (u - ox + m, v - oy + m).
        const int tv = v - look.offsetY + m;
        for (int u = 0; u < cw; ++u, d += 4) {
            if (d[3] == 255 || (allowed && !allowed[size_t(v) * size_t(cw) + size_t(u)]))
                continue;
            const int tu = u - look.offsetX + m;
            // The turned shadow is (odd ? sh : sw) wide; back to the upright one.
            const int tw = odd ? sh : sw, th = odd ? sw : sh;
            if (tu < 0 || tv < 0 || tu >= tw || tv >= th)
                continue;
            int x, y;
            switch (r) {
            case 1: x = tv, y = sh - 1 - tu; break;
            case 2: x = sw - 1 - tu, y = sh - 1 - tv; break;
            case 3: x = sw - 1 - tv, y = tu; break;
            default: x = tu, y = tv; break;
            }
            const unsigned a = shadow[size_t(y) * size_t(sw) + size_t(x)];
            d[3] = uint8_t(d[3] + (a * (255u - d[3]) + 127u) / 255u);
        }
    }
}

// ---- The atlas's way ----------------------------------------------------------------------

namespace {

constexpr int RoundUp16(int n) { return (n + 15) & ~15; }

#if defined(__SSE2__)
// The 16 x 16 bytes at src (rows srcStride apart) transposed to dst: row k
// of dst holds column k of src.
inline void Transpose16(const uint8_t* src, size_t srcStride, uint8_t* dst, size_t dstStride)
{
    __m128i a[16], b[16];
    for (size_t k = 0; k < 16; ++k)
        a[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + k * srcStride));
    // Pairs of rows interleaved byte by byte, then two bytes, four, eight.
    for (int k = 0; k < 16; k += 2) {
        b[k] = _mm_unpacklo_epi8(a[k], a[k + 1]);
        b[k + 1] = _mm_unpackhi_epi8(a[k], a[k + 1]);
    }
    for (int g = 0; g < 16; g += 4)
        for (int k = 0; k < 2; ++k) {
            a[g + 2 * k] = _mm_unpacklo_epi16(b[g + k], b[g + k + 2]);
            a[g + 2 * k + 1] = _mm_unpackhi_epi16(b[g + k], b[g + k + 2]);
        }
    // a[4q + j]: rows 4q .. 4q + 3 of columns 4j .. 4j + 3.
    for (int j = 0; j < 4; ++j) {
        b[2 * j] = _mm_unpacklo_epi32(a[j], a[4 + j]);
        b[2 * j + 1] = _mm_unpackhi_epi32(a[j], a[4 + j]);
    }
    for (int j = 0; j < 4; ++j) {
        a[2 * j] = _mm_unpacklo_epi32(a[8 + j], a[12 + j]);
        a[2 * j + 1] = _mm_unpackhi_epi32(a[8 + j], a[12 + j]);
    }
    // b[j]: columns 2j, 2j + 1 of rows 0 .. 7; a[j] the same of rows 8 .. 15.
    for (int j = 0; j < 8; ++j) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + size_t(2 * j) * dstStride), _mm_unpacklo_epi64(b[j], a[j]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + size_t(2 * j + 1) * dstStride), _mm_unpackhi_epi64(b[j], a[j]));
    }
}
#endif

// The w x h bytes at src (rows srcStride apart) transposed to dst (rows
// dstStride apart): row x of dst holds column x of src.
void TransposeBytes(const uint8_t* src, size_t srcStride, int w, int h, uint8_t* dst, size_t dstStride)
{
    int y = 0;
#if defined(__SSE2__)
    for (; y + 16 <= h; y += 16) {
        int x = 0;
        for (; x + 16 <= w; x += 16)
            Transpose16(src + size_t(y) * srcStride + size_t(x), srcStride, dst + size_t(x) * dstStride + size_t(y),
                        dstStride);
        for (; x < w; ++x)
            for (int k = 0; k < 16; ++k)
                dst[size_t(x) * dstStride + size_t(y + k)] = src[size_t(y + k) * srcStride + size_t(x)];
    }
#endif
    for (; y < h; ++y)
        for (int x = 0; x < w; ++x)
            dst[size_t(x) * dstStride + size_t(y)] = src[size_t(y) * srcStride + size_t(x)];
}

}  // namespace

namespace {

// Byte 2 of every pixel of row y of the mask into d.
void CodeRow(const OMyImage& masks, int y, uint8_t* d)
{
    const int W = masks.W;
    const uint8_t* s = MyImageGetLineXY(masks, 0, y);
    int x = 0;
#if defined(__SSE2__)
    if (masks.iBPP == 4) {
        const __m128i low = _mm_set1_epi32(0xFF);
        for (; x + 16 <= W; x += 16) {
            const __m128i* q = reinterpret_cast<const __m128i*>(s + ptrdiff_t(x) * 4);
            const __m128i c0 = _mm_and_si128(_mm_srli_epi32(_mm_loadu_si128(q), 16), low);
            const __m128i c1 = _mm_and_si128(_mm_srli_epi32(_mm_loadu_si128(q + 1), 16), low);
            const __m128i c2 = _mm_and_si128(_mm_srli_epi32(_mm_loadu_si128(q + 2), 16), low);
            const __m128i c3 = _mm_and_si128(_mm_srli_epi32(_mm_loadu_si128(q + 3), 16), low);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x),
                             _mm_packus_epi16(_mm_packs_epi32(c0, c1), _mm_packs_epi32(c2, c3)));
        }
    }
#endif
    for (; x < W; ++x)
        d[x] = s[ptrdiff_t(x) * masks.iBPP + 2];
}

}  // namespace

void TCodePlane::From(const OMyImage& masks, int threads)
{
    W = masks.W;
    H = masks.H;
    codes.resize(size_t(W) * size_t(H));  // every byte written below: not zeroed first
    std::atomic<int> nextBand{0};
    constexpr int kBandRows = 64;
    const int bands = (H + kBandRows - 1) / kBandRows;
    RunOnThreads(std::clamp(threads, 1, std::max(1, bands)), [&] {
        for (int b = nextBand++; b < bands; b = nextBand++)
            for (int y = b * kBandRows; y < std::min(H, (b + 1) * kBandRows); ++y)
                CodeRow(masks, y, codes.data() + size_t(y) * size_t(W));
    });
}

void TShadowBlockers::Row(int r, int v, ptrdiff_t* off, ptrdiff_t* step, int* lo, int* hi) const
{
    *lo = 1, *hi = 0;
    if (!plane || plane->codes.empty())
        return;
    // Mask point (mx0 + u dx, my0 + u dy) of cell pixel u.
    int mx0, my0, dx = 0, dy = 0;
    switch (r & 3) {
    case 1: mx0 = homeX + v, my0 = homeY + boxH - 1, dy = -1; break;
    case 2: mx0 = homeX + boxW - 1, my0 = homeY + boxH - 1 - v, dx = -1; break;
    case 3: mx0 = homeX + boxW - 1 - v, my0 = homeY, dy = 1; break;
    default: mx0 = homeX, my0 = homeY + v, dx = 1; break;
    }
    // The range of u keeping one coordinate inside [0, n).
    auto range = [](int p0, int d, int n, int* a, int* b) {
        const bool in = p0 >= 0 && p0 < n;
        if (d == 0)
            *a = in ? INT32_MIN : 1, *b = in ? INT32_MAX : 0;
        else if (d > 0)
            *a = -p0, *b = n - 1 - p0;
        else
            *a = p0 - (n - 1), *b = p0;
    };
    int xa, xb, ya, yb;
    range(mx0, dx, plane->W, &xa, &xb);
    range(my0, dy, plane->H, &ya, &yb);
    *lo = std::max(xa, ya);
    *hi = std::min(xb, yb);
    *off = ptrdiff_t(my0) * plane->W + mx0;
    *step = ptrdiff_t(dy) * plane->W + dx;
}


bool TShadowBlockers::Allows(int r, int u, int v) const
{
    int x, y;
    switch (r & 3) {
    case 1: x = v, y = boxH - 1 - u; break;
    case 2: x = boxW - 1 - u, y = boxH - 1 - v; break;
    case 3: x = boxW - 1 - v, y = u; break;
    default: x = u, y = v; break;
    }
    const int mx = homeX + x, my = homeY + y;
    if (!plane || mx < 0 || my < 0 || mx >= plane->W || my >= plane->H)
        return true;
    return blocks[plane->codes[size_t(my) * size_t(plane->W) + size_t(mx)]] == 0;
}

namespace {

// 255 where a byte's index is below n, for n = 0 .. 16.
struct TLaneMasks {
    alignas(16) uint8_t below[17][16];
    TLaneMasks()
    {
        for (int n = 0; n <= 16; ++n)
            for (int i = 0; i < 16; ++i)
                below[n][i] = i < n ? 255 : 0;
    }
};
const TLaneMasks kLanes;

#if defined(__SSE2__)
// (x * magic) >> 16 is x / div for every x up to top.
constexpr bool MagicDividesExactly(unsigned div, unsigned magic, unsigned top)
{
    for (unsigned x = 0; x <= top; ++x)
        if ((x * magic) >> 16 != x / div)
            return false;
    return true;
}
#endif

// One box pass of radius R along the rows, then along the columns, of the
// w x h bytes at a (rows `stride` apart): the reference's BoxLine over every
// line, rows first. Sums stay below 2R + 1 times 256: 16-bit lanes, the
// division a multiply.
template <int R>
void BoxBlurFast(uint8_t* a, size_t stride, int w, int h, std::vector<uint8_t>& tmp, std::vector<uint16_t>& acc)
{
    constexpr unsigned kDiv = 2 * R + 1;
#if defined(__SSE2__)
    // floor(x / kDiv) = (x * kMagic) >> 16 for every sum x a pass can make.
    constexpr unsigned kMagic = (65536 + kDiv - 1) / kDiv;
    static_assert(MagicDividesExactly(kDiv, kMagic, kDiv * 255 + R));
    const __m128i zero = _mm_setzero_si128(), magic = _mm_set1_epi16(short(kMagic)), bias = _mm_set1_epi16(R);
    (void)acc;
    // The rows pass into a scratch plane, the columns pass back: the bytes
    // at a have at least 16 zeros on either side of every row (R of them
    // stand for the values beyond the row), the scratch's rows room for a
    // last full step of sixteen, whose columns past w are kept zero.
    const size_t cs = size_t(RoundUp16(w));
    tmp.resize(cs * size_t(h));
    uint8_t* copy = tmp.data();
    const int last = (w - 1) & ~15;
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kLanes.below[w - last]));
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = a + size_t(y) * stride;
        uint8_t* out = copy + size_t(y) * cs;
        for (int x = 0; x < w; x += 16) {
            __m128i lo = bias, hi = bias;
            for (int k = -R; k <= R; ++k) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x + k));
                lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(v, zero));
                hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(v, zero));
            }
            __m128i res = _mm_packus_epi16(_mm_mulhi_epu16(lo, magic), _mm_mulhi_epu16(hi, magic));
            if (x == last)
                res = _mm_and_si128(res, tail);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), res);
        }
    }
    // Columns: up to 2R + 1 rows of the scratch summed per row.
    for (int y = 0; y < h; ++y) {
        const int k0 = std::max(0, y - R), k1 = std::min(h - 1, y + R);
        uint8_t* row = a + size_t(y) * stride;
        for (size_t x = 0; x < cs; x += 16) {
            __m128i lo = bias, hi = bias;
            for (int k = k0; k <= k1; ++k) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(copy + size_t(k) * cs + x));
                lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(v, zero));
                hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(v, zero));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x),
                             _mm_packus_epi16(_mm_mulhi_epu16(lo, magic), _mm_mulhi_epu16(hi, magic)));
        }
    }
#else
    const size_t uw = size_t(w);
    acc.assign(uw + 2 * R, 0);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = a + size_t(y) * stride;
        uint16_t* p = acc.data();
        for (size_t x = 0; x < uw; ++x)
            p[x + R] = row[x];
        for (size_t x = 0; x < uw; ++x) {
            unsigned s = R;
            for (size_t k = 0; k <= 2 * R; ++k)
                s += p[x + k];
            row[x] = uint8_t(s / kDiv);
        }
    }
    tmp.resize(uw * size_t(h));
    for (int y = 0; y < h; ++y)
        std::memcpy(tmp.data() + size_t(y) * uw, a + size_t(y) * stride, uw);
    for (int y = 0; y < h; ++y) {
        uint16_t* sum = acc.data();
        std::fill(sum, sum + uw, uint16_t(R));
        for (int k = std::max(0, y - R); k <= std::min(h - 1, y + R); ++k) {
            const uint8_t* src = tmp.data() + size_t(k) * uw;
            for (size_t x = 0; x < uw; ++x)
                sum[x] = uint16_t(sum[x] + src[x]);
        }
        uint8_t* row = a + size_t(y) * stride;
        for (size_t x = 0; x < uw; ++x)
            row[x] = uint8_t(sum[x] / kDiv);
    }
#endif
}

void BoxBlurAny(uint8_t* a, size_t stride, int w, int h, int r, std::vector<uint8_t>& tmp, std::vector<uint16_t>& acc)
{
    switch (r) {
    case 1: BoxBlurFast<1>(a, stride, w, h, tmp, acc); break;
    case 2: BoxBlurFast<2>(a, stride, w, h, tmp, acc); break;
    case 3: BoxBlurFast<3>(a, stride, w, h, tmp, acc); break;
    default: {
        // Wider blurs (not the game's own look) the reference's way.
        std::vector<uint8_t> flat(size_t(w) * size_t(h));
        for (int y = 0; y < h; ++y)
            std::memcpy(flat.data() + size_t(y) * size_t(w), a + size_t(y) * stride, size_t(w));
        std::vector<int> line;
        BoxBlur(flat, w, h, r, line);
        for (int y = 0; y < h; ++y)
            std::memcpy(a + size_t(y) * stride, flat.data() + size_t(y) * size_t(w), size_t(w));
        break;
    }
    }
}

inline int LanesBelow(int n) { return std::clamp(n, 0, 16); }

// n transparent pixels: most runs are short, where a call to memset costs
// more than the stores.
inline void ZeroPixels(uint8_t* d, int n)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i z = _mm_setzero_si128();
    for (; i + 4 <= n; i += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + ptrdiff_t(i) * 4), z);
#endif
    const uint32_t none = 0;
    for (; i < n; ++i)
        std::memcpy(d + ptrdiff_t(i) * 4, &none, 4);
}

#if defined(__SSE2__)
inline __m128i Load16(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store16(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// The sixteen bytes in reverse order.
inline __m128i Reverse16(__m128i v)
{
    v = _mm_shuffle_epi32(v, _MM_SHUFFLE(0, 1, 2, 3));
    v = _mm_shufflelo_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
    v = _mm_shufflehi_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
    return _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
}

// Sixteen bytes at p, or (rev) the sixteen at p - 15 .. p last first.
inline __m128i LoadDir(const uint8_t* p, int u, bool rev)
{
    return rev ? Reverse16(Load16(p - u - 15)) : Load16(p + u);
}

// 255 where the alpha of sixteen RGBA pixels is not 0.
inline __m128i OpaqueOf(const uint8_t* px)
{
    const __m128i a0 = _mm_srli_epi32(Load16(px), 24), a1 = _mm_srli_epi32(Load16(px + 16), 24);
    const __m128i a2 = _mm_srli_epi32(Load16(px + 32), 24), a3 = _mm_srli_epi32(Load16(px + 48), 24);
    const __m128i all = _mm_packus_epi16(_mm_packs_epi32(a0, a1), _mm_packs_epi32(a2, a3));
    return _mm_xor_si128(_mm_cmpeq_epi8(all, _mm_setzero_si128()), _mm_set1_epi8(-1));
}

#endif

#if defined(__SSE2__)
// The first box pass of radius 1 (rows, then columns) over an outline of
// 0 and 1 bytes, with the reference's roundings: the rows pass turns 255 x
// c (c of 3 opaque) into 85 c, the columns pass 85 S (S of the 3 x 3
// opaque) into (85 S + 1) / 3 = 28 S + [S > 1] + [S > 4] + [S > 7]. So one
// pass of counts gives it, in bytes. The outline lies at least one pixel
// inside the w x h bytes at a (rows `stride` apart, zeros on either side),
// so the counts past w are zero and the steps of sixteen may run past it.
void FirstBlurFromCounts(uint8_t* a, size_t stride, int w, int h, std::vector<uint8_t>& ring)
{
    const size_t cs = size_t(RoundUp16(w));
    ring.assign(3 * cs, 0);  // the 1 1 1 row sums of rows y - 1, y, y + 1 in turn
    auto rowSums = [&](int y) {
        uint8_t* out = ring.data() + size_t((y + 3) % 3) * cs;
        if (y < 0 || y >= h) {
            std::memset(out, 0, cs);
            return;
        }
        const uint8_t* row = a + size_t(y) * stride;
        for (size_t x = 0; x < cs; x += 16)
            Store16(out + x, _mm_add_epi8(_mm_add_epi8(Load16(row + x - 1), Load16(row + x + 1)), Load16(row + x)));
    };
    const __m128i one = _mm_set1_epi8(1), four = _mm_set1_epi8(4), seven = _mm_set1_epi8(7);
    rowSums(-1);
    rowSums(0);
    for (int y = 0; y < h; ++y) {
        rowSums(y + 1);  // before row y is overwritten, row y + 1 still the outline
        const uint8_t* r0 = ring.data() + size_t((y + 2) % 3) * cs;
        const uint8_t* r1 = ring.data() + size_t(y % 3) * cs;
        const uint8_t* r2 = ring.data() + size_t((y + 1) % 3) * cs;
        uint8_t* out = a + size_t(y) * stride;
        for (size_t x = 0; x < cs; x += 16) {
            const __m128i S = _mm_add_epi8(_mm_add_epi8(Load16(r0 + x), Load16(r1 + x)), Load16(r2 + x));
            const __m128i s4 = _mm_slli_epi16(S, 2);  // S <= 9: no byte spills into the next
            const __m128i s8 = _mm_add_epi8(s4, s4), s16 = _mm_add_epi8(s8, s8);
            __m128i v = _mm_add_epi8(_mm_add_epi8(s4, s8), s16);
            v = _mm_sub_epi8(v, _mm_cmpgt_epi8(S, one));
            v = _mm_sub_epi8(v, _mm_cmpgt_epi8(S, four));
            v = _mm_sub_epi8(v, _mm_cmpgt_epi8(S, seven));
            Store16(out + x, v);
        }
    }
}
#endif

// The first and last nonzero of the n bytes of each of `rows` rows at p
// (rows `stride` apart, readable in steps of sixteen); none: first n, last -1.
void NonzeroExtents(const uint8_t* p, size_t stride, int n, int rows, std::vector<int>& first,
                    std::vector<int>& last)
{
    first.assign(size_t(rows), n);
    last.assign(size_t(rows), -1);
    for (int y = 0; y < rows; ++y) {
        const uint8_t* row = p + size_t(y) * stride;
        int f = n, l = -1;
#if defined(__SSE2__)
        for (int x = 0; x < n; x += 16) {
            unsigned bits = ~unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(Load16(row + x), _mm_setzero_si128()))) & 0xFFFFu;
            if (x + 16 > n)
                bits &= (1u << (n - x)) - 1;
            if (bits != 0) {
                f = std::min(f, x + std::countr_zero(bits));
                l = x + 31 - std::countl_zero(bits);
            }
        }
#else
        for (int x = 0; x < n; ++x)
            if (row[x] != 0)
                f = std::min(f, x), l = x;
#endif
        first[size_t(y)] = f;
        last[size_t(y)] = l;
    }
}

#if defined(__SSE2__)
// The first n (below 16) of sixteen pixels held four to a register.
inline void StorePixels(uint8_t* d, const __m128i* px, int n)
{
    int g = 0;
    for (; n >= 4; n -= 4, ++g, d += 16)
        Store16(d, px[g]);
    __m128i v = px[g];
    if (n >= 2) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d), v);
        v = _mm_srli_si128(v, 8);
        d += 8, n -= 2;
    }
    if (n == 1) {
        const int w = _mm_cvtsi128_si32(v);
        std::memcpy(d, &w, 4);
    }
}

// (x * y + 127) / 255 of the bytes x and y, as the reference's shadow
// rounds: t = x y + 127, then (t + 1 + (t >> 8)) >> 8, which for every
// such t is ((t + 1) * 257) >> 16, one multiply keeping the high half.
inline __m128i MulDiv255Up(__m128i x, __m128i y)
{
    const __m128i zero = _mm_setzero_si128(), k128 = _mm_set1_epi16(128), k257 = _mm_set1_epi16(257);
    const __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(x, zero), _mm_unpacklo_epi8(y, zero)), k128);
    const __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(x, zero), _mm_unpackhi_epi8(y, zero)), k128);
    return _mm_packus_epi16(_mm_mulhi_epu16(lo, k257), _mm_mulhi_epu16(hi, k257));
}
#endif

}  // namespace

std::vector<uint8_t> OCellBaker::Shadow() const
{
    std::vector<uint8_t> out;
    if (!mHasShadow)
        return out;
    const int m = mLook.Margin(), sw = mW + 2 * m, sh = mH + 2 * m;
    out.resize(size_t(sw) * size_t(sh));
    for (int y = 0; y < sh; ++y)
        std::memcpy(out.data() + size_t(y) * size_t(sw), mUp.data() + size_t(y) * mUpStride + size_t(mPad), size_t(sw));
    return out;
}

void OCellBaker::SetPiece(const OMyImage& img, int cellW, int w, int h, const TShadowLook& look, bool shadow)
{
    assert(img.bAlpha && img.iBPP == 4 && img.HasPixels() && cellW > 0);
    mImg = &img;
    mCellW = cellW;
    mW = w;
    mH = h;
    mLook = look;
    mTransposed = false;
    mEaseMade = false;
    mCodesMade = false;
    // As the reference: a box larger than the image makes no shadow.
    mHasShadow = shadow && w >= 1 && h >= 1 && w <= img.W && h <= img.H;
    if (mHasShadow)
        MakeShadow();
}

void OCellBaker::MakeShadow()
{
    const OMyImage& img = *mImg;
    const int m = mLook.Margin(), sw = mW + 2 * m, sh = mH + 2 * m;
    // Zeros on both sides of every row, so that a turn reads sixteen bytes
    // forwards or backwards from any column of its cell without a check.
    const int uS0 = mLook.offsetX - mLook.Margin();
    mPad = RoundUp16(std::max(0, uS0)) + 16;
    mUpStride = size_t(2 * mPad + RoundUp16(sw));
    mUp.assign(mUpStride * size_t(RoundUp16(sh)), 0);
    uint8_t* up = mUp.data() + mPad;
    // The image's rows every turn reads, fetched a few rows ahead of this
    // first reading of them: the pieces' images have long left the cache, and
    // the rows of a strip lie far apart, where the processor does not guess
    // what comes next. The turns then find them at hand.
#if defined(__SSE2__)
    constexpr int kAhead = 4;
    const int rowsRead = std::min(img.H, std::max(mW, mH));
    const int bytesRead = std::min(img.W, mCellW == img.W ? mW + 1 : img.W) * 4;
    auto fetchRow = [&](int y) {
        const char* row = reinterpret_cast<const char*>(MyImageGetLineXY(img, 0, y));
        for (int b = 0; b < bytesRead + 63; b += 64)
            _mm_prefetch(row + b, _MM_HINT_T0);
    };
    for (int y = 0; y < std::min(kAhead, rowsRead); ++y)
        fetchRow(y);
#endif
    // Square 0's outline, 255 where opaque; 1 where the first blur is made
    // from the counts (below).
#if defined(__SSE2__)
    const bool firstFromCounts = mLook.blur1 == 1 && m >= 1;  // a margin for the counts (see there)
#else
    const bool firstFromCounts = false;
#endif
    const uint8_t on = firstFromCounts ? 1 : 255;
    for (int y = 0; y < mH; ++y) {
#if defined(__SSE2__)
        if (y + kAhead < rowsRead)
            fetchRow(y + kAhead);
#endif
        const uint8_t* s = MyImageGetLineXY(img, 0, y);
        uint8_t* d = up + size_t(y + m) * mUpStride + size_t(m);
        int x = 0;
#if defined(__SSE2__)
        // Whole steps of sixteen, the last one's lanes past the box masked
        // off (it reads on into the next row; a copy only at the image's end).
        const uint8_t* const imgEnd = img.pMem + img.ByteCount();
        const __m128i onV = _mm_set1_epi8(char(on));
        for (; x < mW; x += 16) {
            const uint8_t* p = s + ptrdiff_t(x) * 4;
            alignas(16) uint8_t last[64];
            if (p + 64 > imgEnd) {
                std::memset(last, 0, sizeof last);
                std::memcpy(last, p, size_t(std::min(16, img.W - x)) * 4);
                p = last;
            }
            __m128i op = _mm_and_si128(OpaqueOf(p), onV);
            if (x + 16 > mW)
                op = _mm_and_si128(op, _mm_load_si128(reinterpret_cast<const __m128i*>(kLanes.below[mW - x])));
            Store16(d + x, op);
        }
#endif
        for (; x < mW; ++x)
            d[x] = s[ptrdiff_t(x) * 4 + 3] != 0 ? on : 0;
    }
#if defined(__SSE2__)
    for (int y = mH + kAhead; y < rowsRead; ++y)  // a tall piece's rows its odd turns read
        fetchRow(y);
    if (firstFromCounts)
        FirstBlurFromCounts(up, mUpStride, sw, sh, mBlur);
#endif
    if (mLook.blur1 > 0 && !firstFromCounts)
        BoxBlurAny(up, mUpStride, sw, sh, mLook.blur1, mBlur, mAcc);
    if (mLook.blur2 > 0)
        BoxBlurAny(up, mUpStride, sw, sh, mLook.blur2, mBlur, mAcc);
    const unsigned k = unsigned(std::clamp(mLook.opacity, 0, 255));
    for (int y = 0; y < sh; ++y) {
        uint8_t* row = up + size_t(y) * mUpStride;
        int x = 0;
#if defined(__SSE2__)
        // Whole steps of sixteen: the padding after the row stays zero.
        const __m128i kv = _mm_set1_epi8(char(k));
        for (; x < sw; x += 16)
            Store16(row + x, MulDiv255Up(Load16(row + x), kv));
#endif
        for (; x < sw; ++x) {
            const unsigned t = row[x] * k + 127;  // / 255, exact below 65153
            row[x] = uint8_t((t + 1 + (t >> 8)) >> 8);
        }
    }
    NonzeroExtents(up, mUpStride, sw, sh, mUpFirst, mUpLast);
}

void OCellBaker::CopyCodes(const TShadowBlockers& b, int extra)
{
    // One copy serves the piece's four turns.
    if (mCodesMade && mCodesOf == b.plane && mCodesX == b.homeX && mCodesY == b.homeY && mCodesW == b.boxW &&
        mCodesH == b.boxH)
        return;
    const TCodePlane& plane = *b.plane;
    // Every cell of every turn lies within `extra` of the box, the box
    // itself no larger than the image's.
    const int E = extra + std::max({0, mW - b.boxW, mH - b.boxH, mW - b.boxH, mH - b.boxW});
    const int rw = b.boxW + 2 * E, rh = b.boxH + 2 * E;
    mCodesInside = false;
    if (b.boxW < 1 || b.boxH < 1)
        return;
    mCodesEdge = E;
    mCodesPad = 16;
    mCodesUpStride = size_t(2 * mCodesPad + RoundUp16(rw));
    mCodesTrStride = size_t(2 * mCodesPad + RoundUp16(rh));
    // Bytes outside the mask (and past the region) are never read as codes:
    // a row reads the copies only when it lies wholly in the mask.
    mCodesUp.resize(mCodesUpStride * size_t(RoundUp16(rh)));
    mCodesTr.resize(mCodesTrStride * size_t(RoundUp16(rw)));
    const int x0 = b.homeX - E, y0 = b.homeY - E;
    const int c0 = std::max(0, -x0), c1 = std::min(rw, plane.W - x0);  // the columns inside the mask
    for (int q = std::max(0, -y0); q < std::min(rh, plane.H - y0) && c0 < c1; ++q)
        std::memcpy(mCodesUp.data() + size_t(q) * mCodesUpStride + size_t(mCodesPad + c0),
                    plane.codes.data() + size_t(y0 + q) * size_t(plane.W) + size_t(x0 + c0), size_t(c1 - c0));
    TransposeBytes(mCodesUp.data() + mCodesPad, mCodesUpStride, RoundUp16(rw), RoundUp16(rh),
                   mCodesTr.data() + mCodesPad, mCodesTrStride);
    mCodesInside = x0 >= 0 && y0 >= 0 && x0 + rw <= plane.W && y0 + rh <= plane.H;
    mCodesMade = true;
    mCodesOf = b.plane;
    mCodesX = b.homeX, mCodesY = b.homeY, mCodesW = b.boxW, mCodesH = b.boxH;
}

void OCellBaker::Bake(int r, const TShadowBlockers* blockers, uint8_t* dst, size_t stride)
{
    const OMyImage& img = *mImg;
    r &= 3;
    const bool odd = r % 2 == 1;
    const TShadowLook& look = mLook;
    const int dw = odd ? mH : mW, dh = odd ? mW : mH;
    const int cw = dw + look.ExtraW(), ch = dh + look.ExtraH();
    const int m = look.Margin(), sw = mW + 2 * m, sh = mH + 2 * m;
    const bool bgra = mBgra;
    const int th = odd ? sw : sh;                              // the turned shadow's rows
    const int uS0 = look.offsetX - m, vS0 = look.offsetY - m;  // cell pixel (u, v) shows turned shadow (u - uS0, v - vS0)
    const int x0 = r * mCellW;
    assert(x0 + dw <= img.W && dh <= img.H);
    if (cw <= 0 || ch <= 0)
        return;

#if defined(__SSE2__)
    // The turns of a strip are turns of the first: their eased outlines are
    // the first's turned, kept from its bake (upright and transposed), so
    // that only the first works them out from the image.
    const bool fromPlane = r != 0 && mEaseMade;
    const bool makePlane = r == 0 && mCellW < img.W;
    const int ePad = RoundUp16(look.ExtraW() + 16);
    if (makePlane) {
        mEaseStride = size_t(2 * ePad + RoundUp16(mW));
        mEaseUp.assign(mEaseStride * size_t(RoundUp16(mH)), 0);
        mEaseFirst.assign(size_t(mH), INT32_MAX);
        mEaseLast.assign(size_t(mH), -1);
        mEasePad = ePad;
        mEaseTransposed = false;
    }
    if (fromPlane && odd && !mEaseTransposed) {
        mEaseTrStride = size_t(2 * mEasePad + RoundUp16(mH));
        mEaseTr.assign(mEaseTrStride * size_t(RoundUp16(mW)), 0);
        TransposeBytes(mEaseUp.data() + mEasePad, mEaseStride, RoundUp16(mW), RoundUp16(mH), mEaseTr.data() + mEasePad,
                       mEaseTrStride);
        NonzeroExtents(mEaseTr.data() + mEasePad, mEaseTrStride, mH, mW, mEaseTrFirst, mEaseTrLast);
        mEaseTransposed = true;
    }
#else
    const bool fromPlane = false, makePlane = false;
#endif
    if (mHasShadow && odd && !mTransposed) {
        // The odd turns read the upright shadow's columns: its transpose has them as rows.
        mTrStride = size_t(2 * mPad + RoundUp16(sh));
        mTr.assign(mTrStride * size_t(RoundUp16(sw)), 0);
        TransposeBytes(mUp.data() + mPad, mUpStride, RoundUp16(sw), RoundUp16(sh), mTr.data() + mPad, mTrStride);
        NonzeroExtents(mTr.data() + mPad, mTrStride, sh, sw, mTrFirst, mTrLast);
        mTransposed = true;
    }
    // The columns whose opacity counts: the box and the one after it (a
    // neighbour of the box's last column), within the square and the image.
    const int nO = std::min({dw + 1, mCellW, img.W - x0});
    const int span = RoundUp16(cw);
    const size_t len = size_t(span) + 48;  // a row buffer: 16 bytes before column 0, 32 after the span
    // Row buffers: opacity (0 or 1) and its 1 2 1 sums along the row for
    // three image rows in turn, a zero row, the row's blocked bytes, and
    // room for a step's pixels where the image ends within its sixteen.
    mRows.assign(16 + 8 * len + 128, 0);
    uint8_t* const base = mRows.data() + 16;
    auto opacityRow = [&](int k) { return base + size_t(k) * len; };
    auto sumRow = [&](int k) { return base + size_t(3 + k) * len; };
    const uint8_t* const zeroRow = base + 6 * len;
    uint8_t* const blockedRow = base + 7 * len;
    uint8_t* const pxIn = base + 8 * len;
    // A step reading past the end of an image row reads the next row's first
    // pixels, which it masks off: only past the image's last byte does it
    // take a copy (copying every row's last step would stall each read of it
    // until the small stores of the copy have landed).
    const uint8_t* const imgEnd = img.pMem + img.ByteCount();

    // The codes that keep the shadow off: compared sixteen at a time when
    // there are few, else looked up in the table pixel by pixel.
    constexpr int kListed = 8;
    uint8_t listed[kListed];
    int nListed = 0;
    bool tableOnly = false;
    const bool anyBlocks = blockers && blockers->plane && !blockers->plane->codes.empty();
    if (anyBlocks)
        for (int c0 = 0; c0 < 256; c0 += 16) {
            unsigned bits = 0;
            for (int k = 0; k < 16; ++k)
                bits |= unsigned(blockers->blocks[size_t(c0 + k)] != 0) << k;
            for (; bits != 0; bits &= bits - 1) {
                if (nListed < kListed)
                    listed[nListed] = uint8_t(c0 + std::countr_zero(bits));
                ++nListed;
            }
        }
    if (nListed > kListed)
        tableOnly = true;
    bool codesInside = false;  // every row of the cell lies in the mask
    if (anyBlocks && nListed > 0 && !tableOnly && mHasShadow) {
        CopyCodes(*blockers, std::max(look.ExtraW(), look.ExtraH()));
        codesInside = mCodesInside;
    }

    constexpr int kAhead = 2;  // rows fetched ahead, of the image and of the cell
#if !defined(__SSE2__)
    (void)pxIn, (void)kAhead, (void)imgEnd;  // the steps of sixteen's alone
#endif
    // Image row y of square r: its opacity and sums into slot y % 3.
    int opFirst[3] = {0, 0, 0}, opLast[3] = {-1, -1, -1};  // per slot: the box's opaque columns
    auto fillRow = [&](int y) {
        uint8_t* o = opacityRow(y % 3);
        uint8_t* s = sumRow(y % 3);
        const uint8_t* src = MyImageGetLineXY(img, x0, y);
        const int n = std::min(nO, img.W - x0);
        int u = 0, first = INT32_MAX, last = -1;
#if defined(__SSE2__)
        if (y + kAhead < img.H) {
            const char* ahead = reinterpret_cast<const char*>(src + ptrdiff_t(kAhead) * img.iBPL);
            for (int b = 0; b < n * 4 + 63; b += 64)
                _mm_prefetch(ahead + b, _MM_HINT_T0);
        }
        // The opacity of sixteen columns from u on (0 or 1), zero past n.
        const __m128i one = _mm_set1_epi8(1), none = _mm_setzero_si128();
        auto opacityAt = [&](int at) {
            if (at >= n)
                return none;
            const uint8_t* p = src + ptrdiff_t(at) * 4;
            if (p + 64 > imgEnd) {
                std::memset(pxIn, 0, 64);
                std::memcpy(pxIn, p, size_t(std::min(16, img.W - x0 - at)) * 4);
                p = pxIn;
            }
            const __m128i keep = _mm_load_si128(reinterpret_cast<const __m128i*>(kLanes.below[LanesBelow(n - at)]));
            const __m128i op = _mm_and_si128(OpaqueOf(p), keep);
            const unsigned bits = unsigned(_mm_movemask_epi8(op));
            if (bits != 0) {
                first = std::min(first, at + std::countr_zero(bits));
                last = at + 31 - std::countl_zero(bits);
            }
            return _mm_and_si128(op, one);
        };
        // The sums from the opacity held in registers, each step's left and
        // right neighbours shifted in from the steps beside it: reading them
        // back from the row just stored would straddle two stores still on
        // their way to the cache, and stall until they land.
        __m128i prev = none, cur = opacityAt(0);
        for (; u < span; u += 16) {
            const __m128i next = opacityAt(u + 16);
            const __m128i left = _mm_or_si128(_mm_slli_si128(cur, 1), _mm_srli_si128(prev, 15));
            const __m128i right = _mm_or_si128(_mm_srli_si128(cur, 1), _mm_slli_si128(next, 15));
            Store16(s + u, _mm_add_epi8(_mm_add_epi8(left, right), _mm_add_epi8(cur, cur)));
            // Column dw is a neighbour only: past the box nothing is drawn.
            // Masked here, not cleared by a byte store after: a step's read
            // of it would then wait for both stores to reach the cache.
            Store16(o + u, _mm_and_si128(cur, _mm_load_si128(reinterpret_cast<const __m128i*>(kLanes.below[LanesBelow(dw - u)]))));
            prev = cur;
            cur = next;
        }
        for (; u < span + 32; u += 16)
            Store16(o + u, none);
        opFirst[y % 3] = first;
        opLast[y % 3] = std::min(last, dw - 1);
#else
        for (; u < n; ++u)
            o[u] = src[ptrdiff_t(u) * 4 + 3] != 0 ? 1 : 0;
        std::fill(o + u, o + span + 32, uint8_t(0));
        for (u = 0; u < span; ++u)
            s[u] = uint8_t(o[u - 1] + 2 * o[u] + o[u + 1]);
        o[dw] = 0;
        (void)first, (void)last;
        opFirst[y % 3] = 0;
        opLast[y % 3] = dw - 1;
#endif
    };
    if (dh > 0 && !fromPlane)
        fillRow(0);

    for (int v = 0; v < ch; ++v) {
        uint8_t* d = dst + size_t(v) * stride;
#if defined(__SSE2__)
        // The cell's rows lie far apart in an atlas page, each in lines the
        // cache has not seen: fetched a few rows ahead, while this one is worked.
        if (v + kAhead < ch) {
            const char* ahead = reinterpret_cast<const char*>(d + kAhead * stride);
            for (int b = 0; b < cw * 4 + 63; b += 64)
                _mm_prefetch(ahead + b, _MM_HINT_T0);
        }
#endif
        const bool pieceRow = v < dh;
        const uint8_t *sumUp = zeroRow, *sumCur = zeroRow, *sumDn = zeroRow, *opCur = zeroRow, *src = nullptr;
        const uint8_t* ease = nullptr;  // the turned outline's row (fromPlane)
        bool easeRev = false;
        int easeLo = INT32_MAX, easeHi = -1;
        if (pieceRow && fromPlane) {
            src = MyImageGetLineXY(img, x0, v);
#if defined(__SSE2__)
            if (v + kAhead < dh) {
                const char* ahead = reinterpret_cast<const char*>(src + ptrdiff_t(kAhead) * img.iBPL);
                for (int b = 0; b < dw * 4 + 63; b += 64)
                    _mm_prefetch(ahead + b, _MM_HINT_T0);
            }
#endif
            const uint8_t* up = mEaseUp.data() + mEasePad;
            const uint8_t* tr = mEaseTr.data() + mEasePad;
            int f = INT32_MAX, l = -1, k = 0;
            switch (r) {
            case 1: k = v, ease = tr + size_t(k) * mEaseTrStride + size_t(mH - 1), easeRev = true;
                if (mEaseTrFirst[size_t(k)] <= mEaseTrLast[size_t(k)])
                    f = mH - 1 - mEaseTrLast[size_t(k)], l = mH - 1 - mEaseTrFirst[size_t(k)];
                break;
            case 2: k = mH - 1 - v, ease = up + size_t(k) * mEaseStride + size_t(mW - 1), easeRev = true;
                if (mEaseFirst[size_t(k)] <= mEaseLast[size_t(k)])
                    f = mW - 1 - mEaseLast[size_t(k)], l = mW - 1 - mEaseFirst[size_t(k)];
                break;
            default: k = mW - 1 - v, ease = tr + size_t(k) * mEaseTrStride;
                f = mEaseTrFirst[size_t(k)], l = mEaseTrLast[size_t(k)];
                break;
            }
            easeLo = f, easeHi = l;
        } else if (pieceRow) {
            if (v + 1 < img.H)
                fillRow(v + 1);
            sumUp = v > 0 ? sumRow((v - 1) % 3) : zeroRow;
            sumCur = sumRow(v % 3);
            opCur = opacityRow(v % 3);
            sumDn = v + 1 < img.H ? sumRow((v + 1) % 3) : zeroRow;
            src = MyImageGetLineXY(img, x0, v);
            if (makePlane) {
                mEaseFirst[size_t(v)] = opFirst[v % 3];
                mEaseLast[size_t(v)] = opLast[v % 3];
            }
        }
        // The turned shadow's row under this one, read forwards or backwards.
        const int tv = v - vS0;
        const uint8_t* shade = nullptr;
        bool shadeRev = false;
        // The row's columns that may be other than transparent: lo .. hi.
        int lo = INT32_MAX, hi = -1;
        if (pieceRow && fromPlane)
            lo = easeLo, hi = easeHi;
        else if (pieceRow)
            lo = opFirst[v % 3], hi = opLast[v % 3];
        if (mHasShadow && tv >= 0 && tv < th) {
            const ptrdiff_t pad = mPad;
            int f, l;  // the shadow's nonzero columns in the plane row read
            switch (r) {
            case 1: shade = mTr.data() + size_t(tv) * mTrStride + pad + sh - 1 + uS0, shadeRev = true;
                f = sh - 1 + uS0 - mTrLast[size_t(tv)], l = sh - 1 + uS0 - mTrFirst[size_t(tv)]; break;
            case 2: shade = mUp.data() + size_t(sh - 1 - tv) * mUpStride + pad + sw - 1 + uS0, shadeRev = true;
                f = sw - 1 + uS0 - mUpLast[size_t(sh - 1 - tv)], l = sw - 1 + uS0 - mUpFirst[size_t(sh - 1 - tv)]; break;
            case 3: shade = mTr.data() + size_t(sw - 1 - tv) * mTrStride + pad - uS0;
                f = mTrFirst[size_t(sw - 1 - tv)] + uS0, l = mTrLast[size_t(sw - 1 - tv)] + uS0; break;
            default: shade = mUp.data() + size_t(tv) * mUpStride + pad - uS0;
                f = mUpFirst[size_t(tv)] + uS0, l = mUpLast[size_t(tv)] + uS0; break;
            }
            if (f <= l)
                lo = std::min(lo, f), hi = std::max(hi, l);
            else
                shade = nullptr;
        }
        lo = std::max(lo, 0);
        hi = std::min(hi, cw - 1);
        if (hi < lo) {
            std::memset(d, 0, size_t(cw) * 4);
            continue;
        }
        // The mask's codes under the row: read from the piece's copies of
        // them (forwards or backwards) when the whole row lies in the mask,
        // else spelled out into blockedRow.
        enum { kNoBlock, kListRow, kTableRow } blockMode = kNoBlock;
        const uint8_t* codes = nullptr;
        const bool codesRev = r == 1 || r == 2;
        if (shade && anyBlocks && nListed > 0) {
            ptrdiff_t off = 0, step = 0;
            int mlo = 0, mhi = cw - 1;  // the columns in the mask
            if (!codesInside)
                blockers->Row(r, v, &off, &step, &mlo, &mhi);
            if (mlo <= mhi) {
                if (mlo <= 0 && mhi >= cw - 1 && !tableOnly) {
                    // Mask point (homeX + x, homeY + y) of box point (x, y) is
                    // row y + E, column x + E of the copy, column y + E, row
                    // x + E of the transpose.
                    const int E = mCodesEdge, bw = blockers->boxW, bh = blockers->boxH;
                    const uint8_t* up = mCodesUp.data() + mCodesPad;
                    const uint8_t* tr = mCodesTr.data() + mCodesPad;
                    switch (r) {
                    case 1: codes = tr + size_t(v + E) * mCodesTrStride + size_t(bh - 1 + E); break;
                    case 2: codes = up + size_t(bh - 1 - v + E) * mCodesUpStride + size_t(bw - 1 + E); break;
                    case 3: codes = tr + size_t(bw - 1 - v + E) * mCodesTrStride + size_t(E); break;
                    default: codes = up + size_t(v + E) * mCodesUpStride + size_t(E); break;
                    }
                    blockMode = kListRow;
                } else {
                    const TCodePlane& plane = *blockers->plane;
                    blockMode = kTableRow;
                    if (codesInside)
                        blockers->Row(r, v, &off, &step, &mlo, &mhi);
                    // Eight bytes a store, each read back whole by one load
                    // of eight: a read across many byte stores would wait
                    // for all of them to reach the cache.
                    for (int u0 = 0; u0 < cw; u0 += 8) {
                        uint64_t word = 0;
                        for (int k = 0; k < 8 && u0 + k < cw; ++k) {
                            const int u = u0 + k;
                            const uint64_t on = u >= mlo && u <= mhi && blockers->blocks[plane.codes[size_t(off + u * step)]] != 0;
                            word |= on << (std::endian::native == std::endian::little ? 8 * k : 56 - 8 * k);
                        }
                        std::memcpy(blockedRow + u0, &word, 8);
                    }
                }
            }
        }

#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128(), ones = _mm_set1_epi8(-1), eight = _mm_set1_epi8(8);
        const __m128i highNibble = _mm_set1_epi8(char(0xF0)), rgbMask = _mm_set1_epi32(0x00FFFFFF);
        const __m128i k128 = _mm_set1_epi16(128), k257 = _mm_set1_epi16(257);
        const int uFirst = lo & ~15, uEnd = std::min(cw, (hi & ~15) + 16);
        ZeroPixels(d, uFirst);
        ZeroPixels(d + ptrdiff_t(uEnd) * 4, cw - uEnd);
        for (int u = uFirst; u < uEnd; u += 16) {
            const bool full = u + 16 <= cw;
            uint8_t* o = d + ptrdiff_t(u) * 4;
            // The eased alpha: 255 x (the 1 2 1 / 2 4 2 / 1 2 1 sum of the
            // opaque neighbours) / 16 where opaque, computed as 16 x sum, less
            // 1 above 8 (the rounding), in bytes (16 x 16 wraps to 0, less 1 is 255).
            __m128i a = zero;
            const uint8_t* px = zeroRow;  // sixteen transparent pixels
            const bool pieceStep = pieceRow && u < dw;
            if (pieceStep) {
                if (fromPlane) {
                    a = LoadDir(ease, u, easeRev);
                } else {
                    const __m128i c = Load16(sumCur + u);
                    const __m128i sum = _mm_add_epi8(_mm_add_epi8(Load16(sumUp + u), Load16(sumDn + u)), _mm_add_epi8(c, c));
                    const __m128i opaque = _mm_cmpgt_epi8(Load16(opCur + u), zero);
                    const __m128i eased = _mm_add_epi8(_mm_and_si128(_mm_slli_epi16(sum, 4), highNibble), _mm_cmpgt_epi8(sum, eight));
                    a = _mm_and_si128(eased, opaque);
                    if (makePlane)
                        Store16(mEaseUp.data() + size_t(mEasePad) + size_t(v) * mEaseStride + size_t(u), a);
                }
                px = src + ptrdiff_t(u) * 4;
                if (px + 64 > imgEnd) {
                    std::memset(pxIn, 0, 64);
                    std::memcpy(pxIn, px, size_t(std::min(16, img.W - x0 - u)) * 4);
                    px = pxIn;
                }
            }
            __m128i sv = zero;
            if (shade) {
                sv = LoadDir(shade, u, shadeRev);
                if (blockMode == kListRow) {
                    const __m128i c = LoadDir(codes, u, codesRev);
                    __m128i off = _mm_cmpeq_epi8(c, _mm_set1_epi8(char(listed[0])));
                    for (int k = 1; k < nListed; ++k)
                        off = _mm_or_si128(off, _mm_cmpeq_epi8(c, _mm_set1_epi8(char(listed[k]))));
                    sv = _mm_andnot_si128(off, sv);
                } else if (blockMode == kTableRow) {
                    const uint8_t* bl = blockedRow + u;
                    const __m128i blocked = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(bl)),
                                                               _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bl + 8)));
                    sv = _mm_andnot_si128(_mm_cmpgt_epi8(blocked, zero), sv);
                }
            }
            if (!pieceStep) {
                // Below or right of the box: the shadow alone, black with its alpha.
                const __m128i sLo = _mm_unpacklo_epi8(zero, sv), sHi = _mm_unpackhi_epi8(zero, sv);
                const __m128i only[4] = {_mm_unpacklo_epi16(zero, sLo), _mm_unpackhi_epi16(zero, sLo),
                                         _mm_unpacklo_epi16(zero, sHi), _mm_unpackhi_epi16(zero, sHi)};
                if (full) {
                    for (int g = 0; g < 4; ++g)
                        Store16(o + 16 * g, only[g]);
                } else {
                    StorePixels(o, only, cw - u);
                }
                continue;
            }
            // Within the box every pixel the same way, whatever it is: the
            // branches a mix of inside, outline and shadow would take cost
            // more than the work.
            // The alpha: the piece's, and over it the shadow's where it shows.
            const __m128i outA = _mm_add_epi8(a, MulDiv255Up(sv, _mm_xor_si128(a, ones)));
            const __m128i aLo = _mm_unpacklo_epi8(zero, outA), aHi = _mm_unpackhi_epi8(zero, outA);
            const __m128i words[4] = {_mm_unpacklo_epi16(zero, aLo), _mm_unpackhi_epi16(zero, aLo),
                                      _mm_unpacklo_epi16(zero, aHi), _mm_unpackhi_epi16(zero, aHi)};
            // The colours premultiplied: (c a + 128) / 255, rounded as the
            // reference (inside a = 255 keeps c, outside a = 0 gives 0).
            const __m128i a2Lo = _mm_unpacklo_epi8(a, a), a2Hi = _mm_unpackhi_epi8(a, a);
            const __m128i spread[4] = {_mm_unpacklo_epi16(a2Lo, a2Lo), _mm_unpackhi_epi16(a2Lo, a2Lo),
                                       _mm_unpacklo_epi16(a2Hi, a2Hi), _mm_unpackhi_epi16(a2Hi, a2Hi)};
            __m128i out[4];
            for (int g = 0; g < 4; ++g) {
                const __m128i p = Load16(px + 16 * g);
                // t = c a + 128, then (t + (t >> 8)) >> 8, which is (t * 257) >> 16.
                const __m128i l = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(p, zero), _mm_unpacklo_epi8(spread[g], zero)), k128);
                const __m128i h = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(p, zero), _mm_unpackhi_epi8(spread[g], zero)), k128);
                __m128i lo16 = _mm_mulhi_epu16(l, k257), hi16 = _mm_mulhi_epu16(h, k257);
                if (bgra) {  // red and blue change places, two pixels to a register
                    lo16 = _mm_shufflehi_epi16(_mm_shufflelo_epi16(lo16, _MM_SHUFFLE(3, 0, 1, 2)), _MM_SHUFFLE(3, 0, 1, 2));
                    hi16 = _mm_shufflehi_epi16(_mm_shufflelo_epi16(hi16, _MM_SHUFFLE(3, 0, 1, 2)), _MM_SHUFFLE(3, 0, 1, 2));
                }
                const __m128i rgb = _mm_packus_epi16(lo16, hi16);
                out[g] = _mm_or_si128(_mm_and_si128(rgb, rgbMask), words[g]);
            }
            if (full) {
                for (int g = 0; g < 4; ++g)
                    Store16(o + 16 * g, out[g]);
            } else {
                StorePixels(o, out, cw - u);
            }
        }
#else
        for (int u = 0; u < cw; ++u) {
            unsigned a = 0;
            if (pieceRow && u < dw && opCur[u] != 0) {
                const unsigned sum = unsigned(sumUp[u] + sumDn[u] + 2 * sumCur[u]);
                a = sum >= 16 ? 255u : (sum * 255 + 8) / 16;
            }
            unsigned sv = 0;
            if (shade) {
                sv = shadeRev ? shade[-ptrdiff_t(u)] : shade[u];
                if (blockMode == kListRow) {
                    const uint8_t c = codesRev ? codes[-ptrdiff_t(u)] : codes[u];
                    for (int k = 0; k < nListed; ++k)
                        if (c == listed[k])
                            sv = 0;
                } else if (blockMode == kTableRow && blockedRow[u] != 0) {
                    sv = 0;
                }
            }
            uint8_t* o = d + ptrdiff_t(u) * 4;
            if (a == 0) {
                o[0] = o[1] = o[2] = 0;
            } else {
                const uint8_t* s = src + ptrdiff_t(u) * 4;
                for (int c = 0; c < 3; ++c) {
                    const unsigned t = s[c] * a + 128;
                    o[bgra ? 2 - c : c] = uint8_t((t + (t >> 8)) >> 8);
                }
            }
            o[3] = uint8_t(a + (sv * (255u - a) + 127u) / 255u);
        }
#endif
    }
    if (makePlane)
        mEaseMade = true;
}

// ---- The atlas's blocks -----------------------------------------------------------------

void ZeroAtlasBlockGaps(const int cellW[], const int cellH[], int copies, int pitch, int blockW, int shelfH,
                        int tailW, uint8_t* blockTop, size_t stride)
{
    copies = std::clamp(copies, 0, 4);
    int x0[5], x1[5], cw[5], ch[5];
    for (int r = 0; r < copies; ++r) {
        // Copy r's span: up to the next copy, the last one to the block's end.
        x0[r] = r * pitch;
        x1[r] = r + 1 < copies ? x0[r] + pitch : blockW;
        cw[r] = std::clamp(cellW[r], 0, std::max(0, x1[r] - x0[r]));
        ch[r] = std::clamp(cellH[r], 0, shelfH);
    }
    // The shelf's end right of the block: a span with no cell.
    x0[copies] = blockW, x1[copies] = blockW + std::max(0, tailW), cw[copies] = 0, ch[copies] = 0;
    for (int v = 0; v < shelfH; ++v) {
        uint8_t* d = blockTop + size_t(v) * stride;
        // Each span's part beside or below its cell, neighbours run together.
        int a = 0, b = 0;
        for (int r = 0; r <= copies; ++r) {
            const int from = v < ch[r] ? x0[r] + cw[r] : x0[r], to = x1[r];
            if (from >= to)
                continue;
            if (from != b) {
                ZeroPixels(d + size_t(a) * 4, b - a);
                a = from;
            }
            b = to;
        }
        ZeroPixels(d + size_t(a) * 4, b - a);
    }
}
