// glass-skin.tif, star.tif and weight.tif.
//
// glass-skin.tif (284 x 189): the four brass corner brackets ("hands") that
// hold the lens, 93 x 93 each at (0, 0), (96, 0), (0, 96), (96, 96) in the
// order top-left, top-right, bottom-left, bottom-right; opaque where a click
// grabs the glass (alpha above 200), a faint shadow elsewhere. Buttons: close
// (196, 2, 14, 14) and the zoom buttons (196, 25, 27, 27) for 2x and
// (196, 55, 27, 27) for 3x, each as normal, highlighted and pressed frames
// 3 pixels apart. The bottom-right bracket carries the resize grip in the
// lower-right triangle of its 21 x 21 square at (67, 68).
//
// star.tif (144 x 23): six 23 x 23 sparkle frames 24 pixels apart.
// weight.tif (40 x 48): a brass weight hanging from its bottom centre.
#include "art.h"

#include <QFont>

#include <cmath>

namespace {

constexpr int kHand = 93;

// The bracket of the top-left corner in its own 93 x 93 square: the corner of
// a frame whose inside is cut away by the lens of the smallest glass.
QPainterPath HandShape()
{
    QPainterPath square;
    square.addRoundedRect(QRectF(0.5, 0.5, kHand - 1, kHand - 1), 12, 12);
    return square.subtracted(Circle(QPointF(120, 120), 104));
}

// Maps the top-left design onto corner `c` (0 TL, 1 TR, 2 BL, 3 BR) at `origin`.
QTransform CornerTransform(int c, QPointF origin)
{
    QTransform t;
    t.translate(origin.x() + ((c & 1) ? kHand : 0), origin.y() + ((c & 2) ? kHand : 0));
    t.scale((c & 1) ? -1 : 1, (c & 2) ? -1 : 1);
    return t;
}

void DrawScrew(QPainter& p, QPointF c)
{
    FillBrass(p, Circle(c, 4.2), 0.8, 0.9);
    p.setPen(QPen(QColor(80, 50, 14), 1.2));
    p.drawLine(c + QPointF(-2.6, 1.6), c + QPointF(2.6, -1.6));
}

void DrawGrip(QPainter& p, QPointF corner)
{
    // Ridges in the lower-right triangle of the grip square.
    for (int k = 0; k < 4; ++k) {
        const double o = 5 + 4.5 * k;
        p.setPen(QPen(QColor(90, 58, 16), 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(corner + QPointF(-o + 0.8, -2.2), corner + QPointF(-2.2, -o + 0.8));
        p.setPen(QPen(QColor(255, 238, 170), 1.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(corner + QPointF(-o, -3), corner + QPointF(-3, -o));
    }
}

void DrawHand(QPainter& p, int c, QPointF origin)
{
    const QTransform t = CornerTransform(c, origin);
    const QPainterPath shape = t.map(HandShape());
    p.save();
    p.setClipRect(QRectF(origin, QSizeF(kHand, kHand)));
    DropShadow(p, shape, 1.2, 2.0, 2.5, 60);
    FillBrass(p, shape, 1.0);
    // Bevel: a bright rim on the lit side and an engraved line inside.
    p.setClipPath(shape, Qt::IntersectClip);
    QLinearGradient rim(shape.boundingRect().topLeft(), shape.boundingRect().bottomRight());
    rim.setColorAt(0, QColor(255, 250, 220, 200));
    rim.setColorAt(1, QColor(80, 50, 10, 160));
    p.setPen(QPen(QBrush(rim), 3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    QPainterPath inner;
    inner.addRoundedRect(QRectF(6.5, 6.5, kHand + 20, kHand + 20), 8, 8);
    inner = t.map(inner.subtracted(Circle(QPointF(120, 120), 110)));
    p.setPen(QPen(QColor(255, 244, 200, 150), 1));
    p.drawPath(inner.translated(0.7, 0.7));
    p.setPen(QPen(QColor(96, 60, 14, 170), 1));
    p.drawPath(inner);
    p.restore();
    if (c == 2) DrawScrew(p, t.map(QPointF(19, 19)));
    if (c == 3) DrawGrip(p, origin + QPointF(88, 89));
}

// ---- Glass buttons ---------------------------------------------------------------

void DrawRoundButton(QPainter& p, QPointF c, double r, int state, const QColor& face)
{
    DropShadow(p, Circle(c, r), 0, 0.8, 1.0, 60);
    FillBrass(p, Circle(c, r), 0.8, state == 1 ? 1.1 : (state == 2 ? 0.85 : 1.0));
    QColor f = state == 1 ? Shade(face, 1.2) : (state == 2 ? Shade(face, 0.75) : face);
    QRadialGradient g(c - QPointF(r * 0.3, r * 0.3), r);
    g.setColorAt(0, Shade(f, 1.3));
    g.setColorAt(1, Shade(f, 0.8));
    p.setPen(QPen(QColor(70, 40, 10, 150), 0.8));
    p.setBrush(g);
    p.drawEllipse(c, r * 0.72, r * 0.72);
    if (state != 2) Gloss(p, Circle(c, r * 0.7), 110);
}

void DrawGlassClose(QPainter& p, int state)
{
    const QPointF c(196 + 17 * state + 7, 2 + 7);
    DrawRoundButton(p, c, 6.3, state, QColor(180, 44, 36));
    const QPointF o = state == 2 ? QPointF(0.4, 0.4) : QPointF(0, 0);
    p.setPen(QPen(QColor(255, 244, 230), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + o + QPointF(-2, -2), c + o + QPointF(2, 2));
    p.drawLine(c + o + QPointF(-2, 2), c + o + QPointF(2, -2));
}

void DrawZoom(QPainter& p, int zoom, int state)
{
    const QPointF c(196 + 30 * state + 13.5, (zoom == 2 ? 25 : 55) + 13.5);
    DrawRoundButton(p, c, 12.5, state, QColor(40, 66, 92));
    QFont font("DejaVu Sans", 10, QFont::Bold);
    QPainterPath text;
    text.addText(0, 0, font, QString::number(zoom) + QChar(0x00D7));
    const QRectF br = text.boundingRect();
    const QPointF shift = c - br.center() + (state == 2 ? QPointF(0.5, 0.5) : QPointF(0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 120));
    p.drawPath(text.translated(shift + QPointF(0, 1)));
    p.setBrush(QColor(255, 240, 200));
    p.drawPath(text.translated(shift));
}

QImage MakeGlassSkin()
{
    QImage img = NewCanvas(284, 189);
    QPainter p;
    BeginSmooth(p, img);
    const QPointF origins[4] = {{0, 0}, {96, 0}, {0, 96}, {96, 96}};
    for (int c = 0; c < 4; ++c) DrawHand(p, c, origins[c]);
    for (int s = 0; s < 3; ++s) {
        DrawGlassClose(p, s);
        DrawZoom(p, 2, s);
        DrawZoom(p, 3, s);
    }
    p.end();
    return img;
}

// ---- Star -------------------------------------------------------------------------

struct StarPhase {
    double size, rays, rot, bright;  // core scale, ray length, turn (radians), strength
};

const StarPhase kPhases[6] = {
    {0.55, 6.0, 0.00, 1.00}, {0.85, 10.0, 0.10, 1.00}, {1.00, 11.5, 0.20, 1.00},
    {0.80, 10.0, 0.32, 0.80}, {0.55, 7.0, 0.45, 0.55}, {0.30, 3.0, 0.55, 0.20},
};

// Light of one phase at (dx, dy) from the centre: a hot core, a soft halo,
// four long rays and four short diagonal ones.
double StarLight(const StarPhase& s, double dx, double dy)
{
    const double r2 = dx * dx + dy * dy;
    double v = std::exp(-r2 / (2.6 * s.size * s.size)) + 0.35 * std::exp(-r2 / (20.0 * s.size * s.size));
    for (int k = 0; k < 8; ++k) {
        const double a = s.rot + k * M_PI / 4;
        const double along = dx * std::cos(a) + dy * std::sin(a);
        const double across = -dx * std::sin(a) + dy * std::cos(a);
        const double len = (k & 1) ? s.rays * 0.5 : s.rays;
        if (along <= 0 || along >= len) continue;
        const double fall = std::pow(1.0 - along / len, 1.6);
        v += ((k & 1) ? 0.6 : 1.0) * fall * std::exp(-across * across / 0.45);
    }
    return v * s.bright;
}

QImage MakeStar()
{
    QImage img(144, 23, QImage::Format_ARGB32);
    img.fill(0);
    const int ss = 4;  // supersampling per axis
    for (int f = 0; f < 6; ++f) {
        for (int y = 0; y < 23; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
            for (int x = 0; x < 23; ++x) {
                double sum = 0;
                for (int j = 0; j < ss; ++j)
                    for (int i = 0; i < ss; ++i)
                        sum += Clamp01(StarLight(kPhases[f], x + (i + 0.5) / ss - 11.5, y + (j + 0.5) / ss - 11.5));
                const double a = sum / (ss * ss);
                const double w = std::pow(a, 0.7);  // white-hot where bright, gold at the edges
                const QColor c = Mix(QColor(255, 180, 60), QColor(255, 255, 240), w * w);
                row[f * 24 + x] = (uint32_t(std::lround(a * 255)) << 24) | (uint32_t(c.red()) << 16)
                                  | (uint32_t(c.green()) << 8) | uint32_t(c.blue());
            }
        }
    }
    return img;
}

// ---- Weight -------------------------------------------------------------------------

QImage MakeWeight()
{
    QImage img = NewCanvas(40, 48);
    QPainter p;
    BeginSmooth(p, img);
    QPainterPath body;
    body.moveTo(9, 20);
    body.lineTo(31, 20);
    body.quadTo(34, 20, 35, 24);
    body.lineTo(37, 40);
    body.quadTo(37.5, 44, 34, 44);
    body.lineTo(6, 44);
    body.quadTo(2.5, 44, 3, 40);
    body.lineTo(5, 24);
    body.quadTo(6, 20, 9, 20);
    QPainterPath neck = RoundRect(QRectF(15, 13, 10, 9), 2);
    QPainterPath knob = Circle(QPointF(20, 9.5), 6);
    const QPainterPath all = body.united(neck).united(knob);
    // A cylinder lit from the left: a bright band at a third of the width.
    QLinearGradient g(2, 0, 38, 0);
    g.setColorAt(0.0, QColor(120, 80, 24));
    g.setColorAt(0.28, QColor(255, 232, 150));
    g.setColorAt(0.45, QColor(222, 174, 78));
    g.setColorAt(0.85, QColor(140, 96, 32));
    g.setColorAt(1.0, QColor(92, 60, 18));
    p.setPen(QPen(QColor(70, 44, 12), 1.2));
    p.setBrush(g);
    p.drawPath(all);
    // Rims: a lit top edge of the body and a dark foot line.
    p.setPen(QPen(QColor(255, 244, 200, 200), 1.2));
    p.drawLine(QPointF(9, 21.2), QPointF(31, 21.2));
    p.setPen(QPen(QColor(80, 50, 14, 200), 1.2));
    p.drawLine(QPointF(5, 40.5), QPointF(35, 40.5));
    p.setPen(QPen(QColor(255, 250, 220, 230), 1.5));
    p.drawArc(QRectF(16, 5.5, 6, 6), 100 * 16, 80 * 16);
    p.end();
    return img;
}

}  // namespace

void GenGlassStarWeight(ArtOut& out)
{
    out.Tiff("glass-skin.tif", MakeGlassSkin());
    out.Tiff("star.tif", MakeStar());
    out.Tiff("weight.tif", MakeWeight());
}
