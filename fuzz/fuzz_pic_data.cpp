// Vector-picture data files from the input: every picture the reader keeps is
// mirrored, turned and drawn as the Figure style does it; the input is also
// taken as one raw record stream and put through the same operations without
// the reader's checks. Nothing may read past the bytes, loop without end or
// draw outside the image.
#include "cutting/vector_pics.h"
#include "platform/platform.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void Exercise(std::vector<uint8_t>& emf, const uint8_t* data, size_t size, bool mirrorX, bool mirrorY)
{
    const int angle = size > 0 ? int(data[0]) - 128 : 0;
    const int l = size > 1 ? int(data[1] % 64) - 16 : 0;
    const int t = size > 2 ? int(data[2] % 64) - 16 : 0;
    const int w = size > 3 ? int(data[3] % 96) - 16 : 20;
    FlipEmf(emf, mirrorX, mirrorY);
    RotateEmf(angle, emf);
    OMyImagePtr img = MyImageCreateExt(40, 40, (size & 1) != 0);
    MyImageFillRect(*img, 0, 0, 40, 40, RGB(255, 255, 255));
    StretchDrawEmf(*img, emf, {l, t}, {l + w, t + w}, RGB(128, 0, 25));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    VectorPics_Reset();
    Platform_Reset();  // the recorder keeps every log line of the skipped pictures
    const int n = ReadDataEmfFromData(data, size);
    if (n != PicFigs.N || n < 0)
        std::abort();
    for (int i = 0; i < n; ++i) {
        if (!ReadDataEmfImage(i) || !EmfCheck(PicFigs.Cur.Emf.data(), PicFigs.Cur.Emf.size()))
            std::abort();
        const TPicEntry& e = PicFigs.Cur.Entry;
        Exercise(PicFigs.Cur.Emf, data, size, e.bMirrorLR, e.bMirrorTB);
    }
    std::vector<uint8_t> raw(data, data + size);
    Exercise(raw, data, size, true, true);
    FreeDataEmf();
    return 0;
}
