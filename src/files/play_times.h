// Play times (part of the files facade; include "files/files.h"): how long
// each saved game has been played, kept in a small per-user record beside the
// settings, never inside the saved game. A game is known by its file's path
// and its seed, so that another game saved under the same name starts at 0.
//
// The record "playtimes.dat" is text: the line "ZIVRA-PLAYTIMES 1", then one
// line per game, most recently saved first: seed, seconds and path, separated
// by tabs. Lines that do not read are skipped; the record holds at most
// kMaxPlayTimes games and is written atomically.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TPlayTimeEntry {
    std::string sPath;      // the saved game's path
    int32_t iSeed = 0;      // its GameSeed
    int64_t iSeconds = 0;   // time played, seconds
    bool operator==(const TPlayTimeEntry&) const = default;
};

constexpr size_t kMaxPlayTimes = 100;               // games remembered
constexpr size_t kMaxPlayTimesBytes = 256 * 1024;   // a larger record is not read
constexpr size_t kMaxPlayTimePath = 4096;           // longer paths are not kept
constexpr int64_t kMaxPlayTimeSeconds = int64_t(100) * 365 * 24 * 3600;

// The record's entries from its bytes; every line that reads (in order, at
// most kMaxPlayTimes, the first of a path and seed kept). False only for
// bytes without the record's first line.
bool PlayTimes_Parse(const std::vector<uint8_t>& bytes, std::vector<TPlayTimeEntry>* out);
std::vector<uint8_t> PlayTimes_Make(const std::vector<TPlayTimeEntry>& entries);
// The entry of path and seed moved (or put) first with `seconds`; the oldest
// go beyond kMaxPlayTimes. A path the record cannot hold (empty, too long, a
// line break or a zero byte in it) changes nothing and answers false.
bool PlayTimes_Put(std::vector<TPlayTimeEntry>& entries, const std::string& path, int32_t seed, int64_t seconds);
std::optional<int64_t> PlayTimes_Find(const std::vector<TPlayTimeEntry>& entries, const std::string& path,
                                      int32_t seed);

// The record in the per-user folder: the time kept for a saved game (0 when
// none), and keeping one (false, with a log line, when it cannot be written).
std::string PlayTimesFile();
int64_t PlayTime_Load(const std::string& path, int32_t seed);
bool PlayTime_Store(const std::string& path, int32_t seed, int64_t seconds);
