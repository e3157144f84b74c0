// zivra-artwork OUTDIR [GROUP...]
//
// Draws every picture and synthesises every sound of the game into OUTDIR
// (normally resources/). Groups: tables, skin, glass, toolbar, icons,
// dialogs, sounds; none given means all. Needs a QGuiApplication for text and
// painting; runs headless with QT_QPA_PLATFORM=offscreen.
#include "art.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct Group {
    const char* name;
    void (*gen)(ArtOut&);
};

const Group kGroups[] = {
    {"tables", GenTables},   {"skin", GenWinSkin},    {"glass", GenGlassStarWeight},
    {"toolbar", GenToolbar}, {"icons", GenAppIcons},  {"dialogs", GenDialogArt},
    {"sounds", GenSounds},
};

// Not part of the resources: a look at the pieces in use, on request only.
const Group kPreview = {"preview", GenPreview};

bool Wanted(const char* name, int argc, char** argv)
{
    if (argc <= 2) return true;
    for (int i = 2; i < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
        std::fprintf(stderr, "usage: zivra-artwork OUTDIR [tables|skin|glass|toolbar|icons|dialogs|sounds]...\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    ArtOut out(argv[1]);
    for (const Group& g : kGroups) {
        if (!Wanted(g.name, argc, argv)) continue;
        g.gen(out);
        if (!out.Ok()) {
            std::fprintf(stderr, "zivra-artwork: %s\n", out.Error().c_str());
            return 1;
        }
    }
    if (argc > 2 && !std::strcmp(argv[2], kPreview.name)) kPreview.gen(out);
    for (const std::string& name : out.Written()) std::printf("%s\n", name.c_str());
    return 0;
}
