#include "model/puzzle.h"

#include "model/game_cut.h"
#include "model/game_state.h"
#include "model/edge_pieces.h"
#include "model/play_rules.h"
#include "model/undo.h"
#include "platform/platform.h"

TJigParams JigP;
std::vector<TJig> Jigs;
std::vector<TSortedJig> SortedJigs;
std::vector<OMyImage> arPicJigs;
int32_t iCurJig = -1;
bool bGameSolved = false;
TDragJig DragJigP;
OMyImagePtr miOriginalImage;
OMyImagePtr miJigs;
OMyImagePtr miMasks;
OMyImagePtr miInfoThumb;
std::string g_JigDesc;
TJigParams NewJigP;
TJigParams DefJigP;
OMyImagePtr miReadThumb;

void CreateJigsBuf(int count)
{
    FreeJigsBuf();
    if (count < 0)
        count = 0;
    Jigs.assign(size_t(count), TJig{});
    SortedJigs.assign(size_t(count), TSortedJig{});
}

void FreeJigsBuf()
{
    Jigs.clear();
    Jigs.shrink_to_fit();
    SortedJigs.clear();
    SortedJigs.shrink_to_fit();
    arPicJigs.clear();
    arPicJigs.shrink_to_fit();
}

bool SetImageSize(int forPlay)
{
    if (forPlay == 0) {
        NewJigP.FitW = NewJigP.ImageW;
        NewJigP.FitH = NewJigP.ImageH;
        PropReduceWH(&NewJigP.FitW, &NewJigP.FitH, iMaxMainViewW, iMaxMainViewH);
        return true;
    }
    if (!miOriginalImage || !miOriginalImage->HasPixels())
        return false;
    const OMyImage& src = *miOriginalImage;
    const bool fit = NewJigP.FitToScreen &&
                     (NewJigP.FitW != NewJigP.ImageW || NewJigP.FitH != NewJigP.ImageH);
    const int w = fit ? JigP.FitW : src.W;
    const int h = fit ? JigP.FitH : src.H;
    OMyImagePtr play = w > 0 && h > 0 ? MyImageCreateExt(w, h, true) : nullptr;
    if (!play)
        return false;
    if (fit)
        MyImageSmoothResize(*play, src);
    else
        MyImageCopyRect(*play, 0, 0, w, h, src, 0, 0, false);
    miJigs = std::move(play);
    JigP.ImageW = w;
    JigP.ImageH = h;
    return true;
}

void UpdateJigDrawCoords(int i)
{
    TJig& j = JigAt(i);
    const bool odd = (j.Rot & 1) != 0;
    j.DrawW = odd ? j.H : j.W;
    j.DrawH = odd ? j.W : j.H;
    j.SrcX = imax(j.W, j.H) * j.Rot;
    j.SrcY = 0;
}

void GameChanged()
{
    AutoSaveP.bNeedSave = true;
    AutoSaveP.bNeedAutoSave = AutoSaveP.bNeedSave;
    Platform().SetEdited(AutoSaveP.bNeedSave);
}

void UpdateDraggedJigScr()
{
    if (DragJigP.State == kDragPieces && iCurJig >= 0 && size_t(iCurJig) < Jigs.size())
        FieldHost().FillStillBuf(kComposeWithoutDragged);
    else if (FieldHost().IsWeightVisible())
        FieldHost().FillStillBuf(kComposeAll);
}

void Model_Reset()
{
    FreeJigsBuf();
    JigP = TJigParams{};
    NewJigP = TJigParams{};
    DefJigP = TJigParams{};
    DefJigP.Level = 5;
    DefJigP.FitToScreen = 1;
    iCurJig = -1;
    bGameSolved = false;
    DragJigP = TDragJig{};
    miOriginalImage.reset();
    miJigs.reset();
    miMasks.reset();
    miInfoThumb.reset();
    miReadThumb.reset();
    g_JigDesc.clear();
    Cutting_SetPieceTextureMaker(nullptr);
    PlayRules_Reset();
    Undo_Clear();
    EdgePieces_Reset();
    GameState_Reset();
}
