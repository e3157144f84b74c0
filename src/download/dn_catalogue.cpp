// The download catalogue and the site's addresses.
#include "download/dn_catalogue.h"

#include "files/files.h"

#include <cctype>

TDnInfo DnInfo;

void DnInfo_Clear() { DnInfo = TDnInfo{}; }

namespace {

std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

// The text after the first ':' up to the next one (the second field of a split at ':').
std::string SecondField(const std::string& line)
{
    const size_t a = line.find(':');
    if (a == std::string::npos)
        return {};
    const size_t b = line.find(':', a + 1);
    return line.substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1);
}

bool ExtIsPlainWord(const std::string& ext)
{
    if (ext.empty() || ext.size() > 8)
        return false;
    for (const char c : ext)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    return true;
}

}  // namespace

bool DnInfo_Parse(const uint8_t* data, size_t n, TDnInfo* out)
{
    *out = TDnInfo{};
    if (n > kMaxDnCatalogueBytes)
        return false;
    // Line ends: "\n\r" and "\r\n" both become one "\n".
    std::string text;
    text.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        const char c = static_cast<char>(data[i]);
        if ((c == '\n' && i + 1 < n && data[i + 1] == '\r') || (c == '\r' && i + 1 < n && data[i + 1] == '\n')) {
            text += '\n';
            ++i;
        } else {
            text += c;
        }
    }
    if (text.find("ext:") == std::string::npos)
        return false;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(pos, end - pos);
        if (line.find("ext:") != std::string::npos) {
            std::string ext = Trim(SecondField(line));
            for (char& c : ext)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            out->sExt = ext;
        } else if (line.find("other:") != std::string::npos) {
            out->sOther = Trim(SecondField(line));
        }
        pos = end + 1;
    }
    out->bValid = ExtIsPlainWord(out->sExt);
    return out->bValid;
}

std::string DnCatalogueUrl(const std::string& host)
{
    return DnSrcProtocolPrefix(host) + host + "/" + kDnSitePath + kDnCatalogueName;
}

std::string DnJigsawUrl(const std::string& host, const std::string& displayName, const std::string& ext)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string name;
    for (const char ch : displayName) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            name += ch;
        } else {
            name += '%';
            name += kHex[c >> 4];
            name += kHex[c & 15];
        }
    }
    return DnSrcProtocolPrefix(host) + host + "/" + kDnSitePath + name + "." + ext;
}

bool DnNameIsSafe(const std::string& displayName)
{
    if (displayName.empty() || displayName.size() > 200 || displayName[0] == '.')
        return false;
    for (const char c : displayName)
        if (c == '/' || c == '\0')
            return false;
    return true;
}
