// How pieces show on the table: the eased outline and the baked shadow.
#include "cutting/piece_looks.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// An RGBA image opaque where `mask` has '#', one row per string.
OMyImage FromRows(const std::vector<std::string>& rows, uint8_t grey = 200)
{
    OMyImage img(int(rows[0].size()), int(rows.size()), true);
    for (int y = 0; y < img.H; ++y)
        for (int x = 0; x < img.W; ++x) {
            uint8_t* p = MyImageGetLineXY(img, x, y);
            const bool on = rows[size_t(y)][size_t(x)] == '#';
            p[0] = p[1] = p[2] = on ? grey : 0;
            p[3] = on ? 255 : 0;
        }
    return img;
}

}  // namespace

TEST(EasedOutline, EdgesCornersAndSquaresOfAStripEaseAsTheReferenceSays)
{
    // Two squares of a strip side by side, each filled to its edge: the
    // squares must not see each other's pixels.
    const OMyImage img = FromRows({
        "######..", "######..", "##.###..", "######..",
    });
    std::vector<uint8_t> row(size_t(img.W) * 4);
    for (int cellW : {img.W, 4}) {
        for (int y = 0; y < img.H; ++y) {
            EasedPremultipliedRow(img, cellW, y, row.data());
            for (int x = 0; x < img.W; ++x) {
                const int want = EasedAlphaAt(img, cellW, x, y);
                ASSERT_EQ(row[size_t(x) * 4 + 3], want) << cellW << " " << x << "," << y;
                const bool opaque = MyImageGetLineXY(img, x, y)[3] != 0;
                EXPECT_EQ(want > 0, opaque) << "opaque pixels stay visible, clear ones clear";
                EXPECT_EQ(row[size_t(x) * 4], (200 * want + 127) / 255) << "premultiplied";
            }
        }
    }
    // The table of the legend: a corner, an edge, the inside.
    const OMyImage big = FromRows({"#####", "#####", "#####", "#####", "#####"});
    EXPECT_EQ(EasedAlphaAt(big, 5, 0, 0), 143);
    EXPECT_EQ(EasedAlphaAt(big, 5, 2, 0), 191);
    EXPECT_EQ(EasedAlphaAt(big, 5, 2, 2), 255);
    // In a strip of squares 4 wide, column 3 is a square's right edge: the
    // next square's pixels do not count (11 of 16, beside the hole at (2, 2)).
    EXPECT_EQ(EasedAlphaAt(img, 4, 3, 1), 175);
    EXPECT_EQ(EasedAlphaAt(img, img.W, 3, 1), 239);
    // A lone pixel is faint but there.
    EXPECT_EQ(EasedAlphaAt(FromRows({"...", ".#.", "..."}), 3, 1, 1), 64);
}

TEST(BakedShadow, FallsToTheLowerRightOfEveryTurnAndNeverUnderTheOpaquePiece)
{
    // An L-shaped piece, 6 x 4, so that every turn differs.
    const OMyImage upright = FromRows({"######", "######", "##....", "##...."}, 180);
    const int w = 6, h = 4;
    // The rotation strip: squares of side 6, each turn at its square's top left.
    OMyImage strip(24, 6, true);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* s = MyImageGetLineXY(upright, x, y);
            const int pos[4][2] = {{x, y}, {6 + h - 1 - y, x}, {12 + w - 1 - x, h - 1 - y}, {18 + y, w - 1 - x}};
            for (const auto& p : pos)
                std::memcpy(MyImageGetLineXY(strip, p[0], p[1]), s, 4);
        }
    const TShadowLook& look = kShadowLook;
    std::vector<uint8_t> shadow;
    MakeShadowAlpha(upright, w, h, look, shadow);
    ASSERT_EQ(shadow.size(), size_t(w + 2 * look.Margin()) * size_t(h + 2 * look.Margin()));
    for (int r = 0; r < 4; ++r) {
        const bool odd = r % 2 == 1;
        const int dw = odd ? h : w, dh = odd ? w : h;
        const int cw = dw + look.ExtraW(), ch = dh + look.ExtraH();
        std::vector<uint8_t> cell(size_t(cw) * size_t(ch) * 4);
        BakeShadowedCell(strip, 6, r, w, h, shadow, nullptr, look, cell.data(), size_t(cw) * 4);
        auto at = [&](int u, int v) { return cell.data() + (size_t(v) * size_t(cw) + size_t(u)) * 4; };
        for (int v = 0; v < ch; ++v)
            for (int u = 0; u < cw; ++u) {
                const bool inside = u < dw && v < dh && MyImageGetLineXY(strip, r * 6 + u, v)[3] != 0;
                const uint8_t* p = at(u, v);
                if (inside && EasedAlphaAt(strip, 6, r * 6 + u, v) == 255) {
                    ASSERT_EQ(p[0], 180) << "the piece's own colour, untouched";
                    ASSERT_EQ(p[3], 255);
                } else if (!inside) {
                    ASSERT_EQ(p[0], 0) << "a shadow is black";
                }
            }
        // Just past the bottom-right corner of the turned box the shadow
        // shows; as far to the top left outside the box it does not.
        int lastU = 0;
        for (int u = 0; u < dw; ++u)
            if (MyImageGetLineXY(strip, r * 6 + u, 0)[3] != 0)
                lastU = u;
        EXPECT_GT(at(lastU + look.offsetX, look.offsetY)[3], 0) << "turn " << r;
        EXPECT_EQ(at(cw - 1, 0)[3], 0) << "turn " << r;
        // Where the shadow may not fall, nothing of it is left.
        std::vector<uint8_t> none(size_t(cw) * size_t(ch), 0), bare(cell.size());
        BakeShadowedCell(strip, 6, r, w, h, shadow, none.data(), look, bare.data(), size_t(cw) * 4);
        for (int v = 0; v < ch; ++v)
            for (int u = 0; u < cw; ++u) {
                const bool inside = u < dw && v < dh;
                const uint8_t a = bare[(size_t(v) * size_t(cw) + size_t(u)) * 4 + 3];
                ASSERT_EQ(a, inside ? EasedAlphaAt(strip, 6, r * 6 + u, v) : 0) << u << "," << v;
            }
    }
}
