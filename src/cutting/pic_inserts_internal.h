// What the picture-insert files share: the line walk and the handling of an
// edge's ends in both cells that hold it.
#pragma once

#include "cutting/classic_cut.h"
#include "cutting/pic_inserts.h"

// Calls visit(x, y) at every point of the line A-B (the mask's line drawer's
// points, both ends included) until it answers true; answers whether it did.
template <class F>
bool WalkLine(TPoint A, TPoint B, F visit)
{
    const int dx = std::abs(B.x - A.x), dy = std::abs(B.y - A.y);
    const int sx = B.x >= A.x ? 1 : -1, sy = B.y >= A.y ? 1 : -1;
    int x = A.x, y = A.y;
    if (visit(x, y))
        return true;
    if (2 * dx <= 2 * dy) {
        int d = 2 * dx - dy;
        while (y != B.y) {
            y += sy;
            if (d >= 0) {
                x += sx;
                d -= 2 * dy;
            }
            d += 2 * dx;
            if (visit(x, y))
                return true;
        }
    } else {
        int d = 2 * dy - dx;
        while (x != B.x) {
            if (d >= 0) {
                y += sy;
                d -= 2 * dx;
            }
            x += sx;
            d += 2 * dy;
            if (visit(x, y))
                return true;
        }
    }
    return false;
}

inline TPoint EdgeEnd(const TCutEdge& E, int k)
{
    return k == 0 ? TPoint{Round(E.x1), Round(E.y1)} : TPoint{Round(E.x2), Round(E.y2)};
}

inline bool IsPicCell(const TCutWork& w, int i) { return i >= 0 && w.jigs[size_t(i)].PicCell != 0; }
inline bool IsWhitePixel(const OMyImage& img, int x, int y) { return MyImageGetPixel(img, x, y) == kMaskWhite; }

// Moves end k of edge e of cell i, and the same end of its twin, to p.
void MoveEdgeEnd(TCutWork& w, int i, int e, int k, TPoint p);
// The marks an edge's ends carry (TCutEdge::picA for end 0, picB for end 1):
// -1 nothing; a picture cell's index: an edge end carried on to that picture
// (for an edge of the partition, the end at the picture cell's corner; for a
// separator, the end on the picture's outline); kAtCorner: a separator's end
// at the corner it starts from.
constexpr int16_t kAtCorner = -2;
// Marks end k of edge e of cell i (and its twin's same end) with `pic`.
void MarkEdgeEnd(TCutWork& w, int i, int e, int k, int pic);
// Marks edge e of cell i as a separator from a corner (end 0) to picture
// `pic`'s outline (end 1).
void MarkSeparator(TCutWork& w, int i, int e, int pic);
// Sets the drawable flag of edge e of cell i and of its twin.
void SetEdgeDrawable(TCutWork& w, int i, int e, bool drawable);
// Adds the edge A-B between cells i and j (twins of each other); answers its
// index in cell i, or -1 when either cell is full.
int AddTwinEdges(TCutWork& w, int i, int j, TPoint A, TPoint B);
// Names nb in a free neighbour slot of j, unless it is named already.
void AddNeighbour(TJig& j, int nb);
// A straight separator from a corner to a picture's outline between cells a
// and b, who become neighbours; nothing when either cell is full of edges.
void AddSeparator(TCutWork& w, int a, int b, TPoint from, TPoint to, int pic);
// The picture cell's box grown by a pixel, as left, top, right, bottom.
TRect PicSearchRect(const TCutWork& w, int pic);
