// Frame composition: the field's windows and pieces drawn into the screen
// buffer, the still buffer that holds what does not move during a gesture,
// single pieces with clipping, the selection frame, and the piece atlas.
//
// The redraw request RedrawP says what the next frame does: 0 nothing, 1
// compose the whole field into the screen buffer and show it, 2 or 3 show the
// screen buffer as it is (it has been brought up to date already).
#pragma once

#include "base/my_image.h"
#include "field/field_gl.h"

#include <cstdint>
#include <vector>

class OMyWin;

extern uint8_t RedrawP;       // per run; consumed by the next frame
// The moving part (2, 4 or 6) the screen buffer still waits for over a copy of
// the still buffer, 0 none. Per run; done by the next frame (ScrBufUpdate).
extern uint8_t iScrPending;
extern OMyImage miFrameTexture;  // 4 x 4 opaque white: fills the selection frame
extern OMyImage miThumbTexture;  // per game: the picture the thumbnail draws, as a texture only

// Composes into rb:
//   0 every visible window with its contents (and the selection frame),
//   1 as 0 without the dragged pieces (the current group and the selection),
//   2 only the dragged pieces, no clear,
//   3 as 0 without the current window,
//   4 only the current window with its contents, no clear,
//   5 as 0 without the selection frame,
//   6 only the selection frame, no clear,
//   100 the still buffer copied over rb, no clear.
// Unless rb is the still buffer, the carried weight ends every composition.
void DrawToScrBuf(RENDER_BUF& rb, int mode);
// At the start of a gesture: the still buffer gets composition `mode` (0, 1,
// 3 or 5) and the screen buffer the still buffer plus the moving part.
void FillStillBuf(int mode);
// During a gesture: the screen buffer becomes the still buffer plus moving
// part `moving` when the next frame needs it, so that a mouse sending moves
// faster than frames are shown costs one composition per frame, not per move.
void ScrBufFromStillLater(int moving);
// Does the composition ScrBufFromStillLater put off, if any.
void ScrBufUpdate();

// Clips a piece rectangle (x, y, w, h) with its source point to win's client;
// false when nothing is left.
bool CalcDrawOnWinCoords(const OMyWin& win, int& x, int& y, int& w, int& h, int& sx, int& sy);
// Draws piece j in win (clipped; the frame piece as four strips).
void DrawJig(const OMyWin& win, int j);
// One piece picture: w x h from (sx, sy) of its rotation strip at (x, y).
void DrawJig0(int j, int x, int y, int w, int h, int sx, int sy);
void DrawSelFrame();
void CreateFrameTexture();
// The thumbnail's texture from miJigs: at half the picture's size, the
// thumbnail's largest, so it is as sharp and takes a quarter of the memory.
void CreateThumbTexture();
// Pieces that a drag moves: the current piece's group and every selected piece.
bool IsDraggedJig(int j);

// ---- Piece atlas ---------------------------------------------------------------------
// The piece pictures (arPicJigs) packed into a few large textures so that the
// whole field draws in a handful of calls. Rebuilt on demand when the piece
// table was replaced; pieces keep their pixels (the rules test their alpha).
struct TAtlasEntry {
    int16_t page = -1;     // -1: not in the atlas (drawn from its own texture)
    int32_t x = 0, y = 0;  // top-left of the piece's strip in the page
};
struct TPieceAtlas {
    std::vector<uint32_t> arPages;     // texture names
    std::vector<TSize> arPageSizes;
    std::vector<TAtlasEntry> arEntries;  // by piece index
    const OMyImage* pBuiltFrom = nullptr;  // arPicJigs.data() when built
    size_t iBuiltCount = 0;
    int iPageSide = 4096;              // side of a page, pixels
};
extern TPieceAtlas PieceAtlasP;
// Packs arPicJigs into pages and uploads them (needs the GL context).
void PieceAtlas_Build();
void PieceAtlas_Free();
// Builds when arPicJigs no longer matches the atlas, or was refilled.
void PieceAtlas_Check();
// The piece pictures changed (the cutter made them anew): rebuild before the next draw.
void PieceAtlas_Invalidate();

void Compose_Reset();
