// MCColor: the modal dialog that picks the background of the play-field
// windows: a colour of the fixed palette, of the colour square or the
// default grey, or (when offered) one of the eight table pictures. Every pick
// is put on the field at once, so the caller keeps a copy of the background
// record and puts it back on Cancel.
//
// Lifetime: one per use (InitForm, ShowForm, then destroyed).
#pragma once

#include "base/helpers.h"

#include <QDialog>
#include <QWidget>

#include <array>
#include <cstdint>

class QLabel;
class QPushButton;
class MCColor;

// The palette: 6 rows of 8 colours, packed 0xBBGGRR.
constexpr int kPalRows = 6, kPalCols = 8, kPalCount = kPalRows * kPalCols;
extern const int32_t lPalColors[kPalCount];

enum TColorPane : int { kPanePal = 0, kPaneGamma, kPaneDefCol, kPaneSelCol, kPanePointCol, kPaneBkgPic };

// One pane of the dialog: drawn by the dialog and passing its presses on.
class MCColorView : public QWidget {
    Q_OBJECT
public:
    MCColorView(MCColor* form, int pane, QWidget* parent);
    int FPane;
    MCColor* p_ColorForm;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
};

class MCColor : public QDialog {
    Q_OBJECT
public:
    explicit MCColor(QWidget* parent);
    ~MCColor() override;

    // Builds the window for a value (colour or picture code); scr is the
    // window being set (0..5) or -1 for all of them.
    void InitForm(int32_t color, bool showPics, const QString& caption, int scr);
    // Runs modally; 1 OK, 0 Cancel.
    int ShowForm();
    void ButOkPressed();
    void ButCancelPressed();
    void TranslateForm();
    // Recomputes the selections and redraws the panes; with apply the value
    // goes onto the field at once.
    void UpdateAllPalettes(bool apply);
    void PaneDrawRect(QPainter& p, int pane);
    void PaneMouseDown(int pane, int x, int y);
    // Content coordinates of the window (pane -1).
    void PaneMouseMove(int pane, int x, int y);
    int32_t CurColor() const { return FCurColor; }

    // Rectangles of the swatches inside their panes.
    static TMyRect PalSwatchRect(int i);
    static TMyRect DefSwatchRect(int i);
    static TMyRect BkgPicRect(int i);

    QPushButton *o_ButOk = nullptr, *o_ButCancel = nullptr;
    QLabel* o_PalCap = nullptr;
    MCColorView* o_Pal = nullptr;
    QLabel* o_GammaCap = nullptr;
    MCColorView* o_Gamma = nullptr;
    QLabel* o_DefColCap = nullptr;
    MCColorView* o_DefCol = nullptr;
    QLabel* o_SelColCap = nullptr;
    MCColorView* o_SelCol = nullptr;
    MCColorView* o_PointCol = nullptr;
    QLabel* o_BkgPicCap = nullptr;
    MCColorView* o_BkgPic = nullptr;

    bool FShowBkgPicsSamples = false;
    int32_t FCurColor = 0;
    int32_t FPointColor = 0;
    std::array<int32_t, 8> FDefColors{};
    int FDefColNum = 1;
    int FScr = -1;
    int iPalSelInd = -1, iBkgPicsSelInd = -1, iDefColSelInd = -1;
    TMyRect mrGammaSel{};
    bool FCanDraw = false;

    // What the picks have cost (tests): values put on the field, and
    // requests to repaint the panes.
    int iFieldApplies = 0;
    int iPaneUpdates = 0;

protected:
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    void RepaintPanes();
    QPixmap nsiGamma_;
    std::array<QPixmap, 8> samples_;
};

// The background command's dialog: the value, the window (-1 all, with the
// pictures offered when `pictures`), the caption. Answers 1 (OK) or 0.
int RunColorDialog(QWidget* parent, const QString& caption, int win, int32_t code, bool pictures);
