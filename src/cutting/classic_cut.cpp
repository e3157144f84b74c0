// The classic cut: sites, partition, cutting attempts (curves and fill) and
// the entry point. The clean-up after the last attempt is in cut_cleanup.cpp.
//
// Sections: set-up | sites | partition | attempt: cells, boxes, sides |
// attempt: curves | attempt: fill | entry point.
#include "cutting/classic_cut.h"

#include "cutting/pic_inserts.h"
#include "platform/platform.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cmath>

namespace {

constexpr int kFigureStyle = 3;
constexpr int kMaxAttempts = 3;
constexpr int kMaxSiteDraws = 100000;  // per cell; only a degenerate grid gets near it

// Sizes a large working array on large pages (advised before first touch).
template <class T>
void ResizeLarge(std::vector<T>& v, size_t n)
{
    if (v.capacity() < n) {
        v.clear();
        v.shrink_to_fit();
        v.reserve(n);
        MyImageAdviseLargePages(v.data(), n * sizeof(T));
    }
    v.resize(n);
}

}  // namespace

bool CutRefuse(const char* why)
{
    Platform().ShowMessage(std::string("Cutting failed: ") + why);
    return false;
}

double CutNowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// ---- Set-up ---------------------------------------------------------------------------

TStyleRules StyleRules(int style)
{
    switch (style) {
    case 0: return {{0, 1, 10, 11}, false, 4};
    case 1: return {{10}, true, 1};
    case 2: return {{7, 6, 8, 9, 4, 5, 10, 11, 12}, false, 4};
    default: return {{10, 11, 12}, false, 4};
    }
}

const char* CutGridSetUp(TJigParams& p, int minTileS, size_t jigCount, TCutGrid& g)
{
    if (p.ImageW < 1 || p.ImageH < 1 || p.ImageW > kMyImageMaxSide || p.ImageH > kMyImageMaxSide)
        return "no picture to cut";
    const int frame = p.BorderStyle == 1 ? kFrameWidth : 0;
    g.field = vMyRectInitRB(frame, frame, p.ImageW - 1 - frame, p.ImageH - 1 - frame);
    g.C = p.TilePX;
    g.R = p.TilePY;
    g.n = g.C * g.R;
    if (p.TileS < minTileS || g.C < 1 || g.R < 1 || g.n < 2 || p.TileNum != g.n)
        return "the level has too few pieces";
    if (int64_t(g.C) * p.TileS > g.field.W || int64_t(g.R) * p.TileS > g.field.H)
        return "the grid does not fit the picture";
    if (jigCount < size_t(g.n) + 1)
        return "no room for the pieces";
    p.JigsL = g.field.L;
    p.JigsT = g.field.T;
    p.JigsR = g.field.R;
    p.JigsB = g.field.B;
    p.TotalTileNum = g.n;
    g.vecField = MyImageCreateExt(p.ImageW, p.ImageH, true);
    if (!g.vecField)
        return "no memory for the mask";
    return nullptr;
}

bool CutSetUp(TCutWork& w)
{
    TJigParams& p = w.jp;
    if (p.ShapeStyle > kFigureStyle)
        return CutRefuse("not a classic shape style");
    if (const char* why = CutGridSetUp(p, 1, w.jigs.size(), w))
        return CutRefuse(why);
    InitEdgeFigs();
    InitJigsAr(p, w.jigs);
    w.rules = StyleRules(p.ShapeStyle);
    w.cf = {w.vecField.get(), p.TileS, p.MaskOfs, w.field.L, w.field.T, w.field.R, w.field.B, {}};
    ResizeLarge(w.cells, size_t(w.n));
    return true;
}

// ---- Sites ----------------------------------------------------------------------------
// One random site per cell, strictly inside the field and at least 3 pixels
// (in one coordinate) from the sites of the earlier cells nearby: the two
// rows above (columns c-2 .. c+2) and the two cells to the left, counted by
// linear index, so the window wraps around the row ends.

static bool SiteTooClose(const TCutWork& w, int i, int x, int y)
{
    const int C = w.C, r = i / C, c = i % C;
    auto close = [&](int j) {
        if (j < 0 || j >= i)
            return false;
        const TVorCell& o = w.cells[size_t(j)];
        return std::abs(o.x - x) < 3 && std::abs(o.y - y) < 3;
    };
    for (int rr = r - 2; rr <= r - 1; ++rr)
        for (int cc = c - 2; cc <= c + 2; ++cc)
            if (close(rr * C + cc))
                return true;
    return close(r * C + c - 2) || close(r * C + c - 1);
}

bool CutPlaceSites(TCutWork& w)
{
    const TMyRect& f = w.field;
    for (int i = 0; i < w.n; ++i) {
        const TJig& j = w.jigs[size_t(i)];
        int x = 0, y = 0, draws = 0;
        do {
            do {
                x = j.CellX + MyRandom(j.CellW);
            } while (!(f.L < x && x < f.R) && ++draws < kMaxSiteDraws);
            do {
                y = j.CellY + MyRandom(j.CellH);
            } while (!(f.T < y && y < f.B) && ++draws < kMaxSiteDraws);
        } while (SiteTooClose(w, i, x, y) && ++draws < kMaxSiteDraws);
        if (draws >= kMaxSiteDraws)
            return CutRefuse("the cells are too small for their sites");
        w.cells[size_t(i)].x = x;
        w.cells[size_t(i)].y = y;
    }
    return true;
}

// ---- Partition --------------------------------------------------------------------------

bool CutPartition(TCutWork& w, TTriangulation method)
{
    TDelaunay tri;  // its memory serves all three passes
    for (int pass = 0; pass < 3; ++pass) {
        if (pass > 0)
            for (TVorCell& c : w.cells) {
                c.x = Round(c.dx);
                c.y = Round(c.dy);
            }
        if (!CalculateVoronoiCells(w.cells, w.field, method, &tri))
            return false;
    }
    for (TVorCell& c : w.cells) {
        c.dx = c.x;
        c.dy = c.y;
    }
    return true;
}

// ---- Attempt: cells, boxes and neighbours, tab sides ---------------------------------------

void CutRestoreCells(TCutWork& w)
{
    const bool figure = w.jp.ShapeStyle == kFigureStyle;
    ResizeLarge(w.cut, size_t(w.n));
    for (int i = 0; i < w.n; ++i) {
        const TVorCell& v = w.cells[size_t(i)];
        TCutCell& c = w.cut[size_t(i)];
        c.x = v.x;
        c.y = v.y;
        c.dx = v.dx;
        c.dy = v.dy;
        c.edgeNum = v.edgeNum;
        for (int e = 0; e < v.edgeNum; ++e) {
            const TVorEdge& ve = v.edges[size_t(e)];
            TCutEdge& E = c.edges[size_t(e)];
            E = TCutEdge{};
            E.rx1 = ve.x1, E.ry1 = ve.y1, E.rx2 = ve.x2, E.ry2 = ve.y2;
            E.x1 = Round(ve.x1), E.y1 = Round(ve.y1), E.x2 = Round(ve.x2), E.y2 = Round(ve.y2);
            CorrectLineCoords(&E.x1, &E.y1, &E.x2, &E.y2);
            E.nb = ve.nb;
            if (figure)
                ExtendLineToImageBorders(w.field, &E.rx1, &E.ry1, &E.rx2, &E.ry2);
            E.len = std::hypot(E.x2 - E.x1, E.y2 - E.y1);
        }
        // Longest first; equal lengths keep their order.
        std::stable_sort(c.edges.begin(), c.edges.begin() + c.edgeNum,
                         [](const TCutEdge& a, const TCutEdge& b) { return a.len > b.len; });
    }
}

static void WidenBox(TJig& j, int l, int t, int r, int b)
{
    if (l > r || t > b)
        return;
    TMyRect box = vMyRectInitWH(j.HomeX, j.HomeY, j.W, j.H);
    MyRectIncScope(box, l, t, r, b);
    j.HomeX = box.L;
    j.HomeY = box.T;
    j.W = box.W;
    j.H = box.H;
}

void CutBoxesAndNeighbours(TCutWork& w)
{
    const bool frame = w.jp.BorderStyle == 1;
    for (int i = 0; i < w.n; ++i) {
        TCutCell& c = w.cut[size_t(i)];
        TJig& j = w.jigs[size_t(i)];
        TMyRect box;  // empty: edges not set yet
        int slot = 0;
        for (int e = 0; e < c.edgeNum; ++e) {
            const TCutEdge& E = c.edges[size_t(e)];
            if (E.len <= 1.0)
                continue;
            MyRectIncScope(box, Round(std::fmin(E.x1, E.x2)), Round(E.y1), Round(std::fmax(E.x1, E.x2)),
                           Round(E.y2));
            if (slot < kJigNbSlots)
                j.Nb[size_t(slot++)] = E.nb >= 0 ? E.nb : frame ? int16_t(w.n) : int16_t(-1);
        }
        if (!MyRectIsEmpty(box)) {
            j.HomeX = box.L;
            j.HomeY = box.T;
            j.W = box.W;
            j.H = box.H;
        }
        j.SiteX = Round(c.dx);
        j.SiteY = Round(c.dy);
    }
    // Twins: each edge with a neighbour and the neighbour's edge naming this cell.
    for (int i = 0; i < w.n; ++i) {
        TCutCell& c = w.cut[size_t(i)];
        for (int e = 0; e < c.edgeNum; ++e) {
            TCutEdge& E = c.edges[size_t(e)];
            if (E.nb < 0)
                continue;
            const TCutCell& o = w.cut[size_t(E.nb)];
            for (int k = 0; k < o.edgeNum; ++k)
                if (o.edges[size_t(k)].nb == i) {
                    E.twin = k;
                    break;
                }
        }
    }
}

void CutChooseSides(TCutWork& w)
{
    for (int i = 0; i < w.n; ++i) {
        TCutCell& c = w.cut[size_t(i)];
        for (int e = 0; e < c.edgeNum; ++e) {
            TCutEdge& E = c.edges[size_t(e)];
            if (!E.drawable || E.len <= 3.0 || E.nb <= i)
                continue;
            E.side = w.rules.directional ? std::fabs(E.x1 - E.x2) < std::fabs(E.y1 - E.y2) : MyRandom(2) != 0;
            if (E.twin >= 0)
                w.cut[size_t(E.nb)].edges[size_t(E.twin)].side = !E.side;
        }
    }
}

// ---- Attempt: curves ------------------------------------------------------------------------

void EdgeRooms(TPoint A, TPoint B, TPoint S, TPoint N, double* room1, double* room2)
{
    // Distance from the line A-B: twice the triangle's area (Heron) over |AB|.
    auto height = [&](TPoint P) {
        const double a = CalcDist(A.x, A.y, B.x, B.y), b = CalcDist(A.x, A.y, P.x, P.y);
        const double c = CalcDist(B.x, B.y, P.x, P.y), s = (a + b + c) / 2;
        const double q = s * (s - a) * (s - b) * (s - c);
        return a > 0 ? 2 * std::sqrt(q > 0 ? q : 0) / a : 0.0;
    };
    const double hS = height(S), hN = height(N);
    bool sFirst;
    if (A.x == B.x) {
        sFirst = A.x <= S.x;
    } else if (A.y == B.y) {
        sFirst = S.y <= A.y;
    } else {
        const double t1 = double(S.x - A.x) / (B.x - A.x), t2 = double(S.y - A.y) / (B.y - A.y);
        sFirst = std::abs(A.x - B.x) < std::abs(A.y - B.y) && B.x <= A.x ? t1 <= t2 : t2 <= t1;
    }
    *room1 = sFirst ? hS : hN;
    *room2 = sFirst ? hN : hS;
}

namespace {

struct TEdgeDraw {
    TCutWork& w;
    const TCutEdge& E;
    TPoint A, B, S, N;
    uint32_t colour;
    double room1, room2;
    TRect extent;

    int ChooseFigure() const
    {
        const int t = w.jp.TileS;
        const double L = E.len;
        const TMyRect& f = w.field;
        int list[7];
        int count = 0;
        switch (w.jp.ShapeStyle) {
        case 0:
            list[count++] = L > (6 * t) / 5 ? 1 : L < t / 2 ? 11 : 0;
            break;
        case 1:
            if (E.x1 == f.L || E.x2 == f.L || E.y2 == f.B)
                list[count++] = 4;
            else if (E.x1 == f.R || E.x2 == f.R || E.y1 == f.T)
                list[count++] = 5;
            else
                list[count++] = 3;
            break;
        case 2: {
            const bool atBorder = E.x1 <= f.L || E.x2 <= f.L || E.x1 >= f.R || E.x2 >= f.R || E.y1 <= f.T ||
                                  E.y2 >= f.B;
            for (int fig : {6, 7, 8, 9})
                if (fig != 7 || !(L > t || atBorder))
                    list[count++] = fig;
            break;
        }
        default: {
            static constexpr int kShort[7] = {0, 13, 14, 15, 10, 11, 12};
            static constexpr int kLong[6] = {0, 1, 6, 13, 14, 15};
            if (L <= t)
                for (int fig : kShort)
                    list[count++] = fig;
            else
                for (int fig : kLong)
                    list[count++] = fig;
            break;
        }
        }
        return list[MyRandom(count)];
    }

    bool ChooseFlip(int figure) const
    {
        bool flip = w.rules.directional ? std::fabs(E.y1 - E.y2) <= std::fabs(E.x1 - E.x2) : MyRandom(2) != 0;
        if (figure == 8) {
            // This spiral must not curl out across the field's top or left edge.
            const TMyRect& f = w.field;
            if (E.x1 > f.L && E.x2 > f.L && E.y1 > f.T)
                flip = flip || E.y2 >= f.B || E.x2 >= f.R || E.x1 >= f.R;
            else
                flip = false;
        }
        return flip;
    }

    bool Try(int figure, bool side, bool flip)
    {
        return DrawRotCurve(w.cf, kFitToRoom, side, figure, flip, A, B, colour, w.jp.TileS / 10, &extent, S, N, room1,
                            room2);
    }

    // The figure as chosen, then (unless directional) the other flip, the
    // other side, and both.
    bool TryVariants(int figure, bool flip)
    {
        if (Try(figure, E.side, flip))
            return true;
        if (w.rules.directional)
            return false;
        return Try(figure, E.side, !flip) || Try(figure, !E.side, flip) || Try(figure, !E.side, !flip);
    }

    bool Draw()
    {
        const int figure = ChooseFigure();
        if (TryVariants(figure, ChooseFlip(figure)))
            return true;
        for (int fallback : w.rules.fallback)
            if (TryVariants(fallback, ChooseFlip(fallback)))
                return true;
        return false;
    }
};

}  // namespace

void CutDrawEdges(TCutWork& w)
{
    OMyImage& img = *w.vecField;
    const int t = w.jp.TileS;
    for (int i = 0; i < w.n; ++i) {
        if (w.jigs[size_t(i)].PicCell)
            continue;
        const TCutCell& c = w.cut[size_t(i)];
        const uint32_t colour = MaskCodeColor(w.jigs[size_t(i)].MaskColor);
        for (int e = 0; e < c.edgeNum; ++e) {
            const TCutEdge& E = c.edges[size_t(e)];
            if (!E.drawable || E.nb <= i || w.jigs[size_t(E.nb)].PicCell)
                continue;
            const TPoint A{Round(E.x1), Round(E.y1)}, B{Round(E.x2), Round(E.y2)};
            if (E.len <= 3.0 || E.len < t / 3) {
                MyImageDrawLine(img, A.x, A.y, B.x, B.y, colour);
                continue;
            }
            const TCutCell& o = w.cut[size_t(E.nb)];
            TEdgeDraw d{w, E, A, B, {c.x, c.y}, {o.x, o.y}, colour, 0, 0, {}};
            EdgeRooms(A, B, d.S, d.N, &d.room1, &d.room2);
            if (!d.Draw()) {
                MyImageDrawLine(img, A.x, A.y, B.x, B.y, colour);
                continue;
            }
            WidenBox(w.jigs[size_t(i)], d.extent.left, d.extent.top, d.extent.right, d.extent.bottom);
            WidenBox(w.jigs[size_t(E.nb)], d.extent.left, d.extent.top, d.extent.right, d.extent.bottom);
        }
    }
}

// ---- Attempt: fill ----------------------------------------------------------------------------

static bool IsWhite(const OMyImage& img, int x, int y)
{
    return MyImageGetPixel(img, x, y) == kMaskWhite;
}

bool CutFill(TCutWork& w)
{
    OMyImage& img = *w.vecField;
    bool ok = true;
    for (int i = 0; i < w.n; ++i) {
        TJig& j = w.jigs[size_t(i)];
        if (j.PicCell)
            continue;
        if (!IsWhite(img, j.SiteX, j.SiteY)) {
            // The site lies on a curve: try the middle of the cell's edges.
            const TCutCell& c = w.cut[size_t(i)];
            double sx = 0, sy = 0;
            int count = 0;
            for (int e = 0; e < c.edgeNum; ++e) {
                const TCutEdge& E = c.edges[size_t(e)];
                if (!E.drawable || (E.nb >= 0 && w.jigs[size_t(E.nb)].PicCell))
                    continue;
                sx += (E.x1 + E.x2) / 2;
                sy += (E.y1 + E.y2) / 2;
                ++count;
            }
            const int x = count ? Round(sx / count) : j.SiteX, y = count ? Round(sy / count) : j.SiteY;
            if (!IsWhite(img, x, y)) {
                w.failInd = i;
                w.failX = j.SiteX;
                w.failY = j.SiteY;
                ok = false;
                continue;
            }
            j.SiteX = x;
            j.SiteY = y;
        }
        TRect r;
        MaskFloodFill(img, j.SiteX, j.SiteY, MaskCodeColor(j.MaskColor), &r);
        WidenBox(j, r.left, r.top, r.right, r.bottom);
    }
    return ok;
}

static void DrawFrameLine(TCutWork& w)
{
    const TMyRect& f = w.field;
    OMyImage& img = *w.vecField;
    const uint32_t c = MaskCodeColor(cFrameColor);
    MyImageDrawLine(img, f.L - 1, f.T - 1, f.R + 1, f.T - 1, c);
    MyImageDrawLine(img, f.L - 1, f.B + 1, f.R + 1, f.B + 1, c);
    MyImageDrawLine(img, f.L - 1, f.T - 1, f.L - 1, f.B + 1, c);
    MyImageDrawLine(img, f.R + 1, f.T - 1, f.R + 1, f.B + 1, c);
}

bool CutAttempt(TCutWork& w, TCutTimes* times)
{
    OMyImage& img = *w.vecField;
    double t0 = CutNowMs();
    MyImageFillRect(img, 0, 0, img.W, img.H, kMaskWhite);
    InitJigsAr(w.jp, w.jigs);
    CutRestoreCells(w);
    CutBoxesAndNeighbours(w);
    if (w.jp.ShapeStyle == kFigureStyle)
        PicInserts_Place(w);
    CutChooseSides(w);
    const double tc = CutNowMs();
    CutDrawEdges(w);
    if (times)
        times->prep += tc - t0;
    t0 = tc;
    if (w.jp.BorderStyle == 1)
        DrawFrameLine(w);
    Platform().ProgressInc(1.0);
    double t1 = CutNowMs();
    const bool ok = CutFill(w);
    Platform().ProgressInc(1.0);
    if (times) {
        times->curves += t1 - t0;
        times->fill += CutNowMs() - t1;
        ++times->attempts;
    }
    return ok;
}

// ---- Entry point -------------------------------------------------------------------------------

TCutStatus CreateMasksForVoronoiStyle(TJigParams& jp, std::vector<TJig>& jigs, OMyImagePtr& masks,
                                      const TCutOptions& opt)
{
    TCutTimes local;
    TCutTimes& times = opt.times ? *opt.times : local;
    times = TCutTimes{};
    const double start = CutNowMs();
    TCutWork w(jp, jigs);
    masks.reset();
    if (!CutSetUp(w))
        return TCutStatus::Failed;
    if (!CutPlaceSites(w))
        return TCutStatus::Failed;
    Platform().ProgressInc(1.0);
    times.sites = CutNowMs() - start;
    const double t1 = CutNowMs();
    if (!CutPartition(w))
        return TCutStatus::Failed;
    Platform().ProgressInc(1.0);
    times.partition = CutNowMs() - t1;
    if (jp.ShapeStyle == kFigureStyle && !PicInserts_Load(w))
        PicInserts_Free(w);
    bool painted = false;
    for (int attempt = 0; attempt < kMaxAttempts && !painted; ++attempt) {
        Platform().ProgressSet(opt.progressBase + 2);
        painted = CutAttempt(w, &times);
    }
    CutFinish(w, masks, &times);
    if (jp.ShapeStyle == kFigureStyle)
        PicInserts_Free(w);
    Platform().ProgressInc(1.0);
    times.total = CutNowMs() - start;
    if (!painted) {
        Platform().ShowMessage(StrFormat("PaintError: Ind = %d, CellX = %d, CellY = %d", w.failInd, w.failX, w.failY));
        Platform().ShowMessage(opt.sPaintErrorText);
        return TCutStatus::PaintError;
    }
    return TCutStatus::Done;
}
