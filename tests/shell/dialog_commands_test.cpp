// The options and background commands of the main window: what OK keeps and
// what Cancel puts back.
#include "field/backgrounds.h"
#include "field/field.h"
#include "field/field_win.h"
#include "files/files.h"
#include "model/game_state.h"
#include "shell/color_dialog.h"
#include "shell/main_form.h"
#include "shell/options_dialog.h"
#include "support/test_support.h"
#include "dialog_wait.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace {

struct CommandsFixture {
    TempDir home;
    std::unique_ptr<MCMainForm> form;
    CommandsFixture()
    {
        setenv("XDG_DATA_HOME", home.Path().c_str(), 1);
        setenv("ZIVRA_RESOURCE_DIR", SourcePath("resources").c_str(), 1);
        std::string error;
        EXPECT_TRUE(FileNames_Create(&error)) << error;
        FileNames.sDistJigsPath = home.Path() + "/none/";
        LangP_Init();
        Settings_Default();
        TStartOptions opts;
        opts.iViewW = 500;
        opts.iViewH = 400;
        form = std::make_unique<MCMainForm>(FileNames.sResourcePath, opts);
        form->MainView->setFixedSize(500, 400);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        EXPECT_TRUE(WaitUntil([] { return FieldP.bInitDone; }));
        EXPECT_TRUE(form->OpenGame(SourcePath("resources/jigs_bemo/Waterdrop.zjg")));
    }
    ~CommandsFixture() { AutoSaveP.bNeedSave = false; }  // nothing to ask when the window goes
};

}  // namespace

TEST(DialogCommands, TheCurrentTableKeepsItsColourOnOkAndGetsTheOldOneBackOnCancel)
{
    CommandsFixture fx;
    ASSERT_TRUE(IsGameOpen());
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
    CommandsFixture fx;
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
