// The play rules: what the mouse handling and the menu commands do to the
// piece table. Find the piece under the pointer, lift its group, drag it
// (possibly into another window), drop it and join it to every matching
// neighbour, select and deselect, send pieces to the other side, turn a group
// about the pointer, lay out, arrange and gather pieces, and recognise the
// solved picture.
//
// A group is the set of pieces sharing one Layer value; the value is at once
// the group's identity and its drawing height. The rules work on the first
// JigP.TotalTileNum entries of Jigs (the spare entry is never in play).
//
// Coordinates are content pixels of a window. A view point (x, y) becomes
// px = x - client.L + iScrollL, py = y - client.T + iScrollT of the captured
// window (FieldHost().CaptureWin()); with no captured window client and
// scroll count as 0 and its index as 0.
//
// The field is reached through FieldHost() (still buffer, pockets, star,
// capture), sounds ("set" for a join, "win" for the solve), the
// congratulation and redraw requests through Platform(), the text of the
// congratulation through LangMessage().
#pragma once

#include <cstdint>
#include <vector>

struct TSortedJig;

// ---- The weight (per game; the saved game keeps it) ------------------------------------
// A piece of the weighted group (the weight window's piece); -1: no weight.
// The weighted group stays at the bottom of the draw order: it is never
// lifted and a selection does not take it.
extern int32_t iWeightJig;

// Clears the weight and the draw-order cache (Model_Reset calls it).
void PlayRules_Reset();

// ---- Draw order -----------------------------------------------------------------------------
// SortedJigs := the pieces in play as (Layer, index), in exactly the order the
// exchange sort below leaves them (ascending, or descending for topmost first).
// Pieces of one group end adjacent. Cached: a second call with the same layers
// and direction only copies the last result.
constexpr int kSortAscending = 0;   // SortJigs: bottom piece first
constexpr int kSortDescending = 1;  // SortJigs: topmost piece first
void SortJigs(int descending);
// The exchange sort itself, quadratic: for i < j, entries i and j swap when
// i's layer is greater (ascending) or smaller (descending) than j's.
void SortJigsByExchange(std::vector<TSortedJig>& entries, bool descending);
// The pieces in play: min(JigP.TotalTileNum, Jigs.size()).
int JigsInPlay();
// Index of the frame piece with "Plane Frame", else -1.
int FrameJig();

// ---- Picking, dragging, dropping --------------------------------------------------------
// selected 0: lifts the current piece's group to the top (not the weighted
// group); selected 1: lifts every selected group above the rest, renumbering
// layers densely. Both leave SortedJigs ascending.
constexpr int kLiftCurrentGroup = 0;  // PutJigsOnTop: the current piece's group
constexpr int kLiftSelection = 1;     // PutJigsOnTop: every selected group
void PutJigsOnTop(int selected);
// The topmost piece of the captured window whose opaque pixel lies under view
// point (x, y); -1 for none.
int GetCurJig(int x, int y);
// Starts dragging the current piece's group (or the selection).
constexpr int kMoveCurrentGroup = 0;  // DragCurJig, MoveJigs: the current piece's group
constexpr int kMoveSelection = 1;     // DragCurJig, MoveJigs: every selected group
void DragCurJig(int x, int y, int movesSelection);
// Moves the dragged pieces with the pointer; targetWin >= 0: the pointer
// crossed into that window, which takes the pieces and becomes captured.
void MoveJigs(int x, int y, int targetWin, int movesSelection);
// Drops the current group and joins it to every matching neighbour; ends the drag.
void DropCurJig();
// Once per game: when all pieces form one unturned group, centres the picture
// and congratulates.
void CheckSolvePuzzle();

// ---- Selection and sides ------------------------------------------------------------------
void DeselectJigs();
constexpr int kSelectInFrame = 0;  // SelectJigs: the groups inside SelRect
constexpr int kSelectAll = 1;      // SelectJigs: every piece of the captured window
void SelectJigs(int all);
// Sends the selection (kMoveSelection) or the current group (kMoveCurrentGroup)
// to the other side.
void ChangeJigsSide(int x, int y, int selectedOnly);

// ---- Many pieces at once ------------------------------------------------------------------
// A quarter turn of the current group about view point (x, y).
constexpr int kTurnCounterClockwise = 0;  // RotateCurJig
constexpr int kTurnClockwise = 1;         // RotateCurJig
void RotateCurJig(int x, int y, int clockwise);
// Lays out the loose pieces of side `side`: on a grid (spreadOut) or at random.
void RemixJigs(int side, int spreadOut);
// Arranges the selected loose pieces on a grid from their top-left corner.
void ArrangeSelectedJigs();
// The grid of an arrange: k pieces in an aw x ah area, cells of `cell`
// pixels unless the area needs them smaller. Row-major; every cell lies
// inside the area.
struct TArrangeGrid {
    int cols = 1, rows = 1;    // the planned grid (the pieces may fill one row more)
    int cellW = 0, cellH = 0;  // pixels
};
TArrangeGrid ArrangeGrid(int k, int aw, int ah, int cell);
// Pulls back the groups of window `win` whose core lies outside its area;
// true when a group moved. Strict: the frame piece may stick out by at most
// TileS; loose: a strip of TileS along its far edges must stay in the area.
constexpr int kLostLoose = 0;   // FindLostJigs
constexpr int kLostStrict = 1;  // FindLostJigs
bool FindLostJigs(int win, int strict);
// FindLostJigs(w, kLostStrict) for every side and pocket.
void FindLostJigsOnAllWins();

// ---- Weight -------------------------------------------------------------------------------
// Piece j belongs to the weighted group.
bool IsWeightJig(int j);
// Puts the weighted group at layer 0, under every other group, keeping their order.
void MoveWeightJigToBottom();
