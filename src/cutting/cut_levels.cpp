// The level table and the grid every cut begins from.
//
// All divisions truncate toward zero (C++'s own); [x] is Round(x), halves
// away from zero.
#include "cutting/cutting.h"

#include <cassert>
#include <cmath>

std::array<TMaskParam, kMaskLevels> MaskParams;

const std::array<uint8_t, 9> cMaskColors = {25, 150, 75, 200, 125, 50, 175, 100, 225};
const std::array<uint8_t, 6> cMaskBevels = {1, 2, 4, 8, 16, 32};
const std::array<const char*, 4> sShapeStyles = {"Bubble Shapes", "Pinwhell Shapes", "Curl Shapes",
                                                 "Figure Shapes"};
const std::array<const char*, 2> sBorderStyles = {"No Frame", "Plane Frame"};

namespace {
constexpr int kFigureStyle = 3;
constexpr int kRow13Pieces = 16;  // the coarsest level aims at this many pieces
}  // namespace

// ---- Level table --------------------------------------------------------------

void FillMaskParam(TMaskParam& row, int width, int height, int tile, int style, int border)
{
    row = TMaskParam{};
    if (tile < 1)
        return;  // no tile: no piece (and no division by zero)
    row.TileS = tile;
    row.MaskS = 28 + 6 * ((tile - 20) / 4);
    row.MaskOfs = (row.MaskS - tile) / 2;
    const int allowance = border == 1 ? 2 * kFrameWidth : 0;
    // A picture narrower than the frame allowance has no room for a column:
    // 0, never a negative count whose product would pass for pieces.
    const int usableW = imax(0, width - allowance);
    const int usableH = imax(0, height - allowance);
    row.TilePX = usableW / tile;
    row.TilePY = usableH / tile;
    row.TileNum = row.TilePX * row.TilePY;
    if (style == kFigureStyle) {
        row.PicPX = row.TilePX / 2;
        row.PicPY = row.TilePY / 2;
        row.PicNum = row.PicPX * row.PicPY;
    }
    row.TotalTileNum = row.TileNum + row.PicNum;
}

// Row 13: about 16 pieces. From a quarter of the shorter side, the tile
// shrinks by 1 % steps until there are 16 pieces, or grows by 1 % steps until
// the count first drops (but not below 17).
static TMaskParam CoarsestRow(int width, int height, int style, int border)
{
    const int t0 = imin(width, height) / 4;
    TMaskParam row;
    FillMaskParam(row, width, height, t0, style, border);
    const int c0 = row.TotalTileNum;
    double x = t0;
    if (c0 < kRow13Pieces) {
        while (row.TotalTileNum < kRow13Pieces) {
            x *= 0.99;
            const int tile = Round(x);
            if (tile < 1)
                break;  // even 1-pixel tiles give too few: keep the smallest tried
            FillMaskParam(row, width, height, tile, style, border);
        }
    } else if (c0 > kRow13Pieces) {
        for (;;) {
            x *= 1.01;
            TMaskParam next;
            FillMaskParam(next, width, height, Round(x), style, border);
            if (next.TotalTileNum < kRow13Pieces + 1)
                break;  // keep the row for t0
            if (next.TotalTileNum < c0) {
                row = next;
                break;
            }
        }
    }
    return row;
}

bool FillMaskParams(int width, int height, int style, int border)
{
    if (width <= 0 || height <= 0 || width > kMyImageMaxSide || height > kMyImageMaxSide)
        return false;
    std::array<TMaskParam, kMaskLevels> t;
    for (int tile = 20;; ++tile) {
        FillMaskParam(t[0], width, height, tile, style, border);
        if (t[0].TotalTileNum <= kMaxLevelPieces)
            break;
    }
    t[kMaskLevels - 1] = CoarsestRow(width, height, style, border);
    // Rows 1..12: a geometric series of tiles between rows 0 and 13, each
    // rounded from the unrounded running product.
    const double ratio = std::pow(double(t[kMaskLevels - 1].TileS) / double(t[0].TileS), 1.0 / 13.0);
    double x = t[0].TileS;
    for (int i = 1; i < kMaskLevels - 1; ++i) {
        x *= ratio;
        FillMaskParam(t[size_t(i)], width, height, Round(x), style, border);
    }
    MaskParams = t;
    for (const TMaskParam& row : MaskParams)
        if (row.TotalTileNum > 0)
            return true;
    return false;
}

void SetJigParamsFromLevel(TJigParams& p, int w, int h, int level)
{
    assert(level >= 0 && level < kMaskLevels);
    const TMaskParam& row = MaskParams[size_t(level)];
    p.Level = level;
    p.MaskS = row.MaskS;
    p.TileS = row.TileS;
    p.MaskOfs = row.MaskOfs;
    p.StuckD = imax(4, row.MaskOfs / 2);
    const int s = row.TileS;
    if (p.BorderStyle == 1) {
        w -= 2 * kFrameWidth;
        h -= 2 * kFrameWidth;
    }
    p.TilePX = s > 0 ? imax(0, w) / s : 0;
    p.TilePY = s > 0 ? imax(0, h) / s : 0;
    p.TileNum = p.TilePX * p.TilePY;
    p.PicPX = p.PicPY = p.PicNum = 0;
    p.TotalTileNum = p.TileNum;
}

// ---- Grid ---------------------------------------------------------------------

// Cell sizes along one axis: t plus an equal share of the spare pixels, the
// first (spare mod n) cells one pixel more.
static void ShareSpare(int n, int t, int spare, std::vector<int>& size, std::vector<int>& pos, int start)
{
    size.resize(size_t(n));
    pos.resize(size_t(n));
    for (int i = 0; i < n; ++i) {
        size[size_t(i)] = t + spare / n + (i < spare % n ? 1 : 0);
        pos[size_t(i)] = i == 0 ? start : pos[size_t(i - 1)] + size[size_t(i - 1)];
    }
}

void InitJigsAr(const TJigParams& p, std::vector<TJig>& jigs)
{
    const int C = p.TilePX, R = p.TilePY;
    if (C < 1 || R < 1)
        return;
    assert(jigs.size() >= size_t(C) * size_t(R));
    const int t = p.TileS, m = p.MaskOfs;
    std::vector<int> cw, cx, ch, cy;
    ShareSpare(C, t, p.ImageW - C * t - 2 * p.JigsL, cw, cx, p.JigsL);
    ShareSpare(R, t, p.ImageH - R * t - 2 * p.JigsT, ch, cy, p.JigsT);
    for (int r = 0; r < R; ++r) {
        for (int c = 0; c < C; ++c) {
            TJig& j = jigs[size_t(r * C + c)];
            j.CellX = cx[size_t(c)];
            j.CellY = cy[size_t(r)];
            j.CellW = cw[size_t(c)];
            j.CellH = ch[size_t(r)];
            j.HomeX = c > 0 ? j.CellX - m : j.CellX;
            j.HomeY = r > 0 ? j.CellY - m : j.CellY;
            j.W = j.CellW + (c > 0 ? m : 0) + (c < C - 1 ? m : 0);
            j.H = j.CellH + (r > 0 ? m : 0) + (r < R - 1 ? m : 0);
            // Codes repeat every three cells, so no two cells touching by a
            // side or a corner share one.
            j.MaskColor = cMaskColors[size_t(3 * (r % 3) + (c % 3))];
            j.Bevel = cMaskBevels[size_t(3 * (r % 2) + (c % 3))];
            for (int16_t& nb : j.Nb)
                nb = -1;
            j.PicCell = 0;
            if (p.ShapeStyle == kFigureStyle && r > 0 && r < R - 1 && c > 0 && c < C - 1)
                j.PicCell = (r % 4 == 1 && c % 2 == 1) || (r % 4 == 3 && c % 2 == 0) ? 1 : 0;
        }
    }
}
