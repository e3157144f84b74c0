// The phases of the classic cut (styles 0..3), for the cut itself, its tests,
// its benchmark and the tools. Everything here lives within one cut: the
// work record is made at the start and dropped at the end.
//
//   set-up -> sites -> partition (three relaxation passes) -> up to three
//   attempts { cells restored, boxes and neighbours, tab sides, curves,
//   frame line, fill } -> finish { frame strip, stray pixels, tails, frame
//   piece }.
//
// Mask pixels: white = not yet painted; a piece = (128, 0, its colour code);
// the frame = (128, 0, 5). Boundary pixels belong to the piece whose curve
// was drawn there (the lower index).
#pragma once

#include "cutting/cutting.h"
#include "cutting/edge_curves.h"
#include "cutting/voronoi.h"

#include <array>
#include <vector>

constexpr uint32_t kMaskWhite = 0xFFFFFF;

// One edge of a cell during an attempt.
struct TCutEdge {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;      // whole pixels; y1 <= y2 (x1 <= x2 when level)
    double rx1 = 0, ry1 = 0, rx2 = 0, ry2 = 0;  // as partitioned (Figure style: extended to the border)
    int16_t nb = -1;         // neighbour cell; -1 along the field border
    double len = 0;          // pixels, between the whole-pixel ends
    int32_t twin = -1;       // the same edge in the neighbour's record; -1 none
    bool side = false;       // which side of the edge the tab's upper part goes
    bool drawable = true;    // false: an edge the picture inserts cut away
    int16_t picA = -1, picB = -1;  // picture-insert bookkeeping
};

struct TCutCell {
    int32_t x = 0, y = 0;    // site, pixels
    double dx = 0, dy = 0;   // site as partitioned
    int32_t edgeNum = 0;
    std::array<TCutEdge, kCellMaxEdges> edges;
};

// Figures each style may fall back to, in order, and whether its tab sides
// and flips follow the edge's direction (Pinwhell) instead of the generator.
struct TStyleRules {
    std::vector<int> fallback;
    bool directional = false;
    int figureTries = 4;
};
TStyleRules StyleRules(int style);

// What every grid-based cut works on: the field, the grid and the mask.
struct TCutGrid {
    TMyRect field;                 // fL..fR x fT..fB
    int C = 0, R = 0, n = 0;       // columns, rows, grid pieces
    OMyImagePtr vecField;          // the mask being painted (miVecField)
};

struct TCutWork : TCutGrid {
    TCutWork(TJigParams& p, std::vector<TJig>& j) : jp(p), jigs(j) {}
    TJigParams& jp;
    std::vector<TJig>& jigs;
    std::vector<TVorCell> cells;   // the partition every attempt restarts from
    std::vector<TCutCell> cut;     // the cells of the current attempt
    OMyImagePtr testPics;          // scratch image of the picture inserts (miTestPics)
    TCurveField cf;
    TStyleRules rules;
    int failInd = -1, failX = 0, failY = 0;  // the last cell an attempt could not fill
};

// What every grid-based cut checks and sets first: the level against the
// picture, the field inside the frame allowance (recorded in JigsL..JigsB and
// TotalTileNum), the columns and rows, and a clear mask of the picture's
// size. Null when all is well, otherwise why the level cannot be cut.
const char* CutGridSetUp(TJigParams& p, int minTileS, size_t jigCount, TCutGrid& g);
// The "Plane Frame" piece: the whole picture, home at the origin, no neighbours.
void CutSetFramePiece(TJig& fp, const TJigParams& p);
// Tells the user a cut failed and why; always false.
bool CutRefuse(const char* why);
// Milliseconds on a steady clock, for the cuts' phase times.
double CutNowMs();

// Checks the parameters, sets the field edges (JigsL..JigsB), the grid and
// the mask; false (with a message) when they cannot be cut.
bool CutSetUp(TCutWork& w);
// One site per grid cell, at least 3 pixels from the earlier ones nearby.
bool CutPlaceSites(TCutWork& w);
// Three partitions, each from the previous one's moved sites rounded; the
// third one's cells are kept with their double sites reset to the integer ones.
bool CutPartition(TCutWork& w, TTriangulation method = TTriangulation::Fast);
// One cutting attempt on a fresh mask; false when a cell could not be filled.
bool CutAttempt(TCutWork& w, TCutTimes* times);
// Frame strip, stray pixels, tails and the frame piece; hands the mask over.
void CutFinish(TCutWork& w, OMyImagePtr& masks, TCutTimes* times);

// The attempt's steps, exposed for tests.
void CutRestoreCells(TCutWork& w);
void CutBoxesAndNeighbours(TCutWork& w);
void CutChooseSides(TCutWork& w);
void CutDrawEdges(TCutWork& w);
bool CutFill(TCutWork& w);

// The free distances of S and N from the line A-B, ordered as (room right of
// a steep edge / above a flat one, room on the other side).
void EdgeRooms(TPoint A, TPoint B, TPoint S, TPoint N, double* room1, double* room2);

// 4-connected fill of the seed's region of a 4-byte mask, comparing whole
// pixels (alpha included) and keeping the region's alpha; rect receives the
// filled extent. On an image of one alpha, the same as MyImageFloodFill.
void MaskFloodFill(OMyImage& img, int x, int y, uint32_t colour, TRect* rect);
// Gives the white pockets touching piece j (within its box grown by a pixel)
// its colour; the fill may run beyond the box, which then grows to hold it.
// Answers the piece's gathered extent (empty: none of its pixels there).
TMyRect RemoveEdgeExtraPixels(OMyImage& img, TJig& j);
// A pixel the tail clean-up recoloured, and a neighbour whose colour it took.
struct TTailChange {
    int x, y;
    int fromX, fromY;
};
// Recolours one-pixel tails along the field's border and inside it; each
// change goes to *changes when given.
void RemoveEdgeTails(OMyImage& img, const TMyRect& field, std::vector<TTailChange>* changes = nullptr);
// Widens the box of the piece that took each changed pixel (the piece of its
// code whose box holds the neighbour it took the colour from).
void GrowBoxesForTails(TCutWork& w, const std::vector<TTailChange>& changes);
