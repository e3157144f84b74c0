// Saved games of the largest size the game makes: 4000 pieces and a frame of
// a 2560 x 1920 picture. The full save (every part and the state block,
// synced and renamed), the re-save of the same game (copy, patch, sync,
// rename), and the open (the parts read and checked, picture and mask decoded).
#include "support.h"

#include "files/files.h"
#include "model/game_state.h"
#include "model/puzzle.h"
#include "cutting/cutting.h"
#include "model/memory_field.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <unistd.h>

namespace {

constexpr int kW = 2560, kH = 1920, kPieces = 4001;

std::string BenchFolder()
{
    const char* base = std::getenv("TMPDIR");
    std::string t = std::string(base && *base ? base : "/tmp") + "/zivra-bench-XXXXXX";
    return mkdtemp(t.data()) ? t : std::string("/tmp");
}

// A game of kPieces pieces on a grid, the picture photo-like and the mask a cell mask.
void MakeBigGame()
{
    BenchResetAll();
    JigP = TJigParams{};
    JigP.GameSeed = 1;
    JigP.ImageW = kW;
    JigP.ImageH = kH;
    JigP.TotalTileNum = kPieces;
    miJigs = MakePhotoLikeImage(kW, kH);
    std::vector<TPoint> seeds;
    miMasks = MakeCellMask(kW, kH, 4000, &seeds);
    miInfoThumb = MyImageCreateExt(320, 240, false);
    MyImageSmoothResize(*miInfoThumb, *miJigs);
    CreateJigsBuf(kPieces + 1);
    for (int i = 0; i < kPieces; ++i) {
        TJig& j = JigAt(i);
        j.W = j.H = 44;
        j.HomeX = (i % 73) * 34;
        j.HomeY = (i / 73) * 34 % (kH - 44);
        j.Layer = i;
        for (int16_t& nb : j.Nb)
            nb = -1;
    }
    FileNames.sJigName = "Elephants";
    g_JigDesc = "A painting of a herd wandering through a blue forest.";
}

void BM_FullSave4000Pieces(benchmark::State& state)
{
    MakeBigGame();
    const std::string dir = BenchFolder(), path = dir + "/big.svm";
    for (auto _ : state) {
        ++JigP.GameSeed;  // another game each time: never the in-place path
        if (!SaveSolveFile(path, false))
            state.SkipWithError("save failed");
    }
    state.counters["file_MB"] = double(GetFileSize(path)) / 1e6;
    unlink(path.c_str());
    rmdir(dir.c_str());
}
BENCHMARK(BM_FullSave4000Pieces)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Resave4000Pieces(benchmark::State& state)
{
    MakeBigGame();
    const std::string dir = BenchFolder(), path = dir + "/big.svm";
    SaveSolveFile(path, false);
    const int64_t size = GetFileSize(path);
    for (auto _ : state) {
        Jigs[7].X += 1;
        if (!TryWriteChangedDateToSolveFile(path))
            state.SkipWithError("re-save failed");
    }
    if (GetFileSize(path) != size)
        state.SkipWithError("the re-save changed the length");
    state.counters["file_MB"] = double(size) / 1e6;
    unlink(path.c_str());
    rmdir(dir.c_str());
}
BENCHMARK(BM_Resave4000Pieces)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Open4000Pieces(benchmark::State& state)
{
    MakeBigGame();
    const std::string dir = BenchFolder(), path = dir + "/big.svm";
    SaveSolveFile(path, false);
    for (auto _ : state) {
        OBinReader r;
        TSolveFile s;
        if (!r.OpenFile(path) || !SolveFile_ReadHead(r, &s) || !SolveFile_ReadBody(r, &s))
            state.SkipWithError("read failed");
        OMyImagePtr pic = DecodeGamePicture(s.Picture);
        OMyImagePtr mask = DecodeGamePicture(s.Mask);
        OMyImagePtr thumb = DecodeThumbnail(s.Thumb);
        if (!pic || !mask || !thumb)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(pic);
    }
    unlink(path.c_str());
    rmdir(dir.c_str());
}
BENCHMARK(BM_Open4000Pieces)->Unit(benchmark::kMillisecond)->Iterations(5);

// A real game: a 2560 x 1920 jigsaw cut at level 0 (about 4000 pieces,
// rotation on), saved; then the whole play read of that saved game, piece
// images included.
void BM_OpenForPlayCutGame(benchmark::State& state)
{
    BenchResetAll();
    OMemoryField field;
    SetFieldHost(&field);
    const std::string dir = BenchFolder(), jig = dir + "/big.zjg", path = dir + "/big.svm";
    const std::vector<uint8_t> jpeg = MakePhotoLikeJpeg(kW, kH);
    OMyImagePtr thumb = MyImageCreateExt(320, 240, false);
    const uint8_t keys[10] = {};
    std::string error;
    SetHeadlessViewSize(kW, kH);
    NewJigP = TJigParams{};
    NewJigP.Rotate = 1;
    if (!SaveJigFile(jig, kW, kH, keys, MyImageEncode(*thumb, "JPG"), "", jpeg, &error) ||
        !OpenJigFile_ForListOrPreview(jig, false) || !FillMaskParams(kW, kH, 0, 0)) {
        state.SkipWithError("no jigsaw");
        return;
    }
    SetJigParamsFromLevel(NewJigP, kW, kH, 0);
    if (!OpenGameFile(jig, 1u) || !SaveSolveFile(path, false)) {
        state.SkipWithError("no game");
        return;
    }
    for (auto _ : state) {
        if (!OpenSolveFile_ForListOrPreview(path, false) || !OpenSolveFile_ForPlay(path))
            state.SkipWithError("open failed");
    }
    state.counters["pieces"] = JigP.TotalTileNum;
    state.counters["file_MB"] = double(GetFileSize(path)) / 1e6;
    unlink(jig.c_str());
    unlink(path.c_str());
    rmdir(dir.c_str());
    SetFieldHost(nullptr);
}
BENCHMARK(BM_OpenForPlayCutGame)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
