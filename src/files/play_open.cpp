// Opening games for play: a jigsaw cut anew, or a saved game restored, and
// the common entry that titles the window and remembers the file.
#include "files/files.h"

#include "model/game_cut.h"
#include "model/play_rules.h"
#include "platform/platform.h"

namespace {

// A failed play read leaves no game: nothing to draw, nothing to autosave.
bool FailPlayRead()
{
    CloseGameRecords();
    Platform().ProgressHide();
    return false;
}

bool CutNewGame()
{
    CreateJigsBuf(JigP.TotalTileNum + 1);
    SortJigs(0);
    // The Figure and grid styles' pictures and tab atlas (read once).
    Cutting_LoadStyleData(FileNames.sResourcePath);
    const TCutStatus status = JigP.ShapeStyle >= 4 ? CreateMasksForVectorStyle() : CreateMasksForVoronoiStyle();
    // A paint error leaves a playable cut (the cutter has told the player).
    if (status == TCutStatus::Failed || !miMasks || JigP.TotalTileNum < 1 || size_t(JigP.TotalTileNum) > Jigs.size())
        return false;
    CopyJigsToTextures(true, OptP.Visual_EmbossStyle);
    return true;
}

// Every piece its own group on side 0, turned at random when rotation is on;
// the first layout; the frame piece centred.
void LayOutNewGame()
{
    const int n = JigP.TotalTileNum;
    for (int i = 0; i < n; ++i) {
        TJig& j = Jigs[size_t(i)];
        j.Layer = i;
        j.Win = 0;
        j.Rot = JigP.Rotate ? uint8_t(MyRandom(4)) : 0;
        j.Sel = 0;
        UpdateJigDrawCoords(i);
    }
    RemixJigs(0, JigP.SpreadOut);
    SortJigs(0);
    if (JigP.BorderStyle == 1 && n > 0) {
        TJig& f = Jigs[size_t(n - 1)];
        f.X = (iMaxMainViewScrollW - JigP.ImageW) / 2;
        f.Y = (iMaxMainViewScrollH - JigP.ImageH) / 2;
        f.Rot = 0;
        UpdateJigDrawCoords(n - 1);
    }
}

// Pockets empty and hidden, their counts and sizes refreshed; no weight.
void EmptyPockets()
{
    PocketsP = OPocketsP{};
    for (int w = 2; w <= 5; ++w) {
        FieldHost().PocketCountJigs(w);
        FieldHost().PocketUpdateScrollSize(w);
    }
    iWeightJig = -1;
}

}  // namespace

bool OpenJigFile_ForPlay(const std::string& path, std::optional<uint32_t> seed)
{
    if (!IsJigFile(path) || !FileExists(path))
        return false;
    Platform().RequestRedraw(1);
    FileNames.bOpen = false;
    Platform().ProgressShow(LangGetKeyVal("Prog_OpenJig"), 14);
    if (!JigFile_LoadPicture(path))
        return FailPlayRead();
    SizeSidesForPicture(JigP.ImageW, JigP.ImageH);
    Platform().ProgressInc(1);
    if (!seed) {
        SRandDev();
        seed = uint32_t(Rand());
    }
    JigP.GameSeed = int32_t(*seed);
    SRand(*seed);
    if (!CutNewGame())
        return FailPlayRead();
    Platform().ProgressInc(1);
    LayOutNewGame();
    EmptyPockets();
    Platform().ProgressInc(1);
    Platform().ProgressHide();
    FileNames.sJig = path;
    FileNames.sJigName = FileNameWithoutExt(path);
    FileNames.sSolve.clear();
    FileNames.bOpen = true;
    return true;
}

int SideToShow()
{
    const int n = JigP.TotalTileNum;
    if (n < 1)
        return 0;
    const uint8_t win = Jigs[0].Win;
    for (int i = 1; i < n; ++i)
        if (Jigs[size_t(i)].Win != win)
            return 0;
    return win <= 1 ? win : 0;
}

bool OpenGameFile(const std::string& path, std::optional<uint32_t> seed)
{
    AutoSaveGuard guard;
    if (GameFileHooks.fnBeforeOpen)
        GameFileHooks.fnBeforeOpen();
    int side = 0;
    if (IsJigFile(path)) {
        if (!OpenJigFile_ForListOrPreview(path, false) || !OpenJigFile_ForPlay(path, seed) || !FileNames.bOpen)
            return false;
    } else {
        if (!OpenSolveFile_ForListOrPreview(path, false) || !OpenSolveFile_ForPlay(path))
            return false;
        FindLostJigsOnAllWins();
        side = SideToShow();
    }
    Platform().SetTitle(FileNameOf(path));
    LastFiles_Update(path);
    bCurSide = side;
    iCurJig = -1;
    DragJigP = TDragJig{};
    DragJigP.bClickPending = true;
    bGameSolved = false;
    AutoSaveP.bNeedSave = false;
    AutoSaveP.bNeedAutoSave = AutoSaveP.bNeedSave;
    Platform().SetEdited(AutoSaveP.bNeedSave);
    AutoSaveP.dtStart = GetNow();
    if (GameFileHooks.fnAfterOpen)
        GameFileHooks.fnAfterOpen(side);
    return true;
}

bool DialogOpenGameFile(const std::string& path, bool direct)
{
    if (!SaveAndContinue())
        return false;
    if (direct && IsSolveFile(path) && FileExists(path) && OpenSolveFile_ForListOrPreview(path, true))
        return OpenGameFile(path);
    const std::string preset = !path.empty() ? path : !FileNames.sSolve.empty() ? FileNames.sSolve : FileNames.sJig;
    std::string chosen;
    int result = 0;
    {
        AutoSaveGuard guard;
        result = GameFileHooks.fnFileDialog ? GameFileHooks.fnFileDialog(1, preset, &chosen) : 0;
    }
    if (result == 2 && GameFileHooks.fnShowDownload)
        GameFileHooks.fnShowDownload();
    if (result != 1)
        return false;
    std::optional<uint32_t> seed;
    if (GameFileHooks.fnGetSeed)
        if (const std::optional<int32_t> typed = GameFileHooks.fnGetSeed())
            seed = uint32_t(*typed);
    return OpenGameFile(chosen, seed);
}
