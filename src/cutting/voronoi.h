// The Voronoi partition of the cut field: every point belongs to the nearest
// site. The cells come from a Delaunay triangulation built by gift wrapping
// over an edge list; every cell's edges record the neighbour across them, the
// cells are closed along the field's border, and each site's double copy is
// moved to the mean of its edges' midpoints (the relaxation of the cut).
//
// Two triangulations give identical cells: the literal one scans every site
// for every edge (quadratic; kept as the reference), the fast one finds the
// same candidates through a bucket grid and hash-free adjacency lists.
//
// Coordinates are field pixels, y downwards; the field is the rectangle
// L..R x T..B (edges inclusive), the lines x = L, x = R, y = T, y = B.
#pragma once

#include "base/helpers.h"

#include <array>
#include <cstdint>
#include <vector>

constexpr int kCellMaxEdges = 20;  // a cell with more is a reported failure
constexpr int kCellMaxTris = 20;

struct TVorEdge {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // ordered: y1 <= y2, and x1 <= x2 when y1 = y2
    int16_t nb = -1;                        // neighbour cell; -1 along the field border
};

struct TVorCell {
    int32_t x = 0, y = 0;     // the site, pixels
    double dx = 0, dy = 0;    // the site moved to the mean of the edges' midpoints
    int32_t edgeNum = 0;
    int32_t triNum = 0;
    std::array<TVorEdge, kCellMaxEdges> edges;
    std::array<int32_t, kCellMaxTris> tris;  // the Delaunay triangles the site belongs to
};

// One edge of the triangulation: end sites (smaller index first) and the side
// of the line p1 -> p2 (sign of the cross product) still to be searched for a
// triangle: -1, +1, or 0 when all sites are collinear.
struct TTriaEdge {
    TPoint p1, p2;
    int32_t i1 = 0, i2 = 0;
    int8_t open = 0;
};

struct TTriangle {
    int32_t v[3] = {0, 0, 0};  // site indices
    int32_t turn = 0;          // v0 -> v1 -> v2: +1 or -1, as the sign of the cross product
    double cx = 0, cy = 0;     // circumcentre
};

// Working memory of CalculateVoronoiCells, kept with the triangulation so
// that repeated partitions (the relaxation passes) allocate it once.
struct TVoronoiScratch {
    std::vector<TPoint> sites;
    std::vector<uint64_t> keys;
    std::vector<int> order, hull, bucketStart, bucketSites, fill, siteHead, edgeTriHead, nbStart, nbList, endSlot;
    std::vector<TPoint> bucketPoints;  // the sites in bucketSites' order
    std::vector<int32_t> siteTris;   // kCellMaxTris per site: its triangles, in the order found
    std::vector<uint8_t> siteTriNum;
    std::vector<std::array<int, 3>> links;     // edge list adjacency: other site, edge, next
    std::vector<std::array<int, 2>> triLinks;  // triangles of an edge: third vertex, next
};

struct TDelaunay {
    std::vector<TTriaEdge> edges;  // in the order found (pTriaEdgesBuf)
    std::vector<TTriangle> tris;   // in the order found
    TVoronoiScratch scratch;
};

enum class TTriangulation { Fast, Reference };

// Fills every cell's edges (clipped to `field`, closed along its border) and
// double site from the integer sites. False after ShowMessage for fewer than
// two sites, sites that coincide, no pair qualifying as the first edge
// ("Finding first edge failed!"), or a cell that would need more than
// kCellMaxEdges edges or kCellMaxTris triangles; the cells then have no edges.
// `tri` receives the triangulation when given (and lends its memory).
bool CalculateVoronoiCells(std::vector<TVorCell>& cells, const TMyRect& field,
                           TTriangulation method = TTriangulation::Fast, TDelaunay* tri = nullptr);

// Adds an edge to a cell, ordered and clipped to the field; an edge wholly
// outside the field, of no length (below 1e-6) or repeating one the cell has
// is dropped (true). False when the cell is full.
bool AddEdgeToCell(TVorCell& cell, int neighbour, double x1, double y1, double x2, double y2,
                   const TMyRect& field);

// Intersection of segments 1-2 and 3-4: parameters in [0, 1] (inclusive) or
// in (0.00001, 0.99999) (exclusive); parallel segments never meet.
bool LinesIntersect(double* x, double* y, bool inclusive, double x1, double y1, double x2, double y2,
                    double x3, double y3, double x4, double y4);
// The part of the segment's infinite line inside the field.
void ExtendLineToImageBorders(const TMyRect& field, double* x1, double* y1, double* x2, double* y2);
// Moves the second end along the line to the field's edge (away from the
// first end), when that lies beyond it.
void ExtendLineEndToImageBorders(const TMyRect& field, double* x1, double* y1, double* x2, double* y2);
// The angle A-K-B in radians; 0 when K coincides with A or B.
double GetAngle(double ax, double ay, double kx, double ky, double bx, double by);
// The cosine GetAngle takes the arc cosine of, clamped to -1..1.
double GetAngleCos(double ax, double ay, double kx, double ky, double bx, double by);
// Swaps the ends so that y1 <= y2, and x1 <= x2 when y1 = y2.
void CorrectLineCoords(double* x1, double* y1, double* x2, double* y2);
