#include "field/field.h"

#include "field/celebration.h"

#include "model/game_cut.h"
#include "files/files.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"

#include <QTimer>

#include <algorithm>

#ifdef __GLIBC__
#include <malloc.h>
#endif

TFieldP FieldP;

namespace {

IFieldUi g_nullUi;
IFieldUi* g_ui = nullptr;  // per run; the main form's

TFieldWin ToFieldWin(const OMyWin& w)
{
    TFieldWin f;
    f.bIndex = w.bIndex;
    f.bType = w.bType;
    f.mrClient = w.mrClient;
    f.iScrollL = w.iScrollL;
    f.iScrollT = w.iScrollT;
    f.iMaxScrollW = w.iMaxScrollW;
    f.iMaxScrollH = w.iMaxScrollH;
    if (w.bType == kWinSide) {
        // The sides' content is the field's: while a game opens the globals
        // are set before the windows follow them.
        f.iMaxScrollW = iMaxMainViewScrollW;
        f.iMaxScrollH = iMaxMainViewScrollH;
    }
    return f;
}

// The real field as the play rules see it.
class OFieldHost : public IFieldHost {
public:
    void FillStillBuf(int mode) override
    {
        if (mode == 1)
            lastCapture_ = ::CaptureWin;
        ::FillStillBuf(mode);
    }
    bool IsWeightVisible() const override { return WeightP.bVisible; }
    std::optional<TFieldWin> CaptureWin() const override
    {
        if (!::CaptureWin)
            return std::nullopt;
        return ToFieldWin(*::CaptureWin);
    }
    std::optional<TFieldWin> ViewWin(int index) const override
    {
        const OMyWin* w = GetViewWin(index);
        if (!w)
            return std::nullopt;
        return ToFieldWin(*w);
    }
    void SetCaptureWin(int index) override { ::SetCaptureWin(GetViewWin(index)); }
    int RetWinForBkgCur() const override
    {
        const OMyWin* w = ::RetWinForBkgCur();
        return w ? w->bIndex : bCurSide;
    }
    void MoveWinToFront(int index) override
    {
        if (OMyWin* w = GetViewWin(index))
            w->moveToFront();
    }
    void PocketCountJigs(int index) override { ::PocketCountJigs(index); }
    void PocketUpdateScrollSize(int index) override { ::PocketUpdateScrollSize(index); }
    void MoveDirtyRect(int, int) override
    {
        // A crossing into another window changes z-order, captions and counts:
        // the still picture must be made again. Otherwise only the moving part.
        const OMyWin* cur = ::CaptureWin;
        if (cur != lastCapture_) {
            lastCapture_ = cur;
            ::FillStillBuf(kComposeWithoutDragged);
            return;
        }
        ScrBufFromStillLater(kComposeDragged);
    }
    void StarSetAt(int x, int y, int index) override { StarP.setAt(MakeTPoint(x, y), index); }

private:
    const OMyWin* lastCapture_ = nullptr;
};

OFieldHost g_host;  // per run

}  // namespace

IFieldUi& FieldUi() { return g_ui ? *g_ui : g_nullUi; }
void SetFieldUi(IFieldUi* ui) { g_ui = ui; }

std::string FieldResourceDir()
{
    return !FileNames.sResourcePath.empty() ? FileNames.sResourcePath : FieldP.sResourceDir;
}

bool IsGameOpen()
{
    return FileNames.bOpen && JigP.TotalTileNum > 0 && Jigs.size() >= size_t(JigP.TotalTileNum);
}

void Field_InstallHost() { SetFieldHost(&g_host); }

void Field_Init(const std::string& resourceDir, int maxW, int maxH)
{
    FieldP.sResourceDir = resourceDir;
    const std::string res = FieldResourceDir();
    iMaxMainViewW = std::max(1, maxW);
    iMaxMainViewH = std::max(1, maxH);
    LoadWinSkin(res);
    StarP.init(res);
    WeightP.init(res);
    CreateFrameTexture();
    // The still buffer waits until something moves or the first game is up
    // (Field_EnsureStillBuf): GL zeroes every new buffer, a cost the first
    // frame need not carry.
    RenderBufCreate(rbScr, iMaxMainViewW, iMaxMainViewH);
    RedrawP = kRedrawFull;
    ViewWins_Create();
    DragWinP.clear();
    GlassP.init(res);
    DoFieldResize();
    ChangeSide(kSide0);
    WeightP.updateButton();
    for (int i = kPocket0; i < kPocket0 + 4; ++i) {
        PocketUpdateCaption(i);
        PocketUpdateButton(i);
    }
    Field_InstallHost();
    // The cutter hands over each piece picture it made: they go to the atlas,
    // built in one go before the next draw.
    Cutting_SetPieceTextureMaker([](OMyImage&) { PieceAtlas_Invalidate(); });
    GameFileHooks.fnBeforeOpen = &Field_BeforeOpen;
    GameFileHooks.fnAfterOpen = [](int side) { Field_GameOpened(side); };
    GameFileHooks.fnBeforeSave = &Field_StorePockets;
    FieldP.bInitDone = true;
    TimelineMark("field-init");
}

void Field_EnsureBuffers(int viewW, int viewH)
{
    if (!FieldGL_Ready() || (viewW <= rbScr.W && viewH <= rbScr.H))
        return;
    iMaxMainViewW = std::max(iMaxMainViewW, viewW);
    iMaxMainViewH = std::max(iMaxMainViewH, viewH);
    RenderBufCreate(rbScr, iMaxMainViewW, iMaxMainViewH);
    if (rbStill.fbo != 0)
        RenderBufCreate(rbStill, iMaxMainViewW, iMaxMainViewH);
    RedrawP = kRedrawFull;
}

void Field_EnsureStillBuf()
{
    if (FieldGL_Ready() && rbStill.fbo == 0 && rbScr.fbo != 0)
        RenderBufCreate(rbStill, iMaxMainViewW, iMaxMainViewH);
}

void Field_BeforeOpen()
{
    for (int i = kPocket0; i < kPocket0 + 4; ++i)
        if (OMyWin* w = GetViewWin(i); w && w->bVisible)
            PocketSetVisible(i, false);
    OMyWin* thumb = GetViewWin(kThumbWin);
    FieldP.bThumbWasVisible = thumb && thumb->bVisible;
    FieldP.bGlassWasVisible = GlassP.win && GlassP.win->bVisible;
    if (thumb)
        thumb->setVisible(false);
    if (GlassP.win)
        GlassP.win->setVisible(false);
    WeightP.bVisible = false;
    DragWinP.clear();
    RedrawP = kRedrawFull;
}

namespace {

// The pockets as the saved game (or an empty new game) left them in PocketsP.
void ApplyPocketRecords()
{
    for (int k = 0; k < kPocketCount; ++k) {
        OMyWin* w = GetViewWin(kPocket0 + k);
        if (!w)
            continue;
        const TPocketRec& r = PocketsP.Pocket[k];
        w->iMaxClientW = iMaxMainViewScrollW;
        w->iMaxClientH = iMaxMainViewScrollH;
        w->updateMinMaxWinSize();
        PocketCountJigs(kPocket0 + k);
        PocketSetVisible(kPocket0 + k, r.bVisible != 0);
        if (r.mrWin.right > r.mrWin.left && r.mrWin.bottom > r.mrWin.top) {
            w->mrWin = vMyRectInitRB(r.mrWin.left, r.mrWin.top, r.mrWin.right, r.mrWin.bottom);
            w->iScrollL = r.iScrollL;
            w->iScrollT = r.iScrollT;
        }
        PocketUpdateScrollSize(kPocket0 + k);
    }
}

}  // namespace

void Field_GameOpened(int side)
{
    TimelineMark("field-start");
    PieceAtlas_Free();
    PieceAtlas_Build();
    TimelineMark("atlas");
    UpdateWindowsSize(JigP.ImageW, JigP.ImageH);
    UpdateMinMaxThumbSize(JigP.ImageW, JigP.ImageH);
    CreateThumbTexture();
    TimelineMark("thumb-texture");
    if (FieldP.bLeanAfterOpen) {
        GameMask_Pack();
        // A saved game's picture is opaque (and so are most pictures cut
        // anew): kept without alpha it takes a quarter less for the session.
        // Done once the game's first frame is on its way.
        QTimer::singleShot(0, [] {
            if (miJigs && FieldP.bLeanAfterOpen && MyImageDropOpaqueAlpha(*miJigs))
                TimelineMark("picture-opaque");
        });
    }
    TimelineMark("mask-packed");
    DragWinP.clear();
    ApplyPocketRecords();
    ChangeSide(side);
    UpdateScrBkgs();
    WeightP.bVisible = false;
    WeightP.updateButton();
    StarP.iPhase = kStarIdle;
    CelebrationP.gameOpened();
    if (OMyWin* thumb = GetViewWin(kThumbWin); thumb && FieldP.bThumbWasVisible) {
        thumb->setVisible(true);
        thumb->changeLT(MakeTPoint(0, 0));
        thumb->move();
        thumb->moveToFront();
    }
    if (GlassP.win && FieldP.bGlassWasVisible) {
        GlassP.win->setVisible(true);
        GlassP.win->changeLT(MakeTPoint(0, 0));
        GlassP.win->move();
    }
    FieldP.bThumbWasVisible = FieldP.bGlassWasVisible = false;
    CheckWindowsAreInView();
    RedrawP = kRedrawFull;
#ifdef __GLIBC__
    // Opening freed hundreds of megabytes of decoding and cutting buffers;
    // give them back to the system instead of keeping them for the session.
    malloc_trim(0);
#endif
    TimelineMark("trimmed");
}

void Field_StorePockets()
{
    for (int k = 0; k < kPocketCount; ++k) {
        const OMyWin* w = GetViewWin(kPocket0 + k);
        if (!w)
            continue;
        TPocketRec& r = PocketsP.Pocket[k];
        r.bScroll = 0;
        r.bVisible = w->bVisible ? 1 : 0;
        r.mrWin = MakeTRect(w->mrWin.L, w->mrWin.T, w->mrWin.R, w->mrWin.B);
        r.iScrollL = w->iScrollL;
        r.iScrollT = w->iScrollT;
    }
}

void Field_Release()
{
    Cutting_SetPieceTextureMaker(nullptr);
    GameFileHooks.fnBeforeOpen = nullptr;
    GameFileHooks.fnAfterOpen = nullptr;
    GameFileHooks.fnBeforeSave = nullptr;
    if (&FieldHost() == &g_host)
        SetFieldHost(nullptr);
    FieldTools_Reset();
    ViewWins_Free();
    PieceAtlas_Free();
    RenderBufFree(rbScr);
    RenderBufFree(rbStill);
    miWinSkin = OMyImage{};
    miFrameTexture = OMyImage{};
    miThumbTexture = OMyImage{};
    BkgP.miBkgPic = OMyImage{};
    RenderBufFree(BkgP.rbBkgPic);
    FieldP.bInitDone = false;
}

void Field_Reset()
{
    if (&FieldHost() == &g_host)
        SetFieldHost(nullptr);
    g_ui = nullptr;
    FieldP = TFieldP{};
    FieldTools_Reset();
    Celebration_Reset();
    FieldWins_Reset();
    Compose_Reset();
    Backgrounds_Reset();
    FieldGL_Reset();
    FieldGL_Release();
}

void GatherLostJigs()
{
    if (!IsGameOpen())
        return;
    AutoSaveGuard guard;
    if (DragJigP.bSelected)
        DeselectJigs();
    if (DragJigP.State == kDragPieces) {
        DragJigP.State = kDragIdle;
        iCurJig = -1;
    }
    const int n = JigsInPlay();
    for (int j = 0; j < n; ++j)
        JigAt(j).Win = 0;
    SortJigs(kSortAscending);
    if (iWeightJig == -1 && !SortedJigs.empty()) {
        // The longest run of one layer: a later run replaces the best only when
        // strictly longer, the run that reaches the end when at least as long.
        int bestLen = 0, bestJig = -1, runLen = 0;
        const size_t m = std::min(SortedJigs.size(), size_t(n));
        for (size_t k = 0; k < m; ++k) {
            if (k > 0 && SortedJigs[k].Layer != SortedJigs[k - 1].Layer) {
                if (runLen > bestLen) {
                    bestLen = runLen;
                    bestJig = SortedJigs[k - 1].Index;
                }
                runLen = 0;
            }
            ++runLen;
        }
        if (m > 0 && runLen >= bestLen) {
            bestLen = runLen;
            bestJig = SortedJigs[m - 1].Index;
        }
        if (bestJig >= 0 && bestLen >= n / 2) {
            iWeightJig = bestJig;
            MoveWeightJigToBottom();
            iWeightJig = -1;
        }
    }
    SetCaptureWin(GetViewWin(kSide0));
    PocketsClearAll();
    if (CaptureWin && CaptureWin->bType != kWinSide)
        CaptureWin->moveToFront();
    else
        ChangeSide(kSide0);
    FindLostJigs(CaptureWin ? CaptureWin->bIndex : 0, kLostStrict);
    RedrawP = kRedrawFull;
}
