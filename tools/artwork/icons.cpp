#include "icons.h"

#include <QFont>

#include <cmath>

QImage RenderIcon(const IconDraw& draw, int size)
{
    QImage img = NewCanvas(size, size);
    QPainter p;
    BeginSmooth(p, img, size / 32.0);
    draw(p);
    p.end();
    return img;
}

void SaveIcon(ArtOut& out, const std::string& name, const IconDraw& draw)
{
    out.Png(name + ".png", RenderIcon(draw, 32));
    out.Png(name + "@2x.png", RenderIcon(draw, 64));
}

void DrawPiece(QPainter& p, const QRectF& body, const int tabs[4], const QColor& colour, double outline)
{
    const QPainterPath path = PiecePath(body, tabs);
    DropShadow(p, path, 0.6, 1.0, 1.0, 70);
    const QRectF r = path.boundingRect();
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, Shade(colour, 1.35));
    g.setColorAt(0.5, colour);
    g.setColorAt(1, Shade(colour, 0.7));
    p.save();
    p.setPen(QPen(Shade(colour, 0.45), outline));
    p.setBrush(g);
    p.drawPath(path);
    p.restore();
    Gloss(p, path, 70);
}

void DrawMagnifier(QPainter& p, const QRectF& box)
{
    const double s = box.width() / 32.0;
    const QPointF c = box.topLeft() + QPointF(13 * s, 13 * s);
    p.save();
    QPainterPath handle;
    handle.moveTo(box.topLeft() + QPointF(20 * s, 22 * s));
    handle.lineTo(box.topLeft() + QPointF(29 * s, 30 * s));
    p.setPen(QPen(Pal::Ink, 6.2 * s, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(handle);
    p.setPen(QPen(Pal::WalnutLight, 4.4 * s, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(handle);
    QRadialGradient glass(c - QPointF(3 * s, 3 * s), 10 * s);
    glass.setColorAt(0, QColor(236, 248, 255, 230));
    glass.setColorAt(1, QColor(140, 190, 220, 200));
    const QPainterPath ring = Circle(c, 10.5 * s).subtracted(Circle(c, 7.8 * s));
    DropShadow(p, Circle(c, 10.5 * s), 0.6 * s, 1 * s, 1 * s, 60);
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    p.drawEllipse(c, 8 * s, 8 * s);
    FillBrass(p, ring, 0.8 * s);
    p.setPen(QPen(QColor(255, 255, 255, 210), 1.4 * s, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(c.x() - 5.5 * s, c.y() - 5.5 * s, 11 * s, 11 * s), 100 * 16, 70 * 16);
    p.restore();
}

void DrawWeightIcon(QPainter& p, const QRectF& box)
{
    const double s = box.width() / 32.0;
    auto pt = [&](double x, double y) { return box.topLeft() + QPointF(x * s, y * s); };
    QPainterPath body;
    body.moveTo(pt(9, 13));
    body.lineTo(pt(23, 13));
    body.quadTo(pt(25.5, 13), pt(26, 16));
    body.lineTo(pt(28, 27));
    body.quadTo(pt(28.4, 30), pt(25.5, 30));
    body.lineTo(pt(6.5, 30));
    body.quadTo(pt(3.6, 30), pt(4, 27));
    body.lineTo(pt(6, 16));
    body.quadTo(pt(6.5, 13), pt(9, 13));
    const QPainterPath all = body.united(RoundRect(QRectF(pt(13, 8), QSizeF(6 * s, 6 * s)), 1.5 * s))
                                 .united(Circle(pt(16, 6.5), 4.2 * s));
    DropShadow(p, all, 0.6 * s, 1 * s, 1 * s, 60);
    QLinearGradient g(pt(3, 0), pt(29, 0));
    g.setColorAt(0.0, QColor(120, 80, 24));
    g.setColorAt(0.3, QColor(255, 232, 150));
    g.setColorAt(0.5, QColor(222, 174, 78));
    g.setColorAt(1.0, QColor(100, 66, 20));
    p.save();
    p.setPen(QPen(QColor(70, 44, 12), 0.9 * s));
    p.setBrush(g);
    p.drawPath(all);
    p.setPen(QPen(QColor(80, 50, 14, 200), 0.9 * s));
    p.drawLine(pt(5, 27), pt(27, 27));
    p.restore();
}

void DrawGear(QPainter& p, QPointF c, double r, int teeth)
{
    QPainterPath gear;
    const int n = teeth * 4;
    for (int i = 0; i <= n; ++i) {
        const double a = 2 * M_PI * i / n - M_PI / n;
        const double rr = (i % 4 < 2) ? r : r * 0.78;
        const QPointF q = c + QPointF(std::cos(a) * rr, std::sin(a) * rr);
        if (i == 0) gear.moveTo(q); else gear.lineTo(q);
    }
    gear.closeSubpath();
    gear = gear.subtracted(Circle(c, r * 0.32));
    DropShadow(p, gear, 0.6, 1.0, 1.0, 60);
    FillBrass(p, gear, 0.8);
    p.save();
    p.setPen(QPen(QColor(120, 80, 24, 180), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r * 0.55, r * 0.55);
    p.restore();
}

void DrawGlyphs(QPainter& p, const QString& text, QPointF c, double px, const QColor& colour)
{
    QFont font("DejaVu Sans");
    font.setBold(true);
    font.setPixelSize(100);
    QPainterPath path;
    path.addText(0, 0, font, text);
    const double k = px / 100.0;
    QTransform t;
    t.scale(k, k);
    path = t.map(path);
    path.translate(c - path.boundingRect().center());
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(path);
    p.restore();
}

void DrawBadge(QPainter& p, QPointF c, double r, const QColor& enamel)
{
    DropShadow(p, Circle(c, r), 0.6, 1.0, 1.0, 70);
    FillBrass(p, Circle(c, r), 0.8);
    QRadialGradient g(c - QPointF(r * 0.35, r * 0.35), r);
    g.setColorAt(0, Shade(enamel, 1.4));
    g.setColorAt(1, Shade(enamel, 0.75));
    p.save();
    p.setPen(QPen(Shade(enamel, 0.5), 0.7));
    p.setBrush(g);
    p.drawEllipse(c, r * 0.8, r * 0.8);
    p.restore();
    Gloss(p, Circle(c, r * 0.78), 90);
}

void DrawSelBackdrop(QPainter& p)
{
    const QPainterPath r = RoundRect(QRectF(0.8, 0.8, 30.4, 30.4), 6);
    QRadialGradient g(QPointF(16, 14), 20);
    g.setColorAt(0, QColor(255, 236, 170, 230));
    g.setColorAt(1, QColor(236, 180, 80, 200));
    p.save();
    p.setPen(QPen(QColor(168, 112, 36), 1));
    p.setBrush(g);
    p.drawPath(r);
    p.restore();
}

void DrawDownArrow(QPainter& p, QPointF tip, double w, double h)
{
    QPainterPath a;
    const double shaft = w * 0.42;
    a.moveTo(tip);
    a.lineTo(tip + QPointF(-w / 2, -h * 0.5));
    a.lineTo(tip + QPointF(-shaft / 2, -h * 0.5));
    a.lineTo(tip + QPointF(-shaft / 2, -h));
    a.lineTo(tip + QPointF(shaft / 2, -h));
    a.lineTo(tip + QPointF(shaft / 2, -h * 0.5));
    a.lineTo(tip + QPointF(w / 2, -h * 0.5));
    a.closeSubpath();
    DropShadow(p, a, 0.6, 1.0, 1.0, 70);
    FillBrass(p, a, 0.9);
}
