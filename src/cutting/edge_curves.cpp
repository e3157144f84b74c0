// The edge figures and the fitting, checking and drawing of one curve.
#include "cutting/edge_curves.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

std::array<TEdgeFig, kEdgeFigCount> EdgeFigs;

// ---- Figure tables ------------------------------------------------------------------

const TFigPoint xyEdgeFig0VectorStyle[25] = {
    {0, 31}, {11, 32}, {21, 44}, {37, 44}, {47, 45}, {52, 39}, {54, 32}, {55, 17}, {41, 17}, {43, 9},
    {43, 4}, {50, -1}, {64, 0}, {77, -1}, {84, 4}, {84, 9}, {86, 17}, {72, 17}, {73, 32}, {75, 39},
    {80, 45}, {90, 44}, {106, 44}, {116, 32}, {127, 31}};
const TFigPoint xyEdgeClassic1[19] = {
    {0, 31}, {19, 19}, {47, 19}, {42, 31}, {30, 42}, {43, 47}, {53, 47}, {63, 47}, {72, 41}, {64, 31},
    {56, 21}, {65, 15}, {75, 15}, {85, 15}, {98, 20}, {86, 31}, {81, 43}, {109, 43}, {127, 31}};
const TFigPoint xyEdgeClassic2[25] = {
    {0, 31}, {9, 45}, {19, 55}, {33, 59}, {47, 60}, {54, 56}, {52, 50}, {49, 47}, {45, 44}, {46, 40},
    {48, 35}, {55, 30}, {64, 31}, {72, 30}, {79, 35}, {81, 40}, {82, 44}, {78, 47}, {75, 50}, {73, 56},
    {80, 60}, {94, 59}, {108, 55}, {118, 45}, {127, 31}};
const TFigPoint xyEdgeStar1[13] = {
    {0, 31}, {8, 49}, {23, 57}, {34, 58}, {51, 60}, {64, 46}, {64, 31}, {64, 16}, {77, 2}, {94, 4},
    {105, 5}, {120, 13}, {127, 31}};
const TFigPoint xyEdgeStar2[13] = {
    {0, 31}, {8, 49}, {23, 57}, {34, 58}, {51, 60}, {64, 46}, {64, 31}, {69, 22}, {77, 14}, {93, 16},
    {103, 16}, {119, 21}, {127, 31}};
const TFigPoint xyEdgeStar3[13] = {
    {0, 31}, {21, 36}, {23, 49}, {40, 51}, {52, 52}, {62, 45}, {64, 31}, {64, 16}, {77, 2}, {94, 4},
    {105, 5}, {120, 13}, {127, 31}};
const TFigPoint xyEdgeSpiral0[22] = {
    {0, 31}, {25, 31}, {32, 47}, {46, 47}, {63, 47}, {68, 39}, {68, 32}, {69, 21}, {61, 18}, {52, 24},
    {44, 26}, {39, 22}, {38, 17}, {37, 1}, {56, 0}, {62, 0}, {88, 1}, {88, 26}, {98, 29}, {107, 32},
    {118, 32}, {127, 31}};
const TFigPoint xyEdgeSpiral1[19] = {
    {0, 41}, {9, 69}, {30, 79}, {54, 80}, {77, 75}, {85, 61}, {85, 49}, {84, 36}, {73, 31}, {66, 36},
    {57, 36}, {53, 58}, {34, 46}, {14, 22}, {50, 1}, {64, 0}, {92, 0}, {113, 14}, {127, 41}};
const TFigPoint xyEdgeSpiral2[19] = {
    {0, 41}, {16, 43}, {41, 61}, {63, 61}, {85, 60}, {97, 50}, {94, 38}, {93, 30}, {83, 25}, {76, 29},
    {69, 38}, {55, 34}, {56, 25}, {60, 4}, {73, -1}, {90, 0}, {108, 2}, {121, 14}, {127, 41}};
const TFigPoint xyEdgeSpiral3[19] = {
    {0, 31}, {10, 41}, {34, 65}, {59, 60}, {79, 59}, {80, 42}, {80, 41}, {81, 25}, {71, 20}, {59, 18},
    {52, 17}, {38, 24}, {39, 16}, {40, 9}, {50, 1}, {64, 0}, {92, 0}, {113, 14}, {127, 31}};
const TFigPoint xyEdgeLow1[13] = {
    {0, 31}, {9, 32}, {18, 45}, {30, 42}, {43, 43}, {43, 25}, {64, 26}, {84, 25}, {84, 43}, {97, 42},
    {109, 45}, {118, 32}, {127, 31}};
const TFigPoint xyEdgeLow2[7] = {
    {0, 31}, {13, 28}, {33, 18}, {64, 18}, {95, 18}, {113, 28}, {127, 31}};
const TFigPoint xyEdgeLow3[13] = {
    {0, 31}, {8, 41}, {24, 46}, {34, 46}, {50, 48}, {58, 40}, {64, 31}, {69, 22}, {77, 14}, {93, 16},
    {103, 16}, {119, 21}, {127, 31}};
const TFigPoint xyEdgeFig1VectorStyle[13] = {
    {0, 31}, {14, 31}, {24, 27}, {31, 19}, {43, 6}, {48, 0}, {64, 0}, {79, 0}, {84, 6}, {96, 19},
    {103, 27}, {113, 31}, {127, 31}};
const TFigPoint xyEdgeFig2VectorStyle[31] = {
    {0, 31}, {7, 31}, {14, 39}, {21, 40}, {30, 44}, {40, 42}, {40, 35}, {40, 29}, {27, 27}, {34, 16},
    {37, 11}, {44, 9}, {51, 7}, {55, 5}, {58, 6}, {64, 6}, {69, 6}, {72, 5}, {76, 7}, {83, 9},
    {90, 11}, {93, 16}, {100, 27}, {87, 29}, {87, 35}, {87, 42}, {97, 44}, {106, 40}, {113, 39}, {120, 31},
    {127, 31}};
const TFigPoint xyEdgeFig3VectorStyle[37] = {
    {0, 31}, {6, 31}, {15, 36}, {35, 35}, {44, 33}, {45, 34}, {53, 30}, {53, 26}, {53, 23}, {53, 20},
    {46, 18}, {43, 15}, {43, 10}, {43, 2}, {52, 0}, {59, 0}, {61, 0}, {62, 0}, {64, 0}, {65, 0},
    {66, 0}, {68, 0}, {75, 0}, {84, 2}, {84, 10}, {84, 15}, {81, 18}, {74, 20}, {74, 23}, {74, 26},
    {74, 30}, {82, 34}, {83, 33}, {92, 35}, {112, 36}, {121, 31}, {127, 31}};


namespace {

struct TFigSource { const TFigPoint* points; int count; };

const TFigSource kFigSources[kEdgeFigCount] = {
    {xyEdgeFig0VectorStyle, 25}, {xyEdgeClassic1, 19}, {xyEdgeClassic2, 25}, {xyEdgeStar1, 13},
    {xyEdgeStar2, 13}, {xyEdgeStar3, 13}, {xyEdgeSpiral0, 22}, {xyEdgeSpiral1, 19},
    {xyEdgeSpiral2, 19}, {xyEdgeSpiral3, 19}, {xyEdgeLow1, 13}, {xyEdgeLow2, 7},
    {xyEdgeLow3, 13}, {xyEdgeFig1VectorStyle, 13}, {xyEdgeFig2VectorStyle, 31}, {xyEdgeFig3VectorStyle, 37},
};

constexpr int kMaxSteps = 150;  // samples a Bezier segment at most (plus one)

}  // namespace

void InitEdgeFigs()
{
    for (int f = 0; f < kEdgeFigCount; ++f)
        SetEdgeFig(EdgeFigs[size_t(f)], kFigSources[f].points, kFigSources[f].count);
}

void SetEdgeFig(TEdgeFig& fig, const TFigPoint* points, int count)
{
    assert(count >= 1 && count <= kEdgeFigMaxPoints);
    fig = TEdgeFig{};
    for (int i = 0; i < count; ++i)
        fig.points[size_t(i)] = points[i];
    fig.byteCount = 8 * count;
    fig.pointCount = count;
    fig.width = Round(fig.points[size_t(count - 1)].x);
    fig.baseLine = Round(fig.points[0].y);
    // Only the on-curve points (every third) bound the figure.
    float minY = fig.points[0].y, maxY = fig.points[0].y;
    for (int i = 0; i < count; i += 3) {
        minY = std::fmin(minY, fig.points[size_t(i)].y);
        maxY = std::fmax(maxY, fig.points[size_t(i)].y);
    }
    fig.above = fig.baseLine - Round(minY) + 1;
    fig.below = Round(maxY) - fig.baseLine + 1;
}

// ---- Small geometry -------------------------------------------------------------------

int GetBinomialCoefficient(int n, int k)
{
    assert(n >= 0 && k >= 0 && k <= n && n <= 12);
    int num = 1, den = 1;
    for (int i = 1; i <= k; ++i) {
        num *= n - k + i;
        den *= i;
    }
    return num / den;
}

bool LinesOverlap(TPoint p1, TPoint p2, TPoint p3, TPoint p4, int* x, int* y)
{
    // a1 x + b1 y = c1 and a2 x + b2 y = c2
    const double a1 = double(p2.y) - p1.y, b1 = double(p1.x) - p2.x, c1 = a1 * p1.x + b1 * p1.y;
    const double a2 = double(p4.y) - p3.y, b2 = double(p3.x) - p4.x, c2 = a2 * p3.x + b2 * p3.y;
    const double det = a1 * b2 - a2 * b1;
    if (det == 0)
        return false;
    *x = Round((c1 * b2 - c2 * b1) / det);
    *y = Round((a1 * c2 - a2 * c1) / det);
    return true;
}

TCurveFrame CurveFrame(TPoint A, TPoint B, bool side)
{
    TCurveFrame f;
    const bool steep = std::abs(B.y - A.y) > std::abs(B.x - A.x);
    const bool aFirst = steep ? A.y < B.y : A.x < B.x;  // on equal values P is the second end
    f.P = aFirst ? A : B;
    f.Q = aFirst ? B : A;
    const double dx = f.Q.x - f.P.x, dy = f.Q.y - f.P.y;
    f.len = std::hypot(dx, dy);
    if (f.len == 0)
        return f;
    f.ex = dx / f.len;
    f.ey = dy / f.len;
    f.nx = side ? f.ey : -f.ey;
    f.ny = side ? -f.ex : f.ex;
    return f;
}

double LimitApexToImage(const TCurveFrame& f, double h, bool side, int imageW, int imageH)
{
    const TPoint M{(f.P.x + f.Q.x) / 2, (f.P.y + f.Q.y) / 2};
    const TPoint apex{Round(M.x + h * f.nx), Round(M.y + h * f.ny)};
    TPoint p3, p4;
    if (side && apex.y < 0) {
        p3 = {0, 2}; p4 = {1, 2};
    } else if (side && apex.x >= imageW) {
        p3 = {imageW - 2, 0}; p4 = {imageW - 2, 1};
    } else if (!side && apex.y >= imageH) {
        p3 = {0, imageH - 2}; p4 = {1, imageH - 2};
    } else if (!side && apex.x < 0) {
        p3 = {2, 0}; p4 = {2, 1};
    } else {
        return h;
    }
    int x, y;
    if (!LinesOverlap(M, apex, p3, p4, &x, &y))
        return h;
    return CalcDist(M.x, M.y, x, y);
}

void TransformFigure(const TEdgeFig& fig, bool flip, const TCurveFrame& f, double h, TDPoint* out, int* n)
{
    const double sx = f.len / fig.width, sy = h / fig.baseLine;
    const int count = fig.pointCount;
    for (int i = 0; i < count; ++i) {
        // Mirroring reverses the order and turns x into width - x.
        const TFigPoint& q = fig.points[size_t(flip ? count - 1 - i : i)];
        const double x = flip ? float(fig.width) - q.x : q.x;
        const double u = (float(fig.baseLine) - q.y) * sy, v = x * sx;
        out[i] = {f.P.x + v * f.ex + u * f.nx, f.P.y + v * f.ey + u * f.ny};
    }
    *n = count;
}

// ---- Sampling ---------------------------------------------------------------------------
// Segment i of a chain uses points 3i .. 3i+3; its samples run from the last
// control point (t = 0) to the first, s + 1 of them with s = chord / 3.

namespace {

// Round (halves away from zero) without a library call: the fraction after
// truncation is exact, so this agrees with it for every sample coordinate.
inline int RoundFast(double v)
{
    const int t = int(v);
    const double f = v - t;
    return t + (f >= 0.5) - (f <= -0.5);
}

int SampleSegment(const TDPoint* p, TPoint* out, double c1, double c2)
{
    const double cx = p[3].x - p[0].x, cy = p[3].y - p[0].y;
    const int s = std::clamp(RoundFast(std::sqrt(cx * cx + cy * cy) / 3), 1, kMaxSteps);
    for (int j = 0; j <= s; ++j) {
        const double t = double(j) / s, u = 1 - t;
        // C(3, k) (1 - t)^k t^(3 - k) for k = 0..3
        const double w0 = t * t * t, w1 = c1 * u * t * t, w2 = c2 * u * u * t, w3 = u * u * u;
        out[j] = {RoundFast(w0 * p[0].x + w1 * p[1].x + w2 * p[2].x + w3 * p[3].x),
                  RoundFast(w0 * p[0].y + w1 * p[1].y + w2 * p[2].y + w3 * p[3].y)};
    }
    return s + 1;
}

// Every segment's samples of a chain, sampled once for checking and drawing.
struct TChainSamples {
    static constexpr int kMaxSegments = (kEdgeFigMaxPoints - 1) / 3;
    explicit TChainSamples(std::vector<TPoint>& b) : buf(b) {}
    std::vector<TPoint>& buf;
    int start[kMaxSegments + 1];
    int segments = 0;

    void Sample(const TDPoint* points, int n)
    {
        segments = (n - 1) / 3;
        if (buf.size() < size_t(segments) * (kMaxSteps + 1))
            buf.resize(size_t(segments) * (kMaxSteps + 1));
        start[0] = 0;
        const double c1 = GetBinomialCoefficient(3, 1), c2 = GetBinomialCoefficient(3, 2);
        for (int i = 0; i < segments; ++i)
            start[i + 1] = start[i] + SampleSegment(points + 3 * i, buf.data() + start[i], c1, c2);
    }
    const TPoint* Segment(int i) const { return buf.data() + start[i]; }
    int Count(int i) const { return start[i + 1] - start[i]; }
};

// MyImageDrawLine's pixels for segments inside a 4-byte image, written
// without a call per pixel; other segments go to MyImageDrawLine itself.
void DrawPolyline(OMyImage& img, const TPoint* pts, int n, uint32_t colour)
{
    const uint32_t c = colour & 0xFFFFFF;
    auto put = [&](int x, int y) {
        uint8_t* p = MyImageGetLineXY(img, x, y);
        uint32_t v;
        std::memcpy(&v, p, 4);
        v = (v & 0xFF000000u) | c;
        std::memcpy(p, &v, 4);
    };
    auto inside = [&](TPoint q) { return q.x >= 0 && q.y >= 0 && q.x < img.W && q.y < img.H; };
    for (int i = 0; i + 1 < n; ++i) {
        const TPoint a = pts[i], b = pts[i + 1];
        if (img.iBPP != 4 || !inside(a) || !inside(b)) {
            MyImageDrawLine(img, a.x, a.y, b.x, b.y, colour);
            continue;
        }
        // Bresenham from a to b, both ends included, 45 degrees the steep way
        // (the straight runs of MyImageDrawLine are the same pixels here).
        const int dx = std::abs(b.x - a.x), dy = std::abs(b.y - a.y);
        const int sx = b.x >= a.x ? 1 : -1, sy = b.y >= a.y ? 1 : -1;
        int x = a.x, y = a.y;
        put(x, y);
        if (2 * dx <= 2 * dy) {
            for (int d = 2 * dx - dy; y != b.y;) {
                y += sy;
                if (d >= 0) {
                    x += sx;
                    d -= 2 * dy;
                }
                d += 2 * dx;
                put(x, y);
            }
        } else {
            for (int d = 2 * dy - dx; x != b.x;) {
                if (d >= 0) {
                    y += sy;
                    d -= 2 * dx;
                }
                x += sx;
                d += 2 * dy;
                put(x, y);
            }
        }
    }
}

}  // namespace

void DrawBezier(OMyImage& img, const TDPoint* points, int n, uint32_t colour)
{
    std::vector<TPoint> buf;
    TChainSamples cs(buf);
    cs.Sample(points, n);
    for (int i = 0; i < cs.segments; ++i)
        DrawPolyline(img, cs.Segment(i), cs.Count(i), colour);
}

// ---- Checking ---------------------------------------------------------------------------

namespace {

struct TCheck {
    const TCurveField& cf;
    TPoint A, B;
    int d;          // ends exemption: within d of A or B in both coordinates
    int clearance;  // straight steps
    int diag;       // diagonal steps

    bool NearEnd(int x, int y) const
    {
        return (std::abs(x - A.x) <= d && std::abs(y - A.y) <= d) ||
               (std::abs(x - B.x) <= d && std::abs(y - B.y) <= d);
    }
    bool InField(int x, int y) const { return x >= cf.fL && x <= cf.fR && y >= cf.fT && y <= cf.fB; }
    static bool White(const uint8_t* p)
    {
        uint32_t v;
        std::memcpy(&v, p, 4);  // the mask has 4 bytes a pixel
        return (v & 0xFFFFFF) == 0xFFFFFF;
    }
    // Every pixel 1..steps away in direction (dx, dy), up to the field's
    // edge, is white unless it is near an end.
    bool ClearAlong(TPoint p, int dx, int dy, int steps) const
    {
        for (int k = 1; k <= steps; ++k) {
            const int x = p.x + k * dx, y = p.y + k * dy;
            if (!InField(x, y))
                return true;
            if (!NearEnd(x, y) && !White(MyImageGetLineXY(*cf.img, x, y)))
                return false;
        }
        return true;
    }
    // The clearance zone of sample p: the straight and diagonal spokes.
    bool Clear(TPoint p) const
    {
        const int reach = std::max(clearance, diag);
        // Away from the field's edges and the ends' exemptions (the usual
        // case), the spokes are read straight from memory.
        if (p.x - reach > cf.fL && p.x + reach < cf.fR && p.y - reach > cf.fT && p.y + reach < cf.fB &&
            (std::abs(p.x - A.x) > d + reach || std::abs(p.y - A.y) > d + reach) &&
            (std::abs(p.x - B.x) > d + reach || std::abs(p.y - B.y) > d + reach)) {
            const uint8_t* c = MyImageGetLineXY(*cf.img, p.x, p.y);
            const ptrdiff_t bpp = cf.img->iBPP, bpl = cf.img->iBPL;
            for (int k = 1; k <= clearance; ++k)
                if (!White(c - k * bpp) || !White(c + k * bpp) || !White(c - k * bpl) || !White(c + k * bpl))
                    return false;
            for (int k = 1; k <= diag; ++k)
                if (!White(c - k * (bpl + bpp)) || !White(c - k * (bpl - bpp)) || !White(c + k * (bpl + bpp)) ||
                    !White(c + k * (bpl - bpp)))
                    return false;
            return true;
        }
        return ClearAlong(p, -1, 0, clearance) && ClearAlong(p, 1, 0, clearance) && ClearAlong(p, 0, -1, clearance) &&
               ClearAlong(p, 0, 1, clearance) && ClearAlong(p, -1, -1, diag) && ClearAlong(p, 1, -1, diag) &&
               ClearAlong(p, 1, 1, diag) && ClearAlong(p, -1, 1, diag);
    }
};

// S lies on the line through the two samples (or the samples repeat).
bool OnLine(TPoint q, TPoint p, TPoint s)
{
    return int64_t(q.y - s.y) * (p.x - q.x) == int64_t(q.x - s.x) * (p.y - q.y);
}

bool CheckSamples(const TCurveField& cf, const TChainSamples& cs, TPoint A, TPoint B, int clearance, TRect* outRect,
                  TPoint S, TPoint N)
{
    assert(cf.img->iBPP == 4);
    const TCheck c{cf, A, B, cf.tileS / 10, clearance, Round(clearance / std::sqrt(2.0))};
    const bool hasN = !(N == kNoSite);
    for (int i = 0; i < cs.segments; ++i) {
        const TPoint* samples = cs.Segment(i);
        const int count = cs.Count(i);
        for (int j = 0; j < count; ++j) {
            const TPoint p = samples[j];
            outRect->left = imin(outRect->left, p.x);
            outRect->top = imin(outRect->top, p.y);
            outRect->right = imax(outRect->right, p.x);
            outRect->bottom = imax(outRect->bottom, p.y);
            if (!c.InField(p.x, p.y))
                return false;
            if (c.NearEnd(p.x, p.y))
                continue;
            if (j > 0 && (OnLine(samples[j - 1], p, S) || (hasN && OnLine(samples[j - 1], p, N))))
                return false;
            if (!c.Clear(p))
                return false;
        }
    }
    return true;
}

}  // namespace

bool CheckBezier(const TCurveField& cf, const TDPoint* points, int n, TPoint A, TPoint B, int clearance,
                 TRect* outRect, TPoint S, TPoint N)
{
    TChainSamples cs(cf.samples);
    cs.Sample(points, n);
    return CheckSamples(cf, cs, A, B, clearance, outRect, S, N);
}

// ---- Fitting ------------------------------------------------------------------------------

// The figure's height lowered so that its extents fit the rooms on the two
// sides (the room the normal points to first). False for a room of 0 or a
// height that vanishes: no tab fits there.
static bool FitHeightToRooms(const TEdgeFig& fig, double scale, bool side, double room1, double room2, double* h)
{
    const double rAbove = side ? room1 : room2, rBelow = side ? room2 : room1;
    if (rAbove == -1 || rBelow == -1)
        return true;
    if (rAbove <= 0 || rBelow <= 0)
        return false;
    const double eAbove = fig.above * scale, eBelow = fig.below * scale;
    const bool overAbove = eAbove + 1 > rAbove, overBelow = eBelow + 1 > rBelow;
    // The fit only ever shrinks a figure. Where a side reaches less than a
    // pixel beyond the base line (eAbove or eBelow below 1), h * r / e would
    // grow the tab many times over, far past the room it was meant to respect.
    double fitted = *h;
    if (overAbove && overBelow) {
        if (eAbove / rAbove > eBelow / rBelow)
            fitted = *h * rAbove / eAbove - 1;
        else
            fitted = *h * rBelow / eBelow - 1;
    } else if (overAbove) {
        fitted = *h * rAbove / eAbove - 1;
    } else if (overBelow) {
        fitted = *h * rBelow / eBelow - 1;
    }
    *h = std::min(*h, fitted);
    return *h > 0;
}

bool DrawRotCurve(const TCurveField& cf, bool roomLimit, bool side, int figure, bool flip, TPoint A, TPoint B,
                  uint32_t colour, int clearance, TRect* outRect, TPoint S, TPoint N, double room1, double room2)
{
    assert(figure >= 0 && figure < kEdgeFigCount && cf.img && cf.img->pMem);
    *outRect = MakeTRect(10000, 10000, -10000, -10000);
    const TCurveFrame f = CurveFrame(A, B, side);
    if (f.len == 0)
        return true;
    const TEdgeFig& fig = EdgeFigs[size_t(figure)];
    double h = cf.maskOfs;
    if (roomLimit) {
        const double scale = f.len / fig.width;
        h = fig.baseLine * scale;
        if (!FitHeightToRooms(fig, scale, side, room1, room2, &h))
            return false;
    }
    h = LimitApexToImage(f, h, side, cf.img->W, cf.img->H);
    TDPoint pts[kEdgeFigMaxPoints];
    int n = 0;
    TransformFigure(fig, flip, f, h, pts, &n);
    TChainSamples cs(cf.samples);
    cs.Sample(pts, n);
    if (clearance != -1 && !CheckSamples(cf, cs, A, B, clearance, outRect, S, N))
        return false;
    for (int i = 0; i < cs.segments; ++i)
        DrawPolyline(*cf.img, cs.Segment(i), cs.Count(i), colour);
    MyImageSetPixel(*cf.img, f.P.x, f.P.y, colour);
    return true;
}
