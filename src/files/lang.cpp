// Language files: the strings-file parser, the language holder, lookups and
// the safe filling of language texts that are formats.
#include "files/files.h"

#include "model/game_state.h"
#include "base/helpers.h"
#include "platform/platform.h"

OLangP LangP;

// ---- Decoding to code points --------------------------------------------------------

namespace {

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(char(c));
    } else if (c < 0x800) {
        out.push_back(char(0xC0 | (c >> 6)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(char(0xE0 | (c >> 12)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (c >> 18)));
        out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    }
}

bool DecodeUtf16(const uint8_t* d, size_t n, bool bigEndian, std::u32string* out, std::string* err)
{
    if (n % 2 != 0) {
        *err = "odd number of bytes for UTF-16 text";
        return false;
    }
    auto unit = [&](size_t i) -> char32_t {
        return bigEndian ? char32_t(d[i] << 8 | d[i + 1]) : char32_t(d[i] | d[i + 1] << 8);
    };
    for (size_t i = 0; i < n; i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF) {
            const char32_t lo = i + 3 < n ? unit(i + 2) : 0;
            if (lo < 0xDC00 || lo > 0xDFFF) {
                *err = "broken UTF-16 surrogate pair";
                return false;
            }
            c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
            i += 2;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            *err = "broken UTF-16 surrogate pair";
            return false;
        }
        out->push_back(c);
    }
    return true;
}

bool DecodeUtf8(const uint8_t* d, size_t n, std::u32string* out, std::string* err)
{
    for (size_t i = 0; i < n;) {
        const uint8_t c = d[i];
        int len = c < 0x80 ? 1 : (c >= 0xC2 && c <= 0xDF) ? 2 : (c >= 0xE0 && c <= 0xEF) ? 3
                              : (c >= 0xF0 && c <= 0xF4) ? 4 : 0;
        if (len == 0 || i + size_t(len) > n) {
            *err = "text is neither UTF-16 with a byte-order mark nor UTF-8";
            return false;
        }
        char32_t cp = len == 1 ? c : (c & (0x7F >> len));
        for (int k = 1; k < len; ++k) {
            if ((d[i + size_t(k)] & 0xC0) != 0x80) {
                *err = "text is neither UTF-16 with a byte-order mark nor UTF-8";
                return false;
            }
            cp = (cp << 6) | (d[i + size_t(k)] & 0x3F);
        }
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF)) {
            *err = "text is neither UTF-16 with a byte-order mark nor UTF-8";
            return false;
        }
        out->push_back(cp);
        i += size_t(len);
    }
    return true;
}

bool DecodeText(const uint8_t* d, size_t n, std::u32string* out, std::string* err)
{
    if (n >= 2 && d[0] == 0xFF && d[1] == 0xFE)
        return DecodeUtf16(d + 2, n - 2, false, out, err);
    if (n >= 2 && d[0] == 0xFE && d[1] == 0xFF)
        return DecodeUtf16(d + 2, n - 2, true, out, err);
    if (n >= 3 && d[0] == 0xEF && d[1] == 0xBB && d[2] == 0xBF)
        return DecodeUtf8(d + 3, n - 3, out, err);
    return DecodeUtf8(d, n, out, err);
}

// ---- The strings-file grammar ----------------------------------------------------------
// entry := string [ "=" string ] ";"   string := "quoted" | bare-word
class StringsParser {
public:
    explicit StringsParser(const std::u32string& t) : t_(t) {}

    bool Parse(TLangDict* out)
    {
        for (;;) {
            if (!SkipBlanks())
                return false;
            if (i_ >= t_.size())
                return true;
            std::string key, value;
            if (!ReadString(&key))
                return false;
            if (!SkipBlanks())
                return false;
            if (Peek() == U'=') {
                ++i_;
                if (!SkipBlanks() || !ReadString(&value) || !SkipBlanks())
                    return false;
            } else {
                value = key;
            }
            if (Peek() != U';')
                return Fail("expected ';' after the entry");
            ++i_;
            (*out)[key] = value;
        }
    }
    int Line() const { return line_; }
    const std::string& Error() const { return err_; }

private:
    char32_t Peek() const { return i_ < t_.size() ? t_[i_] : 0; }
    bool Fail(const std::string& why)
    {
        err_ = why;
        return false;
    }
    void Advance()
    {
        if (t_[i_] == U'\n')
            ++line_;
        ++i_;
    }

    bool SkipBlanks()
    {
        while (i_ < t_.size()) {
            const char32_t c = t_[i_];
            if (c == U' ' || c == U'\t' || c == U'\r' || c == U'\n' || c == 0xFEFF || c == 0x2028) {
                Advance();
            } else if (c == U'/' && i_ + 1 < t_.size() && t_[i_ + 1] == U'/') {
                while (i_ < t_.size() && t_[i_] != U'\n')
                    ++i_;
            } else if (c == U'/' && i_ + 1 < t_.size() && t_[i_ + 1] == U'*') {
                const int start = line_;
                i_ += 2;
                while (i_ + 1 < t_.size() && !(t_[i_] == U'*' && t_[i_ + 1] == U'/'))
                    Advance();
                if (i_ + 1 >= t_.size()) {
                    line_ = start;
                    return Fail("comment not closed");
                }
                i_ += 2;
            } else {
                return true;
            }
        }
        return true;
    }

    static bool IsBare(char32_t c)
    {
        return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9') ||
               c == U'_' || c == U'$' || c == U'+' || c == U'/' || c == U':' || c == U'.' || c == U'-';
    }

    bool ReadString(std::string* out)
    {
        if (i_ >= t_.size())
            return Fail("unexpected end of file");
        if (t_[i_] != U'"') {
            if (!IsBare(t_[i_]))
                return Fail("expected a quoted text");
            while (i_ < t_.size() && IsBare(t_[i_]))
                AppendUtf8(*out, t_[i_++]);
            return true;
        }
        const int start = line_;
        ++i_;
        while (i_ < t_.size() && t_[i_] != U'"') {
            char32_t c = t_[i_];
            if (c == 0)
                return Fail("NUL character in a text");
            if (c == U'\\') {
                if (!ReadEscape(&c))
                    return false;
            } else {
                Advance();
            }
            AppendUtf8(*out, c);
        }
        if (i_ >= t_.size()) {
            line_ = start;
            return Fail("text not closed with '\"'");
        }
        ++i_;
        return true;
    }

    int HexDigit(char32_t c) const
    {
        if (c >= U'0' && c <= U'9') return int(c - U'0');
        if (c >= U'a' && c <= U'f') return int(c - U'a' + 10);
        if (c >= U'A' && c <= U'F') return int(c - U'A' + 10);
        return -1;
    }

    bool ReadEscape(char32_t* out)
    {
        ++i_;  // the backslash
        if (i_ >= t_.size())
            return Fail("text not closed with '\"'");
        const char32_t c = t_[i_];
        switch (c) {
        case U'n': *out = U'\n'; ++i_; return true;
        case U't': *out = U'\t'; ++i_; return true;
        case U'r': *out = U'\r'; ++i_; return true;
        case U'u': case U'U': {
            char32_t v = 0;
            for (int k = 1; k <= 4; ++k) {
                const int h = i_ + size_t(k) < t_.size() ? HexDigit(t_[i_ + size_t(k)]) : -1;
                if (h < 0)
                    return Fail("bad \\u escape");
                v = v * 16 + char32_t(h);
            }
            if (v == 0 || (v >= 0xD800 && v <= 0xDFFF))
                return Fail("bad \\u escape");
            *out = v;
            i_ += 5;
            return true;
        }
        default:
            // \" \\ and any other character stand for themselves.
            *out = c;
            Advance();
            return true;
        }
    }

    const std::u32string& t_;
    size_t i_ = 0;
    int line_ = 1;
    std::string err_;
};

}  // namespace

bool ParseStringsFile(const uint8_t* data, size_t n, TLangDict* out, int* errLine, std::string* err)
{
    std::u32string text;
    *errLine = 0;
    if (!DecodeText(data, n, &text, err))
        return false;
    TLangDict dict;
    StringsParser p(text);
    if (!p.Parse(&dict)) {
        *errLine = p.Line();
        *err = p.Error();
        return false;
    }
    *out = std::move(dict);
    return true;
}

// ---- The language holder ------------------------------------------------------------------

void LangP_Init()
{
    LangP.arLangDesc.clear();
    LangP.nsiCustomFlag = MyImageCreateFromFile(FileNames.sResourcePath + "/lang_flag_custom.bmp", false);
    if (!LangP.nsiCustomFlag)
        Platform().Log("no custom language flag in " + FileNames.sResourcePath);
    for (const std::string& file : ListFolderSorted(FileNames.sLangPath)) {
        if (FileExtLower(file) != "lng")
            continue;
        if (int(LangP.arLangDesc.size()) >= kMaxLanguages)
            break;
        OLangDesc d;
        d.sName = FileNameWithoutExt(file);
        const std::string flag = FileNames.sLangPath + d.sName + ".png";
        if (FileExists(flag)) {
            d.sFlagPath = flag;
            d.image = MyImageCreateFromFile(flag, false);
        }
        LangP.arLangDesc.push_back(std::move(d));
    }
}

std::string LangMesFile(const std::string& name) { return FileNames.sLangPath + StrLower(name) + ".lng"; }

bool ReadLangFile(const std::string& path)
{
    if (!FileExists(path)) {
        Platform().ShowMessage("Could not find language file '" + path + "' !");
        return false;
    }
    std::vector<uint8_t> bytes;
    TLangDict dict;
    int line = 0;
    std::string why;
    if (!ReadWholeFile(path, kMaxLangFileBytes, &bytes)) {
        why = "cannot read it, or it is larger than 4 MB";
    } else if (ParseStringsFile(bytes.data(), bytes.size(), &dict, &line, &why)) {
        LangP.Dict = std::move(dict);
        SetLangMessageFn(&CaretMesFormat);  // the play rules' messages, in this language
        if (LangP.fnRetitle)
            LangP.fnRetitle();
        return true;
    }
    // A damaged file leaves the language in use as it was.
    const std::string where = line > 0 ? ", line " + std::to_string(line) : std::string();
    const std::string text = "The language file '" + path + "' is damaged" + where + ": " + why;
    Platform().Log(text);
    Platform().ShowMessage(text);
    return false;
}

std::string LangGetKeyVal(const std::string& key)
{
    if (!LangP.Dict)
        return key;
    const auto it = LangP.Dict->find(key);
    return it == LangP.Dict->end() ? key : it->second;
}

std::string CaretMesFormat(const std::string& key)
{
    std::string s = LangGetKeyVal(key);
    for (size_t at = s.find("$D"); at != std::string::npos; at = s.find("$D", at + 1))
        s.replace(at, 2, "\n");
    return s;
}

// ---- Filling formats --------------------------------------------------------------------------

namespace {

// One conversion at text[i] == '%': its length and which argument kind it
// wants ('d', '@' or '%'), with an explicit 1-based position when written as %N$.
bool ParseConversion(const std::string& t, size_t i, size_t* len, char* kind, int* pos)
{
    size_t j = i + 1;
    *pos = 0;
    if (j < t.size() && t[j] >= '1' && t[j] <= '9' && j + 1 < t.size() && t[j + 1] == '$') {
        *pos = t[j] - '0';
        j += 2;
    }
    if (j >= t.size())
        return false;
    if (t[j] == '%' && *pos == 0) {
        *kind = '%';
    } else if (t[j] == 'd' || t[j] == 'i' || t[j] == 'u') {
        *kind = 'd';
    } else if (t[j] == 'l' && j + 1 < t.size() && (t[j + 1] == 'd' || t[j + 1] == 'i' || t[j + 1] == 'u')) {
        *kind = 'd';
        ++j;
    } else if (t[j] == '@' || t[j] == 's') {
        *kind = '@';
    } else {
        return false;
    }
    *len = j + 1 - i;
    return true;
}

}  // namespace

std::string LangFormat(const std::string& text, const std::vector<LangArg>& args)
{
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < text.size();) {
        size_t len = 0;
        char kind = 0;
        int pos = 0;
        if (text[i] != '%' || !ParseConversion(text, i, &len, &kind, &pos)) {
            out.push_back(text[i++]);
            continue;
        }
        if (kind == '%') {
            out.push_back('%');
            i += len;
            continue;
        }
        const size_t a = pos > 0 ? size_t(pos - 1) : next;
        const bool fits = a < args.size() && args[a].isInt == (kind == 'd');
        if (fits)
            out += args[a].isInt ? std::to_string(args[a].i) : args[a].s;
        else
            out.append(text, i, len);
        if (pos == 0)
            ++next;
        i += len;
    }
    return out;
}
