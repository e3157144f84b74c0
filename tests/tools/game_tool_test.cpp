// zivra-tool make-jigsaw, show, new-game and play.
#include "base/my_image.h"
#include "files/files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

int Tool(const std::string& args, std::string* out, std::string* err = nullptr)
{
    return RunCommand(ToolCommand() + " " + args, out, err);
}

}  // namespace

TEST(JigsawTool, MakeThenShowDescribesTheFile)
{
    TempDir dir;
    OMyImagePtr img = MyImageCreateExt(900, 500, false);
    MyImageFillRect(*img, 0, 0, 900, 500, RGB(10, 120, 200));
    ASSERT_TRUE(MyImageSaveToFile(*img, dir.File("pic.png")));
    std::string out, err;
    ASSERT_EQ(Tool("make-jigsaw " + dir.File("pic.png") + " " + dir.File("p.zjg") + " --desc 'Blue\tsky'", &out, &err),
              0) << err;
    ASSERT_EQ(Tool("show " + dir.File("p.zjg"), &out, &err), 0) << err;
    const auto m = TabFields(out);
    EXPECT_EQ(m.at("kind"), "jigsaw");
    EXPECT_EQ(m.at("width"), "900");
    EXPECT_EQ(m.at("height"), "500");
    EXPECT_EQ(m.at("thumb_width"), "320");
    EXPECT_EQ(m.at("thumb_height"), "177");  // 500 * 320 / 900, truncated
    EXPECT_EQ(m.at("description"), "Blue\\tsky");
    EXPECT_EQ(m.size(), 8u);
    // The picture part is the picture file's own bytes.
    OBinReader r;
    ASSERT_TRUE(r.OpenFile(dir.File("p.zjg")));
    std::string desc;
    std::vector<uint8_t> picture;
    ASSERT_TRUE(JigFile_ReadPlayParts(r, std::stoll(m.at("dataofs")), &desc, &picture));
    EXPECT_EQ(picture, ReadFileBytes(dir.File("pic.png")));
}

TEST(JigsawTool, ShowPlayRunsThePlayReadAndRefusesAnUndecodablePicture)
{
    const std::string tiny = SourcePath("tests/inputs/solve_file/tiny.svm");
    std::string out;
    ASSERT_EQ(Tool("show '" + tiny + "' --play", &out), 0);
    EXPECT_NE(out.find("play\tok\n"), std::string::npos);
    // The working picture's BMP claims 7 bits a pixel: its size still reads, its pixels do not.
    auto bytes = ReadFileBytes(tiny);
    const size_t bmp = 11 + 12 + 5 + 120 + 4 + 102 + 4;
    ASSERT_EQ(bytes[bmp] ^ kKeySolvePicture, 'B');
    bytes[bmp + 28] = uint8_t(7 ^ kKeySolvePicture);
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.File("bad.svm"), bytes));
    EXPECT_EQ(Tool("show '" + dir.File("bad.svm") + "'", &out), 0);
    EXPECT_EQ(Tool("show '" + dir.File("bad.svm") + "' --play", &out), 1);
    EXPECT_EQ(out.find("play\tok"), std::string::npos);
}

TEST(GameTool, NewGameThenJoinsSavedInPlace)
{
    TempDir dir;
    const std::string jig = "new-game '" + SourcePath("resources/jigs_bemo/Daisy.zjg") + "' '";
    const std::string options = "' --level 12 --frame 1 --rotate 1 --view 1280x800 --seed ";
    const std::string game = dir.File("daisy.svm"), again = dir.File("again.svm");
    std::string out, err;
    // The same seed cuts the same game, byte for byte, also over another game.
    ASSERT_EQ(Tool(jig + game + options + "78", &out, &err), 0) << err;
    const std::vector<uint8_t> other = ReadFileBytes(game);
    ASSERT_EQ(Tool(jig + game + options + "77", &out, &err), 0) << err;
    ASSERT_EQ(Tool(jig + again + options + "77", &out, &err), 0) << err;
    EXPECT_EQ(ReadFileBytes(again), ReadFileBytes(game));
    EXPECT_NE(other, ReadFileBytes(game));

    ASSERT_EQ(Tool("show '" + game + "' --play", &out, &err), 0) << err;
    auto f = TabFields(out);
    EXPECT_EQ(f["kind"], "saved-game");
    EXPECT_EQ(f["name"], "Daisy");
    EXPECT_EQ(f["seed"], "77");
    EXPECT_EQ(f["frame"], "1");
    EXPECT_EQ(f["rotate"], "1");
    EXPECT_EQ(f["groups"], f["pieces"]);
    EXPECT_EQ(f["play"], "ok");
    const int pieces = std::stoi(f["pieces"]);
    const int64_t size = GetFileSize(game);

    ASSERT_EQ(Tool("play '" + game + "' --join 3", &out, &err), 0) << err;
    EXPECT_EQ(TabFields(out)["joined"], "3");
    EXPECT_EQ(GetFileSize(game), size);  // saved again in place
    ASSERT_EQ(Tool("show '" + game + "'", &out, &err), 0) << err;
    EXPECT_LE(std::stoi(TabFields(out)["groups"]), pieces - 3);

    // Joining everything finishes the picture.
    ASSERT_EQ(Tool("play '" + game + "' --join " + std::to_string(pieces), &out, &err), 1);
    ASSERT_EQ(Tool("show '" + game + "'", &out, &err), 0) << err;
    f = TabFields(out);
    EXPECT_EQ(f["groups"], "1");
    EXPECT_EQ(f["solved"], "1");
}

TEST(GameTool, RefusesWhatItCannotReadOrPlay)
{
    TempDir dir;
    std::string out;
    ASSERT_TRUE(WriteFileBytes(dir.File("x.zjg"), {'Z', 'I', 'V', 'R', 'A'}));
    EXPECT_EQ(Tool("show " + dir.File("x.zjg"), &out), 1);
    EXPECT_EQ(out, "Invalid Jigsaw\n");
    EXPECT_EQ(Tool("show " + dir.File("missing.zjg"), &out), 1);
    EXPECT_NE(Tool("make-jigsaw " + dir.File("x.zjg") + " " + dir.File("y.zjg"), &out), 0);
    EXPECT_FALSE(FileExists(dir.File("y.zjg")));
    EXPECT_EQ(Tool("new-game '" + dir.File("x.zjg") + "' '" + dir.File("y.svm") + "'", &out), 2);
    EXPECT_FALSE(FileExists(dir.File("y.svm")));
    EXPECT_EQ(Tool("play '" + dir.File("x.zjg") + "' --join 1", &out), 2);
    EXPECT_EQ(Tool("new-game a.zjg b.svm --level 14", &out), 2);
}

// A tool run never touches the player's folder: not the autosave, not a
// side file, not the settings.
TEST(GameTool, NewGameAndPlayLeaveThePlayersFolderAlone)
{
    TempDir home, dir;
    const std::string env = "XDG_DATA_HOME='" + home.Path() + "' ";
    const std::string user = home.File("Zivra Jigsaw Bemo");
    ASSERT_EQ(RunCommand("mkdir -p '" + user + "'", nullptr), 0);
    const std::vector<uint8_t> recovery = {'k', 'e', 'e', 'p'};
    ASSERT_TRUE(WriteFileBytes(user + "/autosaved.svm", recovery));
    std::string before, after, out, err;
    ASSERT_EQ(RunCommand("ls -la --time-style=full-iso '" + user + "'", &before), 0);
    const std::string game = dir.File("g.svm");
    ASSERT_EQ(RunCommand(env + ToolCommand() + " new-game '" + SourcePath("resources/jigs_bemo/Daisy.zjg") + "' '" +
                             game + "' --level 12 --seed 3",
                         &out, &err), 0) << err;
    ASSERT_EQ(RunCommand(env + ToolCommand() + " play '" + game + "' --join 2", &out, &err), 0) << err;
    ASSERT_EQ(RunCommand("ls -la --time-style=full-iso '" + user + "'", &after), 0);
    EXPECT_EQ(after, before);
    EXPECT_EQ(ReadFileBytes(user + "/autosaved.svm"), recovery);
}

// Over 4000 pieces is refused with a reason and exit status 2, and nothing is written.
TEST(GameTool, NewGameRefusesMoreThan4000PiecesWithAReason)
{
    TempDir dir;
    OMyImagePtr img = MyImageCreateExt(32767, 6, false);
    MyImageFillRect(*img, 0, 0, 32767, 6, RGB(200, 120, 10));
    ASSERT_TRUE(MyImageSaveToFile(*img, dir.File("strip.png")));
    std::string out, err;
    ASSERT_EQ(Tool("make-jigsaw " + dir.File("strip.png") + " " + dir.File("strip.zjg"), &out, &err), 0) << err;
    const std::string game = dir.File("strip.svm");
    EXPECT_EQ(Tool("new-game " + dir.File("strip.zjg") + " " + game + " --level 13 --fit 0", &out, &err), 2);
    EXPECT_NE(err.find("4000"), std::string::npos) << err;
    EXPECT_NE(err.find("strip.zjg"), std::string::npos) << err;
    EXPECT_FALSE(FileExists(game));
}

// show answers what the game's own readers answer: a saved game with an empty
// thumbnail part is refused by the list read, so show calls it invalid too.
TEST(JigsawTool, ShowRefusesWhatTheGamesListReadRefuses)
{
    std::string out;
    EXPECT_EQ(Tool("show '" + SourcePath("tests/inputs/solve_file/tiny.svm") + "'", &out), 0);
    EXPECT_EQ(Tool("show '" + SourcePath("tests/inputs/solve_file/empty_thumbnail.svm") + "'", &out), 1);
    EXPECT_EQ(out, "Invalid Jigsaw\n");
    EXPECT_FALSE(OpenSolveFile_ForListOrPreview(SourcePath("tests/inputs/solve_file/empty_thumbnail.svm"), true));
}

// The play aids headless: edge pieces into the first empty pocket, steps
// taken back and made again in command-line order, pockets shown by `show`.
TEST(GameTool, EdgePiecesUndoAndRedoInTheOrderGiven)
{
    TempDir dir;
    const std::string game = dir.File("g.svm");
    std::string out, err;
    ASSERT_EQ(Tool("new-game '" + SourcePath("resources/jigs_bemo/Daisy.zjg") + "' '" + game +
                       "' --level 12 --frame 1 --view 1280x800 --seed 5",
                   &out, &err), 0) << err;
    ASSERT_EQ(Tool("show '" + game + "'", &out, &err), 0) << err;
    auto f = TabFields(out);
    const int pieces = std::stoi(f["pieces"]);
    for (const char* k : {"pocket0", "pocket1", "pocket2", "pocket3"})
        EXPECT_EQ(f[k], "0") << k;
    // The existing lines come first, as before.
    EXPECT_EQ(out.find("kind\tsaved-game\n"), 0u);
    EXPECT_NE(out.find("solved\t0\npocket0\t0\npocket1\t0\npocket2\t0\npocket3\t0\n"), std::string::npos);

    // Joins first, then the edge pieces, then one step back: the edges return.
    ASSERT_EQ(Tool("play '" + game + "' --edges-to-pocket --undo 1 --join 2", &out, &err), 0) << err;
    f = TabFields(out);
    EXPECT_EQ(f["joined"], "2");
    const int edges = std::stoi(f["edges"]);
    EXPECT_GT(edges, 4);
    EXPECT_EQ(f["undone"], "1");
    ASSERT_EQ(Tool("show '" + game + "'", &out, &err), 0) << err;
    f = TabFields(out);
    EXPECT_EQ(f["pocket0"], "0");
    EXPECT_EQ(std::stoi(f["groups"]), pieces - 2) << "the joins stay";

    // The history starts empty on opening: a second undo has nothing to take.
    ASSERT_EQ(Tool("play '" + game + "' --edges-to-pocket --undo 2 --redo 1", &out, &err), 1);
    f = TabFields(out);
    EXPECT_EQ(f["undone"], "1");
    EXPECT_EQ(f["redone"], "1");
    ASSERT_EQ(Tool("show '" + game + "'", &out, &err), 0) << err;
    f = TabFields(out);
    EXPECT_EQ(std::stoi(f["pocket0"]), edges);
    EXPECT_EQ(f["pocket1"], "0");
    // With pieces in pocket 1 the next go to pocket 2: none are left.
    ASSERT_EQ(Tool("play '" + game + "' --edges-to-pocket", &out, &err), 0) << err;
    EXPECT_EQ(TabFields(out)["edges"], "0");
    EXPECT_EQ(Tool("play '" + game + "' --undo x", &out), 2);
}
