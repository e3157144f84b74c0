// The play rules over piece tables as a saved game could hold them (layers,
// rotations, windows and neighbour slots as stored; coordinates and sizes in
// the ranges a readable game has), driven by a random sequence of gestures.
// After every rule the draw order must be current and exactly the exchange
// sort's.
#include "model/memory_field.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "platform/platform.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>

namespace {

void ReadTable(FuzzedDataProvider& in)
{
    const int n = in.ConsumeIntegralInRange<int>(1, 40);
    JigP = TJigParams{};
    JigP.TotalTileNum = n;
    JigP.BorderStyle = in.ConsumeBool();
    JigP.Rotate = in.ConsumeBool();
    JigP.TileS = in.ConsumeIntegralInRange<int>(0, 200);
    JigP.MaskOfs = in.ConsumeIntegralInRange<int>(0, 100);
    JigP.MaskS = JigP.TileS + 2 * JigP.MaskOfs;
    JigP.StuckD = in.ConsumeIntegralInRange<int>(0, 60);
    JigP.ImageW = in.ConsumeIntegralInRange<int>(1, 3000);
    JigP.ImageH = in.ConsumeIntegralInRange<int>(1, 3000);
    JigP.JigsL = JigP.JigsT = in.ConsumeIntegralInRange<int>(0, 20);
    JigP.JigsR = JigP.ImageW - 1 - JigP.JigsL;
    JigP.JigsB = JigP.ImageH - 1 - JigP.JigsT;
    OptP.StuckKoef = in.ConsumeIntegralInRange<int>(0, 40);
    CreateJigsBuf(n + 1);
    for (int i = 0; i < n; ++i) {
        TJig& j = JigAt(i);
        j.X = in.ConsumeIntegralInRange<int>(-300000, 300000);
        j.Y = in.ConsumeIntegralInRange<int>(-300000, 300000);
        j.Layer = in.ConsumeBool() ? in.ConsumeIntegral<int32_t>() : in.ConsumeIntegralInRange<int>(0, 8);
        j.Win = in.ConsumeIntegral<uint8_t>() % 8;
        j.Rot = in.ConsumeIntegral<uint8_t>() % 5;
        j.Sel = in.ConsumeBool();
        j.HomeX = in.ConsumeIntegralInRange<int>(-100, 3000);
        j.HomeY = in.ConsumeIntegralInRange<int>(-100, 3000);
        j.W = in.ConsumeIntegralInRange<int>(0, 400);
        j.H = in.ConsumeIntegralInRange<int>(0, 400);
        for (int16_t& s : j.Nb)
            s = int16_t(in.ConsumeIntegralInRange<int>(-2, n + 1));
        UpdateJigDrawCoords(i);
    }
    iWeightJig = in.ConsumeIntegralInRange<int>(-1, n);
}

// SortedJigs holds every piece once, in the exchange sort's order.
void CheckOrder()
{
    std::vector<TSortedJig> expected;
    for (int i = 0; i < JigsInPlay(); ++i)
        expected.push_back({JigAt(i).Layer, i});
    SortJigsByExchange(expected, false);
    if (SortedJigs != expected)
        std::abort();
}

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
    CheckOrder();  // every rule leaves the draw order current
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Model_Reset();
    Platform_Reset();
    FuzzedDataProvider in(data, size);
    SetHeadlessViewSize(in.ConsumeIntegralInRange<int>(1, 4000), in.ConsumeIntegralInRange<int>(1, 3000));
    ReadTable(in);
    SortJigs(kSortAscending);
    OMemoryField field;
    SetFieldHost(&field);
    field.SetCaptureWin(0);
    for (int step = 0; step < 40 && in.remaining_bytes() > 0; ++step)
        RunGesture(in, field);
    SetFieldHost(nullptr);
    return 0;
}
