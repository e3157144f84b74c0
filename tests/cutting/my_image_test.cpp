#include "cutting/my_image.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr uint32_t kWhite = RGB(255, 255, 255);
constexpr uint32_t kInk = RGB(128, 0, 25);

OMyImagePtr White(int w, int h, bool alpha = true)
{
    OMyImagePtr img = MyImageCreateExt(w, h, alpha);
    MyImageFillRect(*img, 0, 0, w, h, kWhite);
    return img;
}

// The set pixels of an image, as "x,y" in row order.
std::vector<TPoint> InkPixels(const OMyImage& img, uint32_t ink = kInk)
{
    std::vector<TPoint> out;
    for (int y = 0; y < img.H; ++y)
        for (int x = 0; x < img.W; ++x)
            if (MyImageGetPixel(img, x, y) == ink)
                out.push_back({x, y});
    return out;
}

}  // namespace

// ---- Creation and access --------------------------------------------------------

TEST(ImageMemory, LayoutAndBoundsOfAccess)
{
    OMyImagePtr img = MyImageCreateExt(5, 4, false);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->iBPP, 3);
    EXPECT_EQ(img->iBPL, 15);
    EXPECT_FALSE(img->bAlpha);
    MyImageSetPixel(*img, 4, 3, RGB(1, 2, 3));
    const uint8_t* p = MyImageGetLineXY(*img, 4, 3);
    EXPECT_EQ(p - img->pMem, 3 * 15 + 4 * 3);
    EXPECT_EQ(p[0], 1);
    EXPECT_EQ(p[2], 3);
    EXPECT_EQ(MyImageGetPixel(*img, -1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(MyImageGetPixel(*img, 5, 0), 0xFFFFFFFFu);
    EXPECT_EQ(MyImageGetPixelAlpha(*img, 5, 0), 255);
    MyImageSetPixel(*img, 5, 0, 0);  // dropped, no write past the row
    EXPECT_EQ(MyImageGetPixel(*img, 0, 1), 0u);

    OMyImagePtr a = MyImageCreate(2, 2);
    a->pMem[3] = 7;
    MyImageSetPixel(*a, 0, 0, kWhite);
    EXPECT_EQ(MyImageGetPixelAlpha(*a, 0, 0), 7);  // colour writes keep alpha

    MyImageDropPixels(*a);  // texture-only: reads answer as outside, writes are dropped
    EXPECT_EQ(MyImageGetPixel(*a, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(MyImageGetPixelAlpha(*a, 0, 0), 255);
    MyImageSetPixel(*a, 0, 0, kInk);
    MyImageFloodFill(*a, 0, 0, kInk);
}

TEST(ImageMemory, RefusesSizesBeyondTheLimits)
{
    EXPECT_FALSE(MyImageCreate(-1, 5));
    EXPECT_FALSE(MyImageCreate(kMyImageMaxSide + 1, 1));
    EXPECT_FALSE(MyImageCreate(10000, 10000));  // beyond the pixel count
    EXPECT_TRUE(MyImageCreate(0, 0));
    EXPECT_TRUE(MyImageCreateExt(8000, 6000, false));
}

TEST(ImageMemory, MovedImageKeepsItsPixels)
{
    OMyImagePtr a = White(3, 3);
    MyImageSetPixel(*a, 1, 1, kInk);
    OMyImage moved = std::move(*a);
    EXPECT_EQ(MyImageGetPixel(moved, 1, 1), kInk);
    EXPECT_EQ(a->pMem, nullptr);
    OMyImagePtr copy = MyImageClone(moved);
    MyImageSetPixel(moved, 1, 1, kWhite);
    EXPECT_EQ(MyImageGetPixel(*copy, 1, 1), kInk);
}

// ---- Lines --------------------------------------------------------------------

TEST(ImageLine, DiagonalWritesBothEnds)
{
    OMyImagePtr img = White(6, 6);
    MyImageDrawLine(*img, 0, 0, 3, 3, kInk);
    const std::vector<TPoint> want = {{0, 0}, {1, 1}, {2, 2}, {3, 3}};
    EXPECT_EQ(InkPixels(*img), want);
}

TEST(ImageLine, BresenhamIsSymmetricInLengthAndEnds)
{
    struct Case { int x1, y1, x2, y2; };
    const Case cases[] = {{1, 1, 9, 4}, {9, 4, 1, 1}, {2, 9, 5, 0}, {0, 0, 9, 8}, {8, 1, 0, 2}};
    for (const Case& c : cases) {
        OMyImagePtr img = White(10, 10);
        MyImageDrawLine(*img, c.x1, c.y1, c.x2, c.y2, kInk);
        const std::vector<TPoint> px = InkPixels(*img);
        const int steps = imax(std::abs(c.x2 - c.x1), std::abs(c.y2 - c.y1));
        EXPECT_EQ(int(px.size()), steps + 1) << c.x1 << "," << c.y1;
        EXPECT_EQ(MyImageGetPixel(*img, c.x1, c.y1), kInk);
        EXPECT_EQ(MyImageGetPixel(*img, c.x2, c.y2), kInk);
    }
}

TEST(ImageLine, ClippingOfRowsAndColumns)
{
    OMyImagePtr img = White(8, 6);
    MyImageDrawLine(*img, 3, 0, 3, 5, kInk);  // the whole column
    EXPECT_EQ(InkPixels(*img).size(), 6u);

    img = White(8, 6);
    MyImageDrawLine(*img, 3, 5, 3, 40, kInk);  // starts on the last row: nothing
    EXPECT_TRUE(InkPixels(*img).empty());

    img = White(8, 6);
    MyImageDrawLine(*img, 2, -30, 2, 2, kInk);  // clamped at the top
    EXPECT_EQ(InkPixels(*img).size(), 3u);

    img = White(8, 6);
    MyImageDrawLine(*img, -5, 1, 20, 1, kInk);  // the whole row
    EXPECT_EQ(InkPixels(*img).size(), 8u);

    img = White(8, 6);
    MyImageDrawLine(*img, 7, 1, 30, 1, kInk);  // starts in the last column: nothing
    EXPECT_TRUE(InkPixels(*img).empty());

    img = White(8, 6);
    MyImageDrawLine(*img, -3, -3, 10, 10, kInk);  // diagonal, only the inside pixels
    for (const TPoint& p : InkPixels(*img))
        EXPECT_EQ(p.x, p.y);
    EXPECT_EQ(InkPixels(*img).size(), 6u);
}

// ---- Flood fill ---------------------------------------------------------------

TEST(ImageFill, DoesNotLeakThroughADiagonal)
{
    OMyImagePtr img = White(10, 10);
    MyImageDrawLine(*img, 0, 9, 9, 0, kInk);  // an anti-diagonal: only corners touch
    TRect r;
    MyImageFloodFill(*img, 0, 0, RGB(0, 0, 200), &r);
    int filled = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const uint32_t c = MyImageGetPixel(*img, x, y);
            if (x + y < 9) {
                EXPECT_EQ(c, RGB(0, 0, 200)) << x << "," << y;
            } else if (x + y > 9) {
                EXPECT_EQ(c, kWhite) << x << "," << y;
            }
            filled += c == RGB(0, 0, 200);
        }
    EXPECT_EQ(filled, 45);
    EXPECT_EQ(r, MakeTRect(0, 0, 8, 8));
}

TEST(ImageFill, SeedAlreadyFilledOrOutsideChangesNothing)
{
    OMyImagePtr img = White(5, 5);
    TRect r{-1, -1, -1, -1};
    MyImageFloodFill(*img, 2, 3, kWhite, &r);
    EXPECT_EQ(r, MakeTRect(2, 3, 2, 3));
    MyImageFloodFill(*img, 9, 9, kInk, &r);
    EXPECT_EQ(r, MakeTRect(9, 9, 9, 9));
    EXPECT_TRUE(InkPixels(*img).empty());
}

TEST(ImageFill, FillsASpiralAndTracksItsExtent)
{
    // A maze-like region forces runs in both directions and many pops.
    OMyImagePtr img = White(21, 21);
    for (int k = 0; k < 5; ++k) {
        const int a = 2 * k, b = 20 - 2 * k;
        MyImageDrawLine(*img, a, a, b, a, kInk);
        MyImageDrawLine(*img, b, a, b, b, kInk);
        MyImageDrawLine(*img, b, b, a + 2, b, kInk);
        MyImageDrawLine(*img, a + 2, b, a + 2, a + 2, kInk);
    }
    const size_t white = 21 * 21 - InkPixels(*img).size();
    TRect r;
    MyImageFloodFill(*img, 1, 20, RGB(9, 9, 9), &r);
    const size_t filled = InkPixels(*img, RGB(9, 9, 9)).size();
    EXPECT_GT(filled, 100u);
    // Every white pixel is reachable in this maze but the enclosed centre.
    EXPECT_LE(white - filled, 9u);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.bottom, 20);
    for (const TPoint& p : InkPixels(*img, RGB(9, 9, 9))) {
        EXPECT_GE(p.x, r.left);
        EXPECT_LE(p.x, r.right);
        EXPECT_GE(p.y, r.top);
        EXPECT_LE(p.y, r.bottom);
    }
}

TEST(ImageFill, WorksOnThreeByteImagesAndIgnoresAlpha)
{
    OMyImagePtr img = White(4, 3, false);
    MyImageFloodFill(*img, 0, 0, kInk);
    EXPECT_EQ(InkPixels(*img).size(), 12u);
    OMyImagePtr a = White(4, 1);
    a->pMem[3] = 0;  // a different alpha is still the same colour
    MyImageFloodFill(*a, 3, 0, kInk);
    EXPECT_EQ(InkPixels(*a).size(), 4u);
}

// ---- Copy, blend, resize ------------------------------------------------------------

TEST(ImageCopy, BlendRoundsDownAndSetsOpaque)
{
    OMyImagePtr src = MyImageCreate(3, 1);
    const uint8_t s[] = {200, 100, 50, 0, 200, 100, 50, 255, 200, 100, 50, 128};
    std::memcpy(src->pMem, s, sizeof s);
    OMyImagePtr dst = MyImageCreate(3, 1);
    for (int i = 0; i < 3; ++i) {
        MyImageSetPixel(*dst, i, 0, RGB(10, 20, 30));
        dst->pMem[i * 4 + 3] = 9;
    }
    MyImageCopyRect(*dst, 0, 0, 3, 1, *src, 0, 0, true);
    EXPECT_EQ(MyImageGetPixel(*dst, 0, 0), RGB(10, 20, 30));
    EXPECT_EQ(MyImageGetPixel(*dst, 1, 0), RGB(200, 100, 50));
    // (200*128 + 10*127) / 255 = 105.38 -> 105; (100*128+20*127)/255 = 60.15 -> 60; (50*128+30*127)/255 = 40.03 -> 40
    EXPECT_EQ(MyImageGetPixel(*dst, 2, 0), RGB(105, 60, 40));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(MyImageGetPixelAlpha(*dst, i, 0), 255);
}

TEST(ImageCopy, CopiesBetweenThreeAndFourBytePictures)
{
    OMyImagePtr src = White(4, 4, false);
    MyImageSetPixel(*src, 2, 3, kInk);
    OMyImagePtr dst = MyImageCreate(6, 6);
    MyImageCopyRect(*dst, 1, 1, 3, 3, *src, 1, 1, false);
    EXPECT_EQ(MyImageGetPixel(*dst, 2, 3), kInk);
    EXPECT_EQ(MyImageGetPixelAlpha(*dst, 2, 3), 255);
    EXPECT_EQ(MyImageGetPixel(*dst, 0, 0), 0u);
}

TEST(ImageResize, TwoByTwoToOneIsTheTopLeftPixel)
{
    OMyImagePtr src = MyImageCreateExt(2, 2, false);
    MyImageSetPixel(*src, 0, 0, RGB(10, 20, 30));
    MyImageSetPixel(*src, 1, 0, RGB(250, 250, 250));
    MyImageSetPixel(*src, 0, 1, RGB(250, 250, 250));
    MyImageSetPixel(*src, 1, 1, RGB(250, 250, 250));
    OMyImagePtr dst = MyImageCreate(1, 1);
    MyImageSmoothResize(*dst, *src);
    EXPECT_EQ(MyImageGetPixel(*dst, 0, 0), RGB(10, 20, 30));
    EXPECT_EQ(MyImageGetPixelAlpha(*dst, 0, 0), 255);
}

TEST(ImageResize, StepsAreFixedPointFractionsOfTheSource)
{
    OMyImagePtr src = MyImageCreateExt(4, 1, false);
    for (int x = 0; x < 4; ++x)
        MyImageSetPixel(*src, x, 0, RGB(x * 60, 0, 0));
    OMyImagePtr same = MyImageCreateExt(4, 1, false);
    MyImageSmoothResize(*same, *src);
    // xstep = (4<<15 - 32768) / 4 = 24576: 0.75 of a pixel per step, so only
    // the first column is exact.
    EXPECT_EQ(MyImageGetPixel(*same, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(MyImageGetPixel(*same, 1, 0), RGB(45, 0, 0));
    EXPECT_EQ(MyImageGetPixel(*same, 3, 0), RGB(135, 0, 0));
    OMyImagePtr empty = MyImageCreate(0, 0);
    MyImageSmoothResize(*empty, *src);  // nothing to do, no division by zero
    MyImageSmoothResize(*same, *empty);
}

// ---- BMP block ------------------------------------------------------------------

TEST(ImageBmp, HeaderFieldsAndPixelOrder)
{
    OMyImagePtr img = MyImageCreateExt(3, 2, false);
    MyImageSetPixel(*img, 0, 0, RGB(1, 2, 3));
    MyImageSetPixel(*img, 2, 1, RGB(7, 8, 9));
    const std::vector<uint8_t> b = MyImageCopyToDataAsBmp2(*img);
    ASSERT_EQ(b.size(), 78u);
    auto le32 = [&](size_t o) { return int32_t(b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (uint32_t(b[o + 3]) << 24)); };
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le32(2), 78);
    EXPECT_EQ(le32(10), 54);
    EXPECT_EQ(le32(14), 40);
    EXPECT_EQ(le32(18), 3);
    EXPECT_EQ(le32(22), -2);
    EXPECT_EQ(b[26], 1);
    EXPECT_EQ(b[28], 32);
    EXPECT_EQ(le32(30), 0);
    // Top row first, blue green red 255.
    EXPECT_EQ((std::vector<uint8_t>(b.begin() + 54, b.begin() + 58)), (std::vector<uint8_t>{3, 2, 1, 255}));
    EXPECT_EQ((std::vector<uint8_t>(b.end() - 4, b.end())), (std::vector<uint8_t>{9, 8, 7, 255}));
}

TEST(ImageBmp, DecodesBackToTheSamePixels)
{
    OMyImagePtr img = MyImageCreateExt(17, 5, false);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 17; ++x)
            MyImageSetPixel(*img, x, y, RGB(x * 13, y * 40, (x * y) & 255));
    const std::vector<uint8_t> b = MyImageCopyToDataAsBmp2(*img);
    std::string err;
    OMyImagePtr back = MyImageCreateFromData(b.data(), b.size(), true, &err);
    ASSERT_TRUE(back) << err;
    ASSERT_EQ(back->W, 17);
    ASSERT_EQ(back->H, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 17; ++x)
            ASSERT_EQ(MyImageGetPixel(*back, x, y), MyImageGetPixel(*img, x, y));
}

// ---- Decoding ---------------------------------------------------------------------

TEST(ImageDecode, ConvertModes)
{
    OMyImagePtr opaque = White(6, 4, false);
    const std::vector<uint8_t> png = MyImageEncode(*opaque, "PNG");
    ASSERT_FALSE(png.empty());
    OMyImagePtr kept = MyImageCreateFromData(png.data(), png.size(), false);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->iBPP, 3);
    OMyImagePtr conv = MyImageCreateFromData(png.data(), png.size(), true);
    ASSERT_TRUE(conv);
    EXPECT_EQ(conv->iBPP, 4);
    EXPECT_EQ(MyImageGetPixelAlpha(*conv, 5, 3), 255);

    OMyImagePtr alpha = White(6, 4, true);
    alpha->pMem[3] = 10;
    const std::vector<uint8_t> apng = MyImageEncode(*alpha, "PNG");
    OMyImagePtr a = MyImageCreateFromData(apng.data(), apng.size(), false);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->iBPP, 4);
    EXPECT_EQ(MyImageGetPixelAlpha(*a, 0, 0), 10);
}

TEST(ImageDecode, RefusesDamagedAndHostilePictures)
{
    OMyImagePtr img = White(64, 48, false);
    for (int i = 0; i < 48; ++i)
        MyImageDrawLine(*img, 0, i, 63, 47 - i, RGB(i * 5, 0, 255 - i * 5));
    std::string err;

    std::vector<uint8_t> jpg = MyImageEncode(*img, "JPG", 90);
    ASSERT_TRUE(MyImageCreateFromData(jpg.data(), jpg.size(), true, &err)) << err;
    jpg.resize(jpg.size() * 2 / 3);
    EXPECT_FALSE(MyImageCreateFromData(jpg.data(), jpg.size(), true, &err));
    EXPECT_NE(err.find("JPEG"), std::string::npos);

    std::vector<uint8_t> png = MyImageEncode(*img, "PNG");
    png.resize(png.size() - 20);
    EXPECT_FALSE(MyImageCreateFromData(png.data(), png.size(), true, &err));

    // A BMP that claims 5000 x 5000 pixels in a kilobyte.
    std::vector<uint8_t> bmp = MyImageCopyToDataAsBmp2(*img);
    bmp.resize(1024);
    bmp[18] = 0x88; bmp[19] = 0x13; bmp[20] = 0; bmp[21] = 0;   // 5000
    bmp[22] = 0x78; bmp[23] = 0xEC; bmp[24] = 0xFF; bmp[25] = 0xFF;  // -5000
    EXPECT_FALSE(MyImageCreateFromData(bmp.data(), bmp.size(), true, &err));

    const uint8_t junk[] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(MyImageCreateFromData(junk, sizeof junk, true, &err));
    EXPECT_FALSE(MyImageCreateFromData(nullptr, 0, true, &err));
    EXPECT_FALSE(MyImageCreateFromFile("/nonexistent/x.png", true, &err));
}

TEST(ImageDecode, RefusesADeclaredSizeBeyondTheLimitBeforeDecoding)
{
    // A PNG header that declares 40000 x 40000: refused from the header alone.
    OMyImagePtr small = White(4, 4, false);
    std::vector<uint8_t> png = MyImageEncode(*small, "PNG");
    ASSERT_GT(png.size(), 24u);
    png[16] = 0; png[17] = 0; png[18] = 0x9C; png[19] = 0x40;
    png[20] = 0; png[21] = 0; png[22] = 0x9C; png[23] = 0x40;
    std::string err;
    EXPECT_FALSE(MyImageCreateFromData(png.data(), png.size(), true, &err));
    EXPECT_FALSE(err.empty());
}

TEST(ImageDecode, LargePhotoSizedPictureStillOpens)
{
    OMyImagePtr big = MyImageCreateExt(8000, 6000, false);
    ASSERT_TRUE(big);
    const std::vector<uint8_t> png = MyImageEncode(*big, "PNG");
    std::string err;
    OMyImagePtr back = MyImageCreateFromData(png.data(), png.size(), false, &err);
    ASSERT_TRUE(back) << err;
    EXPECT_EQ(back->W, 8000);
    EXPECT_EQ(back->H, 6000);
}
