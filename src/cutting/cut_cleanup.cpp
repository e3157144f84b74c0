// The end of the classic cut: the fill of the mask, the frame strip, stray
// white pockets, one-pixel tails and the frame piece.
//
// The mask has 4 bytes a pixel; a pixel's colour is its low three bytes
// (the alpha byte is never written).
#include "cutting/classic_cut.h"

#include "cutting/pic_inserts.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace {

inline uint32_t Load(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v & 0xFFFFFF;
}

inline void Store(uint8_t* p, uint32_t colour)
{
    p[0] = uint8_t(colour);
    p[1] = uint8_t(colour >> 8);
    p[2] = uint8_t(colour >> 16);
}

}  // namespace

// ---- Fill -------------------------------------------------------------------------------
// The span fill of Graphics Gems (Heckbert): a stack of runs, each the part of
// a row just filled with the direction to look next; only the stretches that
// stick out past the parent run are looked at in the other direction.

void MaskFloodFill(OMyImage& img, int x, int y, uint32_t colour, TRect* rect)
{
    if (rect)
        *rect = MakeTRect(x, y, x, y);
    if (x < 0 || y < 0 || x >= img.W || y >= img.H || !img.pMem)
        return;
    assert(img.iBPP == 4);
    // Whole pixels are compared and written: the region is one colour with
    // one alpha, which the new colour keeps.
    uint32_t old;
    std::memcpy(&old, MyImageGetLineXY(img, x, y), 4);
    const uint32_t paintValue = (old & 0xFF000000u) | (colour & 0xFFFFFF);
    if (paintValue == old)
        return;
    struct Seg { int y, xl, xr, dy; };
    std::vector<Seg> stack;
    stack.reserve(256);
    const int W = img.W, H = img.H;
    auto push = [&](int sy, int xl, int xr, int dy) {
        if (sy + dy >= 0 && sy + dy < H)
            stack.push_back({sy, xl, xr, dy});
    };
    int minX = x, maxX = x, minY = y, maxY = y;
    push(y, x, x, 1);
    push(y + 1, x, x, -1);
    while (!stack.empty()) {
        const Seg s = stack.back();
        stack.pop_back();
        const int dy = s.dy, x1 = s.xl, x2 = s.xr;
        const int row = s.y + dy;
        uint8_t* line = img.pMem + ptrdiff_t(row) * img.iBPL;
        auto isOld = [&](int px) {
            uint32_t v;
            std::memcpy(&v, line + 4 * px, 4);
            return v == old;
        };
        auto paint = [&](int px) { std::memcpy(line + 4 * px, &paintValue, 4); };
        int px = x1;
        for (; px >= 0 && isOld(px); --px)
            paint(px);
        int l = x1;
        bool skip = px >= x1;
        if (!skip) {
            l = px + 1;
            if (l < x1)
                push(row, l, x1 - 1, -dy);  // leaked past the parent's left end
            px = x1 + 1;
        }
        do {
            if (!skip) {
                for (; px < W && isOld(px); ++px)
                    paint(px);
                push(row, l, px - 1, dy);
                if (px > x2 + 1)
                    push(row, x2 + 1, px - 1, -dy);  // leaked past the right end
                minX = imin(minX, l);
                maxX = imax(maxX, px - 1);
                minY = imin(minY, row);
                maxY = imax(maxY, row);
            }
            skip = false;
            for (++px; px <= x2 && !isOld(px); ++px) {
            }
            l = px;
        } while (px <= x2);
    }
    if (rect)
        *rect = MakeTRect(minX, minY, maxX, maxY);
}

// ---- Stray pixels -----------------------------------------------------------------------
// Curves can wall off small white pockets that no seed reaches. A pocket
// touching a piece (left, right, above or below) becomes part of it. The
// piece's box grown by a pixel on every side is searched, so pockets against
// the image's own edge and beside the box's left and top are found too.

TMyRect RemoveEdgeExtraPixels(OMyImage& img, TJig& j)
{
    const uint32_t colour = MaskCodeColor(j.MaskColor);
    const int x0 = imax(0, j.HomeX - 1), y0 = imax(0, j.HomeY - 1);
    const int x1 = imin(img.W - 1, j.HomeX + j.W + 1), y1 = imin(img.H - 1, j.HomeY + j.H + 1);
    int gl = img.W, gt = img.H, gr = -1, gb = -1;  // the gathered extent
    TMyRect box = vMyRectInitWH(j.HomeX, j.HomeY, j.W, j.H);
    for (int y = y0; y <= y1; ++y) {
        const uint8_t* line = MyImageGetLineXY(img, 0, y);
        int rowL = img.W, rowR = -1;
        for (int x = x0; x <= x1; ++x) {
            const uint32_t v = Load(line + 4 * x);
            if (v == colour) {
                rowL = imin(rowL, x);
                rowR = x;
                continue;
            }
            if (v != kMaskWhite)
                continue;
            const uint8_t* p = line + 4 * x;
            if (!((x > 0 && Load(p - 4) == colour) || (x < img.W - 1 && Load(p + 4) == colour) ||
                  (y > 0 && Load(p - img.iBPL) == colour) || (y < img.H - 1 && Load(p + img.iBPL) == colour)))
                continue;
            TRect r;
            MaskFloodFill(img, x, y, colour, &r);
            gl = imin(gl, r.left), gt = imin(gt, r.top), gr = imax(gr, r.right), gb = imax(gb, r.bottom);
            // The pocket may reach past the box: the box must still hold
            // every pixel of the piece, or its image would miss them.
            MyRectIncScope(box, r.left, r.top, r.right, r.bottom);
            rowL = imin(rowL, x);
            rowR = imax(rowR, x);
        }
        if (rowR >= 0) {
            gl = imin(gl, rowL), gr = imax(gr, rowR);
            gt = imin(gt, y), gb = imax(gb, y);
        }
    }
    j.HomeX = box.L;
    j.HomeY = box.T;
    j.W = box.W;
    j.H = box.H;
    return gr < 0 ? TMyRect{} : vMyRectInitRB(gl, gt, gr, gb);
}

// ---- Tails ----------------------------------------------------------------------------

namespace {

struct TPix {
    OMyImage& img;
    std::vector<TTailChange>* changes;
    uint32_t P(int x, int y) const { return Load(MyImageGetLineXY(img, x, y)); }
    void Take(int x, int y, int fx, int fy)
    {
        Store(MyImageGetLineXY(img, x, y), P(fx, fy));
        if (changes)
            changes->push_back({x, y, fx, fy});
    }
};

// One border line of the field against the line next to it inward. `at(i)`
// maps a position along the border to its pixel, `in(i)` to the inner one.
template <class At, class In>
void TailsAlongBorder(TPix& px, int first, int last, At at, In in)
{
    for (int i = first + 1; i <= last - 1; ++i) {
        const TPoint c = at(i), l = at(i - 1), r = at(i + 1), ic = in(i), ir = in(i + 1);
        if (px.P(c.x, c.y) == px.P(r.x, r.y) && px.P(l.x, l.y) == px.P(ic.x, ic.y) &&
            px.P(ic.x, ic.y) == px.P(ir.x, ir.y) && px.P(c.x, c.y) != px.P(l.x, l.y))
            px.Take(c.x, c.y, l.x, l.y);
    }
    for (int i = last - 1; i >= first + 1; --i) {
        const TPoint c = at(i), l = at(i - 1), r = at(i + 1), il = in(i - 1), ic = in(i);
        if (px.P(c.x, c.y) == px.P(l.x, l.y) && px.P(il.x, il.y) == px.P(ic.x, ic.y) &&
            px.P(ic.x, ic.y) == px.P(r.x, r.y) && px.P(c.x, c.y) != px.P(il.x, il.y))
            px.Take(c.x, c.y, il.x, il.y);
    }
}

// The ring of neighbours: top-left, top, top-right, right, bottom-right,
// bottom, bottom-left, left.
constexpr int kRingX[8] = {-1, 0, 1, 1, 1, 0, -1, -1};
constexpr int kRingY[8] = {-1, -1, -1, 0, 1, 1, 1, 0};

// Where a lone pixel takes its colour from: the first three equal
// neighbours in a row, else the first equal pair; -1: it keeps its own.
int RingSource(const uint32_t ring[8])
{
    for (int s = 0; s < 7; ++s)
        if (ring[s] == ring[s + 1] && ring[s + 1] == ring[(s + 2) % 8])
            return s;
    for (int s = 0; s < 8; ++s)
        if (ring[s] == ring[(s + 1) % 8])
            return s;
    return -1;
}

}  // namespace

void RemoveEdgeTails(OMyImage& img, const TMyRect& f, std::vector<TTailChange>* changes)
{
    if (f.W < 3 || f.H < 3)
        return;
    TPix px{img, changes};
    TailsAlongBorder(px, f.L, f.R, [&](int i) { return TPoint{i, f.T}; }, [&](int i) { return TPoint{i, f.T + 1}; });
    TailsAlongBorder(px, f.L, f.R, [&](int i) { return TPoint{i, f.B}; }, [&](int i) { return TPoint{i, f.B - 1}; });
    TailsAlongBorder(px, f.T, f.B, [&](int i) { return TPoint{f.L, i}; }, [&](int i) { return TPoint{f.L + 1, i}; });
    TailsAlongBorder(px, f.T, f.B, [&](int i) { return TPoint{f.R, i}; }, [&](int i) { return TPoint{f.R - 1, i}; });
    // Inside, in place: a pixel with at most one neighbour of its own colour.
    const ptrdiff_t bpl = img.iBPL;
    for (int y = f.T + 1; y <= f.B - 1; ++y) {
        uint8_t* p = MyImageGetLineXY(img, f.L + 1, y);
        for (int x = f.L + 1; x <= f.R - 1; ++x, p += 4) {
            const uint32_t v = Load(p);
            int same = (Load(p - 4) == v) + (Load(p + 4) == v);
            if (same == 2)
                continue;
            same += (Load(p - bpl) == v) + (Load(p + bpl) == v);
            if (same >= 2)
                continue;
            const uint32_t ring[8] = {Load(p - bpl - 4), Load(p - bpl), Load(p - bpl + 4), Load(p + 4),
                                      Load(p + bpl + 4), Load(p + bpl), Load(p + bpl - 4), Load(p - 4)};
            same += (ring[0] == v) + (ring[2] == v) + (ring[4] == v) + (ring[6] == v);
            if (same >= 2)
                continue;
            const int s = RingSource(ring);
            if (s >= 0 && ring[s] != v)
                px.Take(x, y, x + kRingX[s], y + kRingY[s]);
        }
    }
}

void GrowBoxesForTails(TCutWork& w, const std::vector<TTailChange>& changes)
{
    if (changes.empty())
        return;
    // The grid column and row of a pixel; the piece that held the source
    // pixel lies within two cells of it (same-code pieces are three apart).
    std::vector<int> colStart(size_t(w.C)), rowStart(size_t(w.R));
    for (int c = 0; c < w.C; ++c)
        colStart[size_t(c)] = w.jigs[size_t(c)].CellX;
    for (int r = 0; r < w.R; ++r)
        rowStart[size_t(r)] = w.jigs[size_t(r * w.C)].CellY;
    auto cellOf = [](const std::vector<int>& starts, int v) {
        return int(std::upper_bound(starts.begin(), starts.end(), v) - starts.begin()) - 1;
    };
    const OMyImage& img = *w.vecField;
    for (const TTailChange& ch : changes) {
        const uint32_t colour = Load(MyImageGetLineXY(img, ch.x, ch.y));
        const int c0 = cellOf(colStart, ch.fromX), r0 = cellOf(rowStart, ch.fromY);
        for (int r = imax(0, r0 - 2); r <= imin(w.R - 1, r0 + 2); ++r)
            for (int c = imax(0, c0 - 2); c <= imin(w.C - 1, c0 + 2); ++c) {
                TJig& j = w.jigs[size_t(r * w.C + c)];
                if (MaskCodeColor(j.MaskColor) != colour || ch.fromX < j.HomeX || ch.fromX >= j.HomeX + j.W ||
                    ch.fromY < j.HomeY || ch.fromY >= j.HomeY + j.H)
                    continue;
                TMyRect box = vMyRectInitWH(j.HomeX, j.HomeY, j.W, j.H);
                MyRectIncScope(box, ch.x, ch.y, ch.x, ch.y);
                j.HomeX = box.L, j.HomeY = box.T, j.W = box.W, j.H = box.H;
            }
    }
}

// ---- Finish ---------------------------------------------------------------------------

namespace {

// Every white pixel of the mask. Painted pixels have red 128: eight at a
// time, a chunk whose red bytes show none of the low seven bits set holds
// no white pixel.
std::vector<TPoint> FindWhitePixels(const OMyImage& img)
{
    std::vector<TPoint> white;
    for (int y = 0; y < img.H; ++y) {
        const uint8_t* line = MyImageGetLineXY(img, 0, y);
        int x = 0;
        for (; x + 8 <= img.W; x += 8) {
            uint64_t acc = 0;
            for (int k = 0; k < 4; ++k) {
                uint64_t v;
                std::memcpy(&v, line + 4 * x + 8 * k, 8);
                acc |= v;
            }
            if ((acc & 0x0000007F0000007Full) == 0)
                continue;
            for (int k = x; k < x + 8; ++k)
                if (Load(line + 4 * k) == kMaskWhite)
                    white.push_back({k, y});
        }
        for (; x < img.W; ++x)
            if (Load(line + 4 * x) == kMaskWhite)
                white.push_back({x, y});
    }
    return white;
}

// White pixels are rare after the fill: pockets are looked for only in the
// pieces whose grown box holds one (a piece without one would change
// nothing). Picture pieces always gather their extent, which becomes their box.
void RemoveStrayPixels(TCutWork& w)
{
    OMyImage& img = *w.vecField;
    const std::vector<TPoint> white = FindWhitePixels(img);
    for (int i = 0; i < w.n; ++i) {
        TJig& j = w.jigs[size_t(i)];
        bool near = j.PicCell != 0;
        for (size_t k = 0; k < white.size() && !near; ++k)
            near = white[k].x >= j.HomeX - 1 && white[k].x <= j.HomeX + j.W + 1 && white[k].y >= j.HomeY - 1 &&
                   white[k].y <= j.HomeY + j.H + 1;
        if (!near)
            continue;
        const TMyRect gathered = RemoveEdgeExtraPixels(img, j);
        if (j.PicCell && !MyRectIsEmpty(gathered)) {
            j.HomeX = gathered.L;
            j.HomeY = gathered.T;
            j.W = gathered.W;
            j.H = gathered.H;
        }
    }
}

}  // namespace

void CutSetFramePiece(TJig& fp, const TJigParams& p)
{
    fp = TJig{};
    fp.HomeX = 0;
    fp.HomeY = 0;
    fp.W = p.ImageW;
    fp.H = p.ImageH;
    fp.MaskColor = cFrameColor;
    fp.Bevel = cFrameBevel;
    for (int16_t& nb : fp.Nb)
        nb = -1;
}

void CutFinish(TCutWork& w, OMyImagePtr& masks, TCutTimes* times)
{
    OMyImage& img = *w.vecField;
    const bool frame = w.jp.BorderStyle == 1;
    if (frame)
        MaskFloodFill(img, 0, 0, MaskCodeColor(cFrameColor), nullptr);
    w.testPics.reset();
    const double t0 = CutNowMs();
    RemoveStrayPixels(w);
    const double t1 = CutNowMs();
    std::vector<TTailChange> changes;
    RemoveEdgeTails(img, w.field, &changes);
    GrowBoxesForTails(w, changes);
    if (w.jp.ShapeStyle == 3)
        PicInserts_FitBoxes(w);
    if (times) {
        times->stray += t1 - t0;
        times->tails += CutNowMs() - t1;
    }
    if (frame)
        CutSetFramePiece(w.jigs[size_t(w.n)], w.jp);
    w.jp.TotalTileNum = w.n + (frame ? 1 : 0);
    masks = std::move(w.vecField);
}
