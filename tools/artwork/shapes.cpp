#include "shapes.h"

#include "art.h"

namespace {

// Corners TL, TR, BR, BL; each edge with its bulge direction and figure.
QPainterPath Quad(const QPointF c[4], const int dirs[4], const int figs[4])
{
    QPainterPath path;
    path.moveTo(c[0]);
    for (int i = 0; i < 4; ++i) AppendEdge(path, c[i], c[(i + 1) % 4], dirs[i], figs[i], 0.5);
    path.closeSubpath();
    return path;
}

QPainterPath Fish()
{
    QPainterPath body;
    body.moveTo(22, 84);
    body.cubicTo(40, 34, 104, 30, 124, 84);
    body.cubicTo(104, 138, 40, 134, 22, 84);
    QPainterPath tail;
    tail.moveTo(112, 84);
    tail.lineTo(150, 48);
    tail.quadTo(140, 84, 150, 120);
    tail.closeSubpath();
    QPainterPath fin;
    fin.moveTo(60, 48);
    fin.quadTo(76, 26, 96, 44);
    fin.closeSubpath();
    return body.united(tail).united(fin).subtracted(Circle(QPointF(44, 76), 5));
}

}  // namespace

QPainterPath ShapeStylePiece(int style)
{
    // The classic styles cut Voronoi cells: their corners are a little off the grid.
    const QPointF square[4] = {{18, 20}, {146, 20}, {146, 148}, {18, 148}};
    const QPointF cell[4] = {{22, 22}, {146, 27}, {142, 146}, {16, 141}};
    switch (style) {
    case 0: { const int d[4] = {1, -1, 1, -1}, f[4] = {0, 0, 0, 0}; return Quad(cell, d, f); }
    case 1: { const int d[4] = {1, 1, 1, 1}, f[4] = {4, 4, 4, 4}; return Quad(cell, d, f); }
    case 2: { const int d[4] = {1, 1, -1, -1}, f[4] = {2, 2, 2, 2}; return Quad(cell, d, f); }
    case 3: return Fish();
    case 4: { const int d[4] = {1, -1, -1, 1}, f[4] = {0, 0, 0, 0}; return Quad(square, d, f); }
    case 5: { const int d[4] = {1, 1, -1, -1}, f[4] = {1, 3, 0, 2}; return Quad(square, d, f); }
    default: { const int d[4] = {1, -1, 1, -1}, f[4] = {5, 4, 3, 0}; return Quad(square, d, f); }
    }
}
