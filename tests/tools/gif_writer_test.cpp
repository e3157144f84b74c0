// Our GIF writer, checked by decoding its files with Qt's reader.
#include "gif_writer.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

QImage Decode(const std::vector<uint8_t>& bytes)
{
    QImage img;
    img.loadFromData(bytes.data(), int(bytes.size()), "GIF");
    return img.convertToFormat(QImage::Format_ARGB32);
}

uint32_t Lcg(uint32_t& s) { return s = s * 1664525u + 1013904223u; }

GifPicture Noise(int w, int h, int colours, uint32_t seed)
{
    GifPicture pic;
    pic.W = w;
    pic.H = h;
    for (int i = 0; i < colours; ++i) pic.Palette.push_back(uint32_t(i * 0x010307) & 0xFFFFFF);
    for (int i = 0; i < w * h; ++i) pic.Indices.push_back(uint8_t((Lcg(seed) >> 16) % uint32_t(colours)));
    return pic;
}

void ExpectDecodesTo(const GifPicture& pic)
{
    const QImage img = Decode(GifEncode(pic));
    ASSERT_EQ(img.width(), pic.W);
    ASSERT_EQ(img.height(), pic.H);
    for (int y = 0; y < pic.H; ++y)
        for (int x = 0; x < pic.W; ++x) {
            const uint8_t i = pic.Indices[size_t(y * pic.W + x)];
            const QRgb want = i == pic.TransparentIndex ? 0u : (0xFF000000u | pic.Palette[i]);
            const QRgb got = img.pixel(x, y);
            ASSERT_EQ(qAlpha(got) == 0 ? 0u : got, want) << x << "," << y;
        }
}

}  // namespace

TEST(GifWriter, PicturesOfEveryPaletteSizeDecodeToTheirIndices)
{
    // 2..256 colours cover every code-size start; noise keeps the LZW
    // table filling up so the clear-and-restart path runs many times.
    for (int colours : {1, 2, 3, 4, 16, 17, 128, 256}) {
        SCOPED_TRACE(colours);
        ExpectDecodesTo(Noise(301, 211, colours, uint32_t(colours)));
    }
}

TEST(GifWriter, LongRunsTinyPicturesAndATransparentIndexSurvive)
{
    GifPicture flat = Noise(1000, 300, 2, 1);
    std::fill(flat.Indices.begin(), flat.Indices.end(), 1);  // codes grow to 12 bits in one run
    ExpectDecodesTo(flat);
    ExpectDecodesTo(Noise(1, 1, 2, 5));
    ExpectDecodesTo(Noise(7, 3, 5, 6));
    GifPicture clear = Noise(40, 30, 4, 9);
    clear.TransparentIndex = 2;  // decodes as clear
    ExpectDecodesTo(clear);
}

TEST(GifWriter, QuantizerKeepsFewColoursExactlyAndMapsLowAlphaToClear)
{
    std::vector<uint8_t> rgba;
    const uint8_t px[4][4] = {{255, 0, 0, 255}, {0, 0, 255, 255}, {10, 20, 30, 0}, {255, 255, 255, 200}};
    for (int i = 0; i < 64; ++i) rgba.insert(rgba.end(), px[i % 4], px[i % 4] + 4);
    const GifPicture pic = GifQuantize(rgba.data(), 8, 8, 32, 256, true);
    const QImage img = Decode(GifEncode(pic));
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(1, 0), qRgb(0, 0, 255));
    EXPECT_EQ(qAlpha(img.pixel(2, 0)), 0);
    EXPECT_EQ(img.pixel(3, 0), qRgb(255, 255, 255));
}

TEST(GifWriter, QuantizerReducesManyColoursToANearPalette)
{
    std::vector<uint8_t> rgba;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) rgba.insert(rgba.end(), {uint8_t(x * 4), uint8_t(y * 4), uint8_t(128), 255});
    const GifPicture pic = GifQuantize(rgba.data(), 64, 64, 64 * 4, 256, false);
    EXPECT_LE(pic.Palette.size(), 256u);
    const QImage img = Decode(GifEncode(pic));
    int worst = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const QRgb c = img.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(c) - x * 4), std::abs(qGreen(c) - y * 4), std::abs(qBlue(c) - 128)});
        }
    EXPECT_LE(worst, 12);
}
