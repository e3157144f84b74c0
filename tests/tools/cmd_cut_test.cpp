// zivra-tool cut: its fixed outputs and exit statuses.
#include "support/test_support.h"

#include "cutting/my_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace {

std::string Tool(const std::string& args, int* status, std::string* err = nullptr)
{
    std::string out;
    *status = RunCommand(ToolCommand() + " " + args, &out, err);
    return out;
}

std::vector<std::string> Lines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> f;
    std::istringstream in(line);
    for (std::string v; std::getline(in, v, '\t');)
        f.push_back(v);
    return f;
}

// A small picture written as PNG.
std::string WritePicture(const TempDir& dir, int w, int h)
{
    OMyImagePtr img = MyImageCreateExt(w, h, false);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            MyImageSetPixel(*img, x, y, RGB(x * 255 / w, y * 255 / h, (x * y) & 255));
    const std::string path = dir.File("picture.png");
    EXPECT_TRUE(MyImageSaveToFile(*img, path));
    return path;
}

}  // namespace

TEST(CutCommand, WritesTheFixedOutputs)
{
    TempDir dir;
    const std::string pic = WritePicture(dir, 240, 180);
    int status = -1;
    const std::string out =
        Tool("cut '" + pic + "' --out '" + dir.File("out") + "' --level 9 --seed 5 --rotate 1 --frame 1 --piece-images",
             &status);
    ASSERT_EQ(status, 0) << out;
    // The last line of standard output.
    std::istringstream lines(out);
    std::string last;
    for (std::string l; std::getline(lines, l);)
        last = l;
    int pieces = 0, ms = 0;
    unsigned seed = 0;
    ASSERT_EQ(std::sscanf(last.c_str(), "pieces %d seed %u ms %d", &pieces, &seed, &ms), 3) << last;
    EXPECT_EQ(seed, 5u);

    OMyImagePtr mask = MyImageCreateFromFile(dir.File("out/mask.png"), false);
    ASSERT_TRUE(mask);
    EXPECT_EQ(mask->W, 240);
    EXPECT_EQ(mask->H, 180);
    EXPECT_EQ(mask->iBPP, 3);  // 8-bit RGB
    EXPECT_EQ(MyImageGetPixel(*mask, 0, 0), RGB(128, 0, 5));  // the frame strip

    std::map<std::string, std::string> params;
    for (const std::string& l : Lines(dir.File("out/params.tsv"))) {
        const auto f = Fields(l);
        ASSERT_EQ(f.size(), 2u) << l;
        params[f[0]] = f[1];
    }
    EXPECT_EQ(params["GameSeed"], "5");
    EXPECT_EQ(params["TotalTileNum"], std::to_string(pieces));
    EXPECT_EQ(params["ImageW"], "240");
    EXPECT_EQ(params["BorderStyle"], "1");
    EXPECT_EQ(params["Rotate"], "1");
    EXPECT_EQ(params["JigsL"], "20");
    EXPECT_EQ(params.count("TileS"), 1u);

    const auto rows = Lines(dir.File("out/pieces.tsv"));
    ASSERT_EQ(int(rows.size()), pieces + 1);
    EXPECT_EQ(rows[0],
              "index\tHomeX\tHomeY\tW\tH\tSiteX\tSiteY\tCellX\tCellY\tCellW\tCellH\tMaskColor\tBevel\tPicCell\t"
              "Nb0\tNb1\tNb2\tNb3\tNb4\tNb5\tNb6\tNb7\tNb8");
    for (int i = 1; i <= pieces; ++i) {
        const auto f = Fields(rows[size_t(i)]);
        ASSERT_EQ(f.size(), 23u);
        EXPECT_EQ(f[0], std::to_string(i - 1));
    }
    EXPECT_EQ(Fields(rows.back())[11], "5");  // the frame piece comes last

    EXPECT_TRUE(FileExists(dir.File("out/sheet.png")));
    for (int i = 0; i < pieces; ++i) {
        OMyImagePtr img = MyImageCreateFromFile(dir.File(StrFormat("out/pieces/%04d.png", i)), false);
        ASSERT_TRUE(img) << i;
        EXPECT_TRUE(img->bAlpha);
        const auto f = Fields(rows[size_t(i + 1)]);
        const int w = std::stoi(f[3]), h = std::stoi(f[4]);
        if (i < pieces - 1) {
            EXPECT_EQ(img->W, 4 * std::max(w, h)) << i;  // a rotation strip
            EXPECT_EQ(img->H, std::max(w, h)) << i;
        }
    }
}

TEST(CutCommand, TheSameSeedWritesTheSameCut)
{
    TempDir dir;
    const std::string pic = WritePicture(dir, 200, 150);
    int status = -1;
    Tool("cut '" + pic + "' --out '" + dir.File("a") + "' --level 8 --style 2 --seed 77", &status);
    ASSERT_EQ(status, 0);
    Tool("cut '" + pic + "' --out '" + dir.File("b") + "' --level 8 --style 2 --seed 77", &status);
    ASSERT_EQ(status, 0);
    Tool("cut '" + pic + "' --out '" + dir.File("c") + "' --level 8 --style 2 --seed 78", &status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("a/mask.png")), ReadFileBytes(dir.File("b/mask.png")));
    EXPECT_EQ(ReadFileBytes(dir.File("a/pieces.tsv")), ReadFileBytes(dir.File("b/pieces.tsv")));
    EXPECT_NE(ReadFileBytes(dir.File("a/mask.png")), ReadFileBytes(dir.File("c/mask.png")));
}

TEST(CutCommand, ReadsBundledJigsawFiles)
{
    TempDir dir;
    int status = -1;
    const std::string out = Tool("cut '" + SourcePath("resources/jigs_bemo/Storm.zjg") + "' --out '" +
                                     dir.File("out") + "' --level 13 --seed 1",
                                 &status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_NE(out.find("pieces "), std::string::npos);
}

TEST(CutCommand, BadInputIsRefusedWithStatusTwo)
{
    TempDir dir;
    const std::string pic = WritePicture(dir, 60, 40);
    const std::string out = " --out '" + dir.File("out") + "'";
    for (const std::string& args :
         {"cut '" + dir.File("missing.png") + "'" + out, "cut '" + pic + "' --level 14" + out,
          "cut '" + pic + "' --style 3 --bogus 1" + out, "cut '" + pic + "' --view 100" + out,
          "cut '" + pic + "' --level 0 --frame 1" + out, "cut '" + pic + "'"}) {
        int status = -1;
        std::string err;
        Tool(args, &status, &err);
        EXPECT_EQ(status, 2) << args;
        EXPECT_FALSE(err.empty()) << args;
    }
}
