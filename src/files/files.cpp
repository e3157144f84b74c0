#include "files/files.h"

void Files_Reset()
{
    AutoSave_ReleaseLock();
    FileNames = OFileNames{};
    LangP = OLangP{};
    LastFiles = OLastFiles{};
    PocketsP = OPocketsP{};
    GameFileHooks = OGameFileHooks{};
}
