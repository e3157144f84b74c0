// zivra-tool new-game: cut a jigsaw into a new game and save it.
// zivra-tool play: open a saved game, join pairs through the play rules, use the
// play aids (edge pieces, undo, redo), save again.
#include "tool.h"

#include "cutting/cutting.h"
#include "files/files.h"
#include "model/memory_field.h"
#include "model/edge_pieces.h"
#include "model/play_rules.h"
#include "model/undo.h"

#include <cstdio>
#include <set>

namespace {

int Fail(const char* cmd, const std::string& why, int status)
{
    std::fprintf(stderr, "zivra-tool %s: %s\n", cmd, why.c_str());
    return status;
}

// The resource folder without touching the per-user folder of a running
// game, and the English texts for the messages the rules show.
void FindResources()
{
    std::string error;
    if (!FileNames_Create(&error, false))
        std::fprintf(stderr, "zivra-tool: %s\n", error.c_str());
    else
        ReadLangFile(LangMesFile("english"));
}

// A message on one line for standard error.
std::string OneLine(std::string s)
{
    for (char& c : s)
        if (c == '\n')
            c = ' ';
    return s;
}

int CountGroups()
{
    std::set<int32_t> layers;
    for (int i = 0; i < JigsInPlay(); ++i)
        layers.insert(JigAt(i).Layer);
    return int(layers.size());
}

bool ReadNewGameOptions(const ToolOptions& opt, std::optional<uint32_t>* seed, std::string* error)
{
    int64_t level = 5, style = 0, frame = 0, rotate = 0, spread = 0, fit = 0, s = -1;
    int vw = 1920, vh = 1080;
    if (!opt.GetInt("--level", 0, 13, &level, error) || !opt.GetInt("--style", 0, 6, &style, error) ||
        !opt.GetInt("--frame", 0, 1, &frame, error) || !opt.GetInt("--rotate", 0, 1, &rotate, error) ||
        !opt.GetInt("--spread", 0, 1, &spread, error) || !opt.GetInt("--fit", 0, 1, &fit, error) ||
        !opt.GetInt("--seed", 0, UINT32_MAX, &s, error) || !opt.GetSize("--view", 32767, &vw, &vh, error))
        return false;
    SetHeadlessViewSize(vw, vh);
    NewJigP = TJigParams{};
    NewJigP.Level = int32_t(level);
    NewJigP.ShapeStyle = uint8_t(style);
    NewJigP.BorderStyle = uint8_t(frame);
    NewJigP.Rotate = uint8_t(rotate);
    NewJigP.SpreadOut = uint8_t(spread);
    NewJigP.FitToScreen = uint8_t(fit);
    if (opt.Has("--seed"))
        *seed = uint32_t(s);
    return true;
}

int RunNewGame(const ToolArgs& args)
{
    ToolOptions opt;
    std::string error;
    std::optional<uint32_t> seed;
    if (!opt.Parse(args, {"--level", "--style", "--frame", "--rotate", "--spread", "--fit", "--seed", "--view"}, {},
                   &error) ||
        opt.Positional().size() != 2 || !ReadNewGameOptions(opt, &seed, &error))
        return Fail("new-game", error.empty() ? "expects JIGSAW OUT.svm" : error, kExitBadInput);
    const std::string& jig = opt.Positional()[0];
    const std::string& out = opt.Positional()[1];
    FindResources();
    if (!OpenJigFile_ForListOrPreview(jig, false))
        return Fail("new-game", "Invalid Jigsaw: " + jig, kExitBadInput);
    const bool fit = NewJigP.FitToScreen && (NewJigP.FitW != NewJigP.ImageW || NewJigP.FitH != NewJigP.ImageH);
    const int w = fit ? NewJigP.FitW : NewJigP.ImageW, h = fit ? NewJigP.FitH : NewJigP.ImageH;
    if (!FillMaskParams(w, h, NewJigP.ShapeStyle, NewJigP.BorderStyle))
        return Fail("new-game", "the picture is too small to cut", kExitBadInput);
    SetJigParamsFromLevel(NewJigP, w, h, NewJigP.Level);
    if (NewJigP.TotalTileNum < 1)
        return Fail("new-game", "no pieces at this level", kExitBadInput);
    // Too many pieces, or more memory than a cut may take: refused before cutting.
    OpenFaultP = TOpenFaultP{};
    if (!CutParamsAffordable(NewJigP))
        return Fail("new-game", OneLine(OpenFaultMessage(jig)), kExitBadInput);
    OMemoryField field;
    SetFieldHost(&field);
    if (!OpenGameFile(jig, seed)) {
        const bool refused = OpenFaultP.fault == TOpenFault::TooManyPieces || OpenFaultP.fault == TOpenFault::TooMuchMemory;
        return Fail("new-game", OneLine(OpenFaultMessage(jig)), refused ? kExitBadInput : kExitFailed);
    }
    if (!SaveSolveFile(out, false))
        return Fail("new-game", "cannot save " + out, kExitFailed);
    std::printf("saved\t%s\npieces\t%d\nseed\t%d\n", out.c_str(), JigP.TotalTileNum, JigP.GameSeed);
    return kExitOk;
}

// Where p must lie for its neighbour q in rotation r (the rules' join offset).
TPoint PlaceBeside(const TJig& p, const TJig& q, int r)
{
    switch (r & 3) {
    case 1: return {q.X + (q.HomeY + q.H) - (p.HomeY + p.H), q.Y + p.HomeX - q.HomeX};
    case 2: return {q.X + (q.HomeX + q.W) - (p.HomeX + p.W), q.Y + (q.HomeY + q.H) - (p.HomeY + p.H)};
    case 3: return {q.X + p.HomeY - q.HomeY, q.Y + (q.HomeX + q.W) - (p.HomeX + p.W)};
    default: return {q.X + p.HomeX - q.HomeX, q.Y + p.HomeY - q.HomeY};
    }
}

// A group that may be dragged and turned: not the frame's, not the weighted one.
bool Movable(int i)
{
    const int frame = FrameJig();
    return !IsWeightJig(i) && (frame < 0 || JigAt(i).Layer != JigAt(frame).Layer);
}

// Two neighbours in two groups on one side, the first one's group movable;
// false when every such pair is joined.
bool FindPair(int* mover, int* still)
{
    const int n = JigsInPlay();
    for (int a = 0; a < n; ++a)
        for (int16_t b : JigAt(a).Nb) {
            if (b < 0 || b >= n || b == a)
                continue;
            const TJig& ja = JigAt(a);
            const TJig& jb = JigAt(b);
            if (ja.Layer == jb.Layer || ja.Win != jb.Win || ja.Win > 1)
                continue;
            if (Movable(a) || Movable(b)) {
                *mover = Movable(a) ? a : b;
                *still = Movable(a) ? b : a;
                return true;
            }
        }
    return false;
}

// Drags the mover's group, turns it as the other lies, puts the mover at its
// place beside the other and drops it.
bool JoinPair(OMemoryField& field, int mover, int still)
{
    field.SetCaptureWin(JigAt(mover).Win);
    iCurJig = mover;
    const int x = JigAt(mover).X + JigAt(mover).DrawW / 2;
    const int y = JigAt(mover).Y + JigAt(mover).DrawH / 2;
    DragCurJig(x, y, kMoveCurrentGroup);
    for (int turns = 0; turns < 4 && JigAt(mover).Rot != JigAt(still).Rot; ++turns)
        RotateCurJig(x, y, kTurnClockwise);
    const TPoint to = PlaceBeside(JigAt(mover), JigAt(still), JigAt(still).Rot);
    MoveJigs(x + to.x - JigAt(mover).X, y + to.y - JigAt(mover).Y, -1, kMoveCurrentGroup);
    DropCurJig();
    return JigAt(mover).Layer == JigAt(still).Layer;
}

// After the joins, the play aids in command-line order: --edges-to-pocket,
// --undo K and --redo K. What each did is added to *report; false when one
// could not do all that was asked.
struct TAidReport {
    bool edges = false, undo = false, redo = false;  // asked for
    int moved = 0, undone = 0, redone = 0;
    bool complete = true;
};

bool CheckAidOptions(const ToolOptions& opt, std::string* error)
{
    for (const auto& [name, value] : opt.InOrder()) {
        int64_t k = 0;
        if ((name == "--undo" || name == "--redo") && !ParseInt(value, 0, 1000000, &k)) {
            *error = name + " wants a whole number from 0 to 1000000";
            return false;
        }
    }
    return true;
}

void RunAids(const ToolOptions& opt, TAidReport* r)
{
    for (const auto& [name, value] : opt.InOrder()) {
        int64_t k = 0;
        if (name == "--edges-to-pocket") {
            r->edges = true;
            const TEdgesToPocketResult e = EdgePiecesToPocket();
            if (e.status == TEdgesToPocket::NoEmptyPocket) {
                std::fprintf(stderr, "zivra-tool play: every pocket holds pieces\n");
                r->complete = false;
            }
            r->moved += e.iMoved;
            Undo_Commit();
        } else if (name == "--undo" && ParseInt(value, 0, 1000000, &k)) {
            r->undo = true;
            for (int64_t i = 0; i < k; ++i) {
                if (!Undo_Back()) {
                    r->complete = false;
                    break;
                }
                ++r->undone;
            }
        } else if (name == "--redo" && ParseInt(value, 0, 1000000, &k)) {
            r->redo = true;
            for (int64_t i = 0; i < k; ++i) {
                if (!Undo_Forth()) {
                    r->complete = false;
                    break;
                }
                ++r->redone;
            }
        }
    }
}

int RunPlay(const ToolArgs& args)
{
    ToolOptions opt;
    std::string error;
    int64_t joins = 0;
    if (!opt.Parse(args, {"--join", "--undo", "--redo"}, {"--edges-to-pocket"}, &error) ||
        opt.Positional().size() != 1 || !opt.GetInt("--join", 0, 1000000, &joins, &error) ||
        !CheckAidOptions(opt, &error))
        return Fail("play", error.empty() ? "expects SAVED --join K" : error, kExitBadInput);
    const std::string& path = opt.Positional()[0];
    FindResources();
    OMemoryField field;
    SetFieldHost(&field);
    if (!OpenGameFile(path))
        return Fail("play", "Invalid Jigsaw: " + path, kExitBadInput);
    int done = 0;
    for (int p = 0, q = 0; done < joins && FindPair(&p, &q); ++done) {
        if (!JoinPair(field, p, q))
            return Fail("play", "a join did not take", kExitFailed);
        Undo_Commit();  // every join a step of its own, as a drop in the game
    }
    TAidReport aids;
    RunAids(opt, &aids);
    if (!SaveSolveFile(path, false))
        return Fail("play", "cannot save " + path, kExitFailed);
    std::printf("joined\t%d\ngroups\t%d\nsolved\t%d\n", done, CountGroups(), bGameSolved ? 1 : 0);
    if (aids.edges)
        std::printf("edges\t%d\n", aids.moved);
    if (aids.undo)
        std::printf("undone\t%d\n", aids.undone);
    if (aids.redo)
        std::printf("redone\t%d\n", aids.redone);
    return done == joins && aids.complete ? kExitOk : kExitFailed;
}

const ToolCommandRegistrar regNew{{"new-game",
                                   "JIGSAW OUT.svm [--level L] [--style S] [--frame 0|1] [--rotate 0|1] "
                                   "[--spread 0|1] [--fit 0|1] [--seed N] [--view WxH]",
                                   "cut a jigsaw into a new game, lay it out and save it", &RunNewGame}};
const ToolCommandRegistrar regPlay{{"play", "SAVED [--join K] [--edges-to-pocket] [--undo K] [--redo K]",
                                    "open a saved game, join K more pairs through the play rules, then put the "
                                    "edge pieces into a pocket, undo and redo steps in the order given; save it again",
                                    &RunPlay}};

}  // namespace
