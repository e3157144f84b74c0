#include "base/helpers.h"
#include "files/files.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>

TEST(Rect, EveryOperationKeepsRightAndBottomInclusive)
{
    TMyRect r;
    MyRectInitWH(r, 10, 20, 5, 3);
    EXPECT_EQ(r.R, 14);
    EXPECT_EQ(r.B, 22);
    MyRectIncLTRB(r, -2, 0, 3, 1);
    EXPECT_EQ(r.W, 10);
    EXPECT_EQ(r.H, 4);
    MyRectChangeLT(r, 0, 0);
    EXPECT_EQ(r, vMyRectInitRB(0, 0, 9, 3));
    MyRectChangeRB(r, 4, 4);
    EXPECT_EQ(r.W, 5);
    EXPECT_EQ(r.H, 5);
    MyRectIncLTWH(r, 1, 1, -1, -1);
    EXPECT_EQ(r, vMyRectInitRB(1, 1, 4, 4));
    // IncScope starts from the empty rectangle.
    MyRectSetEmpty(r);
    EXPECT_TRUE(MyRectIsEmpty(r));
    MyRectIncScope(r, 5, 6, 9, 8);
    EXPECT_EQ(r, vMyRectInitRB(5, 6, 9, 8));
    EXPECT_EQ(r.W, 5);
    EXPECT_EQ(r.H, 3);
    MyRectIncScope(r, 7, 2, 7, 2);  // grows upward only
    EXPECT_EQ(r, vMyRectInitRB(5, 2, 9, 8));
}

TEST(Rect, IntersectionAtTheEdgesAndConversions)
{
    const TMyRect a = vMyRectInitRB(0, 0, 9, 9);
    TMyRect out;
    ASSERT_TRUE(MyRectIntersect(&out, a, vMyRectInitRB(9, 3, 20, 5)));  // touching
    EXPECT_EQ(out.W, 1);
    EXPECT_EQ(out, vMyRectInitRB(9, 3, 9, 5));
    EXPECT_FALSE(MyRectIntersect(nullptr, a, vMyRectInitRB(10, 0, 12, 9)));
    EXPECT_FALSE(MyRectIntersect(nullptr, a, vMyRectInitRB(0, -5, 9, -1)));
    EXPECT_TRUE(MyRectIsCoordsIn(9, 9, a));
    EXPECT_FALSE(MyRectIsCoordsIn(10, 9, a));
    EXPECT_DOUBLE_EQ(MyRectFlipToNSRect(vMyRectInitWH(10, 20, 30, 40), 100).y, 40.0);  // 100 - (20 + 40)
    EXPECT_EQ(MyRectFromNSRect(1.9, -1.9, 10.5, 3.99), vMyRectInitWH(1, -1, 10, 3));
}

TEST(Numbers, PropReduceWHKeepsTheAspectAndTruncates)
{
    struct Case { int w, h, maxW, maxH, ew, eh; };
    const Case cases[] = {
        {4000, 1000, 1000, 1000, 1000, 250},
        {1000, 4000, 1000, 1000, 250, 1000},
        {800, 600, 1000, 1000, 800, 600},
        {2560, 1920, 1920, 1080, 1440, 1080},
        {1920, 1080, 1920, 1080, 1920, 1080},  // fits exactly: untouched
        {1001, 3, 1000, 1000, 1000, 2},        // 3 * 1000 / 1001 truncates
    };
    for (const Case& c : cases) {
        int w = c.w, h = c.h;
        PropReduceWH(&w, &h, c.maxW, c.maxH);
        EXPECT_EQ(w, c.ew) << c.w << "x" << c.h;
        EXPECT_EQ(h, c.eh) << c.w << "x" << c.h;
    }
}

TEST(Numbers, RoundGoesHalfAwayFromZeroAndDistanceDoesNotOverflow)
{
    EXPECT_EQ(Round(2.5), 3);
    EXPECT_EQ(Round(-2.5), -3);
    EXPECT_EQ(Round(2.4999), 2);
    EXPECT_EQ(Round(-0.4), 0);
    EXPECT_DOUBLE_EQ(CalcDist(0, 0, 3, 4), 5.0);
    EXPECT_NEAR(CalcDist(-40000, 0, 40000, 0), 80000.0, 1e-6);
}

TEST(Numbers, ColoursPackRedLow)
{
    EXPECT_EQ(RGB(128, 0, 25), 0x190080u);
    int r, g, b;
    IntToRGB(0x00ABCDEFu, &r, &g, &b);
    EXPECT_EQ(r, 0xEF);
    EXPECT_EQ(g, 0xCD);
    EXPECT_EQ(b, 0xAB);
    EXPECT_EQ(RetIntFromRGB(RetRGBFromInt(0x123456u)), 0x123456u);
    EXPECT_EQ(RetRGB(1, 2, 3), 0x0000000300020001ull);
    EXPECT_EQ(RetByte(-4), 0);
    EXPECT_EQ(RetByte(300), 255);
}

TEST(Random, SequenceIsPinnedAcrossBuilds)
{
    // A saved seed must cut the same puzzle after any rebuild and on any machine.
    SRand(0);
    EXPECT_EQ(Rand(), 1947324711);
    SRand(42);
    EXPECT_EQ(Rand(), 1635433963);
    EXPECT_EQ(Rand(), 897835604);
    EXPECT_EQ(Rand(), 962320717);
}

TEST(Random, EveryTestStartsTheGeneratorWhereTheProgramStartsIt)
{
    // Tests that draw without seeding see the same numbers whatever ran before.
    std::vector<int> first(8);
    for (int& v : first)
        v = Rand();
    Records_ResetAll();
    for (int v : first)
        EXPECT_EQ(Rand(), v);
    SRand(99);
    Rand();
    Records_ResetAll();
    EXPECT_EQ(Rand(), first[0]);
}

TEST(Random, MyRandomStaysBelowNAndRandCoversTheCLibraryRange)
{
    EXPECT_EQ(MyRandom(0), 0);
    EXPECT_EQ(MyRandom(-5), 0);
    SRand(7);
    std::set<int> seen;
    int32_t lo = kRandMax, hi = 0;
    for (int i = 0; i < 20000; ++i) {
        EXPECT_EQ(MyRandom(1), 0);
        const int v = MyRandom(10);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 10);
        seen.insert(v);
        const int big = MyRandom(2147483647);
        ASSERT_GE(big, 0);
        ASSERT_LT(big, 2147483647);
        for (int k = 0; k < 5; ++k) {
            const int32_t r = Rand();
            ASSERT_GE(r, 0);
            lo = std::min(lo, r);
            hi = std::max(hi, r);
        }
    }
    EXPECT_EQ(seen.size(), 10u);
    EXPECT_LT(lo, kRandMax / 1000);
    EXPECT_GT(hi, kRandMax - kRandMax / 1000);
}

TEST(Strings, CSTrimDropsBlanksControlsAndHighBytes)
{
    std::string s = "  Hello world\t\xA0";
    CSTrim(s);
    EXPECT_EQ(s, "Hello world");
    std::string all = "\x01\x7F\xFF ";  // 0x7F is 127: kept (signed value is not below 33)
    CSTrim(all);
    EXPECT_EQ(all, "\x7F");
    std::string none = " \t ";
    CSTrim(none);
    EXPECT_EQ(none, "");
    EXPECT_TRUE(TrimStrEmpty(" \t\r\n"));
    EXPECT_FALSE(TrimStrEmpty(" x "));
    std::string out = "keep";
    EXPECT_FALSE(StringToAscii("caf\xC3\xA9", &out));
    EXPECT_EQ(out, "keep");
}

TEST(Files, NamesExtensionsAndCopyAndRenameReplacingTheTargetWhole)
{
    EXPECT_EQ(FileNameOf("/a/b/Sunset.ZJG"), "Sunset.ZJG");
    EXPECT_EQ(FileNameWithoutExt("/a/b/Sunset.ZJG"), "Sunset");
    EXPECT_EQ(FileExtLower("/a/b/Sunset.ZJG"), "zjg");
    EXPECT_EQ(FileExtLower("/a/b.d/noext"), "");
    EXPECT_EQ(FileExtLower("/a/.hidden"), "");
    EXPECT_FALSE(FileExists(""));
    TempDir dir;
    const std::string a = dir.File("a"), b = dir.File("b");
    ASSERT_TRUE(WriteFileBytes(a, {1, 2, 3}));
    ASSERT_TRUE(WriteFileBytes(b, {9, 9, 9, 9, 9}));
    ASSERT_TRUE(CopyFile(b, a));
    EXPECT_EQ(ReadFileBytes(b), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_FALSE(FileExists(b + ".copy-tmp"));
    EXPECT_FALSE(CopyFile(b, dir.File("missing")));
    EXPECT_EQ(ReadFileBytes(b), (std::vector<uint8_t>{1, 2, 3}));  // a failed copy leaves it
    ASSERT_TRUE(WriteFileBytes(a, {7}));
    ASSERT_TRUE(RenameFile(b, a));
    EXPECT_FALSE(FileExists(a));
    EXPECT_EQ(ReadFileBytes(b), (std::vector<uint8_t>{7}));
    EXPECT_EQ(GetFileSize(b), 1);
    EXPECT_EQ(GetFileSize(dir.File("missing")), 0);
    EXPECT_TRUE(CreateDir(dir.File("sub")));
    EXPECT_TRUE(CreateDir(dir.File("sub")));  // already there
    EXPECT_FALSE(CreateDir(dir.File("x/y")));  // no intermediate folders
    EXPECT_TRUE(DeleteFile(b));
    EXPECT_FALSE(FileExists(b));
}

TEST(Images, AnOpaqueImageDropsItsAlphaInPlaceAndAnyOtherStaysAsItWas)
{
    // Large enough that whole pages of the freed quarter go back.
    constexpr int w = 613, h = 457;
    const auto make = [&](bool alpha, int translucentAt) {
        auto img = std::make_unique<OMyImage>(w, h, alpha);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint8_t* p = MyImageGetLineXY(*img, x, y);
                p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = uint8_t(x * y);
                if (alpha)
                    p[3] = y * w + x == translucentAt ? 254 : 255;
            }
        return img;
    };
    OMyImagePtr opaque = make(true, -1);
    ASSERT_TRUE(MyImageDropOpaqueAlpha(*opaque));
    EXPECT_FALSE(opaque->bAlpha);
    EXPECT_EQ(opaque->iBPP, 3);
    EXPECT_EQ(opaque->iBPL, w * 3);
    const OMyImagePtr rgb = make(false, -1);
    for (int y = 0; y < h; ++y)
        ASSERT_EQ(std::memcmp(MyImageGetLineXY(*opaque, 0, y), MyImageGetLineXY(*rgb, 0, y), size_t(w) * 3), 0) << y;

    // The last pixel alone translucent, no alpha at all, pixels shared or gone.
    OMyImagePtr translucent = make(true, w * h - 1), plain = make(false, -1), dropped = make(true, -1);
    MyImageDropPixels(*dropped);
    OMyImage shared;
    shared.W = shared.H = 2, shared.iBPP = 4, shared.iBPL = 8, shared.bAlpha = true;
    shared.Shared = std::shared_ptr<uint8_t>(new uint8_t[16], std::default_delete<uint8_t[]>());
    std::memset(shared.Shared.get(), 255, 16);
    shared.pMem = shared.Shared.get();
    for (OMyImage* img : {translucent.get(), plain.get(), dropped.get(), &shared}) {
        const int bpp = img->iBPP;
        const std::vector<uint8_t> before(img->Bitmap);
        EXPECT_FALSE(MyImageDropOpaqueAlpha(*img));
        EXPECT_EQ(img->iBPP, bpp);
        EXPECT_EQ(img->Bitmap, before);
    }
}
