// Fuzzes the unpacking of a downloaded archive: every input is tried as each
// kind the catalogue may name, with a small cap on the unpacked bytes.
#include "download/dn_unpack.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    constexpr int64_t kCap = 1 << 20;
    for (const char* ext : {"rar", "zip", "7z"}) {
        std::vector<uint8_t> out;
        const TDnUnpackResult r = DnUnpackFirstFile(data, size, ext, kCap, &out);
        if (int64_t(out.size()) > kCap || (r.step != EDnUnpackStep::Ok && !out.empty()) ||
            (r.step != EDnUnpackStep::Ok && r.sText.empty()))
            std::abort();
    }
    return 0;
}
