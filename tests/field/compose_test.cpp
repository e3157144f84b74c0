// What the field draws: pieces where they lie, clipped to their window,
// selected pieces inverted, the selection frame, and no frame without a request.
#include "field_fixture.h"

#include "field/compose.h"
#include "cutting/cutting.h"
#include "model/edge_pieces.h"
#include "model/game_cut.h"
#include "cutting/piece_looks.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "model/undo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

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
    RedrawP = kRedrawOverlay;
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
    RedrawP = kRedrawFull;
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

TEST(FieldFrame, TheAtlasHoldsEveryTurnOfEveryPieceWithItsShadowAtItsEntryAndNothingBetween)
{
    // With shadows the page is made one shelf at a time; without, in one band.
    for (bool shadows : {true, false}) {
        OptP.Visual_Shadows = shadows;
        iAtlasBandRows = shadows ? 1 : 1 << 20;
        FieldHarness h;
        TGridSpec spec;
        spec.rotate = true;  // strips of four turns, with transparent corners
        h.Open(spec);
        h.view()->makeCurrent();
        ASSERT_FALSE(PieceAtlasP.arPages.empty());
        TShadowLook look = kShadowLook;
        if (!shadows)
            look.offsetX = look.offsetY = look.blur1 = look.blur2 = 0;
        ASSERT_EQ(PieceAtlasP.iExtraW, look.ExtraW());
        std::vector<std::vector<uint8_t>> pages;
        for (size_t p = 0; p < PieceAtlasP.arPages.size(); ++p)
            pages.push_back(GLReadTexture2D(PieceAtlasP.arPages[p], PieceAtlasP.arPageSizes[p].cx,
                                            PieceAtlasP.arPageSizes[p].cy));
        std::vector<std::vector<bool>> covered(pages.size());
        for (size_t p = 0; p < pages.size(); ++p)
            covered[p].assign(pages[p].size() / 4, false);
        std::vector<uint8_t> shadow, allowed, cell;
        for (int j = 0; j < JigP.TotalTileNum; ++j) {
            const TAtlasEntry& e = PieceAtlasP.arEntries[size_t(j)];
            ASSERT_GE(e.page, 0) << j;
            const OMyImage& img = arPicJigs[size_t(j)];
            const TJig& p = Jigs[size_t(j)];
            const int pw = PieceAtlasP.arPageSizes[size_t(e.page)].cx;
            shadow.clear();
            if (shadows)
                MakeShadowAlpha(img, p.W, p.H, look, shadow);
            for (int r = 0; r < 4; ++r) {
                const int cw = (r % 2 ? p.H : p.W) + look.ExtraW(), ch = (r % 2 ? p.W : p.H) + look.ExtraH();
                ShadowAllowedMap(j, r, cw, ch, allowed);
                cell.assign(size_t(cw) * size_t(ch) * 4, 0);
                BakeShadowedCell(img, img.H, r, p.W, p.H, shadow, allowed.data(), look, cell.data(), size_t(cw) * 4);
                for (int y = 0; y < ch; ++y)
                    for (int x = 0; x < cw; ++x) {
                        const size_t at = size_t(e.y + y) * size_t(pw) + size_t(e.x + r * e.pitch + x);
                        const uint8_t* t = pages[size_t(e.page)].data() + at * 4;
                        const uint8_t* want = cell.data() + (size_t(y) * size_t(cw) + size_t(x)) * 4;
                        ASSERT_EQ(std::memcmp(t, want, 4), 0) << j << " turn " << r << " " << x << "," << y;
                        covered[size_t(e.page)][at] = true;
                    }
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
    iAtlasBandRows = 256;
}

TEST(FieldFrame, TheThumbnailTextureIsThePictureHalvedAndPremultipliedAcrossBandsAndOddEdges)
{
    FieldHarness h;
    h.Open({});
    h.view()->makeCurrent();
    // Odd sides (the last row and column halve alone) and more rows than one
    // band; alpha and colours varying so that every step shows.
    for (const bool alpha : {true, false}) {
        auto pic = std::make_unique<OMyImage>(263, 141, alpha);
        for (int y = 0; y < pic->H; ++y) {
            uint8_t* p = MyImageGetLineXY(*pic, 0, y);
            for (int x = 0; x < pic->W; ++x, p += pic->iBPP) {
                p[0] = uint8_t(x * 7 + y), p[1] = uint8_t(y * 5), p[2] = uint8_t(x ^ y);
                if (alpha)
                    p[3] = uint8_t((x * 3 + y * 11) % 256);
            }
        }
        miJigs = std::move(pic);
        CreateThumbTexture();
        ASSERT_NE(miThumbTexture.Texture, 0u);
        ASSERT_EQ(miThumbTexture.W, 132);
        ASSERT_EQ(miThumbTexture.H, 71);
        EXPECT_FALSE(miThumbTexture.HasPixels());
        const std::vector<uint8_t> tex = GLReadRectTexture(miThumbTexture.Texture, 132, 71);
        const OMyImage& src = *miJigs;
        for (int y = 0; y < 71; ++y)
            for (int x = 0; x < 132; ++x) {
                const int xs[2] = {2 * x, std::min(2 * x + 1, src.W - 1)}, ys[2] = {2 * y, std::min(2 * y + 1, src.H - 1)};
                int mean[4] = {0, 0, 0, 0};
                for (int c = 0; c < 4; ++c) {
                    int sum = 0;
                    for (int yy : ys)
                        for (int xx : xs)
                            sum += c < src.iBPP ? MyImageGetLineXY(src, xx, yy)[c] : 255;
                    mean[c] = c < src.iBPP ? (sum + 2) / 4 : 255;
                }
                const uint8_t* t = tex.data() + (size_t(y) * 132 + size_t(x)) * 4;
                ASSERT_EQ(t[3], mean[3]) << x << "," << y;
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(t[c], (mean[c] * mean[3] + 127) / 255) << x << "," << y << " channel " << c;
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

// "Show Only Edge Pieces": the loose inner pieces of a side are neither drawn
// nor picked; joined to another piece, or with the filter off, they are.
TEST(FieldFrame, LooseInnerPiecesHiddenByTheEdgeFilterAreNotDrawnNorPicked)
{
    FieldHarness h;
    TGridSpec spec;
    spec.cols = 4;
    spec.rows = 3;  // inner pieces: 5 and 6
    h.Open(spec);
    bShowOnlyEdges = true;
    RedrawP = 1;
    QImage img = h.Frame();
    for (int j = 0; j < JigP.TotalTileNum; ++j) {
        const QPoint c = FieldHarness::PieceCentre(j);
        EXPECT_EQ(Rgb(img, c.x(), c.y()), j == 5 || j == 6 ? 0x989898u : PieceColour(j)) << "piece " << j;
    }
    // A press on a hidden piece finds no piece: it starts a selection frame.
    const QPoint c5 = FieldHarness::PieceCentre(5);
    const int x5 = Jigs[5].X;
    h.Drag(c5, c5 + QPoint(5, 70));
    EXPECT_EQ(Jigs[5].X, x5);
    Jigs[6].Layer = Jigs[5].Layer;  // 5 and 6 joined: no longer loose
    SortJigs(kSortAscending);
    RedrawP = 1;
    img = h.Frame();
    EXPECT_EQ(Rgb(img, c5.x(), c5.y()), PieceColour(5));
    Jigs[6].Layer = 6;
    SortJigs(kSortAscending);
    bShowOnlyEdges = false;
    RedrawP = 1;
    img = h.Frame();
    const QPoint c6 = FieldHarness::PieceCentre(6);
    EXPECT_EQ(Rgb(img, c6.x(), c6.y()), PieceColour(6));
}

// A drag with the mouse ends in one step of the history; undo puts the piece
// back and the next frame shows it there.
TEST(FieldFrame, AMouseDragIsOneStepThatUndoTakesBack)
{
    FieldHarness h;
    h.Open({});
    Undo_Reset();
    const QPoint from = FieldHarness::PieceCentre(2);
    h.Drag(from, from + QPoint(150, 220));
    EXPECT_EQ(Undo_Position(), 1);
    ASSERT_TRUE(Undo_Back());
    RedrawP = 1;
    const QImage img = h.Frame();
    EXPECT_EQ(Rgb(img, from.x(), from.y()), PieceColour(2));
    EXPECT_EQ(Rgb(img, from.x() + 150, from.y() + 220), 0x989898u);
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

// A game opened lean drops its piece images once the atlas holds them. GL
// refusing a page must not leave pieces with nothing to draw from: they keep
// their images when the atlas cannot make them again (the grid here has no
// mask), and get them back, made anew from the picture and the mask, when it
// dropped them before making the pages (a real cut).
TEST(FieldFrame, APageGLRefusesLeavesEveryPieceDrawnFromItsOwnImage)
{
    for (const bool realCut : {false, true}) {
        FieldHarness h;
        const int maxTex = FieldGL.iMaxTexSize;
        h.Open({});
        if (realCut) {
            const int w = 480, hh = 360;
            UseRealCut(w, hh, 11);
            miJigs = MyImageCreate(w, hh);
            std::fill(miJigs->Bitmap.begin(), miJigs->Bitmap.end(), uint8_t(90));
            CopyJigsToTextures(true, 1);
        }
        const size_t pieces = arPicJigs.size();
        ASSERT_GT(pieces, 0u);
        h.view()->makeCurrent();
        FieldGL.iMaxTexSize = PieceAtlasP.iPageSide = 1 << 16;  // wider than any GL takes
        FieldP.bLeanAfterOpen = true;
        PieceAtlas_Free();
        PieceAtlas_Build();
        FieldP.bLeanAfterOpen = false;
        FieldGL.iMaxTexSize = maxTex;
        PieceAtlasP.iPageSide = 4096;
        h.view()->doneCurrent();
        EXPECT_TRUE(PieceAtlasP.arPages.empty()) << realCut;
        EXPECT_FALSE(PieceImagePixelsDropped()) << realCut;
        ASSERT_EQ(arPicJigs.size(), pieces);
        for (size_t j = 0; j < pieces; ++j)
            ASSERT_TRUE(arPicJigs[j].HasPixels()) << realCut << " piece " << j;
        if (!realCut) {
            const QImage img = h.Frame();
            for (int j = 0; j < JigP.TotalTileNum; ++j) {
                const QPoint c = FieldHarness::PieceCentre(j);
                EXPECT_EQ(Rgb(img, c.x(), c.y()), PieceColour(j)) << "piece " << j;
            }
        }
    }
}
