// The main window: the save question on closing, and the commands' enabling.
#include "field/field.h"
#include "files/files.h"
#include "model/game_state.h"
#include "shell/main_form.h"
#include "shell/shell.h"
#include "support/gui_wait.h"
#include "support/test_support.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QListWidget>
#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

void ClickTitledLater(const QString& title, bool* asked)
{
    WhenModalShows([=](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box)
            return;
        *asked = true;
        for (QAbstractButton* b : box->buttons())
            if (b->text() == title)
                return b->click();
        box->close();
    });
}

// A main window with no game (an empty folder of jigsaws: nothing opens).
struct FormFixture {
    TempDir home;
    std::unique_ptr<MCMainForm> form;
    FormFixture()
    {
        setenv("XDG_DATA_HOME", home.Path().c_str(), 1);
        setenv("ZIVRA_RESOURCE_DIR", SourcePath("resources").c_str(), 1);
        std::string error;
        EXPECT_TRUE(FileNames_Create(&error)) << error;
        FileNames.sDistJigsPath = home.Path() + "/none/";
        TStartOptions opts;
        opts.iViewW = 500;
        opts.iViewH = 400;
        form = std::make_unique<MCMainForm>(FileNames.sResourcePath, opts);
        form->MainView->setFixedSize(500, 400);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        QElapsedTimer t;
        t.start();
        while (!FieldP.bInitDone && t.elapsed() < 5000)
            QTest::qWait(10);
    }
};

}  // namespace

TEST(MainForm, GameCommandsWaitForAGameAndClosingWithUnsavedChangesAsks)
{
    FormFixture f;
    f.form->UpdateCommandStates();
    EXPECT_TRUE(f.form->MainMenuItems[8]->isEnabled());         // Open
    EXPECT_FALSE(f.form->MainMenuItems[14]->isEnabled());       // Save
    EXPECT_FALSE(f.form->MainMenuItems[19]->isEnabled());       // First Side
    EXPECT_FALSE(f.form->MainMenuItems[26]->isEnabled());       // Arrange
    EXPECT_FALSE(f.form->MainToolbarButtons[15]->isEnabled());  // the glass

    AutoSaveP.bNeedSave = true;
    bool asked = false;
    ClickTitledLater(QString::fromStdString(LangGetKeyVal("B_Cancel")), &asked);
    f.form->close();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(f.form->isVisible()) << "cancel keeps the window";
    asked = false;
    ClickTitledLater(QString::fromStdString(LangGetKeyVal("B_No")), &asked);
    f.form->close();
    EXPECT_TRUE(asked);
    EXPECT_FALSE(f.form->isVisible());
}

TEST(MainForm, TheTableChooserShowsEachChoiceAndCancelPutsTheOldOneBack)
{
    FormFixture f;
    ASSERT_TRUE(f.form->OpenGame(SourcePath("resources/jigs_bemo/Waterdrop.zjg")));
    ASSERT_TRUE(IsGameOpen());
    const int32_t before = WinP.lBkgColors[0];
    int32_t seen = 0;
    auto choose = [&](bool keep) {
        WhenModalShows([&, keep](QWidget* modal) {
            auto* dlg = qobject_cast<QDialog*>(modal);
            ASSERT_NE(dlg, nullptr);
            auto* list = dlg->findChild<QListWidget*>();
            ASSERT_NE(list, nullptr);
            list->setCurrentRow(3);  // wood1
            seen = WinP.lBkgColors[0];
            keep ? dlg->accept() : dlg->reject();
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
    AutoSaveP.bNeedSave = false;  // nothing to ask when the window closes
}
