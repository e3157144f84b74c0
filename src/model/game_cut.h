// The cutter over the open game's records: the named steps the game takes
// when it opens a jigsaw, each a thin wrapper that hands JigP, Jigs, miJigs
// and miMasks to the pure cutter (cutting/cutting.h) and takes its results
// back into the records.
#pragma once

#include "cutting/cutting.h"

// Lays the grid of JigP over Jigs (see InitJigsAr in cutting/cutting.h).
void InitJigsAr();
// Cuts the picture of JigP (ShapeStyle 0..3) into Jigs and miMasks with the
// random generator as seeded (the argument is ignored).
TCutStatus CreateMasksForVoronoiStyle(int unused = 0);
// Cuts the picture of JigP (ShapeStyle 4..6) along its grid into Jigs and
// miMasks, as CreateMasksForVoronoiStyle does for the classic styles.
TCutStatus CreateMasksForVectorStyle();

// ---- Piece images ----------------------------------------------------------------------
// Made for each piece image once it is complete, in index order, on the
// calling thread: the play field installs one that uploads a texture (and
// keeps the pixels for hit tests). None installed: images stay pixels only.
// Per run; Model_Reset unhooks it.
using PieceTextureMaker = void (*)(OMyImage& img);
void Cutting_SetPieceTextureMaker(PieceTextureMaker maker);
// The game's form: every piece of Jigs from miJigs and miMasks into arPicJigs,
// drawing coordinates brought up to date, then the texture maker per image.
// Nothing when TotalTileNum is below 1 or an image is missing.
void CopyJigsToTextures(bool create, int embossStyle);
// The same end as CopyJigsToTextures(true, style) with images made elsewhere
// by BuildPieceImages from the same picture, mask and pieces: taken (and
// `images` emptied) when there is one for each of the TotalTileNum pieces and
// the game's picture and mask are there; false, `images` untouched, otherwise.
bool AdoptPieceImages(std::vector<OMyImage>& images);
