// The diagnostics facade: the system report a player sends to support when
// something goes wrong, and the two probes start-up runs (the OS version
// number and the screen's scale).
//
// The report reads the machine through ISystemFacts: the Linux files under
// /proc, /sys and /etc, uname and statvfs, and Qt for the screens and the
// OpenGL renderer. Tests install a fake with fixed answers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Reinstalls the machine's own facts and clears the probes' results.
void Diagnostics_Reset();

// ---- Probes (per run; set once at start-up) ------------------------------------------------
extern int32_t iOsVer;          // OS version, major * 10 + minor (Debian 12: 120); 0 until probed
extern double fScrScaleFactor;  // primary screen's device pixel ratio; 1.0 without a screen

// Sets iOsVer from os-release's VERSION_ID; leaves it when there is none that reads.
void GetOSVersion();
// Sets fScrScaleFactor to the primary screen's device pixel ratio, 1.0 without one.
void GetDisplayScale();
// The version number of a profiler-style text ("macOS 13.0 (22A380)" 130,
// "OS X 10.9.5 (13F34)" 109); none for fewer than three words or no version word.
std::optional<int32_t> OsVersionFromText(const std::string& text);
// The version number of an os-release VERSION_ID read as a decimal: the major
// number times ten plus the first digit after the point ("12" 120, "22.04"
// 220, "23.10" 231); none for anything else.
std::optional<int32_t> OsVersionFromVersionId(const std::string& id);

// ---- Platform facts --------------------------------------------------------------------------
// One "key = value" line of the OS, hardware or network section.
struct TReportPair {
    std::string sKey;
    std::string sValue;
};
using TReportPairs = std::vector<TReportPair>;

struct TScreenFacts {
    bool bHave = false;                  // a primary screen answered
    double fW = 0, fH = 0;               // whole screen, logical pixels
    double fVisibleW = 0, fVisibleH = 0; // without panels and docks, logical pixels
    int32_t iDepth = 0;                  // colour depth, bits
    double fPixelRatio = 1.0;            // device pixels per logical pixel
    TReportPairs arDesc;                 // the screen's own description ("Name", "Model", ...)
    double fWinScaleFactor = 1.0;        // the main window's device pixel ratio; 1.0 without one
    bool bWantsBestResolution = false;   // the play field draws at device pixels
};

struct TDiskFacts {
    std::string sPath;                   // mount point
    bool bRemovable = false, bWritable = false, bUnmountable = false;
    std::string sDesc;                   // volume label, else the device
    std::string sFileSystemType;         // "ext4", "vfat", ...
    bool bHaveStats = false;             // statvfs answered
    uint32_t iBlockSize = 0;             // bytes per block of the counts below
    int64_t iTotalBlocks = 0, iFreeBlocks = 0;  // free: what an ordinary user may still fill
    std::string sMountTo;                // mount point as the statistics name it
};

struct TDisplayFacts {
    double fX = 0, fY = 0, fW = 0, fH = 0;  // bounds on the desktop, logical pixels
    int32_t iModeW = 0, iModeH = 0;         // current mode, device pixels
    int32_t iBitsPerPixel = 0;              // 32, 16, 8, or 0 when unknown
    double fRefreshRate = 0;                // Hz
};

struct TRendererFacts {
    std::string sVendor, sRenderer, sVersion;  // GL strings; empty without a context
    bool bAccelerated = false;                 // a hardware renderer that said so
    int32_t iVideoMB = -1, iTextureMB = -1;    // memory figures; -1 when no query answered
};

// Where the report's facts come from. Every answer may be empty; the report
// then keeps its headings and leaves the lines out.
class ISystemFacts {
public:
    virtual ~ISystemFacts() = default;
    virtual std::string DateText() = 0;               // now, "2026-12-06 18:20:48 +0100"
    virtual TReportPairs Software() = 0;              // os-release, kernel, session
    virtual std::vector<TDiskFacts> Disks() = 0;      // mounted local file systems
    virtual TReportPairs Hardware() = 0;              // processor, memory, machine
    virtual std::vector<TReportPairs> Network() = 0;  // one item per interface, "_name" first
    virtual TScreenFacts Screen() = 0;
    // The displays, or none when the query failed.
    virtual std::optional<std::vector<TDisplayFacts>> Displays() = 0;
    virtual TRendererFacts Renderer() = 0;
    // Opens a finished report with the desktop's application for it.
    virtual void OpenFile(const std::string& path) = 0;
};

// The facts in use; never null. The machine's own until SetSystemFacts.
ISystemFacts& SystemFacts();
// Installs f (not owned; must outlive its use). nullptr reinstalls the machine's own.
void SetSystemFacts(ISystemFacts* f);
// The machine's own facts; mainWindow, when given, answers the window scale.
class QWindow;
void SystemFactsSetMainWindow(QWindow* mainWindow);

// ---- The report ------------------------------------------------------------------------------
constexpr int kReportMaxDisplays = 32;
constexpr int kReportMaxNetworkItems = 10;
constexpr const char* kReportFileName = "zivra-report.txt";
constexpr const char* kReportOpenFailed = "Failed: fileHandleForWritingAtPath";
constexpr const char* kReportWriteFailed = "Failed: writeData";

// Writes the report to path (empty: zivra-report.txt in the jigsaw folder),
// replacing any earlier one, line by line as each is formatted, and opens it
// when bOpen. A file that cannot be made shows kReportOpenFailed, one that
// cannot be written to the end shows kReportWriteFailed; neither is opened.
// True when the whole report was written.
bool CreateSystemReport(const std::string& path, bool bOpen);
// Text as 7-bit ASCII: "\\" for a backslash, "\xNN" for control bytes and
// bytes of broken UTF-8, "\uXXXX" (or "\UXXXXXXXX") for other characters.
std::string ReportAscii(const std::string& text);

// ---- Linux sources (pure readers of the system's text files) -----------------------------
// os-release lines: KEY=value with shell quoting; comments and blank lines skipped.
TReportPairs ParseOsRelease(const std::string& text);
// /proc/cpuinfo: vendor, model and the number of processors.
TReportPairs ParseCpuInfo(const std::string& text);
// /proc/meminfo: the total and available memory.
TReportPairs ParseMemInfo(const std::string& text);
struct TMountEntry {
    std::string sSource, sDir, sType, sOptions;
};
// /proc/self/mounts, with the octal escapes (\040 for a space) decoded.
std::vector<TMountEntry> ParseMounts(const std::string& text);
// A file system on a local disk (not a kernel, memory or network one).
bool IsLocalMount(const TMountEntry& m);
// Bits per pixel of a display of the given depth: 32, 16, 8, else 0 with a log line.
int32_t DisplayBitsPerPixelForDepth(int depth);
