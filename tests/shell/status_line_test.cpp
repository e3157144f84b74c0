// The status line under the table: it counts as the info dialog does, its play
// time runs only while the window is active, and the time is kept beside the
// saved game, whose bytes do not change for it.
#include "files/files.h"
#include "files/synthetic_game.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "shell/info_form.h"
#include "shell/status_line.h"
#include "support/test_support.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void LoosePieces(int n)
{
    CreateJigsBuf(n + 1);
    JigP.TotalTileNum = n;
    for (int i = 0; i < n; ++i)
        Jigs[size_t(i)].Layer = i + 1;
    FileNames.bOpen = true;
}

}  // namespace

TEST(StatusLine, CountsAsTheInfoDialogForAFreshGameAfterOneJoinAndWhenSolved)
{
    struct Case {
        const char* what;
        void (*arrange)();
        int joined, percent, groups;
        const char* text;  // the start of the line
    } cases[] = {
        {"fresh game", [] {}, 0, 0, 100, "Pieces in place: 0 / 100 (0%)     Groups: 100     Time: 0:00:00"},
        {"one join", [] { Jigs[7].Layer = Jigs[8].Layer; }, 2, 2, 99, "Pieces in place: 2 / 100 (2%)     Groups: 99"},
        {"solved",
         [] {
             for (TJig& j : Jigs)
                 j.Layer = 5;
             bGameSolved = true;
         },
         100, 100, 1, "Solved!     Pieces in place: 100 / 100 (100%)     Time: 0:00:00"},
    };
    for (const Case& c : cases) {
        ResetAllState();
        ASSERT_TRUE(ReadLangFile(SourcePath("resources/language/english.lng")));
        LoosePieces(100);
        c.arrange();
        const TStatusCounts s = StatusCountPieces();
        const TInfoCounts info = InfoCountPieces();
        EXPECT_EQ(s.iJoined, c.joined) << c.what;
        EXPECT_EQ(s.iJoined, info.iPieces - info.iUnsolved) << c.what;
        EXPECT_EQ(s.iPercent, info.iPercent) << c.what;
        EXPECT_EQ(s.iPercent, c.percent) << c.what;
        EXPECT_EQ(s.iGroups, c.groups) << c.what;
        QMainWindow window;
        MCStatusLine line(&window);
        line.Refresh();
        EXPECT_EQ(line.label()->text().toStdString().rfind(c.text, 0), 0u)
            << c.what << ": " << line.label()->text().toStdString();
    }
    // No game: an empty line.
    FileNames.bOpen = false;
    EXPECT_EQ(StatusLineText(StatusCountPieces(), 5), "");
    EXPECT_EQ(PlayTimeText(3 * 3600 + 4 * 60 + 5), "3:04:05");
}

TEST(StatusLine, PlayTimeRunsOnlyWhileTheWindowIsActiveAndNotAfterTheSolve)
{
    // The clock itself: gaps count, idle ticks do not, a long sleep counts little.
    PlayClock_Tick(10, true);
    PlayClock_Tick(11, true);
    PlayClock_Tick(12, false);
    PlayClock_Tick(13.5, true);
    EXPECT_DOUBLE_EQ(PlayClockP.dSeconds, 2.5);
    PlayClock_Tick(1000, true);
    EXPECT_DOUBLE_EQ(PlayClockP.dSeconds, 2.5 + kPlayClockMaxGap);

    // The line on a real window: active, then another window active.
    PlayClock_Reset();
    LoosePieces(10);
    QMainWindow window;
    MCStatusLine line(&window);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto tickAfter = [&](double seconds) {
        PlayClockP.dLastTick = GetNow() - seconds;  // as if the last tick were that long ago
        line.Tick();
    };
    tickAfter(3);
    EXPECT_NEAR(PlayClockP.dSeconds, 3, 0.5);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    ASSERT_FALSE(window.isActiveWindow());
    tickAfter(3);
    EXPECT_NEAR(PlayClockP.dSeconds, 3, 0.5) << "no time while another window is active";
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    bGameSolved = true;
    tickAfter(3);
    EXPECT_NEAR(PlayClockP.dSeconds, 3, 0.5) << "the clock stops when the picture is finished";
}

TEST(StatusLine, PlayTimeIsKeptBesideTheSavedGameWhoseBytesStayTheSame)
{
    TempDir dir;
    std::string error;
    ASSERT_TRUE(FileNames_Create(&error)) << error;
    MakeSyntheticGame(61, 43, 25, 1234);
    const std::string plain = dir.File("plain.svm"), kept = dir.File("kept.svm");
    ASSERT_TRUE(SaveSolveFile(plain, false));
    PlayClock_InstallHooks();
    PlayClockP.dSeconds = 754.6;
    ASSERT_TRUE(SaveSolveFile(kept, false));
    EXPECT_EQ(ReadFileBytes(plain), ReadFileBytes(kept)) << "the saved game does not hold the time";
    EXPECT_EQ(PlayTime_Load(kept, 1234), 754);
    EXPECT_EQ(PlayTime_Load(plain, 1234), 0);
    // Opening the saved game takes its time back; another game starts at 0.
    FileNames.bOpen = true;
    FileNames.sSolve = kept;
    PlayClock_GameOpened();
    EXPECT_DOUBLE_EQ(PlayClockP.dSeconds, 754);
    JigP.GameSeed = 99;
    PlayClock_GameOpened();
    EXPECT_DOUBLE_EQ(PlayClockP.dSeconds, 0);
}
