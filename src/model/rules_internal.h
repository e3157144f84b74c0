// What the play-rule files share among themselves; not for other subsystems.
#pragma once

#include "model/game_state.h"
#include "model/puzzle.h"

// Forgets the draw-order cache and its scratch buffers.
void SortJigsCache_Reset();

// The captured window, or the stand-in for none (index 0, client and scroll 0).
TFieldWin CapturedWinOrNone();
// The view point (x, y) in content pixels of window w.
TPoint ViewToContent(const TFieldWin& w, int x, int y);
// Window indices 2..5 are the pockets.
inline bool IsPocketWin(int index) { return index >= kPocket0 && index < kThumbWin; }
// iCurJig names a piece in play.
bool HasCurJig();
// Moves every piece in play of layer `layer` by (dx, dy).
void MoveLayer(int32_t layer, int dx, int dy);
// Number of pieces in play of layer `layer`.
int CountLayer(int32_t layer);
