// The emboss of piece images: a bevel along the piece's outline, lit from the
// top left. A pixel is shaded by the distances (1 .. R, R when nothing is
// nearer) to the first transparent pixel, or the image's edge, in eight
// directions: left, up, right, down, up-left, up-right, down-right, down-left.
//
// The distances depend on alpha only and a quarter turn only relabels the
// directions, so the piece images compute them once per piece (two raster
// sweeps) and shade all four turned copies from them. The literal method
// (eight searches for every pixel of every copy) stays here as the reference.
#pragma once

#include "base/my_image.h"
#include "cutting/jig_records.h"

#include <array>

struct TEmbossParams {
    int depth = 0;   // D
    int reach = 1;   // R = max(D + 2, 1): steps searched per direction
    int level = 0;   // L = (D + 1) * 128
    std::array<int, 8> coef{};  // per direction, in the order above
};
TEmbossParams EmbossParams(int style);

// The emboss as literally described, on one image with alpha in place.
void CreateEmbossedEdgesLiteral(OMyImage& img, int style);
// One piece image made the literal way: each turned copy cut out on its own,
// embossed literally, then placed into the strip.
OMyImage BuildPieceImageLiteral(const OMyImage& picture, const OMyImage& masks, const TJig& j, bool rotate,
                                int embossStyle);
// Whether piece j gets a rotation strip (the frame piece never turns).
bool PieceHasStrip(const TJig& j, bool rotate);
