// The edge figures: sixteen designed curves (knobs, stars, spirals, low
// waves) that replace the straight edge between two pieces, and the routines
// that fit a figure onto an edge, check that it keeps clear of everything
// drawn, and draw it into the mask being cut.
//
// A figure is a chain of cubic Bezier segments (points 0-3, 3-6, ...) in its
// own frame: x runs along the edge from 0 to its width (127), y across it,
// growing downward; both ends lie on the base line. Points with a smaller y
// than the base line are "above" it.
#pragma once

#include "base/my_image.h"
#include "base/helpers.h"

#include <array>
#include <cstdint>
#include <vector>

constexpr int kEdgeFigCount = 16;
constexpr int kEdgeFigMaxPoints = 40;

struct TFigPoint { float x = 0, y = 0; };
struct TDPoint { double x = 0, y = 0; };

struct TEdgeFig {
    std::array<TFigPoint, kEdgeFigMaxPoints> points;
    int32_t byteCount = 0;   // 8 * pointCount
    int32_t pointCount = 0;
    int32_t baseLine = 0;    // y of the first point, rounded
    int32_t width = 0;       // x of the last point, rounded
    int32_t above = 0;       // base line - smallest on-curve y + 1
    int32_t below = 0;       // largest on-curve y - base line + 1
};

// Per run; InitEdgeFigs fills it at the start of every classic cut.
extern std::array<TEdgeFig, kEdgeFigCount> EdgeFigs;

// The constant point tables the figures come from (also used by the vector styles).
extern const TFigPoint xyEdgeFig0VectorStyle[25];
extern const TFigPoint xyEdgeFig1VectorStyle[13];
extern const TFigPoint xyEdgeFig2VectorStyle[31];
extern const TFigPoint xyEdgeFig3VectorStyle[37];

void InitEdgeFigs();
// Fills one figure from its points (at most kEdgeFigMaxPoints) and measures it.
void SetEdgeFig(TEdgeFig& fig, const TFigPoint* points, int count);

// The mask a curve is drawn into and the geometry the checks need.
struct TCurveField {
    OMyImage* img = nullptr;  // the mask being cut (miVecField)
    int tileS = 0;            // grid tile, pixels: the end exemption is tileS / 10
    int maskOfs = 0;          // figure height when the room rule is off
    int fL = 0, fT = 0, fR = 0, fB = 0;  // the field, edges inclusive
    mutable std::vector<TPoint> samples; // working memory of the sampling, reused
};

constexpr TPoint kNoSite = {-1000, -1000};

// An edge's own frame: P and Q its ends ordered by y (steep) or x, the unit
// vectors along it and across it (side 1: right of a downward steep edge, up
// from a rightward flat one; side 0 the opposite).
struct TCurveFrame {
    TPoint P, Q;
    double len = 0;
    double ex = 0, ey = 0;  // along
    double nx = 0, ny = 0;  // across, towards the figure's upper part
};
TCurveFrame CurveFrame(TPoint A, TPoint B, bool side);
// Flattens a figure whose apex (midpoint + h * normal) would leave the image
// (w x h pixels) so that the apex lies on the line two pixels inside: the new h.
double LimitApexToImage(const TCurveFrame& f, double h, bool side, int imageW, int imageH);
// The figure's points (mirrored along the edge when flip) mapped onto the
// frame with height h; n receives the point count.
void TransformFigure(const TEdgeFig& fig, bool flip, const TCurveFrame& f, double h, TDPoint* out, int* n);

// Fits figure `figure` onto the edge A-B and draws it with `colour`; false
// (nothing drawn) when the check fails. clearance -1: no check. outRect
// receives the sampled extent (left, top, right, bottom). S, N: the two
// pieces' sites (N = kNoSite: none). room1/room2: free distance right of a
// steep edge / above a flat one and on the other side (-1: unknown); with
// roomLimit the figure is lowered to fit them.
constexpr bool kFitToRoom = true;   // roomLimit: lower the figure into room1/room2
constexpr bool kFullHeight = false; // roomLimit: draw the figure at its full height
bool DrawRotCurve(const TCurveField& cf, bool roomLimit, bool side, int figure, bool flip, TPoint A, TPoint B,
                  uint32_t colour, int clearance, TRect* outRect, TPoint S, TPoint N, double room1, double room2);
// Samples the chain: every sample inside the field, off the lines through S
// and N, and (away from the ends A, B) `clearance` pixels clear of anything
// not white. Widens outRect by every sample.
bool CheckBezier(const TCurveField& cf, const TDPoint* points, int n, TPoint A, TPoint B, int clearance,
                 TRect* outRect, TPoint S, TPoint N);
// Draws the chain as polylines through its samples.
void DrawBezier(OMyImage& img, const TDPoint* points, int n, uint32_t colour);
// Intersection of the infinite lines P1P2 and P3P4 (Cramer's rule), rounded;
// false for parallel lines.
bool LinesOverlap(TPoint p1, TPoint p2, TPoint p3, TPoint p4, int* x, int* y);
// n! / (k! (n - k)!).
int GetBinomialCoefficient(int n, int k);
