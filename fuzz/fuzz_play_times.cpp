// Fuzzes the reader of the per-user play-time record and its round trip.
#include "files/files.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<TPlayTimeEntry> entries, back;
    if (!PlayTimes_Parse(std::vector<uint8_t>(data, data + size), &entries))
        return 0;
    if (entries.size() > kMaxPlayTimes)
        std::abort();
    // What was read is written and read back the same.
    if (!PlayTimes_Parse(PlayTimes_Make(entries), &back) || back != entries)
        std::abort();
    return 0;
}
