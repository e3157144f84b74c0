#include "cutting/my_image.h"
#include "files/files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

TEST(JigsawTool, MakeThenShowDescribesTheFile)
{
    TempDir dir;
    OMyImagePtr img = MyImageCreateExt(900, 500, false);
    MyImageFillRect(*img, 0, 0, 900, 500, RGB(10, 120, 200));
    ASSERT_TRUE(MyImageSaveToFile(*img, dir.File("pic.png")));
    std::string out, err;
    ASSERT_EQ(RunCommand(ToolCommand() + " make-jigsaw " + dir.File("pic.png") + " " + dir.File("p.zjg") +
                             " --desc 'Blue\tsky'", &out, &err), 0) << err;
    ASSERT_EQ(RunCommand(ToolCommand() + " show " + dir.File("p.zjg"), &out, &err), 0) << err;
    const auto m = TabFields(out);
    EXPECT_EQ(m.at("kind"), "jigsaw");
    EXPECT_EQ(m.at("width"), "900");
    EXPECT_EQ(m.at("height"), "500");
    EXPECT_EQ(m.at("thumb_width"), "320");
    EXPECT_EQ(m.at("thumb_height"), "177");  // 500 * 320 / 900, truncated
    EXPECT_EQ(m.at("description"), "Blue\\tsky");
    EXPECT_EQ(m.size(), 8u);
    // The picture part is the picture file's own bytes.
    std::string error;
    OBinReader r;
    ASSERT_TRUE(r.OpenFile(dir.File("p.zjg")));
    std::string desc;
    std::vector<uint8_t> picture;
    ASSERT_TRUE(JigFile_ReadPlayParts(r, std::stoll(m.at("dataofs")), &desc, &picture));
    EXPECT_EQ(picture, ReadFileBytes(dir.File("pic.png")));
}

TEST(JigsawTool, ShowSaysInvalidJigsawForAnUnreadableFile)
{
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.File("x.zjg"), {'Z', 'I', 'V', 'R', 'A'}));
    std::string out;
    EXPECT_EQ(RunCommand(ToolCommand() + " show " + dir.File("x.zjg"), &out), 1);
    EXPECT_EQ(out, "Invalid Jigsaw\n");
    EXPECT_EQ(RunCommand(ToolCommand() + " show " + dir.File("missing.zjg"), &out), 1);
    EXPECT_NE(RunCommand(ToolCommand() + " make-jigsaw " + dir.File("x.zjg") + " " + dir.File("y.zjg"), &out), 0);
    EXPECT_FALSE(FileExists(dir.File("y.zjg")));
}

TEST(JigsawTool, ShowPlayRunsThePlayReadAndRefusesAnUndecodablePicture)
{
    const std::string tiny = SourcePath("tests/inputs/solve_file/tiny.svm");
    std::string out;
    ASSERT_EQ(RunCommand(ToolCommand() + " show '" + tiny + "' --play", &out), 0);
    EXPECT_NE(out.find("play\tok\n"), std::string::npos);
    // The working picture's BMP claims 7 bits a pixel: its size still reads, its pixels do not.
    auto bytes = ReadFileBytes(tiny);
    const size_t bmp = 11 + 12 + 5 + 120 + 4 + 102 + 4;
    ASSERT_EQ(bytes[bmp] ^ kKeySolvePicture, 'B');
    bytes[bmp + 28] = uint8_t(7 ^ kKeySolvePicture);
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.File("bad.svm"), bytes));
    EXPECT_EQ(RunCommand(ToolCommand() + " show '" + dir.File("bad.svm") + "'", &out), 0);
    EXPECT_EQ(RunCommand(ToolCommand() + " show '" + dir.File("bad.svm") + "' --play", &out), 1);
    EXPECT_EQ(out.find("play\tok"), std::string::npos);
}
