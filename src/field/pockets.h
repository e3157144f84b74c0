// Pockets: four small movable, resizable, scrollable windows (list indices
// 2..5) into which the player puts pieces aside. Each keeps a count of the
// groups in it, a caption with that count, a toolbar picture and a content
// size that fits its pieces.
#pragma once

#include <string>

// Recounts the groups of pocket `win` (a joined group counts once), then
// updates its toolbar picture and caption.
void PocketCountJigs(int win);
// The toolbar picture: empty or full, "-sel" while shown.
void PocketUpdateButton(int win);
// "<name>" or "<name> <count part>" from the language file, with fallbacks.
void PocketUpdateCaption(int win);
std::string PocketCaptionText(int win);
// Content size from the pieces in it (0 x 0 empty), then re-layout.
void PocketUpdateScrollSize(int win);
// Shows or hides; a pocket shown empty is placed anew (top-right corner, or
// cascading from the others).
void PocketSetVisible(int win, bool show);
// The main form's commands: first every hidden pocket holding pieces is shown;
// then the visible pockets are stacked along the right quarter of the view
// (tile) or overlapped diagonally (cascade).
void PocketsTile();
void PocketsCascade();
// Empties every pocket: count 0, hidden, caption and scroll size refreshed.
void PocketsClearAll();
