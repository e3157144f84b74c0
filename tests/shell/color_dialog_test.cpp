// The colour and background dialog: what it selects for a value, what a
// pick changes on the field (and what it does not), and the rounded paths
// and exception texts of the dialog toolkit.
#include "shell/color_dialog.h"

#include "field/backgrounds.h"
#include "field/field.h"
#include "field/field_win.h"
#include "files/files.h"
#include "model/game_state.h"
#include "shell/dialog_kit.h"
#include "support/test_support.h"
#include "support/dialog_wait.h"

#include <QPainterPath>
#include <QPushButton>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct ColorFixture {
    TempDir home;
    ColorFixture()
    {
        UseUserFolder(home.Path());
        Settings_Default();
        FieldP.sResourceDir = SourcePath("resources");
        iMainViewW = iMaxMainViewW = iMaxMainViewScrollW = 320;
        iMainViewH = iMaxMainViewH = iMaxMainViewScrollH = 240;
        ViewWins_Create();
        UpdateScrBkgs();
    }
    ~ColorFixture() { ViewWins_Free(); }
};

void Click(MCColorView* pane, const TMyRect& r) { pane->p_ColorForm->PaneMouseDown(pane->FPane, r.L + r.W / 2, r.T + r.H / 2); }

uint32_t PanePixel(QWidget* pane, int x, int y) { return pane->grab().toImage().pixel(x, y) & 0xFFFFFF; }

}  // namespace

TEST(ColorDialog, TheDefaultGreySelectsItsPaletteSwatchAndTheDefaultSwatchAtOnce)
{
    ColorFixture fx;
    MCColor d(nullptr);
    d.InitForm(0x989898, true, "all", -1);
    EXPECT_EQ(d.iPalSelInd, 5 * 8 + 4);
    EXPECT_EQ(lPalColors[5 * 8 + 4], 0x989898);
    EXPECT_EQ(d.iDefColSelInd, 0);
    EXPECT_EQ(d.iBkgPicsSelInd, -1);
    EXPECT_EQ(d.height(), 495);
    EXPECT_EQ(d.width(), 595);
    MCColor small(nullptr);
    small.InitForm(0x989898, false, "one", 0);
    EXPECT_EQ(small.height(), 409);
    EXPECT_EQ(small.o_BkgPic, nullptr);
}

TEST(ColorDialog, ClickingTheChosenSwatchChangesNothingAndRedrawsNothing)
{
    ColorFixture fx;
    MCColor d(nullptr);
    d.InitForm(0x989898, true, "all", -1);
    const int panes = d.iPaneUpdates;
    RedrawP = kRedrawNone;
    Click(d.o_Pal, MCColor::PalSwatchRect(44));
    Click(d.o_DefCol, MCColor::DefSwatchRect(0));
    d.PaneMouseDown(kPanePal, 2, 2);  // the margin: no swatch
    d.PaneMouseDown(kPaneSelCol, 5, 5);
    EXPECT_EQ(d.iFieldApplies, 0);
    EXPECT_EQ(d.iPaneUpdates, panes);
    EXPECT_EQ(RedrawP, kRedrawNone);
}

TEST(ColorDialog, APictureHidesTheChosenColourAndAColourShowsItAgain)
{
    ColorFixture fx;
    MCColor d(nullptr);
    d.InitForm(0x989898, true, "all", -1);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    EXPECT_TRUE(d.o_SelCol->isVisible());
    Click(d.o_BkgPic, MCColor::BkgPicRect(3));  // wood1
    EXPECT_EQ(d.CurColor(), 13);
    EXPECT_EQ(d.iBkgPicsSelInd, 3);
    EXPECT_FALSE(d.o_SelCol->isVisible());
    EXPECT_EQ(WinP.lBkgColorAll, 13);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(GetViewWin(i)->lBkgColor, 13) << i;
    Click(d.o_Pal, MCColor::PalSwatchRect(0));
    EXPECT_EQ(d.CurColor(), 0x800080);
    EXPECT_TRUE(d.o_SelCol->isVisible());
    EXPECT_EQ(d.iBkgPicsSelInd, -1);
    EXPECT_EQ(WinP.lBkgColors[5], 0x800080);
    EXPECT_EQ(d.iFieldApplies, 2);
}

TEST(ColorDialog, APictureThatCannotBeLoadedFallsBackToTheDefaultGreyEverywhere)
{
    ColorFixture fx;
    WinP.lBkgColors[2] = 0x0000E0;
    MCColor d(nullptr);
    d.InitForm(0x0000E0, true, "all", -1);
    iMaxMainViewScrollW = 0;  // no table to size a picture to
    Click(d.o_BkgPic, MCColor::BkgPicRect(0));
    EXPECT_EQ(d.CurColor(), kDefaultBkgColor);
    EXPECT_EQ(WinP.lBkgColorAll, kDefaultBkgColor);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(WinP.lBkgColors[i], kDefaultBkgColor) << i;
}

TEST(ColorDialog, OneWindowChangesOnlyThatWindow)
{
    ColorFixture fx;
    MCColor d(nullptr);
    d.InitForm(WinP.lBkgColors[3], false, "pocket", 3);
    Click(d.o_Pal, MCColor::PalSwatchRect(20));
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(WinP.lBkgColors[i], i == 3 ? lPalColors[20] : kDefaultBkgColor) << i;
    EXPECT_EQ(GetViewWin(3)->lBkgColor, lPalColors[20]);
    EXPECT_EQ(WinP.lBkgColorAll, kDefaultBkgColor);
}

TEST(ColorDialog, TheSquareGivesItsColourAndMarksWhereItLies)
{
    ColorFixture fx;
    MCColor d(nullptr);
    d.InitForm(0x989898, false, "one", 0);
    d.PaneMouseDown(kPaneGamma, 0, 150);  // pure red
    EXPECT_EQ(d.CurColor(), 0x0000FF);
    EXPECT_EQ(d.FPointColor, 0x0000FF);
    EXPECT_FALSE(MyRectIsEmpty(d.mrGammaSel));
    EXPECT_EQ(d.mrGammaSel.W, 5);
    EXPECT_EQ(d.iPalSelInd, -1);
    EXPECT_EQ(WinP.lBkgColors[0], 0x0000FF);
    // The point swatch follows the mouse over the square only.
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    const QRect sq = d.o_Gamma->geometry();
    d.PaneMouseMove(-1, sq.left() + 100, sq.top());  // white row
    EXPECT_TRUE(d.o_PointCol->isVisible());
    EXPECT_EQ(d.FPointColor, 0xFFFFFF);
    d.PaneMouseMove(-1, sq.left() - 5, sq.top());
    EXPECT_FALSE(d.o_PointCol->isVisible());
}

TEST(ColorDialog, TheChosenSwatchIsMarkedInBlackAndTheDarkGreysInYellow)
{
    ColorFixture fx;
    struct Case {
        int swatch;
        uint32_t mark;  // 0xRRGGBB as the screen shows it
    };
    for (const Case c : {Case{0, 0x000000}, Case{41, 0xFFFF00}, Case{43, 0xFFFF00}, Case{44, 0x000000}}) {
        MCColor d(nullptr);
        d.InitForm(lPalColors[c.swatch], false, "one", 0);
        const TMyRect r = MCColor::PalSwatchRect(c.swatch);
        EXPECT_EQ(PanePixel(d.o_Pal, r.L - 2, r.T - 2), c.mark) << c.swatch;
        const TMyRect other = MCColor::PalSwatchRect(c.swatch == 20 ? 21 : 20);
        EXPECT_NE(PanePixel(d.o_Pal, other.L - 2, other.T - 2), c.mark) << c.swatch;
    }
}

TEST(ColorDialog, OkKeepsThePickAndCancelAnswersZero)
{
    ColorFixture fx;
    for (const bool ok : {true, false}) {
        WhenModal<MCColor>([ok](MCColor* d) {
            Click(d->o_Pal, MCColor::PalSwatchRect(7));
            (ok ? d->o_ButOk : d->o_ButCancel)->click();
        });
        EXPECT_EQ(RunColorDialog(nullptr, "all", -1, kDefaultBkgColor, true), ok ? 1 : 0);
        EXPECT_EQ(WinP.lBkgColorAll, lPalColors[7]) << "the caller puts the old value back";
        UpdateScrBkgs();
        WinP = TWinParams{};
    }
}

TEST(DialogKit, RoundedRectanglesKeepTheirCornersInsideTheRectangle)
{
    EXPECT_TRUE(BezierPathWithRoundedRect(QRectF(5, 5, 0, 10), 3).isEmpty());
    const QPainterPath plain = BezierPathWithRoundedRect(QRectF(0, 0, 40, 20), 0);
    EXPECT_TRUE(plain.contains(QPointF(0.5, 0.5))) << "radius 0: square corners";
    for (const double radius : {4.0, 10.0, 500.0}) {
        const QPainterPath p = BezierPathWithRoundedRect(QRectF(0, 0, 40, 20), radius);
        EXPECT_EQ(p.boundingRect(), QRectF(0, 0, 40, 20)) << radius;
        EXPECT_FALSE(p.contains(QPointF(0.5, 0.5))) << radius;
        EXPECT_TRUE(p.contains(QPointF(20, 10))) << radius;
    }
    // A radius above half the height makes round ends, never a loop.
    const QPainterPath pill = BezierPathWithRoundedRect(QRectF(0, 0, 40, 20), 500);
    EXPECT_TRUE(pill.contains(QPointF(10, 10)));
    EXPECT_TRUE(pill.contains(QPointF(30, 10)));
    QPainterPath two;
    AppendBezierPathWithRoundedRect(two, QRectF(0, 0, 10, 10), 2);
    AppendBezierPathWithRoundedRect(two, QRectF(20, 0, 10, 10), 2);
    EXPECT_EQ(two.boundingRect(), QRectF(0, 0, 30, 10));
}

TEST(DialogKit, AnExceptionIsReportedByItsNameAndReason)
{
    const std::string text = ExceptionText(std::out_of_range("index 7 of 3"));
    EXPECT_EQ(text, "Exception std::out_of_range (index 7 of 3)");
}
