// The per-user record of play times.
#include "files/files.h"

#include "platform/platform.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr const char* kPlayTimesHeader = "ZIVRA-PLAYTIMES 1";

bool PathStorable(const std::string& path)
{
    static constexpr char kBreaks[] = {'\r', '\n', '\0'};
    return !path.empty() && path.size() <= kMaxPlayTimePath &&
           path.find_first_of(kBreaks, 0, sizeof kBreaks) == std::string::npos;
}

// A whole field as a decimal integer within [lo, hi].
bool ParseField(const char* b, const char* e, int64_t lo, int64_t hi, int64_t* out)
{
    int64_t v = 0;
    const auto r = std::from_chars(b, e, v);
    if (r.ec != std::errc() || r.ptr != e || v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

// "seed<TAB>seconds<TAB>path" into an entry.
bool ParseLine(const char* b, const char* e, TPlayTimeEntry* out)
{
    const char* t1 = std::find(b, e, '\t');
    if (t1 == e)
        return false;
    const char* t2 = std::find(t1 + 1, e, '\t');
    if (t2 == e)
        return false;
    int64_t seed = 0, seconds = 0;
    if (!ParseField(b, t1, INT32_MIN, INT32_MAX, &seed) || !ParseField(t1 + 1, t2, 0, kMaxPlayTimeSeconds, &seconds))
        return false;
    out->sPath.assign(t2 + 1, e);
    out->iSeed = int32_t(seed);
    out->iSeconds = seconds;
    return PathStorable(out->sPath);
}

}  // namespace

bool PlayTimes_Parse(const std::vector<uint8_t>& bytes, std::vector<TPlayTimeEntry>* out)
{
    out->clear();
    const char* p = reinterpret_cast<const char*>(bytes.data());
    const char* end = p + bytes.size();
    const char* eol = std::find(p, end, '\n');
    std::string first(p, eol);
    if (!first.empty() && first.back() == '\r')
        first.pop_back();
    if (first != kPlayTimesHeader)
        return false;
    for (p = eol; p < end && out->size() < kMaxPlayTimes;) {
        ++p;  // past the line break
        eol = std::find(p, end, '\n');
        const char* e = eol > p && eol[-1] == '\r' ? eol - 1 : eol;
        TPlayTimeEntry entry;
        if (ParseLine(p, e, &entry) && !PlayTimes_Find(*out, entry.sPath, entry.iSeed))
            out->push_back(std::move(entry));
        p = eol;
    }
    return true;
}

std::vector<uint8_t> PlayTimes_Make(const std::vector<TPlayTimeEntry>& entries)
{
    std::string text = std::string(kPlayTimesHeader) + "\n";
    size_t n = 0;
    for (const TPlayTimeEntry& e : entries) {
        if (n == kMaxPlayTimes)
            break;
        if (!PathStorable(e.sPath))
            continue;
        const int64_t seconds = std::clamp<int64_t>(e.iSeconds, 0, kMaxPlayTimeSeconds);
        text += std::to_string(e.iSeed) + "\t" + std::to_string(seconds) + "\t" + e.sPath + "\n";
        ++n;
    }
    return {text.begin(), text.end()};
}

bool PlayTimes_Put(std::vector<TPlayTimeEntry>& entries, const std::string& path, int32_t seed, int64_t seconds)
{
    if (!PathStorable(path))
        return false;
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const TPlayTimeEntry& e) { return e.iSeed == seed && e.sPath == path; }),
                  entries.end());
    entries.insert(entries.begin(), TPlayTimeEntry{path, seed, std::clamp<int64_t>(seconds, 0, kMaxPlayTimeSeconds)});
    if (entries.size() > kMaxPlayTimes)
        entries.resize(kMaxPlayTimes);
    return true;
}

std::optional<int64_t> PlayTimes_Find(const std::vector<TPlayTimeEntry>& entries, const std::string& path,
                                      int32_t seed)
{
    for (const TPlayTimeEntry& e : entries)
        if (e.iSeed == seed && e.sPath == path)
            return e.iSeconds;
    return std::nullopt;
}

std::string PlayTimesFile()
{
    return FileNames.sUserPath.empty() ? std::string() : FileNames.sUserPath + "playtimes.dat";
}

namespace {

std::vector<TPlayTimeEntry> ReadPlayTimes()
{
    std::vector<uint8_t> bytes;
    std::vector<TPlayTimeEntry> entries;
    const std::string file = PlayTimesFile();
    if (!file.empty() && ReadWholeFile(file, kMaxPlayTimesBytes, &bytes))
        PlayTimes_Parse(bytes, &entries);
    return entries;
}

}  // namespace

int64_t PlayTime_Load(const std::string& path, int32_t seed)
{
    return PlayTimes_Find(ReadPlayTimes(), path, seed).value_or(0);
}

bool PlayTime_Store(const std::string& path, int32_t seed, int64_t seconds)
{
    const std::string file = PlayTimesFile();
    if (file.empty())
        return false;
    std::vector<TPlayTimeEntry> entries = ReadPlayTimes();
    if (!PlayTimes_Put(entries, path, seed, seconds))
        return false;
    std::string error;
    if (!WriteFileAtomically(file, PlayTimes_Make(entries), &error)) {
        Platform().Log("play times not kept: " + error);
        return false;
    }
    return true;
}
