// The Voronoi partition: line helpers, the gift-wrapping triangulation (the
// literal reference and the fast search, sharing one driver so that both
// build the same edge list and triangles in the same order), and the cells.
//
// Sections: line helpers | first edge | gift wrapping | reference search |
// fast search | cells | entry point.
#include "cutting/voronoi.h"

#include "platform/platform.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <limits>

// ---- Line helpers -----------------------------------------------------------------

bool LinesIntersect(double* x, double* y, bool inclusive, double x1, double y1, double x2, double y2,
                    double x3, double y3, double x4, double y4)
{
    const double d = (x2 - x1) * (y4 - y3) - (y2 - y1) * (x4 - x3);
    if (d == 0)
        return false;
    const double t = ((x3 - x1) * (y4 - y3) - (y3 - y1) * (x4 - x3)) / d;
    const double u = ((x3 - x1) * (y2 - y1) - (y3 - y1) * (x2 - x1)) / d;
    if (inclusive) {
        if (t < 0 || t > 1 || u < 0 || u > 1)
            return false;
    } else if (!(t > 0.00001 && t < 0.99999 && u > 0.00001 && u < 0.99999)) {
        return false;
    }
    *x = x1 + t * (x2 - x1);
    *y = y1 + t * (y2 - y1);
    return true;
}

static inline void OrderEnds(double* x1, double* y1, double* x2, double* y2)
{
    if (*y1 > *y2 || (*y1 == *y2 && *x1 > *x2)) {
        std::swap(*x1, *x2);
        std::swap(*y1, *y2);
    }
}

void CorrectLineCoords(double* x1, double* y1, double* x2, double* y2) { OrderEnds(x1, y1, x2, y2); }

double GetAngleCos(double ax, double ay, double kx, double ky, double bx, double by)
{
    const double ux = ax - kx, uy = ay - ky, vx = bx - kx, vy = by - ky;
    const double len = std::sqrt(ux * ux + uy * uy) * std::sqrt(vx * vx + vy * vy);
    if (len == 0)
        return 1;
    const double c = (ux * vx + uy * vy) / len;
    return c < -1 ? -1 : c > 1 ? 1 : c;
}

double GetAngle(double ax, double ay, double kx, double ky, double bx, double by)
{
    return std::acos(GetAngleCos(ax, ay, kx, ky, bx, by));
}

void ExtendLineToImageBorders(const TMyRect& f, double* x1, double* y1, double* x2, double* y2)
{
    const double dx = *x2 - *x1, dy = *y2 - *y1;
    if (dx == 0 && dy == 0)
        return;
    if (dx == 0) {
        *y1 = dy > 0 ? f.T : f.B;
        *y2 = dy > 0 ? f.B : f.T;
        return;
    }
    if (dy == 0) {
        *x1 = dx > 0 ? f.L : f.R;
        *x2 = dx > 0 ? f.R : f.L;
        return;
    }
    // Crossings with the four edge lines that lie on the field's border,
    // ordered along the line's direction.
    double lo = std::numeric_limits<double>::max(), hi = -lo;
    auto take = [&](double t) {
        const double x = *x1 + t * dx, y = *y1 + t * dy;
        if (x >= f.L - 1e-9 && x <= f.R + 1e-9 && y >= f.T - 1e-9 && y <= f.B + 1e-9) {
            lo = std::min(lo, t);
            hi = std::max(hi, t);
        }
    };
    take((f.L - *x1) / dx);
    take((f.R - *x1) / dx);
    take((f.T - *y1) / dy);
    take((f.B - *y1) / dy);
    if (lo > hi)
        return;  // the line misses the field
    const double sx = *x1, sy = *y1;
    *x1 = sx + lo * dx;
    *y1 = sy + lo * dy;
    *x2 = sx + hi * dx;
    *y2 = sy + hi * dy;
}

void ExtendLineEndToImageBorders(const TMyRect& f, double* x1, double* y1, double* x2, double* y2)
{
    const double dx = *x2 - *x1, dy = *y2 - *y1;
    if (dx == 0 && dy == 0)
        return;
    double nx, ny;
    if (dx == 0) {
        nx = *x1;
        ny = dy < 0 ? f.T : f.B;
    } else if (dy == 0) {
        ny = *y1;
        nx = dx < 0 ? f.L : f.R;
    } else if (std::fabs(dx) > std::fabs(dy)) {
        nx = dx < 0 ? f.L : f.R;
        ny = *y1 + (nx - *x1) * dy / dx;
    } else {
        ny = dy < 0 ? f.T : f.B;
        nx = *x1 + (ny - *y1) * dx / dy;
    }
    const double ex = nx - *x1, ey = ny - *y1;
    if (ex * dx + ey * dy > 0 && ex * ex + ey * ey > dx * dx + dy * dy) {
        *x2 = nx;
        *y2 = ny;
    }
}

// Moves end (px, py) of the segment towards (ox, oy) onto the line x = v
// (vertical) or y = v; false when the segment does not reach it.
static bool ClipEndToLine(double* px, double* py, double ox, double oy, bool vertical, double v)
{
    constexpr double kFar = 1e9;
    double x, y;
    const bool hit = vertical ? LinesIntersect(&x, &y, true, *px, *py, ox, oy, v, -kFar, v, kFar)
                              : LinesIntersect(&x, &y, true, *px, *py, ox, oy, -kFar, v, kFar, v);
    if (!hit)
        return false;
    *px = vertical ? v : x;
    *py = vertical ? y : v;
    return true;
}

// The sums of the x and of the y ends of a cell's edges, in the order added.
struct TEndSums {
    double x = 0, y = 0;
};

// Clips an ordered segment that leaves the field to its part inside,
// ordered again; false when none is.
static bool ClipToField(double* px1, double* py1, double* px2, double* py2, const TMyRect& f)
{
    double x1 = *px1, y1 = *py1, x2 = *px2, y2 = *py2;
    const double L = f.L, T = f.T, R = f.R, B = f.B;
    if ((x1 < L && x2 < L) || (x1 > R && x2 > R) || y2 < T || y1 > B)
        return false;
    if (y1 < T)
        ClipEndToLine(&x1, &y1, x2, y2, false, T);
    if (y2 > B)
        ClipEndToLine(&x2, &y2, x1, y1, false, B);
    if (x1 < L)
        ClipEndToLine(&x1, &y1, x2, y2, true, L);
    if (x2 < L)
        ClipEndToLine(&x2, &y2, x1, y1, true, L);
    if (x1 > R)
        ClipEndToLine(&x1, &y1, x2, y2, true, R);
    if (x2 > R)
        ClipEndToLine(&x2, &y2, x1, y1, true, R);
    // An edge that passes outside a corner of the field is still out.
    constexpr double kEps = 1e-9;
    for (double x : {x1, x2})
        if (x < L - kEps || x > R + kEps)
            return false;
    for (double y : {y1, y2})
        if (y < T - kEps || y > B + kEps)
            return false;
    OrderEnds(&x1, &y1, &x2, &y2);
    *px1 = x1;
    *py1 = y1;
    *px2 = x2;
    *py2 = y2;
    return true;
}

// AddEdgeToCell; `mayRepeat` false when the cell has no edge with this
// neighbour yet, so that no edge can be a repeat. An edge added goes into
// *sums when given (summing as it goes spares reading the cell back).
[[gnu::always_inline]] static inline bool AddEdgeInline(TVorCell& cell, int neighbour, double x1, double y1, double x2,
                                                        double y2, const TMyRect& f, bool mayRepeat, TEndSums* sums)
{
    OrderEnds(&x1, &y1, &x2, &y2);
    // Most edges lie wholly inside the field: nothing to clip.
    const double L = f.L, T = f.T, R = f.R, B = f.B;
    if (!((y1 >= T) & (y2 <= B) & (x1 >= L) & (x1 <= R) & (x2 >= L) & (x2 <= R)) &&
        !ClipToField(&x1, &y1, &x2, &y2, f))
        return true;
    // Co-circular sites give several triangles with one circumcentre (two
    // overlapping pairs where four sites lie on a circle): the "edges" between
    // them are points, and the edge to a neighbouring triangle comes once per
    // overlapping triangle. A point closes nothing and a repeat adds nothing.
    constexpr double kSame = 1e-6;
    if (std::fabs(x1 - x2) < kSame && std::fabs(y1 - y2) < kSame)
        return true;
    for (int e = 0; mayRepeat && e < cell.edgeNum; ++e) {
        const TVorEdge& o = cell.edges[size_t(e)];
        if (o.nb == neighbour && std::fabs(o.x1 - x1) < kSame && std::fabs(o.y1 - y1) < kSame &&
            std::fabs(o.x2 - x2) < kSame && std::fabs(o.y2 - y2) < kSame)
            return true;
    }
    if (cell.edgeNum >= kCellMaxEdges)
        return false;
    cell.edges[size_t(cell.edgeNum++)] = {x1, y1, x2, y2, int16_t(neighbour)};
    if (sums) {
        sums->x += x1 + x2;
        sums->y += y1 + y2;
    }
    return true;
}

static bool AddEdge(TVorCell& cell, int neighbour, double x1, double y1, double x2, double y2, const TMyRect& f,
                    bool mayRepeat, TEndSums* sums = nullptr)
{
    return AddEdgeInline(cell, neighbour, x1, y1, x2, y2, f, mayRepeat, sums);
}

bool AddEdgeToCell(TVorCell& cell, int neighbour, double x1, double y1, double x2, double y2, const TMyRect& f)
{
    return AddEdge(cell, neighbour, x1, y1, x2, y2, f, true);
}

// ---- First edge ------------------------------------------------------------------------

namespace {

int Sign(int64_t v) { return (v > 0) - (v < 0); }

// Twice the signed area of a, b, k; its sign tells the side of the line
// a -> b that k lies on (only consistency matters).
int64_t Cross(const TPoint& a, const TPoint& b, const TPoint& k)
{
    return int64_t(b.x - a.x) * (k.y - a.y) - int64_t(b.y - a.y) * (k.x - a.x);
}

struct TFirstEdge {
    int i = -1, j = -1;
    int side = 0;  // the side every other site lies on; 0 when all are collinear
};

// Whether every site but i and j gives the same sign against the line i -> j.
bool QualifiesAsFirstEdge(const std::vector<TPoint>& s, int i, int j, int* side)
{
    int sign = 2;  // none seen yet
    for (int k = 0; k < int(s.size()); ++k) {
        if (k == i || k == j)
            continue;
        const int sg = Sign(Cross(s[size_t(i)], s[size_t(j)], s[size_t(k)]));
        if (sign == 2)
            sign = sg;
        else if (sg != sign)
            return false;
    }
    *side = sign == 2 ? 0 : sign;
    return true;
}

// The literal search: the first pair (i, j), i < j in index order, that qualifies.
bool ReferenceFirstEdge(const std::vector<TPoint>& s, TFirstEdge* fe)
{
    const int n = int(s.size());
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            if (QualifiesAsFirstEdge(s, i, j, &fe->side)) {
                fe->i = i;
                fe->j = j;
                return true;
            }
    return false;
}

// Sorts the sites by (x, y) into sc.order; false when two coincide.
constexpr int64_t kCountingSortSpan = 1 << 16;  // pixels; wider spreads go to std::sort
bool SortSites(const std::vector<TPoint>& s, TVoronoiScratch& sc)
{
    sc.keys.resize(s.size());
    for (size_t i = 0; i < s.size(); ++i)
        sc.keys[i] = (uint64_t(uint32_t(s[i].x) ^ 0x80000000u) << 32) | (uint32_t(s[i].y) ^ 0x80000000u);
    sc.order.resize(s.size());
    int minX = s[0].x, maxX = s[0].x, minY = s[0].y, maxY = s[0].y;
    for (const TPoint& p : s) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    const int64_t spanX = int64_t(maxX) - minX + 1, spanY = int64_t(maxY) - minY + 1;
    if (std::max(spanX, spanY) <= kCountingSortSpan) {
        // Sites on a picture: two stable counting sorts, by y and then by x.
        std::vector<int>& count = sc.fill;
        std::vector<int>& byY = sc.hull;  // free until the hull is made
        byY.resize(s.size());
        count.assign(size_t(spanY) + 1, 0);
        for (const TPoint& p : s)
            ++count[size_t(p.y - minY) + 1];
        for (size_t v = 1; v < count.size(); ++v)
            count[v] += count[v - 1];
        for (size_t i = 0; i < s.size(); ++i)
            byY[size_t(count[size_t(s[i].y - minY)]++)] = int(i);
        count.assign(size_t(spanX) + 1, 0);
        for (const TPoint& p : s)
            ++count[size_t(p.x - minX) + 1];
        for (size_t v = 1; v < count.size(); ++v)
            count[v] += count[v - 1];
        for (const int i : byY)
            sc.order[size_t(count[size_t(s[size_t(i)].x - minX)]++)] = i;
    } else {
        for (size_t i = 0; i < s.size(); ++i)
            sc.order[i] = int(i);
        std::sort(sc.order.begin(), sc.order.end(),
                  [&](int a, int b) { return sc.keys[size_t(a)] < sc.keys[size_t(b)]; });
    }
    for (size_t i = 1; i < sc.order.size(); ++i)
        if (sc.keys[size_t(sc.order[i])] == sc.keys[size_t(sc.order[i - 1])])
            return false;
    return true;
}

// The strict convex hull (no collinear points) of the sorted sites, by the
// monotone chain.
void StrictHull(const std::vector<TPoint>& s, TVoronoiScratch& sc)
{
    std::vector<int>& hull = sc.hull;
    hull.assign(2 * s.size() + 1, 0);
    size_t k = 0;
    for (size_t pass = 0; pass < 2; ++pass) {
        const size_t start = k;
        for (size_t idx = 0; idx < sc.order.size(); ++idx) {
            const int p = pass == 0 ? sc.order[idx] : sc.order[sc.order.size() - 1 - idx];
            while (k >= start + 2 && Cross(s[size_t(hull[k - 2])], s[size_t(hull[k - 1])], s[size_t(p)]) <= 0)
                --k;
            hull[k++] = p;
        }
        --k;  // the last point starts the other chain
    }
    hull.resize(k);
}

// The same answer as ReferenceFirstEdge for distinct sites: a qualifying pair
// with all other sites strictly on one side is an edge of the strict hull, so
// only hull edges are tested, in the reference's pair order. All sites
// collinear (a hull of two): every pair qualifies, the first is (0, 1).
bool FastFirstEdge(const std::vector<TPoint>& s, const std::vector<int>& hull, TFirstEdge* fe)
{
    if (hull.size() < 3) {
        fe->i = 0;
        fe->j = 1;
        fe->side = 0;
        return s.size() >= 2;
    }
    std::vector<std::pair<int, int>> pairs;
    for (size_t h = 0; h < hull.size(); ++h) {
        const int a = hull[h], b = hull[(h + 1) % hull.size()];
        pairs.emplace_back(std::min(a, b), std::max(a, b));
    }
    std::sort(pairs.begin(), pairs.end());
    for (const auto& p : pairs)
        if (QualifiesAsFirstEdge(s, p.first, p.second, &fe->side)) {
            fe->i = p.first;
            fe->j = p.second;
            return true;
        }
    return false;
}

// ---- Gift wrapping -------------------------------------------------------------------------
// The edge list is processed in order while it grows. For an edge (a, b) with
// open side s, the site on side s with the largest angle a-k-b (the lowest
// index among equal angles) closes a triangle; a new triangle adds the edges
// (a, k) and (b, k) unless listed, each open on the side away from its third
// vertex. A Finder supplies the search and the lookups; both finders give
// the same answers, so the lists come out the same.

void Circumcentre(const TPoint& a, const TPoint& b, const TPoint& c, double* x, double* y)
{
    const double bx = b.x - a.x, by = b.y - a.y, cx = c.x - a.x, cy = c.y - a.y;
    const double d = 2.0 * (bx * cy - by * cx);
    const double b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    *x = a.x + (cy * b2 - by * c2) / d;
    *y = a.y + (bx * c2 - cx * b2) / d;
}

TTriaEdge MakeTriaEdge(const std::vector<TPoint>& s, int a, int b, int open)
{
    TTriaEdge e;
    e.i1 = std::min(a, b);
    e.i2 = std::max(a, b);
    e.p1 = s[size_t(e.i1)];
    e.p2 = s[size_t(e.i2)];
    e.open = int8_t(open);
    return e;
}

// `turn`: the sign of cross(a -> b, third - a), known from the triangle; the
// new edge is open on the other side of its line lo -> hi.
template <class Finder>
int AppendEdgeUnlessListed(const std::vector<TPoint>& s, TDelaunay& d, Finder& f, int a, int b, int turn)
{
    const int lo = std::min(a, b), hi = std::max(a, b);
    const int found = f.FindEdge(lo, hi);
    if (found >= 0)
        return found;
    const int open = lo == a ? -turn : turn;
    d.edges.push_back(MakeTriaEdge(s, lo, hi, open));
    const int idx = int(d.edges.size()) - 1;
    f.EdgeAdded(idx);
    return idx;
}

// False when a site would belong to more than kCellMaxTris triangles.
template <class Finder>
bool GiftWrap(const std::vector<TPoint>& s, const TFirstEdge& first, Finder& f, TDelaunay& d)
{
    // Each site's triangles go to a compact list (the cell records are large
    // and would be touched at random).
    TVoronoiScratch& sc = d.scratch;
    sc.siteTriNum.assign(s.size(), 0);
    sc.siteTris.resize(s.size() * kCellMaxTris);
    d.edges.push_back(MakeTriaEdge(s, first.i, first.j, first.side));
    f.EdgeAdded(0);
    for (size_t e = 0; e < d.edges.size(); ++e) {
        const TTriaEdge ed = d.edges[e];  // a copy: the list grows below
        if (ed.open == 0)
            continue;
        const int k = f.Best(int(e), ed.i1, ed.i2, ed.open);
        if (k < 0 || f.TriangleKnown(int(e), ed.i1, ed.i2, k))
            continue;
        TTriangle t;
        t.v[0] = ed.i1;
        t.v[1] = ed.i2;
        t.v[2] = k;
        t.turn = ed.open;  // the search takes sites on the open side only
        f.Centre(ed.i1, ed.i2, k, &t.cx, &t.cy);
        const int ti = int(d.tris.size());
        d.tris.push_back(t);
        for (int v : t.v) {
            uint8_t& num = sc.siteTriNum[size_t(v)];
            if (num >= kCellMaxTris)
                return false;
            sc.siteTris[size_t(v) * kCellMaxTris + num++] = ti;
        }
        // (i1, k, i2) turns against (i1, i2, k); (i2, k, i1) turns with it.
        const int ea = AppendEdgeUnlessListed(s, d, f, ed.i1, k, -t.turn);
        const int eb = AppendEdgeUnlessListed(s, d, f, ed.i2, k, t.turn);
        f.TriangleAdded(int(e), ea, eb, t);
    }
    return true;
}

// The collinear case: the Delaunay edges are the pairs of neighbours along
// the line, with no triangles.
void ChainCollinear(const std::vector<TPoint>& s, const TVoronoiScratch& sc, TDelaunay& d)
{
    for (size_t i = 0; i + 1 < sc.order.size(); ++i)
        d.edges.push_back(MakeTriaEdge(s, sc.order[i], sc.order[i + 1], 0));
}

// ---- Reference search: every site for every edge, lists scanned in full ---------------------

struct ReferenceFinder {
    const std::vector<TPoint>& s;
    const TDelaunay& d;

    int Best(int, int a, int b, int side) const
    {
        const TPoint &A = s[size_t(a)], &B = s[size_t(b)];
        int best = -1;
        double bestAngle = -1;
        for (int k = 0; k < int(s.size()); ++k) {
            if (k == a || k == b || Sign(Cross(A, B, s[size_t(k)])) != side)
                continue;
            const TPoint& K = s[size_t(k)];
            const double angle = GetAngle(A.x, A.y, K.x, K.y, B.x, B.y);
            if (angle > bestAngle) {
                bestAngle = angle;
                best = k;
            }
        }
        return best;
    }
    bool TriangleKnown(int, int a, int b, int k) const
    {
        int want[3] = {a, b, k};
        std::sort(want, want + 3);
        for (const TTriangle& t : d.tris) {
            int have[3] = {t.v[0], t.v[1], t.v[2]};
            std::sort(have, have + 3);
            if (std::equal(want, want + 3, have))
                return true;
        }
        return false;
    }
    int FindEdge(int lo, int hi) const
    {
        for (size_t e = 0; e < d.edges.size(); ++e)
            if (d.edges[e].i1 == lo && d.edges[e].i2 == hi)
                return int(e);
        return -1;
    }
    void Centre(int a, int b, int k, double* x, double* y) const
    {
        Circumcentre(s[size_t(a)], s[size_t(b)], s[size_t(k)], x, y);
    }
    void EdgeAdded(int) {}
    void TriangleAdded(int, int, int, const TTriangle&) {}
};

// ---- Fast search ----------------------------------------------------------------------------
// Sites sit in a bucket grid of about one site a bucket. The best site for an
// edge lies inside the circle through a, b and any candidate on the open side
// (every site with a larger angle does), so once a candidate is known only
// the buckets under its circle's box need a look, and sites clearly outside
// the circle are passed over. A candidate comes from a triangle already found
// on that side, else from the 3 x 3 buckets around the edge's midpoint, else
// from widening rings. Cosines screen the candidates; wherever the cosines
// are too close to decide, the angles are computed and compared as the
// reference compares them, so ties break alike.

struct FastFinder {
    const std::vector<TPoint>& s;
    const TDelaunay& d;
    TVoronoiScratch& sc;
    int minX = 0, minY = 0, g = 1, nbx = 1, nby = 1;
    double invG = 1;  // 1 / g

    FastFinder(const std::vector<TPoint>& sites, TDelaunay& del) : s(sites), d(del), sc(del.scratch)
    {
        int maxX = s[0].x, maxY = s[0].y;
        minX = s[0].x;
        minY = s[0].y;
        for (const TPoint& p : s) {
            minX = std::min(minX, p.x);
            minY = std::min(minY, p.y);
            maxX = std::max(maxX, p.x);
            maxY = std::max(maxY, p.y);
        }
        const double area = double(maxX - minX + 1) * double(maxY - minY + 1);
        g = std::max(1, int(std::ceil(std::sqrt(area / double(s.size())))));
        invG = 1.0 / g;
        nbx = (maxX - minX) / g + 1;
        nby = (maxY - minY) / g + 1;
        sc.bucketStart.assign(size_t(nbx) * size_t(nby) + 1, 0);
        for (const TPoint& p : s)
            ++sc.bucketStart[size_t(BucketOf(p)) + 1];
        for (size_t b = 1; b < sc.bucketStart.size(); ++b)
            sc.bucketStart[b] += sc.bucketStart[b - 1];
        sc.bucketSites.resize(s.size());
        sc.bucketPoints.resize(s.size());
        sc.fill.assign(sc.bucketStart.begin(), sc.bucketStart.end() - 1);
        for (size_t i = 0; i < s.size(); ++i) {
            const size_t p = size_t(sc.fill[size_t(BucketOf(s[i]))]++);
            sc.bucketSites[p] = int(i);
            sc.bucketPoints[p] = s[i];
        }
        sc.siteHead.assign(s.size(), -1);
        sc.links.clear();
        sc.edgeTriHead.clear();
        sc.triLinks.clear();
        // Room for a plane triangulation's edges and triangles (more only
        // where co-circular sites stack triangles).
        sc.links.reserve(6 * s.size());
        sc.edgeTriHead.reserve(3 * s.size());
        sc.triLinks.reserve(6 * s.size());
    }

    int BucketOf(const TPoint& p) const { return ((p.y - minY) / g) * nbx + (p.x - minX) / g; }

    // Whether a bucket may hold a site strictly on the open side of a -> b:
    // side * cross(a -> b, k - a) is linear, so its largest over a bucket is
    // at one corner, the same corner for every bucket; from bucket to bucket
    // it moves by fixed steps.
    struct Reach {
        int64_t base = 0, stepX = 0, stepY = 0;
        bool At(int bx, int by) const { return base + by * stepY - bx * stepX > 0; }
    };
    Reach MakeReach(const TPoint& A, int64_t ex, int64_t ey, int side) const
    {
        const int64_t sex = side * ex, sey = side * ey;
        Reach r;
        r.base = sex * (minY + (sex > 0 ? g - 1 : 0) - A.y) - sey * (minX + (sey > 0 ? 0 : g - 1) - A.x);
        r.stepX = sey * g;
        r.stepY = sex * g;
        return r;
    }

    bool AnyHullVertexOnSide(const TPoint& A, const TPoint& B, int side) const
    {
        for (int h : sc.hull)
            if (Sign(Cross(A, B, s[size_t(h)])) == side)
                return true;
        return false;
    }

    struct Search {
        int a, b, side;
        int64_t ex, ey;
        Reach reach;
        // side * cross(a -> b, k - a) = sex * (k.y - a.y) - sey * (k.x - a.x):
        // positive for a site strictly on the open side.
        int64_t sex = 0, sey = 0;
        int ax = 0, ay = 0;
        int best = -1;
        bool haveCosine = false;  // the best's cosine is worked out when first needed
        double cosine = 2;
        // The best's circle; beyond sqrt(skip2) nothing can win (nothing is
        // beyond it before there is a best).
        double cx = 0, cy = 0, skip2 = std::numeric_limits<double>::infinity();
    };

    // A site clearly outside the best one's circle has a clearly smaller
    // angle; one on or near the circle goes on to the exact comparison. a
    // and b lie on the line, on no side. One branch for the common
    // rejections: they are hard to foresee. Inline, with the rest apart:
    // most sites stop here.
    static bool MayWin(const TPoint& K, const Search& q)
    {
        const double kx = K.x - q.cx, ky = K.y - q.cy;
        const bool outside = kx * kx + ky * ky > q.skip2;
        const bool wrongSide = q.sex * (K.y - q.ay) - q.sey * (K.x - q.ax) <= 0;
        return !(outside | wrongSide);
    }

    void Consider(int k, Search& q) const
    {
        if (MayWin(s[size_t(k)], q))
            Contend(k, q);
    }

    [[gnu::noinline]] void Contend(int k, Search& q) const
    {
        if (k == q.best)
            return;
        const TPoint &A = s[size_t(q.a)], &K = s[size_t(k)], &B = s[size_t(q.b)];
        double c = 0;
        if (q.best >= 0) {
            // acos falls strictly and steeply: a cosine clearly above the
            // best one's loses, one clearly below wins; near ties take the
            // angles themselves.
            c = GetAngleCos(A.x, A.y, K.x, K.y, B.x, B.y);
            if (!q.haveCosine) {
                const TPoint& Q = s[size_t(q.best)];
                q.cosine = GetAngleCos(A.x, A.y, Q.x, Q.y, B.x, B.y);
                q.haveCosine = true;
            }
            if (c > q.cosine + 1e-12)
                return;
            if (c >= q.cosine - 1e-12) {
                const double angle = std::acos(c), bestAngle = std::acos(q.cosine);
                if (!(angle > bestAngle || (angle == bestAngle && k < q.best)))
                    return;
            }
        }
        q.haveCosine = q.best >= 0;
        q.best = k;
        q.cosine = c;
        Circumcentre(A, B, K, &q.cx, &q.cy);
        // At least (r (1 + 1e-7) + 1e-7)^2, with r the circle's radius.
        const double dx = q.cx - A.x, dy = q.cy - A.y;
        q.skip2 = (dx * dx + dy * dy) * (1 + 3.2e-7) + 1.1e-7;
    }

    // The buckets bx0..bx1 of row by (inside the grid), but those wholly off
    // the open side: along a row the open side's test is linear in bx, so
    // the buckets that pass form one run, and their sites lie next to each
    // other in bucketSites. Runs are a few buckets long: trimming them a
    // bucket at a time is cheaper than dividing.
    void ScanRun(int by, int bx0, int bx1, Search& q) const
    {
        const int64_t v0 = q.reach.base + by * q.reach.stepY, sx = q.reach.stepX;  // v0 - bx * sx > 0
        int lo = bx0, hi = bx1;
        if (sx > 0) {
            while (lo <= hi && v0 - hi * sx <= 0)
                --hi;
        } else {
            while (lo <= hi && v0 - lo * sx <= 0)
                ++lo;
        }
        if (lo > hi)
            return;
        const size_t row = size_t(by) * size_t(nbx);
        const size_t end = size_t(sc.bucketStart[row + size_t(hi) + 1]);
        const TPoint* points = sc.bucketPoints.data();
        for (size_t p = size_t(sc.bucketStart[row + size_t(lo)]); p < end; ++p)
            if (MayWin(points[p], q))
                Contend(sc.bucketSites[p], q);
    }

    // Row by's buckets bx0..bx1, but those of the block already seen.
    void ScanRunOutside(int by, int bx0, int bx1, Search& q, int skipX0, int skipY0, int skipX1, int skipY1) const
    {
        if (by < skipY0 || by > skipY1 || bx1 < skipX0 || bx0 > skipX1) {
            ScanRun(by, bx0, bx1, q);
            return;
        }
        if (bx0 < skipX0)
            ScanRun(by, bx0, skipX0 - 1, q);
        if (bx1 > skipX1)
            ScanRun(by, skipX1 + 1, bx1, q);
    }

    void ScanBucket(int bx, int by, Search& q) const
    {
        if (bx >= 0 && bx < nbx && by >= 0 && by < nby)
            ScanRun(by, bx, bx, q);
    }

    // Every bucket under the best candidate's circle (with a pixel to
    // spare) that reaches the open side, but those of the block already
    // seen. A large circle has its rows trimmed to its chord across them.
    static constexpr int kSmallBox = 16;  // buckets, below which the rows are not worth trimming
    void ScanCircle(Search& q, int skipX0, int skipY0, int skipX1, int skipY1) const
    {
        // Better candidates found on the way have their circles' open sides
        // inside this one's: the first circle bounds the whole scan.
        // Rounding in the bucket bounds moves them by less than the pixel to
        // spare, and truncating rather than flooring only adds buckets.
        const double cx = q.cx, cy = q.cy, r = std::sqrt(q.skip2) + 1, r2 = r * r, inv = invG;
        const int y0 = std::max(0, int((cy - r - minY) * inv));
        const int y1 = std::min(nby - 1, int((cy + r - minY) * inv));
        const int x0 = std::max(0, int((cx - r - minX) * inv));
        const int x1 = std::min(nbx - 1, int((cx + r - minX) * inv));
        const bool small = (x1 - x0 + 1) * (y1 - y0 + 1) <= kSmallBox;
        for (int by = y0; by <= y1; ++by) {
            int bx0 = x0, bx1 = x1;
            if (!small) {
                const double top = minY + double(by) * g, bottom = top + g - 1;
                const double dy = std::max({top - cy, 0.0, cy - bottom});
                if (dy * dy > r2)
                    continue;
                const double hw = std::sqrt(r2 - dy * dy);
                bx0 = std::max(x0, int((cx - hw - minX) * inv));
                bx1 = std::min(x1, int((cx + hw - minX) * inv));
            }
            if (bx0 <= bx1)
                ScanRunOutside(by, bx0, bx1, q, skipX0, skipY0, skipX1, skipY1);
        }
    }

    // The circumcentre of a, b and the last best site: the search has it.
    double bestCx = 0, bestCy = 0;
    void Centre(int, int, int, double* x, double* y) const
    {
        *x = bestCx;
        *y = bestCy;
    }

    int Best(int e, int a, int b, int side)
    {
        const TPoint &A = s[size_t(a)], &B = s[size_t(b)];
        Search q{a, b, side, int64_t(B.x) - A.x, int64_t(B.y) - A.y, {}};
        q.reach = MakeReach(A, q.ex, q.ey, side);
        q.sex = side * q.ex;
        q.sey = side * q.ey;
        q.ax = A.x;
        q.ay = A.y;
        const int k = Find(e, A, B, q);
        bestCx = q.cx;
        bestCy = q.cy;
        return k;
    }

    int Find(int e, const TPoint& A, const TPoint& B, Search& q) const
    {
        for (int t = sc.edgeTriHead[size_t(e)]; t >= 0; t = sc.triLinks[size_t(t)][1])
            Consider(sc.triLinks[size_t(t)][0], q);
        if (q.best >= 0) {
            ScanCircle(q, 1, 1, 0, 0);
            return q.best;
        }
        const TPoint M{int((int64_t(A.x) + B.x) >> 1), int((int64_t(A.y) + B.y) >> 1)};
        const int cbx = std::clamp((M.x - minX) / g, 0, nbx - 1);
        const int cby = std::clamp((M.y - minY) / g, 0, nby - 1);
        int r = 1;
        for (int by = std::max(cby - 1, 0); by <= std::min(cby + 1, nby - 1); ++by)
            ScanRun(by, std::max(cbx - 1, 0), std::min(cbx + 1, nbx - 1), q);
        for (const int maxRing = std::max(nbx, nby); q.best < 0 && r < maxRing;) {
            ++r;
            if (r == 3 && !AnyHullVertexOnSide(A, B, q.side))
                return -1;  // nothing at all lies on that side
            for (int by = cby - r; by <= cby + r; ++by) {
                const bool edgeRow = by == cby - r || by == cby + r;
                for (int bx = cbx - r; bx <= cbx + r; bx += edgeRow ? 1 : 2 * r)
                    ScanBucket(bx, by, q);
            }
        }
        if (q.best >= 0)
            ScanCircle(q, cbx - r, cby - r, cbx + r, cby + r);
        return q.best;
    }

    bool TriangleKnown(int e, int, int, int k) const
    {
        for (int t = sc.edgeTriHead[size_t(e)]; t >= 0; t = sc.triLinks[size_t(t)][1])
            if (sc.triLinks[size_t(t)][0] == k)
                return true;
        return false;
    }
    int FindEdge(int lo, int hi) const
    {
        for (int l = sc.siteHead[size_t(lo)]; l >= 0; l = sc.links[size_t(l)][2])
            if (sc.links[size_t(l)][0] == hi)
                return sc.links[size_t(l)][1];
        return -1;
    }
    void EdgeAdded(int e)
    {
        const TTriaEdge& ed = d.edges[size_t(e)];
        sc.links.push_back({ed.i2, e, sc.siteHead[size_t(ed.i1)]});
        sc.siteHead[size_t(ed.i1)] = int(sc.links.size()) - 1;
        sc.links.push_back({ed.i1, e, sc.siteHead[size_t(ed.i2)]});
        sc.siteHead[size_t(ed.i2)] = int(sc.links.size()) - 1;
        sc.edgeTriHead.push_back(-1);
    }
    void AddTri(int e, int third)
    {
        sc.triLinks.push_back({third, sc.edgeTriHead[size_t(e)]});
        sc.edgeTriHead[size_t(e)] = int(sc.triLinks.size()) - 1;
    }
    void TriangleAdded(int e, int ea, int eb, const TTriangle& t)
    {
        AddTri(e, t.v[2]);
        AddTri(ea, t.v[1]);
        AddTri(eb, t.v[0]);
    }
};

// ---- Cells -------------------------------------------------------------------------------------

struct TCellBuild {
    const std::vector<TPoint>& s;
    const TDelaunay& d;
    const TMyRect& field;
    const std::vector<int>& nbStart;  // Delaunay neighbours per site (CSR), when collinear
    const std::vector<int>& nbList;
    bool collinear = false;
    std::vector<int>& endSlot;  // per site: its slot among the cell's far ends, or -1 (kept so)
    TEndSums* sums;             // of the cell being built
};

void IndexNeighbours(const TDelaunay& d, size_t n, std::vector<int>& start, std::vector<int>& list,
                     std::vector<int>& fill)
{
    start.assign(n + 1, 0);
    for (const TTriaEdge& e : d.edges) {
        ++start[size_t(e.i1) + 1];
        ++start[size_t(e.i2) + 1];
    }
    for (size_t i = 1; i <= n; ++i)
        start[i] += start[i - 1];
    list.resize(size_t(start[n]));
    fill.assign(start.begin(), start.end() - 1);
    for (const TTriaEdge& e : d.edges) {
        list[size_t(fill[size_t(e.i1)]++)] = e.i2;
        list[size_t(fill[size_t(e.i2)]++)] = e.i1;
    }
}

// Edges between circumcentres of triangles that share an edge at the cell,
// and the outward rays of hull edges. *touches: the cell may reach the
// field's border (it has a hull edge or an edge ending on the border).
bool AddTriangleEdges(const TCellBuild& b, int i, TVorCell& cell, bool* touches, int* ends, int* endCount)
{
    const TPoint& c = b.s[size_t(i)];
    const double fL = b.field.L, fT = b.field.T, fR = b.field.R, fB = b.field.B;
    const int tn = cell.triNum;
    // The cell's triangles as (other vertex, other vertex, circumcentre).
    // sg: the side of o2 from the line c -> o1 (o1 lies on the other side
    // of c -> o2); never 0, a triangle has its third vertex off the line.
    int o1[kCellMaxTris], o2[kCellMaxTris], sg[kCellMaxTris];
    double tx[kCellMaxTris], ty[kCellMaxTris];
    // The far ends, each with the triangles it belongs to (in order) and
    // the sides they lie on (bit 0: negative, bit 1: positive; swapping the
    // far ends turns the side over).
    int endSides[2 * kCellMaxTris], endTriNum[2 * kCellMaxTris], endOf[2 * kCellMaxTris];
    int endTris[2 * kCellMaxTris][kCellMaxTris];
    int endNum = 0;
    // Two triangles with exactly one far end in common meet along an edge
    // of the cell: the edge between their circumcentres, in the order of
    // the pairs (p, q). A pair is flipped once per common far end, so pairs
    // with both in common (co-circular repeats) drop out.
    uint32_t pairs[kCellMaxTris] = {};
    int pairEnd[kCellMaxTris][kCellMaxTris];
    // Edges between circumcentres strictly inside the field stay clear of
    // its border; only a cell with a circumcentre on or beyond it may touch.
    bool centresInside = true;
    auto addEnd = [&](int p, int k, int v, int side) {
        int u = b.endSlot[size_t(v)];
        if (u < 0) {
            u = endNum++;
            b.endSlot[size_t(v)] = u;
            ends[u] = v;
            endSides[u] = 0;
            endTriNum[u] = 0;
        }
        endSides[u] |= side;
        for (int x = 0; x < endTriNum[u]; ++x) {
            const int q = endTris[u][x];
            pairs[q] ^= 1u << p;
            pairEnd[q][p] = u;
        }
        endTris[u][endTriNum[u]++] = p;
        endOf[2 * p + k] = u;
    };
    for (int p = 0; p < tn; ++p) {
        const TTriangle& t = b.d.tris[size_t(cell.tris[size_t(p)])];
        const int k = t.v[0] == i ? 0 : t.v[1] == i ? 1 : 2;
        o1[p] = t.v[k == 0 ? 1 : 0];
        o2[p] = t.v[k == 2 ? 1 : 2];
        sg[p] = k == 1 ? -t.turn : t.turn;  // (i, o1, o2) turns as (v0, v1, v2) but for one swap
        tx[p] = t.cx;
        ty[p] = t.cy;
        centresInside &= (t.cx > fL) & (t.cx < fR) & (t.cy > fT) & (t.cy < fB);
        addEnd(p, 0, o1[p], sg[p] > 0 ? 2 : 1);
        addEnd(p, 1, o2[p], sg[p] < 0 ? 2 : 1);
    }
    bool anyOpen = false;  // a far end with triangles on one side only
    for (int u = 0; u < endNum; ++u) {
        b.endSlot[size_t(ends[u])] = -1;
        anyOpen |= endSides[u] != 3;
    }
    *endCount = endNum;
    int edgesAt[2 * kCellMaxTris] = {};  // per far end, the edges added with it as neighbour
    auto add = [&](int u, double x1, double y1, double x2, double y2) {
        const int before = cell.edgeNum;
        if (!AddEdgeInline(cell, ends[u], x1, y1, x2, y2, b.field, edgesAt[u] > 0, b.sums))
            return false;
        edgesAt[u] += cell.edgeNum - before;
        return true;
    };
    for (int p = 0; p < tn; ++p)
        for (uint32_t m = pairs[p]; m != 0; m &= m - 1) {
            const int q = std::countr_zero(m);
            if (!add(pairEnd[p][q], tx[p], ty[p], tx[q], ty[q]))
                return false;
        }
    // A hull edge has triangles on one side only (co-circular sites can
    // stack two on the same side).
    for (int p = 0; p < tn && anyOpen; ++p)
        for (int k = 0; k < 2; ++k) {
            const int u = endOf[2 * p + k];
            if (endSides[u] == 3)
                continue;
            const int v = ends[u];
            const int wSide = k == 0 ? sg[p] : -sg[p];
            const TPoint& V = b.s[size_t(v)];
            *touches = true;
            // The bisector of c and v as a ray from the circumcentre, away
            // from the triangle's third vertex. Its circumcentre may lie
            // outside the field (a flat triangle along a row of sites) while
            // the ray still crosses it: clipping keeps the part inside.
            double dx = -(V.y - c.y), dy = V.x - c.x;
            if (wSide > 0) {
                dx = -dx;
                dy = -dy;
            }
            const double len = std::sqrt(dx * dx + dy * dy);
            double x1 = tx[p], y1 = ty[p], x2 = tx[p] + dx / len, y2 = ty[p] + dy / len;
            ExtendLineEndToImageBorders(b.field, &x1, &y1, &x2, &y2);
            if (!add(u, x1, y1, x2, y2))
                return false;
        }
    for (int e = 0; e < cell.edgeNum && !*touches && !centresInside; ++e) {
        const TVorEdge& E = cell.edges[size_t(e)];
        *touches = E.y1 <= b.field.T || E.y2 >= b.field.B || E.x1 <= b.field.L || E.x2 <= b.field.L ||
                   E.x1 >= b.field.R || E.x2 >= b.field.R;
    }
    return true;
}

// Collinear sites: each neighbour pair is split by its whole bisector.
bool AddChainEdges(const TCellBuild& b, int i, TVorCell& cell)
{
    const TPoint& c = b.s[size_t(i)];
    for (int p = b.nbStart[size_t(i)]; p < b.nbStart[size_t(i) + 1]; ++p) {
        const int v = b.nbList[size_t(p)];
        const TPoint& V = b.s[size_t(v)];
        double x1 = (c.x + V.x) * 0.5, y1 = (c.y + V.y) * 0.5;
        double x2 = x1 - (V.y - c.y), y2 = y1 + (V.x - c.x);
        ExtendLineToImageBorders(b.field, &x1, &y1, &x2, &y2);
        if (!AddEdge(cell, v, x1, y1, x2, y2, b.field, true, b.sums))
            return false;
    }
    return true;
}

// Closes the cell along the field's border: on each side of the field, the
// stretch nearer to this site than to any neighbour (field corners included
// where the cell reaches two sides). Exact in integers up to the division.
bool AddBorderEdges(const TCellBuild& b, int i, TVorCell& cell, const int* nb, int nbNum)
{
    const TMyRect& f = b.field;
    const TPoint& c = b.s[size_t(i)];
    struct Side { int x0, y0, dx, dy; };
    const Side sides[4] = {{f.L, f.T, f.R - f.L, 0}, {f.L, f.B, f.R - f.L, 0},
                           {f.L, f.T, 0, f.B - f.T}, {f.R, f.T, 0, f.B - f.T}};
    const int64_t c2 = int64_t(c.x) * c.x + int64_t(c.y) * c.y;
    for (const Side& sd : sides) {
        double lo = 0, hi = 1;
        for (int p = 0; p < nbNum && lo < hi; ++p) {
            const TPoint& n = b.s[size_t(nb[p])];
            // Nearer to c: 2 P.(n - c) <= |n|^2 - |c|^2, with P = P0 + t D.
            const int64_t nx = n.x - c.x, ny = n.y - c.y;
            const int64_t rhs = int64_t(n.x) * n.x + int64_t(n.y) * n.y - c2;
            const int64_t a0 = 2 * (int64_t(sd.x0) * nx + int64_t(sd.y0) * ny) - rhs;
            const int64_t a1 = 2 * (int64_t(sd.dx) * nx + int64_t(sd.dy) * ny);
            if (a1 == 0) {
                if (a0 > 0)
                    hi = -1;
            } else if (a1 > 0) {
                hi = std::min(hi, double(-a0) / double(a1));
            } else {
                lo = std::max(lo, double(-a0) / double(a1));
            }
        }
        if (hi <= lo)
            continue;
        if (!AddEdge(cell, -1, sd.x0 + lo * sd.dx, sd.y0 + lo * sd.dy, sd.x0 + hi * sd.dx, sd.y0 + hi * sd.dy, f,
                     true, b.sums))
            return false;
    }
    return true;
}

bool BuildCell(const TCellBuild& b, int i, TVorCell& cell)
{
    cell.edgeNum = 0;
    cell.triNum = 0;
    if (!b.collinear) {
        cell.triNum = b.d.scratch.siteTriNum[size_t(i)];
        std::copy_n(b.d.scratch.siteTris.begin() + std::ptrdiff_t(i) * kCellMaxTris, cell.triNum, cell.tris.begin());
    }
    *b.sums = {};
    bool touches = b.collinear;
    // The Delaunay neighbours: along the chain, else the far ends of the
    // cell's triangles (every edge has a triangle; the order does not
    // matter to the border).
    int ends[2 * kCellMaxTris];
    const int* nb = ends;
    int nbNum = 0;
    if (b.collinear) {
        nb = b.nbList.data() + b.nbStart[size_t(i)];
        nbNum = b.nbStart[size_t(i) + 1] - b.nbStart[size_t(i)];
        if (!AddChainEdges(b, i, cell))
            return false;
    } else if (!AddTriangleEdges(b, i, cell, &touches, ends, &nbNum)) {
        return false;
    }
    if (touches && !AddBorderEdges(b, i, cell, nb, nbNum))
        return false;
    if (cell.edgeNum > 0) {
        cell.dx = b.sums->x / cell.edgeNum * 0.5;
        cell.dy = b.sums->y / cell.edgeNum * 0.5;
    }
    return true;
}

void ClearCells(std::vector<TVorCell>& cells)
{
    for (TVorCell& c : cells) {
        c.edgeNum = 0;
        c.triNum = 0;
    }
}

bool Fail(std::vector<TVorCell>& cells, const char* message)
{
    ClearCells(cells);
    Platform().ShowMessage(message);
    return false;
}

}  // namespace

// ---- Entry point ---------------------------------------------------------------------------------

bool CalculateVoronoiCells(std::vector<TVorCell>& cells, const TMyRect& field, TTriangulation method,
                           TDelaunay* out)
{
    // Every cell is rebuilt below, and every failure clears them all.
    TDelaunay local;
    TDelaunay& d = out ? *out : local;
    d.edges.clear();
    d.tris.clear();
    TVoronoiScratch& sc = d.scratch;
    const size_t n = cells.size();
    std::vector<TPoint>& s = sc.sites;
    s.resize(n);
    for (size_t i = 0; i < n; ++i)
        s[i] = {cells[i].x, cells[i].y};
    if (n < 2 || n > size_t(std::numeric_limits<int16_t>::max()) || !SortSites(s, sc))
        return Fail(cells, "Finding first edge failed!");
    d.edges.reserve(3 * n);
    d.tris.reserve(2 * n);

    TFirstEdge first;
    bool ok;
    if (method == TTriangulation::Reference) {
        if (!ReferenceFirstEdge(s, &first))
            return Fail(cells, "Finding first edge failed!");
        ReferenceFinder f{s, d};
        ok = first.side == 0 || GiftWrap(s, first, f, d);
    } else {
        StrictHull(s, sc);
        if (!FastFirstEdge(s, sc.hull, &first))
            return Fail(cells, "Finding first edge failed!");
        FastFinder f(s, d);
        ok = first.side == 0 || GiftWrap(s, first, f, d);
    }
    if (!ok)
        return Fail(cells, "Finding cell edges failed: a cell has too many neighbours!");

    if (first.side == 0) {
        ChainCollinear(s, sc, d);
        IndexNeighbours(d, n, sc.nbStart, sc.nbList, sc.fill);
    }
    sc.endSlot.assign(n, -1);
    TEndSums sums;
    const TCellBuild b{s, d, field, sc.nbStart, sc.nbList, first.side == 0, sc.endSlot, &sums};
    for (size_t i = 0; i < n; ++i)
        if (!BuildCell(b, int(i), cells[i]))
            return Fail(cells, "Finding cell edges failed: a cell has too many edges!");
    return true;
}
