// The files facade: folders and file names, the part encoding shared by jigsaw
// and saved-game files, the jigsaw file, and the language files.
//
// Readers treat every file as untrusted: sizes are checked against the bytes
// present and against fixed caps before anything is allocated, and a failure
// is a false answer (no message; the caller reports).
#pragma once

#include "base/my_image.h"
#include "files/bin_io.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// Clears the per-run records of the files subsystem (file names, language).
void Files_Reset();
// Every record of the core back to its start values, in one place: the random
// generator (base), the cutter's tables, the puzzle records and the game
// state (model) and the files' holders. The seam to the user is left as it
// is. The game calls it once at start-up; the test mains before every test.
void Records_ResetAll();
// What every opened game starts from, once its pieces are in place: side
// `side` shown, no current piece, no drag (with a click-to-drag pending),
// solved when the pieces already form one upright group, nothing to save and
// the autosave clock restarted. OpenGameFile calls it; the platform's edited
// mark follows.
void Records_ResetOpenedGame(int side);

// ---- Folders and file names ----------------------------------------------------------
// Folder paths end with "/"; file paths do not. The folders are built once by
// FileNames_Create (per run); the game names change as games open and save.
struct OFileNames {
    std::string sUserPath;         // per-user data folder ($XDG_DATA_HOME/Zivra Jigsaw Bemo/)
    std::string sResourcePath;     // resource folder (no trailing slash)
    std::string sDocumentsPath;    // the user's documents folder (no trailing slash)
    std::string sLangPath;         // <resources>/language/
    std::string sSettings;         // <user>/settings.dat
    std::string sJigsPath;         // the per-user folder: jigsaws, saved games, autosave
    std::string sSolveExt = "svm"; // saved games
    std::string sSetJigExt = "zjg"; // jigsaw files
    std::string sAutoSaved;        // <user>/autosaved.svm
    std::string sTempSolve;        // the temporary file of this instance's save under way; "" when none
    std::string sDataPic;          // <resources>/pic_zivra.dat
    std::string sThumbPath;        // <resources>/thumb_bemo/
    std::string sDistJigsPath;     // <resources>/jigs_bemo/: the jigsaws that come with the game
    // The open game (per game):
    std::string sJig;              // jigsaw path, or the jigsaw name stored in a saved game
    std::string sJigName;          // jigsaw name (file name without extension)
    std::string sNewJig;           // jigsaw name from the last saved-game list/preview read
    std::string sSolve;            // saved-game path of the open game; "" until saved
    std::string sFirstDownloadJig; // first jigsaw fetched by the last download run
    bool bOpen = false;            // a game is open (false while a file is read)
};
extern OFileNames FileNames;

// Finds the resource folder (ZIVRA_RESOURCE_DIR when set, else resources/
// beside the binary, else share/zivra-jigsaw/ beside its bin/), creates the
// per-user folder, builds every path and (with cleanUp) removes the leftover
// files of an interrupted save. False with *error when the resource folder is
// missing or the user folder cannot be made. The tools pass cleanUp false: a
// running game's save may be under way.
bool FileNames_Create(std::string* error, bool cleanUp = true);
bool IsJigFile(const std::string& path);    // extension, lower-cased, is sSetJigExt
bool IsSolveFile(const std::string& path);  // extension, lower-cased, is sSolveExt
std::string TestPathFile(const std::string& name);  // name inside the documents folder
// Copies every bundled jigsaw missing from the user's folder (never overwrites);
// answers the number copied.
int CheckDistJigs();
// The files of a folder (not sub-folders, not hidden), sorted by name without regard to case.
std::vector<std::string> ListFolderSorted(const std::string& folder);

// ---- Part encoding ---------------------------------------------------------------------
// A part is a 32-bit little-endian length n and n bytes XORed with a key byte;
// in rotating mode the key turns right by one bit after each byte.
constexpr uint8_t kKeyThumb = 0x5A;        // thumbnail, both file kinds (constant)
constexpr uint8_t kKeyJigDesc = 0xC3;      // jigsaw description (rotating)
constexpr uint8_t kKeyJigPicture = 0x96;   // jigsaw picture (rotating)
constexpr uint8_t kKeySolvePicture = 0x3C; // saved game: working picture (constant)
constexpr uint8_t kKeySolveMask = 0xA5;    // saved game: mask image (constant)
constexpr uint8_t kKeySolveDesc = 0x69;    // saved game: description (constant)

void ScrambleBytes(uint8_t* p, size_t n, uint8_t key, bool rotating);  // its own inverse
// Reads one part at the current position, unscrambled. False (position
// undefined) when the length runs past the end or exceeds maxLen.
bool SaveBigFilePartToData(OBinReader& f, uint8_t key, bool rotating, uint32_t maxLen,
                           std::vector<uint8_t>* out, int64_t* endOffset = nullptr);
// Writes one part at the current position.
bool SaveDataToBigFile(OBinWriter& f, const uint8_t* data, size_t n, uint8_t key, bool rotating);

// ---- Jigsaw file -------------------------------------------------------------------------
constexpr int kJigHeaderSize = 27;                 // magic, width, height, key block
constexpr uint32_t kMaxThumbPartBytes = 16u << 20; // a thumbnail is small
constexpr int kMaxThumbSide = 2048;
constexpr uint32_t kMaxDescPartBytes = 64u << 10;
constexpr uint32_t kMaxPicturePartBytes = 512u << 20;

struct TJigFileHeader {
    uint32_t W = 0, H = 0;       // picture size claimed by the header
    uint8_t KeyBlock[10] = {};
    uint8_t HeaderKey = 0;       // KeyBlock[KeyBlock[0]]
};

// Magic, size (1..kMyImageMaxSide each) and key block (index 0..9).
bool JigFile_ReadHeader(OBinReader& f, TJigFileHeader* h);
// Decodes a thumbnail part: a picture of at most kMaxThumbSide a side.
OMyImagePtr DecodeThumbnail(const std::vector<uint8_t>& bytes);
// A stored description as text: valid UTF-8 is kept, other bytes above 127
// become '?', control characters other than line breaks and tabs are dropped.
std::string DecodeDescription(const std::vector<uint8_t>& bytes);
// The list/preview read: header and thumbnail into miReadThumb; unless
// listOnly, NewJigP's ImageW/H, SideNum 1, Reserved96 0, HeaderKey, DataOfs,
// then SetImageSize(0).
bool OpenJigFile_ForListOrPreview(const std::string& path, bool listOnly);
bool OpenJigData_ForListOrPreview(OBinReader& f, bool listOnly);  // the same over any reader
// Reads parts 2 and 3 starting at dataOfs: the description and the picture's encoded bytes.
bool JigFile_ReadPlayParts(OBinReader& f, int64_t dataOfs, std::string* desc, std::vector<uint8_t>* picture);
// Everything a jigsaw file tells, read without cutting (for tools and checks).
struct TJigFileInfo {
    TJigFileHeader header;
    int64_t DataOfs = 0;
    int ThumbW = 0, ThumbH = 0;
    std::string Desc;
};
bool JigFile_ReadInfo(const std::string& path, TJigFileInfo* info);
// The picture of a jigsaw file, decoded (convert as MyImageCreateFromData). Null with *error.
OMyImagePtr ReadJigFilePicture(const std::string& path, bool convert, std::string* error);
// Writes a jigsaw file atomically (side file, sync, rename). pictureBytes is an
// encoded picture of w x h; thumbBytes an encoded thumbnail.
bool SaveJigFile(const std::string& path, uint32_t w, uint32_t h, const uint8_t keyBlock[10],
                 const std::vector<uint8_t>& thumbBytes, const std::string& desc,
                 const std::vector<uint8_t>& pictureBytes, std::string* error);
// The width and height an encoded picture declares (PNG, JPEG, GIF, BMP, TIFF, WebP);
// false for other formats or a header too short to tell.
bool PictureSniffSize(const uint8_t* data, size_t n, int* w, int* h);

// ---- The picture gate -------------------------------------------------------------------
// Every picture from outside (a jigsaw's picture and thumbnail, a saved
// game's pictures when not in our own layouts) passes the gate before a
// decoder sees it, and is decoded under a time budget.
struct TPictureLimits {
    int maxSide = kMyImageMaxSide;
    int64_t maxPixels = kMyImageMaxPixels;
    double seconds = 5.0;  // wall-clock budget of the decoding
};
constexpr int kMaxJpegScans = 100;        // real progressive pictures have about 10
constexpr int kMaxJpegSegments = 2000;
constexpr int kMaxPngChunks = 100000;     // picture data in pieces of 8 KB or more
constexpr int kMaxPngOtherChunks = 500;
constexpr uint32_t kMaxPngPackedExtraBytes = 256u << 10;  // compressed text and profiles
constexpr int kMaxGifFrames = 1000;
constexpr int kMaxGifBlocks = 100000;
constexpr int kMaxTiffDirs = 64;
constexpr int kMaxTiffEntries = 512;
constexpr uint32_t kMaxTiffStrips = 1u << 20;
// The structure check alone: format, declared size, a whole stream, bounded
// work. False with a reason for the player.
bool PictureGate(const uint8_t* data, size_t n, const TPictureLimits& limits, std::string* why);
// The gate, then the platform decoder under the time budget and an
// allocation cap; convert as MyImageCreateFromData. Null with *why.
OMyImagePtr DecodePicture(const uint8_t* data, size_t n, bool convert, const TPictureLimits& limits,
                          std::string* why = nullptr);

// ---- Language files ------------------------------------------------------------------------
using TLangDict = std::unordered_map<std::string, std::string>;

struct OLangDesc {
    std::string sName;           // the name as in the file name ("english")
    std::string sFlagPath;       // <lang>/<name>.png, or "" when it has none
    OMyImagePtr image;           // the flag, decoded; null without one
};
struct OLangP {
    std::optional<TLangDict> Dict;      // the current language; none before a successful read
    std::string sCurLang = "english";   // the current language's name
    std::vector<OLangDesc> arLangDesc;  // installed languages, at most kMaxLanguages
    OMyImagePtr nsiCustomFlag;          // flag shown for a language without its own
    std::function<void()> fnRetitle;    // installed by the window: retitle menus, tool tips, dialogs
};
extern OLangP LangP;
constexpr int kMaxLanguages = 10;
constexpr size_t kMaxLangFileBytes = 4u << 20;

// Lists the installed languages and loads the custom flag.
void LangP_Init();
// Reads a language file; on success it becomes the dictionary and the retitle
// hook runs. A missing file shows "Could not find language file '...' !"; a
// malformed one is reported with its line; both leave the dictionary as it was.
bool ReadLangFile(const std::string& path);
std::string LangGetKeyVal(const std::string& key);  // the key itself when missing
std::string CaretMesFormat(const std::string& key); // LangGetKeyVal with "$D" as line breaks
std::string LangMesFile(const std::string& name);   // <lang>/<name lower-cased>.lng
// Parses a strings file (UTF-16 with a byte-order mark, or UTF-8): "key" = "text";
// lines, escapes \" \\ \n \t \r \uXXXX, comments /* */ and //. False with the
// 1-based line and a reason when malformed.
bool ParseStringsFile(const uint8_t* data, size_t n, TLangDict* out, int* errLine, std::string* err);

// An argument of a language text used as a format: a whole number or a text.
struct LangArg {
    LangArg(int v) : isInt(true), i(v) {}
    LangArg(const std::string& v) : s(v) {}
    LangArg(const char* v) : s(v) {}
    bool isInt = false;
    int64_t i = 0;
    std::string s;
};
// Fills a language text with arguments without printf: "%d" (also %i, %u, %ld)
// takes the next number, "%@" (also %s) the next text, "%1$d"/"%2$@" a given
// one, "%%" is "%". A conversion whose argument is missing or of the other
// kind stays as written.
std::string LangFormat(const std::string& text, const std::vector<LangArg>& args);
// The keys the game looks up, with the arguments each one takes as a format
// ("" none, "d" one number, "@" one text, "@@" two texts).
struct TLangKey { std::string key; std::string args; };
std::vector<TLangKey> LangKeysInUse();

// ---- Settings, recent files, autosave; saved games ------------------------------------------
#include "files/settings.h"
#include "files/solve_file.h"
#include "files/play_times.h"
