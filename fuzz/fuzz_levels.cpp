// The level table and the grid for any picture size and style: no hang, no
// negative count, and every usable row's grid tiling its field exactly.
#include "cutting/cutting.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 6)
        return 0;
    const int w = data[0] | (data[1] << 8), h = data[2] | (data[3] << 8);
    const int style = data[4] % 7, border = data[5] & 1;
    if (!FillMaskParams(w, h, style, border))
        return 0;
    for (int level = 0; level < kMaskLevels; ++level) {
        const TMaskParam& r = MaskParams[size_t(level)];
        if (r.TilePX < 0 || r.TilePY < 0 || r.TotalTileNum < 0)
            std::abort();
        if (r.TileNum < 1 || r.TileNum > 5000)
            continue;
        TJigParams p;
        p.ImageW = w;
        p.ImageH = h;
        p.ShapeStyle = uint8_t(style);
        p.BorderStyle = uint8_t(border);
        SetJigParamsFromLevel(p, w, h, level);
        p.JigsL = p.JigsT = border ? kFrameWidth : 0;
        std::vector<TJig> jigs(size_t(p.TileNum) + 1);
        InitJigsAr(p, jigs);
        const TJig& last = jigs[size_t(p.TileNum - 1)];
        if (last.CellX + last.CellW != w - p.JigsL || last.CellY + last.CellH != h - p.JigsT)
            std::abort();
        for (int i = 0; i < p.TileNum; ++i)
            if (jigs[size_t(i)].CellW < r.TileS || jigs[size_t(i)].W < 1)
                std::abort();
    }
    return 0;
}
