// MCMainForm: the main window around the play field. It owns the view, the
// menus and the toolbar (items by the fixed indices other parts use), routes
// every command, runs the 5-second autosave timer, brings up the first game
// and asks to save unsaved changes before the window closes.
//
// Lifetime: one per run. The constructor is the form's InitForm; the
// destructor its ReleaseForm. Start-up (the splash, the dialogs, the settings,
// the open dialog) is driven from main through StartUp.
#pragma once

#include "field/field.h"
#include "field/main_view.h"

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QToolBar;
class MCAbout;

// The menu and toolbar indices (TMainMenuIndex, TToolbarButton) are in field/ui_codes.h:
// the field titles and checks items by them too.
constexpr int kRecentMenuItems = 4;

// ---- The toolbar ----------------------------------------------------------------------------
// The identifiers the toolbar factory knows, and its default list (30 entries).
extern const char* const kToolButtonId;  // "kx.toolbar.button"
extern const char* const kToolSepId;     // "kx.toolbar.sep"
std::vector<const char*> ToolbarDefaultItemIdentifiers();

struct TStartOptions {
    std::string sFile;        // file named on the command line, "" none
    std::string sScreenshot;  // --screenshot FILE: grab the first frame of the game and quit
    int iViewW = 0, iViewH = 0;  // --size WxH of the window's view (0: the screen's work area)
    std::string sStateFile;   // --state FILE: the piece table in view terms after every change (tests)
    bool bNoSplash = false;   // --no-splash: start without the about box (tests)
};

// Per run: false until start-up has created every form and read the settings;
// the toolbar factory makes nothing once it is set.
extern bool bInitApp;

class MCMainForm : public QMainWindow, public IFieldUi {
    Q_OBJECT
public:
    MCMainForm(const std::string& resourceDir, const TStartOptions& opts);
    ~MCMainForm() override;

    MCMainView* MainView = nullptr;    // the field's window, owned by its host
    QWidget* MainViewHost = nullptr;   // the widget holding it in the form (size it, not the view)
    std::array<QAction*, kMainMenuItems> MainMenuItems{};      // by the menu table's index; null: none
    std::array<QAction*, kToolbarButtons> MainToolbarButtons{}; // by button index
    std::vector<QWidget*> MainToolbarSeparators;               // the spacers, by creation order
    QToolBar* MainToolBar = nullptr;
    class MCStatusLine* StatusLine = nullptr;  // the strip under the table (owned by the form)
    int iCreateToolButCounter = 0, iCreateToolSepCounter = 0;  // running numbers of the factory

    // The open dialog as the commands reach it (tests put a recorder here).
    std::function<bool(const std::string& path, bool direct)> fnDialogOpenGameFile;

    // ---- IFieldUi ----
    void SetMenuItemTitle(int index, const std::string& key) override;
    void SetToolbarItemTooltip(int index, const std::string& key) override;
    void SetMenuItemChecked(int index, bool checked) override;
    void SetToolbarItemImage(int index, const std::string& imageName) override;
    void SetTopMenuItemTitle(int n, const std::string& key);

    // The toolbar factory: a button or a spacer numbered in request order;
    // nullptr for an unknown identifier and for anything once bInitApp is set.
    QObject* ToolbarItemForIdentifier(const char* identifier);

    // ---- Start-up -----------------------------------------------------------------------------
    // The long-lived dialogs, made once start-up is over (the splash gone or
    // the first frame drawn; nothing can ask for them sooner); freed in
    // reverse at shutdown.
    void CreateDialogs();
    void FreeDialogs();
    // The rest of start-up once the window shows: waits for the first frame
    // and until 2 s after t0, hides the splash, then brings up the first game.
    void StartUp(double t0, std::unique_ptr<MCAbout> splash);
    // The first game: the command line's file opened at once; else the open
    // dialog preset to the most recent file when it still exists, else empty.
    void StartOpen();
    // The start-up choice for unattended runs: the command line's file, else
    // the most recent file, else the first bundled jigsaw ("" when none).
    std::string StartFile() const;

    // ---- Commands (the menu table) --------------------------------------------------------------
    void MenuAppAbout();
    void MenuAppOptions();
    void MenuAppHide();
    void MenuFileOpen();
    void MenuFileLast(int i);
    void MenuFileSave();
    void MenuFileSaveAs();
    void MenuFileSaveSolvedImage();
    void MenuFileDownload();
    void MenuGameSide(int side);
    void MenuGameThumb();
    void MenuGameGlass();
    void MenuGameSelectAll();
    void MenuGameArrangeJigs();
    void MenuGameGatherLostJigs();
    void MenuGameInfo();
    void MenuGameWeight();
    void MenuGameBkgAll();
    void MenuGameBkgCur();
    void MenuPocketsPocket(int pocket);
    void MenuPocketsTile();
    void MenuPocketsCascade();
    void MenuHelpCont();
    void MenuHelpQuick();
    void MenuHelpHomeSite();
    void MenuHelpHomePage();
    void MenuHelpSystemReport();
    void MenuHelpCredits();
    void AutoSaveTimer();
    // The session ends (SIGTERM, SIGHUP, SIGINT): open dialogs are cancelled,
    // the game is autosaved without a question, the settings are written and
    // the program ends with 128 + sig.
    void EndBySignal(int sig);
    // The play aids (main_form_aids.cpp): not in the menu table.
    void MenuEditUndo();
    void MenuEditRedo();
    void MenuGameEdgesToPocket();
    void MenuGameShowOnlyEdges();
    struct TAidItems {
        QMenu* editMenu = nullptr;
        QAction* undo = nullptr;
        QAction* redo = nullptr;
        QAction* edgesToPocket = nullptr;
        QAction* showOnlyEdges = nullptr;
    };
    TAidItems AidItems;

    // A file dropped on the window, or handed over by the file manager:
    // routed as File > Open would route it.
    void OpenDroppedFile(const std::string& path);
    // Opens a jigsaw (a new game with the default cut) or a saved game; false
    // with the reason shown when it cannot be opened.
    bool OpenGame(const std::string& path);
    // Writes the finished picture as PNG (or JPEG by the name's extension)
    // through a side file; false with the reason in *error.
    static bool SaveSolvedImageTo(const std::string& path, std::string* error);

    // Enables the commands by the rules of the menu table.
    void UpdateCommandStates();
    // Menu titles, tool tips, captions and open dialogs from the language file.
    void RetitleAll();
    void RefreshRecentMenu();

protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    int iEndTries_ = 0;  // EndBySignal's waits for a command to finish
    void BuildMenus();
    void BuildAppMenu();
    void BuildFileMenu();
    void BuildGameMenu();
    void BuildPocketsMenu();
    void BuildHelpMenu();
    void BuildAidItems();
    void RetitleAidItems();
    void UpdateAidStates();
    void AfterHistoryStep();
    void BuildToolbar();
    QAction* AddItem(QMenu* menu, int index, const char* key, const char* shortcut, std::function<void()> fn);
    QAction* MakeToolButton(int index);
    void OnToolButton(int index);
    void OnFrameDrawn();
    void FinishStartUp();
    void OpenBehindSplash();
    void ScheduleScreenshot();
    void TakeScreenshot();
    void WriteStateFile();
    void DeselectFirst();
    void AfterGameCommand();
    void FitRestoredGeometry();

    std::string resourceDir_;
    TStartOptions opts_;
    QTimer autoSaveTimer_;
    bool bStartUpCalled_ = false;  // main has handed over the rest of start-up
    bool bFirstFrame_ = false;  // the view has drawn a frame
    bool bStarted_ = false;     // the first game has been brought up (or tried)
    // A file given at launch opens while the splash is still up.
    enum class TEarlyOpen { None, Pending, Running, Opened, Failed };
    TEarlyOpen earlyOpen_ = TEarlyOpen::None;
    double dtStartT0_ = 0;      // launch time (GetNow)
    std::unique_ptr<MCAbout> splash_;  // the about box while it is the splash
    bool bShotTaken_ = false;
    int iShotFrames_ = 0;
    std::string lastState_;     // what the state file last said
    bool bStatePending_ = false;  // a state write is scheduled
    std::array<QMenu*, 6> topMenus_{};  // by the top-level index 0..5 (4 unused)
};

extern MCMainForm* g_MainForm;

// Switches the language while running (the options dialog calls it): the
// current language becomes `name`, its file is read, and menus, tool tips,
// captions, pocket captions and every open window are retitled at once.
// Open dialogs retitle themselves on QEvent::LanguageChange (changeEvent).
bool SwitchLanguage(const std::string& name);
// True when the home-site table holds real addresses (not placeholders).
bool HomeSitesAreReal();
