// The rules that move many pieces at once: a quarter turn of a group about
// the pointer, the first layout of a side, arranging the selection on a grid
// and pulling back pieces that lie outside their window.
#include "model/play_rules.h"
#include "model/rules_internal.h"

#include "platform/platform.h"

#include <algorithm>
#include <cmath>

// ---- Turning ------------------------------------------------------------------------------
// A quarter turn clockwise about the pixel (px, py), y downwards, maps the
// pixel (a, b) to (px + py - b, py - px + a): the pixel under the pointer
// stays put, so turns about one point undo each other exactly.

namespace {

void TurnJig(TJig& j, int px, int py, bool clockwise)
{
    const int x = j.X, y = j.Y;
    if (clockwise) {
        j.X = px + py + 1 - (y + j.DrawH);
        j.Y = py - px + x;
    } else {
        j.X = px - py + y;
        j.Y = px + py + 1 - (x + j.DrawW);
    }
}

}  // namespace

void RotateCurJig(int x, int y, int clockwise)
{
    if (DragJigP.bSelected) {
        DeselectJigs();
        if (HasCurJig())
            UpdateDraggedJigScr();
    }
    const bool dragging = DragJigP.State == kDragPieces;
    if (!dragging)
        iCurJig = GetCurJig(x, y);
    if (!HasCurJig())
        return;
    const int frame = FrameJig();
    if (frame >= 0 && JigAt(iCurJig).Layer == JigAt(frame).Layer)
        return;  // the frame and all joined to it never turn
    if (!dragging)
        PutJigsOnTop(kLiftCurrentGroup);
    const TPoint p = ViewToContent(CapturedWinOrNone(), x, y);
    const int32_t layer = JigAt(iCurJig).Layer;
    const uint8_t rot = uint8_t((JigAt(iCurJig).Rot + (clockwise ? 1 : 3)) & 3);
    const int n = JigsInPlay();
    for (int i = 0; i < n; ++i) {
        TJig& j = JigAt(i);
        if (j.Layer != layer)
            continue;
        TurnJig(j, p.x, p.y, clockwise != 0);
        j.Rot = rot;
        UpdateJigDrawCoords(i);
    }
    if (dragging) {
        const TJig& cur = JigAt(iCurJig);
        DragJigP.GrabX = DragJigP.GrabX0 = cur.X - p.x;
        DragJigP.GrabY = DragJigP.GrabY0 = cur.Y - p.y;
    }
    CheckSolvePuzzle();
    GameChanged();
}

// ---- Grids --------------------------------------------------------------------------------

namespace {

// Shuffles the list with the game's generator: entry t swaps with entry MyRandom(k).
void ShuffleList(std::vector<int>& list)
{
    const int k = int(list.size());
    for (int t = 0; t < k; ++t)
        std::swap(list[size_t(t)], list[size_t(MyRandom(k))]);
}

// Grows a grid of cols x rows until it holds k cells, one row or column at a
// time, the choice made by `addColumn`.
template <typename AddColumn>
void GrowGrid(int k, int& cols, int& rows, AddColumn addColumn)
{
    while (int64_t(cols) * rows < k) {
        if (addColumn(cols, rows))
            ++cols;
        else
            ++rows;
    }
}

// round(sqrt(a * b / c)), the division in integers first; at least 1.
int GridSide(int64_t a, int64_t b, int64_t c)
{
    return std::max(1, Round(std::sqrt(double(a * b / std::max<int64_t>(c, 1)))));
}

// The first `m` pieces that lie in window `side` and share their layer with
// none of the first m: the loose pieces, in index order.
std::vector<int> LoosePieces(int m, int side)
{
    std::vector<int32_t> layers(static_cast<size_t>(m));
    for (int i = 0; i < m; ++i)
        layers[size_t(i)] = JigAt(i).Layer;
    std::sort(layers.begin(), layers.end());
    std::vector<int> list;
    for (int i = 0; i < m; ++i) {
        const TJig& j = JigAt(i);
        const auto range = std::equal_range(layers.begin(), layers.end(), j.Layer);
        if (j.Win == side && range.second - range.first == 1)
            list.push_back(i);
    }
    return list;
}

}  // namespace

void RemixJigs(int side, int spreadOut)
{
    const int m = JigsInPlay() - (FrameJig() >= 0 ? 1 : 0);
    std::vector<int> list = LoosePieces(std::max(m, 0), side);
    const int k = int(list.size());
    if (k == 0)
        return;
    const int sw = iMaxMainViewScrollW, sh = iMaxMainViewScrollH;
    const int ofs = JigP.MaskOfs;
    if (!spreadOut) {
        for (int i : list) {
            JigAt(i).X = MyRandom(sw - JigP.TileS) - ofs;
            JigAt(i).Y = MyRandom(sh - JigP.TileS) - ofs;
        }
        return;
    }
    ShuffleList(list);
    const int64_t fw = int64_t(sw) - 2 * ofs, fh = int64_t(sh) - 2 * ofs;
    int cols = GridSide(sw, k, sh);
    int rows = std::max(1, k / cols);
    GrowGrid(k, cols, rows, [](int c, int r) { return int64_t(c + 1) * r < int64_t(r + 1) * c; });
    for (int t = 0; t < k; ++t) {
        TJig& j = JigAt(list[size_t(t)]);
        j.X = int(int64_t(t % cols) * fw / cols + ofs);
        j.Y = int(int64_t(t / cols) * fh / rows + ofs);
    }
}

TArrangeGrid ArrangeGrid(int k, int aw, int ah, int cell)
{
    TArrangeGrid g;
    aw = std::max(aw, 1);
    ah = std::max(ah, 1);
    g.cols = GridSide(k, aw, ah);
    g.rows = GridSide(k, ah, aw);
    // One step towards the area's shape; a few pieces may still fill one
    // row more below the planned ones (5 on a wide table: 4 and 1).
    if (int64_t(g.cols) * g.rows < k) {
        if (int64_t(g.cols + 1) * g.rows > int64_t(g.rows + 1) * g.cols)
            ++g.rows;
        else
            ++g.cols;
    }
    auto fitCells = [&] {
        g.cellW = int64_t(g.cols) * cell > aw ? aw / g.cols : cell;
        g.cellH = int64_t(g.rows) * cell > ah ? ah / g.rows : cell;
    };
    fitCells();
    // That extra row must still lie inside the area; where it would not
    // (the cells already shrunk to the planned rows), the grid grows until
    // every piece has a cell of its own within it.
    const int64_t filledRows = (int64_t(k) + g.cols - 1) / g.cols;
    if (filledRows * g.cellH > ah) {
        GrowGrid(k, g.cols, g.rows, [](int c, int r) { return !(int64_t(c + 1) * r > int64_t(r + 1) * c); });
        fitCells();
    }
    return g;
}

void ArrangeSelectedJigs()
{
    const int n = JigsInPlay();
    if (std::none_of(Jigs.begin(), Jigs.begin() + n, [](const TJig& j) { return j.Sel != 0; }))
        return;
    AutoSaveGuard guard;
    Platform().RequestRedraw(kRedrawFull);
    const std::optional<TFieldWin> cw = FieldHost().CaptureWin();
    const bool pocket = cw && cw->bType == kWinPocket;
    const TFieldWin w0 = FieldHost().ViewWin(0).value_or(HeadlessFieldWin(0));
    const int aw = std::max(1, pocket ? iMaxMainViewW : w0.iMaxScrollW);
    const int ah = std::max(1, pocket ? iMaxMainViewH : w0.iMaxScrollH);

    SortJigs(kSortAscending);
    const int frame = FrameJig();
    int left = INT32_MAX, top = INT32_MAX;
    std::vector<int> list;
    const size_t count = SortedJigs.size();
    for (size_t s = 0; s < count; ++s) {
        const TSortedJig& e = SortedJigs[s];
        const TJig& j = JigAt(e.Index);
        if (!j.Sel)
            continue;
        left = std::min(left, j.X);
        top = std::min(top, j.Y);
        const bool loose = (s == 0 || SortedJigs[s - 1].Layer != e.Layer) &&
                           (s + 1 == count || SortedJigs[s + 1].Layer != e.Layer);
        if (loose && e.Index != frame)
            list.push_back(e.Index);
    }
    const int k = int(list.size());
    if (k == 0)
        return;
    ShuffleList(list);
    const TArrangeGrid g = ArrangeGrid(k, aw, ah, JigP.MaskS + JigP.MaskOfs);
    for (int t = 0; t < k; ++t) {
        TJig& j = JigAt(list[size_t(t)]);
        j.X = (t % g.cols) * g.cellW + left;
        j.Y = (t / g.cols) * g.cellH + top;
    }
    if (pocket)
        FieldHost().PocketUpdateScrollSize(cw->bIndex);
    GameChanged();
}

// ---- Lost pieces --------------------------------------------------------------------------

namespace {

constexpr int kFarAway = 100000;

void MoveRun(size_t first, size_t last, int dx, int dy)
{
    for (size_t s = first; s < last; ++s) {
        TJig& j = JigAt(SortedJigs[s].Index);
        j.X += dx;
        j.Y += dy;
    }
}

// How far a group must move to bring its core back into aw x ah. The core is
// the middle half of the lead piece; for the frame's group it is the frame
// less TileS on each side (strict: the frame sticks out by at most TileS) or,
// not strict, the strips of TileS along its far edges (one must stay in view).
TPoint LostOffset(const TJig& j, bool frameRule, int strict, int aw, int ah)
{
    const int ts = JigP.TileS;
    int l, t, r, b;
    if (!frameRule) {
        l = j.X + j.DrawW / 4;
        r = j.X + j.DrawW - j.DrawW / 4;
        t = j.Y + j.DrawH / 4;
        b = j.Y + j.DrawH - j.DrawH / 4;
    } else if (strict) {
        l = j.X + ts;
        r = j.X + j.DrawW - ts;
        t = j.Y + ts;
        b = j.Y + j.DrawH - ts;
    } else {
        l = j.X + j.DrawW - ts;
        r = j.X + ts;
        t = j.Y + j.DrawH - ts;
        b = j.Y + ts;
    }
    return {l <= 0 ? -l : r > aw ? aw - r : 0, t <= 0 ? -t : b > ah ? ah - b : 0};
}

// Pulls back the group SortedJigs[first..last) whose lead is SortedJigs[lead].
bool PullBackGroup(size_t first, size_t last, size_t lead, int strict, int aw, int ah)
{
    bool moved = false;
    const TJig& jl = JigAt(SortedJigs[lead].Index);
    if (jl.X < -kFarAway || jl.X > kFarAway) {
        MoveRun(first, last, -jl.X, 0);
        moved = true;
    }
    if (jl.Y < -kFarAway || jl.Y > kFarAway) {
        MoveRun(first, last, 0, -jl.Y);
        moved = true;
    }
    // The frame sorts last in its group and lies left of all its pieces.
    size_t taken = lead;
    for (size_t s = first; s < last; ++s)
        if (s != lead && JigAt(SortedJigs[s].Index).X < jl.X)
            taken = s;
    const int frame = FrameJig();
    const bool frameRule = frame >= 0 && SortedJigs[taken].Index == frame;
    const TPoint d = LostOffset(frameRule ? JigAt(frame) : jl, frameRule, strict, aw, ah);
    if (d.x != 0 || d.y != 0) {
        MoveRun(first, last, d.x, d.y);
        moved = true;
    }
    return moved;
}

}  // namespace

bool FindLostJigs(int win, int strict)
{
    Platform().RequestRedraw(kRedrawFull);
    SortJigs(kSortAscending);
    const TFieldWin w = FieldHost().ViewWin(win).value_or(HeadlessFieldWin(win));
    const bool pocket = w.bType == kWinPocket;
    const TFieldWin w0 = FieldHost().ViewWin(0).value_or(HeadlessFieldWin(0));
    const int aw = pocket ? iMainViewW : w0.iMaxScrollW;
    const int ah = pocket ? iMainViewH : w0.iMaxScrollH;
    bool moved = false;
    const size_t n = SortedJigs.size();
    for (size_t first = 0; first < n;) {
        size_t last = first + 1;
        while (last < n && SortedJigs[last].Layer == SortedJigs[first].Layer)
            ++last;
        size_t lead = first;
        while (lead < last && JigAt(SortedJigs[lead].Index).Win != win)
            ++lead;
        if (lead < last && PullBackGroup(first, last, lead, strict, aw, ah))
            moved = true;
        first = last;
    }
    if (moved) {
        if (pocket)
            FieldHost().PocketUpdateScrollSize(win);
        GameChanged();
    }
    return moved;
}

void FindLostJigsOnAllWins()
{
    for (int w = 0; w < kFieldWinCount; ++w) {
        const std::optional<TFieldWin> v = FieldHost().ViewWin(w);
        if (v && WinTypeHoldsPieces(v->bType))
            FindLostJigs(w, kLostStrict);
    }
}
