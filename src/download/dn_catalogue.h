// The download catalogue "info.dat" and the addresses of the download site.
// Plain C++ (no Qt): the fuzz build takes it as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The catalogue is small; anything larger is refused before it is read.
constexpr size_t kMaxDnCatalogueBytes = 64u << 10;

// The catalogue state of the download dialog (per showing of the dialog:
// DnInfo_Clear on every showing; a valid catalogue is reused until then).
struct TDnInfo {
    bool bValid = false;
    std::string sExt;       // the archive extension, lower case ("rar", "zip", "7z")
    std::string sOther;     // the "other:" text (kept, not used)
    std::string sReserved;  // not used
};
extern TDnInfo DnInfo;
void DnInfo_Clear();

// Parses a catalogue: "\n\r" and "\r\n" become "\n"; it is used only when it
// holds "ext:" somewhere; then per line "ext:" gives the extension (the text
// after the first ':', trimmed, lower-cased) and otherwise "other:" the
// other-text; the last line of a key wins. Valid when the extension is not
// empty and is a plain word (letters and digits only, at most 8: it becomes
// part of a file name). Answers bValid; *out holds what was read either way.
bool DnInfo_Parse(const uint8_t* data, size_t n, TDnInfo* out);

// "zivra/jigsaws_bemo/" below the host.
constexpr const char* kDnSitePath = "zivra/jigsaws_bemo/";
constexpr const char* kDnCatalogueName = "info.dat";
// "<prefix><host>/zivra/jigsaws_bemo/info.dat", the prefix by DnSrcProtocolPrefix(host).
std::string DnCatalogueUrl(const std::string& host);
// "<prefix><host>/zivra/jigsaws_bemo/<name>.<ext>", the name percent-encoded
// where a URL needs it (blanks, '%', '#', '?', non-ASCII).
std::string DnJigsawUrl(const std::string& host, const std::string& displayName, const std::string& ext);
// A display name that may name a file in the jigsaws folder: not empty, no
// '/', no NUL, not "." or "..", not starting with '.', at most 200 bytes.
bool DnNameIsSafe(const std::string& displayName);
