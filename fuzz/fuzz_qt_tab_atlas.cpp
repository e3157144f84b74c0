// Fuzzes the tab atlas loader: the file decoded and checked (LoadRasAtlas),
// and the check alone over pixels taken straight from the input (the first
// two bytes give the size), so that odd sizes and levels are reached quickly.
#include "cutting/cutting.h"
#include "cutting/vector_style.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Platform_Reset();
    static const std::string path = "/tmp/fuzz_tab_atlas." + std::to_string(getpid()) + ".gif";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
        LoadRasAtlas(path);
    }
    if (size >= 2) {
        const int w = 1 + data[0] * 4, h = 1 + data[1];
        OMyImagePtr img = MyImageCreateExt(w, h, false);
        std::memcpy(img->pMem, data + 2, std::min(size - 2, img->ByteCount()));
        RasAtlas = {};
        RasAtlas.miFig0 = std::move(img);
        CountRasTileD();
    }
    RasAtlas = {};
    return 0;
}
