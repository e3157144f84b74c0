// A whole game played through the rules alone: lay out, turn every piece
// upright, then bring every piece to the growing picture by drag and drop,
// as the mouse handling would, until the puzzle is solved.
#include "model/game_cut.h"
#include "model/memory_field.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "support/grid_jigsaw.h"
#include "real_cut.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

namespace {

using Kind = RecordingPlatform::Kind;

class WholeGame {
public:
    // The first layout of a freshly cut game.
    void LayOut(bool rotate, bool spreadOut)
    {
        for (int i = 0; i < JigsInPlay(); ++i) {
            TJig& j = JigAt(i);
            j.Layer = i;
            j.Win = 0;
            j.Rot = uint8_t(rotate ? MyRandom(4) : 0);
            UpdateJigDrawCoords(i);
        }
        RemixJigs(0, spreadOut);
        SortJigs(0);
        if (const int f = FrameJig(); f >= 0) {
            JigAt(f).X = (iMaxMainViewScrollW - JigP.ImageW) / 2;
            JigAt(f).Y = (iMaxMainViewScrollH - JigP.ImageH) / 2;
            JigAt(f).Rot = 0;
            UpdateJigDrawCoords(f);
        }
    }

    void TurnAllUpright()
    {
        for (int i = 0; i < JigsInPlay(); ++i) {
            const int rot = JigAt(i).Rot;
            if (rot == 0)
                continue;
            const TPoint v = PickPoint(i);
            for (int t = 0; t < (rot == 2 ? 2 : 1); ++t)
                RotateCurJig(v.x, v.y, rot != 1);
            ASSERT_EQ(JigAt(i).Rot, 0) << "piece " << i;
        }
    }

    // Joins every piece to the anchor's group, neighbour by neighbour, now
    // dragging the piece to the picture, now the picture to the piece.
    void Assemble()
    {
        const int anchor = FrameJig() >= 0 ? FrameJig() : 0;
        std::deque<int> queue{anchor};
        std::vector<bool> seen(size_t(JigsInPlay()), false);
        seen[size_t(anchor)] = true;
        int step = 0;
        while (!queue.empty()) {
            const int a = queue.front();
            queue.pop_front();
            for (int p : Neighbours(a)) {
                if (seen[size_t(p)])
                    continue;
                seen[size_t(p)] = true;
                queue.push_back(p);
                if (JigAt(p).Layer != JigAt(anchor).Layer)
                    BringTogether(anchor, a, p, step++);
                if (testing::Test::HasFatalFailure())
                    return;
            }
        }
    }

    // A view point on piece i where the pointer picks it (or its group);
    // pieces lying over it are moved off first.
    TPoint PickPoint(int i)
    {
        for (int tries = 0; tries < JigsInPlay(); ++tries) {
            const TPoint v = ToView(OpaquePoint(i));
            const int top = GetCurJig(v.x, v.y);
            if (top >= 0 && JigAt(top).Layer == JigAt(i).Layer)
                return v;
            EXPECT_GE(top, 0) << "nothing under an opaque pixel of piece " << i;
            Gesture(v, {v.x + 4000 + 90 * parked, v.y + 3000});  // park what covers it
            ++parked;
        }
        ADD_FAILURE() << "piece " << i << " stays covered";
        return {};
    }

    int parked = 0;

private:
    static TPoint ToView(TPoint c) { return {c.x, c.y + 30}; }  // side 0's client starts 30 down

    static std::vector<int> Neighbours(int a)
    {
        std::vector<int> out;
        const int frame = FrameJig();
        if (a == frame) {
            for (int q = 0; q + 1 < JigsInPlay(); ++q)
                for (int16_t s : JigAt(q).Nb)
                    if (s == frame)
                        out.push_back(q);
            return out;
        }
        for (int16_t s : JigAt(a).Nb)
            if (s >= 0)
                out.push_back(s);
        return out;
    }

    // Press, two moves, release, as the mouse handling does for a drag.
    void Gesture(TPoint from, TPoint to)
    {
        iCurJig = GetCurJig(from.x, from.y);
        ASSERT_GE(iCurJig, 0);
        DragCurJig(from.x, from.y, 0);
        MoveJigs((from.x + to.x) / 2, (from.y + to.y) / 2, -1, 0);
        MoveJigs(to.x, to.y, -1, 0);
        DropCurJig();
    }

    // Drops p (or the picture) so that p lies a few pixels off its place
    // beside a, which already belongs to the picture.
    void BringTogether(int anchor, int a, int p, int step)
    {
        const int before = CountGroup(anchor), pieces = CountGroup(p);
        const int sets = Recorder().Count(Kind::Sound, "set");
        // A few pixels off, but always within the join distance of this game.
        const int reach = std::max(0, int(OptP.StuckKoef * JigP.StuckD / 10.0) - 1);
        const TPoint jitter{std::clamp(step % 2 ? 3 : -2, -reach, reach), std::clamp(step % 3 ? -4 : 2, -reach, reach)};
        const TJig &ja = JigAt(a), &jp = JigAt(p);
        // Picking may park whatever covers the piece (the picture itself, say),
        // so the target is worked out once the pointer is on it.
        const TPoint v = PickPoint(step % 2 == 0 ? p : a);
        const TPoint want{ja.X + jp.HomeX - ja.HomeX + jitter.x, ja.Y + jp.HomeY - ja.HomeY + jitter.y};
        if (step % 2 == 0)
            Gesture(v, {v.x + want.x - jp.X, v.y + want.y - jp.Y});
        else
            Gesture(v, {v.x - (want.x - jp.X), v.y - (want.y - jp.Y)});
        ASSERT_EQ(JigAt(p).Layer, JigAt(anchor).Layer) << "piece " << p << " beside " << a;
        EXPECT_GE(CountGroup(anchor), before + pieces);
        EXPECT_EQ(Recorder().Count(Kind::Sound, "set"), sets + 1);
        EXPECT_EQ(JigAt(p).X - JigAt(a).X, jp.HomeX - ja.HomeX);
    }

    static int CountGroup(int i)
    {
        int n = 0;
        for (int k = 0; k < JigsInPlay(); ++k)
            n += JigAt(k).Layer == JigAt(i).Layer;
        return n;
    }
};

// The puzzle is solved with the picture centred in the view, every piece
// upright at its home offset from the base piece, congratulated once.
void ExpectSolvedAndCentred(int base)
{
    EXPECT_TRUE(bGameSolved);
    const TJig& b = JigAt(base);
    EXPECT_EQ(b.X - b.HomeX, (1280 - JigP.ImageW) / 2) << "the picture is centred";
    EXPECT_EQ(b.Y - b.HomeY, (900 - JigP.ImageH) / 2);
    for (int i = 0; i < JigsInPlay(); ++i) {
        const TJig& j = JigAt(i);
        EXPECT_EQ(j.X - b.X, j.HomeX - b.HomeX) << "piece " << i;
        EXPECT_EQ(j.Y - b.Y, j.HomeY - b.HomeY) << "piece " << i;
        EXPECT_EQ(j.Rot, 0);
    }
    EXPECT_EQ(Recorder().Count(Kind::Message, "MS_Congratulat"), 1);
    EXPECT_EQ(Recorder().Count(Kind::Sound, "win"), 1);
}

// style < 0: the hand-made grid jigsaw; otherwise pieces the cutter made from
// a picture in that style: irregular boxes, neighbour slots with gaps,
// transparent corners and the frame piece as the cutter leaves them.
struct TGameCase {
    int style;
    bool frame, rotate, spreadOut;
};

// Side 0 of a 1280 x 900 view, its client 30 down, as the field's host.
class WholeGameSolve : public testing::TestWithParam<TGameCase> {
protected:
    void SetUp() override
    {
        SetHeadlessViewSize(1280, 900);
        field.PlaceWin(0, 0, 30, 1280, 870);
        SetFieldHost(&field);
        field.SetCaptureWin(0);
    }
    void TearDown() override { SetFieldHost(nullptr); }

    OMemoryField field;
};

TEST_P(WholeGameSolve, EveryPieceJoinsAndThePuzzleIsSolvedOnce)
{
    const TGameCase c = GetParam();
    if (c.style < 0) {
        BuildGridJigsaw({.cols = 6, .rows = 4, .frame = c.frame, .rotate = c.rotate});
        SRand(77);
    } else {
        ASSERT_NO_FATAL_FAILURE(CutRealPictureOnly(c.style, c.frame, c.rotate));
    }
    // Lay out, turn upright and join them all; the checks run without the host.
    WholeGame game;
    game.LayOut(c.rotate, c.spreadOut);
    game.TurnAllUpright();
    game.Assemble();
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    SetFieldHost(nullptr);
    const int base = c.frame ? FrameJig() : 0;
    ExpectSolvedAndCentred(base);
    if (c.style >= 0) {  // one join sound for every piece brought to the picture
        EXPECT_EQ(Recorder().Count(Kind::Sound, "set"), JigsInPlay() - 1);
    }

    // Playing on after the solve congratulates no more.
    SetFieldHost(&field);
    const TPoint v = game.PickPoint(base);
    iCurJig = GetCurJig(v.x, v.y);
    DragCurJig(v.x, v.y, 0);
    MoveJigs(v.x + 50, v.y + 20, -1, 0);
    DropCurJig();
    RotateCurJig(v.x + 50, v.y + 20, 1);
    EXPECT_EQ(Recorder().Count(Kind::Message, "MS_Congratulat"), 1);
    EXPECT_EQ(Recorder().Count(Kind::Sound, "win"), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Games, WholeGameSolve,
    testing::Values(TGameCase{-1, false, false, true}, TGameCase{-1, false, true, true},
                    TGameCase{-1, true, false, true}, TGameCase{-1, true, true, true},
                    TGameCase{-1, false, true, false}, TGameCase{-1, true, true, false},
                    TGameCase{0, false, false, true}, TGameCase{0, true, true, true}, TGameCase{1, false, true, true},
                    TGameCase{1, true, false, true}, TGameCase{2, false, true, true}, TGameCase{2, true, true, true},
                    TGameCase{3, false, true, true}, TGameCase{3, true, false, true}, TGameCase{4, false, true, true},
                    TGameCase{5, true, true, true}, TGameCase{6, true, false, true}),
    [](const testing::TestParamInfo<TGameCase>& caseInfo) {
        const TGameCase& c = caseInfo.param;
        return (c.style < 0 ? std::string("Grid") : "Style" + std::to_string(c.style)) +
               (c.frame ? "Frame" : "NoFrame") + (c.rotate ? "Rotated" : "Upright") + (c.spreadOut ? "" : "Random");
    });

}  // namespace
