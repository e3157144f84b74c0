#include "cutting/cut_test_support.h"

#include "cutting/emf_records.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>

std::vector<TPoint> JitteredGridSites(int w, int h, int C, int R, int border, uint32_t seed, TMyRect* field)
{
    TJigParams p;
    p.ImageW = w;
    p.ImageH = h;
    p.BorderStyle = uint8_t(border);
    const int frame = border ? 2 * kFrameWidth : 0;
    p.TileS = std::min((w - frame) / C, (h - frame) / R);
    p.TilePX = C;
    p.TilePY = R;
    p.TileNum = p.TotalTileNum = C * R;
    std::vector<TJig> jigs(size_t(C * R + 1));
    TCutWork work(p, jigs);
    std::vector<TPoint> sites;
    if (!CutSetUp(work))
        return sites;
    SRand(seed);
    if (!CutPlaceSites(work))
        return sites;
    for (const TVorCell& c : work.cells)
        sites.push_back({c.x, c.y});
    *field = work.field;
    return sites;
}

std::vector<TPoint> RandomSites(const TMyRect& field, int n, uint32_t seed)
{
    SRand(seed);
    std::set<std::pair<int, int>> seen;
    std::vector<TPoint> sites;
    while (int(sites.size()) < n) {
        const TPoint p{field.L + 1 + MyRandom(field.W - 2), field.T + 1 + MyRandom(field.H - 2)};
        if (seen.insert({p.x, p.y}).second)
            sites.push_back(p);
    }
    return sites;
}

std::vector<TPoint> LatticeSites(int x0, int y0, int cols, int rows, int step)
{
    std::vector<TPoint> sites;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            sites.push_back({x0 + c * step, y0 + r * step});
    return sites;
}

std::vector<TVorCell> CellsFor(const std::vector<TPoint>& sites)
{
    std::vector<TVorCell> cells(sites.size());
    for (size_t i = 0; i < sites.size(); ++i) {
        cells[i].x = sites[i].x;
        cells[i].y = sites[i].y;
    }
    return cells;
}

namespace {

void Put32(std::vector<uint8_t>& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

bool Near(double ax, double ay, double bx, double by) { return std::fabs(ax - bx) < 1e-6 && std::fabs(ay - by) < 1e-6; }

// Even-odd test over the cell's edges (an unordered closed polygon).
bool Inside(const TVorCell& c, double px, double py)
{
    bool in = false;
    for (int e = 0; e < c.edgeNum; ++e) {
        const TVorEdge& E = c.edges[size_t(e)];
        if (E.y1 == E.y2 || py < E.y1 || py >= E.y2)
            continue;
        const double x = E.x1 + (py - E.y1) * (E.x2 - E.x1) / (E.y2 - E.y1);
        if (x > px)
            in = !in;
    }
    return in;
}

}  // namespace

std::string CheckPartition(const std::vector<TVorCell>& cells, const TMyRect& field)
{
    std::ostringstream err;
    const int n = int(cells.size());
    std::vector<TMyRect> boxes(static_cast<size_t>(n));
    for (int i = 0; i < n && err.str().empty(); ++i) {
        const TVorCell& c = cells[size_t(i)];
        if (c.edgeNum < 2)
            err << "cell " << i << " has " << c.edgeNum << " edges";
        for (int e = 0; e < c.edgeNum; ++e) {
            const TVorEdge& E = c.edges[size_t(e)];
            MyRectIncScope(boxes[size_t(i)], int(std::floor(std::min(E.x1, E.x2))), int(std::floor(E.y1)),
                           int(std::ceil(std::max(E.x1, E.x2))), int(std::ceil(E.y2)));
            if (Near(E.x1, E.y1, E.x2, E.y2))
                continue;  // a zero-length edge closes nothing
            for (int end = 0; end < 2; ++end) {
                const double x = end ? E.x2 : E.x1, y = end ? E.y2 : E.y1;
                bool joined = false;
                for (int k = 0; k < c.edgeNum && !joined; ++k) {
                    const TVorEdge& O = c.edges[size_t(k)];
                    joined = k != e && (Near(x, y, O.x1, O.y1) || Near(x, y, O.x2, O.y2));
                }
                if (!joined)
                    err << "cell " << i << " is open at (" << x << ", " << y << ")";
            }
            if (E.nb >= 0) {
                const TVorCell& o = cells[size_t(E.nb)];
                bool back = false;
                for (int k = 0; k < o.edgeNum && !back; ++k)
                    back = o.edges[size_t(k)].nb == i;
                if (!back)
                    err << "cell " << E.nb << " does not name its neighbour " << i;
            }
        }
        if (err.str().empty() && !Inside(c, c.x + 0.013, c.y + 0.007))
            err << "site of cell " << i << " lies outside it";
    }
    if (!err.str().empty())
        return err.str();
    const int step = std::max(1, std::min(field.W, field.H) / 150);
    for (int y = field.T; y < field.B; y += step)
        for (int x = field.L; x < field.R; x += step) {
            const double px = x + 0.3141, py = y + 0.2718;
            int owner = -1, count = 0;
            for (int i = 0; i < n; ++i)
                if (MyRectIsCoordsIn(x, y, boxes[size_t(i)]) && Inside(cells[size_t(i)], px, py)) {
                    owner = i;
                    ++count;
                }
            if (count != 1) {
                err << "point (" << px << ", " << py << ") lies in " << count << " cells";
                return err.str();
            }
            double best = 1e300;
            for (const TVorCell& c : cells)
                best = std::min(best, (c.x - px) * (c.x - px) + (c.y - py) * (c.y - py));
            const TVorCell& o = cells[size_t(owner)];
            if ((o.x - px) * (o.x - px) + (o.y - py) * (o.y - py) > best + 1e-6) {
                err << "point (" << px << ", " << py << ") lies in cell " << owner << ", not its nearest";
                return err.str();
            }
        }
    return err.str();
}

std::string CompareCells(const std::vector<TVorCell>& a, const std::vector<TVorCell>& b)
{
    if (a.size() != b.size())
        return "different cell counts";
    for (size_t i = 0; i < a.size(); ++i) {
        const TVorCell &p = a[i], &q = b[i];
        bool same = p.x == q.x && p.y == q.y && p.dx == q.dx && p.dy == q.dy && p.edgeNum == q.edgeNum &&
                    p.triNum == q.triNum;
        for (int e = 0; same && e < p.edgeNum; ++e) {
            const TVorEdge &E = p.edges[size_t(e)], &F = q.edges[size_t(e)];
            same = E.x1 == F.x1 && E.y1 == F.y1 && E.x2 == F.x2 && E.y2 == F.y2 && E.nb == F.nb;
        }
        for (int t = 0; same && t < p.triNum; ++t)
            same = p.tris[size_t(t)] == q.tris[size_t(t)];
        if (!same)
            return StrFormat("cell %zu differs: edges %d / %d, triangles %d / %d", i, p.edgeNum, q.edgeNum, p.triNum,
                             q.triNum);
    }
    return {};
}

OMyImagePtr MakeTestPicture(int w, int h, uint32_t seed)
{
    OMyImagePtr img = MyImageCreateExt(w, h, true);
    uint32_t noise = seed * 2654435761u + 1;
    for (int y = 0; y < h; ++y) {
        uint8_t* p = MyImageGetLineXY(*img, 0, y);
        for (int x = 0; x < w; ++x, p += 4) {
            noise = noise * 1664525u + 1013904223u;
            p[0] = uint8_t((x * 255) / std::max(1, w - 1));
            p[1] = uint8_t((y * 255) / std::max(1, h - 1));
            p[2] = uint8_t(noise >> 24);
            p[3] = 255;
        }
    }
    return img;
}

OMyImagePtr WhiteImage(int w, int h, bool alpha)
{
    OMyImagePtr img = MyImageCreateExt(w, h, alpha);
    MyImageFillRect(*img, 0, 0, w, h, kMaskWhite);
    return img;
}

PixelSet PixelsOf(const OMyImage& img, uint32_t colour)
{
    PixelSet out;
    for (int y = 0; y < img.H; ++y)
        for (int x = 0; x < img.W; ++x)
            if (MyImageGetPixel(img, x, y) == colour)
                out.insert({x, y});
    return out;
}

int CountColour(const OMyImage& img, uint32_t colour) { return int(PixelsOf(img, colour).size()); }

int FrameRingStrays(const OMyImage& masks)
{
    int stray = 0;
    for (int y = 0; y < masks.H; ++y)
        for (int x = 0; x < masks.W; ++x)
            if (x < kFrameWidth || y < kFrameWidth || x >= masks.W - kFrameWidth || y >= masks.H - kFrameWidth)
                stray += MyImageGetPixel(masks, x, y) != MaskCodeColor(cFrameColor);
    return stray;
}

TJigParams CutParams(int w, int h, int level, int style, int border, bool rotate)
{
    TJigParams p;
    p.ImageW = w;
    p.ImageH = h;
    p.ShapeStyle = uint8_t(style);
    p.BorderStyle = uint8_t(border);
    p.Rotate = rotate ? 1 : 0;
    FillMaskParams(w, h, style, border);
    SetJigParamsFromLevel(p, w, h, level);
    return p;
}

TCutStatus RunCut(TJigParams& p, std::vector<TJig>& jigs, OMyImagePtr& masks, uint32_t seed)
{
    jigs.assign(size_t(p.TotalTileNum) + 1, TJig{});
    SRand(seed);
    p.GameSeed = int32_t(seed);
    return CreateMasksForVoronoiStyle(p, jigs, masks);
}

Emf::Emf(int w, int h)
{
    Record(kEmrHeader, {0, 0, uint32_t(w), uint32_t(h), 0, 0, 100, 100, 0x464D4520u, 0x10000u, 0, 0, 0, 0, 0, 0,
                        0, 0, 0, 0});
}

Emf& Emf::Record(uint32_t type, const std::vector<uint32_t>& body)
{
    Put32(bytes, type);
    Put32(bytes, uint32_t(8 + 4 * body.size()));
    for (uint32_t v : body)
        Put32(bytes, v);
    return *this;
}

Emf& Emf::Poly(uint32_t type, const std::vector<Pt>& pts, bool b16)
{
    std::vector<uint32_t> body{0, 0, 0, 0, uint32_t(pts.size())};
    if (b16) {
        for (const Pt& p : pts)
            body.push_back((uint32_t(p.x) & 0xFFFF) | uint32_t(p.y) << 16);
        return Record(type + 83, body);
    }
    for (const Pt& p : pts) {
        body.push_back(uint32_t(p.x));
        body.push_back(uint32_t(p.y));
    }
    return Record(type, body);
}

std::vector<uint8_t> PicDataFile(const std::vector<PicEntry>& entries)
{
    std::vector<uint8_t> out{'T', 'E', 'S', 'T', 'P', 'I', 'C', 'S'};
    Put32(out, uint32_t(entries.size()));
    out.resize(out.size() + 40 * entries.size(), 0);
    for (size_t i = 0; i < entries.size(); ++i) {
        const size_t e = 12 + 40 * i;
        EmfPutI32(&out[e], int32_t(out.size()));
        EmfPutI32(&out[e + 4], int32_t(entries[i].emf.size()));
        EmfPutI32(&out[e + 8], entries[i].w);
        EmfPutI32(&out[e + 12], entries[i].h);
        out[e + 32] = entries[i].mirrorTB;
        out[e + 33] = entries[i].mirrorLR;
        out.insert(out.end(), entries[i].emf.begin(), entries[i].emf.end());
    }
    return out;
}

std::vector<uint8_t> SquareEmf(int w, bool b16)
{
    return Emf(w, w).Poly(kEmrPolygon, {{0, 0}, {w, 0}, {w, w}, {0, w}}, b16).Record(kEmrEof, {0, 16, 20}).bytes;
}

std::string CheckPieceOwnership(const OMyImage& masks, const std::vector<TJig>& jigs, int count, bool tight)
{
    std::vector<int> area(size_t(count), 0);
    std::vector<TMyRect> extent(static_cast<size_t>(count));
    std::vector<std::vector<int>> byCode(256);
    for (int i = 0; i < count; ++i)
        byCode[jigs[size_t(i)].MaskColor].push_back(i);
    for (int y = 0; y < masks.H; ++y)
        for (int x = 0; x < masks.W; ++x) {
            const uint32_t v = MyImageGetPixel(masks, x, y);
            if (v == 0xFFFFFF)
                return StrFormat("white pixel at %d,%d", x, y);
            int owners = 0, owner = -1;
            for (int i : byCode[(v >> 16) & 0xFF]) {
                const TJig& j = jigs[size_t(i)];
                if (v == MaskCodeColor(j.MaskColor) && x >= j.HomeX && x < j.HomeX + j.W && y >= j.HomeY &&
                    y < j.HomeY + j.H)
                    ++owners, owner = i;
            }
            if (owners != 1)
                return StrFormat("pixel %d,%d lies in %d boxes of its code", x, y, owners);
            ++area[size_t(owner)];
            MyRectIncScope(extent[size_t(owner)], x, y, x, y);
        }
    for (int i = 0; i < count; ++i) {
        if (area[size_t(i)] == 0)
            return StrFormat("piece %d has no pixel", i);
        const TJig& j = jigs[size_t(i)];
        if (tight && !(extent[size_t(i)] == vMyRectInitWH(j.HomeX, j.HomeY, j.W, j.H)))
            return StrFormat("piece %d: its box is not the extent of its pixels", i);
    }
    return {};
}
