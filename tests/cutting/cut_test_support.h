// Inputs and checks the cutter's tests share: site sets, a check that cells
// partition the field, small pictures, prepared cuts, vector-picture record
// streams and picture data files.
#pragma once

#include "cutting/classic_cut.h"
#include "cutting/cutting.h"
#include "cutting/vector_pics.h"
#include "cutting/voronoi.h"

#include <cstdint>
#include <set>
#include <string>
#include <utility>
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
OMyImagePtr WhiteImage(int w, int h, bool alpha = true);
using PixelSet = std::set<std::pair<int, int>>;
PixelSet PixelsOf(const OMyImage& img, uint32_t colour);
int CountColour(const OMyImage& img, uint32_t colour);
// Pixels of the frame's 20-pixel ring around the mask not painted with its code.
int FrameRingStrays(const OMyImage& masks);

// Parameters of a cut at `level` of a w x h picture, as the open dialog sets them.
TJigParams CutParams(int w, int h, int level, int style, int border, bool rotate = false);

// A whole cut into `jigs` and `masks` with the generator seeded by `seed`.
TCutStatus RunCut(TJigParams& p, std::vector<TJig>& jigs, OMyImagePtr& masks, uint32_t seed);

// Empty when every pixel of the mask is painted and lies in the box of
// exactly one of the first `count` pieces with its code, and every piece has
// a pixel; otherwise what is wrong.
// With tight set, every piece's box must also be exactly the extent of its
// pixels.
std::string CheckPieceOwnership(const OMyImage& masks, const std::vector<TJig>& jigs, int count, bool tight = false);

struct Pt { int x, y; };

// A record stream: a header with bounds (0, 0, w, h), then the records added.
class Emf {
public:
    Emf(int w, int h);
    Emf& Record(uint32_t type, const std::vector<uint32_t>& body = {});
    // A poly record; `type` the 32-bit number, 16-bit points when b16.
    Emf& Poly(uint32_t type, const std::vector<Pt>& pts, bool b16 = false);
    std::vector<uint8_t> bytes;
};

struct PicEntry {
    std::vector<uint8_t> emf;
    int w = 0, h = 0;
    uint8_t mirrorTB = 0, mirrorLR = 0;
};

// A data file holding the entries in order (entry i's fields at 12 + 40 i).
std::vector<uint8_t> PicDataFile(const std::vector<PicEntry>& entries);
// A w x w square outline, closed, ending with an end record.
std::vector<uint8_t> SquareEmf(int w, bool b16 = false);
