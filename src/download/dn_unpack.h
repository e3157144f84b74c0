// Unpacking a downloaded archive (libarchive; no Qt). Only the first regular
// file of an archive is used, and only its bytes: no name or path from the
// archive ever becomes a path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Unpacked bytes beyond this are refused (a jigsaw is a picture of at most a
// few tens of megabytes; a zip bomb stops here).
constexpr int64_t kMaxDnUnpackedBytes = 256ll << 20;

// The archive kinds the catalogue may name: "rar", "zip", "7z" (lower case).
bool DnArchiveExtKnown(const std::string& ext);

// The steps of the unpacking, as the messages tell them apart.
enum class EDnUnpackStep {
    Ok,
    Missing,    // "'%@' does not exist!"
    Open,       // "Failed to open archive %@!"
    List,       // "Error reading archive %@ (%@)"
    Empty,      // "No files found in archive %@"
    Unpack,     // "Failed to unpack archive %@ (%@)"
    NotJigsaw,  // the unpacked file is no readable jigsaw
    Write,      // the target could not be written
};
struct TDnUnpackResult {
    EDnUnpackStep step = EDnUnpackStep::Ok;
    std::string sReason;    // libarchive's error text ("unknown error" when it gives none)
    std::string sFirstName; // the first regular file's name in the archive (for the log only)
    std::string sText;      // the fixed English message for the player ("" on success)
};

// Steps 2 to 5 over bytes in memory: open as ext, list the entries, read the
// first regular file's data (at most maxUnpacked bytes) into *data.
TDnUnpackResult DnUnpackFirstFile(const uint8_t* archive, size_t n, const std::string& ext,
                                  int64_t maxUnpacked, std::vector<uint8_t>* data,
                                  const std::string& archiveNameForText = "archive");

// The whole unpacking of a downloaded archive file: it must exist; the first
// regular file is unpacked into a temporary file beside target, checked to be
// a readable jigsaw (header, thumbnail, description and a whole picture part),
// and only then renamed over target. On any failure target is untouched, the
// temporary file is gone and the archive stays. The archive kind comes from
// ext (the catalogue's), not from the file's name.
TDnUnpackResult ExtractArchive(const std::string& archivePath, const std::string& target,
                               const std::string& ext, int64_t maxUnpacked = kMaxDnUnpackedBytes);
