// An open game that keeps its mask packed and its piece images as hit masks
// (what the window does once the atlas holds them) saves, picks and changes
// its emboss exactly as one that keeps every pixel.
#include "cutting/cutting.h"
#include "files/files.h"
#include "files/solve_file.h"
#include "model/game_cut.h"
#include "model/game_picture.h"
#include "model/memory_field.h"
#include "model/play_rules.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

std::string MakeJigsaw(const TempDir& dir)
{
    constexpr int w = 260, h = 190;
    OMyImagePtr img = MyImageCreateExt(w, h, false);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            MyImageSetPixel(*img, x, y, RGB(uint32_t(x), uint32_t(y), uint32_t((x * y) & 255)));
    const uint8_t keys[10] = {3, 1, 4, 1, 5, 9, 2, 6, 5, 3};
    std::string error;
    const std::string path = dir.File("Harbour.zjg");
    EXPECT_TRUE(SaveJigFile(path, w, h, keys, MyImageEncode(*img, "PNG"), "A harbour", MyImageEncode(*img, "PNG"),
                            &error));
    return path;
}

// Cuts the jigsaw at `level` with turning pieces and the frame, always the same way.
void OpenCut(const std::string& path, int level)
{
    NewJigP = TJigParams{};
    ASSERT_TRUE(OpenJigFile_ForListOrPreview(path, false));
    NewJigP.Rotate = 1;
    NewJigP.BorderStyle = 1;
    ASSERT_TRUE(FillMaskParams(NewJigP.ImageW, NewJigP.ImageH, 0, NewJigP.BorderStyle));
    SetJigParamsFromLevel(NewJigP, NewJigP.ImageW, NewJigP.ImageH, level);
    ASSERT_TRUE(OpenGameFile(path, 2718u));
}

// What the window does once its atlas holds the pieces.
void GoLean()
{
    GameMask_Pack();
    DropPieceImagePixels();
    ASSERT_TRUE(miJigs);
    EXPECT_TRUE(MyImageDropOpaqueAlpha(*miJigs));  // the picture is opaque
    // Its pixels packed (here on this thread) and dropped.
    TPicturePackJob job;
    ASSERT_TRUE(GamePicture_StartPack(&job));
    GamePicture_RunPack(job);
    ASSERT_TRUE(GamePicture_FinishPack(job));
    ASSERT_FALSE(miJigs->HasPixels());
    ASSERT_TRUE(GamePicture_IsPacked());
}

// Every piece image's pixels, one vector per piece.
std::vector<std::vector<uint8_t>> PieceBytes()
{
    std::vector<std::vector<uint8_t>> out;
    for (const OMyImage& img : arPicJigs)
        out.emplace_back(img.pMem, img.pMem + img.ByteCount());
    return out;
}

class LeanGame : public testing::Test {
protected:
    void SetUp() override
    {
        SetFieldHost(&field);
        field.SetCaptureWin(kSide0);
    }
    std::vector<uint8_t> SaveTo(const std::string& name)
    {
        // A fresh name each time: a full save, never the in-place patch.
        const std::string path = dir.File(name);
        EXPECT_TRUE(SaveSolveFile(path, false)) << name;
        return ReadFileBytes(path);
    }
    OMemoryField field;
    TempDir dir;
};

}  // namespace

TEST_F(LeanGame, SavesTheSameBytesWithItsMaskPackedAfterACutAndAfterAReopen)
{
    OpenCut(MakeJigsaw(dir), 9);
    const std::vector<uint8_t> cut = SaveTo("cut.svm");
    GoLean();
    ASSERT_FALSE(miMasks);
    ASSERT_FALSE(arMaskPart.empty());
    EXPECT_EQ(SaveTo("cut-lean.svm"), cut);

    // Reopened with every pixel, then lean: both save the same bytes.
    ASSERT_TRUE(OpenGameFile(dir.File("cut.svm")));
    const std::vector<uint8_t> reopened = SaveTo("reopened.svm");
    ASSERT_TRUE(OpenGameFile(dir.File("cut.svm")));
    GoLean();
    EXPECT_EQ(SaveTo("reopened-lean.svm"), reopened);
    // ... and a game saved lean reads back as the one it was saved from.
    ASSERT_TRUE(OpenGameFile(dir.File("reopened-lean.svm")));
    GoLean();
    EXPECT_EQ(SaveTo("again.svm"), reopened);
}

TEST_F(LeanGame, PicksEveryPixelOfEveryTurnAsThePixelsDid)
{
    OpenCut(MakeJigsaw(dir), 10);
    const int n = JigP.TotalTileNum;
    ASSERT_GT(n, 20);
    // Strips of four turns, odd widths and the frame piece: every pixel.
    std::vector<std::vector<bool>> before(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const OMyImage& img = arPicJigs[size_t(i)];
        ASSERT_TRUE(img.HasPixels());
        for (int y = 0; y < img.H; ++y)
            for (int x = 0; x < img.W; ++x)
                before[size_t(i)].push_back(MyImageGetPixelAlpha(img, x, y) != 0);
    }
    std::vector<int> picked;
    for (int y = 0; y < JigP.ImageH + 80; y += 7)
        for (int x = 0; x < iMaxMainViewScrollW; x += 5)
            picked.push_back(GetCurJig(x, y));
    ASSERT_GT(std::count_if(picked.begin(), picked.end(), [](int j) { return j >= 0; }), 100);
    GoLean();
    for (int i = 0; i < n; ++i) {
        const OMyImage& img = arPicJigs[size_t(i)];
        ASSERT_FALSE(img.HasPixels());
        size_t k = 0;
        for (int y = 0; y < img.H; ++y)
            for (int x = 0; x < img.W; ++x, ++k)
                ASSERT_EQ(JigImageOpaqueAt(i, x, y), before[size_t(i)][k]) << i << " at " << x << "," << y;
    }
    size_t k = 0;
    for (int y = 0; y < JigP.ImageH + 80; y += 7)
        for (int x = 0; x < iMaxMainViewScrollW; x += 5, ++k)
            ASSERT_EQ(GetCurJig(x, y), picked[k]) << x << "," << y;
}

TEST_F(LeanGame, AnotherEmbossMakesThePiecesAFullGameWouldAndPacksTheMaskAgain)
{
    OpenCut(MakeJigsaw(dir), 10);
    CopyJigsToTextures(false, 3);
    const std::vector<std::vector<uint8_t>> full = PieceBytes();
    CopyJigsToTextures(false, 1);
    GoLean();
    RebuildPieceImages(3);
    EXPECT_EQ(PieceBytes(), full);
    EXPECT_FALSE(PieceImagePixelsDropped());  // picking reads the new pixels
    EXPECT_FALSE(miMasks);
    EXPECT_FALSE(arMaskPart.empty());
    EXPECT_TRUE(GamePicture_IsPacked());  // unpacked for the pieces only
}

TEST_F(LeanGame, APictureBeingPackedStaysWholeUntilItIsPackedAndIsLeftAloneWhenTheGameMovedOn)
{
    const std::string jigsaw = MakeJigsaw(dir);
    OpenCut(jigsaw, 9);
    const std::vector<uint8_t> cut = SaveTo("cut.svm");
    ASSERT_TRUE(OpenGameFile(dir.File("cut.svm")));
    const std::vector<uint8_t> reopened = SaveTo("reopened.svm");
    const struct {
        const char* what;
        std::function<void(TPicturePackJob&)> meanwhile;  // between the job's start and its end
        bool packed;
        const std::vector<uint8_t>* saves;
    } cases[] = {
        {"packed", [](TPicturePackJob&) {}, true, &cut},
        {"packing failed", [](TPicturePackJob& job) { job.packed.clear(); }, false, &cut},
        {"the saved game opened meanwhile",
         [&](TPicturePackJob&) { ASSERT_TRUE(OpenGameFile(dir.File("cut.svm"))); }, false, &reopened},
        {"the game closed meanwhile", [](TPicturePackJob&) { CloseGameRecords(); }, false, nullptr},
    };
    for (const auto& c : cases) {
        OpenCut(jigsaw, 9);
        ASSERT_TRUE(MyImageDropOpaqueAlpha(*miJigs));
        TPicturePackJob job;
        ASSERT_TRUE(GamePicture_StartPack(&job)) << c.what;
        // A save while the job runs reads the pixels, still there.
        EXPECT_EQ(SaveTo(std::string(c.what) + "-during.svm"), cut) << c.what;
        GamePicture_RunPack(job);
        c.meanwhile(job);
        EXPECT_EQ(GamePicture_FinishPack(job), c.packed) << c.what;
        EXPECT_FALSE(job.pixels) << c.what;  // the job let go of them either way
        if (!c.saves) {
            EXPECT_FALSE(miJigs) << c.what;
            continue;
        }
        EXPECT_EQ(GamePicture_IsPacked(), c.packed) << c.what;
        EXPECT_EQ(miJigs->HasPixels(), !c.packed) << c.what;
        EXPECT_EQ(SaveTo(std::string(c.what) + ".svm"), *c.saves) << c.what;
        EXPECT_EQ(GamePicture_IsPacked(), c.packed) << c.what << ": packed again after the save";
    }
}

TEST_F(LeanGame, AMaskPartInAnotherLayoutSavesAsOurPackingOfIt)
{
    OpenCut(MakeJigsaw(dir), 9);
    SaveTo("cut.svm");
    ASSERT_TRUE(OpenGameFile(dir.File("cut.svm")));
    const std::vector<uint8_t> reopened = SaveTo("reopened.svm");
    OMyImagePtr mask = DecodeMaskTiff(GameMask_Part().data(), GameMask_Part().size());
    ASSERT_TRUE(mask);
    // A small part (kept as read) and one as large as the pixels (packed anew).
    const struct {
        const char* name;
        std::vector<uint8_t> part;
    } layouts[] = {{"png", MyImageEncode(*mask, "PNG")}, {"stored-png", MyImageEncode(*mask, "PNG", 100)}};
    for (const auto& l : layouts) {
        TSolveFile s;
        const std::vector<uint8_t> bytes = ReadFileBytes(dir.File("cut.svm"));
        OBinReader r(bytes.data(), bytes.size());
        ASSERT_TRUE(SolveFile_ReadHead(r, &s) && SolveFile_ReadBody(r, &s));
        ASSERT_GT(l.part.size(), 0u);
        s.Mask = l.part;
        ASSERT_TRUE(OpenSolveFile_ForPlay(dir.File("cut.svm"), &s)) << l.name;
        GoLean();
        EXPECT_FALSE(miMasks) << l.name;
        EXPECT_LT(arMaskPart.size(), mask->ByteCount() / 4) << l.name;  // never the large one
        EXPECT_EQ(SaveTo(std::string(l.name) + ".svm"), reopened) << l.name;
    }
}

TEST_F(LeanGame, AGameReadAheadIsTheFileAsReadLaterAndIsLeftAloneWhenTheFileChangedOrAnotherIsOpened)
{
    const std::string jigsaw = MakeJigsaw(dir);
    OpenCut(jigsaw, 9);
    SaveTo("cut.svm");
    const std::string path = dir.File("cut.svm");

    // Taken: the same parts, records and decoded pixels as a read now.
    TSolveFile now;
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    OBinReader r(bytes.data(), bytes.size());
    ASSERT_TRUE(SolveFile_ReadHead(r, &now) && SolveFile_ReadBody(r, &now));
    SolveFile_StartReadAhead(path);
    TSolveFile ahead;
    ASSERT_TRUE(SolveFile_TakeReadAhead(path, &ahead));
    EXPECT_EQ(std::memcmp(&ahead.Params, &now.Params, sizeof now.Params), 0);
    EXPECT_EQ(ahead.Picture, now.Picture);
    EXPECT_EQ(ahead.Mask, now.Mask);
    ASSERT_EQ(ahead.Jigs.size(), now.Jigs.size());
    EXPECT_EQ(std::memcmp(ahead.Jigs.data(), now.Jigs.data(), sizeof(TJig) * now.Jigs.size()), 0);
    for (const auto& [img, part] : {std::pair{ahead.pPicture.get(), &now.Picture}, {ahead.pMask.get(), &now.Mask}}) {
        ASSERT_TRUE(img);
        const OMyImagePtr want = DecodeGamePicture(*part);
        ASSERT_TRUE(want && want->W == img->W && want->H == img->H);
        EXPECT_TRUE(std::equal(img->pMem, img->pMem + img->ByteCount(), want->pMem));
    }
    EXPECT_FALSE(SolveFile_TakeReadAhead(path, &ahead));  // taken once only

    // Opened from what was read ahead, the game saves what a plain open saves.
    ASSERT_TRUE(OpenGameFile(path));
    const std::vector<uint8_t> plain = SaveTo("plain.svm");
    SolveFile_StartReadAhead(path);
    ASSERT_TRUE(OpenGameFile(path));
    EXPECT_EQ(SaveTo("ahead.svm"), plain);

    // Not taken: the open reads the file itself.
    const struct {
        const char* what;
        std::string readAhead, opened;
        std::function<void()> meanwhile;
    } refused[] = {
        {"another file opened", dir.File("plain.svm"), path, [] {}},
        {"not a saved game", jigsaw, jigsaw, [] {}},
        {"no such file", dir.File("none.svm"), dir.File("none.svm"), [] {}},
        {"the file saved over meanwhile", path, path, [&] {
             SolveFile_WaitReadAhead();
             SaveTo("cut.svm");
         }},
    };
    for (const auto& c : refused) {
        SolveFile_StartReadAhead(c.readAhead);
        c.meanwhile();
        TSolveFile s;
        EXPECT_FALSE(SolveFile_TakeReadAhead(c.opened, &s)) << c.what;
        EXPECT_FALSE(SolveFile_TakeReadAhead(c.readAhead, &s)) << c.what;  // gone either way
    }
}

TEST_F(LeanGame, PieceImagesMadeAheadAreTheOnesTheOpenMakesInThePlayersLookOrAreMadeAnew)
{
    OpenCut(MakeJigsaw(dir), 9);  // turning pieces and the frame: strips and a plain image
    SaveTo("cut.svm");
    const std::string path = dir.File("cut.svm");
    const int count = JigP.TotalTileNum;
    const uint8_t before = OptP.Visual_EmbossStyle;

    // Made ahead only once the look is known: with it, one per piece.
    SolveFile_StartReadAhead(path);
    SolveFile_LetReadAheadMakePieces(2);
    TSolveFile s;
    ASSERT_TRUE(SolveFile_TakeReadAhead(path, &s));
    EXPECT_EQ(s.iPieceEmboss, 2);
    EXPECT_EQ(s.arPieceImages.size(), size_t(count));
    SolveFile_StartReadAhead(path);
    ASSERT_TRUE(SolveFile_TakeReadAhead(path, &s));  // the open came first: none made
    EXPECT_EQ(s.iPieceEmboss, -1);
    EXPECT_TRUE(s.arPieceImages.empty());

    // The open takes them when the player's look is the one they were made
    // in, else makes them anew: the same pixels as a plain open either way.
    const struct {
        int ahead, open;
    } cases[] = {{kEmbossDefault, kEmbossDefault}, {kEmbossNone, kEmbossNone}, {kEmbossLast, kEmbossDefault},
                 {kEmbossNone, kEmbossLast}};
    for (const auto& c : cases) {
        OptP.Visual_EmbossStyle = uint8_t(c.open);
        ASSERT_TRUE(OpenGameFile(path));
        const std::vector<std::vector<uint8_t>> plain = PieceBytes();
        const std::vector<uint8_t> saved = SaveTo("plain.svm");
        SolveFile_StartReadAhead(path);
        SolveFile_LetReadAheadMakePieces(c.ahead);
        ASSERT_TRUE(OpenGameFile(path));
        EXPECT_EQ(arPicJigs.size(), size_t(count));
        EXPECT_TRUE(PieceBytes() == plain) << c.ahead << " " << c.open;
        EXPECT_EQ(SaveTo("ahead.svm"), saved) << c.ahead << " " << c.open;
    }
    OptP.Visual_EmbossStyle = before;
}

TEST_F(LeanGame, AJigsawReadAheadCutsTheGameAPlainOpenCutsAndIsLeftAloneWhenItDoesNotFit)
{
    const std::string jigsaw = MakeJigsaw(dir);
    OpenCut(jigsaw, 9);
    const std::vector<uint8_t> plain = SaveTo("plain.svm");
    const int64_t dataOfs = NewJigP.DataOfs;

    // Taken by the open (nothing is left to take after it): the same game.
    SolveFile_StartReadAhead(jigsaw);
    OpenCut(jigsaw, 9);
    EXPECT_EQ(SaveTo("ahead.svm"), plain);
    std::string desc;
    OMyImagePtr pic;
    EXPECT_FALSE(JigFile_TakeReadAhead(jigsaw, dataOfs, &desc, &pic));

    // Taken directly: the description and the pixels a read now gives.
    SolveFile_StartReadAhead(jigsaw);
    ASSERT_TRUE(JigFile_TakeReadAhead(jigsaw, dataOfs, &desc, &pic));
    EXPECT_EQ(desc, "A harbour");
    const OMyImagePtr want = ReadJigFilePicture(jigsaw, false, nullptr);
    ASSERT_TRUE(pic && want && want->W == pic->W && want->H == pic->H && want->iBPP == pic->iBPP);
    EXPECT_TRUE(std::equal(pic->pMem, pic->pMem + pic->ByteCount(), want->pMem));

    // Not taken, and gone either way.
    const struct {
        const char* what;
        std::string readAhead, opened;
        int64_t dataOfs;
        std::function<void()> meanwhile;
    } refused[] = {
        {"another jigsaw opened", jigsaw, dir.File("Other.zjg"), dataOfs, [] {}},
        {"a saved game read ahead", dir.File("plain.svm"), dir.File("plain.svm"), dataOfs, [] {}},
        {"the parts found elsewhere by the open", jigsaw, jigsaw, dataOfs + 1, [] {}},
        {"the file rewritten meanwhile", jigsaw, jigsaw, dataOfs, [&] {
             SolveFile_WaitReadAhead();
             MakeJigsaw(dir);
         }},
    };
    for (const auto& c : refused) {
        SolveFile_StartReadAhead(c.readAhead);
        c.meanwhile();
        EXPECT_FALSE(JigFile_TakeReadAhead(c.opened, c.dataOfs, &desc, &pic)) << c.what;
        EXPECT_FALSE(JigFile_TakeReadAhead(c.readAhead, dataOfs, &desc, &pic)) << c.what;
    }
}

TEST_F(LeanGame, AJigsawWhosePictureDoesNotDecodeIsRefusedTheSameWayReadAheadOrNot)
{
    const uint8_t keys[10] = {3, 1, 4, 1, 5, 9, 2, 6, 5, 3};
    OMyImagePtr thumb = MyImageCreateExt(32, 24, false);
    const std::string path = dir.File("Broken.zjg");
    std::vector<uint8_t> garbage(4000, 0x5A);
    garbage[0] = 0xFF, garbage[1] = 0xD8, garbage[2] = 0xFF;  // claims JPEG, is not
    std::string error;
    ASSERT_TRUE(SaveJigFile(path, 260, 190, keys, MyImageEncode(*thumb, "PNG"), "", garbage, &error)) << error;
    for (const bool ahead : {false, true}) {
        NewJigP = TJigParams{};
        ASSERT_TRUE(OpenJigFile_ForListOrPreview(path, false));
        SetJigParamsFromLevel(NewJigP, NewJigP.ImageW, NewJigP.ImageH, 0);
        if (ahead)
            SolveFile_StartReadAhead(path);
        EXPECT_FALSE(OpenGameFile(path, 1u)) << ahead;
        EXPECT_EQ(OpenFaultP.fault, TOpenFault::Picture) << ahead;
    }
}
