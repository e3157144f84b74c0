// How pieces look on the table, seen on screen: eased outlines that picking
// ignores, shadows that darken the table but never a piece's own opaque
// pixels, the switch that removes them, and the finished picture's bursts.
#include "field_fixture.h"

#include "cutting/cutting.h"
#include "cutting/piece_looks.h"
#include "field/compose.h"
#include "field/celebration.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr uint32_t kTable = 0x989898;

int Channel(uint32_t c, int k) { return int((c >> (16 - 8 * k)) & 0xFF); }

// The last opaque pixel of piece j left of its centre, on the centre's row:
// an outline pixel (content point).
QPoint LeftOutlinePixel(int j)
{
    const TJig& p = Jigs[size_t(j)];
    const TPoint c = OpaquePoint(j);
    const OMyImage& img = arPicJigs[size_t(j)];
    int u = c.x - p.X;
    while (u > 0 && MyImageGetPixelAlpha(img, u - 1, c.y - p.Y) != 0)
        --u;
    return QPoint(p.X + u, c.y);
}

}  // namespace

TEST(PieceLooks, AnOutlinePixelIsPartlyTransparentOnScreenWhileTheHardMaskPicksIt)
{
    OptP.Visual_Shadows = false;  // the table alone behind the outline
    FieldHarness h;
    h.Open({});
    const QImage img = h.Frame();
    const int j = 0;
    const QPoint edge = LeftOutlinePixel(j);
    const QPoint v = FieldHarness::ViewPoint(0, edge.x(), edge.y());
    const uint32_t piece = PieceColour(j), seen = Rgb(img, v.x(), v.y());
    // Between the table and the piece in every channel, and neither of them.
    EXPECT_NE(seen, piece);
    EXPECT_NE(seen, kTable);
    for (int k = 0; k < 3; ++k) {
        EXPECT_GE(Channel(seen, k), std::min(Channel(piece, k), Channel(kTable, k)) - 1) << k;
        EXPECT_LE(Channel(seen, k), std::max(Channel(piece, k), Channel(kTable, k)) + 1) << k;
    }
    // The pixel inside it is the piece's own colour, the one outside the table.
    EXPECT_EQ(Rgb(img, v.x() + 2, v.y()), piece);
    EXPECT_EQ(Rgb(img, v.x() - 1, v.y()), kTable);
    // Picking goes by the hard mask: the faint pixel picks the piece, the one
    // beside it nothing.
    SetCaptureWin(GetViewWin(0));
    EXPECT_EQ(GetCurJig(v.x(), v.y()), j);
    EXPECT_EQ(GetCurJig(v.x() - 1, v.y()), -1);
}

TEST(PieceLooks, AShadowDarkensTheTableBesideAPieceNotItsOpaquePixelsAndTheSwitchRemovesIt)
{
    FieldHarness h;
    h.Open({});
    // One piece alone on the table, well away from the others.
    const int j = JigP.TotalTileNum - 1;
    Jigs[size_t(j)].X = 420;
    Jigs[size_t(j)].Y = 300;
    RedrawP = 1;
    const TJig& p = Jigs[size_t(j)];
    const TPoint c = OpaquePoint(j);
    const OMyImage& img = arPicJigs[size_t(j)];
    int right = c.x - p.X, bottom = c.y - p.Y;
    while (right + 1 < img.W && MyImageGetPixelAlpha(img, right + 1, c.y - p.Y) != 0)
        ++right;
    while (bottom + 1 < img.H && MyImageGetPixelAlpha(img, c.x - p.X, bottom + 1) != 0)
        ++bottom;
    const QPoint beside = FieldHarness::ViewPoint(0, p.X + right + 2, c.y);
    const QPoint below = FieldHarness::ViewPoint(0, c.x, p.Y + bottom + 3);
    int top = c.y - p.Y;
    while (top > 0 && MyImageGetPixelAlpha(img, c.x - p.X, top - 1) != 0)
        --top;
    const QPoint above = FieldHarness::ViewPoint(0, c.x, p.Y + top - 2);
    const QPoint centre = FieldHarness::PieceCentre(j);

    QImage shot = h.Frame();
    for (const QPoint q : {beside, below}) {
        const uint32_t s = Rgb(shot, q.x(), q.y());
        EXPECT_LT(Channel(s, 0), Channel(kTable, 0) - 8) << q.x() << "," << q.y();
        EXPECT_EQ(Channel(s, 0), Channel(s, 2)) << "a shadow is grey";
    }
    EXPECT_EQ(Rgb(shot, above.x(), above.y()), kTable) << "no shadow above a piece";
    EXPECT_EQ(Rgb(shot, centre.x(), centre.y()), PieceColour(j)) << "the piece covers its own shadow";

    OptP.Visual_Shadows = false;
    RedrawP = 1;
    shot = h.Frame();
    EXPECT_EQ(Rgb(shot, beside.x(), beside.y()), kTable);
    EXPECT_EQ(Rgb(shot, below.x(), below.y()), kTable);
    EXPECT_EQ(Rgb(shot, centre.x(), centre.y()), PieceColour(j));
}

TEST(PieceLooks, AShadowFallsOnAPieceBelowButNeverWithinItsOwnGroup)
{
    FieldHarness h;
    h.Open({});
    // Piece 0 lies over piece 1's left part, a few pixels up and left of it:
    // its shadow falls on piece 1.
    Jigs[0].Layer = 10;
    Jigs[0].X = Jigs[1].X - 6;
    Jigs[0].Y = Jigs[1].Y - 6;
    SortJigs(0);
    RedrawP = 1;
    QImage shot = h.Frame();
    const TPoint c0 = OpaquePoint(0);
    const OMyImage& img0 = arPicJigs[0];
    int right = c0.x - Jigs[0].X;
    while (right + 1 < img0.W && MyImageGetPixelAlpha(img0, right + 1, c0.y - Jigs[0].Y) != 0)
        ++right;
    const QPoint onOne = FieldHarness::ViewPoint(0, Jigs[0].X + right + 2, c0.y);
    ASSERT_EQ(GetCurJig(onOne.x(), onOne.y()), 1) << "the point lies on piece 1";
    EXPECT_LT(Channel(Rgb(shot, onOne.x(), onOne.y()), 0), Channel(PieceColour(1), 0)) << "shaded";
    // Put back as neighbours in one group: no shadow inside the group.
    Jigs[0].X = Jigs[1].X - (Jigs[1].HomeX - Jigs[0].HomeX);
    Jigs[0].Y = Jigs[1].Y - (Jigs[1].HomeY - Jigs[0].HomeY);
    Jigs[0].Layer = Jigs[1].Layer;
    SortJigs(0);
    // Whatever order the group's pieces come in, piece 0 (up and left in the
    // picture) must be drawn first, or its shadow would lie on piece 1.
    for (int turn = 0; turn < 2; ++turn) {
        auto a = std::find_if(SortedJigs.begin(), SortedJigs.end(), [](const TSortedJig& e) { return e.Index == 0; });
        auto b = std::find_if(SortedJigs.begin(), SortedJigs.end(), [](const TSortedJig& e) { return e.Index == 1; });
        if (a < b)
            std::iter_swap(a, b);
    }
    RedrawP = 1;
    shot = h.Frame();
    const TPoint c1 = OpaquePoint(1);
    const OMyImage& img1 = arPicJigs[1];
    int left = c1.x - Jigs[1].X;
    while (left > 0 && MyImageGetPixelAlpha(img1, left - 1, c1.y - Jigs[1].Y) != 0)
        --left;
    for (int dx = 1; dx <= 4; ++dx) {
        const QPoint q = FieldHarness::ViewPoint(0, Jigs[1].X + left + dx, c1.y);
        EXPECT_EQ(Rgb(shot, q.x(), q.y()), PieceColour(1)) << dx;
    }
}

// The atlas keeps a shadow off the pieces drawn before its own with a table
// of mask codes: on a real cut (tabs reach into the neighbours' boxes, a frame
// around) it must allow exactly the pixels the pixel-by-pixel map allows.
TEST(PieceLooks, TheAtlasBlockersAllowWhatTheAllowedMapAllowsOnARealCut)
{
    UseRealCut(480, 360, 11);
    const TShadowLook& look = kShadowLook;
    std::vector<uint8_t> allowed;
    TCodePlane plane;
    plane.From(*miMasks);
    TShadowBlockers b;
    int blocked = 0;
    for (int j = 0; j < JigP.TotalTileNum; ++j)
        for (int r = 0; r < 4; ++r) {
            const TJig& q = Jigs[size_t(j)];
            const int cw = (r % 2 ? q.H : q.W) + look.ExtraW(), ch = (r % 2 ? q.W : q.H) + look.ExtraH();
            ShadowAllowedMap(j, r, cw, ch, allowed);
            ASSERT_TRUE(ShadowBlockersOf(j, r, plane, b));
            for (int v = 0; v < ch; ++v)
                for (int u = 0; u < cw; ++u) {
                    const bool want = allowed[size_t(v) * size_t(cw) + size_t(u)] != 0;
                    ASSERT_EQ(b.Allows(r, u, v), want) << "piece " << j << " turn " << r << " at " << u << "," << v;
                    blocked += !want;
                }
        }
    EXPECT_GT(blocked, 1000) << "the cut must give the table something to keep off";
    TShadowBlockers none;
    EXPECT_FALSE(ShadowBlockersOf(0, 0, TCodePlane{}, none)) << "without a mask the shadow falls everywhere";
}

TEST(Celebration, BurstsFollowTheSolveEndWithinTwoSecondsAndNeedTheStar)
{
    FieldHarness h;
    h.Open({});
    CelebrationP.gameOpened();
    const double t = 100;
    CelebrationP.update(t);
    EXPECT_FALSE(CelebrationP.running()) << "nothing solved yet";
    bGameSolved = true;
    CelebrationP.update(t);
    ASSERT_TRUE(CelebrationP.running());
    EXPECT_EQ(CelebrationP.arBursts.size(), size_t(kCelebrationBursts));
    EXPECT_LT(CelebrationP.tEnd - t, 2.0);
    RedrawP = 0;
    CelebrationP.update(t + 0.5);
    EXPECT_NE(RedrawP, 0) << "frames while it runs";
    CelebrationP.update(t + 2.0);
    EXPECT_FALSE(CelebrationP.running());
    // With the star off, and for a game opened already solved: nothing.
    bGameSolved = false;
    OptP.Visual_ShowJoin = false;
    CelebrationP.update(t + 3);
    bGameSolved = true;
    CelebrationP.update(t + 4);
    EXPECT_FALSE(CelebrationP.running());
    OptP.Visual_ShowJoin = true;
    CelebrationP.gameOpened();
    CelebrationP.update(t + 5);
    EXPECT_FALSE(CelebrationP.running());
}
