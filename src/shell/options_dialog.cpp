// The options dialog. Positions of the controls are our own; the order in
// which OK stores the settings is fixed (see StoreControls).
#include "shell/options_dialog.h"

#include "cutting/cutting.h"
#include "model/game_cut.h"
#include "base/my_image_qt.h"
#include "field/field.h"
#include "field/mouse.h"
#include "files/files.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "platform/platform.h"
#include "shell/dialog_kit.h"
#include "shell/main_form.h"
#include "shell/shell.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>

#include <cstring>

const MOUSE_ACTION MAChoise[kMAChoiseCount] = {
    {0, 2}, {0, 8}, {0, 4}, {0, 1},          // left + Alt, Control, Meta, Shift
    {1, 0}, {1, 2}, {1, 8}, {1, 4}, {1, 1},  // right, right + Alt, Control, Meta, Shift
};

int MAChoiseIndex(const MOUSE_ACTION& a)
{
    for (int k = 0; k < kMAChoiseCount; ++k)
        if (MAChoise[k] == a)
            return k;
    return -1;
}

int ClassifySchema(const MOUSE_SCHEMA& s)
{
    if (std::memcmp(&s, &DefMA, sizeof s) == 0)
        return 0;
    if (std::memcmp(&s, &KidsMA, sizeof s) == 0)
        return 1;
    return 2;
}

namespace {

QString Tr(const char* key) { return QString::fromStdString(LangGetKeyVal(key)); }

constexpr int kFormW = 560, kFormH = 440;
constexpr int kPageW = 540, kPageH = 360;   // the tab widget; pages are a little smaller
constexpr int kEmbossGrey = 152;            // the default table colour behind the preview
constexpr int kPreviewW = 180, kPreviewH = 130;
constexpr int kLangRowH = 44, kLangFlagW = 90, kLangNameW = 200;

struct TOptionsForms {
    QPointer<MCOptions> form;
};
TOptionsForms g_options;  // per run

}  // namespace

MCOptions::MCOptions(QWidget* parent) : QDialog(parent)
{
    fnRebuildTextures = [](int style) {
        if (IsGameOpen())
            RebuildPieceImages(style);
    };
    setModal(true);
    setFixedSize(kFormW, kFormH);
    o_Pages = CreateTabWidget(this, vMyRectInitWH(10, 10, kPageW, kPageH));
    using Build = void (MCOptions::*)(QWidget*);
    const Build builders[6] = {&MCOptions::BuildAutosavePage, &MCOptions::BuildSoundPage,
                               &MCOptions::BuildPlayPage,     &MCOptions::BuildVisualPage,
                               &MCOptions::BuildLangPage,     &MCOptions::BuildDnPage};
    for (Build b : builders) {
        auto* page = new QWidget;
        (this->*b)(page);
        o_Pages->addTab(page, QString());
    }
    o_ButCancel = CreateButton(this, QString(), vMyRectInitWH(kFormW - 230, kFormH - 48, 104, 32));
    o_ButOk = CreateButton(this, QString(), vMyRectInitWH(kFormW - 116, kFormH - 48, 104, 32));
    o_ButOk->setDefault(true);  // Return; Escape rejects the dialog
    connect(o_ButOk, &QPushButton::clicked, this, &MCOptions::ButOkPressed);
    connect(o_ButCancel, &QPushButton::clicked, this, &MCOptions::ButCancelPressed);

    std::string error;
    p_miEmbossSrc = MyImageCreateFromFile(FileNames.sResourcePath + "/opt_emboss.png", true, &error);
    if (!p_miEmbossSrc)
        Platform().Log("emboss preview: " + error);
    TranslateForm();
}

MCOptions::~MCOptions() = default;

// ---- Pages -----------------------------------------------------------------------------------------

void MCOptions::BuildAutosavePage(QWidget* p)
{
    o_AutoSave = CreateCheckBox(p, QString(), vMyRectInitWH(20, 24, 480, 24));
    o_AutoInterval = CreateLabel(p, 0, vMyRectInitWH(20, 70, 480, 22));
    o_AutoSlider = CreateSlider(p, kAutosaveMinMinutes, kAutosaveMaxMinutes, vMyRectInitWH(20, 96, 480, 32),
                                kAutosaveMaxMinutes - kAutosaveMinMinutes + 1);
    connect(o_AutoSlider, &QSlider::valueChanged, this, [this] { AutoIntervalUpdateCap(); });
}

void MCOptions::BuildSoundPage(QWidget* p)
{
    o_SoundIcon = CreateImageView(p, "opt-sound", vMyRectInitWH(20, 20, 40, 40));
    o_SoundPlay = CreateCheckBox(p, QString(), vMyRectInitWH(72, 28, 420, 24));
}

void MCOptions::BuildPlayPage(QWidget* p)
{
    o_PlayModesCap = CreateLabel(p, 0, vMyRectInitWH(20, 14, 230, 24));
    o_PlayModes = CreateComboList(p, vMyRectInitWH(260, 12, 250, 28));
    connect(o_PlayModes, &QComboBox::activated, this, &MCOptions::SchemaBoxChanged);

    auto actionRow = [&](int y, const char* icon, QLabel** iconOut, QLabel** capOut, QComboBox** boxOut) {
        *iconOut = CreateImageView(p, icon, vMyRectInitWH(20, y, 32, 32));
        *capOut = CreateLabel(p, 0, vMyRectInitWH(60, y + 4, 190, 24));
        *boxOut = CreateComboList(p, vMyRectInitWH(260, y + 2, 250, 28));
        connect(*boxOut, &QComboBox::currentIndexChanged, this, [this] {
            if (!bLoading_)
                CheckPlaySchemas();
        });
    };
    auto checkRow = [&](int y, const char* icon, QLabel** iconOut, QCheckBox** boxOut) {
        if (icon)
            *iconOut = CreateImageView(p, icon, vMyRectInitWH(20, y, 32, 32));
        *boxOut = CreateCheckBox(p, QString(), vMyRectInitWH(60, y + 4, 450, 24));
        connect(*boxOut, &QCheckBox::toggled, this, [this] {
            if (!bLoading_)
                CheckPlaySchemas();
        });
    };
    actionRow(50, "opt-rotate-cw", &o_PlayRotCWIcon, &o_PlayRotCWCap, &o_PlayRotCW);
    actionRow(88, "opt-rotate-ccw", &o_PlayRotCCWIcon, &o_PlayRotCCWCap, &o_PlayRotCCW);
    checkRow(126, "opt-wheel", &o_PlayRotWheelIcon, &o_PlayRotWheel);
    actionRow(164, "opt-move-ow", &o_PlayMoveOWIcon, &o_PlayMoveOWCap, &o_PlayMoveOW);
    checkRow(202, "opt-single-win", &o_PlaySingleWinIcon, &o_PlaySingleWin);
    checkRow(236, nullptr, nullptr, &o_PlayClickToDrag);
    o_StuckKoefSep = CreateSeparator(p, vMyRectInitWH(20, 270, 490, 4));
    o_StuckKoefIcon = CreateImageView(p, "opt-stuck", vMyRectInitWH(20, 284, 32, 32));
    o_StuckKoef = CreateLabel(p, 0, vMyRectInitWH(60, 288, 190, 24));
    o_StuckKoefSlider = CreateSlider(p, 10, 30, vMyRectInitWH(260, 284, 250, 32), 21);
    connect(o_StuckKoefSlider, &QSlider::valueChanged, this, [this] { StuckKoefUpdateCap(); });
}

void MCOptions::BuildVisualPage(QWidget* p)
{
    o_VisualEmbossCap = CreateLabel(p, 0, vMyRectInitWH(20, 14, 260, 24));
    o_VisualEmbossMatrix = new QButtonGroup(this);
    for (int i = kEmbossNone; i < kEmbossStyles; ++i) {
        // Cells 29 high, 4 apart.
        auto* rb = new QRadioButton(p);
        rb->setGeometry(30, 44 + i * (29 + 4), 240, 29);
        o_VisualEmbossMatrix->addButton(rb, i);
    }
    connect(o_VisualEmbossMatrix, &QButtonGroup::idClicked, this, [this](int id) { UpdateEmbossImage(id); });
    o_VisualEmbossImage = CreateImageView(p, "", vMyRectInitWH(300, 44, kPreviewW, kPreviewH));
    o_VisualShowJoinIcon = CreateImageView(p, "opt-star", vMyRectInitWH(20, 200, 32, 32));
    o_VisualShowJoin = CreateCheckBox(p, QString(), vMyRectInitWH(60, 204, 450, 24));
    o_VisualShadows = CreateCheckBox(p, QString(), vMyRectInitWH(60, 244, 450, 24));
}

void MCOptions::BuildLangPage(QWidget* p)
{
    o_LangCap = CreateLabel(p, 0, vMyRectInitWH(20, 14, 480, 24));
    o_LangList = new QTableWidget(p);
    o_LangList->setGeometry(20, 44, kLangFlagW + kLangNameW + 4, 270);
    o_LangList->setColumnCount(2);
    o_LangList->horizontalHeader()->hide();
    o_LangList->verticalHeader()->hide();
    o_LangList->verticalHeader()->setDefaultSectionSize(kLangRowH);
    o_LangList->setColumnWidth(0, kLangFlagW);
    o_LangList->setColumnWidth(1, kLangNameW);
    o_LangList->setSelectionBehavior(QAbstractItemView::SelectRows);
    o_LangList->setSelectionMode(QAbstractItemView::SingleSelection);
    o_LangList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    o_LangList->setShowGrid(false);
    FillLangList();
}

void MCOptions::FillLangList()
{
    o_LangList->setRowCount(int(LangP.arLangDesc.size()));
    QFont nameFont = o_LangList->font();
    nameFont.setPointSize(15);
    for (int row = 0; row < int(LangP.arLangDesc.size()); ++row) {
        const OLangDesc& d = LangP.arLangDesc[size_t(row)];
        const OMyImage* flag = d.image ? d.image.get() : LangP.nsiCustomFlag.get();
        auto* flagCell = new QLabel;
        flagCell->setAlignment(Qt::AlignCenter);
        if (flag && flag->HasPixels())
            flagCell->setPixmap(QPixmap::fromImage(MyImageToQImage(*flag)));  // unscaled
        o_LangList->setCellWidget(row, 0, flagCell);
        auto* flagItem = new QTableWidgetItem;
        flagItem->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        o_LangList->setItem(row, 0, flagItem);
        auto* name = new QTableWidgetItem(QString::fromStdString(d.sName));
        name->setFont(nameFont);
        name->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        o_LangList->setItem(row, 1, name);
    }
}

void MCOptions::BuildDnPage(QWidget* p)
{
    o_DnSrcCap = CreateLabel(p, 0, vMyRectInitWH(20, 14, 480, 24));
    o_DnSrc = CreateComboList(p, vMyRectInitWH(20, 44, 320, 28));
}

// ---- Texts --------------------------------------------------------------------------------------------

void MCOptions::TranslateForm()
{
    const bool wasLoading = bLoading_;
    bLoading_ = true;
    setWindowTitle(Tr("Opt_FormCaption"));
    o_ButOk->setText(Tr("B_Ok"));
    o_ButCancel->setText(Tr("B_Cancel"));
    const char* tabs[6] = {"TS_AutoSave", "TS_Sound", "TS_Play", "TS_Visual", "TS_Lang", "TS_Dn"};
    for (int i = 0; i < 6; ++i)
        o_Pages->setTabText(i, Tr(tabs[i]));
    o_AutoSave->setText(Tr("CB_AutoSave"));
    o_SoundPlay->setText(Tr("CB_SoundPlay"));
    o_PlayModesCap->setText(Tr("L_PlayModes"));
    o_PlayRotCWCap->setText(Tr("L_PlayRotCW"));
    o_PlayRotCCWCap->setText(Tr("L_PlayRotCCW"));
    o_PlayMoveOWCap->setText(Tr("L_PlayMoveOW"));
    o_PlayRotWheel->setText(Tr("CB_PlayRotWheel"));
    o_PlaySingleWin->setText(Tr("CB_PlaySingleWin"));
    o_PlayClickToDrag->setText(Tr("CB_PlayClickToDrag"));
    o_VisualEmbossCap->setText(Tr("GB_VisualEmboss"));
    for (int i = kEmbossNone; i < kEmbossStyles; ++i)
        o_VisualEmbossMatrix->button(i)->setText(QString::fromStdString(LangGetKeyVal(StrFormat("RB_VisualEmboss%d", i))));
    o_VisualShowJoin->setText(Tr("CB_VisualShowJoin"));
    o_VisualShadows->setText(Tr("CB_VisualShadows"));
    o_LangCap->setText(Tr("L_LangListCap"));
    o_DnSrcCap->setText(Tr("L_DnSrcCap"));

    sSchemas.clear();
    for (int i = 0; i < 3; ++i)
        sSchemas << QString::fromStdString(LangGetKeyVal(StrFormat("CB_PlayModes%d", i)));
    sMAChoises.clear();
    for (int k = 0; k < kMAChoiseCount; ++k)
        sMAChoises << QString::fromStdString(LangGetKeyVal(StrFormat("Key%d", k)));
    auto refill = [](QComboBox* box, const QStringList& items) {
        const int keep = box->currentIndex();
        const QSignalBlocker block(box);
        box->clear();
        box->addItems(items);
        box->setCurrentIndex(keep < items.size() ? keep : -1);
    };
    refill(o_PlayModes, sSchemas);
    for (QComboBox* box : {o_PlayRotCW, o_PlayRotCCW, o_PlayMoveOW})
        refill(box, sMAChoises);
    QStringList hosts;
    for (int i = 0; i < kDnSrcCount; ++i)
        hosts << QString::fromStdString(DnSrcHost(i));
    refill(o_DnSrc, hosts);
    AutoIntervalUpdateCap();
    StuckKoefUpdateCap();
    bLoading_ = wasLoading;
}

void MCOptions::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        TranslateForm();
    QDialog::changeEvent(e);
}

void MCOptions::AutoIntervalUpdateCap()
{
    o_AutoInterval->setText(QString::fromStdString(LangFormat(LangGetKeyVal("L_AutoInterval"), {o_AutoSlider->value()})));
}

void MCOptions::StuckKoefUpdateCap()
{
    o_StuckKoef->setText(QString::fromStdString(LangFormat(LangGetKeyVal("L_StuckKoef"), {o_StuckKoefSlider->value()})));
}

// ---- Mouse schemes ------------------------------------------------------------------------------------

void MCOptions::SchemaToCombos(const MOUSE_SCHEMA& s, bool clearFirst)
{
    QComboBox* boxes[3] = {o_PlayRotCW, o_PlayRotCCW, o_PlayMoveOW};
    if (o_PlayRotCW->count() == 0)
        return;
    const bool wasLoading = bLoading_;
    bLoading_ = true;
    if (clearFirst)
        for (QComboBox* b : boxes)
            b->setCurrentIndex(-1);
    const MOUSE_ACTION* fields[3] = {&s.RotCW, &s.RotCCW, &s.MoveOW};
    for (int k = 0; k < kMAChoiseCount; ++k)
        for (int i = 0; i < 3; ++i)
            if (*fields[i] == MAChoise[k])
                boxes[i]->setCurrentIndex(k);
    o_PlaySingleWin->setChecked(s.bSingleWin != 0);
    o_PlayClickToDrag->setChecked(s.bClickToDrag != 0);
    o_PlayRotWheel->setChecked(s.bRotWheel != 0);
    bLoading_ = wasLoading;
}

// A box with no choice (a scheme from the settings that no choice matches)
// keeps the action it had.
MOUSE_ACTION MCOptions::ActionOfBox(QComboBox* box, const MOUSE_ACTION& keep) const
{
    const int k = box->currentIndex();
    return k >= 0 && k < kMAChoiseCount ? MAChoise[k] : keep;
}

void MCOptions::CheckPlaySchemas()
{
    p_SelMA.RotCW = ActionOfBox(o_PlayRotCW, p_SelMA.RotCW);
    p_SelMA.RotCCW = ActionOfBox(o_PlayRotCCW, p_SelMA.RotCCW);
    p_SelMA.MoveOW = ActionOfBox(o_PlayMoveOW, p_SelMA.MoveOW);
    p_SelMA.bSingleWin = o_PlaySingleWin->isChecked() ? 1 : 0;
    p_SelMA.bClickToDrag = o_PlayClickToDrag->isChecked() ? 1 : 0;
    p_SelMA.bRotWheel = o_PlayRotWheel->isChecked() ? 1 : 0;
    {
        const QSignalBlocker block(o_PlayModes);
        o_PlayModes->setCurrentIndex(ClassifySchema(p_SelMA));
    }
    // One table only: there is no other side to move pieces to.
    const bool moveOW = p_SelMA.bSingleWin == 0;
    o_PlayMoveOWIcon->setEnabled(moveOW);
    o_PlayMoveOWCap->setEnabled(moveOW);
    o_PlayMoveOW->setEnabled(moveOW);
}

void MCOptions::SchemaBoxChanged(int index)
{
    if (index == 0) {
        p_SelMA = DefMA;
        SchemaToCombos(DefMA, false);
    } else if (index == 1) {
        p_SelMA = KidsMA;
        SchemaToCombos(KidsMA, false);
    }
    CheckPlaySchemas();
}

// ---- Emboss preview -------------------------------------------------------------------------------------

void MCOptions::UpdateEmbossImage(int style)
{
    if (!p_miEmbossSrc || !p_miEmbossSrc->HasPixels())
        return;
    const OMyImage& src = *p_miEmbossSrc;
    p_miEmbossDest = MyImageClone(src);
    CreateEmbossedEdges(*p_miEmbossDest, style);
    const int rw = o_VisualEmbossImage->width(), rh = o_VisualEmbossImage->height();
    p_miEmbossRes = MyImageCreate(rw, rh);
    OMyImage& res = *p_miEmbossRes;
    for (int y = 0; y < rh; ++y) {
        uint8_t* d = res.pMem + ptrdiff_t(y) * res.iBPL;
        for (int x = 0; x < rw; ++x, d += 4) {
            d[0] = d[1] = d[2] = kEmbossGrey;
            d[3] = 255;
        }
    }
    // The embossed picture centred; its transparent pixels leave the grey.
    const OMyImage& emb = *p_miEmbossDest;
    const int ox = (rw - emb.W) / 2, oy = (rh - emb.H) / 2;
    for (int y = 0; y < emb.H; ++y) {
        const int ry = oy + y;
        if (ry < 0 || ry >= rh)
            continue;
        const uint8_t* s = emb.pMem + ptrdiff_t(y) * emb.iBPL;
        uint8_t* d = res.pMem + ptrdiff_t(ry) * res.iBPL;
        for (int x = 0; x < emb.W; ++x, s += emb.iBPP) {
            const int rx = ox + x;
            if (rx < 0 || rx >= rw || s[3] == 0)
                continue;
            std::memcpy(d + ptrdiff_t(rx) * 4, s, 3);
        }
    }
    o_VisualEmbossImage->setPixmap(QPixmap::fromImage(MyImageToQImage(res)));
}

// ---- Loading, running, storing -----------------------------------------------------------------------------

void MCOptions::LoadControls()
{
    bLoading_ = true;
    o_AutoSlider->setValue(AutoSaveP.iIntervalMin);
    AutoIntervalUpdateCap();
    o_AutoSave->setChecked(AutoSaveP.bEnabled);
    o_SoundPlay->setChecked(OptP.Sound_Play);
    p_SelMA = CurMA;
    SchemaToCombos(CurMA, true);
    CheckPlaySchemas();
    o_StuckKoefSlider->setValue(OptP.StuckKoef);
    StuckKoefUpdateCap();
    for (QAbstractButton* b : o_VisualEmbossMatrix->buttons()) {
        o_VisualEmbossMatrix->setExclusive(false);
        b->setChecked(false);
        o_VisualEmbossMatrix->setExclusive(true);
    }
    if (QAbstractButton* b = o_VisualEmbossMatrix->button(OptP.Visual_EmbossStyle))
        b->setChecked(true);
    UpdateEmbossImage(OptP.Visual_EmbossStyle);
    o_VisualShowJoin->setChecked(OptP.Visual_ShowJoin);
    o_VisualShadows->setChecked(OptP.Visual_Shadows);
    if (o_LangList->rowCount() != int(LangP.arLangDesc.size()))
        FillLangList();
    o_LangList->clearSelection();
    for (int row = 0; row < int(LangP.arLangDesc.size()); ++row)
        if (StrEqualNoCase(LangP.arLangDesc[size_t(row)].sName, LangP.sCurLang)) {
            o_LangList->selectRow(row);
            break;
        }
    o_DnSrc->setCurrentIndex(FindDnSrcIndByAddr(OptP.DnSrc));
    o_Pages->setCurrentIndex(kPageAutosave);
    bLoading_ = false;
}

namespace {

// Single-window play: every piece on the second side goes to the first.
void MovePiecesToFirstSide()
{
    bool moved = false;
    for (int j = 0; j < JigsInPlay(); ++j)
        if (JigAt(j).Win == 1) {
            JigAt(j).Win = 0;
            moved = true;
        }
    if (moved)
        GameChanged();
}

}  // namespace

void MCOptions::StoreControls()
{
    if (IsGameOpen() && DragJigP.bSelected)
        DeselectJigs();
    // 1, 2: autosave and sound.
    AutoSaveP.iIntervalMin = o_AutoSlider->value();
    AutoSaveP.bEnabled = o_AutoSave->isChecked();
    AutoSaveP.dtInterval = AutoSaveP.iIntervalMin * 60.0;
    OptP.Sound_Play = o_SoundPlay->isChecked();
    // 3, 4: the mouse scheme; switching to one table gathers the second side's pieces.
    CheckPlaySchemas();
    if (p_SelMA.bSingleWin && !CurMA.bSingleWin && IsGameOpen()) {
        ChangeSide(kSide0);
        MovePiecesToFirstSide();
    }
    CurMA = p_SelMA;
    // 5..7: snapping, edges (textures only when the style really changed), the star.
    OptP.StuckKoef = o_StuckKoefSlider->value();
    const int style = o_VisualEmbossMatrix->checkedId();
    if (style >= 0 && style != OptP.Visual_EmbossStyle) {
        OptP.Visual_EmbossStyle = uint8_t(style);
        if (fnRebuildTextures)
            fnRebuildTextures(style);
    }
    OptP.Visual_ShowJoin = o_VisualShowJoin->isChecked();
    const bool shadows = o_VisualShadows->isChecked();
    if (shadows != OptP.Visual_Shadows) {
        OptP.Visual_Shadows = shadows;
        // The atlas bakes the shadows in; when the piece images were let go
        // after opening, it can only be made again from rebuilt ones.
        if (PieceImagePixelsDropped() && fnRebuildTextures)
            fnRebuildTextures(OptP.Visual_EmbossStyle);
    }
    // 8: the language (re-read only when another one was chosen).
    const QModelIndexList rows = o_LangList->selectionModel()->selectedRows();
    if (!rows.isEmpty() && rows.first().row() < int(LangP.arLangDesc.size())) {
        const std::string name = LangP.arLangDesc[size_t(rows.first().row())].sName;
        if (!StrEqualNoCase(name, LangP.sCurLang) || !LangP.Dict) {
            SwitchLanguage(name);  // retitles every window; keeps the old one when the file is missing
            TranslateForm();  // this dialog too, whoever else the retitle reaches
        }
    }
    // 9: the download source.
    if (const int i = o_DnSrc->currentIndex(); i >= 0 && i < kDnSrcCount)
        OptP.DnSrc = DnSrcHost(i);
    RedrawP = kRedrawFull;
}

void MCOptions::ButOkPressed()
{
    CheckPlaySchemas();
    const MOUSE_ACTION a[3] = {p_SelMA.RotCW, p_SelMA.RotCCW, p_SelMA.MoveOW};
    if (a[0] == a[1] || a[0] == a[2] || a[1] == a[2]) {
        o_Pages->setCurrentIndex(kPagePlay);
        ShowMessage(CaretMesFormat("MS_KeysMustBeDiff"));
        return;
    }
    done(1);
}

void MCOptions::ButCancelPressed() { done(0); }

int MCOptions::ShowForm()
{
    AutoSaveGuard guard;
    LoadControls();
    if (QWidget* p = parentWidget(); p && p->isVisible())
        move(p->geometry().center() - rect().center());
    const int code = exec() == 1 ? 1 : 0;
    if (code == 1) {
        MainLoopRun(0.1);
        StoreControls();
    }
    return code;
}

// ---- The dialog of this run ----------------------------------------------------------------------------------

MCOptions* OptionsForm() { return g_options.form; }

void CreateOptionsForm(QWidget* parent)
{
    if (!g_options.form)
        g_options.form = new MCOptions(parent);
}

void FreeOptionsForm()
{
    delete g_options.form.data();
    g_options.form = nullptr;
}

int RunOptionsDialog()
{
    CreateOptionsForm(DialogParent());
    return g_options.form->ShowForm();
}
