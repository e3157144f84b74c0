#include "files/files.h"

#include "model/game_state.h"

void Files_Reset()
{
    FileNames = OFileNames{};
    LangP = OLangP{};
    // The play rules show their messages in the language in use.
    SetLangMessageFn(&CaretMesFormat);
}
