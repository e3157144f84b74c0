#include "model/game_state.h"
#include "model/memory_field.h"
#include "model/puzzle.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(PuzzleRecords, PieceBytesLandAtTheirFileOffsets)
{
    // Saved games hold the records byte for byte; a field written in memory
    // must come out at its offset in the file.
    TJig j;  // every byte is a named field: no hidden padding to compare
    j.Layer = 0x01020304;
    j.Rot = 3;
    j.Nb[0] = -1;
    j.Nb[8] = 0x1234;
    j.MaskColor = 225;
    uint8_t bytes[sizeof(TJig)];
    std::memcpy(bytes, &j, sizeof j);
    EXPECT_EQ(bytes[8], 0x04);
    EXPECT_EQ(bytes[11], 0x01);
    EXPECT_EQ(bytes[13], 3);
    EXPECT_EQ(bytes[90], 0xFF);
    EXPECT_EQ(bytes[91], 0xFF);
    EXPECT_EQ(bytes[106], 0x34);
    EXPECT_EQ(bytes[107], 0x12);
    EXPECT_EQ(bytes[108], 225);

    TJigParams p;
    p.TotalTileNum = 4001;
    p.FitToScreen = 1;
    p.DataOfs = 12345;
    uint8_t pb[sizeof(TJigParams)];
    std::memcpy(pb, &p, sizeof p);
    EXPECT_EQ(pb[44] | (pb[45] << 8), 4001);
    EXPECT_EQ(pb[88], 1);
    EXPECT_EQ(pb[112] | (pb[113] << 8), 12345);
}

TEST(PuzzleRecords, DrawCoordsFollowTheRotation)
{
    CreateJigsBuf(2);
    Jigs[0].W = 30;
    Jigs[0].H = 50;
    const struct { int rot, drawW, drawH, srcX; } cases[] = {
        {0, 30, 50, 0}, {1, 50, 30, 50}, {2, 30, 50, 100}, {3, 50, 30, 150}};
    for (const auto& c : cases) {
        Jigs[0].Rot = uint8_t(c.rot);
        UpdateJigDrawCoords(0);
        EXPECT_EQ(Jigs[0].DrawW, c.drawW);
        EXPECT_EQ(Jigs[0].DrawH, c.drawH);
        EXPECT_EQ(Jigs[0].SrcX, c.srcX);
        EXPECT_EQ(Jigs[0].SrcY, 0);
    }
}

TEST(PuzzleRecords, CreateReplacesTheWholeTableAndGameChangedMarksTheSave)
{
    CreateJigsBuf(3);
    Jigs[1].X = 77;
    arPicJigs.emplace_back(4, 4, true);
    CreateJigsBuf(5);
    EXPECT_EQ(Jigs.size(), 5u);
    EXPECT_EQ(SortedJigs.size(), 5u);
    EXPECT_TRUE(arPicJigs.empty());
    EXPECT_EQ(Jigs[1].X, 0);
    FreeJigsBuf();
    EXPECT_TRUE(Jigs.empty());
    EXPECT_TRUE(SortedJigs.empty());
    GameChanged();  // marks both save flags and the window
    EXPECT_TRUE(AutoSaveP.bNeedSave);
    EXPECT_TRUE(AutoSaveP.bNeedAutoSave);
    EXPECT_TRUE(Recorder().edited);
}

TEST(PlaySize, HeaderSizeIsFittedToTheLargestView)
{
    SetHeadlessViewSize(1920, 1080);
    NewJigP.ImageW = 2560;
    NewJigP.ImageH = 1920;
    SetImageSize(0);
    EXPECT_EQ(NewJigP.FitW, 1440);
    EXPECT_EQ(NewJigP.FitH, 1080);
    NewJigP.ImageW = 0;  // a hostile header: no division by zero
    NewJigP.ImageH = 0;
    SetImageSize(0);
    EXPECT_EQ(NewJigP.FitW, 0);
}

TEST(PlaySize, FittedPictureIsResizedAndOtherwiseCopied)
{
    SetHeadlessViewSize(100, 100);
    miOriginalImage = MyImageCreateExt(200, 100, false);
    MyImageFillRect(*miOriginalImage, 0, 0, 200, 100, RGB(10, 20, 30));
    NewJigP.ImageW = 200;
    NewJigP.ImageH = 100;
    NewJigP.FitToScreen = 1;
    SetImageSize(0);
    JigP = NewJigP;
    ASSERT_TRUE(SetImageSize(1));
    EXPECT_EQ(JigP.ImageW, 100);
    EXPECT_EQ(JigP.ImageH, 50);
    ASSERT_TRUE(miJigs);
    EXPECT_TRUE(miJigs->bAlpha);
    EXPECT_EQ(MyImageGetPixel(*miJigs, 99, 49), RGB(10, 20, 30));
    EXPECT_EQ(MyImageGetPixelAlpha(*miJigs, 99, 49), 255);

    NewJigP.FitToScreen = 0;
    JigP = NewJigP;
    ASSERT_TRUE(SetImageSize(1));
    EXPECT_EQ(JigP.ImageW, 200);
    EXPECT_EQ(miJigs->W, 200);

    miOriginalImage.reset();
    EXPECT_FALSE(SetImageSize(1));
}

TEST(PuzzleRecords, DraggedGroupAsksForTheStillBuffer)
{
    OMemoryField host;
    SetFieldHost(&host);
    CreateJigsBuf(2);
    UpdateDraggedJigScr();  // idle, no weight: nothing
    host.bWeightVisible = true;
    UpdateDraggedJigScr();
    DragJigP.State = kDragPieces;
    iCurJig = 1;
    UpdateDraggedJigScr();
    EXPECT_EQ(host.arStillBufModes, (std::vector<int>{kComposeAll, kComposeWithoutDragged}));
    SetFieldHost(nullptr);
}
