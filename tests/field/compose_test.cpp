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

TEST(FieldFrame, AnErrorShowsOnTheOverlayOnlyWhileItIsOn)
{
    FieldHarness h;
    h.Open({});
    reportError("glError: 1282");
    EXPECT_NE(GLErrorsP.sLastError.find("Error: glError: 1282 (at time: "), std::string::npos);
    QImage img = h.Frame();
    EXPECT_EQ(Rgb(img, 14, 14), 0x989898u);  // overlay off: the table
    h.Key(Qt::Key_I);
    img = h.Frame();
    const uint32_t c = Rgb(img, 14, 14);  // the error box: the table tinted red
    EXPECT_GT((c >> 16) & 0xFF, (c >> 8) & 0xFF);
    // The information line sits at the bottom left.
    EXPECT_NE(Rgb(img, 14, img.height() - 14), 0x989898u);
    GLErrorsP.gErrorTime -= gMsgPresistance + 1;  // ten seconds later
    RedrawP = 3;
    img = h.Frame();
    EXPECT_EQ(Rgb(img, 14, 14), 0x989898u);
}
