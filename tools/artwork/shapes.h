// Outlines of one piece of each shape style (0..6) in a 164 x 168 cell whose
// tile body is the 128 x 128 square at (18, 20): the pictures of the open
// dialog's shape buttons and of its piece-size preview.
#pragma once

#include <QPainterPath>

QPainterPath ShapeStylePiece(int style);
