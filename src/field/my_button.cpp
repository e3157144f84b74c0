#include "field/my_button.h"

#include "field/field_gl.h"

#include <algorithm>
#include <cmath>

void OMyButton::initCoords(int flags, TPoint src, TSize size, double scale)
{
    BW = int(std::lround(size.cx * scale));
    BH = int(std::lround(size.cy * scale));
    MR = vMyRectInitWH(0, 0, BW, BH);
    bHasActiveState = (flags & 1) != 0;
    bHorStretch = (flags & 2) != 0;
    bVerStretch = (flags & 4) != 0;
    auto frame = [&](int n) { return vMyRectInitWH(src.x + n * (size.cx + 3), src.y, size.cx, size.cy); };
    if (bHasActiveState) {
        mrSrcNormal = frame(0);
        mrSrcNormalHigh = frame(1);
        mrSrcActive = frame(2);
        mrSrcActiveHigh = frame(3);
        mrSrcDown = frame(4);
    } else {
        mrSrcNormal = mrSrcActive = frame(0);
        mrSrcNormalHigh = mrSrcActiveHigh = frame(1);
        mrSrcDown = frame(2);
    }
    bVisible = true;
}

void OMyButton::updateCoords(const TMyRect& c)
{
    int x = c.L, y = c.T;
    if (mrIndent.L != kRectUnset)
        x = c.L + mrIndent.L;
    else if (mrIndent.R != kRectUnset)
        x = c.R - (mrIndent.R + BW) + 1;
    if (mrIndent.T != kRectUnset)
        y = c.T + mrIndent.T;
    else if (mrIndent.B != kRectUnset)
        y = c.B - (mrIndent.B + BH) + 1;
    MR = vMyRectInitWH(x, y, BW, BH);
}

void OMyButton::setIndentLT(TPoint p) { mrIndent.L = p.x; mrIndent.T = p.y; }
void OMyButton::setIndentRT(TPoint p) { mrIndent.R = p.x; mrIndent.T = p.y; }
void OMyButton::setIndentLB(TPoint p) { mrIndent.L = p.x; mrIndent.B = p.y; }
void OMyButton::setIndentRB(TPoint p) { mrIndent.R = p.x; mrIndent.B = p.y; }

void OMyButton::copyBoundsFrom(const OMyButton& o)
{
    BW = o.BW;
    BH = o.BH;
    MR = o.MR;
    mrIndent = o.mrIndent;
    bVisible = o.bVisible;
    bActive = o.bActive;
    bHigh = o.bHigh;
    bDown = o.bDown;
    bHorStretch = o.bHorStretch;
    bVerStretch = o.bVerStretch;
    bHasActiveState = o.bHasActiveState;
    bSwitched = o.bSwitched;
    bOverAction = o.bOverAction;
}

bool OMyButton::isCoordsIn(TPoint p) const { return bVisible && MyRectIsCoordsIn(p.x, p.y, MR); }

const TMyRect& OMyButton::currentFrame() const
{
    if (bActive) {
        if (bDown)
            return mrSrcDown;
        return bHigh || bSwitched ? mrSrcActiveHigh : mrSrcActive;
    }
    return bHigh || bSwitched ? mrSrcNormalHigh : mrSrcNormal;
}

std::vector<TSkinQuad> OMyButton::drawQuads() const
{
    std::vector<TSkinQuad> out;
    const TMyRect& f = currentFrame();
    if (!bVisible || f.W <= 0 || MR.W <= 0 || MR.H <= 0)
        return out;
    // The caps keep the skin's proportions when the button is drawn larger
    // than the skin (a HiDPI screen): cap on screen = cap x thickness ratio.
    if (bHorStretch) {
        const int cap = f.W / 2 - 1, dcap = cap * MR.H / std::max(1, f.H);
        out.push_back({vMyRectInitWH(MR.L, MR.T, dcap, MR.H), vMyRectInitWH(f.L, f.T, cap, f.H)});
        out.push_back({vMyRectInitWH(MR.R - dcap + 1, MR.T, dcap, MR.H), vMyRectInitWH(f.R - cap + 1, f.T, cap, f.H)});
        if (MR.W - 2 * dcap >= 1)
            out.push_back({vMyRectInitWH(MR.L + dcap, MR.T, MR.W - 2 * dcap, MR.H), vMyRectInitWH(f.L + cap, f.T, 1, f.H)});
    } else if (bVerStretch) {
        const int cap = f.H / 2 - 1, dcap = cap * MR.W / std::max(1, f.W);
        out.push_back({vMyRectInitWH(MR.L, MR.T, MR.W, dcap), vMyRectInitWH(f.L, f.T, f.W, cap)});
        out.push_back({vMyRectInitWH(MR.L, MR.B - dcap + 1, MR.W, dcap), vMyRectInitWH(f.L, f.B - cap + 1, f.W, cap)});
        if (MR.H - 2 * dcap >= 1)
            out.push_back({vMyRectInitWH(MR.L, MR.T + dcap, MR.W, MR.H - 2 * dcap), vMyRectInitWH(f.L, f.T + cap, f.W, 1)});
    } else {
        out.push_back({MR, f});
    }
    return out;
}

void OMyButton::draw(const OMyImage& skin) const
{
    for (const TSkinQuad& q : drawQuads())
        MyImageDrawTexture(skin, q.dst.L, q.dst.T, q.dst.W, q.dst.H, q.src.L, q.src.T, q.src.W, q.src.H);
}
