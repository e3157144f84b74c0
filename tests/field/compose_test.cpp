// What the field draws: pieces where they lie, clipped to their window,
// selected pieces inverted, the selection frame, and no frame without a request.
#include "field_fixture.h"

#include "model/puzzle.h"

#include <gtest/gtest.h>

TEST(FieldFrame, PiecesAppearWhereTheyLie)
{
    FieldHarness h;
    h.Open({});
    const QImage img = h.Frame();
    for (int j = 0; j < JigP.TotalTileNum; ++j) {
        const QPoint c = FieldHarness::PieceCentre(j);
        EXPECT_EQ(Rgb(img, c.x(), c.y()), PieceColour(j)) << "piece " << j;
    }
    EXPECT_EQ(Rgb(img, 5, 5), 0x989898u);  // the table's grey
}

TEST(FieldFrame, DISABLED_Dump)
{
    FieldHarness h;
    TGridSpec s;
    s.rotate = true;
    s.frame = true;
    h.Open(s);
    PocketSetVisible(2, true);
    GetViewWin(6)->setVisible(true);
    GetViewWin(6)->moveToFront();
    h.Frame().save("/tmp/dump.png");
}
