// The Figure style's picture inserts: choosing and placing pictures, the
// mask operations they use, and whole cuts around the pictures.
#include "cutting/cut_test_support.h"
#include "cutting/pic_inserts.h"
#include "cutting/vector_pics.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

void UseOurPictures() { PicSourceP.sDataPic = SourcePath("resources/pic_zivra.dat"); }

struct FigCut {
    TJigParams p;
    std::vector<TJig> jigs;
    OMyImagePtr masks;
    TCutStatus status = TCutStatus::Failed;
    int pictures = 0;
};

FigCut MakeFigureCut(int w, int h, int level, int border, uint32_t seed)
{
    FigCut c;
    c.p = CutParams(w, h, level, 3, border);
    c.status = RunCut(c.p, c.jigs, c.masks, seed);
    for (int i = 0; i < c.p.TileNum; ++i)
        c.pictures += c.jigs[size_t(i)].PicCell;
    return c;
}

// A cut prepared up to the picture inserts of its first attempt: pictures
// loaded from `entries`, a fresh mask, boxes, neighbours and twins.
struct Prepared {
    TJigParams p;
    std::vector<TJig> jigs;
    std::unique_ptr<TCutWork> w;
    TempDir dir;
};

void Prepare(Prepared& r, const std::vector<PicEntry>& entries, uint32_t seed = 3)
{
    ASSERT_TRUE(WriteFileBytes(r.dir.File("pics.dat"), PicDataFile(entries)));
    PicSourceP.sDataPic = r.dir.File("pics.dat");
    r.p = CutParams(400, 300, 6, 3, 0);
    r.jigs.assign(size_t(r.p.TotalTileNum) + 1, TJig{});
    r.w = std::make_unique<TCutWork>(r.p, r.jigs);
    TCutWork& w = *r.w;
    SRand(seed);
    ASSERT_TRUE(CutSetUp(w) && CutPlaceSites(w) && CutPartition(w));
    ASSERT_TRUE(PicInserts_Load(w));
    MyImageFillRect(*w.vecField, 0, 0, w.vecField->W, w.vecField->H, kMaskWhite);
    InitJigsAr(w.jp, w.jigs);
    CutRestoreCells(w);
    CutBoxesAndNeighbours(w);
}

// The first flagged inner cell.
int FirstFlagged(const TCutWork& w)
{
    for (int i = 0; i < w.n; ++i)
        if (w.jigs[size_t(i)].PicCell)
            return i;
    return -1;
}

}  // namespace

// ---- Choosing and placing ---------------------------------------------------------------------

TEST(PictureInserts, GridsOfFewerThanThreeRowsOrColumnsGetNoPicture)
{
    UseOurPictures();
    struct Case { int w, h, level; };
    for (const Case c : {Case{400, 50, 0}, Case{50, 400, 0}, Case{120, 100, 13}, Case{400, 300, 13}}) {
        const FigCut cut = MakeFigureCut(c.w, c.h, c.level, 0, 1);
        ASSERT_EQ(cut.status, TCutStatus::Done) << c.w << "x" << c.h;
        const bool small = cut.p.TilePX < 3 || cut.p.TilePY < 3;
        EXPECT_EQ(cut.pictures > 0, !small) << c.w << "x" << c.h << " level " << c.level;
    }
}

TEST(PictureInserts, NoTwoPictureCellsAreNeighboursAndNoneTouchesTheBorder)
{
    UseOurPictures();
    Prepared r;
    Prepare(r, {{SquareEmf(40), 40, 40}});
    TCutWork& w = *r.w;
    ChoosePicCells(w);
    int flagged = 0;
    for (int i = 0; i < w.n; ++i) {
        if (!w.jigs[size_t(i)].PicCell)
            continue;
        ++flagged;
        const TCutCell& c = w.cut[size_t(i)];
        for (int e = 0; e < c.edgeNum; ++e) {
            const int nb = c.edges[size_t(e)].nb;
            EXPECT_GE(nb, 0) << "cell " << i << " touches the border";
            if (nb >= 0) {
                EXPECT_EQ(w.jigs[size_t(nb)].PicCell, 0) << "cells " << i << " and " << nb;
            }
        }
    }
    EXPECT_GT(flagged, 0);
}

TEST(PictureInserts, APictureInTheWayOfASiteOrInkOrLargerThanItsSizeIsNotPlaced)
{
    struct Case { const char* what; int drawn, nominal; void (*spoil)(TCutWork& w, int i); };
    const Case cases[] = {
        {"nothing in the way", 20, 20, nullptr},
        {"the cell above has its site just beside this cell's site", 20, 20,
         [](TCutWork& w, int i) {
             w.cut[size_t(i - w.C)].x = w.cut[size_t(i)].x + 3;
             w.cut[size_t(i - w.C)].y = w.cut[size_t(i)].y + 3;
         }},
        {"something already lies where the picture would go", 20, 20,
         [](TCutWork& w, int i) { MyImageSetPixel(*w.vecField, w.cut[size_t(i)].x, w.cut[size_t(i)].y, RGB(128, 0, 77)); }},
        // Nominal 2 x 2, drawn over 30000 x 30000: it would cover the puzzle.
        {"bounds that belie the nominal size", 30000, 2, nullptr},
    };
    for (const Case& c : cases) {
        ResetAllState();
        Prepared r;
        Prepare(r, {{SquareEmf(c.drawn), c.nominal, c.nominal}});
        TCutWork& w = *r.w;
        const int i = FirstFlagged(w);
        ASSERT_GE(i, 0) << c.what;
        ASSERT_GT(w.jigs[size_t(i)].W, 20);
        if (c.spoil)
            c.spoil(w, i);
        const std::vector<uint8_t> before = w.vecField->Bitmap;
        PlacePicture(w, i);
        const bool placed = !c.spoil && c.drawn == c.nominal;
        EXPECT_EQ(w.jigs[size_t(i)].PicCell, placed ? 1 : 0) << c.what;
        if (placed) {
            // A picture that fits its cell is set in at one and a fifth its size.
            EXPECT_GT(CountColour(*w.vecField, MaskCodeColor(w.jigs[size_t(i)].MaskColor)), 0);
            EXPECT_EQ(w.jigs[size_t(i)].W, Round(RotVec.RotW * 1.2));
            EXPECT_EQ(w.jigs[size_t(i)].H, Round(RotVec.RotH * 1.2));
        } else {
            EXPECT_EQ(w.vecField->Bitmap, before) << "the mask is left alone when refused: " << c.what;
        }
    }
}

TEST(PictureInserts, MirrorsAreDrawnFromTheGeneratorOnlyWhereTheEntryAllowsThem)
{
    struct Case { uint8_t lr, tb; int draws; };
    for (const Case c : {Case{0, 0, 2}, Case{1, 0, 3}, Case{0, 1, 3}, Case{1, 1, 4}}) {
        ResetAllState();
        Prepared r;
        Prepare(r, {{SquareEmf(40), 40, 40, c.tb, c.lr}});
        TCutWork& w = *r.w;
        const int i = FirstFlagged(w);
        ASSERT_GE(i, 0);
        SRand(99);
        PlacePicture(w, i);
        const int32_t after = Rand();
        SRand(99);
        for (int k = 0; k < c.draws; ++k)
            Rand();
        EXPECT_EQ(after, Rand()) << "mirror flags lr " << int(c.lr) << " tb " << int(c.tb);
    }
}

// ---- Mask operations ----------------------------------------------------------------------------

TEST(PictureMask, AddingAPictureIsAllOrNothing)
{
    OMyImagePtr field = WhiteImage(20, 20), pics = WhiteImage(20, 20);
    const uint32_t ink = RGB(128, 0, 50);
    MyImageFillRect(*pics, 5, 5, 6, 6, ink);
    MyImageSetPixel(*field, 10, 10, RGB(128, 0, 25));
    EXPECT_FALSE(AddPicToField(*field, *pics, ink, MakeTRect(4, 4, 12, 12)));
    EXPECT_EQ(CountColour(*field, ink), 0);
    // Outside the rectangle the field's pixel does not count.
    EXPECT_TRUE(AddPicToField(*field, *pics, ink, MakeTRect(4, 4, 9, 9)));
    EXPECT_EQ(CountColour(*field, ink), 25);
}

TEST(PictureMask, WalksStopBesideAPictureAndAtTheFirstWhitePoint)
{
    TJigParams p;
    p.ImageW = p.ImageH = 40;
    std::vector<TJig> jigs(2);
    jigs[1].MaskColor = 75;
    TCutWork w(p, jigs);
    w.field = vMyRectInitRB(0, 0, 39, 39);
    w.vecField = WhiteImage(40, 40);
    MyImageFillRect(*w.vecField, 20, 10, 10, 10, MaskCodeColor(75));  // 20..29 x 10..19
    TPoint P;
    const TRect all = MakeTRect(0, 0, 39, 39);
    ASSERT_TRUE(LineOverlapWithPic(w, 1, {5, 15}, {35, 15}, all, &P));
    EXPECT_EQ(P, (TPoint{19, 15}));
    EXPECT_FALSE(LineOverlapWithPic(w, 1, {5, 15}, {35, 15}, MakeTRect(0, 0, 10, 39), &P)) << "outside the rect";
    EXPECT_FALSE(LineOverlapWithPic(w, 1, {5, 30}, {35, 30}, all, &P));
    EXPECT_FALSE(LineOverlapWithPic(w, 1, {19, 15}, {19, 15}, all, &P)) << "a point alone is tested itself";
    EXPECT_TRUE(LineOverlapWithPic(w, 1, {22, 15}, {22, 15}, all, &P));
    EXPECT_EQ(FindFreeEdgePoint(w, {5, 15}, {35, 15}, &P), 0);
    EXPECT_EQ(P, (TPoint{5, 15}));
    EXPECT_EQ(FindFreeEdgePoint(w, {25, 15}, {35, 15}, &P), 1);
    EXPECT_EQ(P, (TPoint{30, 15}));
    EXPECT_EQ(FindFreeEdgePoint(w, {25, 15}, {28, 15}, &P), -1);
}

// ---- Whole cuts -------------------------------------------------------------------------------------

TEST(FigureCut, EveryCellAroundAPictureIsClosedAndEveryBoxHoldsItsPiece)
{
    UseOurPictures();
    struct Case { int w, h, level, border; uint32_t seed; };
    std::vector<Case> cases;
    for (int level : {0, 2, 5, 9})
        for (int border = 0; border <= 1; ++border)
            for (uint32_t seed : {1u, 2u, 3u})
                cases.push_back({level < 2 ? 400 : 520, level < 2 ? 300 : 390, level, border, seed + 10u * uint32_t(level)});
    int pictures = 0;
    for (const Case& c : cases) {
        const std::string what = StrFormat("%dx%d level %d border %d seed %u", c.w, c.h, c.level, c.border, c.seed);
        const FigCut cut = MakeFigureCut(c.w, c.h, c.level, c.border, c.seed);
        ASSERT_EQ(cut.status, TCutStatus::Done) << what;
        EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Message), 0) << what;
        EXPECT_EQ(CheckPieceOwnership(*cut.masks, cut.jigs, cut.p.TotalTileNum), "") << what;
        pictures += cut.pictures;
        // A picture piece's box is exactly the extent of its pixels.
        for (int i = 0; i < cut.p.TileNum; ++i) {
            const TJig& j = cut.jigs[size_t(i)];
            if (!j.PicCell)
                continue;
            TMyRect ext;
            for (int y = j.HomeY; y < j.HomeY + j.H; ++y)
                for (int x = j.HomeX; x < j.HomeX + j.W; ++x)
                    if (MyImageGetPixel(*cut.masks, x, y) == MaskCodeColor(j.MaskColor))
                        MyRectIncScope(ext, x, y, x, y);
            EXPECT_EQ(ext, vMyRectInitWH(j.HomeX, j.HomeY, j.W, j.H)) << what << " picture " << i;
        }
        Recorder().Clear();
    }
    EXPECT_GT(pictures, 100);
}

TEST(FigureCut, SameSeedSameCut)
{
    UseOurPictures();
    const FigCut a = MakeFigureCut(400, 300, 3, 1, 77), b = MakeFigureCut(400, 300, 3, 1, 77);
    const FigCut other = MakeFigureCut(400, 300, 3, 1, 78);
    ASSERT_GT(a.pictures, 0);
    EXPECT_EQ(a.masks->Bitmap, b.masks->Bitmap);
    EXPECT_EQ(0, std::memcmp(a.jigs.data(), b.jigs.data(), sizeof(TJig) * a.jigs.size()));
    EXPECT_NE(a.masks->Bitmap, other.masks->Bitmap);
}

TEST(FigureCut, WithoutItsPicturesTheFigureStyleStillCuts)
{
    PicSourceP.sDataPic = "/nonexistent/pic_zivra.dat";
    const FigCut cut = MakeFigureCut(400, 300, 3, 0, 5);
    ASSERT_EQ(cut.status, TCutStatus::Done);
    EXPECT_EQ(cut.pictures, 0);
    EXPECT_EQ(CheckPieceOwnership(*cut.masks, cut.jigs, cut.p.TotalTileNum), "");
    EXPECT_GE(Recorder().Count(RecordingPlatform::Kind::Log), 1);
}
