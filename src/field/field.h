// The play field's facade: one OpenGL view holding movable in-view windows
// (two sides, four pockets, the thumbnail), the glass, the star and the
// weight; the mouse, wheel and keys that play the game on it; the frame
// composition; table backgrounds and pockets.
//
// Lifetime. Field_Init runs once the view's GL context exists (skins,
// textures, render buffers, the window list, the tools) and installs the
// field as the rules' IFieldHost; Field_Release undoes it at shutdown.
// Field_Reset clears every record (tests).
//
// The families live in their own headers, all included here:
//   field_gl.h     context, textures, quads, render buffers
//   field_win.h    OMyWin, the window list, capture, DragWinP
//   compose.h      DrawToScrBuf, FillStillBuf, DrawJig, the piece atlas, RedrawP
//   mouse.h        DoFieldMouse*, FindTargetWin, ChangeSide, window sizes
//   backgrounds.h  the table picture, the "current" window (codes: model/game_state.h)
//   pockets.h      Pocket*
//   tools.h        GlassP, StarP, WeightP
//   ui_codes.h     the fixed menu and toolbar indices
#pragma once

#include "field/backgrounds.h"
#include "field/compose.h"
#include "field/field_gl.h"
#include "field/field_win.h"
#include "field/mouse.h"
#include "field/pockets.h"
#include "field/tools.h"
#include "field/ui_codes.h"

#include <string>

// ---- What the field asks of the main form ---------------------------------------------------
// Menu items and toolbar buttons by their fixed indices; titles and tool tips
// are language keys. The main form installs its implementation; without one
// (tests, tools) these do nothing.
class IFieldUi {
public:
    virtual ~IFieldUi() = default;
    virtual void SetMenuItemTitle(int /*index*/, const std::string& /*key*/) {}
    virtual void SetToolbarItemTooltip(int /*index*/, const std::string& /*key*/) {}
    virtual void SetMenuItemChecked(int /*index*/, bool /*checked*/) {}
    virtual void SetToolbarItemImage(int /*index*/, const std::string& /*imageName*/) {}
};
IFieldUi& FieldUi();
void SetFieldUi(IFieldUi* ui);  // not owned; nullptr: the do-nothing one

// ---- Run state ------------------------------------------------------------------------------------
struct TFieldP {
    std::string sResourceDir;  // where skins and tool pictures are read
    bool bInitDone = false;    // Field_Init has run
    bool bThumbWasVisible = false, bGlassWasVisible = false;  // across the opening of a game
    // Once a game is open, keep only what play and saving need: the mask
    // packed, the piece images as hit masks beside their atlas copy. The
    // game sets it; tests that look at those pixels leave it off.
    bool bLeanAfterOpen = false;
};
extern TFieldP FieldP;

// The resource folder (the files' one once known, else FieldP's).
std::string FieldResourceDir();
// A game is open (the file names say so), with a piece table to draw.
bool IsGameOpen();

// Creates what the field draws with and the window list; needs the GL context
// current (without one it makes the windows and tools only, for tests).
// maxW x maxH is the largest view: the size of the render buffers.
void Field_Init(const std::string& resourceDir, int maxW, int maxH);
void Field_Release();
// Grows the render buffers when the view outgrows them.
void Field_EnsureBuffers(int viewW, int viewH);
// Makes the still buffer (under what moves) if it is not there yet: on the
// first move, or earlier when the window has a moment to spare.
void Field_EnsureStillBuf();
// The window's part of opening a game (installed as the files' hooks):
// before it, the pockets, the thumbnail and the glass are hidden; after it,
// the new pieces go to the atlas, the windows are sized for the picture, the
// pockets take their saved places, side `side` is shown, the backgrounds and
// the weight's button are refreshed and the thumbnail and glass come back.
void Field_BeforeOpen();
void Field_GameOpened(int side = 0);
// The pocket windows into the records a saved game stores (before any save).
void Field_StorePockets();

// The "gather lost pieces" command once confirmed: every piece onto side 0 (the
// largest group, when it holds at least half the pieces, under all others),
// pockets emptied and hidden, lost groups pulled back into view.
void GatherLostJigs();

// The field as the play rules reach it (installed by Field_Init).
void Field_InstallHost();

void Field_Reset();
