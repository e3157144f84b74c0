// A small jigsaw built by hand for the rule and field tests: a grid of
// rectangular pieces whose boxes overhang their cells (so every box has
// transparent margins), plain distinct colours, rotation strips, neighbour
// slots with gaps between them, and optionally the frame piece.
#pragma once

#include "base/helpers.h"

#include <cstdint>

struct TGridJigsaw {
    int cols = 4, rows = 3;
    int tile = 40;        // cell side
    int ofs = 10;         // box overhang beyond the cell
    bool frame = false;   // "Plane Frame": one more piece, the last
    bool rotate = false;  // rotation strips of four frames
    int originX = 100, originY = 100;  // where piece boxes lie: home + origin
};

// The opaque colour of piece i as 0xRRGGBB (its cell; margins are transparent).
uint32_t PieceColour(int i);

// Fills JigP, Jigs (with the spare entry), SortedJigs and arPicJigs. Every
// piece is its own group (Layer = index) on side 0, unturned, at its home
// position shifted by the origin. Neighbour slots: 1 left, 3 top, 5 right,
// 7 bottom; border pieces list the frame in slot 8.
void BuildGridJigsaw(const TGridJigsaw& grid);

// Where piece i lies when the whole picture is turned r quarter turns
// clockwise and shifted by (ox, oy); sets X, Y, Rot and the drawn size.
void PlaceTurned(int i, int r, int ox, int oy);
// The content point on the opaque pixel of piece i nearest its drawn centre,
// as it lies now (pieces may be frames).
TPoint OpaquePoint(int i);
