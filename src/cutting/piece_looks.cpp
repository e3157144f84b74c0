// The eased outline and the shadow of a piece, from its image's alpha.
#include "cutting/piece_looks.h"

#include <algorithm>
#include <cassert>
#include <cstring>

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
