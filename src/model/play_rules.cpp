// Picking, dragging, dropping and joining; selection, sides, the solve and
// the weight. The draw order lives in sort_jigs.cpp, the rules that move
// many pieces at once in layout_rules.cpp.
#include "model/play_rules.h"
#include "model/rules_internal.h"

#include "model/edge_pieces.h"

#include "platform/platform.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

int32_t iWeightJig = -1;

void PlayRules_Reset()
{
    iWeightJig = -1;
    SortJigsCache_Reset();
}

// ---- Shared helpers -----------------------------------------------------------------------

TFieldWin CapturedWinOrNone()
{
    if (std::optional<TFieldWin> w = FieldHost().CaptureWin())
        return *w;
    TFieldWin none;
    MyRectInitWH(none.mrClient, 0, 0, 0, 0);
    return none;
}

TPoint ViewToContent(const TFieldWin& w, int x, int y)
{
    return {x - w.mrClient.L + w.iScrollL, y - w.mrClient.T + w.iScrollT};
}

bool HasCurJig() { return iCurJig >= 0 && iCurJig < JigsInPlay(); }

void MoveLayer(int32_t layer, int dx, int dy)
{
    const int n = JigsInPlay();
    for (int i = 0; i < n; ++i) {
        TJig& j = JigAt(i);
        if (j.Layer == layer) {
            j.X += dx;
            j.Y += dy;
        }
    }
}

int CountLayer(int32_t layer)
{
    const int n = JigsInPlay();
    int count = 0;
    for (int i = 0; i < n; ++i)
        count += JigAt(i).Layer == layer;
    return count;
}

// ---- Lifting groups -----------------------------------------------------------------------

namespace {

// Lifts group `layer` to the top: the groups above it close the gap and it
// takes n - 1 (or one above the highest remaining layer, should a stored game
// hold layers beyond the piece count, so that two groups never merge).
void LiftLayer(int32_t layer)
{
    const int n = JigsInPlay();
    std::vector<int> members;
    int64_t highest = int64_t(n) - 2;
    for (int i = 0; i < n; ++i) {
        TJig& j = JigAt(i);
        if (j.Layer == layer) {
            members.push_back(i);
            continue;
        }
        if (j.Layer > layer)
            --j.Layer;
        highest = std::max<int64_t>(highest, j.Layer);
    }
    for (int i : members)
        JigAt(i).Layer = int32_t(std::min<int64_t>(highest + 1, INT32_MAX));
}

// Every selected piece above every other piece, groups kept and layers
// renumbered 0.. in draw order. The same result as raising the selected
// layers by (highest layer + 1000) and renumbering, without the overflow.
void LiftSelected()
{
    const int n = JigsInPlay();
    if (n == 0)
        return;
    int64_t highest = INT64_MIN;
    for (int i = 0; i < n; ++i)
        highest = std::max<int64_t>(highest, JigAt(i).Layer);
    std::vector<int64_t> keys(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const TJig& j = JigAt(i);
        keys[size_t(i)] = j.Layer + (j.Sel ? highest + 1000 : 0);
    }
    std::vector<int64_t> distinct = keys;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    for (int i = 0; i < n; ++i)
        JigAt(i).Layer = int32_t(std::lower_bound(distinct.begin(), distinct.end(), keys[size_t(i)]) - distinct.begin());
}

}  // namespace

void PutJigsOnTop(int selected)
{
    if (selected) {
        LiftSelected();
    } else {
        if (!HasCurJig()) {
            SortJigs(kSortAscending);
            return;
        }
        if (IsWeightJig(iCurJig))
            return;
        LiftLayer(JigAt(iCurJig).Layer);
    }
    SortJigs(kSortAscending);
}

// ---- Picking and dragging -----------------------------------------------------------------

namespace {

// The piece's image is opaque at (u, v) of its drawn rectangle. A piece
// without pixels (no images made, as in the headless tools) is a full box.
bool JigOpaqueAt(int i, int u, int v)
{
    if (size_t(i) >= arPicJigs.size())
        return true;
    return JigImageOpaqueAt(i, JigAt(i).Rot * arPicJigs[size_t(i)].H + u, v);
}

}  // namespace

int GetCurJig(int x, int y)
{
    SortJigs(kSortDescending);
    const TFieldWin w = CapturedWinOrNone();
    const TPoint p = ViewToContent(w, x, y);
    int found = -1;
    for (size_t s = 0; s < SortedJigs.size(); ++s) {
        const TSortedJig& e = SortedJigs[s];
        const TJig& j = JigAt(e.Index);
        if (j.Win != w.bIndex || p.x < j.X || p.y < j.Y || p.x - j.X >= j.DrawW || p.y - j.Y >= j.DrawH)
            continue;
        if (bShowOnlyEdges && EdgeFilterHides(e.Index, IsLooseEntry(SortedJigs, s)))
            continue;  // hidden pieces are not there for the pointer
        if (JigOpaqueAt(e.Index, p.x - j.X, p.y - j.Y)) {
            found = e.Index;
            break;
        }
    }
    SortJigs(kSortAscending);
    return found;
}

void DragCurJig(int x, int y, int movesSelection)
{
    if (!HasCurJig())
        return;
    PutJigsOnTop(kLiftCurrentGroup);
    const TPoint p = ViewToContent(CapturedWinOrNone(), x, y);
    const TJig& cur = JigAt(iCurJig);
    DragJigP.GrabX = DragJigP.GrabX0 = cur.X - p.x;
    DragJigP.GrabY = DragJigP.GrabY0 = cur.Y - p.y;
    DragJigP.State = kDragPieces;
    DragJigP.bSelected = movesSelection != 0;
    FieldHost().FillStillBuf(kComposeWithoutDragged);
    Platform().RequestRedraw(kRedrawShow);
}

void MoveJigs(int x, int y, int targetWin, int movesSelection)
{
    if (!HasCurJig())
        return;
    const TFieldWin from = CapturedWinOrNone();
    std::optional<TFieldWin> target = targetWin >= 0 ? FieldHost().ViewWin(targetWin) : std::nullopt;
    const TPoint p = ViewToContent(target ? *target : from, x, y);
    const TJig& cur = JigAt(iCurJig);
    const int dx = p.x + DragJigP.GrabX - cur.X, dy = p.y + DragJigP.GrabY - cur.Y;
    const int32_t layer = cur.Layer;
    const int n = JigsInPlay();
    for (int i = 0; i < n; ++i) {
        TJig& j = JigAt(i);
        if (movesSelection ? j.Sel == 0 : j.Layer != layer)
            continue;
        j.X += dx;
        j.Y += dy;
        if (target)
            j.Win = uint8_t(target->bIndex);
    }
    GameChanged();
    if (target) {
        if (from.bType == kWinPocket && from.bIndex != target->bIndex) {
            FieldHost().PocketCountJigs(from.bIndex);
            FieldHost().PocketUpdateScrollSize(from.bIndex);
        }
        if (target->bType == kWinPocket) {
            FieldHost().PocketCountJigs(target->bIndex);
            FieldHost().PocketUpdateScrollSize(target->bIndex);
        }
        FieldHost().SetCaptureWin(target->bIndex);
        if (target->bType == kWinPocket)
            FieldHost().MoveWinToFront(target->bIndex);
    }
    FieldHost().MoveDirtyRect(dx, dy);
}

// ---- Dropping and joining -----------------------------------------------------------------
// The expected offset (p.X - q.X, p.Y - q.Y) of two correctly placed pieces
// turned r quarter turns clockwise: their home offset turned with them.

namespace {

struct TJoinMatch {
    int q = -1;          // the neighbour joined; -1 none
    int64_t cx = 0, cy = 0;  // the correction that puts p exactly at its place
};

TPoint ExpectedOffset(const TJig& p, const TJig& q, int r)
{
    switch (r & 3) {
    case 1: return {(q.HomeY + q.H) - (p.HomeY + p.H), p.HomeX - q.HomeX};
    case 2: return {(q.HomeX + q.W) - (p.HomeX + p.W), (q.HomeY + q.H) - (p.HomeY + p.H)};
    case 3: return {p.HomeY - q.HomeY, (q.HomeX + q.W) - (p.HomeX + p.W)};
    default: return {p.HomeX - q.HomeX, p.HomeY - q.HomeY};
    }
}

// The join distance in pixels: offsets match when both axes are off by less.
int JoinThreshold()
{
    const double t = std::trunc(double(OptP.StuckKoef) * double(JigP.StuckD) / 10.0);
    return t <= 0 ? 0 : t >= 1e9 ? 1000000000 : int(t);
}

TJoinMatch MatchAt(const TJig& p, const TJig& q, int q_index, TPoint e, int thr)
{
    const int64_t dx = int64_t(p.X) - q.X, dy = int64_t(p.Y) - q.Y;
    if (std::llabs(dx - e.x) >= thr || std::llabs(dy - e.y) >= thr)
        return {};
    return {q_index, e.x - dx, e.y - dy};
}

// The first neighbour slot of p that matches: a piece of another group with
// the same rotation in window `win`.
TJoinMatch MatchNeighbour(int p, int32_t G, int r, int win, int thr)
{
    const int n = JigsInPlay();
    const TJig& jp = JigAt(p);
    for (int16_t slot : jp.Nb) {
        if (slot < 0 || slot >= n || slot == p)
            continue;
        const TJig& jq = JigAt(slot);
        if (jq.Layer == G || jq.Rot != r || jq.Win != win)
            continue;
        if (TJoinMatch m = MatchAt(jp, jq, slot, ExpectedOffset(jp, jq, r), thr); m.q >= 0)
            return m;
    }
    return {};
}

bool TouchesBorder(const TJig& q)
{
    return q.HomeX == JigP.JigsL || q.HomeY == JigP.JigsT || q.HomeX + q.W - 1 == JigP.JigsR ||
           q.HomeY + q.H - 1 == JigP.JigsB;
}

// The frame joins the first border piece of another group lying at its place
// (rotation-0 offsets: the frame never turns).
TJoinMatch MatchFrame(int frame, int32_t G, int r, int win, int thr)
{
    const int n = JigsInPlay();
    const TJig& f = JigAt(frame);
    for (int q = 0; q + 1 < n; ++q) {
        const TJig& jq = JigAt(q);
        if (jq.Layer == G || jq.Rot != r || jq.Win != win || !TouchesBorder(jq))
            continue;
        if (TJoinMatch m = MatchAt(f, jq, q, ExpectedOffset(f, jq, 0), thr); m.q >= 0)
            return m;
    }
    return {};
}

// Merges q's group into p's (layer G); the smaller group moves onto the
// other, the dropped one when they are equal.
void JoinGroups(int32_t G, const TJoinMatch& m)
{
    const int32_t Q = JigAt(m.q).Layer;
    if (CountLayer(G) <= CountLayer(Q))
        MoveLayer(G, int(m.cx), int(m.cy));
    else
        MoveLayer(Q, int(-m.cx), int(-m.cy));
    const int n = JigsInPlay();
    for (int i = 0; i < n; ++i)
        if (JigAt(i).Layer == Q)
            JigAt(i).Layer = G;
}

// The star's point on the last joined pair, content pixels: between two
// pieces, or on the edge of the border piece that the frame took.
TPoint JoinPoint(int p, int q)
{
    const int frame = FrameJig();
    const TJig& a = JigAt(p == frame ? q : p);
    if (p != frame && q != frame) {
        const TJig& b = JigAt(q);
        return {(a.X + a.DrawW / 2 + b.X + b.DrawW / 2) / 2, (a.Y + a.DrawH / 2 + b.Y + b.DrawH / 2) / 2};
    }
    const int x = a.HomeX == JigP.JigsL ? a.X : a.HomeX + a.W - 1 == JigP.JigsR ? a.X + a.DrawW - 1 : a.X + a.DrawW / 2;
    const int y = a.HomeY == JigP.JigsT ? a.Y : a.HomeY + a.H - 1 == JigP.JigsB ? a.Y + a.DrawH - 1 : a.Y + a.DrawH / 2;
    return {x, y};
}

void AnnounceJoin(int p, int q)
{
    if (OptP.Sound_Play)
        Platform().PlaySound("set");
    MoveWeightJigToBottom();
    if (!OptP.Visual_ShowJoin)
        return;
    const TPoint c = JoinPoint(p, q);
    const int winIndex = JigAt(p).Win;
    const TFieldWin w = FieldHost().ViewWin(winIndex).value_or(CapturedWinOrNone());
    FieldHost().StarSetAt(c.x + w.mrClient.L - w.iScrollL - 11, c.y + w.mrClient.T - w.iScrollT - 11, winIndex);
}

// Every piece of the dropped group, in index order (pieces that join on the
// way included), joins at most one neighbour itself.
void JoinDroppedGroup()
{
    const int n = JigsInPlay();
    const int frame = FrameJig();
    const int win = CapturedWinOrNone().bIndex;
    const int thr = JoinThreshold();
    const int32_t G = JigAt(iCurJig).Layer;
    const int r = JigAt(iCurJig).Rot;
    int lastP = -1, lastQ = -1;
    for (int p = 0; p < n; ++p) {
        if (JigAt(p).Layer != G || JigAt(p).Rot != r)
            continue;
        TJoinMatch m;
        if (p == frame)
            m = n >= 2 ? MatchFrame(p, G, r, win, thr) : TJoinMatch{};
        else
            m = MatchNeighbour(p, G, r, win, thr);
        if (m.q < 0)
            continue;
        JoinGroups(G, m);
        lastP = p;
        lastQ = m.q;
    }
    if (lastP < 0)
        return;
    SortJigs(kSortAscending);  // the merged groups now share a layer: keep them adjacent
    AnnounceJoin(lastP, lastQ);
}

}  // namespace

void DropCurJig()
{
    if (HasCurJig())
        JoinDroppedGroup();
    iCurJig = -1;
    DragJigP.State = kDragIdle;
    CheckSolvePuzzle();
    GameChanged();
}

void CheckSolvePuzzle()
{
    const int n = JigsInPlay();
    if (bGameSolved || n == 0)
        return;
    const int32_t layer = JigAt(0).Layer;
    for (int i = 0; i < n; ++i)
        if (JigAt(i).Layer != layer || JigAt(i).Rot != 0)
            return;
    bGameSolved = true;
    // The base piece's box starts at its home in the picture, so the picture
    // is centred when the base lies at the centre offset by its home.
    const int base = FrameJig() >= 0 ? FrameJig() : 0;
    const TJig& b = JigAt(base);
    const int dx = (iMaxMainViewScrollW - JigP.ImageW) / 2 + b.HomeX - b.X;
    const int dy = (iMaxMainViewScrollH - JigP.ImageH) / 2 + b.HomeY - b.Y;
    MoveLayer(layer, dx, dy);
    GameChanged();
    Platform().RequestRedraw(kRedrawFull);
    if (OptP.Sound_Play)
        Platform().PlaySound("win");
    Platform().ShowMessage(LangMessage("MS_Congratulat"));
}

// ---- Selection and sides ------------------------------------------------------------------

void DeselectJigs()
{
    Platform().RequestRedraw(kRedrawFull);
    const int n = JigsInPlay();
    for (int i = 0; i < n; ++i)
        JigAt(i).Sel = 0;
    FindLostJigs(CapturedWinOrNone().bIndex, kLostLoose);
    DragJigP.bSelected = false;
}

namespace {

// The window that "select all" works in: the captured one, or the current
// side's when none or a tool window (thumbnail, glass) is captured.
int SelectAllWin()
{
    std::optional<TFieldWin> w = FieldHost().CaptureWin();
    if (w && WinTypeHoldsPieces(w->bType))
        return w->bIndex;
    const int index = FieldHost().RetWinForBkgCur();
    FieldHost().SetCaptureWin(index);
    return index;
}

// Every piece of the group run SortedJigs[first..last) lies inside the
// selection frame once shrunk by a third of its drawn size on each side.
bool RunInsideSelRect(size_t first, size_t last)
{
    const TMyRect& f = DragJigP.SelRect;
    const int frame = FrameJig();
    for (size_t s = first; s < last; ++s) {
        const int i = SortedJigs[s].Index;
        const TJig& j = JigAt(i);
        const int mx = i == frame ? 20 : j.DrawW / 3, my = i == frame ? 20 : j.DrawH / 3;
        if (j.X + mx < f.L || j.Y + my < f.T || j.X + j.DrawW - mx > f.L + f.W || j.Y + j.DrawH - my > f.T + f.H)
            return false;
    }
    return true;
}

void SelectInSelRect(int win)
{
    const size_t n = SortedJigs.size();
    for (size_t first = 0; first < n;) {
        size_t last = first + 1;
        while (last < n && SortedJigs[last].Layer == SortedJigs[first].Layer)
            ++last;
        const int lead = SortedJigs[first].Index;
        const bool hidden = bShowOnlyEdges && last == first + 1 && EdgeFilterHides(lead, true);
        if (JigAt(lead).Win == win && !IsWeightJig(lead) && !hidden && RunInsideSelRect(first, last))
            for (size_t s = first; s < last; ++s)
                JigAt(SortedJigs[s].Index).Sel = 1;
        first = last;
    }
}

}  // namespace

void SelectJigs(int all)
{
    Platform().RequestRedraw(kRedrawFull);
    SortJigs(kSortAscending);
    DragJigP.bSelected = false;
    DragJigP.State = kDragIdle;
    const int n = JigsInPlay();
    if (all) {
        const int win = SelectAllWin();
        for (int i = 0; i < n; ++i)
            if (JigAt(i).Win == win && !IsWeightJig(i))
                JigAt(i).Sel = 1;
    } else {
        SelectInSelRect(CapturedWinOrNone().bIndex);
    }
    for (int i = 0; i < n && !DragJigP.bSelected; ++i)
        DragJigP.bSelected = JigAt(i).Sel != 0;
    if (DragJigP.bSelected)
        PutJigsOnTop(kLiftSelection);
    else
        SortJigs(kSortAscending);
}

void ChangeJigsSide(int /*x*/, int /*y*/, int selectedOnly)
{
    const int target = CapturedWinOrNone().bIndex == 0 ? 1 : 0;
    const int n = JigsInPlay();
    if (selectedOnly) {
        for (int i = 0; i < n; ++i)
            if (JigAt(i).Sel)
                JigAt(i).Win = uint8_t(target);
    } else if (HasCurJig()) {
        PutJigsOnTop(kLiftCurrentGroup);
        const int32_t layer = JigAt(iCurJig).Layer;
        for (int i = 0; i < n; ++i)
            if (JigAt(i).Layer == layer)
                JigAt(i).Win = uint8_t(target);
    }
    iCurJig = -1;
    GameChanged();
}

// ---- Weight -------------------------------------------------------------------------------

bool IsWeightJig(int j)
{
    const int n = JigsInPlay();
    return iWeightJig >= 0 && iWeightJig < n && j >= 0 && j < n &&
           JigAt(j).Layer == JigAt(iWeightJig).Layer;
}

void MoveWeightJigToBottom()
{
    const int n = JigsInPlay();
    if (iWeightJig < 0 || iWeightJig >= n)
        return;
    const int32_t g = JigAt(iWeightJig).Layer;
    for (int i = 0; i < n; ++i) {
        TJig& j = JigAt(i);
        if (j.Layer == g)
            j.Layer = 0;
        else if (j.Layer < g)
            ++j.Layer;
    }
    SortJigs(kSortAscending);
}
