#include "support.h"

#include "cutting/cutting.h"
#include "files/files.h"
#include "model/game_state.h"
#include "model/puzzle.h"
#include "platform/platform.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>

OMyImagePtr MakePhotoLikeImage(int w, int h, uint32_t seed)
{
    OMyImagePtr img = MyImageCreateExt(w, h, false);
    uint32_t noise = seed * 2654435761u + 1;
    const double fx = 6.2831853 / w, fy = 6.2831853 / h;
    for (int y = 0; y < h; ++y) {
        uint8_t* p = MyImageGetLineXY(*img, 0, y);
        for (int x = 0; x < w; ++x, p += 3) {
            noise = noise * 1664525u + 1013904223u;
            const int n = int(noise >> 28) - 8;
            const double a = std::sin(x * fx * 3 + seed) * std::cos(y * fy * 2);
            const double b = std::sin((x + y) * fx * 7) * 0.5;
            p[0] = uint8_t(RetByte(int(128 + 80 * a + 30 * b) + n));
            p[1] = uint8_t(RetByte(int(110 + 60 * std::cos(x * fx * 5) + 40 * b) + n));
            p[2] = uint8_t(RetByte(int(90 + 70 * std::sin(y * fy * 4 + a)) + n));
        }
    }
    return img;
}

std::vector<uint8_t> MakePhotoLikeJpeg(int w, int h, uint32_t seed)
{
    return MyImageEncode(*MakePhotoLikeImage(w, h, seed), "JPG", 90);
}

OMyImagePtr MakePhotoLikeRgba(int w, int h)
{
    OMyImagePtr rgb = MakePhotoLikeImage(w, h);
    OMyImagePtr rgba = MyImageCreateExt(w, h, true);
    MyImageCopyRect(*rgba, 0, 0, w, h, *rgb, 0, 0, false);
    return rgba;
}

OMyImagePtr MakeCellMask(int w, int h, int cells, std::vector<TPoint>* seeds)
{
    OMyImagePtr img = MyImageCreateExt(w, h, true);
    MyImageFillRect(*img, 0, 0, w, h, RGB(255, 255, 255));
    const double tile = std::sqrt(double(w) * h / cells);
    const int cols = imax(1, int(w / tile)), rows = imax(1, int(h / tile));
    // Jittered grid corners shared by neighbouring cells, so every cell is closed.
    SRand(7);
    std::vector<TPoint> corner(size_t((rows + 1) * (cols + 1)));
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= cols; ++c) {
            int x = c * (w - 1) / cols, y = r * (h - 1) / rows;
            if (c > 0 && c < cols)
                x += MyRandom(int(tile / 3)) - int(tile / 6);
            if (r > 0 && r < rows)
                y += MyRandom(int(tile / 3)) - int(tile / 6);
            corner[size_t(r * (cols + 1) + c)] = {x, y};
        }
    const uint32_t ink = RGB(128, 0, 25);
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= cols; ++c) {
            const TPoint p = corner[size_t(r * (cols + 1) + c)];
            if (c < cols) {
                const TPoint q = corner[size_t(r * (cols + 1) + c + 1)];
                MyImageDrawLine(*img, p.x, p.y, q.x, q.y, ink);
            }
            if (r < rows) {
                const TPoint q = corner[size_t((r + 1) * (cols + 1) + c)];
                MyImageDrawLine(*img, p.x, p.y, q.x, q.y, ink);
            }
            if (c < cols && r < rows && seeds) {
                const TPoint q = corner[size_t((r + 1) * (cols + 1) + c + 1)];
                seeds->push_back({(p.x + q.x) / 2, (p.y + q.y) / 2});
            }
        }
    return img;
}

void BenchResetAll()
{
    Platform_Reset();
    Model_Reset();
    Cutting_Reset();
    Files_Reset();
}

std::string BenchResourceDir() { return ZIVRA_RESOURCE_DIR; }

TJigParams BenchCutParams(int w, int h, int style, bool rotate, int level)
{
    TJigParams p;
    p.ImageW = w;
    p.ImageH = h;
    p.ShapeStyle = uint8_t(style);
    p.Rotate = rotate;
    FillMaskParams(w, h, style, 0);
    SetJigParamsFromLevel(p, w, h, level);
    return p;
}

TBenchArgs ParseBenchArgs(int argc, char** argv)
{
    TBenchArgs a;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0)
            a.quick = true;
        else if (std::atoi(argv[i]) > 0)
            a.repeats = std::atoi(argv[i]);
    }
    return a;
}

double NowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double TimeMedian(int repeats, const std::function<void()>& f)
{
    std::vector<double> t;
    for (int i = 0; i < repeats; ++i) {
        const double t0 = NowMs();
        f();
        t.push_back(NowMs() - t0);
    }
    return Median(t);
}

double MeasureB(int w, int h, int repeats)
{
    const std::vector<uint8_t> jpeg = MakePhotoLikeJpeg(w, h);
    std::vector<uint8_t> copy(size_t(w) * size_t(h) * 4);
    return TimeMedian(repeats, [&] {
        OMyImagePtr img = MyImageCreateFromData(jpeg.data(), jpeg.size(), true);
        std::memcpy(copy.data(), img->pMem, copy.size());
    });
}

void BenchGridGame(int cols, int rows, int tile, int ofs)
{
    BenchResetAll();
    SetHeadlessViewSize(2560, 1600);
    JigP.TileS = tile;
    JigP.MaskOfs = ofs;
    JigP.MaskS = tile + 2 * ofs;
    JigP.StuckD = 4;
    JigP.TilePX = cols;
    JigP.TilePY = rows;
    JigP.TotalTileNum = JigP.TileNum = cols * rows;
    JigP.ImageW = cols * tile;
    JigP.ImageH = rows * tile;
    JigP.JigsR = JigP.ImageW - 1;
    JigP.JigsB = JigP.ImageH - 1;
    CreateJigsBuf(JigP.TotalTileNum + 1);
}
