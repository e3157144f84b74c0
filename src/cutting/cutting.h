// The cutter's facade: what the rest of the game calls to cut a picture into
// pieces. Cutting is pure: the jigsaw parameters, the piece table and the
// picture go in; the mask image, the piece records and the piece images come
// out. Nothing here reads settings or touches widgets; messages and progress
// go through the platform seam.
//
// The families behind it have their own headers inside the subsystem:
// voronoi.h (the partition), edge_curves.h (the edge figures), classic_cut.h
// (the phases of the classic cut), piece_images.h (the emboss), vector_pics.h
// and pic_inserts.h (the Figure style's pictures) and vector_style.h (the
// grid styles and their tab atlas).
#pragma once

#include "base/my_image.h"
#include "cutting/jig_records.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Clears the cutter's process-wide tables (level table, edge figures, style
// tables).
void Cutting_Reset();

// ---- Level table (per run; rewritten by every FillMaskParams) ----------------------
constexpr int kMaskLevels = 14;      // row 0 the finest, row 13 the coarsest
constexpr int kFrameWidth = 20;      // width of the "Plane Frame" strip, pixels
constexpr int kMaxLevelPieces = 3999;

struct TMaskParam {
    int32_t MaskS = 0;        // side of a piece mask, pixels: 28 + 6 * ((TileS - 20) / 4)
    int32_t TileS = 0;        // side of a grid tile, pixels
    int32_t MaskOfs = 0;      // (MaskS - TileS) / 2, pixels
    int32_t TilePX = 0;       // columns
    int32_t TilePY = 0;       // rows
    int32_t TileNum = 0;      // TilePX * TilePY
    int32_t PicPX = 0;        // picture-insert columns (Figure style)
    int32_t PicPY = 0;        // picture-insert rows
    int32_t PicNum = 0;       // PicPX * PicPY
    int32_t TotalTileNum = 0; // TileNum + PicNum
    bool operator==(const TMaskParam&) const = default;
};
extern std::array<TMaskParam, kMaskLevels> MaskParams;

// One row for a width x height picture cut with `tile`-pixel tiles. A tile
// below 1 gives an all-zero row; a picture smaller than the frame allowance
// gives 0 columns or rows, never negative ones.
void FillMaskParam(TMaskParam& row, int width, int height, int tile, int style, int border);
// All 14 rows. Leaves the table untouched and answers false for a side of 0
// or below or beyond kMyImageMaxSide; otherwise fills it and answers whether
// any level has a piece (false: the picture is too small to cut).
bool FillMaskParams(int width, int height, int style, int border);
// What the open dialog takes from the table for a w x h picture: MaskS, TileS,
// MaskOfs and StuckD from row `level`, and the grid counts worked out from
// them (TotalTileNum = TileNum; the frame piece is added by the cut).
void SetJigParamsFromLevel(TJigParams& p, int w, int h, int level);

// ---- Colour codes and names (constant) -----------------------------------------------
extern const std::array<uint8_t, 9> cMaskColors;  // blue codes of the grid cells
constexpr uint8_t cFrameColor = 5;                // blue code of the frame piece
extern const std::array<uint8_t, 6> cMaskBevels;  // bevel codes of the grid cells
constexpr uint8_t cFrameBevel = 128;              // bevel code of the frame piece
constexpr uint8_t bBevelMid = 128;                // red byte of every painted mask pixel
constexpr int kShapeStyleCount = 7;  // 0..3 the classic styles, 4..6 the grid styles
extern const std::array<const char*, 4> sShapeStyles;   // "Bubble Shapes" ... "Figure Shapes"
extern const std::array<const char*, 2> sBorderStyles;  // "No Frame", "Plane Frame"

// The packed mask colour of a piece code: red 128, green 0, blue = code.
constexpr uint32_t MaskCodeColor(uint8_t code) { return RGB(bBevelMid, 0, code); }

// ---- Grid ---------------------------------------------------------------------------
// Lays the grid of p over the first TilePX * TilePY records of `jigs`: cells
// (spare pixels shared out from the left and top), boxes grown by MaskOfs
// inside the field, colour and bevel codes, empty neighbour slots and, in the
// Figure style, the picture-cell flags. Needs JigsL/JigsT set. Other fields
// are left as they are.
void InitJigsAr(const TJigParams& p, std::vector<TJig>& jigs);

// ---- The classic cut (styles 0..3) -------------------------------------------------------
enum class TCutStatus {
    Done,        // every piece painted
    PaintError,  // three attempts left a piece unpainted; the last result stands
    Failed,      // no cut: unusable parameters or the partition failed (reported)
};

// Time spent in each phase of one cut, milliseconds.
struct TCutTimes {
    double sites = 0, partition = 0;
    double prep = 0;  // each attempt's fresh mask, grid, cells, boxes and tab sides
    double curves = 0, fill = 0;
    double stray = 0, tails = 0, total = 0;
    int attempts = 0;
};

struct TCutOptions {
    // Shown after the "PaintError: ..." line when the cut ends with a paint
    // error; the caller passes the translated text.
    std::string sPaintErrorText = "MS_PaintError";
    // Position of the progress bar when the cut begins: every attempt sets the
    // bar back to where the first one started.
    double progressBase = 0;
    TCutTimes* times = nullptr;  // filled when given
};

// Progress steps (ProgressInc(1.0)) a cut makes: sites, partition, curves,
// fill, clean-up.
constexpr int kCutProgressSteps = 5;

// Cuts the picture described by `jp` (ImageW, ImageH, TileS, MaskOfs, TilePX,
// TilePY, TileNum, TotalTileNum = TileNum, ShapeStyle 0..3, BorderStyle) with
// the random generator as seeded. `jigs` needs room for TotalTileNum + 1
// records. Sets JigsL..JigsB, fills the records and `masks` (ImageW x ImageH
// with alpha; red 128, green 0, blue the piece's code); with "Plane Frame"
// appends the frame piece and counts it in TotalTileNum.
TCutStatus CreateMasksForVoronoiStyle(TJigParams& jp, std::vector<TJig>& jigs, OMyImagePtr& masks,
                                      const TCutOptions& opt = {});

// ---- Figure and grid styles (set up once at start-up) ---------------------------------------
// The Figure style's pictures and the grid styles' tab atlas from the
// resource folder (pic_zivra.dat, fig0-gray.gif); the atlas is read and
// checked only when the folder differs from the last call's.
void Cutting_LoadStyleData(const std::string& resourceFolder);
// Where the Figure style reads its pictures (the resource folder's pic_zivra.dat).
void Cutting_SetPictureFile(const std::string& path);
// Loads the grid styles' tab atlas (the resource folder's fig0-gray.gif); an
// unusable one is logged and every tab is then drawn as a curve.
bool LoadRasAtlas(const std::string& path);

// ---- Piece images --------------------------------------------------------------------------
// Builds one image per piece from `picture` and `masks`: the piece's pixels
// (mask blue byte = MaskColor) opaque, the rest transparent black; with
// `rotate` a strip of four s x s squares (s = max(W, H)), square r holding the
// piece turned r quarter turns clockwise at its top left (the frame piece,
// which never turns, keeps only its upright image); then the emboss of
// `embossStyle` (0 none, 1..3), each turned copy lit from the top left as if
// it stood alone. `create` makes the images anew, all on one shared block;
// otherwise those in `images` are refilled when their sizes still fit.
// Runs on `threads` threads (0: one per core); the result does not depend on it.
void BuildPieceImages(const OMyImage& picture, const OMyImage& masks, std::vector<TJig>& jigs, int count,
                      bool rotate, int embossStyle, bool create, std::vector<OMyImage>& images, int threads = 0);
// Emboss styles (the "Visual_EmbossStyle" setting): kEmbossNone leaves the
// pieces flat, the styles after it bevel their edges ever deeper.
constexpr int kEmbossNone = 0;
constexpr int kEmbossDefault = 1;  // the setting's start value
constexpr int kEmbossLast = 3;
constexpr int kEmbossStyles = kEmbossLast + 1;
// Shades an image with alpha in place: the emboss of `style` (kEmbossNone leaves it).
void CreateEmbossedEdges(OMyImage& img, int style);
