// Loading the OpenGL driver ahead of the window.
//
// The field's context makes the GL vendor library load the DRI driver, and
// with it LLVM: tens of milliseconds of dynamic linking on the main thread
// while the window comes up. Started at launch, the same libraries load on a
// thread of their own while the application object and the main form are
// made; the context then finds them already there. Only libraries the
// context would load anyway are taken, and anything missing is skipped
// silently: the window loads what it needs as it always did.
#pragma once

#include <string>
#include <vector>

// What the choice depends on, read from the process and the machine.
struct TRendererHost {
    std::string qpaPlatform;    // QT_QPA_PLATFORM ("" when unset)
    bool hasDisplay = false;    // DISPLAY set: the xcb platform, GLX
    std::string glxVendor;      // __GLX_VENDOR_LIBRARY_NAME ("" when unset)
    bool forcedSoftware = false;  // LIBGL_ALWAYS_SOFTWARE set
    bool proprietaryNvidia = false;  // the NVIDIA kernel driver is loaded (its own GL)
    bool hasRenderNode = false; // a DRM render node exists (a GPU may drive GL)
    std::string driDir;         // the folder of Mesa's DRI drivers ("" when not found)
    bool swrastExists = false;  // driDir holds swrast_dri.so
    bool swrastShared = false;  // ... as one file linked under every driver's name
    bool turnedOff = false;     // ZIVRA_NO_GL_PRELOAD set
};

// The libraries to load, in order: the GLX vendor library, then the DRI
// driver when the context will surely take that very file (the software
// renderer, or every driver name linking the one file). Empty when the
// renderer is someone else's or nothing would be gained.
std::vector<std::string> RendererPreloadList(const TRendererHost& host);

// The host as this process sees it (the DRI folder found beside Mesa's GLX
// library unless LIBGL_DRIVERS_PATH names one).
TRendererHost RendererHostNow();

// Starts the loading thread and returns at once; the libraries stay loaded
// for the process's life. Call once, before the application object.
void RendererPreload_Start();
