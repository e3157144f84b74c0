// A real cut for the rule tests: a small picture cut by the cutter in one
// style, with or without the frame, its pieces laid out on side 0 as a new
// game lays them out.
#pragma once

#include "cutting/cutting.h"
#include "model/game_cut.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

// The cut alone: the pieces' records and images, not yet laid out.
inline void CutRealPictureOnly(int style, bool frame, bool rotate, int level = 10)
{
    constexpr int kW = 360, kH = 270;
    JigP = TJigParams{};
    JigP.ImageW = kW;
    JigP.ImageH = kH;
    JigP.ShapeStyle = uint8_t(style);
    JigP.BorderStyle = frame;
    JigP.Rotate = rotate;
    FillMaskParams(kW, kH, style, frame);
    SetJigParamsFromLevel(JigP, kW, kH, level);
    ASSERT_GT(JigP.TileNum, 8);
    CreateJigsBuf(JigP.TotalTileNum + 1);
    miJigs = MyImageCreate(kW, kH);  // smooth enough that every piece has a look of its own
    for (int y = 0; y < kH; ++y) {
        uint8_t* p = MyImageGetLineXY(*miJigs, 0, y);
        for (int x = 0; x < kW; ++x, p += 4) {
            p[0] = uint8_t(x * 255 / kW);
            p[1] = uint8_t(y * 255 / kH);
            p[2] = uint8_t((x ^ y) & 255);
            p[3] = 255;
        }
    }
    Cutting_LoadStyleData(SourcePath("resources"));
    SRand(4242);
    ASSERT_EQ(style >= 4 ? CreateMasksForVectorStyle() : CreateMasksForVoronoiStyle(), TCutStatus::Done);
    CopyJigsToTextures(true, 1);
    ASSERT_EQ(int(arPicJigs.size()), JigP.TotalTileNum);
}

inline void CutRealPicture(int style, bool frame, bool rotate, int level = 10)
{
    ASSERT_NO_FATAL_FAILURE(CutRealPictureOnly(style, frame, rotate, level));
    for (int i = 0; i < JigsInPlay(); ++i) {
        TJig& j = Jigs[size_t(i)];
        j.Layer = i;
        j.Win = 0;
        j.Rot = uint8_t(rotate ? MyRandom(4) : 0);
        UpdateJigDrawCoords(i);
    }
    RemixJigs(0, 1);
    if (const int f = FrameJig(); f >= 0) {
        Jigs[size_t(f)].X = (iMaxMainViewScrollW - JigP.ImageW) / 2;
        Jigs[size_t(f)].Y = (iMaxMainViewScrollH - JigP.ImageH) / 2;
        Jigs[size_t(f)].Rot = 0;
        UpdateJigDrawCoords(f);
    }
    SortJigs(kSortAscending);
}
