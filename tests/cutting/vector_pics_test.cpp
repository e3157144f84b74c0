// The vector pictures: our data file, the reader's refusal of hostile files,
// mirroring, turning and the rasteriser.
#include "cutting/cut_test_support.h"
#include "cutting/emf_records.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

constexpr uint32_t kInk = RGB(128, 0, 25);

PixelSet Inked(const OMyImage& img) { return PixelsOf(img, kInk); }

// Number of 8-connected regions of a pixel set.
int Components8(PixelSet left)
{
    int n = 0;
    while (!left.empty()) {
        ++n;
        std::vector<std::pair<int, int>> stack{*left.begin()};
        left.erase(left.begin());
        while (!stack.empty()) {
            const auto [x, y] = stack.back();
            stack.pop_back();
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    auto it = left.find({x + dx, y + dy});
                    if (it != left.end()) {
                        stack.push_back(*it);
                        left.erase(it);
                    }
                }
        }
    }
    return n;
}

OMyImagePtr Draw(const std::vector<uint8_t>& emf, int size, TPoint lt, TPoint rb)
{
    OMyImagePtr img = WhiteImage(size, size);
    StretchDrawEmf(*img, emf, lt, rb, kInk);
    return img;
}

// Point k of the first record after the header.
TPoint FirstRecordPoint(const std::vector<uint8_t>& emf, uint32_t k)
{
    TEmfRec rec;
    size_t pos = 88;
    TPoint p{-99999, -99999};
    if (EmfNextRecord(emf.data(), emf.size(), pos, &rec, nullptr) == TEmfStep::Record && k < rec.count)
        EmfGetPoint(emf.data(), rec, k, &p.x, &p.y);
    return p;
}

}  // namespace

// ---- Our data file ---------------------------------------------------------------------

TEST(PictureData, OurFileIsUsableAndExercisesEveryReaderPathAndSeveralMirrorRules)
{
    EXPECT_GE(ReadDataEmf(SourcePath("resources/pic_zivra.dat")), 24);
    EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Log), 0);
    std::set<uint32_t> types;
    std::set<std::pair<bool, bool>> mirrors;
    for (const TPicFig& f : PicFigs.arFigs) {
        TRect b;
        ASSERT_TRUE(EmfBounds(f.Emf, &b));
        EXPECT_EQ(b.right - b.left, f.Entry.Width);  // the nominal size is the bounds
        EXPECT_EQ(b.bottom - b.top, f.Entry.Height);
        mirrors.insert({f.Entry.bMirrorLR, f.Entry.bMirrorTB});
        size_t pos = 0;
        TEmfRec rec;
        while (EmfNextRecord(f.Emf.data(), f.Emf.size(), pos, &rec, nullptr) == TEmfStep::Record)
            types.insert(rec.type);
    }
    for (uint32_t t : {kEmrPolyBezier, kEmrPolygon, kEmrPolyline, kEmrPolyBezierTo, kEmrPolyBezier16,
                       kEmrPolygon16, kEmrPolyline16, kEmrPolyBezierTo16, kEmrMoveTo, kEmrLineTo, kEmrCloseFigure})
        EXPECT_TRUE(types.count(t)) << "no record of type " << t;
    EXPECT_TRUE(mirrors.count({true, false}) && mirrors.count({true, true}) && mirrors.count({false, false}));
}

TEST(PictureData, EveryPictureDrawsOneConnectedShapeAtEverySize)
{
    // A picture in parts would leave a channel through its piece that the
    // pieces around it leak through; parts that touch only when small open
    // up when large.
    ASSERT_GT(ReadDataEmf(SourcePath("resources/pic_zivra.dat")), 0);
    for (int i = 0; i < PicFigs.N; ++i)
        for (int size : {26, 64, 150})
            for (double angle : {-30.0, 0.0, 30.0}) {
                ASSERT_TRUE(ReadDataEmfImage(i));
                RotateEmf(angle, PicFigs.Cur.Emf);
                const double k = double(size) / std::max(PicFigs.Cur.Entry.Width, PicFigs.Cur.Entry.Height);
                const int wr = Round(RotVec.RotW * k), hr = Round(RotVec.RotH * k);
                OMyImagePtr img = Draw(PicFigs.Cur.Emf, 2 * size + 8, {4, 4}, {4 + wr, 4 + hr});
                const auto ink = Inked(*img);
                ASSERT_FALSE(ink.empty());
                EXPECT_EQ(Components8(ink), 1) << "picture " << i << " at " << size << " turned by " << angle;
                // And no hole: everything outside is reached from a corner.
                MyImageFloodFill(*img, 0, 0, RGB(1, 2, 3));
                EXPECT_EQ(CountColour(*img, kMaskWhite), 0) << "picture " << i << " at " << size << " turned by " << angle;
            }
}

// ---- Hostile files ---------------------------------------------------------------------

namespace {

struct HostileCase {
    const char* name;
    void (*spoil)(std::vector<uint8_t>& file);  // spoils picture 1 of three
};

size_t EntryAt(int i) { return 12 + 40 * size_t(i); }
size_t StreamOf(const std::vector<uint8_t>& f, int i) { return size_t(EmfI32(&f[EntryAt(i)])); }
// The first record after picture 1's header.
size_t FirstRecordOf(const std::vector<uint8_t>& f) { return StreamOf(f, 1) + 88; }

const HostileCase kHostile[] = {
    {"offset past the file", [](std::vector<uint8_t>& f) { EmfPutI32(&f[EntryAt(1)], int32_t(f.size())); }},
    {"negative offset", [](std::vector<uint8_t>& f) { EmfPutI32(&f[EntryAt(1)], -8); }},
    {"size past the file", [](std::vector<uint8_t>& f) { EmfPutI32(&f[EntryAt(1) + 4], 0x7FFFFFF0); }},
    {"size 0", [](std::vector<uint8_t>& f) { EmfPutI32(&f[EntryAt(1) + 4], 0); }},
    {"nominal width 0", [](std::vector<uint8_t>& f) { EmfPutI32(&f[EntryAt(1) + 8], 0); }},
    {"nominal height 0", [](std::vector<uint8_t>& f) { EmfPutI32(&f[EntryAt(1) + 12], 0); }},
    {"record of size 0", [](std::vector<uint8_t>& f) { EmfPutI32(&f[FirstRecordOf(f) + 4], 0); }},
    {"record below 8 bytes", [](std::vector<uint8_t>& f) { EmfPutI32(&f[FirstRecordOf(f) + 4], 4); }},
    {"record size not a multiple of 4", [](std::vector<uint8_t>& f) { EmfPutI32(&f[FirstRecordOf(f) + 4], 30); }},
    {"record past the stream", [](std::vector<uint8_t>& f) { EmfPutI32(&f[FirstRecordOf(f) + 4], 4096); }},
    {"point count past its record", [](std::vector<uint8_t>& f) { EmfPutI32(&f[FirstRecordOf(f) + 24], 5); }},
    {"point count that overflows 32 bits",
     [](std::vector<uint8_t>& f) { EmfPutI32(&f[FirstRecordOf(f) + 24], int32_t(0x20000001)); }},
    {"header of size 0", [](std::vector<uint8_t>& f) { EmfPutI32(&f[StreamOf(f, 1) + 4], 0); }},
    {"no header record", [](std::vector<uint8_t>& f) { EmfPutI32(&f[StreamOf(f, 1)], int32_t(kEmrPolygon)); }},
    {"empty bounds", [](std::vector<uint8_t>& f) { EmfPutI32(&f[StreamOf(f, 1) + 16], 0); }},
    {"bounds beyond any picture",
     [](std::vector<uint8_t>& f) { EmfPutI32(&f[StreamOf(f, 1) + 8], INT32_MIN); }},
    {"no outline", [](std::vector<uint8_t>& f) { EmfPutI32(&f[FirstRecordOf(f)], int32_t(kEmrBeginPath)); }},
};

std::vector<uint8_t> ThreeSquares()
{
    return PicDataFile({{SquareEmf(10), 10, 10}, {SquareEmf(20), 20, 20}, {SquareEmf(30), 30, 30}});
}

}  // namespace

TEST(PictureDataHostile, ASpoiledPictureIsLeftOutAndLoggedAndTheOthersStay)
{
    for (const HostileCase& c : kHostile) {
        ResetAllState();
        std::vector<uint8_t> file = ThreeSquares();
        c.spoil(file);
        EXPECT_EQ(ReadDataEmfFromData(file.data(), file.size()), 2) << c.name;
        EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Log), 1) << c.name;
        ASSERT_EQ(PicFigs.arFigs.size(), 2u);
        EXPECT_EQ(PicFigs.arFigs[0].Entry.Width, 10) << c.name;
        EXPECT_EQ(PicFigs.arFigs[1].Entry.Width, 30) << c.name;
    }
}

TEST(PictureDataHostile, ACountTheFileCannotHoldIsRefusedBeforeAnythingIsSized)
{
    for (int32_t n : {-1, 4, INT32_MAX}) {
        ResetAllState();
        std::vector<uint8_t> file = ThreeSquares();
        EmfPutI32(&file[8], n);
        file.resize(12 + 40 * 3);  // entries only: room for three, no more
        EXPECT_EQ(ReadDataEmfFromData(file.data(), file.size()), 0) << n;
        EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Log), 1) << n;
    }
    const std::vector<uint8_t> tiny{1, 2, 3};
    EXPECT_EQ(ReadDataEmfFromData(tiny.data(), tiny.size()), 0);
    EXPECT_EQ(ReadDataEmf("/nonexistent/pic_zivra.dat"), 0);
}

TEST(PictureDataHostile, OperationsOnUncheckedBytesStopAtTheFirstBadRecord)
{
    // A poly record whose count runs far past the stream: neither mirroring,
    // turning nor drawing may read past the bytes.
    std::vector<uint8_t> emf = Emf(10, 10).Poly(kEmrPolygon, {{0, 0}, {10, 0}, {10, 10}}).bytes;
    EmfPutI32(&emf[88 + 24], 1000000);
    FlipEmf(emf, true, true);
    RotateEmf(30, emf);
    OMyImagePtr img = Draw(emf, 16, {0, 0}, {10, 10});
    EXPECT_TRUE(Inked(*img).empty());
    std::vector<uint8_t> cut(emf.begin(), emf.begin() + 20);  // a header cut short
    FlipEmf(cut, true, false);
    RotateEmf(10, cut);
    StretchDrawEmf(*img, cut, {0, 0}, {10, 10}, kInk);
    EXPECT_TRUE(Inked(*img).empty());
}

// ---- Working copies ------------------------------------------------------------------------

TEST(PictureList, TheCurrentPictureIsAFreshCopyEveryTime)
{
    const std::vector<uint8_t> file = ThreeSquares();
    ASSERT_EQ(ReadDataEmfFromData(file.data(), file.size()), 3);
    ASSERT_TRUE(ReadDataEmfImage(1));
    RotateEmf(45, PicFigs.Cur.Emf);
    EXPECT_NE(PicFigs.Cur.Emf, PicFigs.arFigs[1].Emf);
    ASSERT_TRUE(ReadDataEmfImage(1));
    EXPECT_EQ(PicFigs.Cur.Emf, PicFigs.arFigs[1].Emf);
    EXPECT_FALSE(ReadDataEmfImage(3));
    EXPECT_FALSE(ReadDataEmfImage(-1));
    EXPECT_EQ(PicFigs.iCur, -1);
    FreeDataEmf();
    EXPECT_EQ(PicFigs.N, 0);
}

// ---- Mirroring and turning ------------------------------------------------------------------

TEST(PictureTransform, MirroringTwiceGivesThePictureBackAndMirrorsTheRightAxis)
{
    // An L-shaped outline: its ink sits left and at the bottom.
    const std::vector<uint8_t> el =
        Emf(40, 40).Poly(kEmrPolygon, {{0, 0}, {10, 0}, {10, 30}, {40, 30}, {40, 40}, {0, 40}}, true).bytes;
    std::vector<uint8_t> m = el;
    FlipEmf(m, true, false);
    EXPECT_NE(m, el);
    const auto lr = Inked(*Draw(m, 48, {0, 0}, {40, 40}));
    EXPECT_TRUE(lr.count({38, 5}) && !lr.count({2, 5})) << "left-right mirror moves the stem right";
    FlipEmf(m, true, false);
    EXPECT_EQ(m, el);
    FlipEmf(m, false, true);
    const auto tb = Inked(*Draw(m, 48, {0, 0}, {40, 40}));
    EXPECT_TRUE(tb.count({20, 5}) && !tb.count({20, 35})) << "top-bottom mirror moves the foot up";
}

TEST(PictureTransform, TurningKeepsThePictureInsideItsNewBounds)
{
    struct Case { int w, h; double angle; };
    for (const Case c : {Case{120, 60, 0}, Case{120, 60, 90}, Case{120, 60, 30}, Case{77, 141, -30},
                         Case{10, 10, 45}}) {
        std::vector<uint8_t> emf = Emf(c.w, c.h).Poly(kEmrPolygon, {{0, 0}, {c.w, 0}, {c.w, c.h}, {0, c.h}}).bytes;
        RotateEmf(c.angle, emf);
        TRect b;
        ASSERT_TRUE(EmfBounds(emf, &b));
        EXPECT_EQ(b.left, 0);
        EXPECT_EQ(b.right, RotVec.RotW);
        const double rad = c.angle * M_PI / 180;
        const double ew = c.w * std::fabs(std::cos(rad)) + c.h * std::fabs(std::sin(rad));
        EXPECT_NEAR(RotVec.RotW, ew, 1.5) << c.angle;
        size_t pos = 0;
        TEmfRec rec;
        while (EmfNextRecord(emf.data(), emf.size(), pos, &rec, nullptr) == TEmfStep::Record)
            for (uint32_t k = 0; k < rec.count; ++k) {
                int32_t x, y;
                EmfGetPoint(emf.data(), rec, k, &x, &y);
                EXPECT_GE(x, -1);
                EXPECT_LE(x, RotVec.RotW + 1);
                EXPECT_GE(y, -1);
                EXPECT_LE(y, RotVec.RotH + 1);
            }
    }
}

TEST(PictureTransform, NoTurnChangesNoPointQuarterTurnsGoClockwiseAndShortPointsClamp)
{
    std::vector<uint8_t> emf = Emf(40, 20).Poly(kEmrPolyline, {{0, 0}, {40, 0}, {40, 20}}).bytes;
    const std::vector<uint8_t> before = emf;
    RotateEmf(0, emf);
    EXPECT_TRUE(std::equal(before.begin() + 88, before.end(), emf.begin() + 88));
    RotateEmf(90, emf);
    const TPoint corner = FirstRecordPoint(emf, 1);  // the top-right corner goes to the bottom right
    EXPECT_NEAR(corner.x, 20, 1);
    EXPECT_NEAR(corner.y, 40, 1);
    // 16-bit points are clamped, not wrapped.
    std::vector<uint8_t> big = Emf(30000, 30000).Poly(kEmrPolyline, {{0, 0}, {30000, 30000}}, true).bytes;
    RotateEmf(45, big);
    const TPoint p0 = FirstRecordPoint(big, 0), p1 = FirstRecordPoint(big, 1);
    EXPECT_LT(p0.x, 30000);
    EXPECT_EQ(p1.y, 32767);  // about 42400 before clamping
    EXPECT_GT(p1.y, p0.y);
}

// ---- Rasteriser ------------------------------------------------------------------------------

TEST(PictureRaster, ASquareCoversItsCornersBothEndsIncludedAndLeavesAlphaAlone)
{
    const auto ink = Inked(*Draw(SquareEmf(10), 16, {2, 3}, {12, 13}));
    EXPECT_EQ(ink.size(), 121u);
    EXPECT_TRUE(ink.count({2, 3}) && ink.count({12, 13}));
    EXPECT_EQ(Inked(*Draw(SquareEmf(10, true), 16, {2, 3}, {12, 13})), ink) << "16-bit points draw the same";
    OMyImagePtr img = WhiteImage(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            MyImageGetLineXY(*img, x, y)[3] = 77;
    StretchDrawEmf(*img, SquareEmf(10), {0, 0}, {10, 10}, kInk);
    EXPECT_EQ(MyImageGetPixel(*img, 5, 5), kInk);
    EXPECT_EQ(MyImageGetLineXY(*img, 5, 5)[3], 77);
}

TEST(PictureRaster, OverlapsAndSelfCrossingsFillByNonZeroWinding)
{
    // A pentagram drawn as one polygon: its centre has winding 2 and is filled.
    const std::vector<Pt> star{{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
    const auto s = Inked(*Draw(Emf(100, 100).Poly(kEmrPolygon, star).bytes, 110, {0, 0}, {100, 100}));
    EXPECT_TRUE(s.count({50, 50}));
    // Two squares turning the same way make their union; an inner one turning
    // the other way makes a hole.
    const auto same = Inked(*Draw(Emf(40, 40)
                                      .Poly(kEmrPolygon, {{0, 0}, {30, 0}, {30, 30}, {0, 30}})
                                      .Poly(kEmrPolygon, {{10, 10}, {40, 10}, {40, 40}, {10, 40}})
                                      .bytes,
                                  48, {0, 0}, {40, 40}));
    EXPECT_TRUE(same.count({20, 20}) && same.count({35, 35}) && same.count({5, 5}));
    const auto hole = Inked(*Draw(Emf(40, 40)
                                      .Poly(kEmrPolygon, {{0, 0}, {40, 0}, {40, 40}, {0, 40}})
                                      .Poly(kEmrPolygon, {{10, 10}, {10, 30}, {30, 30}, {30, 10}})
                                      .bytes,
                                  48, {0, 0}, {40, 40}));
    EXPECT_FALSE(hole.count({20, 20}));
    EXPECT_TRUE(hole.count({5, 20}));
}

TEST(PictureRaster, CurvesAreFlattenedCloseToTheTrueOutline)
{
    // A circle of radius 40 from four Bezier quarters, in every way of writing it.
    const int r = 40, k = 22;  // 0.5523 r
    const std::vector<Pt> circle{{0, 40}, {0, 40 - k}, {40 - k, 0}, {40, 0}, {40 + k, 0}, {80, 40 - k}, {80, 40},
                                 {80, 40 + k}, {40 + k, 80}, {40, 80}, {40 - k, 80}, {0, 40 + k}, {0, 40}};
    const std::vector<Pt> rest(circle.begin() + 1, circle.end());
    const std::vector<std::vector<uint8_t>> ways{
        Emf(80, 80).Poly(kEmrPolyBezier, circle).bytes,
        Emf(80, 80).Poly(kEmrPolyBezier, circle, true).Record(kEmrCloseFigure).bytes,
        Emf(80, 80).Record(kEmrMoveTo, {0, 40}).Poly(kEmrPolyBezierTo, rest, true).bytes,
    };
    for (const auto& emf : ways) {
        const auto ink = Inked(*Draw(emf, 90, {0, 0}, {80, 80}));
        EXPECT_NEAR(double(ink.size()), M_PI * r * r, 0.04 * M_PI * r * r);
        for (const auto& p : ink)
            ASSERT_LE(std::hypot(p.first - 40.0, p.second - 40.0), r + 1.5);
        EXPECT_TRUE(ink.count({40, 40}));
    }
}

TEST(PictureRaster, AShapeThinnerThanAPixelStaysInOnePiece)
{
    // A sliver 0.2 pixels wide after scaling: the stroke keeps it whole.
    const std::vector<uint8_t> emf =
        Emf(100, 100).Poly(kEmrPolygon, {{0, 0}, {100, 99}, {100, 100}, {0, 1}}).bytes;
    const auto ink = Inked(*Draw(emf, 24, {0, 0}, {20, 20}));
    for (int x = 0; x <= 20; ++x) {
        bool found = false;
        for (int y = 0; y <= 20; ++y)
            found = found || ink.count({x, y});
        EXPECT_TRUE(found) << "column " << x;
    }
}

TEST(PictureRaster, DrawingPastTheImageIsClippedAndFarPointsCostNothing)
{
    const auto ink = Inked(*Draw(SquareEmf(10), 16, {-5, -5}, {5, 5}));
    EXPECT_EQ(ink.size(), 36u);  // 0..5 both ways
    // Points two billion pixels away: clipped, not walked.
    const std::vector<uint8_t> far =
        Emf(10, 10).Poly(kEmrPolygon, {{-2000000000, 5}, {2000000000, 5}, {2000000000, 6}, {-2000000000, 6}}).bytes;
    const auto band = Inked(*Draw(far, 16, {0, 0}, {10, 10}));
    EXPECT_FALSE(band.empty());
    EXPECT_TRUE(band.count({0, 5}) && band.count({15, 5}));
}
