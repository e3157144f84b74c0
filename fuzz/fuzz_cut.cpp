// A whole classic cut of a small picture and its piece images, from any
// parameters: no crash, no write out of bounds, and a successful cut leaves
// no field pixel white.
#include "cutting/cutting.h"
#include "platform/platform.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8)
        return 0;
    Platform_Reset();
    const int w = 24 + data[0] % 180, h = 24 + data[1] % 180;
    const int level = data[2] % kMaskLevels, style = data[3] % 4, border = data[4] & 1;
    const bool rotate = data[4] & 2;
    const int emboss = (data[4] >> 2) & 3;
    const uint32_t seed = uint32_t(data[5] | (data[6] << 8) | (data[7] << 16));
    if (!FillMaskParams(w, h, style, border))
        return 0;
    TJigParams p;
    p.ImageW = w;
    p.ImageH = h;
    p.ShapeStyle = uint8_t(style);
    p.BorderStyle = uint8_t(border);
    p.Rotate = rotate;
    SetJigParamsFromLevel(p, w, h, level);
    if (p.TotalTileNum < 2 || p.TotalTileNum > 400)
        return 0;
    std::vector<TJig> jigs(size_t(p.TotalTileNum) + 1);
    OMyImagePtr masks;
    SRand(seed);
    const TCutStatus status = CreateMasksForVoronoiStyle(p, jigs, masks);
    if (status == TCutStatus::Failed)
        return 0;
    if (!masks || masks->W != w || masks->H != h)
        std::abort();
    if (status == TCutStatus::Done)
        for (int y = p.JigsT; y <= p.JigsB; ++y)
            for (int x = p.JigsL; x <= p.JigsR; ++x)
                if (MyImageGetPixel(*masks, x, y) == 0xFFFFFF)
                    std::abort();
    OMyImage picture(w, h, true);
    std::vector<OMyImage> images;
    BuildPieceImages(picture, *masks, jigs, p.TotalTileNum, rotate, emboss, true, images, 1);
    return 0;
}
