// Our rasteriser for the vector pictures: the records become one path of
// straight pieces (curves flattened), which is filled by non-zero winding and
// stroked with 1-pixel lines, without antialiasing. The result depends on
// nothing but the numbers, so a cut is the same on every machine.
//
// Lone pixels that the stroke and the fill enclose between them are filled.
//
// Coordinates: image pixels, y down. A pixel (X, Y) is the point (X, Y) of
// the path: a rectangle from (0, 0) to (10, 10) fills pixels 0..9 and its
// stroke adds column 10 and row 10, so the shape covers 0..10 both ways.
#include "cutting/vector_pics.h"

#include "cutting/emf_records.h"

#include <algorithm>
#include <cmath>

namespace {

struct TPathPt { double x = 0, y = 0; };

// One subpath: points first..first+count-1 of the path; closed subpaths
// are stroked back to their start (the fill closes every subpath).
struct TSubPath { size_t first = 0, count = 0; bool closed = false; };

struct TPicPath {
    std::vector<TPathPt> pts;
    std::vector<TSubPath> subs;
};

constexpr int kMaxCurveSteps = 32;
constexpr double kFar = 1e7;  // device coordinates are kept within +-kFar

// Turns path steps into flattened subpaths. A line or curve without a current
// point begins a new subpath at its own first point; after a close, the next
// step begins a new subpath at the closed one's start.
class TPathBuilder {
public:
    explicit TPathBuilder(TPicPath& p) : path_(p) {}
    void MoveTo(TPathPt p)
    {
        path_.subs.push_back({path_.pts.size(), 1, false});
        path_.pts.push_back(p);
        open_ = true;
    }
    void LineTo(TPathPt p)
    {
        if (!Reopen(p))
            return;
        Append(p);
    }
    void CurveTo(TPathPt c1, TPathPt c2, TPathPt e)
    {
        if (!Reopen(c1))
            return;
        const TPathPt s = path_.pts.back();
        const double len = std::hypot(c1.x - s.x, c1.y - s.y) + std::hypot(c2.x - c1.x, c2.y - c1.y) +
                           std::hypot(e.x - c2.x, e.y - c2.y);
        const int steps = std::clamp(int(std::ceil(len / 2.5)), 1, kMaxCurveSteps);
        for (int j = 1; j <= steps; ++j) {
            const double t = double(j) / steps, u = 1 - t;
            const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            Append({a * s.x + b * c1.x + c * c2.x + d * e.x, a * s.y + b * c1.y + c * c2.y + d * e.y});
        }
    }
    void Close()
    {
        if (!open_)
            return;
        path_.subs.back().closed = true;
        open_ = false;
        reopenAt_ = path_.pts[path_.subs.back().first];
        haveStart_ = true;
    }

private:
    // Makes sure a subpath is open; false when none can be (no current point).
    bool Reopen(TPathPt fallback)
    {
        if (open_)
            return true;
        MoveTo(haveStart_ ? reopenAt_ : fallback);
        return true;
    }
    void Append(TPathPt p)
    {
        path_.pts.push_back(p);
        ++path_.subs.back().count;
    }
    TPicPath& path_;
    bool open_ = false;
    bool haveStart_ = false;
    TPathPt reopenAt_;
};

// The records of a stream as path steps in image pixels: bounds mapped onto
// lt-rb, each mapped point truncated to a whole pixel.
void BuildPath(const std::vector<uint8_t>& emf, TPoint lt, TPoint rb, TPicPath* path)
{
    TRect b;
    if (!EmfBounds(emf, &b))
        return;
    const double w = double(b.right) - b.left, h = double(b.bottom) - b.top;
    if (!(w > 0) || !(h > 0))
        return;
    const double sx = (double(rb.x) - lt.x) / w, sy = (double(rb.y) - lt.y) / h;
    const uint8_t* p = emf.data();
    auto map = [&](const TEmfRec& rec, uint32_t k) {
        int32_t x, y;
        EmfGetPoint(p, rec, k, &x, &y);
        return TPathPt{std::clamp(std::trunc(x * sx + lt.x), -kFar, kFar),
                       std::clamp(std::trunc(y * sy + lt.y), -kFar, kFar)};
    };
    TPathBuilder pb(*path);
    size_t pos = 0, points = 0;
    TEmfRec rec;
    while (EmfNextRecord(p, emf.size(), pos, &rec, nullptr) == TEmfStep::Record) {
        points += rec.count;
        if (points > size_t(kPicMaxPoints))
            break;
        const uint32_t t = rec.type;
        if (t == kEmrMoveTo) {
            pb.MoveTo(map(rec, 0));
        } else if (t == kEmrLineTo) {
            pb.LineTo(map(rec, 0));
        } else if (t == kEmrCloseFigure) {
            pb.Close();
        } else if (t == kEmrPolyBezier || t == kEmrPolyBezier16) {
            if (rec.count == 0)
                continue;
            pb.MoveTo(map(rec, 0));
            for (uint32_t k = 1; k + 2 < rec.count; k += 3)
                pb.CurveTo(map(rec, k), map(rec, k + 1), map(rec, k + 2));
        } else if (t == kEmrPolyBezierTo || t == kEmrPolyBezierTo16) {
            for (uint32_t k = 0; k + 2 < rec.count; k += 3)
                pb.CurveTo(map(rec, k), map(rec, k + 1), map(rec, k + 2));
        } else if (t == kEmrPolygon || t == kEmrPolygon16 || t == kEmrPolyline || t == kEmrPolyline16) {
            if (rec.count == 0)
                continue;
            pb.MoveTo(map(rec, 0));
            for (uint32_t k = 1; k < rec.count; ++k)
                pb.LineTo(map(rec, k));
            if (t == kEmrPolygon || t == kEmrPolygon16)
                pb.Close();
        }
    }
}

// ---- Fill --------------------------------------------------------------------------------

struct TFillEdge {
    double y0, y1;     // y0 < y1
    double x0, slope;  // x at y0, dx/dy
    int dir;           // +1 downward in the path, -1 upward
};

void WriteSpan(OMyImage& img, int y, int x0, int x1, uint32_t colour)
{
    uint8_t* px = MyImageGetLineXY(img, x0, y);
    const uint8_t r = uint8_t(colour), g = uint8_t(colour >> 8), b = uint8_t(colour >> 16);
    for (int x = x0; x <= x1; ++x, px += img.iBPP) {
        px[0] = r;
        px[1] = g;
        px[2] = b;
    }
}

void FillPath(OMyImage& img, const TPicPath& path, uint32_t colour)
{
    std::vector<TFillEdge> edges;
    for (const TSubPath& s : path.subs)
        for (size_t i = 0; i < s.count; ++i) {
            const TPathPt a = path.pts[s.first + i], b = path.pts[s.first + (i + 1) % s.count];
            if (a.y == b.y)
                continue;
            const bool down = a.y < b.y;
            const TPathPt& lo = down ? a : b;
            const TPathPt& hi = down ? b : a;
            edges.push_back({lo.y, hi.y, lo.x, (hi.x - lo.x) / (hi.y - lo.y), down ? 1 : -1});
        }
    if (edges.empty())
        return;
    std::sort(edges.begin(), edges.end(), [](const TFillEdge& a, const TFillEdge& b) { return a.y0 < b.y0; });
    double maxY = edges[0].y1;
    for (const TFillEdge& e : edges)
        maxY = std::max(maxY, e.y1);
    const int yFirst = std::max(0, int(std::ceil(edges[0].y0)));
    const int yLast = std::min(img.H - 1, int(std::ceil(maxY)) - 1);
    std::vector<const TFillEdge*> active;
    std::vector<std::pair<double, int>> cross;
    size_t next = 0;
    for (int y = yFirst; y <= yLast; ++y) {
        // An edge covers the rows y0 <= y < y1.
        while (next < edges.size() && edges[next].y0 <= y)
            active.push_back(&edges[next++]);
        std::erase_if(active, [y](const TFillEdge* e) { return e->y1 <= y; });
        cross.clear();
        for (const TFillEdge* e : active)
            cross.emplace_back(e->x0 + (y - e->y0) * e->slope, e->dir);
        std::sort(cross.begin(), cross.end());
        int winding = 0;
        for (size_t i = 0; i + 1 < cross.size(); ++i) {
            winding += cross[i].second;
            if (winding == 0)
                continue;
            // Pixels x with cross[i] <= x < cross[i + 1].
            const int x0 = std::max(0, int(std::ceil(cross[i].first)));
            const int x1 = std::min(img.W - 1, int(std::ceil(cross[i + 1].first)) - 1);
            if (x0 <= x1)
                WriteSpan(img, y, x0, x1, colour);
        }
    }
}

// ---- Stroke ------------------------------------------------------------------------------

// Cuts the segment a-b to the rectangle 0..w-1 x 0..h-1 (Liang-Barsky);
// false when it misses.
bool ClipSegment(TPathPt& a, TPathPt& b, double w, double h)
{
    double t0 = 0, t1 = 1;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x, w - 1 - a.x, a.y, h - 1 - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
        if (t0 > t1)
            return false;
    }
    const TPathPt s = a;
    a = {s.x + t0 * dx, s.y + t0 * dy};
    b = {s.x + t1 * dx, s.y + t1 * dy};
    return true;
}

// Bresenham between rounded ends, both included, inside the image.
void StrokeSegment(OMyImage& img, TPathPt a, TPathPt b, uint32_t colour)
{
    if (!ClipSegment(a, b, img.W, img.H))
        return;
    int x = int(std::lround(a.x)), y = int(std::lround(a.y));
    const int x2 = int(std::lround(b.x)), y2 = int(std::lround(b.y));
    const int dx = std::abs(x2 - x), dy = -std::abs(y2 - y);
    const int sx = x < x2 ? 1 : -1, sy = y < y2 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        if (x >= 0 && y >= 0 && x < img.W && y < img.H)
            WriteSpan(img, y, x, x, colour);
        if (x == x2 && y == y2)
            break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void StrokePath(OMyImage& img, const TPicPath& path, uint32_t colour)
{
    for (const TSubPath& s : path.subs) {
        const size_t segs = s.closed ? s.count : s.count - 1;
        if (s.count == 1)
            StrokeSegment(img, path.pts[s.first], path.pts[s.first], colour);
        for (size_t i = 0; i < segs; ++i)
            StrokeSegment(img, path.pts[s.first + i], path.pts[s.first + (i + 1) % s.count], colour);
    }
}

// ---- Pinholes ----------------------------------------------------------------------------
// Where a stroke runs half a pixel outside the fill's edge, a lone pixel can
// be left enclosed between them. Regions of at most kPinhole pixels of
// another colour, enclosed by the picture within its extent, are filled.

constexpr int kPinhole = 4;

void ClosePinholes(OMyImage& img, const TPicPath& path, uint32_t colour)
{
    double minX = kFar, minY = kFar, maxX = -kFar, maxY = -kFar;
    for (const TPathPt& p : path.pts)
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x), minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    const int x0 = std::max(0, int(minX) - 1), y0 = std::max(0, int(minY) - 1);
    const int x1 = std::min(img.W - 1, int(maxX) + 1), y1 = std::min(img.H - 1, int(maxY) + 1);
    if (x0 > x1 || y0 > y1)
        return;
    const int w = x1 - x0 + 1, h = y1 - y0 + 1;
    std::vector<uint8_t> seen(size_t(w) * size_t(h), 0);  // 1: the picture's colour or looked at
    const uint8_t cr = uint8_t(colour), cg = uint8_t(colour >> 8), cb = uint8_t(colour >> 16);
    for (int y = 0; y < h; ++y) {
        const uint8_t* px = MyImageGetLineXY(img, x0, y0 + y);
        for (int x = 0; x < w; ++x, px += img.iBPP)
            seen[size_t(y) * size_t(w) + size_t(x)] = px[0] == cr && px[1] == cg && px[2] == cb;
    }
    std::vector<std::pair<int, int>> region, stack;
    for (int sy = 1; sy < h - 1; ++sy)
        for (int sx = 1; sx < w - 1; ++sx) {
            if (seen[size_t(sy) * size_t(w) + size_t(sx)])
                continue;
            region.clear();
            stack.assign(1, {sx, sy});
            seen[size_t(sy) * size_t(w) + size_t(sx)] = 1;
            bool open = false;
            while (!stack.empty()) {
                const auto [x, y] = stack.back();
                stack.pop_back();
                region.emplace_back(x, y);
                open = open || x == 0 || y == 0 || x == w - 1 || y == h - 1;
                const int nx[4] = {x - 1, x + 1, x, x}, ny[4] = {y, y, y - 1, y + 1};
                for (int k = 0; k < 4; ++k)
                    if (nx[k] >= 0 && ny[k] >= 0 && nx[k] < w && ny[k] < h &&
                        !seen[size_t(ny[k]) * size_t(w) + size_t(nx[k])]) {
                        seen[size_t(ny[k]) * size_t(w) + size_t(nx[k])] = 1;
                        stack.emplace_back(nx[k], ny[k]);
                    }
            }
            if (!open && region.size() <= size_t(kPinhole))
                for (const auto& [x, y] : region)
                    WriteSpan(img, y0 + y, x0 + x, x0 + x, colour);
        }
}

}  // namespace

void StretchDrawEmf(OMyImage& img, const std::vector<uint8_t>& emf, TPoint lt, TPoint rb, uint32_t colour)
{
    if (!img.pMem || img.W < 1 || img.H < 1)
        return;
    TPicPath path;
    BuildPath(emf, lt, rb, &path);
    FillPath(img, path, colour);
    StrokePath(img, path, colour);
    ClosePinholes(img, path, colour & 0xFFFFFF);
}
