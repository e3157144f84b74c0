// Saved games (part of the files facade; include "files/files.h").
//
// Layout (integers little-endian, unsigned 32-bit unless said):
//   0 "ZIVRASLV1.0"   11 GameSeed   15 offset S of the state block
//   19 n = name bytes with the zero (n <= 256)   23 name   23+n TJigParams (120)
//   parts: thumbnail BMP (0x5A), working picture BMP (0x3C), mask TIFF (0xA5),
//   description UTF-8 (0x69), all constant-key
//   S: WinP (36), CurMA (9), Jigs (112 x TotalTileNum), 4 pockets x 26, tail 264
//
// Saving never tears a file: a full save writes a temporary file in the
// target's folder, syncs it and renames it over the target; a re-save of the
// same game patches the state block in a copy and renames the copy over.
#pragma once

#include "files/bin_io.h"
#include "model/game_state.h"
#include "base/helpers.h"
#include "model/play_rules.h"
#include "model/puzzle.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// ---- Pockets as saved games hold them (per game) ----------------------------------------
// The play field keeps the live windows; these records carry what a saved game
// stores and restores for pockets 1..4 (window indices 2..5). The weight's
// piece is the play rules' iWeightJig.
struct TPocketRec {
    uint8_t bScroll = 0;       // written 0; 1 in a file: the scroll offsets are not applied
    uint8_t bVisible = 0;      // 0 or 1
    TRect mrWin;               // window rectangle, view pixels
    int32_t iScrollL = 0, iScrollT = 0;  // scroll offsets, content pixels
    bool operator==(const TPocketRec&) const = default;
};
constexpr int kPocketCount = 4;
constexpr int kPocketRecBytes = 26;
struct OPocketsP {
    TPocketRec Pocket[kPocketCount];
};
extern OPocketsP PocketsP;

// ---- The file --------------------------------------------------------------------------
inline constexpr char kSolveMagic[11] = {'Z', 'I', 'V', 'R', 'A', 'S', 'L', 'V', '1', '.', '0'};
constexpr uint32_t kSolveTailMarker = 56010;
constexpr int kSolveTailBytes = 264;
constexpr uint32_t kSolveMaxNameBytes = 256;  // the zero included
constexpr int32_t kSolveMaxPieces = 4001;     // 4000 and a frame piece

// What a saved game holds, read and checked but not yet applied.
struct TSolveFile {
    int32_t GameSeed = 0;
    uint32_t StateOfs = 0;
    std::string sName;                         // jigsaw name
    TJigParams Params;                         // as stored
    int64_t DataOfs = 0;                       // after the thumbnail part
    std::vector<uint8_t> Thumb, Picture, Mask, Desc;  // the parts, unscrambled
    TWinParams WinP;
    MOUSE_SCHEMA CurMA;
    std::vector<TJig> Jigs;                    // TotalTileNum pieces
    TPocketRec Pockets[kPocketCount];
    bool bHasTail = false;
    int32_t iWeightJig = -1;                   // -1 without a tail or a marker
    // The picture and mask parts decoded ahead (read ahead at launch); null:
    // decoded when the game is applied.
    OMyImagePtr pPicture, pMask;
    // The piece images made ahead from them (BuildPieceImages over Jigs, one
    // per piece) with emboss style iPieceEmboss; empty (-1): made at the open.
    std::vector<OMyImage> arPieceImages;
    int iPieceEmboss = -1;
};

// A saved game given at launch is read and its picture and mask decoded on a
// thread of its own while the window and GL come up; the open then takes
// them instead of reading the file again. Taken only for the same path and
// the file unchanged since (device, inode, size and change time); anything
// else, or a read that failed, leaves the open to read the file itself.
// A jigsaw given at launch has its picture read and decoded the same way,
// taken by the open when its description part starts at the same dataOfs.
void SolveFile_StartReadAhead(const std::string& path);
bool SolveFile_TakeReadAhead(const std::string& path, TSolveFile* s);
bool JigFile_TakeReadAhead(const std::string& path, int64_t dataOfs, std::string* desc, OMyImagePtr* picture);
// Qt's decoders wait for the application object: a jigsaw's picture read
// ahead is decoded only after this call (made once it exists), or when the
// read is taken, waited for or dropped.
void SolveFile_LetReadAheadDecode();
// A saved game read ahead then has its piece images made ahead too, with
// this emboss style (the player's, once the settings are read); without this
// call before the read is taken, waited for or dropped, the open makes them.
void SolveFile_LetReadAheadMakePieces(int embossStyle);
// Until the read is done: every open waits for it first (it may record why
// the file was refused).
void SolveFile_WaitReadAhead();

// Magic, seed, state offset, name, record and the thumbnail part (not decoded).
bool SolveFile_ReadHead(OBinReader& f, TSolveFile* s);
// From DataOfs: the picture, mask and description parts (sizes checked against
// the record before decoding), then the state block at StateOfs, every piece checked.
bool SolveFile_ReadBody(OBinReader& f, TSolveFile* s);
// The state block of the open game as the file stores it.
std::vector<uint8_t> SolveFile_StateBlock();
size_t SolveFile_StateBlockSize(int32_t pieces);

// Saves the open game to path; false (after telling the player) when nothing
// was saved, in which case the file at path is as it was.
bool SaveSolveFile(const std::string& path, bool autosave);
bool WriteChangedDateToSolveFile(OBinWriter& f);
// Rewrites only the state block when path holds this same game; false and
// the file untouched otherwise.
bool TryWriteChangedDateToSolveFile(const std::string& path);
// The list/preview read: thumbnail into miReadThumb; unless listOnly, sNewJig
// and NewJigP (SideNum 1, Reserved96 0, DataOfs after the thumbnail).
bool OpenSolveFile_ForListOrPreview(const std::string& path, bool listOnly);
bool OpenSolveData_ForListOrPreview(OBinReader& f, bool listOnly);
// Whether the open game, saved now, would be read back by the play read:
// the record, every piece and the piece images' cost within their bounds.
bool SolveFile_GameReadable();
// The bytes the piece images of a saved game's pieces take (four turns for
// the pieces that turn), and the bound a game's must keep to: the room a real
// cut needs over the picture's area, and never more than kMaxPieceImageBytes.
int64_t PieceImagesBytes(const TJig* jigs, int count, bool rotate);
int64_t PieceImagesBudget(int w, int h, bool rotate);
constexpr int64_t kMaxPieceImageBytes = int64_t(3) << 30;

// ---- Why an open failed ------------------------------------------------------------------
// The readers answer only true or false; what went wrong is noted here for
// the command that reports it (cleared when an open starts).
enum class TOpenFault {
    None,
    Missing,        // no such file
    NotGameFile,    // neither extension
    Damaged,        // a reader refused it
    Picture,        // the picture is refused by the gate, undecodable or too slow to decode
    Costly,         // a saved game whose piece images would cost more than any cut
    TooManyPieces,  // a cut over kMaxCutPieces (iValue: the count)
    TooMuchMemory,  // a cut over kCutMemoryBudget (iValue: the estimate, in MB)
    CutFailed,      // the cutter gave up
};
struct TOpenFaultP {
    TOpenFault fault = TOpenFault::None;
    int64_t iValue = 0;
};
extern TOpenFaultP OpenFaultP;  // per run
void SetOpenFault(TOpenFault fault, int64_t value = 0);  // keeps the first fault of an open
// The translated message telling which file could not be opened and why.
std::string OpenFaultMessage(const std::string& path);

// The most pieces a game may have (a frame piece comes on top).
constexpr int32_t kMaxCutPieces = kSolveMaxPieces - 1;
// The memory a cut may need: picture, mask, the cutter's buffers and the
// piece images. 3 GB leaves a 2-core desktop with 8 GB room for everything else.
constexpr int64_t kCutMemoryBudget = int64_t(3) << 30;
// The memory a cut of p needs at most (p as the open dialog leaves NewJigP:
// ImageW/H the picture's, FitW/H the fitted size, the level's grid filled in).
int64_t EstimateCutBytes(const TJigParams& p);
// Whether p may be cut: false with the fault noted otherwise.
bool CutParamsAffordable(const TJigParams& p);

// ---- Opening and saving commands ------------------------------------------------------------
// The open dialog as these commands see it (installed by the window; a file
// chooser until the real dialog exists): style 1 open, 2 save; answers the
// modal code (0 cancelled, 1 a file chosen into *chosen, 2 the download button).
// The window's part of opening a game: before it, hide the pockets, the
// thumbnail and the glass; after it, show side `side`, refresh the pockets,
// backgrounds, weight button, thumbnail and glass.
struct OGameFileHooks {
    std::function<int(int style, const std::string& preset, std::string* chosen)> fnFileDialog;
    std::function<void()> fnBeforeOpen;
    std::function<void(int side)> fnAfterOpen;
    std::function<void()> fnShowDownload;  // the open dialog's download button
    // The seed typed in the open dialog for the next cut; nullopt: a fresh one.
    std::function<std::optional<int32_t>()> fnGetSeed;
    // Brings what only the window knows (the pockets' places) into the
    // records; every save calls it before writing.
    std::function<void()> fnBeforeSave;
    // After a save to `path` (the autosave too) and after a game opened: what
    // the shell keeps beside the game (its play time).
    std::function<void(const std::string& path, bool autosave)> fnAfterSave;
    std::function<void()> fnGameOpened;
};
extern OGameFileHooks GameFileHooks;  // per run

// Asks "Q_SaveChanges" when the game has unsaved changes and saves on Yes.
// False when the player cancelled, or chose to save and the save failed.
bool SaveAndContinue();
// Asks for a name (save style) and saves there; true when saved.
bool SaveAsSolveFile();
// Saves under the game's own name, asking for one when it has none or is the
// autosave; true when saved.
bool SaveGame();

// ---- The play reads' halves that need no cutting -------------------------------------------
// Frees the open game's piece table and images and clears bOpen: no game is
// open afterwards (what a failed play read leaves).
void CloseGameRecords();
// JigP := NewJigP, the description and picture parts read from
// NewJigP.DataOfs, miJigs made at the play size, miInfoThumb := miReadThumb.
bool JigFile_LoadPicture(const std::string& path);
// A read saved game into the records: JigP, miJigs, miMasks, miInfoThumb,
// g_JigDesc, WinP (its first two words kept), CurMA, Jigs, PocketsP; the
// decoded pictures must have the recorded size. The mask part moves into
// arMaskPart.
bool SolveFile_Apply(TSolveFile& s);
// The sides' content for a w x h picture: the largest view, or the picture
// where it is larger (what the window's own sizing also does, needed before
// the first layout).
void SizeSidesForPicture(int w, int h);
// The play read of a saved game (after its list/preview read): every part
// read and checked, the records replaced, the draw order sorted, the piece
// images rebuilt; sSolve := path and bOpen on success.
// With read, the file was read and checked already (by SolveFile_ReadHead and
// SolveFile_ReadBody) and only applied. A file whose pictures do not decode
// leaves the open game as it was.
bool OpenSolveFile_ForPlay(const std::string& path, TSolveFile* read = nullptr);
// The play read of a jigsaw (after its list/preview read and the choice of
// level): picture, cut with the given seed (else one fresh from the system),
// piece images, first layout, empty pockets, no weight. A failure leaves no game open.
bool OpenJigFile_ForPlay(const std::string& path, std::optional<uint32_t> seed = std::nullopt);
// Opens a jigsaw or a saved game for play: the window's hooks, the title, the
// recent files, the side to show (bCurSide), drag state and unsaved marks reset.
bool OpenGameFile(const std::string& path, std::optional<uint32_t> seed = std::nullopt);
// Every piece in one group and upright: the game is solved.
bool AllOneUprightGroup();
// The side a saved game opens on: the one window all pieces lie in when that
// is a side, else side 0.
int SideToShow();
// The save question, then either a readable saved game at once (direct) or
// the open dialog preset to path, the saved game or the jigsaw.
bool DialogOpenGameFile(const std::string& path, bool direct);

// ---- The mask of the open game, kept packed ------------------------------------------------
// Once the piece images exist, the mask's pixels are needed again only to
// save and to make the piece images anew (another emboss): the window keeps
// it as the TIFF part saved games store, a few hundred KB instead of 20 MB.
// Packs miMasks into arMaskPart and drops it; nothing when already packed.
void GameMask_Pack();
// Unpacks arMaskPart into miMasks when it is packed; false when no mask results.
bool GameMask_Unpack();
// Whether the open game has a mask, in either form.
bool GameMask_Present();
// The mask part a save writes: the same bytes in either form.
std::vector<uint8_t> GameMask_Part();
// The piece images made anew with emboss `style`, the mask unpacked for it
// and packed again afterwards when it was packed.
void RebuildPieceImages(int embossStyle);

// ---- The big pictures of a saved game ---------------------------------------------------------
// The mask as a TIFF: one PackBits-packed plane per sample (RGB, or RGBA with plain alpha).
std::vector<uint8_t> EncodeMaskTiff(const OMyImage& img);
// Fast readers (alpha 255 where the file has none): the TIFF above, or an
// uncompressed one-strip TIFF with samples interleaved; the BMP block. Null
// for any other layout, or one whose sizes or packed rows do not hold.
OMyImagePtr DecodeMaskTiff(const uint8_t* data, size_t n);
OMyImagePtr DecodeBmp32(const uint8_t* data, size_t n);  // 32-bit uncompressed BMP, either row order
// Either fast reader, else the platform decoder; always 4 bytes a pixel.
OMyImagePtr DecodeGamePicture(const std::vector<uint8_t>& bytes);
