// The puzzle records: the parameters of the open jigsaw, the piece table, the
// draw order, the drag state and the puzzle's images. There is one open game
// at a time; every subsystem reads and writes these records directly. The
// record types themselves (TJigParams, TJig) are the cutter's, in
// cutting/jig_records.h.
#pragma once

#include "base/helpers.h"
#include "base/my_image.h"
#include "cutting/jig_records.h"

#include <cassert>
#include <cstdint>
#include <string>
#include <vector>

// One entry of the draw order.
struct TSortedJig {
    int32_t Layer = 0;
    int32_t Index = 0;
    bool operator==(const TSortedJig&) const = default;
};

// ---- Drag and selection state ---------------------------------------------------------
// TDragJig::State.
constexpr uint8_t kDragIdle = 0;
constexpr uint8_t kDragPieces = 1;  // pieces follow the pointer
constexpr uint8_t kDragFrame = 2;   // a selection frame is being drawn
struct TDragJig {
    uint8_t State = kDragIdle;     // kDragIdle, kDragPieces or kDragFrame
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
// Piece i of Jigs; i must lie inside the table.
inline TJig& JigAt(int i)
{
    assert(i >= 0 && size_t(i) < Jigs.size());
    return Jigs[size_t(i)];
}
extern std::vector<TSortedJig> SortedJigs;  // draw order of the pieces in play (SortJigs, play_rules.h)
extern std::vector<OMyImage> arPicJigs; // one image per piece (rotation strip with Rotate)
extern int32_t iCurJig;                 // current piece; -1 none
extern bool bGameSolved;                // found solved; cleared when a game opens
extern TDragJig DragJigP;
extern OMyImagePtr miOriginalImage;     // decoded picture; released once miJigs exists
extern OMyImagePtr miJigs;              // working picture at play size
extern OMyImagePtr miMasks;             // the cutter's mask image; null once kept as arMaskPart
extern std::vector<uint8_t> arMaskPart; // the mask as saved games store it, while miMasks is dropped
extern bool bMaskPartAsRead;            // arMaskPart is the opened file's own part, not our packing of it
extern OMyImagePtr miInfoThumb;         // thumbnail of the open game
extern std::string g_JigDesc;           // description of the open jigsaw
// Per run (written by readers and the open dialog):
extern TJigParams NewJigP;              // the jigsaw about to be opened
extern TJigParams DefJigP;              // defaults from the settings
extern OMyImagePtr miReadThumb;         // thumbnail of the last list/preview read

// ---- Piece images without their pixels (per game) ----------------------------------
// Once the play field holds the piece images in its atlas, their pixels go;
// each image keeps its size, and a hit mask (one bit a pixel: alpha not 0)
// stays for picking.
struct TJigHitMasks {
    std::vector<uint64_t> arBits;  // every image's rows, each row starting on a new word
    std::vector<size_t> arStart;   // first word of image i; one entry per image
};
extern TJigHitMasks JigHitMasks;
// Makes the hit masks from arPicJigs and releases the images' pixels.
void DropPieceImagePixels();
// Whether the piece images were dropped to their hit masks.
bool PieceImagePixelsDropped();
// Whether pixel (x, y) of piece i's image (the whole strip) is not fully
// transparent; true outside the image and for a piece with no image made.
bool JigImageOpaqueAt(int i, int x, int y);

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
