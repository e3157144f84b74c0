// The colour square of the background dialog: a 300 x 300 palette whose x runs
// through six hue sectors of 50 pixels (red, magenta, blue, cyan, green,
// yellow, back to red) and whose y runs from white (top) through the pure hue
// (y = 150) to black (y = 300). The picture "col-gamma.png" is this function
// drawn over 300 x 300 pixels; ColorToCoord finds a colour on that picture.
//
// Pure functions over plain data: the artwork generator and the play field
// use the same code.
#pragma once

#include "base/my_image.h"

#include <cstdint>

// One hue sector: channel = base + t * step for t = 0..255 across the sector.
struct TGammaSector {
    int base[3];  // red, green, blue at the sector's left edge
    int step[3];  // -1, 0 or 1 per channel
};
extern const TGammaSector lGammaSectorColors[6];

// The colour at (x, y) of the square, x and y in 0..300. Always true.
bool CoordToColorSquare(int x, int y, int* r, int* g, int* b);

// The place of a packed colour on the palette picture: the pixel whose three
// channels each differ by at most 5 with the smallest summed difference, the
// first one row by row on a tie. False when the picture has no pixels or no
// pixel is that close.
bool ColorToCoord(const OMyImage& gamma, uint32_t colour, int* x, int* y);
