// The edge figures and the fitting, checking and drawing of a curve.
#include "cutting/cut_test_support.h"
#include "cutting/edge_curves.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kInk = RGB(128, 0, 25);
constexpr uint32_t kOther = RGB(128, 0, 150);

struct Canvas {
    OMyImagePtr img;
    TCurveField cf;
    Canvas(int w, int h, int tile = 100, int maskOfs = 31) : img(WhiteImage(w, h))
    {
        cf = {img.get(), tile, maskOfs, 0, 0, w - 1, h - 1, {}};
    }
    int Count(uint32_t colour) const { return CountColour(*img, colour); }
    TRect Extent(uint32_t colour) const
    {
        TRect r{100000, 100000, -1, -1};
        for (int y = 0; y < img->H; ++y)
            for (int x = 0; x < img->W; ++x)
                if (MyImageGetPixel(*img, x, y) == colour)
                    r = {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x), std::max(r.bottom, y)};
        return r;
    }
};

bool Draw(Canvas& c, bool roomLimit, bool side, int figure, bool flip, TPoint A, TPoint B, int clearance,
          TRect* out = nullptr, double room1 = -1, double room2 = -1)
{
    TRect r;
    return DrawRotCurve(c.cf, roomLimit, side, figure, flip, A, B, kInk, clearance, out ? out : &r,
                        {A.x + 1, A.y + 40}, kNoSite, room1, room2);
}

}  // namespace

TEST(EdgeFigures, TablesMatchTheirPrintedExtents)
{
    InitEdgeFigs();
    // Above and below as printed beside each figure's points: a slip in a
    // transcribed point shows up here.
    const int above[kEdgeFigCount] = {32, 17, 1, 28, 16, 28, 32, 42, 42, 32, 6, 14, 16, 32, 26, 32};
    const int below[kEdgeFigCount] = {14, 17, 29, 28, 28, 21, 17, 40, 21, 30, 12, 1, 16, 1, 10, 5};
    const int points[kEdgeFigCount] = {25, 19, 25, 13, 13, 13, 22, 19, 19, 19, 13, 7, 13, 13, 31, 37};
    for (int f = 0; f < kEdgeFigCount; ++f) {
        const TEdgeFig& fig = EdgeFigs[size_t(f)];
        EXPECT_EQ(fig.pointCount, points[f]) << f;
        EXPECT_EQ(fig.width, 127) << f;
        EXPECT_EQ(fig.baseLine, f == 7 || f == 8 ? 41 : 31) << f;
        EXPECT_EQ(fig.above, above[f]) << f;
        EXPECT_EQ(fig.below, below[f]) << f;
        EXPECT_EQ(fig.points[size_t(fig.pointCount - 1)].y, fig.baseLine) << f;  // both ends on the base line
    }
}

TEST(EdgeCurves, FlippingMirrorsAlongTheEdge)
{
    InitEdgeFigs();
    const TEdgeFig& fig = EdgeFigs[1];
    const TCurveFrame f = CurveFrame({0, 100}, {127, 100}, true);  // along +x, normal up
    TDPoint plain[kEdgeFigMaxPoints], flipped[kEdgeFigMaxPoints];
    int n1, n2;
    TransformFigure(fig, false, f, fig.baseLine, plain, &n1);
    TransformFigure(fig, true, f, fig.baseLine, flipped, &n2);
    ASSERT_EQ(n1, n2);
    for (int i = 0; i < n1; ++i) {
        const TFigPoint& q = fig.points[size_t(n1 - 1 - i)];
        EXPECT_DOUBLE_EQ(flipped[i].x, 127 - q.x);
        EXPECT_DOUBLE_EQ(flipped[i].y, 100 - (float(fig.baseLine) - q.y));
        EXPECT_DOUBLE_EQ(plain[i].x, fig.points[size_t(i)].x);
    }
}

TEST(EdgeCurves, RoomScalesTheFigureAndNoRoomOrNoLengthDrawsNothing)
{
    InitEdgeFigs();
    // A 127-pixel edge with plenty of room on both sides: the same curve as
    // with the height fixed at the base line (scale 1 both ways).
    Canvas limited(300, 300), fixed(300, 300, 100, 31);
    ASSERT_TRUE(Draw(limited, true, true, 1, false, {80, 150}, {207, 150}, -1, nullptr, 500, 500));
    ASSERT_TRUE(Draw(fixed, false, true, 1, false, {80, 150}, {207, 150}, -1));
    EXPECT_EQ(limited.img->Bitmap, fixed.img->Bitmap);
    // Its extent across the edge is the table's: 15 above the base line and 47 below.
    const TRect r = limited.Extent(kInk);
    EXPECT_NEAR(r.top, 150 - (31 - 15), 1);
    EXPECT_NEAR(r.bottom, 150 + (47 - 31), 1);
    // Little room lowers the figure.
    Canvas tight(300, 300);
    ASSERT_TRUE(Draw(tight, true, true, 1, false, {80, 150}, {207, 150}, -1, nullptr, 8, 8));
    const TRect t = tight.Extent(kInk);
    EXPECT_GE(t.top, 150 - 8);
    EXPECT_LE(t.bottom, 150 + 8);
    // A room of 0 (a site on the edge's line) is a failed fit.
    Canvas none(300, 300);
    EXPECT_FALSE(Draw(none, true, true, 1, false, {80, 150}, {207, 150}, -1, nullptr, 0, 30));
    EXPECT_EQ(none.Count(kWhite), 300 * 300);
    // A zero-length edge draws nothing and succeeds.
    EXPECT_TRUE(Draw(none, true, true, 1, false, {50, 50}, {50, 50}, 5));
    EXPECT_EQ(none.Count(kWhite), 300 * 300);
}

TEST(EdgeCurves, TightRoomNeverGrowsAFlatFigure)
{
    InitEdgeFigs();
    // Figure 11 reaches one table unit below its base line: on a 13-pixel edge
    // that is a tenth of a pixel, so a room of 1.05 is "too small" for it.
    // Fitting must lower the figure (or leave it), never blow it up to fill
    // thirty times its height.
    Canvas c(200, 200);
    ASSERT_TRUE(Draw(c, true, true, 11, false, {90, 100}, {103, 100}, -1, nullptr, 20, 1.05));
    const TRect r = c.Extent(kInk);
    EXPECT_GE(r.top, 100 - 3);
    EXPECT_LE(r.bottom, 100 + 3);
}

TEST(EdgeCurves, ClearanceAndTheFieldRejectCurvesButNotAtTheirEnds)
{
    InitEdgeFigs();
    const TPoint A{60, 150}, B{187, 150};
    // An edge of another piece just below the knob's lowest point.
    Canvas near(300, 300);
    MyImageDrawLine(*near.img, 100, 168, 160, 168, kOther);
    EXPECT_FALSE(Draw(near, false, true, 1, false, A, B, 4));
    EXPECT_EQ(near.Count(kInk), 0);  // nothing drawn
    // The same edge far enough away.
    Canvas far(300, 300);
    MyImageDrawLine(*far.img, 100, 175, 160, 175, kOther);
    EXPECT_TRUE(Draw(far, false, true, 1, false, A, B, 4));
    EXPECT_GT(far.Count(kInk), 100);
    // Edges meeting the curve's own end: within tile / 10 of A nothing counts.
    Canvas corner(300, 300, 100);
    MyImageDrawLine(*corner.img, A.x, A.y - 30, A.x, A.y + 30, kOther);
    MyImageDrawLine(*corner.img, A.x - 30, A.y, A.x - 1, A.y, kOther);
    EXPECT_TRUE(Draw(corner, false, true, 1, false, A, B, 4));
    // Without the exemption (tile 10: one pixel) the same corner rejects it.
    Canvas tightCorner(300, 300, 10);
    MyImageDrawLine(*tightCorner.img, A.x, A.y - 30, A.x, A.y + 30, kOther);
    EXPECT_FALSE(Draw(tightCorner, false, true, 1, false, A, B, 4));
    // A field starting just above the edge leaves the curve no room.
    Canvas c(300, 300);
    c.cf.fT = 140;
    EXPECT_FALSE(Draw(c, false, true, 1, false, A, B, 2));
    c.cf.fT = 0;
    EXPECT_TRUE(Draw(c, false, true, 1, false, A, B, 2));
}

TEST(EdgeCurves, AnApexLeavingTheImageIsFlattenedTwoPixelsInside)
{
    InitEdgeFigs();
    // Figure 13's top point (64, 0) is on the curve: with the edge at y = 10
    // and height 31 it would reach y = -21; flattened, it touches y = 2.
    Canvas c(300, 100, 100, 31);
    ASSERT_TRUE(Draw(c, false, true, 13, false, {20, 10}, {147, 10}, -1));
    EXPECT_EQ(c.Extent(kInk).top, 2);
    // Side 0 at the bottom edge of the image: the same, mirrored.
    Canvas d(300, 100, 100, 31);
    ASSERT_TRUE(Draw(d, false, false, 13, false, {20, 89}, {147, 89}, -1));
    EXPECT_EQ(d.Extent(kInk).bottom, 100 - 2);
}

TEST(EdgeCurves, SitesOnASampleLineRejectTheCurve)
{
    // A straight chain along y = 50: every pair of samples spans that line.
    const TDPoint chain[4] = {{10, 50}, {40, 50}, {70, 50}, {100, 50}};
    Canvas c(300, 100, 100);
    TRect r{10000, 10000, -10000, -10000};
    EXPECT_FALSE(CheckBezier(c.cf, chain, 4, {0, 0}, {299, 99}, 1, &r, {250, 50}, kNoSite));
    r = {10000, 10000, -10000, -10000};
    EXPECT_TRUE(CheckBezier(c.cf, chain, 4, {0, 0}, {299, 99}, 1, &r, {250, 60}, kNoSite));
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.right, 100);
    EXPECT_FALSE(CheckBezier(c.cf, chain, 4, {0, 0}, {299, 99}, 1, &r, {250, 60}, {0, 50}));
}

TEST(EdgeCurves, LinesOverlapRoundsTheCrossing)
{
    int x = 0, y = 0;
    EXPECT_TRUE(LinesOverlap({0, 0}, {10, 10}, {0, 10}, {10, 0}, &x, &y));
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 5);
    EXPECT_TRUE(LinesOverlap({0, 0}, {3, 1}, {0, 2}, {1, 2}, &x, &y));  // (6, 2)
    EXPECT_EQ(x, 6);
    EXPECT_EQ(y, 2);
    EXPECT_FALSE(LinesOverlap({0, 0}, {10, 0}, {0, 5}, {10, 5}, &x, &y));
}
