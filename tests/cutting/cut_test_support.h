// Inputs and checks the cutter's tests share: site sets, a check that cells
// partition the field, small pictures, and a prepared cut.
#pragma once

#include "cutting/classic_cut.h"
#include "cutting/cutting.h"
#include "cutting/voronoi.h"

#include <string>
#include <vector>

// One site in each cell of a C x R grid over a w x h picture (with the
// 20-pixel frame when border is 1), placed as the cut places them from
// `seed`; *field receives the field.
std::vector<TPoint> JitteredGridSites(int w, int h, int C, int R, int border, uint32_t seed, TMyRect* field);
// n distinct sites uniformly inside the field.
std::vector<TPoint> RandomSites(const TMyRect& field, int n, uint32_t seed);
// A lattice with spacing `step` from (x0, y0): every square of four sites is
// co-circular and every row and column collinear.
std::vector<TPoint> LatticeSites(int x0, int y0, int cols, int rows, int step);

std::vector<TVorCell> CellsFor(const std::vector<TPoint>& sites);

// Empty when the cells partition the field into closed cells, each holding
// its own site, with symmetric neighbours, every sampled point of the field
// inside exactly one cell and that cell's site a nearest one; otherwise what
// is wrong.
std::string CheckPartition(const std::vector<TVorCell>& cells, const TMyRect& field);
// Empty when both sets of cells are identical (every double bit for bit).
std::string CompareCells(const std::vector<TVorCell>& a, const std::vector<TVorCell>& b);

// A small photo-like picture with alpha.
OMyImagePtr MakeTestPicture(int w, int h, uint32_t seed = 1);

// Parameters of a cut at `level` of a w x h picture, as the open dialog sets them.
TJigParams CutParams(int w, int h, int level, int style, int border, bool rotate = false);

// A whole cut into `jigs` and `masks` with the generator seeded by `seed`.
TCutStatus RunCut(TJigParams& p, std::vector<TJig>& jigs, OMyImagePtr& masks, uint32_t seed);
