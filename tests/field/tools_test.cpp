// Pockets, table backgrounds, the glass, the star, the weight and the pocket
// commands, over the window list without a view.
#include "field_fixture.h"

#include "files/files.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// What the field asked of the menus and the toolbar.
struct RecordingUi : IFieldUi {
    std::map<int, std::string> images, titles;
    std::map<int, bool> checked;
    void SetMenuItemTitle(int i, const std::string& key) override { titles[i] = key; }
    void SetMenuItemChecked(int i, bool c) override { checked[i] = c; }
    void SetToolbarItemImage(int i, const std::string& name) override { images[i] = name; }
};

void Join(std::initializer_list<int> pieces)
{
    const int layer = JigAt(*pieces.begin()).Layer;
    for (int j : pieces)
        JigAt(j).Layer = layer;
}

}  // namespace

TEST(Pocket, AJoinedGroupCountsOnceAndTheLanguageFileGivesTheCaption)
{
    TGridSpec s;
    s.cols = 4;
    s.rows = 2;
    MakeField(s);
    Join({0, 1, 2, 3, 4});
    for (int j : {0, 1, 2, 3, 4, 6, 7})
        JigAt(j).Win = kPocket0;
    PocketCountJigs(kPocket0);
    EXPECT_EQ(GetViewWin(kPocket0)->iJigsNum, 3);
    EXPECT_EQ(GetViewWin(kPocket0)->sCaption, "Pocket 1 [3 pieces]");
    EXPECT_EQ(PocketCaptionText(kPocket0 + 3), "Pocket 4");
    // Names and a wording per count from the language file.
    LangP.Dict = TLangDict{{"MM_PocketsPocket1", "Tray B"}, {"Pocket_Jigs_2", "(%d bits)"},
                           {"Pocket_Jigs_M", "(%d many)"}};
    OMyWin* p = GetViewWin(kPocket0 + 1);
    p->iJigsNum = 2;
    PocketUpdateCaption(kPocket0 + 1);
    EXPECT_EQ(p->sCaption, "Tray B (2 bits)");
    EXPECT_EQ(p->sMenuCaption, "Tray B");
    p->iJigsNum = 12;
    EXPECT_EQ(PocketCaptionText(kPocket0 + 1), "Tray B (12 many)");
    p->iJigsNum = 5;  // no key for 5: the fallback wording
    EXPECT_EQ(PocketCaptionText(kPocket0 + 1), "Tray B [5 pieces]");
}

TEST(Pocket, EmptyPocketsOpenTopRightThenCascadeFullOnesStayAndContentFitsThePieces)
{
    MakeField();
    RecordingUi ui;
    SetFieldUi(&ui);
    PocketSetVisible(kPocket0 + 2, true);
    const OMyWin* first = GetViewWin(kPocket0 + 2);
    EXPECT_EQ(first->mrWin, vMyRectInitWH(600, 0, 200, 150));
    PocketSetVisible(kPocket0, true);
    EXPECT_EQ(GetViewWin(kPocket0)->mrWin, vMyRectInitWH(560, 40, 200, 150));
    EXPECT_EQ(ui.images[9], "tb_pocket_empty-sel.png");
    EXPECT_TRUE(ui.checked[31]);
    // A pocket holding pieces opens where it was.
    OMyWin* full = GetViewWin(kPocket0 + 1);
    full->mrWin = vMyRectInitWH(30, 300, 150, 120);
    full->resizeNoClient();
    Jigs[0].Win = kPocket0 + 1;
    PocketCountJigs(kPocket0 + 1);
    PocketSetVisible(kPocket0 + 1, true);
    EXPECT_EQ(full->mrWin.L, 30);
    EXPECT_EQ(full->mrWin.T, 300);
    EXPECT_EQ(ui.images[10], "tb_pocket_full-sel.png");
    PocketSetVisible(kPocket0 + 1, false);
    EXPECT_EQ(ui.images[10], "tb_pocket_full.png");
    // The content fits its pieces; an empty pocket has no bars.
    OMyWin* p = GetViewWin(kPocket0);
    PocketUpdateScrollSize(kPocket0);
    EXPECT_EQ(p->iMaxScrollW, 0);
    EXPECT_FALSE(p->bHorScrollVisible || p->bVerScrollVisible);
    Jigs[2].Win = kPocket0;
    Jigs[2].X = 500;
    Jigs[2].Y = 20;
    PocketUpdateScrollSize(kPocket0);
    EXPECT_EQ(p->iMaxScrollW, 500 + Jigs[2].DrawW);
    EXPECT_EQ(p->iMaxScrollH, 20 + Jigs[2].DrawH);
    EXPECT_TRUE(p->bHorScrollVisible);
}

TEST(Pocket, APocketsPlaceGoesIntoTheSavedRecordsAndComesBack)
{
    MakeField();
    Jigs[1].Win = kPocket0 + 2;
    Jigs[1].X = 900;  // beyond its client: the pocket scrolls
    PocketCountJigs(kPocket0 + 2);
    PocketSetVisible(kPocket0 + 2, true);
    OMyWin* p = GetViewWin(kPocket0 + 2);
    p->mrWin = vMyRectInitWH(33, 44, 220, 180);
    PocketUpdateScrollSize(kPocket0 + 2);
    p->iScrollL = 50;
    Field_StorePockets();
    const TPocketRec saved = PocketsP.Pocket[2];
    EXPECT_EQ(saved.bVisible, 1);
    EXPECT_EQ(saved.mrWin, MakeTRect(33, 44, 252, 223));
    EXPECT_EQ(saved.iScrollL, 50);
    EXPECT_EQ(PocketsP.Pocket[0].bVisible, 0);

    Field_BeforeOpen();  // the next game opens: every pocket hidden first
    EXPECT_FALSE(p->bVisible);
    Field_GameOpened(0);  // and the records (the same game again) put back
    EXPECT_TRUE(p->bVisible);
    EXPECT_EQ(p->mrWin, vMyRectInitWH(33, 44, 220, 180));
    EXPECT_EQ(p->iScrollL, 50);
    EXPECT_EQ(p->iJigsNum, 1);
    EXPECT_FALSE(GetViewWin(kPocket0)->bVisible);
}

TEST(Pocket, TileAndCascadeShareTheRightOfTheView)
{
    MakeField();
    PocketSetVisible(kPocket0 + 1, true);
    PocketsTile();
    EXPECT_EQ(GetViewWin(kPocket0 + 1)->mrWin, vMyRectInitWH(600, 0, 200, 600));
    Jigs[0].Win = kPocket0 + 3;  // a hidden pocket with pieces is shown first
    PocketCountJigs(kPocket0 + 3);
    PocketSetVisible(kPocket0, true);
    PocketSetVisible(kPocket0 + 2, true);
    PocketsCascade();
    for (int k = 0; k < 4; ++k) {
        const OMyWin* w = GetViewWin(kPocket0 + k);
        EXPECT_TRUE(w->bVisible);
        EXPECT_EQ(w->mrWin, vMyRectInitWH(600 - 120 + 30 + 30 * k, 34 * k, 200, 600 - 136)) << k;
    }
    EXPECT_EQ(GetViewWin(kPocket0 + 3)->mrWin.R, 799);
}

TEST(Gather, TheBiggestGroupGoesUnderOnlyWhenItHoldsHalfThePieces)
{
    MakeField();  // six pieces
    Join({1, 2, 4});
    Jigs[5].Win = kPocket0;
    GatherLostJigs();
    for (int j = 0; j < 6; ++j)
        EXPECT_EQ(JigAt(j).Win, 0);
    EXPECT_EQ(Jigs[1].Layer, 0);
    EXPECT_EQ(Jigs[4].Layer, 0);
    EXPECT_EQ(iWeightJig, -1);

    MakeField();
    Join({3, 4});  // two of six: below half
    const int before = Jigs[3].Layer;
    GatherLostJigs();
    EXPECT_EQ(Jigs[3].Layer, before);
}

TEST(Background, OnlyOnePictureStaysInUseAndCoversTheSidesContent)
{
    MakeField();
    WinP.lBkgColors[0] = 13;  // side 0: wood1
    WinP.lBkgColors[2] = 10;  // pocket 1: parquet
    WinP.lBkgColors[3] = 0x123456;
    UpdateScrBkgs();
    EXPECT_EQ(GetViewWin(0)->lBkgColor, 13);
    EXPECT_EQ(WinP.lBkgColors[2], kDefaultBkgColor);
    EXPECT_EQ(GetViewWin(2)->lBkgColor, kDefaultBkgColor);
    EXPECT_EQ(GetViewWin(3)->rgbBkgColor[0], 0x56);
    EXPECT_EQ(BkgP.lBkgPicTag, 13);
    WinP.lBkgColors[0] = kDefaultBkgColor;
    UpdateScrBkgs();
    EXPECT_EQ(BkgP.lBkgPicTag, 0);  // nothing uses a picture: it is let go
    // Codes 10 to 17 are the pictures.
    EXPECT_FALSE(IsPicBkg(9) || IsPicBkg(18) || IsPicBkg(kDefaultBkgColor));
    EXPECT_TRUE(IsPicBkg(10) && IsPicBkg(17));
    // The picture covers the sides' content, stretched only when needed.
    iMaxMainViewScrollW = 1600;
    iMaxMainViewScrollH = 1200;
    ASSERT_TRUE(LoadBkgPic(14));
    OMyImagePtr file = MyImageCreateFromFile(BkgPicPath(14), true);
    ASSERT_TRUE(file);
    EXPECT_EQ(BkgP.miBkgPic.W, 1600);
    EXPECT_EQ(MyImageGetPixel(BkgP.miBkgPic, 777, 555), MyImageGetPixel(*file, 777, 555));
    iMaxMainViewScrollW = 900;
    iMaxMainViewScrollH = 700;
    ASSERT_TRUE(LoadBkgPic(14));
    EXPECT_EQ(BkgP.miBkgPic.W, 900);
    EXPECT_EQ(BkgP.miBkgPic.H, 700);
    EXPECT_FALSE(LoadBkgPic(9));
}

TEST(Background, ThePalettePictureFindsItsOwnColours)
{
    FieldP.sResourceDir = SourcePath("resources");
    int x = -1, y = -1;
    EXPECT_FALSE(ColorToCoord(RGB(255, 0, 0), &x, &y));  // not loaded yet
    InitBkgPicsSamples();
    ASSERT_EQ(BkgP.arBkgPicsSamples.size(), 8u);
    EXPECT_EQ(BkgP.arBkgPicsSamples[0]->W, 63);
    ASSERT_TRUE(ColorToCoord(RGB(255, 0, 0), &x, &y));
    EXPECT_EQ(y, 150);
    EXPECT_FALSE(ColorToCoord(RGB(128, 128, 128), &x, &y));
    FreeBkgPicsSamples();
    EXPECT_FALSE(ColorToCoord(RGB(255, 0, 0), &x, &y));
}

TEST(Background, TheCurrentCommandsFollowTheCurrentWindow)
{
    MakeField();
    RecordingUi ui;
    SetFieldUi(&ui);
    PocketSetVisible(kPocket0 + 3, true);
    EXPECT_EQ(ui.titles[23], "MM_GameBkgPocket3");
    EXPECT_EQ(ui.titles[25], "MM_GameSelectAllPocket3");
    EXPECT_EQ(BkgP.iColorForWin, kPocket0 + 3);
    ChangeSide(1);
    EXPECT_EQ(ui.titles[23], "MM_GameBkgSide1");
    EXPECT_EQ(RetWinForBkgCur(), GetViewWin(1));
}

TEST(Glass, TheLensIsTheEllipseInItsClientAndMagnifiesAboutItsCentre)
{
    MakeField();
    OMyWin* g = GlassP.win.get();
    g->setVisible(true);
    const TMyRect& c = g->mrClient;
    ASSERT_EQ(c.W, 240);
    int x = c.L, y = c.T + 120;  // on the ellipse
    EXPECT_TRUE(GlassP.IfMouseUnderGlass(x, y, false));
    x = c.L + 5, y = c.T + 5;  // a corner outside it
    EXPECT_FALSE(GlassP.IfMouseUnderGlass(x, y, false));
    // At three times a 240-pixel lens shows the 80 pixels around its centre.
    g->changeLT(MakeTPoint(100, 50));
    g->move();
    GlassP.setZoom(3);
    EXPECT_FALSE(g->mbZoom2().bVisible);
    EXPECT_TRUE(g->mbZoom3().bVisible);
    int lx = c.L, ly = c.T + 120, rx = c.R, ry = c.T + 120, tx = c.L + 120, ty = c.T, bx = c.L + 120, by = c.B;
    ASSERT_TRUE(GlassP.IfMouseUnderGlass(lx, ly, true));
    ASSERT_TRUE(GlassP.IfMouseUnderGlass(rx, ry, true));
    ASSERT_TRUE(GlassP.IfMouseUnderGlass(tx, ty, true));
    ASSERT_TRUE(GlassP.IfMouseUnderGlass(bx, by, true));
    EXPECT_EQ(lx, c.L + 80);
    EXPECT_EQ(rx - lx + 1, 80);
    EXPECT_EQ(by - ty + 1, 80);
    // Resized into an ellipse: the axes follow the client.
    MyRectChangeWH(g->mrWin, 400, 240);
    g->resizeNoCheck();
    GlassP.updateAxes();
    x = c.L + 390, y = c.T + 120;
    EXPECT_TRUE(GlassP.IfMouseUnderGlass(x, y, false));
    g->setVisible(false);
    EXPECT_FALSE(GlassP.IfMouseUnderGlass(x, y, false));
    // The mask: a rim lit upper left, shaded lower right, transparent corners.
    const OMyImage m = MakeLensMask();
    EXPECT_EQ(MyImageGetPixelAlpha(m, 0, 0), 0);
    EXPECT_EQ(MyImageGetPixel(m, 240, 240), RGB(255, 255, 255));
    EXPECT_EQ(MyImageGetPixel(m, 240, 0) & 0xFF, 200u);
    EXPECT_EQ(MyImageGetPixel(m, 479, 240) & 0xFF, 100u);
}

TEST(Star, ItStepsEvery50MillisecondsEndsAfterSixStepsAndStopsOutsideItsWindow)
{
    MakeField();
    StarP.setAt(MakeTPoint(100, 100), 0);
    int steps = 0;
    for (int i = 0; i < 200 && StarP.running(); ++i) {
        const int before = StarP.iPhase;
        StarP.tNextRedraw = GetNow() - 0.001;  // the step is due
        RedrawP = kRedrawNone;
        StarP.update();
        EXPECT_EQ(RedrawP, kRedrawOverlay);
        StarP.draw();
        steps += StarP.iPhase != before;
    }
    EXPECT_EQ(steps, 6);
    PocketSetVisible(kPocket0, true);
    const OMyWin* p = GetViewWin(kPocket0);
    StarP.setAt(MakeTPoint(p->mrClient.L + 10, p->mrClient.T + 10), kPocket0);
    StarP.draw();
    EXPECT_TRUE(StarP.running());
    StarP.setAt(MakeTPoint(p->mrClient.L - 40, p->mrClient.T + 10), kPocket0);
    StarP.draw();
    EXPECT_FALSE(StarP.running());
}

TEST(Weight, DroppedOnAnEmptySpotItHoldsNothingAndOnAGroupHoldsItUnderTheOthers)
{
    MakeField();
    RecordingUi ui;
    SetFieldUi(&ui);
    WeightP.dragTo(MakeTPoint(700, 500));
    EXPECT_TRUE(WeightP.bVisible);
    EXPECT_EQ(WeightP.L, 700 - WeightP.W / 2);
    WeightP.drop(MakeTPoint(700, 500));
    EXPECT_FALSE(WeightP.bVisible);
    EXPECT_EQ(iWeightJig, -1);
    EXPECT_EQ(ui.images[16], "tb_weight.png");
    EXPECT_FALSE(ui.checked[29]);

    Join({3, 4});
    SortJigs(0);
    const QPoint c = FieldHarness::PieceCentre(4);
    WeightP.dragTo(MakeTPoint(c.x(), c.y()));
    WeightP.drop(MakeTPoint(c.x(), c.y()));
    EXPECT_EQ(iWeightJig, 4);
    EXPECT_EQ(Jigs[3].Layer, 0);
    EXPECT_EQ(Jigs[4].Layer, 0);
    // The others keep their order above it.
    EXPECT_LT(Jigs[0].Layer, Jigs[1].Layer);
    EXPECT_LT(Jigs[1].Layer, Jigs[2].Layer);
    EXPECT_LT(Jigs[2].Layer, Jigs[5].Layer);
    EXPECT_EQ(ui.images[16], "tb_weight_jig.png");
    EXPECT_TRUE(ui.checked[29]);
}
