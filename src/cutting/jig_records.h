// The jigsaw parameters and the piece record: what the cutter takes and
// fills, what the open game keeps (model/puzzle.h) and what saved games store.
//
// TJigParams and TJig are written byte for byte into saved games, so their
// in-memory layout is the file layout (little-endian, offsets asserted below).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

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
