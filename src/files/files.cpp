#include "files/files.h"

#include "base/helpers.h"
#include "cutting/cutting.h"
#include "model/game_state.h"
#include "model/puzzle.h"
#include "platform/platform.h"

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

void Records_ResetOpenedGame(int side)
{
    bCurSide = side;
    iCurJig = -1;
    DragJigP = TDragJig{};
    DragJigP.bClickPending = true;
    // A game saved solved (or whose pieces already form one upright group) is
    // solved: no second congratulation at the first drag, and its solved
    // picture may be saved.
    bGameSolved = AllOneUprightGroup();
    AutoSaveP.bNeedSave = false;
    AutoSaveP.bNeedAutoSave = AutoSaveP.bNeedSave;
    Platform().SetEdited(AutoSaveP.bNeedSave);
    AutoSaveP.dtStart = GetNow();
}
