// The undo history over piece tables as a saved game could hold them
// (layers, rotations, windows and neighbour slots as stored), driven by a
// random sequence of gestures with commits, undos, redos and the edge-piece
// aids in between. After every step the draw order must be current and
// exactly the exchange sort's, and a step taken must give back exactly the
// table its position had when it was committed.
#include "model/edge_pieces.h"
#include "model/memory_field.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "model/undo.h"
#include "platform/platform.h"
#include "support/piece_table.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <vector>

namespace {

using TSnap = std::vector<std::tuple<int, int, int, int, int, int, int>>;

TSnap Snap()
{
    TSnap s;
    for (int i = 0; i < JigsInPlay(); ++i) {
        const TJig& j = Jigs[size_t(i)];
        s.emplace_back(j.X, j.Y, j.Layer, j.Win, j.Rot, j.DrawW, j.DrawH);
    }
    s.emplace_back(iWeightJig, 0, 0, 0, 0, 0, 0);
    return s;
}

void RunGesture(FuzzedDataProvider& in, OMemoryField& field)
{
    const int x = in.ConsumeIntegralInRange<int>(-500, 3000), y = in.ConsumeIntegralInRange<int>(-500, 3000);
    const int n = JigsInPlay();
    switch (in.ConsumeIntegralInRange<int>(0, 11)) {
    case 0: field.SetCaptureWin(in.ConsumeIntegralInRange<int>(-1, 7)); break;
    case 1:  // a whole drag and drop
        iCurJig = in.ConsumeIntegralInRange<int>(-1, n);
        DragCurJig(x, y, 0);
        MoveJigs(x + in.ConsumeIntegralInRange<int>(-400, 400), y + in.ConsumeIntegralInRange<int>(-400, 400),
                 in.ConsumeIntegralInRange<int>(-1, 7), 0);
        DropCurJig();
        break;
    case 2: iCurJig = in.ConsumeIntegralInRange<int>(-1, n); DragCurJig(x, y, in.ConsumeBool()); break;
    case 3: MoveJigs(x, y, in.ConsumeIntegralInRange<int>(-1, 7), in.ConsumeBool()); break;
    case 4: DropCurJig(); break;
    case 5: RotateCurJig(x, y, in.ConsumeBool()); break;
    case 6:
        DragJigP.SelRect = vMyRectInitWH(x, y, in.ConsumeIntegralInRange<int>(0, 2000), in.ConsumeIntegralInRange<int>(0, 2000));
        SelectJigs(in.ConsumeBool());
        if (in.ConsumeBool())
            ArrangeSelectedJigs();
        break;
    case 7: iCurJig = in.ConsumeIntegralInRange<int>(-1, n); ChangeJigsSide(x, y, in.ConsumeBool()); break;
    case 8: FindLostJigs(in.ConsumeIntegralInRange<int>(-1, 7), in.ConsumeBool()); break;
    case 9: EdgePiecesToPocket(); break;
    case 10:
        iWeightJig = in.ConsumeIntegralInRange<int>(-1, n);
        MoveWeightJigToBottom();
        break;
    default: bShowOnlyEdges = in.ConsumeBool(); iCurJig = GetCurJig(x, y); break;
    }
    CheckDrawOrder();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Model_Reset();
    Platform_Reset();
    FuzzedDataProvider in(data, size);
    SetHeadlessViewSize(in.ConsumeIntegralInRange<int>(1, 4000), in.ConsumeIntegralInRange<int>(1, 3000));
    ReadPieceTable(in, false, true);
    SortJigs(0);
    OMemoryField field;
    SetFieldHost(&field);
    field.SetCaptureWin(0);
    Undo_Reset();
    std::vector<TSnap> states{Snap()};  // the table of every history position
    for (int step = 0; step < 60 && in.remaining_bytes() > 0; ++step) {
        switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            if (Undo_Back()) {
                CheckDrawOrder();
                if (Snap() != states[size_t(Undo_Position())])
                    std::abort();
            }
            break;
        case 1:
            if (Undo_Forth()) {
                CheckDrawOrder();
                if (Snap() != states[size_t(Undo_Position())])
                    std::abort();
            }
            break;
        default:
            RunGesture(in, field);
            if (Undo_Commit()) {
                states.resize(size_t(Undo_Position()));
                states.push_back(Snap());
            }
            break;
        }
        if (Undo_Position() >= int(states.size()) || Undo_StepCount() + 1 != int(states.size()))
            std::abort();
    }
    SetFieldHost(nullptr);
    return 0;
}
