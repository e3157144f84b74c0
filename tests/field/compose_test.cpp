// What the field draws: pieces where they lie, clipped to their window,
// selected pieces inverted, the selection frame, and no frame without a request.
#include "field_fixture.h"

#include "model/game_state.h"
#include "model/puzzle.h"

#include <gtest/gtest.h>

TEST(FieldFrame, PiecesAppearWhereTheyLieAndAnErrorShowsOnTheOverlayOnlyWhileItIsOn)
{
    FieldHarness h;
    h.Open({});
    QImage img = h.Frame();
    for (int j = 0; j < JigP.TotalTileNum; ++j) {
        const QPoint c = FieldHarness::PieceCentre(j);
        EXPECT_EQ(Rgb(img, c.x(), c.y()), PieceColour(j)) << "piece " << j;
    }
    EXPECT_EQ(Rgb(img, 14, 14), 0x989898u);  // the table's grey; the overlay is off
    reportError("glError: 1282");
    EXPECT_NE(GLErrorsP.sLastError.find("Error: glError: 1282 (at time: "), std::string::npos);
    img = h.Frame();
    EXPECT_EQ(Rgb(img, 14, 14), 0x989898u);  // still off: the table
    h.Key(Qt::Key_I);
    img = h.Frame();
    const uint32_t c = Rgb(img, 14, 14);  // the error box: the table tinted red
    EXPECT_GT((c >> 16) & 0xFF, (c >> 8) & 0xFF);
    // The information line sits at the bottom left.
    EXPECT_NE(Rgb(img, 14, img.height() - 14), 0x989898u);
    GLErrorsP.gErrorTime -= gMsgPresistance + 1;  // ten seconds later
    RedrawP = 3;
    img = h.Frame();
    EXPECT_EQ(Rgb(img, 14, 14), 0x989898u);
}

TEST(FieldFrame, ATablePictureScrollsWithTheContent)
{
    FieldHarness h;
    h.Open({}, false);  // the sides scroll
    WinP.lBkgColors[0] = WinP.lBkgColors[1] = 13;  // wood1
    UpdateScrBkgs();
    ASSERT_EQ(BkgP.lBkgPicTag, 13);
    OMyImagePtr file = MyImageCreateFromFile(BkgPicPath(13), true);
    OMyImagePtr pic = MyImageCreate(iMaxMainViewScrollW, iMaxMainViewScrollH);
    MyImageSmoothResize(*pic, *file);
    OMyWin* s0 = GetViewWin(0);
    s0->iScrollL = 100;
    s0->iScrollT = 40;
    RedrawP = 1;
    const QImage img = h.Frame();
    for (const QPoint p : {QPoint(3, 5), QPoint(300, 200)}) {
        int r, g, b;
        IntToRGB(MyImageGetPixel(*pic, 100 + p.x(), 40 + p.y()), &r, &g, &b);
        EXPECT_EQ(Rgb(img, p.x(), p.y()), uint32_t(r << 16 | g << 8 | b));
    }
}

TEST(FieldFrame, AFrameDuringADragShowsThePieceWhereTheLastMoveLeftItAndNowhereElse)
{
    FieldHarness h;
    h.Open({});
    const QPoint from = FieldHarness::PieceCentre(0);
    const QPoint start(Jigs[0].X, Jigs[0].Y);
    h.Press(from);
    // Several moves before a frame: only the last one's picture is composed.
    for (const QPoint step : {QPoint(0, 200), QPoint(200, 200), QPoint(400, 250)})
        h.Move(from + step);
    const QImage img = h.Frame();
    const QPoint now = FieldHarness::PieceCentre(0);
    EXPECT_EQ(now - from, QPoint(Jigs[0].X, Jigs[0].Y) - start);
    EXPECT_EQ(Rgb(img, now.x(), now.y()), PieceColour(0));
    for (const QPoint step : {QPoint(0, 200), QPoint(200, 200)})
        EXPECT_EQ(Rgb(img, from.x() + step.x(), from.y() + step.y()), 0x989898u) << step.x();
    h.Move(from + QPoint(200, 300));
    h.Release(from + QPoint(200, 300));
    const QImage after = h.Frame();
    EXPECT_EQ(Rgb(after, now.x(), now.y()), 0x989898u);
    const QPoint end = FieldHarness::PieceCentre(0);
    EXPECT_EQ(Rgb(after, end.x(), end.y()), PieceColour(0));
}

TEST(FieldFrame, TheAtlasHoldsEveryPiecePremultipliedAtItsEntryAndNothingBetween)
{
    FieldHarness h;
    TGridSpec spec;
    spec.rotate = true;  // strips of four turns, with transparent corners
    h.Open(spec);
    h.view()->makeCurrent();
    ASSERT_FALSE(PieceAtlasP.arPages.empty());
    std::vector<std::vector<uint8_t>> pages;
    for (size_t p = 0; p < PieceAtlasP.arPages.size(); ++p)
        pages.push_back(GLReadRectTexture(PieceAtlasP.arPages[p], PieceAtlasP.arPageSizes[p].cx,
                                          PieceAtlasP.arPageSizes[p].cy));
    std::vector<std::vector<bool>> covered(pages.size());
    for (size_t p = 0; p < pages.size(); ++p)
        covered[p].assign(pages[p].size() / 4, false);
    for (int j = 0; j < JigP.TotalTileNum; ++j) {
        const TAtlasEntry& e = PieceAtlasP.arEntries[size_t(j)];
        ASSERT_GE(e.page, 0) << j;
        const OMyImage& img = arPicJigs[size_t(j)];
        const int pw = PieceAtlasP.arPageSizes[size_t(e.page)].cx;
        for (int y = 0; y < img.H; ++y)
            for (int x = 0; x < img.W; ++x) {
                const uint8_t* s = MyImageGetLineXY(img, x, y);
                const unsigned a = img.bAlpha ? s[3] : 255;
                const size_t at = size_t(e.y + y) * size_t(pw) + size_t(e.x + x);
                const uint8_t* t = pages[size_t(e.page)].data() + at * 4;
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(t[c], (s[c] * a + 127) / 255) << j << " " << x << "," << y;
                ASSERT_EQ(t[3], a);
                covered[size_t(e.page)][at] = true;
            }
    }
    for (size_t p = 0; p < pages.size(); ++p)
        for (size_t i = 0; i < covered[p].size(); ++i) {
            if (!covered[p][i]) {
                ASSERT_EQ(pages[p][i * 4 + 3], 0) << "page " << p << " texel " << i;
            }
        }
    h.view()->doneCurrent();
}

TEST(FieldFrame, PremultiplyingRoundsEveryValueAndAlphaAsTheExactFormula)
{
    // One row per alpha, one pixel per value: every pair is checked.
    OMyImage img(256, 256, true);
    for (int a = 0; a < 256; ++a) {
        uint8_t* p = MyImageGetLineXY(img, 0, a);
        for (int v = 0; v < 256; ++v, p += 4)
            p[0] = uint8_t(v), p[1] = uint8_t(255 - v), p[2] = uint8_t(v ^ 0x55), p[3] = uint8_t(a);
    }
    std::vector<uint8_t> row(256 * 4);
    for (int a = 0; a < 256; ++a) {
        PremultiplyRowRgba(img, 0, a, 256, row.data());
        const uint8_t* s = MyImageGetLineXY(img, 0, a);
        for (int i = 0; i < 256 * 4; ++i) {
            const unsigned want = (i % 4 == 3) ? unsigned(a) : (s[i] * unsigned(a) + 127) / 255;
            ASSERT_EQ(row[size_t(i)], want) << "alpha " << a << " byte " << i;
        }
    }
    // An opaque picture gets alpha 255 and its colours unchanged.
    OMyImage rgb(3, 1, false);
    uint8_t* p = MyImageGetLineXY(rgb, 0, 0);
    for (int i = 0; i < 3 * rgb.iBPP; ++i)
        p[i] = uint8_t(10 + i);
    PremultiplyRowRgba(rgb, 0, 0, 3, row.data());
    for (int x = 0; x < 3; ++x) {
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(row[size_t(x * 4 + c)], p[x * rgb.iBPP + c]);
        EXPECT_EQ(row[size_t(x * 4 + 3)], 255);
    }
}

TEST(FieldFrame, ALeanGameDrawsWhatAFullOneDoesAndItsPiecesStillTakeTheMouse)
{
    TGridSpec spec;
    spec.rotate = true;
    QImage full;
    {
        FieldHarness h;
        h.Open(spec);
        full = h.Frame();
    }
    FieldHarness h;
    FieldP.bLeanAfterOpen = true;
    h.Open(spec);
    EXPECT_EQ(h.Frame(), full);
    ASSERT_TRUE(PieceImagePixelsDropped());  // the atlas holds them now
    // The piece is picked through its hit mask and drawn from the atlas where it is put.
    const QPoint from = FieldHarness::PieceCentre(0), to = from + QPoint(0, 150);
    h.Drag(from, to);
    EXPECT_EQ(Rgb(h.Frame(), to.x(), to.y()), PieceColour(0));
    FieldP.bLeanAfterOpen = false;
}
