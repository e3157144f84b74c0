#include "field/mouse.h"

#include "field/compose.h"
#include "field/field.h"
#include "field/field_win.h"
#include "field/pockets.h"
#include "field/tools.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "model/undo.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool GlassShown() { return GlassP.win && GlassP.win->bVisible; }

// The selection frame with its corners in order (it is drawn from any corner).
TMyRect NormalSelRect(const TMyRect& r)
{
    return vMyRectInitRB(std::min(r.L, r.R), std::min(r.T, r.B), std::max(r.L, r.R), std::max(r.T, r.B));
}

// Window search of a mouse-down: the glass frame, else the front-most
// visible window holding the (lens-converted) point.
OMyWin* FindPressedWin(int x, int y, int fx, int fy, bool underLens)
{
    if (GlassShown() && !underLens && GlassP.win->hasMouseOnFrame(MakeTPoint(x, y)))
        return GlassP.win.get();
    for (int i = int(arSortedViewWins.size()) - 1; i >= 0; --i) {
        OMyWin* w = arSortedViewWins[size_t(i)];
        if (w->bVisible && MyRectIsCoordsIn(fx, fy, w->mrWin))
            return w;
    }
    return nullptr;
}

// Step 3 of a mouse-down: a frame or control gesture. True when one started.
bool StartWinGesture(OMyWin* win, int x, int y)
{
    const TPoint p = MakeTPoint(x, y);
    uint8_t code = win->updateOverActionWithMousePos(p, true);
    if (code == 0 && win->bEnableDragAndMove &&
        (win->hasMouseOnFrame(p) || (win->bEnableDragAndMoveClient && MyRectIsCoordsIn(x, y, win->mrClient))))
        code = kActMove;
    if (code == 0)
        return false;
    DragWinP.bDragAction = code;
    DragWinP.win = win;
    DragWinP.but = win->curButton;
    switch (code) {
    case kActResize:
        DragWinP.iDragOX = win->mrWin.R - x;
        DragWinP.iDragOY = win->mrWin.B - y;
        break;
    case kActMove:
        DragWinP.iDragOX = x - win->mrWin.L;
        DragWinP.iDragOY = y - win->mrWin.T;
        break;
    case kActHorThumb:
    case kActVerThumb: {
        const OMyButton& th = code == kActHorThumb ? win->mbHorThumb() : win->mbVerThumb();
        DragWinP.iDragOX = x - th.MR.L;
        DragWinP.iDragOY = y - th.MR.T;
        break;
    }
    case kActPageLeft: case kActPageRight: case kActPageUp: case kActPageDown:
        ScrollCurWin(win, 0, 0);
        break;
    default:
        break;
    }
    if (win->bType == kWinPocket || win->bType == kWinThumb)
        win->moveToFront();
    if (win->bType != kWinSide)
        FillStillBuf(kComposeWithoutCurWin);
    RedrawP = kRedrawFull;
    return true;
}

// Right button on an empty spot: drag the content by hand when a bar shows.
void StartHandScroll(OMyWin* win, int x, int y)
{
    if (!win->bHorScrollVisible && !win->bVerScrollVisible)
        return;
    DragWinP.win = win;
    DragWinP.bDragAction = kActHandScroll;
    if (win->bHorScrollVisible)
        DragWinP.iDragOX = win->mbHorThumb().MR.L + x;
    if (win->bVerScrollVisible)
        DragWinP.iDragOY = win->mbVerThumb().MR.T + y;
    if (win->bType != kWinSide)
        FillStillBuf(kComposeWithoutCurWin);
    RedrawP = kRedrawFull;
}

// The rotation pairs of the mouse scheme; CCW wins when both are the same.
bool TryRotate(int button, int shift, int x, int y)
{
    const MOUSE_ACTION a{uint8_t(button), uint8_t(shift)};
    if (a == CurMA.RotCCW) {
        if (JigP.Rotate)
            RotateCurJig(x, y, kTurnCounterClockwise);
        return true;
    }
    if (a == CurMA.RotCW) {
        if (JigP.Rotate)
            RotateCurJig(x, y, kTurnClockwise);
        return true;
    }
    return false;
}

// Left button, no modifier, in the client: pick, or start a selection frame.
void PressPiece(OMyWin* win, int x, int y)
{
    if (CurMA.bClickToDrag) {
        if (DragJigP.State == kDragPieces)
            return;
        DragJigP.bClickPending = true;
        DragJigP.ClickX = x;
        DragJigP.ClickY = y;
    }
    iCurJig = GetCurJig(x, y);
    if (iCurJig < 0) {
        if (DragJigP.bSelected)
            DeselectJigs();
        const int px = x - win->mrClient.L + win->iScrollL, py = y - win->mrClient.T + win->iScrollT;
        DragJigP.SelRect = vMyRectInitWH(px, py, 1, 1);
        DragJigP.State = kDragFrame;
        FillStillBuf(kComposeWithoutFrame);
        RedrawP = kRedrawShow;
    } else if (DragJigP.bSelected && JigAt(iCurJig).Sel) {
        DragCurJig(x, y, kMoveSelection);
    } else {
        if (DragJigP.bSelected)
            DeselectJigs();
        DragCurJig(x, y, kMoveCurrentGroup);
    }
}

// True while pieces are carried; their window is then the current one (should
// something have left none current, the current piece's window becomes it).
bool CarryingPieces()
{
    if (DragJigP.State != kDragPieces)
        return false;
    if (!CaptureWin && iCurJig >= 0 && size_t(iCurJig) < Jigs.size())
        SetCaptureWin(GetViewWin(JigAt(iCurJig).Win));
    return CaptureWin != nullptr;
}

// A point of a carried piece's drag: seen through the lens when over it.
// The pieces' window stays current, so the rules convert it for that window.
TPoint DragPoint(int x, int y)
{
    int fx = x, fy = y;
    if (GlassShown())
        GlassP.IfMouseUnderGlass(fx, fy, true);
    return MakeTPoint(fx, fy);
}

// A press while pieces are carried: no other window becomes current and no
// gesture starts; only a turn of the carried piece and, with click-to-drag,
// the press whose release puts the pieces down are taken.
void PressWhileDragging(int button, int shift, int x, int y)
{
    const TPoint p = DragPoint(x, y);
    if (TryRotate(button, shift, p.x, p.y)) {
        RedrawP = kRedrawFull;
        return;
    }
    if (CurMA.bClickToDrag && button == 0 && shift == 0)
        DragWinP.bPutDownPress = true;
}

// The part of a mouse-down before its gestures: the window under the point
// becomes current. Null (nothing current) when the press is on no window.
OMyWin* PressWindow(int x, int y, int* fx, int* fy, bool* underLens)
{
    RedrawP = kRedrawFull;
    DragWinP.clear();
    SetCaptureWin(nullptr);
    *fx = x;
    *fy = y;
    *underLens = GlassShown() && GlassP.IfMouseUnderGlass(*fx, *fy, true);
    OMyWin* win = FindPressedWin(x, y, *fx, *fy, *underLens);
    if (win)
        SetCaptureWin(win);
    return win;
}

void EndWinGesture(int x, int y)
{
    if (DragWinP.but)
        DragWinP.but->bDown = false;
    OMyWin* w = DragWinP.win;
    switch (DragWinP.bDragAction) {
    case kActClose:
        if (w->bType == kWinPocket)
            PocketSetVisible(w->bIndex, false);
        else
            w->setVisible(false);
        break;
    case kActZoom2: GlassP.setZoom(3); break;
    case kActZoom3: GlassP.setZoom(2); break;
    case kActMove: CheckWindowsAreInView(); break;
    default: break;
    }
    (void)x;
    (void)y;
    DragWinP.clear();
}

void ContinueWinGesture(int button, int x, int y)
{
    OMyWin* w = DragWinP.win;
    switch (DragWinP.bDragAction) {
    case kActMove:
        w->changeLT(MakeTPoint(x - DragWinP.iDragOX, y - DragWinP.iDragOY));
        w->move();
        break;
    case kActResize: {
        if (w->bType == kWinSide)
            break;  // the sides always fill the view: their corner only absorbs the press
        const TSize want = MakeTSize(x + DragWinP.iDragOX - w->mrWin.L + 1, y + DragWinP.iDragOY - w->mrWin.T + 1);
        const TSize s = w->calcPropSizeByClientSize(false, want, true);
        MyRectChangeWH(w->mrWin, s.cx, s.cy);
        w->resizeNoCheck();
        if (w->bType == kWinGlass)
            GlassP.updateAxes();
        break;
    }
    case kActHorThumb: case kActVerThumb:
        ScrollCurWin(w, x - DragWinP.iDragOX, y - DragWinP.iDragOY);
        break;
    case kActHandScroll:
        if (button == 2) {
            DragWinP.clear();
            return;
        }
        ScrollCurWin(w, DragWinP.iDragOX - x, DragWinP.iDragOY - y);
        break;
    default:
        break;
    }
    // A side lies under everything: the next frame composes the whole field
    // once, however many moves come before it. Any other window is redrawn
    // over the still buffer that holds the rest.
    if (w->bType == kWinSide) {
        RedrawP = kRedrawFull;
        return;
    }
    RedrawP = kRedrawShow;
    DrawToScrBuf(rbScr, kComposeStill);
    DrawToScrBuf(rbScr, kComposeCurWin);
}

void Hover(int x, int y)
{
    OMyButton* before = DragWinP.but;
    for (auto& w : arViewWins)
        w->clearHightlightStatus();
    if (GlassP.win)
        GlassP.win->clearHightlightStatus();
    uint8_t code = 0;
    OMyWin* found = nullptr;
    for (int i = int(arSortedViewWins.size()) - 1; i >= 0 && code == 0; --i) {
        OMyWin* w = arSortedViewWins[size_t(i)];
        code = w->updateOverActionWithMousePos(MakeTPoint(x, y), false);
        if (code != 0)
            found = w;
    }
    if (code == 0 && GlassP.win) {
        code = GlassP.win->updateOverActionWithMousePos(MakeTPoint(x, y), false);
        if (code != 0)
            found = GlassP.win.get();
    }
    DragWinP.bOverAction = code;
    DragWinP.win = found;
    DragWinP.but = found ? found->curButton : nullptr;
    // Only a change of highlight changes the picture.
    if (DragWinP.but != before)
        RedrawP = kRedrawFull;
}

void ReleasePieces(int x, int y)
{
    if (DragJigP.bSelected) {
        MoveJigs(x, y, -1, kMoveSelection);
        iCurJig = -1;
        DragJigP.State = kDragIdle;
    } else {
        MoveJigs(x, y, -1, kMoveCurrentGroup);
        DropCurJig();
        FindLostJigs(CaptureWin->bIndex, kLostLoose);
    }
    if (CaptureWin->bType == kWinPocket)
        PocketUpdateScrollSize(CaptureWin->bIndex);
    Undo_Commit();
}

void MoveToOtherSide(int x, int y)
{
    iCurJig = GetCurJig(x, y);
    if (iCurJig < 0)
        return;
    if (DragJigP.bSelected && JigAt(iCurJig).Sel) {
        ChangeJigsSide(x, y, kMoveSelection);
        DeselectJigs();
    } else {
        if (DragJigP.bSelected)
            DeselectJigs();
        ChangeJigsSide(x, y, kMoveCurrentGroup);
    }
    if (DragJigP.State == kDragPieces)
        DragJigP.State = kDragIdle;
    Undo_Commit();
}

// The front-most visible window at (x, y), seen through the lens when the
// point is on it; null on the glass's frame or on no window.
OMyWin* WindowUnderPointer(int x, int y)
{
    int fx = x, fy = y;
    const bool underLens = GlassShown() && GlassP.IfMouseUnderGlass(fx, fy, true);
    if (GlassShown() && !underLens && MyRectIsCoordsIn(x, y, GlassP.win->mrWin))
        return nullptr;
    return FindPressedWin(x, y, fx, fy, underLens);
}

// A wheel notch here would turn a piece: one lies under the pointer in the
// client of the window there.
bool WheelTurnsAPiece(int x, int y)
{
    int fx = x, fy = y;
    if (GlassShown())
        GlassP.IfMouseUnderGlass(fx, fy, true);
    OMyWin* win = WindowUnderPointer(x, y);
    if (!win || win->bType == kWinGlass || !MyRectIsCoordsIn(fx, fy, win->mrClient) || WeightP.bVisible)
        return false;
    OMyWin* before = CaptureWin;
    CaptureWin = win;  // the rules look in the captured window
    const bool hit = GetCurJig(fx, fy) >= 0;
    CaptureWin = before;
    return hit;
}

// Scrolls a window by view pixels; the two sides keep one geometry.
void ScrollWinBy(OMyWin* win, int dx, int dy)
{
    if (!win->scrollBy(dx, dy))
        return;
    OMyWin* s0 = GetViewWin(kSide0);
    OMyWin* s1 = GetViewWin(kSide1);
    if (win == s0 && s1)
        s1->copyBoundsFrom(*s0);
    else if (win == s1 && s0)
        s0->copyBoundsFrom(*s1);
    RedrawP = kRedrawFull;
}

}  // namespace

// ---- Mouse ---------------------------------------------------------------------------------

void DoFieldMouseDown(int button, int shift, int x, int y)
{
    if (!IsGameOpen())
        return;
    AutoSaveGuard guard;
    if (CarryingPieces()) {
        PressWhileDragging(button, shift, x, y);
        return;
    }
    int fx, fy;
    bool underLens;
    OMyWin* win = PressWindow(x, y, &fx, &fy, &underLens);
    if (!win)
        return;
    if (StartWinGesture(win, x, y))
        return;
    if (!MyRectIsCoordsIn(fx, fy, win->mrClient) || win->bType == kWinGlass) {
        SetCaptureWin(nullptr);
        return;
    }
    if (win->bType == kWinPocket)
        win->moveToFront();
    if (WeightP.bVisible)
        return;
    if (button == 1 && GetCurJig(fx, fy) < 0) {
        StartHandScroll(win, fx, fy);
        return;
    }
    if (TryRotate(button, shift, fx, fy)) {
        Undo_Commit();
        return;
    }
    if (button != 0 || shift != 0)
        return;
    PressPiece(win, fx, fy);
}

void DoFieldMouseMove(int button, int shift, int x, int y)
{
    (void)shift;
    if (!IsGameOpen() || !CaptureWin)
        return;
    AutoSaveGuard guard;
    int fx = x, fy = y;
    if (GlassShown() && (CaptureWin != GlassP.win.get() || button == 2))
        GlassP.IfMouseUnderGlass(fx, fy, true);
    if (WeightP.bVisible) {
        RedrawP = kRedrawShow;
        WeightP.moveTo(MakeTPoint(x, y), FindTargetWin(fx, fy));
        return;
    }
    // Frame gestures follow the mouse itself, never a point seen through the lens.
    if (DragWinP.bDragAction != 0) {
        ContinueWinGesture(button, x, y);
        return;
    }
    if (DragJigP.State == kDragFrame) {
        TMyRect& r = DragJigP.SelRect;
        MyRectChangeRB(r, fx - CaptureWin->mrClient.L + CaptureWin->iScrollL,
                       fy - CaptureWin->mrClient.T + CaptureWin->iScrollT);
        RedrawP = kRedrawShow;
        DrawToScrBuf(rbScr, kComposeStill);
        DrawToScrBuf(rbScr, kComposeFrame);
        return;
    }
    if (DragJigP.State == kDragPieces) {
        RedrawP = kRedrawShow;
        OMyWin* target = FindTargetWin(fx, fy);
        MoveJigs(fx, fy, target ? target->bIndex : -1, DragJigP.bSelected ? kMoveSelection : kMoveCurrentGroup);
        return;
    }
    if (button == 2) {
        StillBuf_Prepare();  // a gesture may follow: not on its first frame
        Hover(x, y);
    }
}

void DoFieldMouseUp(int button, int shift, int x, int y)
{
    if (!IsGameOpen())
        return;
    AutoSaveGuard guard;
    RedrawP = kRedrawFull;
    int fx = x, fy = y;
    if (GlassShown())
        GlassP.IfMouseUnderGlass(fx, fy, true);
    if (DragWinP.bDragAction != 0) {
        EndWinGesture(x, y);
        return;
    }
    if (CarryingPieces() && button != 0)
        return;  // only the left button ends a drag
    if (!CaptureWin)
        return;
    if (button == 0) {
        bool putDown = false;
        if (CurMA.bClickToDrag && DragJigP.State == kDragPieces) {
            if (DragJigP.bClickPending) {
                DragJigP.bClickPending = false;
                // The release of the picking click keeps carrying unless the hand moved.
                if (std::abs(fx - DragJigP.ClickX) <= 1 && std::abs(fy - DragJigP.ClickY) <= 2)
                    return;
            } else if (!DragWinP.bPutDownPress) {
                return;  // the release of a turning click
            }
            DragWinP.bPutDownPress = false;
            putDown = true;
        }
        if (!putDown && DragJigP.State == kDragFrame) {
            DragJigP.SelRect = NormalSelRect(DragJigP.SelRect);
            DragJigP.State = kDragIdle;
            SelectJigs(kSelectInFrame);
            return;
        }
        if (putDown || DragJigP.State == kDragPieces) {
            ReleasePieces(fx, fy);
            return;
        }
        if (WeightP.bVisible) {
            WeightP.drop(MakeTPoint(fx, fy));
            Undo_Commit();
            return;
        }
        // A plain left click picked or framed above; a left click with a
        // modifier may be the move to the other side.
    }
    const MOUSE_ACTION a{uint8_t(button), uint8_t(shift)};
    if (a == CurMA.MoveOW && !CurMA.bSingleWin && CaptureWin->bType == kWinSide)
        MoveToOtherSide(fx, fy);
}

void DoFieldWheel(double delta, int x, int y, bool sideways)
{
    if (!IsGameOpen() || delta == 0)
        return;
    // Never in the middle of a frame gesture or a selection frame.
    if (DragWinP.bDragAction != 0 || DragJigP.State == kDragFrame)
        return;
    AutoSaveGuard guard;
    const bool turns = CurMA.bRotWheel && JigP.Rotate;
    const MOUSE_ACTION& a = delta < 0 ? CurMA.RotCW : CurMA.RotCCW;
    if (CarryingPieces()) {
        if (turns)
            PressWhileDragging(a.bButton, a.bShift, x, y);
        return;
    }
    if (turns && WheelTurnsAPiece(x, y)) {
        // The wheel only turns: it takes the press's window search and
        // rotation, never a frame gesture, hand scroll or pick (no release
        // would end them).
        int fx, fy;
        bool underLens;
        OMyWin* win = PressWindow(x, y, &fx, &fy, &underLens);
        if (win->bType == kWinPocket)
            win->moveToFront();
        TryRotate(a.bButton, a.bShift, fx, fy);
        Undo_Commit();
        return;
    }
    if (OMyWin* win = WindowUnderPointer(x, y)) {
        const int step = delta > 0 ? -kFieldScrollStep : kFieldScrollStep;
        ScrollWinBy(win, sideways ? step : 0, sideways ? 0 : step);
    }
}

void DoFieldSpaceKey()
{
    if (!IsGameOpen() || CurMA.bSingleWin)
        return;
    AutoSaveGuard guard;
    if (DragJigP.bSelected && DragJigP.State != kDragPieces)
        DeselectJigs();
    ChangeSide(1 - bCurSide);
}

void DoFieldArrowKey(int dx, int dy)
{
    // Not under a gesture: its still buffer holds the table as it was scrolled.
    if (!IsGameOpen() || DragJigP.State != kDragIdle || DragWinP.bDragAction != 0)
        return;
    if (OMyWin* side = GetViewWin(bCurSide))
        ScrollWinBy(side, dx * kFieldScrollStep, dy * kFieldScrollStep);
}

void DoFieldEscapeKey()
{
    if (!IsGameOpen())
        return;
    AutoSaveGuard guard;
    if (DragJigP.State == kDragFrame) {
        DragJigP.State = kDragIdle;
        DragJigP.SelRect = TMyRect{};
        RedrawP = kRedrawFull;
    }
    if (DragJigP.bSelected && DragJigP.State != kDragPieces) {
        DeselectJigs();
        RedrawP = kRedrawFull;
    }
}

// ---- Windows -----------------------------------------------------------------------------

void ScrollCurWin(OMyWin* win, int x, int y)
{
    win->scroll(MakeTPoint(x, y));
    OMyWin* s0 = GetViewWin(kSide0);
    OMyWin* s1 = GetViewWin(kSide1);
    if (win == s0 && s1)
        s1->copyBoundsFrom(*s0);
    else if (win == s1 && s0)
        s0->copyBoundsFrom(*s1);
}

OMyWin* FindTargetWin(int x, int y)
{
    OMyWin* found = nullptr;
    for (int i = int(arSortedViewWins.size()) - 1; i >= 0 && !found; --i) {
        OMyWin* w = arSortedViewWins[size_t(i)];
        if (!w->bVisible || (w->bType != kWinSide && w->bType != kWinPocket))
            continue;
        if (MyRectIsCoordsIn(x, y, w->mrClient) || (w == CaptureWin && w->isMouseOnScrollControls(MakeTPoint(x, y))))
            found = w;
    }
    if (!found || !CaptureWin)
        return nullptr;
    if (CaptureWin->bType == kWinPocket)
        return found != CaptureWin ? found : nullptr;
    if (CaptureWin->bType == kWinSide)
        return found->bType == kWinPocket ? found : nullptr;
    return nullptr;
}

void CheckWindowsAreInView()
{
    const int vw = iMainViewW, vh = iMainViewH;
    if (OMyWin* g = GlassP.win.get()) {
        const int m = g->iHandMinOfs;
        TMyRect r = g->mrWin;
        if (r.R <= m)
            r.L = m - r.W;
        if (r.L >= vw - m)
            r.L = vw - m;
        if (r.B <= m)
            r.T = m - r.H;
        if (r.T >= vh - m)
            r.T = vh - m;
        g->changeLT(MakeTPoint(r.L, r.T));
        g->move();
    }
    for (auto& w : arViewWins) {
        if (!w->bVisible || w->iCaptionS <= 0)
            continue;
        const int bc = w->iBorderS + w->iCaptionS, d = 2 * bc;
        TMyRect r = w->mrWin;
        if (r.R <= d)
            r.L = d - r.W;
        if (r.L >= vw - d)
            r.L = vw - d;
        if (r.T < 0)
            r.T = 0;
        if (r.T >= vh - bc)
            r.T = vh - bc;
        w->changeLT(MakeTPoint(r.L, r.T));
        w->move();
    }
}

void DoFieldResize()
{
    for (int s : {kSide0, kSide1}) {
        if (OMyWin* w = GetViewWin(s)) {
            w->mrWin = vMyRectInitWH(0, 0, iMainViewW, iMainViewH);
            w->resizeNoClient();
        }
    }
    if (IsGameOpen())
        CheckWindowsAreInView();
}

void ChangeSide(int side)
{
    side = side == 1 ? 1 : 0;
    OMyWin* chosen = GetViewWin(side);
    OMyWin* other = GetViewWin(1 - side);
    if (!chosen || !other)
        return;
    RedrawP = kRedrawFull;
    chosen->setVisible(true);
    other->setVisible(false);
    SetCaptureWin(chosen);
    FieldUi().SetMenuItemChecked(chosen->MenuItem, true);
    FieldUi().SetMenuItemChecked(other->MenuItem, false);
    FieldUi().SetToolbarItemImage(kTbSide0, side == 0 ? "tb_side1-sel.png" : "tb_side1.png");
    FieldUi().SetToolbarItemImage(kTbSide1, side == 1 ? "tb_side2-sel.png" : "tb_side2.png");
    bCurSide = side;
    if (DragJigP.State == kDragPieces && iCurJig >= 0 && size_t(iCurJig) < Jigs.size() && JigAt(iCurJig).Win < 2) {
        const int32_t layer = JigAt(iCurJig).Layer;
        for (TJig& p : Jigs)
            if (p.Sel || p.Layer == layer)
                p.Win = uint8_t(side);
        UpdateDraggedJigScr();
    }
}

void UpdateWindowsSize(int fieldW, int fieldH)
{
    iMaxMainViewScrollW = std::max(iMaxMainViewW, fieldW);
    iMaxMainViewScrollH = std::max(iMaxMainViewH, fieldH);
    OMyWin* s0 = GetViewWin(kSide0);
    OMyWin* s1 = GetViewWin(kSide1);
    if (!s0 || !s1)
        return;
    s0->iMaxScrollW = iMaxMainViewScrollW;
    s0->iMaxScrollH = iMaxMainViewScrollH;
    s0->iScrollL = s0->iScrollT = 0;
    s0->resizeNoClient();
    s1->copyBoundsFrom(*s0);
}

void UpdateMinMaxThumbSize(int picW, int picH)
{
    OMyWin* t = GetViewWin(kThumbWin);
    if (!t || picW < 2 || picH < 2)
        return;
    t->iMaxClientW = picW / 2;
    t->iMaxClientH = picH / 2;
    if (t->iMaxClientW > t->iMaxClientH) {
        t->iMinClientH = 40;
        t->iMinClientW = t->iMaxClientW * 40 / t->iMaxClientH;
    } else {
        t->iMinClientW = 40;
        t->iMinClientH = t->iMaxClientH * 40 / t->iMaxClientW;
    }
    t->updateMinMaxWinSize();
    t->resizeWithClient(true, MakeTSize(picW / 4, picH / 4));
}
