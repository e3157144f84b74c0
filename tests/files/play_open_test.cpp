// Opening a jigsaw or a saved game for play.
#include "cutting/cutting.h"
#include "files/files.h"
#include "files/solve_file.h"
#include "model/memory_field.h"
#include "model/play_rules.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace {

// A small jigsaw file of a patterned picture.
std::string MakeJigsaw(const TempDir& dir, int w = 240, int h = 180, bool goodPicture = true)
{
    OMyImagePtr img = PatternImage(w, h);
    std::vector<uint8_t> picture = MyImageEncode(*img, "PNG");
    if (!goodPicture)
        picture.assign(picture.size(), 0x77);
    const uint8_t keys[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    std::string error;
    const std::string path = dir.File("Meadow.zjg");
    EXPECT_TRUE(SaveJigFile(path, uint32_t(w), uint32_t(h), keys, MyImageEncode(*img, "PNG"), "A meadow", picture,
                            &error));
    return path;
}

// What the open dialog leaves in NewJigP for a level and style of the picture.
void ChooseLevel(const std::string& path, int level, bool rotate, bool frame, int style = 0)
{
    NewJigP = TJigParams{};
    ASSERT_TRUE(OpenJigFile_ForListOrPreview(path, false));
    NewJigP.Rotate = rotate;
    NewJigP.BorderStyle = frame;
    NewJigP.ShapeStyle = uint8_t(style);
    ASSERT_TRUE(FillMaskParams(NewJigP.ImageW, NewJigP.ImageH, style, NewJigP.BorderStyle));
    SetJigParamsFromLevel(NewJigP, NewJigP.ImageW, NewJigP.ImageH, level);
}

class PlayOpen : public testing::Test {
protected:
    void SetUp() override { SetFieldHost(&field); }
    OMemoryField field;
    TempDir dir;
};

}  // namespace

TEST_F(PlayOpen, NewGameHasEveryPieceItsOwnGroupOnSideZeroAndAFailedReadLeavesNone)
{
    const std::string path = MakeJigsaw(dir);
    ChooseLevel(path, 10, false, false);
    ASSERT_TRUE(OpenGameFile(path, 99u));
    EXPECT_TRUE(FileNames.bOpen);
    EXPECT_EQ(FileNames.sJigName, "Meadow");
    EXPECT_TRUE(FileNames.sSolve.empty());
    EXPECT_EQ(JigP.GameSeed, 99);
    const int n = JigP.TotalTileNum;
    ASSERT_GT(n, 4);
    EXPECT_EQ(arPicJigs.size(), size_t(n));
    std::set<int32_t> layers;
    for (int i = 0; i < n; ++i) {
        layers.insert(JigAt(i).Layer);
        EXPECT_EQ(JigAt(i).Win, 0);
        EXPECT_EQ(JigAt(i).Rot, 0);
    }
    EXPECT_EQ(layers.size(), size_t(n));
    EXPECT_EQ(iWeightJig, -1);
    EXPECT_EQ(Recorder().title, "Meadow.zjg");
    EXPECT_EQ(LastFiles.arFileNames.front(), path);
    EXPECT_FALSE(AutoSaveP.bNeedSave);
    EXPECT_TRUE(DragJigP.bClickPending);
    EXPECT_FALSE(Recorder().progressVisible);

    // A jigsaw whose picture does not decode leaves the changed game as it was.
    GameChanged();
    TempDir other;
    const std::string bad = MakeJigsaw(other, 240, 180, false);
    ChooseLevel(bad, 12, false, false);
    EXPECT_FALSE(OpenGameFile(bad, 1u));
    EXPECT_EQ(OpenFaultP.fault, TOpenFault::Picture);
    EXPECT_TRUE(FileNames.bOpen);
    EXPECT_EQ(JigP.GameSeed, 99);
    EXPECT_EQ(arPicJigs.size(), size_t(n));
    EXPECT_TRUE(AutoSaveP.bNeedSave);
    EXPECT_FALSE(Recorder().progressVisible);
}

// Every failed open says which file and why, and the open game stays as it was.
TEST_F(PlayOpen, FailedOpensNameTheFileAndTheReasonAndKeepTheGame)
{
    FileNames.sLangPath = SourcePath("resources/language/");
    ASSERT_TRUE(ReadLangFile(LangMesFile("english")));
    const std::string good = MakeJigsaw(dir);
    ChooseLevel(good, 10, false, false);
    ASSERT_TRUE(OpenGameFile(good, 5u));
    GameChanged();
    const int n = JigP.TotalTileNum;
    const std::string saved = dir.File("saved.svm");
    ASSERT_TRUE(SaveSolveFile(saved, false));
    const auto savedBytes = ReadFileBytes(saved);

    std::vector<uint8_t> noise(5000);
    SRand(3);
    for (uint8_t& b : noise)
        b = uint8_t(Rand());
    TempDir other;
    const std::string badPicture = MakeJigsaw(other, 240, 180, false);
    auto jigBytes = ReadFileBytes(good);
    jigBytes[3] ^= 0x40;  // the magic
    struct Case {
        std::string name;
        std::vector<uint8_t> bytes;  // empty: the file is not made
        TOpenFault fault;
        std::string says;            // in the message besides the file's name
    };
    const std::vector<Case> cases = {
        {"gone.svm", {}, TOpenFault::Missing, "Could not find the file"},
        {"notes.txt", {1, 2, 3}, TOpenFault::NotGameFile, "neither a jigsaw nor a saved game"},
        {"noise.svm", noise, TOpenFault::Damaged, "damaged"},
        {"cut.svm", std::vector<uint8_t>(savedBytes.begin(), savedBytes.begin() + std::ptrdiff_t(savedBytes.size() / 2)),
         TOpenFault::Damaged, "damaged"},
        {"broken.zjg", jigBytes, TOpenFault::Damaged, "damaged"},
        {"noise.zjg", noise, TOpenFault::Damaged, "damaged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(c.name);
        if (!c.bytes.empty()) {
            ASSERT_TRUE(WriteFileBytes(path, c.bytes));
        }
        EXPECT_FALSE(OpenGameFile(path));
        EXPECT_EQ(OpenFaultP.fault, c.fault);
        const std::string message = OpenFaultMessage(path);
        EXPECT_NE(message.find(c.fault == TOpenFault::Missing ? path : c.name), std::string::npos) << message;
        EXPECT_NE(message.find(c.says), std::string::npos) << message;
        EXPECT_EQ(message.find('%'), std::string::npos) << message;  // every placeholder filled
        EXPECT_TRUE(FileNames.bOpen);
        EXPECT_EQ(JigP.GameSeed, 5);
        EXPECT_EQ(JigP.TotalTileNum, n);
        EXPECT_EQ(FileNames.sJigName, "Meadow");
        EXPECT_TRUE(AutoSaveP.bNeedSave == false);  // saved above, nothing since
    }
    // The picture's own fault, through the open dialog's road.
    ChooseLevel(badPicture, 12, false, false);
    EXPECT_FALSE(OpenGameFile(badPicture, 1u));
    EXPECT_NE(OpenFaultMessage(badPicture).find("picture cannot be read"), std::string::npos);
    EXPECT_EQ(JigP.GameSeed, 5);
    // The dialog's road reports it too: one message.
    GameFileHooks.fnFileDialog = [&](int, const std::string&, std::string* chosen) {
        *chosen = dir.File("noise.svm");
        return 1;
    };
    Recorder().Clear();
    EXPECT_FALSE(DialogOpenGameFile("", false));
    EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Message), 1);
    GameFileHooks = OGameFileHooks{};
}

// Cuts over 4000 pieces or over the memory budget are refused before anything is read.
TEST_F(PlayOpen, CutsOverThePieceCapOrTheMemoryBudgetAreRefused)
{
    const std::string path = MakeJigsaw(dir);
    ChooseLevel(path, 10, false, false);
    NewJigP.TotalTileNum = kMaxCutPieces + 1;
    EXPECT_FALSE(OpenGameFile(path, 1u));  // OpenGameFile redoes the list read; the level choice stays
    EXPECT_EQ(OpenFaultP.fault, TOpenFault::TooManyPieces);
    EXPECT_EQ(OpenFaultP.iValue, kMaxCutPieces + 1);
    EXPECT_FALSE(OpenJigFile_ForPlay(path, 1u));
    EXPECT_FALSE(FileNames.bOpen);

    // A 32767 x 2048 picture at its full size with turning pieces: over 3 GB
    // (a cut of 8192 x 512 measured 196 MB, a sixteenth of it). Fitted to a
    // screen, it is small.
    TJigParams p{};
    p.Rotate = 1;
    p.ImageW = 32767;
    p.ImageH = 2048;
    p.FitW = 1920;
    p.FitH = 120;
    for (int level : {0, 13}) {
        SCOPED_TRACE(level);
        ASSERT_TRUE(FillMaskParams(p.ImageW, p.ImageH, 0, 0));
        p.FitToScreen = 0;
        SetJigParamsFromLevel(p, p.ImageW, p.ImageH, level);
        OpenFaultP = TOpenFaultP{};
        EXPECT_FALSE(CutParamsAffordable(p));
        EXPECT_EQ(OpenFaultP.fault, p.TotalTileNum > kMaxCutPieces ? TOpenFault::TooManyPieces : TOpenFault::TooMuchMemory);
        p.FitToScreen = 1;
        ASSERT_TRUE(FillMaskParams(p.FitW, p.FitH, 0, 0));
        SetJigParamsFromLevel(p, p.FitW, p.FitH, level);
        EXPECT_TRUE(p.TotalTileNum < 1 || CutParamsAffordable(p));
    }
}

// Real cuts of every style, with frames and rotation, fit well inside the
// piece image budget that saved games are held to; their estimate covers them.
TEST_F(PlayOpen, RealCutsStayWellInsideThePieceImageBudget)
{
    FileNames.sResourcePath = SourcePath("resources");
    const std::string path = MakeJigsaw(dir, 640, 480);
    for (int style = 0; style < kShapeStyleCount; ++style)
        for (int frame : {0, 1})
            for (int level : {6, 9, 12}) {
                SCOPED_TRACE(testing::Message() << style << " " << frame << " " << level);
                ChooseLevel(path, level, true, frame != 0, style);
                if (NewJigP.TotalTileNum < 1)
                    continue;
                const int64_t estimate = EstimateCutBytes(NewJigP);
                ASSERT_TRUE(OpenGameFile(path, 11u));
                const int64_t picture = int64_t(JigP.ImageW) * JigP.ImageH * 4;
                const int64_t bytes = PieceImagesBytes(Jigs.data(), JigP.TotalTileNum, true);
                EXPECT_LE(bytes, picture * 16);  // the budget allows 28 times
                const int64_t upright = PieceImagesBytes(Jigs.data(), JigP.TotalTileNum, false);
                EXPECT_LE(upright, picture * 4);  // and 8 times without rotation
                EXPECT_LE(bytes + 2 * picture, estimate);
                EXPECT_TRUE(SolveFile_GameReadable());
            }
}

// The Figure and grid styles take their pictures and the tab atlas from the resource folder.
TEST_F(PlayOpen, FigureAndGridStylesOpenWithTheirPicturesAndAtlas)
{
    FileNames.sResourcePath = SourcePath("resources");
    const std::string path = MakeJigsaw(dir, 420, 320);
    for (int style = 3; style <= 6; ++style) {
        SCOPED_TRACE(style);
        ChooseLevel(path, 4, false, style & 1, style);
        ASSERT_TRUE(OpenGameFile(path, 7u));
        EXPECT_EQ(JigP.ShapeStyle, style);
        EXPECT_GT(JigP.TotalTileNum, 4);
        ASSERT_EQ(arPicJigs.size(), size_t(JigP.TotalTileNum));
        int pictures = 0;
        for (int i = 0; i < JigP.TotalTileNum; ++i)
            pictures += JigAt(i).PicCell;
        EXPECT_EQ(pictures > 0, style == 3);
        EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Log), 0) << "pictures and atlas were found";
    }
}

TEST_F(PlayOpen, SameSeedGivesTheSameCutTurnsAndLayout)
{
    const std::string path = MakeJigsaw(dir);
    ChooseLevel(path, 11, true, true);
    ASSERT_TRUE(OpenGameFile(path, 4242u));
    const int n = JigP.TotalTileNum;
    const std::vector<TJig> first(Jigs.begin(), Jigs.begin() + n);
    const std::vector<uint8_t> firstMask = miMasks->Bitmap;
    ChooseLevel(path, 11, true, true);
    ASSERT_TRUE(OpenGameFile(path, 4242u));
    ASSERT_EQ(JigP.TotalTileNum, n);
    EXPECT_EQ(std::memcmp(Jigs.data(), first.data(), sizeof(TJig) * size_t(n)), 0);
    EXPECT_EQ(miMasks->Bitmap, firstMask);
    // The frame piece lies centred and unturned; others turned at random.
    const TJig& f = JigAt(n - 1);
    EXPECT_EQ(f.Rot, 0);
    EXPECT_EQ(f.X, (iMaxMainViewScrollW - JigP.ImageW) / 2);
    int turned = 0;
    for (int i = 0; i + 1 < n; ++i)
        turned += JigAt(i).Rot != 0;
    EXPECT_GT(turned, 0);
}

TEST_F(PlayOpen, SavedGameReopensByteForByteOnTheSideItsPiecesLieOn)
{
    const std::string path = MakeJigsaw(dir);
    ChooseLevel(path, 10, true, false);
    ASSERT_TRUE(OpenGameFile(path, 5u));
    const int n = JigP.TotalTileNum;
    for (int i = 0; i < n; ++i)
        JigAt(i).Win = 1;  // everything moved to side 1
    Jigs[2].Pad15 = 0xAB;         // reserved bytes travel too
    PocketsP.Pocket[1].bVisible = 1;
    PocketsP.Pocket[1].mrWin = MakeTRect(5, 6, 200, 160);
    const std::vector<TJig> before(Jigs.begin(), Jigs.begin() + n);
    const std::string saved = dir.File("game.svm");
    GameChanged();
    ASSERT_TRUE(SaveSolveFile(saved, false));
    const int64_t size = GetFileSize(saved);
    GameChanged();
    ASSERT_TRUE(SaveSolveFile(saved, false));  // the re-save
    EXPECT_EQ(GetFileSize(saved), size);

    ResetAllState();
    SetFieldHost(&field);
    ASSERT_TRUE(OpenGameFile(saved));
    EXPECT_EQ(FileNames.sSolve, saved);
    EXPECT_EQ(FileNames.sJigName, "Meadow");
    ASSERT_EQ(JigP.TotalTileNum, n);
    EXPECT_EQ(std::memcmp(Jigs.data(), before.data(), sizeof(TJig) * size_t(n)), 0);
    EXPECT_EQ(arPicJigs.size(), size_t(n));
    EXPECT_EQ(bCurSide, 1);
    EXPECT_EQ(PocketsP.Pocket[1].mrWin, MakeTRect(5, 6, 200, 160));

    Jigs[0].Win = 0;  // spread over both sides: side 0
    EXPECT_EQ(SideToShow(), 0);
}

TEST_F(PlayOpen, DialogOpensADirectSavedGameOrWhatTheDialogChose)
{
    const std::string path = MakeJigsaw(dir);
    ChooseLevel(path, 12, false, false);
    ASSERT_TRUE(OpenGameFile(path, 3u));
    const std::string saved = dir.File("g.svm");
    ASSERT_TRUE(SaveSolveFile(saved, false));
    int dialogs = 0, downloads = 0;
    std::string preset;
    int answer = 0;
    GameFileHooks.fnFileDialog = [&](int style, const std::string& p, std::string* chosen) {
        ++dialogs;
        EXPECT_EQ(style, 1);
        preset = p;
        *chosen = saved;
        return answer;
    };
    GameFileHooks.fnShowDownload = [&] { ++downloads; };

    ASSERT_TRUE(DialogOpenGameFile(saved, true));  // a readable saved game: no dialog
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(FileNames.sSolve, saved);
    EXPECT_FALSE(DialogOpenGameFile("", false));     // cancelled
    EXPECT_EQ(preset, saved);
    answer = 2;
    EXPECT_FALSE(DialogOpenGameFile("", false));     // the download button
    EXPECT_EQ(downloads, 1);
    answer = 1;
    EXPECT_TRUE(DialogOpenGameFile(path, false));    // not direct: the dialog, preset to path
    EXPECT_EQ(preset, path);
    EXPECT_EQ(dialogs, 3);

    GameChanged();
    Recorder().QueueAnswer(3);                       // cancel the save question: nothing opens
    EXPECT_FALSE(DialogOpenGameFile(saved, true));
    EXPECT_EQ(dialogs, 3);
}

TEST_F(PlayOpen, PictureLargerThanTheViewWidensTheSidesBeforeTheLayout)
{
    const std::string path = MakeJigsaw(dir, 400, 300);
    SetHeadlessViewSize(320, 240);
    ChooseLevel(path, 12, false, false);
    ASSERT_TRUE(OpenGameFile(path, 8u));
    EXPECT_EQ(iMaxMainViewScrollW, 400);
    EXPECT_EQ(iMaxMainViewScrollH, 300);
    int maxX = 0;
    for (int i = 0; i < JigP.TotalTileNum; ++i)
        maxX = std::max(maxX, JigAt(i).X + JigAt(i).DrawW);
    EXPECT_GT(maxX, 320);  // the layout used the wider side
}

// A game saved solved opens solved, quietly; one still in pieces does not.
TEST_F(PlayOpen, ASolvedGameOpensSolvedWithoutASecondCongratulation)
{
    const std::string path = MakeJigsaw(dir);
    ChooseLevel(path, 11, true, false);
    ASSERT_TRUE(OpenGameFile(path, 6u));
    EXPECT_FALSE(bGameSolved);  // pieces start in their own groups
    const std::string unsolved = dir.File("unsolved.svm"), solved = dir.File("solved.svm");
    ASSERT_TRUE(SaveSolveFile(unsolved, false));
    for (int i = 0; i < JigP.TotalTileNum; ++i) {
        JigAt(i).Layer = 0;
        JigAt(i).Rot = 0;
    }
    ASSERT_TRUE(SaveSolveFile(solved, false));
    Jigs[1].Rot = 2;  // one group, but a piece turned: not solved
    const std::string turned = dir.File("turned.svm");
    ASSERT_TRUE(SaveSolveFile(turned, false));
    for (const auto& [file, expect] : {std::pair{solved, true}, {unsolved, false}, {turned, false}}) {
        SCOPED_TRACE(file);
        bGameSolved = !expect;
        Recorder().Clear();
        ASSERT_TRUE(OpenGameFile(file));
        EXPECT_EQ(bGameSolved, expect);
        CheckSolvePuzzle();  // what the first drop does
        EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Message), 0);
        EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Sound), 0);
    }
}

// Whatever the previous game left behind in the middle of a gesture, a
// jigsaw and a saved game both open with no drag, no current piece, nothing
// to save and the autosave clock restarted.
TEST_F(PlayOpen, AnOpenedGameStartsFromNoGestureAndNothingToSave)
{
    const std::string jigsaw = MakeJigsaw(dir);
    ChooseLevel(jigsaw, 10, false, false);
    ASSERT_TRUE(OpenGameFile(jigsaw, 3u));
    const std::string saved = dir.File("left.svm");
    GameChanged();
    ASSERT_TRUE(SaveSolveFile(saved, false));

    for (const std::string& path : {jigsaw, saved}) {
        SCOPED_TRACE(path);
        ChooseLevel(jigsaw, 10, false, false);
        iCurJig = 2;
        bCurSide = 1;
        DragJigP.State = kDragFrame;
        DragJigP.bSelected = true;
        DragJigP.bClickPending = false;
        DragJigP.SelRect = vMyRectInitWH(1, 2, 30, 40);
        bGameSolved = true;
        GameChanged();
        AutoSaveP.dtStart = 0;
        Recorder().edited = true;
        ASSERT_TRUE(OpenGameFile(path, 3u));
        EXPECT_EQ(iCurJig, -1);
        EXPECT_EQ(bCurSide, 0);
        EXPECT_EQ(DragJigP.State, kDragIdle);
        EXPECT_FALSE(DragJigP.bSelected);
        EXPECT_TRUE(DragJigP.bClickPending);
        EXPECT_EQ(DragJigP.SelRect, TMyRect{});
        EXPECT_FALSE(bGameSolved);
        EXPECT_FALSE(AutoSaveP.bNeedSave);
        EXPECT_FALSE(AutoSaveP.bNeedAutoSave);
        EXPECT_FALSE(Recorder().edited);
        EXPECT_GT(AutoSaveP.dtStart, 0);
    }
}
