// Fuzzes the readers of the system's text files behind the system report, and
// the escape that keeps the report ASCII.
#include "diagnostics/diagnostics.h"

#include <cstdlib>

namespace {

void CheckAscii(const std::string& s)
{
    for (char c : ReportAscii(s))
        if (c < 0x20 || c >= 0x7F)
            std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const TReportPair& kv : ParseOsRelease(text)) {
        CheckAscii(kv.sKey);
        CheckAscii(kv.sValue);
        OsVersionFromVersionId(kv.sValue);
    }
    ParseCpuInfo(text);
    ParseMemInfo(text);
    for (const TMountEntry& m : ParseMounts(text)) {
        IsLocalMount(m);
        CheckAscii(m.sDir);
    }
    OsVersionFromText(text);
    CheckAscii(text);
    return 0;
}
