// Draws the language flags: a union flag for English, the tricolour for
// Russian and a globe for a language without a flag of its own. Each is 60 x 40
// with a light cloth shading and a thin outline, sampled 4 x 4 per pixel.
//
//   zivra-lang-flags RESOURCE_FOLDER
#include "base/my_image.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr int kW = 60, kH = 40, kSub = 4;

struct Rgb { double r, g, b; };

const Rgb kWhite{1, 1, 1}, kRed{0.80, 0.07, 0.18}, kBlue{0.00, 0.14, 0.49};
const Rgb kRuBlue{0.00, 0.22, 0.65}, kRuRed{0.84, 0.17, 0.12};

// Distance from (u, v) to the line through (0, 0) and (1, 1) or (0, 1) and (1, 0),
// measured in flag heights (u and v span 0..1.5 and 0..1).
double DiagDist(double u, double v, bool rising)
{
    const double dx = 1.5, dy = rising ? -1.0 : 1.0;
    const double y0 = rising ? 1.0 : 0.0;
    return std::fabs(dy * u - dx * (v - y0)) / std::sqrt(dx * dx + dy * dy);
}

Rgb UnionFlag(double u, double v)
{
    const double cx = std::fabs(u - 0.75), cy = std::fabs(v - 0.5);
    if (cx < 0.1 || cy < 0.1)
        return (cx < 0.06 || cy < 0.06) ? kRed : kWhite;
    const double d = std::fmin(DiagDist(u, v, true), DiagDist(u, v, false));
    if (d < 0.1)
        return d < 0.035 ? kRed : kWhite;
    return kBlue;
}

Rgb Tricolour(double, double v) { return v < 1.0 / 3 ? kWhite : (v < 2.0 / 3 ? kRuBlue : kRuRed); }

// A blue globe with meridians and parallels on a pale flag.
Rgb Globe(double u, double v)
{
    const double x = (u - 0.75) / 0.4, y = (v - 0.5) / 0.4;
    const double r2 = x * x + y * y;
    if (r2 > 1)
        return {0.93, 0.94, 0.96};
    const double z = std::sqrt(1 - r2);
    const double lon = std::atan2(x, z) * 180 / M_PI, lat = std::asin(y) * 180 / M_PI;
    const bool line = std::fabs(std::remainder(lon, 30.0)) < 3.0 || std::fabs(std::remainder(lat, 30.0)) < 3.0;
    const double light = 0.75 + 0.25 * z;
    return line ? Rgb{0.95 * light, 0.97 * light, 1.0 * light} : Rgb{0.12 * light, 0.45 * light, 0.82 * light};
}

template <class F>
void Draw(OMyImage& img, F flag)
{
    for (int y = 0; y < kH; ++y) {
        uint8_t* p = MyImageGetLineXY(img, 0, y);
        for (int x = 0; x < kW; ++x, p += img.iBPP) {
            Rgb sum{0, 0, 0};
            for (int sy = 0; sy < kSub; ++sy)
                for (int sx = 0; sx < kSub; ++sx) {
                    const double u = (x + (sx + 0.5) / kSub) / kH, v = (y + (sy + 0.5) / kSub) / kH;
                    const Rgb c = flag(u, v);
                    sum.r += c.r; sum.g += c.g; sum.b += c.b;
                }
            // Cloth: a soft fold running across the flag; a darker outline.
            const double fold = 1.0 + 0.07 * std::sin((x + 0.5) / kW * 2 * M_PI * 1.3 + 0.6);
            const bool edge = x == 0 || y == 0 || x == kW - 1 || y == kH - 1;
            const double k = fold * (edge ? 0.55 : 1.0) / (kSub * kSub);
            p[0] = uint8_t(std::fmin(255.0, std::round(sum.r * k * 255)));
            p[1] = uint8_t(std::fmin(255.0, std::round(sum.g * k * 255)));
            p[2] = uint8_t(std::fmin(255.0, std::round(sum.b * k * 255)));
        }
    }
}

bool Save(const std::string& path, Rgb (*flag)(double, double))
{
    OMyImagePtr img = MyImageCreateExt(kW, kH, false);
    Draw(*img, flag);
    if (!MyImageSaveToFile(*img, path)) {
        std::fprintf(stderr, "zivra-lang-flags: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: zivra-lang-flags RESOURCE_FOLDER\n");
        return 2;
    }
    const std::string res = argv[1];
    const bool ok = Save(res + "/language/english.png", &UnionFlag) &&
                    Save(res + "/language/russian.png", &Tricolour) &&
                    Save(res + "/lang_flag_custom.bmp", &Globe);
    return ok ? 0 : 1;
}
