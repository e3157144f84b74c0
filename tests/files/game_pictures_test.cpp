#include "files/files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

// With partAlpha some pixels are half transparent (the platform decoder then
// rounds through premultiplied colours; ours keeps them exactly).
OMyImagePtr Pattern(int w, int h, bool alpha, bool partAlpha = false)
{
    OMyImagePtr img = MyImageCreateExt(w, h, alpha);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            MyImageSetPixel(*img, x, y, RGB(uint32_t(x * 11), uint32_t(y * 7), uint32_t(x ^ y)));
    if (alpha)
        for (size_t i = 3; i < img->Bitmap.size(); i += 4)
            img->Bitmap[i] = uint8_t(partAlpha && i / 4 % 3 == 0 ? 128 : 255);
    return img;
}

}  // namespace

TEST(GamePictures, OurTiffReadsTheSameThroughThePlatformDecoder)
{
    // Mask cells of one code (runs far longer than 128) above a noisy strip of literals.
    OMyImagePtr mask = MyImageCreateExt(700, 90, true);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 700; ++x)
            MyImageSetPixel(*mask, x, y, RGB(128, 0, uint32_t(y < 80 ? 1 + x / 300 : (x * 37 + y) & 255)));
    for (size_t i = 3; i < mask->Bitmap.size(); i += 4)
        mask->Bitmap[i] = 255;
    EXPECT_LT(EncodeMaskTiff(*mask).size(), mask->Bitmap.size() / 8);  // the planes pack small
    const OMyImagePtr alpha = Pattern(37, 21, true), plain = Pattern(37, 21, false);
    for (const OMyImage* img : {alpha.get(), plain.get(), mask.get()}) {
        SCOPED_TRACE(img->W);
        const auto tiff = EncodeMaskTiff(*img);
        OMyImagePtr ours = DecodeMaskTiff(tiff.data(), tiff.size());
        OMyImagePtr qt = MyImageCreateFromData(tiff.data(), tiff.size(), true);
        ASSERT_TRUE(ours && qt);
        EXPECT_EQ(ours->Bitmap, qt->Bitmap);
        if (img->bAlpha) {
            EXPECT_EQ(ours->Bitmap, img->Bitmap);
        }
        int w = 0, h = 0;
        ASSERT_TRUE(PictureSniffSize(tiff.data(), tiff.size(), &w, &h));
        EXPECT_EQ(w, img->W);
        EXPECT_EQ(h, img->H);
    }
    OMyImagePtr half = Pattern(19, 5, true, true);
    auto tiff = EncodeMaskTiff(*half);
    OMyImagePtr ours = DecodeMaskTiff(tiff.data(), tiff.size());
    ASSERT_TRUE(ours);
    EXPECT_EQ(ours->Bitmap, half->Bitmap);
    // Any cut-short copy is refused, never read past its end.
    tiff = EncodeMaskTiff(*mask);
    for (size_t n = 8; n < tiff.size(); n += 1 + n / 16) {
        std::vector<uint8_t> cut(tiff.begin(), tiff.begin() + long(n));
        EXPECT_FALSE(DecodeMaskTiff(cut.data(), cut.size())) << n;
    }
}

TEST(GamePictures, OurBmpReadsTheSameAsThePlatformDecoder)
{
    OMyImagePtr img = Pattern(29, 17, true);
    const auto bmp = MyImageCopyToDataAsBmp2(*img);
    OMyImagePtr ours = DecodeBmp32(bmp.data(), bmp.size());
    OMyImagePtr qt = MyImageCreateFromData(bmp.data(), bmp.size(), true);
    ASSERT_TRUE(ours && qt);
    EXPECT_EQ(ours->Bitmap, qt->Bitmap);
    // Another writer's bottom-up BMP.
    const auto qtBmp = MyImageEncode(*Pattern(29, 17, false), "BMP");
    OMyImagePtr viaQt = DecodeGamePicture(qtBmp);
    ASSERT_TRUE(viaQt);
    EXPECT_EQ(viaQt->W, 29);
}

TEST(GamePictures, DamagedHeadersFallThroughOrFail)
{
    OMyImagePtr img = Pattern(16, 8, true);
    auto tiff = EncodeMaskTiff(*img);
    auto cut = std::vector<uint8_t>(tiff.begin(), tiff.end() - 1);
    EXPECT_FALSE(DecodeMaskTiff(cut.data(), cut.size()));
    auto huge = tiff;
    huge[8 + 2 + 8] = 0xFF;  // width's low bytes
    huge[8 + 2 + 9] = 0xFF;
    EXPECT_FALSE(DecodeMaskTiff(huge.data(), huge.size()));
    auto dir = tiff;
    dir[4] = 0xF0;  // directory past the end
    EXPECT_FALSE(DecodeMaskTiff(dir.data(), dir.size()));
    auto bmp = MyImageCopyToDataAsBmp2(*img);
    bmp.resize(bmp.size() - 4);
    EXPECT_FALSE(DecodeBmp32(bmp.data(), bmp.size()));
    EXPECT_FALSE(DecodeGamePicture(bmp));  // the platform decoder refuses it too
}
