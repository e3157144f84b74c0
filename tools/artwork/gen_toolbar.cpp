// The toolbar pictures: 32 x 32 with a 64 x 64 "@2x" twin, one family look
// (brass, walnut, felt, enamel; light from the top left; a soft shadow).
// "-sel" forms sit on a warm highlighted tile.
#include "icons.h"

#include <cmath>

namespace {

const int kOut[4] = {1, 1, 1, 1};

void Folder(QPainter& p)
{
    QPainterPath back;
    back.moveTo(3, 8);
    back.lineTo(12, 8);
    back.lineTo(14.5, 10.5);
    back.lineTo(28, 10.5);
    back.lineTo(28, 27);
    back.lineTo(3, 27);
    back.closeSubpath();
    DropShadow(p, back, 0.6, 1, 1, 60);
    p.setPen(QPen(QColor(140, 96, 36), 0.9));
    p.setBrush(QColor(214, 164, 84));
    p.drawPath(back);
    const int tabs[4] = {1, -1, 0, 1};
    DrawPiece(p, QRectF(12, 8, 10, 10), tabs, Pal::Ocean);
    QPainterPath front;
    front.moveTo(5, 14);
    front.lineTo(30.5, 14);
    front.lineTo(28, 27);
    front.lineTo(3, 27);
    front.closeSubpath();
    QLinearGradient g(0, 14, 0, 27);
    g.setColorAt(0, QColor(250, 214, 130));
    g.setColorAt(1, QColor(222, 170, 86));
    p.setPen(QPen(QColor(140, 96, 36), 0.9));
    p.setBrush(g);
    p.drawPath(front);
}

// A diskette: an enamelled body with one corner cut off, a metal shutter
// with its window at the top and a paper label below. No arrow: the
// download picture is the one that brings something down.
void Save(QPainter& p)
{
    QPainterPath body;
    body.moveTo(5.5, 4);
    body.lineTo(23.5, 4);
    body.lineTo(28, 8.5);
    body.lineTo(28, 26.5);
    body.quadTo(28, 28, 26.5, 28);
    body.lineTo(5.5, 28);
    body.quadTo(4, 28, 4, 26.5);
    body.lineTo(4, 5.5);
    body.quadTo(4, 4, 5.5, 4);
    body.closeSubpath();
    DropShadow(p, body, 0.6, 1, 1, 70);
    QLinearGradient enamel(4, 4, 28, 28);
    enamel.setColorAt(0, QColor(78, 118, 182));
    enamel.setColorAt(1, QColor(34, 58, 104));
    p.setPen(QPen(QColor(22, 34, 62), 0.9));
    p.setBrush(enamel);
    p.drawPath(body);

    // The shutter, brushed steel, with the window onto the disc.
    const QRectF shutter(9.5, 4, 13, 9);
    QLinearGradient steel(shutter.topLeft(), shutter.topRight());
    steel.setColorAt(0, QColor(236, 238, 242));
    steel.setColorAt(0.55, QColor(196, 202, 210));
    steel.setColorAt(1, QColor(150, 158, 170));
    p.setPen(QPen(QColor(70, 76, 88), 0.7));
    p.setBrush(steel);
    p.drawRect(shutter);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 38, 56));
    p.drawRect(QRectF(17.5, 5.5, 3, 6));

    // The label with two written lines.
    const QRectF label(7.5, 16, 17, 12);
    p.setPen(QPen(QColor(150, 140, 120), 0.6));
    p.setBrush(Pal::Paper);
    p.drawRect(label);
    p.setPen(QPen(QColor(200, 60, 52), 1.1));
    p.drawLine(QPointF(9.5, 18.6), QPointF(22.5, 18.6));
    p.setPen(QPen(QColor(120, 120, 130), 0.9));
    p.drawLine(QPointF(9.5, 21.8), QPointF(22.5, 21.8));
    p.drawLine(QPointF(9.5, 24.8), QPointF(19, 24.8));
    Gloss(p, body, 60);
}

void Download(QPainter& p)
{
    QPainterPath cloud = Circle(QPointF(11, 14), 5.5).united(Circle(QPointF(17.5, 10.5), 7))
                             .united(Circle(QPointF(24, 15), 5)).united(RoundRect(QRectF(6, 14, 23, 6.5), 3));
    DropShadow(p, cloud, 0.6, 1, 1, 60);
    QLinearGradient g(0, 4, 0, 21);
    g.setColorAt(0, QColor(255, 255, 255));
    g.setColorAt(1, QColor(186, 214, 238));
    p.setPen(QPen(QColor(78, 116, 156), 0.9));
    p.setBrush(g);
    p.drawPath(cloud);
    DrawDownArrow(p, QPointF(17.5, 30.5), 12, 15);
}

void Palette(QPainter& p)
{
    QPainterPath board;
    board.addEllipse(QRectF(2.5, 5, 27, 22));
    board = board.subtracted(Circle(QPointF(10.5, 19.5), 2.6)).subtracted(Circle(QPointF(4, 26), 5));
    DropShadow(p, board, 0.6, 1, 1, 60);
    FillWood(p, board, false, 3);
    p.setPen(QPen(QColor(140, 96, 50), 0.9));
    p.setBrush(Qt::NoBrush);
    p.drawPath(board);
    const QColor blobs[5] = {Pal::Berry, QColor(240, 190, 50), Pal::Leaf, Pal::Ocean, QColor(250, 250, 250)};
    const QPointF at[5] = {{9, 11}, {15.5, 9}, {22, 10.5}, {25, 16.5}, {20.5, 22}};
    for (int i = 0; i < 5; ++i) {
        p.setPen(QPen(Shade(blobs[i], 0.6), 0.7));
        p.setBrush(blobs[i]);
        p.drawEllipse(at[i], 2.5, 2.2);
    }
}

// A pocket in miniature: a walnut caption over a felt tray.
void MiniPocket(QPainter& p, const QRectF& r, bool pieces)
{
    const QPainterPath frame = RoundRect(r, 2.5);
    DropShadow(p, frame, 0.6, 1, 1, 70);
    p.save();
    p.setPen(QPen(Pal::Ink, 0.9));
    p.setBrush(Pal::Walnut);
    p.drawPath(frame);
    const QRectF client(r.left() + 1.8, r.top() + 6, r.width() - 3.6, r.height() - 7.8);
    QLinearGradient felt(client.topLeft(), client.bottomLeft());
    felt.setColorAt(0, Pal::FeltDark);
    felt.setColorAt(1, Pal::Felt);
    p.setPen(Qt::NoPen);
    p.setBrush(felt);
    p.drawRect(client);
    p.setPen(QPen(QColor(226, 182, 96), 0.8));
    p.drawLine(QPointF(r.left() + 1.5, r.top() + 5.4), QPointF(r.right() - 1.5, r.top() + 5.4));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(186, 40, 36));
    p.drawEllipse(QPointF(r.left() + 3.6, r.top() + 3), 1.5, 1.5);
    p.restore();
    if (pieces) {
        const int a[4] = {1, -1, 0, 0}, b[4] = {0, 1, -1, 1};
        DrawPiece(p, QRectF(client.left() + 3, client.top() + 5, 7, 7), a, Pal::Berry, 0.6);
        DrawPiece(p, QRectF(client.left() + 13, client.top() + 3.5, 7, 7), b, QColor(240, 190, 50), 0.6);
    }
}

void BkgCur(QPainter& p)
{
    MiniPocket(p, QRectF(2.5, 4.5, 22, 19), false);
    // A brush crossing the corner.
    p.save();
    p.translate(22, 22);
    p.rotate(45);
    DropShadow(p, RoundRect(QRectF(-1.8, -12, 3.6, 11), 1.5), 0.6, 1, 1, 60);
    p.setPen(QPen(Pal::Ink, 0.7));
    p.setBrush(Pal::WalnutLight);
    p.drawRoundedRect(QRectF(-1.8, -12, 3.6, 11), 1.5, 1.5);
    FillBrass(p, RoundRect(QRectF(-2.2, -2, 4.4, 3.5), 0.8), 0.6);
    p.setPen(QPen(Pal::Ink, 0.7));
    p.setBrush(Pal::Berry);
    QPainterPath tip;
    tip.moveTo(-2, 1.5);
    tip.quadTo(-2.2, 6, 0, 8);
    tip.quadTo(2.2, 6, 2, 1.5);
    tip.closeSubpath();
    p.drawPath(tip);
    p.restore();
}

void Landscape(QPainter& p, const QRectF& r)
{
    p.save();
    p.setClipRect(r);
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, QColor(120, 180, 230));
    sky.setColorAt(1, QColor(210, 232, 246));
    p.fillRect(r, sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 214, 90));
    p.drawEllipse(QPointF(r.right() - 5, r.top() + 5), 2.6, 2.6);
    QPainterPath hill;
    hill.moveTo(r.left(), r.bottom());
    hill.lineTo(r.left(), r.bottom() - 6);
    hill.quadTo(r.left() + r.width() * 0.35, r.bottom() - 12, r.left() + r.width() * 0.6, r.bottom() - 6);
    hill.quadTo(r.left() + r.width() * 0.8, r.bottom() - 2, r.right(), r.bottom() - 6);
    hill.lineTo(r.right(), r.bottom());
    hill.closeSubpath();
    p.setBrush(Pal::Leaf);
    p.drawPath(hill);
    p.restore();
}

void Thumb(QPainter& p)
{
    const QPainterPath frame = RoundRect(QRectF(3, 5, 26, 22), 2);
    DropShadow(p, frame, 0.6, 1, 1, 70);
    FillBrass(p, frame, 0.9);
    Landscape(p, QRectF(6, 8, 20, 16));
    p.setPen(QPen(QColor(110, 74, 20, 200), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(6, 8, 20, 16));
}

void Info(QPainter& p)
{
    DrawBadge(p, QPointF(16, 16), 13, QColor(44, 96, 160));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 250, 236));
    p.drawEllipse(QPointF(16, 9.8), 2.1, 2.1);
    p.drawRoundedRect(QRectF(14.2, 13.2, 3.6, 10.5), 1.2, 1.2);
}

void Side(QPainter& p, int n, bool sel)
{
    if (sel) DrawSelBackdrop(p);
    // A table top in slight perspective with its number on a brass plate.
    QPainterPath top;
    top.moveTo(6, 8);
    top.lineTo(26, 8);
    top.lineTo(29.5, 22);
    top.lineTo(2.5, 22);
    top.closeSubpath();
    DropShadow(p, top, 0.6, 1.2, 1, 70);
    FillWood(p, top, n == 2, uint32_t(11 + n));
    p.save();
    p.setPen(QPen(Pal::Ink, 0.9));
    p.setBrush(Qt::NoBrush);
    p.drawPath(top);
    p.setPen(QPen(Pal::Ink, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5, 22.5), QPointF(5, 28.5));
    p.drawLine(QPointF(27, 22.5), QPointF(27, 28.5));
    p.restore();
    DrawBadge(p, QPointF(16, 15), 6.2, QColor(40, 40, 48));
    DrawGlyphs(p, QString::number(n), QPointF(16, 15), 7.5, QColor(255, 236, 180));
}

void Pocket(QPainter& p, bool full, bool sel)
{
    if (sel) DrawSelBackdrop(p);
    MiniPocket(p, QRectF(4, 5, 24, 22), full);
}

void Select(QPainter& p)
{
    const int a[4] = {1, 1, -1, 0}, b[4] = {-1, 0, 1, 1};
    DrawPiece(p, QRectF(7, 9, 8, 8), a, Pal::Berry);
    DrawPiece(p, QRectF(16, 16, 8, 8), b, Pal::Ocean);
    p.save();
    QPen pen(QColor(30, 30, 30), 1.2);
    pen.setDashPattern({2.0, 1.6});
    p.setPen(pen);
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawRect(QRectF(2.5, 3.5, 27, 25));
    p.restore();
}

void Arrange(QPainter& p)
{
    const QColor cs[4] = {Pal::Berry, QColor(240, 190, 50), Pal::Leaf, Pal::Ocean};
    const int t[4][4] = {{0, 1, -1, 0}, {0, 0, 1, -1}, {1, -1, 0, 0}, {-1, 0, 0, 1}};
    const QPointF at[4] = {{4, 4}, {18, 4}, {4, 18}, {18, 18}};
    for (int i = 0; i < 4; ++i) DrawPiece(p, QRectF(at[i], QSizeF(10, 10)), t[i], cs[i]);
}

void WeightJig(QPainter& p)
{
    const int t[4] = {0, 1, 0, -1};
    DrawPiece(p, QRectF(5, 21, 22, 8), t, Pal::Ocean);
    DrawWeightIcon(p, QRectF(6, 0, 22, 22));
}

void Help(QPainter& p)
{
    DrawBadge(p, QPointF(16, 16), 13, QColor(52, 128, 80));
    DrawGlyphs(p, "?", QPointF(16, 16.5), 15, QColor(255, 250, 236));
}

}  // namespace

void GenToolbar(ArtOut& out)
{
    SaveIcon(out, "tb_open", Folder);
    SaveIcon(out, "tb_save", Save);
    SaveIcon(out, "tb_download", Download);
    SaveIcon(out, "tb_bkg", Palette);
    SaveIcon(out, "tb_bkg_cur", BkgCur);
    SaveIcon(out, "tb_thumb", Thumb);
    SaveIcon(out, "tb_info", Info);
    for (int n = 1; n <= 2; ++n) {
        SaveIcon(out, "tb_side" + std::to_string(n), [n](QPainter& p) { Side(p, n, false); });
        SaveIcon(out, "tb_side" + std::to_string(n) + "-sel", [n](QPainter& p) { Side(p, n, true); });
    }
    SaveIcon(out, "tb_pocket_empty", [](QPainter& p) { Pocket(p, false, false); });
    SaveIcon(out, "tb_pocket_empty-sel", [](QPainter& p) { Pocket(p, false, true); });
    SaveIcon(out, "tb_pocket_full", [](QPainter& p) { Pocket(p, true, false); });
    SaveIcon(out, "tb_pocket_full-sel", [](QPainter& p) { Pocket(p, true, true); });
    SaveIcon(out, "tb_select", Select);
    SaveIcon(out, "tb_arrange", Arrange);
    SaveIcon(out, "tb_glass", [](QPainter& p) { DrawMagnifier(p, QRectF(0, 0, 32, 32)); });
    SaveIcon(out, "tb_weight", [](QPainter& p) { DrawWeightIcon(p, QRectF(0, 0, 32, 32)); });
    SaveIcon(out, "tb_weight_jig", WeightJig);
    SaveIcon(out, "tb_options", [](QPainter& p) { DrawGear(p, QPointF(16, 16), 13, 9); });
    SaveIcon(out, "tb_help", Help);
}
