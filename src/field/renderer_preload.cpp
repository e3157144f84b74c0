#include "field/renderer_preload.h"

#include "base/helpers.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <thread>

namespace {

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

bool Exists(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0;
}

// The folder a loaded library came from; "" when it is not loaded.
std::string LoadedLibraryFolder(const char* soname)
{
    void* h = dlopen(soname, RTLD_LAZY | RTLD_NOLOAD);
    if (!h)
        return {};
    char origin[PATH_MAX] = {};
    const bool ok = dlinfo(h, RTLD_DI_ORIGIN, origin) == 0;
    dlclose(h);  // only drops the reference RTLD_NOLOAD took
    return ok ? origin : "";
}

bool AnyRenderNode()
{
    for (int n = 128; n < 136; ++n)
        if (Exists("/dev/dri/renderD" + std::to_string(n)))
            return true;
    return false;
}

}  // namespace

std::vector<std::string> RendererPreloadList(const TRendererHost& h)
{
    std::vector<std::string> libs;
    if (h.turnedOff || h.proprietaryNvidia)
        return libs;
    // Qt on X11 draws through GLX; anything else (Wayland, offscreen) would
    // take other libraries, and we leave those to it.
    const bool xcb = h.qpaPlatform.empty() ? h.hasDisplay : h.qpaPlatform.rfind("xcb", 0) == 0;
    if (!xcb || !h.hasDisplay || (!h.glxVendor.empty() && h.glxVendor != "mesa"))
        return libs;
    libs.push_back("libGLX_mesa.so.0");
    // The software renderer is swrast_dri.so; with a GPU Mesa picks the
    // driver by the device, which is the same file only where every name
    // links to one.
    const bool software = h.forcedSoftware || !h.hasRenderNode;
    if (!h.driDir.empty() && h.swrastExists && (software || h.swrastShared))
        libs.push_back(h.driDir + "/swrast_dri.so");
    return libs;
}

TRendererHost RendererHostNow()
{
    TRendererHost h;
    h.qpaPlatform = Env("QT_QPA_PLATFORM");
    h.hasDisplay = !Env("DISPLAY").empty();
    h.glxVendor = Env("__GLX_VENDOR_LIBRARY_NAME");
    h.forcedSoftware = !Env("LIBGL_ALWAYS_SOFTWARE").empty() && Env("LIBGL_ALWAYS_SOFTWARE") != "0";
    h.proprietaryNvidia = Exists("/proc/driver/nvidia/version");
    h.hasRenderNode = AnyRenderNode();
    h.turnedOff = !Env("ZIVRA_NO_GL_PRELOAD").empty();
    const std::string paths = Env("LIBGL_DRIVERS_PATH");
    if (!paths.empty()) {
        h.driDir = paths.substr(0, paths.find(':'));
    } else if (const std::string glx = LoadedLibraryFolder("libGLX.so.0"); !glx.empty()) {
        h.driDir = glx + "/dri";  // Mesa's drivers live in <libdir>/dri
    }
    struct stat st{};
    if (!h.driDir.empty() && ::stat((h.driDir + "/swrast_dri.so").c_str(), &st) == 0) {
        h.swrastExists = true;
        h.swrastShared = st.st_nlink > 1;
    }
    return h;
}

void RendererPreload_Start()
{
    std::vector<std::string> libs = RendererPreloadList(RendererHostNow());
    if (libs.empty())
        return;
    std::thread([libs = std::move(libs)] {
        // The flags the loaders use themselves: the vendor library private,
        // the DRI driver global. The handles are never closed: the context
        // takes the libraries over.
        for (size_t i = 0; i < libs.size(); ++i)
            if (!dlopen(libs[i].c_str(), RTLD_NOW | (i == 0 ? RTLD_LOCAL : RTLD_GLOBAL)))
                break;  // missing or refused: the window loads what it needs itself
        TimelineMark("renderer-preloaded");  // with this thread's CPU time
    }).detach();
}
