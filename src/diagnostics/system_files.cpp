// Pure readers: version texts, the ASCII escape and the system's own text
// files. Nothing here touches the machine, so the fuzzers take it whole.
#include "diagnostics/diagnostics.h"

#include "platform/platform.h"

#include <cstdio>
#include <sstream>

namespace {

std::vector<std::string> SplitAt(const std::string& s, char sep)
{
    std::vector<std::string> parts;
    size_t at = 0;
    for (;;) {
        const size_t next = s.find(sep, at);
        parts.push_back(s.substr(at, next == std::string::npos ? std::string::npos : next - at));
        if (next == std::string::npos)
            return parts;
        at = next + 1;
    }
}

// The leading decimal digits of s as a number (0 without any), capped so
// that major * 10 + minor stays within 32 bits.
int32_t LeadingInt(const std::string& s)
{
    int64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            break;
        v = v * 10 + (c - '0');
        if (v > 100000000)
            return 100000000;
    }
    return int32_t(v);
}

std::string Trim(const std::string& s)
{
    const size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

// "key<sep>value" lines of a /proc file: the trimmed value of the first line
// whose trimmed key is `key`.
std::optional<std::string> ProcValue(const std::string& text, const std::string& key)
{
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const size_t colon = line.find(':');
        if (colon != std::string::npos && Trim(line.substr(0, colon)) == key)
            return Trim(line.substr(colon + 1));
    }
    return std::nullopt;
}

void AppendUtf8Escape(std::string& out, uint32_t cp)
{
    char buf[16];
    if (cp <= 0xFFFF)
        std::snprintf(buf, sizeof buf, "\\u%04X", unsigned(cp));
    else
        std::snprintf(buf, sizeof buf, "\\U%08X", unsigned(cp));
    out += buf;
}

// The length of a well-formed UTF-8 sequence at s[i] and its code point; 0 when broken.
size_t DecodeUtf8(const std::string& s, size_t i, uint32_t* cp)
{
    const auto b = [&](size_t k) { return uint8_t(s[k]); };
    const uint8_t c = b(i);
    size_t n = 0;
    uint32_t v = 0, min = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2, v = c & 0x1F, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3, v = c & 0x0F, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4, v = c & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80)
            return 0;
        v = (v << 6) | (b(i + k) & 0x3F);
    }
    if (v < min || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF))
        return 0;
    *cp = v;
    return n;
}

// The shell's quoting of one os-release value: "..." with backslash escapes,
// '...' literal, or bare.
std::string Unquote(const std::string& v)
{
    if (v.size() >= 2 && v.front() == '\'' && v.back() == '\'')
        return v.substr(1, v.size() - 2);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') {
        std::string out;
        for (size_t i = 1; i + 1 < v.size(); ++i) {
            if (v[i] == '\\' && i + 2 < v.size())
                ++i;
            out += v[i];
        }
        return out;
    }
    return v;
}

}  // namespace

// ---- Version texts ---------------------------------------------------------------------------

std::optional<int32_t> OsVersionFromText(const std::string& text)
{
    const std::vector<std::string> w = SplitAt(text, ' ');
    if (w.size() < 3)
        return std::nullopt;
    std::string word;
    if (w[0] == "OS" && w[1] == "X")
        word = w[2];
    else if (w[0] == "macOS")
        word = w[1];
    else if (w.size() > 3)
        word = w[3];
    else
        return std::nullopt;
    const std::vector<std::string> parts = SplitAt(word, '.');
    return 10 * LeadingInt(parts[0]) + (parts.size() > 1 ? LeadingInt(parts[1]) : 0);
}

std::optional<int32_t> OsVersionFromVersionId(const std::string& id)
{
    const std::vector<std::string> parts = SplitAt(id, '.');
    const auto digits = [](const std::string& s) { return s.find_first_not_of("0123456789") == std::string::npos; };
    if (parts[0].empty() || parts[0].size() > 8 || !digits(parts[0]))
        return std::nullopt;
    int32_t minor = 0;
    if (parts.size() > 1) {
        if (parts[1].empty() || !digits(parts[1]))
            return std::nullopt;
        minor = parts[1][0] - '0';
    }
    return 10 * LeadingInt(parts[0]) + minor;
}

// ---- ASCII escape ----------------------------------------------------------------------------

std::string ReportAscii(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const uint8_t c = uint8_t(text[i]);
        if (c == '\\') {
            out += "\\\\";
            ++i;
        } else if (c >= 0x20 && c < 0x7F) {
            out += char(c);
            ++i;
        } else if (uint32_t cp = 0; c >= 0x80 && DecodeUtf8(text, i, &cp) > 0) {
            AppendUtf8Escape(out, cp);
            i += DecodeUtf8(text, i, &cp);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", unsigned(c));
            out += buf;
            ++i;
        }
    }
    return out;
}

// ---- Readers of the system's files -----------------------------------------------------------

TReportPairs ParseOsRelease(const std::string& text)
{
    TReportPairs out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        const size_t eq = line.find('=');
        if (line.empty() || line[0] == '#' || eq == std::string::npos || eq == 0)
            continue;
        out.push_back({line.substr(0, eq), Unquote(line.substr(eq + 1))});
    }
    return out;
}

TReportPairs ParseCpuInfo(const std::string& text)
{
    TReportPairs out;
    if (auto v = ProcValue(text, "vendor_id"))
        out.push_back({"cpu_vendor", *v});
    // x86 names its model "model name"; ARM and others use other keys.
    for (const char* key : {"model name", "Model", "Hardware", "cpu model", "cpu"})
        if (auto v = ProcValue(text, key); v && !v->empty()) {
            out.push_back({"cpu_model", *v});
            break;
        }
    int processors = 0;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const size_t colon = line.find(':');
        if (colon != std::string::npos && Trim(line.substr(0, colon)) == "processor")
            ++processors;
    }
    if (processors > 0)
        out.push_back({"number_processors", std::to_string(processors)});
    return out;
}

TReportPairs ParseMemInfo(const std::string& text)
{
    TReportPairs out;
    if (auto v = ProcValue(text, "MemTotal"))
        out.push_back({"physical_memory", *v});
    if (auto v = ProcValue(text, "MemAvailable"))
        out.push_back({"available_memory", *v});
    return out;
}

std::vector<TMountEntry> ParseMounts(const std::string& text)
{
    // Fields are separated by spaces; spaces, tabs, newlines and backslashes
    // inside them are written as three octal digits after a backslash.
    const auto decode = [](const std::string& f) {
        std::string out;
        for (size_t i = 0; i < f.size(); ++i) {
            if (f[i] == '\\' && i + 3 < f.size()) {
                const std::string oct = f.substr(i + 1, 3);
                if (oct.size() == 3 && oct.find_first_not_of("01234567") == std::string::npos) {
                    out += char(std::stoi(oct, nullptr, 8) & 0xFF);
                    i += 3;
                    continue;
                }
            }
            out += f[i];
        }
        return out;
    };
    std::vector<TMountEntry> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        TMountEntry m;
        if (!(fields >> m.sSource >> m.sDir >> m.sType >> m.sOptions))
            continue;
        m.sSource = decode(m.sSource);
        m.sDir = decode(m.sDir);
        m.sType = decode(m.sType);
        out.push_back(m);
    }
    return out;
}

bool IsLocalMount(const TMountEntry& m)
{
    static const char* const kNetwork[] = {"nfs",  "nfs4", "cifs",      "smb3",       "smbfs", "sshfs",
                                           "9p",   "ceph", "glusterfs", "fuse.sshfs", "davfs", "fuse.rclone",
                                           "afs",  "ncpfs"};
    for (const char* t : kNetwork)
        if (m.sType == t)
            return false;
    // A local disk is a block device; ZFS names its pool instead, and a
    // container's root is an overlay of local folders.
    return m.sSource.rfind("/dev/", 0) == 0 || m.sType == "zfs" || m.sType == "overlay";
}

int32_t DisplayBitsPerPixelForDepth(int depth)
{
    switch (depth) {
    case 24:
    case 30:
    case 32: return 32;
    case 15:
    case 16: return 16;
    case 8: return 8;
    default:
        Platform().Log("Unable to match pixel encoding");
        return 0;
    }
}
