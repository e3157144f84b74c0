// zivra-tool cells: the Voronoi cells of a cut after the relaxation passes,
// drawn for a quick look.
#include "tool.h"

#include "cutting/classic_cut.h"

#include <cstdio>

namespace {

int RunCells(const ToolArgs& args)
{
    ToolOptions opt;
    std::string error;
    if (!opt.Parse(args, {"--out", "--style", "--frame"}, {}, &error) || opt.Positional().size() != 4 ||
        !opt.Has("--out")) {
        std::fprintf(stderr, "zivra-tool cells: %s\n", error.empty() ? "expects W H LEVEL SEED --out FILE.png" : error.c_str());
        return kExitBadInput;
    }
    int64_t w, h, level, seed, style = 0, frame = 0;
    const auto& pos = opt.Positional();
    if (!ParseInt(pos[0], 1, kMyImageMaxSide, &w) || !ParseInt(pos[1], 1, kMyImageMaxSide, &h) ||
        !ParseInt(pos[2], 0, kMaskLevels - 1, &level) || !ParseInt(pos[3], 0, 4294967295LL, &seed) ||
        !opt.GetInt("--style", 0, 3, &style, &error) || !opt.GetInt("--frame", 0, 1, &frame, &error)) {
        std::fprintf(stderr, "zivra-tool cells: %s\n", error.empty() ? "bad W, H, LEVEL or SEED" : error.c_str());
        return kExitBadInput;
    }
    TJigParams p;
    p.ImageW = int(w);
    p.ImageH = int(h);
    p.ShapeStyle = uint8_t(style);
    p.BorderStyle = uint8_t(frame);
    if (!FillMaskParams(p.ImageW, p.ImageH, p.ShapeStyle, p.BorderStyle)) {
        std::fprintf(stderr, "zivra-tool cells: the picture is too small for any level\n");
        return kExitBadInput;
    }
    SetJigParamsFromLevel(p, p.ImageW, p.ImageH, int(level));
    std::vector<TJig> jigs(size_t(p.TotalTileNum) + 1);
    TCutWork work(p, jigs);
    SRand(uint32_t(seed));
    if (!CutSetUp(work) || !CutPlaceSites(work) || !CutPartition(work))
        return kExitFailed;
    OMyImage& img = *work.vecField;
    MyImageFillRect(img, 0, 0, img.W, img.H, RGB(255, 255, 255));
    for (const TVorCell& c : work.cells) {
        for (int e = 0; e < c.edgeNum; ++e) {
            const TVorEdge& E = c.edges[size_t(e)];
            MyImageDrawLine(img, Round(E.x1), Round(E.y1), Round(E.x2), Round(E.y2),
                            E.nb < 0 ? RGB(128, 128, 128) : RGB(0, 0, 0));
        }
        for (int d = -2; d <= 2; ++d) {
            MyImageSetPixel(img, c.x + d, c.y, RGB(220, 0, 0));
            MyImageSetPixel(img, c.x, c.y + d, RGB(220, 0, 0));
        }
    }
    if (!MyImageSaveToFile(img, opt.Get("--out"))) {
        std::fprintf(stderr, "zivra-tool cells: cannot write %s\n", opt.Get("--out").c_str());
        return kExitFailed;
    }
    std::printf("cells %d\n", work.n);
    return kExitOk;
}

const ToolCommandRegistrar reg{{"cells", "W H LEVEL SEED --out FILE.png [--style S] [--frame 0|1]",
                                "draw the Voronoi cells of a cut after relaxation (sites in red)", &RunCells}};

}  // namespace
