// The colour square of the background dialog.
#include "field/bkg_palette.h"

#include <gtest/gtest.h>

namespace {

OMyImagePtr DrawSquare()
{
    OMyImagePtr img = MyImageCreateExt(300, 300, false);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 300; ++x) {
            int r, g, b;
            CoordToColorSquare(x, y, &r, &g, &b);
            MyImageSetPixel(*img, x, y, RGB(uint32_t(r), uint32_t(g), uint32_t(b)));
        }
    return img;
}

}  // namespace

TEST(ColourSquare, CornersAndSectorsGiveTheirColours)
{
    const struct { int x, y, r, g, b; } probes[] = {
        {0, 150, 255, 0, 0},      // pure red on the hue line
        {25, 150, 255, 0, 127},   // half way to magenta
        {0, 0, 255, 255, 255},    // top is white
        {0, 300, 0, 0, 0},        // bottom is black
        {100, 150, 0, 0, 255},    // blue starts the third sector
        {300, 150, 255, 0, 0},    // the right edge stays in the last sector: back at red
        {200, 75, 127, 255, 127}, // green half way to white
    };
    for (const auto& p : probes) {
        int r = -1, g = -1, b = -1;
        EXPECT_TRUE(CoordToColorSquare(p.x, p.y, &r, &g, &b));
        EXPECT_EQ(r, p.r) << p.x << "," << p.y;
        EXPECT_EQ(g, p.g) << p.x << "," << p.y;
        EXPECT_EQ(b, p.b) << p.x << "," << p.y;
    }
}

TEST(ColourSquare, ColourIsFoundAtItsBestPlaceFirstOnATieAndNotWhenFarFromEveryPixel)
{
    const OMyImagePtr square = DrawSquare();
    int x = -1, y = -1;
    ASSERT_TRUE(ColorToCoord(*square, RGB(255, 0, 0), &x, &y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 150);
    ASSERT_TRUE(ColorToCoord(*square, RGB(255, 255, 255), &x, &y));  // the whole top row is white
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    // Pure red is already within 5 of (250, 0, 0), but the exact match three
    // rows further down wins.
    ASSERT_TRUE(ColorToCoord(*square, RGB(250, 0, 0), &x, &y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 153);
    x = y = -7;
    EXPECT_FALSE(ColorToCoord(*square, RGB(128, 128, 128), &x, &y));  // greys lie off the square
    EXPECT_FALSE(ColorToCoord(OMyImage(), RGB(255, 0, 0), &x, &y));
    EXPECT_EQ(x, -7);
    EXPECT_EQ(y, -7);
}
