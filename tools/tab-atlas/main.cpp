// zivra-tab-atlas: draws the grid styles' tab atlas, resources/fig0-gray.gif,
// from the vector figures 0..5, in the layout the cut reads (vector_style.h).
//
//   zivra-tab-atlas OUT.gif
//
// For every edge length L = 19..47 and figure, the tab is the Bezier figure
// drawn as the cut draws it on a horizontal edge of length L with the height
// the level table gives a tile of L + 1 pixels (the tile whose cells have
// such edges). Side 0 of a tab is read from the band's first row, side 1 from
// the row below, so both are stored in the same pixels one row apart (Green
// for side 0, Red for side 1). That only works if no column of a tab holds
// two pixels one above the other; so each tab is redrawn as a path that
// never steps straight up or down (steep stretches become a zigzag over two
// columns), every pixel within one pixel of the Bezier drawing and every
// pixel of the drawing within one pixel of the path, from the edge's first
// pixel to its last. An 8-connected path still closes both cells against a
// 4-connected fill.
//
// Output is deterministic; the search below fails loudly rather than write a
// tab that does not meet those rules.
#include "cutting/cutting.h"
#include "cutting/edge_curves.h"
#include "cutting/vector_style.h"
#include "gif_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

struct Px {
    int x, y;  // along the edge from P; across it, toward the tab (y > 0)
    bool operator<(const Px& o) const { return x != o.x ? x < o.x : y < o.y; }
    bool operator==(const Px& o) const { return x == o.x && y == o.y; }
};

int Cheb(Px a, Px b) { return std::max(std::abs(a.x - b.x), std::abs(a.y - b.y)); }

int TabHeight(int L)
{
    TMaskParam row;
    FillMaskParam(row, 4000, 4000, L + 1, 4, 0);
    return row.MaskOfs;
}

// ---- The Bezier drawing ------------------------------------------------------------------

// The pixels of one line as the mask's line drawer writes them, in drawing order.
std::vector<Px> LinePixels(Px a, Px b)
{
    std::vector<Px> out{a};
    const int dx = std::abs(b.x - a.x), dy = std::abs(b.y - a.y);
    const int sx = b.x >= a.x ? 1 : -1, sy = b.y >= a.y ? 1 : -1;
    int x = a.x, y = a.y;
    if (2 * dx <= 2 * dy) {
        int d = 2 * dx - dy;
        while (y != b.y) {
            y += sy;
            if (d >= 0) {
                x += sx;
                d -= 2 * dy;
            }
            d += 2 * dx;
            out.push_back({x, y});
        }
    } else {
        int d = 2 * dy - dx;
        while (x != b.x) {
            if (d >= 0) {
                y += sy;
                d -= 2 * dx;
            }
            x += sx;
            d += 2 * dy;
            out.push_back({x, y});
        }
    }
    return out;
}

// The figure drawn on a horizontal edge from (0, 0) to (L, 0) on side 0 (the
// tab toward +y), as an ordered pixel path from the first end to the last;
// its pixel set is exactly what DrawBezier writes plus the first end.
std::vector<Px> BezierPath(int fig, int L, int h)
{
    const TCurveFrame f = CurveFrame({0, 0}, {L, 0}, false);
    TDPoint pts[kEdgeFigMaxPoints];
    int n = 0;
    TransformFigure(EdgeFigs[size_t(fig)], false, f, h, pts, &n);
    std::vector<Px> path{{0, 0}};
    for (int i = 0; i < (n - 1) / 3; ++i) {
        const TDPoint* p = pts + 3 * i;
        const int s = std::clamp(Round(std::hypot(p[3].x - p[0].x, p[3].y - p[0].y) / 3), 1, 150);
        std::vector<Px> samples;  // from the segment's end to its start, as drawn
        for (int j = 0; j <= s; ++j) {
            const double t = double(j) / s, u = 1 - t;
            const double w[4] = {t * t * t, 3 * u * t * t, 3 * u * u * t, u * u * u};
            double x = 0, y = 0;
            for (int k = 0; k < 4; ++k)
                x += w[k] * p[k].x, y += w[k] * p[k].y;
            samples.push_back({Round(x), Round(y)});
        }
        std::vector<Px> seg;
        for (size_t j = 0; j + 1 < samples.size(); ++j) {
            const std::vector<Px> line = LinePixels(samples[j], samples[j + 1]);
            seg.insert(seg.end(), line.begin(), line.end());
        }
        if (samples.size() == 1)
            seg.push_back(samples[0]);
        for (auto it = seg.rbegin(); it != seg.rend(); ++it)
            if (!(*it == path.back()))
                path.push_back(*it);
    }
    return path;
}

// ---- The path without vertical steps ---------------------------------------------------------

struct Search {
    std::vector<Px> ref;       // the Bezier path
    std::set<Px> tube;         // pixels within one of the drawing
    std::set<Px> banned;       // never part of the tab
    std::set<Px> used;
    std::vector<Px> out;
    Px goal{};
    long budget = 2000000;

    bool Allowed(Px p) const
    {
        return tube.count(p) && !banned.count(p) && !used.count(p) && !used.count({p.x, p.y - 1}) &&
               !used.count({p.x, p.y + 1});
    }

    // How far along the reference path p may stand: the furthest index in
    // k..k+4 within one pixel of p, when every reference pixel passed on the
    // way lies within one pixel of p or of the current pixel c. -1: none.
    int Progress(Px c, Px p, int k) const
    {
        int best = -1;
        for (int j = k; j <= std::min(k + 4, int(ref.size()) - 1); ++j) {
            if (Cheb(p, ref[size_t(j)]) > 1)
                continue;
            bool covered = true;
            for (int q = k + 1; q <= j && covered; ++q)
                covered = Cheb(p, ref[size_t(q)]) <= 1 || Cheb(c, ref[size_t(q)]) <= 1;
            if (covered)
                best = j;
        }
        return best;
    }

    bool Walk(Px c, int k, int idle)
    {
        if (--budget < 0)
            return false;
        if (c == goal && k == int(ref.size()) - 1)
            return true;
        struct Cand { Px p; int k; int dist; };
        std::vector<Cand> cands;
        for (int dx : {-1, 1})
            for (int dy : {-1, 0, 1}) {
                const Px p{c.x + dx, c.y + dy};
                if (!Allowed(p))
                    continue;
                const int j = Progress(c, p, k);
                if (j < k || (j == k && idle >= 3))
                    continue;
                cands.push_back({p, j, std::abs(p.x - ref[size_t(j)].x) + std::abs(p.y - ref[size_t(j)].y)});
            }
        std::sort(cands.begin(), cands.end(), [](const Cand& a, const Cand& b) {
            return a.k != b.k ? a.k > b.k : a.dist != b.dist ? a.dist < b.dist : a.p < b.p;
        });
        for (const Cand& cd : cands) {
            used.insert(cd.p);
            out.push_back(cd.p);
            if (Walk(cd.p, cd.k, cd.k == k ? idle + 1 : 0))
                return true;
            used.erase(cd.p);
            out.pop_back();
        }
        return false;
    }
};

// The tab of figure `fig` for edge length L, as pixels relative to the
// edge; `only4` (>= -100) forces column 4 to hold exactly that one row.
bool TabPixels(int fig, int L, int only4, std::vector<Px>* tab)
{
    Search s;
    s.ref = BezierPath(fig, L, TabHeight(L));
    for (const Px& p : s.ref)
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                s.tube.insert({p.x + dx, p.y + dy});
    for (const Px& p : std::set<Px>(s.tube)) {
        // Outside the edge's length, and the first and last columns except
        // the edge's ends (the atlas keeps its markers there).
        if (p.x < 0 || p.x > L || ((p.x == 0 || p.x == L) && p.y != 0))
            s.banned.insert(p);
        if (only4 > -100 && p.x == 4 && p.y != only4)
            s.banned.insert(p);
    }
    if (only4 > -100 && !s.tube.count({4, only4}))
        return false;
    s.goal = {L, 0};
    s.used.insert({0, 0});
    s.out.push_back({0, 0});
    if (!s.Walk({0, 0}, 0, 0))
        return false;
    // Every pixel of the drawing lies within one pixel of the tab.
    for (const Px& r : s.ref) {
        bool near = false;
        for (const Px& p : s.out)
            near = near || Cheb(p, r) <= 1;
        if (!near)
            return false;
    }
    *tab = s.out;
    return true;
}

// ---- The atlas -----------------------------------------------------------------------------------

enum : uint8_t { kWhite = 0, kGreen = 1, kRed = 2, kBlue = 3 };

struct Block {
    int D = 0;
    std::vector<std::vector<Px>> tabs;  // per figure
};

int MinY(const std::vector<Px>& t)
{
    int m = 0;
    for (const Px& p : t)
        m = std::min(m, p.y);
    return m;
}
int MaxY(const std::vector<Px>& t)
{
    int m = 0;
    for (const Px& p : t)
        m = std::max(m, p.y);
    return m;
}

bool MakeBlock(int k, Block* b)
{
    const int L = kRasMinL + k;
    b->tabs.assign(kRasFigures, {});
    int D = 0;
    for (int f = (k == 0 ? 1 : 0); f < kRasFigures; ++f) {
        if (!TabPixels(f, L, -1000, &b->tabs[size_t(f)])) {
            std::fprintf(stderr, "zivra-tab-atlas: no tab for figure %d, length %d\n", f, L);
            return false;
        }
        D = std::max(D, -MinY(b->tabs[size_t(f)]));
    }
    if (k == 0) {
        // Block 0 of figure 0 carries the reference levels at column 4, rows
        // 5..8: its tab must cross column 4 at atlas row 6 alone.
        bool found = false;
        for (int d = std::max(D, 1); d <= 14 && !found; ++d)
            if (TabPixels(0, L, 6 - d, &b->tabs[0]) && -MinY(b->tabs[0]) <= d) {
                D = d;
                found = true;
            }
        if (!found) {
            std::fprintf(stderr, "zivra-tab-atlas: figure 0 cannot carry the reference levels\n");
            return false;
        }
    }
    b->D = std::max(D, 1);
    return true;
}

// Writes one level into the atlas; two different levels on one pixel mean
// the tabs of two sides would share it.
bool SetLevel(GifPicture& pic, int x, int y, uint8_t v)
{
    uint8_t& px = pic.Indices[size_t(y) * size_t(pic.W) + size_t(x)];
    if (px != kWhite && px != v) {
        std::fprintf(stderr, "zivra-tab-atlas: two levels meet at column %d, row %d\n", x, y);
        return false;
    }
    px = v;
    return true;
}

// The tab of figure f in block k: Green for side 0 on the band's rows, Red
// for side 1 one row lower, and a Blue pixel at both first columns ending
// the stamp before the next band (the last band may read on into the white
// rows below).
bool WriteTab(GifPicture& pic, const Block& b, int k, int f)
{
    const int L = kRasMinL + k, col = RasBlockColumn(k);
    const std::vector<Px>& tab = b.tabs[size_t(f)];
    const int band = kRasBandRows * f, maxRow = b.D + MaxY(tab);
    if (MaxY(tab) > (L + 1) / 2 - 1 || (f < kRasFigures - 1 && maxRow > kRasBandRows - 2)) {
        std::fprintf(stderr, "zivra-tab-atlas: figure %d, length %d is too tall\n", f, L);
        return false;
    }
    bool ok = true;
    for (const Px& p : tab)
        ok = ok && SetLevel(pic, col + p.x, band + b.D + p.y, kGreen) && SetLevel(pic, col + p.x, band + 1 + b.D + p.y, kRed);
    const int stop = band + maxRow + 2;
    const bool needed = (L + 1) / 2 + b.D > kRasBandRows - 1 && f < kRasFigures - 1;
    if (stop <= band + kRasBandRows - 1)
        return ok && SetLevel(pic, col, stop, kBlue) && SetLevel(pic, col + L, stop, kBlue);
    if (needed) {
        std::fprintf(stderr, "zivra-tab-atlas: figure %d, length %d does not fit its band\n", f, L);
        return false;
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: zivra-tab-atlas OUT.gif\n");
        return 2;
    }
    InitEdgeFigsForVectorStyle();
    std::vector<Block> blocks(kRasBlocks);
    int height = 0;
    for (int k = 0; k < kRasBlocks; ++k) {
        if (!MakeBlock(k, &blocks[size_t(k)]))
            return 1;
        const int L = kRasMinL + k;
        height = std::max(height, kRasBandRows * (kRasFigures - 1) + 1 + (L + 1) / 2 + blocks[size_t(k)].D);
    }
    GifPicture pic;
    pic.W = RasBlockColumn(kRasBlocks - 1) + kRasMaxL + 2;
    pic.H = height;
    pic.Palette = {0xFFFFFF, 0xAAAAAA, 0x555555, 0x000000};
    pic.Indices.assign(size_t(pic.W) * size_t(pic.H), kWhite);
    for (int k = 0; k < kRasBlocks; ++k)
        for (int f = 0; f < kRasFigures; ++f)
            if (!WriteTab(pic, blocks[size_t(k)], k, f))
                return 1;
    // The reference levels, where block 0's first tab crosses column 4.
    if (!SetLevel(pic, 4, 5, kWhite) || !SetLevel(pic, 4, 6, kGreen) || !SetLevel(pic, 4, 7, kRed) ||
        !SetLevel(pic, 4, 8, kBlue))
        return 1;
    std::string error;
    if (!GifWriteFile(argv[1], pic, &error)) {
        std::fprintf(stderr, "zivra-tab-atlas: %s\n", error.c_str());
        return 1;
    }
    std::printf("%d x %d, base-line offsets", pic.W, pic.H);
    for (const Block& b : blocks)
        std::printf(" %d", b.D);
    std::printf("\n");
    return 0;
}
