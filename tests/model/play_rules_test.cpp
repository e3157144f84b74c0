// Picking, dropping and joining, selection, sides, the solve and the weight;
// turning groups, laying out, arranging and pulling back lost pieces.
#include "model/memory_field.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "support/grid_jigsaw.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>
#include <utility>

namespace {

using Kind = RecordingPlatform::Kind;

class PlayRules : public testing::Test {
protected:
    void Build(TGridJigsaw grid = {})
    {
        BuildGridJigsaw(grid);
        Recorder().Clear();
        field = std::make_unique<OMemoryField>();
        SetFieldHost(field.get());
        field->SetCaptureWin(0);
    }
    void TearDown() override { SetFieldHost(nullptr); }

    static void Group(std::initializer_list<int> pieces, int layer)
    {
        for (int i : pieces)
            JigAt(i).Layer = layer;
    }
    static void Drop(int i)
    {
        iCurJig = i;
        DragJigP.State = kDragPieces;
        DropCurJig();
    }
    // Piece i lies exactly at its place relative to piece `ref` (both unturned), moved by (dx, dy).
    static void PlaceBeside(int i, int ref, int dx = 0, int dy = 0)
    {
        const TJig& r = JigAt(ref);
        JigAt(i).X = r.X + JigAt(i).HomeX - r.HomeX + dx;
        JigAt(i).Y = r.Y + JigAt(i).HomeY - r.HomeY + dy;
    }
    static bool AtPlace(int i, int ref)
    {
        const TJig &a = JigAt(i), &b = JigAt(ref);
        return a.X - b.X == a.HomeX - b.HomeX && a.Y - b.Y == a.HomeY - b.HomeY;
    }
    static std::vector<std::pair<int, int>> Positions()
    {
        std::vector<std::pair<int, int>> p;
        for (int i = 0; i < JigsInPlay(); ++i)
            p.push_back({JigAt(i).X, JigAt(i).Y});
        return p;
    }
    static void Scatter()
    {
        for (int i = 0; i < JigsInPlay(); ++i) {
            JigAt(i).X = 2000 + 200 * i;
            JigAt(i).Y = 2000;
        }
    }

    std::unique_ptr<OMemoryField> field;
};
using LayoutRules = PlayRules;

// ---- Joining ------------------------------------------------------------------------------

TEST_F(PlayRules, JoinDistanceIsStrictlyBelowTheThresholdOnOneRotationAndWindow)
{
    struct { int dx, dy, rot, win; bool joins; } cases[] = {
        {11, 11, 0, 0, true}, {-11, -11, 0, 0, true}, {0, 0, 0, 0, true}, {12, 0, 0, 0, false},
        {0, 12, 0, 0, false}, {-12, 3, 0, 0, false}, {0, 0, 1, 0, false}, {0, 0, 0, 1, false}, {0, 0, 0, 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy << " rot " << c.rot << " win " << c.win);
        Build({.rotate = true});
        JigP.StuckD = 10;  // with StuckKoef 12: 12 pixels
        Scatter();
        PlaceBeside(0, 1, c.dx, c.dy);
        Jigs[1].Rot = uint8_t(c.rot);
        Jigs[1].Win = uint8_t(c.win);
        Drop(0);
        EXPECT_EQ(Jigs[0].Layer == Jigs[1].Layer, c.joins);
        EXPECT_EQ(AtPlace(0, 1), c.joins || (c.dx == 0 && c.dy == 0)) << "snapped only when joined";
        EXPECT_EQ(Recorder().Count(Kind::Sound, "set"), c.joins ? 1 : 0);
        EXPECT_EQ(field->arStars.size(), c.joins ? 1u : 0u);
        EXPECT_EQ(iCurJig, -1);
        EXPECT_EQ(DragJigP.State, kDragIdle);
    }
    Build();
    OptP.StuckKoef = 0;
    Scatter();
    PlaceBeside(0, 1);
    Drop(0);
    EXPECT_NE(Jigs[0].Layer, Jigs[1].Layer) << "join strength 0 never joins";
}

TEST_F(PlayRules, SmallerGroupMovesAndEqualGroupsMoveTheDroppedOne)
{
    // 4 x 3 grid: dropped group starts with piece 1, resting group with piece 2.
    struct { std::initializer_list<int> dropped, resting; bool droppedMoves; } cases[] = {
        {{1, 0, 4}, {2, 3, 6, 7, 11}, true},
        {{1, 0, 4}, {2, 3}, false},
        {{1, 0}, {2, 3}, true},
    };
    for (const auto& c : cases) {
        Build();
        Scatter();
        for (int i : c.dropped)
            PlaceBeside(i, 1);
        for (int i : c.resting)
            PlaceBeside(i, 2);
        Group(c.dropped, 20);
        Group(c.resting, 21);
        PlaceBeside(1, 2, 5, -4);  // the dropped group lies 5, -4 off as a whole
        for (int i : c.dropped)
            PlaceBeside(i, 1);
        const TJig before1 = Jigs[1], before2 = Jigs[2];
        Drop(1);
        EXPECT_EQ(Jigs[1].Layer, Jigs[2].Layer);
        for (int i : c.dropped)
            EXPECT_TRUE(AtPlace(i, 2)) << i;
        for (int i : c.resting)
            EXPECT_TRUE(AtPlace(i, 1)) << i;
        for (const TSortedJig& e : SortedJigs)
            ASSERT_EQ(e.Layer, JigAt(e.Index).Layer) << "the draw order follows the join";
        EXPECT_EQ(Jigs[1].X == before1.X, !c.droppedMoves);
        EXPECT_EQ(Jigs[2].X == before2.X, c.droppedMoves);
    }
}

TEST_F(PlayRules, PieceJoinsOnlyItsFirstMatchingNeighbourItself)
{
    // Piece 1 has its left (0) and right (2) neighbours at their places, in
    // two groups: only 0, the first slot, joins.
    Build();
    Scatter();
    PlaceBeside(0, 1);
    PlaceBeside(2, 1);
    Drop(1);
    EXPECT_EQ(Jigs[0].Layer, Jigs[1].Layer);
    EXPECT_NE(Jigs[2].Layer, Jigs[1].Layer);

    // When the joined group brings a later piece (4) next to 5, 5 joins too.
    Build();
    Scatter();
    for (int i : {0, 4})
        PlaceBeside(i, 1);
    Group({0, 4}, 30);
    PlaceBeside(5, 4);
    Drop(1);
    EXPECT_EQ(Jigs[5].Layer, Jigs[1].Layer);
    EXPECT_EQ(Jigs[0].Layer, Jigs[1].Layer);
}

TEST_F(PlayRules, TurnedNeighboursJoinAtTheirTurnedPlace)
{
    // Piece 5 and each of its four neighbours, turned together r times.
    for (int r = 0; r < 4; ++r)
        for (int nb : {1, 4, 6, 9}) {
            Build({.rotate = true});
            for (int i = 0; i < JigsInPlay(); ++i)
                PlaceTurned(i, r, 3000 + 300 * i, 300);  // far apart
            PlaceTurned(5, r, 0, 0);
            PlaceTurned(nb, r, 3, -2);  // off by a little: snaps
            Drop(5);
            EXPECT_EQ(JigAt(nb).Layer, Jigs[5].Layer) << "rotation " << r << " piece " << nb;
            const TPoint got{JigAt(nb).X - Jigs[5].X, JigAt(nb).Y - Jigs[5].Y};
            PlaceTurned(nb, r, 0, 0);
            PlaceTurned(5, r, 0, 0);
            EXPECT_EQ(got.x, JigAt(nb).X - Jigs[5].X) << "snapped to the turned place";
            EXPECT_EQ(got.y, JigAt(nb).Y - Jigs[5].Y);
        }
}

TEST_F(PlayRules, FrameJoinsBorderPiecesOnly)
{
    Build({.frame = true});
    const int frame = FrameJig();
    ASSERT_EQ(frame, 12);
    Scatter();
    JigAt(frame).X = JigAt(frame).Y = 500;
    PlaceBeside(5, frame);   // interior piece at its place: never joins the frame
    PlaceBeside(0, frame, 4, 4);
    Drop(frame);
    EXPECT_NE(Jigs[5].Layer, JigAt(frame).Layer);
    EXPECT_EQ(Jigs[0].Layer, JigAt(frame).Layer);
    EXPECT_TRUE(AtPlace(frame, 0)) << "the frame (a group of one) snapped onto the piece";
    // The star sits on the border piece's left-top corner (it touches both edges).
    ASSERT_EQ(field->arStars.size(), 1u);
    EXPECT_EQ(field->arStars[0].x, Jigs[0].X - 11);
    EXPECT_EQ(field->arStars[0].y, Jigs[0].Y - 11);

    // A border piece dropped at its place joins the frame through its slot.
    PlaceBeside(1, 0, 2, -3);
    Drop(1);
    EXPECT_EQ(Jigs[1].Layer, JigAt(frame).Layer);
    // The frame's group can be dragged but not turned.
    const TPoint p = OpaquePoint(frame);
    EXPECT_EQ(GetCurJig(p.x, p.y), frame);
    const TJig before = JigAt(frame);
    RotateCurJig(p.x, p.y, 1);
    EXPECT_EQ(JigAt(frame).X, before.X);
    EXPECT_EQ(Jigs[1].Rot, 0);
    iCurJig = frame;
    DragCurJig(p.x, p.y, 0);
    MoveJigs(p.x + 7, p.y + 9, -1, 0);
    EXPECT_EQ(JigAt(frame).X, before.X + 7);
    EXPECT_TRUE(AtPlace(1, frame));
}

// ---- Picking ------------------------------------------------------------------------------

TEST_F(PlayRules, TransparentCornerPicksThePieceBeneath)
{
    Build();
    field->PlaceWin(0, 10, 20, 800, 600, 5, 7);
    Scatter();
    // Piece 5's box overhangs its cell by 10 pixels; piece 6 lies under that margin.
    Jigs[5].X = Jigs[5].Y = 300;
    Jigs[6].X = Jigs[6].Y = 290;
    iCurJig = 5;
    PutJigsOnTop(0);
    const auto view = [](int cx, int cy) { return TPoint{cx + 10 - 5, cy + 20 - 7}; };
    TPoint v = view(302, 302);  // in 5's box, outside its cell
    EXPECT_EQ(GetCurJig(v.x, v.y), 6);
    v = view(315, 315);  // inside 5's cell
    EXPECT_EQ(GetCurJig(v.x, v.y), 5);
    Jigs[5].Win = 1;  // on the other side now
    EXPECT_EQ(GetCurJig(v.x, v.y), 6);
    v = view(700, 700);
    EXPECT_EQ(GetCurJig(v.x, v.y), -1);
    EXPECT_EQ(SortedJigs.front().Layer, 0) << "left ascending";
}

// ---- Solving ------------------------------------------------------------------------------

TEST_F(PlayRules, SolveCentresThePictureAndCongratulatesOnce)
{
    SetLangMessageFn([](const std::string& key) { return key == "MS_Congratulat" ? std::string("Well done!") : key; });
    Build({.frame = true});
    for (int i = 0; i < JigsInPlay(); ++i)
        PlaceBeside(i, 0);
    Group({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 3);  // all but the frame
    iCurJig = 11;
    DropCurJig();
    EXPECT_FALSE(bGameSolved) << "the frame is still apart";
    Drop(12);
    EXPECT_TRUE(bGameSolved);
    EXPECT_EQ(Jigs[12].X, (iMaxMainViewScrollW - JigP.ImageW) / 2);
    EXPECT_EQ(Jigs[12].Y, (iMaxMainViewScrollH - JigP.ImageH) / 2);
    EXPECT_TRUE(AtPlace(7, 12));
    EXPECT_EQ(Recorder().Count(Kind::Message, "Well done!"), 1);
    EXPECT_EQ(Recorder().Count(Kind::Sound, "win"), 1);
    Drop(3);
    CheckSolvePuzzle();
    EXPECT_EQ(Recorder().Count(Kind::Message), 1) << "a second drop does not congratulate again";
}

TEST_F(PlayRules, OneGroupWithATurnedPieceIsNotSolved)
{
    Build();
    Group({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 0);
    Jigs[0].Rot = 2;
    CheckSolvePuzzle();
    EXPECT_FALSE(bGameSolved);
    Jigs[0].Rot = 0;
    CheckSolvePuzzle();
    EXPECT_TRUE(bGameSolved);
    EXPECT_EQ(Jigs[0].X, (iMaxMainViewScrollW - JigP.ImageW) / 2);
}

// ---- Lifting, selecting, the weight ------------------------------------------------------------

TEST_F(PlayRules, LiftingAGroupKeepsTheOthersInOrderAndSkipsTheWeight)
{
    Build();
    Group({2, 7}, 2);
    iCurJig = 7;
    PutJigsOnTop(0);
    EXPECT_EQ(Jigs[2].Layer, 11);
    EXPECT_EQ(Jigs[7].Layer, 11);
    EXPECT_EQ(Jigs[3].Layer, 2);
    EXPECT_EQ(Jigs[11].Layer, 10);
    EXPECT_EQ(SortedJigs.back().Layer, 11);

    iWeightJig = 3;
    MoveWeightJigToBottom();
    EXPECT_EQ(Jigs[3].Layer, 0);
    EXPECT_EQ(Jigs[0].Layer, 1);
    EXPECT_EQ(Jigs[4].Layer, 3) << "layers above the weighted group stay";
    const std::vector<int32_t> before = [] { std::vector<int32_t> l; for (const TJig& j : Jigs) l.push_back(j.Layer); return l; }();
    iCurJig = 3;
    PutJigsOnTop(0);
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(Jigs[i].Layer, before[i]) << "the weighted group is never lifted";
    EXPECT_TRUE(IsWeightJig(3));
    EXPECT_FALSE(IsWeightJig(4));
}

TEST_F(PlayRules, SelectionFrameTakesWholeGroupsShrunkByAThird)
{
    Build();
    Scatter();
    // Piece 0 (50 x 50 box) at (100, 100): shrunk by 16 on each side it needs
    // the frame from (116, 116) to (134, 134).
    Jigs[0].X = Jigs[0].Y = 100;
    Jigs[1].X = 300;   // a group of two, half inside
    Jigs[1].Y = 100;
    Jigs[2].X = 400;
    Jigs[2].Y = 900;
    Group({1, 2}, 1);
    Jigs[3].X = Jigs[3].Y = 120;  // weighted, inside
    iWeightJig = 3;
    struct { int l, t, r, b; bool takes0; } cases[] = {
        {116, 116, 134, 134, true}, {117, 116, 134, 134, false}, {116, 116, 133, 134, false}, {0, 0, 500, 500, true},
    };
    for (const auto& c : cases) {
        for (TJig& j : Jigs)
            j.Sel = 0;
        DragJigP.SelRect = vMyRectInitRB(c.l, c.t, c.r, c.b);
        DragJigP.SelRect.W = c.r - c.l;  // W, H as the mouse handling leaves them
        DragJigP.SelRect.H = c.b - c.t;
        DragJigP.State = kDragFrame;
        SelectJigs(0);
        EXPECT_EQ(Jigs[0].Sel, c.takes0 ? 1 : 0) << c.l << " " << c.r;
        EXPECT_EQ(Jigs[1].Sel + Jigs[2].Sel, 0) << "half a group is no group";
        EXPECT_EQ(Jigs[3].Sel, 0) << "the weighted group is never selected";
        EXPECT_EQ(DragJigP.bSelected, c.takes0);
        EXPECT_EQ(DragJigP.State, kDragIdle);
    }
    EXPECT_EQ(Jigs[0].Layer, 10) << "the selection went on top, layers dense";
    EXPECT_EQ(Jigs[1].Layer, 0);
}

TEST_F(PlayRules, SelectAllFromTheThumbnailWorksOnTheCurrentSide)
{
    Build();
    Jigs[4].Win = 1;
    Jigs[5].Win = 2;
    field->SetCaptureWin(6);
    bCurSide = 1;
    SelectJigs(1);
    EXPECT_EQ(field->iCapture, 1);
    for (int i = 0; i < JigsInPlay(); ++i)
        EXPECT_EQ(JigAt(i).Sel, i == 4 ? 1 : 0);
    EXPECT_TRUE(DragJigP.bSelected);
    DeselectJigs();
    EXPECT_EQ(Jigs[4].Sel, 0);
    EXPECT_FALSE(DragJigP.bSelected);
}

// ---- Moving between windows ---------------------------------------------------------------

TEST_F(PlayRules, TheOtherSideTakesTheCurrentGroupOnTopOrEverySelectedPiece)
{
    // From side 0 the other side is 1; from side 1 it is 0 (and from a
    // pocket, as the rule has it, 0 too).
    const struct { int captured, target; bool selectedOnly; } cases[] = {
        {0, 1, false}, {1, 0, false}, {0, 1, true}, {1, 0, true},
    };
    for (const auto& c : cases) {
        Build();
        for (int i = 0; i < JigsInPlay(); ++i)
            JigAt(i).Win = uint8_t(c.captured);
        field->SetCaptureWin(c.captured);
        Group({2, 7}, 2);
        Jigs[4].Sel = Jigs[9].Sel = 1;
        AutoSaveP.bNeedSave = false;
        iCurJig = 7;
        ChangeJigsSide(0, 0, c.selectedOnly);
        std::set<int> moved;
        for (int i = 0; i < JigsInPlay(); ++i)
            if (JigAt(i).Win != c.captured) {
                EXPECT_EQ(JigAt(i).Win, c.target);
                moved.insert(i);
            }
        const std::set<int> want = c.selectedOnly ? std::set<int>{4, 9} : std::set<int>{2, 7};
        EXPECT_EQ(moved, want) << c.captured;
        if (!c.selectedOnly) {
            EXPECT_EQ(Jigs[2].Layer, JigsInPlay() - 1) << "the group goes on top";
            EXPECT_EQ(Jigs[7].Layer, Jigs[2].Layer);
        }
        EXPECT_EQ(iCurJig, -1);
        EXPECT_TRUE(AutoSaveP.bNeedSave);
    }
}

TEST_F(PlayRules, DraggingIntoAPocketMovesTheGroupAndTheCapture)
{
    Build();
    field->PlaceWin(3, 500, 300, 200, 150, 20, 0);
    Group({0, 1}, 0);
    iCurJig = 1;
    const TPoint p = OpaquePoint(1);
    DragCurJig(p.x, p.y, 0);
    EXPECT_EQ(field->arStillBufModes, std::vector<int>{kComposeWithoutDragged});
    const int x0 = Jigs[0].X;
    MoveJigs(p.x + 5, p.y + 6, -1, 0);
    EXPECT_EQ(Jigs[0].X, x0 + 5);
    MoveJigs(550, 350, 3, 0);
    EXPECT_EQ(Jigs[1].Win, 3);
    EXPECT_EQ(Jigs[0].Win, 3);
    EXPECT_EQ(Jigs[2].Win, 0);
    EXPECT_EQ(Jigs[1].X - (550 - 500 + 20), DragJigP.GrabX) << "the grab offset holds in the pocket";
    EXPECT_EQ(field->iCapture, 3);
    EXPECT_EQ(field->arZOrder.back(), 3);
    EXPECT_EQ(field->arJigsNum[3], 1);
    EXPECT_GT(field->arWins[3].iMaxScrollW, 0);
    EXPECT_EQ(field->iDirtyMoves, 2);
    // And out again: the pocket left is recounted.
    MoveJigs(100, 100, 0, 0);
    EXPECT_EQ(field->arJigsNum[3], 0);
    EXPECT_EQ(field->iCapture, 0);
    EXPECT_EQ(Jigs[0].Win, 0);
}

// ---- Turning ------------------------------------------------------------------------------

TEST_F(LayoutRules, TurnsAboutThePointerUndoExactly)
{
    Build({.rotate = true});
    for (int i : {1, 2, 6})
        JigAt(i).Layer = 1;
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

TEST_F(LayoutRules, SpreadOutFillsAGridOfTheFieldThatGrowsUntilAllFit)
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

    // 11 pieces on 1920 x 1080: 4 columns, 2 rows, one column more still
    // leaves a piece over; the grid grows until all fit.
    SetHeadlessViewSize(1920, 1080);
    Build({.cols = 11, .rows = 1});
    RemixJigs(0, 1);
    cells.clear();
    for (const auto& p : Positions()) {
        cells.insert(p);
        EXPECT_LT(p.second, 1080 - 10 - 40) << "inside the field";
    }
    EXPECT_EQ(cells.size(), 11u);
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
        EXPECT_GE(JigAt(i).X, -10);
        EXPECT_LT(JigAt(i).X, 1920 - 40 - 10);
    }
    // The same seed lays out the same way.
    const auto first = Positions();
    SRand(9);
    RemixJigs(0, 0);
    EXPECT_EQ(Positions(), first);
}

TEST_F(LayoutRules, ArrangeGridsTheSelectedLoosePiecesFromTheirCorner)
{
    Build({.frame = true});
    for (int i = 0; i < JigsInPlay(); ++i) {
        JigAt(i).X = 300 + 37 * i;
        JigAt(i).Y = 900 - 41 * i;
        JigAt(i).Sel = i != 2;
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

TEST_F(LayoutRules, ArrangeKeepsTheAreasShapeAndGrowsOnlyWhereAPieceWouldFallOutside)
{
    // 5 pieces on the 1920 x 1080 table: 3 columns by 1 row is one column
    // short; a fourth column still leaves one over, which goes on a second row.
    Build({.cols = 5, .rows = 1});
    for (int i = 0; i < 5; ++i) {
        JigAt(i).X = 500 + 100 * i;
        JigAt(i).Y = 300 - 10 * i;
        JigAt(i).Sel = 1;
    }
    ArrangeSelectedJigs();
    std::set<std::pair<int, int>> cells, expected;
    for (const auto& p : Positions())
        cells.insert(p);
    for (int t = 0; t < 5; ++t)
        expected.insert({500 + (t % 4) * 70, 260 + (t / 4) * 70});
    EXPECT_EQ(cells, expected);
}

TEST(ArrangeGridSweep, EveryPieceGetsACellInsideTheAreaAndTheOneStepGridStandsWhereItFits)
{
    // The grid as first planned: square roots of the area's shape, then one
    // row or column more when short, cells shrunk to fit the planned grid.
    auto oneStep = [](int k, int aw, int ah, int cell) {
        auto side = [](int64_t a, int64_t b, int64_t c) {
            return std::max(1, int(std::lround(std::sqrt(double(a * b / c)))));
        };
        TArrangeGrid g{side(k, aw, ah), side(k, ah, aw)};
        if (int64_t(g.cols) * g.rows < k)
            (int64_t(g.cols + 1) * g.rows > int64_t(g.rows + 1) * g.cols ? g.rows : g.cols) += 1;
        g.cellW = int64_t(g.cols) * cell > aw ? aw / g.cols : cell;
        g.cellH = int64_t(g.rows) * cell > ah ? ah / g.rows : cell;
        return g;
    };
    struct { int aw, ah, cell; } areas[] = {
        {1920, 1080, 70}, {1280, 800, 130}, {800, 600, 70}, {600, 1600, 90}, {3000, 400, 60},
    };
    int grownAnywhere = 0;
    for (const auto& a : areas) {
        int grown = 0;
        for (int k = 1; k <= 4000; ++k) {
            const TArrangeGrid g = ArrangeGrid(k, a.aw, a.ah, a.cell);
            const int filledRows = (k + g.cols - 1) / g.cols;
            ASSERT_LE(std::min(k, g.cols) * g.cellW, a.aw) << k;
            ASSERT_LE(filledRows * g.cellH, a.ah) << "k " << k << " on " << a.aw << " x " << a.ah;
            ASSERT_GT(g.cellW, 0);
            ASSERT_GT(g.cellH, 0);
            const TArrangeGrid p = oneStep(k, a.aw, a.ah, a.cell);
            if ((k + p.cols - 1) / p.cols * p.cellH <= a.ah) {
                ASSERT_EQ(std::tie(g.cols, g.cellW, g.cellH), std::tie(p.cols, p.cellW, p.cellH)) << k;
            } else {
                ++grown;
            }
        }
        EXPECT_LT(grown, 4000) << a.aw << " x " << a.ah;
        grownAnywhere += grown;
    }
    EXPECT_GT(grownAnywhere, 0) << "the sweep reaches crowded areas";
    // The 5-piece table keeps its second row.
    EXPECT_EQ(ArrangeGrid(5, 1920, 1080, 70).cols, 4);
}

// ---- Lost pieces --------------------------------------------------------------------------

TEST_F(LayoutRules, PieceIsLostWhenMoreThanAQuarterLeavesTheAreaAndAGroupComesBackWhole)
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
    // A far-away group comes back with its shape.
    Build();
    Jigs[5].Layer = Jigs[6].Layer = 5;
    Jigs[5].X = 150000;
    Jigs[6].X = 150000 + 40;
    Jigs[6].Y = Jigs[5].Y;
    EXPECT_TRUE(FindLostJigs(0, 1));
    EXPECT_EQ(std::min(Jigs[5].X, Jigs[6].X), 0);
    EXPECT_EQ(Jigs[6].X - Jigs[5].X, 40);
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
        JigAt(i).X = 5000;
    FindLostJigsOnAllWins();
    EXPECT_LT(Jigs[1].X, 1000);
    EXPECT_LT(Jigs[2].X, 1000);
    EXPECT_EQ(Jigs[3].X, 5000);
}

}  // namespace
