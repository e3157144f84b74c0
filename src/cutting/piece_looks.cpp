// The eased outline and the shadow of a piece, from its image's alpha.
#include "cutting/piece_looks.h"

#include <algorithm>
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

void TCodePlane::From(const OMyImage& masks)
{
    W = masks.W;
    H = masks.H;
    codes.resize(size_t(W) * size_t(H));
    for (int y = 0; y < H; ++y) {
        const uint8_t* s = MyImageGetLineXY(masks, 0, y);
        uint8_t* d = codes.data() + size_t(y) * size_t(W);
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

namespace {

// The eased alpha by the opaque bits of a 3 x 3 neighbourhood: bits 0..2 the
// row above (left, centre, right), 3..5 the pixel's row, 6..8 the row below.
struct TEaseTable {
    uint8_t a[512];
    TEaseTable()
    {
        for (unsigned i = 0; i < 512; ++i) {
            auto row = [i](unsigned k) {
                const unsigned b = (i >> (3 * k)) & 7u;
                return int((b & 1u) + 2 * ((b >> 1) & 1u) + ((b >> 2) & 1u));
            };
            a[i] = (i >> 4 & 1u) == 0 ? 0 : uint8_t(EaseAlpha(row(0) + 2 * row(1) + row(2)));
        }
    }
};
const TEaseTable kEase;

// A pixel's alpha byte (its fourth in memory) within its 32 bits read as a word.
constexpr bool kLittle = std::endian::native == std::endian::little;
constexpr uint32_t kAlphaBits = kLittle ? 0xFF000000u : 0x000000FFu;
// The word of a black pixel with alpha a.
constexpr uint32_t AlphaWord(uint32_t a) { return kLittle ? a << 24 : a; }

// Bits p .. p + N - 1 of a row's bits (N <= 57). Bit 0 stands one column
// left of the row, so the three bits from u are columns u - 1 .. u + 1.
template <int N>
inline unsigned RowBits(const uint64_t* m, int p)
{
    const int k = p >> 6, s = p & 63;
    uint64_t v = m[k] >> s;
    if (s > 64 - N)
        v |= m[k + 1] << (64 - s);
    return unsigned(v & ((uint64_t(1) << N) - 1));
}

// Eight bytes, 255 where a bit of the index is set (bit 0 the first byte).
struct TBitBytes {
    uint64_t v[256];
    TBitBytes()
    {
        for (unsigned i = 0; i < 256; ++i) {
            uint8_t bytes[8];
            for (unsigned k = 0; k < 8; ++k)
                bytes[k] = (i >> k & 1u) != 0 ? 255 : 0;
            std::memcpy(&v[i], bytes, 8);
        }
    }
};
const TBitBytes kBitBytes;

inline bool BitAt(const uint64_t* m, int p) { return (m[p >> 6] >> (p & 63) & 1u) != 0; }

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

// The first bit from p on (below `limit`) that is 1 (set) or 0 in the nw
// words at m (bits past them count 0); `limit` when there is none.
inline int NextBit(const uint64_t* m, size_t nw, int p, int limit, bool set)
{
    while (p < limit) {
        const size_t k = size_t(p >> 6);
        if (k >= nw)
            return set ? limit : p;
        const uint64_t word = (set ? m[k] : ~m[k]) & (~uint64_t(0) << (p & 63));
        if (word != 0)
            return std::min(limit, int(k) * 64 + std::countr_zero(word));
        p = int(k + 1) * 64;
    }
    return limit;
}

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
// w x h bytes at a: the reference's BoxLine over every line, rows first.
// Sums stay below 2R + 1 times 256: 16-bit lanes, the division a multiply.
template <int R>
void BoxBlurFast(uint8_t* a, int w, int h, std::vector<uint8_t>& tmp, std::vector<uint16_t>& acc)
{
    constexpr unsigned kDiv = 2 * R + 1;
    const size_t uw = size_t(w);
#if defined(__SSE2__)
    // floor(x / kDiv) = (x * kMagic) >> 16 for every sum x a pass can make.
    constexpr unsigned kMagic = (65536 + kDiv - 1) / kDiv;
    static_assert(MagicDividesExactly(kDiv, kMagic, kDiv * 255 + R));
    const __m128i zero = _mm_setzero_si128(), magic = _mm_set1_epi16(short(kMagic)), bias = _mm_set1_epi16(R);
    // Scratch: a copy of the bytes, one padded row and one result row, each
    // with room for a last full step of sixteen past its end.
    const size_t copyBytes = uw * size_t(h) + 16, padBytes = uw + 2 * R + 16;
    tmp.assign(copyBytes + padBytes + uw + 16, 0);
    uint8_t* copy = tmp.data();
    uint8_t* pad = copy + copyBytes;
    uint8_t* out = pad + padBytes;
    // Rows: each copied between R zeros on either side, the sums read from the copy.
    for (int y = 0; y < h; ++y) {
        uint8_t* row = a + size_t(y) * uw;
        std::memcpy(pad + R, row, uw);
        for (size_t x = 0; x < uw; x += 16) {
            __m128i lo = bias, hi = bias;
            for (int k = 0; k <= 2 * R; ++k) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pad + x + size_t(k)));
                lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(v, zero));
                hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(v, zero));
            }
            lo = _mm_mulhi_epu16(lo, magic);
            hi = _mm_mulhi_epu16(hi, magic);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(lo, hi));
        }
        std::memcpy(row, out, uw);
    }
    // Columns: up to 2R + 1 rows of the copy summed per row.
    (void)acc;
    std::memcpy(copy, a, uw * size_t(h));
    for (int y = 0; y < h; ++y) {
        const int k0 = std::max(0, y - R), k1 = std::min(h - 1, y + R);
        for (size_t x = 0; x < uw; x += 16) {
            __m128i lo = bias, hi = bias;
            for (int k = k0; k <= k1; ++k) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(copy + size_t(k) * uw + x));
                lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(v, zero));
                hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(v, zero));
            }
            lo = _mm_mulhi_epu16(lo, magic);
            hi = _mm_mulhi_epu16(hi, magic);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(lo, hi));
        }
        std::memcpy(a + size_t(y) * uw, out, uw);
    }
#else
    acc.assign(uw + 2 * R, 0);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = a + size_t(y) * uw;
        uint16_t* pad = acc.data();
        for (size_t x = 0; x < uw; ++x)
            pad[x + R] = row[x];
        for (size_t x = 0; x < uw; ++x) {
            unsigned s = R;
            for (size_t k = 0; k <= 2 * R; ++k)
                s += pad[x + k];
            row[x] = uint8_t(s / kDiv);
        }
    }
    tmp.assign(a, a + uw * size_t(h));
    for (int y = 0; y < h; ++y) {
        uint16_t* sum = acc.data();
        std::fill(sum, sum + uw, uint16_t(R));
        for (int k = std::max(0, y - R); k <= std::min(h - 1, y + R); ++k) {
            const uint8_t* src = tmp.data() + size_t(k) * uw;
            for (size_t x = 0; x < uw; ++x)
                sum[x] = uint16_t(sum[x] + src[x]);
        }
        uint8_t* row = a + size_t(y) * uw;
        for (size_t x = 0; x < uw; ++x)
            row[x] = uint8_t(sum[x] / kDiv);
    }
#endif
}

void BoxBlurAny(std::vector<uint8_t>& a, int w, int h, int r, std::vector<uint8_t>& tmp, std::vector<uint16_t>& acc)
{
    switch (r) {
    case 1: BoxBlurFast<1>(a.data(), w, h, tmp, acc); break;
    case 2: BoxBlurFast<2>(a.data(), w, h, tmp, acc); break;
    case 3: BoxBlurFast<3>(a.data(), w, h, tmp, acc); break;
    default: {
        std::vector<int> line;
        BoxBlur(a, w, h, r, line);
        break;
    }
    }
}

// The opaque bits of n pixels: column c at bit c + 1 of `words` (cleared first).
void OpaqueBits(const uint8_t* px, int n, uint64_t* words, int nw)
{
    std::memset(words, 0, size_t(nw) * sizeof(uint64_t));
    int c = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; c + 16 <= n; c += 16) {
        const __m128i* q = reinterpret_cast<const __m128i*>(px + ptrdiff_t(c) * 4);
        const __m128i a0 = _mm_srli_epi32(_mm_loadu_si128(q), 24), a1 = _mm_srli_epi32(_mm_loadu_si128(q + 1), 24);
        const __m128i a2 = _mm_srli_epi32(_mm_loadu_si128(q + 2), 24), a3 = _mm_srli_epi32(_mm_loadu_si128(q + 3), 24);
        const __m128i all = _mm_packus_epi16(_mm_packs_epi32(a0, a1), _mm_packs_epi32(a2, a3));
        const unsigned clear = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(all, zero)));
        const uint64_t bits = uint64_t(~clear & 0xFFFFu);
        const int p = c + 1, s = p & 63;
        words[p >> 6] |= bits << s;
        if (s > 48)
            words[(p >> 6) + 1] |= bits >> (64 - s);
    }
#endif
    for (; c < n; ++c)
        if (px[ptrdiff_t(c) * 4 + 3] != 0)
            words[(c + 1) >> 6] |= uint64_t(1) << ((c + 1) & 63);
}

}  // namespace

void OCellBaker::SetPiece(const OMyImage& img, int cellW, int w, int h, const TShadowLook& look, bool shadow)
{
    assert(img.bAlpha && img.iBPP == 4 && img.HasPixels() && cellW > 0);
    mImg = &img;
    mCellW = cellW;
    mW = w;
    mH = h;
    mLook = look;
    mShadow.clear();
    SquareBits();
    // As the reference: a box larger than the image makes no shadow.
    if (shadow && w >= 1 && h >= 1 && w <= img.W && h <= img.H)
        MakeShadow();
}

void OCellBaker::MakeShadow()
{
    const int m = mLook.Margin(), sw = mW + 2 * m, sh = mH + 2 * m;
    mShadow.assign(size_t(sw) * size_t(sh), 0);
    // The outline from square 0's bits, eight pixels a step.
    const size_t nw = size_t(mWords);
    for (int y = 0; y < mH; ++y) {
        const uint64_t* bits = mBits.data() + size_t(y) * nw;
        uint8_t* d = mShadow.data() + size_t(y + m) * size_t(sw) + m;
        for (int x = 0; x < mW; x += 8) {
            const uint64_t bytes = kBitBytes.v[RowBits<8>(bits, x + 1)];
            std::memcpy(d + x, &bytes, size_t(std::min(8, mW - x)));
        }
    }
    if (mLook.blur1 > 0)
        BoxBlurAny(mShadow, sw, sh, mLook.blur1, mBlur, mPad);
    if (mLook.blur2 > 0)
        BoxBlurAny(mShadow, sw, sh, mLook.blur2, mBlur, mPad);
    const unsigned k = unsigned(std::clamp(mLook.opacity, 0, 255));
    for (uint8_t& v : mShadow) {
        const unsigned t = v * k + 127;  // / 255, exact below 65153
        v = uint8_t((t + 1 + (t >> 8)) >> 8);
    }
    // Where each row and each column has shadow: the only pixels worked one by one.
    mRowF.assign(size_t(sh), int16_t(sw));
    mRowL.assign(size_t(sh), int16_t(-1));
    mColF.assign(size_t(sw), int16_t(sh));
    mColL.assign(size_t(sw), int16_t(-1));
    int16_t* colF = mColF.data();
    int16_t* colL = mColL.data();
    for (int y = 0; y < sh; ++y) {
        const uint8_t* s = mShadow.data() + size_t(y) * size_t(sw);
        int f = 0, l = sw - 1;
        while (f < sw && s[f] == 0)
            ++f;
        if (f == sw)
            continue;
        while (s[l] == 0)
            --l;
        mRowF[size_t(y)] = int16_t(f);
        mRowL[size_t(y)] = int16_t(l);
        // Rows come in order: a column's first is the first seen, its last the
        // last. Outside f .. l the row is zero and changes nothing.
        const int16_t yy = int16_t(y), none = int16_t(sh);
        int x = f;
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128(), yv = _mm_set1_epi16(yy), nv = _mm_set1_epi16(none);
        for (; x + 8 <= l + 1; x += 8) {
            const __m128i v = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + x)), zero);
            const __m128i off = _mm_cmpeq_epi16(v, zero);
            __m128i* pf = reinterpret_cast<__m128i*>(colF + x);
            __m128i* pl = reinterpret_cast<__m128i*>(colL + x);
            const __m128i candF = _mm_or_si128(_mm_and_si128(off, nv), _mm_andnot_si128(off, yv));
            _mm_storeu_si128(pf, _mm_min_epi16(_mm_loadu_si128(pf), candF));
            _mm_storeu_si128(pl, _mm_or_si128(_mm_and_si128(off, _mm_loadu_si128(pl)), _mm_andnot_si128(off, yv)));
        }
#endif
        for (; x <= l; ++x) {
            const bool on = s[x] != 0;
            colF[x] = std::min(colF[x], on ? yy : none);
            colL[x] = on ? yy : colL[x];
        }
    }
}

void OCellBaker::SquareBits()
{
    // One pass along the image's rows, every square at once: the rows lie
    // in memory in that order.
    const OMyImage& img = *mImg;
    mSquares = std::clamp(img.W / mCellW, 1, 4);
    mWords = (mCellW + 1 + 63) / 64 + 1;
    const size_t nw = size_t(mWords), perSquare = size_t(img.H + 1) * nw;
    mBits.resize(size_t(mSquares) * perSquare);
    for (int y = 0; y < img.H; ++y)
        for (int q = 0; q < mSquares; ++q) {
            const int x0 = q * mCellW, n = std::min(mCellW, img.W - x0);
            OpaqueBits(MyImageGetLineXY(img, x0, y), n, mBits.data() + size_t(q) * perSquare + size_t(y) * nw, mWords);
        }
    for (int q = 0; q < mSquares; ++q)
        std::fill_n(mBits.data() + size_t(q) * perSquare + size_t(img.H) * nw, nw, uint64_t(0));
}

void OCellBaker::Bake(int r, const TShadowBlockers* blockers, uint8_t* dst, size_t stride)
{
    const OMyImage& img = *mImg;
    r &= 3;
    const bool odd = r % 2 == 1;
    const int w = mW, h = mH, dw = odd ? h : w, dh = odd ? w : h;
    const TShadowLook& look = mLook;
    const int cw = dw + look.ExtraW(), ch = dh + look.ExtraH();
    const int m = look.Margin(), sw = w + 2 * m, sh = h + 2 * m;
    const int tw = odd ? sh : sw, th = odd ? sw : sh;  // the turned shadow
    const bool hasShadow = !mShadow.empty();
    assert(r * mCellW + dw <= img.W && dh <= img.H);
    const int x0 = r * mCellW;
    assert(r < mSquares);
    const size_t nw = size_t(mWords);
    const uint64_t* bits = mBits.data() + size_t(r) * size_t(img.H + 1) * nw;
    const uint64_t* zero = bits + size_t(img.H) * nw;
    // Per row: the box's opaque bits and its inside (opaque with all eight neighbours).
    uint64_t boxMask[64], opaque[64], inside[64], outline[64];
    std::vector<uint64_t> big;
    uint64_t *box = boxMask, *op = opaque, *in = inside, *edge = outline;
    if (nw > 64) {
        big.resize(4 * nw);
        box = big.data(), op = box + nw, in = op + nw, edge = in + nw;
    }
    for (size_t k = 0; k < nw; ++k) {  // bits 1 .. dw
        const int lo = int(k) * 64, hi = lo + 64;
        uint64_t b = 0;
        if (dw + 1 > lo && 1 < hi)
            for (int p = std::max(lo, 1); p < std::min(hi, dw + 1); ++p)
                b |= uint64_t(1) << (p - lo);
        box[k] = b;
    }
    for (int v = 0; v < ch; ++v) {
        uint8_t* d = dst + size_t(v) * stride;
        int a0 = INT32_MAX, a1 = -1;  // the row's pixels that are not plain zero: a0 .. a1
        const uint64_t *up = zero, *cur = zero, *dn = zero;
        const uint8_t* src = nullptr;
        if (v < dh) {
            cur = bits + size_t(v) * nw;
            up = v > 0 ? cur - nw : zero;
            dn = v + 1 < img.H ? cur + nw : zero;
            src = MyImageGetLineXY(img, x0, v);
            for (size_t k = 0; k < nw; ++k) {
                const uint64_t ve = up[k] & cur[k] & dn[k];
                const uint64_t lft = (ve << 1) | (k > 0 ? (up[k - 1] & cur[k - 1] & dn[k - 1]) >> 63 : 0);
                const uint64_t rgt = (ve >> 1) | (k + 1 < nw ? (up[k + 1] & cur[k + 1] & dn[k + 1]) << 63 : 0);
                op[k] = cur[k] & box[k];
                in[k] = ve & lft & rgt & box[k];
                edge[k] = op[k] & ~in[k];
                if (op[k] != 0) {
                    if (a1 < 0)
                        a0 = int(k) * 64 + std::countr_zero(op[k]) - 1;
                    a1 = int(k) * 64 + 63 - std::countl_zero(op[k]) - 1;
                }
            }
        }
        // The turned shadow's row under this one: shadow pixel tu at base + tu * step.
        const int tv = v - look.offsetY + m;
        ptrdiff_t base = 0, step = 0;
        const bool shadowRow = hasShadow && tv >= 0 && tv < th;
        if (shadowRow) {
            int f, l;
            switch (r) {
            case 1: f = sh - 1 - mColL[size_t(tv)], l = sh - 1 - mColF[size_t(tv)];
                base = ptrdiff_t(sh - 1) * sw + tv, step = -sw; break;
            case 2: f = sw - 1 - mRowL[size_t(sh - 1 - tv)], l = sw - 1 - mRowF[size_t(sh - 1 - tv)];
                base = ptrdiff_t(sh - 1 - tv) * sw + sw - 1, step = -1; break;
            case 3: f = mColF[size_t(sw - 1 - tv)], l = mColL[size_t(sw - 1 - tv)];
                base = sw - 1 - tv, step = sw; break;
            default: f = mRowF[size_t(tv)], l = mRowL[size_t(tv)];
                base = ptrdiff_t(tv) * sw, step = 1; break;
            }
            if (f <= l) {
                const int du = look.offsetX - m;  // cell u of shadow tu
                a0 = std::min(a0, std::max(0, f + du));
                a1 = std::max(a1, std::min(cw - 1, l + du));
            }
        }
        // The mask under the row, where the shadow's keep-off is read.
        ptrdiff_t mOff = 0, mStep = 0;
        int mLo = 1, mHi = 0;
        if (blockers && shadowRow)
            blockers->Row(r, v, &mOff, &mStep, &mLo, &mHi);
        const uint8_t* mpx = mLo <= mHi ? blockers->plane->codes.data() : nullptr;
        const ptrdiff_t sOff = base + ptrdiff_t(m - look.offsetX) * step;  // shadow of cell pixel u at sOff + u step
        if (a1 < a0) {
            ZeroPixels(d, cw);
            continue;
        }
        ZeroPixels(d, a0);
        ZeroPixels(d + size_t(a1 + 1) * 4, cw - 1 - a1);
        // The row in runs: the inside copied, outline pixels eased one by
        // one, and outside the piece the shadow alone (black, its alpha).
        const int uS0 = look.offsetX - m, uS1 = uS0 + tw - 1;  // the columns the turned shadow covers
        const int lim = a1 + 2;                                 // bits a0 + 1 .. a1 + 1
        for (int u = a0; u <= a1;) {
            const int p = u + 1;
            if (src && BitAt(in, p)) {
                const int e = NextBit(in, nw, p, lim, false) - 1;
                const uint8_t* s = src + ptrdiff_t(u) * 4;
                uint8_t* o = d + ptrdiff_t(u) * 4;
                for (int i = 0; i < e - u; ++i) {
                    uint32_t px;
                    std::memcpy(&px, s + ptrdiff_t(i) * 4, 4);
                    px |= kAlphaBits;
                    std::memcpy(o + ptrdiff_t(i) * 4, &px, 4);
                }
                u = e;
                continue;
            }
            if (src && BitAt(op, p)) {
                const int e = NextBit(edge, nw, p, lim, false) - 1;
                for (; u < e; ++u) {
                    uint8_t* o = d + ptrdiff_t(u) * 4;
                    const unsigned a = kEase.a[RowBits<3>(up, u) | RowBits<3>(cur, u) << 3 | RowBits<3>(dn, u) << 6];
                    const uint8_t* s = src + ptrdiff_t(u) * 4;
                    for (int c = 0; c < 3; ++c) {
                        const unsigned t = s[c] * a + 128;
                        o[c] = uint8_t((t + (t >> 8)) >> 8);
                    }
                    unsigned sv = 0;
                    if (shadowRow && u >= uS0 && u <= uS1)
                        sv = mShadow[size_t(sOff + ptrdiff_t(u) * step)];
                    if (sv != 0 && mpx && u >= mLo && u <= mHi && blockers->blocks[mpx[mOff + ptrdiff_t(u) * mStep]] != 0)
                        sv = 0;
                    o[3] = uint8_t(a + (sv * (255u - a) + 127u) / 255u);
                }
                continue;
            }
            const int e = src ? NextBit(op, nw, p, lim, true) - 1 : a1 + 1;
            if (!shadowRow) {
                ZeroPixels(d + ptrdiff_t(u) * 4, e - u);
                u = e;
                continue;
            }
            const int s0 = std::clamp(uS0, u, e), s1 = std::clamp(uS1 + 1, u, e);
            ZeroPixels(d + ptrdiff_t(u) * 4, s0 - u);
            ZeroPixels(d + ptrdiff_t(s1) * 4, e - s1);
            const int b0 = mpx ? std::clamp(mLo, s0, s1) : s1, b1 = mpx ? std::clamp(mHi + 1, s0, s1) : s1;
            auto free = [&](int f, int l) {
                for (int x = f; x < l; ++x) {
                    const uint32_t px = AlphaWord(mShadow[size_t(sOff + ptrdiff_t(x) * step)]);
                    std::memcpy(d + ptrdiff_t(x) * 4, &px, 4);
                }
            };
            free(s0, b0);
            for (int x = b0; x < b1; ++x) {
                const uint32_t sv = mShadow[size_t(sOff + ptrdiff_t(x) * step)];
                const uint32_t px = blockers->blocks[mpx[mOff + ptrdiff_t(x) * mStep]] != 0 ? 0u : AlphaWord(sv);
                std::memcpy(d + ptrdiff_t(x) * 4, &px, 4);
            }
            free(b1, s1);
            u = e;
        }
    }
}
