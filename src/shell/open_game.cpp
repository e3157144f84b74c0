#include "shell/open_game.h"

#include "shell/status_line.h"

#include "cutting/cutting.h"
#include "download/dialog/dn_form.h"
#include "files/files.h"
#include "model/game_state.h"
#include "model/puzzle.h"
#include "platform/platform.h"
#include "shell/open_dialog.h"
#include "shell/shell.h"
#include "shell/status_line.h"

#include <algorithm>

namespace {

// A jigsaw opened without the dialog (named on the command line) gets the
// default cut (level, shape, frame, rotation, spreading, fitting) over the
// picture whose list/preview read just filled NewJigP.
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

// The open dialog run for the files' commands: style 1 opens, style 2 names
// a saved game. The dialog is made once and kept; its lists and choices
// persist between runs.
int RunOpenDialog(int style, const std::string& preset, std::string* chosen)
{
    AutoSaveGuard guard;
    MCOpen* form = CreateOpenForm(DialogParent());
    sDVFileName = preset.empty() ? std::string() : FileNames.sJigsPath + FileNameOf(preset);
    form->SetFileName(FileNameOf(preset));
    form->SetFormStyle(style);
    const int result = form->exec();
    form->hide();
    MainLoopRun(0.1);
    if (result == 1)
        *chosen = sDVFileName;
    return result;
}

std::optional<int32_t> DialogSeed()
{
    return g_OpenForm ? g_OpenForm->GetSeed() : std::nullopt;
}

}  // namespace

void ShellInstallFileHooks()
{
    GameFileHooks.fnFileDialog = &RunOpenDialog;
    GameFileHooks.fnGetSeed = &DialogSeed;
    PlayClock_InstallHooks();
    // The open dialog's extra button: more jigsaws.
    if (!GameFileHooks.fnShowDownload)
        GameFileHooks.fnShowDownload = &ShellShowDownload;
}

void ShellShowDownload()
{
    AutoSaveGuard guard;
    CreateDownloadForm(DialogParent())->ShowForm(false);
}

bool ShellOpenGame(const std::string& path)
{
    if (!SaveAndContinue())
        return false;
    SolveFile_WaitReadAhead();
    OpenFaultP = TOpenFaultP{};
    if (!PrepareToOpen(path) || !OpenGameFile(path)) {
        ShowMessage(OpenFaultMessage(path));
        return false;
    }
    return true;
}

bool ShellOpenGameQuietly(const std::string& path)
{
    if (FileNames.bOpen)
        return false;
    const bool quiet = IsNonInteractive();
    SetNonInteractive(true);
    SetProgressQuiet(true);
    SolveFile_WaitReadAhead();
    OpenFaultP = TOpenFaultP{};
    const bool ok = PrepareToOpen(path) && OpenGameFile(path);
    SetProgressQuiet(false);
    SetNonInteractive(quiet);
    return ok;
}

bool ShellOpenDialog() { return DialogOpenGameFile("", false); }

bool ShellOpenRecent(int i)
{
    if (i < 0 || size_t(i) >= LastFiles.arFileNames.size())
        return false;
    const std::string path = LastFiles.arFileNames[size_t(i)];
    // A saved game opens at once; a jigsaw goes through the open dialog.
    return DialogOpenGameFile(path, true);
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
