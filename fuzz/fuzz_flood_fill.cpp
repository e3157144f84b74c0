// Random masks: lines drawn from the input bytes (clipped or not), then fills
// from input seeds. Each fill is checked against a plain breadth-first fill:
// the same pixels change, and the tracked rectangle is their exact extent.
#include "base/my_image.h"

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <vector>

namespace {

struct Reader {
    const uint8_t* p;
    size_t n;
    int Next() { return n ? (--n, *p++) : 0; }
};

void ReferenceFill(std::vector<uint32_t>& px, int w, int h, int x, int y, uint32_t colour, TRect* rect)
{
    *rect = MakeTRect(x, y, x, y);
    if (x < 0 || y < 0 || x >= w || y >= h)
        return;
    const uint32_t old = px[size_t(y * w + x)];
    if (old == colour)
        return;
    std::deque<TPoint> q{{x, y}};
    px[size_t(y * w + x)] = colour;
    while (!q.empty()) {
        const TPoint p = q.front();
        q.pop_front();
        rect->left = std::min(rect->left, p.x);
        rect->right = std::max(rect->right, p.x);
        rect->top = std::min(rect->top, p.y);
        rect->bottom = std::max(rect->bottom, p.y);
        const TPoint next[4] = {{p.x - 1, p.y}, {p.x + 1, p.y}, {p.x, p.y - 1}, {p.x, p.y + 1}};
        for (const TPoint& n : next)
            if (n.x >= 0 && n.y >= 0 && n.x < w && n.y < h && px[size_t(n.y * w + n.x)] == old) {
                px[size_t(n.y * w + n.x)] = colour;
                q.push_back(n);
            }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reader in{data, size};
    const int w = 1 + in.Next() % 96, h = 1 + in.Next() % 96;
    const bool alpha = in.Next() & 1;
    OMyImagePtr img = MyImageCreateExt(w, h, alpha);
    MyImageFillRect(*img, 0, 0, w, h, RGB(255, 255, 255));
    const int lines = in.Next() % 24;
    for (int i = 0; i < lines; ++i) {
        // Coordinates reach past the image on every side.
        const int x1 = in.Next() - 80, y1 = in.Next() - 80, x2 = in.Next() - 80, y2 = in.Next() - 80;
        MyImageDrawLine(*img, x1, y1, x2, y2, RGB(128, 0, 25 * (1 + i % 9)));
    }
    std::vector<uint32_t> ref(size_t(w * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ref[size_t(y * w + x)] = MyImageGetPixel(*img, x, y);
    const int fills = 1 + in.Next() % 8;
    for (int i = 0; i < fills; ++i) {
        const int x = in.Next() - 8, y = in.Next() - 8;
        const uint32_t colour = RGB(128, 0, 25 * (in.Next() % 10));
        TRect got, want;
        MyImageFloodFill(*img, x, y, colour, &got);
        ReferenceFill(ref, w, h, x, y, colour, &want);
        if (!(got == want))
            std::abort();
        for (int yy = 0; yy < h; ++yy)
            for (int xx = 0; xx < w; ++xx)
                if (MyImageGetPixel(*img, xx, yy) != ref[size_t(yy * w + xx)])
                    std::abort();
    }
    return 0;
}
