#include "model/memory_field.h"

#include "model/play_rules.h"
#include "model/puzzle.h"

#include <algorithm>

namespace {
bool ValidWin(int index) { return index >= 0 && index < kFieldWinCount; }
}  // namespace

OMemoryField::OMemoryField()
{
    for (int i = 0; i < kFieldWinCount; ++i) {
        arWins[size_t(i)] = HeadlessFieldWin(i);
        arZOrder.push_back(i);
    }
}

void OMemoryField::ClearRecord()
{
    arStillBufModes.clear();
    arStars.clear();
    arPocketCounts.clear();
    arScrollSizes.clear();
    iDirtyDX = iDirtyDY = iDirtyMoves = 0;
}

void OMemoryField::PlaceWin(int index, int l, int t, int w, int h, int scrollL, int scrollT)
{
    TFieldWin& win = arWins[size_t(index)];
    MyRectInitWH(win.mrClient, l, t, w, h);
    win.iScrollL = scrollL;
    win.iScrollT = scrollT;
}

void OMemoryField::FillStillBuf(int mode) { arStillBufModes.push_back(mode); }

std::optional<TFieldWin> OMemoryField::CaptureWin() const
{
    if (!ValidWin(iCapture))
        return std::nullopt;
    return arWins[size_t(iCapture)];
}

std::optional<TFieldWin> OMemoryField::ViewWin(int index) const
{
    if (!ValidWin(index))
        return std::nullopt;
    return arWins[size_t(index)];
}

void OMemoryField::SetCaptureWin(int index) { iCapture = ValidWin(index) ? index : -1; }

int OMemoryField::RetWinForBkgCur() const
{
    if (ValidWin(iCapture) && WinTypeHoldsPieces(arWins[size_t(iCapture)].bType))
        return iCapture;
    return bCurSide;
}

void OMemoryField::MoveWinToFront(int index)
{
    if (!ValidWin(index))
        return;
    const auto at = std::find(arZOrder.begin(), arZOrder.end(), index);
    if (at - arZOrder.begin() < 2)
        return;  // the sides stay behind
    arZOrder.erase(at);
    arZOrder.push_back(index);
    SetCaptureWin(index);
}

void OMemoryField::PocketCountJigs(int index)
{
    arPocketCounts.push_back(index);
    if (!ValidWin(index))
        return;
    SortJigs(kSortAscending);
    int count = 0;
    for (size_t s = 0; s < SortedJigs.size(); ++s) {
        const TSortedJig& e = SortedJigs[s];
        if (JigAt(e.Index).Win == index && (s == 0 || SortedJigs[s - 1].Layer != e.Layer))
            ++count;
    }
    arJigsNum[size_t(index)] = count;
}

void OMemoryField::PocketUpdateScrollSize(int index)
{
    arScrollSizes.push_back(index);
    if (!ValidWin(index))
        return;
    int w = 0, h = 0;
    const int n = JigsInPlay();
    for (int i = 0; i < n; ++i) {
        const TJig& j = JigAt(i);
        if (j.Win == index) {
            w = std::max(w, j.X + j.DrawW);
            h = std::max(h, j.Y + j.DrawH);
        }
    }
    arWins[size_t(index)].iMaxScrollW = w;
    arWins[size_t(index)].iMaxScrollH = h;
}

void OMemoryField::MoveDirtyRect(int dx, int dy)
{
    iDirtyDX += dx;
    iDirtyDY += dy;
    ++iDirtyMoves;
}

void OMemoryField::StarSetAt(int x, int y, int index) { arStars.push_back({x, y, index}); }
