// The puzzle records: the parameters of the open jigsaw, the piece table, the
// draw order, the drag state and the puzzle's images. There is one open game
// at a time; every subsystem reads and writes these records directly.
//
// TJigParams and TJig are written byte for byte into saved games, so their
// in-memory layout is the file layout (little-endian, offsets asserted below).
#pragma once

#include "base/my_image.h"
#include "base/helpers.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

static_assert(std::endian::native == std::endian::little, "saved games are little-endian records");

// ---- Jigsaw parameters (120 bytes) ---------------------------------------------
struct TJigParams {
    int32_t GameSeed = 0;      // seed of the cut, the rotations and the first layout
    int32_t MaskS = 0;         // side of a piece mask, pixels
    int32_t TileS = 0;         // side of a grid tile, pixels
    int32_t MaskOfs = 0;       // (MaskS - TileS) / 2
    int32_t StuckD = 0;        // unit of the join distance, pixels
    int32_t TilePX = 0;        // tiles across
    int32_t TilePY = 0;        // tiles down
    int32_t TileNum = 0;       // TilePX * TilePY
    int32_t PicPX = 0;         // picture-insert cells across (Figure style)
    int32_t PicPY = 0;         // picture-insert cells down
    int32_t PicNum = 0;        // picture-insert cells
    int32_t TotalTileNum = 0;  // pieces in Jigs, the frame piece included
    int32_t ImageW = 0;        // working picture width, pixels
    int32_t ImageH = 0;        // working picture height, pixels
    int32_t FitW = 0;          // picture width reduced to fit the largest view
    int32_t FitH = 0;          // picture height reduced likewise
    int32_t JigsL = 0;         // cut area, picture pixels, edges inclusive
    int32_t JigsT = 0;
    int32_t JigsR = 0;
    int32_t JigsB = 0;
    int32_t Level = 0;         // row of the level table, 0..13
    uint8_t Rotate = 0;        // 1: pieces start turned and may be turned
    uint8_t BorderStyle = 0;   // 0 "No Frame", 1 "Plane Frame"
    uint8_t ShapeStyle = 0;    // 0..3 classic styles, 4.. vector styles
    uint8_t SpreadOut = 0;     // 1: first layout on a grid
    uint8_t FitToScreen = 0;   // 1: picture reduced to FitW x FitH before cutting
    uint8_t Pad89[3] = {};     // written as found
    int32_t SideNum = 0;       // 1 whenever a file is opened
    int32_t Reserved96 = 0;    // 0 whenever a file is opened
    int32_t HeaderKey = 0;     // key byte picked from a jigsaw file's key block
    uint8_t Reserved104[8] = {};
    int32_t DataOfs = 0;       // offset of the first data part after the thumbnail
    uint8_t Reserved116[4] = {};
};

static_assert(sizeof(TJigParams) == 120);
static_assert(offsetof(TJigParams, GameSeed) == 0 && offsetof(TJigParams, MaskS) == 4);
static_assert(offsetof(TJigParams, StuckD) == 16 && offsetof(TJigParams, TotalTileNum) == 44);
static_assert(offsetof(TJigParams, ImageW) == 48 && offsetof(TJigParams, FitW) == 56);
static_assert(offsetof(TJigParams, JigsL) == 64 && offsetof(TJigParams, JigsB) == 76);
static_assert(offsetof(TJigParams, Level) == 80 && offsetof(TJigParams, Rotate) == 84);
static_assert(offsetof(TJigParams, BorderStyle) == 85 && offsetof(TJigParams, ShapeStyle) == 86);
static_assert(offsetof(TJigParams, SpreadOut) == 87 && offsetof(TJigParams, FitToScreen) == 88);
static_assert(offsetof(TJigParams, SideNum) == 92 && offsetof(TJigParams, Reserved96) == 96);
static_assert(offsetof(TJigParams, HeaderKey) == 100 && offsetof(TJigParams, DataOfs) == 112);

// ---- One piece (112 bytes) ---------------------------------------------------------
// HomeX/HomeY are picture pixels; X/Y are content pixels of the piece's window.
constexpr int kJigNbSlots = 9;

struct TJig {
    int32_t X = 0, Y = 0;      // top-left of the drawn piece in its window's content
    int32_t Layer = 0;         // group number and draw height; joined pieces share it
    uint8_t Win = 0;           // window: 0, 1 sides; 2..5 pockets
    uint8_t Rot = 0;           // quarter turns clockwise, 0..3
    uint8_t Sel = 0;           // 1 = selected
    uint8_t Pad15 = 0;
    int32_t CellX = 0, CellY = 0, CellW = 0, CellH = 0;  // grid cell in the picture
    int32_t HomeX = 0, HomeY = 0;  // top-left of the piece's box in the picture
    int32_t W = 0, H = 0;          // box size unrotated
    int32_t SrcX = 0, SrcY = 0;    // current rotation's frame in the rotation strip
    int32_t DrawW = 0, DrawH = 0;  // drawn size (W, H swapped for odd Rot)
    int32_t CellL = 0, CellT = 0, CellR = 0, CellB = 0;  // grid cell edges (vector styles)
    int32_t SiteX = 0, SiteY = 0;  // a point inside the piece (its Voronoi site)
    uint8_t PicCell = 0;           // 1 = a picture-insert cell
    uint8_t Pad89 = 0;
    int16_t Nb[kJigNbSlots] = {};  // neighbour pieces; -1 = empty slot (may sit between filled ones)
    uint8_t MaskColor = 0;         // colour code painted in miMasks
    uint8_t Bevel = 0;             // bevel code of the grid cell
    uint8_t Pad110[2] = {};
};

static_assert(sizeof(TJig) == 112);
static_assert(offsetof(TJig, Layer) == 8 && offsetof(TJig, Win) == 12 && offsetof(TJig, Sel) == 14);
static_assert(offsetof(TJig, CellX) == 16 && offsetof(TJig, HomeX) == 32 && offsetof(TJig, W) == 40);
static_assert(offsetof(TJig, SrcX) == 48 && offsetof(TJig, DrawW) == 56 && offsetof(TJig, CellL) == 64);
static_assert(offsetof(TJig, SiteX) == 80 && offsetof(TJig, PicCell) == 88 && offsetof(TJig, Nb) == 90);
static_assert(offsetof(TJig, MaskColor) == 108 && offsetof(TJig, Bevel) == 109);

// One entry of the draw order.
struct TSortedJig {
    int32_t Layer = 0;
    int32_t Index = 0;
    bool operator==(const TSortedJig&) const = default;
};

// ---- Drag and selection state ---------------------------------------------------------
struct TDragJig {
    uint8_t State = 0;             // 0 idle, 1 dragging, 2 drawing a selection frame
    int32_t GrabX = 0, GrabY = 0;  // piece X/Y minus the pointer when the drag began
    int32_t GrabX0 = 0, GrabY0 = 0;
    bool bSelected = false;        // some piece has Sel set
    bool bClickPending = false;    // click-to-drag: the piece stays carried until the next click
    int32_t ClickX = 0, ClickY = 0;
    TMyRect SelRect;               // selection frame, content pixels; W/H negative while drawn
};

// ---- The records ------------------------------------------------------------------
// Per game (replaced when a game is opened):
extern TJigParams JigP;                 // the jigsaw being played
extern std::vector<TJig> Jigs;          // TotalTileNum used entries plus one spare
extern std::vector<TSortedJig> SortedJigs;  // draw order of the pieces in play (SortJigs, play_rules.h)
extern std::vector<OMyImage> arPicJigs; // one image per piece (rotation strip with Rotate)
extern int32_t iCurJig;                 // current piece; -1 none
extern bool bGameSolved;                // found solved; cleared when a game opens
extern TDragJig DragJigP;
extern OMyImagePtr miOriginalImage;     // decoded picture; released once miJigs exists
extern OMyImagePtr miJigs;              // working picture at play size
extern OMyImagePtr miMasks;             // the cutter's mask image
extern OMyImagePtr miInfoThumb;         // thumbnail of the open game
extern std::string g_JigDesc;           // description of the open jigsaw
// Per run (written by readers and the open dialog):
extern TJigParams NewJigP;              // the jigsaw about to be opened
extern TJigParams DefJigP;              // defaults from the settings
extern OMyImagePtr miReadThumb;         // thumbnail of the last list/preview read

// Frees any table, then makes `count` zeroed pieces and draw-order entries and
// an empty arPicJigs.
void CreateJigsBuf(int count);
void FreeJigsBuf();
// forPlay 0: NewJigP.FitW/FitH from its ImageW/ImageH fitted to the largest
// view. forPlay 1: makes miJigs (with alpha) from miOriginalImage at the play
// size (fitted or the decoded size) and sets JigP.ImageW/ImageH. False when
// there is no decoded picture or the play size is unusable.
bool SetImageSize(int forPlay);
// DrawW/DrawH and SrcX/SrcY of piece i from its box and Rot.
void UpdateJigDrawCoords(int i);
// Marks the game changed: unsaved for the user and for the autosave.
void GameChanged();
// Asks the play field to rebuild the still buffer around the dragged group.
void UpdateDraggedJigScr();

// Clears every record above (per game and per run).
void Model_Reset();
