// Opening a jigsaw for play in the Figure and grid styles: the play read
// takes the pictures and the tab atlas from the resource folder.
#include "cutting/cutting.h"
#include "files/files.h"
#include "files/solve_file.h"
#include "model/memory_field.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

std::string MakeJigsaw(const TempDir& dir, int w, int h)
{
    OMyImagePtr img = MyImageCreateExt(w, h, false);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            MyImageSetPixel(*img, x, y, RGB(uint32_t(x), uint32_t(y), uint32_t((x ^ y) & 255)));
    const std::vector<uint8_t> png = MyImageEncode(*img, "PNG");
    const uint8_t keys[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    std::string error;
    const std::string path = dir.File("Styles.zjg");
    EXPECT_TRUE(SaveJigFile(path, uint32_t(w), uint32_t(h), keys, png, "Styles", png, &error)) << error;
    return path;
}

}  // namespace

TEST(PlayOpenStyles, TheFigureAndGridStylesOpenWithTheirPicturesAndAtlas)
{
    OMemoryField field;
    SetFieldHost(&field);
    TempDir dir;
    FileNames.sResourcePath = SourcePath("resources");
    const std::string path = MakeJigsaw(dir, 420, 320);
    for (int style = 3; style <= 6; ++style) {
        NewJigP = TJigParams{};
        ASSERT_TRUE(OpenJigFile_ForListOrPreview(path, false));
        NewJigP.ShapeStyle = uint8_t(style);
        NewJigP.BorderStyle = uint8_t(style & 1);
        ASSERT_TRUE(FillMaskParams(NewJigP.ImageW, NewJigP.ImageH, style, NewJigP.BorderStyle));
        SetJigParamsFromLevel(NewJigP, NewJigP.ImageW, NewJigP.ImageH, 4);
        ASSERT_TRUE(OpenGameFile(path, 7u)) << "style " << style;
        EXPECT_EQ(JigP.ShapeStyle, style);
        EXPECT_GT(JigP.TotalTileNum, 4);
        int pictures = 0;
        for (int i = 0; i < JigP.TotalTileNum; ++i)
            pictures += Jigs[size_t(i)].PicCell;
        EXPECT_EQ(pictures > 0, style == 3) << "style " << style;
        EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Log), 0) << "pictures and atlas were found";
        ASSERT_EQ(arPicJigs.size(), size_t(JigP.TotalTileNum));
    }
    SetFieldHost(nullptr);
}
