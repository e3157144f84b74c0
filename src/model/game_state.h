// Records that the play rules, the files and the play field all touch: the
// view sizes, the options, the mouse scheme, the table backgrounds, the
// autosave flags and the seam through which the rules reach the play field.
//
// They live here so that the core (model, cutting, files) builds without the
// window; the play field and the dialogs fill them in.
#pragma once

#include "model/helpers.h"

#include <cstdint>
#include <string>

// ---- View sizes (per run; set by the play field, or by the tools' --view) ----------
extern int iMainViewW, iMainViewH;                 // current view size, pixels
extern int iMaxMainViewW, iMaxMainViewH;           // largest view size, pixels
extern int iMaxMainViewScrollW, iMaxMainViewScrollH; // content size of the sides, pixels
extern int bCurSide;                               // side shown: 0 or 1

// Sets the largest view (and the current view) to w x h and the sides'
// content to max(view, field). What the headless tools use instead of a window.
void SetHeadlessViewSize(int w, int h);

// ---- Options (per run; from the settings) ---------------------------------------------
struct TOptions {
    uint8_t Visual_EmbossStyle = 1;  // emboss style of piece edges, 0..3
    bool Visual_ShowJoin = true;     // the star where pieces joined
    bool Sound_Play = true;          // join and win sounds
    int32_t StuckKoef = 12;          // join strength (tenths of StuckD)
    std::string DnSrc;               // download host in use
};
extern TOptions OptP;

// ---- Mouse scheme (per run; stored in settings and saved games, 9 bytes) ---------------
struct MOUSE_ACTION {
    uint8_t bButton = 0;  // 0 left, 1 right or other, 2 none
    uint8_t bShift = 0;   // 0 none, 1 Shift, 2 Alt, 4 Control, 8 Meta
    bool operator==(const MOUSE_ACTION&) const = default;
};
struct MOUSE_SCHEMA {
    MOUSE_ACTION RotCW, RotCCW, MoveOW;
    uint8_t bSingleWin = 0;    // one side only
    uint8_t bClickToDrag = 0;  // a click picks a piece up, the next puts it down
    uint8_t bRotWheel = 0;     // the wheel turns the piece under the pointer
    bool operator==(const MOUSE_SCHEMA&) const = default;
};
static_assert(sizeof(MOUSE_SCHEMA) == 9);
extern MOUSE_SCHEMA CurMA;
extern const MOUSE_SCHEMA DefMA;   // the standard preset
extern const MOUSE_SCHEMA KidsMA;  // the simpler preset

// ---- Table backgrounds (per game; stored in saved games, 36 bytes) ---------------------
constexpr int32_t kDefaultBkgColor = 0x989898;
struct TWinParams {
    int32_t Reserved[2] = {0, 0};        // kept at their running values when a game is read
    int32_t lBkgColorAll = kDefaultBkgColor;  // code last chosen for all windows
    int32_t lBkgColors[6] = {kDefaultBkgColor, kDefaultBkgColor, kDefaultBkgColor,
                             kDefaultBkgColor, kDefaultBkgColor, kDefaultBkgColor};  // windows 0..5
};
static_assert(sizeof(TWinParams) == 36);
extern TWinParams WinP;

// ---- Autosave flags (per run) ------------------------------------------------------------
struct OAutosaveP {
    int32_t iIntervalMin = 10;    // autosave interval, minutes
    bool bEnabled = true;
    bool bNeedSave = false;       // changes the user has not saved
    bool bNeedAutoSave = false;   // changes since the last autosave
    double dtStart = 0;           // last autosave or opening, GetNow() seconds
    double dtInterval = 600;      // the interval, seconds
};
extern OAutosaveP AutoSaveP;
// Set while a command, gesture, save or modal dialog runs: no autosave then.
extern bool bAutoSaveDoProc;

// Sets bAutoSaveDoProc for its lifetime and restores the previous value.
class AutoSaveGuard {
public:
    AutoSaveGuard() : prev_(bAutoSaveDoProc) { bAutoSaveDoProc = true; }
    ~AutoSaveGuard() { bAutoSaveDoProc = prev_; }
    AutoSaveGuard(const AutoSaveGuard&) = delete;
    AutoSaveGuard& operator=(const AutoSaveGuard&) = delete;
private:
    bool prev_;
};

// ---- The play field as the rules see it ----------------------------------------------------
// The window owns the real implementation; with none installed the calls do
// nothing (headless tools and most tests).
class IFieldHost {
public:
    virtual ~IFieldHost() = default;
    // Rebuilds the still buffer: 1 with the dragged group lifted out, 0 plain.
    virtual void FillStillBuf(int /*mode*/) {}
    // The weight window is on the field.
    virtual bool IsWeightVisible() const { return false; }
};
IFieldHost& FieldHost();
void SetFieldHost(IFieldHost* host);  // not owned; nullptr: the do-nothing host

// Resets every record of this header to its start-up value.
void GameState_Reset();
