// The start-up probes and the seam between the report and the machine.
#include "diagnostics/diagnostics.h"

#include "diagnostics/linux_facts.h"

int32_t iOsVer = 0;
double fScrScaleFactor = 1.0;

namespace {

struct TDiagnosticsP {
    ISystemFacts* installed = nullptr;  // a test's fake; null: the machine's own
};
TDiagnosticsP DiagP;

}  // namespace

void Diagnostics_Reset()
{
    DiagP = {};
    iOsVer = 0;
    fScrScaleFactor = 1.0;
}

ISystemFacts& SystemFacts() { return DiagP.installed ? *DiagP.installed : MachineFacts(); }

void SetSystemFacts(ISystemFacts* f) { DiagP.installed = f; }

void GetOSVersion()
{
    for (const TReportPair& kv : SystemFacts().Software())
        if (kv.sKey == "VERSION_ID") {
            if (const auto v = OsVersionFromVersionId(kv.sValue))
                iOsVer = *v;
            return;
        }
}

void GetDisplayScale()
{
    fScrScaleFactor = 1.0;
    const TScreenFacts s = SystemFacts().Screen();
    if (s.bHave && s.fPixelRatio > 0)
        fScrScaleFactor = s.fPixelRatio;
}
