// Piece images: the cut-outs, the rotation strips and the emboss.
#include "cutting/cut_test_support.h"
#include "cutting/piece_images.h"
#include "model/game_cut.h"
#include "model/puzzle.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// An image with alpha: opaque where `shape` says so, colours from `seed`.
OMyImage ShapeImage(int w, int h, uint32_t seed, bool (*shape)(int x, int y, uint32_t))
{
    OMyImage img(w, h, true);
    SRand(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = MyImageGetLineXY(img, x, y);
            p[0] = uint8_t(MyRandom(256)), p[1] = uint8_t(MyRandom(256)), p[2] = uint8_t(MyRandom(256));
            p[3] = shape(x, y, seed) ? 255 : 0;
        }
    return img;
}

bool Blobs(int x, int y, uint32_t seed)
{
    const int cx = int(seed * 7 % 23) + 5, cy = int(seed * 11 % 17) + 5;
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) < 150 || ((x * 3 + y * 5 + int(seed)) % 11 < 6 && x > 3);
}

std::vector<uint8_t> Pixels(const OMyImage& img) { return {img.pMem, img.pMem + img.ByteCount()}; }

// Upright images: every picture pixel lands in exactly one piece, with its colour.
void ExpectEveryPixelInOnePiece(const OMyImage& picture, const std::vector<TJig>& jigs,
                                const std::vector<OMyImage>& images)
{
    std::vector<int> cover(size_t(picture.W * picture.H), 0);
    for (size_t i = 0; i < images.size(); ++i) {
        const TJig& j = jigs[i];
        for (int y = 0; y < j.H; ++y)
            for (int x = 0; x < j.W; ++x)
                if (MyImageGetLineXY(images[i], x, y)[3] == 255) {
                    ++cover[size_t((j.HomeY + y) * picture.W + j.HomeX + x)];
                    ASSERT_EQ(std::memcmp(MyImageGetLineXY(images[i], x, y),
                                          MyImageGetLineXY(picture, j.HomeX + x, j.HomeY + y), 3), 0);
                }
    }
    EXPECT_EQ(std::count(cover.begin(), cover.end(), 1), picture.W * picture.H);
}

}  // namespace

TEST(Emboss, APixelBesideOneTransparentPixelBrightensByTwenty)
{
    // Style 1: depth 1, level 256, reach 3. Only the left neighbour is
    // transparent: (256 - 128) * 20 / 128 = 20.
    OMyImage img(15, 15, true);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 15; ++x) {
            uint8_t* p = MyImageGetLineXY(img, x, y);
            p[0] = 100, p[1] = 250, p[2] = 0, p[3] = 255;
        }
    MyImageGetLineXY(img, 6, 7)[3] = 0;
    OMyImage literal = std::move(*MyImageClone(img));
    CreateEmbossedEdges(img, 1);
    const uint8_t* p = MyImageGetLineXY(img, 7, 7);
    EXPECT_EQ(p[0], 120);
    EXPECT_EQ(p[1], 255);  // clamped
    EXPECT_EQ(p[2], 20);
    EXPECT_EQ(p[3], 255);
    CreateEmbossedEdgesLiteral(literal, 1);
    EXPECT_EQ(img.Bitmap, literal.Bitmap);
}

TEST(Emboss, DistancesOnceGiveTheLiteralPixelsAndNeverTouchAlpha)
{
    for (uint32_t seed = 1; seed <= 6; ++seed)
        for (int style = 0; style <= 3; ++style) {
            const OMyImage src = ShapeImage(37, 29, seed, Blobs);
            OMyImage fast = std::move(*MyImageClone(src)), literal = std::move(*MyImageClone(src));
            CreateEmbossedEdges(fast, style);
            CreateEmbossedEdgesLiteral(literal, style);
            EXPECT_EQ(fast.Bitmap, literal.Bitmap) << "seed " << seed << " style " << style;
            int changed = 0;
            for (int y = 0; y < src.H; ++y)
                for (int x = 0; x < src.W; ++x) {
                    const uint8_t *a = MyImageGetLineXY(src, x, y), *b = MyImageGetLineXY(fast, x, y);
                    ASSERT_EQ(a[3], b[3]);
                    if (a[3] == 0) {
                        ASSERT_EQ(std::memcmp(a, b, 4), 0);  // transparent pixels stay as they were
                    }
                    changed += std::memcmp(a, b, 3) != 0;
                }
            if (style == 0) {
                EXPECT_EQ(changed, 0);
            } else {
                EXPECT_GT(changed, 0);
            }
        }
}

TEST(PieceImages, RotationStripsHoldTheFourTurns)
{
    // A 30 x 50 box, all of it the piece: a 200 x 50 strip.
    OMyImagePtr picture = MakeTestPicture(80, 80);
    OMyImage masks(80, 80, true);
    MyImageFillRect(masks, 0, 0, 80, 80, RGB(128, 0, 25));
    std::vector<TJig> jigs(1);
    TJig& j = jigs[0];
    j.HomeX = 10, j.HomeY = 20, j.W = 30, j.H = 50, j.MaskColor = 25;
    std::vector<OMyImage> images;
    BuildPieceImages(*picture, masks, jigs, 1, true, 0, true, images);
    const OMyImage& strip = images[0];
    ASSERT_EQ(strip.W, 200);
    ASSERT_EQ(strip.H, 50);
    const uint8_t* topLeft = MyImageGetLineXY(*picture, 10, 20);
    auto same = [&](int x, int y) { return std::memcmp(MyImageGetLineXY(strip, x, y), topLeft, 3) == 0; };
    EXPECT_TRUE(same(0, 0));
    EXPECT_TRUE(same(50 + 50 - 1, 0));         // a quarter turn clockwise
    EXPECT_TRUE(same(2 * 50 + 30 - 1, 50 - 1)); // (129, 49): half a turn
    EXPECT_TRUE(same(3 * 50, 30 - 1));          // three quarters
    // Every copy has the same opaque area; the rest of its square is clear.
    for (int r = 0; r < 4; ++r) {
        int opaque = 0;
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 50; ++x)
                opaque += MyImageGetLineXY(strip, r * 50 + x, y)[3] == 255;
        EXPECT_EQ(opaque, 30 * 50) << r;
    }
    EXPECT_EQ(MyImageGetLineXY(strip, 35, 10)[3], 0);
}

TEST(PieceImages, OnlyTheBlueByteOfTheMaskSelectsPixels)
{
    OMyImagePtr picture = MakeTestPicture(20, 20);
    OMyImage masks(20, 20, true);
    MyImageFillRect(masks, 0, 0, 20, 20, RGB(128, 0, 150));
    MyImageFillRect(masks, 0, 0, 10, 20, RGB(7, 9, 25));  // odd red and green, blue 25
    std::vector<TJig> jigs(1);
    jigs[0].W = jigs[0].H = 20, jigs[0].MaskColor = 25;
    std::vector<OMyImage> images;
    BuildPieceImages(*picture, masks, jigs, 1, false, 0, true, images);
    EXPECT_EQ(MyImageGetLineXY(images[0], 9, 5)[3], 255);
    EXPECT_EQ(MyImageGetLineXY(images[0], 10, 5)[3], 0);
}

TEST(PieceImages, WholeCutMatchesTheLiteralMethodOnAnyThreadsAndCoversThePicture)
{
    for (bool rotate : {false, true})
        for (int border = 0; border <= 1; ++border) {
            TJigParams p = CutParams(220, 160, 5, border ? 2 : 0, border, rotate);
            std::vector<TJig> jigs;
            OMyImagePtr masks;
            ASSERT_EQ(RunCut(p, jigs, masks, uint32_t(9 + border)), TCutStatus::Done);
            OMyImagePtr picture = MakeTestPicture(220, 160, 3);
            for (int style : {0, 1, 3}) {
                std::vector<OMyImage> one, many;
                BuildPieceImages(*picture, *masks, jigs, p.TotalTileNum, rotate, style, true, one, 1);
                BuildPieceImages(*picture, *masks, jigs, p.TotalTileNum, rotate, style, true, many, 4);
                ASSERT_EQ(one.size(), size_t(p.TotalTileNum));
                for (int i = 0; i < p.TotalTileNum; ++i) {
                    const OMyImage literal = BuildPieceImageLiteral(*picture, *masks, jigs[size_t(i)], rotate, style);
                    ASSERT_EQ(Pixels(one[size_t(i)]), Pixels(literal)) << "piece " << i << " style " << style;
                    ASSERT_EQ(Pixels(many[size_t(i)]), Pixels(literal)) << "piece " << i;
                }
                if (!rotate && style == 0)
                    ExpectEveryPixelInOnePiece(*picture, jigs, one);
                // Refilling in place (another emboss) gives the same as making them anew.
                BuildPieceImages(*picture, *masks, jigs, p.TotalTileNum, rotate, 2, false, one, 2);
                BuildPieceImages(*picture, *masks, jigs, p.TotalTileNum, rotate, 2, true, many, 1);
                for (int i = 0; i < p.TotalTileNum; ++i)
                    ASSERT_EQ(Pixels(one[size_t(i)]), Pixels(many[size_t(i)]));
            }
            if (border) {
                // The frame never turns: it is kept upright only.
                const TJig& frame = jigs[size_t(p.TotalTileNum - 1)];
                std::vector<OMyImage> imgs;
                BuildPieceImages(*picture, *masks, jigs, p.TotalTileNum, rotate, 1, true, imgs);
                EXPECT_EQ(imgs.back().W, frame.W);
                EXPECT_EQ(imgs.back().H, frame.H);
            }
        }
}

namespace {
std::vector<int>* g_made = nullptr;
void RecordTexture(OMyImage& img) { g_made->push_back(img.W); }
}  // namespace

TEST(PieceImages, CopyJigsToTexturesMakesEveryImageThenItsTexture)
{
    JigP = CutParams(160, 120, 6, 0, 0, true);
    ASSERT_EQ(RunCut(JigP, Jigs, miMasks, 2), TCutStatus::Done);
    miJigs = MakeTestPicture(160, 120);
    Jigs[3].Rot = 1;
    std::vector<int> made;
    g_made = &made;
    Cutting_SetPieceTextureMaker(&RecordTexture);
    CopyJigsToTextures(true, 1);
    ASSERT_EQ(arPicJigs.size(), size_t(JigP.TotalTileNum));
    ASSERT_EQ(made.size(), arPicJigs.size());
    for (size_t i = 0; i < made.size(); ++i)
        EXPECT_EQ(made[i], arPicJigs[i].W);
    const TJig& j = Jigs[3];
    EXPECT_EQ(j.DrawW, j.H);
    EXPECT_EQ(j.SrcX, std::max(j.W, j.H));
    EXPECT_EQ(arPicJigs[3].W, 4 * std::max(j.W, j.H));
    // Nothing to do without pieces.
    made.clear();
    JigP.TotalTileNum = 0;
    CopyJigsToTextures(true, 1);
    EXPECT_TRUE(made.empty());
    g_made = nullptr;
}
