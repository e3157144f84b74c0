// The commands around saved games: the question before a game is closed and
// saving under a new name.
#include "files/files.h"

#include "platform/platform.h"

OGameFileHooks GameFileHooks;

namespace {

int RunFileDialog(int style, const std::string& preset, std::string* chosen)
{
    AutoSaveGuard guard;
    return GameFileHooks.fnFileDialog ? GameFileHooks.fnFileDialog(style, preset, chosen) : 0;
}

}  // namespace

bool SaveAsSolveFile()
{
    const std::string preset = !FileNames.sSolve.empty() ? FileNames.sSolve : FileNames.sJigName;
    std::string chosen;
    if (RunFileDialog(2, preset, &chosen) != 1 || TrimStrEmpty(chosen))
        return false;
    if (!IsSolveFile(chosen))
        chosen += "." + FileNames.sSolveExt;
    FileNames.sSolve = chosen;
    return SaveSolveFile(FileNames.sSolve, false);
}

bool SaveGame()
{
    if (StrEqualNoCase(FileNames.sSolve, FileNames.sAutoSaved))
        FileNames.sSolve.clear();
    return TrimStrEmpty(FileNames.sSolve) ? SaveAsSolveFile() : SaveSolveFile(FileNames.sSolve, false);
}

bool SaveAndContinue()
{
    if (!AutoSaveP.bNeedSave)
        return true;
    AutoSaveGuard guard;
    const int answer = Platform().ShowQuestion(CaretMesFormat("Q_SaveChanges"), LangGetKeyVal("B_Yes"),
                                               LangGetKeyVal("B_No"), LangGetKeyVal("B_Cancel"));
    if (answer == 3)
        return false;
    if (answer == 2)
        return true;
    // A save that failed must not let the game be closed: its changes would be lost.
    const bool saved = SaveGame();
    if (saved)
        LastFiles_Update(FileNames.sSolve);
    return saved;
}
