// A whole game played through the rules alone: lay out, turn every piece
// upright, then bring every piece to the growing picture by drag and drop,
// as the mouse handling would, until the puzzle is solved.
#include "cutting/cutting.h"
#include "model/memory_field.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "support/grid_jigsaw.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

namespace {

using Kind = RecordingPlatform::Kind;

class WholeGame {
public:
    explicit WholeGame(OMemoryField& f) : field(f) {}

    // The first layout of a freshly cut game.
    void LayOut(bool rotate, bool spreadOut)
    {
        for (int i = 0; i < JigsInPlay(); ++i) {
            TJig& j = Jigs[size_t(i)];
            j.Layer = i;
            j.Win = 0;
            j.Rot = uint8_t(rotate ? MyRandom(4) : 0);
            UpdateJigDrawCoords(i);
        }
        RemixJigs(0, spreadOut);
        SortJigs(0);
        if (const int f = FrameJig(); f >= 0) {
            Jigs[size_t(f)].X = (iMaxMainViewScrollW - JigP.ImageW) / 2;
            Jigs[size_t(f)].Y = (iMaxMainViewScrollH - JigP.ImageH) / 2;
            Jigs[size_t(f)].Rot = 0;
            UpdateJigDrawCoords(f);
        }
    }

    void TurnAllUpright()
    {
        for (int i = 0; i < JigsInPlay(); ++i) {
            const int rot = Jigs[size_t(i)].Rot;
            if (rot == 0)
                continue;
            const TPoint v = PickPoint(i);
            for (int t = 0; t < (rot == 2 ? 2 : 1); ++t)
                RotateCurJig(v.x, v.y, rot != 1);
            ASSERT_EQ(Jigs[size_t(i)].Rot, 0) << "piece " << i;
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
                if (Jigs[size_t(p)].Layer != Jigs[size_t(anchor)].Layer)
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
            if (top >= 0 && Jigs[size_t(top)].Layer == Jigs[size_t(i)].Layer)
                return v;
            EXPECT_GE(top, 0) << "nothing under an opaque pixel of piece " << i;
            Gesture(v, {v.x + 4000 + 90 * parked, v.y + 3000});  // park what covers it
            ++parked;
        }
        ADD_FAILURE() << "piece " << i << " stays covered";
        return {};
    }

    OMemoryField& field;
    int parked = 0;

private:
    static TPoint ToView(TPoint c) { return {c.x, c.y + 30}; }  // side 0's client starts 30 down

    static std::vector<int> Neighbours(int a)
    {
        std::vector<int> out;
        const int frame = FrameJig();
        if (a == frame) {
            for (int q = 0; q + 1 < JigsInPlay(); ++q)
                for (int16_t s : Jigs[size_t(q)].Nb)
                    if (s == frame)
                        out.push_back(q);
            return out;
        }
        for (int16_t s : Jigs[size_t(a)].Nb)
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
        const TJig &ja = Jigs[size_t(a)], &jp = Jigs[size_t(p)];
        // Picking may park whatever covers the piece (the picture itself, say),
        // so the target is worked out once the pointer is on it.
        const TPoint v = PickPoint(step % 2 == 0 ? p : a);
        const TPoint want{ja.X + jp.HomeX - ja.HomeX + jitter.x, ja.Y + jp.HomeY - ja.HomeY + jitter.y};
        if (step % 2 == 0)
            Gesture(v, {v.x + want.x - jp.X, v.y + want.y - jp.Y});
        else
            Gesture(v, {v.x - (want.x - jp.X), v.y - (want.y - jp.Y)});
        ASSERT_EQ(Jigs[size_t(p)].Layer, Jigs[size_t(anchor)].Layer) << "piece " << p << " beside " << a;
        EXPECT_GE(CountGroup(anchor), before + pieces);
        EXPECT_EQ(Recorder().Count(Kind::Sound, "set"), sets + 1);
        EXPECT_EQ(Jigs[size_t(p)].X - Jigs[size_t(a)].X, jp.HomeX - ja.HomeX);
    }

    static int CountGroup(int i)
    {
        int n = 0;
        for (int k = 0; k < JigsInPlay(); ++k)
            n += Jigs[size_t(k)].Layer == Jigs[size_t(i)].Layer;
        return n;
    }
};

// Side 0 of a 1280 x 900 view, its client 30 down, as the field's host.
class TPlayTable {
public:
    TPlayTable()
    {
        SetHeadlessViewSize(1280, 900);
        field.PlaceWin(0, 0, 30, 1280, 870);
        SetFieldHost(&field);
        field.SetCaptureWin(0);
    }
    ~TPlayTable() { SetFieldHost(nullptr); }
    OMemoryField field;
};

// Lays the pieces out, turns them upright and joins them all; the host is
// released afterwards so that the checks run without one.
void PlayToTheEnd(OMemoryField& field, bool rotate, bool spreadOut)
{
    WholeGame game(field);
    game.LayOut(rotate, spreadOut);
    game.TurnAllUpright();
    game.Assemble();
    SetFieldHost(nullptr);
}

// The puzzle is solved with the picture centred in the view, every piece
// upright at its home offset from the base piece, congratulated once.
void ExpectSolvedAndCentred(int base)
{
    EXPECT_TRUE(bGameSolved);
    const TJig& b = Jigs[size_t(base)];
    EXPECT_EQ(b.X - b.HomeX, (1280 - JigP.ImageW) / 2) << "the picture is centred";
    EXPECT_EQ(b.Y - b.HomeY, (900 - JigP.ImageH) / 2);
    for (int i = 0; i < JigsInPlay(); ++i) {
        const TJig& j = Jigs[size_t(i)];
        EXPECT_EQ(j.X - b.X, j.HomeX - b.HomeX) << "piece " << i;
        EXPECT_EQ(j.Y - b.Y, j.HomeY - b.HomeY) << "piece " << i;
        EXPECT_EQ(j.Rot, 0);
    }
    EXPECT_EQ(Recorder().Count(Kind::Message, "MS_Congratulat"), 1);
    EXPECT_EQ(Recorder().Count(Kind::Sound, "win"), 1);
}

struct TGameCase {
    bool frame, rotate, spreadOut;
};

class WholeGameSolve : public testing::TestWithParam<TGameCase> {};

TEST_P(WholeGameSolve, EveryPieceJoinsAndThePuzzleIsSolvedOnce)
{
    const TGameCase c = GetParam();
    TPlayTable table;
    BuildGridJigsaw({.cols = 6, .rows = 4, .frame = c.frame, .rotate = c.rotate});
    SRand(77);
    PlayToTheEnd(table.field, c.rotate, c.spreadOut);
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    const int base = c.frame ? FrameJig() : 0;
    ExpectSolvedAndCentred(base);

    // Playing on after the solve congratulates no more.
    SetFieldHost(&table.field);
    const TPoint v = WholeGame(table.field).PickPoint(base);
    iCurJig = GetCurJig(v.x, v.y);
    DragCurJig(v.x, v.y, 0);
    MoveJigs(v.x + 50, v.y + 20, -1, 0);
    DropCurJig();
    RotateCurJig(v.x + 50, v.y + 20, 1);
    EXPECT_EQ(Recorder().Count(Kind::Message, "MS_Congratulat"), 1);
    EXPECT_EQ(Recorder().Count(Kind::Sound, "win"), 1);
}

INSTANTIATE_TEST_SUITE_P(Grid, WholeGameSolve,
                         testing::Values(TGameCase{false, false, true}, TGameCase{false, true, true},
                                         TGameCase{true, false, true}, TGameCase{true, true, true},
                                         TGameCase{false, true, false}, TGameCase{true, true, false}),
                         [](const testing::TestParamInfo<TGameCase>& info) {
                             const TGameCase& c = info.param;
                             return std::string(c.frame ? "Frame" : "NoFrame") + (c.rotate ? "Rotated" : "Upright") +
                                    (c.spreadOut ? "Grid" : "Random");
                         });

// ---- Real cuts ---------------------------------------------------------------------
// The same game over pieces the cutter made from a picture, in every style it
// cuts, with and without frame and rotation: irregular boxes, neighbour slots
// with gaps, transparent corners and the frame piece as the cutter leaves them.

struct TCutGameCase {
    int style;
    bool frame, rotate;
};

class WholeGameOfARealCut : public testing::TestWithParam<TCutGameCase> {};

// A small picture with alpha, smooth enough that every piece has a look of its own.
OMyImagePtr MakeGamePicture(int w, int h)
{
    OMyImagePtr img = MyImageCreate(w, h);
    for (int y = 0; y < h; ++y) {
        uint8_t* p = MyImageGetLineXY(*img, 0, y);
        for (int x = 0; x < w; ++x, p += 4) {
            p[0] = uint8_t(x * 255 / w);
            p[1] = uint8_t(y * 255 / h);
            p[2] = uint8_t((x ^ y) & 255);
            p[3] = 255;
        }
    }
    return img;
}

TEST_P(WholeGameOfARealCut, EveryPieceJoinsAndThePuzzleIsSolvedOnce)
{
    const TCutGameCase c = GetParam();
    TPlayTable table;
    constexpr int kW = 360, kH = 270, kLevel = 10;
    JigP = TJigParams{};
    JigP.ImageW = kW;
    JigP.ImageH = kH;
    JigP.ShapeStyle = uint8_t(c.style);
    JigP.BorderStyle = c.frame;
    JigP.Rotate = c.rotate;
    FillMaskParams(kW, kH, c.style, c.frame);
    SetJigParamsFromLevel(JigP, kW, kH, kLevel);
    ASSERT_GT(JigP.TileNum, 8);
    CreateJigsBuf(JigP.TotalTileNum + 1);
    miJigs = MakeGamePicture(kW, kH);
    Cutting_LoadStyleData(SourcePath("resources"));
    SRand(4242);
    ASSERT_EQ(c.style >= 4 ? CreateMasksForVectorStyle() : CreateMasksForVoronoiStyle(), TCutStatus::Done);
    CopyJigsToTextures(true, 1);
    ASSERT_EQ(int(arPicJigs.size()), JigP.TotalTileNum);

    PlayToTheEnd(table.field, c.rotate, true);
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    ExpectSolvedAndCentred(c.frame ? FrameJig() : 0);
    // One join sound for every piece brought to the picture.
    EXPECT_EQ(Recorder().Count(Kind::Sound, "set"), JigsInPlay() - 1);
}

INSTANTIATE_TEST_SUITE_P(Styles, WholeGameOfARealCut,
                         testing::Values(TCutGameCase{0, false, false}, TCutGameCase{0, true, true},
                                         TCutGameCase{1, false, true}, TCutGameCase{1, true, false},
                                         TCutGameCase{2, false, true}, TCutGameCase{2, true, true},
                                         TCutGameCase{3, false, true}, TCutGameCase{3, true, false},
                                         TCutGameCase{4, false, true}, TCutGameCase{5, true, true},
                                         TCutGameCase{6, true, false}),
                         [](const testing::TestParamInfo<TCutGameCase>& info) {
                             const TCutGameCase& c = info.param;
                             return "Style" + std::to_string(c.style) + (c.frame ? "Frame" : "NoFrame") +
                                    (c.rotate ? "Rotated" : "Upright");
                         });

}  // namespace
