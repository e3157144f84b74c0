// The application icon and the icons of our two file types, at the hicolor
// sizes a .desktop file and shared-mime-info look for. The application icon
// is named after the application id (the .desktop file's name), the file-type
// icons after their MIME types (data/com.zivra.Jigsaw.mime.xml):
//   icons/hicolor/NxN/apps/com.zivra.Jigsaw.png
//   icons/hicolor/NxN/mimetypes/application-x-zivra-jigsaw.png   (*.zjg)
//   icons/hicolor/NxN/mimetypes/application-x-zivra-savedgame.png (*.svm)
#include "icons.h"

namespace {

const int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256, 512};

void AppIcon(QPainter& p)
{
    // A felt-topped walnut board with two pieces about to join.
    const QPainterPath board = RoundRect(QRectF(1.5, 2.5, 29, 28), 6);
    DropShadow(p, board, 0.4, 0.8, 0.8, 80);
    FillWood(p, board, true, 21);
    p.save();
    p.setPen(QPen(Pal::Ink, 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawPath(board);
    const QPainterPath felt = RoundRect(QRectF(4, 5, 24, 23), 3.5);
    QRadialGradient g(QPointF(13, 11), 22);
    g.setColorAt(0, QColor(70, 150, 100));
    g.setColorAt(1, Pal::FeltDark);
    p.setPen(QPen(QColor(20, 50, 30), 0.6));
    p.setBrush(g);
    p.drawPath(felt);
    p.restore();
    const int a[4] = {0, 1, -1, 0}, b[4] = {1, 0, 0, -1};
    DrawPiece(p, QRectF(6, 7.5, 10, 10), a, Pal::Berry, 0.7);
    DrawPiece(p, QRectF(17.5, 15.5, 8.5, 8.5), b, QColor(240, 186, 56), 0.7);
}

QPainterPath Sheet()
{
    QPainterPath s;
    s.moveTo(6, 2);
    s.lineTo(20, 2);
    s.lineTo(27, 9);
    s.lineTo(27, 30);
    s.lineTo(6, 30);
    s.closeSubpath();
    return s;
}

void DrawSheet(QPainter& p)
{
    const QPainterPath s = Sheet();
    DropShadow(p, s, 0.4, 0.8, 0.8, 70);
    QLinearGradient g(6, 2, 27, 30);
    g.setColorAt(0, QColor(255, 253, 246));
    g.setColorAt(1, Pal::Paper);
    p.save();
    p.setPen(QPen(QColor(150, 136, 110), 0.8));
    p.setBrush(g);
    p.drawPath(s);
    QPainterPath fold;
    fold.moveTo(20, 2);
    fold.lineTo(20, 9);
    fold.lineTo(27, 9);
    fold.closeSubpath();
    p.setBrush(Pal::PaperDark);
    p.drawPath(fold);
    p.restore();
}

void JigsawFile(QPainter& p)
{
    DrawSheet(p);
    const int t[4] = {1, 1, -1, -1};
    const QPainterPath piece = PiecePath(QRectF(10, 13, 12, 12), t);
    DropShadow(p, piece, 0.4, 0.8, 0.8, 70);
    p.save();
    p.setClipPath(piece);
    const QRectF r = piece.boundingRect();
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, QColor(110, 170, 226));
    sky.setColorAt(1, QColor(220, 236, 248));
    p.fillRect(r, sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 214, 90));
    p.drawEllipse(QPointF(19, 14), 2.4, 2.4);
    p.setBrush(Pal::Leaf);
    p.drawEllipse(QRectF(4, 20, 18, 14));
    p.setBrush(QColor(70, 130, 50));
    p.drawEllipse(QRectF(15, 21, 16, 12));
    p.restore();
    p.setPen(QPen(QColor(40, 60, 80), 0.7));
    p.setBrush(Qt::NoBrush);
    p.drawPath(piece);
}

void SavedGameFile(QPainter& p)
{
    DrawSheet(p);
    const int a[4] = {0, 1, -1, 0}, b[4] = {-1, 0, 0, 1};
    DrawPiece(p, QRectF(9, 13, 8, 8), a, Pal::Berry, 0.6);
    DrawPiece(p, QRectF(15.5, 20, 7.5, 7.5), b, Pal::Ocean, 0.6);
    // A bookmark ribbon: the game is kept where it was left.
    QPainterPath ribbon;
    ribbon.moveTo(9, 1);
    ribbon.lineTo(14, 1);
    ribbon.lineTo(14, 11);
    ribbon.lineTo(11.5, 8.8);
    ribbon.lineTo(9, 11);
    ribbon.closeSubpath();
    p.setPen(QPen(QColor(110, 20, 20), 0.6));
    p.setBrush(QColor(196, 40, 40));
    p.drawPath(ribbon);
}

}  // namespace

void GenAppIcons(ArtOut& out)
{
    for (int s : kSizes) {
        const std::string dir = "icons/hicolor/" + std::to_string(s) + "x" + std::to_string(s) + "/";
        out.Png(dir + "apps/com.zivra.Jigsaw.png", RenderIcon(AppIcon, s));
        out.Png(dir + "mimetypes/application-x-zivra-jigsaw.png", RenderIcon(JigsawFile, s));
        out.Png(dir + "mimetypes/application-x-zivra-savedgame.png", RenderIcon(SavedGameFile, s));
    }
}
