// The settings records: defaults, the key-by-key reading of the settings
// dictionary, recent files, download sources and the autosave rule.
#include "files/files.h"
#include "cutting/cutting.h"

#include "model/game_state.h"
#include "model/puzzle.h"
#include "platform/platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

OLastFiles LastFiles;
OAutoSaveLockP AutoSaveLockP;

namespace {

std::string sDnSrcStored;  // "DnSrc" as read from the settings, while the environment rules

#ifndef ZIVRA_DN_HOSTS
#define ZIVRA_DN_HOSTS "jigsaws.zivra-games.example,mirror.zivra-games.example"
#endif
#ifndef ZIVRA_HOME_SITES
#define ZIVRA_HOME_SITES "www.zivra-games.example,www.zivra-games-mirror.example"
#endif

// "a,b" into the two entries of a table: blanks around entries dropped, one
// entry used for both; false (table untouched) when there is none.
bool SplitHostTable(const char* text, std::string (&table)[kDnSrcCount])
{
    if (!text)
        return false;
    std::vector<std::string> items;
    std::string cur;
    for (const char* p = text;; ++p) {
        if (*p == ',' || *p == '\0') {
            size_t b = 0, e = cur.size();
            while (b < e && (cur[b] == ' ' || cur[b] == '\t'))
                ++b;
            while (e > b && (cur[e - 1] == ' ' || cur[e - 1] == '\t'))
                --e;
            if (e > b)
                items.push_back(cur.substr(b, e - b));
            cur.clear();
            if (*p == '\0')
                break;
        } else {
            cur += *p;
        }
    }
    if (items.empty())
        return false;
    for (int i = 0; i < kDnSrcCount; ++i)
        table[i] = items[std::min(size_t(i), items.size() - 1)];
    return true;
}

// A whole decimal integer of 32 bits, blanks around it allowed; nothing else.
bool ParseSettingInt(const std::string& s, int32_t* out)
{
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\n' || s[b] == '\r'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\n' || s[e - 1] == '\r'))
        --e;
    if (b == e || e - b > 12)
        return false;
    const std::string t = s.substr(b, e - b);
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(t.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < INT32_MIN || v > INT32_MAX)
        return false;
    *out = int32_t(v);
    return true;
}

// Reads one key as an integer within [lo, hi]; otherwise the target keeps its default.
template <class T>
void ReadInt(const TSettingsDict& d, const char* key, T* target, int32_t lo, int32_t hi)
{
    const auto it = d.find(key);
    int32_t v = 0;
    if (it != d.end() && ParseSettingInt(it->second, &v) && v >= lo && v <= hi)
        *target = T(v);
}

// "non-zero -> 1"
template <class T>
void ReadFlag(const TSettingsDict& d, const char* key, T* target)
{
    const auto it = d.find(key);
    int32_t v = 0;
    if (it != d.end() && ParseSettingInt(it->second, &v))
        *target = T(v != 0 ? 1 : 0);
}

// A modifier code is one of none, Shift, Alt, Control, Meta.
void ReadShift(const TSettingsDict& d, const char* key, uint8_t* target)
{
    uint8_t v = 0xFF;
    ReadInt(d, key, &v, 0, 8);
    if (v == 0 || v == 1 || v == 2 || v == 4 || v == 8)
        *target = v;
}

// A language name is a plain file name: no folders, nothing hidden.
bool LanguageNameUsable(const std::string& name)
{
    return !name.empty() && name.size() <= 64 && name.find('/') == std::string::npos && name[0] != '.' &&
           FileExists(LangMesFile(name));
}

}  // namespace

// ---- Defaults and the dictionary -----------------------------------------------------------

void Settings_Default()
{
    DefJigP.Rotate = 0;
    DefJigP.BorderStyle = 0;
    DefJigP.ShapeStyle = 0;
    DefJigP.Level = 5;
    DefJigP.SpreadOut = 0;
    DefJigP.FitToScreen = 1;
    OptP = TOptions{};
    OptP.DnSrc = sDnSrcAr[0];
    CurMA = DefMA;
    WinP.lBkgColorAll = kDefaultBkgColor;
    for (int32_t& c : WinP.lBkgColors)
        c = kDefaultBkgColor;
    AutoSaveP.bEnabled = true;
    AutoSaveP.iIntervalMin = 10;
    AutoSaveP.dtInterval = 600;
    LastFiles.arFileNames.clear();
    LangP.sCurLang = "english";
    ReadLangFile(LangMesFile(LangP.sCurLang));
}

void Settings_ApplyDict(const TSettingsDict& d)
{
    ReadFlag(d, "DefJig_Rotate", &DefJigP.Rotate);
    ReadInt(d, "DefJig_BorderStyle", &DefJigP.BorderStyle, 0, 1);
    ReadInt(d, "DefJig_ShapeStyle", &DefJigP.ShapeStyle, 0, kShapeStyleCount - 1);
    ReadInt(d, "DefJig_Level", &DefJigP.Level, 0, 13);
    ReadInt(d, "DefJig_SpreadOut", &DefJigP.SpreadOut, 0, 1);
    ReadFlag(d, "DefJig_FitToScreen", &DefJigP.FitToScreen);
    // An interval outside 1..60 minutes is brought inside it: a zero or
    // negative interval would autosave on every tick.
    int32_t minutes = INT32_MIN;
    ReadInt(d, "Autosave_IntervalMin", &minutes, INT32_MIN + 1, INT32_MAX);
    if (minutes != INT32_MIN)
        AutoSaveP.iIntervalMin = minutes < kAutosaveMinMinutes ? kAutosaveMinMinutes
                               : minutes > kAutosaveMaxMinutes ? kAutosaveMaxMinutes : minutes;
    AutoSaveP.dtInterval = AutoSaveP.iIntervalMin * 60.0;
    ReadFlag(d, "Autosave_Enabled", &AutoSaveP.bEnabled);
    ReadInt(d, "CurMA_RotCW_Button", &CurMA.RotCW.bButton, 0, 2);
    ReadShift(d, "CurMA_RotCW_Shift", &CurMA.RotCW.bShift);
    ReadInt(d, "CurMA_RotCCW_Button", &CurMA.RotCCW.bButton, 0, 2);
    ReadShift(d, "CurMA_RotCCW_Shift", &CurMA.RotCCW.bShift);
    ReadInt(d, "CurMA_MoveOW_Button", &CurMA.MoveOW.bButton, 0, 2);
    ReadShift(d, "CurMA_MoveOW_Shift", &CurMA.MoveOW.bShift);
    ReadFlag(d, "CurMA_SingleWin", &CurMA.bSingleWin);
    ReadFlag(d, "CurMA_ClickToDrag", &CurMA.bClickToDrag);
    ReadFlag(d, "CurMA_RotWheel", &CurMA.bRotWheel);
    ReadInt(d, "StuckKoef", &OptP.StuckKoef, 10, 30);
    ReadInt(d, "Visual_EmbossStyle", &OptP.Visual_EmbossStyle, kEmbossNone, kEmbossLast);
    ReadFlag(d, "Visual_ShowJoin", &OptP.Visual_ShowJoin);
    ReadFlag(d, "Visual_Shadows", &OptP.Visual_Shadows);
    ReadFlag(d, "Sound_Play", &OptP.Sound_Play);
    const auto lang = d.find("Lang_Name");
    if (lang != d.end() && LanguageNameUsable(lang->second))
        LangP.sCurLang = lang->second;
    const auto dn = d.find("DnSrc");
    if (dn != d.end() && !TrimStrEmpty(dn->second)) {
        if (bDnSrcFromEnvironment)
            sDnSrcStored = dn->second;
        if (!bDnSrcFromEnvironment || StrEqualNoCase(dn->second, sDnSrcAr[FindDnSrcIndByAddr(dn->second)]))
            OptP.DnSrc = dn->second;
    }
    int32_t count = 0;
    ReadInt(d, "LastFiles_Num", &count, 0, 1000);
    LastFiles.arFileNames.clear();
    for (int32_t i = 0; i < count && int(LastFiles.arFileNames.size()) < kMaxLastFiles; ++i) {
        const auto it = d.find(StrFormat("LastFiles_%d", int(i)));
        if (it != d.end() && !TrimStrEmpty(it->second))
            LastFiles.arFileNames.push_back(it->second);
    }
}

TSettingsDict Settings_ToDict()
{
    TSettingsDict d;
    auto num = [&](const char* key, int v) { d[key] = std::to_string(v); };
    num("DefJig_Rotate", DefJigP.Rotate);
    num("DefJig_BorderStyle", DefJigP.BorderStyle);
    num("DefJig_ShapeStyle", DefJigP.ShapeStyle);
    num("DefJig_Level", DefJigP.Level);
    num("DefJig_SpreadOut", DefJigP.SpreadOut);
    num("DefJig_FitToScreen", DefJigP.FitToScreen);
    num("Autosave_IntervalMin", AutoSaveP.iIntervalMin);
    num("Autosave_Enabled", AutoSaveP.bEnabled ? 1 : 0);
    num("CurMA_RotCW_Button", CurMA.RotCW.bButton);
    num("CurMA_RotCW_Shift", CurMA.RotCW.bShift);
    num("CurMA_RotCCW_Button", CurMA.RotCCW.bButton);
    num("CurMA_RotCCW_Shift", CurMA.RotCCW.bShift);
    num("CurMA_MoveOW_Button", CurMA.MoveOW.bButton);
    num("CurMA_MoveOW_Shift", CurMA.MoveOW.bShift);
    num("CurMA_SingleWin", CurMA.bSingleWin);
    num("CurMA_ClickToDrag", CurMA.bClickToDrag);
    num("CurMA_RotWheel", CurMA.bRotWheel);
    num("StuckKoef", OptP.StuckKoef);
    num("Visual_EmbossStyle", OptP.Visual_EmbossStyle);
    num("Visual_ShowJoin", OptP.Visual_ShowJoin ? 1 : 0);
    num("Visual_Shadows", OptP.Visual_Shadows ? 1 : 0);
    num("Sound_Play", OptP.Sound_Play ? 1 : 0);
    d["Lang_Name"] = LangP.sCurLang;
    num("LastFiles_Num", int(LastFiles.arFileNames.size()));
    for (size_t i = 0; i < LastFiles.arFileNames.size(); ++i)
        d[StrFormat("LastFiles_%d", int(i))] = LastFiles.arFileNames[i];
    if (bDnSrcFromEnvironment) {
        if (!sDnSrcStored.empty())
            d["DnSrc"] = sDnSrcStored;
    } else if (!OptP.DnSrc.empty()) {
        d["DnSrc"] = OptP.DnSrc;
    }
    return d;
}

// ---- Recent files ---------------------------------------------------------------------------

void LastFiles_Update(const std::string& path)
{
    if (!TrimStrEmpty(path)) {
        auto& names = LastFiles.arFileNames;
        for (auto it = names.begin(); it != names.end(); ++it)
            if (StrEqualNoCase(*it, path)) {
                names.erase(it);
                break;
            }
        names.insert(names.begin(), path);
        if (int(names.size()) > kMaxLastFiles)
            names.resize(kMaxLastFiles);
    }
    if (LastFiles.fnRefreshMenu)
        LastFiles.fnRefreshMenu();
}

int LastFiles_Count() { return int(LastFiles.arFileNames.size()); }

std::string LastFiles_MenuTitle(int i)
{
    if (i < 0 || i >= LastFiles_Count())
        return {};
    return std::to_string(i + 1) + ". " + FileNameOf(LastFiles.arFileNames[size_t(i)]);
}

// ---- Download sources -------------------------------------------------------------------------

std::string sDnSrcAr[kDnSrcCount];
std::string sHomeSiteAr[kDnSrcCount];
bool bDnSrcFromEnvironment = false;
// The tables are usable before the first reset (the tools read settings without one).
[[maybe_unused]] static const bool kDnSrcFilled = (DnSrc_Init(), true);

void DnSrc_Init()
{
    bDnSrcFromEnvironment = SplitHostTable(std::getenv("ZIVRA_DN_HOSTS"), sDnSrcAr);
    if (!bDnSrcFromEnvironment)
        SplitHostTable(ZIVRA_DN_HOSTS, sDnSrcAr);
    sDnSrcStored.clear();
    if (!SplitHostTable(std::getenv("ZIVRA_HOME_SITES"), sHomeSiteAr))
        SplitHostTable(ZIVRA_HOME_SITES, sHomeSiteAr);
}

std::string DnSrcHost(int i) { return sDnSrcAr[i >= 0 && i < kDnSrcCount ? i : 0]; }

bool DnSrcIsLoopback(const std::string& host)
{
    std::string h = host;
    if (!h.empty() && h[0] == '[') {  // [v6]:port
        const size_t close = h.find(']');
        if (close == std::string::npos || (close + 1 < h.size() && h[close + 1] != ':'))
            return false;
        h = h.substr(1, close - 1);
        return h == "::1";
    }
    if (const size_t colon = h.find(':'); colon != std::string::npos) {
        if (h.find(':', colon + 1) != std::string::npos)
            return h == "::1";  // a bare IPv6 address
        h = h.substr(0, colon);
    }
    if (StrEqualNoCase(h, "localhost"))
        return true;
    // 127.a.b.c in dotted decimal, nothing else.
    int parts = 0;
    size_t i = 0;
    int first = -1;
    while (i <= h.size()) {
        size_t j = i;
        int v = 0;
        while (j < h.size() && h[j] >= '0' && h[j] <= '9' && j - i < 3)
            v = v * 10 + (h[j++] - '0');
        if (j == i || v > 255)
            return false;
        if (first < 0)
            first = v;
        ++parts;
        if (j == h.size())
            break;
        if (h[j] != '.')
            return false;
        i = j + 1;
    }
    return parts == 4 && first == 127;
}

std::string DnSrcProtocolPrefix(const std::string& host)
{
    return !host.empty() && DnSrcIsLoopback(host) ? "http://" : "https://";
}

int FindDnSrcIndByAddr(const std::string& host)
{
    for (int i = 0; i < kDnSrcCount; ++i)
        if (StrEqualNoCase(host, sDnSrcAr[i]))
            return i;
    return 0;
}

std::string HomeSiteForInd(int i) { return sHomeSiteAr[i >= 0 && i < kDnSrcCount ? i : 0] + "/"; }
std::string HomePage() { return "zivra-bemo.htm"; }

// ---- Autosave ------------------------------------------------------------------------------------

bool AutoSave_Wanted()
{
    return FileNames.bOpen && AutoSaveP.bEnabled && AutoSaveP.bNeedAutoSave && !bAutoSaveDoProc &&
           !FileExists(FileNames.sTempSolve) && AutoSave_HoldsLock();
}

bool AutoSave_IsDue(double now) { return now - AutoSaveP.dtStart >= AutoSaveP.dtInterval && AutoSave_Wanted(); }

bool AutoSave_BeforeEnd()
{
    if (!AutoSave_Wanted())
        return false;
    AutoSaveP.dtStart = GetNow();
    return SaveSolveFile(FileNames.sAutoSaved, true);
}

bool AutoSave_Tick(double now)
{
    if (!AutoSave_IsDue(now))
        return false;
    AutoSaveP.dtStart = now;
    return SaveSolveFile(FileNames.sAutoSaved, true);
}

bool AutoSave_AcquireLock(std::string* message)
{
    if (AutoSaveLockP.fd >= 0)
        return true;
    if (FileNames.sJigsPath.empty()) {
        if (message)
            *message = "The game's folder is not known: games will not be saved automatically.";
        return false;
    }
    const std::string path = FileNames.sJigsPath + "autosave.lock";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (fd >= 0)
            ::close(fd);
        if (message)
            *message = "Another Zivra Jigsaw is running: this one will not save games automatically, "
                       "so that the two never write over each other's autosave.";
        return false;
    }
    AutoSaveLockP.fd = fd;
    return true;
}

void AutoSave_ReleaseLock()
{
    if (AutoSaveLockP.fd >= 0)
        ::close(AutoSaveLockP.fd);
    AutoSaveLockP.fd = -1;
}

bool AutoSave_HoldsLock() { return AutoSaveLockP.fd >= 0; }
