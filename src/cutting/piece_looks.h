// How a piece looks on the table beyond its image: the eased outline and the
// soft shadow it casts. Both are made from a piece image's alpha when the
// image goes to the screen (the play field's atlas); the images themselves,
// and picking by their alpha, keep the hard outline of the mask.
//
// Legend: a piece image is either one upright picture (cellW = its width) or
// a rotation strip of four squares of side s (cellW = s), each square holding
// a turned copy at its top left. x to the right, y downwards.
#pragma once

#include "base/huge_blocks.h"
#include "base/my_image.h"

#include <array>
#include <cstdint>
#include <vector>

// ---- Eased outline --------------------------------------------------------------------
// An opaque pixel's alpha becomes 255 x (the opaque weight of its 3 x 3
// neighbourhood, weights 1 2 1 / 2 4 2 / 1 2 1) / 16: inside the piece it
// stays 255, on a straight edge 191, on a convex corner 143, and it is never
// 0, so that everything opaque in the image stays visible. Transparent pixels
// stay transparent; the squares of a strip are eased apart from each other.
constexpr int kEaseWeightSum = 16;
// Pixels x0 .. x0 + n - 1 of row y of img (RGBA) written to dst as
// premultiplied RGBA with the eased alpha; `cellW` columns make one square
// (img.W for a single picture).
void EasedPremultipliedSpan(const OMyImage& img, int cellW, int y, int x0, int n, uint8_t* dst);
void EasedPremultipliedRow(const OMyImage& img, int cellW, int y, uint8_t* dst);
// The eased alpha of pixel (x, y): the straightforward per-pixel reference.
int EasedAlphaAt(const OMyImage& img, int cellW, int x, int y);

// ---- Shadow ------------------------------------------------------------------------------
// A piece's shadow is its upright outline blurred (two box passes, radii
// `blur1` and `blur2`), scaled by `opacity`, lying `offsetX`, `offsetY` to
// the lower right of the piece. The offset is at least the blur's reach, so
// that the shadow adds only columns on the right and rows at the bottom: it
// is baked into the piece's cell on the screen, which grows by ExtraW x ExtraH.
// A carried group lifts: its pieces' silhouettes are drawn beneath it again,
// further off, larger and faint.
struct TShadowLook {
    int offsetX = 2, offsetY = 3;      // shadow to the right and down, pixels
    int blur1 = 1, blur2 = 1;          // box radii of the two blur passes, pixels
    int opacity = 130;                 // alpha of the shadow under a wide opaque area, 0..255
    int liftOffsetX = 5, liftOffsetY = 8;  // carried group's extra shadow, pixels
    int liftGrowPct = 5;               // its growth in each direction, percent of the cell
    float liftAlpha = 0.22f;           // its strength
    int Margin() const { return blur1 + blur2; }  // how far the blur reaches beyond the outline
    int ExtraW() const { return offsetX + Margin(); }
    int ExtraH() const { return offsetY + Margin(); }
};
extern const TShadowLook kShadowLook;

// The upright shadow of a piece image: the w x h upright copy at its top left
// (w, h the piece box) blurred into (w + 2m) x (h + 2m) alpha bytes, m =
// look.Margin(), the box at (m, m), rows of w + 2m bytes. Empty for an empty box.
void MakeShadowAlpha(const OMyImage& img, int w, int h, const TShadowLook& look, std::vector<uint8_t>& out);

// Turned copy r (0..3 quarter turns clockwise) of a piece, eased, over its
// shadow, into a cell of (dw + ExtraW) x (dh + ExtraH) premultiplied RGBA
// pixels at dst (rows `stride` bytes apart); dw x dh is the box turned. The
// copy is square r of img (squares cellW wide; r = 0 and cellW = img.W for a
// single picture); `shadow` is MakeShadowAlpha's upright shadow (empty: none).
// `allowed`, when given, holds one byte per cell pixel (rows of the cell's
// width): 0 where no shadow may fall (a piece drawn before this one lies
// there when the picture is put together).
void BakeShadowedCell(const OMyImage& img, int cellW, int r, int w, int h, const std::vector<uint8_t>& shadow,
                      const uint8_t* allowed, const TShadowLook& look, uint8_t* dst, size_t stride);

// ---- The atlas's way ------------------------------------------------------------------
// The same bytes as BakeShadowedCell over MakeShadowAlpha's shadow, made for
// the thousands of cells of an atlas: every row of a cell is worked sixteen
// pixels a step, whatever lies there (inside, outline, shadow, nothing), from
// rows of opacity bytes and their neighbour sums; the shadow is blurred once
// per piece for all its turns, and the mask's codes around the piece are
// copied once, upright and transposed, so that every turn reads them along rows.

// The mask's piece codes, one byte a pixel (a quarter of the mask's bytes,
// so that the many small reads stay in the cache).
struct TCodePlane {
    std::vector<uint8_t, THugeBlockAllocator<uint8_t>> codes;  // rows of W bytes (made once per atlas: huge pages)
    int W = 0, H = 0;
    // Byte 2 of every pixel of the cutter's mask image, its rows shared out
    // over `threads` threads.
    void From(const OMyImage& masks, int threads = 1);
};

// Where a piece's shadow may not fall, for one turn: on pixels of the
// put-together picture's mask whose code belongs to a piece drawn before it.
struct TShadowBlockers {
    const TCodePlane* plane = nullptr;    // the mask's codes
    int homeX = 0, homeY = 0;             // the upright box's top left in it
    int boxW = 0, boxH = 0;               // the upright box
    std::array<uint8_t, 256> blocks{};    // per code: 1 where no shadow may fall
    // Cell pixel (u, v) of turn r may take the shadow (outside the mask: yes).
    bool Allows(int r, int u, int v) const;
    // Row v of turn r's cell: the code of cell pixel u is plane->codes[off +
    // u * step] for u in lo .. hi (elsewhere: no mask).
    void Row(int r, int v, ptrdiff_t* off, ptrdiff_t* step, int* lo, int* hi) const;
};

// The order of a cell's colour bytes: RGBA, or BGRA (the order a software
// renderer samples on its fast path; alpha last in both).
enum class TTexelOrder { Rgba, Bgra };

class OCellBaker {
public:
    explicit OCellBaker(TTexelOrder order = TTexelOrder::Rgba) : mBgra(order == TTexelOrder::Bgra) {}
    // The piece whose cells follow: its image (squares cellW wide), its
    // upright box w x h; with `shadow` its shadow is made for `look`.
    void SetPiece(const OMyImage& img, int cellW, int w, int h, const TShadowLook& look, bool shadow);
    // Turned copy r into its cell at dst (rows `stride` bytes apart): what
    // BakeShadowedCell writes with the allowed map of `blockers` (null: the
    // shadow may fall everywhere), in the baker's texel order. Every byte of
    // the cell is written. In a strip, copy 0 baked first lends its eased
    // outline to the other turns: the squares must then be turns of the
    // first, clear outside their boxes, as the cutter makes them.
    void Bake(int r, const TShadowBlockers* blockers, uint8_t* dst, size_t stride);
    // The upright shadow made by SetPiece (empty: none), as MakeShadowAlpha makes it.
    std::vector<uint8_t> Shadow() const;

private:
    void MakeShadow();
    void CopyCodes(const TShadowBlockers& b, int extra);

    bool mBgra = false;
    const OMyImage* mImg = nullptr;
    int mCellW = 0, mW = 0, mH = 0;
    TShadowLook mLook;
    bool mHasShadow = false;
    // The upright shadow, (w + 2m) x (h + 2m), each row between mPad zeros
    // on either side and zero rows after it up to a multiple of 16; the odd
    // turns read its transpose (row x holds column x), made when first needed.
    int mPad = 0;
    size_t mUpStride = 0, mTrStride = 0;
    std::vector<uint8_t> mUp, mTr;
    std::vector<int> mUpFirst, mUpLast, mTrFirst, mTrLast;  // per row: its first and last nonzero
    bool mTransposed = false;
    std::vector<uint8_t> mBlur;  // scratch of the blur
    std::vector<uint16_t> mAcc;
    std::vector<uint8_t> mRows;  // the bake's row buffers
    // A strip's eased outline as its first turn's bake worked it out,
    // upright (the box, each row between mEasePad zeros, zero rows after
    // it up to a multiple of 16), its transpose for the odd turns, and
    // their rows' first and last nonzero.
    bool mEaseMade = false, mEaseTransposed = false;
    int mEasePad = 0;
    size_t mEaseStride = 0, mEaseTrStride = 0;
    std::vector<uint8_t> mEaseUp, mEaseTr;
    std::vector<int> mEaseFirst, mEaseLast, mEaseTrFirst, mEaseTrLast;
    // The mask's codes around the box (E pixels on every side, each row
    // between mCodesPad zeros) and their transpose, for the piece's turns:
    // one small copy read row by row, where the plane's rows lie far apart.
    std::vector<uint8_t> mCodesUp, mCodesTr;
    size_t mCodesUpStride = 0, mCodesTrStride = 0;
    int mCodesPad = 0, mCodesEdge = 0;
    bool mCodesMade = false, mCodesInside = false;  // made; wholly inside the mask
    const TCodePlane* mCodesOf = nullptr;
    int mCodesX = 0, mCodesY = 0, mCodesW = 0, mCodesH = 0;
};

// ---- The atlas's blocks -----------------------------------------------------------------
// A piece's cells lie side by side in its block on a shelf of an atlas page:
// copy r's cell (cellW[r] x cellH[r], at most pitch x shelfH) at (r * pitch, 0)
// from the block's top left, the last copy's span reaching to blockW. Every
// byte of a cell is the baker's; ZeroAtlasBlockGaps zeroes the rest of the
// block's share of its shelf in RGBA pixels at blockTop (rows `stride` bytes
// apart): beside each cell and below it down to the shelf's foot (shelfH
// rows), and `tailW` columns right of the block (the shelf's end, for its
// last block). Nothing else is written.
void ZeroAtlasBlockGaps(const int cellW[], const int cellH[], int copies, int pitch, int blockW, int shelfH,
                        int tailW, uint8_t* blockTop, size_t stride);
