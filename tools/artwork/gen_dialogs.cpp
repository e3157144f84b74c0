// Pictures of the dialogs:
//   open dialog: open_shape_masks_w.gif (seven 164 x 168 white piece masks at
//     x = 165k + 1), open_shape_bkg.bmp (164 x 168), the buttons
//     open_shape0..6, open_border0/1, open_mix0/1, open_rotate, open_fit_scr;
//   options: opt_emboss.png (pieces with hard alpha for the emboss preview)
//     and the page icons opt-sound, opt-rotate-cw, opt-rotate-ccw, opt-wheel,
//     opt-move-ow, opt-single-win, opt-stuck, opt-star;
//   about box and splash: about_bemo.gif (370 x 320, transparent corners; the
//     light panel from y = 138 to 306 takes the five text lines);
//   help browser: hb_back, hb_forward, hb_cont, hb_font_inc, hb_font_dec;
//   downloads: dn-gull.png (the "already here" mark), dn-download, dn-stop.
#include "icons.h"
#include "shapes.h"

#include <QFont>

#include <cmath>

namespace {

// ---- A painted landscape (the picture inside previews) ----------------------------

void PaintLandscape(QPainter& p, const QRectF& r, uint32_t seed)
{
    p.save();
    p.setClipRect(r);
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, QColor(70, 140, 210));
    sky.setColorAt(0.55, QColor(190, 222, 244));
    sky.setColorAt(1, QColor(250, 236, 200));
    p.fillRect(r, sky);
    auto at = [&](double fx, double fy) { return QPointF(r.left() + fx * r.width(), r.top() + fy * r.height()); };
    QRadialGradient sun(at(0.75, 0.22), r.width() * 0.16);
    sun.setColorAt(0, QColor(255, 244, 190));
    sun.setColorAt(0.45, QColor(255, 214, 90));
    sun.setColorAt(1, QColor(255, 214, 90, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sun);
    p.drawEllipse(at(0.75, 0.22), r.width() * 0.16, r.width() * 0.16);
    QPainterPath hills[3];
    const QColor hc[3] = {QColor(110, 130, 170), QColor(96, 160, 70), QColor(60, 120, 50)};
    const double base[3] = {0.52, 0.66, 0.8};
    for (int k = 0; k < 3; ++k) {
        hills[k].moveTo(at(0, 1));
        for (int i = 0; i <= 16; ++i) {
            const double fx = i / 16.0;
            const double fy = base[k] - 0.12 * (Fbm(fx * 3 + k * 7, 0.5, 3, seed + uint32_t(k)) - 0.3);
            hills[k].lineTo(at(fx, fy));
        }
        hills[k].lineTo(at(1, 1));
        hills[k].closeSubpath();
        p.setBrush(hc[k]);
        p.drawPath(hills[k]);
    }
    ArtRand rnd(seed);
    for (int i = 0; i < 5; ++i) {  // trees
        const QPointF t = at(rnd.Uniform(0.05, 0.95), rnd.Uniform(0.7, 0.86));
        const double s = r.width() * rnd.Uniform(0.03, 0.05);
        p.setBrush(QColor(90, 60, 30));
        p.drawRect(QRectF(t.x() - s * 0.15, t.y(), s * 0.3, s * 1.2));
        p.setBrush(QColor(40, 100, 40));
        p.drawEllipse(t, s, s * 1.2);
    }
    const QColor flowers[3] = {QColor(230, 60, 70), QColor(250, 220, 60), QColor(250, 250, 250)};
    for (int i = 0; i < 40; ++i) {
        p.setBrush(flowers[i % 3]);
        p.drawEllipse(at(rnd.Uniform(0, 1), rnd.Uniform(0.86, 1.0)), 1.3, 1.3);
    }
    p.restore();
}

// ---- Open dialog ------------------------------------------------------------------------

QImage MakeShapeMasks()
{
    QImage img = NewCanvas(1156, 168);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (int k = 0; k < 7; ++k) {
        p.save();
        p.setClipRect(QRect(165 * k + 1, 0, 164, 168));
        p.translate(165 * k + 1, 0);
        p.drawPath(ShapeStylePiece(k));
        p.restore();
    }
    p.end();
    return img;
}

QImage MakeShapeBkg()
{
    QImage img(164, 168, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    PaintLandscape(p, QRectF(0, 0, 164, 168), 0x0B6u);
    p.end();
    return img;
}

// A shape button: the style's piece scaled into the 32-unit square.
void ShapeButton(QPainter& p, int style)
{
    const QColor colours[7] = {Pal::Berry, QColor(232, 150, 40), Pal::Leaf, Pal::Ocean,
                               QColor(150, 80, 170), QColor(40, 150, 150), QColor(200, 90, 60)};
    QTransform t;
    t.translate(1, 0.5);
    t.scale(30.0 / 164, 31.0 / 168);
    const QPainterPath path = t.map(ShapeStylePiece(style));
    DropShadow(p, path, 0.6, 1, 1, 70);
    const QRectF r = path.boundingRect();
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, Shade(colours[style], 1.35));
    g.setColorAt(1, Shade(colours[style], 0.7));
    p.setPen(QPen(Shade(colours[style], 0.45), 0.8));
    p.setBrush(g);
    p.drawPath(path);
    Gloss(p, path, 60);
}

void PieceGrid(QPainter& p, const QRectF& area, double gap, bool scatter)
{
    const double cell = (area.width() - 2 * gap) / 3;
    ArtRand rnd(4);
    const QColor cs[3] = {Pal::Berry, Pal::Ocean, QColor(240, 186, 56)};
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) {
            QRectF r(area.left() + i * (cell + gap), area.top() + j * (cell + gap), cell, cell);
            p.save();
            if (scatter) {
                p.translate(r.center() + QPointF(rnd.Uniform(-2.5, 2.5), rnd.Uniform(-2.5, 2.5)));
                p.rotate(rnd.Uniform(-40, 40));
                p.translate(-r.center());
            }
            const int t[4] = {0, 0, 0, 0};
            DrawPiece(p, r.adjusted(0.5, 0.5, -0.5, -0.5), t, cs[(i + j) % 3], 0.6);
            p.restore();
        }
}

void Border(QPainter& p, bool frame)
{
    if (frame) {
        const QPainterPath f = RoundRect(QRectF(2, 2, 28, 28), 2).subtracted(RoundRect(QRectF(6, 6, 20, 20), 1));
        DropShadow(p, f, 0.6, 1, 1, 60);
        FillBrass(p, f, 0.8);
        PieceGrid(p, QRectF(6.5, 6.5, 19, 19), 0.6, false);
    } else {
        PieceGrid(p, QRectF(3, 3, 26, 26), 0.8, false);
    }
}

void CircleArrow(QPainter& p, QPointF c, double r, bool clockwise, const QColor& colour)
{
    const double startDeg = 110, spanDeg = clockwise ? -290 : 290;
    QPainterPath arc;
    arc.arcMoveTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), startDeg);
    arc.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), startDeg, spanDeg);
    p.save();
    p.setPen(QPen(Shade(colour, 0.5), 3.4, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    p.setPen(QPen(colour, 2.0, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(arc);
    // The head at the end of the arc, pointing along it.
    const double endRad = (startDeg + spanDeg) * M_PI / 180;
    const QPointF e = c + QPointF(std::cos(endRad) * r, -std::sin(endRad) * r);
    const double dir = clockwise ? -1 : 1;
    const QPointF tangent(-std::sin(endRad) * dir, -std::cos(endRad) * dir);
    const QPointF normal(tangent.y(), -tangent.x());
    QPolygonF head;
    head << e + tangent * 4.5 << e + normal * 3.6 << e - normal * 3.6;
    p.setPen(QPen(Shade(colour, 0.5), 0.8));
    p.setBrush(colour);
    p.drawPolygon(head);
    p.restore();
}

void Rotate(QPainter& p, bool clockwise)
{
    const int t[4] = {1, -1, 1, -1};
    DrawPiece(p, QRectF(11, 11, 10, 10), t, Pal::Ocean, 0.7);
    CircleArrow(p, QPointF(16, 16), 12, clockwise, QColor(226, 176, 76));
}

void FitScreen(QPainter& p)
{
    const QPainterPath monitor = RoundRect(QRectF(2.5, 4, 27, 19), 2);
    DropShadow(p, monitor, 0.6, 1, 1, 60);
    p.setPen(QPen(Pal::Ink, 0.9));
    p.setBrush(QColor(50, 50, 56));
    p.drawPath(monitor);
    p.setBrush(QColor(90, 90, 96));
    p.drawRect(QRectF(13, 23, 6, 3.5));
    p.drawRoundedRect(QRectF(9, 26.5, 14, 2.5), 1, 1);
    PaintLandscape(p, QRectF(4.5, 6, 23, 15), 9);
    p.setPen(QPen(QColor(255, 255, 255), 1.3, Qt::SolidLine, Qt::RoundCap));
    const QPointF c(16, 13.5);
    for (int sx = -1; sx <= 1; sx += 2)
        for (int sy = -1; sy <= 1; sy += 2) {
            const QPointF tip = c + QPointF(sx * 9, sy * 5);
            p.drawLine(c + QPointF(sx * 3, sy * 1.7), tip);
            p.drawLine(tip, tip - QPointF(sx * 3, 0));
            p.drawLine(tip, tip - QPointF(0, sy * 3));
        }
}

// ---- Options -------------------------------------------------------------------------------

QImage MakeEmbossSample()
{
    // Two joined pieces and one apart, cut from a landscape with hard edges
    // (the emboss reads alpha 0 as outside).
    QImage pic(136, 96, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter p(&pic);
        p.setRenderHint(QPainter::Antialiasing, true);
        PaintLandscape(p, QRectF(0, 0, 136, 96), 0xE3u);
    }
    QImage img = NewCanvas(136, 96);
    QPainter p(&img);
    const int a[4] = {1, 1, -1, 0}, b[4] = {-1, 0, 1, -1};
    QPainterPath pieces = PiecePath(QRectF(14, 22, 50, 50), a, 0, 0.8);
    pieces = pieces.united(PiecePath(QRectF(78, 24, 44, 44), b, 0, 0.8));
    p.setClipPath(pieces);
    p.drawImage(0, 0, pic);
    p.end();
    return img;
}

void Speaker(QPainter& p)
{
    QPainterPath s;
    s.moveTo(3, 12);
    s.lineTo(9, 12);
    s.lineTo(16, 5);
    s.lineTo(16, 27);
    s.lineTo(9, 20);
    s.lineTo(3, 20);
    s.closeSubpath();
    DropShadow(p, s, 0.6, 1, 1, 60);
    FillBrass(p, s, 0.9);
    p.setBrush(Qt::NoBrush);
    for (int k = 0; k < 3; ++k) {
        const double r = 5 + 4.2 * k;
        p.setPen(QPen(QColor(60, 100, 150), 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(15 - r, 16 - r, 2 * r, 2 * r), -40 * 16, 80 * 16);
    }
}

void Mouse(QPainter& p)
{
    const QPainterPath body = RoundRect(QRectF(8, 3, 16, 26), 8);
    DropShadow(p, body, 0.6, 1, 1, 60);
    QLinearGradient g(8, 0, 24, 0);
    g.setColorAt(0, QColor(250, 250, 250));
    g.setColorAt(1, QColor(190, 190, 196));
    p.setPen(QPen(QColor(70, 70, 80), 0.9));
    p.setBrush(g);
    p.drawPath(body);
    p.drawLine(QPointF(8, 14), QPointF(24, 14));
    p.drawLine(QPointF(16, 3), QPointF(16, 14));
    FillBrass(p, RoundRect(QRectF(14, 6, 4, 7), 2), 0.7);
    p.setPen(QPen(QColor(60, 100, 150), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(27, 5), QPointF(27, 12));
    p.drawLine(QPointF(27, 5), QPointF(25.5, 7));
    p.drawLine(QPointF(27, 5), QPointF(28.5, 7));
}

void MiniTable(QPainter& p, const QRectF& r, bool dark)
{
    const QPainterPath t = RoundRect(r, 1.5);
    DropShadow(p, t, 0.5, 0.8, 0.8, 60);
    FillWood(p, t, dark, 5);
    p.setPen(QPen(Pal::Ink, 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawPath(t);
}

void MoveOtherSide(QPainter& p)
{
    MiniTable(p, QRectF(2, 4, 13, 11), false);
    MiniTable(p, QRectF(17, 17, 13, 11), true);
    const int t[4] = {1, 0, 0, -1};
    DrawPiece(p, QRectF(5.5, 7.5, 5, 5), t, Pal::Berry, 0.5);
    p.setPen(QPen(QColor(60, 100, 150), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath arc;
    arc.moveTo(15, 8);
    arc.quadTo(25, 6, 24, 14.5);
    p.drawPath(arc);
    p.drawLine(QPointF(24, 15), QPointF(21.5, 12.5));
    p.drawLine(QPointF(24, 15), QPointF(26.5, 12.8));
}

void SingleWindow(QPainter& p)
{
    MiniTable(p, QRectF(3, 6, 26, 20), false);
    const int a[4] = {0, 1, 0, 0}, b[4] = {0, 0, 0, -1};
    DrawPiece(p, QRectF(8, 11, 7, 7), a, Pal::Berry, 0.6);
    DrawPiece(p, QRectF(17, 14, 7, 7), b, Pal::Ocean, 0.6);
}

void Stuck(QPainter& p)
{
    const int a[4] = {0, 1, 0, 0}, b[4] = {0, 0, 0, -1};
    DrawPiece(p, QRectF(2, 10, 11, 11), a, Pal::Berry, 0.7);
    DrawPiece(p, QRectF(19, 10, 11, 11), b, Pal::Ocean, 0.7);
    p.setPen(QPen(QColor(226, 176, 76), 1.2, Qt::SolidLine, Qt::RoundCap));
    for (int k = 0; k < 3; ++k) {
        const double y = 7 + 9 * k;
        p.drawLine(QPointF(14, y), QPointF(18, y));
    }
}

void StarIcon(QPainter& p)
{
    QPainterPath star;
    for (int i = 0; i <= 16; ++i) {
        const double a = i * M_PI / 8 - M_PI / 2;
        const double r = (i % 4 == 0) ? 14 : (i % 2 == 0 ? 7.5 : 3.6);
        const QPointF q(16 + std::cos(a) * r, 16 + std::sin(a) * r);
        if (i == 0) star.moveTo(q); else star.lineTo(q);
    }
    star.closeSubpath();
    QRadialGradient glow(QPointF(16, 16), 14);
    glow.setColorAt(0, QColor(255, 250, 220, 200));
    glow.setColorAt(1, QColor(255, 210, 90, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(16, 16), 14, 14);
    FillBrass(p, star, 0.7, 1.1);
}

// ---- Help browser and downloads ------------------------------------------------------------------

void RoundArrowButton(QPainter& p, bool forward)
{
    DrawBadge(p, QPointF(16, 16), 13, QColor(44, 96, 160));
    QPolygonF a;
    const double s = forward ? 1 : -1;
    a << QPointF(16 + 7 * s, 16) << QPointF(16 + 0.5 * s, 9) << QPointF(16 + 0.5 * s, 13)
      << QPointF(16 - 7 * s, 13) << QPointF(16 - 7 * s, 19) << QPointF(16 + 0.5 * s, 19) << QPointF(16 + 0.5 * s, 23);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 250, 236));
    p.drawPolygon(a);
}

void Contents(QPainter& p)
{
    const QPainterPath book = RoundRect(QRectF(5, 3, 22, 26), 2);
    DropShadow(p, book, 0.6, 1, 1, 60);
    p.setPen(QPen(QColor(70, 20, 16), 0.9));
    p.setBrush(QColor(150, 40, 36));
    p.drawPath(book);
    p.setBrush(Pal::Paper);
    p.drawRect(QRectF(9, 6, 15, 20));
    p.setPen(QPen(QColor(120, 100, 80), 1.2, Qt::SolidLine, Qt::RoundCap));
    for (int k = 0; k < 5; ++k) p.drawLine(QPointF(11.5, 9.5 + 3.5 * k), QPointF(k % 2 ? 19 : 21.5, 9.5 + 3.5 * k));
    FillBrass(p, RoundRect(QRectF(5, 3, 3, 26), 1), 0.6);
}

void FontSize(QPainter& p, bool larger)
{
    DrawGlyphs(p, "A", QPointF(12, 17), larger ? 22 : 14, Pal::Ink);
    DrawBadge(p, QPointF(24, 23), 7, larger ? QColor(52, 128, 80) : QColor(170, 60, 50));
    p.setPen(QPen(QColor(255, 250, 236), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(21, 23), QPointF(27, 23));
    if (larger) p.drawLine(QPointF(24, 20), QPointF(24, 26));
}

void CheckMark(QPainter& p)
{
    DrawBadge(p, QPointF(16, 16), 13, QColor(46, 140, 60));
    QPainterPath tick;
    tick.moveTo(9.5, 16.5);
    tick.lineTo(14, 21);
    tick.lineTo(23, 10.5);
    p.setPen(QPen(QColor(255, 255, 255), 3.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
}

void Stop(QPainter& p)
{
    QPainterPath oct;
    for (int i = 0; i <= 8; ++i) {
        const double a = (i + 0.5) * M_PI / 4;
        const QPointF q(16 + std::cos(a) * 13.5, 16 + std::sin(a) * 13.5);
        if (i == 0) oct.moveTo(q); else oct.lineTo(q);
    }
    DropShadow(p, oct, 0.6, 1, 1, 70);
    QRadialGradient g(QPointF(12, 11), 16);
    g.setColorAt(0, QColor(236, 90, 80));
    g.setColorAt(1, QColor(160, 30, 26));
    p.setPen(QPen(QColor(255, 240, 230), 1.4));
    p.setBrush(g);
    p.drawPath(oct);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 250, 240));
    p.drawRoundedRect(QRectF(8.5, 13.5, 15, 5), 1.5, 1.5);
}

void DownloadTray(QPainter& p)
{
    QPainterPath tray;
    tray.moveTo(4, 19);
    tray.lineTo(9, 19);
    tray.lineTo(11, 22.5);
    tray.lineTo(21, 22.5);
    tray.lineTo(23, 19);
    tray.lineTo(28, 19);
    tray.lineTo(28, 28);
    tray.lineTo(4, 28);
    tray.closeSubpath();
    DropShadow(p, tray, 0.6, 1, 1, 60);
    p.setPen(QPen(QColor(30, 70, 110), 0.9));
    p.setBrush(QColor(70, 130, 190));
    p.drawPath(tray);
    DrawDownArrow(p, QPointF(16, 21), 13, 18);
}

}  // namespace

// The about box and splash picture; defined in gen_about.cpp.
QImage MakeAboutPicture();

void GenDialogArt(ArtOut& out)
{
    out.Gif("open_shape_masks_w.gif", MakeShapeMasks(), true);
    out.Bmp("open_shape_bkg.bmp", MakeShapeBkg());
    for (int k = 0; k < 7; ++k)
        SaveIcon(out, "open_shape" + std::to_string(k), [k](QPainter& p) { ShapeButton(p, k); });
    SaveIcon(out, "open_border0", [](QPainter& p) { Border(p, false); });
    SaveIcon(out, "open_border1", [](QPainter& p) { Border(p, true); });
    SaveIcon(out, "open_mix0", [](QPainter& p) { PieceGrid(p, QRectF(3, 3, 26, 26), 1.5, true); });
    SaveIcon(out, "open_mix1", [](QPainter& p) { PieceGrid(p, QRectF(3, 3, 26, 26), 2.5, false); });
    SaveIcon(out, "open_rotate", [](QPainter& p) { Rotate(p, true); });
    SaveIcon(out, "open_fit_scr", FitScreen);

    out.Png("opt_emboss.png", MakeEmbossSample());
    SaveIcon(out, "opt-sound", Speaker);
    SaveIcon(out, "opt-rotate-cw", [](QPainter& p) { Rotate(p, true); });
    SaveIcon(out, "opt-rotate-ccw", [](QPainter& p) { Rotate(p, false); });
    SaveIcon(out, "opt-wheel", Mouse);
    SaveIcon(out, "opt-move-ow", MoveOtherSide);
    SaveIcon(out, "opt-single-win", SingleWindow);
    SaveIcon(out, "opt-stuck", Stuck);
    SaveIcon(out, "opt-star", StarIcon);

    out.Gif("about_bemo.gif", MakeAboutPicture(), true);

    SaveIcon(out, "hb_back", [](QPainter& p) { RoundArrowButton(p, false); });
    SaveIcon(out, "hb_forward", [](QPainter& p) { RoundArrowButton(p, true); });
    SaveIcon(out, "hb_cont", Contents);
    SaveIcon(out, "hb_font_inc", [](QPainter& p) { FontSize(p, true); });
    SaveIcon(out, "hb_font_dec", [](QPainter& p) { FontSize(p, false); });

    out.Png("dn-gull.png", RenderIcon(CheckMark, 28));
    SaveIcon(out, "dn-download", DownloadTray);
    SaveIcon(out, "dn-stop", Stop);
}
