// The three grid styles ("Shapes4" to "Shapes6"): the picture is cut along
// its plain grid, every inner grid line carrying one tab. Tabs of short
// axis-parallel edges are stamped from a raster atlas of pre-drawn tabs
// (fig0-gray.gif); all others are drawn as Bezier figures. No partition, no
// room checks, no retries.
//
// The atlas (grey levels, only the first byte of a pixel is read):
//   - one block per edge length L = 19..47, block k = L - 19 starting at
//     column 21k + k(k-1)/2 and L + 2 columns wide;
//   - one band of 22 rows per figure 0..5, starting at row 22 * figure;
//   - a tab is read from row 22 * figure + side: each atlas row is one row of
//     the stamp, its L + 1 pixels left to right (or right to left for the
//     mirrored tab); pixels of level Green draw side 0, Red side 1;
//   - a Blue pixel at a row's first read column ends the stamp;
//   - the four levels White, Green, Red, Blue stand at column 4, rows 5-8;
//   - block k's first column starts with D_k White rows: the stamp begins D_k
//     rows on the far side of the edge line.
#pragma once

#include "cutting/cutting.h"
#include "cutting/edge_curves.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kVectorFigCount = 7;   // entries 0..6 of EdgeFigs in these styles
constexpr int kRasMinL = 19;         // edge lengths the atlas holds
constexpr int kRasMaxL = 47;
constexpr int kRasBlocks = kRasMaxL - kRasMinL + 1;
constexpr int kRasBandRows = 22;     // rows per figure
constexpr int kRasFigures = 6;       // figures 0..5 are in the atlas

// The constant point tables of the vector figures 4, 5 and 6 (0..3 are
// shared with the classic figures, edge_curves.h).
extern const TFigPoint xyEdgeFig4VectorStyle[25];
extern const TFigPoint xyEdgeFig5VectorStyle[28];
extern const TFigPoint xyEdgeBony1VectorStyle[31];

// Fills entries 0..6 of EdgeFigs with the vector figures.
void InitEdgeFigsForVectorStyle();

// ---- The tab atlas (per run: loaded at start-up) ------------------------------------------
struct TRasAtlas {
    OMyImagePtr miFig0;                 // the atlas as decoded (no conversion)
    uint8_t bRasWhite = 0, bRasGreen = 0, bRasRed = 0, bRasBlue = 0;  // reference levels
    std::array<int32_t, kRasBlocks> iRasTileD{};  // base-line offset of each block, rows
    bool bUsable = false;               // levels distinct and every read inside the picture
    std::string sLoadedFrom;            // the file LoadRasAtlas last read
};
extern TRasAtlas RasAtlas;

// Column where block k (edge length 19 + k) starts.
constexpr int RasBlockColumn(int k) { return 21 * k + k * (k - 1) / 2; }
// Rows a stamp of block k may read below its band's first row when no Blue
// pixel ends it: (L + 1) / 2 + D.
int RasStampRows(int k);

// Reads the reference levels and the blocks' base-line offsets from
// RasAtlas.miFig0 and checks that every read a stamp can make lies inside it;
// answers (and keeps in bUsable) whether stamps may be read. Nothing is read
// when the atlas has no pixels. `why` receives the reason when not usable.
bool CountRasTileD(std::string* why = nullptr);
// Decodes the atlas file into RasAtlas and checks it (CountRasTileD). An
// unusable atlas is logged: every tab is then drawn as a curve.
bool LoadRasAtlas(const std::string& path);

// ---- Tabs ------------------------------------------------------------------------------------
// Figure numbers a style draws its tabs from: style 4 {0}, 5 {0..3}, 6 {0..5}.
std::vector<int> VectorFigChoice(int style);

struct TVecStyle {
    std::vector<int> iFigChoise;  // figure numbers of the style being cut
};
extern TVecStyle VecStyleP;       // per cut

// Picks a tab: *number from iFigChoise (one draw), *flip from a second draw
// when randomFlip (else kept); *figure receives the figure with its points
// mirrored along the edge when flipped.
void ChooseRandomCurve(TEdgeFig* figure, int* number, bool* flip, bool randomFlip);

enum class TTabDraw { None, Stamped, Drawn };

// Copies the atlas's tab of figure `fig` (0..5) for edge length L onto the
// edge from P, horizontal when `flat` (to P + (L, 0)), else vertical (to
// P + (0, L)); pixels outside the image are skipped. Side 1 puts the tab
// above a horizontal edge and left of a vertical one (the atlas's rows are
// laid across a vertical edge from its right), where a drawn curve's side 1
// goes right: a grid cut does not care which way a tab points, only that
// both cells see the same edge. Needs a usable atlas.
void RasStampTab(OMyImage& img, int L, int fig, bool side, bool flip, bool flat, TPoint P, uint32_t colour);
// The figure (points already mirrored when flipped) fitted onto the frame
// with height h and drawn, its first point set too.
void DrawVectorTabBezier(OMyImage& img, const TEdgeFig& fig, const TCurveFrame& f, double h, uint32_t colour);

// Draws one tab on the edge A-B into cf.img with `colour`: stamped from the
// atlas for an axis-parallel edge of length 19..47 (when the atlas is usable
// and the tab needs no flattening at the image's border), otherwise as the
// Bezier figure with height cf.maskOfs. roomLimit is always off here.
TTabDraw DrawRotCurveForVectorStyle(const TCurveField& cf, bool roomLimit, bool side, TPoint A, TPoint B,
                                    uint32_t colour);

// ---- The cut ----------------------------------------------------------------------------------
// One grid cell's corners and tab sides (the corner buffer).
struct TCellCorners {
    TPoint tl, tr, bl, br;
    bool left = false, top = false, right = false, bottom = false;  // tab side of each edge
};

struct TVecCutStats {
    int stamped = 0, drawn = 0;   // tabs from the atlas, tabs drawn as curves
    int paintErrors = 0;          // cells whose seed was not white
    bool strayPockets = false;    // white pockets were left after the fill and handed out
    std::vector<TCellCorners> corners;  // kept for tests when keepCorners is set
    bool keepCorners = false;
};

// Cuts the picture described by `jp` (ImageW, ImageH, TileS, MaskOfs, TilePX,
// TilePY, TileNum, ShapeStyle 4..6, BorderStyle) along its grid with the
// random generator as seeded. Preconditions and results as for
// CreateMasksForVoronoiStyle; `stats` (optional) receives the tab counts.
TCutStatus CreateMasksForVectorStyle(TJigParams& jp, std::vector<TJig>& jigs, OMyImagePtr& masks,
                                     const TCutOptions& opt = {}, TVecCutStats* stats = nullptr);
