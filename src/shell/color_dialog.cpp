// The colour and background dialog. Pane positions beyond the swatch grids
// are our own.
#include "shell/color_dialog.h"

#include "base/my_image_qt.h"
#include "base/thumb_cell_qt.h"
#include "field/backgrounds.h"
#include "field/bkg_palette.h"
#include "field/compose.h"
#include "files/files.h"
#include "model/game_state.h"
#include "shell/dialog_kit.h"
#include "shell/shell.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>

const int32_t lPalColors[kPalCount] = {
    0x800080, 0xA000A0, 0xC000C0, 0xE000E0, 0x508000, 0x60A000, 0x80C000, 0x8FE000,
    0x800050, 0xA00060, 0xC00080, 0xE00090, 0x008000, 0x00A000, 0x00C000, 0x00E000,
    0x800000, 0xA00000, 0xC00000, 0xE00000, 0x008080, 0x00A0A0, 0x00C0C0, 0x00E0E0,
    0x805000, 0xA06000, 0xC08000, 0xE09000, 0x005080, 0x0060A0, 0x0080C0, 0x008FE0,
    0x808000, 0xA0A000, 0xC0C000, 0xE0E000, 0x000080, 0x0000A0, 0x0000C0, 0x0000E0,
    0x000000, 0x404040, 0x606060, 0x808080, 0x989898, 0xACACAC, 0xC0C0C0, 0xFFFFFF,
};

namespace {

constexpr int kContentW = 595, kContentHPics = 495, kContentH = 409;
constexpr int kSwatch = 24, kSwatchStep = 28, kSwatchMargin = 6;
constexpr int kSampleW = 63, kSampleH = 50, kSampleStep = 67;
constexpr int kGammaSide = 300;
constexpr int kSelGrow = 3;                     // the selection mark around a swatch
constexpr int32_t kFrameGrey = 0x808080;
constexpr int32_t kMarkBlack = 0x000000, kMarkYellow = 0x00FFFF;
constexpr int kFirstDarkGrey = 40, kLastDarkGrey = 43;  // swatches marked in yellow

QColor PackedToQColor(int32_t c)
{
    int r = 0, g = 0, b = 0;
    IntToRGB(uint32_t(c), &r, &g, &b);
    return QColor(r, g, b);
}

void ViewFillFrame(QPainter& p, const TMyRect& r, int32_t colour) { p.fillRect(ToQRect(r), PackedToQColor(colour)); }

void ViewDrawFrame(QPainter& p, const TMyRect& r, int32_t colour)
{
    p.setPen(QPen(PackedToQColor(colour), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(r.L, r.T, r.W - 1, r.H - 1));
}

TMyRect Grown(const TMyRect& r, int d) { return vMyRectInitWH(r.L - d, r.T - d, r.W + 2 * d, r.H + 2 * d); }

// The swatch of a grid at a point, -1 between swatches.
int SwatchAt(int x, int y, int cols, int count, int w, int h, int stepX, int stepY)
{
    const int cx = x - kSwatchMargin, cy = y - kSwatchMargin;
    if (cx < 0 || cy < 0 || cx % stepX >= w || cy % stepY >= h)
        return -1;
    const int col = cx / stepX, row = cy / stepY;
    const int i = row * cols + col;
    return col < cols && i < count ? i : -1;
}

}  // namespace

// ---- Panes ------------------------------------------------------------------------------------------

MCColorView::MCColorView(MCColor* form, int pane, QWidget* parent) : QWidget(parent), FPane(pane), p_ColorForm(form)
{
    setMouseTracking(true);
}

void MCColorView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p_ColorForm->PaneDrawRect(p, FPane);
}

void MCColorView::mousePressEvent(QMouseEvent* e)
{
    const QPoint pt = e->position().toPoint();
    p_ColorForm->PaneMouseDown(FPane, pt.x(), pt.y());
}

void MCColorView::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pt = mapTo(p_ColorForm, e->position().toPoint());
    p_ColorForm->PaneMouseMove(-1, pt.x(), pt.y());
}

// ---- The dialog --------------------------------------------------------------------------------------

TMyRect MCColor::PalSwatchRect(int i)
{
    return vMyRectInitWH(kSwatchMargin + kSwatchStep * (i % kPalCols), kSwatchMargin + kSwatchStep * (i / kPalCols),
                         kSwatch, kSwatch);
}

TMyRect MCColor::DefSwatchRect(int i) { return vMyRectInitWH(kSwatchMargin + kSwatchStep * i, kSwatchMargin, kSwatch, kSwatch); }

TMyRect MCColor::BkgPicRect(int i) { return vMyRectInitWH(kSwatchMargin + kSampleStep * i, kSwatchMargin, kSampleW, kSampleH); }

MCColor::MCColor(QWidget* parent) : QDialog(parent)
{
    FDefColors.fill(0);
    FDefColors[0] = kDefaultBkgColor;
    setMouseTracking(true);
}

MCColor::~MCColor() { FreeBkgPicsSamples(); }

void MCColor::InitForm(int32_t color, bool showPics, const QString& caption, int scr)
{
    FCurColor = color;
    FScr = scr;
    FShowBkgPicsSamples = showPics;
    setWindowTitle(caption);
    setModal(true);
    const int h = showPics ? kContentHPics : kContentH;
    setFixedSize(kContentW, h);

    const int palW = 2 * kSwatchMargin + kSwatchStep * (kPalCols - 1) + kSwatch;
    const int palH = 2 * kSwatchMargin + kSwatchStep * (kPalRows - 1) + kSwatch;
    o_PalCap = CreateLabel(this, 0, vMyRectInitWH(20, 8, palW, 20));
    o_Pal = new MCColorView(this, kPanePal, this);
    o_Pal->setGeometry(20, 30, palW, palH);
    o_GammaCap = CreateLabel(this, 0, vMyRectInitWH(275, 8, kGammaSide, 20));
    o_Gamma = new MCColorView(this, kPaneGamma, this);
    o_Gamma->setGeometry(275, 30, kGammaSide, kGammaSide);
    o_Gamma->setCursor(Qt::CrossCursor);
    o_DefColCap = CreateLabel(this, 0, vMyRectInitWH(20, 30 + palH + 8, palW, 20));
    o_DefCol = new MCColorView(this, kPaneDefCol, this);
    o_DefCol->setGeometry(20, 30 + palH + 30, 2 * kSwatchMargin + kSwatchStep * (FDefColNum - 1) + kSwatch,
                          2 * kSwatchMargin + kSwatch);
    const int selT = o_DefCol->geometry().bottom() + 10;
    o_SelColCap = CreateLabel(this, 0, vMyRectInitWH(20, selT, palW, 20));
    o_SelCol = new MCColorView(this, kPaneSelCol, this);
    o_SelCol->setGeometry(20, selT + 22, 36, 36);
    o_PointCol = new MCColorView(this, kPanePointCol, this);
    o_PointCol->setGeometry(66, selT + 22, 36, 36);
    o_PointCol->hide();
    if (showPics) {
        InitBkgPicsSamples();
        for (int i = 0; i < kBkgPicCount && i < int(BkgP.arBkgPicsSamples.size()); ++i)
            if (BkgP.arBkgPicsSamples[size_t(i)])
                samples_[size_t(i)] = QPixmap::fromImage(MyImageToQImage(*BkgP.arBkgPicsSamples[size_t(i)]));
        o_BkgPicCap = CreateLabel(this, 0, vMyRectInitWH(20, 346, 400, 20));
        o_BkgPic = new MCColorView(this, kPaneBkgPic, this);
        o_BkgPic->setGeometry(20, 368, 2 * kSwatchMargin + kSampleStep * (kBkgPicCount - 1) + kSampleW,
                              2 * kSwatchMargin + kSampleH);
    } else {
        InitBkgPicsSamples();  // the palette picture
    }
    if (BkgP.miGamma)
        nsiGamma_ = QPixmap::fromImage(MyImageToQImage(*BkgP.miGamma));
    o_ButCancel = CreateButton(this, QString(), vMyRectInitWH(kContentW - 230, h - 44, 104, 32));
    o_ButOk = CreateButton(this, QString(), vMyRectInitWH(kContentW - 116, h - 44, 104, 32));
    o_ButOk->setDefault(true);  // Return; Escape rejects
    connect(o_ButOk, &QPushButton::clicked, this, &MCColor::ButOkPressed);
    connect(o_ButCancel, &QPushButton::clicked, this, &MCColor::ButCancelPressed);
    TranslateForm();
    FCanDraw = true;
    UpdateAllPalettes(false);
}

void MCColor::TranslateForm()
{
    o_ButOk->setText(QString::fromStdString(LangGetKeyVal("B_Ok")));
    o_ButCancel->setText(QString::fromStdString(LangGetKeyVal("B_Cancel")));
    o_PalCap->setText(QString::fromStdString(LangGetKeyVal("L_PalCap")));
    o_GammaCap->setText(QString::fromStdString(LangGetKeyVal("L_GammaCap")));
    o_DefColCap->setText(QString::fromStdString(LangGetKeyVal("L_DefColCap")));
    o_SelColCap->setText(QString::fromStdString(LangGetKeyVal("L_SelColCap")));
    if (o_BkgPicCap)
        o_BkgPicCap->setText(QString::fromStdString(LangGetKeyVal("L_BkgPicsCap")));
}

int MCColor::ShowForm()
{
    if (QWidget* p = parentWidget(); p && p->isVisible())
        move(p->geometry().center() - rect().center());
    return exec() == 1 ? 1 : 0;
}

void MCColor::ButOkPressed() { done(1); }
void MCColor::ButCancelPressed() { done(0); }

void MCColor::RepaintPanes()
{
    ++iPaneUpdates;
    for (QWidget* w : {static_cast<QWidget*>(o_Pal), static_cast<QWidget*>(o_Gamma),
                       static_cast<QWidget*>(o_DefCol), static_cast<QWidget*>(o_BkgPic)})
        if (w)
            w->update();
    if (o_SelCol->isVisible())
        o_SelCol->update();
}

void MCColor::UpdateAllPalettes(bool apply)
{
    iPalSelInd = iBkgPicsSelInd = iDefColSelInd = -1;
    mrGammaSel = vMyRectEmpty();
    for (int i = 0; i < kPalCount && iPalSelInd < 0; ++i)
        if (lPalColors[i] == FCurColor)
            iPalSelInd = i;
    if (int x = 0, y = 0; !IsPicBkg(FCurColor) && ColorToCoord(uint32_t(FCurColor), &x, &y))
        mrGammaSel = vMyRectInitWH(x - 2, y - 2, 5, 5);
    for (int i = 0; i < FDefColNum && iDefColSelInd < 0; ++i)
        if (FDefColors[size_t(i)] == FCurColor)
            iDefColSelInd = i;
    if (FShowBkgPicsSamples && IsPicBkg(FCurColor))
        iBkgPicsSelInd = FCurColor - kFirstBkgPic;
    // A picture code is no colour to show.
    o_SelCol->setVisible(!IsPicBkg(FCurColor));
    RepaintPanes();
    if (!apply)
        return;
    if (FScr < 0) {
        if (IsPicBkg(FCurColor) && !LoadBkgPic(FCurColor))
            FCurColor = kDefaultBkgColor;
        SetScrBkgColor(kBkgAllWins, FCurColor);
    } else {
        SetScrBkgColor(FScr, FCurColor);
    }
    ++iFieldApplies;
    RedrawP = kRedrawFull;  // the next frame (1/60 s) shows it
}

void MCColor::PaneDrawRect(QPainter& p, int pane)
{
    if (!FCanDraw)
        return;
    auto drawSwatches = [&](int count, const int32_t* colours, auto rectOf, bool yellowDark) {
        for (int i = 0; i < count; ++i) {
            const TMyRect r = rectOf(i);
            if (colours[i] == FCurColor) {
                const bool dark = yellowDark && i >= kFirstDarkGrey && i <= kLastDarkGrey;
                ViewFillFrame(p, Grown(r, kSelGrow), dark ? kMarkYellow : kMarkBlack);
            }
            ViewFillFrame(p, r, colours[i]);
        }
    };
    const TMyRect whole = vMyRectInitWH(0, 0, p.device()->width(), p.device()->height());
    switch (pane) {
    case kPanePal:
        ViewDrawFrame(p, whole, kFrameGrey);
        drawSwatches(kPalCount, lPalColors, &MCColor::PalSwatchRect, true);
        break;
    case kPaneGamma:
        p.drawPixmap(0, 0, nsiGamma_);
        if (!MyRectIsEmpty(mrGammaSel))
            ViewDrawFrame(p, mrGammaSel, kMarkBlack);
        break;
    case kPaneDefCol:
        ViewDrawFrame(p, whole, kFrameGrey);
        drawSwatches(FDefColNum, FDefColors.data(), &MCColor::DefSwatchRect, false);
        break;
    case kPaneSelCol:
        ViewFillFrame(p, whole, FCurColor);
        break;
    case kPanePointCol:
        ViewFillFrame(p, whole, FPointColor);
        break;
    case kPaneBkgPic:
        ViewDrawFrame(p, whole, kFrameGrey);
        for (int i = 0; i < kBkgPicCount; ++i) {
            const TMyRect r = BkgPicRect(i);
            if (kFirstBkgPic + i == FCurColor)
                ViewFillFrame(p, Grown(r, kSelGrow), kMarkBlack);
            p.drawPixmap(ToQRect(r), samples_[size_t(i)]);
        }
        break;
    default:
        break;
    }
}

void MCColor::PaneMouseDown(int pane, int x, int y)
{
    int32_t pick = FCurColor;
    switch (pane) {
    case kPanePal:
        if (const int i = SwatchAt(x, y, kPalCols, kPalCount, kSwatch, kSwatch, kSwatchStep, kSwatchStep); i >= 0)
            pick = lPalColors[i];
        break;
    case kPaneGamma: {
        int r = 0, g = 0, b = 0;
        CoordToColorSquare(std::clamp(x, 0, kGammaSide - 1), std::clamp(y, 0, kGammaSide - 1), &r, &g, &b);
        FPointColor = int32_t(RGB(uint32_t(r), uint32_t(g), uint32_t(b)));
        o_PointCol->update();
        FCurColor = FPointColor;
        UpdateAllPalettes(true);
        return;
    }
    case kPaneDefCol:
        if (const int i = SwatchAt(x, y, FDefColNum, FDefColNum, kSwatch, kSwatch, kSwatchStep, kSwatchStep); i >= 0)
            pick = FDefColors[size_t(i)];
        break;
    case kPaneBkgPic:
        if (const int i = SwatchAt(x, y, kBkgPicCount, kBkgPicCount, kSampleW, kSampleH, kSampleStep, kSampleH + kSwatchMargin); i >= 0)
            pick = kFirstBkgPic + i;
        break;
    default:
        return;  // the two colour swatches do nothing
    }
    if (pick == FCurColor)
        return;
    FCurColor = pick;
    UpdateAllPalettes(true);
}

void MCColor::PaneMouseMove(int /*pane*/, int x, int y)
{
    const QRect sq = o_Gamma->geometry();
    if (!sq.contains(x, y)) {
        o_PointCol->hide();
        return;
    }
    int r = 0, g = 0, b = 0;
    CoordToColorSquare(x - sq.left(), y - sq.top(), &r, &g, &b);
    FPointColor = int32_t(RGB(uint32_t(r), uint32_t(g), uint32_t(b)));
    o_PointCol->show();
    o_PointCol->update();
}

void MCColor::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pt = e->position().toPoint();
    PaneMouseMove(-1, pt.x(), pt.y());
}

int RunColorDialog(QWidget* parent, const QString& caption, int win, int32_t code, bool pictures)
{
    MCColor dlg(parent);
    dlg.InitForm(code, pictures, caption, win);
    return dlg.ShowForm();
}
