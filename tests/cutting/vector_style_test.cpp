// The grid styles: our tab atlas against the curves it stands for, the
// fallback when an atlas cannot be trusted, and the properties of whole cuts.
#include "cutting/cut_test_support.h"
#include "cutting/vector_style.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kInk = RGB(128, 0, 25);

void LoadOurAtlas() { ASSERT_TRUE(LoadRasAtlas(SourcePath("resources/fig0-gray.gif"))); }

OMyImagePtr White(int w, int h) { return WhiteImage(w, h); }
PixelSet Inked(const OMyImage& img) { return PixelsOf(img, kInk); }

// Every pixel of a within one pixel (both ways) of some pixel of b.
int FarPixels(const PixelSet& a, const PixelSet& b)
{
    int far = 0;
    for (const auto& p : a) {
        bool near = false;
        for (int dy = -1; dy <= 1 && !near; ++dy)
            for (int dx = -1; dx <= 1 && !near; ++dx)
                near = b.count({p.first + dx, p.second + dy}) > 0;
        far += !near;
    }
    return far;
}

int TabHeight(int L)
{
    TMaskParam row;
    FillMaskParam(row, 4000, 4000, L + 1, 4, 0);
    return row.MaskOfs;
}

// The Bezier tab as the cut draws it on the edge P-Q.
PixelSet CurveTab(int fig, bool flip, bool side, TPoint P, TPoint Q, int L, int size)
{
    OMyImagePtr img = White(size, size);
    TEdgeFig f = EdgeFigs[size_t(fig)];
    if (flip)
        for (int i = 0; i < f.pointCount; ++i)
            f.points[size_t(i)] = {float(f.width) - EdgeFigs[size_t(fig)].points[size_t(f.pointCount - 1 - i)].x,
                                   EdgeFigs[size_t(fig)].points[size_t(f.pointCount - 1 - i)].y};
    DrawVectorTabBezier(*img, f, CurveFrame(P, Q, side), TabHeight(L), kInk);
    return Inked(*img);
}

PixelSet StampedTab(int L, int fig, bool side, bool flip, bool flat, TPoint P, int size)
{
    OMyImagePtr img = White(size, size);
    RasStampTab(*img, L, fig, side, flip, flat, P, kInk);
    return Inked(*img);
}

// ---- Whole cuts ---------------------------------------------------------------------------

struct VCut {
    TJigParams p;
    std::vector<TJig> jigs;
    OMyImagePtr masks;
    TVecCutStats stats;
    TCutStatus status = TCutStatus::Failed;
};

VCut MakeVCut(int w, int h, int level, int style, int border, uint32_t seed)
{
    VCut c;
    c.p = CutParams(w, h, level, style, border);
    c.jigs.assign(size_t(c.p.TotalTileNum) + 1, TJig{});
    c.stats.keepCorners = true;
    SRand(seed);
    c.status = CreateMasksForVectorStyle(c.p, c.jigs, c.masks, {}, &c.stats);
    return c;
}

// Every box is tight: the frame's strip spans the whole picture too.
std::string CheckOwnership(const VCut& c) { return CheckPieceOwnership(*c.masks, c.jigs, c.p.TotalTileNum, true); }

int InnerEdges(const TJigParams& p) { return (p.TilePX - 1) * p.TilePY + (p.TilePY - 1) * p.TilePX; }

}  // namespace

// ---- The atlas -----------------------------------------------------------------------------

TEST(TabAtlas, EveryStampMatchesItsCurveWithinAPixelAndSeparatesTheTwoCells)
{
    LoadOurAtlas();
    InitEdgeFigsForVectorStyle();
    for (int L = kRasMinL; L <= kRasMaxL; ++L)
        for (int fig = 0; fig < kRasFigures; ++fig)
            for (int variant = 0; variant < 8; ++variant) {
                const bool side = variant & 1, flip = variant & 2, flat = variant & 4;
                const std::string what = StrFormat("length %d figure %d variant %d", L, fig, variant);
                // Stamped down a vertical edge, side 1 puts the tab to the
                // left, where a curve's side 0 goes.
                const TPoint P{20, 40};
                const PixelSet stamp = StampedTab(L, fig, side, flip, flat, P, 100);
                const PixelSet curve = flat ? CurveTab(fig, flip, side, P, {P.x + L, P.y}, L, 100)
                                            : CurveTab(fig, flip, !side, P, {P.x, P.y + L}, L, 100);
                EXPECT_EQ(FarPixels(stamp, curve) + FarPixels(curve, stamp), 0) << what;
                if (flat) {
                    EXPECT_TRUE(stamp.count({P.x, P.y}) && stamp.count({P.x + L, P.y})) << "ends of " << what;
                }
                // An edge across the whole width of a picture: a fill from one
                // side must not reach the other.
                OMyImagePtr img = flat ? White(L + 1, 61) : White(61, L + 1);
                RasStampTab(*img, L, fig, side, flip, flat, flat ? TPoint{0, 30} : TPoint{30, 0}, kInk);
                MyImageFloodFill(*img, 0, 0, RGB(1, 2, 3));
                EXPECT_EQ(MyImageGetPixel(*img, flat ? L / 2 : 60, flat ? 60 : L / 2), kWhite) << what;
            }
}

namespace {

struct BrokenAtlas {
    const char* name;
    void (*spoil)(OMyImagePtr& atlas);
};

OMyImagePtr Crop(const OMyImage& src, int w, int h)
{
    OMyImagePtr out = MyImageCreateExt(w, h, src.bAlpha);
    MyImageCopyRect(*out, 0, 0, w, h, src, 0, 0, false);
    return out;
}

const BrokenAtlas kBroken[] = {
    {"missing", [](OMyImagePtr& a) { a.reset(); }},
    {"too narrow for the last block", [](OMyImagePtr& a) { a = Crop(*a, a->W - 2, a->H); }},
    {"too short for the last band", [](OMyImagePtr& a) { a = Crop(*a, a->W, 120); }},
    {"two reference levels equal", [](OMyImagePtr& a) { MyImageSetPixel(*a, 4, 8, MyImageGetPixel(*a, 4, 7)); }},
    {"tiny", [](OMyImagePtr& a) { a = Crop(*a, 4, 4); }},
};

}  // namespace

TEST(TabAtlas, ABrokenAtlasMeansEveryTabIsDrawnAndTheCutStaysClean)
{
    for (const BrokenAtlas& b : kBroken) {
        ResetAllState();
        LoadOurAtlas();
        b.spoil(RasAtlas.miFig0);
        std::string why;
        EXPECT_FALSE(CountRasTileD(&why)) << b.name;
        EXPECT_FALSE(why.empty()) << b.name;
        VCut c = MakeVCut(300, 220, 0, 5, 0, 9);
        ASSERT_EQ(c.status, TCutStatus::Done) << b.name;
        EXPECT_EQ(c.stats.stamped, 0) << b.name;
        EXPECT_EQ(c.stats.drawn, InnerEdges(c.p)) << b.name;
        EXPECT_EQ(CheckOwnership(c), "") << b.name;
    }
    // Loading one that is too small, or none, is logged.
    ResetAllState();
    TempDir dir;
    ASSERT_TRUE(MyImageSaveToFile(*White(100, 50), dir.File("small.png")));
    EXPECT_FALSE(LoadRasAtlas(dir.File("small.png")));
    EXPECT_FALSE(LoadRasAtlas(dir.File("none.gif")));
    EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Log), 2);
    EXPECT_FALSE(RasAtlas.bUsable);
}

TEST(TabAtlas, AnAtlasThatPaintsEverythingEndsInAPaintErrorNotACrash)
{
    // Levels distinct and sizes right, but every pixel is side-0 ink: the
    // stamps cover the cells' middles.
    OMyImagePtr a = MyImageCreateExt(1100, 200, false);
    MyImageFillRect(*a, 0, 0, a->W, a->H, RGB(170, 170, 170));
    MyImageSetPixel(*a, 4, 5, RGB(255, 255, 255));
    MyImageSetPixel(*a, 4, 7, RGB(85, 85, 85));
    MyImageSetPixel(*a, 4, 8, RGB(0, 0, 0));
    RasAtlas.miFig0 = std::move(a);
    ASSERT_TRUE(CountRasTileD());
    VCut c = MakeVCut(300, 220, 0, 4, 1, 3);
    EXPECT_EQ(c.status, TCutStatus::PaintError);
    EXPECT_GT(c.stats.paintErrors, 0);
    EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Message), 1);
    ASSERT_FALSE(Recorder().events.empty());
    EXPECT_EQ(Recorder().events.back().text.rfind("PaintError: Ind = ", 0), 0u);
}

// ---- Choosing and drawing one tab -------------------------------------------------------------

TEST(VectorTab, TheChoiceDrawsTwoNumbersAndMirrorsTheFigure)
{
    InitEdgeFigsForVectorStyle();
    VecStyleP.iFigChoise = VectorFigChoice(6);
    SRand(77);
    const int wantFig = VecStyleP.iFigChoise[size_t(MyRandom(6))];
    const bool wantFlip = MyRandom(2) != 0;
    const int32_t next = Rand();
    SRand(77);
    TEdgeFig fig;
    int number = -1;
    bool flip = !wantFlip;
    ChooseRandomCurve(&fig, &number, &flip, true);
    EXPECT_EQ(number, wantFig);
    EXPECT_EQ(flip, wantFlip);
    EXPECT_EQ(Rand(), next);
    const TEdgeFig& src = EdgeFigs[size_t(number)];
    for (int i = 0; i < src.pointCount; ++i) {
        const TFigPoint& q = src.points[size_t(flip ? src.pointCount - 1 - i : i)];
        EXPECT_EQ(fig.points[size_t(i)].x, flip ? 127 - q.x : q.x);
        EXPECT_EQ(fig.points[size_t(i)].y, q.y);
    }
    // Without a random flip the flip passed in is kept and one number drawn.
    VecStyleP.iFigChoise = VectorFigChoice(4);
    flip = true;
    SRand(5);
    ChooseRandomCurve(&fig, &number, &flip, false);
    EXPECT_TRUE(flip);
    EXPECT_EQ(number, 0);
}

TEST(VectorTab, ATabThatWouldLeaveThePictureIsFlattenedAndDrawn)
{
    LoadOurAtlas();
    InitEdgeFigsForVectorStyle();
    VecStyleP.iFigChoise = VectorFigChoice(4);
    OMyImagePtr img = White(80, 40);
    const TCurveField cf{img.get(), 30, 12, 0, 0, 79, 39, {}};
    // A horizontal edge of length 30 two rows below the top, tab upward.
    EXPECT_EQ(DrawRotCurveForVectorStyle(cf, false, true, {10, 2}, {40, 2}, kInk), TTabDraw::Drawn);
    EXPECT_FALSE(Inked(*img).empty());
    // Away from the border the same edge is stamped.
    EXPECT_EQ(DrawRotCurveForVectorStyle(cf, false, true, {10, 30}, {40, 30}, kInk), TTabDraw::Stamped);
    // Lengths outside 19..47 and slanted edges are drawn.
    EXPECT_EQ(DrawRotCurveForVectorStyle(cf, false, false, {10, 20}, {28, 20}, kInk), TTabDraw::Drawn);
    EXPECT_EQ(DrawRotCurveForVectorStyle(cf, false, false, {10, 20}, {60, 20}, kInk), TTabDraw::Drawn);
    EXPECT_EQ(DrawRotCurveForVectorStyle(cf, false, false, {10, 20}, {40, 22}, kInk), TTabDraw::Drawn);
}

// ---- Whole cuts ---------------------------------------------------------------------------------

TEST(VectorCut, EveryPixelIsPaintedAndLiesInExactlyOnePieceBox)
{
    LoadOurAtlas();
    struct Case { int w, h, level, style, border; uint32_t seed; };
    std::vector<Case> cases = {
        {300, 220, 0, 4, 0, 1}, {320, 240, 0, 5, 1, 2}, {300, 220, 3, 6, 0, 3}, {320, 260, 5, 6, 1, 4},
        {260, 300, 9, 5, 0, 5}, {400, 300, 13, 4, 1, 6}, {333, 217, 2, 6, 1, 7}, {217, 333, 7, 5, 1, 8},
    };
    for (int style = 4; style <= 6; ++style)
        for (int border = 0; border <= 1; ++border)
            for (int level : {1, 6, 11})
                cases.push_back({520, 390, level, style, border, uint32_t(100 + 7 * level + style + 50 * border)});
    for (const Case& k : cases) {
        const std::string what = StrFormat("%dx%d level %d style %d border %d", k.w, k.h, k.level, k.style, k.border);
        VCut c = MakeVCut(k.w, k.h, k.level, k.style, k.border, k.seed);
        ASSERT_EQ(c.status, TCutStatus::Done) << what;
        EXPECT_EQ(CheckOwnership(c), "") << what;
        EXPECT_EQ(c.stats.stamped + c.stats.drawn, InnerEdges(c.p)) << what;
        // Neighbouring cells agree on the side of their shared edge.
        const int C = c.p.TilePX;
        for (int i = 0; i < c.p.TileNum; ++i) {
            const TCellCorners& k0 = c.stats.corners[size_t(i)];
            if (i % C > 0) {
                EXPECT_EQ(k0.left, c.stats.corners[size_t(i - 1)].right) << what << " cell " << i;
            }
            if (i >= C) {
                EXPECT_EQ(k0.top, c.stats.corners[size_t(i - C)].bottom) << what << " cell " << i;
            }
        }
    }
}

TEST(VectorCut, TabsOfLength19To47AreStampedAndOthersDrawn)
{
    LoadOurAtlas();
    struct Case { int w, h, level; bool stamped; };
    // Level 0 of a small picture has cells of 20 or 21 pixels (edges of 19,
    // 20); level 13 has cells far beyond 48.
    for (const Case& k : {Case{300, 220, 0, true}, Case{600, 480, 4, true}, Case{600, 480, 13, false}}) {
        VCut c = MakeVCut(k.w, k.h, k.level, 6, 0, 11);
        ASSERT_EQ(c.status, TCutStatus::Done);
        int inRange = 0;
        for (int i = 0; i < c.p.TileNum; ++i) {
            const TJig& j = c.jigs[size_t(i)];
            inRange += (i % c.p.TilePX < c.p.TilePX - 1) && j.CellH - 1 >= kRasMinL && j.CellH - 1 <= kRasMaxL;
            inRange += (i / c.p.TilePX < c.p.TilePY - 1) && j.CellW - 1 >= kRasMinL && j.CellW - 1 <= kRasMaxL;
        }
        EXPECT_EQ(c.stats.stamped, inRange) << "level " << k.level;
        EXPECT_EQ(c.stats.stamped > 0, k.stamped) << "level " << k.level;
        EXPECT_EQ(c.stats.stamped + c.stats.drawn, InnerEdges(c.p));
    }
}

TEST(VectorCut, PlaneFrameIsTheLastPieceAndEveryBorderPieceNamesItOutward)
{
    LoadOurAtlas();
    VCut c = MakeVCut(320, 260, 4, 5, 1, 21);
    ASSERT_EQ(c.status, TCutStatus::Done);
    const int n = c.p.TileNum, C = c.p.TilePX, R = c.p.TilePY;
    ASSERT_EQ(c.p.TotalTileNum, n + 1);
    const TJig& fp = c.jigs[size_t(n)];
    EXPECT_EQ(fp.MaskColor, cFrameColor);
    EXPECT_EQ(fp.Bevel, cFrameBevel);
    EXPECT_EQ(vMyRectInitWH(fp.HomeX, fp.HomeY, fp.W, fp.H), vMyRectInitWH(0, 0, 320, 260));
    for (int i = 0; i < n; ++i) {
        const TJig& j = c.jigs[size_t(i)];
        const int r = i / C, col = i % C;
        EXPECT_EQ(j.Nb[0], col == 0 ? n : i - 1);
        EXPECT_EQ(j.Nb[1], r == 0 ? n : i - C);
        EXPECT_EQ(j.Nb[2], col == C - 1 ? n : i + 1);
        EXPECT_EQ(j.Nb[3], r == R - 1 ? n : i + C);
        for (int s = 4; s < kJigNbSlots; ++s)
            EXPECT_EQ(j.Nb[s], -1);
        EXPECT_EQ(j.CellR, j.CellX + j.CellW - 1);
        EXPECT_EQ(j.CellB, j.CellY + j.CellH - 1);
    }
    EXPECT_EQ(FrameRingStrays(*c.masks), 0);
}

TEST(VectorCut, SameSeedSameCut)
{
    LoadOurAtlas();
    for (int style = 4; style <= 6; ++style) {
        const VCut a = MakeVCut(300, 220, 2, style, 1, 42), b = MakeVCut(300, 220, 2, style, 1, 42);
        const VCut other = MakeVCut(300, 220, 2, style, 1, 43);
        EXPECT_EQ(a.masks->Bitmap, b.masks->Bitmap) << style;
        EXPECT_EQ(0, std::memcmp(a.jigs.data(), b.jigs.data(), sizeof(TJig) * a.jigs.size())) << style;
        EXPECT_NE(a.masks->Bitmap, other.masks->Bitmap) << style;
    }
}

TEST(VectorCut, UnusableParametersAreRefused)
{
    TJigParams p = CutParams(300, 220, 0, 5, 0);
    std::vector<TJig> jigs(size_t(p.TotalTileNum) + 1);
    OMyImagePtr masks;
    TJigParams classic = p, few = p;
    classic.ShapeStyle = 2;
    EXPECT_EQ(CreateMasksForVectorStyle(classic, jigs, masks), TCutStatus::Failed);
    std::vector<TJig> none(2);
    EXPECT_EQ(CreateMasksForVectorStyle(few, none, masks), TCutStatus::Failed);
    TJigParams wide = p;
    wide.TilePX += 5;
    wide.TileNum = wide.TilePX * wide.TilePY;
    std::vector<TJig> more(size_t(wide.TileNum) + 1);
    EXPECT_EQ(CreateMasksForVectorStyle(wide, more, masks), TCutStatus::Failed);
    EXPECT_FALSE(masks);
    EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Message), 3);
}
