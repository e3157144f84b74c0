// zivra-jigsaw [FILE] [--screenshot PNG] [--size WxH] [--no-splash]: the game.
//
// Start-up: the about box as a splash for at least two seconds while the
// main window is made and the settings read, then the open dialog preset to
// the most recent file. FILE (a jigsaw or a saved game, as the file manager
// hands it over, a path or a file:// address) skips the dialog and opens at once.
// --screenshot opens FILE (else the most recent file, else the first bundled
// jigsaw) without asking, grabs the first drawn frame of the game into PNG and
// quits (status 0 when the picture was saved); messages go to standard error
// and questions take their second answer, so nothing waits for a player.
// --state keeps FILE describing every piece as it lies (for tests that play
// the game from outside).
#include "diagnostics/diagnostics.h"
#include "field/main_view.h"
#include "field/renderer_preload.h"
#include "field/field.h"
#include "files/files.h"
#include "base/huge_blocks.h"
#include "model/game_state.h"
#include "base/helpers.h"
#include "model/puzzle.h"
#include "shell/about_form.h"
#include "shell/end_signals.h"
#include "shell/main_form.h"
#include "shell/shell.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QScreen>
#include <QUrl>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <memory>
#include <string>
#include <thread>

namespace {

const char* const kUsage =
    "usage: zivra-jigsaw [FILE] [--screenshot PNG] [--size WxH] [--state FILE] [--no-splash]\n"
    "  FILE             a jigsaw (.zjg, a new game) or a saved game (.svm): a path\n"
    "                   or a file:// address\n"
    "  --screenshot PNG save the first drawn frame of the game and quit\n"
    "  --size WxH       a view of W x H pixels instead of the whole screen\n"
    "  --state FILE     keep FILE describing every piece as it lies (for tests)\n"
    "  --no-splash      start without the about box (for tests)\n";

// The application id: the name of our .desktop file and of the application
// icon, which lets a desktop match the window to its menu entry.
const char* const kAppId = "com.zivra.Jigsaw";
constexpr int kWindowIconMaxSide = 256;  // pixels

// A file:// address as the local path it names; anything else as it stands.
// False for another kind of address: the game opens local files only.
bool LocalPathOf(const std::string& arg, std::string* path)
{
    const QString a = QString::fromLocal8Bit(arg.c_str());
    QUrl url(a);
    if (url.scheme().isEmpty() || !a.startsWith(url.scheme() + QLatin1String("://"))) {
        *path = arg;  // a plain path, even one with "://" inside
        return true;
    }
    if (!url.isLocalFile())
        return false;
    if (url.host() == QLatin1String("localhost"))
        url.setHost(QString());
    *path = url.toLocalFile().toLocal8Bit().toStdString();
    return true;
}

// The window icon from the icon theme, else from our own icons: in the
// resource folder of a build tree, or in the hicolor folder beside it once
// installed (share/icons beside share/zivra-jigsaw).
QIcon AppIcon(const std::string& resourceDir)
{
    QIcon icon;
    const QString res = QString::fromStdString(resourceDir);
    for (const QString& root : {res + QLatin1String("/icons/hicolor"), res + QLatin1String("/../icons/hicolor")}) {
        for (const QString& size : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QString file = root + QLatin1Char('/') + size + QLatin1String("/apps/") + QLatin1String(kAppId) +
                                 QLatin1String(".png");
            if (QFile::exists(file))
                icon.addFile(file);
        }
        if (!icon.isNull())
            break;
    }
    const QIcon full = QIcon::fromTheme(QLatin1String(kAppId), icon);
    // Every size of a window's icon goes to the X server as ARGB pixels when
    // the window is made; the 512 px one alone is 1 MB and most of the cost.
    // Desktops take larger icons from the theme by the desktop file's name.
    QIcon window;
    for (const QSize& size : full.availableSizes())
        if (size.width() <= kWindowIconMaxSide && size.height() <= kWindowIconMaxSide)
            window.addPixmap(full.pixmap(size));
    return window.isNull() ? full : window;
}

// The font configuration (a few dozen XML files and the font caches) is
// read on a thread of its own while the application object loads its
// plugins; Qt's own first call then finds it made. fontconfig makes it once
// whichever thread asks first, and Qt links it, so it is already loaded.
void StartReadingFontConfig()
{
    using TFcInit = int (*)();
    if (const auto init = reinterpret_cast<TFcInit>(dlsym(RTLD_DEFAULT, "FcInit")))
        std::thread([init] { init(); }).detach();
}

bool ParseArgs(int argc, char** argv, TStartOptions* o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (a == "--screenshot" && i + 1 < argc) {
            o->sScreenshot = argv[++i];
        } else if (a == "--no-splash") {
            o->bNoSplash = true;
        } else if (a == "--state" && i + 1 < argc) {
            o->sStateFile = argv[++i];
        } else if (a == "--size" && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &o->iViewW, &o->iViewH) != 2 || o->iViewW < 200 || o->iViewH < 150)
                return false;
        } else if (!a.empty() && a[0] == '-') {
            return false;
        } else if (!LocalPathOf(a, &o->sFile)) {
            std::fprintf(stderr, "zivra-jigsaw: only local files can be opened: %s\n", a.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const double t0 = GetNow();
    TimelineP.bOn = std::getenv("ZIVRA_LOG_OPEN") != nullptr;
    TimelineMark("main");
    // Big aligned blocks (the GL driver's textures, the atlas's buffers) on huge
    // pages; ZIVRA_NO_HUGE_PAGES=1 leaves them on 4 KB pages as before.
    HugeBlocks_Enable(std::getenv("ZIVRA_NO_HUGE_PAGES") == nullptr);
    TStartOptions opts;
    if (!ParseArgs(argc, argv, &opts)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    // A saved game given here is read while the window and GL come up.
    if (!opts.sFile.empty())
        SolveFile_StartReadAhead(opts.sFile);
    StartReadingFontConfig();
    MainViewSetDefaultFormat();
    QApplication app(argc, argv);
    SolveFile_LetReadAheadDecode();
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QString::fromLatin1(sMainCaption));
    // Window titles then read "<game> — Zivra Jigsaw".
    QApplication::setApplicationDisplayName(QString::fromLatin1(sMainCaption));
    QGuiApplication::setDesktopFileName(QLatin1String(kAppId));
    Records_ResetAll();  // the records' start values, the default cut among them
    FieldP.bLeanAfterOpen = true;  // an open game keeps only what play and saving need
    GetOSVersion();
    GetDisplayScale();
    SetPlatform(&TheQtPlatform());
    SetNonInteractive(!opts.sScreenshot.empty());
    std::string error;
    if (!FileNames_Create(&error)) {
        ShowMessage(error);
        return 1;
    }

    // The GL driver loads on a thread of its own while the splash shows and
    // the main form is made. Loading holds the dynamic loader's lock, so it
    // starts only once the application object has loaded its platform
    // plugins and the splash its picture's. The one library loaded on this
    // thread meanwhile is Qt's image plugins, which the menu bar's icons ask
    // for, and the driver is loaded by then or soon after; the pictures read
    // before (the language flags) are PNG and BMP, which Qt decodes itself.
    std::unique_ptr<MCAbout> splash;
    if (!opts.bNoSplash) {
        splash = std::make_unique<MCAbout>();
        splash->InitForm(FileNames.sResourcePath);
        RendererPreload_Start();
        splash->ShowForm(true);
    } else {
        RendererPreload_Start();
    }
    TimelineMark("app");
    LangP_Init();
    MCMainForm form(FileNames.sResourcePath, opts);  // the main form's InitForm
    TimelineMark("main-form");
    Settings_Read();  // also reads the language file, which titles the menus
    TimelineMark("settings");
    QApplication::setWindowIcon(AppIcon(FileNames.sResourcePath));
    CheckDistJigs();
    SRandDev();
    std::string lockMessage;
    if (!AutoSave_AcquireLock(&lockMessage) && !lockMessage.empty())
        ShowMessage(lockMessage);
    bInitApp = true;
    // From here on the end of the session keeps the game.
    MCEndSignals endSignals([&form](int sig) { form.EndBySignal(sig); });

    if (opts.iViewW > 0) {
        form.MainViewHost->setFixedSize(opts.iViewW, opts.iViewH);
        form.show();
    } else if (QScreen* s = QGuiApplication::primaryScreen()) {
        form.setGeometry(s->availableGeometry());
        form.showMaximized();
    } else {
        form.show();
    }
    if (splash)
        splash->o_Window->raise();
    TimelineMark("window-shown");
    // The saved game read ahead gets its piece images made in the player's
    // look while the window comes up (not sooner: until the window shows,
    // the cores are busy loading the GL driver and making the main form).
    SolveFile_LetReadAheadMakePieces(OptP.Visual_EmbossStyle);
    form.StartUp(t0, std::move(splash));
    return app.exec();
}
