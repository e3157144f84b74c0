// The mouse schemes as a player meets them: every button and modifier pair
// the options offer, for each action, in both drag modes; keyboard modifiers
// sent with real mouse events; moving pieces to the other side; the wheel,
// the arrow keys and Escape.
#include "field_fixture.h"

#include "field/mouse.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The nine pairs the options dialog offers, in its order.
struct TChoice {
    Qt::MouseButton button;
    Qt::KeyboardModifiers mods;
    MOUSE_ACTION code;
    const char* name;
};
const TChoice kChoices[9] = {
    {Qt::LeftButton, Qt::AltModifier, {0, 2}, "left+Alt"},
    {Qt::LeftButton, Qt::ControlModifier, {0, 8}, "left+Ctrl"},
    {Qt::LeftButton, Qt::MetaModifier, {0, 4}, "left+Super"},
    {Qt::LeftButton, Qt::ShiftModifier, {0, 1}, "left+Shift"},
    {Qt::RightButton, Qt::NoModifier, {1, 0}, "right"},
    {Qt::RightButton, Qt::AltModifier, {1, 2}, "right+Alt"},
    {Qt::RightButton, Qt::ControlModifier, {1, 8}, "right+Ctrl"},
    {Qt::RightButton, Qt::MetaModifier, {1, 4}, "right+Super"},
    {Qt::RightButton, Qt::ShiftModifier, {1, 1}, "right+Shift"},
};

TGridSpec Spread(bool rotate)
{
    TGridSpec s;
    s.ofs = 10;
    s.rotate = rotate;
    return s;
}

enum class Act { Cw, Ccw, OtherSide };

// A scheme with `act` on choice k and the other two actions on other choices.
MOUSE_SCHEMA SchemeWith(Act act, int k, bool clickToDrag)
{
    const MOUSE_ACTION a = kChoices[k].code, b = kChoices[(k + 1) % 9].code, c = kChoices[(k + 2) % 9].code;
    MOUSE_SCHEMA m{};
    switch (act) {
    case Act::Cw: m.RotCW = a, m.RotCCW = b, m.MoveOW = c; break;
    case Act::Ccw: m.RotCCW = a, m.RotCW = b, m.MoveOW = c; break;
    case Act::OtherSide: m.MoveOW = a, m.RotCW = b, m.RotCCW = c; break;
    }
    m.bClickToDrag = clickToDrag;
    m.bRotWheel = 1;
    return m;
}

}  // namespace

TEST(FieldMouseSchemes, EveryOfferedPairWorksForEveryActionInBothDragModes)
{
    FieldHarness h;
    for (bool clickToDrag : {false, true}) {
        for (Act act : {Act::Cw, Act::Ccw, Act::OtherSide}) {
            for (int k = 0; k < 9; ++k) {
                const std::string what = std::string(kChoices[k].name) + (clickToDrag ? ", click-to-drag" : "") +
                                         ", action " + std::to_string(int(act));
                h.Open(Spread(true));
                CurMA = SchemeWith(act, k, clickToDrag);
                ASSERT_NE(CurMA.RotCW, CurMA.RotCCW);
                ASSERT_NE(CurMA.RotCW, CurMA.MoveOW);
                const int x0 = Jigs[4].X, y0 = Jigs[4].Y;
                h.Click(FieldHarness::PieceCentre(4), kChoices[k].button, kChoices[k].mods);
                switch (act) {
                case Act::Cw: EXPECT_EQ(Jigs[4].Rot, 1) << what; break;
                case Act::Ccw: EXPECT_EQ(Jigs[4].Rot, 3) << what; break;
                case Act::OtherSide:
                    EXPECT_EQ(Jigs[4].Win, kSide1) << what;
                    EXPECT_EQ(Jigs[4].Rot, 0) << what;
                    EXPECT_EQ(std::make_pair(Jigs[4].X, Jigs[4].Y), std::make_pair(x0, y0)) << what;
                    break;
                }
                EXPECT_EQ(DragJigP.State, 0) << what << ": nothing is picked or framed";
                EXPECT_EQ(Jigs[3].Win, kSide0) << what;
                if (!clickToDrag || act == Act::OtherSide)
                    continue;
                // A carried piece turns with the same pair and stays carried.
                h.Open(Spread(true));
                CurMA = SchemeWith(act, k, true);
                h.Click(FieldHarness::PieceCentre(2));
                ASSERT_EQ(DragJigP.State, 1) << what;
                h.Click(FieldHarness::PieceCentre(2), kChoices[k].button, kChoices[k].mods);
                EXPECT_EQ(Jigs[2].Rot, act == Act::Cw ? 1 : 3) << what << ", carried";
                EXPECT_EQ(DragJigP.State, 1) << what << ", carried";
                h.Click(FieldHarness::PieceCentre(2));
                EXPECT_EQ(DragJigP.State, 0) << what << ", put down";
            }
        }
    }
}

TEST(FieldMouseSchemes, ModifierKeysGiveOneCodeInShiftAltSuperCtrlOrder)
{
    // Each row: the keys held with a right click; the code the scheme must
    // name for the click to turn the piece.
    const struct { Qt::KeyboardModifiers held; uint8_t code; } cases[] = {
        {Qt::ShiftModifier, 1},
        {Qt::AltModifier, 2},
        {Qt::MetaModifier, 4},
        {Qt::ControlModifier, 8},
        {Qt::ShiftModifier | Qt::ControlModifier, 1},
        {Qt::AltModifier | Qt::ControlModifier, 2},
        {Qt::MetaModifier | Qt::ControlModifier, 4},
        {Qt::KeypadModifier, 0},
    };
    FieldHarness h;
    h.Open(Spread(true));
    for (const auto& c : cases) {
        for (uint8_t named : std::initializer_list<uint8_t>{0, 1, 2, 4, 8}) {
            CurMA.RotCW = {1, named};
            CurMA.RotCCW = {0, 9};
            CurMA.MoveOW = {0, 9};
            const int before = Jigs[4].Rot;
            h.Click(FieldHarness::PieceCentre(4), Qt::RightButton, c.held);
            EXPECT_EQ(Jigs[4].Rot != before, named == c.code)
                << "held " << int(c.held) << ", scheme names " << int(named);
        }
    }
}

TEST(FieldMouseSchemes, ALeftClickOrDragWithAModifierNeverPicks)
{
    FieldHarness h;
    for (bool clickToDrag : {false, true}) {
        for (Qt::KeyboardModifier m :
             {Qt::ShiftModifier, Qt::AltModifier, Qt::MetaModifier, Qt::ControlModifier}) {
            h.Open(Spread(false));
            CurMA = DefMA;
            CurMA.bClickToDrag = clickToDrag;
            const QPoint c = FieldHarness::PieceCentre(1);
            const int x0 = Jigs[1].X, y0 = Jigs[1].Y;
            h.Drag(c, c + QPoint(40, 30), 4, Qt::LeftButton, m);
            h.Move(c + QPoint(80, 30), Qt::NoButton);
            EXPECT_EQ(std::make_pair(Jigs[1].X, Jigs[1].Y), std::make_pair(x0, y0)) << int(m);
            EXPECT_EQ(DragJigP.State, 0) << int(m);
            // Nor does it start a selection frame on the bare table.
            h.Press(QPoint(500, 400), Qt::LeftButton, m);
            EXPECT_EQ(DragJigP.State, 0) << int(m);
            h.Release(QPoint(500, 400), Qt::LeftButton, m);
            EXPECT_FALSE(DragJigP.bSelected);
        }
    }
}

TEST(FieldMouseSchemes, TheOtherSideTakesTheGroupOrTheSelectionAndOnlyFromASide)
{
    FieldHarness h;
    h.Open(Spread(false));
    Jigs[4].Layer = Jigs[3].Layer;  // a group of two
    SortJigs(0);
    h.Click(FieldHarness::PieceCentre(4), Qt::RightButton);
    EXPECT_EQ(Jigs[3].Win, kSide1);
    EXPECT_EQ(Jigs[4].Win, kSide1);
    EXPECT_EQ(Jigs[5].Win, kSide0);
    EXPECT_EQ(iCurJig, -1);
    h.Click(QPoint(600, 440), Qt::RightButton);  // the bare table: nothing
    EXPECT_EQ(Jigs[5].Win, kSide0);

    // A selection goes whole when one of its pieces is clicked, and is deselected.
    Jigs[0].Sel = Jigs[1].Sel = 1;
    DragJigP.bSelected = true;
    h.Click(FieldHarness::PieceCentre(1), Qt::RightButton);
    EXPECT_EQ(Jigs[0].Win, kSide1);
    EXPECT_EQ(Jigs[1].Win, kSide1);
    EXPECT_EQ(Jigs[2].Win, kSide0);
    EXPECT_FALSE(DragJigP.bSelected);
    EXPECT_EQ(Jigs[0].Sel, 0);

    // A piece outside the selection goes alone; the selection is dropped.
    Jigs[5].Sel = 1;
    DragJigP.bSelected = true;
    h.Click(FieldHarness::PieceCentre(2), Qt::RightButton);
    EXPECT_EQ(Jigs[2].Win, kSide1);
    EXPECT_EQ(Jigs[5].Win, kSide0);
    EXPECT_EQ(Jigs[5].Sel, 0);

    // One side only: nothing goes.
    CurMA.bSingleWin = 1;
    h.Click(FieldHarness::PieceCentre(5), Qt::RightButton);
    EXPECT_EQ(Jigs[5].Win, kSide0);
    CurMA.bSingleWin = 0;

    // From a pocket: nothing goes either.
    PocketSetVisible(kPocket0, true);
    OMyWin* p = GetViewWin(kPocket0);
    const TMyRect pc = p->mrClient;
    h.Drag(FieldHarness::PieceCentre(5), QPoint(pc.L + pc.W / 2, pc.T + pc.H / 2), 8);
    ASSERT_EQ(Jigs[5].Win, kPocket0);
    h.Click(FieldHarness::PieceCentre(5), Qt::RightButton);
    EXPECT_EQ(Jigs[5].Win, kPocket0);

    // And back again from the second side.
    PocketSetVisible(kPocket0, false);
    h.Key(Qt::Key_Space);
    ASSERT_EQ(bCurSide, 1);
    h.Click(FieldHarness::PieceCentre(2), Qt::RightButton);
    EXPECT_EQ(Jigs[2].Win, kSide0);
}

TEST(FieldMouseSchemes, TheWheelScrollsWhereItHasNothingToTurnAndArrowKeysScrollTheSide)
{
    FieldHarness h;
    h.Open(Spread(true), false);  // the sides' content is the screen's work area: bars
    OMyWin* s0 = GetViewWin(kSide0);
    ASSERT_TRUE(s0->bHorScrollVisible && s0->bVerScrollVisible);
    Jigs[5].X = 300;  // low on the table: still in view when scrolled
    Jigs[5].Y = 400;
    RedrawP = 1;
    const QPoint bare(500, 380);
    // Over a piece with rotation on, the wheel turns and does not scroll.
    h.Wheel(FieldHarness::PieceCentre(4), -120);
    EXPECT_EQ(Jigs[4].Rot, 1);
    EXPECT_EQ(s0->iScrollT, 0);
    // Over the bare table it scrolls: towards the player down, Shift across.
    h.Wheel(bare, -120);
    EXPECT_EQ(s0->iScrollT, kFieldScrollStep);
    EXPECT_EQ(GetViewWin(kSide1)->iScrollT, kFieldScrollStep);  // the sides keep one geometry
    h.Wheel(bare, -120, Qt::ShiftModifier);
    EXPECT_EQ(s0->iScrollL, kFieldScrollStep);
    h.Wheel(bare, 120);
    h.Wheel(bare, 120);
    EXPECT_EQ(s0->iScrollT, 0);  // never before the content's start
    // With turning switched off the wheel scrolls over pieces too.
    CurMA.bRotWheel = 0;
    h.Wheel(FieldHarness::PieceCentre(4), -120);
    EXPECT_EQ(Jigs[4].Rot, 1);
    EXPECT_EQ(s0->iScrollT, kFieldScrollStep);
    CurMA.bRotWheel = 1;
    JigP.Rotate = 0;
    h.Wheel(FieldHarness::PieceCentre(4), -120);
    EXPECT_EQ(s0->iScrollT, 2 * kFieldScrollStep);
    // The picture follows.
    const QPoint c = FieldHarness::PieceCentre(5);
    ASSERT_TRUE(MyRectIsCoordsIn(c.x(), c.y(), s0->mrClient));
    EXPECT_EQ(Rgb(h.Frame(), c.x(), c.y()), PieceColour(5));

    // A pocket under the pointer scrolls itself, not the table.
    PocketSetVisible(kPocket0, true);
    OMyWin* p = GetViewWin(kPocket0);
    p->iMaxScrollW = 2000;
    p->iMaxScrollH = 2000;
    p->resizeNoClient();
    ASSERT_TRUE(p->bVerScrollVisible);
    const QPoint inPocket(p->mrClient.L + 10, p->mrClient.T + 10);
    h.Wheel(inPocket, -120);
    EXPECT_EQ(p->iScrollT, kFieldScrollStep);
    EXPECT_EQ(s0->iScrollT, 2 * kFieldScrollStep);
    PocketSetVisible(kPocket0, false);

    // Arrow keys scroll the shown side, within its content.
    h.Key(Qt::Key_Down);
    EXPECT_EQ(s0->iScrollT, 3 * kFieldScrollStep);
    h.Key(Qt::Key_Right);
    EXPECT_EQ(s0->iScrollL, 2 * kFieldScrollStep);
    h.Key(Qt::Key_Up);
    h.Key(Qt::Key_Left);
    EXPECT_EQ(s0->iScrollT, 2 * kFieldScrollStep);
    EXPECT_EQ(s0->iScrollL, kFieldScrollStep);
    // Not while a piece is dragged.
    const QPoint held = FieldHarness::PieceCentre(5);
    h.Press(held);
    ASSERT_EQ(DragJigP.State, 1);
    h.Key(Qt::Key_Down);
    EXPECT_EQ(s0->iScrollT, 2 * kFieldScrollStep);
    h.Release(held);
    for (int i = 0; i < 200; ++i)
        h.Key(Qt::Key_Right);
    EXPECT_EQ(s0->iScrollL, s0->iMaxScrollW - s0->mrClient.W);
}

TEST(FieldMouseSchemes, EscapeGivesUpASelectionFrameAndDeselects)
{
    FieldHarness h;
    h.Open(Spread(false));
    const QPoint start(300, 260), end(20, 20);
    h.Press(start);
    h.Move(end);
    ASSERT_EQ(DragJigP.State, 2);
    h.Key(Qt::Key_Escape);
    EXPECT_EQ(DragJigP.State, 0);
    h.Move(end + QPoint(1, 1));
    h.Release(end + QPoint(1, 1));
    EXPECT_FALSE(DragJigP.bSelected) << "the given-up frame selects nothing";
    for (int j = 0; j < JigP.TotalTileNum; ++j)
        EXPECT_EQ(Jigs[size_t(j)].Sel, 0);

    h.Drag(start, end, 5);
    ASSERT_TRUE(DragJigP.bSelected);
    h.Key(Qt::Key_Escape);
    EXPECT_FALSE(DragJigP.bSelected);
    for (int j = 0; j < JigP.TotalTileNum; ++j)
        EXPECT_EQ(Jigs[size_t(j)].Sel, 0) << j;
    const QPoint c = FieldHarness::PieceCentre(0);
    EXPECT_EQ(Rgb(h.Frame(), c.x(), c.y()), PieceColour(0));  // drawn unselected again
}
