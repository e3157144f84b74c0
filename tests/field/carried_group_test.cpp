// A carried group drawn from its own texture looks as it does drawn piece by
// piece: at 1:1 and under the glass, with shadows on and off, selected,
// joined to the frame, turned while carried; and the texture lives only
// while something is carried.
#include "field_fixture.h"

#include "field/compose.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

// The largest difference of any channel between two frames, and how many
// pixels differ at all.
int MaxDifference(const QImage& a, const QImage& b, int* count)
{
    int worst = 0;
    *count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q))});
            worst = std::max(worst, d);
            *count += d != 0;
        }
    return worst;
}

struct TBothWays {
    QImage cached, pieceByPiece;
    bool wasCached = false;
};

// A drag frame as the game draws it (from the group's texture when it can).
QImage DragFrame(FieldHarness& h)
{
    ScrBufFromStillLater(kComposeDragged);
    return h.Frame();
}

// Carries on to `to` with a drag frame on the way, so that the frame there
// starts from what the one before left, then draws that frame again piece by
// piece.
TBothWays CarryBothWays(FieldHarness& h, QPoint to)
{
    TBothWays r;
    bCarriedGroupCache = true;
    DragFrame(h);
    h.Move(to);
    r.cached = DragFrame(h);
    r.wasCached = CarriedGroupCached();
    bCarriedGroupCache = false;
    r.pieceByPiece = DragFrame(h);
    bCarriedGroupCache = true;
    return r;
}

struct TCarriedCase {
    const char* name;
    bool shadows;
    bool frame;       // the frame piece joined to the group
    bool selected;    // another piece selected: carried along, inverted
    int glassZoom;    // 0: no glass; else the glass over the group at 2x or 3x
    bool tooLarge;    // a box over the limit: drawn piece by piece
};

}  // namespace

TEST(CarriedGroup, LooksAsDrawnPieceByPieceWhereverItIsCarriedAndIsGivenBackOnTheDrop)
{
    const TCarriedCase cases[] = {
        {"shadows", true, false, false, 0, false},
        {"no shadows", false, false, false, 0, false},
        {"with the frame", true, true, false, 0, false},
        {"a selected piece along", true, false, true, 0, false},
        {"glass 2x", true, false, false, 2, false},
        {"glass 3x, no shadows", false, false, false, 3, false},
        {"too large", true, false, false, 0, true},
    };
    for (const TCarriedCase& c : cases) {
        SCOPED_TRACE(c.name);
        OptP.Visual_Shadows = c.shadows;
        FieldHarness h;
        TGridSpec spec;
        spec.cols = 4;
        spec.rows = 3;
        spec.frame = c.frame;
        h.Open(spec);
        // Pieces 0, 1, 4 and 5 joined (they lie as in the picture).
        for (int j : {1, 4, 5})
            Jigs[size_t(j)].Layer = Jigs[0].Layer;
        if (c.frame)
            Jigs[size_t(JigP.TotalTileNum - 1)].Layer = Jigs[0].Layer;
        if (c.selected) {
            Jigs[7].Sel = true;
            DragJigP.bSelected = true;
        }
        SortJigs(0);
        if (c.tooLarge)
            iCarriedGroupMaxPixels = 100;
        if (c.glassZoom) {
            OMyWin* g = GlassP.win.get();
            g->setVisible(true);
            g->changeLT(MakeTPoint(40, 10));  // the lens over the group
            g->move();
            GlassP.updateAxes();
            GlassP.setZoom(c.glassZoom);
        }
        RedrawP = kRedrawFull;
        h.Frame();
        const QPoint from = FieldHarness::PieceCentre(0);
        h.Press(from);
        // Odd steps both ways: the lifted silhouette lies at fractions of a pixel.
        h.Move(from + QPoint(17, 9));
        ASSERT_EQ(DragJigP.State, kDragPieces);
        int count = 0;
        TBothWays f = CarryBothWays(h, from + QPoint(37, 23));
        EXPECT_EQ(f.wasCached, !c.tooLarge);
        EXPECT_LE(MaxDifference(f.cached, f.pieceByPiece, &count), 1) << count << " pixels differ";
        // Moved on, the same texture at the new place, nothing left at the old one.
        f = CarryBothWays(h, from + QPoint(-13, 61));
        EXPECT_LE(MaxDifference(f.cached, f.pieceByPiece, &count), 1) << count << " pixels differ";
        // Turned while carried (a group with the frame never turns): drawn anew.
        if (!c.frame) {
            DragFrame(h);
            RotateCurJig(from.x() - 13, from.y() + 61, 1);
            ASSERT_EQ(Jigs[0].Rot, 1);
            f = CarryBothWays(h, from + QPoint(-12, 60));
            EXPECT_EQ(f.wasCached, !c.tooLarge);
            EXPECT_LE(MaxDifference(f.cached, f.pieceByPiece, &count), 1) << count << " pixels differ";
        }
        // Partly outside the table's client: clipped alike; and back in.
        for (const QPoint to : {QPoint(4, 4), from + QPoint(40, 40)}) {
            f = CarryBothWays(h, to);
            EXPECT_LE(MaxDifference(f.cached, f.pieceByPiece, &count), 1) << count << " pixels differ";
        }
        h.Release(from + QPoint(40, 40));
        RedrawP = kRedrawFull;
        h.Frame();
        EXPECT_FALSE(CarriedGroupCached());
        if (c.glassZoom)
            GlassP.win->setVisible(false);
        iCarriedGroupMaxPixels = 0;
    }
    OptP.Visual_Shadows = true;
}
