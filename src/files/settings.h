// Settings, recent files, download sources and the autosave rule (part of the
// files facade; include "files/files.h").
//
// The settings file is an XML property list holding one dictionary of strings.
// Each key is read on its own: a missing, non-string or unusable value leaves
// that key at its default and touches no other.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

// ---- Settings ---------------------------------------------------------------------------
using TSettingsDict = std::map<std::string, std::string>;

// Every default: DefJigP's cut choices, OptP, CurMA = DefMA, WinP colours,
// autosave on every 10 minutes, the primary download host, and "english"
// (whose language file is read).
void Settings_Default();
// Settings_Default, then every usable key of sSettings over it; the language
// named by "Lang_Name" is read when its file exists. Answers whether the file
// was read as a dictionary (false leaves the defaults).
bool Settings_Read();
// Writes every setting to sSettings atomically; false (and a log line) on failure.
bool Settings_Write();
// The dictionary of the current settings, and its application over the
// records (the pure halves of the two above).
TSettingsDict Settings_ToDict();
void Settings_ApplyDict(const TSettingsDict& d);
// The XML property list: a dictionary of strings. Reading keeps only <string>
// values; false for anything but a well-formed plist whose root is a dict.
bool Settings_ParsePlist(const std::vector<uint8_t>& xml, TSettingsDict* out);
std::vector<uint8_t> Settings_MakePlist(const TSettingsDict& d);
constexpr size_t kMaxSettingsBytes = 1u << 20;
constexpr int kAutosaveMinMinutes = 1, kAutosaveMaxMinutes = 60;

// ---- Recent files (per run) ---------------------------------------------------------------
constexpr int kMaxLastFiles = 4;
struct OLastFiles {
    std::vector<std::string> arFileNames;  // most recent first, at most kMaxLastFiles
    std::function<void()> fnRefreshMenu;   // installed by the window: retitle items 10..13
};
extern OLastFiles LastFiles;
// Puts path at the front (moving it when already listed, without regard to
// case; dropping the oldest beyond four); blank: only refreshes the menu.
void LastFiles_Update(const std::string& path);
int LastFiles_Count();
std::string LastFiles_MenuTitle(int i);  // "1. Forest.svm"

// ---- Download sources ----------------------------------------------------------------------
// The two download hosts (0 the primary, 1 the mirror) and the two home sites
// of the game's web site. Both tables are chosen when the game is built
// (-DZIVRA_DN_HOSTS="primary,mirror", -DZIVRA_HOME_SITES="site,mirror") and
// can be replaced for one run by the environment variables of the same
// names (one entry serves as both). A host may carry a port ("127.0.0.1:8080").
// DnSrc_Init fills them; Files_Reset calls it, so a test may set the variable
// and reset, or write the tables directly.
constexpr int kDnSrcCount = 2;
extern std::string sDnSrcAr[kDnSrcCount];
extern std::string sHomeSiteAr[kDnSrcCount];
void DnSrc_Init();
// True while the environment replaces the download hosts. A stored "DnSrc"
// outside the table then gives way to the primary host, and the settings
// keep the stored value (the replacement lasts one run).
extern bool bDnSrcFromEnvironment;
std::string DnSrcHost(int i);            // sDnSrcAr[i]; entry 0 for an index out of range
// "http://" for a loopback host (127.0.0.0/8, ::1, localhost), where plain
// HTTP cannot be overheard; "https://" for every other host. Without a host:
// "https://".
std::string DnSrcProtocolPrefix(const std::string& host = {});
bool DnSrcIsLoopback(const std::string& host);  // host with or without ":port", IPv6 in brackets
int FindDnSrcIndByAddr(const std::string& host);  // 0 when none matches (case-insensitive)
std::string HomeSiteForInd(int i);       // "<site>/"
std::string HomePage();                  // "zivra-bemo.htm"

// ---- Autosave ----------------------------------------------------------------------------------
// The 5-second tick's rule: a game is open, autosave is on and needed, no
// command runs, the interval has passed since dtStart and no save is under
// way (sTempSolve absent), and this instance holds the autosave lock.
bool AutoSave_IsDue(double now);
// The tick: when due, dtStart := now and the game is autosaved. Answers whether it saved.
bool AutoSave_Tick(double now);
// The tick's rule without the interval.
bool AutoSave_Wanted();
// The autosave at once, when the tick's rule but for the interval allows it:
// the program is about to end without asking anyone. Answers whether it saved.
bool AutoSave_BeforeEnd();
// Takes the per-user autosave lock for this process's lifetime. False when
// another running game holds it, with the text to tell the player; this
// instance then never autosaves.
struct OAutoSaveLockP {
    int fd = -1;  // the locked file; -1 when not held (per run)
};
extern OAutoSaveLockP AutoSaveLockP;
bool AutoSave_AcquireLock(std::string* message);
void AutoSave_ReleaseLock();
bool AutoSave_HoldsLock();
