// zivra-tool image: decode a picture as the game does and describe it.
#include "tool.h"

#include "base/my_image.h"

#include <cstdio>

namespace {

int RunImage(const ToolArgs& args)
{
    ToolOptions opt;
    std::string error;
    if (!opt.Parse(args, {"--bmp"}, {"--convert"}, &error) || opt.Positional().size() != 1) {
        std::fprintf(stderr, "zivra-tool image: %s\n", error.empty() ? "expects one PICTURE" : error.c_str());
        return kExitBadInput;
    }
    const std::string& path = opt.Positional()[0];
    OMyImagePtr img = MyImageCreateFromFile(path, opt.Has("--convert"), &error);
    if (!img) {
        std::fprintf(stderr, "zivra-tool image: %s: %s\n", path.c_str(), error.c_str());
        return kExitBadInput;
    }
    std::printf("width\t%d\nheight\t%d\nbpp\t%d\nalpha\t%d\n", img->W, img->H, img->iBPP, img->bAlpha ? 1 : 0);
    if (opt.Has("--bmp") && !MyImageSaveToFileAsBmp2(*img, opt.Get("--bmp"))) {
        std::fprintf(stderr, "zivra-tool image: cannot write %s\n", opt.Get("--bmp").c_str());
        return kExitFailed;
    }
    return kExitOk;
}

const ToolCommandRegistrar reg{{"image", "PICTURE [--convert] [--bmp OUT.bmp]",
                                "decode a picture as the game does; print width, height, bpp, alpha",
                                &RunImage}};

}  // namespace
