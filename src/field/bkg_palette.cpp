#include "field/bkg_palette.h"

#include <cassert>
#include <cstdlib>

const TGammaSector lGammaSectorColors[6] = {
    {{255, 0, 0}, {0, 0, 1}},     // red to magenta
    {{255, 0, 255}, {-1, 0, 0}},  // magenta to blue
    {{0, 0, 255}, {0, 1, 0}},     // blue to cyan
    {{0, 255, 255}, {0, 0, -1}},  // cyan to green
    {{0, 255, 0}, {1, 0, 0}},     // green to yellow
    {{255, 255, 0}, {0, -1, 0}},  // yellow to red
};

bool CoordToColorSquare(int x, int y, int* r, int* g, int* b)
{
    const int s = x / 50 < 5 ? x / 50 : 5;
    const int t = (6 * x - 300 * s) * 255 / 300;
    int c[3];
    for (int ch = 0; ch < 3; ++ch) {
        c[ch] = lGammaSectorColors[s].base[ch] + t * lGammaSectorColors[s].step[ch];
        if (y < 150)
            c[ch] += (255 - c[ch]) * (150 - y) / 150;
        else if (y > 150)
            c[ch] -= c[ch] * (y - 150) / 150;
    }
    *r = c[0];
    *g = c[1];
    *b = c[2];
    return true;
}

bool ColorToCoord(const OMyImage& gamma, uint32_t colour, int* x, int* y)
{
    if (!gamma.HasPixels() || gamma.W < 1 || gamma.H < 1) return false;
    assert(gamma.iBPP >= 3);
    int want[3];
    IntToRGB(colour, &want[0], &want[1], &want[2]);
    int best = -1;
    for (int py = 0; py < gamma.H; ++py) {
        const uint8_t* p = gamma.pMem + ptrdiff_t(py) * gamma.iBPL;
        for (int px = 0; px < gamma.W; ++px, p += gamma.iBPP) {
            const int dr = std::abs(p[0] - want[0]);
            const int dg = std::abs(p[1] - want[1]);
            const int db = std::abs(p[2] - want[2]);
            if (dr > 5 || dg > 5 || db > 5) continue;
            const int sum = dr + dg + db;
            if (best < 0 || sum < best) {
                best = sum;
                *x = px;
                *y = py;
            }
        }
    }
    return best >= 0;
}
