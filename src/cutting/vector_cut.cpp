// The grid styles' cut: the grid, the tab sides, one tab on every inner grid
// line, the frame lines, the fill, stray pixels and the frame piece. It
// shares the fill and the stray-pixel clean-up with the classic cut.
//
//   set-up -> grid and corners -> tab sides -> vertical edges (column by
//   column) -> horizontal edges (row by row) -> frame lines -> fill ->
//   frame strip -> stray pixels -> frame piece
#include "cutting/classic_cut.h"
#include "cutting/vector_style.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kFirstVectorStyle = 4;

struct TVecCut : TCutGrid {
    TVecCut(TJigParams& p, std::vector<TJig>& j) : jp(p), jigs(j) {}
    TJigParams& jp;
    std::vector<TJig>& jigs;
    std::vector<TCellCorners> corners;  // one per cell, plus one
    TCurveField cf;
    int failInd = -1, failX = 0, failY = 0;
    int failCount = 0;  // cells whose seed was not white
};

bool VecSetUp(TVecCut& w)
{
    TJigParams& p = w.jp;
    if (p.ShapeStyle < kFirstVectorStyle)
        return CutRefuse("not a grid shape style");
    if (const char* why = CutGridSetUp(p, 2, w.jigs.size(), w))
        return CutRefuse(why);
    VecStyleP.iFigChoise = VectorFigChoice(p.ShapeStyle);
    MyImageFillRect(*w.vecField, 0, 0, p.ImageW, p.ImageH, kMaskWhite);
    w.corners.assign(size_t(w.n) + 1, TCellCorners{});
    InitEdgeFigsForVectorStyle();
    CountRasTileD();
    w.cf = {w.vecField.get(), p.TileS, p.MaskOfs, w.field.L, w.field.T, w.field.R, w.field.B, {}};
    return true;
}

// The grid as the classic cut lays it, plus each cell's edges in the spare
// bytes of its record, its corners, and its four side neighbours.
void VecGrid(TVecCut& w)
{
    InitJigsAr(w.jp, w.jigs);
    for (int i = 0; i < w.n; ++i) {
        TJig& j = w.jigs[size_t(i)];
        const int r = i / w.C, c = i % w.C;
        j.CellL = j.CellX;
        j.CellT = j.CellY;
        j.CellR = j.CellX + j.CellW - 1;
        j.CellB = j.CellY + j.CellH - 1;
        TCellCorners& k = w.corners[size_t(i)];
        k.tl = {j.CellL, j.CellT};
        k.tr = {j.CellR, j.CellT};
        k.bl = {j.CellL, j.CellB};
        k.br = {j.CellR, j.CellB};
        if (c > 0)
            j.Nb[0] = int16_t(i - 1);
        if (r > 0)
            j.Nb[1] = int16_t(i - w.C);
        if (c < w.C - 1)
            j.Nb[2] = int16_t(i + 1);
        if (r < w.R - 1)
            j.Nb[3] = int16_t(i + w.C);
    }
}

// Each shared edge gets one side, seen the same from both cells; per cell
// the right side is drawn before the bottom one.
void VecChooseSides(TVecCut& w)
{
    for (int i = 0; i < w.n; ++i) {
        TCellCorners& k = w.corners[size_t(i)];
        const int r = i / w.C, c = i % w.C;
        k.left = c > 0 && w.corners[size_t(i - 1)].right;
        k.right = c < w.C - 1 && MyRandom(2) != 0;
        k.top = r > 0 && w.corners[size_t(i - w.C)].bottom;
        k.bottom = r < w.R - 1 && MyRandom(2) != 0;
    }
}

void VecDrawEdges(TVecCut& w, TVecCutStats& stats)
{
    auto count = [&](TTabDraw d) {
        stats.stamped += d == TTabDraw::Stamped;
        stats.drawn += d == TTabDraw::Drawn;
    };
    for (int c = 0; c < w.C - 1; ++c)
        for (int r = 0; r < w.R; ++r) {
            const int i = r * w.C + c;
            const TCellCorners& k = w.corners[size_t(i)];
            count(DrawRotCurveForVectorStyle(w.cf, kFullHeight, k.right, k.tr, k.br,
                                             MaskCodeColor(w.jigs[size_t(i)].MaskColor)));
        }
    for (int r = 0; r < w.R - 1; ++r)
        for (int c = 0; c < w.C; ++c) {
            const int i = r * w.C + c;
            const TCellCorners& k = w.corners[size_t(i)];
            count(DrawRotCurveForVectorStyle(w.cf, kFullHeight, k.bottom, k.bl, k.br,
                                             MaskCodeColor(w.jigs[size_t(i)].MaskColor)));
        }
}

// "Plane Frame": the outer edges of the border cells, each in its cell's
// colour, so that the frame strip's fill stops there.
void VecDrawFrameLines(TVecCut& w)
{
    OMyImage& img = *w.vecField;
    auto line = [&](int i, TPoint a, TPoint b) {
        MyImageDrawLine(img, a.x, a.y, b.x, b.y, MaskCodeColor(w.jigs[size_t(i)].MaskColor));
    };
    for (int r = 0; r < w.R; ++r) {
        const int first = r * w.C, last = first + w.C - 1;
        line(first, w.corners[size_t(first)].tl, w.corners[size_t(first)].bl);
        line(last, w.corners[size_t(last)].tr, w.corners[size_t(last)].br);
    }
    for (int c = 0; c < w.C; ++c) {
        const int first = c, last = (w.R - 1) * w.C + c;
        line(first, w.corners[size_t(first)].tl, w.corners[size_t(first)].tr);
        line(last, w.corners[size_t(last)].bl, w.corners[size_t(last)].br);
    }
}

// Fills every cell from the crossing of its diagonals; answers false when a
// seed was not white (the last such cell is remembered). Each fill's extent
// widens the cell's box, so the clean-up below looks wherever it reached.
bool VecFill(TVecCut& w, std::vector<TRect>& filled)
{
    bool ok = true;
    filled.assign(size_t(w.n), TRect{1, 1, 0, 0});
    for (int i = 0; i < w.n; ++i) {
        TJig& j = w.jigs[size_t(i)];
        const TCellCorners& k = w.corners[size_t(i)];
        int x = 0, y = 0;
        LinesOverlap(k.tl, k.br, k.tr, k.bl, &x, &y);
        j.SiteX = x;
        j.SiteY = y;
        if (MyImageGetPixel(*w.vecField, x, y) != kMaskWhite) {
            w.failInd = i;
            w.failX = x;
            w.failY = y;
            ++w.failCount;
            ok = false;
            continue;
        }
        MaskFloodFill(*w.vecField, x, y, MaskCodeColor(j.MaskColor), &filled[size_t(i)]);
    }
    return ok;
}

// Every piece's box as the extent of its pixels, in one pass over the mask:
// a run of one code along a row belongs to the piece of that code among the
// 3 x 3 cells around the run's cell (codes repeat every three cells, and no
// tab reaches further than the next cell). False, with nothing changed, when
// a pixel is still white or a run belongs to no piece nearby: then the
// pockets must be handed out piece by piece.
bool ExtentsInOnePass(TVecCut& w)
{
    const OMyImage& img = *w.vecField;
    std::vector<int> colOf(size_t(img.W)), rowOf(size_t(img.H));
    for (int c = 0, x = 0; x < img.W; ++x) {
        while (c < w.C - 1 && x >= w.jigs[size_t(c + 1)].CellX)
            ++c;
        colOf[size_t(x)] = c;
    }
    for (int r = 0, y = 0; y < img.H; ++y) {
        while (r < w.R - 1 && y >= w.jigs[size_t((r + 1) * w.C)].CellY)
            ++r;
        rowOf[size_t(y)] = r;
    }
    std::vector<TMyRect> ext(size_t(w.n));
    const uint32_t frame = MaskCodeColor(cFrameColor);
    for (int y = 0; y < img.H; ++y) {
        const uint8_t* row = MyImageGetLineXY(img, 0, y);
        for (int x = 0; x < img.W;) {
            const uint32_t v = uint32_t(row[4 * x]) | uint32_t(row[4 * x + 1]) << 8 | uint32_t(row[4 * x + 2]) << 16;
            int end = x + 1;
            while (end < img.W && std::memcmp(row + 4 * end, row + 4 * x, 3) == 0)
                ++end;
            if (v == kMaskWhite)
                return false;
            if (v != frame) {
                int owner = -1;
                const int r0 = rowOf[size_t(y)], c0 = colOf[size_t(x)];
                for (int r = std::max(0, r0 - 1); r <= std::min(w.R - 1, r0 + 1) && owner < 0; ++r)
                    for (int c = std::max(0, c0 - 1); c <= std::min(w.C - 1, c0 + 1); ++c)
                        if (MaskCodeColor(w.jigs[size_t(r * w.C + c)].MaskColor) == v)
                            owner = r * w.C + c;
                if (owner < 0)
                    return false;
                MyRectIncScope(ext[size_t(owner)], x, y, end - 1, y);
            }
            x = end;
        }
    }
    for (int i = 0; i < w.n; ++i) {
        const TMyRect& e = ext[size_t(i)];
        TJig& j = w.jigs[size_t(i)];
        if (!MyRectIsEmpty(e))
            j.HomeX = e.L, j.HomeY = e.T, j.W = e.W, j.H = e.H;
    }
    return true;
}

// Stray white pockets next to each piece become part of it; the piece's box
// becomes the extent of its pixels. A filled piece's pixels are its fill and
// the curve pixels on its edges, all within a pixel of the fill's extent or
// of the cell's box, so the search covers both grown by two pixels (a pocket
// may touch a curve pixel from outside). Without a fill it covers the box
// grown by twice the overlap margin, the farthest a tab reaches.
void GatherStrayPixels(TVecCut& w, const std::vector<TRect>& filled)
{
    for (int i = 0; i < w.n; ++i) {
        TJig& j = w.jigs[size_t(i)];
        const TRect& f = filled[size_t(i)];
        const int grow = f.left <= f.right ? 2 : 2 * w.jp.MaskOfs;
        TMyRect box = vMyRectInitWH(j.HomeX - grow, j.HomeY - grow, j.W + 2 * grow, j.H + 2 * grow);
        if (f.left <= f.right)
            MyRectIncScope(box, f.left - 2, f.top - 2, f.right + 2, f.bottom + 2);
        TMyRect clamped;
        if (!MyRectIntersect(&clamped, box, vMyRectInitWH(0, 0, w.jp.ImageW, w.jp.ImageH)))
            continue;
        j.HomeX = clamped.L, j.HomeY = clamped.T, j.W = clamped.W, j.H = clamped.H;
        const TMyRect gathered = RemoveEdgeExtraPixels(*w.vecField, j);
        if (!MyRectIsEmpty(gathered))
            j.HomeX = gathered.L, j.HomeY = gathered.T, j.W = gathered.W, j.H = gathered.H;
    }
}

// Answers whether white pockets had to be handed out.
bool VecRemoveStrayPixels(TVecCut& w, const std::vector<TRect>& filled)
{
    if (ExtentsInOnePass(w))
        return false;
    GatherStrayPixels(w, filled);
    return true;
}

// "Plane Frame": the frame piece after the grid pieces, named in every
// border piece's outward neighbour slot.
void VecAddFramePiece(TVecCut& w)
{
    CutSetFramePiece(w.jigs[size_t(w.n)], w.jp);
    const int16_t frame = int16_t(w.n);
    for (int i = 0; i < w.n; ++i) {
        TJig& j = w.jigs[size_t(i)];
        const int r = i / w.C, c = i % w.C;
        if (r == 0)
            j.Nb[1] = frame;
        if (r == w.R - 1)
            j.Nb[3] = frame;
        if (c == 0)
            j.Nb[0] = frame;
        if (c == w.C - 1)
            j.Nb[2] = frame;
    }
    w.jp.TotalTileNum = w.n + 1;
}

}  // namespace

TCutStatus CreateMasksForVectorStyle(TJigParams& jp, std::vector<TJig>& jigs, OMyImagePtr& masks,
                                     const TCutOptions& opt, TVecCutStats* statsOut)
{
    TCutTimes local;
    TCutTimes& times = opt.times ? *opt.times : local;
    times = TCutTimes{};
    TVecCutStats stats;
    stats.keepCorners = statsOut && statsOut->keepCorners;
    const double start = CutNowMs();
    TVecCut w(jp, jigs);
    masks.reset();
    if (!VecSetUp(w))
        return TCutStatus::Failed;
    VecGrid(w);
    VecChooseSides(w);
    Platform().ProgressInc(1.0);
    times.prep = CutNowMs() - start;
    const double t1 = CutNowMs();
    VecDrawEdges(w, stats);
    if (jp.BorderStyle == 1)
        VecDrawFrameLines(w);
    Platform().ProgressInc(1.0);
    const double t2 = CutNowMs();
    std::vector<TRect> filled;
    const bool painted = VecFill(w, filled);
    if (jp.BorderStyle == 1)
        MaskFloodFill(*w.vecField, 0, 0, MaskCodeColor(cFrameColor), nullptr);
    Platform().ProgressInc(1.0);
    const double t3 = CutNowMs();
    stats.strayPockets = VecRemoveStrayPixels(w, filled);
    if (jp.BorderStyle == 1)
        VecAddFramePiece(w);
    masks = std::move(w.vecField);
    Platform().ProgressInc(1.0);
    Platform().ProgressInc(1.0);
    times.curves = t2 - t1;
    times.fill = t3 - t2;
    times.stray = CutNowMs() - t3;
    times.attempts = 1;
    times.total = CutNowMs() - start;
    if (statsOut) {
        if (stats.keepCorners)
            stats.corners = std::move(w.corners);
        *statsOut = std::move(stats);
    }
    if (statsOut)
        statsOut->paintErrors = w.failCount;
    if (!painted) {
        Platform().ShowMessage(StrFormat("PaintError: Ind = %d, CellX = %d, CellY = %d", w.failInd, w.failX, w.failY));
        return TCutStatus::PaintError;
    }
    return TCutStatus::Done;
}
