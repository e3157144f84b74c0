#include "field/compose.h"

#include "base/huge_blocks.h"
#include "base/run_threads.h"
#include "field/backgrounds.h"
#include "field/field.h"
#include "field/field_win.h"
#include "field/tools.h"
#include "model/edge_pieces.h"
#include "model/game_cut.h"
#include "cutting/piece_images.h"
#include "cutting/piece_looks.h"
#include "model/game_picture.h"
#include "model/game_state.h"
#include "model/puzzle.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cassert>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>
#ifdef __GLIBC__
#include <malloc.h>
#endif

uint8_t RedrawP = kRedrawFull;
uint8_t iScrPending = 0;
OMyImage miFrameTexture;
OMyImage miThumbTexture;
TPieceAtlas PieceAtlasP;
int iAtlasBandRows = 256;

namespace {

constexpr int kFrameStripS = 20;  // width of the plane frame's strips

int PiecesInPlay() { return std::min<int>(JigP.TotalTileNum, int(Jigs.size())); }

bool IsFrameJig(int j) { return JigP.BorderStyle == 1 && j == JigP.TotalTileNum - 1; }

uint32_t g_atlasGeneration = 0;  // per run: advances whenever the atlas's pages are given back

struct TCarriedGroup {
    RENDER_BUF rb;              // the group in its view area (0, 0, boxW, boxH); may be larger
    std::vector<int32_t> key;   // what it was drawn from (CarriedKey)
    bool bFailed = false;       // that could not be drawn so: piece by piece
    int boxX = 0, boxY = 0;     // the box's top left from the first piece's view point
    int boxW = 0, boxH = 0;
    TMyRect lastQuad;           // where the last frame drew it, clipped (W = 0: nowhere)
    // The box in blocks of the texture (view pixels from its top left):
    // opaque ones are copied, being what blending them would give, which
    // costs a software renderer a fraction of blending; clear ones are left out.
    std::vector<TMyRect> opaque, mixed;
    // Small boxes where the renderer's blend is known: the texture's texels
    // (BGRA, rows top first, boxW a row), blended onto the screen buffer on
    // the CPU, and the buffer for the area under the group.
    std::vector<uint8_t> texels, under;
};
TCarriedGroup g_carried;  // per run

// What the screen buffer holds besides the still buffer's picture, so that a
// drag frame copies back only where the last one drew the carried group.
enum class ScrHolds : uint8_t { Other, Still, StillAndGroup };
struct TScrState {
    ScrHolds holds = ScrHolds::Other;
    TMyRect group;             // StillAndGroup: the view area the group's quad covered
    int viewW = 0, viewH = 0;  // the view's size then
};
TScrState g_scr;  // per run

// A group's pieces in draw order: from the top left of its turned picture on,
// so that no shadow falls on the group's own pieces drawn before it.
void OrderRun(std::vector<int>& run)
{
    if (!ShadowsShown() || run.empty())
        return;
    const int r = JigAt(run[0]).Rot;
    std::stable_sort(run.begin(), run.end(), [r](int a, int b) {
        const int64_t ka = JigGroupDrawKey(a, r), kb = JigGroupDrawKey(b, r);
        return ka < kb || (ka == kb && a < b);
    });
}

// Of a carried group only the pieces on its outline cast the lifted
// silhouette: the others' would lie under the group.
bool CastsLift(const std::vector<int>& run, int j) { return run.size() == 1 || JigOnGroupBorder(j); }

// A run in draw order; a carried one first casts its faint, larger silhouette.
void DrawOrderedRun(const TJigPlace& place, const std::vector<int>& run, bool carried)
{
    if (carried && ShadowsShown())
        for (int j : run)
            if (CastsLift(run, j))
                DrawJigLiftAt(place, j);
    for (int j : run)
        DrawJigAt(place, j);
}

void DrawJigRun(const OMyWin& win, std::vector<int>& run, bool carried)
{
    OrderRun(run);
    DrawOrderedRun(JigPlaceOf(win), run, carried);
}

bool DrawCarriedFromCache(const OMyWin& win, std::vector<int>& run);

// The pieces of win in draw order, less the dragged ones when asked; each
// group's pieces follow one another there.
void DrawWinJigs(const OMyWin& win, bool skipDragged)
{
    const int n = PiecesInPlay();
    std::vector<int> run;
    int32_t runLayer = 0;
    for (size_t k = 0; k < SortedJigs.size(); ++k) {
        const int j = SortedJigs[k].Index;
        if (j < 0 || j >= n || size_t(j) >= arPicJigs.size())
            continue;
        if (JigAt(j).Win != win.bIndex)
            continue;
        if (skipDragged && IsDraggedJig(j))
            continue;
        if (bShowOnlyEdges && EdgeFilterHides(j, IsLooseEntry(SortedJigs, k)))
            continue;  // "Show Only Edge Pieces"
        if (!run.empty() && JigAt(j).Layer != runLayer) {
            DrawJigRun(win, run, false);
            run.clear();
        }
        runLayer = JigAt(j).Layer;
        run.push_back(j);
    }
    if (!run.empty())
        DrawJigRun(win, run, false);
}

void DrawWinWithContents(OMyWin& win, int mode, bool bkgDone = false)
{
    win.draw(bkgDone);
    if (!IsGameOpen())
        return;
    if (win.bType == kWinThumb) {
        if (miThumbTexture.Texture != 0) {
            const TMyRect& c = win.mrClient;
            MyImageDrawTexture(miThumbTexture, c.L, c.T, c.W, c.H, 0, 0, miThumbTexture.W, miThumbTexture.H);
        }
    } else if (win.bType == kWinSide || win.bType == kWinPocket) {
        DrawWinJigs(win, mode == kComposeWithoutDragged);
    }
    if (DragJigP.State == kDragFrame && &win == CaptureWin && mode != kComposeWithoutFrame)
        DrawSelFrame();
}

// True when the carried group was drawn from its texture (only into the
// screen buffer: mayCache).
bool DrawDraggedJigs(bool mayCache)
{
    if (!IsGameOpen() || iCurJig < 0 || iCurJig >= PiecesInPlay())
        return false;
    const OMyWin* win = GetViewWin(JigAt(iCurJig).Win);
    if (!win)
        return false;
    const int n = PiecesInPlay();
    std::vector<int> run;
    for (const TSortedJig& s : SortedJigs) {
        const int j = s.Index;
        if (j >= 0 && j < n && size_t(j) < arPicJigs.size() && IsDraggedJig(j))
            run.push_back(j);
    }
    const bool carried = DragJigP.State == kDragPieces;
    if (carried && mayCache && bCarriedGroupCache && DrawCarriedFromCache(*win, run))
        return true;
    DrawJigRun(*win, run, carried);
    return false;
}

}  // namespace

bool IsDraggedJig(int j)
{
    const TJig& p = JigAt(j);
    if (p.Sel)
        return true;
    return iCurJig >= 0 && size_t(iCurJig) < Jigs.size() && p.Layer == JigAt(iCurJig).Layer;
}

// ---- Composition ----------------------------------------------------------------------------

namespace {

const OMyImage* g_thumbTriedFor = nullptr;  // per game: the picture the thumbnail's texture was made from

// The thumbnail's texture is made when the thumbnail is first shown, not
// with every game: a hidden thumbnail costs no memory.
void ThumbTexture_Check()
{
    const OMyWin* thumb = GetViewWin(kThumbWin);
    if (!thumb || !thumb->bVisible || miThumbTexture.Texture != 0 || !miJigs || g_thumbTriedFor == miJigs.get())
        return;
    g_thumbTriedFor = miJigs.get();
    CreateThumbTexture();
}

int iStillMode = kComposeAll;  // per run: what the still buffer was last filled with
QPointer<QTimer> g_stillIdle;  // per run: gives the still buffer back once gestures stop

// The windows of composition `mode` (kComposeAll or a kComposeWithout* mode) into rb.
void ComposeWindows(const RENDER_BUF& rb, int mode)
{
    // The back-most window is the shown side, filling the view: when its
    // table is a plain colour, clearing to that colour paints it.
    const OMyWin* back = nullptr;
    for (OMyWin* w : arSortedViewWins)
        if (w->bVisible && !(mode == kComposeWithoutCurWin && w == CaptureWin)) {
            back = w;
            break;
        }
    const bool plainSide = back && back->bType == kWinSide && back->bDrawBkgColor && !IsPicBkg(back->lBkgColor);
    if (plainSide)
        GLClearRect(0, 0, rb.W, rb.H, rb.H, back->rgbBkgColor[0], back->rgbBkgColor[1], back->rgbBkgColor[2]);
    else
        GLClearTarget();
    for (OMyWin* w : arSortedViewWins) {
        if (!w->bVisible || (mode == kComposeWithoutCurWin && w == CaptureWin))
            continue;
        DrawWinWithContents(*w, mode, plainSide && w == back);
    }
}

bool GestureGoingOn()
{
    return DragJigP.State != kDragIdle || DragWinP.bDragAction != 0 || WeightP.bVisible ||
           QGuiApplication::mouseButtons() != Qt::NoButton;
}

// The still buffer (a screen-sized texture) is wanted only while something
// moves: it is made at a gesture's start and given back a while after the
// last one, so that an idle game does not hold it.
void KeepStillBuf()
{
    if (!g_stillIdle) {
        if (!QCoreApplication::instance())
            return;  // no event loop to give it back later: kept
        g_stillIdle = new QTimer(QCoreApplication::instance());
        g_stillIdle->setSingleShot(true);
        g_stillIdle->setInterval(iStillBufIdleMs);
        QObject::connect(g_stillIdle, &QTimer::timeout, [] {
            if (GestureGoingOn())
                return g_stillIdle->start();
            StillBuf_Release();
        });
    }
    g_stillIdle->start(iStillBufIdleMs);
}

}  // namespace

int iStillBufIdleMs = 2000;

void StillBuf_Prepare()
{
    if (!FieldGL_Ready() || rbScr.fbo == 0)
        return;
    KeepStillBuf();
    if (rbStill.fbo == 0 || rbStill.W != rbScr.W || rbStill.H != rbScr.H) {
        RenderBufCreate(rbStill, rbScr.W, rbScr.H);
        g_scr = TScrState{};
    }
}

void StillBuf_Release()
{
    CarriedGroup_Release();
    g_scr = TScrState{};
    if (g_stillIdle)
        g_stillIdle->stop();
    if (rbStill.fbo == 0 && rbStill.texture == 0)
        return;
    RenderBufFree(rbStill);
#ifdef __GLIBC__
    malloc_trim(0);  // the texture's memory went to the heap, not back to the system
#endif
}

void DrawToScrBuf(RENDER_BUF& rb, int mode)
{
    if (!FieldGL_Ready() || rb.fbo == 0)
        return;
    if (IsGameOpen()) {  // not while a game is being opened: its pieces are half made
        PieceAtlas_Check();
        ThumbTexture_Check();
    }
    if (DragJigP.State != kDragPieces && !g_carried.key.empty())
        CarriedGroup_Release();  // the carrying is over
    // A composition of the whole screen buffer (or of the still buffer's copy
    // that starts a moving part) replaces whatever was put off.
    if (&rb == &rbScr && mode != kComposeDragged && mode != kComposeCurWin && mode != kComposeFrame)
        iScrPending = 0;
    BeginBufTarget(rb);
    const TScrState before = g_scr;
    g_scr.holds = ScrHolds::Other;  // unless this composition tells otherwise
    const bool scr = &rb == &rbScr;
    switch (mode) {
    case kComposeAll: case kComposeWithoutDragged: case kComposeWithoutCurWin: case kComposeWithoutFrame:
        ComposeWindows(rb, mode);
        break;
    case kComposeDragged:
        if (DrawDraggedJigs(scr) && before.holds == ScrHolds::Still)
            g_scr = {ScrHolds::StillAndGroup, g_carried.lastQuad, iMainViewW, iMainViewH};
        break;
    case kComposeCurWin:
        if (CaptureWin && CaptureWin->bVisible && CaptureWin->bType != kWinGlass)
            DrawWinWithContents(*CaptureWin, kComposeCurWin);
        break;
    case kComposeFrame:
        DrawSelFrame();
        break;
    case kComposeStill:
        KeepStillBuf();
        if (rbStill.fbo == 0) {  // given back while idle: what it held, composed anew
            ComposeWindows(rb, iStillMode);
            break;
        }
        if (scr && FieldGL.ex && before.holds != ScrHolds::Other && before.viewW == iMainViewW &&
            before.viewH == iMainViewH) {
            // The rest is the still picture already: only the group's last place.
            if (before.holds == ScrHolds::StillAndGroup) {
                const TMyRect& g = before.group;
                const int l = std::max(0, g.L), t = std::max(0, g.T);
                const int r = std::min(iMainViewW, g.R + 1), b = std::min(iMainViewH, g.B + 1);
                if (g.W > 0 && r > l && b > t)
                    RenderBufBlitToTarget(rbStill, l, t, l, t, r - l, b - t);
            }
        } else {
            RenderBufCopy(rbStill, rb, iMainViewW, iMainViewH);
        }
        if (scr)
            g_scr = {ScrHolds::Still, TMyRect{}, iMainViewW, iMainViewH};
        break;
    default:
        break;
    }
    if (&rb != &rbStill) {
        if (WeightP.bVisible)
            g_scr.holds = ScrHolds::Other;  // drawn over it
        WeightP.draw();
    }
    GLBatch_Flush();
}

void FillStillBuf(int mode)
{
    int moving;
    switch (mode) {
    case kComposeAll: moving = -1; break;
    case kComposeWithoutDragged: moving = kComposeDragged; break;
    case kComposeWithoutCurWin: moving = kComposeCurWin; break;
    case kComposeWithoutFrame: moving = kComposeFrame; break;
    default: return;
    }
    iStillMode = mode;
    StillBuf_Prepare();
    DrawToScrBuf(rbStill, mode);
    DrawToScrBuf(rbScr, kComposeStill);
    if (moving >= 0)
        DrawToScrBuf(rbScr, moving);
}

void ScrBufFromStillLater(int moving)
{
    assert(moving == kComposeDragged || moving == kComposeCurWin || moving == kComposeFrame);
    iScrPending = uint8_t(moving);
}

void ScrBufUpdate()
{
    if (iScrPending == 0)
        return;
    const int moving = iScrPending;
    DrawToScrBuf(rbScr, kComposeStill);
    DrawToScrBuf(rbScr, moving);
}

// ---- Pieces -------------------------------------------------------------------------------------

bool CalcDrawOnWinCoords(const OMyWin& win, int& x, int& y, int& w, int& h, int& sx, int& sy)
{
    return CalcDrawOnRect(win.mrClient, x, y, w, h, sx, sy);
}

TJigPlace JigPlaceOf(const OMyWin& win)
{
    return {win.mrClient.L - win.iScrollL, win.mrClient.T - win.iScrollT, win.mrClient};
}

bool CalcDrawOnRect(const TMyRect& c, int& x, int& y, int& w, int& h, int& sx, int& sy)
{
    if (x < c.L) {
        w -= c.L - x;
        sx += c.L - x;
        x = c.L;
    }
    if (x + w > c.R + 1)
        w = c.R - x + 1;
    if (y < c.T) {
        h -= c.T - y;
        sy += c.T - y;
        y = c.T;
    }
    if (y + h > c.B + 1)
        h = c.B - y + 1;
    return w > 0 && h > 0;
}

namespace {

const TAtlasEntry* AtlasEntryOf(int j)
{
    if (size_t(j) >= PieceAtlasP.arEntries.size())
        return nullptr;
    const TAtlasEntry& e = PieceAtlasP.arEntries[size_t(j)];
    return e.page >= 0 && size_t(e.page) < PieceAtlasP.arPages.size() ? &e : nullptr;
}

}  // namespace

void DrawJig(const OMyWin& win, int j) { DrawJigAt(JigPlaceOf(win), j); }

void DrawJigAt(const TJigPlace& place, int j)
{
    const TJig& p = JigAt(j);
    const OMyImage& img = arPicJigs[size_t(j)];
    const TAtlasEntry* e = AtlasEntryOf(j);
    // From the atlas a piece brings its shadow along (not while selected:
    // the inverted look would light it up).
    const int ew = e && !p.Sel ? PieceAtlasP.iExtraW : 0, eh = e && !p.Sel ? PieceAtlasP.iExtraH : 0;
    const int x0 = place.ox + p.X;
    const int y0 = place.oy + p.Y;
    if (IsFrameJig(j)) {
        // Four strips around the clear inside, each with its shadow.
        const int s = kFrameStripS, iw = JigP.ImageW, ih = JigP.ImageH;
        const int strips[4][4] = {{0, 0, iw + ew, s + eh},
                                  {0, ih - s, iw + ew, s + eh},
                                  {0, s + eh, s + ew, ih - 2 * s - eh},
                                  {iw - s, s + eh, s + ew, ih - 2 * s - eh}};
        for (const auto& st : strips) {
            int x = x0 + st[0], y = y0 + st[1], w = st[2], h = st[3], sx = st[0], sy = st[1];
            if (CalcDrawOnRect(place.clip, x, y, w, h, sx, sy))
                DrawJig0(j, x, y, w, h, sx, sy);
        }
        return;
    }
    int x = x0, y = y0, w = p.DrawW + ew, h = p.DrawH + eh, sy = 0;
    int sx = e ? e->pitch * p.Rot : img.H * p.Rot;
    if (CalcDrawOnRect(place.clip, x, y, w, h, sx, sy))
        DrawJig0(j, x, y, w, h, sx, sy);
}

void DrawJig0(int j, int x, int y, int w, int h, int sx, int sy)
{
    const float white[4] = {1, 1, 1, 1};
    const QuadMode mode = JigAt(j).Sel ? QuadMode::Inverted : QuadMode::Normal;
    if (const TAtlasEntry* e = AtlasEntryOf(j)) {
        const TSize& page = PieceAtlasP.arPageSizes[size_t(e->page)];
        GLBatch_Quad2D(PieceAtlasP.arPages[size_t(e->page)], page.cx, page.cy, mode, white, float(x), float(y),
                       float(w), float(h), float(sx + e->x), float(sy + e->y), float(w), float(h));
        return;
    }
    GLBatch_Quad(arPicJigs[size_t(j)].Texture, mode, white, float(x), float(y), float(w), float(h), float(sx),
                 float(sy), float(w), float(h));
}

// ---- The carried group -----------------------------------------------------------------------

bool bCarriedGroupCache = true;
bool bCarriedCpuBlend = true;
int64_t iCarriedGroupMaxPixels = 0;

namespace {


// Everything the group's picture depends on besides where it lies: the
// pieces in draw order, each with its turn, selection and place relative to
// the first, and the looks of the atlas.
std::vector<int32_t> CarriedKey(const std::vector<int>& run)
{
    std::vector<int32_t> key;
    key.reserve(4 + 5 * run.size());
    key.push_back(ShadowsShown() ? 1 : 0);
    key.push_back(int32_t(g_atlasGeneration));
    key.push_back(PieceAtlasP.iExtraW);
    key.push_back(PieceAtlasP.iExtraH);
    const TJig& a = JigAt(run[0]);
    for (int j : run) {
        const TJig& p = JigAt(j);
        key.insert(key.end(), {j, int32_t(p.Rot), p.Sel ? 1 : 0, p.X - a.X, p.Y - a.Y});
    }
    return key;
}

constexpr int kCarriedBlockS = 32;  // side of the blocks the group's texture is sorted into

// Sorts the blocks of the group's picture (w x h RGBA rows, top first) into
// opaque, partly clear and clear ones; neighbours of a kind on a row of
// blocks are joined.
void SplitIntoBlocks(const std::vector<uint8_t>& px, int w, int h)
{
    g_carried.opaque.clear();
    g_carried.mixed.clear();
    if (px.size() != size_t(w) * size_t(h) * 4)
        return;
    enum : uint8_t { kClear, kOpaque, kMixed };
    std::vector<uint8_t> kinds;
    for (int t = 0; t < h; t += kCarriedBlockS) {
        const int bh = std::min(kCarriedBlockS, h - t);
        const int blocks = (w + kCarriedBlockS - 1) / kCarriedBlockS;
        kinds.assign(size_t(blocks), 0);  // bit 1: some alpha below 255, bit 2: some above 0
        for (int y = t; y < t + bh; ++y) {
            const uint8_t* row = px.data() + size_t(y) * size_t(w) * 4;
            for (int x = 0; x < w; ++x) {
                const uint8_t a = row[size_t(x) * 4 + 3];
                kinds[size_t(x / kCarriedBlockS)] |= uint8_t((a != 255 ? 1 : 0) | (a != 0 ? 2 : 0));
            }
        }
        for (int b = 0; b < blocks;) {
            const uint8_t bits = kinds[size_t(b)];
            const uint8_t kind = bits == 2 ? kOpaque : (bits & 2) ? kMixed : kClear;
            int e = b + 1;
            while (e < blocks) {
                const uint8_t nb = kinds[size_t(e)];
                if ((nb == 2 ? kOpaque : (nb & 2) ? kMixed : kClear) != kind)
                    break;
                ++e;
            }
            const int l = b * kCarriedBlockS, r = std::min(w, e * kCarriedBlockS);
            const TMyRect rect{l, t, r - 1, t + bh - 1, r - l, bh};
            if (kind == kOpaque)
                g_carried.opaque.push_back(rect);
            else if (kind == kMixed)
                g_carried.mixed.push_back(rect);
            b = e;
        }
    }
}

// Draws the ordered run into the group's texture as a frame at `place` would
// draw it, and leaves `target` the target again; false when the box is too
// large or GL refuses.
bool CarriedGroup_Fill(const RENDER_BUF& target, const TJigPlace& place, const std::vector<int>& run)
{
    // The box of all the group draws, in view pixels (edges exclusive).
    int bx0 = INT_MAX, by0 = INT_MAX, bx1 = INT_MIN, by1 = INT_MIN;
    const auto add = [&](int l, int t, int r, int b) {
        bx0 = std::min(bx0, l), by0 = std::min(by0, t), bx1 = std::max(bx1, r), by1 = std::max(by1, b);
    };
    const bool lifts = ShadowsShown();
    for (int j : run) {
        const TJig& p = JigAt(j);
        const int ew = p.Sel ? 0 : PieceAtlasP.iExtraW, eh = p.Sel ? 0 : PieceAtlasP.iExtraH;
        const int x = place.ox + p.X, y = place.oy + p.Y;
        if (IsFrameJig(j))
            add(x, y, x + JigP.ImageW + ew, y + JigP.ImageH + eh);
        else
            add(x, y, x + p.DrawW + ew, y + p.DrawH + eh);
        float r[4];
        if (lifts && CastsLift(run, j) && JigLiftRect(place, j, r))
            add(int(std::floor(r[0])), int(std::floor(r[1])), int(std::ceil(r[0] + r[2])),
                int(std::ceil(r[1] + r[3])));
    }
    const int w = bx1 - bx0, h = by1 - by0;
    // Larger than twice the view it would cost more memory (and time to make)
    // than drawing it piece by piece saves.
    const int64_t cap = iCarriedGroupMaxPixels > 0 ? iCarriedGroupMaxPixels
                                                   : std::max<int64_t>(2 * int64_t(rbScr.W) * rbScr.H, int64_t(1) << 20);
    if (w <= 0 || h <= 0 || w > FieldGL.iMaxTexSize || h > FieldGL.iMaxTexSize || int64_t(w) * h > cap)
        return false;
    RENDER_BUF& rb = g_carried.rb;
    if ((rb.fbo == 0 || rb.W < w || rb.H < h) && !RenderBufCreate(rb, w, h))
        return false;
    BeginBufTargetAt(rb, bx0, by0);
    GLClearTargetTransparent();
    TJigPlace inBox = place;
    inBox.clip = TMyRect{bx0, by0, bx1 - 1, by1 - 1, w, h};
    DrawOrderedRun(inBox, run, true);
    GLBatch_Flush();
    std::vector<uint8_t> px = GLReadPixels(0, 0, w, h, rb.H);
    SplitIntoBlocks(px, w, h);
    g_carried.texels.clear();
    if (bCarriedCpuBlend && int64_t(w) * h <= kCarriedCpuBlendMaxPixels && RenderBufCpuBlendExact()) {
        for (size_t i = 0; i + 3 < px.size(); i += 4)
            std::swap(px[i], px[i + 2]);  // RGBA to the buffers' BGRA
        g_carried.texels = std::move(px);
    }
    BeginBufTarget(target);
    const TJig& a = JigAt(run[0]);
    g_carried.boxX = bx0 - (place.ox + a.X);
    g_carried.boxY = by0 - (place.oy + a.Y);
    g_carried.boxW = w;
    g_carried.boxH = h;
    return true;
}

// The area (x, y, w, h) of the screen buffer with the group's texels from
// (sx, sy) on blended over it on the CPU: read, blended, written back, all
// on this thread, so the renderer's threads are not woken for it. Only
// where GL can: false leaves the area as it was.
bool BlendCarriedOnCpu(int x, int y, int w, int h, int sx, int sy)
{
    const std::vector<uint8_t>& texels = g_carried.texels;
    if (texels.empty() || sx < 0 || sy < 0 || sx + w > g_carried.boxW || sy + h > g_carried.boxH)
        return false;
    std::vector<uint8_t>& under = g_carried.under;
    const size_t row = size_t(w) * 4;
    under.resize(row * size_t(h));
    if (!RenderBufReadArea(rbScr, x, y, w, h, under.data()))
        return false;
    for (int r = 0; r < h; ++r) {  // the area's rows come bottom first
        const uint8_t* src = texels.data() + (size_t(sy + r) * size_t(g_carried.boxW) + size_t(sx)) * 4;
        BlendOverRow(src, under.data() + size_t(h - 1 - r) * row, w);
    }
    return RenderBufWriteArea(rbScr, x, y, w, h, under.data());
}

// The carried pieces of `run` from the group's texture, made anew when they
// changed; false when they must be drawn piece by piece.
bool DrawCarriedFromCache(const OMyWin& win, std::vector<int>& run)
{
    if (run.empty() || !FieldGL.fn || rbScr.fbo == 0)
        return false;
    for (int j : run)
        if (!AtlasEntryOf(j))
            return false;
    OrderRun(run);
    std::vector<int32_t> key = CarriedKey(run);
    if (key != g_carried.key || (g_carried.rb.fbo == 0 && !g_carried.bFailed)) {
        const TJigPlace place = JigPlaceOf(win);
        g_carried.key = std::move(key);
        g_carried.bFailed = !CarriedGroup_Fill(rbScr, place, run);
        if (g_carried.bFailed)
            RenderBufFree(g_carried.rb);
    }
    if (g_carried.bFailed)
        return false;
    const TJig& a = JigAt(run[0]);
    const TJigPlace place = JigPlaceOf(win);
    const int bx = place.ox + a.X + g_carried.boxX, by = place.oy + a.Y + g_carried.boxY;
    int x = bx, y = by, w = g_carried.boxW, h = g_carried.boxH, sx = 0, sy = 0;
    g_carried.lastQuad = TMyRect{0, 0, -1, -1, 0, 0};
    if (!CalcDrawOnRect(place.clip, x, y, w, h, sx, sy))
        return true;
    g_carried.lastQuad = TMyRect{x, y, x + w - 1, y + h - 1, w, h};
    if (bCarriedCpuBlend && BlendCarriedOnCpu(x, y, w, h, sx, sy))
        return true;
    // The opaque blocks copied first (each a copy of its own), then the
    // others blended in one draw.
    const bool copies = FieldGL.ex != nullptr;
    for (const TMyRect& b : g_carried.opaque) {
        int bx0 = bx + b.L, by0 = by + b.T, bw = b.W, bh = b.H, bsx = b.L, bsy = b.T;
        if (CalcDrawOnRect(place.clip, bx0, by0, bw, bh, bsx, bsy)) {
            if (copies)
                RenderBufBlitToTarget(g_carried.rb, bsx, bsy, bx0, by0, bw, bh);
            else
                RenderBufDraw(g_carried.rb, bx0, by0, bw, bh, bsx, bsy, bw, bh);
        }
    }
    for (const TMyRect& b : g_carried.mixed) {
        int bx0 = bx + b.L, by0 = by + b.T, bw = b.W, bh = b.H, bsx = b.L, bsy = b.T;
        if (CalcDrawOnRect(place.clip, bx0, by0, bw, bh, bsx, bsy))
            RenderBufDraw(g_carried.rb, bx0, by0, bw, bh, bsx, bsy, bw, bh);
    }
    return true;
}

}  // namespace

bool CarriedGroupCached() { return g_carried.rb.fbo != 0 && !g_carried.bFailed && !g_carried.key.empty(); }

bool CarriedGroupBlendsOnCpu() { return CarriedGroupCached() && !g_carried.texels.empty(); }

void CarriedGroup_Release()
{
    if (g_carried.rb.fbo != 0 || g_carried.rb.texture != 0)
        RenderBufFree(g_carried.rb);
    g_carried = TCarriedGroup{};
}

void DrawSelFrame()
{
    const OMyWin* win = CaptureWin;
    if (!win || miFrameTexture.Texture == 0)
        return;
    // The frame may be drawn from any corner: order its edges first.
    const TMyRect& r = DragJigP.SelRect;
    const int l = std::min(r.L, r.R), t = std::min(r.T, r.B);
    int w = std::abs(r.R - r.L) + 1, h = std::abs(r.B - r.T) + 1;
    int x = win->mrClient.L + l - win->iScrollL, y = win->mrClient.T + t - win->iScrollT, sx = 0, sy = 0;
    if (!CalcDrawOnWinCoords(*win, x, y, w, h, sx, sy))
        return;
    MyImageDrawTextureAlpha(miFrameTexture, x, y, w, h, 0, 0, miFrameTexture.W, miFrameTexture.H, 0.5f);
}

namespace {

// Row y of src halved: each pixel the mean of a 2 x 2 block (of the last row
// or column alone where a side is odd), every byte of the pixel alike, then
// written as the texture holds it: premultiplied RGBA.
void HalveRowPremultiplied(const OMyImage& src, int y, uint8_t* d)
{
    const int bpp = src.iBPP, w = (src.W + 1) / 2;
    const uint8_t* r0 = MyImageGetLineXY(src, 0, 2 * y);
    const uint8_t* r1 = MyImageGetLineXY(src, 0, imin(2 * y + 1, src.H - 1));
    for (int x = 0; x < w; ++x, d += 4) {
        const int a = 2 * x * bpp, b = imin(2 * x + 1, src.W - 1) * bpp;
        uint8_t px[4] = {0, 0, 0, 255};
        for (int c = 0; c < bpp && c < 4; ++c)
            px[c] = uint8_t((r0[a + c] + r0[b + c] + r1[a + c] + r1[b + c] + 2) >> 2);
        const unsigned alpha = src.bAlpha ? px[3] : 255u;
        for (int c = 0; c < 3; ++c)
            d[c] = uint8_t((px[c] * alpha + 127) / 255);
        d[3] = uint8_t(alpha);
    }
}

}  // namespace

void ThumbTexture_Forget()
{
    miThumbTexture = OMyImage{};
    g_thumbTriedFor = nullptr;
}

void CreateThumbTexture()
{
    miThumbTexture = OMyImage{};
    const OGamePictureInUse picture;
    if (!miJigs || !miJigs->HasPixels())
        return;
    const OMyImage& src = *miJigs;
    const int w = (src.W + 1) / 2, h = (src.H + 1) / 2;
    // Halved a band of rows at a time straight into the texture: neither the
    // half-size picture nor its premultiplied copy is ever whole in memory.
    const uint32_t tex = GLCreateRectTextureRgba(w, h, nullptr, TexFilter::Linear);
    if (tex == 0)
        return;
    constexpr int kBandRows = 64;
    std::vector<uint8_t> band(size_t(w) * 4 * size_t(kBandRows));
    for (int y0 = 0; y0 < h; y0 += kBandRows) {
        const int n = imin(kBandRows, h - y0);
        for (int y = 0; y < n; ++y)
            HalveRowPremultiplied(src, y0 + y, band.data() + size_t(y) * size_t(w) * 4);
        if (!GLUploadRectRgba(tex, 0, y0, w, n, band.data())) {
            GLDeleteTexture(tex);
            return;
        }
    }
    // A picture that lives on only as its texture.
    miThumbTexture.bAlpha = src.bAlpha;
    miThumbTexture.iBPP = src.iBPP;
    miThumbTexture.W = w;
    miThumbTexture.H = h;
    miThumbTexture.iBPL = w * src.iBPP;
    miThumbTexture.size = MakeTSize(w, h);
    miThumbTexture.Texture = tex;
}

void CreateFrameTexture()
{
    OMyImagePtr img = MyImageCreate(4, 4);
    std::fill(img->Bitmap.begin(), img->Bitmap.end(), uint8_t(255));
    miFrameTexture = std::move(*img);
    MyImageCreateTexture(miFrameTexture, false, TexFilter::Nearest);
}

// ---- Atlas --------------------------------------------------------------------------------------

namespace {

// Shelf packing: each piece's cells as one block, blocks sorted by height,
// placed left to right on shelves.
struct TPackItem {
    int piece;
    int w, h;     // the block
    int pitch;    // from one turned copy's cell to the next
};
struct TPlacement {
    TPackItem item;
    int page, x, y;
};

bool PieceStrip(int i) { return size_t(i) < Jigs.size() && PieceHasStrip(JigAt(i), JigP.Rotate != 0); }

// The upright box of piece i as its image holds it (the box at the top left).
bool PieceBox(int i, int* w, int* h)
{
    const OMyImage& img = arPicJigs[size_t(i)];
    if (size_t(i) >= Jigs.size() || !img.HasPixels() || !img.bAlpha || img.iBPP != 4)
        return false;
    *w = std::min(JigAt(i).W, img.W);
    *h = std::min(JigAt(i).H, img.H);
    return *w > 0 && *h > 0;
}

std::vector<TPackItem> AtlasItems(int side, int ew, int eh)
{
    std::vector<TPackItem> items;
    for (size_t i = 0; i < arPicJigs.size(); ++i) {
        const OMyImage& img = arPicJigs[i];
        int w, h;
        if (!PieceBox(int(i), &w, &h))
            continue;
        TPackItem it{int(i), 0, 0, 0};
        if (PieceStrip(int(i))) {
            const int s = img.H;  // the side of a turned copy's square
            it.pitch = s + std::max(ew, eh);
            it.w = 4 * it.pitch;
            it.h = it.pitch;
        } else {
            it.pitch = w + ew;
            it.w = w + ew;
            it.h = h + eh;
        }
        if (it.w <= side && it.h <= side)
            items.push_back(it);
    }
    std::stable_sort(items.begin(), items.end(), [](const TPackItem& a, const TPackItem& b) { return a.h > b.h; });
    return items;
}

std::vector<TPlacement> PackItems(const std::vector<TPackItem>& items, int side, std::vector<int>* pageHeights)
{
    std::vector<TPlacement> out;
    int page = 0, x = 0, y = 0, shelfH = 0;
    pageHeights->assign(1, 0);
    for (const TPackItem& it : items) {
        if (x + it.w > side) {  // next shelf
            x = 0;
            y += shelfH;
            shelfH = 0;
        }
        if (y + it.h > side) {  // next page
            ++page;
            pageHeights->push_back(0);
            x = y = shelfH = 0;
        }
        out.push_back({it, page, x, y});
        x += it.w;
        shelfH = std::max(shelfH, it.h);
        (*pageHeights)[size_t(page)] = std::max((*pageHeights)[size_t(page)], y + it.h);
    }
    return out;
}

// A piece's cells into the page buffer, each turned copy eased over its
// shadow, and the rest of the block's share of its shelf zeroed (shelfH
// rows; tailW more columns right of the block when it ends its shelf).
void WriteCells(const TPlacement& pl, int shelfH, int tailW, uint8_t* at, size_t row, bool shadows,
                const TCodePlane& plane, OCellBaker& baker, TShadowBlockers& blockers)
{
    const int i = pl.item.piece;
    const OMyImage& img = arPicJigs[size_t(i)];
    int w, h;
    PieceBox(i, &w, &h);
    TShadowLook look = kShadowLook;
    if (!shadows)
        look.offsetX = look.offsetY = look.blur1 = look.blur2 = 0;
    const bool strip = PieceStrip(i);
    const int copies = strip ? 4 : 1, cellW = strip ? img.H : img.W;
    baker.SetPiece(img, cellW, w, h, look, shadows);
    int cw[4], ch[4];
    for (int r = 0; r < copies; ++r) {
        const bool blocked = shadows && ShadowBlockersOf(i, r, plane, blockers);
        baker.Bake(r, blocked ? &blockers : nullptr, at + size_t(r) * size_t(pl.item.pitch) * 4, row);
        cw[r] = (r % 2 ? h : w) + look.ExtraW();
        ch[r] = (r % 2 ? w : h) + look.ExtraH();
    }
    ZeroAtlasBlockGaps(cw, ch, copies, pl.item.pitch, pl.item.w, shelfH, tailW, at, row);
}

// Placements [first, last) into buf, whose first row is the page's row y0,
// the buffer's bytes left as they come: on every core, each piece's cells
// and the gaps around them written by one thread only, so that the bytes
// are the same whichever thread writes them. shelfH[k] and tailW[k] go
// with first[k] (WriteCells).
void FillCells(const TPlacement* first, const TPlacement* last, const int* shelfH, const int* tailW, uint8_t* buf,
               int y0, size_t row, bool shadows, const TCodePlane& plane)
{
    const int count = int(last - first);
    const int threads = std::clamp(int(std::thread::hardware_concurrency()), 1, std::max(1, count / 16));
    std::atomic<int> next{0};
    auto worker = [&]() {
        OCellBaker baker(TTexelOrder::Bgra);  // as the pages keep them
        TShadowBlockers blockers;
        for (int n = next++; n < count; n = next++) {
            const TPlacement& pl = first[n];
            WriteCells(pl, shelfH[n], tailW[n], buf + size_t(pl.y - y0) * row + size_t(pl.x) * 4, row, shadows,
                       plane, baker, blockers);
        }
    };
    RunOnThreads(threads, worker);
}

// For each of places [first, last) (whole shelves): its shelf's height and
// the columns right of it up to the page's side when it ends its shelf.
void ShelvesOf(const TPlacement* first, const TPlacement* last, int side, std::vector<int>* shelfH,
               std::vector<int>* tailW)
{
    const size_t count = size_t(last - first);
    shelfH->assign(count, 0);
    tailW->assign(count, 0);
    for (size_t a = 0, b = 0; a < count; a = b) {
        int h = 0;
        for (b = a; b < count && first[b].page == first[a].page && first[b].y == first[a].y; ++b)
            h = std::max(h, first[b].item.h);
        for (size_t k = a; k < b; ++k)
            (*shelfH)[k] = h;
        (*tailW)[b - 1] = std::max(0, side - first[b - 1].x - first[b - 1].item.w);
    }
}

}  // namespace

void PieceAtlas_Free()
{
    ++g_atlasGeneration;
    for (uint32_t t : PieceAtlasP.arPages)
        GLDeleteTexture(t);
    const int side = PieceAtlasP.iPageSide;
    PieceAtlasP = TPieceAtlas{};
    PieceAtlasP.iPageSide = side;
}

void PieceAtlas_Build()
{
    // Piece images dropped to their hit masks live on only in the pages.
    if (PieceImagePixelsDropped() && !PieceAtlasP.arPages.empty()) {
        PieceAtlasP.pBuiltFrom = arPicJigs.data();
        PieceAtlasP.iBuiltCount = arPicJigs.size();
        return;
    }
    PieceAtlas_Free();
    PieceAtlasP.pBuiltFrom = arPicJigs.data();
    PieceAtlasP.iBuiltCount = arPicJigs.size();
    const bool shadows = OptP.Visual_Shadows;
    PieceAtlasP.bBuiltShadows = shadows;
    PieceAtlasP.iExtraW = shadows ? kShadowLook.ExtraW() : 0;
    PieceAtlasP.iExtraH = shadows ? kShadowLook.ExtraH() : 0;
    if (!FieldGL_Ready() || arPicJigs.empty())
        return;
    const int side = std::min(PieceAtlasP.iPageSide, FieldGL.iMaxTexSize);
    std::vector<int> heights;
    const std::vector<TPlacement> places =
        PackItems(AtlasItems(side, PieceAtlasP.iExtraW, PieceAtlasP.iExtraH), side, &heights);
    TimelineMark("atlas-packed");
    PieceAtlasP.arEntries.assign(arPicJigs.size(), TAtlasEntry{});
    // Every page is filled first, in bands of whole shelves (the packing goes
    // down a page shelf by shelf, each shelf starting where the one above
    // ends), into one buffer holding the pages one after the other; then the
    // piece images may go, and only then GL makes the pages from the buffer.
    // That order matters on virtual machines, where the first touch of memory
    // fresh from the system costs about 2 ms per MB, one fault at a time for
    // the whole machine: GL clears each page's storage when it makes it, and
    // storage made after the piece images are freed takes their memory, which
    // is no longer fresh; the buffer's own first touches fall on the workers
    // as they fill it, not on the main thread while the workers wait.
    const auto fail = [] {
        PieceAtlas_Free();  // every piece falls back to its own texture
        PieceAtlasP.pBuiltFrom = arPicJigs.data();
        PieceAtlasP.iBuiltCount = arPicJigs.size();
    };
    const size_t row = size_t(side) * 4;
    std::vector<size_t> pageAt(heights.size() + 1, 0);  // where each page starts in buf
    for (size_t p = 0; p < heights.size(); ++p)
        pageAt[p + 1] = pageAt[p] + row * size_t(std::max(1, heights[p]));
    std::vector<uint8_t, THugeBlockAllocator<uint8_t>> buf;  // written whole at once: huge pages pay
    try {
        buf.resize(pageAt.back());  // every byte is written below: not cleared first
    } catch (const std::bad_alloc&) {
        return fail();
    }
    {
        TCodePlane plane;  // what keeps the shadows off the pieces drawn before theirs
        if (shadows && miMasks && miMasks->HasPixels())
            plane.From(*miMasks, int(std::thread::hardware_concurrency()));
        std::vector<int> shelfH, tailW;
        size_t next = 0;  // places go page by page, shelf by shelf
        for (size_t p = 0; p < heights.size(); ++p) {
            const int pageH = std::max(1, heights[p]);
            uint8_t* page = buf.data() + pageAt[p];
            for (int y0 = 0; y0 < pageH;) {
                // Whole shelves from y0 on, while they start within the band's rows.
                size_t end = next;
                int y1 = y0;
                while (end < places.size() && places[end].page == int(p) &&
                       (end == next || places[end].y < y0 + std::max(1, iAtlasBandRows))) {
                    const int shelfY = places[end].y;
                    for (; end < places.size() && places[end].page == int(p) && places[end].y == shelfY; ++end)
                        y1 = std::max(y1, shelfY + places[end].item.h);
                }
                if (end == next) {
                    y1 = pageH;  // an empty page (nothing placed)
                    std::memset(page + row * size_t(y0), 0, row * size_t(y1 - y0));
                }
                for (size_t k = next; k < end; ++k) {
                    const TPlacement& pl = places[k];
                    PieceAtlasP.arEntries[size_t(pl.item.piece)] = {int16_t(p), pl.x, pl.y, pl.item.pitch};
                }
                ShelvesOf(places.data() + next, places.data() + end, side, &shelfH, &tailW);
                FillCells(places.data() + next, places.data() + end, shelfH.data(), tailW.data(),
                          page + row * size_t(y0), y0, row, shadows, plane);
                TimelineMark("atlas-band-filled");
                next = end;
                y0 = y1;
            }
        }
    }
    const bool allPlaced = std::all_of(PieceAtlasP.arEntries.begin(), PieceAtlasP.arEntries.end(),
                                       [](const TAtlasEntry& e) { return e.page >= 0; });
    // Pieces that all found a place may lose their pixels: before GL makes
    // the pages when they can be made again from the picture and the mask
    // should GL refuse a page, else once the pages are there.
    const bool lean = FieldP.bLeanAfterOpen && allPlaced;
    const bool dropFirst = lean && miJigs && miJigs->HasPixels() && miMasks && miMasks->HasPixels();
    if (dropFirst)
        DropPieceImagePixels();
    for (size_t p = 0; p < heights.size(); ++p) {
        const int pageH = std::max(1, heights[p]);
        const uint32_t tex = GLCreateTexture2DBgra(side, pageH, buf.data() + pageAt[p], TexFilter::Nearest);
        if (tex == 0) {
            if (dropFirst) {  // the pieces draw from their own images again
                buf = {};
                CopyJigsToTextures(true, OptP.Visual_EmbossStyle);
            }
            return fail();
        }
        PieceAtlasP.arPages.push_back(tex);
        PieceAtlasP.arPageSizes.push_back(MakeTSize(side, pageH));
        TimelineMark("atlas-page-made");
    }
    if (lean && !dropFirst)
        DropPieceImagePixels();
}

void PieceAtlas_Invalidate() { PieceAtlasP.pBuiltFrom = nullptr; }

void PieceAtlas_Check()
{
    if (PieceAtlasP.pBuiltFrom != arPicJigs.data() || PieceAtlasP.iBuiltCount != arPicJigs.size() ||
        PieceAtlasP.bBuiltShadows != OptP.Visual_Shadows)
        PieceAtlas_Build();
}

void Compose_Reset()
{
    RedrawP = kRedrawFull;
    iScrPending = 0;
    miFrameTexture = OMyImage{};
    ThumbTexture_Forget();
    PieceAtlasP = TPieceAtlas{};
    g_carried = TCarriedGroup{};
    g_scr = TScrState{};
    bCarriedGroupCache = true;
    bCarriedCpuBlend = true;
    iCarriedGroupMaxPixels = 0;
}
