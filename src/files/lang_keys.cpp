// Every language key the game looks up, and the arguments of those that are
// formats. Every language file carries exactly these keys; a test holds the
// bundled files to it.
#include "files/files.h"

#include "base/helpers.h"

namespace {

// Keys that are formats, with their arguments ("d" a number, "@" a text).
const TLangKey kFormatKeys[] = {
    {"L_PieceNum", "d"},      {"L_AutoInterval", "d"},  {"L_StuckKoef", "d"},
    {"L_UnsolvedNum", "d"},   {"L_SolvedPercent", "d"}, {"Pocket_Jigs_M", "d"},
    {"MS_CantFindFile", "@"}, {"MS_CantDeleteFile", "@"}, {"MS_InvalidLogin", "@"},
    {"MS_InvalidUrl", "@"},   {"MS_DownloadFail", "@"}, {"Q_OverwriteFile", "@"},
    {"Q_DeleteFile", "@"},    {"Q_TryAnotherDnSrc", "@@"},
    // The open dialog's own pictures.
    {"MS_CantReadPicture", "@@"}, {"MS_PictureTooSmall", "@"}, {"MS_CantWriteJigsaw", "@@"},
    // Why a file did not open.
    {"MS_CantOpenFile", "@@"}, {"MS_OpenWhyPieces", "d"}, {"MS_OpenWhyMemory", "dd"},
    {"MS_SettingsBroken", "@"},
    // The download login.
    {"L_LoginPrompt", "@"},
    // The status line under the table.
    {"SL_Progress", "ddd"}, {"SL_Groups", "d"}, {"SL_Time", "@"},
};

const char* const kPlainKeys[] = {
    // Main menu and its run-time titles.
    "MM_App", "MM_AppAbout", "MM_AppOptions", "MM_AppHide", "MM_AppHideOthers", "MM_AppShowAll",
    "MM_AppQuit", "MM_File", "MM_FileOpen", "MM_FileOpenRecent", "MM_FileSave", "MM_FileSaveAs",
    "MM_FileSaveSolvedImage", "MM_FileDownload", "MM_Game", "MM_GameSide0", "MM_GameSide1",
    "MM_GameThumb", "MM_GameBkgAll", "MM_GameBkgCur", "MM_GameBkgSide0", "MM_GameBkgSide1",
    "MM_GameInfo", "MM_GameSelectAll", "MM_GameSelectAllSide0", "MM_GameSelectAllSide1",
    "MM_GameArrangeJigs", "MM_GameGatherLostJigs", "MM_GameGlass", "MM_GameWeight",
    "MM_GameWeightOn", "MM_GameWeightOff", "MM_Pockets", "MM_PocketsTile", "MM_PocketsCascade",
    "MM_Help", "MM_HelpCont", "MM_HelpQuick", "MM_HelpSiteHome", "MM_HelpGameHome", "MM_HelpReport",
    "MM_HelpCredits",
    // Toolbar tool tips.
    "TB_Open", "TB_Save", "TB_Download", "TB_BkgAll", "TB_BkgCur", "TB_Thumb", "TB_Info", "TB_Side0",
    "TB_Side1", "TB_Pocket0", "TB_Pocket1", "TB_Pocket2", "TB_Pocket3", "TB_SelectAll", "TB_Arrange",
    "TB_Glass", "TB_Options", "TB_Help",
    // Buttons.
    "B_Back", "B_Cancel", "B_Close", "B_Cont", "B_Download", "B_Extra", "B_FontDec", "B_FontInc",
    "B_Forward", "B_Next", "B_No", "B_Ok", "B_Open", "B_Save", "B_Stop", "B_Yes",
    // Captions and labels.
    "Cap_Load", "Cap_Save", "L_BkgPicsCap", "L_Comment", "L_DefColCap", "L_DnSrcCap", "L_DownMode",
    "L_FileNameCap", "L_GammaCap", "L_JigCap", "L_LangListCap", "L_PalCap", "L_PlayModes",
    "L_PlayMoveOW", "L_PlayRotCCW", "L_PlayRotCW", "L_SelColCap", "L_Thanks", "Credits_FormCaption",
    "Download_FormCaption", "Info_FormCaption", "Opt_FormCaption", "Mix_Random", "Mix_Spreadout",
    "RotateOn", "RotateOff", "FitOn", "FitOff",
    // Options controls.
    "CB_AutoSave", "CB_DownMode0", "CB_DownMode1", "CB_DownMode2", "CB_PlayClickToDrag",
    "CB_PlayRotWheel", "CB_PlaySingleWin", "CB_SoundPlay", "CB_VisualShowJoin", "GB_VisualEmboss",
    "RB_VisualEmboss0", "RB_VisualEmboss1", "RB_VisualEmboss2", "RB_VisualEmboss3", "TS_AutoSave",
    "TS_Dn", "TS_Games", "TS_Jigs", "TS_Lang", "TS_Level", "TS_Play", "TS_Sound", "TS_Visual",
    // List menus.
    "PMI_GamesDel", "PMI_GamesDelAll", "PMI_JigsDel", "PMI_JigsDelAll",
    // Messages, questions, progress.
    "MS_Congratulat", "MS_EnterFileName", "MS_InvalidFileName", "MS_KeysMustBeDiff", "MS_ListEmpty",
    "MS_NoNewJigs", "MS_SelJigsaw", "MS_PaintError", "MS_OpenWhyNotGame", "MS_OpenWhyDamaged",
    "MS_OpenWhyPicture", "MS_OpenWhyCostly", "MS_OpenWhyCut", "Q_DelAllGames", "Q_DelAllJigs",
    "Q_GatherLostJigs", "Q_OpenFirstJigsaw", "Q_SaveChanges", "Prog_AutoSaveSolve", "Prog_OpenJig",
    "Prog_SaveSolve",
    // Captions of the play field's windows.
    "WC_Thumb",
    // The open dialog: own pictures, the seed, an unreadable file, more jigsaws.
    "B_AddPicture", "Cap_AddPicture", "L_Pictures", "B_Seed", "L_InvalidJigsaw", "MS_DownloadNotYet",
    // The play aids: undo and the edge pieces.
    "MM_Edit", "MM_EditUndo", "MM_EditRedo", "MM_GameEdgesToPocket", "MM_GameShowOnlyEdges", "MS_NoEdgePieces",
    "MS_NoEmptyPocket",
    // The download login.
    "Login_FormCaption", "L_LoginName", "L_LoginPassword", "CB_LoginRemember",
    // Shadows on the table; the status line's word for a finished game.
    "CB_VisualShadows", "SL_Solved",
};

// Numbered families: prefix, first, last, arguments.
struct TFamily { const char* fmt; int first, last; const char* args; };
const TFamily kFamilies[] = {
    {"Shapes%d", 0, 6, ""},          {"Borders%d", 0, 1, ""},
    {"Key%d", 0, 8, ""},             {"CB_PlayModes%d", 0, 2, ""},
    {"MM_GameBkgPocket%d", 0, 3, ""}, {"MM_GameSelectAllPocket%d", 0, 3, ""},
    {"MM_PocketsPocket%d", 0, 3, ""}, {"Pocket_Jigs_%d", 1, 9, "d"},
};

std::vector<TLangKey> BuildKeys()
{
    std::vector<TLangKey> keys;
    for (const char* k : kPlainKeys)
        keys.push_back({k, ""});
    for (const TLangKey& k : kFormatKeys)
        keys.push_back(k);
    for (const TFamily& f : kFamilies)
        for (int i = f.first; i <= f.last; ++i)
            keys.push_back({StrFormat(f.fmt, i), f.args});
    return keys;
}

}  // namespace

std::vector<TLangKey> LangKeysInUse() { return BuildKeys(); }
