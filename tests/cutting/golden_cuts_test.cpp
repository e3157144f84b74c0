// Golden cuts: players share a jigsaw and a seed and expect the same puzzle,
// so a cut from a seed must never change from one build to the next. A
// dozen small cuts over every shape style, with and without the frame and
// rotation, go through the game's own path (the records of the open game,
// the cut, the piece images) and their digests are compared with the ones
// stored here. A change in the order of random draws, in a curve or in the
// emboss shows up as a changed digest.
//
// When a cut is changed on purpose, the failure message prints the new
// digests; replace the stored ones and say why in the commit.
#include "cutting/cut_test_support.h"
#include "model/game_cut.h"
#include "model/puzzle.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

namespace {

// 64-bit FNV-1a, fed in the order the digest names.
class Digest {
public:
    void Add(const void* data, size_t n)
    {
        const auto* p = static_cast<const uint8_t*>(data);
        for (size_t i = 0; i < n; ++i) {
            h_ ^= p[i];
            h_ *= 0x100000001B3ull;
        }
    }
    void AddInt(int64_t v) { Add(&v, sizeof v); }
    // Size, format and the visible bytes of every row (never row padding).
    void AddImage(const OMyImage& img)
    {
        AddInt(img.W), AddInt(img.H), AddInt(img.bAlpha);
        if (!img.HasPixels())
            return;
        for (int y = 0; y < img.H; ++y)
            Add(MyImageGetLineXY(img, 0, y), size_t(img.W) * size_t(img.iBPP));
    }
    uint64_t Value() const { return h_; }

private:
    uint64_t h_ = 0xCBF29CE484222325ull;
};

struct TGolden {
    int w, h, level, style;
    bool frame, rotate;
    int emboss;
    uint32_t seed;
    int pieces;           // TotalTileNum after the cut, the frame piece included
    uint64_t mask;        // the mask image's pixels
    uint64_t table;       // JigP and the used records of Jigs, byte for byte
    uint64_t images;      // every piece image (rotation strips included)
};

// clang-format off
const TGolden kGolden[] = {
    // w    h  lvl sty frame  rotate emb  seed  pieces  mask                   table                  images
    {200, 150, 12, 0, false, false, 1,   11,   20, 0x1132DB3122C42FD0, 0xC29C1B3A4A565F81, 0x26BC6589A85482C0},
    {200, 150, 12, 0, true , true , 2,   12,   25, 0xF8F1F87B156F3B20, 0x73DF4E6D17A32D69, 0x2B5A644EE24D9022},
    {173, 131, 12, 1, false, true , 3,   13,   20, 0x0E51F6619135143A, 0x0327E79FBADA29D8, 0xF2418A9E0009A13F},
    {173, 131, 12, 1, true , false, 0,   14,   25, 0x833CA4567B0A0BA9, 0x51F6DE7D9DB7656B, 0xFFEBE73A9ACECCD6},
    {240, 160, 13, 2, false, false, 2,   15,   24, 0x66A54E7BD802F259, 0x93C3CE440B2BE3C4, 0x7D3E9CEF2B9A97BB},
    {240, 160, 13, 2, true , true , 1,   16,   19, 0x15066D5279AF2E12, 0x7718EAF02FA925C4, 0x56ED455124353766},
    {260, 190, 12, 3, false, true , 1,   17,   20, 0x1FFE57F4F18589E9, 0x42C2D59EBEA76103, 0xEEFE6D5256143C38},
    {260, 190, 12, 3, true , false, 3,   18,   16, 0xC99C8A3B28CEC6A5, 0xD6A0503D0487BF15, 0x73B168DC0DF9B33D},
    {220, 170, 12, 4, false, false, 1,   19,   20, 0xAC7445238C95D092, 0x1E5DA25A5454AD52, 0x6926E0A1EE4BB53E},
    {220, 170, 12, 4, true , true , 2,   20,   21, 0x99CE6BDA4E29CBAF, 0x80C01C5EAAB74538, 0x045D6E180FC4368D},
    {210, 150, 12, 5, true , false, 1,   21,   25, 0xEA4C4519FB652341, 0x18D549C162C6491F, 0xA1E741838923AE76},
    {210, 150, 12, 6, false, true , 0,   22,   24, 0xAFA20933978AC697, 0x77063D43EB529BC2, 0xF1BA270C5AD8E1DB},
};
// clang-format on

// Cuts one case as the game does when it opens a jigsaw and digests the result.
TGolden CutAndDigest(const TGolden& c)
{
    ResetAllState();
    Cutting_LoadStyleData(SourcePath("resources"));
    JigP = TJigParams{};
    JigP.ImageW = c.w;
    JigP.ImageH = c.h;
    JigP.ShapeStyle = uint8_t(c.style);
    JigP.BorderStyle = c.frame;
    JigP.Rotate = c.rotate;
    JigP.GameSeed = int32_t(c.seed);
    FillMaskParams(c.w, c.h, c.style, c.frame);
    SetJigParamsFromLevel(JigP, c.w, c.h, c.level);
    CreateJigsBuf(JigP.TotalTileNum + 1);
    miJigs = MakeTestPicture(c.w, c.h, c.seed);
    SRand(c.seed);
    const TCutStatus status = c.style >= 4 ? CreateMasksForVectorStyle() : CreateMasksForVoronoiStyle();
    EXPECT_EQ(status, TCutStatus::Done);
    CopyJigsToTextures(true, c.emboss);

    TGolden out = c;
    out.pieces = JigP.TotalTileNum;
    Digest mask, table, images;
    if (miMasks)
        mask.AddImage(*miMasks);
    table.Add(&JigP, sizeof JigP);
    for (int i = 0; i < JigP.TotalTileNum; ++i)
        table.Add(&JigAt(i), sizeof(TJig));
    images.AddInt(int64_t(arPicJigs.size()));
    for (const OMyImage& img : arPicJigs)
        images.AddImage(img);
    out.mask = mask.Value();
    out.table = table.Value();
    out.images = images.Value();
    return out;
}

}  // namespace

TEST(GoldenCuts, TheSameSeedCutsTheSamePuzzleInEveryBuild)
{
    std::string fresh;
    bool changed = false;
    for (const TGolden& c : kGolden) {
        const TGolden got = CutAndDigest(c);
        char line[256];
        std::snprintf(line, sizeof line,
                      "    {%d, %d, %d, %d, %-5s, %-5s, %d, %4u, %4d, 0x%016" PRIX64 ", 0x%016" PRIX64
                      ", 0x%016" PRIX64 "},\n",
                      c.w, c.h, c.level, c.style, c.frame ? "true" : "false", c.rotate ? "true" : "false", c.emboss,
                      c.seed, got.pieces, got.mask, got.table, got.images);
        fresh += line;
        const bool same = got.pieces == c.pieces && got.mask == c.mask && got.table == c.table &&
                          got.images == c.images;
        EXPECT_TRUE(same) << "style " << c.style << " frame " << c.frame << " rotate " << c.rotate << " seed "
                          << c.seed << " cuts differently";
        changed = changed || !same;
    }
    if (changed)
        ADD_FAILURE() << "digests of this build:\n" << fresh;
}
