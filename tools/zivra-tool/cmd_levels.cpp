// zivra-tool levels: the level table of a picture size, one row per line.
#include "tool.h"

#include "cutting/cutting.h"

#include <cstdio>

namespace {

int RunLevels(const ToolArgs& args)
{
    if (args.size() != 4) {
        std::fprintf(stderr, "zivra-tool levels: expects W H STYLE BORDER\n");
        return kExitBadInput;
    }
    int64_t w, h, style, border;
    if (!ParseInt(args[0], 0, kMyImageMaxSide, &w) || !ParseInt(args[1], 0, kMyImageMaxSide, &h)) {
        std::fprintf(stderr, "zivra-tool levels: W and H are whole numbers from 0 to %d\n", kMyImageMaxSide);
        return kExitBadInput;
    }
    if (!ParseInt(args[2], 0, 255, &style) || !ParseInt(args[3], 0, 1, &border)) {
        std::fprintf(stderr, "zivra-tool levels: STYLE is 0 to 255, BORDER 0 or 1\n");
        return kExitBadInput;
    }
    if (!FillMaskParams(int(w), int(h), int(style), int(border))) {
        std::fprintf(stderr, "zivra-tool levels: a %lldx%lld picture is too small for any level\n",
                     static_cast<long long>(w), static_cast<long long>(h));
        return kExitBadInput;
    }
    for (const TMaskParam& r : MaskParams)
        std::printf("%d %d %d %d %d %d %d %d %d %d\n", r.MaskS, r.TileS, r.MaskOfs, r.TilePX, r.TilePY, r.TileNum,
                    r.PicPX, r.PicPY, r.PicNum, r.TotalTileNum);
    return kExitOk;
}

const ToolCommandRegistrar reg{{"levels", "W H STYLE BORDER",
                                "the 14 cut levels of a picture, finest first: MaskS TileS MaskOfs TilePX TilePY "
                                "TileNum PicPX PicPY PicNum TotalTileNum",
                                &RunLevels}};

}  // namespace
