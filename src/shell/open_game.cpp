#include "shell/open_game.h"

#include "cutting/cutting.h"
#include "field/field.h"
#include "files/files.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "shell/shell.h"

#include <QFileDialog>

#include <algorithm>

namespace {

// What the open dialog does for a new game until it exists: the default cut
// (level, shape, frame, rotation, spreading, fitting) over the picture.
bool PrepareNewJigParams()
{
    NewJigP.Level = DefJigP.Level;
    NewJigP.Rotate = DefJigP.Rotate;
    NewJigP.BorderStyle = DefJigP.BorderStyle;
    NewJigP.ShapeStyle = DefJigP.ShapeStyle < 4 ? DefJigP.ShapeStyle : 0;
    NewJigP.SpreadOut = DefJigP.SpreadOut;
    NewJigP.FitToScreen = DefJigP.FitToScreen;
    const bool fit = NewJigP.FitToScreen != 0;
    const int w = fit ? NewJigP.FitW : NewJigP.ImageW, h = fit ? NewJigP.FitH : NewJigP.ImageH;
    if (!FillMaskParams(w, h, NewJigP.ShapeStyle, NewJigP.BorderStyle))
        return false;
    int level = std::clamp(int(NewJigP.Level), 0, kMaskLevels - 1);
    while (level < kMaskLevels - 1 && MaskParams[size_t(level)].TotalTileNum < 1)
        ++level;
    NewJigP.Level = level;
    SetJigParamsFromLevel(NewJigP, w, h, level);
    return NewJigP.TotalTileNum > 0;
}

// FIXME: the files' play read replaces this once it is in the tree.
bool PlayReadJigsaw(const std::string& path)
{
    FileNames.bOpen = false;
    Platform().ProgressShow(LangGetKeyVal("Prog_OpenJig"), 14);
    std::string error;
    miOriginalImage = ReadJigFilePicture(path, false, &error);
    JigP = NewJigP;
    if (!miOriginalImage || !SetImageSize(1)) {
        miOriginalImage.reset();
        Platform().ProgressHide();
        return false;
    }
    miOriginalImage.reset();
    miInfoThumb = std::move(miReadThumb);
    Platform().ProgressInc(1.0);
    iMaxMainViewScrollW = std::max(iMaxMainViewW, JigP.ImageW);
    iMaxMainViewScrollH = std::max(iMaxMainViewH, JigP.ImageH);
    SRandDev();
    JigP.GameSeed = Rand();
    SRand(uint32_t(JigP.GameSeed));
    CreateJigsBuf(JigP.TotalTileNum + 1);
    SortJigs(0);
    TCutOptions opt;
    opt.progressBase = 2;
    if (CreateMasksForVoronoiStyle(JigP, Jigs, miMasks, opt) == TCutStatus::Failed) {
        FreeJigsBuf();
        Platform().ProgressHide();
        return false;
    }
    CopyJigsToTextures(true, OptP.Visual_EmbossStyle);
    for (int i = 0; i < JigP.TotalTileNum; ++i) {
        TJig& j = Jigs[size_t(i)];
        j.Layer = i;
        j.Win = 0;
        j.Rot = JigP.Rotate ? uint8_t(MyRandom(4)) : 0;
        j.Sel = 0;
        UpdateJigDrawCoords(i);
    }
    RemixJigs(0, JigP.SpreadOut);
    SortJigs(0);
    if (JigP.BorderStyle == 1) {
        const int f = JigP.TotalTileNum - 1;
        Jigs[size_t(f)].X = (iMaxMainViewScrollW - JigP.ImageW) / 2;
        Jigs[size_t(f)].Y = (iMaxMainViewScrollH - JigP.ImageH) / 2;
        Jigs[size_t(f)].Rot = 0;
        UpdateJigDrawCoords(f);
    }
    iWeightJig = -1;
    Platform().ProgressHide();
    FileNames.sJig = path;
    FileNames.sJigName = FileNameWithoutExt(path);
    FileNames.sSolve.clear();
    FileNames.bOpen = true;
    return true;
}

}  // namespace

bool ShellOpenGame(const std::string& path)
{
    if (!IsJigFile(path) || !OpenJigFile_ForListOrPreview(path, false) || !PrepareNewJigParams() ||
        !PlayReadJigsaw(path)) {
        ShowMessage(CaretMesFormat("MS_CantFindFile") + "\n" + path);
        return false;
    }
    iCurJig = -1;
    DragJigP = TDragJig{};
    DragJigP.bClickPending = true;
    bGameSolved = false;
    AutoSaveP.bNeedSave = AutoSaveP.bNeedAutoSave = false;
    Platform().SetEdited(false);
    Platform().SetTitle(FileNames.sJigName + " - " + sMainCaption);
    return true;
}

std::string ShellChooseGameFile()
{
    const QString f = QFileDialog::getOpenFileName(DialogParent(), QString::fromLatin1(sMainCaption),
                                                   QString::fromStdString(FileNames.sJigsPath),
                                                   QStringLiteral("Jigsaws and saved games (*.zjg *.svm)"));
    return f.toStdString();
}

bool ShellSave(bool) { return false; }
bool ShellSaveAndContinue() { return true; }
void ShellWriteSettings() {}
void ShellAutoSaveTick() {}
std::string ShellMostRecentFile() { return {}; }
