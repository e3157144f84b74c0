#include "base/pixel_pack.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

// w x h pixels of bpp bytes with rows `stride` apart; the padding holds junk
// that must not reach the packed form.
std::vector<uint8_t> MakePixels(int w, int h, int bpp, size_t stride, int kind)
{
    std::vector<uint8_t> px(stride * size_t(h), 0xEE);
    std::mt19937 rng(uint32_t(w * 131 + h * 7 + bpp));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < bpp; ++c) {
                uint8_t v = 0;
                switch (kind) {
                case 0: v = uint8_t(rng()); break;                     // noise: packs to more than it was
                case 1: v = uint8_t(x * (c + 1) + y * 3); break;       // smooth: wraps around 255
                default: v = uint8_t(c == 3 ? 255 : 90 + c); break;    // flat, opaque
                }
                px[size_t(y) * stride + size_t(x * bpp + c)] = v;
            }
    return px;
}

}  // namespace

TEST(PixelPack, EverySizeLayoutAndContentComesBackBitForBit)
{
    const struct {
        int w, h, bpp;
        size_t pad;
    } cases[] = {{1, 1, 3, 0}, {1, 1, 4, 0}, {7, 3, 3, 0}, {257, 19, 3, 5}, {64, 64, 4, 0}, {333, 41, 4, 12},
                 {5, 900, 1, 3}, {1, 200, 3, 0}};
    for (const auto& c : cases)
        for (int kind = 0; kind < 3; ++kind) {
            const size_t row = size_t(c.w * c.bpp), stride = row + c.pad;
            const std::vector<uint8_t> px = MakePixels(c.w, c.h, c.bpp, stride, kind);
            const std::vector<uint8_t> packed = PackPixels(px.data(), c.w, c.h, c.bpp, stride);
            ASSERT_FALSE(packed.empty()) << c.w << "x" << c.h << " kind " << kind;
            std::vector<uint8_t> out(row * size_t(c.h), 0x55);
            ASSERT_TRUE(UnpackPixels(packed, out.data(), c.w, c.h, c.bpp)) << c.w << "x" << c.h << " kind " << kind;
            for (int y = 0; y < c.h; ++y)
                ASSERT_TRUE(std::equal(out.begin() + ptrdiff_t(size_t(y) * row),
                                       out.begin() + ptrdiff_t(size_t(y + 1) * row),
                                       px.begin() + ptrdiff_t(size_t(y) * stride)))
                    << c.w << "x" << c.h << "x" << c.bpp << " kind " << kind << " row " << y;
            if (kind == 2 && c.w * c.h >= 1000) {
                EXPECT_LT(packed.size() * 20, row * size_t(c.h));  // a plain picture packs to almost nothing
            }
        }
}

TEST(PixelPack, AnythingButExactlyThePackedPictureIsRefused)
{
    constexpr int w = 120, h = 37, bpp = 3;
    const std::vector<uint8_t> px = MakePixels(w, h, bpp, w * bpp, 1);
    const std::vector<uint8_t> packed = PackPixels(px.data(), w, h, bpp, w * bpp);
    ASSERT_FALSE(packed.empty());
    std::vector<uint8_t> out(size_t(w * h * 4));
    std::vector<uint8_t> cut(packed.begin(), packed.end() - 5), longer = packed, flipped = packed;
    longer.push_back(0);
    flipped[flipped.size() / 2] ^= 0x10;
    const struct {
        const char* what;
        std::vector<uint8_t> data;
        int w, h, bpp;
    } refused[] = {
        {"cut short", cut, w, h, bpp},
        {"a byte after its end", longer, w, h, bpp},
        {"a byte changed", flipped, w, h, bpp},
        {"nothing", {}, w, h, bpp},
        {"fewer rows asked", packed, w, h - 1, bpp},
        {"more rows asked", packed, w, h + 1, bpp},
        {"another width", packed, w + 1, h, bpp},
        {"no pixels", packed, 0, h, bpp},
        {"five bytes a pixel", packed, w, h, 5},
    };
    for (const auto& r : refused)
        EXPECT_FALSE(UnpackPixels(r.data, out.data(), r.w, r.h, r.bpp)) << r.what;
    for (const auto& [pw, ph, pb, stride] : {std::tuple{0, 4, 3, size_t(0)}, {4, -1, 3, size_t(12)}, {4, 4, 3, size_t(11)}})
        EXPECT_TRUE(PackPixels(px.data(), pw, ph, pb, stride).empty()) << pw << "x" << ph << " stride " << stride;
    EXPECT_TRUE(PackPixels(nullptr, 4, 4, 3, 12).empty());
}
