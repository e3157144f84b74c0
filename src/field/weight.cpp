// The weight: picked up by its command, carried with the mouse, dropped on a
// group that then stays under all others.
#include "field/tools.h"

#include "field/compose.h"
#include "field/field.h"
#include "model/play_rules.h"

OWeightP WeightP;

void OWeightP::init(const std::string& resourceDir)
{
    miWeight = LoadToolPicture(resourceDir, "weight.tif", 40, 48);
    MyImageCreateTexture(miWeight, false, TexFilter::Nearest);
    W = miWeight.W;
    H = miWeight.H;
    iWeightJig = -1;
}

void OWeightP::draw()
{
    if (bVisible && miWeight.Texture != 0)
        MyImageDrawTexture(miWeight, L, T, W, H, 0, 0, W, H);
}

void OWeightP::dragTo(TPoint p)
{
    bVisible = true;
    iPointX = p.x;
    iPointY = p.y;
    L = p.x - W / 2;
    T = p.y - H + 4;  // hangs from its bottom centre, just above the pointer
    bScr = CaptureWin ? CaptureWin->bIndex : 0;
    FillStillBuf(0);
    RedrawP = 2;
}

void OWeightP::moveTo(TPoint p, OMyWin* target)
{
    if (!bVisible)
        return;
    iPointX = p.x;
    iPointY = p.y;
    L = p.x - W / 2;
    T = p.y - H + 4;
    const uint8_t prev = bScr;
    if (target) {
        bScr = target->bIndex;
        SetCaptureWin(target);
        if (target->bType == kWinPocket)
            target->moveToFront();
    }
    if (RedrawP != 2)
        return;
    if (target && target->bIndex != prev)
        FillStillBuf(0);
    else
        DrawToScrBuf(rbScr, 100);  // the weight ends that composition
}

void OWeightP::drop(TPoint p)
{
    iWeightJig = GetCurJig(p.x, p.y);
    bVisible = false;
    updateButton();
    RedrawP = 1;
}

void OWeightP::updateButton()
{
    if (IsGameOpen() && iWeightJig != -1) {
        FieldUi().SetMenuItemChecked(29, true);
        FieldUi().SetToolbarItemImage(16, "tb_weight_jig.png");
        FieldUi().SetMenuItemTitle(29, "MM_GameWeightOn");
        FieldUi().SetToolbarItemTooltip(16, "MM_GameWeightOn");
        MoveWeightJigToBottom();
    } else {
        FieldUi().SetMenuItemChecked(29, false);
        FieldUi().SetToolbarItemImage(16, "tb_weight.png");
        FieldUi().SetMenuItemTitle(29, "MM_GameWeightOff");
        FieldUi().SetToolbarItemTooltip(16, "MM_GameWeightOff");
    }
}

void FieldTools_Reset()
{
    GlassP.win.reset();
    RenderBufInit(GlassP.rb);
    GlassP = OGlassP{};
    StarP = OStarP{};
    WeightP = OWeightP{};
}
