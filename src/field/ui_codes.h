// The fixed indices of the main menu's items and the toolbar's buttons. The
// main form builds its menus and toolbar in this order; the field titles,
// checks and changes items by the same numbers through IFieldUi (field.h).
#pragma once

// ---- The menu table: fixed indices into MainMenuItems ---------------------------------------
// Other parts title, check and enable items by these numbers; they never change.
enum TMainMenuIndex : int {
    kMenuApp = 0,            // the application menu
    kMenuAppAbout = 1,
    kMenuAppOptions = 2,
    kMenuAppHide = 3,        // minimises the window
    kMenuAppHideOthers = 4,  // kept for its index and title; not shown (no meaning here)
    kMenuAppShowAll = 5,     // likewise
    kMenuAppQuit = 6,
    kMenuFile = 7,
    kMenuFileOpen = 8,
    kMenuFileOpenRecent = 9,  // the submenu of recent files
    kMenuFileLast0 = 10,      // .. 13: recent files 0..3
    kMenuFileSave = 14,
    kMenuFileSaveAs = 15,
    kMenuFileSaveSolvedImage = 16,
    kMenuFileDownload = 17,
    kMenuGame = 18,
    kMenuGameSide0 = 19,
    kMenuGameSide1 = 20,
    kMenuGameThumb = 21,
    kMenuGameBkgAll = 22,
    kMenuGameBkgCur = 23,
    kMenuGameInfo = 24,
    kMenuGameSelectAll = 25,
    kMenuGameArrangeJigs = 26,
    kMenuGameGatherLostJigs = 27,
    kMenuGameGlass = 28,
    kMenuGameWeight = 29,
    kMenuPockets = 30,
    kMenuPocketsPocket0 = 31,  // .. 34: pockets 0..3
    kMenuPocketsTile = 35,
    kMenuPocketsCascade = 36,
    kMenuHelp = 40,
    kMenuHelpCont = 41,
    kMenuHelpQuick = 42,
    kMenuHelpSiteHome = 43,
    kMenuHelpGameHome = 44,
    kMenuHelpReport = 45,
    kMenuHelpCredits = 46,
    kMenuHelpTestEmail = 47,  // hidden for good
    kMainMenuItems = 48
};
// ---- The toolbar: buttons by creation order -------------------------------------------------
enum TToolbarButton : int {
    kTbOpen = 0, kTbSave, kTbDownload, kTbBkgAll, kTbBkgCur, kTbThumb, kTbInfo, kTbSide0, kTbSide1,
    kTbPocket0,  // .. 12
    kTbSelectAll = 13, kTbArrange, kTbGlass, kTbWeight, kTbOptions, kTbHelp,
    kToolbarButtons = 19
};
