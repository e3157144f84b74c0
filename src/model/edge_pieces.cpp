#include "model/edge_pieces.h"

#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdint>

bool bShowOnlyEdges = false;

void EdgePieces_Reset() { bShowOnlyEdges = false; }

bool IsBorderJig(int i)
{
    const int frame = FrameJig();
    if (i == frame)
        return true;
    const TJig& j = JigAt(i);
    // The box covers every pixel of the piece; the cell is where it was cut
    // from. In 64 bits: a stored game may hold any values.
    auto touches = [](int64_t l, int64_t t, int64_t w, int64_t h) {
        const TJigParams& p = JigP;
        return l <= p.JigsL || t <= p.JigsT || l + w - 1 >= p.JigsR || t + h - 1 >= p.JigsB;
    };
    if (touches(j.HomeX, j.HomeY, j.W, j.H) || (j.CellW > 0 && j.CellH > 0 && touches(j.CellX, j.CellY, j.CellW, j.CellH)))
        return true;
    if (frame >= 0)
        for (int16_t nb : j.Nb)
            if (nb == frame)
                return true;
    return false;
}

bool IsLooseEntry(const std::vector<TSortedJig>& order, size_t s)
{
    const int32_t layer = order[s].Layer;
    return (s == 0 || order[s - 1].Layer != layer) && (s + 1 >= order.size() || order[s + 1].Layer != layer);
}

bool EdgeFilterHides(int i, bool loose)
{
    if (!bShowOnlyEdges || !loose)
        return false;
    const uint8_t win = JigAt(i).Win;
    return (win == kSide0 || win == kSide1) && !IsBorderJig(i);
}

bool IsJigHiddenByEdgeFilter(int i)
{
    if (!bShowOnlyEdges)
        return false;
    const int n = JigsInPlay();
    const int32_t layer = JigAt(i).Layer;
    int members = 0;
    for (int k = 0; k < n && members < 2; ++k)
        members += JigAt(k).Layer == layer;
    return EdgeFilterHides(i, members == 1);
}

namespace {

// The first pocket without a piece; -1 when all hold some.
int FirstEmptyPocket()
{
    bool used[kThumbWin] = {};
    const int n = JigsInPlay();
    for (int i = 0; i < n; ++i)
        if (JigAt(i).Win < kThumbWin)
            used[JigAt(i).Win] = true;
    for (int p = kPocket0; p < kThumbWin; ++p)
        if (!used[p])
            return p;
    return -1;
}

// The loose border pieces on the sides that may be put aside, in index order.
std::vector<int> LooseEdgePieces()
{
    SortJigs(kSortAscending);
    const int n = JigsInPlay();
    std::vector<uint8_t> loose(static_cast<size_t>(n), 0);
    for (size_t s = 0; s < SortedJigs.size(); ++s)
        if (SortedJigs[s].Index >= 0 && SortedJigs[s].Index < n)
            loose[size_t(SortedJigs[s].Index)] = IsLooseEntry(SortedJigs, s);
    const bool carrying = DragJigP.State == kDragPieces && iCurJig >= 0 && iCurJig < n;
    const int32_t carried = carrying ? JigAt(iCurJig).Layer : 0;
    const int frame = FrameJig();
    std::vector<int> list;
    for (int i = 0; i < n; ++i) {
        const TJig& j = JigAt(i);
        if (i == frame || !loose[size_t(i)] || j.Win > kSide1 || IsWeightJig(i) || (carrying && j.Layer == carried) ||
            j.Sel)
            continue;
        if (IsBorderJig(i))
            list.push_back(i);
    }
    return list;
}

}  // namespace

TEdgesToPocketResult EdgePiecesToPocketPlan()
{
    TEdgesToPocketResult result;
    const int k = int(LooseEdgePieces().size());
    if (k == 0)
        return result;
    result.iPocket = FirstEmptyPocket();
    result.status = result.iPocket < 0 ? TEdgesToPocket::NoEmptyPocket : TEdgesToPocket::Moved;
    result.iMoved = result.iPocket < 0 ? 0 : k;
    return result;
}

TEdgesToPocketResult EdgePiecesToPocket()
{
    TEdgesToPocketResult result;
    std::vector<int> list = LooseEdgePieces();
    if (list.empty())
        return result;
    const int pocket = FirstEmptyPocket();
    if (pocket < 0) {
        result.status = TEdgesToPocket::NoEmptyPocket;
        return result;
    }
    AutoSaveGuard guard;
    // Shuffled as a handful taken from the table, not in the picture's order.
    const int k = int(list.size());
    for (int t = 0; t < k; ++t)
        std::swap(list[size_t(t)], list[size_t(MyRandom(k))]);
    const TArrangeGrid g = ArrangeGrid(k, std::max(1, iMaxMainViewW), std::max(1, iMaxMainViewH),
                                       JigP.MaskS + JigP.MaskOfs);
    for (int t = 0; t < k; ++t) {
        TJig& j = JigAt(list[size_t(t)]);
        j.Win = uint8_t(pocket);
        j.X = (t % g.cols) * g.cellW;
        j.Y = (t / g.cols) * g.cellH;
    }
    FieldHost().PocketCountJigs(pocket);
    FieldHost().PocketUpdateScrollSize(pocket);
    GameChanged();
    Platform().RequestRedraw(kRedrawFull);
    result.status = TEdgesToPocket::Moved;
    result.iPocket = pocket;
    result.iMoved = k;
    return result;
}
