// Field windows without a view: layout, bars and thumbs, z-order and
// capture, frame hit tests, keeping windows in view, and the skinned button.
#include "field_fixture.h"

#include "files/files.h"
#include "model/game_state.h"

#include <gtest/gtest.h>

namespace {

OMyWin Pocket(int w, int h, int contentW, int contentH)
{
    OMyWin p(vMyRectInitWH(10, 20, w, h), kWinPocket);
    p.iMaxScrollW = contentW;
    p.iMaxScrollH = contentH;
    p.resizeNoClient();
    return p;
}

}  // namespace

TEST(FieldWindow, BarsShowOnlyForContentLargerThanTheClientAndTakeTheirRoomFromIt)
{
    OMyWin p = Pocket(300, 200, 100, 80);
    p.iScrollL = p.iScrollT = 25;
    p.resizeNoClient();
    EXPECT_FALSE(p.bHorScrollVisible || p.bVerScrollVisible);
    EXPECT_EQ(p.iScrollL, 0);
    EXPECT_EQ(p.iScrollT, 0);
    EXPECT_EQ(p.mrClient, vMyRectInitRB(14, 42, 10 + 300 - 1 - 4, 20 + 200 - 1 - 4));
    EXPECT_EQ(p.mrScrollsCorner, MyRectNone());
    EXPECT_FALSE(p.arButtons[kBtHorThumb].bVisible);
    // Wider content appears: a horizontal bar, and that axis scrolls back.
    p.iMaxScrollW = 280;
    p.iMaxScrollH = 150;
    p.iScrollL = 30;  // as left by an earlier, wider content
    MyRectChangeWH(p.mrWin, 200, 200);  // narrower than the content
    p.resizeNoClient();
    EXPECT_TRUE(p.bHorScrollVisible);
    EXPECT_FALSE(p.bVerScrollVisible);
    EXPECT_EQ(p.iScrollL, 0);
    EXPECT_EQ(p.mrWin.W, 200);  // the window keeps its size
    EXPECT_EQ(p.mrClient.H, 200 - p.iWinClientDH - kScrollBarS);
}

TEST(FieldWindow, TheThumbIsAtLeast12PixelsNeverPassesTheTrackAndControlsAnswerTheirActions)
{
    OMyWin p = Pocket(200, 200, 100000, 100000);
    const OMyButton& th = p.arButtons[kBtHorThumb];
    EXPECT_EQ(th.MR.W, 12);
    DragWinP.bDragAction = kActPageRight;
    for (int i = 0; i < 20; ++i)
        p.scroll(MakeTPoint(0, 0));
    EXPECT_EQ(p.iScrollL, 100000 - p.mrClient.W);
    EXPECT_LE(th.MR.R, p.mrHorScroll.R);
    DragWinP.bDragAction = kActHorThumb;
    p.scroll(MakeTPoint(5000, 0));  // far beyond the track
    EXPECT_EQ(th.MR.R, p.mrHorScroll.R);
    EXPECT_LE(p.iScrollL + p.mrClient.W, p.iMaxScrollW);
    p.scroll(MakeTPoint(-5000, 0));
    EXPECT_EQ(th.MR.L, p.mrHorScroll.L);
    EXPECT_EQ(p.iScrollL, 0);
    // The controls answer their actions.
    p.bVisible = true;
    const TMyRect& track = p.mrHorScroll;
    EXPECT_EQ(p.updateOverActionWithMousePos(MakeTPoint(th.MR.R + 3, track.T + 5), false), kActPageRight);
    EXPECT_EQ(p.updateOverActionWithMousePos(MakeTPoint(th.MR.L + 2, track.T + 5), true), kActHorThumb);
    EXPECT_TRUE(p.curButton && p.curButton->bDown && p.curButton->bHigh);
    EXPECT_EQ(p.updateOverActionWithMousePos(MakeTPoint(p.mrWin.R - 1, p.mrWin.B - 1), false), kActResize);
    EXPECT_EQ(p.updateOverActionWithMousePos(MakeTPoint(p.mrWin.L + 5, p.mrWin.T + 5), false), kActClose);
    EXPECT_EQ(p.updateOverActionWithMousePos(MakeTPoint(p.mrClient.L + 5, p.mrClient.T + 5), false), 0);
    EXPECT_EQ(p.curButton, nullptr);
}

TEST(FieldWindow, TheThumbnailKeepsThePictureProportionWithinItsLimits)
{
    MakeField();
    UpdateMinMaxThumbSize(800, 400);
    const OMyWin* t = GetViewWin(kThumbWin);
    EXPECT_EQ(t->mrClient.W, 200);
    EXPECT_EQ(t->mrClient.H, 100);
    EXPECT_EQ(t->iMinClientH, 40);
    EXPECT_EQ(t->iMinClientW, 80);
    const TSize big = t->calcPropSizeByClientSize(false, MakeTSize(2000, 50), true);
    EXPECT_EQ(big.cx - t->iWinClientDW, 400);  // the largest: half the picture
    EXPECT_EQ(big.cy - t->iWinClientDH, 200);
}

TEST(FieldWindow, OnlyPocketsComeToTheFrontAndHidingTheCurrentOneMakesTheSideCurrent)
{
    MakeField();
    OMyWin* side = GetViewWin(kSide0);
    OMyWin* pocket = GetViewWin(kPocket0 + 1);
    PocketSetVisible(kPocket0 + 1, true);
    const std::vector<OMyWin*> before = arSortedViewWins;
    side->moveToFront();
    EXPECT_EQ(arSortedViewWins, before);
    GetViewWin(kPocket0)->moveToFront();
    pocket->moveToFront();
    EXPECT_EQ(arSortedViewWins.back(), pocket);
    EXPECT_EQ(CaptureWin, pocket);
    EXPECT_EQ(pocket->Z, kViewWinCount - 1);
    EXPECT_TRUE(pocket->bActive && !side->bActive);

    PocketSetVisible(kPocket0, true);
    ASSERT_EQ(CaptureWin, GetViewWin(kPocket0));
    PocketSetVisible(kPocket0, false);
    EXPECT_EQ(CaptureWin, GetViewWin(kSide0));
    ChangeSide(1);
    PocketSetVisible(kPocket0 + 2, true);
    GetViewWin(kPocket0 + 2)->setVisible(false);
    EXPECT_EQ(CaptureWin, GetViewWin(kSide1));
}

TEST(FieldWindow, TheGlassFrameIsOnlyWhereItsHandsAreOpaque)
{
    MakeField();
    OMyWin* g = GlassP.win.get();
    g->setVisible(true);
    const OMyImage& skin = GlassP.miSkin;
    ASSERT_TRUE(skin.HasPixels());
    // Top-left hand: find an opaque and a faint pixel outside the lens.
    int opaque = -1, faint = -1;
    for (int d = 0; d < 93 && (opaque < 0 || faint < 0); ++d) {
        const int a = MyImageGetPixelAlpha(skin, d, d);
        int x = g->mrDestHand[0].L + d, y = g->mrDestHand[0].T + d;
        if (GlassP.IfMouseUnderGlass(x, y, false))
            continue;
        if (a > 200 && opaque < 0)
            opaque = d;
        if (a <= 200 && faint < 0)
            faint = d;
    }
    ASSERT_GE(opaque, 0);
    ASSERT_GE(faint, 0);
    EXPECT_TRUE(g->hasMouseOnFrame(MakeTPoint(g->mrDestHand[0].L + opaque, g->mrDestHand[0].T + opaque)));
    EXPECT_FALSE(g->hasMouseOnFrame(MakeTPoint(g->mrDestHand[0].L + faint, g->mrDestHand[0].T + faint)));
    const TMyRect& c = g->mrClient;
    EXPECT_FALSE(g->hasMouseOnFrame(MakeTPoint(c.L + c.W / 2, c.T + c.H / 2)));  // in the lens
}

TEST(FieldWindow, AMovedAwayPocketComesBackWithItsCaptionReachable)
{
    MakeField();
    FileNames.bOpen = false;
    OMyWin* p = GetViewWin(kPocket0);
    p->setVisible(true);
    p->changeLT(MakeTPoint(10 - p->mrWin.W + 1, -50));  // right edge at x = 10, top above the view
    p->move();
    CheckWindowsAreInView();
    EXPECT_EQ(p->mrWin.R, 43);
    EXPECT_EQ(p->mrWin.T, 0);
    p->changeLT(MakeTPoint(790, 599));
    CheckWindowsAreInView();
    EXPECT_EQ(p->mrWin.L, 800 - 44);
    EXPECT_EQ(p->mrWin.T, 600 - 22);
    OMyWin* g = GlassP.win.get();
    g->changeLT(MakeTPoint(-1000, -1000));
    CheckWindowsAreInView();
    EXPECT_EQ(g->mrWin.R, 37);
    EXPECT_EQ(g->mrWin.B, 37);
}

TEST(FieldButton, StretchingKeepsTheCapsAnchorsPlaceItAndFramesFollowTheState)
{
    OMyButton s;
    s.initCoords(2, MakeTPoint(0, 0), MakeTSize(20, 17));
    s.MR = vMyRectInitWH(100, 10, 20, 17);
    std::vector<TSkinQuad> q = s.drawQuads();
    ASSERT_EQ(q.size(), 3u);
    EXPECT_EQ(q[0].dst.W, 9);
    EXPECT_EQ(q[1].dst.W, 9);
    EXPECT_EQ(q[2].dst.W, 2);
    EXPECT_EQ(q[2].src.W, 1);
    EXPECT_EQ(q[1].src.L, 11);
    s.MR = vMyRectInitWH(100, 10, 18, 17);
    q = s.drawQuads();
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[1].dst.R, s.MR.R);

    OMyButton b;
    b.initCoords(0, MakeTPoint(0, 0), MakeTSize(10, 8));
    b.setIndentRB(MakeTPoint(5, 3));
    b.mrIndent.B = kRectUnset;  // only the right indent
    b.updateCoords(vMyRectInitRB(0, 0, 99, 49));
    EXPECT_EQ(b.MR.L, 85);
    EXPECT_EQ(b.MR.T, 0);
    b.setIndentLB(MakeTPoint(4, 3));
    b.updateCoords(vMyRectInitRB(0, 0, 99, 49));
    EXPECT_EQ(b.MR.L, 4);
    EXPECT_EQ(b.MR.B, 46);

    OMyButton f;
    f.initCoords(1, MakeTPoint(2, 133), MakeTSize(20, 20));
    EXPECT_EQ(f.currentFrame().L, 2);
    f.bHigh = true;
    EXPECT_EQ(f.currentFrame().L, 25);
    f.bActive = true;
    EXPECT_EQ(f.currentFrame().L, 2 + 3 * 23);
    f.bDown = true;
    EXPECT_EQ(f.currentFrame().L, 2 + 4 * 23);
    OMyButton plain;
    plain.initCoords(0, MakeTPoint(211, 1), MakeTSize(17, 17));
    plain.bActive = plain.bDown = true;
    EXPECT_EQ(plain.currentFrame().L, 211 + 2 * 20);
}

TEST(FieldWindow, OnAHiDpiScreenFramesCaptionsBarsButtonsAndTheGlassGrowWithThePixelRatio)
{
    // Measured at one pixel per point, then at two.
    struct Seen {
        int caption, border, bar, closeW, thumbMin, capOfThumb, captionTextH, hand, lens;
    };
    auto measure = [](double scale) {
        Field_Reset();
        FieldWins_SetScale(scale);
        MakeField();
        Seen s{};
        OMyWin p = Pocket(400, 300, 100000, 100000);
        s.caption = p.iCaptionS;
        s.border = p.iBorderS;
        s.bar = p.mrWin.B - p.iBorderS - p.mrClient.B;
        s.closeW = p.arButtons[kBtClose].MR.W;
        s.thumbMin = p.arButtons[kBtHorThumb].MR.W;
        s.capOfThumb = p.arButtons[kBtHorThumb].drawQuads().front().dst.W;
        p.setCaption("Pocket 1");
        s.captionTextH = p.miCaption.H;
        s.hand = GlassP.win->iHandS;
        s.lens = GlassP.win->iMinClientW;
        return s;
    };
    const Seen one = measure(1.0), two = measure(2.0);
    EXPECT_EQ(one.caption, 18);
    EXPECT_EQ(one.bar, kScrollBarS);
    for (auto f : {&Seen::caption, &Seen::border, &Seen::bar, &Seen::closeW, &Seen::thumbMin, &Seen::capOfThumb,
                   &Seen::hand, &Seen::lens})
        EXPECT_EQ(two.*f, 2 * (one.*f));
    EXPECT_GE(two.captionTextH, 2 * one.captionTextH - 2);  // the caption's text is drawn twice as large
    EXPECT_LE(two.captionTextH, 2 * one.captionTextH + 2);

    // The glass's hands are hit where the skin is opaque, read back at skin pixels.
    OMyWin* g = GlassP.win.get();
    g->setVisible(true);
    const OMyImage& skin = GlassP.miSkin;
    int tested = 0;
    for (int d = 0; d < 93; d += 3) {
        int x = g->mrDestHand[0].L + 2 * d, y = g->mrDestHand[0].T + 2 * d;
        if (GlassP.IfMouseUnderGlass(x, y, false))
            continue;
        EXPECT_EQ(g->hasMouseOnFrame(MakeTPoint(x, y)), MyImageGetPixelAlpha(skin, d, d) > 200) << d;
        ++tested;
    }
    EXPECT_GT(tested, 5);
}
