// Which GL libraries start-up loads ahead of the window: only those the
// window's context would load itself, and nothing where the renderer is
// someone else's.
#include "field/renderer_preload.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Mesa's software renderer on an X display, the case the game meets on a
// machine without a GPU (and under Xvfb).
TRendererHost SoftwareX()
{
    TRendererHost h;
    h.hasDisplay = true;
    h.driDir = "/usr/lib/dri";
    h.swrastExists = true;
    return h;
}

const std::string kGlx = "libGLX_mesa.so.0", kSwrast = "/usr/lib/dri/swrast_dri.so";

}  // namespace

TEST(RendererPreload, LoadsOnlyWhatTheContextWouldLoad)
{
    struct Case {
        const char* what;
        void (*change)(TRendererHost&);
        std::vector<std::string> libs;
    };
    const Case cases[] = {
        {"software renderer on X", [](TRendererHost&) {}, {kGlx, kSwrast}},
        {"xcb named", [](TRendererHost& h) { h.qpaPlatform = "xcb"; }, {kGlx, kSwrast}},
        {"Mesa named as the GLX vendor", [](TRendererHost& h) { h.glxVendor = "mesa"; }, {kGlx, kSwrast}},
        {"a GPU whose driver is the one file of every name",
         [](TRendererHost& h) { h.hasRenderNode = h.swrastShared = true; }, {kGlx, kSwrast}},
        {"a GPU with a driver file of its own: the DRI driver is not guessed",
         [](TRendererHost& h) { h.hasRenderNode = true; }, {kGlx}},
        {"a GPU, software forced", [](TRendererHost& h) { h.hasRenderNode = h.forcedSoftware = true; },
         {kGlx, kSwrast}},
        {"no DRI folder found", [](TRendererHost& h) { h.driDir.clear(); }, {kGlx}},
        {"no software driver in it", [](TRendererHost& h) { h.swrastExists = false; }, {kGlx}},
        {"NVIDIA's own driver", [](TRendererHost& h) { h.proprietaryNvidia = true; }, {}},
        {"another GLX vendor", [](TRendererHost& h) { h.glxVendor = "nvidia"; }, {}},
        {"Wayland", [](TRendererHost& h) { h.qpaPlatform = "wayland"; }, {}},
        {"offscreen", [](TRendererHost& h) { h.qpaPlatform = "offscreen"; }, {}},
        {"no display", [](TRendererHost& h) { h.hasDisplay = false; }, {}},
        {"turned off", [](TRendererHost& h) { h.turnedOff = true; }, {}},
    };
    for (const Case& c : cases) {
        TRendererHost h = SoftwareX();
        c.change(h);
        EXPECT_EQ(RendererPreloadList(h), c.libs) << c.what;
    }
}

TEST(RendererPreload, ADriverFolderThatDoesNotExistLoadsNoDriver)
{
    const char* old = std::getenv("LIBGL_DRIVERS_PATH");
    const std::string saved = old ? old : "";
    setenv("LIBGL_DRIVERS_PATH", "/nonexistent/dri:/usr/lib/dri", 1);
    const TRendererHost h = RendererHostNow();
    if (old)
        setenv("LIBGL_DRIVERS_PATH", saved.c_str(), 1);
    else
        unsetenv("LIBGL_DRIVERS_PATH");
    EXPECT_EQ(h.driDir, "/nonexistent/dri");  // only the first folder named is tried
    EXPECT_FALSE(h.swrastExists);
    for (const std::string& lib : RendererPreloadList(h))
        EXPECT_EQ(lib.find("/nonexistent/"), std::string::npos) << lib;
}
