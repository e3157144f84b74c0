// Render buffers drawn onto one another: through the plain fragment program
// (the software renderer's fast path) a buffer's texels land exactly where
// and as the fixed-function stage puts them, blended or copied, at 1:1 from
// any offset, clipped, flipped rows and all, and scaled as under the glass.
#include "field_fixture.h"

#include "field/field_gl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kSrcW = 70, kSrcH = 45, kDstW = 160, kDstH = 120;

// A source of every kind of texel: clear, opaque and partly clear columns of
// many colours, premultiplied as the field's textures are.
OMyImage SourceImage()
{
    OMyImage img(kSrcW, kSrcH, true);
    for (int y = 0; y < kSrcH; ++y) {
        uint8_t* p = MyImageGetLineXY(img, 0, y);
        for (int x = 0; x < kSrcW; ++x, p += 4) {
            const int a = x % 7 == 0 ? 0 : x % 3 == 0 ? 255 : (x * 37 + y * 11) % 256;
            p[0] = uint8_t((x * 9 + y) % 256);
            p[1] = uint8_t((y * 13) % 256);
            p[2] = uint8_t(255 - x * 3);
            p[3] = uint8_t(a);
        }
    }
    return img;
}

// An opaque background with a pattern, so that a misplaced texel shows.
OMyImage TargetImage()
{
    OMyImage img(kDstW, kDstH, false);
    for (int y = 0; y < kDstH; ++y) {
        uint8_t* p = MyImageGetLineXY(img, 0, y);
        for (int x = 0; x < kDstW; ++x, p += img.iBPP) {
            p[0] = uint8_t(x * 5);
            p[1] = uint8_t(y * 7);
            p[2] = uint8_t((x ^ y) * 3);
        }
    }
    return img;
}

struct TDrawCase {
    const char* name;
    QuadMode mode;
    int x, y, w, h;      // destination, view pixels of the target buffer
    int sx, sy, sw, sh;  // source area, view pixels of the source buffer
};

// Draws the case's quad from src into a fresh copy of the target picture,
// with or without the plain program, and reads the target back.
std::vector<uint8_t> DrawInto(const RENDER_BUF& src, const TDrawCase& c, bool plain)
{
    RENDER_BUF dst;
    RenderBufInit(dst);
    EXPECT_TRUE(RenderBufFromImage(dst, TargetImage()));
    const uint32_t program = FieldGL.plainProgram;
    if (!plain)
        FieldGL.plainProgram = 0;
    BeginBufTarget(dst);
    RenderBufQuad(src, c.mode, c.x, c.y, c.w, c.h, c.sx, c.sy, c.sw, c.sh);
    GLBatch_Flush();
    FieldGL.plainProgram = program;
    std::vector<uint8_t> px = GLReadPixels(0, 0, kDstW, kDstH, dst.H);
    RenderBufFree(dst);
    return px;
}

// What the quad should leave at target pixel (x, y): the premultiplied
// source over the background, or the source alone when copied.
void Expected(const TDrawCase& c, const OMyImage& src, const OMyImage& bkg, int x, int y, int out[4])
{
    const uint8_t* b = MyImageGetLineXY(bkg, x, y);
    for (int k = 0; k < 3; ++k)
        out[k] = b[k];
    out[3] = 255;
    if (x < c.x || x >= c.x + c.w || y < c.y || y >= c.y + c.h)
        return;
    // Sampled at the pixel's centre.
    const int tx = c.sx + (2 * (x - c.x) + 1) * c.sw / (2 * c.w), ty = c.sy + (2 * (y - c.y) + 1) * c.sh / (2 * c.h);
    const uint8_t* s = MyImageGetLineXY(src, tx, ty);
    const int a = s[3];
    for (int k = 0; k < 3; ++k) {
        const int pre = (s[k] * a + 127) / 255;
        out[k] = c.mode == QuadMode::Copy ? pre : pre + (b[k] * (255 - a) + 127) / 255;
    }
    out[3] = c.mode == QuadMode::Copy ? a : 255;
}

}  // namespace

TEST(RenderBuf, ThePlainProgramDrawsABufferAsTheFixedFunctionStageDoes)
{
    FieldHarness h;
    h.view()->makeCurrent();
    ASSERT_TRUE(FieldGL_Ready());
    if (FieldGL.plainProgram == 0)
        GTEST_SKIP() << "no fragment programs in this context";
    const OMyImage srcImg = SourceImage(), bkg = TargetImage();
    RENDER_BUF src;
    RenderBufInit(src);
    ASSERT_TRUE(RenderBufFromImage(src, srcImg));
    const TDrawCase cases[] = {
        {"blended at 1:1", QuadMode::Normal, 13, 21, kSrcW, kSrcH, 0, 0, kSrcW, kSrcH},
        {"a part of it at an odd offset", QuadMode::Normal, 41, 7, 29, 17, 23, 11, 29, 17},
        {"over the target's edges", QuadMode::Normal, kDstW - 40, kDstH - 30, kSrcW, kSrcH, 0, 0, kSrcW, kSrcH},
        {"copied", QuadMode::Copy, 5, 60, kSrcW, kSrcH, 0, 0, kSrcW, kSrcH},
        {"scaled three times, as under the glass", QuadMode::Normal, 2, 3, 60, 45, 30, 10, 20, 15},
    };
    for (const TDrawCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> fast = DrawInto(src, c, true);
        const std::vector<uint8_t> fixed = DrawInto(src, c, false);
        int worstFixed = 0, worstFormula = 0, differing = 0;
        for (int y = 0; y < kDstH; ++y)
            for (int x = 0; x < kDstW; ++x) {
                const size_t at = (size_t(y) * kDstW + size_t(x)) * 4;
                int want[4];
                Expected(c, srcImg, bkg, x, y, want);
                for (int k = 0; k < 4; ++k) {
                    const int dFixed = std::abs(int(fast[at + size_t(k)]) - int(fixed[at + size_t(k)]));
                    const int dFormula = std::abs(int(fast[at + size_t(k)]) - want[k]);
                    worstFixed = std::max(worstFixed, dFixed);
                    worstFormula = std::max(worstFormula, dFormula);
                    differing += dFormula > 1;
                }
            }
        EXPECT_LE(worstFixed, 1);
        EXPECT_LE(worstFormula, 1) << differing << " channels differ";
    }
    RenderBufFree(src);
}

TEST(RenderBuf, APictureReadsBackAsItWasGivenWhateverOrderTheBufferKeepsItsBytesIn)
{
    FieldHarness h;
    h.view()->makeCurrent();
    ASSERT_TRUE(FieldGL_Ready());
    for (const bool alpha : {false, true}) {
        SCOPED_TRACE(alpha ? "RGBA" : "RGB");
        const OMyImage img = alpha ? SourceImage() : TargetImage();
        RENDER_BUF rb;
        RenderBufInit(rb);
        ASSERT_TRUE(RenderBufFromImage(rb, img));
        BeginBufTarget(rb);
        const std::vector<uint8_t> px = GLReadPixels(0, 0, img.W, img.H, rb.H);
        int bad = 0;
        for (int y = 0; y < img.H; ++y) {
            const uint8_t* s = MyImageGetLineXY(img, 0, y);
            for (int x = 0; x < img.W; ++x, s += img.iBPP) {
                const uint8_t* p = px.data() + (size_t(y) * size_t(img.W) + size_t(x)) * 4;
                const int a = alpha ? s[3] : 255;
                for (int k = 0; k < 3; ++k)
                    bad += p[k] != (s[k] * a + 127) / 255;
                bad += p[3] != a;
            }
        }
        EXPECT_EQ(bad, 0);
        RenderBufFree(rb);
    }
}

namespace {

// A picture larger than the test's view, opaque and partly clear.
OMyImage LargeImage(int w, int h)
{
    OMyImage img(w, h, true);
    for (int y = 0; y < h; ++y) {
        uint8_t* p = MyImageGetLineXY(img, 0, y);
        for (int x = 0; x < w; ++x, p += 4) {
            p[0] = uint8_t(x * 7 + y);
            p[1] = uint8_t(y * 3);
            p[2] = uint8_t(x ^ y);
            p[3] = uint8_t((x / 5 + y / 3) % 4 == 0 ? 90 : 255);
        }
    }
    return img;
}

// The view after the screen buffer src has been copied to it over a plain
// background, as a frame ends; by a blit or through the plain program.
std::vector<uint8_t> CopiedToView(const RENDER_BUF& src, int vw, int vh, int w, bool blit)
{
    BeginViewTarget(vw, vh);
    GLClearRect(0, 0, vw, vh, vh, 10, 20, 30);
    const bool was = FieldGL.bBlitToView;
    FieldGL.bBlitToView = blit;
    RenderBufCopyToView(src, w, vh);
    GLBatch_Flush();
    FieldGL.bBlitToView = was;
    return GLReadPixels(0, 0, vw, vh, vh);
}

}  // namespace

TEST(RenderBuf, TheScreenBufferReachesTheViewAsItIsThroughTheProgramAsByABlit)
{
    FieldHarness h;
    h.view()->makeCurrent();
    ASSERT_TRUE(FieldGL_Ready());
    if (FieldGL.plainProgram == 0 || !FieldGL.ex)
        GTEST_SKIP() << "no fragment programs or no blits in this context";
    const int vw = h.view()->deviceW(), vh = h.view()->deviceH();
    struct TCase {
        const char* name;
        OMyImage img;
        int w;  // the width copied
    };
    const TCase cases[] = {
        {"a buffer smaller than the view", SourceImage(), vw},
        {"a buffer larger than the view", LargeImage(vw + 37, vh + 23), vw},
        {"only a part of the view's width", LargeImage(vw + 37, vh + 23), vw / 2 + 3},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        RENDER_BUF src;
        RenderBufInit(src);
        ASSERT_TRUE(RenderBufFromImage(src, c.img));
        const std::vector<uint8_t> program = CopiedToView(src, vw, vh, c.w, false);
        const std::vector<uint8_t> blit = CopiedToView(src, vw, vh, c.w, true);
        EXPECT_TRUE(program == blit);
        int bad = 0;
        for (int y = 0; y < vh; ++y)
            for (int x = 0; x < vw; ++x) {
                const uint8_t* p = program.data() + (size_t(y) * size_t(vw) + size_t(x)) * 4;
                int want[3] = {10, 20, 30};
                if (x < std::min(c.w, c.img.W) && y < c.img.H) {
                    const uint8_t* s = MyImageGetLineXY(c.img, x, y);
                    for (int k = 0; k < 3; ++k)
                        want[k] = (s[k] * s[3] + 127) / 255;
                }
                for (int k = 0; k < 3; ++k)
                    bad += p[k] != want[k];
            }
        EXPECT_EQ(bad, 0);
        RenderBufFree(src);
    }
}
