// The main window: the save question on closing, and the commands' enabling.
#include "files/files.h"
#include "model/game_state.h"
#include "shell/main_form.h"
#include "shell/shell.h"
#include "support/test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

void ClickTitledLater(const QString& title, bool* asked)
{
    QTimer::singleShot(100, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
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

TEST(MainForm, ClosingWithUnsavedChangesAsksAndCancelKeepsTheWindow)
{
    FormFixture f;
    AutoSaveP.bNeedSave = true;
    bool asked = false;
    ClickTitledLater(QString::fromStdString(LangGetKeyVal("B_Cancel")), &asked);
    f.form->close();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(f.form->isVisible());
    asked = false;
    ClickTitledLater(QString::fromStdString(LangGetKeyVal("B_No")), &asked);
    f.form->close();
    EXPECT_TRUE(asked);
    EXPECT_FALSE(f.form->isVisible());
}

TEST(MainForm, GameCommandsWaitForAGame)
{
    FormFixture f;
    f.form->UpdateCommandStates();
    EXPECT_TRUE(f.form->MainMenuItems[8]->isEnabled());    // Open
    EXPECT_FALSE(f.form->MainMenuItems[14]->isEnabled());  // Save
    EXPECT_FALSE(f.form->MainMenuItems[19]->isEnabled());  // First Side
    EXPECT_FALSE(f.form->MainMenuItems[26]->isEnabled());  // Arrange
    EXPECT_FALSE(f.form->MainToolbarButtons[15]->isEnabled());  // the glass
}
