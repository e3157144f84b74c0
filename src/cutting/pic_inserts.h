// The Figure style's picture inserts as the classic cut sees them: some
// flagged grid cells become little pictures set into the puzzle, and the
// ordinary cells around them close along the pictures' outlines.
//
// The cut calls these only in the Figure style (3), at the points named.
#pragma once

struct TCutWork;

// At set-up: loads the vector pictures. False when there are none (the cut
// then treats every flagged cell as an ordinary one).
bool PicInserts_Load(TCutWork& w);
// In every attempt, after the boxes, neighbours and twins and before the tab
// sides: places pictures into the flagged cells (clearing the flag of a cell
// that gets none), draws them into the mask and fits the neighbouring edges.
// After it, a cell with PicCell set is a picture piece: the cut draws none
// of its edges and does not fill it.
void PicInserts_Place(TCutWork& w);
// At the end of the cut: frees the pictures.
void PicInserts_Free(TCutWork& w);
