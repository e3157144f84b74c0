// Mouse, wheel and keys of the play field: picking, dragging, rotating and
// frame-selecting pieces, moving them to the other side or into another
// window, moving, resizing, scrolling and closing field windows, switching
// sides; and keeping the windows in view when the view or the field changes.
//
// Points are view pixels (device pixels of the main view, y down). Buttons:
// 0 left, 1 right or other, 2 none (a move with no button held). Modifiers:
// one code, the first held of 1 Shift, 2 Alt, 4 Meta, 8 Control.
#pragma once

class OMyWin;

void DoFieldMouseDown(int button, int shift, int x, int y);
void DoFieldMouseMove(int button, int shift, int x, int y);
void DoFieldMouseUp(int button, int shift, int x, int y);
// A wheel turn at (x, y), one notch per call (the sign gives the way, > 0
// away from the player): turns the piece under the pointer, or the carried
// one, when the mouse scheme and the jigsaw allow turning; with nothing to
// turn it scrolls the window under the pointer, across when `sideways`.
void DoFieldWheel(double delta, int x, int y, bool sideways);
// The space key: the other side (a resting selection is dropped first).
void DoFieldSpaceKey();
// An arrow key: the shown side scrolls one step that way (dx, dy in -1..1),
// unless a gesture is under way.
void DoFieldArrowKey(int dx, int dy);
// The Escape key: a selection frame being drawn is given up and resting
// selected pieces are deselected.
void DoFieldEscapeKey();
// View pixels one wheel notch or arrow key press scrolls.
constexpr int kFieldScrollStep = 60;

// Scrolls win by the gesture in DragWinP; the two sides keep one geometry.
void ScrollCurWin(OMyWin* win, int x, int y);
// The window dragged pieces would go into at (x, y), or null when they stay.
OMyWin* FindTargetWin(int x, int y);
// Puts every moved-away window back where its caption can be reached.
void CheckWindowsAreInView();
// The view changed size: the sides fill it.
void DoFieldResize();
void ChangeSide(int side);
// A newly opened jigsaw: the thumbnail's limits and size from the picture,
// the sides' content from the field.
void UpdateMinMaxThumbSize(int picW, int picH);
void UpdateWindowsSize(int fieldW, int fieldH);
