// The Figure style's picture inserts as the classic cut sees them: some
// flagged grid cells become little pictures set into the puzzle, and the
// ordinary cells around them close along the pictures' outlines.
//
// The cut calls these only in the Figure style (3), at the points named.
//
// A picture cell draws no edges and is not filled: its pixels are the
// picture's. Its ordinary neighbours take the rest of its Voronoi cell: the
// edges between them that meet at the picture cell's corners are carried on
// to the picture's outline, so that each neighbour is closed by its own
// edges and the outline.
#pragma once

#include "base/my_image.h"
#include "base/helpers.h"

#include <cstdint>
#include <string>
#include <vector>

struct TCutWork;

// Where the Figure style's pictures come from (per run: the game sets it at
// start-up to the resource folder's pic_zivra.dat).
struct TPicSource {
    std::string sDataPic;
    std::vector<uint8_t> arData;  // when not empty, read instead of the file (tools, fuzzing)
};
extern TPicSource PicSourceP;

// At set-up: loads the vector pictures and makes the scratch image. False
// when there are none (the cut then treats every flagged cell as an ordinary
// one).
bool PicInserts_Load(TCutWork& w);
// In every attempt, after the boxes, neighbours and twins and before the tab
// sides: places pictures into the flagged cells (clearing the flag of a cell
// that gets none), draws them into the mask and fits the neighbouring edges.
// After it, a cell with PicCell set is a picture piece: the cut draws none
// of its edges and does not fill it.
void PicInserts_Place(TCutWork& w);
// At the end of the cut, after the last clean-up of the mask: each picture
// piece's box becomes the extent of its pixels again.
void PicInserts_FitBoxes(TCutWork& w);
// At the end of the cut: frees the pictures.
void PicInserts_Free(TCutWork& w);

// ---- The steps, exposed for tests -------------------------------------------------------
// Moves the flags off cells that touch the field's border or too many
// flagged neighbours (two passes, thresholds 1 and 0).
void ChoosePicCells(TCutWork& w);
// Sets a picture into flagged cell i, or clears its flag when it would cover
// a neighbour's site or another picture. Draws from the generator as a
// placing does, whatever the outcome.
void PlacePicture(TCutWork& w, int i);
// The five passes over the ordinary cells (redirect, trim, crossings, short
// edges, boxes), then the separators they added from the picture cells'
// corners to the outlines are drawn, straight.
void FitEdgesNearPictures(TCutWork& w);

// Within rect (inclusive, inside both images): when every pixel of `colour`
// in pics is white in field, copies them into field and answers true;
// otherwise changes nothing.
bool AddPicToField(OMyImage& field, const OMyImage& pics, uint32_t colour, const TRect& rect);
// Walks A to B (both ends included); at the first point inside rect with an
// 8-neighbour (inside the field) of piece `piece`'s colour, answers true
// with *P the point.
bool LineOverlapWithPic(const TCutWork& w, int piece, TPoint A, TPoint B, const TRect& rect, TPoint* P);
// 0 with *P = A when A is white in the mask; else walks towards B: 1 with
// the first white point, -1 when B is reached first.
int FindFreeEdgePoint(const TCutWork& w, TPoint A, TPoint B, TPoint* P);
