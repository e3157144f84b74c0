// The play rules over piece tables as a saved game could hold them (layers,
// rotations, windows and neighbour slots as stored; coordinates and sizes in
// the ranges a readable game has), driven by a random sequence of gestures.
// After every rule the draw order must be current and exactly the exchange
// sort's.
#include "model/memory_field.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "platform/platform.h"
#include "support/piece_table.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>

namespace {

void RunGesture(FuzzedDataProvider& in, OMemoryField& field)
{
    const int x = in.ConsumeIntegralInRange<int>(-500, 3000), y = in.ConsumeIntegralInRange<int>(-500, 3000);
    const int n = JigsInPlay();
    switch (in.ConsumeIntegralInRange<int>(0, 13)) {
    case 0: field.SetCaptureWin(in.ConsumeIntegralInRange<int>(-1, 7)); break;
    case 1: iCurJig = GetCurJig(x, y); break;
    case 2: iCurJig = in.ConsumeIntegralInRange<int>(-1, n); DragCurJig(x, y, in.ConsumeBool()); break;
    case 3: MoveJigs(x, y, in.ConsumeIntegralInRange<int>(-1, 7), in.ConsumeBool()); break;
    case 4: DropCurJig(); break;
    case 5: RotateCurJig(x, y, in.ConsumeBool()); break;
    case 6:
        DragJigP.SelRect = vMyRectInitWH(x, y, in.ConsumeIntegralInRange<int>(0, 2000), in.ConsumeIntegralInRange<int>(0, 2000));
        SelectJigs(in.ConsumeBool());
        break;
    case 7: DeselectJigs(); break;
    case 8: ChangeJigsSide(x, y, in.ConsumeBool()); break;
    case 9: RemixJigs(in.ConsumeIntegralInRange<int>(0, 6), in.ConsumeBool()); break;
    case 10: ArrangeSelectedJigs(); break;
    case 11: FindLostJigs(in.ConsumeIntegralInRange<int>(-1, 7), in.ConsumeBool()); break;
    case 12: FindLostJigsOnAllWins(); break;
    default: iCurJig = in.ConsumeIntegralInRange<int>(-1, n); PutJigsOnTop(in.ConsumeBool()); break;
    }
    CheckDrawOrder();  // every rule leaves the draw order current
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Model_Reset();
    Platform_Reset();
    FuzzedDataProvider in(data, size);
    SetHeadlessViewSize(in.ConsumeIntegralInRange<int>(1, 4000), in.ConsumeIntegralInRange<int>(1, 3000));
    ReadPieceTable(in, true, false);
    SortJigs(kSortAscending);
    OMemoryField field;
    SetFieldHost(&field);
    field.SetCaptureWin(0);
    for (int step = 0; step < 40 && in.remaining_bytes() > 0; ++step)
        RunGesture(in, field);
    SetFieldHost(nullptr);
    return 0;
}
