// The sound-file check over arbitrary bytes: it must answer, never read
// outside the block, and accept only what it promises.
#include "shell/wav_check.cpp"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string why;
    const bool ok = CheckWavBytes(data, size, &why);
    if (ok && (size < 44 || std::memcmp(data, "RIFF", 4) != 0))
        __builtin_trap();
    if (!ok && why.empty())
        __builtin_trap();
    return 0;
}
