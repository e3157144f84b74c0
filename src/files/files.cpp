#include "files/files.h"

#include "base/helpers.h"
#include "cutting/cutting.h"
#include "model/game_state.h"
#include "model/puzzle.h"

void Files_Reset()
{
    AutoSave_ReleaseLock();
    FileNames = OFileNames{};
    LangP = OLangP{};
    LastFiles = OLastFiles{};
    PocketsP = OPocketsP{};
    GameFileHooks = OGameFileHooks{};
    DnSrc_Init();
    // The play rules show their messages in the language in use.
    SetLangMessageFn(&CaretMesFormat);
}

void Records_ResetAll()
{
    Helpers_Reset();
    Cutting_Reset();
    Model_Reset();
    Files_Reset();
}
