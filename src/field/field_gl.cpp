#include "field/field_gl.h"

#include "platform/platform.h"

#include <QElapsedTimer>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFunctions>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>
#include <QSurface>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cassert>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#ifndef GL_TEXTURE_RECTANGLE
#define GL_TEXTURE_RECTANGLE 0x84F5
#endif
#ifndef GL_MAX_RECTANGLE_TEXTURE_SIZE
#define GL_MAX_RECTANGLE_TEXTURE_SIZE 0x84F8
#endif
#ifndef GL_BGRA
#define GL_BGRA 0x80E1
#endif
#ifndef GL_UNSIGNED_INT_8_8_8_8_REV
#define GL_UNSIGNED_INT_8_8_8_8_REV 0x8367
#endif

TFieldGL FieldGL;
TGLErrors GLErrorsP;
RENDER_BUF rbScr;
RENDER_BUF rbStill;

namespace {

// The batch of quads waiting for one draw call, and the texture names whose
// images died while the context was not current.
struct TBatchState {
    uint32_t tex = 0;                     // a texture of `target`
    uint32_t target = GL_TEXTURE_RECTANGLE; // images: rectangle; render buffers: 2D
    QuadMode mode = QuadMode::Normal;
    float colour[4] = {1, 1, 1, 1};
    std::vector<float> verts;             // x, y, s, t per vertex; four vertices a quad
    std::vector<uint32_t> pendingDeletes; // texture names to delete once current
};
TBatchState g_batch;       // per run

// The framebuffer drawn into, restored after a copy.
struct TTarget {
    uint32_t fbo = 0;
};
TTarget g_target;  // per run
QElapsedTimer g_startClock; // per run: started with the first use

bool IsCurrent()
{
    return FieldGL.ctx && QOpenGLContext::currentContext() == FieldGL.ctx;
}

// Texture names of dying images: deleted now when we can, else at the next
// chance (images often die while a game is replaced, outside any paint).
void DeleteTextureLater(uint32_t tex)
{
    if (tex == 0 || !FieldGL.gl)
        return;
    if (IsCurrent()) {
        GLBatch_Flush();
        FieldGL.gl->glDeleteTextures(1, &tex);
    } else {
        g_batch.pendingDeletes.push_back(tex);
    }
}

void DeletePending()
{
    if (g_batch.pendingDeletes.empty() || !IsCurrent())
        return;
    FieldGL.gl->glDeleteTextures(GLsizei(g_batch.pendingDeletes.size()), g_batch.pendingDeletes.data());
    g_batch.pendingDeletes.clear();
}

// Makes the field's context current; false when there is none.
bool EnsureCurrent()
{
    if (!FieldGL.gl)
        return false;
    if (!IsCurrent()) {
        if (FieldGL.surface)
            FieldGL.ctx->makeCurrent(FieldGL.surface);
    }
    if (!IsCurrent())
        return false;
    DeletePending();
    return true;
}

// The pixels as premultiplied RGBA rows (or RGB rows when opaque), packed.
std::vector<uint8_t> PremultipliedRows(const OMyImage& img, int sx, int sy, int w, int h)
{
    const int bpp = img.bAlpha ? 4 : 3;
    std::vector<uint8_t> out(size_t(w) * size_t(h) * size_t(bpp));
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = MyImageGetLineXY(img, sx, sy + y);
        uint8_t* d = out.data() + size_t(y) * size_t(w) * size_t(bpp);
        if (!img.bAlpha) {
            for (int x = 0; x < w; ++x, s += img.iBPP, d += 3) {
                d[0] = s[0]; d[1] = s[1]; d[2] = s[2];
            }
            continue;
        }
        for (int x = 0; x < w; ++x, s += 4, d += 4) {
            const unsigned a = s[3];
            d[0] = uint8_t((s[0] * a + 127) / 255);
            d[1] = uint8_t((s[1] * a + 127) / 255);
            d[2] = uint8_t((s[2] * a + 127) / 255);
            d[3] = uint8_t(a);
        }
    }
    return out;
}

void SetFilter(uint32_t target, TexFilter filter)
{
    const GLint f = filter == TexFilter::Linear ? GL_LINEAR : GL_NEAREST;
    FieldGL.gl->glTexParameteri(target, GL_TEXTURE_MIN_FILTER, f);
    FieldGL.gl->glTexParameteri(target, GL_TEXTURE_MAG_FILTER, f);
    FieldGL.gl->glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    FieldGL.gl->glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

// A new texture name bound to `target` with the filter set; 0 when GL gives none.
GLuint NewBoundTexture(uint32_t target, TexFilter filter)
{
    GLuint tex = 0;
    FieldGL.gl->glGenTextures(1, &tex);
    if (tex == 0) {
        LogGlError();
        return 0;
    }
    FieldGL.gl->glBindTexture(target, tex);
    SetFilter(target, filter);
    return tex;
}

// A new texture of `target` from w x h pixels in `format` and `type`, rows
// packed (null: left undefined); 0 without a context or when GL refuses.
GLuint NewTextureFrom(GLenum target, GLint internal, GLenum format, GLenum type, int w, int h, const void* pixels,
                      TexFilter filter)
{
    if (w <= 0 || h <= 0 || !EnsureCurrent())
        return 0;
    GLBatch_Flush();
    QOpenGLFunctions_2_1* gl = FieldGL.gl;
    const GLuint tex = NewBoundTexture(target, filter);
    if (tex == 0)
        return 0;
    if (target == GL_TEXTURE_2D)
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl->glTexImage2D(target, 0, internal, w, h, 0, format, type, pixels);
    gl->glBindTexture(target, 0);
    if (LogGlError() != 0) {
        gl->glDeleteTextures(1, &tex);
        return 0;
    }
    return tex;
}

uint32_t UploadImage(const OMyImage& img, TexFilter filter)
{
    const std::vector<uint8_t> rows = PremultipliedRows(img, 0, 0, img.W, img.H);
    return NewTextureFrom(GL_TEXTURE_RECTANGLE, GL_RGBA8, img.bAlpha ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, img.W,
                          img.H, rows.data(), filter);
}

// True when the batch draws through the plain program: a render buffer's
// texels as they are, blended or copied.
bool UsesPlainProgram(const TBatchState& b)
{
    return FieldGL.plainProgram != 0 && b.target == GL_TEXTURE_2D &&
           (b.mode == QuadMode::Normal || b.mode == QuadMode::Copy) && b.colour[0] == 1 && b.colour[1] == 1 &&
           b.colour[2] == 1 && b.colour[3] == 1;
}

// The fixed state one mode draws with; texturing from tex (of `target`)
// unless solid.
void ApplyModeState(QuadMode mode, uint32_t tex, uint32_t target, const float c[4])
{
    QOpenGLFunctions_2_1* gl = FieldGL.gl;
    const bool textured = mode != QuadMode::Solid;
    gl->glDisable(GL_TEXTURE_2D);
    gl->glDisable(GL_TEXTURE_RECTANGLE);
    if (textured) {
        gl->glEnable(target);
        gl->glBindTexture(target, tex);
        if (mode == QuadMode::Smooth)
            SetFilter(target, TexFilter::Linear);
    }
    if (mode == QuadMode::Copy)
        gl->glDisable(GL_BLEND);
    else
        gl->glEnable(GL_BLEND);
    if (mode == QuadMode::Multiply)
        gl->glBlendFunc(GL_DST_COLOR, GL_ZERO);
    else
        gl->glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    if (mode == QuadMode::Inverted) {
        // colour = (1 - texel) x texel alpha: the inverse where the piece is
        // opaque, fading with its edge; alpha as the texel's.
        gl->glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
        gl->glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
        gl->glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
        gl->glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_ONE_MINUS_SRC_COLOR);
        gl->glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_TEXTURE);
        gl->glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB, GL_SRC_ALPHA);
        gl->glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_REPLACE);
        gl->glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_TEXTURE);
        gl->glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA, GL_SRC_ALPHA);
    } else {
        gl->glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    gl->glColor4f(c[0], c[1], c[2], c[3]);
}

void SetProjection(double left, double right, double bottom, double top)
{
    QOpenGLFunctions_2_1* gl = FieldGL.gl;
    gl->glMatrixMode(GL_PROJECTION);
    gl->glLoadIdentity();
    gl->glOrtho(left, right, bottom, top, -1, 1);
    gl->glMatrixMode(GL_MODELVIEW);
    gl->glLoadIdentity();
}

const float kWhite[4] = {1, 1, 1, 1};

// A texel fetch and nothing else: Mesa's software renderer draws such a
// program from a BGRA 2D texture into a BGRA 2D buffer on its fast path for
// window-aligned quads (a plain copying blend per row, about three times the
// speed of its general path); the fixed-function texture stage never takes
// it. An assembly program, not GLSL: that would load the GLSL compiler's
// built-in library, some 6 MB kept for the whole run.
constexpr GLenum kFragmentProgramArb = 0x8804;     // GL_FRAGMENT_PROGRAM_ARB
constexpr GLenum kProgramFormatAsciiArb = 0x8875;  // GL_PROGRAM_FORMAT_ASCII_ARB
const char kPlainProgram[] =
    "!!ARBfp1.0\n"
    "TEX result.color, fragment.texcoord[0], texture[0], 2D;\n"
    "END\n";

// Makes the plain program and leaves it bound (never enabled); 0 (with a log
// line) when the context has no ARB fragment programs: render buffers are
// then drawn with the fixed-function stage.
uint32_t MakePlainProgram(QOpenGLContext* ctx)
{
    using GenProgramsFn = void (*)(GLsizei, GLuint*);
    using BindProgramFn = void (*)(GLenum, GLuint);
    using ProgramStringFn = void (*)(GLenum, GLenum, GLsizei, const void*);
    const auto gen = reinterpret_cast<GenProgramsFn>(ctx->getProcAddress("glGenProgramsARB"));
    const auto bind = reinterpret_cast<BindProgramFn>(ctx->getProcAddress("glBindProgramARB"));
    const auto string = reinterpret_cast<ProgramStringFn>(ctx->getProcAddress("glProgramStringARB"));
    if (!ctx->hasExtension("GL_ARB_fragment_program") || !gen || !bind || !string) {
        Platform().Log("OpenGL: no fragment programs; render buffers drawn with the fixed-function stage");
        return 0;
    }
    QOpenGLFunctions_2_1* gl = FieldGL.gl;
    while (gl->glGetError() != GL_NO_ERROR) {
    }
    GLuint prog = 0;
    gen(1, &prog);
    bind(kFragmentProgramArb, prog);
    string(kFragmentProgramArb, kProgramFormatAsciiArb, GLsizei(sizeof kPlainProgram - 1), kPlainProgram);
    if (prog == 0 || gl->glGetError() != GL_NO_ERROR) {
        Platform().Log("OpenGL: the plain fragment program was refused; "
                       "render buffers drawn with the fixed-function stage");
        while (gl->glGetError() != GL_NO_ERROR) {
        }
        return 0;
    }
    return prog;
}

}  // namespace

// ---- Context ------------------------------------------------------------------------

bool FieldGL_Init(QOpenGLContext* ctx, QSurface* surface)
{
    assert(ctx && QOpenGLContext::currentContext() == ctx);
    FieldGL = TFieldGL{};
    auto* gl = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(ctx);
    if (!gl || !gl->initializeOpenGLFunctions()) {
        Platform().Log("OpenGL: no 2.1 compatibility functions in this context");
        return false;
    }
    if (!ctx->hasExtension("GL_ARB_framebuffer_object") && !ctx->hasExtension("GL_EXT_framebuffer_object") &&
        ctx->format().majorVersion() < 3) {
        Platform().Log("OpenGL: no framebuffer objects in this context");
        return false;
    }
    FieldGL.ctx = ctx;
    FieldGL.surface = surface;
    FieldGL.defaultFbo = ctx->defaultFramebufferObject();
    FieldGL.gl = gl;
    FieldGL.fn = ctx->functions();
    FieldGL.fn->initializeOpenGLFunctions();
    if (ctx->format().majorVersion() >= 3 || ctx->hasExtension("GL_EXT_framebuffer_blit") ||
        ctx->hasExtension("GL_ARB_framebuffer_object"))
        FieldGL.ex = ctx->extraFunctions();
    GLint maxRect = 0, max2D = 0;
    gl->glGetIntegerv(GL_MAX_RECTANGLE_TEXTURE_SIZE, &maxRect);
    gl->glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max2D);
    FieldGL.iMaxTexSize = std::min(maxRect > 0 ? maxRect : 4096, max2D > 0 ? max2D : 4096);
    FieldGL.sRenderer = reinterpret_cast<const char*>(gl->glGetString(GL_RENDERER));
    FieldGL.sVersion = reinterpret_cast<const char*>(gl->glGetString(GL_VERSION));
    gl->glDisable(GL_DEPTH_TEST);
    gl->glEnable(GL_BLEND);
    gl->glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    gl->glClearColor(0.0f, 0.5f, 0.9f, 0.0f);
    // ZIVRA_NO_PLAIN_PROGRAM=1: without it, to compare (bench/bench_field).
    if (!std::getenv("ZIVRA_NO_PLAIN_PROGRAM"))
        FieldGL.plainProgram = MakePlainProgram(ctx);
    // ZIVRA_VIEW_BLIT=1: the screen buffer blitted to the view as before, to compare.
    FieldGL.bBlitToView = std::getenv("ZIVRA_VIEW_BLIT") != nullptr;
    MyImageSetTextureDeleter(&DeleteTextureLater);
    return true;
}

bool FieldGL_Ready() { return FieldGL.gl != nullptr; }

void FieldGL_Release()
{
    MyImageSetTextureDeleter(nullptr);
    g_batch = TBatchState{};
    FieldGL = TFieldGL{};
}

void FieldGL_Reset()
{
    g_batch.verts.clear();
    g_batch.tex = 0;
    GLErrorsP = TGLErrors{};
    RenderBufInit(rbScr);
    RenderBufInit(rbStill);
}

// ---- Errors -------------------------------------------------------------------------

double SecondsSinceStart()
{
    if (!g_startClock.isValid())
        g_startClock.start();
    return double(g_startClock.nsecsElapsed()) / 1e9;
}

void reportError(const std::string& text)
{
    const double t = SecondsSinceStart();
    GLErrorsP.gErrorTime = t;
    GLErrorsP.sLastError = StrFormat("Error: %s (at time: %0.1f secs).", text.c_str(), t);
    GLErrorsP.iErrorSerial++;
    Platform().Log(GLErrorsP.sLastError);
}

int glReportError()
{
    if (!FieldGL.gl || !IsCurrent())
        return 0;
    const GLenum err = FieldGL.gl->glGetError();
    if (err != GL_NO_ERROR)
        reportError(StrFormat("glError: %d", int(err)));
    return int(err);
}

int LogGlError()
{
    if (!FieldGL.gl || !IsCurrent())
        return 0;
    const GLenum err = FieldGL.gl->glGetError();
    if (err != GL_NO_ERROR)
        Platform().Log(StrFormat("glError: %d", int(err)));
    return int(err);
}

// ---- Textures -----------------------------------------------------------------------

void MyImageCreateTexture(OMyImage& img, bool dropPixels, TexFilter filter)
{
    MyImageFreeTexture(img);
    if (img.W == 0 || img.H == 0 || !img.HasPixels() || !EnsureCurrent())
        return;
    GLBatch_Flush();
    img.Texture = UploadImage(img, filter);
    if (dropPixels && img.Texture != 0)
        MyImageDropPixels(img);
}

void PremultiplyRowRgba(const OMyImage& img, int x, int y, int w, uint8_t* d)
{
    assert(x >= 0 && y >= 0 && x + w <= img.W && y < img.H && img.HasPixels());
    const uint8_t* s = MyImageGetLineXY(img, x, y);
    if (!img.bAlpha) {
        for (int i = 0; i < w; ++i, s += img.iBPP, d += 4) {
            d[0] = s[0]; d[1] = s[1]; d[2] = s[2]; d[3] = 255;
        }
        return;
    }
    // Most texels of a piece are opaque or clear: those need no arithmetic.
    // The rest: (v * a + 127) / 255 exactly, without a division.
    for (int i = 0; i < w; ++i, s += 4, d += 4) {
        const unsigned a = s[3];
        if (a == 255) {
            std::memcpy(d, s, 4);
        } else if (a == 0) {
            std::memset(d, 0, 4);
        } else {
            for (int c = 0; c < 3; ++c) {
                const unsigned t = s[c] * a + 128;
                d[c] = uint8_t((t + (t >> 8)) >> 8);
            }
            d[3] = uint8_t(a);
        }
    }
}

uint32_t GLCreateRectTextureRgba(int w, int h, const uint8_t* pixels, TexFilter filter)
{
    return NewTextureFrom(GL_TEXTURE_RECTANGLE, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, w, h, pixels, filter);
}

bool GLUploadRectRgba(uint32_t tex, int x, int y, int w, int h, const uint8_t* rows)
{
    if (tex == 0 || w <= 0 || h <= 0 || !EnsureCurrent())
        return false;
    GLBatch_Flush();
    QOpenGLFunctions_2_1* gl = FieldGL.gl;
    gl->glBindTexture(GL_TEXTURE_RECTANGLE, tex);
    gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl->glTexSubImage2D(GL_TEXTURE_RECTANGLE, 0, x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rows);
    gl->glBindTexture(GL_TEXTURE_RECTANGLE, 0);
    return LogGlError() == 0;
}

uint32_t GLCreateTexture2DBgra(int w, int h, const uint8_t* pixels, TexFilter filter)
{
    // The unsized format with BGRA words lets the driver keep them so.
    return NewTextureFrom(GL_TEXTURE_2D, GL_RGBA, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, w, h, pixels, filter);
}

namespace {

// A texture of `target` read back as RGBA rows, top first.
std::vector<uint8_t> ReadTexture(GLenum target, uint32_t tex, int w, int h)
{
    std::vector<uint8_t> px(size_t(std::max(0, w)) * size_t(std::max(0, h)) * 4);
    if (tex == 0 || px.empty() || !EnsureCurrent())
        return px;
    GLBatch_Flush();
    QOpenGLFunctions_2_1* gl = FieldGL.gl;
    gl->glBindTexture(target, tex);
    gl->glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gl->glGetTexImage(target, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    gl->glBindTexture(target, 0);
    return px;
}

}  // namespace

std::vector<uint8_t> GLReadTexture2D(uint32_t tex, int w, int h) { return ReadTexture(GL_TEXTURE_2D, tex, w, h); }

std::vector<uint8_t> GLReadRectTexture(uint32_t tex, int w, int h)
{
    return ReadTexture(GL_TEXTURE_RECTANGLE, tex, w, h);
}

void GLDeleteTexture(uint32_t tex) { DeleteTextureLater(tex); }

// ---- Quads ----------------------------------------------------------------------------

void GLBatch_Flush()
{
    TBatchState& b = g_batch;
    if (b.verts.empty())
        return;
    if (!IsCurrent()) {
        b.verts.clear();
        return;
    }
    QOpenGLFunctions_2_1* gl = FieldGL.gl;
    ApplyModeState(b.mode, b.tex, b.target, b.colour);
    const bool plain = UsesPlainProgram(b);
    if (plain)
        gl->glEnable(kFragmentProgramArb);
    gl->glEnableClientState(GL_VERTEX_ARRAY);
    gl->glVertexPointer(2, GL_FLOAT, 4 * sizeof(float), b.verts.data());
    if (b.mode != QuadMode::Solid) {
        gl->glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        gl->glTexCoordPointer(2, GL_FLOAT, 4 * sizeof(float), b.verts.data() + 2);
    }
    gl->glDrawArrays(GL_QUADS, 0, GLsizei(b.verts.size() / 4));
    gl->glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    gl->glDisableClientState(GL_VERTEX_ARRAY);
    if (b.mode == QuadMode::Inverted)
        gl->glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    if (b.mode == QuadMode::Smooth)
        SetFilter(b.target, TexFilter::Nearest);
    if (plain)
        gl->glDisable(kFragmentProgramArb);
    b.verts.clear();
}

namespace {

// A quad from texture tex of `target`, texture coordinates as that target
// takes them (texels for rectangles, fractions for 2D).
void BatchQuad(uint32_t tex, uint32_t target, QuadMode mode, const float colour[4], float x, float y, float w,
               float h, float sx, float sy, float sw, float sh)
{
    if (!FieldGL.gl || (tex == 0 && mode != QuadMode::Solid))
        return;
    TBatchState& b = g_batch;
    const bool sameKey = b.tex == tex && b.target == target && b.mode == mode && b.colour[0] == colour[0] &&
                         b.colour[1] == colour[1] && b.colour[2] == colour[2] && b.colour[3] == colour[3];
    if (!sameKey) {
        GLBatch_Flush();
        b.tex = tex;
        b.target = target;
        b.mode = mode;
        for (int i = 0; i < 4; ++i)
            b.colour[i] = colour[i];
    }
    // Vertex order: top-left, bottom-left, bottom-right, top-right.
    const float q[16] = {x,     y,     sx,      sy,      x,     y + h, sx,      sy + sh,
                         x + w, y + h, sx + sw, sy + sh, x + w, y,     sx + sw, sy};
    b.verts.insert(b.verts.end(), q, q + 16);
}

}  // namespace

void GLBatch_Quad(uint32_t tex, QuadMode mode, const float colour[4], float x, float y, float w, float h,
                  float sx, float sy, float sw, float sh)
{
    BatchQuad(tex, GL_TEXTURE_RECTANGLE, mode, colour, x, y, w, h, sx, sy, sw, sh);
}

void GLBatch_Quad2D(uint32_t tex, int texW, int texH, QuadMode mode, const float colour[4], float x, float y,
                    float w, float h, float sx, float sy, float sw, float sh)
{
    const float iw = 1.0f / float(texW), ih = 1.0f / float(texH);
    BatchQuad(tex, GL_TEXTURE_2D, mode, colour, x, y, w, h, sx * iw, sy * ih, sw * iw, sh * ih);
}

void MyImageDrawTexture(const OMyImage& img, int x, int y, int w, int h, int sx, int sy, int sw, int sh)
{
    GLBatch_Quad(img.Texture, QuadMode::Normal, kWhite, float(x), float(y), float(w), float(h), float(sx),
                 float(sy), float(sw), float(sh));
}

void MyImageDrawTextureAlpha(const OMyImage& img, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                             float a)
{
    const float c[4] = {a, a, a, a};
    GLBatch_Quad(img.Texture, QuadMode::Alpha, c, float(x), float(y), float(w), float(h), float(sx), float(sy),
                 float(sw), float(sh));
}

void MyImageDrawTextureInv(const OMyImage& img, int x, int y, int w, int h, int sx, int sy, int sw, int sh)
{
    GLBatch_Quad(img.Texture, QuadMode::Inverted, kWhite, float(x), float(y), float(w), float(h), float(sx),
                 float(sy), float(sw), float(sh));
}

void GLClearTarget()
{
    if (!EnsureCurrent())
        return;
    GLBatch_Flush();
    FieldGL.gl->glClear(GL_COLOR_BUFFER_BIT);
}

void GLClearTargetTransparent()
{
    if (!EnsureCurrent())
        return;
    GLBatch_Flush();
    QOpenGLFunctions_2_1* gl = FieldGL.gl;
    gl->glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    gl->glClearColor(0.0f, 0.5f, 0.9f, 0.0f);
}

void GLFillRect(int x, int y, int w, int h, int r, int g, int b)
{
    if (w <= 0 || h <= 0)
        return;
    const float c[4] = {float(r) / 255.0f, float(g) / 255.0f, float(b) / 255.0f, 1.0f};
    GLBatch_Quad(0, QuadMode::Solid, c, float(x), float(y), float(w), float(h), 0, 0, 0, 0);
}

// ---- Render buffers ------------------------------------------------------------------

void RenderBufInit(RENDER_BUF& rb) { rb = RENDER_BUF{}; }

namespace {

// A render buffer's colour: a 2D texture whose texels are stored BGRA.
// Rendering into a 2D texture needs nothing beyond the framebuffer objects
// the field already requires.
GLuint NewBufferTexture(int W, int H) { return GLCreateTexture2DBgra(W, H, nullptr, TexFilter::Nearest); }

}  // namespace

bool RenderBufCreate(RENDER_BUF& rb, int W, int H)
{
    RenderBufFree(rb);
    if (W <= 0 || H <= 0 || !EnsureCurrent())
        return false;
    QOpenGLFunctions* fn = FieldGL.fn;
    rb.texture = NewBufferTexture(W, H);
    if (rb.texture == 0)
        return false;
    rb.W = W;
    rb.H = H;
    fn->glGenFramebuffers(1, &rb.fbo);
    fn->glBindFramebuffer(GL_FRAMEBUFFER, rb.fbo);
    fn->glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, rb.texture, 0);
    const GLenum status = fn->glCheckFramebufferStatus(GL_FRAMEBUFFER);
    fn->glBindFramebuffer(GL_FRAMEBUFFER, FieldGL.defaultFbo);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        reportError(StrFormat("framebuffer incomplete: 0x%x", unsigned(status)));
        RenderBufFree(rb);
        return false;
    }
    return true;
}

void RenderBufFree(RENDER_BUF& rb)
{
    if (FieldGL.gl && EnsureCurrent()) {
        GLBatch_Flush();
        if (rb.texture != 0)
            FieldGL.gl->glDeleteTextures(1, &rb.texture);
        if (rb.fbo != 0)
            FieldGL.fn->glDeleteFramebuffers(1, &rb.fbo);
    }
    rb = RENDER_BUF{};
}

void RenderBufQuad(const RENDER_BUF& rb, QuadMode mode, int x, int y, int w, int h, int sx, int sy, int sw, int sh)
{
    if (rb.W <= 0 || rb.H <= 0)
        return;
    // View row y of a buffer is its GL row H - 1 - y: texture t = (H - y) / H.
    const float iw = 1.0f / float(rb.W), ih = 1.0f / float(rb.H);
    BatchQuad(rb.texture, GL_TEXTURE_2D, mode, kWhite, float(x), float(y), float(w), float(h), float(sx) * iw,
              float(rb.H - sy) * ih, float(sw) * iw, float(-sh) * ih);
}

void RenderBufDraw(const RENDER_BUF& rb, int x, int y, int w, int h, int sx, int sy, int sw, int sh)
{
    RenderBufQuad(rb, QuadMode::Normal, x, y, w, h, sx, sy, sw, sh);
}

namespace {

void BlitRows(uint32_t srcFbo, int srcH, uint32_t dstFbo, int dstH, int w, int h)
{
    QOpenGLExtraFunctions* ex = FieldGL.ex;
    ex->glBindFramebuffer(GL_READ_FRAMEBUFFER, srcFbo);
    ex->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, dstFbo);
    ex->glBlitFramebuffer(0, srcH - h, w, srcH, 0, dstH - h, w, dstH, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    ex->glBindFramebuffer(GL_FRAMEBUFFER, g_target.fbo);
}

}  // namespace

void RenderBufCopy(const RENDER_BUF& src, const RENDER_BUF& dst, int w, int h)
{
    if (!EnsureCurrent() || src.fbo == 0 || dst.fbo == 0)
        return;
    w = std::min({w, src.W, dst.W});
    h = std::min({h, src.H, dst.H});
    GLBatch_Flush();
    if (FieldGL.ex) {
        BlitRows(src.fbo, src.H, dst.fbo, dst.H, w, h);
        return;
    }
    RenderBufQuad(src, QuadMode::Copy, 0, 0, w, h, 0, 0, w, h);
}

void RenderBufCopyToView(const RENDER_BUF& src, int w, int h)
{
    if (!EnsureCurrent() || src.fbo == 0)
        return;
    w = std::min(w, src.W);
    const int rows = std::min(h, src.H);
    GLBatch_Flush();
    // Through the plain program rather than a blit: the window's rows run the
    // other way from a buffer's, so Mesa's software renderer turns such a
    // blit into a draw with shaders of its own, made anew (about 40 ms on the
    // main thread) at every start; the program's are kept in its shader cache
    // from one run to the next, and its draw takes the renderer's fast path
    // (some 5 ms less CPU per frame at 1920 x 1080). The pixels are the same.
    if (FieldGL.ex && (FieldGL.plainProgram == 0 || FieldGL.bBlitToView)) {
        BlitRows(src.fbo, src.H, FieldGL.defaultFbo, h, w, rows);
        return;
    }
    RenderBufQuad(src, QuadMode::Copy, 0, 0, w, rows, 0, 0, w, rows);
}

void RenderBufBlitToTarget(const RENDER_BUF& src, int sx, int sy, int dx, int dy, int w, int h)
{
    if (!EnsureCurrent() || src.fbo == 0 || w <= 0 || h <= 0)
        return;
    GLBatch_Flush();
    if (!FieldGL.ex) {
        RenderBufDraw(src, dx, dy, w, h, sx, sy, w, h);
        return;
    }
    QOpenGLExtraFunctions* ex = FieldGL.ex;
    const int th = FieldGL.iTargetH;
    ex->glBindFramebuffer(GL_READ_FRAMEBUFFER, src.fbo);
    ex->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, g_target.fbo);
    ex->glBlitFramebuffer(sx, src.H - sy - h, sx + w, src.H - sy, dx, th - dy - h, dx + w, th - dy, GL_COLOR_BUFFER_BIT,
                          GL_NEAREST);
    ex->glBindFramebuffer(GL_FRAMEBUFFER, g_target.fbo);
}

bool RenderBufFromImage(RENDER_BUF& rb, const OMyImage& img)
{
    if (!img.HasPixels() || !RenderBufCreate(rb, img.W, img.H))
        return false;
    std::vector<uint8_t> rows = PremultipliedRows(img, 0, 0, img.W, img.H);
    const size_t row = size_t(img.W) * size_t(img.bAlpha ? 4 : 3);
    for (int r = 0; r < img.H / 2; ++r)  // bottom row first: view row y at GL row H - 1 - y
        std::swap_ranges(rows.begin() + ptrdiff_t(size_t(r) * row), rows.begin() + ptrdiff_t(size_t(r + 1) * row),
                         rows.begin() + ptrdiff_t(size_t(img.H - 1 - r) * row));
    QOpenGLFunctions_2_1* gl = FieldGL.gl;
    gl->glBindTexture(GL_TEXTURE_2D, rb.texture);
    gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, img.W, img.H, img.bAlpha ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE,
                        rows.data());
    gl->glBindTexture(GL_TEXTURE_2D, 0);
    return LogGlError() == 0;
}

void BeginBufTarget(const RENDER_BUF& rb)
{
    if (!EnsureCurrent() || rb.fbo == 0)
        return;
    GLBatch_Flush();
    g_target.fbo = rb.fbo;
    FieldGL.iTargetW = rb.W;
    FieldGL.iTargetH = rb.H;
    FieldGL.fn->glBindFramebuffer(GL_FRAMEBUFFER, rb.fbo);
    FieldGL.gl->glViewport(0, 0, rb.W, rb.H);
    SetProjection(0, rb.W, rb.H, 0);
}

void BeginBufTargetAt(const RENDER_BUF& rb, int viewX, int viewY)
{
    if (!EnsureCurrent() || rb.fbo == 0)
        return;
    BeginBufTarget(rb);
    SetProjection(viewX, viewX + rb.W, viewY + rb.H, viewY);
}

void BeginViewTarget(int w, int h)
{
    if (!EnsureCurrent())
        return;
    GLBatch_Flush();
    g_target.fbo = FieldGL.defaultFbo;
    FieldGL.iTargetW = w;
    FieldGL.iTargetH = h;
    FieldGL.fn->glBindFramebuffer(GL_FRAMEBUFFER, FieldGL.defaultFbo);
    FieldGL.gl->glViewport(0, 0, w, h);
    SetProjection(0, w, h, 0);
}

std::vector<uint8_t> GLReadPixels(int x, int y, int w, int h, int targetH)
{
    std::vector<uint8_t> px(size_t(std::max(0, w)) * size_t(std::max(0, h)) * 4);
    if (!EnsureCurrent() || w <= 0 || h <= 0)
        return px;
    GLBatch_Flush();
    QOpenGLFunctions_2_1* gl = FieldGL.gl;
    gl->glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gl->glReadPixels(x, targetH - y - h, w, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    const size_t row = size_t(w) * 4;  // GL rows run bottom up
    for (int r = 0; r < h / 2; ++r)
        std::swap_ranges(px.begin() + ptrdiff_t(size_t(r) * row), px.begin() + ptrdiff_t(size_t(r + 1) * row),
                         px.begin() + ptrdiff_t(size_t(h - 1 - r) * row));
    return px;
}

void GLClearRect(int x, int y, int w, int h, int targetH, int r, int g, int b)
{
    if (!EnsureCurrent() || w <= 0 || h <= 0)
        return;
    GLBatch_Flush();
    QOpenGLFunctions_2_1* gl = FieldGL.gl;
    const bool whole = x <= 0 && y <= 0 && w >= FieldGL.iTargetW && h >= targetH;
    if (!whole) {  // a whole clear is far cheaper than a scissored one
        gl->glEnable(GL_SCISSOR_TEST);
        gl->glScissor(x, targetH - y - h, w, h);
    }
    gl->glClearColor(float(r) / 255.0f, float(g) / 255.0f, float(b) / 255.0f, 1.0f);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    gl->glDisable(GL_SCISSOR_TEST);
    gl->glClearColor(0.0f, 0.5f, 0.9f, 0.0f);
}

// ---- Blending on the CPU ----------------------------------------------------------------

namespace {

void BlendOverScalar(const uint8_t* src, uint8_t* dst, int n)
{
    for (int i = 0; i < n; ++i, src += 4, dst += 4) {
        const unsigned ia = 255u - src[3];
        for (int c = 0; c < 4; ++c) {
            const unsigned t = dst[c] * ia;
            dst[c] = uint8_t(std::min(255u, src[c] + ((t + (t >> 8) + 0x80) >> 8)));
        }
    }
}

}  // namespace

void BlendOverRow(const uint8_t* src, uint8_t* dst, int n)
{
    int i = 0;
#ifdef __SSE2__
    // Four texels at a time; clear ones (all bytes 0) leave dst as it is and
    // opaque ones replace it, as the sum gives.
    const __m128i zero = _mm_setzero_si128(), alphas = _mm_set1_epi32(int(0xff000000u));
    const __m128i half = _mm_set1_epi16(0x80), full = _mm_set1_epi16(0xff);
    for (; i + 4 <= n; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(s, zero)) == 0xffff)
            continue;
        __m128i* dp = reinterpret_cast<__m128i*>(dst + 4 * i);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(s, alphas), alphas)) == 0xffff) {
            _mm_storeu_si128(dp, s);
            continue;
        }
        const __m128i d = _mm_loadu_si128(dp);
        const auto part = [&](__m128i s16, __m128i d16) {
            __m128i ia = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s16, 0xff), 0xff);  // each texel's alpha
            ia = _mm_sub_epi16(full, ia);
            const __m128i t = _mm_mullo_epi16(d16, ia);
            return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), half), 8);
        };
        const __m128i lo = part(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
        const __m128i hi = part(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
        _mm_storeu_si128(dp, _mm_adds_epu8(s, _mm_packus_epi16(lo, hi)));
    }
#endif
    BlendOverScalar(src + 4 * i, dst + 4 * i, n - i);
}

bool RenderBufReadArea(const RENDER_BUF& rb, int x, int y, int w, int h, uint8_t* px)
{
    if (!EnsureCurrent() || rb.fbo == 0 || w <= 0 || h <= 0 || x < 0 || y < 0 || x + w > rb.W || y + h > rb.H)
        return false;
    GLBatch_Flush();
    QOpenGLFunctions_2_1* gl = FieldGL.gl;
    FieldGL.fn->glBindFramebuffer(GL_FRAMEBUFFER, rb.fbo);
    gl->glPixelStorei(GL_PACK_ALIGNMENT, 4);
    gl->glReadPixels(x, rb.H - y - h, w, h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, px);
    FieldGL.fn->glBindFramebuffer(GL_FRAMEBUFFER, g_target.fbo);
    return LogGlError() == 0;
}

bool RenderBufWriteArea(const RENDER_BUF& rb, int x, int y, int w, int h, const uint8_t* px)
{
    if (!EnsureCurrent() || rb.texture == 0 || w <= 0 || h <= 0 || x < 0 || y < 0 || x + w > rb.W || y + h > rb.H)
        return false;
    GLBatch_Flush();
    QOpenGLFunctions_2_1* gl = FieldGL.gl;
    gl->glBindTexture(GL_TEXTURE_2D, rb.texture);
    gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl->glTexSubImage2D(GL_TEXTURE_2D, 0, x, rb.H - y - h, w, h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, px);
    gl->glBindTexture(GL_TEXTURE_2D, 0);
    return LogGlError() == 0;
}

namespace {

// Every source alpha (x) over every target value (y), with colours below,
// at and above the alpha: the renderer's blend drawn, then compared byte for
// byte with BlendOverRow.
bool BlendMatchesOurs()
{
    constexpr int kS = 256;
    const size_t bytes = size_t(kS) * kS * 4;
    std::vector<uint8_t> src(bytes), dst(bytes);
    for (int y = 0; y < kS; ++y)
        for (int x = 0; x < kS; ++x) {
            uint8_t* s = &src[(size_t(y) * kS + size_t(x)) * 4];
            uint8_t* d = &dst[(size_t(y) * kS + size_t(x)) * 4];
            s[0] = uint8_t(x / 2), s[1] = uint8_t(x), s[2] = uint8_t(255 - x), s[3] = uint8_t(x);
            d[0] = uint8_t(y), d[1] = uint8_t(255 - y), d[2] = uint8_t(y ^ 0x5a), d[3] = uint8_t(y);
        }
    RENDER_BUF rs, rd;
    bool same = RenderBufCreate(rs, kS, kS) && RenderBufCreate(rd, kS, kS) &&
                RenderBufWriteArea(rs, 0, 0, kS, kS, src.data()) && RenderBufWriteArea(rd, 0, 0, kS, kS, dst.data());
    if (same) {
        BeginBufTarget(rd);
        RenderBufDraw(rs, 0, 0, kS, kS, 0, 0, kS, kS);
        GLBatch_Flush();
        std::vector<uint8_t> got(bytes);
        same = RenderBufReadArea(rd, 0, 0, kS, kS, got.data());
        for (int y = 0; y < kS; ++y)
            BlendOverRow(&src[size_t(y) * kS * 4], &dst[size_t(y) * kS * 4], kS);
        same = same && got == dst;
    }
    RenderBufFree(rs);
    RenderBufFree(rd);
    g_target.fbo = FieldGL.defaultFbo;
    FieldGL.fn->glBindFramebuffer(GL_FRAMEBUFFER, FieldGL.defaultFbo);
    return same;
}

}  // namespace

bool RenderBufCpuBlendExact()
{
    if (!FieldGL_Ready() || !EnsureCurrent())
        return false;
    if (FieldGL.iCpuBlendExact < 0) {
        // Only a renderer that draws on the CPU itself: reading a GPU's
        // buffer back every frame would stall it.
        const std::string& r = FieldGL.sRenderer;
        const bool software = r.find("llvmpipe") != std::string::npos || r.find("softpipe") != std::string::npos;
        const bool exact = software && !std::getenv("ZIVRA_NO_CPU_BLEND") && BlendMatchesOurs();
        FieldGL.iCpuBlendExact = exact ? 1 : 0;
        Platform().Log(exact ? "OpenGL: small blends of render buffers done on the CPU"
                             : "OpenGL: render buffers blended by the renderer only");
    }
    return FieldGL.iCpuBlendExact == 1;
}
