// The shadows pieces cast on the table. Each piece's shadow is baked into its
// atlas cells (cutting/piece_looks.h), so a piece and its shadow are one quad.
// Within a group a shadow must not darken the group's own pieces: a group is
// drawn from the top left of its turned picture on, and the shadow is left
// out wherever a piece drawn before it would lie in the put-together picture.
#include "field/compose.h"

#include "cutting/cutting.h"
#include "cutting/piece_looks.h"
#include "field/field_win.h"
#include "model/game_state.h"
#include "model/puzzle.h"

#include <algorithm>
#include <climits>
#include <iterator>

namespace {

bool IsFrameJig(int j) { return JigP.BorderStyle == 1 && j == JigP.TotalTileNum - 1; }

// Upright box point (x, y) of turned cell point (u, v); w x h the upright box.
inline void UnturnPoint(int r, int w, int h, int u, int v, int* x, int* y)
{
    switch (r & 3) {
    case 1: *x = v, *y = h - 1 - u; break;
    case 2: *x = w - 1 - u, *y = h - 1 - v; break;
    case 3: *x = w - 1 - v, *y = u; break;
    default: *x = u, *y = v; break;
    }
}

// The piece of the put-together picture with mask code `code` next to j; -1 none.
int NeighbourWithCode(const TJig& p, uint8_t code)
{
    if (code == cFrameColor && JigP.BorderStyle == 1)
        return JigP.TotalTileNum - 1;
    for (int16_t nb : p.Nb)
        if (nb >= 0 && size_t(nb) < Jigs.size() && JigAt(nb).MaskColor == code)
            return nb;
    return -1;
}

bool DrawnBefore(int a, int b, int r)
{
    const int64_t ka = JigGroupDrawKey(a, r), kb = JigGroupDrawKey(b, r);
    return ka < kb || (ka == kb && a < b);
}

}  // namespace

bool ShadowsShown() { return OptP.Visual_Shadows && PieceAtlasP.bBuiltShadows; }

int64_t JigGroupDrawKey(int j, int r)
{
    if (IsFrameJig(j))
        return INT64_MIN;
    const TJig& p = JigAt(j);
    const int cx = p.CellX + p.CellW / 2, cy = p.CellY + p.CellH / 2;
    int kx, ky;  // the cell's centre in the turned picture
    switch (r & 3) {
    case 1: kx = -cy, ky = cx; break;
    case 2: kx = -cx, ky = -cy; break;
    case 3: kx = cy, ky = -cx; break;
    default: kx = cx, ky = cy; break;
    }
    return int64_t(ky) * (int64_t(1) << 32) + kx;
}

void ShadowAllowedMap(int j, int r, int cw, int ch, std::vector<uint8_t>& out)
{
    out.assign(size_t(cw) * size_t(ch), 1);
    if (!miMasks || !miMasks->HasPixels() || size_t(j) >= Jigs.size())
        return;
    const OMyImage& masks = *miMasks;
    const TJig& p = JigAt(j);
    for (int v = 0; v < ch; ++v)
        for (int u = 0; u < cw; ++u) {
            int x, y;
            UnturnPoint(r, p.W, p.H, u, v, &x, &y);
            const int mx = p.HomeX + x, my = p.HomeY + y;
            if (mx < 0 || my < 0 || mx >= masks.W || my >= masks.H)
                continue;
            const uint8_t code = MyImageGetLineXY(masks, mx, my)[2];
            if (code == p.MaskColor)
                continue;
            const int q = NeighbourWithCode(p, code);
            if (q >= 0 && DrawnBefore(q, j, r))
                out[size_t(v) * size_t(cw) + size_t(u)] = 0;
        }
}

bool ShadowBlockersOf(int j, int r, const TCodePlane& plane, TShadowBlockers& out)
{
    if (plane.codes.empty() || size_t(j) >= Jigs.size())
        return false;
    const TJig& p = JigAt(j);
    out.plane = &plane;
    out.homeX = p.HomeX, out.homeY = p.HomeY, out.boxW = p.W, out.boxH = p.H;
    out.blocks.fill(0);
    // A code belongs to its first neighbour in Nb (as NeighbourWithCode finds
    // it): the last written wins, so the neighbours go in reverse.
    for (size_t k = std::size(p.Nb); k-- > 0;) {
        const int16_t nb = p.Nb[k];
        if (nb >= 0 && size_t(nb) < Jigs.size())
            out.blocks[JigAt(nb).MaskColor] = DrawnBefore(nb, j, r) ? 1 : 0;
    }
    if (JigP.BorderStyle == 1)
        out.blocks[cFrameColor] = DrawnBefore(JigP.TotalTileNum - 1, j, r) ? 1 : 0;
    out.blocks[p.MaskColor] = 0;
    return true;
}

bool JigOnGroupBorder(int j)
{
    const TJig& p = JigAt(j);
    if (p.HomeX <= JigP.JigsL || p.HomeY <= JigP.JigsT || p.HomeX + p.W - 1 >= JigP.JigsR ||
        p.HomeY + p.H - 1 >= JigP.JigsB)
        return true;
    for (int16_t nb : p.Nb)
        if (nb >= 0 && size_t(nb) < Jigs.size() && JigAt(nb).Layer != p.Layer)
            return true;
    return false;
}

bool JigLiftRect(const TJigPlace& place, int j, float r[4])
{
    if (size_t(j) >= PieceAtlasP.arEntries.size() || size_t(j) >= Jigs.size() || IsFrameJig(j))
        return false;
    const TAtlasEntry& e = PieceAtlasP.arEntries[size_t(j)];
    if (e.page < 0 || size_t(e.page) >= PieceAtlasP.arPages.size())
        return false;
    const TJig& p = JigAt(j);
    const TShadowLook& look = kShadowLook;
    const float cw = float(p.DrawW + PieceAtlasP.iExtraW), ch = float(p.DrawH + PieceAtlasP.iExtraH);
    const float gx = cw * float(look.liftGrowPct) / 100.0f, gy = ch * float(look.liftGrowPct) / 100.0f;
    r[0] = float(place.ox + p.X + look.liftOffsetX) - gx;
    r[1] = float(place.oy + p.Y + look.liftOffsetY) - gy;
    r[2] = cw + 2 * gx;
    r[3] = ch + 2 * gy;
    return true;
}

void DrawJigLift(const OMyWin& win, int j) { DrawJigLiftAt(JigPlaceOf(win), j); }

void DrawJigLiftAt(const TJigPlace& place, int j)
{
    float r[4];
    if (!JigLiftRect(place, j, r))
        return;
    const TAtlasEntry& e = PieceAtlasP.arEntries[size_t(j)];
    const TJig& p = JigAt(j);
    const float x = r[0], y = r[1], w = r[2], h = r[3];
    const float cw = float(p.DrawW + PieceAtlasP.iExtraW), ch = float(p.DrawH + PieceAtlasP.iExtraH);
    // Clipped, the source cut in proportion.
    const TMyRect& c = place.clip;
    const float x0 = std::max(x, float(c.L)), y0 = std::max(y, float(c.T));
    const float x1 = std::min(x + w, float(c.R + 1)), y1 = std::min(y + h, float(c.B + 1));
    if (x1 <= x0 || y1 <= y0)
        return;
    // Sampled smoothly, so that it looks the same wherever it lies to a
    // fraction of a pixel, between the outer texels' centres, so that nothing
    // of the cells beside it bleeds in.
    const float sx = float(e.x + p.Rot * e.pitch) + 0.5f, sy = float(e.y) + 0.5f;
    const float kx = (cw - 1) / w, ky = (ch - 1) / h;  // source pixels per drawn pixel
    const float black[4] = {0, 0, 0, kShadowLook.liftAlpha};
    const TSize& page = PieceAtlasP.arPageSizes[size_t(e.page)];
    GLBatch_Quad2D(PieceAtlasP.arPages[size_t(e.page)], page.cx, page.cy, QuadMode::Smooth, black, x0, y0, x1 - x0,
                   y1 - y0, sx + (x0 - x) * kx, sy + (y0 - y) * ky, (x1 - x0) * kx, (y1 - y0) * ky);
}
