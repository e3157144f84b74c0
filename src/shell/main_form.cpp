// The main form: building the menus and the toolbar, titling and enabling
// them, start-up, shutdown, dropped files and the test outputs. The commands
// themselves live in main_form_commands.cpp.
//
// Index
//   Menus            the menu table by fixed indices, shortcuts
//   Toolbar          the factory, buttons and spacers in the default order
//   Titles           language keys into titles, tool tips and captions
//   Enabling         the rules of the menu and toolbar tables
//   Start-up         splash, first frame, the first game
//   Shutdown         the save question, settings, release
//   Drops            files dropped on the window
//   Test outputs     screenshot and state file
#include "shell/main_form.h"

#include "base/my_image_qt.h"
#include "download/dialog/dn_form.h"
#include "files/files.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "shell/about_form.h"
#include "shell/open_dialog.h"
#include "shell/open_game.h"
#include "shell/options_dialog.h"
#include "shell/shell.h"
#include "shell/status_line.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDialog>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QPainter>
#include <QWindowStateChangeEvent>
#include <QMimeData>
#include <QToolBar>
#include <QUrl>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>

MCMainForm* g_MainForm = nullptr;
bool bInitApp = false;

const char* const kToolButtonId = "kx.toolbar.button";
const char* const kToolSepId = "kx.toolbar.sep";

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

// The toolbar buttons by creation order: picture and tool tip key.
struct TToolButtonDef {
    const char* image;
    const char* tipKey;
};
constexpr TToolButtonDef kToolButtons[kToolbarButtons] = {
    {"tb_open.png", "TB_Open"},           {"tb_save.png", "TB_Save"},       {"tb_download.png", "TB_Download"},
    {"tb_bkg.png", "TB_BkgAll"},          {"tb_bkg_cur.png", "TB_BkgCur"},  {"tb_thumb.png", "TB_Thumb"},
    {"tb_info.png", "TB_Info"},           {"tb_side1.png", "TB_Side0"},     {"tb_side2.png", "TB_Side1"},
    {"tb_pocket_empty.png", "TB_Pocket0"}, {"tb_pocket_empty.png", "TB_Pocket1"},
    {"tb_pocket_empty.png", "TB_Pocket2"}, {"tb_pocket_empty.png", "TB_Pocket3"},
    {"tb_select.png", "TB_SelectAll"},    {"tb_arrange.png", "TB_Arrange"}, {"tb_glass.png", "TB_Glass"},
    {"tb_weight.png", "MM_GameWeightOff"}, {"tb_options.png", "TB_Options"}, {"tb_help.png", "TB_Help"},
};

// Top-level menus and their title keys (position 4 is not used).
constexpr const char* kTopMenuKeys[6] = {"MM_App", "MM_File", "MM_Game", "MM_Pockets", nullptr, "MM_Help"};
constexpr int kTopMenuIndex[6] = {kMenuApp, kMenuFile, kMenuGame, kMenuPockets, -1, kMenuHelp};

constexpr const char* kPocketKeys[4] = {"MM_PocketsPocket0", "MM_PocketsPocket1", "MM_PocketsPocket2",
                                        "MM_PocketsPocket3"};

constexpr double kSplashSeconds = 2.0;

}  // namespace

std::vector<const char*> ToolbarDefaultItemIdentifiers()
{
    // B B S B S B B S B S B S B B S B B B B S B B S B S B S B S B
    const char* const B = kToolButtonId;
    const char* const S = kToolSepId;
    return {B, B, S, B, S, B, B, S, B, S, B, S, B, B, S, B, B, B, B, S, B, B, S, B, S, B, S, B, S, B};
}

bool HomeSitesAreReal()
{
    for (int i = 0; i < kDnSrcCount; ++i) {
        std::string host = HomeSiteForInd(i);
        while (!host.empty() && host.back() == '/')
            host.pop_back();
        const QString h = QString::fromStdString(host).toLower();
        if (h.isEmpty() || h.endsWith(QLatin1String(".example")) || h.endsWith(QLatin1String(".invalid")) ||
            h.endsWith(QLatin1String(".test")) || h.endsWith(QLatin1String(".localhost")))
            return false;
    }
    return true;
}

bool SwitchLanguage(const std::string& name)
{
    const std::string before = LangP.sCurLang;
    const std::string path = LangMesFile(name);
    if (!FileExists(path)) {
        // Keep the language in use (and in the settings) when the new one is not there.
        ReadLangFile(path);  // reports the missing file
        LangP.sCurLang = before;
        return false;
    }
    LangP.sCurLang = name;
    return ReadLangFile(path);  // retitles everything through LangP.fnRetitle
}

MCMainForm::MCMainForm(const std::string& resourceDir, const TStartOptions& opts)
    : resourceDir_(resourceDir), opts_(opts)
{
    g_MainForm = this;
    fnDialogOpenGameFile = [](const std::string& path, bool direct) { return DialogOpenGameFile(path, direct); };
    SetDialogParent(this);
    setWindowTitle(QStringLiteral("[*]"));  // the application's name stands alone until a game opens
    setAcceptDrops(true);
    // The field is a native window of its own, so that its frames go straight
    // to the screen instead of through the main window's composition.
    MainView = new MCMainView(resourceDir);
    MainView->bMaxIsScreen = opts.iViewW <= 0;
    MainViewHost = QWidget::createWindowContainer(MainView, this);
    MainViewHost->setFocusPolicy(Qt::StrongFocus);
    MainViewHost->setMinimumSize(200, 150);
    // The field's window covers its host: the form never paints there, so the
    // pages of the form's backing store under the field stay untouched.
    MainViewHost->setAttribute(Qt::WA_OpaquePaintEvent);
    MainViewHost->setAttribute(Qt::WA_NoSystemBackground);
    setCentralWidget(MainViewHost);
    BuildMenus();
    BuildToolbar();
    // The window's own grey around the field (not passed on to dialogs).
    for (QWidget* w : {static_cast<QWidget*>(menuBar()), static_cast<QWidget*>(MainToolBar)}) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, QColor(0xC8, 0xC8, 0xC8));
        w->setPalette(pal);
        w->setAutoFillBackground(true);
    }
    SetFieldUi(this);
    SetPlatform(&TheQtPlatform());
    LangP.fnRetitle = [this] { RetitleAll(); };
    LastFiles.fnRefreshMenu = [this] { RefreshRecentMenu(); };
    ShellInstallFileHooks();
    RefreshRecentMenu();
    RetitleAll();
    UpdateCommandStates();
    connect(MainView, &MCMainView::frameDrawn, this, &MCMainForm::OnFrameDrawn);
    StatusLine = new MCStatusLine(this);
    connect(MainView, &MCMainView::frameDrawn, StatusLine, &MCStatusLine::Refresh);
    // A screenshot shows the game as it was opened: its play clock stands
    // still, or a slow start would show a second more than a quick one.
    if (!opts_.sScreenshot.empty())
        StatusLine->fnWindowActive = [] { return false; };
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

// ReleaseForm: the timer first, the process-wide references last.
MCMainForm::~MCMainForm()
{
    autoSaveTimer_.stop();
    splash_.reset();
    // The view goes first, with its context current: the field's textures,
    // render buffers and windows; then the pieces' own buffers.
    delete MainView;
    MainView = nullptr;
    CloseGameRecords();
    LangP.fnRetitle = nullptr;
    LastFiles.fnRefreshMenu = nullptr;
    GameFileHooks.fnFileDialog = nullptr;
    SetFieldUi(nullptr);
    if (&Platform() == &TheQtPlatform())
        SetPlatform(nullptr);
    SetDialogParent(nullptr);
    FreeProgressForm();
    FreeSounds();
    bInitApp = false;
    if (g_MainForm == this)
        g_MainForm = nullptr;
}

// ---- Menus -------------------------------------------------------------------------------------

QAction* MCMainForm::AddItem(QMenu* menu, int index, const char* key, const char* shortcut, std::function<void()> fn)
{
    auto* a = menu->addAction(QString::fromLatin1(key));
    a->setData(QString::fromLatin1(key));
    if (shortcut)
        a->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
    if (fn)
        connect(a, &QAction::triggered, this, [fn = std::move(fn)] { fn(); });
    MainMenuItems[size_t(index)] = a;
    return a;
}

void MCMainForm::BuildMenus()
{
    BuildAppMenu();
    BuildFileMenu();
    BuildGameMenu();
    BuildPocketsMenu();
    BuildHelpMenu();
    BuildAidItems();
    for (size_t n = 0; n < topMenus_.size(); ++n) {
        if (!topMenus_[n])
            continue;
        MainMenuItems[size_t(kTopMenuIndex[n])] = topMenus_[n]->menuAction();
        // Enabling is worked out whenever a menu is about to show.
        connect(topMenus_[n], &QMenu::aboutToShow, this, &MCMainForm::UpdateCommandStates);
    }
}

void MCMainForm::BuildAppMenu()
{
    QMenu* app = topMenus_[0] = menuBar()->addMenu(QStringLiteral("MM_App"));
    AddItem(app, kMenuAppAbout, "MM_AppAbout", nullptr, [this] { MenuAppAbout(); });
    app->addSeparator();
    AddItem(app, kMenuAppOptions, "MM_AppOptions", "Ctrl+,", [this] { MenuAppOptions(); })
        ->setMenuRole(QAction::NoRole);
    app->addSeparator();
    AddItem(app, kMenuAppHide, "MM_AppHide", nullptr, [this] { MenuAppHide(); });
    // Hiding other programs and showing them all again mean nothing on this
    // desktop: the items keep their places in the table but are never shown.
    AddItem(app, kMenuAppHideOthers, "MM_AppHideOthers", nullptr, nullptr)->setVisible(false);
    AddItem(app, kMenuAppShowAll, "MM_AppShowAll", nullptr, nullptr)->setVisible(false);
    app->addSeparator();
    AddItem(app, kMenuAppQuit, "MM_AppQuit", "Ctrl+Q", [this] { close(); })->setMenuRole(QAction::NoRole);
}

void MCMainForm::BuildFileMenu()
{
    QMenu* file = topMenus_[1] = menuBar()->addMenu(QStringLiteral("MM_File"));
    AddItem(file, kMenuFileOpen, "MM_FileOpen", "Ctrl+O", [this] { MenuFileOpen(); });
    QMenu* recent = file->addMenu(QStringLiteral("MM_FileOpenRecent"));
    MainMenuItems[kMenuFileOpenRecent] = recent->menuAction();
    MainMenuItems[kMenuFileOpenRecent]->setData(QStringLiteral("MM_FileOpenRecent"));
    for (int i = 0; i < kRecentMenuItems; ++i) {
        QAction* a = recent->addAction(QString());
        a->setData(QVariant());  // titled by the recent files, not by a key
        connect(a, &QAction::triggered, this, [this, i] { MenuFileLast(i); });
        MainMenuItems[size_t(kMenuFileLast0 + i)] = a;
    }
    file->addSeparator();
    AddItem(file, kMenuFileSave, "MM_FileSave", "Ctrl+S", [this] { MenuFileSave(); });
    AddItem(file, kMenuFileSaveAs, "MM_FileSaveAs", "Ctrl+Shift+S", [this] { MenuFileSaveAs(); });
    AddItem(file, kMenuFileSaveSolvedImage, "MM_FileSaveSolvedImage", nullptr, [this] { MenuFileSaveSolvedImage(); });
    file->addSeparator();
    AddItem(file, kMenuFileDownload, "MM_FileDownload", "Ctrl+D", [this] { MenuFileDownload(); });
}

void MCMainForm::BuildGameMenu()
{
    QMenu* game = topMenus_[2] = menuBar()->addMenu(QStringLiteral("MM_Game"));
    AddItem(game, kMenuGameSide0, "MM_GameSide0", "Ctrl+1", [this] { MenuGameSide(0); })->setCheckable(true);
    AddItem(game, kMenuGameSide1, "MM_GameSide1", "Ctrl+2", [this] { MenuGameSide(1); })->setCheckable(true);
    AddItem(game, kMenuGameThumb, "MM_GameThumb", "Ctrl+T", [this] { MenuGameThumb(); });
    game->addSeparator();
    AddItem(game, kMenuGameBkgAll, "MM_GameBkgAll", nullptr, [this] { MenuGameBkgAll(); });
    AddItem(game, kMenuGameBkgCur, "MM_GameBkgCur", nullptr, [this] { MenuGameBkgCur(); });
    game->addSeparator();
    AddItem(game, kMenuGameInfo, "MM_GameInfo", "Ctrl+I", [this] { MenuGameInfo(); });
    game->addSeparator();
    AddItem(game, kMenuGameSelectAll, "MM_GameSelectAll", "Ctrl+A", [this] { MenuGameSelectAll(); });
    AddItem(game, kMenuGameArrangeJigs, "MM_GameArrangeJigs", nullptr, [this] { MenuGameArrangeJigs(); });
    AddItem(game, kMenuGameGatherLostJigs, "MM_GameGatherLostJigs", nullptr, [this] { MenuGameGatherLostJigs(); });
    game->addSeparator();
    AddItem(game, kMenuGameGlass, "MM_GameGlass", "Ctrl+G", [this] { MenuGameGlass(); });
    AddItem(game, kMenuGameWeight, "MM_GameWeight", nullptr, [this] { MenuGameWeight(); })->setCheckable(true);
}

void MCMainForm::BuildPocketsMenu()
{
    QMenu* pockets = topMenus_[3] = menuBar()->addMenu(QStringLiteral("MM_Pockets"));
    for (int k = 0; k < 4; ++k)
        AddItem(pockets, kMenuPocketsPocket0 + k, kPocketKeys[k], nullptr, [this, k] { MenuPocketsPocket(k); })
            ->setCheckable(true);
    pockets->addSeparator();
    AddItem(pockets, kMenuPocketsTile, "MM_PocketsTile", nullptr, [this] { MenuPocketsTile(); });
    AddItem(pockets, kMenuPocketsCascade, "MM_PocketsCascade", nullptr, [this] { MenuPocketsCascade(); });
}

void MCMainForm::BuildHelpMenu()
{
    QMenu* help = topMenus_[5] = menuBar()->addMenu(QStringLiteral("MM_Help"));
    AddItem(help, kMenuHelpCont, "MM_HelpCont", "F1", [this] { MenuHelpCont(); });
    AddItem(help, kMenuHelpQuick, "MM_HelpQuick", nullptr, [this] { MenuHelpQuick(); });
    QAction* sitesSep = help->addSeparator();
    // While the home-site table holds placeholders the two items stay hidden.
    const bool sites = HomeSitesAreReal();
    AddItem(help, kMenuHelpSiteHome, "MM_HelpSiteHome", nullptr, [this] { MenuHelpHomeSite(); })->setVisible(sites);
    AddItem(help, kMenuHelpGameHome, "MM_HelpGameHome", nullptr, [this] { MenuHelpHomePage(); })->setVisible(sites);
    sitesSep->setVisible(sites);
    help->addSeparator();
    AddItem(help, kMenuHelpReport, "MM_HelpReport", nullptr, [this] { MenuHelpSystemReport(); });
    AddItem(help, kMenuHelpCredits, "MM_HelpCredits", nullptr, [this] { MenuHelpCredits(); });
    // The support mail test: hidden at start-up and never shown.
    QAction* sep = help->addSeparator();
    sep->setVisible(false);
    AddItem(help, kMenuHelpTestEmail, "MM_HelpTestEmail", nullptr, nullptr)->setVisible(false);
    MainMenuItems[kMenuHelpTestEmail]->setData(QVariant());
}

// ---- Toolbar -----------------------------------------------------------------------------------

QObject* MCMainForm::ToolbarItemForIdentifier(const char* identifier)
{
    if (bInitApp || !identifier)
        return nullptr;  // the toolbar is made once, at start-up
    if (std::strcmp(identifier, kToolButtonId) == 0) {
        if (iCreateToolButCounter >= kToolbarButtons)
            return nullptr;
        return MakeToolButton(iCreateToolButCounter++);
    }
    if (std::strcmp(identifier, kToolSepId) == 0) {
        auto* spacer = new QWidget(this);
        spacer->setFixedSize(10, 15);
        spacer->setProperty("tag", iCreateToolSepCounter++);
        MainToolbarSeparators.push_back(spacer);
        return spacer;
    }
    return nullptr;
}

QAction* MCMainForm::MakeToolButton(int index)
{
    const TToolButtonDef& def = kToolButtons[index];
    auto* b = new QAction(LoadIcon(resourceDir_, def.image), QString(), this);
    b->setData(QString::fromLatin1(def.tipKey));
    b->setToolTip(Tr(def.tipKey));
    b->setProperty("tag", index);
    connect(b, &QAction::triggered, this, [this, index] { OnToolButton(index); });
    MainToolbarButtons[size_t(index)] = b;
    return b;
}

void MCMainForm::BuildToolbar()
{
    MainToolBar = addToolBar(QStringLiteral("Tools"));
    MainToolBar->setObjectName(QStringLiteral("MainToolBar"));
    MainToolBar->setMovable(false);
    MainToolBar->setFloatable(false);
    MainToolBar->setIconSize(QSize(32, 32));
    MainToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    for (const char* id : ToolbarDefaultItemIdentifiers()) {
        QObject* item = ToolbarItemForIdentifier(id);
        if (auto* a = qobject_cast<QAction*>(item))
            MainToolBar->addAction(a);
        else if (auto* w = qobject_cast<QWidget*>(item))
            MainToolBar->addWidget(w);
    }
}

void MCMainForm::OnToolButton(int index)
{
    switch (index) {
    case kTbOpen: return MenuFileOpen();
    case kTbSave: return MenuFileSave();
    case kTbDownload: return MenuFileDownload();
    case kTbBkgAll: return MenuGameBkgAll();
    case kTbBkgCur: return MenuGameBkgCur();
    case kTbThumb: return MenuGameThumb();
    case kTbInfo: return MenuGameInfo();
    case kTbSide0: return MenuGameSide(0);
    case kTbSide1: return MenuGameSide(1);
    case kTbSelectAll: return MenuGameSelectAll();
    case kTbArrange: return MenuGameArrangeJigs();
    case kTbGlass: return MenuGameGlass();
    case kTbWeight: return MenuGameWeight();
    case kTbOptions: return MenuAppOptions();
    case kTbHelp: return MenuHelpCont();
    default:
        if (index >= kTbPocket0 && index < kTbPocket0 + 4)
            return MenuPocketsPocket(index - kTbPocket0);  // the button's tag less 9
    }
}

// ---- Titles ------------------------------------------------------------------------------------

void MCMainForm::RetitleAll()
{
    if (StatusLine)
        StatusLine->Refresh();
    for (size_t n = 0; n < topMenus_.size(); ++n)
        if (kTopMenuKeys[n])
            SetTopMenuItemTitle(int(n), kTopMenuKeys[n]);
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
    RetitleAidItems();
    RefreshRecentMenu();
    // Every other open window retitles itself on the language-change event.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == this)
            continue;
        QEvent e(QEvent::LanguageChange);
        QApplication::sendEvent(w, &e);
    }
    RedrawP = kRedrawFull;
}

void MCMainForm::SetMenuItemTitle(int index, const std::string& key)
{
    if (index >= 0 && index < kMainMenuItems && MainMenuItems[size_t(index)]) {
        MainMenuItems[size_t(index)]->setData(QString::fromStdString(key));
        MainMenuItems[size_t(index)]->setText(Tr(key));
    }
}

void MCMainForm::SetTopMenuItemTitle(int n, const std::string& key)
{
    if (n >= 0 && n < int(topMenus_.size()) && topMenus_[size_t(n)]) {
        topMenus_[size_t(n)]->setTitle(Tr(key));
        topMenus_[size_t(n)]->menuAction()->setData(QString::fromStdString(key));
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

void MCMainForm::RefreshRecentMenu()
{
    for (int i = 0; i < kRecentMenuItems; ++i) {
        QAction* a = MainMenuItems[size_t(kMenuFileLast0 + i)];
        if (!a)
            continue;
        const bool has = i < LastFiles_Count();
        a->setVisible(has);
        a->setEnabled(has);
        if (has)
            a->setText(QString::fromStdString(LastFiles_MenuTitle(i)));
    }
}

// ---- Enabling ----------------------------------------------------------------------------------

void MCMainForm::UpdateCommandStates()
{
    const bool game = IsGameOpen();
    const bool sides = game && !CurMA.bSingleWin;
    const bool selected = game && DragJigP.bSelected;
    bool anyPocket = false;
    for (int i = kPocket0; i < kPocket0 + 4; ++i)
        if (const OMyWin* w = GetViewWin(i); w && w->bVisible)
            anyPocket = true;
    auto set = [](QAction* a, bool on) {
        if (a && a->isEnabled() != on)
            a->setEnabled(on);
    };
    for (int i : {kMenuFileSave, kMenuFileSaveAs, kMenuGameThumb, kMenuGameBkgAll, kMenuGameBkgCur, kMenuGameInfo,
                  kMenuGameSelectAll, kMenuGameGatherLostJigs, kMenuGameGlass, kMenuGameWeight})
        set(MainMenuItems[size_t(i)], game);
    for (int k = 0; k < 4; ++k)
        set(MainMenuItems[size_t(kMenuPocketsPocket0 + k)], game);
    set(MainMenuItems[kMenuFileSaveSolvedImage], game && bGameSolved);
    set(MainMenuItems[kMenuGameSide0], sides);
    set(MainMenuItems[kMenuGameSide1], sides);
    set(MainMenuItems[kMenuGameArrangeJigs], selected);
    set(MainMenuItems[kMenuPocketsTile], anyPocket);
    set(MainMenuItems[kMenuPocketsCascade], anyPocket);

    for (int i : {kTbSave, kTbBkgAll, kTbBkgCur, kTbThumb, kTbInfo, kTbSelectAll, kTbGlass, kTbWeight})
        set(MainToolbarButtons[size_t(i)], game);
    for (int k = 0; k < 4; ++k)
        set(MainToolbarButtons[size_t(kTbPocket0 + k)], game);
    set(MainToolbarButtons[kTbSide0], sides);
    set(MainToolbarButtons[kTbSide1], sides);
    set(MainToolbarButtons[kTbArrange], selected);
    UpdateAidStates();
}

// ---- Start-up ----------------------------------------------------------------------------------

void MCMainForm::CreateDialogs()
{
    // The download, progress and help dialogs are made on first use by their
    // own parts; the open dialog is too, but it is the first thing most
    // players ask for, and it takes a while to make.
    CreateOpenForm(DialogParent());
    CreateOptionsForm(this);
}

void MCMainForm::FreeDialogs()
{
    // In reverse: help, options, progress, download, open.
    FreeOptionsForm();
    FreeProgressForm();
    FreeDownloadForm();
}

void MCMainForm::StartUp(double t0, std::unique_ptr<MCAbout> splash)
{
    dtStartT0_ = t0;
    bStartUpCalled_ = true;
    splash_ = std::move(splash);
    if (splash_) {
        setEnabled(false);  // nothing to click while the splash is up
        const double left = kSplashSeconds - (GetNow() - t0);
        QTimer::singleShot(std::max(0, int(left * 1000.0) + 1), this, &MCMainForm::FinishStartUp);
    }
    if (bFirstFrame_) {
        OpenBehindSplash();
        FinishStartUp();
    }
}

// A file given at launch needs no answer from the player, so it opens while
// the splash is still up: the game is ready when the splash goes instead of
// only starting to open then. Nothing may ask or report while the splash
// covers the disabled window; a file that fails is opened again the usual
// way once the splash has gone, which reports the fault and offers the
// dialog.
void MCMainForm::OpenBehindSplash()
{
    if (earlyOpen_ != TEarlyOpen::None || !splash_ || !bStartUpCalled_ || !bFirstFrame_ || !bInitApp ||
        (opts_.sFile.empty() && opts_.sScreenshot.empty()))
        return;
    earlyOpen_ = TEarlyOpen::Pending;
    QTimer::singleShot(0, this, [this] {
        const std::string f = opts_.sScreenshot.empty() ? opts_.sFile : StartFile();
        earlyOpen_ = TEarlyOpen::Running;
        bool ok = false;
        if (!f.empty()) {
            AutoSaveGuard guard;
            ok = ShellOpenGameQuietly(f);
            AfterGameCommand();
        }
        if (splash_)
            splash_->o_Window->raise();  // over the window the open has brought up
        earlyOpen_ = ok ? TEarlyOpen::Opened : TEarlyOpen::Failed;
        FinishStartUp();  // the splash's time may have run out meanwhile
    });
}

// The splash goes no earlier than 2 s after launch and not before the view
// has drawn, then the first game comes up.
void MCMainForm::FinishStartUp()
{
    if (bStarted_ || !bStartUpCalled_ || !bFirstFrame_ || !bInitApp || earlyOpen_ == TEarlyOpen::Pending ||
        earlyOpen_ == TEarlyOpen::Running)
        return;
    if (splash_ && GetNow() - dtStartT0_ < kSplashSeconds)
        return;
    bStarted_ = true;
    if (splash_) {
        splash_->HideForm();
        splash_.reset();
        setEnabled(true);
        activateWindow();
        TimelineMark("splash-hidden");
    }
    if (earlyOpen_ != TEarlyOpen::Opened)
        QTimer::singleShot(0, this, &MCMainForm::StartOpen);
    else
        ScheduleScreenshot();  // the game came up behind the splash
    // Made ahead of their first use, but off the way to the first frame.
    QTimer::singleShot(0, this, &MCMainForm::CreateDialogs);
}

std::string MCMainForm::StartFile() const
{
    if (!opts_.sFile.empty())
        return opts_.sFile;
    if (LastFiles_Count() > 0 && FileExists(LastFiles.arFileNames.front()))
        return LastFiles.arFileNames.front();
    for (const std::string& f : ListFolderSorted(FileNames.sDistJigsPath))
        if (IsJigFile(f))
            return FileNames.sDistJigsPath + f;
    return {};
}

void MCMainForm::StartOpen()
{
    AutoSaveGuard guard;
    if (!opts_.sScreenshot.empty()) {
        // Unattended: nobody answers the open dialog.
        if (const std::string f = StartFile(); !f.empty())
            OpenGame(f);
    } else if (!opts_.sFile.empty()) {
        // A file from the command line or the file manager skips the dialog;
        // when it cannot be opened the dialog comes up instead.
        if (!OpenGame(opts_.sFile))
            fnDialogOpenGameFile("", false);
    } else if (LastFiles_Count() > 0 && FileExists(LastFiles.arFileNames.front())) {
        fnDialogOpenGameFile(LastFiles.arFileNames.front(), false);
    } else {
        fnDialogOpenGameFile("", false);
    }
    AfterGameCommand();
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
    if (!bFirstFrame_) {
        bFirstFrame_ = true;
        OpenBehindSplash();
        FinishStartUp();
        return;
    }
    ScheduleScreenshot();
}

// ---- Shutdown ----------------------------------------------------------------------------------

// Closing the window quits; the save question may stop both.
void MCMainForm::closeEvent(QCloseEvent* e)
{
    if (splash_) {
        e->ignore();  // start-up is not finished
        return;
    }
    AutoSaveGuard guard;
    if (!SaveAndContinue()) {
        e->ignore();  // Cancel: the game stays open, nothing else changes
        return;
    }
    AutoSaveP.bNeedSave = false;
    ShellWriteSettings();
    FreeDialogs();
    e->accept();
}

void MCMainForm::changeEvent(QEvent* e)
{
    // Back from the taskbar: the field is drawn afresh.
    if (e->type() == QEvent::WindowStateChange && !isMinimized())
        RedrawP = kRedrawFull;
    QMainWindow::changeEvent(e);
    // Leaving the maximised state restores the geometry the window had
    // before. The game starts maximised over the whole work area, so that
    // geometry would put the title bar above the screen: the window then
    // comes back smaller, centred in the work area with its frame on screen.
    if (e->type() != QEvent::WindowStateChange)
        return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(e);
    const Qt::WindowStates big = Qt::WindowMaximized | Qt::WindowFullScreen;
    if ((change->oldState() & big) && !(windowState() & (big | Qt::WindowMinimized)))
        QTimer::singleShot(0, this, &MCMainForm::FitRestoredGeometry);
}

void MCMainForm::FitRestoredGeometry()
{
    const QScreen* s = screen();
    if (!s || (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)))
        return;
    const QRect avail = s->availableGeometry();
    const QRect frame = frameGeometry();
    if (avail.contains(frame) && frame.height() < avail.height())
        return;
    const QSize margins = frame.size() - size();  // title bar and borders
    resize(avail.width() * 4 / 5 - margins.width(), avail.height() * 4 / 5 - margins.height());
    move(avail.left() + avail.width() / 10, avail.top() + avail.height() / 10);  // the frame's corner
}

void MCMainForm::AutoSaveTimer() { ShellAutoSaveTick(); }

void MCMainForm::EndBySignal(int sig)
{
    // Nobody is there to answer a question. A command waiting on a dialog is
    // cancelled first, so that the game is saved as it stands between
    // commands; one that does not end within 5 s leaves the last autosave.
    if (bAutoSaveDoProc && iEndTries_++ < 100) {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        }
        QTimer::singleShot(50, this, [this, sig] { EndBySignal(sig); });
        return;
    }
    const bool saved = AutoSave_BeforeEnd();
    std::fprintf(stderr, "ended by signal %d%s\n", sig, saved ? ": the game was saved automatically" : "");
    AutoSaveP.bNeedSave = false;
    if (!splash_)
        ShellWriteSettings();
    QApplication::exit(128 + sig);
}

// ---- Drops -------------------------------------------------------------------------------------

void MCMainForm::dragEnterEvent(QDragEnterEvent* e)
{
    const QMimeData* m = e->mimeData();
    if (isEnabled() && m && m->hasUrls() && !m->urls().isEmpty() && m->urls().front().isLocalFile())
        e->acceptProposedAction();
}

void MCMainForm::dropEvent(QDropEvent* e)
{
    const QMimeData* m = e->mimeData();
    if (!m || !m->hasUrls() || m->urls().isEmpty() || !m->urls().front().isLocalFile())
        return;
    const std::string path = m->urls().front().toLocalFile().toStdString();
    e->acceptProposedAction();
    // After the drop has finished: the file manager must not wait on our dialogs.
    QTimer::singleShot(0, this, [this, path] { OpenDroppedFile(path); });
}

// ---- Test outputs ------------------------------------------------------------------------------

// The picture is taken once the game has drawn and the window is the
// player's (the splash gone, the menus and the toolbar enabled).
void MCMainForm::ScheduleScreenshot()
{
    if (!opts_.sScreenshot.empty() && !bShotTaken_ && !splash_ && IsGameOpen() && ++iShotFrames_ == 1)
        QTimer::singleShot(100, this, &MCMainForm::TakeScreenshot);
}

void MCMainForm::TakeScreenshot()
{
    bShotTaken_ = true;
    // The field's own window is not part of the form's picture: its frame is
    // laid over the form where the field sits.
    QImage shot = grab().toImage();
    const QImage field = MainView->grabFrame();
    if (!field.isNull()) {
        QPainter p(&shot);
        p.drawImage(MainViewHost->mapTo(this, QPoint(0, 0)), field);
    }
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
        const TJig& p = JigAt(j);
        const OMyWin* w = GetViewWin(p.Win);
        const OMyImage& img = arPicJigs[size_t(j)];
        int bu = -1, bv = -1, best = -1;
        for (int v = 0; v < p.DrawH; v += 2)
            for (int u = 0; u < p.DrawW; u += 2) {
                if (!JigImageOpaqueAt(j, p.Rot * img.H + u, v))
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
