// The Voronoi partition: cells as properties, the fast triangulation against
// the literal one, the failures, and the line helpers.
#include "cutting/cut_test_support.h"
#include "cutting/voronoi.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const TMyRect kField = vMyRectInitRB(0, 0, 399, 299);

// Both triangulations of the same sites; they must agree exactly.
void ExpectSameCellsBothWays(const std::vector<TPoint>& sites, const TMyRect& field, bool expectOk = true)
{
    std::vector<TVorCell> fast = CellsFor(sites), ref = CellsFor(sites);
    const bool okFast = CalculateVoronoiCells(fast, field, TTriangulation::Fast);
    const bool okRef = CalculateVoronoiCells(ref, field, TTriangulation::Reference);
    ASSERT_EQ(okFast, okRef);
    ASSERT_EQ(okFast, expectOk);
    EXPECT_EQ(CompareCells(fast, ref), "");
    if (okFast) {
        EXPECT_EQ(CheckPartition(fast, field), "");
    }
}

// 64-bit FNV-1a of everything the cut reads from the cells: sites, moved
// sites, every edge (ends and neighbour) in order, the triangles.
uint64_t CellsDigest(const std::vector<TVorCell>& cells)
{
    uint64_t h = 0xCBF29CE484222325ull;
    auto add = [&h](const void* data, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            h ^= static_cast<const uint8_t*>(data)[i];
            h *= 0x100000001B3ull;
        }
    };
    for (const TVorCell& c : cells) {
        add(&c.x, sizeof c.x), add(&c.y, sizeof c.y), add(&c.dx, sizeof c.dx), add(&c.dy, sizeof c.dy);
        add(&c.edgeNum, sizeof c.edgeNum), add(&c.triNum, sizeof c.triNum);
        for (int e = 0; e < c.edgeNum; ++e) {
            const TVorEdge& E = c.edges[size_t(e)];
            add(&E.x1, sizeof E.x1), add(&E.y1, sizeof E.y1), add(&E.x2, sizeof E.x2), add(&E.y2, sizeof E.y2);
            add(&E.nb, sizeof E.nb);
        }
        add(c.tris.data(), size_t(c.triNum) * sizeof c.tris[0]);
    }
    return h;
}

}  // namespace

TEST(VoronoiCells, PartitionsKeepEveryEdgeAndItsOrderBitForBit)
{
    // Both triangulations share the cells' construction, so agreeing with
    // the reference does not pin it down: a changed edge, order or rounding
    // anywhere changes the cuts of every saved seed. The stored digests
    // come from the partition as it has always cut.
    std::vector<TPoint> nudged = LatticeSites(12, 12, 13, 10, 29);
    SRand(3);
    for (TPoint& p : nudged) {
        p.x += MyRandom(3) - 1;
        p.y += MyRandom(3) - 1;
    }
    std::vector<TPoint> ring{{200, 150}};
    for (int k = 0; k < 16; ++k) {
        const double a = k * 2 * M_PI / 16;
        ring.push_back({200 + int(std::lround(100 * std::cos(a))), 150 + int(std::lround(100 * std::sin(a)))});
    }
    // Sites spread wider than a picture (sorted another way), around 0.
    const TMyRect wide = vMyRectInitRB(-40000, -300, 40000, 300);
    std::vector<TPoint> spread;
    for (int i = 0; i < 120; ++i)
        spread.push_back({-39000 + i * 653 + (i * 37) % 101, -280 + (i * 7919) % 560});
    TMyRect rowField;
    const std::vector<TPoint> row = JitteredGridSites(400, 40, 20, 1, 0, 1, &rowField);
    const struct { const char* name; std::vector<TPoint> sites; TMyRect field; uint64_t digest; } cases[] = {
        {"nudged lattice", nudged, kField, 0x002C9716003417BC},
        {"ring", ring, kField, 0x564F1BC613F85323},
        {"spread", spread, wide, 0xE7AE98AFDBE88E20},
        {"one row", row, rowField, 0x631CADC92F01E986},
    };
    for (const auto& c : cases)
        for (TTriangulation m : {TTriangulation::Fast, TTriangulation::Reference}) {
            std::vector<TVorCell> cells = CellsFor(c.sites);
            ASSERT_TRUE(CalculateVoronoiCells(cells, c.field, m)) << c.name;
            EXPECT_EQ(CellsDigest(cells), c.digest) << c.name << std::hex << " 0x" << CellsDigest(cells);
        }

    // A 3942-piece cut's three relaxation passes.
    TJigParams p = CutParams(2560, 1920, 0, 0, 0);
    std::vector<TJig> jigs(size_t(p.TotalTileNum) + 1);
    TCutWork w(p, jigs);
    ASSERT_TRUE(CutSetUp(w));
    SRand(12345);
    ASSERT_TRUE(CutPlaceSites(w));
    ASSERT_EQ(w.n, 3942);
    ASSERT_TRUE(CutPartition(w));
    EXPECT_EQ(CellsDigest(w.cells), 0x316B900C6E4229ADu) << std::hex << "0x" << CellsDigest(w.cells);
}

TEST(VoronoiCells, JitteredGridsPartitionTheFieldIntoNearestSiteCells)
{
    const struct { int w, h, C, R, border; } grids[] = {
        {400, 300, 12, 9, 0}, {400, 300, 10, 7, 1}, {257, 611, 5, 13, 0}, {300, 80, 15, 2, 0}, {90, 90, 3, 3, 1},
        // One row: the flat triangles' circumcentres lie far outside the
        // field while their hull rays cross it.
        {248, 72, 10, 1, 1}, {400, 40, 20, 1, 0}};
    for (const auto& g : grids)
        for (uint32_t seed : {1u, 2u, 77u}) {
            TMyRect field;
            const std::vector<TPoint> sites = JitteredGridSites(g.w, g.h, g.C, g.R, g.border, seed, &field);
            ASSERT_EQ(int(sites.size()), g.C * g.R);
            std::vector<TVorCell> cells = CellsFor(sites);
            ASSERT_TRUE(CalculateVoronoiCells(cells, field));
            EXPECT_EQ(CheckPartition(cells, field), "") << g.w << "x" << g.h << " seed " << seed;
        }
}

TEST(VoronoiCells, FastTriangulationEqualsTheReference)
{
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        TMyRect field;
        ExpectSameCellsBothWays(JitteredGridSites(400, 300, 16, 12, int(seed % 2), seed, &field), field);
        ExpectSameCellsBothWays(RandomSites(kField, 150, seed), kField);
        ExpectSameCellsBothWays(RandomSites(kField, 3 + int(seed), seed), kField);
    }
}

TEST(VoronoiCells, FastTriangulationEqualsTheReferenceOnDegenerateAndCollinearSites)
{
    // Co-circular squares everywhere, collinear rows and columns; one corner
    // moved so that a hull edge has no third site on its line.
    std::vector<TPoint> lattice = LatticeSites(20, 20, 12, 9, 30);
    lattice[0] = {17, 14};
    ExpectSameCellsBothWays(lattice, kField);
    // Rows on equal heights with jittered x, and a 2 x 2 square.
    std::vector<TPoint> rows;
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 10; ++c)
            rows.push_back({15 + c * 37 + (r * 7 + c * 3) % 11, 30 + r * 45});
    rows.push_back({200, 5});
    ExpectSameCellsBothWays(rows, kField);
    ExpectSameCellsBothWays(LatticeSites(100, 100, 2, 2, 80), kField);
    // Two sites, or all on one line, split the field by bisectors: the left
    // of two is the rectangle x <= 200.
    ExpectSameCellsBothWays({{50, 20}, {150, 120}, {250, 220}, {100, 70}}, kField);
    ExpectSameCellsBothWays({{100, 150}, {300, 150}}, kField);
    std::vector<TVorCell> two = CellsFor({{100, 150}, {300, 150}});
    ASSERT_TRUE(CalculateVoronoiCells(two, kField));
    double maxX = 0;
    for (int e = 0; e < two[0].edgeNum; ++e)
        maxX = std::max({maxX, two[0].edges[size_t(e)].x1, two[0].edges[size_t(e)].x2});
    EXPECT_DOUBLE_EQ(maxX, 200);
    // Sites on a circle (all co-circular) around a centre.
    std::vector<TPoint> ring{{200, 150}};
    for (int k = 0; k < 16; ++k) {
        const double a = k * 2 * M_PI / 16;
        ring.push_back({200 + int(std::lround(100 * std::cos(a))), 150 + int(std::lround(100 * std::sin(a)))});
    }
    ExpectSameCellsBothWays(ring, kField);
    // Lattices nudged by at most a pixel: exact rectangles (co-circular
    // quads) and collinear runs all over, as relaxed sites give them.
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        SRand(seed);
        std::vector<TPoint> nudged = LatticeSites(12, 12, 13, 10, 29);
        for (TPoint& p : nudged) {
            p.x += MyRandom(3) - 1;
            p.y += MyRandom(3) - 1;
        }
        ExpectSameCellsBothWays(nudged, kField);
    }
    // Sparse random picks from a coarse lattice.
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        SRand(seed);
        std::vector<TPoint> picks;
        for (const TPoint& p : LatticeSites(10, 10, 13, 10, 30))
            if (MyRandom(3) != 0)
                picks.push_back(p);
        picks.push_back({7, 3});
        std::vector<TVorCell> fast = CellsFor(picks), ref = CellsFor(picks);
        EXPECT_EQ(CalculateVoronoiCells(fast, kField, TTriangulation::Fast),
                  CalculateVoronoiCells(ref, kField, TTriangulation::Reference));
        EXPECT_EQ(CompareCells(fast, ref), "");
    }
}

TEST(VoronoiCells, RelaxationPassesAgreeBetweenTriangulations)
{
    // The relaxed sites drift onto near-lattices with many ties: every pass
    // of the cut must come out the same both ways.
    for (uint32_t seed : {3u, 9u}) {
        TJigParams p = CutParams(420, 330, 0, 0, seed % 2);
        std::vector<TJig> jigs(size_t(p.TotalTileNum) + 1);
        TCutWork fast(p, jigs);
        ASSERT_TRUE(CutSetUp(fast));
        SRand(seed);
        ASSERT_TRUE(CutPlaceSites(fast));
        TCutWork ref(p, jigs);
        ASSERT_TRUE(CutSetUp(ref));
        ref.cells = fast.cells;
        ASSERT_TRUE(CutPartition(fast, TTriangulation::Fast));
        ASSERT_TRUE(CutPartition(ref, TTriangulation::Reference));
        EXPECT_EQ(CompareCells(fast.cells, ref.cells), "");
    }
}

TEST(VoronoiCells, OneTriangulationLendsItsMemoryToPartitionsOfAnySize)
{
    // The relaxation passes share one triangulation's working memory; a
    // partition of more or fewer sites, of collinear ones or of ones that
    // fail must leave nothing behind that changes the next.
    TMyRect grid;
    const std::vector<TPoint> jittered = JitteredGridSites(400, 300, 20, 15, 1, 5, &grid);
    std::vector<TPoint> row;
    for (int i = 0; i < 12; ++i)
        row.push_back({20 + 30 * i, 150});
    std::vector<TPoint> lattice = LatticeSites(20, 20, 12, 9, 30);
    lattice[0] = {17, 14};
    const struct { std::vector<TPoint> sites; TMyRect field; bool ok; } runs[] = {
        {RandomSites(kField, 150, 4), kField, true},
        {jittered, grid, true},
        {{{100, 100}, {300, 200}, {120, 250}, {330, 40}}, kField, true},
        {row, kField, true},
        {lattice, kField, true},
        {{{100, 100}, {200, 150}, {100, 100}}, kField, false},
        {LatticeSites(20, 20, 12, 9, 30), kField, false},  // fails half way through
        {RandomSites(kField, 60, 8), kField, true},
        {{{100, 150}, {300, 150}}, kField, true},
        {jittered, grid, true},
    };
    TDelaunay shared;
    for (size_t r = 0; r < std::size(runs); ++r) {
        std::vector<TVorCell> lent = CellsFor(runs[r].sites), fresh = CellsFor(runs[r].sites),
                              ref = CellsFor(runs[r].sites);
        ASSERT_EQ(CalculateVoronoiCells(fresh, runs[r].field), runs[r].ok) << r;
        ASSERT_EQ(CalculateVoronoiCells(lent, runs[r].field, TTriangulation::Fast, &shared), runs[r].ok) << r;
        ASSERT_EQ(CalculateVoronoiCells(ref, runs[r].field, TTriangulation::Reference), runs[r].ok) << r;
        EXPECT_EQ(CompareCells(lent, fresh), "") << r;
        EXPECT_EQ(CompareCells(lent, ref), "") << r;
    }
}

TEST(VoronoiCells, FailuresAreReportedAndLeaveNoEdgesNorOverrunTheLimits)
{
    // A centre with 24 neighbours on a circle belongs to 24 triangles.
    std::vector<TPoint> wheel{{200, 150}};
    for (int k = 0; k < 24; ++k) {
        const double a = k * 2 * M_PI / 24 + 0.01;
        wheel.push_back({200 + int(std::lround(120 * std::cos(a))), 150 + int(std::lround(120 * std::sin(a)))});
    }
    const struct { std::vector<TPoint> sites; const char* message; } cases[] = {
        {{{10, 10}}, "Finding first edge failed!"},
        {{{10, 10}, {50, 60}, {10, 10}}, "Finding first edge failed!"},
        // Every hull edge of a 3 x 3 lattice has a third site on its line.
        {LatticeSites(50, 50, 3, 3, 40), "Finding first edge failed!"},
        {wheel, nullptr},
    };
    for (const auto& c : cases)
        for (TTriangulation m : {TTriangulation::Fast, TTriangulation::Reference}) {
            Recorder().Clear();
            std::vector<TVorCell> cells = CellsFor(c.sites);
            EXPECT_FALSE(CalculateVoronoiCells(cells, kField, m));
            EXPECT_EQ(c.message ? Recorder().Count(RecordingPlatform::Kind::Message, c.message)
                                : Recorder().Count(RecordingPlatform::Kind::Message), 1);
            for (const TVorCell& cell : cells) {
                EXPECT_EQ(cell.edgeNum, 0);
                EXPECT_LE(cell.triNum, kCellMaxTris);
            }
        }
    TVorCell full;
    for (int e = 0; e < kCellMaxEdges; ++e)
        ASSERT_TRUE(AddEdgeToCell(full, 1, 10, 10 + e, 20, 10 + e, kField));
    EXPECT_FALSE(AddEdgeToCell(full, 1, 10, 50, 20, 50, kField));
    EXPECT_EQ(full.edgeNum, kCellMaxEdges);
}

TEST(VoronoiCells, MovedSiteIsTheMeanOfEdgeMidpoints)
{
    // The cell is the field's corner cut by a slanted bisector: a pentagon
    // whose centroid lies more than a pixel away from that mean.
    std::vector<TVorCell> cells = CellsFor({{30, 40}, {250, 200}});
    ASSERT_TRUE(CalculateVoronoiCells(cells, kField));
    const TVorCell& c = cells[0];
    double mx = 0, my = 0;
    for (int e = 0; e < c.edgeNum; ++e) {
        const TVorEdge& E = c.edges[size_t(e)];
        mx += (E.x1 + E.x2) / 2;
        my += (E.y1 + E.y2) / 2;
    }
    EXPECT_NEAR(c.dx, mx / c.edgeNum, 1e-9);
    EXPECT_NEAR(c.dy, my / c.edgeNum, 1e-9);
}

TEST(VoronoiLines, EdgesAreClippedToTheFieldOrDropped)
{
    TVorCell c;
    ASSERT_TRUE(AddEdgeToCell(c, 3, 10, -50, 90, -5, kField));  // wholly above
    ASSERT_TRUE(AddEdgeToCell(c, 3, -30, 10, -1, 200, kField)); // wholly left
    ASSERT_TRUE(AddEdgeToCell(c, 3, -20, 10, 10, -20, kField)); // passes outside the corner
    EXPECT_EQ(c.edgeNum, 0);
    ASSERT_TRUE(AddEdgeToCell(c, 4, 100, 50, 100, -40, kField));
    ASSERT_EQ(c.edgeNum, 1);
    const TVorEdge& e = c.edges[0];
    EXPECT_EQ(e.nb, 4);
    EXPECT_DOUBLE_EQ(e.y1, 0);
    EXPECT_DOUBLE_EQ(e.y2, 50);  // ordered top first
    ASSERT_TRUE(AddEdgeToCell(c, 5, 500, 100, 300, 200, kField));
    EXPECT_DOUBLE_EQ(c.edges[1].x1, 399);
    EXPECT_DOUBLE_EQ(c.edges[1].y1, 150.5);
}

TEST(VoronoiLines, HelpersFollowTheirContracts)
{
    double x, y;
    EXPECT_TRUE(LinesIntersect(&x, &y, true, 0, 0, 10, 0, 10, -5, 10, 5));  // touching at an end
    EXPECT_DOUBLE_EQ(x, 10);
    EXPECT_FALSE(LinesIntersect(&x, &y, false, 0, 0, 10, 0, 10, -5, 10, 5));
    EXPECT_FALSE(LinesIntersect(&x, &y, true, 0, 0, 10, 0, 0, 1, 10, 1));  // parallel
    EXPECT_TRUE(LinesIntersect(&x, &y, false, 0, 0, 10, 10, 0, 10, 10, 0));
    EXPECT_DOUBLE_EQ(x, 5);
    EXPECT_DOUBLE_EQ(y, 5);

    double x1 = 100, y1 = 100, x2 = 110, y2 = 105;
    ExtendLineEndToImageBorders(kField, &x1, &y1, &x2, &y2);  // flatter than 45 degrees: to the right edge
    EXPECT_DOUBLE_EQ(x2, 399);
    EXPECT_DOUBLE_EQ(y2, 100 + 299 * 0.5);
    EXPECT_DOUBLE_EQ(x1, 100);
    x1 = 100, y1 = 100, x2 = 100, y2 = 50;
    ExtendLineEndToImageBorders(kField, &x1, &y1, &x2, &y2);
    EXPECT_DOUBLE_EQ(y2, 0);
    x1 = 500, y1 = 100, x2 = 510, y2 = 100;  // the border lies behind: unchanged
    ExtendLineEndToImageBorders(kField, &x1, &y1, &x2, &y2);
    EXPECT_DOUBLE_EQ(x2, 510);

    x1 = 100, y1 = 100, x2 = 110, y2 = 110;
    ExtendLineToImageBorders(kField, &x1, &y1, &x2, &y2);
    EXPECT_DOUBLE_EQ(x1, 0);
    EXPECT_DOUBLE_EQ(y1, 0);
    EXPECT_DOUBLE_EQ(x2, 299);
    EXPECT_DOUBLE_EQ(y2, 299);
    EXPECT_EQ(GetAngle(0, 0, 0, 0, 5, 5), 0);  // a zero-length arm: no division by zero
}
