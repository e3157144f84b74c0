// Fuzzes JigFile_ReadInfo, the whole-file reader behind the tool's show:
// header, thumbnail (decoded through the picture gate), description and the
// picture part's length, from a real file.
#include "files/files.h"

#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/fuzz_jig_info." + std::to_string(getpid()) + ".zjg";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    TJigFileInfo info;
    if (JigFile_ReadInfo(path, &info) &&
        (info.ThumbW < 1 || info.ThumbH < 1 || info.ThumbW > kMaxThumbSide || info.ThumbH > kMaxThumbSide ||
         info.DataOfs > int64_t(size)))
        __builtin_trap();
    return 0;
}
