// MCMainForm: the main window around the play field. It owns the view, the
// menus and the toolbar (items by the fixed indices other parts use), routes
// every command, runs the 5-second autosave timer, opens the first game and
// asks to save unsaved changes before the window closes.
#pragma once

#include "field/field.h"
#include "field/main_view.h"

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <string>

class QAction;
class QMenu;
class QToolBar;

constexpr int kMainMenuItems = 48;
constexpr int kToolbarButtons = 19;

struct TStartOptions {
    std::string sFile;        // file named on the command line, "" none
    std::string sScreenshot;  // --screenshot FILE: grab the first frame of the game and quit
    int iViewW = 0, iViewH = 0;  // --size WxH of the window's view (0: the screen's work area)
    std::string sStateFile;   // --state FILE: the piece table in view terms after every change (tests)
};

class MCMainForm : public QMainWindow, public IFieldUi {
    Q_OBJECT
public:
    MCMainForm(const std::string& resourceDir, const TStartOptions& opts);
    ~MCMainForm() override;

    MCMainView* MainView = nullptr;    // the field's window, owned by its host
    QWidget* MainViewHost = nullptr;   // the widget holding it in the form (size it, not the view)
    std::array<QAction*, kMainMenuItems> MainMenuItems{};      // by the menu table's index; null: none
    std::array<QAction*, kToolbarButtons> MainToolbarButtons{}; // by button index; null: none
    QToolBar* MainToolBar = nullptr;

    // ---- IFieldUi ----
    void SetMenuItemTitle(int index, const std::string& key) override;
    void SetToolbarItemTooltip(int index, const std::string& key) override;
    void SetMenuItemChecked(int index, bool checked) override;
    void SetToolbarItemImage(int index, const std::string& imageName) override;

    // ---- Commands ----
    void MenuFileOpen();
    void MenuFileLast(int i);
    void RefreshRecentMenu();
    void MenuFileSave();
    void MenuFileSaveAs();
    void MenuGameSide(int side);
    void MenuGameThumb();
    void MenuGameGlass();
    void MenuGameSelectAll();
    void MenuGameArrangeJigs();
    void MenuGameGatherLostJigs();
    void MenuGameWeight();
    void MenuGameBkgAll();
    void MenuGameBkgCur();
    void MenuPocketsPocket(int pocket);
    void MenuPocketsTile();
    void MenuPocketsCascade();
    void AutoSaveTimer();

    // Opens a jigsaw (a new game with the default cut) or a saved game; false
    // with the reason shown when it cannot be opened.
    bool OpenGame(const std::string& path);
    // The start-up choice: the command line's file, else the most recent
    // file, else the first bundled jigsaw ("" when none).
    std::string StartFile() const;
    // Enables the commands by the rules of the menu table.
    void UpdateCommandStates();
    // Menu titles and tool tips from the language file.
    void RetitleAll();

protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void BuildMenus();
    void BuildToolbar();
    QAction* AddItem(QMenu* menu, int index, const char* key, const char* english, void (MCMainForm::*fn)());
    void AddButton(int index, const char* image, const char* tipKey, QAction* sameAs);
    void OnFrameDrawn();
    void TakeScreenshot();
    void WriteStateFile();
    void DeselectFirst();
    void FitRestoredGeometry();

    std::string resourceDir_;
    TStartOptions opts_;
    QTimer autoSaveTimer_;
    bool bStarted_ = false;     // the first game has been opened (or tried)
    bool bShotTaken_ = false;
    int iShotFrames_ = 0;
    std::string lastState_;     // what the state file last said
    bool bStatePending_ = false;  // a state write is scheduled
    std::array<QMenu*, 6> topMenus_{};  // by the top-level index: 1 File, 2 Game, 3 Pockets
};

extern MCMainForm* g_MainForm;
