// The undo history. A step keeps the places of the state that is not on the
// table (before the change while it is done, after it once undone): taking
// the step swaps them with the table's, so one copy serves both ways.
// Pieces that moved alike share one record and their indices are kept as
// runs, so a dragged group of a thousand pieces costs a few hundred bytes.
#include "model/undo.h"

#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "platform/platform.h"

#include <algorithm>
#include <deque>
#include <tuple>
#include <vector>

namespace {

// What a step changes of one piece: where it lies, in which window, how it
// is turned and in which group (and at which height) it is.
struct TJigPlace {
    int32_t X = 0, Y = 0;  // content pixels of its window
    int32_t Layer = 0;
    uint8_t Win = 0, Rot = 0;
    bool operator==(const TJigPlace&) const = default;
};

struct TPlacedJig {
    int32_t Index = 0;  // into Jigs
    TJigPlace Place;    // the other state's place
};

// The pieces of layers From..To (as far as the step's pieces have them) go
// to layer + Delta.
struct TLayerShift {
    int32_t From = 0, To = 0;
    int64_t Delta = 0;
};

// Pieces that changed alike: the same shift, and the same layer, window and
// turn before and after (a dragged group; a turned group's pieces each make
// one of their own). Their indices are kept as runs: joined pieces are
// mostly neighbours in the picture, and pieces are numbered row by row.
struct TMoveClass {
    int64_t DX = 0, DY = 0;    // position on the table minus the other state's
    int32_t Layer = 0;         // the other state's layer, window and turn
    uint8_t Win = 0, Rot = 0;
    uint32_t RunEnd = 0;       // its runs: arRuns[the previous class's RunEnd, RunEnd)
};

struct TIndexRun {
    int32_t First = 0, Last = 0;  // pieces First..Last
};

struct TUndoStep {
    std::vector<TMoveClass> arClasses;  // pieces that moved, turned or changed window
    std::vector<TIndexRun> arRuns;
    std::vector<TLayerShift> arBack;   // the other pieces' layers: after -> before
    std::vector<TLayerShift> arForth;  // and before -> after
    int32_t iWeightOther = -1;         // the weight's piece in the other state
};

// Per game.
struct TUndoState {
    std::deque<TUndoStep> arSteps;      // oldest first
    int iPos = 0;                       // steps [0, iPos) are done, the rest undone
    int iSavedPos = -1;                 // position whose table was saved; -1 none
    bool bHasBase = false;
    std::vector<TJigPlace> arBase;      // the table as the last step left it
    int32_t iBaseWeight = -1;
    std::vector<uint8_t> arMarks;       // scratch: pieces a step places itself
};
TUndoState g_undo;

TJigPlace PlaceOf(const TJig& j) { return {j.X, j.Y, j.Layer, j.Win, j.Rot}; }

void TakeBaseline()
{
    const int n = JigsInPlay();
    g_undo.arBase.resize(size_t(n));
    for (int i = 0; i < n; ++i)
        g_undo.arBase[size_t(i)] = PlaceOf(JigAt(i));
    g_undo.iBaseWeight = iWeightJig;
    g_undo.bHasBase = true;
}

bool BaseMatchesTable() { return g_undo.bHasBase && g_undo.arBase.size() == size_t(JigsInPlay()); }

// ---- Layer shifts ---------------------------------------------------------------------------
// The pieces a step does not place itself changed at most their layer, all
// pieces of one layer alike (the groups above a lifted one close up, a
// joined group takes the other's layer). Layer by layer, before -> after is
// then a one-to-one map, kept as runs of equal shift over the layers in use.

struct TLayerPair {
    int32_t From = 0, To = 0;
};

// Runs of equal non-zero shift over `pairs` sorted by From (distinct From).
std::vector<TLayerShift> ShiftRuns(const std::vector<TLayerPair>& pairs)
{
    std::vector<TLayerShift> runs;
    bool open = false;
    for (const TLayerPair& p : pairs) {
        const int64_t d = int64_t(p.To) - p.From;
        if (d == 0) {
            open = false;
            continue;
        }
        if (open && runs.back().Delta == d) {
            runs.back().To = p.From;
            continue;
        }
        runs.push_back({p.From, p.From, d});
        open = true;
    }
    return runs;
}

// Builds both directions from the (before, after) layers of the unplaced
// pieces; false when they are not one map in each direction.
bool BuildShifts(std::vector<TLayerPair>& pairs, TUndoStep& step)
{
    auto byFrom = [](const TLayerPair& a, const TLayerPair& b) { return a.From < b.From || (a.From == b.From && a.To < b.To); };
    std::sort(pairs.begin(), pairs.end(), byFrom);
    pairs.erase(std::unique(pairs.begin(), pairs.end(),
                            [](const TLayerPair& a, const TLayerPair& b) { return a.From == b.From && a.To == b.To; }),
                pairs.end());
    for (size_t k = 1; k < pairs.size(); ++k)
        if (pairs[k].From == pairs[k - 1].From)
            return false;  // one layer split in two
    step.arForth = ShiftRuns(pairs);
    for (TLayerPair& p : pairs)
        std::swap(p.From, p.To);
    std::sort(pairs.begin(), pairs.end(), byFrom);
    for (size_t k = 1; k < pairs.size(); ++k)
        if (pairs[k].From == pairs[k - 1].From)
            return false;  // two layers merged
    step.arBack = ShiftRuns(pairs);
    return true;
}

int32_t ShiftLayer(const std::vector<TLayerShift>& runs, int32_t layer)
{
    auto it = std::upper_bound(runs.begin(), runs.end(), layer,
                               [](int32_t l, const TLayerShift& r) { return l < r.From; });
    if (it == runs.begin())
        return layer;
    --it;
    return layer <= it->To ? int32_t(layer + it->Delta) : layer;
}

// ---- Making a step --------------------------------------------------------------------------

// The placed pieces (index and place before) as classes of pieces that
// changed alike, each with its index runs.
void PackPlaced(std::vector<TPlacedJig>& placed, TUndoStep& step)
{
    struct TKeyed {
        int64_t dx, dy;
        TJigPlace was, now;
        int32_t index;
        auto Key() const { return std::tie(dx, dy, was.Layer, was.Win, was.Rot, now.Layer, now.Win, now.Rot); }
    };
    std::vector<TKeyed> keyed;
    keyed.reserve(placed.size());
    for (const TPlacedJig& p : placed) {
        const TJigPlace now = PlaceOf(JigAt(p.Index));
        keyed.push_back({int64_t(now.X) - p.Place.X, int64_t(now.Y) - p.Place.Y, p.Place, now, p.Index});
    }
    std::sort(keyed.begin(), keyed.end(), [](const TKeyed& a, const TKeyed& b) {
        return a.Key() < b.Key() || (a.Key() == b.Key() && a.index < b.index);
    });
    for (size_t k = 0; k < keyed.size(); ++k) {
        const TKeyed& e = keyed[k];
        const bool newClass = k == 0 || keyed[k - 1].Key() != e.Key();
        if (newClass)
            step.arClasses.push_back({e.dx, e.dy, e.was.Layer, e.was.Win, e.was.Rot, 0});
        if (!newClass && step.arRuns.back().Last + 1 == e.index)
            ++step.arRuns.back().Last;
        else
            step.arRuns.push_back({e.index, e.index});
        step.arClasses.back().RunEnd = uint32_t(step.arRuns.size());
    }
    step.arClasses.shrink_to_fit();
    step.arRuns.shrink_to_fit();
}

// What differs between the baseline and the table; empty when nothing does.
TUndoStep DiffFromBase()
{
    TUndoStep step;
    const int n = JigsInPlay();
    std::vector<TPlacedJig> placed;
    std::vector<TLayerPair> pairs;
    pairs.reserve(size_t(n));
    bool layersChanged = false;
    for (int i = 0; i < n; ++i) {
        const TJigPlace now = PlaceOf(JigAt(i));
        const TJigPlace& was = g_undo.arBase[size_t(i)];
        if (now.X != was.X || now.Y != was.Y || now.Win != was.Win || now.Rot != was.Rot) {
            placed.push_back({i, was});
            continue;
        }
        pairs.push_back({was.Layer, now.Layer});
        layersChanged = layersChanged || was.Layer != now.Layer;
    }
    if (layersChanged && !BuildShifts(pairs, step)) {
        // Not one map: the pieces whose layer changed are kept one by one.
        step.arBack.clear();
        step.arForth.clear();
        for (int i = 0; i < n; ++i) {
            const TJigPlace& was = g_undo.arBase[size_t(i)];
            const TJig& j = JigAt(i);
            if (was.Layer != j.Layer && was.X == j.X && was.Y == j.Y && was.Win == j.Win && was.Rot == j.Rot)
                placed.push_back({i, was});
        }
    }
    PackPlaced(placed, step);
    step.iWeightOther = g_undo.iBaseWeight;
    return step;
}

bool IsEmptyStep(const TUndoStep& s)
{
    return s.arClasses.empty() && s.arBack.empty() && s.arForth.empty() && s.iWeightOther == iWeightJig;
}

void PushStep(TUndoStep&& step)
{
    auto& steps = g_undo.arSteps;
    steps.erase(steps.begin() + g_undo.iPos, steps.end());
    if (g_undo.iSavedPos > g_undo.iPos)
        g_undo.iSavedPos = -1;  // that table can no longer be reached
    steps.push_back(std::move(step));
    ++g_undo.iPos;
    while (int(steps.size()) > kUndoMaxSteps) {
        steps.pop_front();
        --g_undo.iPos;
        g_undo.iSavedPos = g_undo.iSavedPos > 0 ? g_undo.iSavedPos - 1 : -1;
    }
}

// ---- Taking a step --------------------------------------------------------------------------

// The table becomes the baseline again (whatever changed since the last
// commit is dropped), then the step swaps its places in.
void ApplyStep(TUndoStep& step, bool back)
{
    auto& base = g_undo.arBase;
    auto& marks = g_undo.arMarks;
    marks.assign(base.size(), 0);
    uint32_t run = 0;
    for (TMoveClass& c : step.arClasses) {
        // Every member holds the same layer, window and turn now.
        const TJigPlace& first = base[size_t(step.arRuns[run].First)];
        const TJigPlace now{0, 0, first.Layer, first.Win, first.Rot};
        for (; run < c.RunEnd; ++run)
            for (int32_t i = step.arRuns[run].First; i <= step.arRuns[run].Last; ++i) {
                TJigPlace& b = base[size_t(i)];
                b = {int32_t(b.X - c.DX), int32_t(b.Y - c.DY), c.Layer, c.Win, c.Rot};
                marks[size_t(i)] = 1;
            }
        c = {-c.DX, -c.DY, now.Layer, now.Win, now.Rot, c.RunEnd};
    }
    const std::vector<TLayerShift>& runs = back ? step.arBack : step.arForth;
    if (!runs.empty())
        for (size_t i = 0; i < base.size(); ++i)
            if (!marks[i])
                base[i].Layer = ShiftLayer(runs, base[i].Layer);
    std::swap(step.iWeightOther, g_undo.iBaseWeight);
    const int n = int(base.size());
    for (int i = 0; i < n; ++i) {
        TJig& j = JigAt(i);
        const TJigPlace& b = base[size_t(i)];
        if (PlaceOf(j) == b)
            continue;
        const bool turned = j.Rot != b.Rot;
        j.X = b.X;
        j.Y = b.Y;
        j.Layer = b.Layer;
        j.Win = b.Win;
        j.Rot = b.Rot;
        if (turned)
            UpdateJigDrawCoords(i);
    }
    iWeightJig = g_undo.iBaseWeight;
}

bool AllOneUprightGroup()
{
    const int n = JigsInPlay();
    if (n == 0)
        return false;
    for (int i = 0; i < n; ++i)
        if (JigAt(i).Layer != JigAt(0).Layer || JigAt(i).Rot != 0)
            return false;
    return true;
}

// What follows from the places, worked out anew.
void AfterStep()
{
    const int n = JigsInPlay();
    for (int i = 0; i < n; ++i)
        JigAt(i).Sel = 0;
    DragJigP.bSelected = false;
    iCurJig = -1;
    SortJigs(kSortAscending);
    bGameSolved = AllOneUprightGroup();
    for (int p = kPocket0; p < kThumbWin; ++p) {
        FieldHost().PocketCountJigs(p);
        FieldHost().PocketUpdateScrollSize(p);
    }
    if (g_undo.iPos == g_undo.iSavedPos) {
        // Back where the game was saved: nothing left to save, though the
        // autosave may hold a later table.
        AutoSaveP.bNeedSave = false;
        AutoSaveP.bNeedAutoSave = true;
        Platform().SetEdited(false);
    } else {
        GameChanged();
    }
    Platform().RequestRedraw(kRedrawFull);
}

bool ChangeInProgress() { return DragJigP.State != kDragIdle; }

}  // namespace

void Undo_Reset()
{
    g_undo = TUndoState{};
    TakeBaseline();
    g_undo.iSavedPos = 0;
}

void Undo_Clear() { g_undo = TUndoState{}; }

bool Undo_Commit()
{
    if (ChangeInProgress())
        return false;
    if (!BaseMatchesTable()) {
        // Another table than the history's: start afresh from this one.
        Undo_Reset();
        g_undo.iSavedPos = -1;
        return false;
    }
    TUndoStep step = DiffFromBase();
    if (IsEmptyStep(step))
        return false;
    PushStep(std::move(step));
    TakeBaseline();
    return true;
}

bool Undo_CanBack() { return g_undo.iPos > 0 && BaseMatchesTable(); }

bool Undo_CanForth() { return g_undo.iPos < int(g_undo.arSteps.size()) && BaseMatchesTable(); }

bool Undo_Back()
{
    if (!Undo_CanBack() || ChangeInProgress())
        return false;
    ApplyStep(g_undo.arSteps[size_t(g_undo.iPos - 1)], true);
    --g_undo.iPos;
    AfterStep();
    return true;
}

bool Undo_Forth()
{
    if (!Undo_CanForth() || ChangeInProgress())
        return false;
    ApplyStep(g_undo.arSteps[size_t(g_undo.iPos)], false);
    ++g_undo.iPos;
    AfterStep();
    return true;
}

void Undo_MarkSaved()
{
    // Changes since the last commit are in the file but in no step: no
    // position of the history holds that table.
    const bool atBase = BaseMatchesTable() && IsEmptyStep(DiffFromBase());
    g_undo.iSavedPos = atBase ? g_undo.iPos : -1;
}

int Undo_Position() { return g_undo.iPos; }

int Undo_StepCount() { return int(g_undo.arSteps.size()); }

size_t Undo_MemoryBytes()
{
    size_t bytes = sizeof(TUndoState) + g_undo.arBase.capacity() * sizeof(TJigPlace) + g_undo.arMarks.capacity();
    for (const TUndoStep& s : g_undo.arSteps)
        bytes += sizeof(TUndoStep) + s.arClasses.capacity() * sizeof(TMoveClass) +
                 s.arRuns.capacity() * sizeof(TIndexRun) +
                 (s.arBack.capacity() + s.arForth.capacity()) * sizeof(TLayerShift);
    return bytes;
}
