// The game information counts how far a game has come from the groups along
// the draw order: nothing joined, one pair joined, and all joined and solved.
#include "files/files.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "shell/info_form.h"
#include "support/test_support.h"

#include <QLabel>

#include <gtest/gtest.h>

namespace {

void HundredLoosePieces()
{
    CreateJigsBuf(100);
    JigP.TotalTileNum = 100;
    for (int i = 0; i < 100; ++i)
        JigAt(i).Layer = i + 1;
}

TEST(GameInfo, CountsFollowTheGroups)
{
    struct Case {
        const char* what;
        void (*arrange)();
        int unsolved, percent;
    } cases[] = {
        {"fresh game", [] {}, 100, 0},
        {"one pair joined", [] { Jigs[7].Layer = Jigs[8].Layer; }, 98, 2},
        {"all joined and solved",
         [] {
             for (TJig& j : Jigs)
                 j.Layer = 5;
             bGameSolved = true;
         },
         0, 100},
        {"two groups of fifty, not solved",
         [] {
             for (int i = 0; i < 100; ++i)
                 JigAt(i).Layer = i < 50 ? 1 : 2;
         },
         1, 99},
    };
    for (const Case& c : cases) {
        ResetAllState();
        HundredLoosePieces();
        c.arrange();
        const TInfoCounts n = InfoCountPieces();
        EXPECT_EQ(n.iPieces, 100) << c.what;
        EXPECT_EQ(n.iUnsolved, c.unsolved) << c.what;
        EXPECT_EQ(n.iPercent, c.percent) << c.what;
    }
}

TEST(GameInfo, TheDialogShowsTheCountsAndTheSavedGamesName)
{
    ASSERT_TRUE(ReadLangFile(SourcePath("resources/language/english.lng")));
    HundredLoosePieces();
    Jigs[3].Layer = Jigs[4].Layer;
    FileNames.sJigName = "Harbour";
    FileNames.sSolve = "/tmp/evening game.svm";
    MCInfo form;
    form.FillInfo();
    EXPECT_TRUE(form.o_UnsolvedNum->text().contains(QStringLiteral("98")));
    EXPECT_TRUE(form.o_SolvedPercent->text().contains(QStringLiteral("2%")));
    EXPECT_EQ(form.o_Jig0->text(), QStringLiteral("evening game"));
    EXPECT_EQ(form.o_Jig1->text(), QStringLiteral("(Harbour)"));
    FileNames.sSolve.clear();
    form.FillInfo();
    EXPECT_EQ(form.o_Jig0->text(), QStringLiteral("Harbour"));
    EXPECT_TRUE(form.o_Jig1->text().isEmpty());
}

}  // namespace
