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
    FillStillBuf(kComposeAll);
    RedrawP = kRedrawShow;
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
    if (RedrawP != kRedrawShow)
        return;
    if (target && target->bIndex != prev)
        FillStillBuf(kComposeAll);
    else
        DrawToScrBuf(rbScr, kComposeStill);  // the weight ends that composition
}

void OWeightP::drop(TPoint p)
{
    iWeightJig = GetCurJig(p.x, p.y);
    bVisible = false;
    updateButton();
    RedrawP = kRedrawFull;
}

void OWeightP::updateButton()
{
    if (IsGameOpen() && iWeightJig != -1) {
        FieldUi().SetMenuItemChecked(kMenuGameWeight, true);
        FieldUi().SetToolbarItemImage(kTbWeight, "tb_weight_jig.png");
        FieldUi().SetMenuItemTitle(kMenuGameWeight, "MM_GameWeightOn");
        FieldUi().SetToolbarItemTooltip(kTbWeight, "MM_GameWeightOn");
        MoveWeightJigToBottom();
    } else {
        FieldUi().SetMenuItemChecked(kMenuGameWeight, false);
        FieldUi().SetToolbarItemImage(kTbWeight, "tb_weight.png");
        FieldUi().SetMenuItemTitle(kMenuGameWeight, "MM_GameWeightOff");
        FieldUi().SetToolbarItemTooltip(kTbWeight, "MM_GameWeightOff");
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
