// A small jigsaw built by hand for the play-rule tests: a grid of
// rectangular pieces whose boxes overhang their cells (so every box has
// transparent margins), rotation strips, neighbour slots with gaps between
// them, and optionally the frame piece.
#pragma once

#include "model/helpers.h"

struct TGridJigsaw {
    int cols = 4, rows = 3;
    int tile = 40;       // cell side
    int ofs = 10;        // box overhang beyond the cell
    bool frame = false;  // "Plane Frame": one more piece, the last
    bool rotate = false; // rotation strips of four frames
};

// Fills JigP, Jigs (with the spare entry) and arPicJigs. Every piece is its
// own group (Layer = index) on side 0, unturned, at its home position moved
// by (100, 100). Neighbour slots: 1 left, 3 top, 5 right, 7 bottom; border
// pieces list the frame in slot 8.
void BuildGridJigsaw(const TGridJigsaw& grid);

// Where piece i lies when the whole picture is turned r quarter turns
// clockwise and shifted by (ox, oy); sets X, Y, Rot and the drawn size.
void PlaceTurned(int i, int r, int ox, int oy);
// A content point on an opaque pixel of piece i as it lies now.
TPoint OpaquePoint(int i);
