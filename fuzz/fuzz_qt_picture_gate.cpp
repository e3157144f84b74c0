// Fuzzes the picture gate with the platform decoder behind it, under a time
// budget and a small size cap: whatever passes decodes within the caps, and
// nothing takes much longer than the budget.
#include "files/files.h"

#include <chrono>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TPictureLimits limits;
    limits.maxSide = 4096;
    limits.maxPixels = int64_t(4) << 20;
    limits.seconds = 1.0;
    std::string why;
    const auto t0 = std::chrono::steady_clock::now();
    OMyImagePtr img = DecodePicture(data, size, size % 2 == 0, limits, &why);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (img && (img->W < 1 || img->H < 1 || img->W > limits.maxSide || img->H > limits.maxSide ||
                int64_t(img->W) * img->H > limits.maxPixels))
        __builtin_trap();
    if (!img && why.empty())
        __builtin_trap();
    if (took > limits.seconds + 4.0)  // the budget, and one last pass of the decoder
        __builtin_trap();
    return 0;
}
