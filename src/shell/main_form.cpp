#include "shell/main_form.h"

#include "base/my_image_qt.h"
#include "files/files.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "shell/open_game.h"
#include "shell/shell.h"
#include "shell/system_report_cmd.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QListWidget>
#include <QPixmap>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>

#include <cstdio>
#include <cstdlib>

MCMainForm* g_MainForm = nullptr;

namespace {

QString Tr(const std::string& key) { return QString::fromStdString(LangGetKeyVal(key)); }

QIcon LoadIcon(const std::string& resourceDir, const std::string& name)
{
    const QString base = QString::fromStdString(resourceDir + "/" + name);
    QIcon icon;
    icon.addFile(base);
    QString twice = base;
    twice.replace(QStringLiteral(".png"), QStringLiteral("@2x.png"));
    if (QFileInfo::exists(twice))
        icon.addFile(twice);
    return icon;
}

}  // namespace

MCMainForm::MCMainForm(const std::string& resourceDir, const TStartOptions& opts)
    : resourceDir_(resourceDir), opts_(opts)
{
    g_MainForm = this;
    SetDialogParent(this);
    setWindowTitle(QStringLiteral("[*]"));  // the application's name stands alone until a game opens
    MainView = new MCMainView(resourceDir, this);
    MainView->bMaxIsScreen = opts.iViewW <= 0;
    setCentralWidget(MainView);
    BuildMenus();
    BuildToolbar();
    SetFieldUi(this);
    SetPlatform(&TheQtPlatform());
    LangP.fnRetitle = [this] { RetitleAll(); };
    LastFiles.fnRefreshMenu = [this] { RefreshRecentMenu(); };
    ShellInstallFileHooks();
    RefreshRecentMenu();
    RetitleAll();
    connect(MainView, &MCMainView::frameDrawn, this, &MCMainForm::OnFrameDrawn);
    connect(MainView, &MCMainView::glFailed, this, [](const QString& why) {
        ShowMessage(why.toStdString());
        QApplication::exit(1);
    });
    AutoSaveP.bNeedSave = false;
    AutoSaveP.bNeedAutoSave = false;
    autoSaveTimer_.setInterval(5000);
    connect(&autoSaveTimer_, &QTimer::timeout, this, &MCMainForm::AutoSaveTimer);
    autoSaveTimer_.start();
    if (!opts_.sScreenshot.empty()) {
        // A screenshot run must end: no game frame within two minutes is a failure.
        QTimer::singleShot(120000, this, [this] {
            if (!bShotTaken_) {
                std::fprintf(stderr, "no frame of a game was drawn: no screenshot\n");
                QApplication::exit(1);
            }
        });
    }
}

MCMainForm::~MCMainForm()
{
    autoSaveTimer_.stop();
    LangP.fnRetitle = nullptr;
    LastFiles.fnRefreshMenu = nullptr;
    GameFileHooks.fnFileDialog = nullptr;
    SetFieldUi(nullptr);
    if (&Platform() == &TheQtPlatform())
        SetPlatform(nullptr);
    SetDialogParent(nullptr);
    FreeProgressForm();
    FreeSounds();
    if (g_MainForm == this)
        g_MainForm = nullptr;
}

// ---- Menus and toolbar ---------------------------------------------------------------------

QAction* MCMainForm::AddItem(QMenu* menu, int index, const char* key, const char* english, void (MCMainForm::*fn)())
{
    auto* a = menu->addAction(QString::fromLatin1(english));
    a->setData(QString::fromLatin1(key));
    if (fn)
        connect(a, &QAction::triggered, this, fn);
    MainMenuItems[size_t(index)] = a;
    return a;
}

void MCMainForm::BuildMenus()
{
    QMenu* file = topMenus_[1] = menuBar()->addMenu(QStringLiteral("&File"));
    AddItem(file, 8, "MM_FileOpen", "Open...", &MCMainForm::MenuFileOpen)->setShortcut(QKeySequence::Open);
    QMenu* recent = file->addMenu(QStringLiteral("Open Recent"));
    MainMenuItems[9] = recent->menuAction();
    MainMenuItems[9]->setData(QStringLiteral("MM_FileOpenRecent"));
    for (int i = 0; i < 4; ++i) {
        QAction* a = recent->addAction(QString());
        connect(a, &QAction::triggered, this, [this, i] { MenuFileLast(i); });
        MainMenuItems[size_t(10 + i)] = a;
    }
    file->addSeparator();
    AddItem(file, 14, "MM_FileSave", "Save", &MCMainForm::MenuFileSave)->setShortcut(QKeySequence::Save);
    AddItem(file, 15, "MM_FileSaveAs", "Save As...", &MCMainForm::MenuFileSaveAs)
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    file->addSeparator();
    QAction* quit = AddItem(file, 6, "MM_AppQuit", "Quit", nullptr);
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu* game = topMenus_[2] = menuBar()->addMenu(QStringLiteral("&Game"));
    AddItem(game, 19, "MM_GameSide0", "First Side", nullptr);
    connect(MainMenuItems[19], &QAction::triggered, this, [this] { MenuGameSide(0); });
    AddItem(game, 20, "MM_GameSide1", "Second Side", nullptr);
    connect(MainMenuItems[20], &QAction::triggered, this, [this] { MenuGameSide(1); });
    MainMenuItems[19]->setCheckable(true);
    MainMenuItems[20]->setCheckable(true);
    AddItem(game, 21, "MM_GameThumb", "Thumbnail", &MCMainForm::MenuGameThumb);
    game->addSeparator();
    AddItem(game, 22, "MM_GameBkgAll", "Background of All Tables...", &MCMainForm::MenuGameBkgAll);
    AddItem(game, 23, "MM_GameBkgCur", "Background of This Table...", &MCMainForm::MenuGameBkgCur);
    game->addSeparator();
    AddItem(game, 25, "MM_GameSelectAll", "Select All", &MCMainForm::MenuGameSelectAll)
        ->setShortcut(QKeySequence::SelectAll);
    AddItem(game, 26, "MM_GameArrangeJigs", "Arrange Selected Pieces", &MCMainForm::MenuGameArrangeJigs);
    AddItem(game, 27, "MM_GameGatherLostJigs", "Gather Lost Pieces", &MCMainForm::MenuGameGatherLostJigs);
    game->addSeparator();
    AddItem(game, 28, "MM_GameGlass", "Magnifying Glass", &MCMainForm::MenuGameGlass);
    AddItem(game, 29, "MM_GameWeight", "Weight", &MCMainForm::MenuGameWeight)->setCheckable(true);

    QMenu* pockets = topMenus_[3] = menuBar()->addMenu(QStringLiteral("&Pockets"));
    for (int k = 0; k < 4; ++k) {
        const std::string key = StrFormat("MM_PocketsPocket%d", k);
        QAction* a = pockets->addAction(QStringLiteral("Pocket %1").arg(k + 1));
        a->setData(QString::fromStdString(key));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, k] { MenuPocketsPocket(k); });
        MainMenuItems[size_t(31 + k)] = a;
    }
    pockets->addSeparator();
    AddItem(pockets, 35, "MM_PocketsTile", "Tile", &MCMainForm::MenuPocketsTile);
    AddItem(pockets, 36, "MM_PocketsCascade", "Cascade", &MCMainForm::MenuPocketsCascade);
    QMenu* help = topMenus_[5] = menuBar()->addMenu(QStringLiteral("&Help"));
    connect(AddItem(help, 45, "MM_HelpReport", "System Report for Support", nullptr), &QAction::triggered, this,
            &ShowSystemReport);
    for (QMenu* m : {file, game, pockets})
        connect(m, &QMenu::aboutToShow, this, &MCMainForm::UpdateCommandStates);
}

void MCMainForm::AddButton(int index, const char* image, const char* tipKey, QAction* sameAs)
{
    QAction* b = MainToolBar->addAction(LoadIcon(resourceDir_, image), QString());
    b->setData(QString::fromLatin1(tipKey));
    if (sameAs)
        connect(b, &QAction::triggered, sameAs, &QAction::trigger);
    MainToolbarButtons[size_t(index)] = b;
}

void MCMainForm::BuildToolbar()
{
    MainToolBar = addToolBar(QStringLiteral("Tools"));
    MainToolBar->setMovable(false);
    MainToolBar->setFloatable(false);
    MainToolBar->setIconSize(QSize(32, 32));
    MainToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    AddButton(0, "tb_open.png", "TB_Open", MainMenuItems[8]);
    AddButton(1, "tb_save.png", "TB_Save", MainMenuItems[14]);
    MainToolBar->addSeparator();
    AddButton(3, "tb_bkg.png", "TB_BkgAll", MainMenuItems[22]);
    AddButton(4, "tb_bkg_cur.png", "TB_BkgCur", MainMenuItems[23]);
    MainToolBar->addSeparator();
    AddButton(5, "tb_thumb.png", "TB_Thumb", MainMenuItems[21]);
    MainToolBar->addSeparator();
    AddButton(7, "tb_side1.png", "TB_Side0", MainMenuItems[19]);
    AddButton(8, "tb_side2.png", "TB_Side1", MainMenuItems[20]);
    MainToolBar->addSeparator();
    for (int k = 0; k < 4; ++k)
        AddButton(9 + k, "tb_pocket_empty.png", nullptr, MainMenuItems[size_t(31 + k)]);
    for (int k = 0; k < 4; ++k)
        MainToolbarButtons[size_t(9 + k)]->setData(QStringLiteral("TB_Pocket%1").arg(k));
    MainToolBar->addSeparator();
    AddButton(13, "tb_select.png", "TB_SelectAll", MainMenuItems[25]);
    AddButton(14, "tb_arrange.png", "TB_Arrange", MainMenuItems[26]);
    MainToolBar->addSeparator();
    AddButton(15, "tb_glass.png", "TB_Glass", MainMenuItems[28]);
    AddButton(16, "tb_weight.png", "MM_GameWeightOff", MainMenuItems[29]);
}

void MCMainForm::RetitleAll()
{
    const char* topKeys[6] = {"MM_App", "MM_File", "MM_Game", "MM_Pockets", nullptr, "MM_Help"};
    for (size_t i = 0; i < topMenus_.size(); ++i)
        if (topMenus_[i] && topKeys[i] && LangGetKeyVal(topKeys[i]) != topKeys[i])
            topMenus_[i]->setTitle(Tr(topKeys[i]));
    for (QAction* a : MainMenuItems)
        if (a && !a->data().toString().isEmpty())
            a->setText(Tr(a->data().toString().toStdString()));
    for (QAction* b : MainToolbarButtons)
        if (b && !b->data().toString().isEmpty())
            b->setToolTip(Tr(b->data().toString().toStdString()));
    ThumbUpdateCaption();
    for (int i = kPocket0; i < kPocket0 + 4; ++i)
        PocketUpdateCaption(i);
    UpdateMenuBkgCur();
    WeightP.updateButton();
    RedrawP = 1;
}

void MCMainForm::SetMenuItemTitle(int index, const std::string& key)
{
    if (index >= 0 && index < kMainMenuItems && MainMenuItems[size_t(index)]) {
        MainMenuItems[size_t(index)]->setData(QString::fromStdString(key));
        MainMenuItems[size_t(index)]->setText(Tr(key));
    }
}

void MCMainForm::SetToolbarItemTooltip(int index, const std::string& key)
{
    if (index >= 0 && index < kToolbarButtons && MainToolbarButtons[size_t(index)]) {
        MainToolbarButtons[size_t(index)]->setData(QString::fromStdString(key));
        MainToolbarButtons[size_t(index)]->setToolTip(Tr(key));
    }
}

void MCMainForm::SetMenuItemChecked(int index, bool checked)
{
    if (index >= 0 && index < kMainMenuItems && MainMenuItems[size_t(index)])
        MainMenuItems[size_t(index)]->setChecked(checked);
}

void MCMainForm::SetToolbarItemImage(int index, const std::string& imageName)
{
    if (index >= 0 && index < kToolbarButtons && MainToolbarButtons[size_t(index)])
        MainToolbarButtons[size_t(index)]->setIcon(LoadIcon(resourceDir_, imageName));
}

void MCMainForm::UpdateCommandStates()
{
    const bool game = IsGameOpen();
    const bool sides = game && !CurMA.bSingleWin;
    bool anyPocket = false;
    for (int i = kPocket0; i < kPocket0 + 4; ++i)
        if (const OMyWin* w = GetViewWin(i); w && w->bVisible)
            anyPocket = true;
    auto set = [](QAction* a, bool on) {
        if (a && a->isEnabled() != on)
            a->setEnabled(on);
    };
    for (int i : {14, 15, 21, 22, 23, 24, 25, 27, 28, 29, 31, 32, 33, 34})
        set(MainMenuItems[size_t(i)], game);
    set(MainMenuItems[19], sides);
    set(MainMenuItems[20], sides);
    set(MainMenuItems[26], game && DragJigP.bSelected);
    set(MainMenuItems[35], anyPocket);
    set(MainMenuItems[36], anyPocket);
    for (int i : {1, 3, 4, 5, 6, 9, 10, 11, 12, 13, 15, 16})
        set(MainToolbarButtons[size_t(i)], game);
    set(MainToolbarButtons[7], sides);
    set(MainToolbarButtons[8], sides);
    set(MainToolbarButtons[14], game && DragJigP.bSelected);
}

// ---- Start-up, frames, shutdown ----------------------------------------------------------------

std::string MCMainForm::StartFile() const
{
    if (!opts_.sFile.empty())
        return opts_.sFile;
    if (const std::string recent = ShellMostRecentFile(); !recent.empty() && FileExists(recent))
        return recent;
    for (const std::string& f : ListFolderSorted(FileNames.sDistJigsPath))
        if (IsJigFile(f))
            return FileNames.sDistJigsPath + f;
    return {};
}

void MCMainForm::OnFrameDrawn()
{
    UpdateCommandStates();
    if (!opts_.sStateFile.empty() && !bStatePending_) {
        // At most a few times a second: describing thousands of pieces is not free.
        bStatePending_ = true;
        QTimer::singleShot(150, this, [this] {
            bStatePending_ = false;
            WriteStateFile();
        });
    }
    if (!bStarted_) {
        bStarted_ = true;
        QTimer::singleShot(0, this, [this] {
            const std::string f = StartFile();
            if (!f.empty())
                OpenGame(f);
            RedrawP = 1;
            MainView->update();
        });
        return;
    }
    if (!opts_.sScreenshot.empty() && !bShotTaken_ && IsGameOpen() && ++iShotFrames_ == 1)
        QTimer::singleShot(100, this, &MCMainForm::TakeScreenshot);
}

void MCMainForm::TakeScreenshot()
{
    bShotTaken_ = true;
    const QImage shot = grab().toImage();
    const bool ok = shot.save(QString::fromStdString(opts_.sScreenshot));
    std::fprintf(stderr, "%s %s\n", ok ? "screenshot saved:" : "could not save the screenshot", opts_.sScreenshot.c_str());
    AutoSaveP.bNeedSave = false;  // a screenshot run leaves nothing to save
    QTimer::singleShot(0, qApp, [ok] { QApplication::exit(ok ? 0 : 1); });
}

// One line per piece: index, window, layer, rotation, X, Y, DrawW, DrawH, a
// view point (global, logical pixels) on an opaque pixel near its middle, the
// home position and the nine neighbour slots.
// Written through a side file and a rename, only when it changed.
void MCMainForm::WriteStateFile()
{
    std::string out = IsGameOpen() ? "open 1\n" : "open 0\n";
    const double r = MainView->devicePixelRatioF();
    const QPoint origin = MainView->mapToGlobal(QPoint(0, 0));
    out += StrFormat("view %d %d %d %d\n", origin.x(), origin.y(), MainView->width(), MainView->height());
    const int n = IsGameOpen() ? JigsInPlay() : 0;
    for (int j = 0; j < n; ++j) {
        const TJig& p = Jigs[size_t(j)];
        const OMyWin* w = GetViewWin(p.Win);
        const OMyImage& img = arPicJigs[size_t(j)];
        int bu = -1, bv = -1, best = -1;
        for (int v = 0; v < p.DrawH; v += 2)
            for (int u = 0; u < p.DrawW; u += 2) {
                if (MyImageGetPixelAlpha(img, p.Rot * img.H + u, v) < 255)
                    continue;
                const int d = std::abs(2 * u - p.DrawW) + std::abs(2 * v - p.DrawH);
                if (best < 0 || d < best) {
                    best = d;
                    bu = u;
                    bv = v;
                }
            }
        int gx = -1, gy = -1;
        if (w && bu >= 0) {
            gx = origin.x() + int((w->mrClient.L - w->iScrollL + p.X + bu) / r);
            gy = origin.y() + int((w->mrClient.T - w->iScrollT + p.Y + bv) / r);
        }
        out += StrFormat("piece %d %d %d %d %d %d %d %d %d %d %d %d", j, int(p.Win), p.Layer, int(p.Rot), p.X, p.Y,
                         p.DrawW, p.DrawH, gx, gy, p.HomeX, p.HomeY);
        for (int16_t nb : p.Nb)
            out += StrFormat(" %d", int(nb));
        out += "\n";
    }
    if (out == lastState_)
        return;
    lastState_ = out;
    const std::string tmp = opts_.sStateFile + ".new";
    if (FILE* f = std::fopen(tmp.c_str(), "w")) {
        std::fputs(out.c_str(), f);
        std::fclose(f);
        std::rename(tmp.c_str(), opts_.sStateFile.c_str());
    }
}

void MCMainForm::closeEvent(QCloseEvent* e)
{
    AutoSaveGuard guard;
    if (!SaveAndContinue()) {
        e->ignore();
        return;
    }
    AutoSaveP.bNeedSave = false;
    ShellWriteSettings();
    e->accept();
}

void MCMainForm::AutoSaveTimer() { ShellAutoSaveTick(); }

void MCMainForm::DeselectFirst()
{
    if (DragJigP.bSelected)
        DeselectJigs();
}

bool MCMainForm::OpenGame(const std::string& path)
{
    AutoSaveGuard guard;
    const bool ok = ShellOpenGame(path);
    UpdateCommandStates();
    RedrawP = 1;
    MainView->update();
    return ok;
}

// ---- File commands -----------------------------------------------------------------------------

void MCMainForm::MenuFileOpen()
{
    AutoSaveGuard guard;
    DeselectFirst();
    ShellOpenDialog();
    UpdateCommandStates();
    RedrawP = 1;
}

void MCMainForm::MenuFileLast(int i)
{
    AutoSaveGuard guard;
    DeselectFirst();
    ShellOpenRecent(i);
    UpdateCommandStates();
    RedrawP = 1;
}

void MCMainForm::RefreshRecentMenu()
{
    for (int i = 0; i < 4; ++i) {
        QAction* a = MainMenuItems[size_t(10 + i)];
        if (!a)
            continue;
        const bool has = i < LastFiles_Count();
        a->setVisible(has);
        if (has)
            a->setText(QString::fromStdString(LastFiles_MenuTitle(i)));
    }
}

void MCMainForm::MenuFileSave()
{
    AutoSaveGuard guard;
    DeselectFirst();
    ShellSave(false);
    UpdateCommandStates();
}

void MCMainForm::MenuFileSaveAs()
{
    AutoSaveGuard guard;
    DeselectFirst();
    ShellSave(true);
    UpdateCommandStates();
}

// ---- Game commands -------------------------------------------------------------------------------

void MCMainForm::MenuGameSide(int side)
{
    if (!IsGameOpen())
        return;
    ChangeSide(side);
    MainView->update();
}

void MCMainForm::MenuGameThumb()
{
    OMyWin* t = GetViewWin(kThumbWin);
    if (!IsGameOpen() || !t)
        return;
    t->setVisible(!t->bVisible);
    if (t->bVisible) {
        t->changeLT(MakeTPoint(0, 0));
        t->move();
        t->moveToFront();
    }
    RedrawP = 1;
    UpdateDraggedJigScr();
}

void MCMainForm::MenuGameGlass()
{
    OMyWin* g = GlassP.win.get();
    if (!IsGameOpen() || !g)
        return;
    g->setVisible(!g->bVisible);
    if (g->bVisible) {
        g->changeLT(MakeTPoint(0, 0));
        g->move();
    }
    RedrawP = 1;
    UpdateDraggedJigScr();
}

void MCMainForm::MenuGameSelectAll()
{
    if (!IsGameOpen())
        return;
    DeselectFirst();
    SelectJigs(1);
    UpdateCommandStates();
}

void MCMainForm::MenuGameArrangeJigs()
{
    if (IsGameOpen())
        ArrangeSelectedJigs();
}

void MCMainForm::MenuGameGatherLostJigs()
{
    if (!IsGameOpen())
        return;
    AutoSaveGuard guard;
    if (ShowQuestion(CaretMesFormat("Q_GatherLostJigs"), LangGetKeyVal("B_Yes"), LangGetKeyVal("B_No"), "") != 1)
        return;
    GatherLostJigs();
}

void MCMainForm::MenuGameWeight()
{
    if (!IsGameOpen())
        return;
    const TPoint m = MainView->toDevice(MainView->mapFromGlobal(QCursor::pos()));
    TPoint p = m;
    if (GlassP.win && GlassP.win->bVisible) {
        int tx = m.x, ty = m.y;
        if (GlassP.IfMouseUnderGlass(tx, ty, true) && CaptureWin == GlassP.win.get())
            p = MakeTPoint(tx, ty);
    }
    const bool inside = m.x >= 0 && m.y >= 0 && m.x < iMainViewW && m.y < iMainViewH;
    if (DragJigP.State == 1 && iCurJig != -1) {
        iWeightJig = iCurJig;
        WeightP.updateButton();
    } else if (iWeightJig != -1) {
        WeightP.bVisible = false;
        iWeightJig = -1;
        WeightP.updateButton();
        RedrawP = 1;
    } else if (WeightP.bVisible) {
        WeightP.bVisible = false;
        iWeightJig = -1;
        WeightP.updateButton();
        RedrawP = 1;
    } else {
        WeightP.dragTo(inside ? p : MakeTPoint(-100, -100));
        RedrawP = 2;
    }
    MainView->update();
}

void MCMainForm::MenuPocketsPocket(int pocket)
{
    OMyWin* w = GetViewWin(kPocket0 + pocket);
    if (!IsGameOpen() || !w)
        return;
    PocketSetVisible(kPocket0 + pocket, !w->bVisible);
    UpdateDraggedJigScr();
    UpdateCommandStates();
}

void MCMainForm::MenuPocketsTile()
{
    PocketsTile();
    UpdateCommandStates();
}

void MCMainForm::MenuPocketsCascade()
{
    PocketsCascade();
    UpdateCommandStates();
}

// ---- Backgrounds (until the colour dialog comes) -------------------------------------------------

namespace {

// Lets the player try codes on the field; true when they keep the last one.
bool RunBackgroundChooser(QWidget* parent, const QString& caption, int win, int32_t code, bool pictures)
{
    QDialog dlg(parent);
    dlg.setWindowTitle(caption);
    auto* layout = new QVBoxLayout(&dlg);
    auto* list = new QListWidget(&dlg);
    list->setIconSize(QSize(63, 50));
    auto* colour = new QPushButton(QStringLiteral("Colour..."), &dlg);
    InitBkgPicsSamples();
    if (pictures) {
        for (int i = 0; i < kBkgPicCount; ++i) {
            const OMyImage& sample = *BkgP.arBkgPicsSamples[size_t(i)];
            auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(MyImageToQImage(sample))),
                                             QString::fromLatin1(sBkgPics[i]), list);
            item->setData(Qt::UserRole, kFirstBkgPic + i);
            if (code == kFirstBkgPic + i)
                list->setCurrentItem(item);
        }
        layout->addWidget(list);
    } else {
        list->hide();
    }
    layout->addWidget(colour);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    QObject::connect(list, &QListWidget::currentItemChanged, &dlg, [win](QListWidgetItem* item) {
        if (item)
            SetScrBkgColor(win, item->data(Qt::UserRole).toInt());
    });
    QObject::connect(colour, &QPushButton::clicked, &dlg, [&dlg, win, code] {
        int r = 152, g = 152, b = 152;
        if (!IsPicBkg(code))
            IntToRGB(uint32_t(code), &r, &g, &b);
        const QColor c = QColorDialog::getColor(QColor(r, g, b), &dlg);
        if (c.isValid())
            SetScrBkgColor(win, int32_t(RGB(uint32_t(c.red()), uint32_t(c.green()), uint32_t(c.blue()))));
    });
    const bool ok = dlg.exec() == QDialog::Accepted;
    FreeBkgPicsSamples();
    return ok;
}

}  // namespace

void MCMainForm::MenuGameBkgAll()
{
    if (!IsGameOpen())
        return;
    AutoSaveGuard guard;
    DeselectFirst();
    const TWinParams keep = WinP;
    const QString caption = MainMenuItems[22]->text();
    if (RunBackgroundChooser(this, caption, -1, WinP.lBkgColorAll, true)) {
        GameChanged();
    } else {
        WinP = keep;
        UpdateScrBkgs();
    }
    UpdateDraggedJigScr();
}

void MCMainForm::MenuGameBkgCur()
{
    if (!IsGameOpen())
        return;
    AutoSaveGuard guard;
    DeselectFirst();
    const OMyWin* w = RetWinForBkgCur();
    if (!w)
        return;
    const int i = w->bIndex;
    const int32_t keep = WinP.lBkgColors[i];
    const QString caption = MainMenuItems[23]->text();
    if (RunBackgroundChooser(this, caption, i, keep, false)) {
        GameChanged();
    } else {
        WinP.lBkgColors[i] = keep;
        UpdateScrBkgs();
    }
    UpdateDraggedJigScr();
}
