// Fitting the ordinary cells' edges to the pictures, in five passes over the
// ordinary cells in index order:
//   1. redirect: an edge between two ordinary cells that ends at a picture
//      cell's corner is carried on to the picture's outline;
//   2. trim: edges stop where they meet a picture, and an edge that a
//      picture crosses is split into the parts on either side;
//   3. crossings: two carried edges of one cell that cross are cut there,
//      and the two cells beyond are parted by a new edge to the picture;
//   4. short edges that end nowhere are dropped;
//   5. boxes are recomputed from the edges;
// and the separators (the straight edges from a corner to a picture) are
// drawn.
// Afterwards every ordinary cell beside a picture is closed by its edges and
// the picture's outline, and no edge crosses a picture.
#include "cutting/pic_inserts_internal.h"

#include <algorithm>
#include <cmath>

// ---- Edge ends in both cells ------------------------------------------------------------------

namespace {

// The end of the twin that lies where end k of E lies.
int TwinEnd(const TCutEdge& E, const TCutEdge& T, int k)
{
    const TPoint p = EdgeEnd(E, k);
    return EdgeEnd(T, 0) == p ? 0 : EdgeEnd(T, 1) == p ? 1 : k;
}

void SetEnd(TCutEdge& E, int k, TPoint p)
{
    (k == 0 ? E.x1 : E.x2) = p.x;
    (k == 0 ? E.y1 : E.y2) = p.y;
}

TCutEdge* TwinOf(TCutWork& w, const TCutEdge& E)
{
    if (E.nb < 0 || E.twin < 0)
        return nullptr;
    return &w.cut[size_t(E.nb)].edges[size_t(E.twin)];
}

}  // namespace

void MoveEdgeEnd(TCutWork& w, int i, int e, int k, TPoint p)
{
    TCutEdge& E = w.cut[size_t(i)].edges[size_t(e)];
    if (TCutEdge* T = TwinOf(w, E))
        SetEnd(*T, TwinEnd(E, *T, k), p);
    SetEnd(E, k, p);
}

void MarkEdgeEnd(TCutWork& w, int i, int e, int k, int pic)
{
    TCutEdge& E = w.cut[size_t(i)].edges[size_t(e)];
    if (TCutEdge* T = TwinOf(w, E))
        (TwinEnd(E, *T, k) == 0 ? T->picA : T->picB) = int16_t(pic);
    (k == 0 ? E.picA : E.picB) = int16_t(pic);
}

void MarkSeparator(TCutWork& w, int i, int e, int pic)
{
    MarkEdgeEnd(w, i, e, 0, kAtCorner);
    MarkEdgeEnd(w, i, e, 1, pic);
}

void SetEdgeDrawable(TCutWork& w, int i, int e, bool drawable)
{
    TCutEdge& E = w.cut[size_t(i)].edges[size_t(e)];
    E.drawable = drawable;
    if (TCutEdge* T = TwinOf(w, E))
        T->drawable = drawable;
}

int AddTwinEdges(TCutWork& w, int i, int j, TPoint A, TPoint B)
{
    TCutCell &ci = w.cut[size_t(i)], &cj = w.cut[size_t(j)];
    if (ci.edgeNum >= kCellMaxEdges || cj.edgeNum >= kCellMaxEdges)
        return -1;
    TCutEdge E;
    E.x1 = A.x, E.y1 = A.y, E.x2 = B.x, E.y2 = B.y;
    E.rx1 = A.x, E.ry1 = A.y, E.rx2 = B.x, E.ry2 = B.y;
    ExtendLineToImageBorders(w.field, &E.rx1, &E.ry1, &E.rx2, &E.ry2);
    E.len = std::hypot(B.x - A.x, B.y - A.y);
    const int ei = ci.edgeNum++, ej = cj.edgeNum++;
    ci.edges[size_t(ei)] = E;
    ci.edges[size_t(ei)].nb = int16_t(j);
    ci.edges[size_t(ei)].twin = ej;
    cj.edges[size_t(ej)] = E;
    cj.edges[size_t(ej)].nb = int16_t(i);
    cj.edges[size_t(ej)].twin = ei;
    return ei;
}

void AddSeparator(TCutWork& w, int a, int b, TPoint from, TPoint to, int pic)
{
    const int added = AddTwinEdges(w, a, b, from, to);
    if (added < 0)
        return;
    MarkSeparator(w, a, added, pic);
    AddNeighbour(w.jigs[size_t(a)], b);
    AddNeighbour(w.jigs[size_t(b)], a);
}

TRect PicSearchRect(const TCutWork& w, int pic)
{
    const TJig& j = w.jigs[size_t(pic)];
    return MakeTRect(j.HomeX - 1, j.HomeY - 1, j.HomeX + j.W, j.HomeY + j.H);
}

// ---- 1. Redirect ----------------------------------------------------------------------------------

namespace {



bool SegmentsCross(TPoint a, TPoint b, TPoint c, TPoint d)
{
    double x, y;
    return LinesIntersect(&x, &y, false, a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y);
}

// The segment V-H, from a corner of the picture cell into it, crosses none
// of the edges of cells i and j or of the picture cell (touching at V is
// allowed).
bool SeparatorFits(const TCutWork& w, int i, int j, int pic, TPoint V, TPoint H)
{
    for (int cell : {i, j, pic}) {
        const TCutCell& c = w.cut[size_t(cell)];
        for (int e = 0; e < c.edgeNum; ++e) {
            const TCutEdge& G = c.edges[size_t(e)];
            if (SegmentsCross(V, H, EdgeEnd(G, 0), EdgeEnd(G, 1)))
                return false;
        }
    }
    return true;
}

// Where the edge F-V, carried on straight beyond V, first comes next to
// the picture (within its box grown by a pixel) without leaving the
// picture cell.
bool CarryOnStraight(const TCutWork& w, int i, int j, int pic, TPoint F, TPoint V, TPoint* H)
{
    const TRect r = PicSearchRect(w, pic);
    const double reach = std::hypot(r.right - r.left, r.bottom - r.top) +
                         std::hypot(V.x - (r.left + r.right) / 2.0, V.y - (r.top + r.bottom) / 2.0) + 2;
    const double a = std::atan2(V.y - F.y, V.x - F.x);
    const TPoint to{Round(V.x + reach * std::cos(a)), Round(V.y + reach * std::sin(a))};
    return LineOverlapWithPic(w, pic, V, to, r, H) && SeparatorFits(w, i, j, pic, V, *H);
}

// The picture pixel nearest to V within the picture's box (none: false),
// as the white point next to it on the way from V.
bool NearestPicPoint(const TCutWork& w, int pic, TPoint V, TPoint* P)
{
    const TRect r = PicSearchRect(w, pic);
    const OMyImage& img = *w.vecField;
    const uint32_t colour = MaskCodeColor(w.jigs[size_t(pic)].MaskColor);
    const uint8_t cr = uint8_t(colour), cg = uint8_t(colour >> 8), cb = uint8_t(colour >> 16);
    const int x0 = std::max(r.left, 0), x1 = std::min(r.right, img.W - 1);
    const int y0 = std::max(r.top, 0), y1 = std::min(r.bottom, img.H - 1);
    if (x0 > x1 || y0 > y1)
        return false;
    // Rows outward from V's row, and in each row columns outward from V's
    // column, until nothing nearer can follow.
    const int cx = std::clamp(V.x, x0, x1), cy = std::clamp(V.y, y0, y1);
    int64_t best = -1;
    TPoint near{};
    auto look = [&](int x, int y, int64_t dy2) {
        const uint8_t* p = MyImageGetLineXY(img, x, y);
        if (p[0] != cr || p[1] != cg || p[2] != cb)
            return;
        const int64_t d = int64_t(x - V.x) * (x - V.x) + dy2;
        if (best < 0 || d < best)
            best = d, near = {x, y};
    };
    for (int dr = 0; cy - dr >= y0 || cy + dr <= y1; ++dr) {
        const int rows[2] = {cy - dr, cy + dr};
        for (int k = 0; k < (dr == 0 ? 1 : 2); ++k) {
            const int y = rows[k];
            const int64_t dy2 = int64_t(y - V.y) * (y - V.y);
            if (y < y0 || y > y1 || (best >= 0 && dy2 >= best))
                continue;
            for (int dc = 0; cx - dc >= x0 || cx + dc <= x1; ++dc) {
                const int64_t dxl = int64_t(cx - dc - V.x), dxr = int64_t(cx + dc - V.x);
                if (best >= 0 && std::min(dxl * dxl, dxr * dxr) + dy2 >= best)
                    break;
                if (cx - dc >= x0)
                    look(cx - dc, y, dy2);
                if (dc > 0 && cx + dc <= x1)
                    look(cx + dc, y, dy2);
            }
        }
    }
    return best >= 0 && LineOverlapWithPic(w, pic, V, near, r, P);
}

// Carries end k of edge e of cell i on to picture cell `pic`: a straight
// edge between the same two cells from that end along the edge's own line
// to the picture's outline, when that reaches the outline inside the
// picture cell. The edge itself keeps its length, so its tab keeps the room
// the partition gave it. (Corners this leaves open are closed by
// PartCellsAtCorners.)
void RedirectEnd(TCutWork& w, int i, int e, int k, int pic)
{
    const TCutEdge& E = w.cut[size_t(i)].edges[size_t(e)];
    const int j = E.nb;
    const TPoint V = EdgeEnd(E, k), F = EdgeEnd(E, 1 - k);
    MarkEdgeEnd(w, i, e, k, pic);
    // An edge of a pixel or two has no direction worth carrying on.
    if (std::abs(F.x - V.x) <= 2 && std::abs(F.y - V.y) <= 2)
        return;
    TPoint H;
    if (!CarryOnStraight(w, i, j, pic, F, V, &H) || H == V)
        return;
    const int added = AddTwinEdges(w, i, j, V, H);
    if (added >= 0)
        MarkSeparator(w, i, added, pic);
}

// The picture cell whose corner in cell i lies nearest to p, within 2
// pixels in both coordinates; -1 when none does.
int PictureAtCorner(const TCutWork& w, int i, TPoint p)
{
    const TCutCell& c = w.cut[size_t(i)];
    int best = -1, bestD = 0;
    for (int e = 0; e < c.edgeNum; ++e) {
        const TCutEdge& E = c.edges[size_t(e)];
        if (!IsPicCell(w, E.nb))
            continue;
        for (int k = 0; k < 2; ++k) {
            const TPoint v = EdgeEnd(E, k);
            const int d = std::abs(v.x - p.x) + std::abs(v.y - p.y);
            if (std::abs(v.x - p.x) <= 2 && std::abs(v.y - p.y) <= 2 && (best < 0 || d < bestD))
                best = E.nb, bestD = d;
        }
    }
    return best;
}

// Whether cell i has a separator to cell `to` onto picture `pic` starting
// within 2 pixels of p.
bool HasSeparatorAt(const TCutWork& w, int i, int to, int pic, TPoint p)
{
    const TCutCell& c = w.cut[size_t(i)];
    for (int e = 0; e < c.edgeNum; ++e) {
        const TCutEdge& E = c.edges[size_t(e)];
        const TPoint q = EdgeEnd(E, 0);
        if (E.nb == to && E.picA == kAtCorner && E.picB == pic && std::abs(q.x - p.x) <= 2 &&
            std::abs(q.y - p.y) <= 2)
            return true;
    }
    return false;
}

// At every corner V of a picture cell, the two ordinary cells beyond its
// edges meeting there share what lies between V and the picture: unless an
// edge carried on from V parts them already, a straight separator from V to
// the outline's nearest point does. (Where four cells meet at V, the two
// ordinary ones may touch at that point only, with no edge between them.)
void PartCellsAtCorners(TCutWork& w, int pic)
{
    const TCutCell& p = w.cut[size_t(pic)];
    for (int e = 0; e < p.edgeNum; ++e) {
        const int a = p.edges[size_t(e)].nb;
        if (a < 0 || IsPicCell(w, a))
            continue;
        for (int k = 0; k < 2; ++k) {
            const TPoint V = EdgeEnd(p.edges[size_t(e)], k);
            for (int f = 0; f < p.edgeNum; ++f) {
                const int b = p.edges[size_t(f)].nb;
                if (b < 0 || b == a || IsPicCell(w, b))
                    continue;
                // The picture cell's two edges at this corner meet exactly.
                const bool meet = EdgeEnd(p.edges[size_t(f)], 0) == V || EdgeEnd(p.edges[size_t(f)], 1) == V;
                if (f == e || !meet || HasSeparatorAt(w, a, b, pic, V))
                    continue;
                TPoint H;
                if (!NearestPicPoint(w, pic, V, &H) || H == V)
                    continue;
                AddSeparator(w, a, b, V, H, pic);
            }
        }
    }
}

void RedirectPass(TCutWork& w)
{
    for (int i = 0; i < w.n; ++i) {
        if (IsPicCell(w, i))
            continue;
        TCutCell& c = w.cut[size_t(i)];
        for (int f = 0; f < c.edgeNum; ++f)
            for (int k = 0; k < 2; ++k) {
                const TCutEdge& G = c.edges[size_t(f)];
                if (G.nb < 0 || IsPicCell(w, G.nb) || !G.drawable || (k == 0 ? G.picA : G.picB) != -1)
                    continue;
                const int pic = PictureAtCorner(w, i, EdgeEnd(G, k));
                if (pic >= 0)
                    RedirectEnd(w, i, f, k, pic);
            }
    }
    for (int i = 0; i < w.n; ++i)
        if (IsPicCell(w, i))
            PartCellsAtCorners(w, i);
}

// ---- 2. Trim ----------------------------------------------------------------------------------------

// The runs of white pixels along an edge, as first and last points.
std::vector<std::pair<TPoint, TPoint>> WhiteRuns(const TCutWork& w, TPoint A, TPoint B)
{
    std::vector<std::pair<TPoint, TPoint>> runs;
    bool in = false;
    WalkLine(A, B, [&](int x, int y) {
        const bool white = IsWhitePixel(*w.vecField, x, y);
        if (white && !in)
            runs.push_back({{x, y}, {x, y}});
        if (white)
            runs.back().second = {x, y};
        in = white;
        return false;
    });
    return runs;
}

void TrimEdge(TCutWork& w, int i, int e)
{
    const TCutEdge& E = w.cut[size_t(i)].edges[size_t(e)];
    const TPoint A = EdgeEnd(E, 0), B = EdgeEnd(E, 1);
    TPoint P;
    if (FindFreeEdgePoint(w, A, B, &P) < 0) {
        SetEdgeDrawable(w, i, e, false);
        return;
    }
    const std::vector<std::pair<TPoint, TPoint>> runs = WhiteRuns(w, A, B);
    MoveEdgeEnd(w, i, e, 0, runs.front().first);
    MoveEdgeEnd(w, i, e, 1, runs.front().second);
    // A picture across the middle: the parts beyond it part the two cells too.
    const int j = E.nb;
    for (size_t r = 1; r < runs.size(); ++r)
        AddTwinEdges(w, i, j, runs[r].first, runs[r].second);
}

void TrimPass(TCutWork& w)
{
    for (int i = 0; i < w.n; ++i) {
        if (IsPicCell(w, i))
            continue;
        const int count = w.cut[size_t(i)].edgeNum;  // edges added here are already white
        for (int e = 0; e < count; ++e) {
            const TCutEdge& E = w.cut[size_t(i)].edges[size_t(e)];
            if (E.nb > i && !IsPicCell(w, E.nb) && E.drawable)
                TrimEdge(w, i, e);
        }
    }
}

// ---- 3. Crossings ---------------------------------------------------------------------------------------

bool IsSeparator(const TCutEdge& E) { return E.picA == kAtCorner && E.picB >= 0; }

}  // namespace

// Names nb in a free neighbour slot of j, unless it is named already.
void AddNeighbour(TJig& j, int nb)
{
    for (int16_t s : j.Nb)
        if (s == nb)
            return;
    for (int16_t& s : j.Nb)
        if (s < 0) {
            s = int16_t(nb);
            return;
        }
}

namespace {

// Cuts the crossing separators e and f of cell i at X; the cells beyond
// them are parted by a new separator from X to the picture.
void CutIntersecEdgesNearPic(TCutWork& w, int i, int e, int f, TPoint X)
{
    TCutCell& c = w.cut[size_t(i)];
    const int pic = c.edges[size_t(e)].picB;
    MoveEdgeEnd(w, i, e, 1, X);
    MoveEdgeEnd(w, i, f, 1, X);
    const int a = c.edges[size_t(e)].nb, b = c.edges[size_t(f)].nb;
    const TCutCell& p = w.cut[size_t(pic)];
    // Towards the picture cell's site and on past it (a silhouette need not
    // cover its middle), else to the outline's nearest point.
    const TRect r = PicSearchRect(w, pic);
    const double reach = std::hypot(r.right - r.left, r.bottom - r.top) + std::hypot(p.x - X.x, p.y - X.y);
    const double ang = std::atan2(p.y - X.y, p.x - X.x);
    const TPoint far{Round(X.x + reach * std::cos(ang)), Round(X.y + reach * std::sin(ang))};
    TPoint H;
    if (!LineOverlapWithPic(w, pic, X, far, r, &H) && !NearestPicPoint(w, pic, X, &H))
        return;
    if (H == X)
        return;
    AddSeparator(w, a, b, X, H, pic);
}

void CrossingsPass(TCutWork& w)
{
    auto usable = [&](const TCutEdge& E) {
        return E.drawable && IsSeparator(E) && E.nb >= 0 && !IsPicCell(w, E.nb) &&
               (std::fabs(E.x1 - E.x2) > 2 || std::fabs(E.y1 - E.y2) > 2);
    };
    for (int i = 0; i < w.n; ++i) {
        if (IsPicCell(w, i))
            continue;
        TCutCell& c = w.cut[size_t(i)];
        for (int e = 0; e < c.edgeNum; ++e)
            for (int f = e + 1; f < c.edgeNum; ++f) {
                const TCutEdge &E = c.edges[size_t(e)], &G = c.edges[size_t(f)];
                if (!usable(E) || !usable(G) || E.nb == G.nb)
                    continue;
                double x, y;
                if (LinesIntersect(&x, &y, false, E.x1, E.y1, E.x2, E.y2, G.x1, G.y1, G.x2, G.y2))
                    CutIntersecEdgesNearPic(w, i, e, f, {Round(x), Round(y)});
            }
    }
}

// ---- 4. Short edges, 5. boxes ------------------------------------------------------------------------------

bool EndsNear(TPoint a, TPoint b, int d) { return std::abs(a.x - b.x) <= d && std::abs(a.y - b.y) <= d; }

// A short edge is kept when another drawn edge ends beside it or something
// already lies next to it: then it closes a gap.
bool ShortEdgeConnects(const TCutWork& w, int i, int e)
{
    const TCutCell& c = w.cut[size_t(i)];
    const TPoint A = EdgeEnd(c.edges[size_t(e)], 0), B = EdgeEnd(c.edges[size_t(e)], 1);
    for (int f = 0; f < c.edgeNum; ++f) {
        const TCutEdge& G = c.edges[size_t(f)];
        if (f == e || !G.drawable)
            continue;
        for (int k = 0; k < 2; ++k) {
            const TPoint p = EdgeEnd(G, k);
            for (TPoint q : {A, B})
                if (double(p.x - q.x) * (p.x - q.x) + double(p.y - q.y) * (p.y - q.y) <= 8.0)
                    return true;
        }
    }
    for (int y = std::min(A.y, B.y) - 1; y <= std::max(A.y, B.y) + 1; ++y)
        for (int x = std::min(A.x, B.x) - 1; x <= std::max(A.x, B.x) + 1; ++x)
            if (!(TPoint{x, y} == A) && !(TPoint{x, y} == B) && x >= 0 && y >= 0 && x < w.jp.ImageW &&
                y < w.jp.ImageH && !IsWhitePixel(*w.vecField, x, y))
                return true;
    return false;
}

void ShortEdgesPass(TCutWork& w)
{
    for (int i = 0; i < w.n; ++i) {
        if (IsPicCell(w, i))
            continue;
        TCutCell& c = w.cut[size_t(i)];
        for (int e = 0; e < c.edgeNum; ++e) {
            const TCutEdge& E = c.edges[size_t(e)];
            if (E.drawable && E.nb >= 0 && !IsPicCell(w, E.nb) && EndsNear(EdgeEnd(E, 0), EdgeEnd(E, 1), 2) &&
                !ShortEdgeConnects(w, i, e))
                SetEdgeDrawable(w, i, e, false);
        }
    }
}

void BoxesPass(TCutWork& w)
{
    for (int i = 0; i < w.n; ++i) {
        if (IsPicCell(w, i))
            continue;
        TCutCell& c = w.cut[size_t(i)];
        TMyRect box;
        for (int e = 0; e < c.edgeNum; ++e) {
            TCutEdge& E = c.edges[size_t(e)];
            E.len = std::hypot(E.x2 - E.x1, E.y2 - E.y1);
            if (E.drawable && E.len > 1.0)
                MyRectIncScope(box, Round(std::fmin(E.x1, E.x2)), Round(std::fmin(E.y1, E.y2)),
                               Round(std::fmax(E.x1, E.x2)), Round(std::fmax(E.y1, E.y2)));
        }
        TJig& j = w.jigs[size_t(i)];
        if (!MyRectIsEmpty(box))
            j.HomeX = box.L, j.HomeY = box.T, j.W = box.W, j.H = box.H;
    }
}

// The separators are drawn here, straight, in the colour of the lower-
// indexed of their two cells, and left out of the curves: a tab on a few
// pixels that point at a site would be sized by a room of next to nothing.
// The curves drawn later keep their clearance from them as from pictures.
void DrawSeparators(TCutWork& w)
{
    for (int i = 0; i < w.n; ++i) {
        if (IsPicCell(w, i))
            continue;
        TCutCell& c = w.cut[size_t(i)];
        for (int e = 0; e < c.edgeNum; ++e) {
            const TCutEdge& E = c.edges[size_t(e)];
            if (!IsSeparator(E) || E.nb < i)
                continue;
            if (E.drawable) {
                const TPoint A = EdgeEnd(E, 0), B = EdgeEnd(E, 1);
                MyImageDrawLine(*w.vecField, A.x, A.y, B.x, B.y, MaskCodeColor(w.jigs[size_t(i)].MaskColor));
            }
            SetEdgeDrawable(w, i, e, false);
        }
    }
}

}  // namespace

void FitEdgesNearPictures(TCutWork& w)
{
    RedirectPass(w);
    TrimPass(w);
    CrossingsPass(w);
    ShortEdgesPass(w);
    BoxesPass(w);
    DrawSeparators(w);
}
