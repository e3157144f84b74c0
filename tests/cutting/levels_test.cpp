// The level table and the grid.
#include "cutting/cutting.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

struct Row { int tile, mask, ofs, cols, rows, total; };

void ExpectRow(int level, const Row& want)
{
    const TMaskParam& r = MaskParams[size_t(level)];
    EXPECT_EQ(r.TileS, want.tile) << "level " << level;
    EXPECT_EQ(r.MaskS, want.mask) << "level " << level;
    EXPECT_EQ(r.MaskOfs, want.ofs) << "level " << level;
    EXPECT_EQ(r.TilePX, want.cols) << "level " << level;
    EXPECT_EQ(r.TilePY, want.rows) << "level " << level;
    EXPECT_EQ(r.TotalTileNum, want.total) << "level " << level;
}

}  // namespace

TEST(LevelTable, WorkedExamplesMatchWithFrameAndFigureInserts)
{
    ASSERT_TRUE(FillMaskParams(1000, 750, 0, 0));
    ExpectRow(0, {20, 28, 4, 50, 37, 1850});
    ExpectRow(6, {56, 28 + 6 * 9, (82 - 56) / 2, 17, 13, 221});
    // 1 % growth from 187 first gives 15 pieces, below 17: 187 stays.
    ExpectRow(13, {187, 274, 43, 5, 4, 20});

    ASSERT_TRUE(FillMaskParams(1600, 1200, 0, 0));
    TMaskParam r;
    FillMaskParam(r, 1600, 1200, 20, 0, 0);
    EXPECT_EQ(r.TotalTileNum, 4800);
    FillMaskParam(r, 1600, 1200, 21, 0, 0);
    EXPECT_EQ(r.TotalTileNum, 4332);
    EXPECT_EQ(MaskParams[0].TileS, 22);
    EXPECT_EQ(MaskParams[0].TotalTileNum, 72 * 54);
    EXPECT_EQ(MaskParams[13].TileS, 300);
    EXPECT_EQ(MaskParams[13].TotalTileNum, 20);

    // The frame and the figure style's pictures count in the table.
    ASSERT_TRUE(FillMaskParams(1024, 768, 3, 1));
    const TMaskParam& r13 = MaskParams[13];
    EXPECT_EQ(r13.TileS, 192);
    EXPECT_EQ(r13.TileNum, 15);
    EXPECT_EQ(r13.PicNum, 2);
    EXPECT_EQ(r13.TotalTileNum, 17);
    FillMaskParam(r, 440, 340, 40, 0, 1);
    EXPECT_EQ(r.TilePX, 10);
    EXPECT_EQ(r.TilePY, 7);
    FillMaskParam(r, 400, 280, 40, 3, 0);
    EXPECT_EQ(r.TileNum, 70);
    EXPECT_EQ(r.PicNum, 15);
    EXPECT_EQ(r.TotalTileNum, 85);
    // (tile - 20) / 4 truncates toward zero: tiles 17..23 all get mask 28.
    for (int tile : {17, 20, 23}) {
        FillMaskParam(r, 400, 280, tile, 0, 0);
        EXPECT_EQ(r.MaskS, 28) << tile;
    }
}

TEST(LevelTable, RealisticPicturesGiveAnOrderedTable)
{
    const int sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1920, 1080}, {2560, 1920}, {3000, 500}, {333, 999}};
    for (const auto& s : sizes)
        for (int style : {0, 3})
            for (int border : {0, 1}) {
                ASSERT_TRUE(FillMaskParams(s[0], s[1], style, border));
                EXPECT_LE(MaskParams[0].TotalTileNum, kMaxLevelPieces);
                if (MaskParams[0].TileS > 20) {
                    TMaskParam finer;
                    FillMaskParam(finer, s[0], s[1], MaskParams[0].TileS - 1, style, border);
                    EXPECT_GT(finer.TotalTileNum, kMaxLevelPieces);
                }
                for (int i = 1; i < kMaskLevels; ++i) {
                    EXPECT_GE(MaskParams[size_t(i)].TileS, MaskParams[size_t(i - 1)].TileS);
                    EXPECT_LE(MaskParams[size_t(i)].TotalTileNum, MaskParams[size_t(i - 1)].TotalTileNum);
                }
                EXPECT_GE(MaskParams[13].TotalTileNum, 16);
            }
}

TEST(LevelTable, TinyZeroOrHugePicturesNeitherHangNorGoNegative)
{
    // Sides below 4, or up to 40 with the frame, used to divide by zero or
    // search for ever; a picture narrower than the frame gave negative columns.
    for (int border : {0, 1})
        for (int style : {0, 3})
            for (int w = 1; w <= 60; ++w)
                for (int h = 1; h <= 60; h += 3) {
                    const bool usable = FillMaskParams(w, h, style, border);
                    bool anyPiece = false;
                    for (const TMaskParam& r : MaskParams) {
                        ASSERT_GE(r.TilePX, 0);
                        ASSERT_GE(r.TilePY, 0);
                        ASSERT_GE(r.TotalTileNum, 0);
                        anyPiece |= r.TotalTileNum > 0;
                    }
                    EXPECT_EQ(usable, anyPiece);
                    const bool tooSmall = std::min(w, h) < 4 || (border == 1 && std::min(w, h) <= 40);
                    if (tooSmall) {
                        EXPECT_FALSE(usable) << w << "x" << h << " border " << border;
                    }
                }
    TMaskParam r;
    FillMaskParam(r, 30, 30, 10, 0, 1);
    EXPECT_EQ(r.TilePX, 0);
    EXPECT_EQ(r.TotalTileNum, 0);
    // Zero, negative or huge sides leave the table alone.
    ASSERT_TRUE(FillMaskParams(1000, 750, 0, 0));
    const auto before = MaskParams;
    EXPECT_FALSE(FillMaskParams(0, 750, 0, 0));
    EXPECT_FALSE(FillMaskParams(1000, -1, 0, 0));
    EXPECT_FALSE(FillMaskParams(kMyImageMaxSide + 1, 750, 0, 0));
    EXPECT_EQ(MaskParams, before);
}

TEST(LevelTable, DialogParametersFollowTheChosenRow)
{
    ASSERT_TRUE(FillMaskParams(440, 340, 0, 1));
    TJigParams p;
    p.BorderStyle = 1;
    SetJigParamsFromLevel(p, 440, 340, 13);
    const TMaskParam& r = MaskParams[13];
    EXPECT_EQ(p.Level, 13);
    EXPECT_EQ(std::tie(p.TileS, p.MaskS, p.MaskOfs), std::tie(r.TileS, r.MaskS, r.MaskOfs));
    EXPECT_EQ(p.StuckD, std::max(4, r.MaskOfs / 2));
    // The grid is counted inside the frame.
    EXPECT_EQ(p.TilePX, (440 - 40) / r.TileS);
    EXPECT_EQ(p.TilePY, (340 - 40) / r.TileS);
    EXPECT_EQ(p.TotalTileNum, p.TilePX * p.TilePY);
}

TEST(Grid, SparePixelsGoToTheFirstCellsAndTheCellsTileTheField)
{
    for (int frame : {0, kFrameWidth}) {
        TJigParams p;
        p.ImageW = 1003 + 2 * frame, p.ImageH = 707 + 2 * frame;
        p.TileS = 100, p.MaskOfs = 17, p.TilePX = 10, p.TilePY = 7, p.JigsL = p.JigsT = frame;
        std::vector<TJig> jigs(71);
        InitJigsAr(p, jigs);
        for (int c = 0; c < 10; ++c)
            EXPECT_EQ(jigs[size_t(c)].CellW, c < 3 ? 101 : 100);
        for (int r = 0; r < 7; ++r)
            EXPECT_EQ(jigs[size_t(r * 10)].CellH, 101);
        // The cells cover the field exactly: each starts where its left / upper one ends.
        for (int r = 0; r < 7; ++r)
            for (int c = 0; c < 10; ++c) {
                const TJig& j = jigs[size_t(r * 10 + c)];
                EXPECT_EQ(j.CellX, c == 0 ? frame : jigs[size_t(r * 10 + c - 1)].CellX + jigs[size_t(r * 10 + c - 1)].CellW);
                EXPECT_EQ(j.CellY, r == 0 ? frame : jigs[size_t((r - 1) * 10 + c)].CellY + jigs[size_t((r - 1) * 10 + c)].CellH);
                // Boxes reach MaskOfs into the neighbours, never past the field.
                EXPECT_EQ(j.HomeX, c == 0 ? j.CellX : j.CellX - 17);
                EXPECT_EQ(j.HomeX + j.W, c == 9 ? j.CellX + j.CellW : j.CellX + j.CellW + 17);
                for (int16_t nb : j.Nb)
                    EXPECT_EQ(nb, -1);
            }
        const TJig& last = jigs[69];
        EXPECT_EQ(last.CellX + last.CellW, p.ImageW - frame);
        EXPECT_EQ(last.CellY + last.CellH, p.ImageH - frame);
    }
}

TEST(Grid, NoTwoTouchingCellsShareAColourCode)
{
    TJigParams p;
    p.ImageW = 800, p.ImageH = 600, p.TileS = 50, p.TilePX = 16, p.TilePY = 12;
    std::vector<TJig> jigs(16 * 12);
    InitJigsAr(p, jigs);
    EXPECT_EQ(jigs[0].MaskColor, 25);
    EXPECT_EQ(jigs[1].MaskColor, 150);
    EXPECT_EQ(jigs[16].MaskColor, 200);
    EXPECT_EQ(jigs[17].MaskColor, 125);
    for (int r = 0; r < 12; ++r)
        for (int c = 0; c < 16; ++c)
            for (int dr = -1; dr <= 1; ++dr)
                for (int dc = -1; dc <= 1; ++dc) {
                    const int rr = r + dr, cc = c + dc;
                    if ((dr || dc) && rr >= 0 && rr < 12 && cc >= 0 && cc < 16) {
                        EXPECT_NE(jigs[size_t(r * 16 + c)].MaskColor, jigs[size_t(rr * 16 + cc)].MaskColor);
                    }
                }
}
