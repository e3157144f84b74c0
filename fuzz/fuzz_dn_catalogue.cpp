// Fuzzes the download catalogue parser and the addresses built from what it gives.
#include "download/dn_catalogue.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TDnInfo info;
    const bool valid = DnInfo_Parse(data, size, &info);
    if (valid != info.bValid)
        std::abort();
    if (valid) {
        // A valid extension is a plain word: it may become part of a file name.
        for (const char c : info.sExt)
            if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
                std::abort();
        DnJigsawUrl("127.0.0.1:8080", info.sOther, info.sExt);
    }
    DnNameIsSafe(info.sOther);
    return 0;
}
