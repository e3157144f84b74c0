// win-skin.tif: the frame of the pockets and the thumbnail, drawn by the play
// field piece by piece (stretched where a piece is smaller than its place).
//
// Layout of the 300 x 156 skin (L, T, W, H):
//   two frame columns at x0 = 1 (inactive) and x0 = 103 (active), each a
//   small 100 x 100 window: caption rows 1..22 (ends 6 wide at x0 and x0 + 94,
//   the middle sampled at x0 + 6), side edges rows 23..96 (top cap 23..27,
//   stretched body 31..80), bottom edge rows 97..100 (corners 10 wide);
//   scroll buttons at x 211 / 231 / 251 (normal, highlighted, pressed), rows
//   1 left, 21 right, 41 horizontal thumb, 61 up, 81 down, 101 vertical thumb;
//   the scroll corner (276, 1, 17, 17); the vertical track (276, 22, 17, 3);
//   the horizontal track (297, 1, 3, 17); the close button's five frames at
//   (2 + 23n, 133, 20, 20): inactive, inactive highlighted, active, active
//   highlighted, pressed.
// Stretched pieces are uniform along their stretch direction.
#include "art.h"

#include <cmath>

namespace {

struct FrameLook {
    QColor capTop, capBottom;  // caption gradient
    QColor inlay;              // the brass line under the caption
    QColor edge[4];            // side edge columns, outside to inside
    QColor outline;
};

const FrameLook kActive = {QColor(138, 86, 48), QColor(78, 44, 24), QColor(226, 182, 96),
                           {QColor(52, 30, 16), QColor(160, 108, 66), QColor(118, 74, 42), QColor(70, 42, 24)},
                           QColor(42, 24, 12)};
const FrameLook kInactive = {QColor(150, 136, 120), QColor(110, 98, 86), QColor(176, 160, 130),
                             {QColor(82, 72, 62), QColor(178, 166, 150), QColor(146, 134, 120), QColor(100, 90, 80)},
                             QColor(74, 64, 56)};

// The outline of one frame column: top corners rounded by 5, bottom by 3.
QPainterPath FrameOutline(int x0)
{
    const QRectF r(x0, 1, 100, 100);
    QPainterPath p;
    p.moveTo(r.left(), r.top() + 5);
    p.arcTo(QRectF(r.left(), r.top(), 10, 10), 180, -90);
    p.lineTo(r.right() - 5, r.top());
    p.arcTo(QRectF(r.right() - 10, r.top(), 10, 10), 90, -90);
    p.lineTo(r.right(), r.bottom() - 3);
    p.arcTo(QRectF(r.right() - 6, r.bottom() - 6, 6, 6), 0, -90);
    p.lineTo(r.left() + 3, r.bottom());
    p.arcTo(QRectF(r.left(), r.bottom() - 6, 6, 6), 270, -90);
    p.closeSubpath();
    return p;
}

void DrawFrameColumn(QPainter& p, int x0, const FrameLook& k)
{
    p.save();
    QPainterPath clip = FrameOutline(x0);
    p.setClipPath(clip);
    // Caption: lacquered wood lit from above, a highlight on its top row and a
    // brass inlay along its lower edge.
    QLinearGradient cap(0, 1, 0, 23);
    cap.setColorAt(0, k.capTop);
    cap.setColorAt(0.55, Mix(k.capTop, k.capBottom, 0.6));
    cap.setColorAt(1, k.capBottom);
    p.fillRect(QRect(x0, 1, 100, 22), cap);
    p.fillRect(QRect(x0, 2, 100, 1), WithAlpha(Shade(k.capTop, 1.45), 150));
    p.fillRect(QRect(x0, 21, 100, 1), k.inlay);
    p.fillRect(QRect(x0, 22, 100, 1), Shade(k.capBottom, 0.7));
    // Side edges and the bottom edge: four bevelled columns / rows.
    for (int i = 0; i < 4; ++i) {
        p.fillRect(QRect(x0 + i, 23, 1, 74), k.edge[i]);
        p.fillRect(QRect(x0 + 99 - i, 23, 1, 74), Shade(k.edge[i], i == 1 ? 0.8 : 1.0));
        p.fillRect(QRect(x0 + i, 100 - i, 100 - 2 * i, 1), Shade(k.edge[i], i == 1 ? 0.8 : 1.0));
    }
    // The caption casts a short shadow onto the top of the side edges.
    QLinearGradient shadow(0, 23, 0, 28);
    shadow.setColorAt(0, QColor(0, 0, 0, 110));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(QRect(x0, 23, 4, 5), shadow);
    p.fillRect(QRect(x0 + 96, 23, 4, 5), shadow);
    p.restore();
    p.setPen(QPen(k.outline, 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(FrameOutline(x0).translated(0.5, 0.5) - QPainterPath());  // crisp outline
}

// ---- Scroll parts ----------------------------------------------------------------

enum Dir { kLeft, kRight, kUp, kDown };

void DrawKnob(QPainter& p, const QRectF& r, int state, double radius)
{
    const QPainterPath body = RoundRect(r, radius);
    FillBrass(p, body, 1.0, state == 1 ? 1.12 : (state == 2 ? 0.82 : 1.0));
    if (state != 2) Gloss(p, body, 110);
    else {
        p.setPen(QPen(QColor(60, 36, 10, 120), 1));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(r.left() + 1.5, r.top() + 1.5), QPointF(r.right() - 1.5, r.top() + 1.5));
    }
}

void DrawArrow(QPainter& p, QPointF c, Dir d, bool down)
{
    QPolygonF tri;
    const double a = 3.6, b = 2.6;
    switch (d) {
    case kLeft: tri << QPointF(c.x() - b, c.y()) << QPointF(c.x() + b, c.y() - a) << QPointF(c.x() + b, c.y() + a); break;
    case kRight: tri << QPointF(c.x() + b, c.y()) << QPointF(c.x() - b, c.y() - a) << QPointF(c.x() - b, c.y() + a); break;
    case kUp: tri << QPointF(c.x(), c.y() - b) << QPointF(c.x() - a, c.y() + b) << QPointF(c.x() + a, c.y() + b); break;
    case kDown: tri << QPointF(c.x(), c.y() + b) << QPointF(c.x() - a, c.y() - b) << QPointF(c.x() + a, c.y() - b); break;
    }
    const QPointF shift = down ? QPointF(0.5, 0.5) : QPointF(0, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 246, 210, 150));
    p.drawPolygon(tri.translated(shift + QPointF(0, 1)));
    p.setBrush(Pal::Ink);
    p.drawPolygon(tri.translated(shift));
}

void DrawScrollButtons(QPainter& p)
{
    const Dir dirs[] = {kLeft, kRight, kUp, kDown};
    const int rows[] = {1, 21, 61, 81};
    for (int state = 0; state < 3; ++state) {
        const int x = 211 + 20 * state;
        for (int i = 0; i < 4; ++i) {
            DrawKnob(p, QRectF(x + 0.5, rows[i] + 0.5, 16, 16), state, 3.5);
            DrawArrow(p, QPointF(x + 8.5, rows[i] + 8.5), dirs[i], state == 2);
        }
        // Thumbs: pills inset from the track's sides; their caps are the
        // first and last 7 pixels, the middle is stretched from column 7.
        DrawKnob(p, QRectF(x + 0.5, 41 + 2.5, 16, 12), state, 5.5);
        DrawKnob(p, QRectF(x + 2.5, 101 + 0.5, 12, 16), state, 5.5);
    }
}

// The track is a leather groove, darker towards its upper/left side.
QColor TrackShade(int i)
{
    static const int kProfile[17] = {40, 52, 62, 70, 76, 80, 82, 84, 85, 86, 86, 87, 87, 88, 88, 90, 70};
    const double f = kProfile[i] / 86.0;
    return Shade(QColor(96, 66, 44), f);
}

void DrawTracks(QPainter& p)
{
    for (int i = 0; i < 17; ++i) {
        p.fillRect(QRect(276 + i, 22, 1, 3), TrackShade(i));  // vertical track, across x
        p.fillRect(QRect(297, 1 + i, 3, 1), TrackShade(i));   // horizontal track, across y
        p.fillRect(QRect(276, 1 + i, 17, 1), TrackShade(8));  // the corner square
    }
    // The corner doubles as the resize grip: three brass ridges.
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int k = 0; k < 3; ++k) {
        const double o = 5 + 4 * k;
        p.setPen(QPen(QColor(30, 18, 10, 200), 1.2));
        p.drawLine(QPointF(276 + o + 1, 1 + 16), QPointF(276 + 16, 1 + o + 1));
        p.setPen(QPen(QColor(236, 196, 110), 1.2));
        p.drawLine(QPointF(276 + o, 1 + 16), QPointF(276 + 16, 1 + o));
    }
}

// ---- Close button ---------------------------------------------------------------

void DrawCloseFrame(QPainter& p, int x, int frame)
{
    const QPointF c(x + 11, 133 + 11);
    const bool active = frame >= 2;
    const bool high = frame == 1 || frame == 3;
    const bool down = frame == 4;
    DropShadow(p, Circle(c, 6.8), 0, 0.8, 1.2, 70);
    FillBrass(p, Circle(c, 6.8), 0.8, active ? 1.0 : 0.85);
    QColor enamel = active ? QColor(186, 40, 36) : QColor(128, 112, 96);
    if (high) enamel = Shade(enamel, 1.25);
    if (down) enamel = Shade(enamel, 0.7);
    QRadialGradient g(c - QPointF(1.5, 1.5), 6);
    g.setColorAt(0, Shade(enamel, 1.35));
    g.setColorAt(1, Shade(enamel, 0.8));
    p.setPen(QPen(QColor(70, 20, 10, 160), 0.8));
    p.setBrush(g);
    p.drawEllipse(c, 4.8, 4.8);
    if (!down) Gloss(p, Circle(c, 4.6), 120);
    if (high || down || active) {
        const double s = 2.2;
        const QPointF o = down ? QPointF(0.4, 0.4) : QPointF(0, 0);
        p.setPen(QPen(high || down ? QColor(255, 246, 232) : QColor(255, 230, 220, 170), 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + o + QPointF(-s, -s), c + o + QPointF(s, s));
        p.drawLine(c + o + QPointF(-s, s), c + o + QPointF(s, -s));
    }
}

}  // namespace

void GenWinSkin(ArtOut& out)
{
    QImage img = NewCanvas(300, 156);
    QPainter p;
    BeginSmooth(p, img);
    DrawFrameColumn(p, 1, kInactive);
    DrawFrameColumn(p, 103, kActive);
    p.setRenderHint(QPainter::Antialiasing, false);
    DrawTracks(p);
    p.setRenderHint(QPainter::Antialiasing, true);
    DrawScrollButtons(p);
    for (int n = 0; n < 5; ++n) DrawCloseFrame(p, 2 + 23 * n, n);
    p.end();
    out.Tiff("win-skin.tif", img);
}
