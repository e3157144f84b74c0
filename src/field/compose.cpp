#include "field/compose.h"

#include "field/backgrounds.h"
#include "field/field.h"
#include "field/field_win.h"
#include "field/tools.h"
#include "model/game_state.h"
#include "model/puzzle.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>

uint8_t RedrawP = 1;
uint8_t iScrPending = 0;
OMyImage miFrameTexture;
OMyImage miThumbTexture;
TPieceAtlas PieceAtlasP;

namespace {

constexpr int kFrameStripS = 20;  // width of the plane frame's strips

int PiecesInPlay() { return std::min<int>(JigP.TotalTileNum, int(Jigs.size())); }

bool IsFrameJig(int j) { return JigP.BorderStyle == 1 && j == JigP.TotalTileNum - 1; }

// The pieces of win in draw order, less the dragged ones when asked.
void DrawWinJigs(const OMyWin& win, bool skipDragged)
{
    const int n = PiecesInPlay();
    for (const TSortedJig& s : SortedJigs) {
        const int j = s.Index;
        if (j < 0 || j >= n || size_t(j) >= arPicJigs.size())
            continue;
        if (Jigs[size_t(j)].Win != win.bIndex)
            continue;
        if (skipDragged && IsDraggedJig(j))
            continue;
        DrawJig(win, j);
    }
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
        DrawWinJigs(win, mode == 1);
    }
    if (DragJigP.State == 2 && &win == CaptureWin && mode != 5)
        DrawSelFrame();
}

void DrawDraggedJigs()
{
    if (!IsGameOpen() || iCurJig < 0 || iCurJig >= PiecesInPlay())
        return;
    const OMyWin* win = GetViewWin(Jigs[size_t(iCurJig)].Win);
    if (!win)
        return;
    const int n = PiecesInPlay();
    for (const TSortedJig& s : SortedJigs) {
        const int j = s.Index;
        if (j >= 0 && j < n && size_t(j) < arPicJigs.size() && IsDraggedJig(j))
            DrawJig(*win, j);
    }
}

}  // namespace

bool IsDraggedJig(int j)
{
    const TJig& p = Jigs[size_t(j)];
    if (p.Sel)
        return true;
    return iCurJig >= 0 && size_t(iCurJig) < Jigs.size() && p.Layer == Jigs[size_t(iCurJig)].Layer;
}

// ---- Composition ----------------------------------------------------------------------------

void DrawToScrBuf(RENDER_BUF& rb, int mode)
{
    if (!FieldGL_Ready() || rb.fbo == 0)
        return;
    if (IsGameOpen())  // not while a game is being opened: its pieces are half made
        PieceAtlas_Check();
    // A composition of the whole screen buffer (or of the still buffer's copy
    // that starts a moving part) replaces whatever was put off.
    if (&rb == &rbScr && mode != 2 && mode != 4 && mode != 6)
        iScrPending = 0;
    BeginBufTarget(rb);
    switch (mode) {
    case 0: case 1: case 3: case 5: {
        // The back-most window is the shown side, filling the view: when its
        // table is a plain colour, clearing to that colour paints it.
        const OMyWin* back = nullptr;
        for (OMyWin* w : arSortedViewWins)
            if (w->bVisible && !(mode == 3 && w == CaptureWin)) {
                back = w;
                break;
            }
        const bool plainSide = back && back->bType == kWinSide && back->bDrawBkgColor && !IsPicBkg(back->lBkgColor);
        if (plainSide)
            GLClearRect(0, 0, rb.W, rb.H, rb.H, back->rgbBkgColor[0], back->rgbBkgColor[1], back->rgbBkgColor[2]);
        else
            GLClearTarget();
        for (OMyWin* w : arSortedViewWins) {
            if (!w->bVisible || (mode == 3 && w == CaptureWin))
                continue;
            DrawWinWithContents(*w, mode, plainSide && w == back);
        }
        break;
    }
    case 2:
        DrawDraggedJigs();
        break;
    case 4:
        if (CaptureWin && CaptureWin->bVisible && CaptureWin->bType != kWinGlass)
            DrawWinWithContents(*CaptureWin, 4);
        break;
    case 6:
        DrawSelFrame();
        break;
    case 100:
        RenderBufCopy(rbStill, rb, iMainViewW, iMainViewH);
        break;
    default:
        break;
    }
    if (&rb != &rbStill)
        WeightP.draw();
    GLBatch_Flush();
}

void FillStillBuf(int mode)
{
    int moving;
    switch (mode) {
    case 0: moving = -1; break;
    case 1: moving = 2; break;
    case 3: moving = 4; break;
    case 5: moving = 6; break;
    default: return;
    }
    DrawToScrBuf(rbStill, mode);
    DrawToScrBuf(rbScr, 100);
    if (moving >= 0)
        DrawToScrBuf(rbScr, moving);
}

void ScrBufFromStillLater(int moving)
{
    assert(moving == 2 || moving == 4 || moving == 6);
    iScrPending = uint8_t(moving);
}

void ScrBufUpdate()
{
    if (iScrPending == 0)
        return;
    const int moving = iScrPending;
    DrawToScrBuf(rbScr, 100);
    DrawToScrBuf(rbScr, moving);
}

// ---- Pieces -------------------------------------------------------------------------------------

bool CalcDrawOnWinCoords(const OMyWin& win, int& x, int& y, int& w, int& h, int& sx, int& sy)
{
    const TMyRect& c = win.mrClient;
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

void DrawJig(const OMyWin& win, int j)
{
    const TJig& p = Jigs[size_t(j)];
    const OMyImage& img = arPicJigs[size_t(j)];
    const int x0 = win.mrClient.L - win.iScrollL + p.X;
    const int y0 = win.mrClient.T - win.iScrollT + p.Y;
    if (IsFrameJig(j)) {
        const int s = kFrameStripS, iw = JigP.ImageW, ih = JigP.ImageH;
        const int strips[4][4] = {{0, 0, iw, s}, {0, ih - s, iw, s}, {0, s, s, ih - 2 * s}, {iw - s, s, s, ih - 2 * s}};
        for (const auto& st : strips) {
            int x = x0 + st[0], y = y0 + st[1], w = st[2], h = st[3], sx = st[0], sy = st[1];
            if (CalcDrawOnWinCoords(win, x, y, w, h, sx, sy))
                DrawJig0(j, x, y, w, h, sx, sy);
        }
        return;
    }
    int x = x0, y = y0, w = p.DrawW, h = p.DrawH, sx = img.H * p.Rot, sy = 0;
    if (CalcDrawOnWinCoords(win, x, y, w, h, sx, sy))
        DrawJig0(j, x, y, w, h, sx, sy);
}

void DrawJig0(int j, int x, int y, int w, int h, int sx, int sy)
{
    const OMyImage& img = arPicJigs[size_t(j)];
    uint32_t tex = img.Texture;
    if (size_t(j) < PieceAtlasP.arEntries.size() && PieceAtlasP.arEntries[size_t(j)].page >= 0) {
        const TAtlasEntry& e = PieceAtlasP.arEntries[size_t(j)];
        tex = PieceAtlasP.arPages[size_t(e.page)];
        sx += e.x;
        sy += e.y;
    }
    const float white[4] = {1, 1, 1, 1};
    const QuadMode mode = Jigs[size_t(j)].Sel ? QuadMode::Inverted : QuadMode::Normal;
    GLBatch_Quad(tex, mode, white, float(x), float(y), float(w), float(h), float(sx), float(sy), float(w), float(h));
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

// src halved: each pixel the mean of a 2 x 2 block (of the last row or
// column alone where a side is odd), every byte of the pixel alike.
void HalvePicture(const OMyImage& src, OMyImage& dst)
{
    assert(dst.W == (src.W + 1) / 2 && dst.H == (src.H + 1) / 2 && dst.iBPP == src.iBPP);
    const int bpp = src.iBPP;
    for (int y = 0; y < dst.H; ++y) {
        const uint8_t* r0 = MyImageGetLineXY(src, 0, 2 * y);
        const uint8_t* r1 = MyImageGetLineXY(src, 0, imin(2 * y + 1, src.H - 1));
        uint8_t* d = MyImageGetLineXY(dst, 0, y);
        for (int x = 0; x < dst.W; ++x, d += bpp) {
            const int a = 2 * x * bpp, b = imin(2 * x + 1, src.W - 1) * bpp;
            for (int c = 0; c < bpp; ++c)
                d[c] = uint8_t((r0[a + c] + r0[b + c] + r1[a + c] + r1[b + c] + 2) >> 2);
        }
    }
}

}  // namespace

void CreateThumbTexture()
{
    miThumbTexture = OMyImage{};
    if (!miJigs || !miJigs->HasPixels())
        return;
    OMyImagePtr half = MyImageCreateExt((miJigs->W + 1) / 2, (miJigs->H + 1) / 2, miJigs->bAlpha);
    if (!half || half->iBPP != miJigs->iBPP)
        return;
    HalvePicture(*miJigs, *half);
    miThumbTexture = std::move(*half);
    MyImageCreateTexture(miThumbTexture, true, TexFilter::Linear);
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

// Shelf packing: strips sorted by height, placed left to right on shelves.
struct TPlacement {
    int piece, page, x, y;
};

std::vector<TPlacement> PackStrips(int side, std::vector<int>* pageHeights)
{
    std::vector<int> order;
    for (size_t i = 0; i < arPicJigs.size(); ++i) {
        const OMyImage& img = arPicJigs[i];
        if (img.HasPixels() && img.W > 0 && img.H > 0 && img.W <= side && img.H <= side)
            order.push_back(int(i));
    }
    std::stable_sort(order.begin(), order.end(),
                     [](int a, int b) { return arPicJigs[size_t(a)].H > arPicJigs[size_t(b)].H; });
    std::vector<TPlacement> out;
    int page = 0, x = 0, y = 0, shelfH = 0;
    pageHeights->assign(1, 0);
    for (int i : order) {
        const OMyImage& img = arPicJigs[size_t(i)];
        if (x + img.W > side) {  // next shelf
            x = 0;
            y += shelfH;
            shelfH = 0;
        }
        if (y + img.H > side) {  // next page
            ++page;
            pageHeights->push_back(0);
            x = y = shelfH = 0;
        }
        out.push_back({i, page, x, y});
        x += img.W;
        shelfH = std::max(shelfH, img.H);
        (*pageHeights)[size_t(page)] = std::max((*pageHeights)[size_t(page)], y + img.H);
    }
    return out;
}

}  // namespace

void PieceAtlas_Free()
{
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
    if (!FieldGL_Ready() || arPicJigs.empty())
        return;
    const int side = std::min(PieceAtlasP.iPageSide, FieldGL.iMaxTexSize);
    std::vector<int> heights;
    const std::vector<TPlacement> places = PackStrips(side, &heights);
    TimelineMark("atlas-packed");
    PieceAtlasP.arEntries.assign(arPicJigs.size(), TAtlasEntry{});
    // Each page is premultiplied straight into one upload buffer (zeroed once,
    // for the gaps between strips) and uploaded from it; the buffer is reused
    // for the next page.
    std::vector<uint8_t> buf;
    for (size_t p = 0; p < heights.size(); ++p) {
        const int pageH = std::max(1, heights[p]);
        const size_t row = size_t(side) * 4;
        buf.assign(row * size_t(pageH), uint8_t(0));
        for (const TPlacement& pl : places) {
            if (pl.page != int(p))
                continue;
            const OMyImage& img = arPicJigs[size_t(pl.piece)];
            for (int y = 0; y < img.H; ++y)
                PremultiplyRowRgba(img, 0, y, img.W, buf.data() + size_t(pl.y + y) * row + size_t(pl.x) * 4);
            PieceAtlasP.arEntries[size_t(pl.piece)] = {int16_t(p), pl.x, pl.y};
        }
        TimelineMark("atlas-page-filled");
        const uint32_t tex = GLCreateRectTextureRgba(side, pageH, buf.data(), TexFilter::Nearest);
        if (tex == 0) {
            PieceAtlas_Free();  // every piece falls back to its own texture
            PieceAtlasP.pBuiltFrom = arPicJigs.data();
            PieceAtlasP.iBuiltCount = arPicJigs.size();
            return;
        }
        TimelineMark("atlas-page-uploaded");
        PieceAtlasP.arPages.push_back(tex);
        PieceAtlasP.arPageSizes.push_back(MakeTSize(side, pageH));
    }
    // Only pieces that found a place in a page may lose their pixels.
    const bool allPlaced = std::all_of(PieceAtlasP.arEntries.begin(), PieceAtlasP.arEntries.end(),
                                       [](const TAtlasEntry& e) { return e.page >= 0; });
    if (FieldP.bLeanAfterOpen && allPlaced)
        DropPieceImagePixels();
}

void PieceAtlas_Invalidate() { PieceAtlasP.pBuiltFrom = nullptr; }

void PieceAtlas_Check()
{
    if (PieceAtlasP.pBuiltFrom != arPicJigs.data() || PieceAtlasP.iBuiltCount != arPicJigs.size())
        PieceAtlas_Build();
}

void Compose_Reset()
{
    RedrawP = 1;
    iScrPending = 0;
    miFrameTexture = OMyImage{};
    miThumbTexture = OMyImage{};
    PieceAtlasP = TPieceAtlas{};
}
