// zivra-jigsaw [FILE] [--screenshot PNG] [--size WxH] [--no-splash]: the game.
//
// Start-up: the about box as a splash for at least two seconds while the
// main window is made and the settings read, then the open dialog preset to
// the most recent file. FILE (a jigsaw or a saved game, as the file manager
// hands it over) skips the dialog and opens at once.
// --screenshot opens FILE (else the most recent file, else the first bundled
// jigsaw) without asking, grabs the first drawn frame of the game into PNG and
// quits (status 0 when the picture was saved); messages go to standard error
// and questions take their second answer, so nothing waits for a player.
// --state keeps FILE describing every piece as it lies (for tests that play
// the game from outside).
#include "diagnostics/diagnostics.h"
#include "field/main_view.h"
#include "files/files.h"
#include "model/game_state.h"
#include "base/helpers.h"
#include "model/puzzle.h"
#include "shell/about_form.h"
#include "shell/main_form.h"
#include "shell/shell.h"

#include <QApplication>
#include <QScreen>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

const char* const kUsage =
    "usage: zivra-jigsaw [FILE] [--screenshot PNG] [--size WxH] [--state FILE] [--no-splash]\n"
    "  FILE             a jigsaw (.zjg, a new game) or a saved game (.svm)\n"
    "  --screenshot PNG save the first drawn frame of the game and quit\n"
    "  --size WxH       a view of W x H pixels instead of the whole screen\n"
    "  --state FILE     keep FILE describing every piece as it lies (for tests)\n"
    "  --no-splash      start without the about box (for tests)\n";

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
        } else {
            o->sFile = a;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const double t0 = GetNow();
    TStartOptions opts;
    if (!ParseArgs(argc, argv, &opts)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    MainViewSetDefaultFormat();
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QString::fromLatin1(sMainCaption));
    // Window titles then read "<game> — Zivra Jigsaw".
    QApplication::setApplicationDisplayName(QString::fromLatin1(sMainCaption));
    Records_ResetAll();  // the records' start values, the default cut among them
    GetOSVersion();
    GetDisplayScale();
    SetPlatform(&TheQtPlatform());
    SetNonInteractive(!opts.sScreenshot.empty());
    std::string error;
    if (!FileNames_Create(&error)) {
        ShowMessage(error);
        return 1;
    }

    std::unique_ptr<MCAbout> splash;
    if (!opts.bNoSplash) {
        splash = std::make_unique<MCAbout>();
        splash->InitForm(FileNames.sResourcePath);
        splash->ShowForm(true);
    }
    LangP_Init();
    MCMainForm form(FileNames.sResourcePath, opts);  // the main form's InitForm
    form.CreateDialogs();
    Settings_Read();  // also reads the language file, which titles the menus
    CheckDistJigs();
    SRandDev();
    std::string lockMessage;
    if (!AutoSave_AcquireLock(&lockMessage) && !lockMessage.empty())
        ShowMessage(lockMessage);
    bInitApp = true;

    if (opts.iViewW > 0) {
        form.MainView->setFixedSize(opts.iViewW, opts.iViewH);
        form.show();
    } else if (QScreen* s = QGuiApplication::primaryScreen()) {
        form.setGeometry(s->availableGeometry());
        form.showMaximized();
    } else {
        form.show();
    }
    if (splash)
        splash->o_Window->raise();
    form.StartUp(t0, std::move(splash));
    return app.exec();
}
