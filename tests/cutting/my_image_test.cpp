// The picture memory: access, lines, fills, copies, the BMP block and decoding.
#include "cutting/cut_test_support.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <QLibraryInfo>

#include <cstring>
#include <dlfcn.h>

namespace {

constexpr uint32_t kWhite = RGB(255, 255, 255);
constexpr uint32_t kInk = RGB(128, 0, 25);

OMyImagePtr White(int w, int h, bool alpha = true) { return WhiteImage(w, h, alpha); }
PixelSet InkPixels(const OMyImage& img, uint32_t ink = kInk) { return PixelsOf(img, ink); }

}  // namespace

// ---- Creation and access --------------------------------------------------------

TEST(ImageMemory, LayoutBoundsOfAccessMovesAndClones)
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

    // A moved image keeps its pixels; a clone owns its own.
    OMyImagePtr w = White(3, 3);
    MyImageSetPixel(*w, 1, 1, kInk);
    OMyImage moved = std::move(*w);
    EXPECT_EQ(MyImageGetPixel(moved, 1, 1), kInk);
    EXPECT_EQ(w->pMem, nullptr);
    OMyImagePtr copy = MyImageClone(moved);
    MyImageSetPixel(moved, 1, 1, kWhite);
    EXPECT_EQ(MyImageGetPixel(*copy, 1, 1), kInk);
}

TEST(ImageMemory, RefusesSizesBeyondTheLimits)
{
    EXPECT_FALSE(MyImageCreate(-1, 5));
    EXPECT_FALSE(MyImageCreate(kMyImageMaxSide + 1, 1));
    EXPECT_FALSE(MyImageCreate(10000, 10000));  // beyond the pixel count
    EXPECT_TRUE(MyImageCreate(0, 0));
    EXPECT_TRUE(MyImageCreateExt(8000, 6000, false));
}

// ---- Lines --------------------------------------------------------------------

TEST(ImageLine, BresenhamWritesBothEndsAndClipsToTheImage)
{
    OMyImagePtr img = White(6, 6);
    MyImageDrawLine(*img, 0, 0, 3, 3, kInk);
    EXPECT_EQ(InkPixels(*img), (PixelSet{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
    struct Case { int x1, y1, x2, y2; size_t pixels; const char* what; };
    const Case cases[] = {
        {1, 1, 9, 4, 9, "shallow"}, {9, 4, 1, 1, 9, "shallow, reversed"}, {2, 9, 5, 0, 10, "steep upward"},
        {0, 0, 9, 8, 10, "near diagonal"}, {8, 1, 0, 2, 9, "almost flat"}, {3, 0, 3, 9, 10, "the whole column"},
        {3, 9, 3, 40, 0, "starts on the last row: nothing"}, {2, -30, 2, 2, 3, "clamped at the top"},
        {-5, 1, 20, 1, 10, "the whole row"}, {9, 1, 30, 1, 0, "starts in the last column: nothing"},
        {-3, -3, 12, 12, 10, "diagonal, the inside pixels"}};
    for (const Case& c : cases) {
        img = White(10, 10);
        MyImageDrawLine(*img, c.x1, c.y1, c.x2, c.y2, kInk);
        const PixelSet ink = InkPixels(*img);
        EXPECT_EQ(ink.size(), c.pixels) << c.what;
        if (c.x1 >= 0 && c.y1 >= 0 && std::max({c.x1, c.y1, c.x2, c.y2}) < 10) {
            EXPECT_TRUE(ink.count({c.x1, c.y1}) && ink.count({c.x2, c.y2})) << c.what;
        }
        if (c.x1 < 0 && c.y1 < 0) {
            for (const auto& p : ink)
                EXPECT_EQ(p.first, p.second) << c.what;
        }
    }
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
    const PixelSet filled = InkPixels(*img, RGB(9, 9, 9));
    EXPECT_GT(filled.size(), 100u);
    // Every white pixel is reachable in this maze but the enclosed centre.
    EXPECT_LE(white - filled.size(), 9u);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.bottom, 20);
    for (const auto& [x, y] : filled)
        EXPECT_TRUE(x >= r.left && x <= r.right && y >= r.top && y <= r.bottom) << x << "," << y;
}

TEST(ImageFill, SeedCasesThreeByteImagesAndAlpha)
{
    // A seed already of the colour, or outside, changes nothing.
    OMyImagePtr five = White(5, 5);
    TRect r{-1, -1, -1, -1};
    MyImageFloodFill(*five, 2, 3, kWhite, &r);
    EXPECT_EQ(r, MakeTRect(2, 3, 2, 3));
    MyImageFloodFill(*five, 9, 9, kInk, &r);
    EXPECT_EQ(r, MakeTRect(9, 9, 9, 9));
    EXPECT_TRUE(InkPixels(*five).empty());
    OMyImagePtr img = White(4, 3, false);
    MyImageFloodFill(*img, 0, 0, kInk);
    EXPECT_EQ(InkPixels(*img).size(), 12u);
    OMyImagePtr a = White(4, 1);
    a->pMem[3] = 0;  // a different alpha is still the same colour
    MyImageFloodFill(*a, 3, 0, kInk);
    EXPECT_EQ(InkPixels(*a).size(), 4u);
}

// ---- Copy, blend, resize ------------------------------------------------------------

TEST(ImageCopy, BlendRoundsDownSetsOpaqueAndCopiesFromThreeBytes)
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
    // From three bytes a pixel to four: opaque, and only the rectangle.
    OMyImagePtr rgb = White(4, 4, false);
    MyImageSetPixel(*rgb, 2, 3, kInk);
    OMyImagePtr big = MyImageCreate(6, 6);
    MyImageCopyRect(*big, 1, 1, 3, 3, *rgb, 1, 1, false);
    EXPECT_EQ(MyImageGetPixel(*big, 2, 3), kInk);
    EXPECT_EQ(MyImageGetPixelAlpha(*big, 2, 3), 255);
    EXPECT_EQ(MyImageGetPixel(*big, 0, 0), 0u);
}

TEST(ImageResize, StepsAreFixedPointFractionsOfTheSource)
{
    OMyImagePtr src = MyImageCreateExt(4, 1, false);
    for (int x = 0; x < 4; ++x)
        MyImageSetPixel(*src, x, 0, RGB(uint32_t(x * 60), 0, 0));
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
    // Two by two to one is the top-left pixel, made opaque.
    OMyImagePtr quad = MyImageCreateExt(2, 2, false);
    MyImageFillRect(*quad, 0, 0, 2, 2, RGB(250, 250, 250));
    MyImageSetPixel(*quad, 0, 0, RGB(10, 20, 30));
    OMyImagePtr one = MyImageCreate(1, 1);
    MyImageSmoothResize(*one, *quad);
    EXPECT_EQ(MyImageGetPixel(*one, 0, 0), RGB(10, 20, 30));
    EXPECT_EQ(MyImageGetPixelAlpha(*one, 0, 0), 255);
}

// ---- BMP block ------------------------------------------------------------------

TEST(ImageBmp, HeaderFieldsPixelOrderAndRoundTrip)
{
    OMyImagePtr img = MyImageCreateExt(17, 5, false);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 17; ++x)
            MyImageSetPixel(*img, x, y, RGB(uint32_t(x * 13), uint32_t(y * 40), uint32_t(x * y) & 255));
    const std::vector<uint8_t> b = MyImageCopyToDataAsBmp2(*img);
    ASSERT_EQ(b.size(), 54u + 17 * 5 * 4);
    auto le32 = [&](size_t o) { return int32_t(b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (uint32_t(b[o + 3]) << 24)); };
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le32(2), int32_t(b.size()));
    EXPECT_EQ(le32(10), 54);
    EXPECT_EQ(le32(14), 40);
    EXPECT_EQ(le32(18), 17);
    EXPECT_EQ(le32(22), -5);
    EXPECT_EQ(b[26], 1);
    EXPECT_EQ(b[28], 32);
    EXPECT_EQ(le32(30), 0);
    // Top row first, blue green red 255: pixel (1, 0), then the last one (16, 4).
    EXPECT_EQ((std::vector<uint8_t>(b.begin() + 58, b.begin() + 62)), (std::vector<uint8_t>{0, 0, 13, 255}));
    EXPECT_EQ((std::vector<uint8_t>(b.end() - 4, b.end())), (std::vector<uint8_t>{64, 160, 208, 255}));
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
        MyImageDrawLine(*img, 0, i, 63, 47 - i, RGB(uint32_t(i * 5), 0, uint32_t(255 - i * 5)));
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

    // A PNG header that declares 40000 x 40000: refused from the header alone.
    png = MyImageEncode(*White(4, 4, false), "PNG");
    ASSERT_GT(png.size(), 24u);
    png[16] = 0; png[17] = 0; png[18] = 0x9C; png[19] = 0x40;
    png[20] = 0; png[21] = 0; png[22] = 0x9C; png[23] = 0x40;
    err.clear();
    EXPECT_FALSE(MyImageCreateFromData(png.data(), png.size(), true, &err));
    EXPECT_FALSE(err.empty());
}

TEST(ImageDecode, PngAndBmpDecodeWithoutLoadingQtsImagePlugins)
{
    // Loading every plugin (and TIFF, WebP and MNG libraries behind them)
    // costs the start-up, where the game reads its own PNG and BMP pictures.
    // (A plugin an earlier test in this process has loaded is not looked at.)
    auto loaded = [](const char* plugin) {
        const std::string path =
            QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString() + "/imageformats/" + plugin;
        return dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD) != nullptr;  // a reference only when loaded
    };
    // Made without Qt's encoder, which asks every plugin too: a 3 x 2 PNG
    // with alpha 200 (written by hand) and a BMP of our own writer.
    const std::vector<uint8_t> png = {
        0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00,
        0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06, 0x00, 0x00, 0x00, 0x9D, 0x74, 0x66, 0x1A, 0x00,
        0x00, 0x00, 0x1B, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0x60, 0x60, 0x90, 0x3B, 0xC1, 0x05, 0xC4,
        0x22, 0x40, 0xCC, 0xC0, 0x20, 0x02, 0xE4, 0x00, 0xB1, 0x08, 0x10, 0x03, 0x00, 0x43, 0x36, 0x05, 0xDD,
        0x57, 0x0E, 0xC1, 0x58, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
    const std::vector<uint8_t> pictures[] = {png, MyImageCopyToDataAsBmp2(*White(3, 2, false))};
    const char* const plugins[] = {"libqtiff.so", "libqwebp.so", "libqmng.so", "libqgif.so"};
    std::vector<bool> before;
    for (const char* plugin : plugins)
        before.push_back(loaded(plugin));
    for (const std::vector<uint8_t>& bytes : pictures) {
        std::string err;
        OMyImagePtr back = MyImageCreateFromData(bytes.data(), bytes.size(), true, &err);
        ASSERT_TRUE(back) << err;
        EXPECT_EQ(back->W, 3);
        EXPECT_EQ(back->H, 2);
        if (bytes == png) {
            EXPECT_EQ(MyImageGetPixelAlpha(*back, 2, 1), 200);
        }
    }
    for (size_t i = 0; i < std::size(plugins); ++i) {
        if (!before[i]) {
            EXPECT_FALSE(loaded(plugins[i])) << plugins[i];
        }
    }
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
