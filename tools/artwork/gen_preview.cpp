// A look at the skin in use (group "preview", never part of the resources):
// two pockets drawn from win-skin.tif by the play field's frame rules, over a
// table picture, and the glass hands around a lens. For artists only.
#include "art.h"

namespace {

void Piece(QPainter& p, const QImage& skin, int dl, int dt, int dw, int dh, int sl, int st, int sw, int sh)
{
    if (dw > 0 && dh > 0) p.drawImage(QRect(dl, dt, dw, dh), skin, QRect(sl, st, sw, sh));
}

// A pocket at (L, T, W, H) with both scroll bars; thumbs a third along.
void Pocket(QPainter& p, const QImage& skin, int L, int T, int W, int H, bool active)
{
    const int x0 = active ? 103 : 1, b = 4, c = 18, h = b + c, R = L + W - 1, B = T + H - 1;
    Piece(p, skin, L, T, 6, h, x0, 1, 6, h);
    Piece(p, skin, R - 5, T, 6, h, x0 + 94, 1, 6, h);
    Piece(p, skin, L + 6, T, W - 12, h, x0 + 6, 1, 6, h);
    Piece(p, skin, L + 10, B - b + 1, W - 20, b, x0 + 10, 97, 50, b);
    Piece(p, skin, L, B - b + 1, 10, b, x0, 97, 10, b);
    Piece(p, skin, R - 9, B - b + 1, 10, b, x0 + 90, 97, 10, b);
    for (int side = 0; side < 2; ++side) {
        const int x = side ? R - b + 1 : L, sx = side ? x0 + 96 : x0;
        Piece(p, skin, x, T + h, b, H - c - 2 * b, sx, 31, b, 50);
        Piece(p, skin, x, T + h, b, 5, sx, 23, b, 5);
    }
    // Tracks, corner, arrows, thumbs.
    const int vx = R - b - 16, hy = B - b - 16;
    Piece(p, skin, vx, T + h + 17, 17, hy - (T + h + 17) - 17, 276, 22, 17, 3);
    Piece(p, skin, L + b + 17, hy, vx - (L + b + 17) - 17, 17, 297, 1, 3, 17);
    Piece(p, skin, vx, hy, 17, 17, 276, 1, 17, 17);
    Piece(p, skin, vx, T + h, 17, 17, 211, 61, 17, 17);
    Piece(p, skin, vx, hy - 17, 17, 17, 211, 81, 17, 17);
    Piece(p, skin, L + b, hy, 17, 17, 211, 1, 17, 17);
    Piece(p, skin, vx - 17, hy, 17, 17, 251, 21, 17, 17);
    const int tl = 60;  // horizontal thumb length
    Piece(p, skin, L + 40, hy, 7, 17, 211, 41, 7, 17);
    Piece(p, skin, L + 40 + tl - 7, hy, 7, 17, 221, 41, 7, 17);
    Piece(p, skin, L + 47, hy, tl - 14, 17, 218, 41, 1, 17);
    Piece(p, skin, vx, T + 60, 17, 7, 211, 101, 17, 7);
    Piece(p, skin, vx, T + 60 + 40 - 7, 17, 7, 211, 111, 17, 7);
    Piece(p, skin, vx, T + 67, 17, 26, 211, 108, 17, 1);
    Piece(p, skin, L, T, 20, 20, active ? 48 : 2, 133, 20, 20);
    QFont f("DejaVu Sans", 9);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(L + 32, T, W - 40, h), Qt::AlignCenter, "Pocket 1 [3 pieces]");
}

}  // namespace

void GenPreview(ArtOut& out)
{
    const QImage skin(QString::fromStdString(out.Path("win-skin.tif")));
    const QImage table(QString::fromStdString(out.Path("wood2-1600.jpg")));
    const QImage glass(QString::fromStdString(out.Path("glass-skin.tif")));
    QImage img(720, 420, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    p.drawImage(0, 0, table);
    Pocket(p, skin, 20, 20, 260, 200, false);
    Pocket(p, skin, 120, 150, 240, 220, true);
    if (!glass.isNull()) {
        const int L = 420, T = 60, S = 260;
        const int hs = 93;
        p.drawImage(QRect(L, T, hs, hs), glass, QRect(0, 0, hs, hs));
        p.drawImage(QRect(L + S - hs, T, hs, hs), glass, QRect(96, 0, hs, hs));
        p.drawImage(QRect(L, T + S - hs, hs, hs), glass, QRect(0, 96, hs, hs));
        p.drawImage(QRect(L + S - hs, T + S - hs, hs, hs), glass, QRect(96, 96, hs, hs));
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(200, 200, 200), 2));
        p.setBrush(QColor(180, 140, 90));
        p.drawEllipse(QRect(L, T, S, S));
        p.drawImage(QRect(L + 16, T + 15, 14, 14), glass, QRect(196, 2, 14, 14));
        p.drawImage(QRect(L + S - 9 - 27, T + 8, 27, 27), glass, QRect(196, 25, 27, 27));
    }
    p.end();
    out.Png("preview.png", img);
}
