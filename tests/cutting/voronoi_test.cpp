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

}  // namespace

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
