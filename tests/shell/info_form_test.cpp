// The game information: how far a game has come, counted from the groups
// along the draw order, and the dialog showing it.
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

// A fresh game, one join and a solved one are counted in the status line's
// test, against these counts.
TEST(GameInfo, TwoGroupsOfFiftyAreOnePieceShortOfSolved)
{
    HundredLoosePieces();
    for (int i = 0; i < 100; ++i)
        JigAt(i).Layer = i < 50 ? 1 : 2;
    const TInfoCounts n = InfoCountPieces();
    EXPECT_EQ(n.iPieces, 100);
    EXPECT_EQ(n.iUnsolved, 1);
    EXPECT_EQ(n.iPercent, 99);
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
