// The undo history: random play on real cuts taken back and made again step
// by step, joins separated again, the solved and unsaved marks, the limits.
#include "model/edge_pieces.h"
#include "model/memory_field.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "model/undo.h"
#include "real_cut.h"
#include "support/grid_jigsaw.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

namespace {

using Kind = RecordingPlatform::Kind;

// Everything a step must bring back: every piece's place and drawn size, the
// draw order, the pockets' counts, the weight and the solved mark.
struct TTableSnap {
    std::vector<std::tuple<int, int, int, int, int, int, int, int>> pieces;
    std::vector<TSortedJig> order;
    std::array<int32_t, kFieldWinCount> pockets{};
    int weight = -1;
    bool solved = false;
    bool operator==(const TTableSnap&) const = default;
};

TTableSnap Snap(const OMemoryField& field)
{
    TTableSnap s;
    for (int i = 0; i < JigsInPlay(); ++i) {
        const TJig& j = Jigs[size_t(i)];
        s.pieces.emplace_back(j.X, j.Y, j.Layer, j.Win, j.Rot, j.DrawW, j.DrawH, j.SrcX);
    }
    s.order = SortedJigs;
    s.pockets = field.arJigsNum;
    s.weight = iWeightJig;
    s.solved = bGameSolved;
    return s;
}

// Where the first difference lies, for the failure message.
std::string FirstDifference(const TTableSnap& a, const TTableSnap& b)
{
    for (size_t i = 0; i < std::min(a.pieces.size(), b.pieces.size()); ++i)
        if (a.pieces[i] != b.pieces[i])
            return "piece " + std::to_string(i);
    if (a.order != b.order)
        return "draw order";
    if (a.pockets != b.pockets)
        return "pocket counts";
    if (a.weight != b.weight)
        return "weight";
    return a.solved != b.solved ? "solved mark" : "nothing";
}

class UndoHistory : public testing::Test {
public:
    void SetUp() override
    {
        SetHeadlessViewSize(1280, 900);
        SetFieldHost(&field);
        field.SetCaptureWin(0);
    }
    void TearDown() override { SetFieldHost(nullptr); }

    // The table as a step must leave it, the pockets counted afresh.
    TTableSnap Expected()
    {
        SortJigs(kSortAscending);
        for (int p = kPocket0; p < kThumbWin; ++p)
            field.PocketCountJigs(p);
        return Snap(field);
    }

    // Press on piece i, move by (dx, dy) (into window `target` when >= 0), release.
    void Drag(int i, int dx, int dy, int target = -1)
    {
        if (DragJigP.bSelected)
            DeselectJigs();
        field.SetCaptureWin(Jigs[size_t(i)].Win);
        const TJig& j = Jigs[size_t(i)];
        const int x = j.X + j.DrawW / 2, y = j.Y + j.DrawH / 2;
        iCurJig = i;
        DragCurJig(x, y, 0);
        MoveJigs(x + dx / 2, y + dy / 2, -1, 0);
        MoveJigs(x + dx, y + dy, target, 0);
        DropCurJig();
        FindLostJigs(field.CaptureWin()->bIndex, 0);
    }

    // Drags p to its place beside neighbour q (turning it to q's turn on the way).
    void DragToNeighbour(int p, int q)
    {
        field.SetCaptureWin(Jigs[size_t(p)].Win);
        const int x = Jigs[size_t(p)].X + Jigs[size_t(p)].DrawW / 2, y = Jigs[size_t(p)].Y + Jigs[size_t(p)].DrawH / 2;
        iCurJig = p;
        DragCurJig(x, y, 0);
        for (int t = 0; t < 4 && Jigs[size_t(p)].Rot != Jigs[size_t(q)].Rot; ++t)
            RotateCurJig(x, y, 1);
        const TJig &jp = Jigs[size_t(p)], &jq = Jigs[size_t(q)];
        // The home offset turned with the pieces, a little off.
        const int r = jq.Rot;
        const int ox[4] = {jp.HomeX - jq.HomeX, (jq.HomeY + jq.H) - (jp.HomeY + jp.H),
                           (jq.HomeX + jq.W) - (jp.HomeX + jp.W), jp.HomeY - jq.HomeY};
        const int oy[4] = {jp.HomeY - jq.HomeY, jp.HomeX - jq.HomeX, (jq.HomeY + jq.H) - (jp.HomeY + jp.H),
                           (jq.HomeX + jq.W) - (jp.HomeX + jp.W)};
        const int ex = jq.X + ox[r] + 2, ey = jq.Y + oy[r] - 1;
        MoveJigs(x + ex - jp.X, y + ey - jp.Y, -1, 0);
        DropCurJig();
    }

    OMemoryField field;
};

// One random player's action through the rules, as the mouse and the menus
// apply them.
void RandomAction(UndoHistory& h, OMemoryField& field, std::mt19937& rng)
{
    const int n = JigsInPlay();
    auto pick = [&] { return int(rng() % uint32_t(n)); };
    const int i = pick();
    switch (rng() % 10) {
    case 0: case 1: h.Drag(i, int(rng() % 301) - 150, int(rng() % 301) - 150); break;
    case 2: case 3: {  // towards a neighbour: most of these join
        int q = -1;
        for (int16_t s : Jigs[size_t(i)].Nb)
            if (s >= 0 && s < n && Jigs[size_t(s)].Win == Jigs[size_t(i)].Win)
                q = s;
        if (q >= 0 && FrameJig() != i && Jigs[size_t(q)].Layer != Jigs[size_t(i)].Layer)
            h.DragToNeighbour(i, q);
        break;
    }
    case 4: {  // a turn under the pointer
        if (!JigP.Rotate)
            break;
        field.SetCaptureWin(Jigs[size_t(i)].Win);
        const TPoint p = OpaquePoint(i);
        RotateCurJig(p.x, p.y, int(rng() % 2));
        break;
    }
    case 5:  // into a pocket, or back out to the side
        if (Jigs[size_t(i)].Win < kPocket0)
            h.Drag(i, 10, 10, kPocket0 + int(rng() % 4));
        else
            h.Drag(i, 10, 10, 0);
        break;
    case 6:
        iCurJig = i;
        field.SetCaptureWin(Jigs[size_t(i)].Win);
        if (Jigs[size_t(i)].Win < kPocket0)
            ChangeJigsSide(0, 0, 0);
        break;
    case 7:  // a selection frame (no step of its own), or select all and arrange
        field.SetCaptureWin(0);
        if (rng() % 2) {
            DragJigP.SelRect = vMyRectInitWH(int(rng() % 800), int(rng() % 600), 400, 300);
            SelectJigs(0);
        } else {
            SelectJigs(1);
            ArrangeSelectedJigs();
        }
        break;
    case 8:  // the weight put down on a group, or lifted
        iWeightJig = iWeightJig < 0 ? i : -1;
        MoveWeightJigToBottom();
        break;
    default:
        if (rng() % 2)
            EdgePiecesToPocket();
        else
            FindLostJigsOnAllWins();
        break;
    }
}

struct TCutCase {
    int style;  // -1: the hand-made grid
    bool frame, rotate;
};

class UndoRandomPlay : public UndoHistory, public testing::WithParamInterface<TCutCase> {};

TEST_P(UndoRandomPlay, EveryStepGoesBackAndForthExactly)
{
    const TCutCase c = GetParam();
    if (c.style < 0)
        BuildGridJigsaw({.cols = 7, .rows = 5, .frame = c.frame, .rotate = c.rotate});
    else
        ASSERT_NO_FATAL_FAILURE(CutRealPicture(c.style, c.frame, c.rotate));
    Undo_Reset();
    std::mt19937 rng(uint32_t(1000 + c.style * 7 + c.frame * 3 + c.rotate));
    std::vector<TTableSnap> states{Expected()};
    for (int k = 0; k < 80; ++k) {
        RandomAction(*this, field, rng);
        if (Undo_Commit())
            states.push_back(Expected());
        ASSERT_EQ(Undo_Position(), int(states.size()) - 1);
    }
    ASSERT_GT(Recorder().Count(Kind::Sound, "set"), 0) << "the play joined nothing";
    ASSERT_GT(Undo_Position(), 30);

    // k actions then k undos: back at the start, every state on the way.
    for (int pos = Undo_Position(); pos > 0; --pos) {
        ASSERT_TRUE(Undo_Back());
        const TTableSnap now = Snap(field);
        ASSERT_EQ(now, states[size_t(pos - 1)]) << "after undoing step " << pos << ": "
                                                 << FirstDifference(now, states[size_t(pos - 1)]);
    }
    EXPECT_FALSE(Undo_Back());
    // And forth again to the end.
    for (int pos = 1; pos < int(states.size()); ++pos) {
        ASSERT_TRUE(Undo_Forth());
        ASSERT_EQ(Snap(field), states[size_t(pos)]) << "after redoing step " << pos;
    }
    EXPECT_FALSE(Undo_Forth());
    // Undo then redo in a random walk: always the state of that position.
    for (int k = 0; k < 60; ++k) {
        const bool back = rng() % 2 && Undo_CanBack();
        if (back ? !Undo_Back() : !Undo_Forth())
            continue;
        ASSERT_EQ(Snap(field), states[size_t(Undo_Position())]) << "walk step " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Cuts, UndoRandomPlay,
                         testing::Values(TCutCase{-1, false, false}, TCutCase{-1, true, true},
                                         TCutCase{0, false, true}, TCutCase{1, true, false},
                                         TCutCase{2, true, true}, TCutCase{3, false, false},
                                         TCutCase{4, true, true}, TCutCase{5, false, true},
                                         TCutCase{6, true, false}),
                         [](const testing::TestParamInfo<TCutCase>& param) {
                             const TCutCase& c = param.param;
                             return (c.style < 0 ? std::string("Grid") : "Style" + std::to_string(c.style)) +
                                    (c.frame ? "Frame" : "NoFrame") + (c.rotate ? "Rotated" : "Upright");
                         });

TEST_F(UndoHistory, ChangesBetweenStepsAreTakenBackWithTheNextStep)
{
    BuildGridJigsaw({.cols = 4, .rows = 3});
    Undo_Reset();
    const TTableSnap start = Expected();
    Drag(5, 300, 40);
    ASSERT_TRUE(Undo_Commit());
    const TTableSnap afterDrag = Expected();
    // A selection frame lifts its groups but is no step; nor is a pull-back.
    DragJigP.SelRect = vMyRectInitWH(0, 0, 2000, 2000);
    SelectJigs(0);
    Jigs[2].X = -5000;  // as a stray change would leave it
    EXPECT_TRUE(Undo_CanBack());
    ASSERT_TRUE(Undo_Back());
    EXPECT_EQ(Snap(field), start) << FirstDifference(Snap(field), start);
    EXPECT_FALSE(DragJigP.bSelected) << "a step leaves nothing selected";
    ASSERT_TRUE(Undo_Forth());
    EXPECT_EQ(Snap(field), afterDrag);
}

TEST_F(UndoHistory, UndoingAJoinSeparatesTheGroupsAndRedoJoinsThemAgain)
{
    BuildGridJigsaw({.cols = 4, .rows = 3});
    Jigs[1].X += 200;  // piece 1 lies apart from piece 0
    Jigs[6].Layer = Jigs[5].Layer = 5;  // and 5, 6 already form a group
    SortJigs(kSortAscending);
    Undo_Reset();
    const TTableSnap start = Expected();
    DragToNeighbour(1, 0);
    ASSERT_EQ(Jigs[1].Layer, Jigs[0].Layer) << "the drop joins";
    ASSERT_TRUE(Undo_Commit());
    const TTableSnap joined = Expected();
    ASSERT_TRUE(Undo_Back());
    EXPECT_NE(Jigs[1].Layer, Jigs[0].Layer);
    EXPECT_EQ(Jigs[6].Layer, Jigs[5].Layer) << "an older group stays joined";
    EXPECT_EQ(Snap(field), start);
    ASSERT_TRUE(Undo_Forth());
    EXPECT_EQ(Jigs[1].Layer, Jigs[0].Layer);
    EXPECT_EQ(Snap(field), joined);
}

TEST_F(UndoHistory, ASolvedGameCanBeUndoneAndIsSolvedAgainWithoutASecondCongratulation)
{
    BuildGridJigsaw({.cols = 2, .rows = 1});
    Jigs[1].X += 300;
    Undo_Reset();
    DragToNeighbour(1, 0);
    ASSERT_TRUE(bGameSolved);
    ASSERT_TRUE(Undo_Commit());
    ASSERT_EQ(Recorder().Count(Kind::Message, "MS_Congratulat"), 1);
    ASSERT_TRUE(Undo_Back());
    EXPECT_FALSE(bGameSolved) << "the solved mark is recomputed";
    ASSERT_TRUE(Undo_Forth());
    EXPECT_TRUE(bGameSolved);
    EXPECT_EQ(Recorder().Count(Kind::Message, "MS_Congratulat"), 1);
}

TEST_F(UndoHistory, TheUnsavedMarkFollowsTheStepsAndClearsWhereTheGameWasSaved)
{
    BuildGridJigsaw({.cols = 4, .rows = 3});
    Undo_Reset();  // as opened: nothing to save
    AutoSaveP.bNeedSave = false;
    Drag(3, 100, 0);
    ASSERT_TRUE(Undo_Commit());
    EXPECT_TRUE(AutoSaveP.bNeedSave);
    ASSERT_TRUE(Undo_Back());
    EXPECT_FALSE(AutoSaveP.bNeedSave) << "back at the table as opened";
    ASSERT_TRUE(Undo_Forth());
    EXPECT_TRUE(AutoSaveP.bNeedSave);
    // Saved after the drag: undoing it leaves a change, redoing it none.
    AutoSaveP.bNeedSave = false;
    Undo_MarkSaved();
    ASSERT_TRUE(Undo_Back());
    EXPECT_TRUE(AutoSaveP.bNeedSave);
    ASSERT_TRUE(Undo_Forth());
    EXPECT_FALSE(AutoSaveP.bNeedSave);
    // A new step after an undo makes the saved table unreachable.
    ASSERT_TRUE(Undo_Back());
    Drag(4, 0, 120);
    ASSERT_TRUE(Undo_Commit());
    ASSERT_TRUE(Undo_Back());
    EXPECT_TRUE(AutoSaveP.bNeedSave);
}

TEST_F(UndoHistory, NothingIsRecordedOrTakenBackWhilePiecesAreCarried)
{
    BuildGridJigsaw({.cols = 4, .rows = 3});
    Undo_Reset();
    Drag(0, 100, 100);
    ASSERT_TRUE(Undo_Commit());
    field.SetCaptureWin(0);
    iCurJig = 7;
    DragCurJig(Jigs[7].X + 5, Jigs[7].Y + 5, 0);
    MoveJigs(Jigs[7].X + 60, Jigs[7].Y + 5, -1, 0);
    EXPECT_FALSE(Undo_Commit()) << "the drag is not over";
    EXPECT_FALSE(Undo_Back());
    EXPECT_EQ(iCurJig, 7);
    DropCurJig();
    EXPECT_TRUE(Undo_Commit());
    EXPECT_EQ(Undo_Position(), 2);
    EXPECT_FALSE(Undo_Commit()) << "nothing changed since";
}

TEST_F(UndoHistory, TheHistoryKeepsTheNewestStepsUpToItsLimitAndClearsOnOpen)
{
    BuildGridJigsaw({.cols = 4, .rows = 3});
    Undo_Reset();
    for (int k = 0; k < kUndoMaxSteps + 40; ++k) {
        Drag(k % 12, k % 2 ? 7 : -7, 3);
        ASSERT_TRUE(Undo_Commit()) << k;
    }
    EXPECT_EQ(Undo_StepCount(), kUndoMaxSteps);
    int back = 0;
    while (Undo_Back())
        ++back;
    EXPECT_EQ(back, kUndoMaxSteps);
    EXPECT_GE(kUndoMaxSteps, 200);
    Undo_Reset();
    EXPECT_FALSE(Undo_CanBack());
    EXPECT_FALSE(Undo_CanForth());
}

TEST_F(UndoHistory, AnotherPieceTableIsNotTouchedByTheOldHistory)
{
    BuildGridJigsaw({.cols = 4, .rows = 3});
    Undo_Reset();
    Drag(0, 50, 50);
    ASSERT_TRUE(Undo_Commit());
    BuildGridJigsaw({.cols = 5, .rows = 3});
    const TTableSnap fresh = Expected();
    EXPECT_FALSE(Undo_Back());
    EXPECT_EQ(Snap(field), fresh);
}

// Lifting one group on a large table shifts the layers of all above it: the
// step keeps that as one run, not as thousands of pieces.
TEST_F(UndoHistory, ALiftOnALargeTableIsKeptSmall)
{
    SetHeadlessViewSize(3000, 2600);  // the whole grid lies in view: nothing is pulled back
    field = OMemoryField();
    field.SetCaptureWin(0);
    BuildGridJigsaw({.cols = 60, .rows = 50});
    Undo_Reset();
    const size_t empty = Undo_MemoryBytes();
    for (int k = 0; k < 200; ++k) {
        Drag((k * 37) % 3000, 9, -4);
        ASSERT_TRUE(Undo_Commit());
    }
    EXPECT_LT(Undo_MemoryBytes() - empty, size_t(200) * 300) << "a record, a run and two layer shifts per drag";
    // A group of 1000 pieces dragged: its rows are runs of indices, one record.
    for (int r = 0; r < 20; ++r)
        for (int c = 0; c < 50; ++c)
            Jigs[size_t(r * 60 + c)].Layer = 5000;
    SortJigs(kSortAscending);
    ASSERT_TRUE(Undo_Commit());  // joined one by one: a step of a thousand pieces
    const size_t before = Undo_MemoryBytes();
    Drag(60 + 1, 30, 20);
    ASSERT_TRUE(Undo_Commit());
    EXPECT_LT(Undo_MemoryBytes() - before, size_t(1000)) << "not a record per piece";
    ASSERT_TRUE(Undo_Back());
    EXPECT_EQ(Jigs[61].X, 100 + Jigs[61].HomeX);
}

}  // namespace
