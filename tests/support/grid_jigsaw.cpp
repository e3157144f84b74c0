#include "support/grid_jigsaw.h"

#include "model/play_rules.h"
#include "model/puzzle.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kFrameW = 20;

// The box pixel (x, y) of an unturned piece shown at drawn pixel (u, v) of
// rotation r.
void Unturn(int r, int w, int h, int u, int v, int* x, int* y)
{
    switch (r) {
    case 1: *x = v; *y = h - 1 - u; break;
    case 2: *x = w - 1 - u; *y = h - 1 - v; break;
    case 3: *x = w - 1 - v; *y = u; break;
    default: *x = u; *y = v; break;
    }
}

// The rotation strip of piece i: its colour where `solid(x, y)` holds for
// the box pixel, transparent black elsewhere.
template <typename Solid>
void MakeStrip(int i, bool rotate, Solid solid)
{
    const TJig& j = JigAt(i);
    const int side = std::max(j.W, j.H);
    OMyImage img(rotate ? 4 * side : j.W, rotate ? side : j.H, true);
    const uint32_t c = PieceColour(i);
    for (int r = 0; r < (rotate ? 4 : 1); ++r) {
        const int dw = r & 1 ? j.H : j.W, dh = r & 1 ? j.W : j.H;
        for (int v = 0; v < dh; ++v) {
            uint8_t* p = MyImageGetLineXY(img, r * img.H, v);
            for (int u = 0; u < dw; ++u, p += 4) {
                int x, y;
                Unturn(r, j.W, j.H, u, v, &x, &y);
                const bool on = solid(x, y);
                p[0] = on ? uint8_t(c >> 16) : 0;
                p[1] = on ? uint8_t(c >> 8) : 0;
                p[2] = on ? uint8_t(c) : 0;
                p[3] = on ? 255 : 0;
            }
        }
    }
    arPicJigs[size_t(i)] = std::move(img);
}

}  // namespace

uint32_t PieceColour(int i)
{
    // Far from the grey table and from each other; never pure white or black.
    static const uint32_t palette[] = {0xD02020, 0x20A040, 0x2040D0, 0xD0A020, 0x9020C0, 0x20B0B0,
                                       0xE07010, 0x706010, 0x10D060, 0xC01080, 0x4080F0, 0x80F040};
    return palette[size_t(i) % (sizeof palette / sizeof palette[0])];
}

void BuildGridJigsaw(const TGridJigsaw& s)
{
    const int fw = s.frame ? kFrameW : 0;
    const int tiles = s.cols * s.rows;
    JigP = TJigParams{};
    JigP.TileS = s.tile;
    JigP.MaskOfs = s.ofs;
    JigP.MaskS = s.tile + 2 * s.ofs;
    JigP.StuckD = std::max(4, s.ofs / 2);
    JigP.TilePX = s.cols;
    JigP.TilePY = s.rows;
    JigP.TileNum = tiles;
    JigP.TotalTileNum = tiles + (s.frame ? 1 : 0);
    JigP.ImageW = s.cols * s.tile + 2 * fw;
    JigP.ImageH = s.rows * s.tile + 2 * fw;
    JigP.JigsL = JigP.JigsT = fw;
    JigP.JigsR = fw + s.cols * s.tile - 1;
    JigP.JigsB = fw + s.rows * s.tile - 1;
    JigP.Rotate = s.rotate;
    JigP.BorderStyle = s.frame;
    CreateJigsBuf(tiles + 1);
    arPicJigs.resize(size_t(JigP.TotalTileNum));
    for (int i = 0; i < tiles; ++i) {
        TJig& j = JigAt(i);
        const int c = i % s.cols, r = i / s.cols;
        j.CellX = fw + c * s.tile;
        j.CellY = fw + r * s.tile;
        j.CellW = j.CellH = s.tile;
        j.HomeX = std::max(JigP.JigsL, j.CellX - s.ofs);
        j.HomeY = std::max(JigP.JigsT, j.CellY - s.ofs);
        j.W = std::min(JigP.JigsR + 1, j.CellX + s.tile + s.ofs) - j.HomeX;
        j.H = std::min(JigP.JigsB + 1, j.CellY + s.tile + s.ofs) - j.HomeY;
        std::fill(std::begin(j.Nb), std::end(j.Nb), int16_t(-1));
        j.Nb[1] = int16_t(c > 0 ? i - 1 : -1);
        j.Nb[3] = int16_t(r > 0 ? i - s.cols : -1);
        j.Nb[5] = int16_t(c + 1 < s.cols ? i + 1 : -1);
        j.Nb[7] = int16_t(r + 1 < s.rows ? i + s.cols : -1);
        const bool border = c == 0 || r == 0 || c + 1 == s.cols || r + 1 == s.rows;
        if (s.frame && border)
            j.Nb[8] = int16_t(tiles);
        const int cx = j.CellX - j.HomeX, cy = j.CellY - j.HomeY;
        MakeStrip(i, s.rotate, [&](int x, int y) { return x >= cx && x < cx + s.tile && y >= cy && y < cy + s.tile; });
    }
    if (s.frame) {
        TJig& f = JigAt(tiles);
        f.W = JigP.ImageW;
        f.H = JigP.ImageH;
        std::fill(std::begin(f.Nb), std::end(f.Nb), int16_t(-1));
        MakeStrip(tiles, s.rotate, [&](int x, int y) {
            return x < fw || y < fw || x >= f.W - fw || y >= f.H - fw;
        });
    }
    for (int i = 0; i < JigP.TotalTileNum; ++i) {
        TJig& j = JigAt(i);
        j.Layer = i;
        j.X = j.HomeX + s.originX;
        j.Y = j.HomeY + s.originY;
        UpdateJigDrawCoords(i);
    }
    SortJigs(0);
}

void PlaceTurned(int i, int r, int ox, int oy)
{
    TJig& j = JigAt(i);
    const int c = 1000;  // any constant: only offsets between pieces matter
    const int xs[4] = {j.HomeX, c - (j.HomeY + j.H), c - (j.HomeX + j.W), j.HomeY};
    const int ys[4] = {j.HomeY, j.HomeX, c - (j.HomeY + j.H), c - (j.HomeX + j.W)};
    j.X = xs[r] + ox;
    j.Y = ys[r] + oy;
    j.Rot = uint8_t(r);
    UpdateJigDrawCoords(i);
}

TPoint OpaquePoint(int i)
{
    const TJig& j = JigAt(i);
    const OMyImage& img = arPicJigs[size_t(i)];
    // The opaque pixel nearest the drawn centre (pieces may be frames).
    TPoint best{j.X, j.Y};
    int bestD = -1;
    for (int v = 0; v < j.DrawH; ++v)
        for (int u = 0; u < j.DrawW; ++u) {
            if (MyImageGetPixelAlpha(img, j.Rot * img.H + u, v) == 0)
                continue;
            const int d = std::abs(2 * u - j.DrawW) + std::abs(2 * v - j.DrawH);
            if (bestD < 0 || d < bestD) {
                bestD = d;
                best = {j.X + u, j.Y + v};
            }
        }
    return best;
}
