#include "field/backgrounds.h"

#include "field/bkg_palette.h"
#include "field/compose.h"
#include "field/field.h"
#include "field/field_win.h"
#include "model/game_state.h"
#include "platform/platform.h"

TBkgP BkgP;
const char* const sBkgPics[kBkgPicCount] = {"parquet", "stucco1", "stucco4", "wood1",
                                            "wood2",   "wood3",   "wood4",   "wood5"};

bool IsPicBkg(int32_t code) { return code >= kFirstBkgPic && code < kFirstBkgPic + kBkgPicCount; }

std::string BkgPicPath(int32_t code)
{
    return IsPicBkg(code) ? FieldResourceDir() + "/" + sBkgPics[code - kFirstBkgPic] + "-1600.jpg" : std::string();
}

std::string BkgSamplePath(int32_t code)
{
    return IsPicBkg(code) ? FieldResourceDir() + "/" + sBkgPics[code - kFirstBkgPic] + "-but.png" : std::string();
}

bool LoadBkgPic(int32_t code)
{
    if (!IsPicBkg(code))
        return false;
    const int cw = iMaxMainViewScrollW, ch = iMaxMainViewScrollH;
    if (BkgP.lBkgPicTag == code && BkgP.miBkgPic.W == cw && BkgP.miBkgPic.H == ch)
        return true;
    BkgP.lBkgPicTag = 0;
    BkgP.miBkgPic = OMyImage{};
    std::string error;
    OMyImagePtr pic = MyImageCreateFromFile(BkgPicPath(code), true, &error);
    if (!pic) {
        Platform().Log("table picture: " + error);
        return false;
    }
    if (cw <= 0 || ch <= 0 || (FieldGL_Ready() && (cw > FieldGL.iMaxTexSize || ch > FieldGL.iMaxTexSize))) {
        Platform().Log(StrFormat("table picture: the field (%d x %d) is too large for a texture", cw, ch));
        return false;
    }
    if (pic->W != cw || pic->H != ch) {
        OMyImagePtr sized = MyImageCreate(cw, ch);
        if (!sized)
            return false;
        MyImageSmoothResize(*sized, *pic);
        pic = std::move(sized);
    }
    BkgP.miBkgPic = std::move(*pic);
    // The tables copy from it as from a render buffer. Without a context
    // (tests, tools) the pixels stay: there is nothing to put them into.
    if (RenderBufFromImage(BkgP.rbBkgPic, BkgP.miBkgPic))
        MyImageDropPixels(BkgP.miBkgPic);
    BkgP.lBkgPicTag = code;
    return true;
}

void SetScrBkgColor(int win, int32_t code)
{
    if (IsPicBkg(code) && !LoadBkgPic(code))
        code = kDefaultBkgColor;
    if (win < 0) {
        WinP.lBkgColorAll = code;
        for (int i = 0; i < kBkgWinCount; ++i)
            SetScrBkgColor(i, code);
        return;
    }
    if (win >= kBkgWinCount)
        return;
    WinP.lBkgColors[win] = code;
    if (OMyWin* w = GetViewWin(win)) {
        w->lBkgColor = code;
        IntToRGB(IsPicBkg(code) ? uint32_t(kDefaultBkgColor) : uint32_t(code), &w->rgbBkgColor[0],
                 &w->rgbBkgColor[1], &w->rgbBkgColor[2]);
    }
    RedrawP = kRedrawFull;
}

void UpdateScrBkgs()
{
    int32_t pic = 0;
    for (int32_t& c : WinP.lBkgColors) {
        if (!IsPicBkg(c))
            continue;
        if (pic == 0)
            pic = c;
        else if (c != pic)
            c = kDefaultBkgColor;
    }
    if (pic != 0 && !LoadBkgPic(pic)) {
        for (int32_t& c : WinP.lBkgColors)
            if (c == pic)
                c = kDefaultBkgColor;
        pic = 0;
    }
    if (pic == 0) {  // no picture in use: let its memory go
        BkgP.miBkgPic = OMyImage{};
        RenderBufFree(BkgP.rbBkgPic);
        BkgP.lBkgPicTag = 0;
    }
    for (int i = 0; i < kBkgWinCount; ++i)
        SetScrBkgColor(i, WinP.lBkgColors[i]);
    RedrawP = kRedrawFull;
}

OMyWin* RetWinForBkgCur()
{
    for (int i = 0; i < 6; ++i) {
        OMyWin* w = GetViewWin(i);
        if (w && w->bActive && (w->bType == kWinSide || w->bType == kWinPocket))
            return w;
    }
    OMyWin* s0 = GetViewWin(kSide0);
    if (s0 && s0->bVisible)
        return s0;
    return GetViewWin(kSide1);
}

void UpdateMenuBkgCur()
{
    OMyWin* w = RetWinForBkgCur();
    if (!w)
        return;
    std::string bkgKey, selKey;
    if (w->bType == kWinPocket) {
        bkgKey = StrFormat("MM_GameBkgPocket%d", w->bIndex - kPocket0);
        selKey = StrFormat("MM_GameSelectAllPocket%d", w->bIndex - kPocket0);
    } else {
        bkgKey = StrFormat("MM_GameBkgSide%d", int(w->bIndex));
        selKey = StrFormat("MM_GameSelectAllSide%d", int(w->bIndex));
    }
    FieldUi().SetMenuItemTitle(kMenuGameBkgCur, bkgKey);
    FieldUi().SetToolbarItemTooltip(kTbBkgCur, bkgKey);
    FieldUi().SetMenuItemTitle(kMenuGameSelectAll, selKey);
    FieldUi().SetToolbarItemTooltip(kTbSelectAll, selKey);
    BkgP.iColorForWin = w->bIndex;
}

void InitBkgPicsSamples()
{
    FreeBkgPicsSamples();
    for (int i = 0; i < kBkgPicCount; ++i) {
        std::string error;
        OMyImagePtr img = MyImageCreateFromFile(BkgSamplePath(kFirstBkgPic + i), true, &error);
        if (!img) {
            Platform().Log("table sample: " + error);
            img = MyImageCreate(63, 50);
        }
        BkgP.arBkgPicsSamples.push_back(std::move(img));
    }
    std::string error;
    BkgP.miGamma = MyImageCreateFromFile(FieldResourceDir() + "/col-gamma.png", false, &error);
    if (!BkgP.miGamma)
        Platform().Log("palette: " + error);
}

bool ColorToCoord(uint32_t colour, int* x, int* y)
{
    return BkgP.miGamma && ColorToCoord(*BkgP.miGamma, colour, x, y);
}

void FreeBkgPicsSamples()
{
    BkgP.arBkgPicsSamples.clear();
    BkgP.miGamma.reset();
}

void Backgrounds_Reset()
{
    RenderBufInit(BkgP.rbBkgPic);
    BkgP = TBkgP{};
}
