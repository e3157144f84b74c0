// Turning groups, laying out, arranging and pulling back lost pieces.
#include "model/memory_field.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "support/grid_jigsaw.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace {

class LayoutRules : public testing::Test {
protected:
    void Build(TGridJigsaw grid = {})
    {
        BuildGridJigsaw(grid);
        field = std::make_unique<OMemoryField>();
        SetFieldHost(field.get());
        field->SetCaptureWin(0);
    }
    void TearDown() override { SetFieldHost(nullptr); }
    static std::vector<std::pair<int, int>> Positions()
    {
        std::vector<std::pair<int, int>> p;
        for (int i = 0; i < JigsInPlay(); ++i)
            p.push_back({Jigs[size_t(i)].X, Jigs[size_t(i)].Y});
        return p;
    }
    std::unique_ptr<OMemoryField> field;
};

// ---- Turning ------------------------------------------------------------------------------

TEST_F(LayoutRules, TurnsAboutThePointerUndoExactly)
{
    Build({.rotate = true});
    for (int i : {1, 2, 6})
        Jigs[size_t(i)].Layer = 1;
    // Piece 2 gets an odd box (30 x 50) so that turns change its drawn size.
    Jigs[2].W = 30;
    Jigs[2].H = 50;
    UpdateJigDrawCoords(2);
    arPicJigs.clear();  // boxes catch the pointer
    iCurJig = 1;
    PutJigsOnTop(0);    // the group lies on top of the overhanging neighbours
    const auto before = Positions();
    const TPoint p{Jigs[1].X + 7, Jigs[1].Y + 31};
    RotateCurJig(p.x, p.y, 1);
    EXPECT_EQ(Jigs[2].Rot, 1);
    EXPECT_EQ(Jigs[2].DrawW, 50);
    EXPECT_EQ(Jigs[0].Rot, 0) << "only the group turns";
    RotateCurJig(p.x, p.y, 0);
    EXPECT_EQ(Positions(), before);
    EXPECT_EQ(Jigs[6].Rot, 0);
    for (int t = 0; t < 4; ++t)
        RotateCurJig(p.x, p.y, 1);
    EXPECT_EQ(Positions(), before);
    EXPECT_EQ(Jigs[2].Rot, 0);
    EXPECT_EQ(Jigs[2].SrcX, 0);
}

TEST_F(LayoutRules, TurnDuringADragKeepsThePieceOnThePointer)
{
    Build({.rotate = true});
    field->PlaceWin(0, 15, 25, 900, 700, 40, 30);
    const TPoint c = OpaquePoint(5);
    const TPoint v{c.x + 15 - 40, c.y + 25 - 30};
    iCurJig = GetCurJig(v.x, v.y);
    ASSERT_EQ(iCurJig, 5);
    DragCurJig(v.x, v.y, 0);
    RotateCurJig(v.x + 3, v.y + 4, 1);  // the pointer moved a little, no MoveJigs yet
    EXPECT_EQ(Jigs[5].Rot, 1);
    const TJig turned = Jigs[5];
    MoveJigs(v.x + 3, v.y + 4, -1, 0);
    EXPECT_EQ(Jigs[5].X, turned.X);
    EXPECT_EQ(Jigs[5].Y, turned.Y);
    EXPECT_EQ(DragJigP.GrabX, DragJigP.GrabX0);
}

// ---- Laying out ---------------------------------------------------------------------------

TEST_F(LayoutRules, SpreadOutFillsAGridOfTheField)
{
    // 12 loose pieces on 1200 x 800: round(sqrt(18)) = 4 columns, 3 rows.
    SetHeadlessViewSize(1200, 800);
    Build();
    SRand(5);
    RemixJigs(0, 1);
    std::set<std::pair<int, int>> cells, expected;
    for (const auto& p : Positions())
        cells.insert(p);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            expected.insert({c * (1200 - 20) / 4 + 10, r * (800 - 20) / 3 + 10});
    EXPECT_EQ(cells, expected);
}

TEST_F(LayoutRules, LayoutMovesOnlyLoosePiecesOfTheSide)
{
    SetHeadlessViewSize(1920, 1080);
    Build({.frame = true});
    Jigs[3].Layer = Jigs[4].Layer = 3;  // a group
    Jigs[7].Win = 1;                    // on the other side
    const auto before = Positions();
    SRand(9);
    RemixJigs(0, 0);
    for (int i : {3, 4, 7, 12})
        EXPECT_EQ(Positions()[size_t(i)], before[size_t(i)]) << i;
    for (int i : {0, 5, 11}) {
        EXPECT_NE(Positions()[size_t(i)], before[size_t(i)]);
        EXPECT_GE(Jigs[size_t(i)].X, -10);
        EXPECT_LT(Jigs[size_t(i)].X, 1920 - 40 - 10);
    }
    // The same seed lays out the same way.
    const auto first = Positions();
    SRand(9);
    RemixJigs(0, 0);
    EXPECT_EQ(Positions(), first);
}

TEST_F(LayoutRules, SpreadOutKeepsEveryPieceOnTheField)
{
    // 11 pieces on 1920 x 1080: 4 columns, 2 rows, one column more still
    // leaves a piece over; the grid grows until all fit.
    SetHeadlessViewSize(1920, 1080);
    Build({.cols = 11, .rows = 1});
    RemixJigs(0, 1);
    std::set<std::pair<int, int>> cells;
    for (const auto& p : Positions()) {
        cells.insert(p);
        EXPECT_LT(p.second, 1080 - 10 - 40) << "inside the field";
    }
    EXPECT_EQ(cells.size(), 11u);
}

TEST_F(LayoutRules, ArrangeGridsTheSelectedLoosePiecesFromTheirCorner)
{
    Build({.frame = true});
    for (int i = 0; i < JigsInPlay(); ++i) {
        Jigs[size_t(i)].X = 300 + 37 * i;
        Jigs[size_t(i)].Y = 900 - 41 * i;
        Jigs[size_t(i)].Sel = i != 2;
    }
    Jigs[5].Layer = Jigs[6].Layer = 5;  // a selected group stays
    const auto before = Positions();
    ArrangeSelectedJigs();
    // 9 loose pieces (not 2, 5, 6, the frame 12) on a 1920 x 1080 area:
    // 4 columns, 2 rows, one column more; cells of MaskS + MaskOfs = 70.
    std::set<std::pair<int, int>> cells, expected;
    for (int i : {0, 1, 3, 4, 7, 8, 9, 10, 11})
        cells.insert(Positions()[size_t(i)]);
    for (int t = 0; t < 9; ++t)
        expected.insert({300 + (t % 5) * 70, (900 - 41 * 12) + (t / 5) * 70});
    EXPECT_EQ(cells, expected);
    for (int i : {2, 5, 6, 12})
        EXPECT_EQ(Positions()[size_t(i)], before[size_t(i)]);
}

// ---- Lost pieces --------------------------------------------------------------------------

TEST_F(LayoutRules, FarAwayGroupComesBackWithItsShape)
{
    Build();
    Jigs[5].Layer = Jigs[6].Layer = 5;
    Jigs[5].X = 150000;
    Jigs[6].X = 150000 + 40;
    Jigs[6].Y = Jigs[5].Y;
    EXPECT_TRUE(FindLostJigs(0, 1));
    EXPECT_EQ(std::min(Jigs[5].X, Jigs[6].X), 0);
    EXPECT_EQ(Jigs[6].X - Jigs[5].X, 40);
}

TEST_F(LayoutRules, PieceIsLostWhenMoreThanAQuarterLeavesTheArea)
{
    // Piece 5's box is 60 x 60: its middle half starts 15 pixels in.
    SetHeadlessViewSize(1000, 800);
    struct { int x, y, win, wantX, wantY; } cases[] = {
        {-14, 300, 0, -14, 300},        // middle half inside
        {-16, 300, 0, -15, 300},        // one pixel of it outside: back by one
        {960, -20, 0, 955, -15},        // right and top
        {300, 760, 0, 300, 755},
        {-16, 300, 2, -15, 300},        // a pocket: the view is its area
    };
    for (const auto& c : cases) {
        Build();
        Jigs[5].X = c.x;
        Jigs[5].Y = c.y;
        Jigs[5].Win = uint8_t(c.win);
        const bool moved = FindLostJigs(c.win, 0);
        EXPECT_EQ(moved, c.wantX != c.x || c.wantY != c.y);
        EXPECT_EQ(Jigs[5].X, c.wantX) << c.x << "," << c.y;
        EXPECT_EQ(Jigs[5].Y, c.wantY) << c.x << "," << c.y;
    }
    EXPECT_EQ(field->arScrollSizes, std::vector<int>{2});
}

TEST_F(LayoutRules, FrameMayStickOutByATileWhenGathered)
{
    SetHeadlessViewSize(1000, 800);
    Build({.frame = true});
    // The frame's group: the frame (200 x 160) and piece 0 at its place.
    Jigs[12].X = -100;
    Jigs[12].Y = 100;
    Jigs[0].Layer = 12;
    Jigs[0].X = Jigs[12].X + Jigs[0].HomeX;
    Jigs[0].Y = Jigs[12].Y + Jigs[0].HomeY;
    EXPECT_FALSE(FindLostJigs(0, 0)) << "a strip of the frame is still in view";
    EXPECT_TRUE(FindLostJigs(0, 1));
    EXPECT_EQ(Jigs[12].X, -40) << "sticks out by one tile";
    EXPECT_EQ(Jigs[0].X - Jigs[12].X, Jigs[0].HomeX);
    Jigs[12].X = -200 + 30;
    Jigs[0].X = Jigs[12].X + Jigs[0].HomeX;
    EXPECT_TRUE(FindLostJigs(0, 0));
    EXPECT_EQ(Jigs[12].X, -200 + 40) << "one tile of it is in view again";
}

TEST_F(LayoutRules, GatheringVisitsSidesAndPocketsOnly)
{
    SetHeadlessViewSize(1000, 800);
    Build();
    Jigs[1].Win = 1;
    Jigs[2].Win = 4;
    Jigs[3].Win = 6;  // not a place for pieces: left alone
    for (int i : {1, 2, 3})
        Jigs[size_t(i)].X = 5000;
    FindLostJigsOnAllWins();
    EXPECT_LT(Jigs[1].X, 1000);
    EXPECT_LT(Jigs[2].X, 1000);
    EXPECT_EQ(Jigs[3].X, 5000);
}

}  // namespace
