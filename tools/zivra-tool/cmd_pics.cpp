// zivra-tool pics: every vector picture of the Figure style drawn the way the
// cut draws it, on one sheet for a look: one row per picture; upright,
// mirrored left to right and top to bottom (where the picture allows it),
// turned by -30 and +30 degrees; first large, then at a piece's size.
#include "tool.h"

#include "base/my_image.h"
#include "cutting/vector_pics.h"
#include "files/files.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kBig = 180, kBigFit = 140;    // large cells and the picture's longer side in them
constexpr int kSmall = 44, kSmallFit = 30;  // the same at a piece's size
constexpr int kVariants = 5;
constexpr uint32_t kPaper = RGB(255, 255, 255), kBarred = RGB(225, 225, 225), kGrid = RGB(200, 200, 200);
constexpr uint32_t kInk = RGB(40, 40, 60);

struct TVariant {
    bool mirrorX, mirrorY;
    double angle;
};
constexpr TVariant kVariantList[kVariants] = {{false, false, 0}, {true, false, 0}, {false, true, 0},
                                              {false, false, -30}, {false, false, 30}};

// Draws picture i, prepared like a picture piece, centred in a cell of side
// `cell` with its nominal longer side scaled to `fit`.
void DrawVariant(OMyImage& sheet, int i, const TVariant& v, int x0, int y0, int cell, int fit)
{
    const TPicEntry& e = PicFigs.arFigs[size_t(i)].Entry;
    const bool allowed = (!v.mirrorX || e.bMirrorLR) && (!v.mirrorY || e.bMirrorTB);
    MyImageFillRect(sheet, x0, y0, cell, cell, allowed ? kPaper : kBarred);
    if (!allowed || !ReadDataEmfImage(i))
        return;
    FlipEmf(PicFigs.Cur.Emf, v.mirrorX, v.mirrorY);
    RotateEmf(v.angle, PicFigs.Cur.Emf);
    const double k = double(fit) / std::max(e.Width, e.Height);
    const int wr = Round(RotVec.RotW * k), hr = Round(RotVec.RotH * k);
    const int left = x0 + cell / 2 - wr / 2, top = y0 + cell / 2 - hr / 2;
    StretchDrawEmf(sheet, PicFigs.Cur.Emf, {left, top}, {left + wr, top + hr}, kInk);
}

int RunPics(const ToolArgs& args)
{
    ToolOptions opt;
    std::string error;
    if (!opt.Parse(args, {"--out", "--data"}, {}, &error) || !opt.Positional().empty() || !opt.Has("--out")) {
        std::fprintf(stderr, "zivra-tool pics: %s\n", error.empty() ? "expects --out DIR" : error.c_str());
        return kExitBadInput;
    }
    std::string data = opt.Get("--data");
    if (data.empty()) {
        if (!FileNames_Create(&error, false)) {  // a running game's save may be under way
            std::fprintf(stderr, "zivra-tool pics: %s\n", error.c_str());
            return kExitBadInput;
        }
        data = FileNames.sDataPic;
    }
    DefaultRecorder().echoLog = true;
    const int n = ReadDataEmf(data);
    if (n == 0) {
        std::fprintf(stderr, "zivra-tool pics: no usable picture in %s\n", data.c_str());
        return kExitBadInput;
    }
    const int rowH = kBig + 1;
    OMyImagePtr sheet = MyImageCreateExt(kVariants * (kBig + kSmall + 2) + 1, n * rowH + 1, false);
    MyImageFillRect(*sheet, 0, 0, sheet->W, sheet->H, kGrid);
    for (int i = 0; i < n; ++i) {
        const int y = 1 + i * rowH;
        for (int v = 0; v < kVariants; ++v) {
            DrawVariant(*sheet, i, kVariantList[v], 1 + v * (kBig + 1), y, kBig, kBigFit);
            DrawVariant(*sheet, i, kVariantList[v], 1 + kVariants * (kBig + 1) + v * (kSmall + 1), y, kSmall,
                        kSmallFit);
        }
        const TPicEntry& e = PicFigs.arFigs[size_t(i)].Entry;
        const std::string name(reinterpret_cast<const char*>(e.Kept.data()), strnlen(reinterpret_cast<const char*>(e.Kept.data()), e.Kept.size()));
        std::printf("%d\t%s\t%d x %d\tmirror%s%s\n", i, name.c_str(), e.Width, e.Height, e.bMirrorLR ? " lr" : "",
                    e.bMirrorTB ? " tb" : "");
    }
    const std::string out = opt.Get("--out") + "/pics.png";
    if (!CreateDir(opt.Get("--out")) || !MyImageSaveToFile(*sheet, out)) {
        std::fprintf(stderr, "zivra-tool pics: cannot write %s\n", out.c_str());
        return kExitFailed;
    }
    std::printf("sheet\t%s\n", out.c_str());
    return kExitOk;
}

const ToolCommandRegistrar reg{{"pics", "--out DIR [--data FILE]",
                                "draw every vector picture of the Figure style (as the cut turns and mirrors "
                                "them) into DIR/pics.png",
                                &RunPics}};

}  // namespace
