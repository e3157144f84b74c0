// MCOpen: building the dialog, its two styles, the lists' clicks and menus,
// the level page's controls, and finishing in either style.
//
// Index: creation and layout / styles and tabs / the file name / showing a
// file / the level page / finishing / lists / own pictures / texts.
#include "shell/open_dialog.h"

#include "cutting/cutting.h"
#include "base/my_image_qt.h"
#include "field/field.h"
#include "files/files.h"
#include "model/game_state.h"
#include "platform/platform.h"
#include "shell/shell.h"
#include "shell/thumb_list.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QStandardPaths>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

MCOpen* g_OpenForm = nullptr;
bool g_OpenFormInit = false;
int iDVStyle = 1;
std::string sDVFileName;

namespace {

enum TPage { kPageJigs = 0, kPageGames = 1, kPageLevel = 2 };

QString Tr(const std::string& key) { return QString::fromStdString(LangGetKeyVal(key)); }
QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string Say(const std::string& key, const std::vector<LangArg>& args)
{
    return LangFormat(CaretMesFormat(key), args);
}

// The chosen button of a group, and a toggle that is on, wear a border; there is no other state.
void SetBordered(QToolButton* b, bool on)
{
    b->setProperty("bordered", on);
    b->setStyleSheet(on ? QStringLiteral("QToolButton { border: 2px solid palette(highlight); border-radius: 4px; "
                                         "background: palette(base); }")
                        : QStringLiteral("QToolButton { border: 2px solid transparent; }"));
}
bool IsBordered(const QToolButton* b) { return b->property("bordered").toBool(); }

QIcon ResourceIcon(const std::string& name)
{
    const QString base = Q(FileNames.sResourcePath + "/" + name);
    QIcon icon(base + QStringLiteral(".png"));
    if (QFileInfo::exists(base + QStringLiteral("@2x.png")))
        icon.addFile(base + QStringLiteral("@2x.png"));
    return icon;
}

QToolButton* IconButton(QWidget* parent, const std::string& image)
{
    auto* b = new QToolButton(parent);
    b->setIcon(ResourceIcon(image));
    b->setIconSize(QSize(32, 32));
    b->setFixedSize(44, 44);
    b->setFocusPolicy(Qt::NoFocus);
    SetBordered(b, false);
    return b;
}

}  // namespace

// ==== Creation and layout ================================================================

// No pieces at all (a picture too small for the level) cannot be played either.
bool PieceCountAllowed(int count) { return count > 0 && count <= kMaxOpenPieces; }

MCOpen* CreateOpenForm(QWidget* parent)
{
    if (g_OpenForm)
        return g_OpenForm;
    g_OpenForm = new MCOpen(parent);
    g_OpenForm->InitForm();
    return g_OpenForm;
}

void FreeOpenForm()
{
    delete g_OpenForm;  // the destructor clears the references
}

MCOpen::MCOpen(QWidget* parent) : QDialog(parent)
{
    setModal(true);
    setSizeGripEnabled(true);
    setMinimumSize(kOpenFormMinW, kOpenFormMinH);
    resize(std::max(iMaxMainViewW * 4 / 5, kOpenFormMinW), std::max(iMaxMainViewH * 4 / 5, kOpenFormMinH));
    setAcceptDrops(true);
    BuildPages();
    p_nsiShapeMasks = MyImageCreateFromFile(FileNames.sResourcePath + "/open_shape_masks_w.gif", true);
    p_nsiShapeBkg = MyImageCreateFromFile(FileNames.sResourcePath + "/open_shape_bkg.bmp", true);
    if (!p_nsiShapeMasks || !p_nsiShapeBkg)
        Platform().Log("open dialog: the piece-size pictures are missing; no preview");
    // The dialog follows a language switch: after the window's own retitling.
    // Whoever installs the next hook replaces both; a dialog gone is skipped.
    LangP.fnRetitle = [self = QPointer<MCOpen>(this), prev = LangP.fnRetitle] {
        if (prev)
            prev();
        if (self)
            self->TranslateForm();
    };
}

MCOpen::~MCOpen()
{
    if (g_OpenForm == this) {
        g_OpenForm = nullptr;
        g_OpenFormInit = false;
    }
}

void MCOpen::BuildPages()
{
    auto* root = new QVBoxLayout(this);
    o_Pages = new QTabWidget(this);
    root->addWidget(o_Pages, 1);

    p_PageJigs = new QWidget;
    auto* jl = new QVBoxLayout(p_PageJigs);
    o_JigsScrollView = new MCOpenScrollView(0, p_PageJigs);
    jl->addWidget(o_JigsScrollView, 1);
    auto* addRow = new QHBoxLayout;
    o_ButAddPicture = new QPushButton(p_PageJigs);
    o_ButAddPicture->setAutoDefault(false);
    addRow->addWidget(o_ButAddPicture);
    addRow->addStretch(1);
    jl->addLayout(addRow);
    o_Pages->addTab(p_PageJigs, QString());

    p_PageGames = new QWidget;
    auto* gl = new QVBoxLayout(p_PageGames);
    o_GamesScrollView = new MCOpenScrollView(1, p_PageGames);
    gl->addWidget(o_GamesScrollView, 1);
    o_Pages->addTab(p_PageGames, QString());

    p_PageLevel = BuildLevelPage();
    o_Pages->addTab(p_PageLevel, QString());

    auto* nameRow = new QHBoxLayout;
    o_FileNameCap = new QLabel(this);
    o_FileName = new QLineEdit(this);
    nameRow->addWidget(o_FileNameCap);
    nameRow->addWidget(o_FileName, 1);
    root->addLayout(nameRow);

    auto* buttons = new QHBoxLayout;
    o_ButExtra = new QPushButton(this);
    o_ButCancel = new QPushButton(this);
    o_ButOk = new QPushButton(this);
    for (QPushButton* b : {o_ButExtra, o_ButCancel, o_ButOk})
        b->setAutoDefault(false);
    o_ButOk->setDefault(true);
    buttons->addWidget(o_ButExtra);
    buttons->addStretch(1);
    buttons->addWidget(o_ButCancel);
    buttons->addWidget(o_ButOk);
    root->addLayout(buttons);

    BuildMenusAndConnect();
}

void MCOpen::BuildMenusAndConnect()
{
    o_MenuJigs = new QMenu(this);
    o_MenuJigsDel = o_MenuJigs->addAction(QString());
    o_MenuJigsDelAll = o_MenuJigs->addAction(QString());
    o_MenuGames = new QMenu(this);
    o_MenuGamesDel = o_MenuGames->addAction(QString());
    o_MenuGamesDelAll = o_MenuGames->addAction(QString());
    connect(o_MenuJigsDel, &QAction::triggered, this, [this] { MenuDelete(o_JigsScrollView, false); });
    connect(o_MenuJigsDelAll, &QAction::triggered, this, [this] { MenuDelete(o_JigsScrollView, true); });
    connect(o_MenuGamesDel, &QAction::triggered, this, [this] { MenuDelete(o_GamesScrollView, false); });
    connect(o_MenuGamesDelAll, &QAction::triggered, this, [this] { MenuDelete(o_GamesScrollView, true); });

    connect(o_ButOk, &QPushButton::clicked, this, &MCOpen::ButOkPressed);
    connect(o_ButCancel, &QPushButton::clicked, this, &MCOpen::ButCancelPressed);
    connect(o_ButExtra, &QPushButton::clicked, this, &MCOpen::ButExtraPressed);
    connect(o_ButAddPicture, &QPushButton::clicked, this, &MCOpen::AddPicturePressed);
    connect(o_Pages, &QTabWidget::currentChanged, this, &MCOpen::TabSelected);
    for (MCOpenScrollView* list : {o_JigsScrollView, o_GamesScrollView}) {
        connect(list, &MCOpenScrollView::thumbPressed, this, [this, list](int i) { ThumbPressed(list, i); });
        connect(list, &MCOpenScrollView::thumbDoubleClicked, this,
                [this, list](int i) { ThumbDoubleClicked(list, i); });
        connect(list, &MCOpenScrollView::thumbContextMenu, this,
                [this, list](int, const QPoint& at) { ShowPopupMenu(list, at); });
        connect(list, &MCOpenScrollView::filesDropped, this, [this](const QStringList& paths) {
            for (const QString& p : paths)
                AddOwnPicture(p.toStdString());
        });
    }
}

QWidget* MCOpen::BuildLevelPage()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->addLayout(BuildSizeColumn(page), 0, 0);
    grid->addLayout(BuildChoiceColumn(page), 0, 1);
    grid->setColumnStretch(2, 1);  // the controls keep together on the left
    grid->setHorizontalSpacing(24);
    connect(o_SizeSlider, &QSlider::valueChanged, this, [this](int v) {
        if (!p_bProgChange)
            SliderMoved(v);
    });
    return page;
}

// The chosen picture, its comment, the piece size and the level.
QLayout* MCOpen::BuildSizeColumn(QWidget* page)
{
    auto* left = new QVBoxLayout;
    o_PreviewThumb = new QLabel(page);
    o_PreviewThumb->setFixedSize(kThumbPicW * 2, kThumbPicH * 2);
    o_PreviewThumb->setAlignment(Qt::AlignCenter);
    o_PreviewThumb->setFrameShape(QFrame::StyledPanel);
    o_Comment = new QLabel(page);
    o_Comment->setAlignment(Qt::AlignCenter);
    QFont bold = o_Comment->font();
    bold.setBold(true);
    o_Comment->setFont(bold);
    left->addWidget(o_PreviewThumb, 0, Qt::AlignHCenter);
    left->addWidget(o_Comment);
    o_SizeBox = new QGroupBox(page);
    auto* sizeLayout = new QVBoxLayout(o_SizeBox);
    o_SizeImageView = new QLabel(o_SizeBox);
    o_SizeImageView->setFixedSize(kPieceSizeW, kPieceSizeH);
    o_SizeImageView->setAlignment(Qt::AlignCenter);
    sizeLayout->addWidget(o_SizeImageView, 0, Qt::AlignHCenter);
    o_SizeSlider = new QSlider(Qt::Horizontal, o_SizeBox);
    o_SizeSlider->setRange(0, kMaskLevels - 1);
    o_SizeSlider->setTickPosition(QSlider::TicksBelow);
    o_SizeSlider->setTickInterval(1);
    o_SizeSlider->setPageStep(1);
    sizeLayout->addWidget(o_SizeSlider);
    left->addWidget(o_SizeBox);
    left->addStretch(1);
    return left;
}

// Shapes, frame, mix, rotation, fitting, the seed.
QLayout* MCOpen::BuildChoiceColumn(QWidget* page)
{
    auto* right = new QVBoxLayout;
    o_ShapesBox = new QGroupBox(page);
    auto* shapes = new QHBoxLayout(o_ShapesBox);
    for (int i = 0; i < 7; ++i) {
        o_ShapeBut[size_t(i)] = IconButton(o_ShapesBox, StrFormat("open_shape%d", i));
        shapes->addWidget(o_ShapeBut[size_t(i)]);
        connect(o_ShapeBut[size_t(i)], &QToolButton::clicked, this, [this, i] { ShapePressed(i); });
    }
    shapes->addStretch(1);
    right->addWidget(o_ShapesBox);
    auto row = [&](QLabel*& cap, std::initializer_list<QToolButton*> buttons) {
        auto* h = new QHBoxLayout;
        for (QToolButton* b : buttons)
            h->addWidget(b);
        cap = new QLabel(page);
        h->addWidget(cap, 1);
        right->addLayout(h);
    };
    for (int i = 0; i < 2; ++i) {
        o_BorderBut[size_t(i)] = IconButton(page, StrFormat("open_border%d", i));
        connect(o_BorderBut[size_t(i)], &QToolButton::clicked, this, [this, i] { BorderPressed(i); });
        o_MixBut[size_t(i)] = IconButton(page, StrFormat("open_mix%d", i));
        connect(o_MixBut[size_t(i)], &QToolButton::clicked, this, [this, i] { MixPressed(i); });
    }
    row(o_BorderCap, {o_BorderBut[0], o_BorderBut[1]});
    row(o_MixCap, {o_MixBut[0], o_MixBut[1]});
    o_Rotate = IconButton(page, "open_rotate");
    connect(o_Rotate, &QToolButton::clicked, this, &MCOpen::RotatePressed);
    row(o_RotateCap, {o_Rotate});
    o_Fit = IconButton(page, "open_fit_scr");
    connect(o_Fit, &QToolButton::clicked, this, &MCOpen::FitPressed);
    row(o_FitCap, {o_Fit});
    right->addStretch(1);
    right->addLayout(BuildSeedRow(page));
    return right;
}

QLayout* MCOpen::BuildSeedRow(QWidget* page)
{
    // The seed: a button nobody sees until it is clicked, then a field to type a seed into.
    auto* seedRow = new QHBoxLayout;
    o_SeedButton = new QPushButton(page);
    o_SeedButton->setFlat(true);
    o_SeedButton->setAutoDefault(false);
    o_SeedButton->setFocusPolicy(Qt::NoFocus);
    o_SeedBox = new QWidget(page);
    auto* seedBoxLayout = new QHBoxLayout(o_SeedBox);
    seedBoxLayout->setContentsMargins(0, 0, 0, 0);
    o_SeedText = new QLineEdit(o_SeedBox);
    o_SeedText->setMaximumWidth(160);
    seedBoxLayout->addWidget(o_SeedText);
    seedRow->addWidget(o_SeedButton);
    seedRow->addWidget(o_SeedBox);
    seedRow->addStretch(1);
    connect(o_SeedButton, &QPushButton::clicked, this, &MCOpen::SeedButtonPressed);
    p_bSeedShown = true;
    SeedButtonPressed();  // starts transparent with the box hidden
    return seedRow;
}

void MCOpen::InitForm()
{
    // DefJigP already holds the defaults and the settings' choices (read
    // before the window was made): they are not reset here.
    o_Pages->setCurrentIndex(kPageJigs);
    CheckDistJigs();
    o_JigsScrollView->UpdateListThumbs(FileNames.sJigsPath, FileNames.sSetJigExt, "");
    o_GamesScrollView->UpdateListThumbs(FileNames.sJigsPath, FileNames.sSolveExt, "");
    TranslateForm();
    g_OpenFormInit = true;
}

// ==== Styles and tabs ==================================================================

void MCOpen::SetFormStyle(int style)
{
    iDVStyle = style;
    TranslateForm();  // also when the language changed without telling us
    MCOpenScrollView* first = style == 2 ? o_GamesScrollView : o_JigsScrollView;
    if (TrimStrEmpty(sDVFileName) && !first->arListThumbs.empty()) {
        sDVFileName = first->arListThumbs.front().sAbsPath;
        SetFileName(FileNameOf(sDVFileName));
    }
    iDVStyle = style;
    p_bFilePreview = 0;
    o_Pages->setTabEnabled(kPageJigs, style == 1);
    o_Pages->setTabEnabled(kPageLevel, style == 1);
    int page = kPageJigs;
    if (style == 2)
        page = kPageGames;
    else if (FileExists(sDVFileName) && !Jigs.empty() && !IsSolveFile(sDVFileName))
        page = kPageLevel;
    else if (IsSolveFile(sDVFileName))
        page = kPageGames;
    o_ButExtra->setVisible(style == 1);
    p_bProgChange = true;
    o_Pages->setCurrentIndex(page);
    p_bProgChange = false;
    TabSelected(page);
    o_Comment->hide();
    const bool gameOpen = IsGameOpen();
    if (style == 2) {
        setWindowTitle(Tr("Cap_Save"));
        o_GamesScrollView->UpdateListThumbs(FileNames.sJigsPath, FileNames.sSolveExt, sDVFileName);
        const std::string& own = !FileNames.sSolve.empty() ? FileNames.sSolve : FileNames.sJig;
        SetFileName(FileNameWithoutExt(own));
        o_SizeBox->setTitle(Q(LangFormat(LangGetKeyVal("L_PieceNum"), {JigP.TotalTileNum})));
        ShowPreviewImage(miInfoThumb.get());
        SetParamControlsEnabled(false);
        o_JigsScrollView->SetSelection(-1);
        o_ButOk->setEnabled(true);
    } else {
        setWindowTitle(Tr("Cap_Load"));
        o_JigsScrollView->UpdateListThumbs(FileNames.sJigsPath, FileNames.sSetJigExt, sDVFileName);
        o_GamesScrollView->UpdateListThumbs(FileNames.sJigsPath, FileNames.sSolveExt, sDVFileName);
        // Only the list that holds the file shows a selection.
        (IsSolveFile(sDVFileName) ? o_JigsScrollView : o_GamesScrollView)->SetSelection(-1);
        if (!gameOpen) {
            SetParamControlsEnabled(false);
            ClearPreview();
        }
        CheckAndShowFile();
    }
    o_FileNameCap->setVisible(style == 2);
    o_FileName->setVisible(style == 2);
    if (style == 2) {
        o_FileName->setFocus();
        o_FileName->selectAll();
    }
    p_bProgChange = false;
}

bool MCOpen::IsLevelTab() const { return o_Pages->currentIndex() == kPageLevel; }

void MCOpen::TabSelected(int index)
{
    if (!g_OpenFormInit && !p_bProgChange)
        return;
    if (iDVStyle == 2)
        o_ButOk->setText(Tr("B_Save"));
    else
        o_ButOk->setText(Tr(index == kPageJigs ? "B_Next" : "B_Open"));
}

// ==== The file name ======================================================================

void MCOpen::SetFileName(const std::string& name) { o_FileName->setText(Q(name)); }

std::string MCOpen::FileName() const { return o_FileName->text().toStdString(); }

std::string MCOpen::GetFileNameFromText()
{
    std::string t = FileName();
    if (t.empty())
        return {};
    CSTrim(t);
    std::string name = FileNameOf(t);
    if (iDVStyle == 2)
        name = FileNameWithoutExt(name);
    SetFileName(name);
    if (name.empty())
        return {};
    std::string path = FileNames.sJigsPath;
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += name;
    if (iDVStyle == 2)
        path += "." + FileNames.sSolveExt;
    return path;
}

// ==== Showing a file =====================================================================

void MCOpen::SetParamControlsEnabled(bool on)
{
    for (QToolButton* b : o_ShapeBut)
        b->setEnabled(on);
    for (QToolButton* b : o_BorderBut)
        b->setEnabled(on);
    for (QToolButton* b : o_MixBut)
        b->setEnabled(on);
    o_Rotate->setEnabled(on);
    o_Fit->setEnabled(on);
    o_SizeSlider->setEnabled(on);
}

void MCOpen::ClearPreview()
{
    p_PreviewImage = QImage();
    o_PreviewThumb->clear();
}

void MCOpen::ShowPreviewImage(const OMyImage* thumb)
{
    p_PreviewImage = thumb ? MyImageToQImage(*thumb) : QImage();
    if (p_PreviewImage.isNull()) {
        o_PreviewThumb->clear();
        return;
    }
    o_PreviewThumb->setPixmap(QPixmap::fromImage(p_PreviewImage.scaled(o_PreviewThumb->size() - QSize(4, 4),
                                                                       Qt::KeepAspectRatio,
                                                                       Qt::SmoothTransformation)));
}

bool MCOpen::CheckAndShowFile()
{
    o_ButOk->setEnabled(iDVStyle == 2);
    o_Comment->hide();
    const std::string path = GetFileNameFromText();
    bool answer = false;
    p_bFilePreview = 0;
    if (!FileExists(path)) {
        SetParamControlsEnabled(false);
        ClearPreview();
        return false;
    }
    if (IsJigFile(path)) {
        NewJigP = DefJigP;
        if (OpenJigFile_ForListOrPreview(path, false)) {
            ShowPreviewImage(miReadThumb.get());
            p_bFilePreview = 1;
            FromOptToComps(DefJigP);
            answer = ShowPieceNum();
            SetParamControlsEnabled(true);
            if (!IsLevelTab())
                o_ButOk->setText(Tr("B_Next"));
        }
    } else if (IsSolveFile(path)) {
        if (OpenSolveFile_ForListOrPreview(path, false)) {
            ShowPreviewImage(miReadThumb.get());
            p_bFilePreview = 2;
            FromOptToComps(NewJigP);
            ShowPieceNum();
            SetParamControlsEnabled(false);
            answer = true;
            if (!IsLevelTab())
                o_ButOk->setText(Tr(iDVStyle == 2 ? "B_Save" : "B_Open"));
        }
    }
    if (p_bFilePreview == 0) {
        o_Comment->setText(Tr("L_InvalidJigsaw"));
        o_Comment->show();
        SetParamControlsEnabled(false);
        ClearPreview();
    }
    if (answer)
        o_ButOk->setEnabled(true);
    return answer;
}

// ==== The level page =====================================================================

void MCOpen::FromOptToComps(const TJigParams& p)
{
    FillMaskParams(p.ImageW, p.ImageH, p.ShapeStyle, p.BorderStyle);
    p_bProgChange = true;
    o_SizeSlider->setValue(std::clamp(int(p.Level), 0, kMaskLevels - 1));
    p_bProgChange = false;
    o_SizeBox->setTitle(Q(LangFormat(LangGetKeyVal("L_PieceNum"), {JigP.TotalTileNum})));
    SetBordered(o_Rotate, p.Rotate != 0);
    SetBordered(o_Fit, p.FitToScreen != 0);
    for (int i = 0; i < 2; ++i) {
        SetBordered(o_BorderBut[size_t(i)], p.BorderStyle == i);
        SetBordered(o_MixBut[size_t(i)], p.SpreadOut == i);
    }
    for (int i = 0; i < 7; ++i)
        SetBordered(o_ShapeBut[size_t(i)], p.ShapeStyle == i);
    o_RotateCap->setText(Tr(p.Rotate ? "RotateOn" : "RotateOff"));
    o_FitCap->setText(Tr(p.FitToScreen ? "FitOn" : "FitOff"));
    o_BorderCap->setText(Tr(StrFormat("Borders%d", p.BorderStyle ? 1 : 0)));
    o_MixCap->setText(Tr(p.SpreadOut ? "Mix_Spreadout" : "Mix_Random"));
    o_ShapesBox->setTitle(Tr(StrFormat("Shapes%d", std::clamp(int(p.ShapeStyle), 0, 6))));
}

int MCOpen::GetSelBorder() const { return IsBordered(o_BorderBut[0]) ? 0 : 1; }

bool MCOpen::ShowPieceNum()
{
    int count = NewJigP.TotalTileNum;
    if (p_bFilePreview == 1) {
        const bool fit = IsBordered(o_Fit);
        const int w = fit ? NewJigP.FitW : NewJigP.ImageW, h = fit ? NewJigP.FitH : NewJigP.ImageH;
        count = CountNewJigPieces(NewJigP, w, h, GetSelBorder());
    }
    o_SizeBox->setTitle(Q(LangFormat(LangGetKeyVal("L_PieceNum"), {count})));
    RedrawPieceSize();
    return PieceCountAllowed(count);
}

void MCOpen::UpdateCountControls(bool ok)
{
    if (iDVStyle == 2)
        o_ButOk->setEnabled(true);
    else
        o_ButOk->setEnabled(ok && p_bFilePreview != 0);
}

void MCOpen::RedrawPieceSize()
{
    OMyImagePtr img;
    if (p_nsiShapeMasks && p_nsiShapeBkg)
        img = DrawPieceSize(*p_nsiShapeMasks, *p_nsiShapeBkg, NewJigP.TileS, std::clamp(int(NewJigP.ShapeStyle), 0, 6),
                            OptP.Visual_EmbossStyle);
    p_miPieceSize = std::move(img);
    if (!p_miPieceSize) {
        o_SizeImageView->clear();
        return;
    }
    const TPieceSizeGeometry g = PieceSizeGeometry(NewJigP.TileS);
    QImage shown = MyImageToQImage(*p_miPieceSize);
    if (g.viewW != kPieceSizeW || g.viewH != kPieceSizeH)
        shown = shown.scaled(g.viewW, g.viewH, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    o_SizeImageView->setPixmap(QPixmap::fromImage(shown));
}

// A saved game keeps its own cut: while one is shown these do nothing.
void MCOpen::ShapePressed(int tag)
{
    if (p_bFilePreview == 2)
        return;
    for (int i = 0; i < 7; ++i)
        SetBordered(o_ShapeBut[size_t(i)], i == tag);
    DefJigP.ShapeStyle = NewJigP.ShapeStyle = uint8_t(tag);
    o_ShapesBox->setTitle(Tr(StrFormat("Shapes%d", tag)));
    UpdateCountControls(ShowPieceNum());
}

void MCOpen::BorderPressed(int tag)
{
    if (p_bFilePreview == 2)
        return;
    for (int i = 0; i < 2; ++i)
        SetBordered(o_BorderBut[size_t(i)], i == tag);
    DefJigP.BorderStyle = NewJigP.BorderStyle = uint8_t(tag);
    o_BorderCap->setText(Tr(StrFormat("Borders%d", tag)));
    UpdateCountControls(ShowPieceNum());
}

void MCOpen::MixPressed(int tag)
{
    if (p_bFilePreview == 2)
        return;
    for (int i = 0; i < 2; ++i)
        SetBordered(o_MixBut[size_t(i)], i == tag);
    DefJigP.SpreadOut = NewJigP.SpreadOut = uint8_t(tag);
    o_MixCap->setText(Tr(tag ? "Mix_Spreadout" : "Mix_Random"));
}

void MCOpen::RotatePressed()
{
    if (p_bFilePreview == 2)
        return;
    const bool on = !IsBordered(o_Rotate);
    SetBordered(o_Rotate, on);
    DefJigP.Rotate = NewJigP.Rotate = on ? 1 : 0;
    o_RotateCap->setText(Tr(on ? "RotateOn" : "RotateOff"));
}

void MCOpen::FitPressed()
{
    if (p_bFilePreview == 2)
        return;
    const bool on = !IsBordered(o_Fit);
    SetBordered(o_Fit, on);
    DefJigP.FitToScreen = NewJigP.FitToScreen = on ? 1 : 0;
    o_FitCap->setText(Tr(on ? "FitOn" : "FitOff"));
    UpdateCountControls(ShowPieceNum());
}

void MCOpen::SliderMoved(int value)
{
    if (p_bFilePreview == 2) {
        // The slider shows the game's own level again.
        p_bProgChange = true;
        o_SizeSlider->setValue(NewJigP.Level);
        p_bProgChange = false;
        return;
    }
    DefJigP.Level = NewJigP.Level = std::clamp(value, 0, kMaskLevels - 1);
    UpdateCountControls(ShowPieceNum());
}

void MCOpen::SeedButtonPressed()
{
    p_bSeedShown = !p_bSeedShown;
    o_SeedButton->setText(p_bSeedShown ? Tr("B_Seed") : QString());
    o_SeedButton->setFixedSize(60, 24);
    o_SeedButton->setStyleSheet(p_bSeedShown ? QString()
                                             : QStringLiteral("QPushButton { border: none; background: transparent; }"));
    o_SeedBox->setVisible(p_bSeedShown);
}

std::optional<int32_t> MCOpen::GetSeed()
{
    if (!p_bSeedShown)
        return std::nullopt;
    std::string t = o_SeedText->text().toStdString();
    CSTrim(t);
    const std::optional<int32_t> seed = ParseSeedText(t);
    if (seed)
        o_SeedText->setText(Q(t));
    return seed;
}

void MCOpen::SetSeed(int32_t seed) { o_SeedText->setText(QString::number(seed)); }

// ==== Finishing ============================================================================

void MCOpen::ButOkPressed()
{
    std::string text = FileName();
    CSTrim(text);
    SetFileName(text);
    if (iDVStyle == 1 && !IsLevelTab() && FileExtLower(text) != FileNames.sSolveExt) {
        o_Pages->setCurrentIndex(kPageLevel);  // a jigsaw's "Next"
        return;
    }
    if (iDVStyle == 2) {
        // The name is checked as typed: a slash must be refused, not cut away as a folder.
        if (text.empty()) {
            Platform().ShowMessage(CaretMesFormat("MS_EnterFileName"));
            return;
        }
        // A name starting with a dot would be a hidden file that no list shows.
        if (text.find_first_of("\\/?") != std::string::npos || text[0] == '.') {
            Platform().ShowMessage(CaretMesFormat("MS_InvalidFileName"));
            return;
        }
        text = FileNameWithoutExt(text);
        SetFileName(text);
        if (TrimStrEmpty(text)) {
            Platform().ShowMessage(CaretMesFormat("MS_EnterFileName"));
            return;
        }
    } else if (text.empty()) {
        return;
    }
    sDVFileName = GetFileNameFromText();
    if (iDVStyle == 2) {
        CheckAndSaveFile();
        return;
    }
    CheckAndShowFile();
    if (o_ButOk->isEnabled())
        CheckAndOpenFile();
}

void MCOpen::ButCancelPressed() { done(0); }

void MCOpen::ButExtraPressed()
{
    if (iDVStyle == 1)
        done(2);
}

void MCOpen::CheckAndOpenFile()
{
    const std::string path = GetFileNameFromText();
    if (FileExists(path)) {
        sDVFileName = path;
        done(1);
        return;
    }
    Platform().ShowMessage(Say("MS_CantFindFile", {FileName()}));
}

void MCOpen::CheckAndSaveFile()
{
    const std::string path = GetFileNameFromText();
    if (FileExists(path) && Platform().ShowQuestion(Say("Q_OverwriteFile", {FileName()}), LangGetKeyVal("B_Ok"),
                                                    LangGetKeyVal("B_Cancel"), "") != 1)
        return;
    sDVFileName = path;
    done(1);
}

void MCOpen::keyPressEvent(QKeyEvent* e)
{
    const bool plain = (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
        if (o_ButOk->isEnabled())
            ButOkPressed();
        return;
    }
    if (plain && e->key() == Qt::Key_Escape) {
        ButCancelPressed();
        return;
    }
    if (plain && e->key() == Qt::Key_E && o_ButExtra->isVisible()) {
        ButExtraPressed();
        return;
    }
    QDialog::keyPressEvent(e);
}

// ==== Lists ===============================================================================

void MCOpen::ThumbPressed(MCOpenScrollView* list, int index)
{
    if (index < 0 || index >= int(list->arListThumbs.size()))
        return;
    SetFileName(FileNameOf(list->arListThumbs[size_t(index)].sAbsPath));
    (list == o_JigsScrollView ? o_GamesScrollView : o_JigsScrollView)->SetSelection(-1);
    CheckAndShowFile();
}

void MCOpen::ThumbDoubleClicked(MCOpenScrollView*, int)
{
    // A saved game opens at once; a jigsaw goes on to the level page. An
    // unreadable file goes nowhere.
    if (o_ButOk->isEnabled())
        ButOkPressed();
}

void MCOpen::ShowPopupMenu(MCOpenScrollView* list, const QPoint& globalPos)
{
    const bool jigs = list == o_JigsScrollView;
    (jigs ? o_MenuJigsDel : o_MenuGamesDel)->setEnabled(list->Selected() != nullptr);
    (jigs ? o_MenuJigsDelAll : o_MenuGamesDelAll)->setEnabled(true);
    (jigs ? o_MenuJigs : o_MenuGames)->popup(globalPos);
}

void MCOpen::MenuDelete(MCOpenScrollView* list, bool all)
{
    const bool jigs = list == o_JigsScrollView;
    const std::string& ext = jigs ? FileNames.sSetJigExt : FileNames.sSolveExt;
    IPlatform& ui = Platform();
    const std::string ok = LangGetKeyVal("B_Ok"), cancel = LangGetKeyVal("B_Cancel");
    if (!all) {
        const int i = list->iSel;
        if (i < 0)
            return;
        const std::string name = list->arListThumbs[size_t(i)].sDisplayName;
        if (ui.ShowQuestion(Say("Q_DeleteFile", {name}), ok, cancel, "") != 1)
            return;
        if (!DeleteFile(list->arListThumbs[size_t(i)].sAbsPath)) {
            ui.ShowMessage(Say("MS_CantDeleteFile", {name}));
            return;
        }
        list->DeleteListThumb(i);
        list->SetSelection(std::min(i, int(list->arListThumbs.size()) - 1));
    } else if (!jigs) {
        if (ui.ShowQuestion(CaretMesFormat("Q_DelAllGames"), ok, cancel, "") != 1)
            return;
        while (!list->arListThumbs.empty()) {
            const OListThumb& t = list->arListThumbs.front();
            if (!DeleteFile(t.sAbsPath)) {
                ui.ShowMessage(Say("MS_CantDeleteFile", {t.sDisplayName}));
                break;
            }
            list->DeleteListThumb(0);
        }
    } else {
        if (ui.ShowQuestion(CaretMesFormat("Q_DelAllJigs"), ok, cancel, "") != 1)
            return;
        for (const OListThumb& t : list->arListThumbs)
            DeleteFile(t.sAbsPath);
        // The jigsaws that come with the game come back.
        CheckDistJigs();
        list->ClearList();
        list->UpdateListThumbs(FileNames.sJigsPath, ext, "");
        list->SetSelection(list->arListThumbs.empty() ? -1 : 0);
    }
    AfterListChange(list);
}

void MCOpen::AfterListChange(MCOpenScrollView* list)
{
    list->ResizeListView();
    if (const OListThumb* t = list->Selected()) {
        SetFileName(FileNameOf(t->sAbsPath));
        CheckAndShowFile();
    } else if (iDVStyle == 1) {
        SetFileName("");
        CheckAndShowFile();
    }
}

void MCOpen::RefillLists()
{
    o_JigsScrollView->UpdateListThumbs(FileNames.sJigsPath, FileNames.sSetJigExt, "");
    o_GamesScrollView->UpdateListThumbs(FileNames.sJigsPath, FileNames.sSolveExt, "");
}

// ==== Own pictures ==========================================================================

void MCOpen::AddPicturePressed()
{
    QString start = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    const QString f = QFileDialog::getOpenFileName(
        this, Tr("Cap_AddPicture"), start,
        Tr("L_Pictures") + QStringLiteral(" (*.jpg *.jpeg *.png *.bmp *.gif *.tif *.tiff *.webp *.JPG *.JPEG *.PNG)"));
    if (!f.isEmpty())
        AddOwnPicture(f.toStdString());
}

bool MCOpen::AddOwnPicture(const std::string& path)
{
    std::string jigsaw, message;
    if (!MakeJigsawFromPicture(path, FileNames.sJigsPath, &jigsaw, &message)) {
        Platform().ShowMessage(message);
        return false;
    }
    o_JigsScrollView->UpdateListThumbs(FileNames.sJigsPath, FileNames.sSetJigExt, jigsaw);
    o_GamesScrollView->SetSelection(-1);
    if (iDVStyle == 1)
        o_Pages->setCurrentIndex(kPageJigs);
    SetFileName(FileNameOf(jigsaw));
    CheckAndShowFile();
    return true;
}

void MCOpen::dragEnterEvent(QDragEnterEvent* e)
{
    if (iDVStyle == 1 && e->mimeData()->hasUrls())
        e->acceptProposedAction();
}

void MCOpen::dropEvent(QDropEvent* e)
{
    for (const QUrl& u : e->mimeData()->urls())
        if (u.isLocalFile())
            AddOwnPicture(u.toLocalFile().toStdString());
    e->acceptProposedAction();
}

// ==== Texts =================================================================================

void MCOpen::TranslateForm()
{
    FromOptToComps(DefJigP);
    o_Pages->setTabText(kPageJigs, Tr("TS_Jigs"));
    o_Pages->setTabText(kPageGames, Tr("TS_Games"));
    o_Pages->setTabText(kPageLevel, Tr("TS_Level"));
    o_ButOk->setText(Tr("B_Ok"));
    o_ButCancel->setText(Tr("B_Cancel"));
    o_ButExtra->setText(Tr("B_Extra"));
    o_ButAddPicture->setText(Tr("B_AddPicture"));
    o_MenuJigs->setTitle(QStringLiteral("Jigs"));
    o_MenuGames->setTitle(QStringLiteral("Games"));
    o_MenuJigsDel->setText(Tr("PMI_JigsDel"));
    o_MenuJigsDelAll->setText(Tr("PMI_JigsDelAll"));
    o_MenuGamesDel->setText(Tr("PMI_GamesDel"));
    o_MenuGamesDelAll->setText(Tr("PMI_GamesDelAll"));
    o_FileNameCap->setText(Tr("L_FileNameCap"));
    o_Comment->setText(Tr("L_InvalidJigsaw"));
    o_SeedText->setToolTip(Tr("B_Seed"));
    if (p_bSeedShown)
        o_SeedButton->setText(Tr("B_Seed"));
    setWindowTitle(Tr(iDVStyle == 2 ? "Cap_Save" : "Cap_Load"));
    if (g_OpenFormInit)
        TabSelected(o_Pages->currentIndex());
}
