// What the play-rule fuzzers share: a piece table as a saved game could hold
// it (layers, rotations, windows and neighbour slots as stored; coordinates
// and sizes in the ranges a readable game has) read from the input, and the
// check that the draw order is current and exactly the exchange sort's.
#pragma once

#include "model/play_rules.h"
#include "model/puzzle.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <vector>

// withSel: the selection flags come from the input too; withCells: the
// pieces' cells too.
inline void ReadPieceTable(FuzzedDataProvider& in, bool withSel, bool withCells)
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
        if (withSel)
            j.Sel = in.ConsumeBool();
        j.HomeX = in.ConsumeIntegralInRange<int>(-100, 3000);
        j.HomeY = in.ConsumeIntegralInRange<int>(-100, 3000);
        j.W = in.ConsumeIntegralInRange<int>(0, 400);
        j.H = in.ConsumeIntegralInRange<int>(0, 400);
        if (withCells) {
            j.CellX = in.ConsumeIntegralInRange<int>(-100, 3000);
            j.CellY = in.ConsumeIntegralInRange<int>(-100, 3000);
            j.CellW = in.ConsumeIntegralInRange<int>(0, 400);
            j.CellH = in.ConsumeIntegralInRange<int>(0, 400);
        }
        for (int16_t& s : j.Nb)
            s = int16_t(in.ConsumeIntegralInRange<int>(-2, n + 1));
        UpdateJigDrawCoords(i);
    }
    iWeightJig = in.ConsumeIntegralInRange<int>(-1, n);
}

// SortedJigs holds every piece once, in the exchange sort's order.
inline void CheckDrawOrder()
{
    std::vector<TSortedJig> expected;
    for (int i = 0; i < JigsInPlay(); ++i)
        expected.push_back({JigAt(i).Layer, i});
    SortJigsByExchange(expected, false);
    if (SortedJigs != expected)
        std::abort();
}
