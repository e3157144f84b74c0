// about_bemo.gif: the 370 x 320 about box and splash. A walnut board with a
// brass inlay; a felt panel with the game's name and a few pieces; below it a
// parchment panel (14, 138)-(356, 306) on which the window sets its text lines.
// The corners outside the board are transparent.
#include "icons.h"

#include <QFont>

namespace {

void Board(QPainter& p)
{
    const QPainterPath board = RoundRect(QRectF(1, 1, 368, 318), 18);
    FillWood(p, board, true, 31);
    p.save();
    p.setPen(QPen(Pal::Ink, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(board);
    p.setPen(QPen(QColor(226, 182, 96), 1.5));
    p.drawPath(RoundRect(QRectF(7, 7, 356, 306), 13));
    p.restore();
}

void FeltPanel(QPainter& p, const QRectF& r)
{
    const QPainterPath panel = RoundRect(r, 10);
    QRadialGradient g(r.center() - QPointF(40, 30), r.width() * 0.7);
    g.setColorAt(0, QColor(64, 140, 92));
    g.setColorAt(1, Pal::FeltDark);
    p.save();
    p.setPen(QPen(QColor(20, 40, 26), 1.5));
    p.setBrush(g);
    p.drawPath(panel);
    p.restore();
}

void ParchmentPanel(QPainter& p, const QRectF& r)
{
    const QPainterPath panel = RoundRect(r, 10);
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, QColor(252, 246, 230));
    g.setColorAt(1, QColor(232, 218, 188));
    p.save();
    p.setPen(QPen(QColor(120, 90, 50), 1.5));
    p.setBrush(g);
    p.drawPath(panel);
    // A faint cut across the parchment, light enough for text on top.
    p.setClipPath(panel);
    p.setPen(QPen(QColor(150, 110, 60, 34), 1.2));
    p.setBrush(Qt::NoBrush);
    const double cell = 57;
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 6; ++i) {
            const int tabs[4] = {j == 0 ? 0 : ((i + j) % 2 ? 1 : -1), i == 5 ? 0 : ((i + j) % 2 ? -1 : 1), 0, 0};
            p.drawPath(PiecePath(QRectF(r.left() + i * cell, r.top() + j * cell, cell, cell), tabs, 0, 0.8));
        }
    p.restore();
}

void Title(QPainter& p, QPointF centre)
{
    QFont font("DejaVu Serif");
    font.setBold(true);
    font.setPixelSize(36);
    QPainterPath text;
    text.addText(0, 0, font, "Zivra Jigsaw");
    text.translate(centre - text.boundingRect().center());
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 120));
    p.drawPath(text.translated(1.5, 2.5));
    p.restore();
    FillBrass(p, text, 1.0, 1.1);
}

}  // namespace

QImage MakeAboutPicture()
{
    QImage img = NewCanvas(370, 320);
    QPainter p;
    BeginSmooth(p, img);
    Board(p);
    FeltPanel(p, QRectF(14, 14, 342, 116));
    ParchmentPanel(p, QRectF(14, 138, 342, 168));
    const int a[4] = {1, 1, -1, -1}, b[4] = {-1, 1, 1, -1}, c[4] = {1, -1, -1, 1};
    DrawPiece(p, QRectF(28, 26, 18, 18), a, Pal::Berry, 1.0);
    DrawPiece(p, QRectF(324, 24, 16, 16), b, QColor(240, 186, 56), 1.0);
    DrawPiece(p, QRectF(30, 94, 16, 16), c, Pal::Ocean, 1.0);
    Title(p, QPointF(185, 74));
    p.end();
    return img;
}
