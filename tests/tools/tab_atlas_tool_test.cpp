// The grid styles' atlas, redrawn byte for byte by our generator, and
// `zivra-tool cut` in the Figure and grid styles.
#include "cutting/my_image.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(TabAtlasTool, FreshDrawingMatchesTheCommittedAtlas)
{
    TempDir dir;
    std::string out, err;
    ASSERT_EQ(RunCommand("'" + BinPath("zivra-tab-atlas") + "' '" + dir.File("a.gif") + "'", &out, &err), 0) << err;
    const std::vector<uint8_t> fresh = ReadFileBytes(dir.File("a.gif"));
    ASSERT_FALSE(fresh.empty());
    EXPECT_TRUE(fresh == ReadFileBytes(SourcePath("resources/fig0-gray.gif")))
        << "resources/fig0-gray.gif is stale: run `cmake --build build/release --target tab-atlas` and commit";
}

TEST(TabAtlasTool, CutWritesEveryOutputInTheFigureAndGridStyles)
{
    TempDir dir;
    OMyImagePtr pic = MyImageCreateExt(360, 280, false);
    MyImageFillRect(*pic, 0, 0, 360, 280, RGB(40, 160, 90));
    ASSERT_TRUE(MyImageSaveToFile(*pic, dir.File("pic.png")));
    for (int style = 3; style <= 6; ++style) {
        const std::string outDir = dir.File("cut" + std::to_string(style));
        std::string out, err;
        const std::string cmd = ToolCommand() + " cut '" + dir.File("pic.png") + "' --out '" + outDir +
                                "' --style " + std::to_string(style) + " --level 3 --frame 1 --seed 5 --piece-images";
        ASSERT_EQ(RunCommand(cmd, &out, &err), 0) << err;
        EXPECT_EQ(err.find("atlas"), std::string::npos) << "the atlas was not usable: " << err;
        EXPECT_EQ(err.find("vector pictures"), std::string::npos) << "the pictures were not usable: " << err;
        int pieces = 0;
        ASSERT_EQ(std::sscanf(out.c_str(), "pieces %d", &pieces), 1) << out;
        const std::vector<uint8_t> bytes = ReadFileBytes(outDir + "/pieces.tsv");
        std::istringstream tsv(std::string(bytes.begin(), bytes.end()));
        int lines = 0;
        for (std::string line; std::getline(tsv, line);)
            ++lines;
        EXPECT_EQ(lines, pieces + 1) << "a header and one line per piece, the frame included";
        OMyImagePtr mask = MyImageCreateFromFile(outDir + "/mask.png", false);
        ASSERT_TRUE(mask);
        EXPECT_EQ(mask->W, 360);
        EXPECT_TRUE(FileExists(outDir + "/sheet.png"));
        EXPECT_TRUE(FileExists(outDir + "/params.tsv"));
        EXPECT_TRUE(FileExists(outDir + StrFormat("/pieces/%04d.png", pieces - 1)));
    }
}
