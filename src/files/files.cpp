#include "files/files.h"

#include "model/game_state.h"

void Files_Reset()
{
    AutoSave_ReleaseLock();
    FileNames = OFileNames{};
    LangP = OLangP{};
    LastFiles = OLastFiles{};
    PocketsP = OPocketsP{};
    GameFileHooks = OGameFileHooks{};
    // The play rules show their messages in the language in use.
    SetLangMessageFn(&CaretMesFormat);
}
