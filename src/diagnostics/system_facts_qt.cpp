// The machine's facts: the Linux files plus what Qt knows of the screens and
// the OpenGL renderer. Without a QGuiApplication the screen and display
// answers are empty.
#include "diagnostics/linux_facts.h"

#include "platform/platform.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPointer>
#include <QScreen>
#include <QUrl>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <QtGui/qopenglcontext_platform.h>

#include <cstring>
#include <memory>

namespace {

// GL_NVX_gpu_memory_info (kilobytes).
constexpr GLenum kGpuMemDedicatedNVX = 0x9047;
constexpr GLenum kGpuMemTotalAvailableNVX = 0x9048;
// GLX_MESA_query_renderer.
constexpr int kGlxRendererAcceleratedMESA = 0x8186;
constexpr int kGlxRendererVideoMemoryMESA = 0x8187;  // megabytes
constexpr int kGlxScreen = 0x800C;

std::string Str(const QString& s) { return s.toStdString(); }

QScreen* PrimaryScreen() { return qGuiApp ? QGuiApplication::primaryScreen() : nullptr; }

// Asks Mesa's GLX for the renderer's memory and whether it is hardware. The
// GLX entry points are looked up through the context so that nothing here
// links against X11 or GLX.
void QueryGlxRenderer(QOpenGLContext& ctx, TRendererFacts* r)
{
#if QT_CONFIG(xcb_glx_plugin)
    auto* glx = ctx.nativeInterface<QNativeInterface::QGLXContext>();
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!glx || !x11 || !x11->display())
        return;
    using QueryContext = int (*)(void*, void*, int, int*);
    using QueryExtensions = const char* (*)(void*, int);
    using QueryRenderer = int (*)(int, unsigned int*);
    auto queryContext = reinterpret_cast<QueryContext>(ctx.getProcAddress("glXQueryContext"));
    auto queryExtensions = reinterpret_cast<QueryExtensions>(ctx.getProcAddress("glXQueryExtensionsString"));
    if (!queryContext || !queryExtensions)
        return;
    void* dpy = x11->display();
    int screen = 0;
    queryContext(dpy, reinterpret_cast<void*>(glx->nativeContext()), kGlxScreen, &screen);
    const char* ext = queryExtensions(dpy, screen);
    if (!ext || !std::strstr(ext, "GLX_MESA_query_renderer"))
        return;
    auto query = reinterpret_cast<QueryRenderer>(ctx.getProcAddress("glXQueryCurrentRendererIntegerMESA"));
    unsigned int accelerated = 0, videoMB = 0;
    if (!query || !query(kGlxRendererAcceleratedMESA, &accelerated))
        return;
    r->bAccelerated = accelerated != 0;
    if (query(kGlxRendererVideoMemoryMESA, &videoMB)) {
        // Mesa tells one figure; textures live in the same memory.
        r->iVideoMB = int32_t(videoMB);
        r->iTextureMB = int32_t(videoMB);
    }
    Platform().Log("GLX renderer: accelerated " + std::to_string(accelerated) + ", " + std::to_string(videoMB) +
                   " MB");
#else
    (void)ctx;
    (void)r;
#endif
}

void QueryRenderer(QOpenGLContext& ctx, TRendererFacts* r)
{
    QOpenGLFunctions* gl = ctx.functions();
    const auto str = [gl](GLenum name) {
        const auto* s = reinterpret_cast<const char*>(gl->glGetString(name));
        return s ? std::string(s) : std::string();
    };
    r->sVendor = str(GL_VENDOR);
    r->sRenderer = str(GL_RENDERER);
    r->sVersion = str(GL_VERSION);
    QueryGlxRenderer(ctx, r);
    if (r->iVideoMB < 0 && ctx.hasExtension("GL_NVX_gpu_memory_info")) {
        GLint dedicated = 0, total = 0;
        gl->glGetIntegerv(kGpuMemDedicatedNVX, &dedicated);
        gl->glGetIntegerv(kGpuMemTotalAvailableNVX, &total);
        r->bAccelerated = true;  // the extension exists only on the maker's hardware drivers
        r->iVideoMB = dedicated / 1024;
        r->iTextureMB = total / 1024;
    }
}

class OMachineFacts : public ISystemFacts {
public:
    std::string DateText() override { return NowText(); }
    TReportPairs Software() override
    {
        TReportPairs p = ReadSoftwareFacts();
        p.push_back({"qt_version", qVersion()});
        if (qGuiApp)
            p.push_back({"qt_platform", Str(QGuiApplication::platformName())});
        return p;
    }
    std::vector<TDiskFacts> Disks() override { return ReadDiskFacts(); }
    TReportPairs Hardware() override { return ReadHardwareFacts(); }
    std::vector<TReportPairs> Network() override { return ReadNetworkFacts(); }
    TScreenFacts Screen() override;
    std::optional<std::vector<TDisplayFacts>> Displays() override;
    TRendererFacts Renderer() override;
    void OpenFile(const std::string& path) override
    {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path))))
            Platform().Log("no application opened " + path);
    }

    QPointer<QWindow> mainWindow;  // the game's window; null in the tools
};

TScreenFacts OMachineFacts::Screen()
{
    TScreenFacts s;
    QScreen* scr = PrimaryScreen();
    if (!scr)
        return s;
    s.bHave = true;
    s.fW = scr->geometry().width();
    s.fH = scr->geometry().height();
    s.fVisibleW = scr->availableGeometry().width();
    s.fVisibleH = scr->availableGeometry().height();
    s.iDepth = scr->depth();
    s.fPixelRatio = scr->devicePixelRatio();
    s.arDesc = {{"Name", Str(scr->name())},
                {"Manufacturer", Str(scr->manufacturer())},
                {"Model", Str(scr->model())},
                {"PhysicalSize", Str(QStringLiteral("%1 x %2 mm")
                                         .arg(scr->physicalSize().width(), 0, 'f', 0)
                                         .arg(scr->physicalSize().height(), 0, 'f', 0))},
                {"LogicalDPI", Str(QStringLiteral("%1 x %2").arg(scr->logicalDotsPerInchX()).arg(scr->logicalDotsPerInchY()))},
                {"PhysicalDPI",
                 Str(QStringLiteral("%1 x %2").arg(scr->physicalDotsPerInchX(), 0, 'f', 1).arg(scr->physicalDotsPerInchY(), 0, 'f', 1))},
                {"RefreshRate", Str(QString::number(scr->refreshRate(), 'f', 2))},
                {"DevicePixelRatio", Str(QString::number(scr->devicePixelRatio()))}};
    std::erase_if(s.arDesc, [](const TReportPair& kv) { return kv.sValue.empty(); });
    if (mainWindow) {
        s.fWinScaleFactor = mainWindow->devicePixelRatio();
        // Our play field always draws at the screen's device pixels.
        s.bWantsBestResolution = true;
    }
    return s;
}

std::optional<std::vector<TDisplayFacts>> OMachineFacts::Displays()
{
    if (!qGuiApp)
        return std::nullopt;
    std::vector<TDisplayFacts> out;
    for (QScreen* scr : QGuiApplication::screens()) {
        if (out.size() >= size_t(kReportMaxDisplays))
            break;
        TDisplayFacts d;
        const QRect g = scr->geometry();
        d.fX = g.x(), d.fY = g.y(), d.fW = g.width(), d.fH = g.height();
        d.iModeW = int32_t(g.width() * scr->devicePixelRatio() + 0.5);
        d.iModeH = int32_t(g.height() * scr->devicePixelRatio() + 0.5);
        d.iBitsPerPixel = DisplayBitsPerPixelForDepth(scr->depth());
        d.fRefreshRate = scr->refreshRate();
        out.push_back(d);
    }
    return out;
}

TRendererFacts OMachineFacts::Renderer()
{
    TRendererFacts r;
    if (!qGuiApp)
        return r;
    if (QOpenGLContext* cur = QOpenGLContext::currentContext()) {
        QueryRenderer(*cur, &r);
        return r;
    }
    // No context is current (the play field makes its own current only while
    // it draws): a short-lived one of the same kind answers for the renderer.
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext ctx;
    if (!ctx.create() || !ctx.makeCurrent(&surface)) {
        Platform().Log("no OpenGL context for the system report");
        return r;
    }
    QueryRenderer(ctx, &r);
    ctx.doneCurrent();
    return r;
}

struct TMachineP {
    std::unique_ptr<OMachineFacts> facts;  // made on first use (per run)
};
TMachineP MachineP;

OMachineFacts& Machine()
{
    if (!MachineP.facts)
        MachineP.facts = std::make_unique<OMachineFacts>();
    return *MachineP.facts;
}

}  // namespace

ISystemFacts& MachineFacts() { return Machine(); }

void SystemFactsSetMainWindow(QWindow* mainWindow) { Machine().mainWindow = mainWindow; }
