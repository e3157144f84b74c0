// Opening games for play: a jigsaw cut anew, or a saved game restored, and
// the common entry that titles the window and remembers the file.
#include "files/files.h"

#include "model/game_cut.h"
#include "model/edge_pieces.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/undo.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstring>

TOpenFaultP OpenFaultP;

void SetOpenFault(TOpenFault fault, int64_t value)
{
    if (OpenFaultP.fault != TOpenFault::None)
        return;
    OpenFaultP.fault = fault;
    OpenFaultP.iValue = value;
}

std::string OpenFaultMessage(const std::string& path)
{
    const std::string name = FileNameOf(path);
    std::string why;
    // A refusal before any reader ran (the open dialog's own checks): told by the file itself.
    if (OpenFaultP.fault == TOpenFault::None)
        SetOpenFault(!FileExists(path) ? TOpenFault::Missing
                     : IsJigFile(path) || IsSolveFile(path) ? TOpenFault::Damaged
                                                            : TOpenFault::NotGameFile);
    switch (OpenFaultP.fault) {
    case TOpenFault::Missing:
        return LangFormat(CaretMesFormat("MS_CantFindFile"), {path});
    case TOpenFault::NotGameFile: why = CaretMesFormat("MS_OpenWhyNotGame"); break;
    case TOpenFault::Picture: why = CaretMesFormat("MS_OpenWhyPicture"); break;
    case TOpenFault::Costly: why = CaretMesFormat("MS_OpenWhyCostly"); break;
    case TOpenFault::TooManyPieces:
        why = LangFormat(CaretMesFormat("MS_OpenWhyPieces"), {int(OpenFaultP.iValue)});
        break;
    case TOpenFault::TooMuchMemory:
        why = LangFormat(CaretMesFormat("MS_OpenWhyMemory"),
                         {int(OpenFaultP.iValue), int(kCutMemoryBudget >> 20)});
        break;
    case TOpenFault::CutFailed: why = CaretMesFormat("MS_OpenWhyCut"); break;
    case TOpenFault::None:
    case TOpenFault::Damaged: why = CaretMesFormat("MS_OpenWhyDamaged"); break;
    }
    return LangFormat(CaretMesFormat("MS_CantOpenFile"), {name, why});
}

int64_t EstimateCutBytes(const TJigParams& p)
{
    const bool fit = p.FitToScreen && p.FitW > 0 && p.FitH > 0;
    const int64_t w = fit ? p.FitW : p.ImageW, h = fit ? p.FitH : p.ImageH;
    const int64_t picture = w * h * 4;
    // Decoding: the picture at its own size, and the working copy made from it.
    const int64_t decoding = int64_t(p.ImageW) * p.ImageH * 4 + picture;
    // Cutting: the working picture, the mask, the cutter's buffers (about two
    // more of that size), and every piece's image: its cell with the tabs
    // around it, four turns side by side when pieces turn; the frame piece
    // is as large as the picture.
    const int64_t cols = imax(p.TilePX, 1), rows = imax(p.TilePY, 1);
    const int64_t tabs = imax(p.MaskS - p.TileS, 0);
    const int64_t side = std::max((w + cols - 1) / cols, (h + rows - 1) / rows) + tabs;
    const int64_t pieces = imax(p.TotalTileNum, 0);
    const int64_t images = pieces * side * side * 4 * (p.Rotate ? 4 : 1) + (p.BorderStyle == 1 ? picture : 0);
    return std::max(decoding, 4 * picture + images);
}

bool CutParamsAffordable(const TJigParams& p)
{
    if (p.TotalTileNum > kMaxCutPieces) {
        SetOpenFault(TOpenFault::TooManyPieces, p.TotalTileNum);
        return false;
    }
    const int64_t bytes = EstimateCutBytes(p);
    if (bytes > kCutMemoryBudget) {
        SetOpenFault(TOpenFault::TooMuchMemory, (bytes + (1 << 20) - 1) >> 20);
        return false;
    }
    return true;
}

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
    arMaskPart.clear();  // the cut makes miMasks anew
    arMaskPart.shrink_to_fit();
    bMaskPartAsRead = false;
    CreateJigsBuf(JigP.TotalTileNum + 1);
    SortJigs(kSortAscending);
    // The Figure and grid styles' pictures and tab atlas (read once).
    Cutting_LoadStyleData(FileNames.sResourcePath);
    const TCutStatus status = JigP.ShapeStyle >= 4 ? CreateMasksForVectorStyle() : CreateMasksForVoronoiStyle();
    TimelineMark("cut");
    // A paint error leaves a playable cut (the cutter has told the player).
    if (status == TCutStatus::Failed || !miMasks || JigP.TotalTileNum < 1 || size_t(JigP.TotalTileNum) > Jigs.size()) {
        SetOpenFault(TOpenFault::CutFailed);
        return false;
    }
    // More pieces than a saved game may hold (the neighbour slots are 16-bit):
    // such a game could never be saved and read back.
    if (JigP.TotalTileNum > kSolveMaxPieces) {
        SetOpenFault(TOpenFault::TooManyPieces, JigP.TotalTileNum);
        return false;
    }
    CopyJigsToTextures(true, OptP.Visual_EmbossStyle);
    TimelineMark("piece-images");
    return true;
}

// Every piece its own group on side 0, turned at random when rotation is on;
// the first layout; the frame piece centred.
void LayOutNewGame()
{
    const int n = JigP.TotalTileNum;
    for (int i = 0; i < n; ++i) {
        TJig& j = JigAt(i);
        j.Layer = i;
        j.Win = 0;
        j.Rot = JigP.Rotate ? uint8_t(MyRandom(4)) : 0;
        j.Sel = 0;
        UpdateJigDrawCoords(i);
    }
    RemixJigs(kSide0, JigP.SpreadOut);
    SortJigs(kSortAscending);
    if (JigP.BorderStyle == 1 && n > 0) {
        TJig& f = JigAt(n - 1);
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
    if (!CutParamsAffordable(NewJigP))
        return false;
    Platform().RequestRedraw(kRedrawFull);
    const bool wasOpen = FileNames.bOpen;
    FileNames.bOpen = false;
    Platform().ProgressShow(LangGetKeyVal("Prog_OpenJig"), 14);
    // A picture that does not decode has replaced nothing yet: the open game stays.
    const TJigParams before = JigP;
    if (!JigFile_LoadPicture(path)) {
        SetOpenFault(TOpenFault::Picture);
        if (wasOpen && std::memcmp(&before, &JigP, sizeof JigP) == 0) {
            FileNames.bOpen = wasOpen;
            Platform().ProgressHide();
            return false;
        }
        return FailPlayRead();
    }
    TimelineMark("decoded");
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

bool AllOneUprightGroup()
{
    const int n = imin(JigP.TotalTileNum, int(Jigs.size()));
    if (n < 1)
        return false;
    for (int i = 0; i < n; ++i)
        if (JigAt(i).Layer != JigAt(0).Layer || JigAt(i).Rot != 0)
            return false;
    return true;
}

int SideToShow()
{
    const int n = JigP.TotalTileNum;
    if (n < 1)
        return 0;
    const uint8_t win = JigAt(0).Win;
    for (int i = 1; i < n; ++i)
        if (JigAt(i).Win != win)
            return 0;
    return win <= 1 ? win : 0;
}

bool OpenGameFile(const std::string& path, std::optional<uint32_t> seed)
{
    AutoSaveGuard guard;
    TimelineMark("open-start");
    SolveFile_WaitReadAhead();
    OpenFaultP = TOpenFaultP{};
    if (!FileExists(path)) {
        SetOpenFault(TOpenFault::Missing);
        return false;
    }
    // Everything that can be checked without replacing the open game is
    // checked first: a file that fails there leaves the game as it was.
    const bool jigsaw = IsJigFile(path);
    TSolveFile read;
    if (jigsaw) {
        if (!OpenJigFile_ForListOrPreview(path, false)) {
            SetOpenFault(TOpenFault::Damaged);
            return false;
        }
        if (!CutParamsAffordable(NewJigP))
            return false;
    } else if (IsSolveFile(path)) {
        OBinReader f;
        if (!OpenSolveFile_ForListOrPreview(path, false) ||
            !(SolveFile_TakeReadAhead(path, &read) ||
              (f.OpenFile(path) && SolveFile_ReadHead(f, &read) && SolveFile_ReadBody(f, &read)))) {
            SetOpenFault(TOpenFault::Damaged);
            return false;
        }
    } else {
        SetOpenFault(TOpenFault::NotGameFile);
        return false;
    }
    if (GameFileHooks.fnBeforeOpen)
        GameFileHooks.fnBeforeOpen();
    int side = 0;
    if (jigsaw) {
        if (!OpenJigFile_ForPlay(path, seed) || !FileNames.bOpen) {
            if (FileNames.bOpen && GameFileHooks.fnAfterOpen)
                GameFileHooks.fnAfterOpen(bCurSide);
            return false;
        }
    } else {
        if (!OpenSolveFile_ForPlay(path, &read)) {
            // The open game is still there: its windows come back.
            if (FileNames.bOpen && GameFileHooks.fnAfterOpen)
                GameFileHooks.fnAfterOpen(bCurSide);
            return false;
        }
        FindLostJigsOnAllWins();
        side = SideToShow();
    }
    Platform().SetTitle(FileNameOf(path));
    LastFiles_Update(path);
    Records_ResetOpenedGame(side);
    EdgePieces_Reset();
    if (GameFileHooks.fnAfterOpen)
        GameFileHooks.fnAfterOpen(side);
    Undo_Reset();  // the history starts with the table as it opened
    if (GameFileHooks.fnGameOpened)
        GameFileHooks.fnGameOpened();
    return true;
}

bool DialogOpenGameFile(const std::string& path, bool direct)
{
    if (!SaveAndContinue())
        return false;
    if (direct && IsSolveFile(path) && FileExists(path) && OpenSolveFile_ForListOrPreview(path, true)) {
        if (OpenGameFile(path))
            return true;
        Platform().ShowMessage(OpenFaultMessage(path));
        return false;
    }
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
    if (OpenGameFile(chosen, seed))
        return true;
    Platform().ShowMessage(OpenFaultMessage(chosen));
    return false;
}
