// Edge pieces: which pieces count as border, putting the loose ones into a
// pocket, and the filter that hides the others from the pointer.
#include "model/edge_pieces.h"
#include "model/memory_field.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "real_cut.h"
#include "support/grid_jigsaw.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// The grid pieces come row by row (index = row x columns + column): those
// of the first and last row and column lie on the border. Inserts of the
// Figure style follow them and lie inside.
std::set<int> BorderByGrid()
{
    std::set<int> border;
    for (int i = 0; i < JigP.TileNum; ++i) {
        const int c = i % JigP.TilePX, r = i / JigP.TilePX;
        if (c == 0 || r == 0 || c + 1 == JigP.TilePX || r + 1 == JigP.TilePY)
            border.insert(i);
    }
    return border;
}

struct TStyleCase {
    int style;
    bool frame;
};

class EdgePiecesOfACut : public testing::TestWithParam<TStyleCase> {
protected:
    void SetUp() override
    {
        SetHeadlessViewSize(1280, 900);
        SetFieldHost(&field);
        field.SetCaptureWin(0);
    }
    void TearDown() override { SetFieldHost(nullptr); }
    OMemoryField field;
};

TEST_P(EdgePiecesOfACut, ExactlyTheLooseBorderPiecesGoToTheFirstEmptyPocket)
{
    const TStyleCase c = GetParam();
    ASSERT_NO_FATAL_FAILURE(CutRealPicture(c.style, c.frame, false));
    const std::set<int> border = BorderByGrid();
    ASSERT_EQ(int(border.size()), 2 * (JigP.TilePX + JigP.TilePY) - 4);
    for (int i = 0; i < JigsInPlay(); ++i)
        EXPECT_EQ(IsBorderJig(i), border.count(i) == 1 || i == FrameJig()) << "piece " << i;

    // Pieces 0 and 1 joined, one border piece already in pocket 1, one on side 1.
    Jigs[1].Layer = Jigs[0].Layer;
    const int inPocket = JigP.TilePX - 1, onSide1 = JigP.TilePX * (JigP.TilePY - 1);
    Jigs[size_t(inPocket)].Win = kPocket0;
    Jigs[size_t(onSide1)].Win = kSide1;
    SortJigs(kSortAscending);
    const std::vector<TJig> before(Jigs.begin(), Jigs.end());

    const TEdgesToPocketResult r = EdgePiecesToPocket();
    ASSERT_EQ(r.status, TEdgesToPocket::Moved);
    EXPECT_EQ(r.iPocket, kPocket0 + 1) << "the first empty pocket";
    const int expected = int(border.size()) - 3;  // less the joined pair and the one in a pocket
    EXPECT_EQ(r.iMoved, expected);
    EXPECT_EQ(field.arJigsNum[size_t(r.iPocket)], expected) << "the pocket is recounted";
    for (int i = 0; i < JigsInPlay(); ++i) {
        const bool moves = border.count(i) && i > 1 && i != inPocket;
        EXPECT_EQ(Jigs[size_t(i)].Win, moves ? r.iPocket : before[size_t(i)].Win) << "piece " << i;
        EXPECT_EQ(Jigs[size_t(i)].Layer, before[size_t(i)].Layer);
        if (!moves) {
            EXPECT_EQ(Jigs[size_t(i)].X, before[size_t(i)].X) << "piece " << i << " stays";
        }
    }
    // Nothing more to put aside; a second call takes no other pocket.
    EXPECT_EQ(EdgePiecesToPocket().status, TEdgesToPocket::NoEdgePieces);
}

INSTANTIATE_TEST_SUITE_P(Styles, EdgePiecesOfACut,
                         testing::Values(TStyleCase{0, false}, TStyleCase{0, true}, TStyleCase{1, false},
                                         TStyleCase{1, true}, TStyleCase{2, false}, TStyleCase{2, true},
                                         TStyleCase{3, false}, TStyleCase{3, true}, TStyleCase{4, false},
                                         TStyleCase{4, true}, TStyleCase{5, false}, TStyleCase{5, true},
                                         TStyleCase{6, false}, TStyleCase{6, true}),
                         [](const testing::TestParamInfo<TStyleCase>& param) {
                             return "Style" + std::to_string(param.param.style) +
                                    (param.param.frame ? "Frame" : "NoFrame");
                         });

class EdgePieces : public testing::Test {
protected:
    void SetUp() override
    {
        BuildGridJigsaw({.cols = 5, .rows = 4, .frame = true});
        SetFieldHost(&field);
        field.SetCaptureWin(0);
    }
    void TearDown() override { SetFieldHost(nullptr); }
    OMemoryField field;
};

TEST_F(EdgePieces, PiecesThatMustStayAreNotPutAside)
{
    const int frame = FrameJig();
    Jigs[0].X += 300;  // a loose border piece carried by the pointer
    iCurJig = 0;
    DragCurJig(Jigs[0].X + 20, Jigs[0].Y + 20, 0);
    iWeightJig = 4;  // another under the weight
    MoveWeightJigToBottom();
    Jigs[9].Sel = 1;  // and one selected
    DragJigP.bSelected = true;
    const TEdgesToPocketResult r = EdgePiecesToPocket();
    ASSERT_EQ(r.status, TEdgesToPocket::Moved);
    EXPECT_EQ(r.iMoved, 14 - 3);
    for (int i : {0, 4, 9, frame})
        EXPECT_EQ(Jigs[size_t(i)].Win, kSide0) << "piece " << i;
}

TEST_F(EdgePieces, EveryPocketInUseLeavesTheTableAsItIs)
{
    for (int k = 0; k < 4; ++k)
        Jigs[size_t(6 + k % 2 + 5 * (k / 2))].Win = uint8_t(kPocket0 + k);  // inner pieces
    const std::vector<TJig> before(Jigs.begin(), Jigs.end());
    EXPECT_EQ(EdgePiecesToPocket().status, TEdgesToPocket::NoEmptyPocket);
    for (size_t i = 0; i < Jigs.size(); ++i)
        EXPECT_EQ(Jigs[i].Win, before[i].Win);
    EXPECT_TRUE(field.arPocketCounts.empty());
}

// Inner pieces 6, 7, 8, 11, 12, 13 of the 5 x 4 grid.
TEST_F(EdgePieces, TheFilterHidesLooseInnerPiecesOnTheSidesFromThePointer)
{
    Jigs[13].Layer = Jigs[12].Layer;  // 12 and 13 joined: shown
    Jigs[8].Win = kPocket0;           // 8 in a pocket: shown
    SortJigs(kSortAscending);
    auto under = [](int i, int win) {
        const TPoint p = OpaquePoint(i);
        (void)win;
        return GetCurJig(p.x, p.y);
    };
    const int pick7 = under(7, 0), pick0 = under(0, 0);
    ASSERT_EQ(pick7, 7);
    bShowOnlyEdges = true;
    EXPECT_TRUE(IsJigHiddenByEdgeFilter(7));
    EXPECT_EQ(under(7, 0), -1) << "a hidden piece is not there for the pointer";
    EXPECT_EQ(under(0, 0), pick0) << "a border piece is";
    EXPECT_EQ(under(12, 0), 12) << "a joined inner piece is";
    EXPECT_FALSE(IsJigHiddenByEdgeFilter(12));
    EXPECT_FALSE(IsJigHiddenByEdgeFilter(8));
    EXPECT_FALSE(IsJigHiddenByEdgeFilter(FrameJig()));
    field.SetCaptureWin(kPocket0);
    EXPECT_EQ(under(8, kPocket0), 8) << "pockets show everything";
    field.SetCaptureWin(0);
    // A selection frame around the whole table takes no hidden piece.
    DragJigP.SelRect = vMyRectInitWH(0, 0, 3000, 3000);
    SelectJigs(0);
    EXPECT_EQ(Jigs[7].Sel, 0);
    EXPECT_EQ(Jigs[6].Sel, 0);
    EXPECT_EQ(Jigs[0].Sel, 1);
    EXPECT_EQ(Jigs[12].Sel, 1);
    DeselectJigs();
    // Off again: everything as before.
    bShowOnlyEdges = false;
    EXPECT_EQ(under(7, 0), 7);
    EXPECT_FALSE(IsJigHiddenByEdgeFilter(7));
}

TEST_F(EdgePieces, HiddenPiecesStillJoin)
{
    Jigs[7].X += 200;
    SortJigs(kSortAscending);
    bShowOnlyEdges = true;
    // Hidden piece 7 lies apart; its neighbour 2 is dropped beside it.
    const TJig& j7 = Jigs[7];
    Jigs[2].X = j7.X + Jigs[2].HomeX - j7.HomeX + 1;
    Jigs[2].Y = j7.Y + Jigs[2].HomeY - j7.HomeY + 1;
    iCurJig = 2;
    DragJigP.State = kDragPieces;
    DropCurJig();
    EXPECT_EQ(Jigs[2].Layer, Jigs[7].Layer);
    EXPECT_FALSE(IsJigHiddenByEdgeFilter(7)) << "joined to the border, it shows";
}

}  // namespace
