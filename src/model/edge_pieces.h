// Edge pieces: what puzzlers do first on a real table. "Edge Pieces to a
// Pocket" puts every loose piece of the picture's border aside into the
// first empty pocket; "Show Only Edge Pieces" hides the loose inner pieces
// lying on the sides, so that the border can be built first.
//
// A piece is on the border when its box or its grid cell touches the edge
// of the cut area, or when one of its neighbour slots names the frame piece;
// the frame itself counts as border and is never put aside. A piece is
// loose when it is alone in its group.
//
// The filter is a view of the table, not a change to it: hidden pieces
// cannot be picked or framed, but they join, are gathered, saved and solved
// as ever. Lifetime: per game; off when a game opens, never saved.
#pragma once

#include <cstddef>
#include <vector>

struct TSortedJig;

// "Show Only Edge Pieces" is on.
extern bool bShowOnlyEdges;

// Turns the filter off (Model_Reset and the opening of a game call it).
void EdgePieces_Reset();

// Piece i lies on the picture's border (the frame piece does too).
bool IsBorderJig(int i);
// Entry s of a draw order (ascending or descending: groups are adjacent)
// is the only piece of its group.
bool IsLooseEntry(const std::vector<TSortedJig>& order, size_t s);
// Piece i, loose or not as its caller found, is hidden by the filter: the
// filter is on and i is a loose inner piece on a side.
bool EdgeFilterHides(int i, bool loose);
// The same, working looseness out from the layers (for callers that do not
// walk the draw order).
bool IsJigHiddenByEdgeFilter(int i);

// What "Edge Pieces to a Pocket" did.
enum class TEdgesToPocket {
    Moved,          // pieces went into the pocket
    NoEdgePieces,   // no loose border piece lies on the sides
    NoEmptyPocket,  // every pocket holds pieces
};
struct TEdgesToPocketResult {
    TEdgesToPocket status = TEdgesToPocket::NoEdgePieces;
    int iPocket = -1;  // window index of the pocket (kPocket0..kPocket0+3) when moved
    int iMoved = 0;    // pieces moved
};
// Moves every loose border piece lying on a side (not carried, not under the
// weight, never the frame) into the first empty pocket, shuffled on a grid
// from the pocket's top-left corner; recounts and resizes that pocket.
// Showing the pocket is the caller's.
TEdgesToPocketResult EdgePiecesToPocket();
// What EdgePiecesToPocket would do now, without doing it.
TEdgesToPocketResult EdgePiecesToPocketPlan();
