#include "shell/wav_check.h"

#include <cstring>

namespace {

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

bool Fail(std::string* why, const char* text)
{
    if (why)
        *why = text;
    return false;
}

}  // namespace

bool CheckWavBytes(const uint8_t* data, size_t n, std::string* why)
{
    if (n < 44 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        return Fail(why, "not a RIFF/WAVE file");
    bool haveFmt = false;
    size_t pos = 12;
    while (n - pos >= 8) {
        const uint8_t* c = data + pos;
        const uint64_t size = Le32(c + 4);
        if (size > n - pos - 8)
            return Fail(why, "a chunk runs past the end of the file");
        if (std::memcmp(c, "fmt ", 4) == 0) {
            if (size < 16)
                return Fail(why, "short format chunk");
            const uint16_t format = Le16(c + 8), channels = Le16(c + 10), bits = Le16(c + 22);
            const uint32_t rate = Le32(c + 12);
            if (format != 1)
                return Fail(why, "not PCM");
            if (channels < 1 || channels > 2 || (bits != 8 && bits != 16) || rate < 8000 || rate > 192000)
                return Fail(why, "unusual channels, depth or rate");
            haveFmt = true;
        } else if (std::memcmp(c, "data", 4) == 0) {
            if (!haveFmt)
                return Fail(why, "data before the format chunk");
            if (size == 0)
                return Fail(why, "no samples");
            return true;
        }
        const uint64_t step = 8 + size + (size & 1);
        if (step > n - pos)
            break;
        pos += size_t(step);
    }
    return Fail(why, haveFmt ? "no data chunk" : "no format chunk");
}
