#include "shell/open_game.h"

#include "cutting/cutting.h"
#include "files/files.h"
#include "model/game_state.h"
#include "model/puzzle.h"
#include "shell/shell.h"

#include <QFileDialog>
#include <QFileInfo>

#include <algorithm>

namespace {

// What the open dialog does for a new game until it exists: the default cut
// (level, shape, frame, rotation, spreading, fitting) over the picture whose
// list/preview read just filled NewJigP.
bool PrepareNewJigParams()
{
    NewJigP.Level = DefJigP.Level;
    NewJigP.Rotate = DefJigP.Rotate;
    NewJigP.BorderStyle = DefJigP.BorderStyle;
    NewJigP.ShapeStyle = DefJigP.ShapeStyle;
    NewJigP.SpreadOut = DefJigP.SpreadOut;
    NewJigP.FitToScreen = DefJigP.FitToScreen;
    const bool fit = NewJigP.FitToScreen != 0;
    const int w = fit ? NewJigP.FitW : NewJigP.ImageW, h = fit ? NewJigP.FitH : NewJigP.ImageH;
    if (!FillMaskParams(w, h, NewJigP.ShapeStyle, NewJigP.BorderStyle))
        return false;
    // The default level, or the nearest coarser one that cuts this picture.
    int level = std::clamp(int(NewJigP.Level), 0, kMaskLevels - 1);
    while (level < kMaskLevels - 1 && MaskParams[size_t(level)].TotalTileNum < 1)
        ++level;
    NewJigP.Level = level;
    SetJigParamsFromLevel(NewJigP, w, h, level);
    return NewJigP.TotalTileNum > 0;
}

// A chosen file made ready to open: a jigsaw gets its new game's parameters.
bool PrepareToOpen(const std::string& path)
{
    if (IsJigFile(path))
        return OpenJigFile_ForListOrPreview(path, false) && PrepareNewJigParams();
    return IsSolveFile(path) && FileExists(path);
}

std::string FolderOf(const std::string& preset)
{
    const QFileInfo fi(QString::fromStdString(preset));
    if (!preset.empty() && fi.isAbsolute() && fi.dir().exists())
        return fi.absolutePath().toStdString();
    return FileNames.sJigsPath;
}

// The open dialog's stand-in: a file chooser. Style 1 opens, style 2 names a
// saved game.
int FileDialog(int style, const std::string& preset, std::string* chosen)
{
    AutoSaveGuard guard;
    const QString caption = QString::fromLatin1(sMainCaption);
    QString f;
    if (style == 2) {
        const std::string start = FolderOf(preset) + "/" + FileNameWithoutExt(preset) + "." + FileNames.sSolveExt;
        f = QFileDialog::getSaveFileName(DialogParent(), caption, QString::fromStdString(start),
                                         QStringLiteral("Saved games (*.svm)"));
    } else {
        f = QFileDialog::getOpenFileName(DialogParent(), caption, QString::fromStdString(FolderOf(preset)),
                                         QStringLiteral("Jigsaws and saved games (*.zjg *.svm)"));
    }
    MainLoopRun(0.1);
    if (f.isEmpty())
        return 0;
    *chosen = f.toStdString();
    OpenFaultP = TOpenFaultP{};
    if (style == 1 && !PrepareToOpen(*chosen)) {
        ShowMessage(OpenFaultMessage(*chosen));
        return 0;
    }
    return 1;
}

}  // namespace

void ShellInstallFileHooks()
{
    GameFileHooks.fnFileDialog = &FileDialog;
}

bool ShellOpenGame(const std::string& path)
{
    if (!SaveAndContinue())
        return false;
    OpenFaultP = TOpenFaultP{};
    if (!PrepareToOpen(path) || !OpenGameFile(path)) {
        ShowMessage(OpenFaultMessage(path));
        return false;
    }
    return true;
}

bool ShellOpenDialog() { return DialogOpenGameFile("", false); }

bool ShellOpenRecent(int i)
{
    if (i < 0 || size_t(i) >= LastFiles.arFileNames.size())
        return false;
    const std::string path = LastFiles.arFileNames[size_t(i)];
    // A saved game opens at once; a jigsaw goes through the open dialog.
    if (IsSolveFile(path))
        return DialogOpenGameFile(path, true);
    return ShellOpenGame(path);
}

bool ShellSave(bool asAnother)
{
    AutoSaveGuard guard;
    const bool saved = asAnother ? SaveAsSolveFile() : SaveGame();
    LastFiles_Update(FileNames.sSolve);
    return saved;
}

void ShellWriteSettings() { Settings_Write(); }

void ShellAutoSaveTick() { AutoSave_Tick(GetNow()); }

std::string ShellMostRecentFile() { return LastFiles.arFileNames.empty() ? std::string() : LastFiles.arFileNames.front(); }
