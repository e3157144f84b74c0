// Drawing of the field windows' frames, the caption texts and the skin.
#include "field/field_win.h"

#include "base/my_image_qt.h"
#include "field/backgrounds.h"
#include "field/field_gl.h"
#include "field/tools.h"
#include "platform/platform.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

// ---- The window skin (win-skin.tif): legend ------------------------------------------------
// Every rectangle below is (x, y, w, h) in skin pixels, one pixel per point, x
// to the right and y down from the skin's top-left corner. The same places
// serve the artwork and the stand-in drawn when it is missing.
//
//   Two frame columns, 100 wide, at x0 = 1 (inactive window) or 103 (active):
//     (x0, 1, 100, 22)    caption bar: left end x0..x0+5, middle tile x0+6..x0+11
//                         (stretched), right end x0+94..x0+99
//     (x0, 23, 4, 5)      the top of a side border, just under the caption
//     (x0, 31, 4, 50)     left border tile (stretched); the right one at x0 + 96
//     (x0, 97, 100, 4)    bottom border: corners x0..x0+9 and x0+90..x0+99,
//                         middle tile x0+10..x0+59 (stretched)
//   Scroll bars:
//     (276, 1, 17, 17)    the square where the two bars meet
//     (276, 22, 17, 3)    vertical track tile
//     (297, 1, 3, 17)     horizontal track tile
//   Buttons (OMyButton: its states side by side, w + 3 apart; field_win.cpp
//   places them):
//     (2, 133, 20, 20)    close: normal, high, active, active high, down
//     (211, 1 + 20k, 17, 17), k = 0..5
//                         left, right, horizontal thumb, up, down, vertical
//                         thumb: normal, high, down
// The glass has a skin of its own (glass.cpp): close and zoom buttons at x 196.
constexpr int kSkinColInactive = 1, kSkinColActive = 103;  // x0 of the two frame columns

namespace {

void Skin(const OMyImage& skin, int x, int y, int w, int h, int sx, int sy, int sw, int sh)
{
    if (w > 0 && h > 0)
        MyImageDrawTexture(skin, x, y, w, h, sx, sy, sw, sh);
}

// The skin holds a frame at one pixel per point: its caption bar is 22
// pixels high, its border 4 wide. On screen each is UiPx of that.
constexpr int kSkinBorderS = 4, kSkinCaptionH = 4 + 18;

void DrawCaptionBar(const OMyWin& w, int x0)
{
    const TMyRect& W = w.mrWin;
    const int h = w.iBorderS + w.iCaptionS, sh = kSkinCaptionH, end = UiPx(6);
    Skin(miWinSkin, W.L, W.T, end, h, x0, 1, 6, sh);
    Skin(miWinSkin, W.R - end + 1, W.T, end, h, x0 + 94, 1, 6, sh);
    Skin(miWinSkin, W.L + end, W.T, W.W - 2 * end, h, x0 + 6, 1, 6, sh);
    const TMyRect& d = w.mrCaptionDest;
    const int cw = std::min(d.W, w.miCaption.W), ch = std::min(d.H, w.miCaption.H);
    if (cw >= 1 && ch >= 1) {
        const int x = std::max(W.L + (W.W - cw) / 2, d.L);
        const int y = d.T + (d.H - ch) / 2;
        MyImageDrawTexture(w.miCaption, x, y, cw, ch, 0, 0, cw, ch);
    }
}

void DrawBorder(const OMyWin& w, int x0)
{
    const TMyRect& W = w.mrWin;
    const int b = w.iBorderS, c = w.iCaptionS, h = b + c, sb = kSkinBorderS;
    const int y = W.B - b + 1, corner = UiPx(10);
    Skin(miWinSkin, W.L + corner, y, W.W - 2 * corner, b, x0 + 10, 97, 50, sb);
    Skin(miWinSkin, W.L, y, corner, b, x0, 97, 10, sb);
    Skin(miWinSkin, W.R - corner + 1, y, corner, b, x0 + 90, 97, 10, sb);
    for (int side = 0; side < 2; ++side) {
        const int x = side == 0 ? W.L : W.R - b + 1;
        const int sx = side == 0 ? x0 : x0 + 96;
        Skin(miWinSkin, x, W.T + h, b, W.H - c - 2 * b, sx, 31, sb, 50);
        Skin(miWinSkin, x, W.T + h, b, UiPx(5), sx, 23, sb, 5);
    }
}

void DrawClientBackground(const OMyWin& w)
{
    const TMyRect& c = w.mrClient;
    const RENDER_BUF& pic = BkgP.rbBkgPic;
    if (IsPicBkg(w.lBkgColor) && pic.fbo != 0) {
        // The table scrolls with the content: the client shows the picture
        // from the scroll position on; beyond the picture, the plain grey.
        const int sw = std::clamp(pic.W - w.iScrollL, 0, c.W), sh = std::clamp(pic.H - w.iScrollT, 0, c.H);
        if (sw < c.W || sh < c.H)
            GLFillRect(c.L, c.T, c.W, c.H, 152, 152, 152);
        RenderBufBlitToTarget(pic, std::max(0, w.iScrollL), std::max(0, w.iScrollT), c.L, c.T, sw, sh);
        return;
    }
    GLFillRect(c.L, c.T, c.W, c.H, w.rgbBkgColor[0], w.rgbBkgColor[1], w.rgbBkgColor[2]);
}

}  // namespace

void OMyWin::draw(bool bkgDone)
{
    const int x0 = bActive ? kSkinColActive : kSkinColInactive;
    if (iCaptionS > 0)
        DrawCaptionBar(*this, x0);
    if (iBorderS > 0)
        DrawBorder(*this, x0);
    const int bar = kScrollBarS;  // the tracks' thickness in the skin
    if (bVerScrollVisible)
        Skin(miWinSkin, mrVerScroll.L, mrVerScroll.T, mrVerScroll.W, mrVerScroll.H, 276, 22, bar, 3);
    if (bHorScrollVisible)
        Skin(miWinSkin, mrHorScroll.L, mrHorScroll.T, mrHorScroll.W, mrHorScroll.H, 297, 1, 3, bar);
    if (bHorScrollVisible || bVerScrollVisible)
        Skin(miWinSkin, mrScrollsCorner.L, mrScrollsCorner.T, mrScrollsCorner.W, mrScrollsCorner.H, 276, 1, bar, bar);
    if (bDrawBkgColor && !bkgDone)
        DrawClientBackground(*this);
    const OMyImage& skin = bType == kWinGlass ? GlassP.miSkin : miWinSkin;
    if (bType == kWinGlass) {
        for (size_t i = 0; i < 4; ++i)
            Skin(skin, mrDestHand[i].L, mrDestHand[i].T, mrDestHand[i].W, mrDestHand[i].H, mrSrcHand[i].L,
                 mrSrcHand[i].T, mrSrcHand[i].W, mrSrcHand[i].H);
    }
    for (const OMyButton& b : arButtons)
        b.draw(skin);
}

// ---- Text -------------------------------------------------------------------------------------------

OMyImage MyImageCreateText(const std::string& text, int pixelSize, bool bold)
{
    OMyImage out;
    if (text.empty() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return out;
    QFont font = QGuiApplication::font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    const QString s = QString::fromStdString(text);
    const QFontMetrics fm(font);
    const int w = std::max(1, fm.horizontalAdvance(s)), h = std::max(1, fm.height());
    QImage img(w, h, QImage::Format_RGBA8888);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, w, h), Qt::AlignLeft | Qt::AlignVCenter, s);
    }
    OMyImagePtr mi = MyImageFromQImage(img.convertToFormat(QImage::Format_RGBA8888), false);
    if (!mi)
        return out;
    out = std::move(*mi);
    MyImageCreateTexture(out, false, TexFilter::Nearest);
    return out;
}

// ---- The skin ----------------------------------------------------------------------------------------

namespace {

// A plain skin with every piece at its place, for when the artwork is missing.
QImage DrawStandInSkin()
{
    QImage img(300, 160, QImage::Format_RGBA8888);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (int col = 0; col < 2; ++col) {
        const int x0 = col == 0 ? kSkinColInactive : kSkinColActive;
        QLinearGradient g(0, 1, 0, 23);
        g.setColorAt(0, col == 0 ? QColor(120, 120, 126) : QColor(92, 130, 190));
        g.setColorAt(1, col == 0 ? QColor(80, 80, 86) : QColor(44, 78, 140));
        p.fillRect(QRect(x0, 1, 100, 22), g);
        const QColor edge = col == 0 ? QColor(80, 80, 86) : QColor(44, 78, 140);
        p.fillRect(QRect(x0, 23, 100, 78), edge);
    }
    p.fillRect(QRect(276, 1, 17, 17), QColor(200, 200, 204));
    p.fillRect(QRect(276, 22, 17, 3), QColor(214, 214, 218));
    p.fillRect(QRect(297, 1, 3, 17), QColor(214, 214, 218));
    auto button = [&](int x, int y, int w, int h, QColor face) {
        p.setPen(QColor(90, 90, 96));
        p.setBrush(face);
        p.drawRoundedRect(QRectF(x + 0.5, y + 0.5, w - 1, h - 1), 3, 3);
    };
    for (int n = 0; n < 5; ++n) {  // close: normal, high, active, active high, down
        const QColor face = n == 4 ? QColor(150, 40, 40) : (n % 2 ? QColor(230, 90, 80) : QColor(200, 70, 60));
        button(2 + n * 23, 133, 20, 20, face);
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(2 + n * 23 + 6, 139, 2 + n * 23 + 13, 146);
        p.drawLine(2 + n * 23 + 13, 139, 2 + n * 23 + 6, 146);
    }
    for (int row = 0; row < 6; ++row) {
        for (int n = 0; n < 3; ++n) {
            const int x = 211 + n * 20, y = 1 + row * 20;
            button(x, y, 17, 17, n == 0 ? QColor(232, 232, 236) : (n == 1 ? QColor(250, 250, 252) : QColor(180, 180, 186)));
            if (row == 2 || row == 5)
                continue;  // thumbs: no arrow
            QPainterPath tri;
            const double cx = x + 8.5, cy = y + 8.5;
            const double d[4][6] = {{-2, 0, 2, -3, 2, 3}, {2, 0, -2, -3, -2, 3}, {0, 0, 0, 0, 0, 0},
                                    {0, -2, -3, 2, 3, 2}};
            const int k = row == 0 ? 0 : row == 1 ? 1 : row == 3 ? 3 : 4;
            if (k == 4) {
                tri.moveTo(cx, cy + 2); tri.lineTo(cx - 3, cy - 2); tri.lineTo(cx + 3, cy - 2);
            } else {
                tri.moveTo(cx + d[k][0], cy + d[k][1]); tri.lineTo(cx + d[k][2], cy + d[k][3]);
                tri.lineTo(cx + d[k][4], cy + d[k][5]);
            }
            tri.closeSubpath();
            p.fillPath(tri, QColor(60, 60, 66));
        }
    }
    return img;
}

}  // namespace

void LoadWinSkin(const std::string& resourceDir)
{
    std::string error;
    OMyImagePtr img = MyImageCreateFromFile(resourceDir + "/win-skin.tif", true, &error);
    if (!img) {
        Platform().Log("win-skin.tif: " + error + "; drawing frames with a plain stand-in");
        img = MyImageFromQImage(DrawStandInSkin(), false);
    }
    if (!img)
        return;
    miWinSkin = std::move(*img);
    MyImageCreateTexture(miWinSkin, false, TexFilter::Nearest);
}
