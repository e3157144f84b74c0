#include "field/field_win.h"

#include "field/backgrounds.h"
#include "field/tools.h"
#include "field/ui_codes.h"
#include "files/files.h"
#include "model/game_state.h"

#include <algorithm>
#include <cassert>
#include <cmath>

std::vector<std::unique_ptr<OMyWin>> arViewWins;
std::vector<OMyWin*> arSortedViewWins;
OMyWin* CaptureWin = nullptr;
ODragWinP DragWinP;
OMyImage miWinSkin;
double fUiScale = 1.0;

int UiPx(int points) { return int(std::lround(points * fUiScale)); }

void FieldWins_SetScale(double scale) { fUiScale = scale >= 1.0 ? scale : 1.0; }

TMyRect MyRectNone() { return vMyRectInitRB(-1, -1, -1, -1); }

namespace {

TMyRect EmptyRect() { return vMyRectEmpty(); }

// Source rectangles of the buttons in the window skin and the glass skin.
void InitFrameButtons(OMyWin& w)
{
    const int b = w.iBorderS, c = w.iCaptionS;
    for (size_t i = 0; i < w.arButtons.size(); ++i)
        w.arButtons[i].iButIndex = int(i);
    if (w.bType == kWinPocket || w.bType == kWinThumb) {
        OMyButton& cl = w.arButtons[kBtClose];
        cl.initCoords(1, MakeTPoint(2, 133), MakeTSize(20, 20), fUiScale);
        cl.setIndentLT(MakeTPoint(0, 0));
        cl.bOverAction = kActClose;
    }
    if (w.bType == kWinGlass) {
        OMyButton& cl = w.arButtons[kBtClose];
        cl.initCoords(0, MakeTPoint(196, 2), MakeTSize(14, 14), fUiScale);
        cl.setIndentLT(MakeTPoint((UiPx(46) - cl.BW) / 2, (UiPx(44) - cl.BH) / 2));
        cl.bOverAction = kActClose;
        OMyButton& z2 = w.arButtons[kBtZoom2];
        z2.initCoords(0, MakeTPoint(196, 25), MakeTSize(27, 27), fUiScale);
        z2.setIndentRT(MakeTPoint((UiPx(46) - z2.BW) / 2, (UiPx(44) - z2.BH) / 2));
        z2.bOverAction = kActZoom2;
        OMyButton& z3 = w.arButtons[kBtZoom3];
        z3.initCoords(0, MakeTPoint(196, 55), MakeTSize(27, 27), fUiScale);
        z3.mrIndent = z2.mrIndent;
        z3.bOverAction = kActZoom3;
    }
    if (!w.bEnableScrolling)
        return;
    struct Spec { int slot, sy, flags; uint8_t act; };
    const Spec specs[] = {{kBtHorLeft, 1, 0, kActPageLeft},  {kBtHorRight, 21, 0, kActPageRight},
                          {kBtHorThumb, 41, 2, kActHorThumb}, {kBtVerUp, 61, 0, kActPageUp},
                          {kBtVerDown, 81, 0, kActPageDown},  {kBtVerThumb, 101, 4, kActVerThumb}};
    for (const Spec& s : specs) {
        OMyButton& bt = w.arButtons[size_t(s.slot)];
        bt.initCoords(s.flags, MakeTPoint(211, s.sy), MakeTSize(kScrollBarS, kScrollBarS), fUiScale);
        bt.bOverAction = s.act;
    }
    w.arButtons[kBtHorLeft].setIndentLB(MakeTPoint(b, b));
    w.arButtons[kBtHorRight].setIndentRB(MakeTPoint(b + ScrollBarS(), b));
    w.arButtons[kBtVerUp].setIndentRT(MakeTPoint(b, b + c));
    w.arButtons[kBtVerDown].setIndentRB(MakeTPoint(b, b + ScrollBarS()));
}

int ClampLimit(int v, int lo, int hi)
{
    if (v < lo)
        v = lo;
    if (hi != 0 && v > hi)
        v = hi;
    return v;
}

}  // namespace

// ---- Construction ------------------------------------------------------------------------

OMyWin::OMyWin(const TMyRect& r, uint8_t type)
{
    bType = type;
    mrHorScroll = mrVerScroll = EmptyRect();
    mrScrollsCorner = mrResizeSq = mrCaptionDest = MyRectNone();
    for (auto& h : mrSrcHand)
        h = EmptyRect();
    for (auto& h : mrDestHand)
        h = EmptyRect();
    switch (type) {
    case kWinSide:
        bEnableScrolling = true;
        break;
    case kWinPocket:
        iBorderS = UiPx(4); iCaptionS = UiPx(18);
        bEnableScrolling = bEnableDragAndMove = bEnableDragAndResize = true;
        break;
    case kWinThumb:
        iBorderS = UiPx(4); iCaptionS = UiPx(18);
        bEnableDragAndMove = bEnableDragAndMoveClient = bEnableDragAndResize = bPropResize = true;
        break;
    default:
        bEnableDragAndMove = true;
        iHandS = UiPx(93);
        iHandMinOfs = UiPx(38);
        mrSrcHand = {vMyRectInitWH(0, 0, 93, 93), vMyRectInitWH(96, 0, 93, 93), vMyRectInitWH(0, 96, 93, 93),
                     vMyRectInitWH(96, 96, 93, 93)};
        break;
    }
    InitFrameButtons(*this);
    iWinClientDW = 2 * iBorderS;
    iWinClientDH = iCaptionS + 2 * iBorderS;
    mrWin = r;
    iMinClientW = iMinClientH = UiPx(bEnableScrolling ? 78 : 20);
    updateMinMaxWinSize();
    resizeNoClient();
}

// ---- Geometry ------------------------------------------------------------------------------

void OMyWin::updateMinMaxWinSize()
{
    iMinWinW = iMinClientW + iWinClientDW;
    iMinWinH = iMinClientH + iWinClientDH;
    iMaxWinW = iMaxClientW == 0 ? 0 : iMaxClientW + iWinClientDW;
    iMaxWinH = iMaxClientH == 0 ? 0 : iMaxClientH + iWinClientDH;
}

void OMyWin::resizeWithClient(bool bClient, TSize size)
{
    int cw = bClient ? size.cx : mrWin.W - iWinClientDW;
    int ch = bClient ? size.cy : mrWin.H - iWinClientDH;
    if (bPropResize && iMaxClientW > 0)
        ch = iMaxClientH * cw / iMaxClientW;
    cw = ClampLimit(cw, iMinClientW, iMaxClientW);
    ch = ClampLimit(ch, iMinClientH, iMaxClientH);
    applyClientSize(cw, ch);
}

void OMyWin::resizeNoClient() { resizeWithClient(false, ZeroTSize()); }

void OMyWin::resizeNoCheck() { applyClientSize(mrWin.W - iWinClientDW, mrWin.H - iWinClientDH); }

// Decides the bars for a client of cw x ch (the bars come out of it), sizes
// mrWin around it keeping the left-top corner, and lays the window out. A
// bar that appears or goes away starts its axis at the beginning.
void OMyWin::applyClientSize(int cw, int ch)
{
    const bool oldH = bHorScrollVisible, oldV = bVerScrollVisible;
    bool h = false, v = false;
    if (bEnableScrolling && iMaxScrollW != 0) {
        h = cw < iMaxScrollW;
        v = ch < iMaxScrollH;
    } else {
        iScrollL = iScrollT = 0;
    }
    if (v)
        cw -= ScrollBarS();
    if (h)
        ch -= ScrollBarS();
    bHorScrollVisible = h;
    bVerScrollVisible = v;
    MyRectChangeWH(mrWin, cw + iWinClientDW + (v ? ScrollBarS() : 0), ch + iWinClientDH + (h ? ScrollBarS() : 0));
    if (h != oldH)
        iScrollL = 0;
    if (v != oldV)
        iScrollT = 0;
    limitScroll();
    updateScrollButtonsVisible();
    move();
}

// Keeps the shown part inside the content. An axis without a bar shows all
// of its content and so scrolls by nothing; a position is never negative.
void OMyWin::limitScroll()
{
    const int cw = mrWin.W - iWinClientDW - (bVerScrollVisible ? ScrollBarS() : 0);
    const int ch = mrWin.H - iWinClientDH - (bHorScrollVisible ? ScrollBarS() : 0);
    if (iScrollL > 0 && iScrollL + cw > iMaxScrollW)
        iScrollL = iMaxScrollW - cw;
    if (iScrollT > 0 && iScrollT + ch > iMaxScrollH)
        iScrollT = iMaxScrollH - ch;
    if (!bHorScrollVisible || iScrollL < 0)
        iScrollL = 0;
    if (!bVerScrollVisible || iScrollT < 0)
        iScrollT = 0;
}

TSize OMyWin::calcPropSizeByClientSize(bool bClient, TSize size, bool bWChanged) const
{
    int w = size.cx, h = size.cy;
    if (!bClient) {
        w -= iWinClientDW;
        h -= iWinClientDH;
    }
    w = ClampLimit(w, iMinClientW, iMaxClientW);
    h = ClampLimit(h, iMinClientH, iMaxClientH);
    if (bPropResize && iMaxClientW > 0 && iMaxClientH > 0) {
        if (bWChanged)
            h = iMaxClientH * w / iMaxClientW;
        else
            w = iMaxClientW * h / iMaxClientH;
    }
    if (!bClient) {
        w += iWinClientDW;
        h += iWinClientDH;
    }
    return MakeTSize(w, h);
}

void OMyWin::placeHorThumb()
{
    OMyButton& th = arButtons[kBtHorThumb];
    if (!bHorScrollVisible || iMaxScrollW <= 0)
        return;
    const int len = std::max(UiPx(12), mrHorScroll.W * mrClient.W / iMaxScrollW);
    int left = mrHorScroll.L + iScrollL * mrHorScroll.W / iMaxScrollW;
    if (left + len > mrHorScroll.R + 1)
        left = mrHorScroll.R + 1 - len;
    th.MR = vMyRectInitWH(left, mrHorScroll.T, len, mrHorScroll.H);
}

void OMyWin::placeVerThumb()
{
    OMyButton& th = arButtons[kBtVerThumb];
    if (!bVerScrollVisible || iMaxScrollH <= 0)
        return;
    const int len = std::max(UiPx(12), mrVerScroll.H * mrClient.H / iMaxScrollH);
    int top = mrVerScroll.T + iScrollT * mrVerScroll.H / iMaxScrollH;
    if (top + len > mrVerScroll.B + 1)
        top = mrVerScroll.B + 1 - len;
    th.MR = vMyRectInitWH(mrVerScroll.L, top, mrVerScroll.W, len);
}

void OMyWin::move()
{
    const TMyRect& W = mrWin;
    const int b = iBorderS, c = iCaptionS;
    mrClient = vMyRectInitRB(W.L + b, W.T + b + c, W.R - b - (bVerScrollVisible ? ScrollBarS() : 0),
                             W.B - b - (bHorScrollVisible ? ScrollBarS() : 0));
    if (c > 0) {
        OMyButton& cl = arButtons[kBtClose];
        mrCaptionDest = vMyRectInitRB(W.L + b + cl.BW + UiPx(8), W.T, W.R - b - UiPx(7), W.T + b + c - 1);
        cl.updateCoords(W);
    } else {
        mrCaptionDest = MyRectNone();
    }
    if (bHorScrollVisible) {
        OMyButton& l = arButtons[kBtHorLeft];
        OMyButton& r = arButtons[kBtHorRight];
        l.updateCoords(W);
        r.updateCoords(W);
        mrHorScroll = vMyRectInitRB(l.MR.R + 1, l.MR.T, r.MR.L - 1, l.MR.B);
        placeHorThumb();
    } else {
        for (int s : {kBtHorLeft, kBtHorRight, kBtHorThumb})
            MyRectSetEmpty(arButtons[size_t(s)].MR);
        MyRectSetEmpty(mrHorScroll);
    }
    if (bVerScrollVisible) {
        OMyButton& u = arButtons[kBtVerUp];
        OMyButton& d = arButtons[kBtVerDown];
        u.updateCoords(W);
        d.updateCoords(W);
        mrVerScroll = vMyRectInitRB(u.MR.L, u.MR.B + 1, u.MR.R, d.MR.T - 1);
        placeVerThumb();
    } else {
        for (int s : {kBtVerUp, kBtVerDown, kBtVerThumb})
            MyRectSetEmpty(arButtons[size_t(s)].MR);
        MyRectSetEmpty(mrVerScroll);
    }
    if (bHorScrollVisible || bVerScrollVisible)
        mrScrollsCorner = vMyRectInitWH(W.R - b - ScrollBarS() + 1, W.B - b - ScrollBarS() + 1, ScrollBarS(), ScrollBarS());
    else
        mrScrollsCorner = MyRectNone();
    mrResizeSq = bEnableDragAndResize ? vMyRectInitRB(W.R - b - ScrollBarS() + 1, W.B - b - ScrollBarS() + 1, W.R, W.B)
                                      : MyRectNone();
    if (bType == kWinGlass) {
        const int s = iHandS;
        mrDestHand = {vMyRectInitWH(W.L, W.T, s, s), vMyRectInitWH(W.R - s + 1, W.T, s, s),
                      vMyRectInitWH(W.L, W.B - s + 1, s, s), vMyRectInitWH(W.R - s + 1, W.B - s + 1, s, s)};
        for (int bt : {kBtClose, kBtZoom2, kBtZoom3})
            arButtons[size_t(bt)].updateCoords(W);
        mrResizeSq = vMyRectInitWH(W.R - UiPx(25), W.B - UiPx(24), UiPx(21), UiPx(21));
    }
}

void OMyWin::changeLT(TPoint p) { MyRectChangeLT(mrWin, p.x, p.y); }

void OMyWin::copyBoundsFrom(const OMyWin& o)
{
    mrWin = o.mrWin;
    mrClient = o.mrClient;
    iMinClientW = o.iMinClientW; iMinClientH = o.iMinClientH;
    iMaxClientW = o.iMaxClientW; iMaxClientH = o.iMaxClientH;
    iMinWinW = o.iMinWinW; iMinWinH = o.iMinWinH;
    iMaxWinW = o.iMaxWinW; iMaxWinH = o.iMaxWinH;
    iWinClientDW = o.iWinClientDW; iWinClientDH = o.iWinClientDH;
    iScrollL = o.iScrollL; iScrollT = o.iScrollT;
    iMaxScrollW = o.iMaxScrollW; iMaxScrollH = o.iMaxScrollH;
    mrHorScroll = o.mrHorScroll; mrVerScroll = o.mrVerScroll;
    mrScrollsCorner = o.mrScrollsCorner; mrResizeSq = o.mrResizeSq; mrCaptionDest = o.mrCaptionDest;
    bHorScrollVisible = o.bHorScrollVisible;
    bVerScrollVisible = o.bVerScrollVisible;
    for (size_t i = 0; i < arButtons.size(); ++i)
        arButtons[i].copyBoundsFrom(o.arButtons[i]);
}

void OMyWin::moveToFront()
{
    auto it = std::find(arSortedViewWins.begin(), arSortedViewWins.end(), this);
    if (it == arSortedViewWins.end() || it - arSortedViewWins.begin() < 2)
        return;
    arSortedViewWins.erase(it);
    arSortedViewWins.push_back(this);
    for (size_t i = 0; i < arSortedViewWins.size(); ++i)
        arSortedViewWins[i]->Z = int(i);
    SetCaptureWin(this);
}

void OMyWin::setVisible(bool show)
{
    const bool was = bVisible;
    bVisible = show;
    if (!show)
        bActive = false;
    if (was && !show)
        SetCaptureWin(RetWinForBkgCur());
}

void OMyWin::updateScrollButtonsVisible()
{
    if (!bEnableScrolling)
        return;
    for (int s : {kBtHorLeft, kBtHorRight, kBtHorThumb})
        arButtons[size_t(s)].bVisible = bHorScrollVisible;
    for (int s : {kBtVerUp, kBtVerDown, kBtVerThumb})
        arButtons[size_t(s)].bVisible = bVerScrollVisible;
}

// ---- Hit testing ------------------------------------------------------------------------------

bool OMyWin::hasMouseOnFrame(TPoint p) const
{
    if (bType != kWinGlass)
        return MyRectIsCoordsIn(p.x, p.y, mrWin) && !MyRectIsCoordsIn(p.x, p.y, mrClient);
    int x = p.x, y = p.y;
    if (GlassP.IfMouseUnderGlass(x, y, false))
        return false;
    const OMyImage& skin = GlassP.miSkin;
    for (size_t i = 0; i < 4; ++i) {
        const TMyRect& d = mrDestHand[i];
        if (!MyRectIsCoordsIn(p.x, p.y, d))
            continue;
        // The hands are drawn scaled from the skin: back to skin pixels.
        const TMyRect& src = mrSrcHand[i];
        const int sx = src.L + (p.x - d.L) * src.W / std::max(1, d.W);
        const int sy = src.T + (p.y - d.T) * src.H / std::max(1, d.H);
        if (skin.HasPixels() && skin.bAlpha && MyImageGetPixelAlpha(skin, sx, sy) > 200)
            return true;
    }
    return false;
}

void OMyWin::clearHightlightStatus()
{
    curButton = nullptr;
    for (OMyButton& b : arButtons)
        b.bHigh = b.bDown = false;
}

void OMyWin::setButtonsActiveStatus(bool active)
{
    for (OMyButton& b : arButtons)
        b.bActive = active;
}

uint8_t OMyWin::updateOverActionWithMousePos(TPoint p, bool bDown)
{
    clearHightlightStatus();
    if (!bVisible || !MyRectIsCoordsIn(p.x, p.y, mrWin))
        return 0;
    const bool inGrip = bEnableDragAndResize && MyRectIsCoordsIn(p.x, p.y, mrResizeSq);
    if (bType != kWinGlass && MyRectIsCoordsIn(p.x, p.y, mrClient) && !inGrip)
        return 0;
    uint8_t code = 0;
    if (inGrip)
        code = kActResize;
    if (bType == kWinGlass && MyRectIsCoordsIn(p.x, p.y, mrResizeSq) &&
        (p.x - mrResizeSq.L) + (p.y - mrResizeSq.T) >= mrResizeSq.W)
        code = kActResize;
    if (bType == kWinSide && MyRectIsCoordsIn(p.x, p.y, mrScrollsCorner))
        code = kActResize;
    if (code != 0)
        return code;
    const OMyButton& ht = arButtons[kBtHorThumb];
    if (bHorScrollVisible && ht.bVisible && MyRectIsCoordsIn(p.x, p.y, mrHorScroll)) {
        if (p.x > ht.MR.R)
            return kActPageRight;
        if (p.x < ht.MR.L)
            return kActPageLeft;
    }
    const OMyButton& vt = arButtons[kBtVerThumb];
    if (bVerScrollVisible && vt.bVisible && MyRectIsCoordsIn(p.x, p.y, mrVerScroll)) {
        if (p.y < vt.MR.T)
            return kActPageUp;
        if (p.y > vt.MR.B)
            return kActPageDown;
    }
    for (OMyButton& b : arButtons) {
        if (b.isCoordsIn(p)) {
            b.bHigh = true;
            b.bDown = bDown;
            curButton = &b;
            return b.bOverAction;
        }
    }
    return 0;
}

bool OMyWin::isMouseOnScrollControls(TPoint p) const
{
    if (!bVisible)
        return false;
    if (bHorScrollVisible && (MyRectIsCoordsIn(p.x, p.y, mrHorScroll) || arButtons[kBtHorLeft].isCoordsIn(p) ||
                              arButtons[kBtHorRight].isCoordsIn(p)))
        return true;
    if (bVerScrollVisible && (MyRectIsCoordsIn(p.x, p.y, mrVerScroll) || arButtons[kBtVerUp].isCoordsIn(p) ||
                              arButtons[kBtVerDown].isCoordsIn(p)))
        return true;
    return (bHorScrollVisible || bVerScrollVisible) && MyRectIsCoordsIn(p.x, p.y, mrScrollsCorner);
}

// ---- Scrolling ---------------------------------------------------------------------------------

void OMyWin::scroll(TPoint p)
{
    const int pageW = iMaxScrollW / 10, pageH = iMaxScrollH / 10;
    auto limitL = [&] {
        if (iScrollL + mrClient.W > iMaxScrollW)
            iScrollL = iMaxScrollW - mrClient.W;
    };
    auto limitT = [&] {
        if (iScrollT + mrClient.H > iMaxScrollH)
            iScrollT = iMaxScrollH - mrClient.H;
    };
    auto dragHor = [&](int x) {
        OMyButton& th = arButtons[kBtHorThumb];
        x = std::max(x, mrHorScroll.L);
        x = std::min(x, mrHorScroll.R + 1 - th.MR.W);
        MyRectChangeLT(th.MR, x, th.MR.T);
        iScrollL = mrHorScroll.W > 0 ? iMaxScrollW * (x - mrHorScroll.L) / mrHorScroll.W : 0;
        if (iScrollL > 0)
            limitL();
    };
    auto dragVer = [&](int y) {
        OMyButton& th = arButtons[kBtVerThumb];
        y = std::max(y, mrVerScroll.T);
        y = std::min(y, mrVerScroll.B + 1 - th.MR.H);
        MyRectChangeLT(th.MR, th.MR.L, y);
        iScrollT = mrVerScroll.H > 0 ? iMaxScrollH * (y - mrVerScroll.T) / mrVerScroll.H : 0;
        if (iScrollT > 0)
            limitT();
    };
    switch (DragWinP.bDragAction) {
    case kActPageLeft: iScrollL = std::max(0, iScrollL - pageW); placeHorThumb(); break;
    case kActPageRight: iScrollL += pageW; limitL(); placeHorThumb(); break;
    case kActPageUp: iScrollT = std::max(0, iScrollT - pageH); placeVerThumb(); break;
    case kActPageDown: iScrollT += pageH; limitT(); placeVerThumb(); break;
    case kActHorThumb: dragHor(p.x); break;
    case kActVerThumb: dragVer(p.y); break;
    case kActHandScroll:
        if (bHorScrollVisible)
            dragHor(p.x);
        if (bVerScrollVisible)
            dragVer(p.y);
        break;
    default: break;
    }
}

bool OMyWin::scrollBy(int dx, int dy)
{
    const int l = iScrollL, t = iScrollT;
    if (bHorScrollVisible && dx != 0) {
        iScrollL = std::clamp(iScrollL + dx, 0, std::max(0, iMaxScrollW - mrClient.W));
        placeHorThumb();
    }
    if (bVerScrollVisible && dy != 0) {
        iScrollT = std::clamp(iScrollT + dy, 0, std::max(0, iMaxScrollH - mrClient.H));
        placeVerThumb();
    }
    return iScrollL != l || iScrollT != t;
}

// ---- Captions ------------------------------------------------------------------------------------

void OMyWin::setCaption(const std::string& text)
{
    freeCaption();
    sCaption = text;
    miCaption = MyImageCreateText(text, UiPx(kCaptionFontPx));
}

void OMyWin::freeCaption()
{
    sCaption.clear();
    miCaption = OMyImage{};
}

void OMyWin::setMenuCaption(const std::string& text) { sMenuCaption = text; }
void OMyWin::freeMenuCaption() { sMenuCaption.clear(); }

// ---- The list ------------------------------------------------------------------------------------

OMyWin* GetViewWin(int i)
{
    return i >= 0 && size_t(i) < arViewWins.size() ? arViewWins[size_t(i)].get() : nullptr;
}

OMyWin* GetSortedViewWin(int i)
{
    return i >= 0 && size_t(i) < arSortedViewWins.size() ? arSortedViewWins[size_t(i)] : nullptr;
}

void ViewWins_Create()
{
    ViewWins_Free();
    auto add = [](const TMyRect& r, uint8_t type) {
        arViewWins.push_back(std::make_unique<OMyWin>(r, type));
        OMyWin* w = arViewWins.back().get();
        w->bIndex = uint8_t(arViewWins.size() - 1);
        arSortedViewWins.push_back(w);
        return w;
    };
    for (int s = 0; s < 2; ++s) {
        OMyWin* w = add(vMyRectInitWH(0, 0, 100, 100), kWinSide);
        w->setMenuCaption(s == 0 ? "First Side" : "Second Side");
        w->bVisible = true;
        w->MenuItem = kMenuGameSide0 + s;
        w->ToolbarButton = kTbSide0 + s;
    }
    for (int k = 0; k < 4; ++k) {
        OMyWin* w = add(vMyRectInitWH(k * 50, k * 50, 100, 100), kWinPocket);
        w->setMenuCaption(StrFormat("Pocket %d", k + 1));
        w->MenuItem = kMenuPocketsPocket0 + k;
        w->ToolbarButton = kTbPocket0 + k;
    }
    add(vMyRectInitWH(0, 0, 100, 100), kWinThumb);
    ThumbUpdateCaption();
    for (int i = 0; i < 6; ++i) {
        OMyWin* w = arViewWins[size_t(i)].get();
        w->bDrawBkgColor = true;
        w->lBkgColor = kDefaultBkgColor;
        IntToRGB(uint32_t(w->lBkgColor), &w->rgbBkgColor[0], &w->rgbBkgColor[1], &w->rgbBkgColor[2]);
        w->iJigsNum = 0;
    }
    for (size_t i = 0; i < arSortedViewWins.size(); ++i)
        arSortedViewWins[i]->Z = int(i);
}

void ViewWins_Free()
{
    CaptureWin = nullptr;
    DragWinP.clear();
    arSortedViewWins.clear();
    arViewWins.clear();
}

void SetCaptureWin(OMyWin* win)
{
    for (auto& w : arViewWins) {
        w->bActive = false;
        w->setButtonsActiveStatus(false);
    }
    if (GlassP.win) {
        GlassP.win->bActive = false;
        GlassP.win->setButtonsActiveStatus(false);
    }
    CaptureWin = win;
    if (win) {
        win->bActive = true;
        win->setButtonsActiveStatus(true);
        UpdateMenuBkgCur();
    }
}

void ThumbUpdateCaption()
{
    if (OMyWin* t = GetViewWin(kThumbWin))
        t->setCaption(LangGetKeyVal("WC_Thumb"));
}

void FieldWins_Reset()
{
    ViewWins_Free();
    miWinSkin = OMyImage{};
    fUiScale = 1.0;
}
