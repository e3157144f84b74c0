// The Figure style's picture file: rebuilt byte for byte from its source by
// our compiler, and drawn on a sheet by `zivra-tool pics`.
#include "cutting/my_image.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>

TEST(VectorPictures, FreshCompileMatchesTheCommittedDataFile)
{
    TempDir dir;
    std::string out, err;
    const std::string cmd = "'" + BinPath("zivra-vector-pics") + "' '" + SourcePath("tools/vector-pics/pictures.txt") +
                            "' '" + dir.File("pic.dat") + "'";
    ASSERT_EQ(RunCommand(cmd, &out, &err), 0) << err;
    const std::vector<uint8_t> fresh = ReadFileBytes(dir.File("pic.dat"));
    ASSERT_FALSE(fresh.empty());
    EXPECT_TRUE(fresh == ReadFileBytes(SourcePath("resources/pic_zivra.dat")))
        << "resources/pic_zivra.dat is stale: run `cmake --build build/release --target vector-pics` and commit";
}

TEST(VectorPictures, TheCompilerNamesTheLineOfABadSource)
{
    TempDir dir;
    std::ofstream(dir.File("bad.txt")) << "picture two\n  size 10 10\n  path M 0 0 L 10 0 L 10 10 Z\n"
                                          "  path M 0 0 L 0 10 L 10 10 Z\nend\n"
                                          "picture out\n  size 10 10\n  path M 0 0 L 11 0 L 10 10 Z\nend\n";
    std::string out, err;
    const std::string cmd = "'" + BinPath("zivra-vector-pics") + "' '" + dir.File("bad.txt") + "' '" +
                            dir.File("x.dat") + "'";
    EXPECT_EQ(RunCommand(cmd, &out, &err), 1);
    EXPECT_NE(err.find("bad.txt:1: two: outline 2 turns the other way"), std::string::npos) << err;
}

TEST(VectorPictures, PicsDrawsEveryPictureOnOneSheet)
{
    TempDir dir;
    std::string out, err;
    const std::string cmd = ToolCommand() + " pics --out '" + dir.File("sheet") + "' --data '" +
                            SourcePath("resources/pic_zivra.dat") + "'";
    ASSERT_EQ(RunCommand(cmd, &out, &err), 0) << err;
    OMyImagePtr sheet = MyImageCreateFromFile(dir.File("sheet/pics.png"), false);
    ASSERT_TRUE(sheet);
    int rows = 0;
    for (size_t at = 0; (at = out.find("\tmirror", at)) != std::string::npos; ++at)
        ++rows;
    EXPECT_GE(rows, 24);
    EXPECT_EQ(sheet->H, rows * 181 + 1);
    std::string none;
    EXPECT_EQ(RunCommand(ToolCommand() + " pics --out '" + dir.Path() + "' --data /nonexistent", &none,
                         &err),
              2);
}
