// The play field's OpenGL layer: the context's entry points, error reports,
// textures made from OMyImage, textured and solid quads, and the off-screen
// render buffers.
//
// Coordinates. Every draw takes view pixels with y growing downwards, into
// the render buffers and onto the view alike: buffers are composed with the
// view's own orientation (view row y at GL row H - 1 - y), so that copying a
// buffer onto the view, or one buffer onto another, is a straight block
// copy (glBlitFramebuffer), which Mesa's software renderer does many times
// faster than a textured quad or a flipping copy. Texture rows of images are
// their rows top first; sampling a render buffer's texture takes the flip
// into account (RenderBufDraw).
//
// Render buffers are 2D textures kept BGRA and drawn (blended or copied, any
// scale) through a fragment program that only fetches the texel: the one
// form Mesa's software renderer draws on its fast path for aligned quads,
// about three times the speed of its general path. The piece atlas's pages
// are kept and drawn the same way; images stay rectangle textures drawn by
// the fixed-function stage.
//
// Quads are batched: consecutive quads with the same texture, mode and colour
// go out in one draw call. Everything that changes GL state or binds another
// target flushes the batch first (GLBatch_Flush); the functions of this header
// do so themselves.
//
// With no context (unit tests of the field's logic, the tools) every drawing
// function does nothing and texture creation leaves Texture = 0.
#pragma once

#include "base/my_image.h"

#include <cstdint>
#include <string>
#include <vector>

class QOpenGLContext;
class QOpenGLFunctions;
class QOpenGLExtraFunctions;
class QOpenGLFunctions_2_1;
class QSurface;

// ---- The context (per run; set when the view's context is ready) -----------------
struct TFieldGL {
    QOpenGLContext* ctx = nullptr;
    QSurface* surface = nullptr;         // the view's window, made current for work between frames; may be null
    QOpenGLFunctions_2_1* gl = nullptr;  // fixed-function entry points
    QOpenGLFunctions* fn = nullptr;      // framebuffer objects (0: the view's window)
    QOpenGLExtraFunctions* ex = nullptr; // glBlitFramebuffer; null when the context has none
    uint32_t defaultFbo = 0;             // the view's framebuffer (the context's default)
    int iMaxTexSize = 0;                 // largest rectangle texture side
    uint32_t plainProgram = 0;           // fragment program drawing render buffers' texels as they are; 0: none
    bool bBlitToView = false;            // the screen buffer reaches the view by a blit even with the program
    int iTargetW = 0, iTargetH = 0;      // size of the current target, pixels
    int8_t iCpuBlendExact = -1;          // RenderBufCpuBlendExact's answer; -1: not asked yet
    std::string sRenderer, sVersion;     // GL_RENDERER, GL_VERSION
};
extern TFieldGL FieldGL;

// Takes the entry points of a current 2.1-compatible context and sets the
// fixed state the field relies on. False (with a log line) when the context
// lacks fixed-function drawing or framebuffer objects.
bool FieldGL_Init(QOpenGLContext* ctx, QSurface* surface = nullptr);
bool FieldGL_Ready();
// Forgets the context (the textures die with it).
void FieldGL_Release();

// ---- Errors -------------------------------------------------------------------
// Time and text of the last error, shown by the view's information overlay.
struct TGLErrors {
    double gErrorTime = -1000;      // seconds since start
    std::string sLastError;         // "Error: ... (at time: ... secs)."
    int iErrorSerial = 0;           // advances with every report (the overlay re-texts)
};
extern TGLErrors GLErrorsP;
constexpr double gMsgPresistance = 10.0;  // seconds an error stays on the overlay

double SecondsSinceStart();
void reportError(const std::string& text);
int glReportError();  // reports a pending GL error; returns it (0 none)
int LogGlError();     // the same, only logged

// ---- Textures -----------------------------------------------------------------
enum class TexFilter { Linear, Nearest };
// A rectangle texture of the pixels (premultiplied by alpha, so that every
// picture composes with the frame's one-minus-source-alpha blend). Frees any
// earlier texture of img; nothing for an empty image or without a context.
// dropPixels: the image lives on only as its texture.
void MyImageCreateTexture(OMyImage& img, bool dropPixels, TexFilter filter = TexFilter::Linear);
// Writes w pixels of img's row y from x on as premultiplied RGBA (opaque
// images get alpha 255) to dst: the texture's form of a picture.
void PremultiplyRowRgba(const OMyImage& img, int x, int y, int w, uint8_t* dst);
// A new rectangle texture of w x h premultiplied RGBA pixels (rows of w * 4
// bytes, top first), uploaded straight from the caller's buffer (null: left
// for GLUploadRectRgba to fill); 0 without a context or when GL refuses.
uint32_t GLCreateRectTextureRgba(int w, int h, const uint8_t* pixels, TexFilter filter);
// Replaces w x h texels at (x, y) of a rectangle texture with premultiplied
// RGBA rows of w * 4 bytes; false when GL refuses.
bool GLUploadRectRgba(uint32_t tex, int x, int y, int w, int h, const uint8_t* rows);
// Reads back a rectangle texture as RGBA rows, top first (tests).
std::vector<uint8_t> GLReadRectTexture(uint32_t tex, int w, int h);
// A new 2D texture of w x h premultiplied BGRA pixels (rows of w * 4 bytes,
// top first; null: left undefined), kept BGRA: the form a software renderer
// draws fastest through the plain program. 0 without a context or when GL
// refuses. The piece atlas's pages and the render buffers.
uint32_t GLCreateTexture2DBgra(int w, int h, const uint8_t* pixels, TexFilter filter);
// Reads back a 2D texture as RGBA rows, top first (tests).
std::vector<uint8_t> GLReadTexture2D(uint32_t tex, int w, int h);
void GLDeleteTexture(uint32_t tex);

// Quads from a rectangle texture: source (sx, sy, sw, sh) in texels onto
// destination (x, y, w, h) in view pixels.
void MyImageDrawTexture(const OMyImage& img, int x, int y, int w, int h, int sx, int sy, int sw, int sh);
void MyImageDrawTextureAlpha(const OMyImage& img, int x, int y, int w, int h, int sx, int sy, int sw, int sh, float a);
// The inverted look of a selected piece: opaque texels show the inverse colour.
void MyImageDrawTextureInv(const OMyImage& img, int x, int y, int w, int h, int sx, int sy, int sw, int sh);

// Normal and Alpha blend one-minus-source-alpha (Alpha scales by the colour);
// Copy replaces the target; Multiply multiplies the target by the texel.
// Smooth is Normal sampled bilinearly from a texture otherwise sampled
// nearest (the atlas): for pictures drawn scaled.
enum class QuadMode : uint8_t { Normal, Alpha, Inverted, Solid, Multiply, Copy, Smooth };
// The batched quad behind the functions above; texture 0 with Solid fills
// with the colour (r, g, b, a in 0..1, premultiplied by the caller).
void GLBatch_Quad(uint32_t tex, QuadMode mode, const float colour[4], float x, float y, float w, float h,
                  float sx, float sy, float sw, float sh);
// The same from a 2D texture of texW x texH texels, the source in texels
// (the piece atlas's pages): quads of white Normal go through the plain program.
void GLBatch_Quad2D(uint32_t tex, int texW, int texH, QuadMode mode, const float colour[4], float x, float y,
                    float w, float h, float sx, float sy, float sw, float sh);
void GLBatch_Flush();
// Clears the current target to the field's clear colour.
void GLClearTarget();
// A solid opaque rectangle (view pixels, edges exclusive of x + w, y + h).
void GLFillRect(int x, int y, int w, int h, int r, int g, int b);

// ---- Render buffers ---------------------------------------------------------------
struct RENDER_BUF {
    uint32_t fbo = 0;        // framebuffer object, 0 = none
    uint32_t renderbuf = 0;  // unused: the field never tests depth
    uint32_t texture = 0;    // colour attachment, a 2D texture (texels kept BGRA)
    int W = 0, H = 0;        // size, device pixels
};
extern RENDER_BUF rbScr;    // the screen buffer: the composed field
extern RENDER_BUF rbStill;  // what does not move during a gesture

void RenderBufInit(RENDER_BUF& rb);
// Frees rb, then makes a W x H buffer; false (rb empty) when GL refuses.
bool RenderBufCreate(RENDER_BUF& rb, int W, int H);
void RenderBufFree(RENDER_BUF& rb);
// One quad from rb's texture: its view-pixel area (sx, sy, sw, sh) onto
// (x, y, w, h). A negative sh flips the picture vertically.
void RenderBufDraw(const RENDER_BUF& rb, int x, int y, int w, int h, int sx, int sy, int sw, int sh);
// The same quad drawn in `mode` (Normal or Copy draw through the plain
// program where the context has it).
void RenderBufQuad(const RENDER_BUF& rb, QuadMode mode, int x, int y, int w, int h, int sx, int sy, int sw, int sh);
// Copies the view area (0, 0, w, h) of src into the same area of dst, or onto
// the view's framebuffer (h its height); the current target is kept.
void RenderBufCopy(const RENDER_BUF& src, const RENDER_BUF& dst, int w, int h);
void RenderBufCopyToView(const RENDER_BUF& src, int w, int h);
// Copies the view area (sx, sy, w, h) of src to (dx, dy) of the current target.
void RenderBufBlitToTarget(const RENDER_BUF& src, int sx, int sy, int dx, int dy, int w, int h);
// A render buffer holding img (its rows stored as the buffers store view rows),
// so that parts of it are straight copies onto the field. False without a context.
bool RenderBufFromImage(RENDER_BUF& rb, const OMyImage& img);
// Makes rb the target, its whole area in view pixels.
void BeginBufTarget(const RENDER_BUF& rb);
// Makes rb the target showing the view area from (viewX, viewY) on: what is
// drawn at view point (viewX, viewY) lands on the buffer's top-left pixel
// (its view point (0, 0) for RenderBufDraw).
void BeginBufTargetAt(const RENDER_BUF& rb, int viewX, int viewY);
// Clears the current target to transparent black (nothing drawn yet).
void GLClearTargetTransparent();
// Makes the view's framebuffer the target: w x h device pixels.
void BeginViewTarget(int w, int h);
// Reads back a view block of the current target (targetH high), rows top first, RGBA.
std::vector<uint8_t> GLReadPixels(int x, int y, int w, int h, int targetH);
// Clears the view area (x, y, w, h) of the current target (targetH high) to
// an opaque colour.
void GLClearRect(int x, int y, int w, int h, int targetH, int r, int g, int b);

// ---- Blending on the CPU ------------------------------------------------------------
// A software renderer hands every draw to its rasterizer threads and waits
// for them: for a small area that hand-over costs more than the pixels. The
// carried group is therefore blended on the CPU where that gives the very
// bytes the renderer's blend would (checked once per context).
//
// n premultiplied texels of src blended one-minus-source-alpha onto dst (4
// bytes a texel, alpha last, the channel order alike in both): per channel
// s + t / 255 with t = d * (255 - alpha), the division as Mesa's software
// renderer rounds it, capped at 255.
void BlendOverRow(const uint8_t* src, uint8_t* dst, int n);
// True when the renderer is a software one and its blend of a render buffer
// onto another gives what BlendOverRow computes, for every alpha over every
// target value (drawn and compared on the first call; the answer kept with
// the context). Leaves no target: call BeginBufTarget after it.
// ZIVRA_NO_CPU_BLEND=1 makes it false.
bool RenderBufCpuBlendExact();
// The view area (x, y, w, h) of rb as texels in its own order (BGRA), rows
// bottom first (w * h * 4 bytes), read into / written from `px`; the current
// target is kept. False without a context or when GL refuses.
bool RenderBufReadArea(const RENDER_BUF& rb, int x, int y, int w, int h, uint8_t* px);
bool RenderBufWriteArea(const RENDER_BUF& rb, int x, int y, int w, int h, const uint8_t* px);

// Resets the records of this header (not the context).
void FieldGL_Reset();
