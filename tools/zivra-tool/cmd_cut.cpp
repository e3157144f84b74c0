// zivra-tool cut: cuts a picture or a jigsaw file into pieces as a new game
// does and writes the mask, the parameters, the piece records and the piece
// images.
//
// The output formats are fixed (other tools read them):
//   mask.png     the mask as painted, 8-bit RGB, ImageW x ImageH
//   params.tsv   one line per jigsaw-parameter field: Name<TAB>value
//   pieces.tsv   a header line, then one tab-separated line per piece
//   sheet.png    (--sheet) the piece images laid out on a grid
//   pieces/NNNN.png  (--piece-images) each piece image as built, RGBA
// The sheet and the piece images are pictures to look at: they are written
// with the fastest compression (a 4000-piece cut makes some 100 MB of them).
// Standard output ends with "pieces N seed S ms T".
#include "tool.h"

#include "model/game_cut.h"
#include "files/files.h"
#include "model/game_state.h"
#include "platform/platform.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace {

constexpr int kExitPaintError = 3;
// A PNG quality that the writer maps to zlib's fastest level (1).
constexpr int kFastPngQuality = 85;

struct TCutArgs {
    std::string input, out;
    int level = 5, style = 0, frame = 0, rotate = 0, emboss = 1, fit = 0;
    int viewW = 1920, viewH = 1080;
    bool hasSeed = false;
    uint32_t seed = 0;
    bool pieceImages = false;
    bool sheet = false;
};

bool ParseCutArgs(const ToolArgs& args, TCutArgs* a, std::string* error)
{
    ToolOptions opt;
    if (!opt.Parse(args, {"--out", "--level", "--style", "--frame", "--rotate", "--seed", "--emboss", "--fit", "--view"},
                   {"--piece-images", "--sheet"}, error))
        return false;
    if (opt.Positional().size() != 1 || !opt.Has("--out")) {
        *error = "expects INPUT --out DIR";
        return false;
    }
    a->input = opt.Positional()[0];
    a->out = opt.Get("--out");
    int64_t level = a->level, style = a->style, frame = a->frame, rotate = a->rotate, emboss = a->emboss, fit = a->fit;
    int64_t seed = 0;
    if (!opt.GetInt("--level", 0, kMaskLevels - 1, &level, error) || !opt.GetInt("--style", 0, 6, &style, error) ||
        !opt.GetInt("--frame", 0, 1, &frame, error) || !opt.GetInt("--rotate", 0, 1, &rotate, error) ||
        !opt.GetInt("--emboss", 0, 3, &emboss, error) || !opt.GetInt("--fit", 0, 1, &fit, error) ||
        !opt.GetInt("--seed", 0, 4294967295LL, &seed, error) ||
        !opt.GetSize("--view", kMyImageMaxSide, &a->viewW, &a->viewH, error))
        return false;
    a->level = int(level), a->style = int(style), a->frame = int(frame), a->rotate = int(rotate);
    a->emboss = int(emboss), a->fit = int(fit);
    a->hasSeed = opt.Has("--seed");
    a->seed = uint32_t(seed);
    a->pieceImages = opt.Has("--piece-images");
    a->sheet = opt.Has("--sheet");
    return true;
}

// Reads the input into miOriginalImage and NewJigP's picture size: a jigsaw
// file through the list/preview read and its picture part, any other file
// as a picture, decoded as the game decodes them.
bool ReadCutInput(const std::string& path, std::string* error)
{
    if (FileExtLower(path) == "zjg") {
        if (!OpenJigFile_ForListOrPreview(path, false)) {
            *error = "not a readable jigsaw file: " + path;
            return false;
        }
        miOriginalImage = ReadJigFilePicture(path, false, error);
    } else {
        miOriginalImage = MyImageCreateFromFile(path, false, error);
    }
    if (!miOriginalImage)
        return false;
    // The decoded picture is what gets cut, whatever a header claimed.
    NewJigP.ImageW = miOriginalImage->W;
    NewJigP.ImageH = miOriginalImage->H;
    return true;
}

// NewJigP as the open dialog leaves it for the chosen options; false when the
// picture is too small for the level.
bool ChooseCut(const TCutArgs& a, std::string* error)
{
    NewJigP.Level = a.level;
    NewJigP.ShapeStyle = uint8_t(a.style);
    NewJigP.BorderStyle = uint8_t(a.frame);
    NewJigP.Rotate = uint8_t(a.rotate);
    NewJigP.FitToScreen = uint8_t(a.fit);
    SetHeadlessViewSize(a.viewW, a.viewH);
    SetImageSize(0);
    const int w = a.fit ? NewJigP.FitW : NewJigP.ImageW, h = a.fit ? NewJigP.FitH : NewJigP.ImageH;
    if (!FillMaskParams(w, h, a.style, a.frame)) {
        *error = "the picture is too small for any level";
        return false;
    }
    SetJigParamsFromLevel(NewJigP, w, h, a.level);
    if (NewJigP.TotalTileNum < 2) {
        *error = StrFormat("the picture is too small for level %d", a.level);
        return false;
    }
    return true;
}

// What the game sets up for the Figure and grid styles: where the pictures
// are read from, and the tab atlas (an unusable one is logged and every tab
// is drawn as a curve).
bool LoadCutResources(const TCutArgs& a)
{
    if (a.style < 3)
        return true;
    std::string error;
    if (!FileNames_Create(&error, false))  // a running game's save may be under way
        return false;
    DefaultRecorder().echoLog = true;
    Cutting_LoadStyleData(FileNames.sResourcePath);
    return true;
}

// ---- Outputs ----------------------------------------------------------------------

bool WriteParams(const std::string& path)
{
    const TJigParams& p = JigP;
    std::ofstream out(path);
    const std::pair<const char*, long long> fields[] = {
        {"GameSeed", p.GameSeed}, {"MaskS", p.MaskS}, {"TileS", p.TileS}, {"MaskOfs", p.MaskOfs},
        {"StuckD", p.StuckD}, {"TilePX", p.TilePX}, {"TilePY", p.TilePY}, {"TileNum", p.TileNum},
        {"PicPX", p.PicPX}, {"PicPY", p.PicPY}, {"PicNum", p.PicNum}, {"TotalTileNum", p.TotalTileNum},
        {"ImageW", p.ImageW}, {"ImageH", p.ImageH}, {"FitW", p.FitW}, {"FitH", p.FitH},
        {"JigsL", p.JigsL}, {"JigsT", p.JigsT}, {"JigsR", p.JigsR}, {"JigsB", p.JigsB},
        {"Level", p.Level}, {"Rotate", p.Rotate}, {"BorderStyle", p.BorderStyle}, {"ShapeStyle", p.ShapeStyle},
        {"SpreadOut", p.SpreadOut}, {"FitToScreen", p.FitToScreen}, {"SideNum", p.SideNum},
        {"HeaderKey", p.HeaderKey}, {"DataOfs", p.DataOfs},
    };
    for (const auto& f : fields)
        out << f.first << '\t' << f.second << '\n';
    return bool(out);
}

bool WritePieces(const std::string& path)
{
    std::ofstream out(path);
    out << "index\tHomeX\tHomeY\tW\tH\tSiteX\tSiteY\tCellX\tCellY\tCellW\tCellH\tMaskColor\tBevel\tPicCell";
    for (int k = 0; k < kJigNbSlots; ++k)
        out << "\tNb" << k;
    out << '\n';
    for (int i = 0; i < JigP.TotalTileNum; ++i) {
        const TJig& j = JigAt(i);
        out << i << '\t' << j.HomeX << '\t' << j.HomeY << '\t' << j.W << '\t' << j.H << '\t' << j.SiteX << '\t'
            << j.SiteY << '\t' << j.CellX << '\t' << j.CellY << '\t' << j.CellW << '\t' << j.CellH << '\t'
            << int(j.MaskColor) << '\t' << int(j.Bevel) << '\t' << int(j.PicCell);
        for (int16_t nb : j.Nb)
            out << '\t' << nb;
        out << '\n';
    }
    return bool(out);
}

bool WriteMask(const std::string& path)
{
    // 8-bit RGB: the alpha byte of the working mask carries nothing.
    const OMyImage& m = *miMasks;
    OMyImagePtr rgb = MyImageCreateExt(m.W, m.H, false);
    if (!rgb)
        return false;
    for (int y = 0; y < m.H; ++y) {
        const uint8_t* s = MyImageGetLineXY(m, 0, y);
        uint8_t* d = MyImageGetLineXY(*rgb, 0, y);
        for (int x = 0; x < m.W; ++x, s += 4, d += 3)
            d[0] = s[0], d[1] = s[1], d[2] = s[2];
    }
    return MyImageSaveToFile(*rgb, path);
}

// The piece images in index order, left to right in rows, on grey.
bool WriteSheet(const std::string& path)
{
    constexpr int kGap = 2;
    int64_t area = 0;
    int widest = 1;
    for (const OMyImage& img : arPicJigs) {
        area += int64_t(img.W + kGap) * (img.H + kGap);
        widest = imax(widest, img.W + kGap);
    }
    const int sheetW = imin(kMyImageMaxSide, imax(widest, int(std::sqrt(double(area)) * 1.1)));
    std::vector<TPoint> at(arPicJigs.size());
    int x = kGap, y = kGap, rowH = 0;
    for (size_t i = 0; i < arPicJigs.size(); ++i) {
        const OMyImage& img = arPicJigs[i];
        if (x + img.W + kGap > sheetW && x > kGap) {
            x = kGap;
            y += rowH + kGap;
            rowH = 0;
        }
        at[i] = {x, y};
        x += img.W + kGap;
        rowH = imax(rowH, img.H);
    }
    OMyImagePtr sheet = MyImageCreateExt(sheetW, imin(kMyImageMaxSide, y + rowH + kGap), false);
    if (!sheet)
        return false;
    MyImageFillRect(*sheet, 0, 0, sheet->W, sheet->H, RGB(128, 128, 128));
    for (size_t i = 0; i < arPicJigs.size(); ++i) {
        const OMyImage& img = arPicJigs[i];
        if (img.pMem && at[i].y + img.H <= sheet->H)
            MyImageCopyRect(*sheet, at[i].x, at[i].y, img.W, img.H, img, 0, 0, true);
    }
    return MyImageSaveToFile(*sheet, path, kFastPngQuality);
}

bool WriteOutputs(const TCutArgs& a, std::string* error)
{
    const std::string& dir = a.out;
    if (!CreateDir(dir)) {
        *error = "cannot create " + dir;
        return false;
    }
    bool ok = WriteMask(dir + "/mask.png") && WriteParams(dir + "/params.tsv") && WritePieces(dir + "/pieces.tsv") &&
              (!a.sheet || WriteSheet(dir + "/sheet.png"));
    if (ok && a.pieceImages) {
        ok = CreateDir(dir + "/pieces");
        for (size_t i = 0; ok && i < arPicJigs.size(); ++i)
            ok = MyImageSaveToFile(arPicJigs[i], dir + StrFormat("/pieces/%04zu.png", i), kFastPngQuality);
    }
    if (!ok)
        *error = "cannot write the outputs into " + dir;
    return ok;
}

int RunCut(const ToolArgs& args)
{
    TCutArgs a;
    std::string error;
    if (!ParseCutArgs(args, &a, &error) || !ReadCutInput(a.input, &error) || !ChooseCut(a, &error)) {
        std::fprintf(stderr, "zivra-tool cut: %s\n", error.c_str());
        return kExitBadInput;
    }
    if (!a.hasSeed) {
        SRandDev();
        a.seed = uint32_t(Rand());
    }
    NewJigP.GameSeed = int32_t(a.seed);
    NewJigP.SideNum = 1;
    JigP = NewJigP;
    if (!SetImageSize(1)) {
        std::fprintf(stderr, "zivra-tool cut: cannot make the working picture\n");
        return kExitBadInput;
    }
    miOriginalImage.reset();

    if (!LoadCutResources(a)) {
        std::fprintf(stderr, "zivra-tool cut: cannot find the game's resources\n");
        return kExitBadInput;
    }
    const auto start = std::chrono::steady_clock::now();
    SRand(a.seed);
    CreateJigsBuf(JigP.TotalTileNum + 1);
    const TCutStatus status = JigP.ShapeStyle >= 4 ? CreateMasksForVectorStyle() : CreateMasksForVoronoiStyle(0);
    if (status == TCutStatus::Failed) {
        std::fprintf(stderr, "zivra-tool cut: the cut failed\n");
        return kExitFailed;
    }
    CopyJigsToTextures(true, a.emboss);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

    if (!WriteOutputs(a, &error)) {
        std::fprintf(stderr, "zivra-tool cut: %s\n", error.c_str());
        return kExitFailed;
    }
    std::printf("pieces %d seed %u ms %.0f\n", JigP.TotalTileNum, a.seed, ms);
    return status == TCutStatus::PaintError ? kExitPaintError : kExitOk;
}

const ToolCommandRegistrar reg{
    {"cut",
     "INPUT --out DIR [--level L] [--style S] [--frame 0|1] [--rotate 0|1] [--seed N] [--emboss E] [--fit 0|1] "
     "[--view WxH] [--piece-images] [--sheet]",
     "cut a picture or jigsaw file as a new game does; write mask.png, params.tsv, pieces.tsv (and pieces/, sheet.png)",
     &RunCut}};

}  // namespace
