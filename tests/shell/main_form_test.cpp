// The main window: the menu table and toolbar, their enabling, start-up and
// the first game, the save question on closing, the commands with logic of
// their own (options and table colours among them), dropped files and the
// language switch.
#include "field/backgrounds.h"
#include "field/field.h"
#include "field/field_win.h"
#include "files/files.h"
#include "model/edge_pieces.h"
#include "model/game_picture.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "model/undo.h"
#include "shell/about_form.h"
#include "shell/color_dialog.h"
#include "shell/main_form.h"
#include "shell/options_dialog.h"
#include "shell/shell.h"
#include "support/test_support.h"
#include "support/dialog_wait.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QSlider>
#include <QTableWidget>
#include <QFileDialog>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

const char* const kWaterdrop = "resources/jigs_bemo/Waterdrop.zjg";

// Answers the next message box with the button titled `title`; *asked tells
// whether one came; *quiet whether the autosave was held off while it was up.
void AnswerNextBox(const QString& title, bool* asked, bool* quiet = nullptr)
{
    *asked = false;
    AnswerNextBox(title, [=](QMessageBox*) {
        *asked = true;
        if (quiet)
            *quiet = bAutoSaveDoProc;
    });
}

QString Key(const char* key) { return QString::fromStdString(LangGetKeyVal(key)); }

// A main window with no game; the open dialog is a recorder.
struct FormFixture {
    TempDir home;
    std::unique_ptr<MCMainForm> form;
    std::vector<std::pair<std::string, bool>> opened;  // what the open dialog was asked

    explicit FormFixture(TStartOptions opts = {})
    {
        UseUserFolder(home.Path());
        FileNames.sDistJigsPath = home.Path() + "/none/";
        LangP_Init();
        ReadLangFile(LangMesFile("english"));
        opts.iViewW = 500;
        opts.iViewH = 400;
        form = std::make_unique<MCMainForm>(FileNames.sResourcePath, opts);
        form->fnDialogOpenGameFile = [this](const std::string& path, bool direct) {
            opened.emplace_back(path, direct);
            return false;
        };
        form->MainViewHost->setFixedSize(500, 400);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        EXPECT_TRUE(WaitUntil([] { return FieldP.bInitDone; }, 10000));
    }
    ~FormFixture() { AutoSaveP.bNeedSave = false; }  // nothing to ask when the window goes

    void OpenWaterdrop()
    {
        ASSERT_TRUE(form->OpenGame(SourcePath(kWaterdrop)));
        ASSERT_TRUE(IsGameOpen());
    }
    bool Enabled(int menuIndex) const { return form->MainMenuItems[size_t(menuIndex)]->isEnabled(); }
    bool ButtonEnabled(int button) const { return form->MainToolbarButtons[size_t(button)]->isEnabled(); }
};

}  // namespace

// ---- The menu table and the toolbar ----------------------------------------------------------

TEST(MainForm, EveryItemOfTheMenuTableExistsAndTheShortcutsAreExactlyTheFixedOnes)
{
    FormFixture f;
    for (int i = 0; i < kMainMenuItems; ++i) {
        const bool unused = i >= 37 && i <= 39;
        EXPECT_EQ(f.form->MainMenuItems[size_t(i)] == nullptr, unused) << "menu index " << i;
    }
    const std::map<int, QString> shortcuts = {
        {kMenuFileOpen, "Ctrl+O"},     {kMenuFileSave, "Ctrl+S"},      {kMenuFileSaveAs, "Ctrl+Shift+S"},
        {kMenuAppQuit, "Ctrl+Q"},      {kMenuFileDownload, "Ctrl+D"},  {kMenuAppOptions, "Ctrl+,"},
        {kMenuGameInfo, "Ctrl+I"},     {kMenuGameSelectAll, "Ctrl+A"}, {kMenuGameThumb, "Ctrl+T"},
        {kMenuGameGlass, "Ctrl+G"},    {kMenuHelpCont, "F1"},          {kMenuGameSide0, "Ctrl+1"},
        {kMenuGameSide1, "Ctrl+2"}};
    for (int i = 0; i < kMainMenuItems; ++i) {
        QAction* a = f.form->MainMenuItems[size_t(i)];
        if (!a)
            continue;
        const auto it = shortcuts.find(i);
        const QString want = it == shortcuts.end() ? QString() : it->second;
        EXPECT_EQ(a->shortcut().toString(QKeySequence::PortableText), want) << "menu index " << i;
    }
    // No meaning on this desktop, and no real home sites yet: kept, not shown.
    for (int i : {kMenuAppHideOthers, kMenuAppShowAll, kMenuHelpSiteHome, kMenuHelpGameHome, kMenuHelpTestEmail})
        EXPECT_FALSE(f.form->MainMenuItems[size_t(i)]->isVisible()) << "menu index " << i;
    EXPECT_FALSE(HomeSitesAreReal());
    EXPECT_EQ(f.form->MainMenuItems[kMenuFileOpen]->text(), Key("MM_FileOpen"));
    EXPECT_EQ(f.form->MainMenuItems[kMenuGame]->text(), Key("MM_Game"));
}

TEST(MainForm, TheToolbarHoldsNineteenButtonsAndElevenSpacersInOrderAndGetsNothingAfterStartUp)
{
    FormFixture f;
    const QList<QAction*> items = f.form->MainToolBar->actions();
    ASSERT_EQ(items.size(), 30);
    const std::vector<const char*> ids = ToolbarDefaultItemIdentifiers();
    int button = 0;
    for (int k = 0; k < 30; ++k) {
        const bool isButton = std::string(ids[size_t(k)]) == kToolButtonId;
        if (isButton) {
            ASSERT_EQ(items[k], f.form->MainToolbarButtons[size_t(button)]) << "entry " << k;
            EXPECT_FALSE(items[k]->icon().isNull()) << "button " << button;
            EXPECT_FALSE(items[k]->toolTip().isEmpty()) << "button " << button;
            ++button;
        } else {
            EXPECT_NE(f.form->MainToolBar->widgetForAction(items[k]), nullptr) << "entry " << k;
        }
    }
    EXPECT_EQ(button, kToolbarButtons);
    EXPECT_EQ(f.form->MainToolbarSeparators.size(), 11u);
    EXPECT_EQ(f.form->MainToolbarButtons[kTbOpen]->toolTip(), Key("TB_Open"));
    EXPECT_EQ(f.form->MainToolbarButtons[kTbHelp]->toolTip(), Key("TB_Help"));

    bInitApp = true;
    EXPECT_EQ(f.form->ToolbarItemForIdentifier(kToolButtonId), nullptr);
    EXPECT_EQ(f.form->ToolbarItemForIdentifier(kToolSepId), nullptr);
    EXPECT_EQ(f.form->iCreateToolButCounter, kToolbarButtons);
    EXPECT_EQ(f.form->iCreateToolSepCounter, 11);
    EXPECT_EQ(f.form->MainToolBar->actions().size(), 30);
}

// ---- Enabling ----------------------------------------------------------------------------------

TEST(MainForm, CommandsFollowTheGameTheSchemeTheSelectionTheSolvedStateAndThePockets)
{
    FormFixture f;
    f.form->UpdateCommandStates();
    EXPECT_TRUE(f.Enabled(kMenuFileOpen));
    EXPECT_TRUE(f.Enabled(kMenuFileDownload));
    EXPECT_TRUE(f.ButtonEnabled(kTbOptions));
    for (int i : {kMenuFileSave, kMenuFileSaveSolvedImage, kMenuGameSide0, kMenuGameInfo, kMenuGameArrangeJigs,
                  kMenuPocketsPocket0, kMenuPocketsTile})
        EXPECT_FALSE(f.Enabled(i)) << "menu index " << i;
    for (int b : {kTbSave, kTbSide0, kTbGlass, kTbWeight})
        EXPECT_FALSE(f.ButtonEnabled(b)) << "button " << b;

    f.OpenWaterdrop();
    struct Case {
        const char* what;
        bool singleWin, selected, solved, pocket;
    };
    const Case cases[] = {
        {"plain", false, false, false, false},
        {"single window", true, false, false, false},
        {"selected", false, true, false, false},
        {"solved", false, false, true, false},
        {"pocket shown", false, false, false, true},
    };
    for (const Case& c : cases) {
        CurMA.bSingleWin = c.singleWin;
        DragJigP.bSelected = c.selected;
        bGameSolved = c.solved;
        GetViewWin(kPocket0)->bVisible = c.pocket;
        f.form->UpdateCommandStates();
        EXPECT_EQ(f.Enabled(kMenuGameSide0), !c.singleWin) << c.what;
        EXPECT_EQ(f.Enabled(kMenuGameSide1), !c.singleWin) << c.what;
        EXPECT_EQ(f.ButtonEnabled(kTbSide0), !c.singleWin) << c.what;
        EXPECT_EQ(f.ButtonEnabled(kTbSide1), !c.singleWin) << c.what;
        EXPECT_EQ(f.Enabled(kMenuGameArrangeJigs), c.selected) << c.what;
        EXPECT_EQ(f.ButtonEnabled(kTbArrange), c.selected) << c.what;
        EXPECT_EQ(f.Enabled(kMenuFileSaveSolvedImage), c.solved) << c.what;
        EXPECT_EQ(f.Enabled(kMenuPocketsTile), c.pocket) << c.what;
        EXPECT_EQ(f.Enabled(kMenuPocketsCascade), c.pocket) << c.what;
        EXPECT_TRUE(f.Enabled(kMenuFileSave)) << c.what;
        EXPECT_TRUE(f.ButtonEnabled(kTbPocket0 + 3)) << c.what;
    }
    GetViewWin(kPocket0)->bVisible = false;
    DragJigP.bSelected = false;
}

TEST(MainForm, MenusAreEnabledAfreshWhenTheyAreAboutToShow)
{
    FormFixture f;
    f.OpenWaterdrop();
    bGameSolved = false;
    f.form->UpdateCommandStates();
    ASSERT_FALSE(f.Enabled(kMenuFileSaveSolvedImage));
    bGameSolved = true;  // nothing else told the window
    QMenu* file = f.form->MainMenuItems[kMenuFile]->menu();
    ASSERT_NE(file, nullptr);
    emit file->aboutToShow();
    EXPECT_TRUE(f.Enabled(kMenuFileSaveSolvedImage));
}

TEST(MainForm, RecentFilesFillTheSubmenuInOrderAndEachOpensAsASavedGameWould)
{
    FormFixture f;
    LastFiles.arFileNames = {"/games/b.svm", "/jigs/a.zjg"};
    f.form->RefreshRecentMenu();
    EXPECT_EQ(f.form->MainMenuItems[kMenuFileLast0]->text(), QStringLiteral("1. b.svm"));
    EXPECT_EQ(f.form->MainMenuItems[kMenuFileLast0 + 1]->text(), QStringLiteral("2. a.zjg"));
    for (int i = 0; i < kRecentMenuItems; ++i)
        EXPECT_EQ(f.form->MainMenuItems[size_t(kMenuFileLast0 + i)]->isVisible(), i < 2) << i;
    f.form->MainMenuItems[kMenuFileLast0 + 1]->trigger();
    f.form->MenuFileLast(3);  // no such entry: nothing
    ASSERT_EQ(f.opened.size(), 1u);
    EXPECT_EQ(f.opened[0], std::make_pair(std::string("/jigs/a.zjg"), true));
}

// ---- Start-up ----------------------------------------------------------------------------------

TEST(MainForm, TheFirstGameComesFromTheCommandLineElseTheOpenDialogPresetToAnExistingRecentFile)
{
    TempDir files;
    const std::string existing = files.Path() + "/kept.svm";
    { FILE* fp = std::fopen(existing.c_str(), "w"); ASSERT_NE(fp, nullptr); std::fclose(fp); }
    struct Case {
        const char* what;
        std::vector<std::string> recent;
        std::string wantPreset;
    };
    const Case cases[] = {
        {"no recent files", {}, ""},
        {"the first recent file exists", {existing, "/nowhere/b.svm"}, existing},
        {"the first recent file is gone", {files.Path() + "/gone.svm", existing}, ""},
    };
    for (const Case& c : cases) {
        FormFixture f;
        LastFiles.arFileNames = c.recent;
        f.form->StartOpen();
        ASSERT_EQ(f.opened.size(), 1u) << c.what;
        EXPECT_EQ(f.opened[0].first, c.wantPreset) << c.what;
        EXPECT_FALSE(f.opened[0].second) << c.what;
        EXPECT_FALSE(IsGameOpen()) << c.what;
    }
    TStartOptions opts;
    opts.sFile = SourcePath(kWaterdrop);
    FormFixture f(opts);
    LastFiles.arFileNames = {existing};
    f.form->StartOpen();
    EXPECT_TRUE(f.opened.empty()) << "a file on the command line skips the open dialog";
    EXPECT_TRUE(IsGameOpen());
}

TEST(MainForm, TheSplashStaysTwoSecondsIgnoringClicksThenTheOpenDialogComes)
{
    bInitApp = true;  // forms made and settings read before the view's first frame
    FormFixture f;
    ASSERT_TRUE(WaitUntil([&] { return f.form->MainView->iFramesDrawn > 0; }, 10000));
    EXPECT_TRUE(f.opened.empty()) << "nothing opens before start-up hands over";
    const double t0 = GetNow();
    auto splash = std::make_unique<MCAbout>();
    splash->InitForm(FileNames.sResourcePath);
    splash->ShowForm(true);
    QWidget* window = splash->o_Window;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_EQ(window->size(), QSize(370, 320));
    f.form->StartUp(t0, std::move(splash));
    QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(185, 160));
    QTest::keyClick(window, Qt::Key_Return);
    window->close();
    EXPECT_TRUE(window->isVisible()) << "the splash ignores clicks, keys and closing";
    EXPECT_FALSE(f.form->isEnabled()) << "nothing to click behind the splash";
    {
        QMessageBox box(f.form.get());
        EXPECT_TRUE(box.isEnabled()) << "a message of start-up can still be answered";
    }
    ASSERT_TRUE(WaitUntil([&] { return !f.opened.empty(); }, 10000));
    EXPECT_GE(GetNow() - t0, 2.0);
    EXPECT_TRUE(f.form->isEnabled());
    EXPECT_EQ(f.opened[0].first, "");
}

// ---- Shutdown ----------------------------------------------------------------------------------

TEST(MainForm, ClosingWithUnsavedChangesSavesOnYesDropsOnNoAndKeepsEverythingOnCancel)
{
    struct Case {
        const char* button;
        bool closes, saved;
    };
    const Case cases[] = {{"B_Cancel", false, false}, {"B_No", true, false}, {"B_Yes", true, true}};
    for (const Case& c : cases) {
        FormFixture f;
        f.OpenWaterdrop();
        const std::string target = f.home.Path() + "/game.svm";
        FileNames.sSolve = target;
        AutoSaveP.bNeedSave = true;
        bool asked = false;
        AnswerNextBox(Key(c.button), &asked);
        f.form->close();
        EXPECT_TRUE(asked) << c.button;
        EXPECT_EQ(!f.form->isVisible(), c.closes) << c.button;
        EXPECT_EQ(FileExists(target), c.saved) << c.button;
        EXPECT_EQ(FileExists(FileNames.sSettings), c.closes) << "settings are written only when the window goes";
        EXPECT_TRUE(IsGameOpen()) << c.button;
        if (!c.closes) {
            EXPECT_TRUE(AutoSaveP.bNeedSave) << "Cancel leaves the changes unsaved and marked";
        }
        if (c.saved) {
            EXPECT_FALSE(AutoSaveP.bNeedSave);
        }
        EXPECT_FALSE(bAutoSaveDoProc) << c.button;
    }
}

// ---- Commands with logic of their own ------------------------------------------------------------

TEST(MainForm, GatherLostPiecesPutsAGroupOfHalfThePiecesUnderAllOthersButNotOneOfAPieceFewer)
{
    // shortBy -1: the question answered No changes nothing.
    for (int shortBy : {0, 1, -1}) {
        FormFixture f;
        f.OpenWaterdrop();
        const int n = JigsInPlay();
        ASSERT_GE(n, 8);
        const int group = n / 2 - std::max(shortBy, 0);
        // Pieces 0..group-1 form the highest group; every other piece is alone below it.
        for (int j = 0; j < n; ++j) {
            JigAt(j).Layer = j < group ? n + 5 : j;
            JigAt(j).Win = j % 2 == 0 ? kSide0 : kSide1;
        }
        SortJigs(0);
        bool asked = false, quiet = false;
        AnswerNextBox(Key(shortBy < 0 ? "B_No" : "B_Yes"), &asked, &quiet);
        f.form->MenuGameGatherLostJigs();
        EXPECT_TRUE(asked);
        EXPECT_TRUE(quiet) << "no autosave while the question is up";
        EXPECT_FALSE(bAutoSaveDoProc);
        if (shortBy < 0) {
            EXPECT_EQ(JigAt(1).Win, kSide1);
            EXPECT_EQ(JigAt(0).Layer, n + 5);
            continue;
        }
        for (int j = 0; j < n; ++j)
            ASSERT_EQ(JigAt(j).Win, kSide0) << "every piece onto the first table";
        for (int j = 0; j < group; ++j)
            ASSERT_EQ(JigAt(j).Layer, shortBy == 0 ? 0 : n + 5) << "exactly half goes to the bottom, one fewer stays";
        if (shortBy == 0) {
            EXPECT_EQ(JigAt(group).Layer, group + 1) << "the others keep their order above it";
        }
        for (int p = kPocket0; p < kPocket0 + 4; ++p)
            EXPECT_FALSE(GetViewWin(p)->bVisible);
    }
}

TEST(MainForm, TileGivesOnePocketTheRightQuarterAtFullHeightAndCascadeMakesFourPocketsOverlap)
{
    FormFixture f;
    f.OpenWaterdrop();
    const int W = iMainViewW, H = iMainViewH;
    f.form->MenuPocketsPocket(2);
    ASSERT_TRUE(GetViewWin(kPocket0 + 2)->bVisible);
    f.form->MenuPocketsTile();
    const TMyRect t = GetViewWin(kPocket0 + 2)->mrWin;
    EXPECT_EQ(t.L, W - W / 4);
    EXPECT_EQ(t.T, 0);
    EXPECT_EQ(t.W, W / 4);
    EXPECT_EQ(t.H, H);

    for (int k : {0, 1, 3})
        f.form->MenuPocketsPocket(k);
    f.form->MenuPocketsCascade();
    for (int k = 0; k < 4; ++k) {
        const TMyRect r = GetViewWin(kPocket0 + k)->mrWin;
        EXPECT_EQ(r.H, H - 136) << "pocket " << k;
        EXPECT_EQ(r.W, W / 4) << "pocket " << k;
        EXPECT_EQ(r.T, 34 * k) << "pocket " << k;
    }
    const TMyRect last = GetViewWin(kPocket0 + 3)->mrWin;
    EXPECT_EQ(last.L + last.W, W) << "the last one ends at the right edge";
}

TEST(MainForm, TheSolvedPictureIsWrittenWholeAsPngOrJpegAndAFailedWriteLeavesNothing)
{
    FormFixture f;
    f.OpenWaterdrop();
    ASSERT_TRUE(miJigs);
    for (const char* name : {"done.png", "done.jpg", "DONE.JPEG"}) {
        const std::string path = f.home.Path() + "/" + name;
        std::string error;
        ASSERT_TRUE(MCMainForm::SaveSolvedImageTo(path, &error)) << error;
        const QImage back(QString::fromStdString(path));
        EXPECT_EQ(back.size(), QSize(miJigs->W, miJigs->H)) << name;
    }
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(f.home.Path()))
        files += e.path().extension() == ".png" || e.path().extension() == ".jpg" || e.path().extension() == ".JPEG";
    EXPECT_EQ(files, 3u);
    std::string error;
    EXPECT_FALSE(MCMainForm::SaveSolvedImageTo(f.home.Path() + "/no/such/folder/x.png", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(std::filesystem::exists(f.home.Path() + "/no"));

    // An idle game keeps its picture packed: the same picture is written.
    if (miJigs->HasPixels()) {
        TPicturePackJob job;
        ASSERT_TRUE(GamePicture_StartPack(&job));
        GamePicture_RunPack(job);
        ASSERT_TRUE(GamePicture_FinishPack(job));
    }
    ASSERT_TRUE(GamePicture_IsPacked());
    const std::string packed = f.home.Path() + "/packed/done.png";
    std::filesystem::create_directory(f.home.Path() + "/packed");
    ASSERT_TRUE(MCMainForm::SaveSolvedImageTo(packed, &error)) << error;
    EXPECT_EQ(QImage(QString::fromStdString(packed)), QImage(QString::fromStdString(f.home.Path() + "/done.png")));
    EXPECT_TRUE(GamePicture_IsPacked());
}

TEST(MainForm, SaveFinishedPictureAsksForANameAndAddsTheExtensionOfTheChosenType)
{
    FormFixture f;
    f.OpenWaterdrop();
    bGameSolved = true;
    f.form->UpdateCommandStates();
    ASSERT_TRUE(f.Enabled(kMenuFileSaveSolvedImage));
    const std::string base = f.home.Path() + "/finished";
    bool seen = false;
    WhenModal<QFileDialog>([&](QFileDialog* dlg) {
        seen = true;
        dlg->selectFile(QString::fromStdString(base));
        QMetaObject::invokeMethod(dlg, "accept");
    }, 30000);
    f.form->MainMenuItems[kMenuFileSaveSolvedImage]->trigger();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(FileExists(base + ".png"));
    EXPECT_FALSE(bAutoSaveDoProc);
}

TEST(MainForm, TheWeightCommandPutsDownLiftsPutsAwayOrPicksUpTheWeight)
{
    FormFixture f;
    f.OpenWaterdrop();
    struct Case {
        const char* what;
        bool dragging, carried;
        int weighted;  // iWeightJig before
        bool wantCarried;
        int wantWeighted;
    };
    const Case cases[] = {
        {"a piece is being dragged: the weight goes onto it", true, false, -1, false, 5},
        {"a group is weighted: the weight comes off", false, false, 3, false, -1},
        {"the weight is carried: it is put away", false, true, -1, false, -1},
        {"nothing: the weight is picked up", false, false, -1, true, -1},
    };
    for (const Case& c : cases) {
        DragJigP.State = c.dragging ? 1 : 0;
        iCurJig = c.dragging ? 5 : -1;
        WeightP.bVisible = c.carried;
        iWeightJig = c.weighted;
        f.form->MenuGameWeight();
        EXPECT_EQ(WeightP.bVisible, c.wantCarried) << c.what;
        EXPECT_EQ(iWeightJig, c.wantWeighted) << c.what;
        EXPECT_EQ(f.form->MainMenuItems[kMenuGameWeight]->isChecked(), c.wantWeighted != -1) << c.what;
    }
    DragJigP.State = kDragIdle;
    iCurJig = -1;
    WeightP.bVisible = false;
    iWeightJig = -1;
}

// ---- Dropped files -----------------------------------------------------------------------------

TEST(MainForm, DroppedFilesGoWhereFileOpenWouldSendThem)
{
    FormFixture f;
    SetNonInteractive(true);  // the picture's refusal goes to standard error
    f.form->OpenDroppedFile("/x/a.svm");
    f.form->OpenDroppedFile("/x/b.zjg");
    f.form->OpenDroppedFile("/x/c.png");
    SetNonInteractive(false);
    ASSERT_EQ(f.opened.size(), 2u);
    EXPECT_EQ(f.opened[0], std::make_pair(std::string("/x/a.svm"), true)) << "a saved game opens at once";
    EXPECT_EQ(f.opened[1], std::make_pair(std::string("/x/b.zjg"), false)) << "a jigsaw goes to the dialog";

    // A picture of the player's own becomes a jigsaw and goes to the dialog.
    const std::string picture = FileNames.sJigsPath + "../Meadow.png";
    QImage img(240, 180, QImage::Format_RGB32);
    img.fill(QColor(40, 160, 90));
    ASSERT_TRUE(img.save(QString::fromStdString(picture)));
    f.form->OpenDroppedFile(picture);
    ASSERT_EQ(f.opened.size(), 3u);
    EXPECT_EQ(f.opened[2].first, FileNames.sJigsPath + "Meadow.zjg");
    EXPECT_FALSE(f.opened[2].second);
    EXPECT_TRUE(IsJigFile(f.opened[2].first) && FileExists(f.opened[2].first));
    f.opened.pop_back();

    // A real drop reaches the same road once the drop is over.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/x/d.svm"))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.form.get(), &drop);
    ASSERT_TRUE(WaitUntil([&] { return f.opened.size() == 3; }, 10000));
    EXPECT_EQ(f.opened[2].first, "/x/d.svm");
}

// ---- Language ----------------------------------------------------------------------------------

namespace {
struct LanguageWatcher : QDialog {
    int changes = 0;
    void changeEvent(QEvent* e) override
    {
        if (e->type() == QEvent::LanguageChange)
            ++changes;
        QDialog::changeEvent(e);
    }
};
}  // namespace

TEST(MainForm, SwitchingTheLanguageRetitlesMenusToolTipsCaptionsAndOpenDialogsAtOnce)
{
    FormFixture f;
    f.OpenWaterdrop();
    const QString englishOpen = f.form->MainMenuItems[kMenuFileOpen]->text();
    const QString englishTip = f.form->MainToolbarButtons[kTbSave]->toolTip();
    const QString englishPocket = QString::fromStdString(GetViewWin(kPocket0)->sCaption);
    LanguageWatcher dialog;
    dialog.show();
    ASSERT_TRUE(SwitchLanguage("russian"));
    EXPECT_EQ(LangP.sCurLang, "russian");
    EXPECT_NE(f.form->MainMenuItems[kMenuFileOpen]->text(), englishOpen);
    EXPECT_EQ(f.form->MainMenuItems[kMenuFileOpen]->text(), Key("MM_FileOpen"));
    EXPECT_EQ(f.form->MainMenuItems[kMenuGame]->text(), Key("MM_Game"));
    EXPECT_NE(f.form->MainToolbarButtons[kTbSave]->toolTip(), englishTip);
    EXPECT_EQ(f.form->MainToolbarButtons[kTbSave]->toolTip(), Key("TB_Save"));
    EXPECT_EQ(GetViewWin(kThumbWin)->sCaption, LangGetKeyVal("MM_GameThumb"));
    EXPECT_NE(QString::fromStdString(GetViewWin(kPocket0)->sCaption), englishPocket);
    EXPECT_EQ(dialog.changes, 1);

    SetNonInteractive(true);  // the missing file's message goes to standard error
    EXPECT_FALSE(SwitchLanguage("nosuchlanguage"));
    SetNonInteractive(false);
    EXPECT_EQ(LangP.sCurLang, "russian") << "a missing language file keeps the one in use";
    EXPECT_EQ(f.form->MainMenuItems[kMenuFileOpen]->text(), Key("MM_FileOpen"));
    ASSERT_TRUE(SwitchLanguage("english"));
    EXPECT_EQ(f.form->MainMenuItems[kMenuFileOpen]->text(), englishOpen);
}

TEST(MainForm, TheTableChooserShowsEachChoiceAndCancelPutsTheOldOneBack)
{
    FormFixture f;
    f.OpenWaterdrop();
    const int32_t before = WinP.lBkgColors[0];
    int32_t seen = 0;
    auto choose = [&](bool keep) {
        WhenModal<MCColor>([&, keep](MCColor* dlg) {
            const TMyRect wood1 = MCColor::BkgPicRect(3);
            dlg->PaneMouseDown(kPaneBkgPic, wood1.L + 5, wood1.T + 5);
            seen = WinP.lBkgColors[0];
            (keep ? dlg->o_ButOk : dlg->o_ButCancel)->click();
        });
    };
    choose(false);
    f.form->MenuGameBkgAll();
    EXPECT_EQ(seen, 13);  // tried on the field at once
    EXPECT_EQ(WinP.lBkgColors[0], before);
    EXPECT_EQ(GetViewWin(0)->lBkgColor, before);
    AutoSaveP.bNeedSave = false;
    choose(true);
    f.form->MenuGameBkgAll();
    EXPECT_EQ(WinP.lBkgColorAll, 13);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(GetViewWin(i)->lBkgColor, 13) << i;
    EXPECT_TRUE(AutoSaveP.bNeedSave);
}

TEST(MainForm, TheThumbnailsCaptionComesFromTheLanguageInUse)
{
    FormFixture f;
    ASSERT_TRUE(ReadLangFile(LangMesFile("English")));
    EXPECT_EQ(GetViewWin(kThumbWin)->sCaption, "Preview");
    ASSERT_TRUE(ReadLangFile(LangMesFile("Russian")));
    EXPECT_EQ(GetViewWin(kThumbWin)->sCaption, "Образец");
    EXPECT_GT(GetViewWin(kThumbWin)->miCaption.W, 0);
}

TEST(MainForm, LeavingTheMaximisedStateBringsTheWholeWindowBackInsideTheWorkArea)
{
    FormFixture f;
    const QRect avail = f.form->screen()->availableGeometry();
    // As the game starts: the whole work area, then maximised.
    f.form->MainViewHost->setMinimumSize(200, 150);
    f.form->MainViewHost->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    f.form->setGeometry(avail);
    f.form->showMaximized();
    QTest::qWait(50);
    f.form->showNormal();
    QElapsedTimer t;
    t.start();
    while (f.form->frameGeometry().height() >= avail.height() && t.elapsed() < 3000)
        QTest::qWait(20);
    const QRect frame = f.form->frameGeometry();
    EXPECT_TRUE(avail.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    EXPECT_LT(frame.height(), avail.height());
    EXPECT_LT(frame.width(), avail.width());
}

// ---- Play aids -------------------------------------------------------------------------------

TEST(MainForm, UndoAndRedoTakeADragBackAndForthAndAreEnabledOnlyWhenTheyCan)
{
    FormFixture f;
    auto& aid = f.form->AidItems;
    ASSERT_NE(aid.editMenu, nullptr);
    EXPECT_EQ(aid.editMenu->title(), Key("MM_Edit"));
    EXPECT_EQ(aid.undo->shortcut().toString(QKeySequence::PortableText), "Ctrl+Z");
    ASSERT_EQ(aid.redo->shortcuts().size(), 2);
    EXPECT_EQ(aid.redo->shortcuts()[0].toString(QKeySequence::PortableText), "Ctrl+Shift+Z");
    EXPECT_EQ(aid.redo->shortcuts()[1].toString(QKeySequence::PortableText), "Ctrl+Y");
    f.form->UpdateCommandStates();
    EXPECT_FALSE(aid.undo->isEnabled());
    EXPECT_FALSE(aid.edgesToPocket->isEnabled());

    f.OpenWaterdrop();
    f.form->UpdateCommandStates();
    EXPECT_FALSE(aid.undo->isEnabled()) << "a game opens with no history";
    const TJig before = Jigs[3];
    SetCaptureWin(GetViewWin(Jigs[3].Win));
    iCurJig = 3;
    DragCurJig(0, 0, 0);
    MoveJigs(40, 25, -1, 0);
    f.form->UpdateCommandStates();
    EXPECT_FALSE(aid.undo->isEnabled()) << "not while the piece is carried";
    DropCurJig();
    ASSERT_TRUE(Undo_Commit());
    f.form->UpdateCommandStates();
    EXPECT_TRUE(aid.undo->isEnabled());
    EXPECT_FALSE(aid.redo->isEnabled());
    aid.undo->trigger();
    EXPECT_EQ(Jigs[3].X, before.X);
    EXPECT_EQ(Jigs[3].Y, before.Y);
    EXPECT_FALSE(AutoSaveP.bNeedSave) << "back at the table as opened";
    EXPECT_FALSE(aid.undo->isEnabled());
    EXPECT_TRUE(aid.redo->isEnabled());
    aid.redo->trigger();
    EXPECT_EQ(Jigs[3].X, before.X + 40);
    EXPECT_TRUE(AutoSaveP.bNeedSave);
}

TEST(MainForm, EdgePiecesGoToAShownPocketAndTheFilterTurnsOffWhenAllPiecesAreNeeded)
{
    FormFixture f;
    auto& aid = f.form->AidItems;
    f.OpenWaterdrop();
    aid.edgesToPocket->trigger();
    OMyWin* pocket = GetViewWin(kPocket0);
    EXPECT_TRUE(pocket->bVisible) << "the pocket is shown";
    EXPECT_GT(pocket->iJigsNum, 4);
    EXPECT_GE(pocket->mrWin.W, 400 / 4 - 1) << "opened empty, it took a proper size";
    int inPocket = 0;
    for (int i = 0; i < JigsInPlay(); ++i)
        inPocket += Jigs[size_t(i)].Win == kPocket0;
    EXPECT_EQ(inPocket, pocket->iJigsNum) << "every moved piece is loose";
    aid.undo->trigger();
    EXPECT_EQ(pocket->iJigsNum, 0) << "undo empties it again";

    f.form->UpdateCommandStates();
    EXPECT_FALSE(aid.showOnlyEdges->isChecked());
    aid.showOnlyEdges->trigger();
    EXPECT_TRUE(bShowOnlyEdges);
    f.form->UpdateCommandStates();
    EXPECT_TRUE(aid.showOnlyEdges->isChecked());
    f.form->MenuGameSelectAll();
    EXPECT_FALSE(bShowOnlyEdges) << "select all takes every piece: they show";
    EXPECT_FALSE(aid.showOnlyEdges->isChecked());
    DeselectJigs();
}

// ---- The options and background commands: what OK keeps and Cancel puts back -------------------

TEST(DialogCommands, TheCurrentTableKeepsItsColourOnOkAndGetsTheOldOneBackOnCancel)
{
    FormFixture fx;
    Settings_Default();
    fx.OpenWaterdrop();
    const int win = RetWinForBkgCur()->bIndex;
    const TWinParams before = WinP;
    for (const bool ok : {false, true}) {
        int32_t seen = 0;
        bool offered = true;
        WhenModal<MCColor>([&](MCColor* d) {
            offered = d->FShowBkgPicsSamples;
            const TMyRect r = MCColor::PalSwatchRect(9);
            d->PaneMouseDown(kPanePal, r.L + 3, r.T + 3);
            seen = GetViewWin(win)->lBkgColor;
            (ok ? d->o_ButOk : d->o_ButCancel)->click();
        });
        fx.form->MenuGameBkgCur();
        EXPECT_FALSE(offered) << "no pictures for one table";
        EXPECT_EQ(seen, lPalColors[9]) << "shown at once";
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(WinP.lBkgColors[i], ok && i == win ? lPalColors[9] : before.lBkgColors[i]) << ok << " " << i;
        EXPECT_EQ(GetViewWin(win)->lBkgColor, ok ? lPalColors[9] : before.lBkgColors[win]);
        EXPECT_EQ(WinP.lBkgColorAll, before.lBkgColorAll);
    }
}

TEST(DialogCommands, OptionsOkWritesTheSettingsAndRetitlesTheWindowCancelWritesNothing)
{
    FormFixture fx;
    Settings_Default();
    fx.OpenWaterdrop();
    const std::string englishOpen = LangGetKeyVal("MM_FileOpen");
    for (const bool ok : {false, true}) {
        WhenModal<MCOptions>([ok](MCOptions* d) {
            d->o_StuckKoefSlider->setValue(20);
            for (int row = 0; row < d->o_LangList->rowCount(); ++row)
                if (LangP.arLangDesc[size_t(row)].sName == "russian")
                    d->o_LangList->selectRow(row);
            (ok ? d->o_ButOk : d->o_ButCancel)->click();
        });
        fx.form->MenuAppOptions();
        EXPECT_EQ(FileExists(FileNames.sSettings), ok);
    }
    TSettingsDict stored;
    ASSERT_TRUE(Settings_ParsePlist(ReadFileBytes(FileNames.sSettings), &stored));
    EXPECT_EQ(stored["StuckKoef"], "20");
    EXPECT_EQ(stored["Lang_Name"], "russian");
    const std::string russianOpen = LangGetKeyVal("MM_FileOpen");
    EXPECT_NE(russianOpen, englishOpen);
    EXPECT_EQ(fx.form->MainMenuItems[kMenuFileOpen]->text().toStdString(), russianOpen);
    ASSERT_TRUE(SwitchLanguage("english"));
}
