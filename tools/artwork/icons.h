// Small vector drawings shared by the toolbar, the dialogs and the
// application icons. Every function draws in a 32 x 32 design space (the
// painter may be scaled for larger sizes).
#pragma once

#include "art.h"

#include <functional>
#include <string>

using IconDraw = std::function<void(QPainter&)>;

// Renders a 32-unit drawing at size x size pixels.
QImage RenderIcon(const IconDraw& draw, int size);
// Writes name.png at 32 x 32 and name@2x.png at 64 x 64.
void SaveIcon(ArtOut& out, const std::string& name, const IconDraw& draw);

// A jigsaw piece with body `body`, tabs as PiecePath, in a colour, lit from the top left.
void DrawPiece(QPainter& p, const QRectF& body, const int tabs[4], const QColor& colour, double outline = 0.8);
// Magnifier, weight and gear, each filling the given square.
void DrawMagnifier(QPainter& p, const QRectF& box);
void DrawWeightIcon(QPainter& p, const QRectF& box);
void DrawGear(QPainter& p, QPointF c, double r, int teeth);
// Text as a filled path (DejaVu Sans Bold), centred on c with the given pixel size.
void DrawGlyphs(QPainter& p, const QString& text, QPointF c, double px, const QColor& colour);
// A round enamel badge in a brass ring.
void DrawBadge(QPainter& p, QPointF c, double r, const QColor& enamel);
// The highlighted backdrop of a toolbar button in its "on" state.
void DrawSelBackdrop(QPainter& p);
// A down arrow in brass with its tip at `tip`.
void DrawDownArrow(QPainter& p, QPointF tip, double w, double h);
