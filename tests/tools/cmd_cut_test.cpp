// zivra-tool cut and levels: their fixed outputs and exit statuses.
#include "support/test_support.h"

#include "base/my_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>

namespace {

std::string Tool(const std::string& args, int* status, std::string* err = nullptr)
{
    std::string out;
    *status = RunCommand(ToolCommand() + " " + args, &out, err);
    return out;
}

std::vector<std::string> Split(const std::string& text, char sep) { return SplitLines(text, sep); }
std::vector<std::string> Lines(const std::string& path) { return SplitLines(ReadText(path)); }

// A small picture written as PNG.
std::string WritePicture(const TempDir& dir, int w, int h)
{
    OMyImagePtr img = PatternImage(w, h);
    const std::string path = dir.File("picture.png");
    EXPECT_TRUE(MyImageSaveToFile(*img, path));
    return path;
}

// Runs a cut with --piece-images into outDir and checks what every cut writes:
// the summary line, a mask of the picture's size, a sheet only when asked
// (--sheet), the parameters, a header and one 23-field row per piece (the
// frame included), one image each.
// Answers the piece count (0 on failure).
int CutAndCheckOutputs(const std::string& pic, const std::string& outDir, const std::string& args, int w, int h,
                       std::string* err)
{
    int status = -1;
    const std::string out = Tool("cut '" + pic + "' --out '" + outDir + "' --piece-images " + args, &status, err);
    EXPECT_EQ(status, 0) << out << *err;
    const auto outLines = Split(out, '\n');
    int pieces = 0, ms = 0;
    unsigned seed = 0;
    if (outLines.empty() ||
        std::sscanf(outLines.back().c_str(), "pieces %d seed %u ms %d", &pieces, &seed, &ms) != 3) {
        ADD_FAILURE() << "no summary line: " << out;
        return 0;
    }
    EXPECT_EQ(seed, 5u);  // every caller cuts with --seed 5
    OMyImagePtr mask = MyImageCreateFromFile(outDir + "/mask.png", false);
    EXPECT_TRUE(mask && mask->W == w && mask->H == h);
    EXPECT_EQ(FileExists(outDir + "/sheet.png"), args.find("--sheet") != std::string::npos);
    EXPECT_TRUE(FileExists(outDir + "/params.tsv"));
    const auto rows = Lines(outDir + "/pieces.tsv");
    EXPECT_EQ(int(rows.size()), pieces + 1);
    for (int i = 1; i < int(rows.size()); ++i) {
        const auto f = Split(rows[size_t(i)], '\t');
        EXPECT_EQ(f.size(), 23u) << i;
        EXPECT_EQ(f.at(0), std::to_string(i - 1));
        EXPECT_TRUE(FileExists(outDir + StrFormat("/pieces/%04d.png", i - 1))) << i;
    }
    return pieces;
}

}  // namespace

TEST(CutCommand, WritesTheFixedOutputs)
{
    TempDir dir;
    std::string err;
    const int pieces = CutAndCheckOutputs(WritePicture(dir, 240, 180), dir.File("out"),
                                          "--level 9 --seed 5 --rotate 1 --frame 1 --sheet", 240, 180, &err);
    ASSERT_GT(pieces, 1);
    OMyImagePtr sheet = MyImageCreateFromFile(dir.File("out/sheet.png"), false);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(MyImageGetPixel(*sheet, 0, 0), RGB(128, 128, 128));  // the grey between the pieces

    OMyImagePtr mask = MyImageCreateFromFile(dir.File("out/mask.png"), false);
    ASSERT_TRUE(mask);
    EXPECT_EQ(mask->iBPP, 3);  // 8-bit RGB
    EXPECT_EQ(MyImageGetPixel(*mask, 0, 0), RGB(128, 0, 5));  // the frame strip

    std::map<std::string, std::string> params;
    for (const std::string& l : Lines(dir.File("out/params.tsv"))) {
        const auto f = Split(l, '\t');
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
    EXPECT_EQ(rows[0],
              "index\tHomeX\tHomeY\tW\tH\tSiteX\tSiteY\tCellX\tCellY\tCellW\tCellH\tMaskColor\tBevel\tPicCell\t"
              "Nb0\tNb1\tNb2\tNb3\tNb4\tNb5\tNb6\tNb7\tNb8");
    EXPECT_EQ(Split(rows.back(), '\t')[11], "5");  // the frame piece comes last
    for (int i = 0; i < pieces; ++i) {
        OMyImagePtr img = MyImageCreateFromFile(dir.File(StrFormat("out/pieces/%04d.png", i)), false);
        ASSERT_TRUE(img) << i;
        EXPECT_TRUE(img->bAlpha);
        const auto f = Split(rows[size_t(i + 1)], '\t');
        const int w = std::stoi(f[3]), h = std::stoi(f[4]);
        if (i < pieces - 1) {
            EXPECT_EQ(img->W, 4 * std::max(w, h)) << i;  // a rotation strip
            EXPECT_EQ(img->H, std::max(w, h)) << i;
        }
    }
}

TEST(CutCommand, FigureAndGridStylesFindTheirAtlasAndPictures)
{
    TempDir dir;
    const std::string pic = WritePicture(dir, 360, 280);
    for (int style = 3; style <= 6; ++style) {
        SCOPED_TRACE(style);
        std::string err;
        EXPECT_GT(CutAndCheckOutputs(pic, dir.File("cut" + std::to_string(style)),
                                     "--style " + std::to_string(style) + " --level 3 --frame 1 --seed 5", 360, 280,
                                     &err),
                  1);
        EXPECT_EQ(err.find("atlas"), std::string::npos) << "the atlas was not usable: " << err;
        EXPECT_EQ(err.find("vector pictures"), std::string::npos) << "the pictures were not usable: " << err;
    }
}

TEST(CutCommand, TheSameSeedWritesTheSameCut)
{
    TempDir dir;
    const std::string pic = WritePicture(dir, 200, 150);
    for (const auto& [out, seed] : {std::pair{"a", "77"}, {"b", "77"}, {"c", "78"}}) {
        int status = -1;
        Tool("cut '" + pic + "' --out '" + dir.File(out) + "' --level 8 --style 2 --seed " + seed, &status);
        ASSERT_EQ(status, 0) << out;
    }
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

TEST(LevelsCommand, PrintsFourteenRowsOfTenNumbersAndNothingElse)
{
    int status = -1;
    const std::string out = Tool("levels 1000 750 0 0", &status);
    ASSERT_EQ(status, 0);
    const auto rows = Split(out, '\n');
    ASSERT_EQ(rows.size(), 14u);
    EXPECT_EQ(rows[0], "28 20 4 50 37 1850 0 0 0 1850");
    EXPECT_EQ(rows[6], "82 56 13 17 13 221 0 0 0 221");
    EXPECT_EQ(rows[13], "274 187 43 5 4 20 0 0 0 20");
    for (const std::string& r : rows) {
        EXPECT_EQ(Split(r, ' ').size(), 10u) << r;  // an empty field would be a double space
        EXPECT_EQ(r.find_first_not_of("0123456789 "), std::string::npos) << r;
    }
    EXPECT_EQ(out.back(), '\n');
    const std::string figure = Tool("levels 1024 768 3 1", &status);
    EXPECT_NE(figure.find("\n286 192 47 5 3 15 2 1 2 17\n"), std::string::npos) << figure;
}

TEST(LevelsCommand, PicturesTooSmallOrBadArgumentsPrintNothingAndFail)
{
    for (const char* args : {"levels 3 500 0 0", "levels 40 40 0 1", "levels 0 100 0 0", "levels 100 100 0 2",
                             "levels 100 x 0 0", "levels 100 100 0"}) {
        int status = -1;
        std::string err;
        EXPECT_EQ(Tool(args, &status, &err), "") << args;
        EXPECT_EQ(status, 2) << args;
        EXPECT_FALSE(err.empty()) << args;
    }
}
