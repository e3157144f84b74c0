// The carried group blended onto the screen buffer on the CPU gives the very
// bytes the renderer's own blend gives, wherever the group is and whatever
// it holds; and the row blend's four-at-a-time and one-at-a-time parts agree.
#include "field_fixture.h"

#include "field/compose.h"
#include "field/field_gl.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

// The whole screen buffer, alpha included (rows bottom first).
std::vector<uint8_t> ScreenBytes()
{
    std::vector<uint8_t> px(size_t(rbScr.W) * size_t(rbScr.H) * 4);
    EXPECT_TRUE(RenderBufReadArea(rbScr, 0, 0, rbScr.W, rbScr.H, px.data()));
    return px;
}

// A drag frame drawn with the group blended by the renderer, then the same
// frame blended on the CPU: the screen buffers of both.
struct TBothBlends {
    std::vector<uint8_t> renderer, cpu;
    bool cpuReady = false;  // the group's texels were kept for the CPU
};

TBothBlends FrameBothWays(FieldHarness& h)
{
    TBothBlends r;
    bCarriedCpuBlend = false;
    ScrBufFromStillLater(kComposeDragged);
    h.Frame();
    r.renderer = ScreenBytes();
    bCarriedCpuBlend = true;
    ScrBufFromStillLater(kComposeDragged);
    h.Frame();
    r.cpu = ScreenBytes();
    r.cpuReady = CarriedGroupBlendsOnCpu();
    return r;
}

size_t DifferingBytes(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    if (a.size() != b.size())
        return a.size() + b.size();
    size_t n = 0;
    for (size_t i = 0; i < a.size(); ++i)
        n += a[i] != b[i];
    return n;
}

}  // namespace

TEST(CarriedBlend, TheRowBlendGivesTheSameBytesFourAtATimeAsOneByOne)
{
    // Clear, opaque, partly clear and over-bright texels (a colour above its
    // alpha saturates), in runs that fill four-texel steps alike or mixed.
    const std::array<std::array<uint8_t, 4>, 8> kinds = {{{0, 0, 0, 0},
                                                          {10, 200, 30, 255},
                                                          {40, 20, 60, 128},
                                                          {1, 0, 0, 1},
                                                          {250, 9, 0, 26},
                                                          {0, 0, 0, 254},
                                                          {200, 200, 200, 100},
                                                          {0, 3, 0, 0}}};
    for (int n = 1; n <= 19; ++n) {
        for (int pattern = 0; pattern < 12; ++pattern) {
            std::vector<uint8_t> src(size_t(n) * 4), dst(size_t(n) * 4);
            for (int i = 0; i < n; ++i) {
                const auto& k = kinds[size_t(pattern < 8 ? pattern : (i * (pattern - 5)) % 8)];
                std::memcpy(&src[size_t(i) * 4], k.data(), 4);
                for (int c = 0; c < 4; ++c)
                    dst[size_t(i) * 4 + size_t(c)] = uint8_t(37 * i + 91 * c + 13 * pattern);
            }
            std::vector<uint8_t> whole = dst, single = dst;
            BlendOverRow(src.data(), whole.data(), n);
            for (int i = 0; i < n; ++i)
                BlendOverRow(&src[size_t(i) * 4], &single[size_t(i) * 4], 1);
            EXPECT_EQ(whole, single) << n << " texels, pattern " << pattern;
        }
    }
}

TEST(CarriedBlend, ADragFrameBlendedOnTheCpuIsTheRenderersToTheByte)
{
    struct TCase {
        const char* name;
        bool shadows;
        bool selected;  // another piece selected: carried along, inverted
        QPoint to;      // where the group is carried, from its first piece's centre
    };
    const TCase cases[] = {
        {"shadows", true, false, {17, 9}},
        {"no shadows", false, false, {-13, 61}},
        {"a selected piece along", true, true, {37, 23}},
        {"odd step", true, false, {3, 1}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        OptP.Visual_Shadows = c.shadows;
        FieldHarness h;
        TGridSpec spec;
        spec.cols = 4;
        spec.rows = 3;
        h.Open(spec);
        for (int j : {1, 4, 5})
            Jigs[size_t(j)].Layer = Jigs[0].Layer;
        if (c.selected) {
            Jigs[7].Sel = true;
            DragJigP.bSelected = true;
        }
        SortJigs(0);
        RedrawP = kRedrawFull;
        h.Frame();
        const QPoint from = FieldHarness::PieceCentre(0);
        h.Press(from);
        h.Move(from + QPoint(5, 5));
        ASSERT_EQ(DragJigP.State, kDragPieces);
        // Carried on step by step, and partly off the table's client at
        // the top left (the area clipped), then back.
        for (const QPoint to : {from + c.to, QPoint(3, 2), from + c.to + QPoint(1, 0)}) {
            h.Move(to);
            const TBothBlends f = FrameBothWays(h);
            ASSERT_TRUE(RenderBufCpuBlendExact()) << "the renderer's blend is not the one the CPU reproduces";
            EXPECT_TRUE(f.cpuReady);
            EXPECT_EQ(DifferingBytes(f.renderer, f.cpu), 0u);
        }
        h.Release(from + c.to);
        RedrawP = kRedrawFull;
        h.Frame();
        EXPECT_FALSE(CarriedGroupBlendsOnCpu());
    }
    OptP.Visual_Shadows = true;
}
