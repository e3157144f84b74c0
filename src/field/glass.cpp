// The magnifying glass and the star, and the tool pictures they are drawn from.
#include "field/tools.h"

#include "base/my_image_qt.h"
#include "field/compose.h"
#include "platform/platform.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

OGlassP GlassP;
OStarP StarP;

namespace {

// Stand-ins drawn when a picture is missing: enough shape to see and to hit.
QImage DrawStandIn(const std::string& name, int w, int h)
{
    QImage img(w, h, QImage::Format_RGBA8888);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    if (name == "glass-skin.tif") {
        const int hands[4][2] = {{0, 0}, {96, 0}, {0, 96}, {96, 96}};
        for (int i = 0; i < 4; ++i) {
            p.setBrush(QColor(150, 120, 60));
            p.drawEllipse(QRectF(hands[i][0] + (i % 2 ? 40 : 0), hands[i][1] + (i / 2 ? 40 : 0), 53, 53));
        }
        p.setBrush(QColor(200, 200, 200));
        for (int n = 0; n < 3; ++n) {
            p.drawEllipse(QRectF(196 + n * 17, 2, 14, 14));
            p.drawEllipse(QRectF(196 + n * 30, 25, 27, 27));
            p.drawEllipse(QRectF(196 + n * 30, 55, 27, 27));
        }
    } else if (name == "star.tif") {
        for (int f = 0; f < 6; ++f) {
            const double r = 3 + 2.0 * (f < 3 ? f : 5 - f);
            const double cx = f * kStarStep + 11.5, cy = 11.5;
            QPainterPath star;
            star.moveTo(cx, cy - r * 2);
            star.lineTo(cx + r / 2, cy - r / 2);
            star.lineTo(cx + r * 2, cy);
            star.lineTo(cx + r / 2, cy + r / 2);
            star.lineTo(cx, cy + r * 2);
            star.lineTo(cx - r / 2, cy + r / 2);
            star.lineTo(cx - r * 2, cy);
            star.lineTo(cx - r / 2, cy - r / 2);
            star.closeSubpath();
            p.fillPath(star, QColor(255, 240, 140));
        }
    } else {
        p.setBrush(QColor(70, 70, 76));
        p.drawRoundedRect(QRectF(2, h * 0.3, w - 4, h * 0.7 - 1), 5, 5);
        p.setBrush(QColor(120, 120, 126));
        p.drawEllipse(QRectF(w / 2.0 - 7, 1, 14, h * 0.35));
    }
    return img;
}

}  // namespace

OMyImage LoadToolPicture(const std::string& resourceDir, const std::string& name, int standInW, int standInH)
{
    std::string error;
    OMyImagePtr img = MyImageCreateFromFile(resourceDir + "/" + name, true, &error);
    if (!img) {
        Platform().Log(name + ": " + error + "; using a drawn stand-in");
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            img = MyImageFromQImage(DrawStandIn(name, standInW, standInH), false);
        else
            img = MyImageCreate(standInW, standInH);
    }
    return img ? std::move(*img) : OMyImage{};
}

// ---- Glass ---------------------------------------------------------------------------------

OMyImage MakeLensMask()
{
    OMyImagePtr img = MyImageCreate(kLensS, kLensS);
    for (int y = 0; y < kLensS; ++y) {
        uint8_t* p = MyImageGetLineXY(*img, 0, y);
        for (int x = 0; x < kLensS; ++x, p += 4) {
            const int dx = 240 - x, dy = 240 - y, d = dx * dx + dy * dy;
            uint8_t v, a;
            if (d >= 58081) {
                v = 0; a = 0;
            } else if (d >= 57600 || x == kLensS - 1 || y == kLensS - 1) {
                v = x + y < kLensS ? 200 : 100; a = 255;  // lit upper-left, shaded lower-right rim
            } else {
                v = 255; a = 255;
            }
            p[0] = p[1] = p[2] = v;
            p[3] = a;
        }
    }
    return std::move(*img);
}

void OGlassP::init(const std::string& resourceDir)
{
    miSkin = LoadToolPicture(resourceDir, "glass-skin.tif", 290, 190);
    MyImageCreateTexture(miSkin, false, TexFilter::Nearest);
    // The lens, its hands and buttons are UiPx of their size in the skin.
    win = std::make_unique<OMyWin>(vMyRectInitWH(0, 0, UiPx(240), UiPx(240)), kWinGlass);
    win->bVisible = false;
    win->sCaption = "Glass";  // the glass has no caption bar: never drawn
    win->iMinClientW = win->iMinClientH = UiPx(240);
    win->iMaxClientW = win->iMaxClientH = UiPx(kLensS);
    win->updateMinMaxWinSize();
    win->resizeNoClient();
    updateAxes();
    setZoom(2);
}

bool OGlassP::makeLens()
{
    // Made when the glass is first drawn: a glass never shown costs nothing.
    if (rb.fbo != 0 && miCircle.Texture != 0)
        return true;
    GLBatch_Flush();
    if (!RenderBufCreate(rb, UiPx(kLensS), UiPx(kLensS)))
        return false;
    miCircle = MakeLensMask();
    MyImageCreateTexture(miCircle, false, TexFilter::Linear);
    MyImageDropPixels(miCircle);  // lives on as its texture
    return miCircle.Texture != 0;
}

void OGlassP::updateAxes()
{
    if (!win)
        return;
    dAxisX = win->mrClient.W / 2;
    dAxisY = win->mrClient.H / 2;
}

void OGlassP::setZoom(int zoom)
{
    iZoom = zoom == 3 ? 3 : 2;
    if (!win)
        return;
    win->mbZoom2().bVisible = iZoom == 2;
    win->mbZoom3().bVisible = iZoom == 3;
}

bool OGlassP::IfMouseUnderGlass(int& x, int& y, bool bConvert) const
{
    if (!win || !win->bVisible || dAxisX <= 0 || dAxisY <= 0)
        return false;
    const TMyRect& c = win->mrClient;
    if (!MyRectIsCoordsIn(x, y, c))
        return false;
    const double dx = x - c.L - dAxisX, dy = y - c.T - dAxisY;
    if (dx * dx / (dAxisX * dAxisX) + dy * dy / (dAxisY * dAxisY) > 1.0)
        return false;
    if (bConvert) {
        const int hw = c.W / 2, hh = c.H / 2;
        x = c.L + hw - hw / iZoom + (x - c.L) / iZoom;
        y = c.T + hh - hh / iZoom + (y - c.T) / iZoom;
    }
    return true;
}

void OGlassP::draw(int viewW, int viewH)
{
    if (!win || !win->bVisible || rbScr.fbo == 0 || !makeLens())
        return;
    const TMyRect& c = win->mrClient;
    // The field shown: hw / iZoom either side of the client's centre, so that
    // lens pixel u shows field point centre - hw / iZoom + u / iZoom.
    const int hw = c.W / 2, hh = c.H / 2;
    const int sx = c.L + hw - hw / iZoom, sy = c.T + hh - hh / iZoom;
    int sw = c.W / iZoom, sh = c.H / iZoom;
    if (sw * iZoom < c.W)
        ++sw;
    if (sh * iZoom < c.H)
        ++sh;
    BeginBufTarget(rb);
    GLFillRect(0, 0, c.W, c.H, 0, 0, 0);
    RenderBufDraw(rbScr, 0, 0, sw * iZoom, sh * iZoom, sx, sy, sw, sh);
    const float white[4] = {1, 1, 1, 1};
    GLBatch_Quad(miCircle.Texture, QuadMode::Multiply, white, 0, 0, float(c.W), float(c.H), 0, 0, kLensS, kLensS);
    BeginViewTarget(viewW, viewH);
    win->draw();
    const int w = std::min(c.W, viewW - c.L);
    if (w > 0)
        RenderBufDraw(rb, c.L, c.T, w, c.H, 0, 0, w, c.H);
    GLBatch_Flush();
}

// ---- Star ----------------------------------------------------------------------------------

void OStarP::init(const std::string& resourceDir)
{
    miStar = LoadToolPicture(resourceDir, "star.tif", 6 * kStarStep, kStarS);
    MyImageCreateTexture(miStar, false, TexFilter::Nearest);
    iPhase = kStarIdle;
}

void OStarP::setAt(TPoint p, int scr)
{
    iPhase = 0;
    pDest = p;
    bScr = uint8_t(scr);
    tNextRedraw = GetNow() + 0.05;
}

void OStarP::update()
{
    if (running() && GetNow() > tNextRedraw && RedrawP == kRedrawNone)
        RedrawP = kRedrawOverlay;
}

void OStarP::draw()
{
    if (!running())
        return;
    const OMyWin* w = GetViewWin(bScr);
    int x = pDest.x, y = pDest.y, cw = kStarS, ch = kStarS, sx = iPhase * kStarStep, sy = 0;
    if (!w || !w->bVisible || !CalcDrawOnWinCoords(*w, x, y, cw, ch, sx, sy)) {
        iPhase = kStarIdle;
        return;
    }
    if (iPhase <= 4)
        MyImageDrawTexture(miStar, x, y, cw, ch, sx, sy, cw, ch);
    const double now = GetNow();
    if (now > tNextRedraw) {
        ++iPhase;
        tNextRedraw = now + 0.05;
        if (iPhase >= 6)
            iPhase = kStarIdle;
    }
}
