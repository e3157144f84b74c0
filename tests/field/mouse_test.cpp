// Playing on the field with the mouse, the wheel and the keys, as a player
// does: real events sent to the view, the piece table and the drawn frame checked.
#include "field_fixture.h"

#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "support/dialog_wait.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

// Moves the mouse so that piece j, picked at its centre, ends with its X, Y
// at (x, y) of its window's content.
void DragPieceTo(FieldHarness& h, int j, int x, int y)
{
    const QPoint from = FieldHarness::PieceCentre(j);
    const QPoint to = from + QPoint(x - JigAt(j).X, y - JigAt(j).Y);
    h.Drag(from, to);
}

// Where piece j belongs beside piece k (rotation 0).
QPoint HomeBeside(int j, int k)
{
    return QPoint(JigAt(k).X + JigAt(j).HomeX - JigAt(k).HomeX,
                  JigAt(k).Y + JigAt(j).HomeY - JigAt(k).HomeY);
}

TGridSpec Spread(bool rotate = false, int originX = 60, int originY = 60)
{
    TGridSpec s;
    s.ofs = 10;  // StuckD 5: with join strength 12 the pieces join below 6 pixels off
    s.rotate = rotate;
    s.originX = originX;
    s.originY = originY;
    return s;
}

}  // namespace

TEST(FieldMouse, DraggingAPieceOntoItsNeighbourJoinsItWithSoundAndStarButNotFromFurther)
{
    FieldHarness h;
    h.Open(Spread());
    Jigs[1].X += 150;  // away from piece 0
    Jigs[1].Y += 90;
    const QPoint home = HomeBeside(1, 0);
    DragPieceTo(h, 1, home.x() + 6, home.y());  // short of the join distance: stays apart
    EXPECT_NE(Jigs[1].Layer, Jigs[0].Layer);
    EXPECT_EQ(Jigs[1].X, home.x() + 6);
    EXPECT_EQ(h.Rec().Count(RecordingPlatform::Kind::Sound), 0);
    EXPECT_FALSE(StarP.running());
    DragPieceTo(h, 1, home.x() + 4, home.y() - 3);
    EXPECT_EQ(Jigs[1].Layer, Jigs[0].Layer);
    EXPECT_EQ(QPoint(Jigs[1].X, Jigs[1].Y), home);  // snapped exactly
    EXPECT_EQ(h.Rec().Count(RecordingPlatform::Kind::Sound, "set"), 1);
    EXPECT_TRUE(StarP.running());
    const QImage img = h.Frame();
    const QPoint c = FieldHarness::PieceCentre(1);
    EXPECT_EQ(Rgb(img, c.x(), c.y()), PieceColour(1));
}

TEST(FieldMouse, OtherButtonsAndTheWheelDuringADragLeaveThePiecesInTheirWindow)
{
    FieldHarness h;
    h.Open(Spread());
    Jigs[1].X += 150;
    Jigs[1].Y += 90;
    OMyWin* t = GetViewWin(kThumbWin);
    t->setVisible(true);
    t->changeLT(MakeTPoint(420, 300));
    t->move();
    const QPoint from = FieldHarness::PieceCentre(1), home = HomeBeside(1, 0);
    const QPoint to = from + QPoint(home.x() + 2 - Jigs[1].X, home.y() - Jigs[1].Y);
    const QPoint overThumb(t->mrClient.L + 10, t->mrClient.T + 10);
    h.Press(from);
    h.Move(overThumb);
    h.Wheel(overThumb, -120);
    h.Press(overThumb, Qt::RightButton);
    h.Release(overThumb, Qt::RightButton);
    h.Move(from);
    h.Press(from, Qt::RightButton);  // over the dragged piece: not a move to the other side
    h.Release(from, Qt::RightButton);
    EXPECT_EQ(DragJigP.State, kDragPieces);
    h.Move(to);
    h.Release(to);
    EXPECT_EQ(Jigs[1].Win, kSide0);
    EXPECT_EQ(Jigs[1].Layer, Jigs[0].Layer);
    EXPECT_EQ(CaptureWin, GetViewWin(kSide0));
    EXPECT_EQ(QPoint(t->mrWin.L, t->mrWin.T), QPoint(420, 300));

    // Click-to-drag: the put-down click over the thumbnail leaves the piece on the table.
    CurMA.bClickToDrag = 1;
    const QPoint c = FieldHarness::PieceCentre(5);
    h.Press(c);
    h.Release(c);
    h.Move(overThumb, Qt::NoButton);
    h.Press(overThumb);
    h.Release(overThumb);
    EXPECT_EQ(DragJigP.State, kDragIdle);
    EXPECT_EQ(Jigs[5].Win, kSide0);
    EXPECT_EQ(FieldHarness::PieceCentre(5), overThumb);
}

TEST(FieldMouse, TheWheelTurnsThePieceUnderThePointer)
{
    FieldHarness h;
    h.Open(Spread(true));
    const QPoint c = FieldHarness::PieceCentre(4);
    h.Wheel(c, -120);
    EXPECT_EQ(Jigs[4].Rot, 1);
    h.Wheel(FieldHarness::PieceCentre(4), 120);
    h.Wheel(FieldHarness::PieceCentre(4), 120);
    EXPECT_EQ(Jigs[4].Rot, 3);
    // Small deltas add up to whole notches; turning back starts over.
    for (int d : {30, 30, 30, -60, -60})
        h.Wheel(FieldHarness::PieceCentre(4), d);
    EXPECT_EQ(Jigs[4].Rot, 0);
    // The wheel never starts a gesture, even over a window's frame.
    EXPECT_EQ(DragWinP.bDragAction, 0);
    EXPECT_EQ(DragJigP.State, kDragIdle);
    CurMA.bRotWheel = 0;
    h.Wheel(FieldHarness::PieceCentre(4), -120);
    EXPECT_EQ(Jigs[4].Rot, 0);
}

TEST(FieldMouse, ASelectionFrameDrawnUpAndLeftIsShownAndSelects)
{
    FieldHarness h;
    h.Open(Spread());
    Jigs[5].X += 300;  // outside the frame
    const QPoint start(300, 260), end(20, 20);
    h.Press(start);
    for (int i = 1; i <= 5; ++i)
        h.Move(start + (end - start) * i / 5);
    ASSERT_EQ(DragJigP.State, 2);
    // While drawn, the frame lightens the table everywhere inside it.
    QImage img = h.Frame();
    const uint32_t inside = Rgb(img, 250, 230), outside = Rgb(img, 350, 300);
    EXPECT_EQ(outside, 0x989898u);
    EXPECT_GT(inside & 0xFF, 0xC0u);
    h.Release(end);
    EXPECT_EQ(DragJigP.State, kDragIdle);
    EXPECT_TRUE(DragJigP.bSelected);
    for (int j = 0; j < 5; ++j)
        EXPECT_EQ(JigAt(j).Sel, 1) << j;
    EXPECT_EQ(Jigs[5].Sel, 0);
    // Selected pieces show the inverse of their colours.
    img = h.Frame();
    const QPoint c = FieldHarness::PieceCentre(0);
    EXPECT_EQ(Rgb(img, c.x(), c.y()), 0xFFFFFFu - PieceColour(0));
}

TEST(FieldMouse, SpaceSwitchesSidesUnlessOneSideOnly)
{
    FieldHarness h;
    h.Open(Spread());
    const QPoint c = FieldHarness::PieceCentre(0);
    h.Key(Qt::Key_Space);
    EXPECT_EQ(bCurSide, 1);
    EXPECT_TRUE(GetViewWin(1)->bVisible);
    EXPECT_FALSE(GetViewWin(0)->bVisible);
    EXPECT_EQ(Rgb(h.Frame(), c.x(), c.y()), 0x989898u);  // side 1 is empty
    h.Key(Qt::Key_Space);
    EXPECT_EQ(bCurSide, 0);
    CurMA.bSingleWin = 1;
    h.Key(Qt::Key_Space);
    EXPECT_EQ(bCurSide, 0);
    EXPECT_EQ(Rgb(h.Frame(), c.x(), c.y()), PieceColour(0));
}

TEST(FieldMouse, ClickToDragKeepsThePieceOnATinyClickAndPutsItDownOnAWiderOne)
{
    FieldHarness h;
    h.Open(Spread());
    CurMA.bClickToDrag = 1;
    QPoint c = FieldHarness::PieceCentre(3);
    h.Press(c);
    h.Release(c + QPoint(1, 2));  // within 1 across and 2 down: the picking click
    EXPECT_EQ(DragJigP.State, kDragPieces);
    const int x0 = Jigs[3].X;
    h.Move(c + QPoint(60, 0), Qt::NoButton);  // carried without a button
    EXPECT_EQ(Jigs[3].X, x0 + 60);
    h.Press(c + QPoint(60, 0));
    h.Release(c + QPoint(60, 0));
    EXPECT_EQ(DragJigP.State, kDragIdle);

    c = FieldHarness::PieceCentre(4);
    h.Press(c);
    h.Release(c + QPoint(2, 0));  // 2 across: the piece goes down at once
    EXPECT_EQ(DragJigP.State, kDragIdle);
}

TEST(FieldMouse, RightButtonScrollsByHandOnlyWhenABarShows)
{
    {
        FieldHarness h;
        h.Open(Spread(), true);
        ASSERT_FALSE(GetViewWin(0)->bHorScrollVisible || GetViewWin(0)->bVerScrollVisible);
        h.Press(QPoint(500, 400), Qt::RightButton);
        EXPECT_EQ(DragWinP.bDragAction, 0);
        h.Release(QPoint(500, 400), Qt::RightButton);
    }
    Field_Reset();
    FieldHarness h;
    h.Open(Spread(), false);  // the sides' content is the screen's work area: bars
    OMyWin* s0 = GetViewWin(0);
    ASSERT_TRUE(s0->bHorScrollVisible && s0->bVerScrollVisible);
    Jigs[5].X = Jigs[5].Y = 300;
    h.Press(QPoint(500, 400), Qt::RightButton);
    EXPECT_EQ(DragWinP.bDragAction, kActHandScroll);
    h.Move(QPoint(440, 350), Qt::RightButton);
    const QPoint c = FieldHarness::PieceCentre(5);
    EXPECT_EQ(Rgb(h.Frame(), c.x(), c.y()), PieceColour(5));  // drawn where scrolled to
    h.Release(QPoint(440, 350), Qt::RightButton);
    EXPECT_GT(s0->iScrollL, 0);
    EXPECT_GT(s0->iScrollT, 0);
    EXPECT_EQ(GetViewWin(1)->iScrollL, s0->iScrollL);  // the sides keep one geometry
}

TEST(FieldMouse, APieceHalfOutsideItsWindowShowsTheMatchingPart)
{
    FieldHarness h;
    const TGridSpec s = Spread();
    h.Open(s);
    // Piece 0's cell: left half red, right half blue.
    OMyImage& img = arPicJigs[0];
    const int cx = Jigs[0].CellX - Jigs[0].HomeX, cy = Jigs[0].CellY - Jigs[0].HomeY;
    for (int y = cy; y < cy + s.tile; ++y)
        for (int x = cx; x < cx + s.tile; ++x)
            MyImageSetPixel(img, x, y, x < cx + s.tile / 2 ? RGB(255, 0, 0) : RGB(0, 0, 255));
    PieceAtlas_Free();
    // Five red columns of the cell stay inside the client's left edge.
    Jigs[0].X = -(cx + s.tile / 2) + 5;
    Jigs[0].Y = 200;
    RedrawP = kRedrawFull;
    const QImage frame = h.Frame();
    const int y = FieldHarness::ViewPoint(0, 0, 200 + cy + 5).y();
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(Rgb(frame, x, y), 0xFF0000u) << x;
    EXPECT_EQ(Rgb(frame, 5, y), 0x0000FFu);
}

TEST(FieldMouse, NoFrameIsDrawnWhileNothingAsksForOne)
{
    FieldHarness h;
    h.Open(Spread());
    h.Frame();
    // The window system may still expose the native window now and then
    // (late on a busy machine), and an exposure rightly asks for a frame. A
    // field that drew on every tick would never give a quiet stretch.
    bool quiet = false;
    for (int tries = 0; tries < 8 && !quiet; ++tries) {
        RedrawP = kRedrawNone;
        const int before = h.FramesDrawn(), fps = h.view()->iFPSCounter;
        h.Wait(200);  // a dozen timer ticks
        quiet = h.FramesDrawn() == before && h.view()->iFPSCounter == fps;
    }
    EXPECT_TRUE(quiet) << "frames were drawn on every stretch though nothing asked for one";
    const int before = h.FramesDrawn();
    RedrawP = kRedrawFull;
    EXPECT_TRUE(WaitUntil([&] { return h.FramesDrawn() > before; }));
    EXPECT_EQ(RedrawP, kRedrawNone);
}

TEST(FieldMouse, PiecesGoIntoAPocketAndBackOutAndItsCloseButtonHidesIt)
{
    FieldHarness h;
    h.Open(Spread());
    PocketSetVisible(kPocket0, true);
    OMyWin* p = GetViewWin(kPocket0);
    const TMyRect c = p->mrClient;
    const QPoint from = FieldHarness::PieceCentre(2);
    h.Drag(from, QPoint(c.L + c.W / 2, c.T + c.H / 2), 8);
    EXPECT_EQ(Jigs[2].Win, kPocket0);
    EXPECT_EQ(p->iJigsNum, 1);
    EXPECT_EQ(p->sCaption, "Pocket 1 [1 pieces]");
    const QImage img = h.Frame();
    const QPoint in = FieldHarness::PieceCentre(2);
    EXPECT_TRUE(MyRectIsCoordsIn(in.x(), in.y(), c));
    EXPECT_EQ(Rgb(img, in.x(), in.y()), PieceColour(2));
    // And back onto the table.
    h.Drag(in, QPoint(200, 300), 8);
    EXPECT_EQ(Jigs[2].Win, 0);
    EXPECT_EQ(p->iJigsNum, 0);
    EXPECT_EQ(p->sCaption, "Pocket 1");
    // Its close button hides it as its command does.
    const TMyRect b = p->mbClose().MR;
    const QPoint at(b.L + b.W / 2, b.T + b.H / 2);
    h.Press(at);
    EXPECT_TRUE(p->mbClose().bDown);
    h.Release(at);
    EXPECT_FALSE(p->bVisible);
    EXPECT_EQ(CaptureWin, GetViewWin(0));
}

TEST(FieldMouse, PiecesArePickedAndMovedThroughTheLensAndItsButtonsWork)
{
    FieldHarness h;
    h.Open(Spread());
    OMyWin* g = GlassP.win.get();
    g->setVisible(true);
    g->changeLT(MakeTPoint(300, 200));
    g->move();
    GlassP.updateAxes();
    const TMyRect c = g->mrClient;
    // Piece 4 lies under the lens's centre; the lens point showing its centre:
    const QPoint centre = FieldHarness::PieceCentre(4);
    Jigs[4].X += c.L + c.W / 2 - centre.x();
    Jigs[4].Y += c.T + c.H / 2 - centre.y();
    RedrawP = kRedrawFull;
    const QPoint target = FieldHarness::PieceCentre(4);  // field point
    const QPoint lens(c.L + 2 * (target.x() - c.L - 60), c.T + 2 * (target.y() - c.T - 60));
    const QImage img = h.Frame();
    EXPECT_EQ(Rgb(img, lens.x(), lens.y()), PieceColour(4));  // shown magnified
    const int x0 = Jigs[4].X, y0 = Jigs[4].Y;
    h.Drag(lens, lens + QPoint(40, 20), 4);
    EXPECT_EQ(Jigs[4].X, x0 + 20);  // half the hand's motion at 2x
    EXPECT_EQ(Jigs[4].Y, y0 + 10);
    EXPECT_EQ(Jigs[4].Win, 0);
    // The weight lands on the piece seen under the pointer, not the one beneath the lens.
    WeightP.dragTo(MakeTPoint(lens.x(), lens.y()));
    h.Move(lens + QPoint(40, 20), Qt::NoButton);
    h.Press(lens + QPoint(40, 20));
    h.Release(lens + QPoint(40, 20));
    EXPECT_EQ(iWeightJig, 4);

    // The zoom button switches the magnification.
    g->changeLT(MakeTPoint(300, 150));
    g->move();
    ASSERT_EQ(GlassP.iZoom, 2);
    const TMyRect b = g->mbZoom2().MR;
    const QPoint at(b.L + b.W / 2, b.T + b.H / 2);
    h.Press(at);
    h.Release(at);
    EXPECT_EQ(GlassP.iZoom, 3);
    EXPECT_TRUE(g->mbZoom3().bVisible);
    h.Press(at);
    h.Release(at);
    EXPECT_EQ(GlassP.iZoom, 2);
    // Its frame moves it; the view keeps a part of it in reach.
    const QPoint hand(g->mrWin.L + 10, g->mrWin.T + 60);
    ASSERT_TRUE(g->hasMouseOnFrame(MakeTPoint(hand.x(), hand.y())));
    h.Drag(hand, QPoint(-400, hand.y()), 4);
    EXPECT_EQ(g->mrWin.R, g->iHandMinOfs - 1);
}

TEST(FieldMouse, AGameIsPlayedToTheEndWithTheMouse)
{
    FieldHarness h;
    h.Open(Spread(false, 200, 150));
    // Scatter the pieces, then put each one beside piece 0's group.
    for (int j = 1; j < JigP.TotalTileNum; ++j) {
        JigAt(j).X = 40 + 90 * j;
        JigAt(j).Y = 380 - 20 * (j % 2);
    }
    RedrawP = kRedrawFull;
    h.Frame();
    for (int j = 1; j < JigP.TotalTileNum; ++j) {
        const QPoint home = HomeBeside(j, 0);
        DragPieceTo(h, j, home.x() + 2, home.y() + 1);
        ASSERT_EQ(JigAt(j).Layer, Jigs[0].Layer) << "piece " << j;
    }
    EXPECT_TRUE(bGameSolved);
    EXPECT_EQ(h.Rec().Count(RecordingPlatform::Kind::Message), 1);  // the congratulation
    EXPECT_EQ(h.Rec().Count(RecordingPlatform::Kind::Sound, "win"), 1);
    // The finished picture lies in the middle of the table.
    EXPECT_EQ(Jigs[0].X - Jigs[0].HomeX, (iMaxMainViewScrollW - JigP.ImageW) / 2);
    const QImage img = h.Frame();
    const QPoint c = FieldHarness::PieceCentre(4);
    EXPECT_EQ(Rgb(img, c.x(), c.y()), PieceColour(4));
}

TEST(FieldMouse, TheWeightIsCarriedWithTheMouseAndDroppedOnAGroup)
{
    FieldHarness h;
    h.Open(Spread());
    Jigs[4].Layer = Jigs[3].Layer;  // a group of two
    SortJigs(0);
    const QPoint c = FieldHarness::PieceCentre(4);
    WeightP.dragTo(MakeTPoint(20, 400));  // the weight command picks it up
    h.Move(QPoint(60, 420), Qt::NoButton);
    EXPECT_EQ(WeightP.iPointX, 60);
    QImage img = h.Frame();
    EXPECT_NE(Rgb(img, 60, 420 - WeightP.H / 2), 0x989898u);  // drawn hanging from the pointer
    h.Move(c, Qt::NoButton);
    h.Press(c);  // a press in the table does nothing while it is carried
    EXPECT_EQ(DragJigP.State, kDragIdle);
    h.Release(c);
    EXPECT_FALSE(WeightP.bVisible);
    EXPECT_EQ(iWeightJig, 4);
    EXPECT_EQ(Jigs[3].Layer, 0);
}
