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
constexpr int kDnSrcCount = 2;
std::string DnSrcHost(int i);            // 0 the primary host, 1 the mirror
std::string DnSrcProtocolPrefix();       // "http://"
int FindDnSrcIndByAddr(const std::string& host);  // 0 when none matches
std::string HomeSiteForInd(int i);       // "<site>/"
std::string HomePage();                  // "zivra-bemo.htm"

// ---- Autosave ----------------------------------------------------------------------------------
// The 5-second tick's rule: a game is open, autosave is on and needed, no
// command runs, the interval has passed since dtStart and no save is under
// way (sTempSolve absent), and this instance holds the autosave lock.
bool AutoSave_IsDue(double now);
// The tick: when due, dtStart := now and the game is autosaved. Answers whether it saved.
bool AutoSave_Tick(double now);
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
