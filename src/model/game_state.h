// Records that the play rules, the files and the play field all touch: the
// view sizes, the options, the mouse scheme, the table backgrounds, the
// autosave flags and the seam through which the rules reach the play field.
//
// They live here so that the core (model, cutting, files) builds without the
// window; the play field and the dialogs fill them in.
#pragma once

#include "base/helpers.h"
#include "cutting/cutting.h"

#include <cstdint>
#include <optional>
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
    uint8_t Visual_EmbossStyle = kEmbossDefault;  // emboss style of piece edges, kEmbossNone..kEmbossLast
    bool Visual_ShowJoin = true;     // the star where pieces joined
    bool Visual_Shadows = true;      // pieces cast shadows on the table
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
// A background code is a table picture, kFirstBkgPic .. kFirstBkgPic +
// kBkgPicCount - 1, or else a packed colour 0xBBGGRR.
constexpr int32_t kDefaultBkgColor = 0x989898;
constexpr int32_t kFirstBkgPic = 10;
constexpr int kBkgPicCount = 8;
constexpr int kBkgWinCount = 6;  // windows with a background: the sides and the pockets (0..5)
constexpr int kBkgAllWins = -1;  // SetScrBkgColor: every one of them, kept as lBkgColorAll
struct TWinParams {
    int32_t Reserved[2] = {0, 0};        // kept at their running values when a game is read
    int32_t lBkgColorAll = kDefaultBkgColor;  // code last chosen for all windows
    int32_t lBkgColors[kBkgWinCount] = {kDefaultBkgColor, kDefaultBkgColor, kDefaultBkgColor,
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
// A field window as the rules see it: a copy of what they read, taken when
// asked. Indices are the window list's: 0 and 1 the sides, 2..5 the pockets,
// 6 the thumbnail; the glass (type 3) is in no list and keeps index 0.
constexpr int kFieldWinCount = 7;
// Window types (TFieldWin::bType, the play field's OMyWin).
enum : uint8_t { kWinSide = 0, kWinPocket = 1, kWinThumb = 2, kWinGlass = 3 };
// Fixed indices of the window list; TJig::Win holds a side or a pocket
// (kPocket0 .. kPocket0 + 3).
enum : int { kSide0 = 0, kSide1 = 1, kPocket0 = 2, kThumbWin = 6, kViewWinCount = kFieldWinCount };
// Sides and pockets hold pieces; the thumbnail and the glass only show them.
constexpr bool WinTypeHoldsPieces(uint8_t type) { return type == kWinSide || type == kWinPocket; }
struct TFieldWin {
    int32_t bIndex = 0;            // place in the window list, 0..6
    uint8_t bType = 0;             // kWinSide, kWinPocket, kWinThumb or kWinGlass
    TMyRect mrClient;              // client area, view pixels
    int32_t iScrollL = 0, iScrollT = 0;        // content point shown at the client's left-top
    int32_t iMaxScrollW = 0, iMaxScrollH = 0;  // content size, pixels; 0 = no scrolling
};
// The window list without a play field: sides and pockets as the window
// list creates them, every client covering the view, the sides' content the
// largest field (iMaxMainViewScrollW x iMaxMainViewScrollH).
TFieldWin HeadlessFieldWin(int index);

// Compositions of the screen and still buffers (DrawToScrBuf and
// FillStillBuf in the field): what is drawn into the target.
enum : int {
    kComposeAll = 0,             // every visible window with its contents (and the selection frame)
    kComposeWithoutDragged = 1,  // as kComposeAll without the dragged pieces
    kComposeDragged = 2,         // only the dragged pieces, no clear
    kComposeWithoutCurWin = 3,   // as kComposeAll without the current window
    kComposeCurWin = 4,          // only the current window with its contents, no clear
    kComposeWithoutFrame = 5,    // as kComposeAll without the selection frame
    kComposeFrame = 6,           // only the selection frame, no clear
    kComposeStill = 100,         // the still buffer copied over the target, no clear
};

// The window owns the real implementation; with none installed the calls do
// nothing and the window list is the headless one above (headless tools and
// most tests). OMemoryField (model/memory_field.h) is the in-memory field.
class IFieldHost {
public:
    virtual ~IFieldHost() = default;
    // Rebuilds the still buffer: kComposeWithoutDragged or kComposeAll.
    virtual void FillStillBuf(int /*mode*/) {}
    // The weight window is on the field.
    virtual bool IsWeightVisible() const { return false; }

    // The captured (current) window; nothing when no window is current.
    virtual std::optional<TFieldWin> CaptureWin() const { return std::nullopt; }
    // Window `index` of the list (0..6); nothing for another index.
    virtual std::optional<TFieldWin> ViewWin(int index) const;
    // Makes window `index` the captured one; -1: none.
    virtual void SetCaptureWin(int /*index*/) {}
    // The window the background commands act on: the first active side or
    // pocket, else the visible side.
    virtual int RetWinForBkgCur() const { return bCurSide; }
    // Brings window `index` to the front of the z-order, which also makes it
    // the captured one; sides stay behind.
    virtual void MoveWinToFront(int /*index*/) {}

    // Pocket bookkeeping after pieces went into or out of pocket `index`:
    // the group count (with its caption and button) and the content size.
    virtual void PocketCountJigs(int /*index*/) {}
    virtual void PocketUpdateScrollSize(int /*index*/) {}

    // During a partial redraw the dragged pieces moved by (dx, dy): move the
    // dirty rectangle and recompose the screen buffer from the still buffer
    // and the moving layer. The captured window may have changed since the
    // last call (the pieces crossed into another window).
    virtual void MoveDirtyRect(int /*dx*/, int /*dy*/) {}
    // Starts the star with its top-left at view point (x, y), in window `index`.
    virtual void StarSetAt(int /*x*/, int /*y*/, int /*index*/) {}
};
IFieldHost& FieldHost();
void SetFieldHost(IFieldHost* host);  // not owned; nullptr: the do-nothing host

// ---- Message texts as the rules see them ---------------------------------------------------
// The language holder installs the lookup (the key's value, then CaretMesFormat);
// without one a key stands for its own text. Cleared by GameState_Reset.
using TLangMessageFn = std::string (*)(const std::string& key);
void SetLangMessageFn(TLangMessageFn fn);
// The formatted text of message key `key`, ready for a message box.
std::string LangMessage(const std::string& key);

// Resets every record of this header to its start-up value.
void GameState_Reset();
