#include "field/pockets.h"

#include "field/compose.h"
#include "field/field.h"
#include "field/field_win.h"
#include "files/files.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"

#include <algorithm>

namespace {

OMyWin* Pocket(int win)
{
    OMyWin* w = GetViewWin(win);
    return w && w->bType == kWinPocket ? w : nullptr;
}

// A language text, or the fallback when the language file lacks the key.
std::string TextOr(const std::string& key, const std::string& fallback)
{
    const std::string v = LangGetKeyVal(key);
    return v == key ? fallback : v;
}

std::vector<OMyWin*> VisiblePockets()
{
    std::vector<OMyWin*> out;
    for (int i = kPocket0; i < kPocket0 + 4; ++i)
        if (OMyWin* w = Pocket(i); w && w->bVisible)
            out.push_back(w);
    return out;
}

// Shows the hidden pockets that hold pieces; answers the visible ones.
std::vector<OMyWin*> ShowFilledPockets()
{
    for (int i = kPocket0; i < kPocket0 + 4; ++i)
        if (OMyWin* w = Pocket(i); w && w->iJigsNum > 0 && !w->bVisible)
            PocketSetVisible(i, true);
    return VisiblePockets();
}

void PlacePocket(OMyWin& w, const TMyRect& r)
{
    w.mrWin = r;
    w.resizeNoClient();
    w.moveToFront();
    PocketUpdateScrollSize(w.bIndex);
}

}  // namespace

void PocketCountJigs(int win)
{
    OMyWin* w = Pocket(win);
    if (!w)
        return;
    SortJigs(kSortAscending);
    int n = 0;
    for (size_t k = 0; k < SortedJigs.size(); ++k) {
        const int j = SortedJigs[k].Index;
        if (j < 0 || size_t(j) >= Jigs.size() || JigAt(j).Win != win)
            continue;
        if (k == 0 || SortedJigs[k - 1].Layer != SortedJigs[k].Layer)
            ++n;
    }
    w->iJigsNum = n;
    PocketUpdateButton(win);
    PocketUpdateCaption(win);
}

void PocketUpdateButton(int win)
{
    OMyWin* w = Pocket(win);
    if (!w)
        return;
    std::string name = w->iJigsNum > 0 ? "tb_pocket_full" : "tb_pocket_empty";
    if (w->bVisible)
        name += "-sel";
    FieldUi().SetToolbarItemImage(w->ToolbarButton, name + ".png");
}

std::string PocketCaptionText(int win)
{
    OMyWin* w = Pocket(win);
    if (!w)
        return {};
    const int k = win - kPocket0;
    const std::string name =
        TextOr(StrFormat("MM_PocketsPocket%d", k), LangFormat("Pocket %d", {k + 1}));
    if (w->iJigsNum <= 0)
        return name;
    const std::string countKey =
        w->iJigsNum <= 9 ? StrFormat("Pocket_Jigs_%d", w->iJigsNum) : std::string("Pocket_Jigs_M");
    const std::string count = TextOr(countKey, "[%d pieces]");
    return LangFormat(name + " " + count, {w->iJigsNum});
}

void PocketUpdateCaption(int win)
{
    OMyWin* w = Pocket(win);
    if (!w)
        return;
    const int k = win - kPocket0;
    w->setMenuCaption(TextOr(StrFormat("MM_PocketsPocket%d", k), LangFormat("Pocket %d", {k + 1})));
    FieldUi().SetMenuItemTitle(w->MenuItem, StrFormat("MM_PocketsPocket%d", k));
    w->setCaption(PocketCaptionText(win));
    RedrawP = kRedrawFull;
}

void PocketUpdateScrollSize(int win)
{
    OMyWin* w = Pocket(win);
    if (!w)
        return;
    int mw = 0, mh = 0;
    const int n = std::min<int>(JigP.TotalTileNum, int(Jigs.size()));
    for (int j = 0; j < n; ++j) {
        const TJig& p = JigAt(j);
        if (p.Win != win)
            continue;
        mw = std::max(mw, p.X + p.DrawW);
        mh = std::max(mh, p.Y + p.DrawH);
    }
    w->iMaxScrollW = mw;
    w->iMaxScrollH = mh;
    w->resizeNoClient();
}

void PocketSetVisible(int win, bool show)
{
    OMyWin* w = Pocket(win);
    if (!w)
        return;
    w->setVisible(show);
    if (show)
        w->moveToFront();
    PocketUpdateButton(win);
    FieldUi().SetMenuItemChecked(w->MenuItem, show);
    if (show && w->iJigsNum == 0) {
        PocketUpdateCaption(win);
        const int vw = iMainViewW, vh = iMainViewH, ww = vw / 4, wh = vh / 4;
        int refL = 10000, refT = -9999;
        bool found = false;
        for (int i = kPocket0; i < kPocket0 + 4; ++i) {
            const OMyWin* o = Pocket(i);
            if (i == win || !o || !o->bVisible)
                continue;
            if (o->mrWin.L < refL && o->mrWin.T > refT) {
                refL = o->mrWin.L;
                refT = o->mrWin.T;
                found = true;
            }
        }
        int l = std::max(0, vw - ww), t = 0;
        if (found) {
            l = refL - 40;
            if (l + ww > vw)
                l = vw - ww;
            t = refT + 40;
            if (t + wh > vh)
                t = vh - wh;
            l = std::max(0, l);
            t = std::max(0, t);
        }
        w->mrWin = vMyRectInitWH(l, t, ww, wh);
        w->resizeNoClient();
    }
    RedrawP = kRedrawFull;
}

void PocketsTile()
{
    const std::vector<OMyWin*> pockets = ShowFilledPockets();
    const int n = int(pockets.size());
    if (n == 0)
        return;
    const int W = iMainViewW, H = iMainViewH, w = W / 4;
    int y = 0;
    for (OMyWin* p : pockets) {
        PlacePocket(*p, vMyRectInitWH(W - w, y, w, H / n));
        y += H / n;
    }
    RedrawP = kRedrawFull;
    UpdateDraggedJigScr();
}

void PocketsCascade()
{
    const std::vector<OMyWin*> pockets = ShowFilledPockets();
    const int n = int(pockets.size());
    if (n == 0)
        return;
    const int W = iMainViewW, H = iMainViewH, w = W / 4;
    int l = W - w - 30 * n + 30, t = 0;
    for (OMyWin* p : pockets) {
        PlacePocket(*p, vMyRectInitWH(l, t, w, H - 34 * n));
        l += 30;
        t += 34;
    }
    RedrawP = kRedrawFull;
    UpdateDraggedJigScr();
}

void PocketsClearAll()
{
    for (int i = kPocket0; i < kPocket0 + 4; ++i) {
        OMyWin* w = Pocket(i);
        if (!w)
            continue;
        w->iJigsNum = 0;
        w->setVisible(false);
        PocketUpdateButton(i);
        FieldUi().SetMenuItemChecked(w->MenuItem, false);
        PocketUpdateCaption(i);
        PocketUpdateScrollSize(i);
    }
}
