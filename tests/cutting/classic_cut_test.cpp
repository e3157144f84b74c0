// The classic cut: properties of the mask and the piece records over styles,
// frames, levels and seeds, and the steps that are hard to reach through a
// whole cut (straight short edges, fallbacks, a failed fill, clean-up).
#include "cutting/cut_test_support.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

struct CutCase {
    int w, h, level, style, border;
    uint32_t seed;
};

// Every combination the suite cuts: small pictures, so it stays fast.
std::vector<CutCase> Cases()
{
    std::vector<CutCase> cases;
    for (int style = 0; style <= 2; ++style)
        for (int border = 0; border <= 1; ++border)
            for (uint32_t seed : {1u, 2u})
                cases.push_back({border ? 320 : 300, 220, style == 1 ? 2 : 4, style, border, seed + 10u * uint32_t(style)});
    cases.push_back({260, 180, 0, 0, 0, 5});
    cases.push_back({180, 260, 13, 2, 1, 6});
    cases.push_back({201, 157, 8, 1, 0, 7});
    // A curve against the image's top edge walled off a white pocket there.
    cases.push_back({190, 50, 8, 2, 0, 0x40 | (0xaa << 16)});
    // A single row of cells, closed only by hull rays from far outside.
    cases.push_back({248, 72, 3, 1, 1, 124});
    return cases;
}

std::string Describe(const CutCase& c)
{
    return StrFormat("%dx%d level %d style %d border %d seed %u", c.w, c.h, c.level, c.style, c.border, c.seed);
}

struct Cut {
    TJigParams p;
    std::vector<TJig> jigs;
    OMyImagePtr masks;
    TCutStatus status = TCutStatus::Failed;
};

Cut MakeCut(const CutCase& c)
{
    Cut cut;
    cut.p = CutParams(c.w, c.h, c.level, c.style, c.border);
    cut.status = RunCut(cut.p, cut.jigs, cut.masks, c.seed);
    return cut;
}

// The piece that owns a pixel: its code and a box holding the pixel.
std::vector<int> Owners(const Cut& cut, int x, int y)
{
    const uint32_t v = MyImageGetPixel(*cut.masks, x, y);
    std::vector<int> owners;
    for (int i = 0; i < cut.p.TotalTileNum; ++i) {
        const TJig& j = cut.jigs[size_t(i)];
        if (v == MaskCodeColor(j.MaskColor) && x >= j.HomeX && x < j.HomeX + j.W && y >= j.HomeY && y < j.HomeY + j.H)
            owners.push_back(i);
    }
    return owners;
}

}  // namespace

TEST(ClassicCut, EveryPixelBelongsToOnePieceAndNeighboursAreSymmetric)
{
    // A piece image takes the pixels of its code inside its box: each pixel
    // must land in exactly one piece, or the picture gets holes or doubles.
    for (const CutCase& c : Cases()) {
        const Cut cut = MakeCut(c);
        ASSERT_EQ(cut.status, TCutStatus::Done) << Describe(c);
        ASSERT_EQ(cut.masks->W, c.w);
        ASSERT_EQ(cut.masks->H, c.h);
        EXPECT_EQ(CheckPieceOwnership(*cut.masks, cut.jigs, cut.p.TotalTileNum), "") << Describe(c);
        const int n = cut.p.TotalTileNum, grid = cut.p.TileNum;
        for (int i = 0; i < n; ++i) {
            const TJig& j = cut.jigs[size_t(i)];
            EXPECT_EQ(MyImageGetPixel(*cut.masks, j.SiteX, j.SiteY), MaskCodeColor(j.MaskColor)) << Describe(c);
            if (i >= grid)
                continue;  // the frame, checked below
            std::set<int> seen;
            for (int16_t nb : j.Nb) {
                EXPECT_TRUE(nb == -1 || (nb >= 0 && nb < n && nb != i)) << Describe(c);
                if (nb < 0 || nb >= grid)
                    continue;
                EXPECT_TRUE(seen.insert(nb).second) << "piece " << i << " names " << nb << " twice";
                // The other piece names this one back unless its nine slots ran out.
                const TJig& o = cut.jigs[size_t(nb)];
                const bool full = std::count(std::begin(o.Nb), std::end(o.Nb), int16_t(-1)) == 0;
                EXPECT_TRUE(full || std::count(std::begin(o.Nb), std::end(o.Nb), int16_t(i)) > 0)
                    << Describe(c) << ": " << i << " -> " << nb;
            }
        }
    }
}

TEST(ClassicCut, SameSeedSameCutOtherSeedOtherCut)
{
    for (int style = 0; style <= 2; ++style) {
        const CutCase c{240, 180, 3, style, style == 1, 42};
        const Cut a = MakeCut(c), b = MakeCut(c);
        ASSERT_EQ(a.status, TCutStatus::Done);
        EXPECT_EQ(a.masks->Bitmap, b.masks->Bitmap) << Describe(c);
        ASSERT_EQ(a.jigs.size(), b.jigs.size());
        EXPECT_EQ(std::memcmp(a.jigs.data(), b.jigs.data(), a.jigs.size() * sizeof(TJig)), 0) << Describe(c);
        EXPECT_EQ(std::memcmp(&a.p, &b.p, sizeof(TJigParams)), 0);
        CutCase other = c;
        other.seed = 43;
        EXPECT_NE(MakeCut(other).masks->Bitmap, a.masks->Bitmap) << Describe(c);
    }
}

TEST(ClassicCut, PlaneFrameIsTheLastPieceAndBorderPiecesNameIt)
{
    for (const CutCase& c : Cases()) {
        if (!c.border)
            continue;
        const Cut cut = MakeCut(c);
        ASSERT_EQ(cut.status, TCutStatus::Done);
        const int frame = cut.p.TotalTileNum - 1;
        EXPECT_EQ(frame, cut.p.TileNum);
        const TJig& f = cut.jigs[size_t(frame)];
        EXPECT_EQ(f.MaskColor, cFrameColor);
        EXPECT_EQ(f.Bevel, cFrameBevel);
        EXPECT_EQ(vMyRectInitWH(f.HomeX, f.HomeY, f.W, f.H), vMyRectInitWH(0, 0, c.w, c.h));
        for (int16_t nb : f.Nb)
            EXPECT_EQ(nb, -1);
        EXPECT_EQ(cut.p.JigsL, kFrameWidth);
        EXPECT_EQ(cut.p.JigsR, c.w - 1 - kFrameWidth);
        EXPECT_EQ(FrameRingStrays(*cut.masks), 0) << Describe(c);
        // Pieces whose region runs along the field's border name the frame;
        // a piece that names it reaches the border.
        std::vector<int> onBorder(size_t(frame), 0);
        for (int y = cut.p.JigsT; y <= cut.p.JigsB; ++y)
            for (int x = cut.p.JigsL; x <= cut.p.JigsR; ++x)
                if (x == cut.p.JigsL || x == cut.p.JigsR || y == cut.p.JigsT || y == cut.p.JigsB) {
                    const std::vector<int> o = Owners(cut, x, y);
                    if (o.size() == 1 && o[0] < frame)
                        ++onBorder[size_t(o[0])];
                }
        for (int i = 0; i < frame; ++i) {
            const TJig& j = cut.jigs[size_t(i)];
            const bool names = std::count(std::begin(j.Nb), std::end(j.Nb), int16_t(frame)) > 0;
            if (onBorder[size_t(i)] >= 3) {
                EXPECT_TRUE(names) << Describe(c) << " piece " << i;
            }
            if (names) {
                EXPECT_GT(onBorder[size_t(i)], 0) << Describe(c) << " piece " << i;
            }
        }
    }
}

TEST(ClassicCut, ProgressAdvancesOncePerPhase)
{
    const CutCase c{240, 180, 4, 0, 0, 3};
    TJigParams p = CutParams(c.w, c.h, c.level, c.style, c.border);
    std::vector<TJig> jigs(size_t(p.TotalTileNum) + 1);
    OMyImagePtr masks;
    TCutOptions opt;
    opt.progressBase = 2;
    TCutTimes times;
    opt.times = &times;
    SRand(c.seed);
    ASSERT_EQ(CreateMasksForVoronoiStyle(p, jigs, masks, opt), TCutStatus::Done);
    EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::ProgressInc), kCutProgressSteps);
    EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::ProgressSet), times.attempts);
    EXPECT_DOUBLE_EQ(Recorder().progressPos, 2 + kCutProgressSteps);
    EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Message), 0);
}

TEST(ClassicCut, ThreeFailedAttemptsReportPaintErrorAndKeepTheLastMask)
{
    // 5-pixel tiles (a tiny picture at its finest level): curves crowd the
    // cells until a site and its fallback both lie on drawn pixels.
    TJigParams p;
    p.ImageW = 92, p.ImageH = 48, p.TileS = 5, p.MaskOfs = 2;
    p.TilePX = 18, p.TilePY = 9;
    p.TileNum = p.TotalTileNum = p.TilePX * p.TilePY;
    std::vector<TJig> jigs(size_t(p.TotalTileNum) + 1);
    OMyImagePtr masks;
    TCutOptions opt;
    opt.sPaintErrorText = "The picture could not be cut cleanly.";
    TCutTimes times;
    opt.times = &times;
    SRand(590);
    ASSERT_EQ(CreateMasksForVoronoiStyle(p, jigs, masks, opt), TCutStatus::PaintError);
    EXPECT_EQ(times.attempts, 3);
    ASSERT_TRUE(masks);
    std::vector<std::string> messages;
    for (const auto& e : Recorder().events)
        if (e.kind == RecordingPlatform::Kind::Message)
            messages.push_back(e.text);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].rfind("PaintError: Ind = ", 0), 0u) << messages[0];
    EXPECT_NE(messages[0].find(", CellX = "), std::string::npos);
    EXPECT_EQ(messages[1], opt.sPaintErrorText);
    EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::ProgressSet), 3);
}

TEST(ClassicCut, UnusableParametersAreRefusedNotCut)
{
    TJigParams p = CutParams(240, 180, 4, 0, 0);
    p.TilePX = 1000;  // the grid cannot fit
    p.TileNum = p.TotalTileNum = p.TilePX * p.TilePY;
    std::vector<TJig> jigs(size_t(p.TotalTileNum) + 1);
    OMyImagePtr masks;
    EXPECT_EQ(CreateMasksForVoronoiStyle(p, jigs, masks), TCutStatus::Failed);
    EXPECT_FALSE(masks);
    EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Message), 1);
    TJigParams q = CutParams(240, 180, 4, 0, 0);
    std::vector<TJig> few(3);  // no room for the pieces
    EXPECT_EQ(CreateMasksForVoronoiStyle(q, few, masks), TCutStatus::Failed);
}

// ---- Steps ----------------------------------------------------------------------------------

namespace {

// A work record of two cells sharing one edge A-B, on a white mask.
struct TwoCells {
    TJigParams p;
    std::vector<TJig> jigs;
    std::unique_ptr<TCutWork> w;
    TwoCells(int style, TPoint A, TPoint B, TPoint s0, TPoint s1, int tile = 60)
    {
        p.ImageW = p.ImageH = 300, p.TileS = tile, p.MaskOfs = 10, p.ShapeStyle = uint8_t(style);
        p.TilePX = 2, p.TilePY = 1, p.TileNum = p.TotalTileNum = 2;
        jigs.resize(3);
        w = std::make_unique<TCutWork>(p, jigs);
        CutSetUp(*w);
        MyImageFillRect(*w->vecField, 0, 0, 300, 300, kWhite);
        w->cut.resize(2);
        const TPoint sites[2] = {s0, s1};
        for (int i = 0; i < 2; ++i) {
            TCutCell& c = w->cut[size_t(i)];
            c.x = sites[i].x;
            c.y = sites[i].y;
            c.edgeNum = 1;
            TCutEdge& e = c.edges[0];
            e.x1 = A.x, e.y1 = A.y, e.x2 = B.x, e.y2 = B.y;
            e.len = std::hypot(B.x - A.x, B.y - A.y);
            e.nb = int16_t(1 - i);
            e.twin = 0;
        }
    }
};

}  // namespace

TEST(CutSteps, ShortEdgesAreStraightAndDrawNoRandomNumbers)
{
    InitEdgeFigs();
    for (int style = 0; style <= 2; ++style)
        for (const TPoint B : {TPoint{103, 100}, TPoint{102, 102}, TPoint{119, 100}}) {
            // 3 pixels, 2.8 pixels, and 19 pixels (below a third of the 60-pixel tile).
            TwoCells t(style, {100, 100}, B, {100, 80}, {100, 120});
            SRand(5);
            const int32_t expectNext = Rand();
            SRand(5);
            CutDrawEdges(*t.w);
            EXPECT_EQ(Rand(), expectNext) << "style " << style;
            OMyImagePtr line = WhiteImage(300, 300);
            MyImageDrawLine(*line, 100, 100, B.x, B.y, MaskCodeColor(t.jigs[0].MaskColor));
            EXPECT_EQ(t.w->vecField->Bitmap, line->Bitmap) << "style " << style;
        }
    // A long edge gets a figure.
    TwoCells t(0, {100, 100}, {160, 100}, {130, 60}, {130, 140});
    SRand(5);
    CutDrawEdges(*t.w);
    EXPECT_GT(300 * 300 - CountColour(*t.w->vecField, kWhite), 61 + 10);  // more than the straight line's 61 pixels
}

TEST(CutSteps, PinwhellFallsBackToTheLowFigureThenToAStraightLine)
{
    InitEdgeFigs();
    const TPoint A{60, 150}, B{187, 150};
    // Walls `gap` pixels above and below the edge.
    auto walled = [&](int gap) {
        auto t = std::make_unique<TwoCells>(1, A, B, TPoint{120, 100}, TPoint{120, 200}, 127);
        MyImageDrawLine(*t->w->vecField, 0, 150 - gap, 299, 150 - gap, RGB(128, 0, 99));
        MyImageDrawLine(*t->w->vecField, 0, 150 + gap, 299, 150 + gap, RGB(128, 0, 99));
        return t;
    };
    // Walls 26 pixels away: figure 3 (a star reaching 27 both ways) cannot
    // fit, the low figure 10 (6 and 12, clearance 12) can.
    const auto t = walled(26), ref = walled(26);
    CutChooseSides(*t->w);
    CutDrawEdges(*t->w);
    double r1, r2;
    EdgeRooms(A, B, {120, 100}, {120, 200}, &r1, &r2);
    TRect rect;
    const bool side = ref->w->cut[0].edges[0].side;  // horizontal: the flat rule gives false
    ASSERT_TRUE(DrawRotCurve(ref->w->cf, kFitToRoom, side, 10, true, A, B, MaskCodeColor(ref->jigs[0].MaskColor),
                             127 / 10, &rect, {120, 100}, {120, 200}, r1, r2));
    EXPECT_EQ(t->w->vecField->Bitmap, ref->w->vecField->Bitmap);
    // Walls 8 pixels away leave no figure: a straight line.
    const auto s = walled(8);
    CutDrawEdges(*s->w);
    PixelSet line;
    for (int x = A.x; x <= B.x; ++x)
        line.insert({x, 150});
    EXPECT_EQ(PixelsOf(*s->w->vecField, MaskCodeColor(s->jigs[0].MaskColor)), line);
}

TEST(CutSteps, AFillFallsBackToTheEdgesMiddleThenFails)
{
    // Cell 0 is the square 40..80 closed by lines; its site lies on a line.
    TJigParams p;
    p.ImageW = p.ImageH = 200, p.TileS = 40;
    p.TilePX = 2, p.TilePY = 1, p.TileNum = p.TotalTileNum = 2;
    std::vector<TJig> jigs(3);
    TCutWork w(p, jigs);
    ASSERT_TRUE(CutSetUp(w));
    OMyImage& img = *w.vecField;
    MyImageFillRect(img, 0, 0, 200, 200, kWhite);
    const uint32_t ink = RGB(128, 0, 200);
    for (int k = 40; k <= 80; ++k) {
        MyImageSetPixel(img, k, 40, ink), MyImageSetPixel(img, k, 80, ink);
        MyImageSetPixel(img, 40, k, ink), MyImageSetPixel(img, 80, k, ink);
    }
    w.cut.resize(2);
    TCutCell& c = w.cut[0];
    c.edgeNum = 4;
    const double e[4][4] = {{40, 40, 80, 40}, {40, 80, 80, 80}, {40, 40, 40, 80}, {80, 40, 80, 80}};
    for (int i = 0; i < 4; ++i) {
        TCutEdge& E = c.edges[size_t(i)];
        E.x1 = e[i][0], E.y1 = e[i][1], E.x2 = e[i][2], E.y2 = e[i][3];
    }
    jigs[0].SiteX = 40, jigs[0].SiteY = 60;  // on the left line
    jigs[0].HomeX = 40, jigs[0].HomeY = 40, jigs[0].W = jigs[0].H = 41;
    jigs[1].SiteX = 150, jigs[1].SiteY = 150;
    jigs[1].HomeX = 0, jigs[1].HomeY = 0, jigs[1].W = jigs[1].H = 200;
    ASSERT_TRUE(CutFill(w));
    EXPECT_EQ(jigs[0].SiteX, 60);  // moved to the middle of its edges
    EXPECT_EQ(jigs[0].SiteY, 60);
    EXPECT_EQ(MyImageGetPixel(img, 60, 60), MaskCodeColor(jigs[0].MaskColor));
    // With the middle painted too the cell fails, and the others still fill.
    MyImageFillRect(img, 0, 0, 200, 200, kWhite);
    MyImageSetPixel(img, 60, 60, ink);
    jigs[0].SiteX = 60, jigs[0].SiteY = 60;
    EXPECT_FALSE(CutFill(w));
    EXPECT_EQ(w.failInd, 0);
    EXPECT_EQ(w.failX, 60);
    EXPECT_EQ(MyImageGetPixel(img, 150, 150), MaskCodeColor(jigs[1].MaskColor));
}

TEST(CutSteps, StrayPocketsJoinTheirPieceAndItsBoxGrows)
{
    OMyImage img(60, 40, true);
    MyImageFillRect(img, 0, 0, 60, 40, RGB(128, 0, 75));
    const uint32_t mine = RGB(128, 0, 25);
    MyImageFillRect(img, 5, 5, 20, 20, mine);
    // A white pocket inside the piece and one running out of its box.
    MyImageFillRect(img, 10, 10, 3, 3, kWhite);
    MyImageFillRect(img, 20, 15, 30, 2, kWhite);
    TJig j;
    j.MaskColor = 25;
    j.HomeX = 5, j.HomeY = 5, j.W = j.H = 20;
    const TMyRect gathered = RemoveEdgeExtraPixels(img, j);
    EXPECT_EQ(MyImageGetPixel(img, 11, 11), mine);
    EXPECT_EQ(MyImageGetPixel(img, 45, 16), mine);
    EXPECT_EQ(j.HomeX + j.W - 1, 49);  // the box holds the whole pocket
    EXPECT_EQ(gathered.L, 5);
    EXPECT_EQ(gathered.R, 49);
}

TEST(CutSteps, LonePixelsTakeTheColourAroundThem)
{
    OMyImage img(20, 20, true);
    const uint32_t a = RGB(128, 0, 25), b = RGB(128, 0, 150);
    MyImageFillRect(img, 0, 0, 20, 20, a);
    MyImageFillRect(img, 0, 10, 20, 10, b);
    MyImageSetPixel(img, 7, 5, b);   // alone inside a
    MyImageSetPixel(img, 12, 10, a); // a one-pixel bump of a into b: two of its own around it
    RemoveEdgeTails(img, vMyRectInitRB(0, 0, 19, 19));
    EXPECT_EQ(MyImageGetPixel(img, 7, 5), a);
    EXPECT_EQ(MyImageGetPixel(img, 12, 10), a);
}

TEST(CutSteps, MaskFillMatchesTheImageFill)
{
    // Random walls: the cutter's own fill must fill exactly what the
    // general 4-connected fill fills, and report the same extent.
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        SRand(seed);
        OMyImagePtr a = WhiteImage(64, 48);
        for (int k = 0; k < 12; ++k)
            MyImageDrawLine(*a, MyRandom(64), MyRandom(48), MyRandom(64), MyRandom(48), RGB(128, 0, 50));
        OMyImagePtr b = MyImageClone(*a);
        const int x = MyRandom(64), y = MyRandom(48);
        TRect ra, rb;
        MaskFloodFill(*a, x, y, RGB(128, 0, 25), &ra);
        MyImageFloodFill(*b, x, y, RGB(128, 0, 25), &rb);
        EXPECT_EQ(a->Bitmap, b->Bitmap) << seed;
        EXPECT_EQ(ra, rb) << seed;
    }
}
