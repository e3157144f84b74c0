// Inside diagnostics: the machine's own facts, read from Linux files and Qt.
#pragma once

#include "diagnostics/diagnostics.h"

// The machine's facts object (per run).
ISystemFacts& MachineFacts();

// The Linux files behind it, each answer empty when its files cannot be read.
TReportPairs ReadSoftwareFacts();               // os-release, uname (no host name), desktop session
std::vector<TDiskFacts> ReadDiskFacts();        // local mounts with statvfs
TReportPairs ReadHardwareFacts();               // cpuinfo, meminfo, readable DMI names
std::vector<TReportPairs> ReadNetworkFacts();   // /sys/class/net: name, kind, state, MTU
std::string NowText();                          // "2026-12-06 18:20:48 +0100"
