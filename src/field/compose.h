// Frame composition: the field's windows and pieces drawn into the screen
// buffer, the still buffer that holds what does not move during a gesture,
// single pieces with clipping, the selection frame, and the piece atlas.
//
// The redraw request RedrawP says what the next frame does: one of the
// kRedraw* codes of platform/platform.h (the core asks for frames through the
// platform, so the codes live there).
#pragma once

#include "base/my_image.h"
#include "cutting/piece_looks.h"
#include "field/field_gl.h"
#include "model/game_state.h"
#include "platform/platform.h"

#include <cstdint>
#include <vector>

class OMyWin;

extern uint8_t RedrawP;       // per run; a kRedraw* code, consumed by the next frame
// The moving part (kComposeDragged, kComposeCurWin or kComposeFrame) the
// screen buffer still waits for over a copy of the still buffer, 0 none. Per
// run; done by the next frame (ScrBufUpdate).
extern uint8_t iScrPending;
extern OMyImage miFrameTexture;  // 4 x 4 opaque white: fills the selection frame
extern OMyImage miThumbTexture;  // per game: the picture the thumbnail draws, as a texture only

// Composes into rb: one of the kCompose* modes (model/game_state.h); the
// dragged pieces are the current group and the selection. Unless rb is the
// still buffer, the carried weight ends every composition.
void DrawToScrBuf(RENDER_BUF& rb, int mode);
// At the start of a gesture: the still buffer gets composition `mode`
// (kComposeAll or one of the kComposeWithout* modes) and the screen buffer
// the still buffer plus the moving part.
void FillStillBuf(int mode);
// During a gesture: the screen buffer becomes the still buffer plus moving
// part `moving` when the next frame needs it, so that a mouse sending moves
// faster than frames are shown costs one composition per frame, not per move.
void ScrBufFromStillLater(int moving);
// Does the composition ScrBufFromStillLater put off, if any.
void ScrBufUpdate();
// The still buffer exists only around gestures: made by FillStillBuf, given
// back this long (ms) after its last use when no gesture goes on (per run;
// tests shorten it). A copy of it while it is gone composes its contents anew.
extern int iStillBufIdleMs;
// Gives the still buffer back now (the next gesture makes it again).
void StillBuf_Release();
// Makes the still buffer if it is gone (a screen-sized texture takes Mesa
// tens of ms): when the mouse moves, so that a gesture's first frame does not wait.
void StillBuf_Prepare();

// Clips a piece rectangle (x, y, w, h) with its source point to win's client;
// false when nothing is left.
bool CalcDrawOnWinCoords(const OMyWin& win, int& x, int& y, int& w, int& h, int& sx, int& sy);
// The same against any rectangle (edges inclusive, as a client's).
bool CalcDrawOnRect(const TMyRect& clip, int& x, int& y, int& w, int& h, int& sx, int& sy);
// Where pieces are drawn: the view point of their window's content point
// (0, 0), and the view rectangle they are clipped to.
struct TJigPlace {
    int ox = 0, oy = 0;
    TMyRect clip;
};
TJigPlace JigPlaceOf(const OMyWin& win);
// Draws piece j in win (clipped; the frame piece as four strips).
void DrawJig(const OMyWin& win, int j);
void DrawJigAt(const TJigPlace& place, int j);
// One piece picture: w x h from (sx, sy) of its rotation strip at (x, y).
void DrawJig0(int j, int x, int y, int w, int h, int sx, int sy);
// ---- Shadows (shadows.cpp) ----------------------------------------------------------------
// Shadows are wanted and the atlas holds them.
bool ShadowsShown();
// Where piece j, turned r, is drawn within its group: groups are drawn from
// the top left of the turned picture on, so that a shadow falls only on
// pieces drawn after its own (which cover it), the frame first.
int64_t JigGroupDrawKey(int j, int r);
// For each pixel of piece j's cell turned r (cw x ch, the shadow's extra
// included) 1 where its shadow may fall: not where, in the put-together
// picture, a piece drawn before it within the group lies. The pixel-by-pixel
// form; the atlas uses ShadowBlockersOf's table, which must agree with it.
void ShadowAllowedMap(int j, int r, int cw, int ch, std::vector<uint8_t>& out);
// The same for the atlas's baker, as a table of the codes that keep the
// shadow off, over `plane` (made from miMasks); false when the plane is
// empty (there is no mask: the shadow falls everywhere).
bool ShadowBlockersOf(int j, int r, const TCodePlane& plane, TShadowBlockers& out);
// The faint, larger silhouette a carried piece casts further below.
void DrawJigLift(const OMyWin& win, int j);
void DrawJigLiftAt(const TJigPlace& place, int j);
// Its view rectangle, unclipped (x, y, w, h); false when piece j casts none.
bool JigLiftRect(const TJigPlace& place, int j, float r[4]);
// Piece j lies on its group's outline (a neighbour outside the group, or the
// picture's edge): only those cast a carried group's silhouette, the others'
// would lie under the group.
bool JigOnGroupBorder(int j);
void DrawSelFrame();
void CreateFrameTexture();
// The thumbnail's texture from miJigs: at half the picture's size, the
// thumbnail's largest, so it is as sharp and takes a quarter of the memory.
void CreateThumbTexture();
// Drops the thumbnail's texture: the next composition with the thumbnail
// shown makes it anew from miJigs.
void ThumbTexture_Forget();
// Pieces that a drag moves: the current piece's group and every selected piece.
bool IsDraggedJig(int j);

// ---- The carried group ---------------------------------------------------------------
// While pieces are carried, the group is drawn once (its pieces in draw order
// with the lift shadow, blended onto clear as a frame blends them) into a
// texture of its box, and every frame shows that at the group's place (its
// opaque blocks copied, the rest blended in one draw; on a software renderer
// a box of up to kCarriedCpuBlendMaxPixels is blended on the CPU instead)
// after copying the still picture back only where the group lay in the
// frame before. Drawn anew when
// the carried set, a piece's turn or selection, or the pieces' looks change;
// given back when the carrying ends. Groups whose box is
// larger than a texture may be, or than twice the view, are drawn piece by
// piece as before, and so is everything when GL refuses the texture.
extern bool bCarriedGroupCache;  // per run: false draws carried pieces one by one (tests, benchmarks)
// Per run: false leaves the blend of the group's texture to the renderer
// even where blending it on the CPU gives the same bytes (tests, benchmarks).
extern bool bCarriedCpuBlend;
// The largest box (pixels) whose group is blended on the CPU.
constexpr int64_t kCarriedCpuBlendMaxPixels = int64_t(1) << 19;
// Per run: the largest box (pixels) drawn as one texture; 0 twice the view's
// area (at least a megapixel). Tests make it small.
extern int64_t iCarriedGroupMaxPixels;
// The texture holds the group now (tests).
bool CarriedGroupCached();
// The group's texels are kept for blending it on the CPU (tests).
bool CarriedGroupBlendsOnCpu();
void CarriedGroup_Release();

// ---- Piece atlas ---------------------------------------------------------------------
// The piece pictures (arPicJigs) packed into a few large textures so that the
// whole field draws in a handful of calls. Rebuilt on demand when the piece
// table was replaced; pieces keep their pixels (the rules test their alpha).
// The pages hold each piece as it shows on the table: every turned copy in a
// cell of its own, its outline eased and, when shadows are on, its shadow
// baked in below and to the right (the cell then ExtraW x ExtraH larger).
struct TAtlasEntry {
    int16_t page = -1;     // -1: not in the atlas (drawn from its own texture)
    int32_t x = 0, y = 0;  // top-left of the piece's first cell in the page
    int32_t pitch = 0;     // from one turned copy's cell to the next, pixels
};
struct TPieceAtlas {
    std::vector<uint32_t> arPages;     // texture names
    std::vector<TSize> arPageSizes;
    std::vector<TAtlasEntry> arEntries;  // by piece index
    const OMyImage* pBuiltFrom = nullptr;  // arPicJigs.data() when built
    size_t iBuiltCount = 0;
    bool bBuiltShadows = false;        // shadows were baked in
    int iExtraW = 0, iExtraH = 0;      // what a shadow adds to a cell, pixels (0 without)
    int iPageSide = 4096;              // side of a page, pixels
};
extern TPieceAtlas PieceAtlasP;
// A page is made a band of whole shelves at a time in one small buffer and
// each band uploaded as it is done, so the page never sits in our memory
// whole: about this many rows to a band (tests make it small).
extern int iAtlasBandRows;
// Packs arPicJigs into pages and uploads them (needs the GL context).
void PieceAtlas_Build();
void PieceAtlas_Free();
// Builds when arPicJigs no longer matches the atlas, or was refilled.
void PieceAtlas_Check();
// The piece pictures changed (the cutter made them anew): rebuild before the next draw.
void PieceAtlas_Invalidate();

void Compose_Reset();
