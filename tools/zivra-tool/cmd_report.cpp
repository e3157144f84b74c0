// zivra-tool report: the system report the game writes from its Help menu,
// written to a given file and not opened.
#include "tool.h"

#include "diagnostics/diagnostics.h"
#include "files/files.h"
#include "model/memory_field.h"
#include "model/play_rules.h"

#include <QGuiApplication>

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

int Fail(const std::string& why, int status)
{
    std::fprintf(stderr, "zivra-tool report: %s\n", why.c_str());
    return status;
}

bool HaveDisplay()
{
    const char* x = std::getenv("DISPLAY");
    const char* w = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (w && *w);
}

int RunReport(const ToolArgs& args)
{
    ToolOptions opt;
    std::string error;
    if (!opt.Parse(args, {"--game"}, {}, &error) || opt.Positional().size() != 1)
        return Fail(error.empty() ? "expects OUT.txt [--game SAVED]" : error, kExitBadInput);
    const std::string& out = opt.Positional()[0];
    // The screens come from the desktop when there is one; without one Qt's
    // offscreen screen stands in and the OpenGL lines stay out.
    if (!HaveDisplay() && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int argc = 1;
    char name[] = "zivra-tool";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (!FileNames_Create(&error, false))
        std::fprintf(stderr, "zivra-tool: %s\n", error.c_str());
    OMemoryField field;
    if (opt.Has("--game")) {
        ReadLangFile(LangMesFile("english"));
        SetFieldHost(&field);
        if (!OpenGameFile(opt.Get("--game")))
            return Fail("Invalid Jigsaw: " + opt.Get("--game"), kExitBadInput);
    }
    GetOSVersion();
    GetDisplayScale();
    if (!CreateSystemReport(out, false))
        return Fail("cannot write " + out, kExitFailed);
    return kExitOk;
}

const ToolCommandRegistrar reg{{"report", "OUT.txt [--game SAVED]",
                                "write the system report (with the game's parameters when one is given)",
                                &RunReport}};

}  // namespace
