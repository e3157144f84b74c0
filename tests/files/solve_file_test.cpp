#include "files/synthetic_game.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool ReadAll(const std::vector<uint8_t>& bytes, TSolveFile* s)
{
    OBinReader r(bytes.data(), bytes.size());
    return SolveFile_ReadHead(r, s) && SolveFile_ReadBody(r, s);
}

bool ReadAll(const std::string& path, TSolveFile* s) { return ReadAll(ReadFileBytes(path), s); }

template <class T>
bool SameBytes(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof(T)) == 0; }

std::string FolderOfTest(const std::string& path) { return path.substr(0, path.find_last_of('/')); }

}  // namespace

// ---- Round trips ------------------------------------------------------------------------------

TEST(SolveFile, SavedGameReadsBackByteForByte)
{
    TempDir dir;
    MakeSyntheticGame(61, 43, 25, 1234);
    const std::string path = dir.File("game.svm");
    ASSERT_TRUE(SaveSolveFile(path, false));
    EXPECT_EQ(CountSideFiles(dir.Path()), 0);
    EXPECT_EQ(Recorder().title, "game.svm");

    TSolveFile s;
    ASSERT_TRUE(ReadAll(path, &s));
    EXPECT_EQ(s.GameSeed, 1234);
    EXPECT_EQ(s.sName, "Forest");
    EXPECT_TRUE(SameBytes(s.Params, JigP));
    ASSERT_EQ(s.Jigs.size(), 25u);
    EXPECT_EQ(std::memcmp(s.Jigs.data(), Jigs.data(), 25 * sizeof(TJig)), 0);
    EXPECT_TRUE(SameBytes(s.WinP, WinP));
    EXPECT_EQ(s.CurMA, KidsMA);
    for (int k = 0; k < kPocketCount; ++k)
        EXPECT_EQ(s.Pockets[k], PocketsP.Pocket[k]) << k;
    EXPECT_TRUE(s.bHasTail);
    EXPECT_EQ(s.iWeightJig, 12);
    EXPECT_EQ(std::string(s.Desc.begin(), s.Desc.end()), "A forest at dawn");
    OMyImagePtr pic = MyImageCreateFromData(s.Picture.data(), s.Picture.size(), true);
    OMyImagePtr mask = MyImageCreateFromData(s.Mask.data(), s.Mask.size(), true);
    ASSERT_TRUE(pic && mask);
    EXPECT_EQ(pic->Bitmap, miJigs->Bitmap);
    EXPECT_EQ(mask->Bitmap, miMasks->Bitmap);

    // The list read gives the record for a new game from it.
    NewJigP = TJigParams{};
    ASSERT_TRUE(OpenSolveFile_ForListOrPreview(path, false));
    EXPECT_EQ(FileNames.sNewJig, "Forest");
    EXPECT_EQ(NewJigP.SideNum, 1);
    EXPECT_EQ(NewJigP.DataOfs, int32_t(s.DataOfs));
    EXPECT_EQ(NewJigP.TotalTileNum, 25);
    ASSERT_TRUE(miReadThumb);
    EXPECT_EQ(miReadThumb->W, 32);
}

TEST(SolveFile, ResaveRewritesOnlyTheStateBlockAndKeepsTheLength)
{
    TempDir dir;
    MakeSyntheticGame(40, 30, 9, 77);
    const std::string path = dir.File("g.svm");
    ASSERT_TRUE(SaveSolveFile(path, false));
    const auto first = ReadFileBytes(path);
    const uint32_t stateOfs = GetLE32(first, 15);

    Jigs[3].X += 11;
    iWeightJig = -1;
    GameChanged();
    ASSERT_TRUE(TryWriteChangedDateToSolveFile(path));
    ASSERT_TRUE(SaveSolveFile(path, false));
    EXPECT_FALSE(AutoSaveP.bNeedSave);
    const auto second = ReadFileBytes(path);
    ASSERT_EQ(second.size(), first.size());
    EXPECT_TRUE(std::equal(first.begin(), first.begin() + stateOfs, second.begin()));
    EXPECT_EQ(CountSideFiles(dir.Path()), 0);
    TSolveFile s;
    ASSERT_TRUE(ReadAll(second, &s));
    EXPECT_EQ(s.Jigs[3].X, Jigs[3].X);
    EXPECT_EQ(s.iWeightJig, -1);

    // Another game (another seed) is never patched into this file.
    MakeSyntheticGame(40, 30, 9, 78);
    EXPECT_FALSE(TryWriteChangedDateToSolveFile(path));
    // Nor the same seed cut into another number of pieces.
    MakeSyntheticGame(40, 30, 10, 77);
    EXPECT_FALSE(TryWriteChangedDateToSolveFile(path));
    // Nor the same seed and count in another style, frame or rotation, or of another jigsaw.
    for (auto change : std::vector<std::function<void()>>{[] { JigP.ShapeStyle = uint8_t(JigP.ShapeStyle ^ 1); },
                                                          [] { JigP.BorderStyle ^= 1; }, [] { JigP.Rotate = 0; },
                                                          [] { FileNames.sJigName = "Lake"; }}) {
        MakeSyntheticGame(40, 30, 9, 77);
        change();
        EXPECT_FALSE(TryWriteChangedDateToSolveFile(path));
    }
    EXPECT_EQ(ReadFileBytes(path), second);
}

TEST(SolveFile, MissingTailOpensWithNoWeightedPiece)
{
    TempDir dir;
    MakeSyntheticGame(40, 30, 9, 5);
    ASSERT_TRUE(SaveSolveFile(dir.File("g.svm"), false));
    auto b = ReadFileBytes(dir.File("g.svm"));
    b.resize(b.size() - kSolveTailBytes);
    TSolveFile s;
    ASSERT_TRUE(ReadAll(b, &s));
    EXPECT_FALSE(s.bHasTail);
    EXPECT_EQ(s.iWeightJig, -1);
    // A tail without the marker is no weight either.
    b = ReadFileBytes(dir.File("g.svm"));
    PutLE32(b, b.size() - kSolveTailBytes, 12345);
    ASSERT_TRUE(ReadAll(b, &s));
    EXPECT_EQ(s.iWeightJig, -1);
    // A re-save restores the tail.
    ASSERT_TRUE(WriteFileBytes(dir.File("h.svm"), std::vector<uint8_t>(b.begin(), b.end() - kSolveTailBytes)));
    ASSERT_TRUE(TryWriteChangedDateToSolveFile(dir.File("h.svm")));
    EXPECT_EQ(ReadFileBytes(dir.File("h.svm")), ReadFileBytes(dir.File("g.svm")));
}

TEST(SolveFile, NameOf255BytesRoundTripsAndLongerNamesAreCut)
{
    TempDir dir;
    const std::string n255(255, 'n');
    MakeSyntheticGame(20, 20, 4, 9, n255);
    ASSERT_TRUE(SaveSolveFile(dir.File("a.svm"), false));
    const auto b = ReadFileBytes(dir.File("a.svm"));
    EXPECT_EQ(GetLE32(b, 19), 256u);
    TSolveFile s;
    ASSERT_TRUE(ReadAll(b, &s));
    EXPECT_EQ(s.sName, n255);

    // 300 bytes of two-byte letters: cut to 254 bytes, never inside a letter.
    std::string ru;
    for (int i = 0; i < 150; ++i)
        ru += "ж";
    MakeSyntheticGame(20, 20, 4, 9, ru);
    ASSERT_TRUE(SaveSolveFile(dir.File("b.svm"), false));
    ASSERT_TRUE(ReadAll(dir.File("b.svm"), &s));
    EXPECT_EQ(s.sName, ru.substr(0, 254));
}

// ---- Hostile saved games ------------------------------------------------------------------------

TEST(SolveFile, HostileRecordsAreRefusedQuickly)
{
    TempDir dir;
    MakeSyntheticGame(40, 30, 9, 3);
    ASSERT_TRUE(SaveSolveFile(dir.File("g.svm"), false));
    const auto good = ReadFileBytes(dir.File("g.svm"));
    const uint32_t nameLen = GetLE32(good, 19);
    const size_t params = 23 + nameLen;
    const size_t thumbLen = 23 + nameLen + 120;
    const size_t picLen = thumbLen + 4 + GetLE32(good, thumbLen);
    const size_t maskLen = picLen + 4 + GetLE32(good, picLen);
    const uint32_t stateOfs = GetLE32(good, 15);
    const size_t jig0 = stateOfs + 36 + 9;
    auto setParam = [&](std::vector<uint8_t>& b, size_t field, uint32_t v) { PutLE32(b, params + field, v); };

    struct Case { const char* name; std::function<void(std::vector<uint8_t>&)> spoil; };
    const std::vector<Case> cases = {
        {"other magic", [](auto& b) { b[3] = 'X'; }},
        {"name length 257", [](auto& b) { PutLE32(b, 19, 257); }},
        {"name length 0", [](auto& b) { PutLE32(b, 19, 0); }},
        {"name length 0xFFFFFFFF", [](auto& b) { PutLE32(b, 19, 0xFFFFFFFF); }},
        {"name without its zero", [&](auto& b) { b[23 + nameLen - 1] = 'x'; }},
        {"piece count above 4001", [&](auto& b) { setParam(b, offsetof(TJigParams, TotalTileNum), 4002); }},
        {"piece count above the bytes present", [&](auto& b) { setParam(b, offsetof(TJigParams, TotalTileNum), 4000); }},
        {"piece count negative", [&](auto& b) { setParam(b, offsetof(TJigParams, TotalTileNum), 0xFFFFFFFF); }},
        {"picture width 0", [&](auto& b) { setParam(b, offsetof(TJigParams, ImageW), 0); }},
        {"picture of the wrong size", [&](auto& b) { setParam(b, offsetof(TJigParams, ImageW), 41); }},
        {"state offset inside the header", [](auto& b) { PutLE32(b, 15, 20); }},
        {"state offset inside the parts", [&](auto& b) { PutLE32(b, 15, uint32_t(maskLen)); }},
        {"state offset past the end", [](auto& b) { PutLE32(b, 15, uint32_t(b.size())); }},
        {"state offset 0xFFFFFFFF", [](auto& b) { PutLE32(b, 15, 0xFFFFFFFF); }},
        {"thumbnail past the end", [&](auto& b) { PutLE32(b, thumbLen, 0xFFFFFFF0); }},
        {"picture past the end", [&](auto& b) { PutLE32(b, picLen, 0xFFFFFFFF); }},
        {"mask past the end", [&](auto& b) { PutLE32(b, maskLen, uint32_t(b.size())); }},
        {"piece in window 9", [&](auto& b) { b[jig0 + offsetof(TJig, Win)] = 9; }},
        {"piece turned 4 times", [&](auto& b) { b[jig0 + sizeof(TJig) + offsetof(TJig, Rot)] = 4; }},
        {"piece box outside the picture", [&](auto& b) { PutLE32(b, jig0 + offsetof(TJig, HomeX), 39); PutLE32(b, jig0 + offsetof(TJig, W), 5); }},
        {"neighbour beyond the table", [&](auto& b) { b[jig0 + offsetof(TJig, Nb)] = 9; b[jig0 + offsetof(TJig, Nb) + 1] = 0; }},
        {"state block cut short", [&](auto& b) { b.resize(stateOfs + 100); }},
        {"shape style 7", [&](auto& b) { b[params + offsetof(TJigParams, ShapeStyle)] = 7; }},
        {"frame style 2", [&](auto& b) { b[params + offsetof(TJigParams, BorderStyle)] = 2; }},
        {"rotation flag 2", [&](auto& b) { b[params + offsetof(TJigParams, Rotate)] = 2; }},
        {"piece turned without rotation", [&](auto& b) {
             b[params + offsetof(TJigParams, Rotate)] = 0;
             b[jig0 + offsetof(TJig, Rot)] = 1;
         }},
        {"frame piece turned", [&](auto& b) {
             b[jig0 + offsetof(TJig, MaskColor)] = cFrameColor;
             b[jig0 + offsetof(TJig, Rot)] = 2;
         }},
    };
    for (const Case& c : cases) {
        auto b = good;
        c.spoil(b);
        TSolveFile s;
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_FALSE(ReadAll(b, &s)) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(1)) << c.name;
    }
    for (size_t n = 0; n + 1 < good.size(); n += 1 + n / 8) {
        TSolveFile s;
        EXPECT_FALSE(ReadAll(std::vector<uint8_t>(good.begin(), good.begin() + long(n)), &s)) << n;
    }
    // A mask of another size than the picture.
    miMasks = MyImageCreateExt(40, 29, true);
    ASSERT_TRUE(SaveSolveFile(dir.File("m.svm"), false));
    TSolveFile s;
    EXPECT_FALSE(ReadAll(dir.File("m.svm"), &s));
}

// ---- Saving that fails leaves the old game --------------------------------------------------------

namespace {

// Saves the current game in a child process after `limit` has hemmed it in
// (answering false if it could not): the save must fail, say so once, keep the
// game due for saving, and leave the old file whole with nothing beside it.
void ExpectFailedSaveKeeps(const std::string& path, const std::vector<uint8_t>& old, const std::function<bool()>& limit)
{
    Jigs[0].X = 4321;
    const pid_t pid = fork();
    if (pid == 0) {
        if (!limit())
            _exit(3);
        Recorder().Clear();
        GameChanged();
        if (SaveSolveFile(path, false))
            _exit(1);  // claimed success
        const bool said = Recorder().Count(RecordingPlatform::Kind::Message) == 1 && AutoSaveP.bNeedSave;
        _exit(said ? 0 : 2);  // 2: failed silently
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFileBytes(path), old);
    EXPECT_EQ(CountSideFiles(FolderOfTest(path)), 0);
}

}  // namespace

TEST(SolveFile, FullDiskLeavesTheOldGameAndSaysSo)
{
    TempDir dir;
    MakeSyntheticGame(80, 60, 30, 1);
    const std::string path = dir.File("g.svm");
    ASSERT_TRUE(SaveSolveFile(path, false));
    const auto old = ReadFileBytes(path);
    // Another game (a full save), then the same game moved on (a re-save).
    for (const auto& [seed, limit] : {std::pair{2, old.size() / 2}, {1, old.size() - 10}}) {
        SCOPED_TRACE(seed);
        MakeSyntheticGame(80, 60, 30, seed);
        ExpectFailedSaveKeeps(path, old, [limit = limit] {
            signal(SIGXFSZ, SIG_IGN);
            const struct rlimit rl = {rlim_t(limit), rlim_t(limit)};
            return setrlimit(RLIMIT_FSIZE, &rl) == 0;
        });
    }
}

TEST(SolveFile, ReadOnlyFolderLeavesTheOldGameAndSaysSo)
{
    TempDir dir;
    MakeSyntheticGame(40, 30, 9, 1);
    const std::string folder = dir.File("ro");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string path = folder + "/g.svm";
    ASSERT_TRUE(SaveSolveFile(path, false));
    const auto old = ReadFileBytes(path);
    chmod(dir.Path().c_str(), 0755);
    chmod(path.c_str(), 0644);
    chmod(folder.c_str(), 0555);
    for (int32_t seed : {2, 1}) {  // a full save, then a re-save
        SCOPED_TRACE(seed);
        MakeSyntheticGame(40, 30, 9, seed);
        // Root writes anywhere: act as an ordinary user for the trial.
        ExpectFailedSaveKeeps(path, old, [] { return geteuid() != 0 || (setgid(65534) == 0 && setuid(65534) == 0); });
    }
    chmod(folder.c_str(), 0755);
}

TEST(SolveFile, UnwritableTemporaryFileIsReportedAndNothingChanges)
{
    TempDir dir;
    MakeSyntheticGame(40, 30, 9, 1);
    const std::string path = dir.File("missing/g.svm");  // no folder to make the temporary file in
    EXPECT_FALSE(SaveSolveFile(path, false));
    EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Message, "Failed: fileHandleForWritingAtPath"), 1);
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(Recorder().progressVisible);
    EXPECT_FALSE(bAutoSaveDoProc);
}

TEST(SolveFile, FileFromAnotherWriterReads)
{
    // Laid out by hand (tests/inputs/solve_file/tiny.svm): a BMP picture, a TIFF mask, two pieces.
    TSolveFile s;
    ASSERT_TRUE(ReadAll(SourcePath("tests/inputs/solve_file/tiny.svm"), &s));
    EXPECT_EQ(s.sName, "Tiny");
    EXPECT_EQ(s.GameSeed, 42);
    EXPECT_EQ(s.Jigs.size(), 2u);
    EXPECT_EQ(s.iWeightJig, 1);
    EXPECT_EQ(s.Pockets[1].bVisible, 1);
    std::string out;
    EXPECT_EQ(RunCommand(ToolCommand() + " show '" + SourcePath("tests/inputs/solve_file/tiny.svm") + "'",
                         &out), 0);
    EXPECT_EQ(out, "kind\tsaved-game\nname\tTiny\nseed\t42\npieces\t2\ngroups\t1\nlevel\t0\nstyle\t0\n"
                   "frame\t0\nrotate\t0\nsolved\t1\npocket0\t0\npocket1\t0\npocket2\t0\npocket3\t0\n");
}

// ---- The question before a game is closed ------------------------------------------------------

TEST(SaveAndContinue, AnswersDecideAndAFailedSaveKeepsTheGameOpen)
{
    TempDir dir;
    MakeSyntheticGame(20, 20, 4, 9);
    EXPECT_TRUE(SaveAndContinue());  // nothing to save: no question
    EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Question), 0);

    GameChanged();
    Recorder().QueueAnswer(3);
    EXPECT_FALSE(SaveAndContinue());  // Cancel
    Recorder().QueueAnswer(2);
    EXPECT_TRUE(SaveAndContinue());   // No
    EXPECT_TRUE(AutoSaveP.bNeedSave);

    FileNames.sSolve = dir.File("mine.svm");
    Recorder().QueueAnswer(1);
    EXPECT_TRUE(SaveAndContinue());   // Yes: saved under its name
    EXPECT_TRUE(FileExists(dir.File("mine.svm")));
    EXPECT_EQ(LastFiles.arFileNames.front(), dir.File("mine.svm"));

    // The autosave file is never the player's own name: asked for one.
    GameChanged();
    FileNames.sAutoSaved = FileNames.sSolve = dir.File("autosaved.svm");
    std::string preset;
    GameFileHooks.fnFileDialog = [&](int style, const std::string& p, std::string* chosen) {
        EXPECT_EQ(style, 2);
        preset = p;
        *chosen = dir.File("named");
        return 1;
    };
    Recorder().QueueAnswer(1);
    EXPECT_TRUE(SaveAndContinue());
    EXPECT_EQ(preset, "Forest");
    EXPECT_EQ(FileNames.sSolve, dir.File("named.svm"));
    EXPECT_TRUE(FileExists(dir.File("named.svm")));

    // Yes, but the save fails: closing must not go on.
    GameChanged();
    FileNames.sSolve = dir.File("no/such/folder/g.svm");
    Recorder().QueueAnswer(1);
    EXPECT_FALSE(SaveAndContinue());
    EXPECT_TRUE(AutoSaveP.bNeedSave);
}

// ---- Applying a read saved game -----------------------------------------------------------------

TEST(SolveFileApply, RestoresTheRecordsAndPocketsAsStored)
{
    TempDir dir;
    MakeSyntheticGame(40, 30, 9, 21);
    // The window's pockets reach the records only through the hook every save calls.
    GameFileHooks.fnBeforeSave = [] { PocketsP.Pocket[2].bVisible = 1; };
    ASSERT_TRUE(SaveSolveFile(dir.File("g.svm"), false));
    auto b = ReadFileBytes(dir.File("g.svm"));
    const size_t pockets = GetLE32(b, 15) + 36 + 9 + 9 * sizeof(TJig);
    EXPECT_EQ(b[pockets], 0);              // the scroll flag is always written 0
    b[pockets + 2 * kPocketRecBytes] = 1;  // pocket 3: scroll flag 1
    const TJigParams savedParams = JigP;
    const std::vector<TJig> savedJigs(Jigs.begin(), Jigs.begin() + 9);
    const OPocketsP savedPockets = PocketsP;
    const std::vector<uint8_t> savedPixels = miJigs->Bitmap;

    ResetAllState();
    WinP.Reserved[0] = 555;  // the running values of the first two words stay
    TSolveFile s;
    ASSERT_TRUE(ReadAll(b, &s));
    EXPECT_EQ(s.Pockets[1].bScroll, 0);
    EXPECT_EQ(s.Pockets[2].bScroll, 1);  // read as stored
    ASSERT_TRUE(SolveFile_Apply(s));
    EXPECT_EQ(std::memcmp(&JigP, &savedParams, offsetof(TJigParams, SideNum)), 0);
    EXPECT_EQ(JigP.SideNum, 1);
    EXPECT_EQ(std::memcmp(Jigs.data(), savedJigs.data(), 9 * sizeof(TJig)), 0);
    EXPECT_EQ(Jigs.size(), 10u);
    EXPECT_EQ(miJigs->Bitmap, savedPixels);
    EXPECT_EQ(WinP.Reserved[0], 555);
    EXPECT_EQ(WinP.lBkgColors[3], 0x123456 + 21);
    EXPECT_EQ(FileNames.sJigName, "Forest");
    EXPECT_EQ(g_JigDesc, "A forest at dawn");
    for (int k : {0, 1, 3})
        EXPECT_EQ(PocketsP.Pocket[k], savedPockets.Pocket[k]) << k;
    EXPECT_EQ(PocketsP.Pocket[2].bVisible, 1);
    EXPECT_EQ(PocketsP.Pocket[2].mrWin, savedPockets.Pocket[2].mrWin);
    EXPECT_EQ(PocketsP.Pocket[2].iScrollL, 0);
    EXPECT_EQ(PocketsP.Pocket[2].iScrollT, 0);
    EXPECT_EQ(iWeightJig, 4);

    CloseGameRecords();
    EXPECT_TRUE(Jigs.empty());
    EXPECT_FALSE(miJigs);
    EXPECT_FALSE(FileNames.bOpen);
}

// Piece boxes that each cover the whole picture would cost gigabytes of piece
// images: such a file is refused by the reader, before anything is built,
// with or without rotation; the same pieces with boxes a cut makes read.
TEST(SolveFile, PieceBoxesCoveringThePictureAreRefusedBeforeAnyImageIsBuilt)
{
    TempDir dir;
    const int w = 1024, h = 768, pieces = 120;
    MakeSyntheticGame(w, h, pieces, 2);
    for (int i = 0; i < pieces; ++i) {  // boxes of a real cut's size: readable
        TJig& j = JigAt(i);
        j.W = j.H = 120;
        j.HomeX = (i * 97) % (w - 120);
        j.HomeY = (i * 61) % (h - 120);
    }
    const std::string path = dir.File("boxes.svm");
    ASSERT_TRUE(SaveSolveFile(path, false));
    TSolveFile s;
    ASSERT_TRUE(ReadAll(path, &s));
    const std::vector<uint8_t> good = ReadFileBytes(path);
    for (const uint8_t rotate : {uint8_t(1), uint8_t(0)}) {
        SCOPED_TRACE(int(rotate));
        std::vector<uint8_t> bytes = good;
        const size_t params = 23 + GetLE32(bytes, 19);
        bytes[params + offsetof(TJigParams, Rotate)] = rotate;
        const size_t table = GetLE32(bytes, 15) + sizeof(TWinParams) + sizeof(MOUSE_SCHEMA);
        for (int i = 0; i < pieces; ++i) {
            const size_t at = table + size_t(i) * sizeof(TJig);
            bytes[at + offsetof(TJig, Rot)] = 0;
            PutLE32(bytes, at + offsetof(TJig, HomeX), 0);
            PutLE32(bytes, at + offsetof(TJig, HomeY), 0);
            PutLE32(bytes, at + offsetof(TJig, W), uint32_t(w));
            PutLE32(bytes, at + offsetof(TJig, H), uint32_t(h));
        }
        OpenFaultP = TOpenFaultP{};
        TSolveFile hostile;
        EXPECT_FALSE(ReadAll(bytes, &hostile));
        EXPECT_EQ(OpenFaultP.fault, TOpenFault::Costly);
        EXPECT_TRUE(hostile.Jigs.size() == size_t(pieces));  // read, checked, refused: no image made
    }
    // The writer never writes what its reader refuses.
    for (int i = 0; i < pieces; ++i) {
        TJig& j = JigAt(i);
        j.HomeX = j.HomeY = 0;
        j.W = w;
        j.H = h;
    }
    EXPECT_FALSE(SaveSolveFile(dir.File("never.svm"), false));
    EXPECT_FALSE(FileExists(dir.File("never.svm")));
}
