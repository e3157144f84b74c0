// A small Figure-style cut with the input as its picture data file: whatever
// pictures the reader keeps are mirrored, turned, set into cells and closed
// around by their neighbours. The cut must end painted or with its paint
// error reported, never read or write outside its images, and every piece's
// box must lie inside the picture.
#include "cutting/classic_cut.h"
#include "cutting/pic_inserts.h"
#include "platform/platform.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Cutting_Reset();
    Platform_Reset();
    PicSourceP.arData.assign(data, data + size);
    const int w = 240, h = 180;
    TJigParams p;
    p.ImageW = w;
    p.ImageH = h;
    p.ShapeStyle = 3;
    p.BorderStyle = size > 0 ? data[0] & 1 : 0;
    FillMaskParams(w, h, 3, p.BorderStyle);
    SetJigParamsFromLevel(p, w, h, size > 1 ? 3 + data[1] % 4 : 4);
    std::vector<TJig> jigs(size_t(p.TotalTileNum) + 1);
    OMyImagePtr masks;
    SRand(size > 2 ? data[2] : 1);
    const TCutStatus s = CreateMasksForVoronoiStyle(p, jigs, masks);
    if (s == TCutStatus::Failed)
        return 0;
    if (!masks || masks->W != w || masks->H != h)
        std::abort();
    for (int i = 0; i < p.TotalTileNum; ++i) {
        const TJig& j = jigs[size_t(i)];
        if (j.W < 1 || j.H < 1 || j.HomeX < 0 || j.HomeY < 0 || j.HomeX + j.W > w || j.HomeY + j.H > h)
            std::abort();
    }
    return 0;
}
