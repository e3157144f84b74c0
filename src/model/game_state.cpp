#include "model/game_state.h"

// Until a window measures itself, the largest view is a full-HD screen.
int iMainViewW = 1920, iMainViewH = 1080;
int iMaxMainViewW = 1920, iMaxMainViewH = 1080;
int iMaxMainViewScrollW = 1920, iMaxMainViewScrollH = 1080;
int bCurSide = 0;

TOptions OptP;
const MOUSE_SCHEMA DefMA = {{1, 8}, {0, 8}, {1, 0}, 0, 0, 1};
const MOUSE_SCHEMA KidsMA = {{1, 0}, {1, 8}, {0, 8}, 1, 1, 1};
MOUSE_SCHEMA CurMA = DefMA;
TWinParams WinP;
OAutosaveP AutoSaveP;
bool bAutoSaveDoProc = false;

namespace {
IFieldHost g_nullFieldHost;
IFieldHost* g_fieldHost = nullptr;
TLangMessageFn g_langMessageFn = nullptr;
}  // namespace

TFieldWin HeadlessFieldWin(int index)
{
    TFieldWin w;
    w.bIndex = index;
    w.bType = index < kPocket0 ? kWinSide : index < kThumbWin ? kWinPocket : kWinThumb;
    MyRectInitWH(w.mrClient, 0, 0, iMainViewW, iMainViewH);
    if (w.bType == kWinSide) {
        w.iMaxScrollW = iMaxMainViewScrollW;
        w.iMaxScrollH = iMaxMainViewScrollH;
    }
    return w;
}

std::optional<TFieldWin> IFieldHost::ViewWin(int index) const
{
    if (index < 0 || index >= kFieldWinCount)
        return std::nullopt;
    return HeadlessFieldWin(index);
}

IFieldHost& FieldHost() { return g_fieldHost ? *g_fieldHost : g_nullFieldHost; }
void SetFieldHost(IFieldHost* host) { g_fieldHost = host; }

void SetLangMessageFn(TLangMessageFn fn) { g_langMessageFn = fn; }

std::string LangMessage(const std::string& key) { return g_langMessageFn ? g_langMessageFn(key) : key; }

void SetHeadlessViewSize(int w, int h)
{
    iMainViewW = iMaxMainViewW = w;
    iMainViewH = iMaxMainViewH = h;
    iMaxMainViewScrollW = w;
    iMaxMainViewScrollH = h;
}

void GameState_Reset()
{
    SetHeadlessViewSize(1920, 1080);
    bCurSide = 0;
    OptP = TOptions{};
    CurMA = DefMA;
    WinP = TWinParams{};
    AutoSaveP = OAutosaveP{};
    bAutoSaveDoProc = false;
    g_fieldHost = nullptr;
    g_langMessageFn = nullptr;
}
