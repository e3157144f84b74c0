// The eight table pictures (1600 x 1200 JPEG) with their 63 x 50 samples for
// the background dialog, and the colour square "col-gamma.png".
//
// Woods are boards of plain-sawn timber: the annual rings are the distance to
// a log axis lying a varying depth under the surface, so rings open into
// arches where the board cuts close to the pith; fibres, pores and per-board
// tones come from noise. Stucco is a noise height field lit from the top left.
#include "art.h"

#include "field/bkg_palette.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int kW = 1600, kH = 1200;

struct WoodLook {
    QColor early, late;     // earlywood (light) and latewood (dark) colours
    double ringPx;          // mean distance between rings
    double ringContrast;    // 0..1
    double fibre;           // strength of the fibre streaks
    double pores;           // 0 none; oak-like dark flecks up to 1
    int boardMin, boardMax; // board widths (pixels across the grain)
    uint32_t seed;
};

// One plank: its own log axis, depth and tone.
struct Plank {
    double axis, depth, period, phase, tone, warm;
    uint32_t seed;
};

Plank MakePlank(ArtRand& rnd, double across)
{
    Plank k;
    k.axis = rnd.Uniform(-0.8, 1.8) * across;
    k.depth = rnd.Uniform(120, 420);
    k.period = rnd.Uniform(600, 1500);
    k.phase = rnd.Uniform(0, 2 * M_PI);
    k.tone = rnd.Uniform(0.9, 1.07);
    k.warm = rnd.Uniform(-0.04, 0.04);
    k.seed = rnd.Next();
    return k;
}

// The wood colour at (u along the grain, v across it, both in plank pixels).
void WoodAt(const WoodLook& w, const Plank& k, double u, double v, double rgb[3])
{
    const double z = k.depth * (0.35 + 0.65 * (0.5 + 0.5 * std::cos(u * 2 * M_PI / k.period + k.phase)));
    const double warp = 22.0 * (Fbm(u / 260.0, v / 36.0, 3, k.seed) - 0.5);
    const double r = std::sqrt((v - k.axis) * (v - k.axis) + z * z) + warp;
    // Ring widths wander from year to year; latewood darkens gradually and
    // gives way to the next spring's light wood over a couple of pixels.
    const double phase = r / w.ringPx + 1.2 * ValueNoise(r / (w.ringPx * 2.5), 0.5, k.seed + 11);
    const double t = phase - std::floor(phase);
    const double fall = 1.0 - SmoothStep(0.93, 1.0, t);
    const double late = SmoothStep(0.25, 0.93, t) * SmoothStep(0.25, 0.93, t) * fall * w.ringContrast;
    const double fib = Fbm(u / 140.0, v / 1.3, 3, k.seed + 7) - 0.5;
    double shade = k.tone * (1.0 + w.fibre * fib);
    if (w.pores > 0 && ValueNoise(u / 9.0, v / 0.9, k.seed + 3) > 1.0 - 0.12 * w.pores) shade *= 0.86;
    const double c[3] = {Lerp(w.early.redF(), w.late.redF(), late), Lerp(w.early.greenF(), w.late.greenF(), late),
                         Lerp(w.early.blueF(), w.late.blueF(), late)};
    rgb[0] = c[0] * shade * (1 + k.warm);
    rgb[1] = c[1] * shade;
    rgb[2] = c[2] * shade * (1 - k.warm);
}

inline uint32_t Pack(double r, double g, double b)
{
    auto q = [](double v) { return uint32_t(std::lround(Clamp01(v) * 255.0)); };
    return 0xFF000000u | (q(r) << 16) | (q(g) << 8) | q(b);
}

// Seams: the last two rows of a board darken, the first row of the next one
// catches the light.
double SeamShade(int distToEnd, int distToStart)
{
    if (distToEnd == 0) return 0.45;
    if (distToEnd == 1) return 0.78;
    if (distToStart == 0) return 1.12;
    return 1.0;
}

void PaintWoodRow(QImage& img, const WoodLook& w, int y0, int y1, ArtRand& rnd)
{
    // Butt joints split the board row into planks of random length.
    std::vector<int> cuts = {0};
    while (cuts.back() < kW) cuts.push_back(cuts.back() + rnd.Int(520, 1300));
    cuts.back() = kW + 1;
    cuts.front() = -rnd.Int(0, 400);
    for (size_t s = 0; s + 1 < cuts.size(); ++s) {
        const Plank k = MakePlank(rnd, y1 - y0);
        const int xs = std::max(0, cuts[s]), xe = std::min(kW, cuts[s + 1]);
        for (int y = y0; y < y1; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
            const double seam = SeamShade(y1 - 1 - y, y - y0);
            for (int x = xs; x < xe; ++x) {
                double c[3];
                WoodAt(w, k, x - cuts[s], y - y0, c);
                double f = seam;
                if (x == xe - 1 && xe < kW) f *= 0.5;
                if (x == xs && xs > 0) f *= 1.1;
                row[x] = Pack(c[0] * f, c[1] * f, c[2] * f);
            }
        }
    }
}

// A gentle light from the top left and a faint grain keep large areas alive
// and spare the JPEG encoder long flat gradients.
void FinishLight(QImage& img, uint32_t seed)
{
    for (int y = 0; y < kH; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
        for (int x = 0; x < kW; ++x) {
            const double f = 1.04 - 0.08 * (double(x) / kW * 0.5 + double(y) / kH * 0.5)
                             + 0.018 * (Hash01(x, y, seed) - 0.5);
            const uint32_t c = row[x];
            row[x] = Pack(((c >> 16) & 0xFF) / 255.0 * f, ((c >> 8) & 0xFF) / 255.0 * f, (c & 0xFF) / 255.0 * f);
        }
    }
}

QImage MakeWood(const WoodLook& w)
{
    QImage img(kW, kH, QImage::Format_RGB32);
    ArtRand rnd(w.seed);
    int y = -rnd.Int(0, w.boardMin / 2);
    while (y < kH) {
        const int h = rnd.Int(w.boardMin, w.boardMax);
        const int y0 = std::max(0, y), y1 = std::min(kH, y + h);
        if (y1 > y0) PaintWoodRow(img, w, y0, y1, rnd);
        y += h;
    }
    FinishLight(img, w.seed + 1);
    return img;
}

// Basket-weave parquet: 160-pixel squares of four 40-pixel oak staves, the
// direction alternating like a chessboard.
QImage MakeParquet()
{
    const WoodLook oak = {QColor(214, 166, 104), QColor(156, 104, 56), 11.0, 0.45, 0.18, 0.7, 0, 0, 0x9A7C11u};
    QImage img(kW, kH, QImage::Format_RGB32);
    ArtRand rnd(0x5A17u);
    const int block = 160, stave = 40;
    for (int by = 0; by * block < kH; ++by) {
        for (int bx = 0; bx * block < kW; ++bx) {
            const bool horizontal = ((bx + by) & 1) == 0;
            for (int s = 0; s < block / stave; ++s) {
                const Plank k = MakePlank(rnd, stave);
                for (int j = 0; j < block && by * block + j < kH; ++j) {
                    const int y = by * block + j;
                    auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
                    for (int i = 0; i < block; ++i) {
                        const int x = bx * block + i;
                        const int u = horizontal ? i : j;               // along the stave
                        const int v = (horizontal ? j : i) - s * stave; // across it
                        if (v < 0 || v >= stave) continue;
                        double c[3];
                        WoodAt(oak, k, u + 37.0 * s, v, c);
                        double f = SeamShade(stave - 1 - v, v);
                        if (u == block - 1) f *= 0.5;
                        if (u == 0) f *= 1.08;
                        row[x] = Pack(c[0] * f, c[1] * f, c[2] * f);
                    }
                }
            }
        }
    }
    FinishLight(img, 0x77u);
    return img;
}

struct StuccoLook {
    QColor base, dark, light;
    double scale;    // feature size in pixels
    double relief;   // strength of the lit relief
    double mottle;   // strength of the colour clouds
    uint32_t seed;
};

QImage MakeStucco(const StuccoLook& s)
{
    // Height: soft plaster swells plus trowel ridges (folded noise).
    std::vector<float> h(size_t(kW + 1) * (kH + 1));
    for (int y = 0; y <= kH; ++y)
        for (int x = 0; x <= kW; ++x) {
            const double base = Fbm(x / s.scale, y / s.scale, 4, s.seed);
            const double grain = Fbm(x / 5.0, y / 5.0, 2, s.seed + 3);
            const double ridge = 1.0 - std::fabs(2.0 * Fbm(x / (s.scale * 2.2) + 3.1, y / (s.scale * 1.3), 4, s.seed + 5) - 1.0);
            h[size_t(y * (kW + 1) + x)] = float(0.6 * base + 0.08 * grain + 0.22 * ridge * ridge * ridge);
        }
    QImage img(kW, kH, QImage::Format_RGB32);
    for (int y = 0; y < kH; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
        const float* hr = &h[size_t(y) * (kW + 1)];
        for (int x = 0; x < kW; ++x) {
            const double dx = hr[x + 1] - hr[x], dy = hr[x + kW + 1] - hr[x];
            const double lit = Clamp01(0.5 - s.relief * (dx + dy) * s.scale * 0.35);
            const double cloud = Fbm(x / 420.0, y / 420.0, 4, s.seed + 9);
            QColor c = Mix(s.base, s.dark, Clamp01((cloud - 0.5) * s.mottle * 2.5 + 0.25));
            c = lit < 0.5 ? Mix(s.dark, c, 0.55 + lit * 0.9) : Mix(c, s.light, (lit - 0.5) * 1.2);
            row[x] = Pack(c.redF(), c.greenF(), c.blueF());
        }
    }
    FinishLight(img, s.seed + 2);
    return img;
}

// The dialog's sample: a 252 x 200 crop from the middle, scaled down 4 times
// so that grain and joints still show at 63 x 50.
QImage MakeSample(const QImage& pic)
{
    const QImage crop = pic.copy(kW / 2 - 126, kH / 2 - 100, 252, 200);
    return crop.scaled(63, 50, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage MakeGamma()
{
    QImage img(300, 300, QImage::Format_RGB32);
    for (int y = 0; y < 300; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
        for (int x = 0; x < 300; ++x) {
            int r, g, b;
            CoordToColorSquare(x, y, &r, &g, &b);
            row[x] = 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
        }
    }
    return img;
}

void SaveTable(ArtOut& out, const std::string& name, const QImage& pic)
{
    out.Jpeg(name + "-1600.jpg", pic, 85);
    out.Png(name + "-but.png", MakeSample(pic));
}

}  // namespace

void GenTables(ArtOut& out)
{
    SaveTable(out, "parquet", MakeParquet());
    SaveTable(out, "stucco1", MakeStucco({QColor(232, 220, 196), QColor(206, 190, 160), QColor(250, 244, 230), 70.0, 0.9, 0.5, 0x51u}));
    SaveTable(out, "stucco4", MakeStucco({QColor(186, 112, 76), QColor(150, 82, 54), QColor(216, 150, 110), 110.0, 0.7, 0.8, 0x54u}));
    const WoodLook woods[5] = {
        {QColor(234, 204, 158), QColor(208, 168, 116), 16.0, 0.40, 0.10, 0.0, 150, 240, 0x11u},  // maple
        {QColor(214, 164, 98), QColor(150, 98, 48), 12.0, 0.45, 0.16, 0.8, 130, 220, 0x12u},     // oak
        {QColor(128, 84, 52), QColor(72, 44, 26), 13.0, 0.42, 0.16, 0.0, 160, 260, 0x13u},      // walnut
        {QColor(172, 88, 54), QColor(112, 48, 28), 14.0, 0.36, 0.14, 0.0, 150, 250, 0x14u},      // cherry
        {QColor(176, 166, 150), QColor(118, 108, 96), 15.0, 0.38, 0.14, 0.3, 120, 200, 0x15u},  // weathered ash
    };
    for (int i = 0; i < 5; ++i) SaveTable(out, "wood" + std::to_string(i + 1), MakeWood(woods[i]));
    out.Png("col-gamma.png", MakeGamma());
}
