#include "base/my_image.h"

#include <cassert>
#include <cstdio>
#include <cstring>
#include <utility>

#include <sys/mman.h>
#include <unistd.h>

namespace {
MyImageTextureDeleter g_textureDeleter = nullptr;  // per run; set by the play field
}

// ---- Object -----------------------------------------------------------------

OMyImage::OMyImage(int w, int h, bool alpha)
{
    assert(w >= 0 && h >= 0);
    bAlpha = alpha;
    W = w;
    H = h;
    iBPP = alpha ? 4 : 3;
    iBPL = w * iBPP;
    size = {w, h};
    const size_t bytes = size_t(iBPL) * size_t(h);
    Bitmap.reserve(bytes);
    MyImageAdviseLargePages(Bitmap.data(), bytes);
    Bitmap.assign(bytes, 0);
    pMem = Bitmap.data();
}

OMyImage::~OMyImage()
{
    MyImageFreeTexture(*this);
}

OMyImage::OMyImage(OMyImage&& o) noexcept { *this = std::move(o); }

OMyImage& OMyImage::operator=(OMyImage&& o) noexcept
{
    if (this == &o)
        return *this;
    MyImageFreeTexture(*this);
    const bool hadPixels = o.pMem != nullptr;
    bAlpha = o.bAlpha;
    Texture = std::exchange(o.Texture, 0);
    W = o.W; H = o.H; iBPP = o.iBPP; iBPL = o.iBPL; size = o.size;
    Bitmap = std::move(o.Bitmap);
    Shared = std::move(o.Shared);
    pMem = !hadPixels ? nullptr : Shared ? o.pMem : Bitmap.data();
    o.Bitmap.clear();
    o.Shared.reset();
    o.pMem = nullptr;
    o.W = o.H = o.iBPP = o.iBPL = 0;
    o.size = {};
    return *this;
}

void MyImageSetTextureDeleter(MyImageTextureDeleter deleter) { g_textureDeleter = deleter; }

void MyImageFreeTexture(OMyImage& img)
{
    if (img.Texture != 0 && g_textureDeleter)
        g_textureDeleter(img.Texture);
    img.Texture = 0;
}

void MyImageDropPixels(OMyImage& img)
{
    img.Bitmap.clear();
    img.Bitmap.shrink_to_fit();
    img.Shared.reset();
    img.pMem = nullptr;
}

// ---- Memory -------------------------------------------------------------------

namespace {
constexpr size_t kLargePage = size_t(2) << 20;
}

bool MyImageDropOpaqueAlpha(OMyImage& img)
{
    if (!img.bAlpha || img.iBPP != 4 || !img.pMem || img.Shared || img.pMem != img.Bitmap.data() ||
        img.iBPL != img.W * 4 || img.Bitmap.size() != size_t(img.iBPL) * size_t(img.H))
        return false;
    const size_t pixels = size_t(img.W) * size_t(img.H);
    uint8_t* p = img.Bitmap.data();
    for (size_t i = 0; i < pixels; ++i)
        if (p[i * 4 + 3] != 255)
            return false;
    // Each pixel moves down to 3 * i from 4 * i: never over one not yet moved.
    for (size_t i = 0; i < pixels; ++i) {
        const uint8_t r = p[i * 4], g = p[i * 4 + 1], b = p[i * 4 + 2];
        p[i * 3] = r, p[i * 3 + 1] = g, p[i * 3 + 2] = b;
    }
    img.bAlpha = false;
    img.iBPP = 3;
    img.iBPL = img.W * 3;
    img.Bitmap.resize(pixels * 3);  // the capacity stays; its tail's pages go back
    const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
    const uintptr_t start = (reinterpret_cast<uintptr_t>(p + img.Bitmap.size()) + page - 1) & ~(page - 1);
    const uintptr_t end = reinterpret_cast<uintptr_t>(p + img.Bitmap.capacity()) & ~(page - 1);
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
    return true;
}

void MyImageAdviseLargePages(void* p, size_t bytes)
{
    if (!p || bytes < kLargePage)
        return;
    const uintptr_t start = (reinterpret_cast<uintptr_t>(p) + kLargePage - 1) & ~uintptr_t(kLargePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(p) + bytes) & ~uintptr_t(kLargePage - 1);
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

std::shared_ptr<uint8_t> MyImageAllocShared(size_t bytes)
{
    // Anonymous memory comes zero-filled; one large page of slack aligns it.
    const size_t len = ((bytes + kLargePage - 1) & ~(kLargePage - 1)) + kLargePage;
    void* base = mmap(nullptr, len, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
        return nullptr;
    auto* aligned = reinterpret_cast<uint8_t*>(
        (reinterpret_cast<uintptr_t>(base) + kLargePage - 1) & ~uintptr_t(kLargePage - 1));
    MyImageAdviseLargePages(aligned, len - kLargePage);
    return std::shared_ptr<uint8_t>(aligned, [base, len](uint8_t*) { munmap(base, len); });
}

void MyImagePlaceOn(OMyImage& img, const std::shared_ptr<uint8_t>& shared, uint8_t* pixels, int w, int h,
                    bool alpha)
{
    assert(shared && pixels && w >= 0 && h >= 0);
    MyImageFreeTexture(img);
    img.Bitmap.clear();
    img.Bitmap.shrink_to_fit();
    img.Shared = shared;
    img.bAlpha = alpha;
    img.W = w;
    img.H = h;
    img.iBPP = alpha ? 4 : 3;
    img.iBPL = w * img.iBPP;
    img.size = {w, h};
    img.pMem = pixels;
}

// ---- Creation ---------------------------------------------------------------

static bool SizeAllowed(int w, int h)
{
    return w >= 0 && h >= 0 && w <= kMyImageMaxSide && h <= kMyImageMaxSide &&
           int64_t(w) * h <= kMyImageMaxPixels;
}

OMyImagePtr MyImageCreateExt(int w, int h, bool alpha)
{
    if (!SizeAllowed(w, h))
        return nullptr;
    return std::make_unique<OMyImage>(w, h, alpha);
}

OMyImagePtr MyImageCreate(int w, int h) { return MyImageCreateExt(w, h, true); }

OMyImagePtr MyImageClone(const OMyImage& img)
{
    auto out = std::make_unique<OMyImage>();
    out->bAlpha = img.bAlpha;
    out->W = img.W;
    out->H = img.H;
    out->iBPP = img.iBPP;
    out->iBPL = img.iBPL;
    out->size = img.size;
    if (img.pMem && img.Shared) {
        out->Bitmap.assign(img.pMem, img.pMem + img.ByteCount());
        out->pMem = out->Bitmap.data();
    } else if (img.pMem) {
        out->Bitmap = img.Bitmap;
        out->pMem = out->Bitmap.data() + (img.pMem - img.Bitmap.data());
    }
    return out;
}

// ---- Pixel access -------------------------------------------------------------

// Inside the image and the pixels still in memory (a texture-only image has none).
static bool Inside(const OMyImage& img, int x, int y)
{
    return x >= 0 && y >= 0 && x < img.W && y < img.H && img.pMem;
}

uint32_t MyImageGetPixel(const OMyImage& img, int x, int y)
{
    if (!Inside(img, x, y))
        return 0xFFFFFFFFu;
    const uint8_t* p = MyImageGetLineXY(img, x, y);
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
}

void MyImageSetPixel(OMyImage& img, int x, int y, uint32_t colour)
{
    if (!Inside(img, x, y))
        return;
    uint8_t* p = MyImageGetLineXY(img, x, y);
    p[0] = uint8_t(colour);
    p[1] = uint8_t(colour >> 8);
    p[2] = uint8_t(colour >> 16);
}

int MyImageGetPixelAlpha(const OMyImage& img, int x, int y)
{
    if (!Inside(img, x, y) || !img.bAlpha)
        return 255;
    return MyImageGetLineXY(img, x, y)[3];
}

// ---- Lines --------------------------------------------------------------------

// Writes a run of pixels of one row or column (already clipped).
static void WriteRun(OMyImage& img, int x, int y, int count, int step, uint32_t colour)
{
    uint8_t* p = MyImageGetLineXY(img, x, y);
    const uint8_t r = uint8_t(colour), g = uint8_t(colour >> 8), b = uint8_t(colour >> 16);
    for (int i = 0; i < count; ++i, p += step) {
        p[0] = r;
        p[1] = g;
        p[2] = b;
    }
}

void MyImageDrawLine(OMyImage& img, int x1, int y1, int x2, int y2, uint32_t colour)
{
    if (!img.pMem)
        return;
    if (x1 == x2 && y1 == y2) {
        MyImageSetPixel(img, x1, y1, colour);
        return;
    }
    if (x1 == x2) {
        // A column: nothing when it misses the image; note that a run starting
        // on the last row draws nothing, as the cutter has always drawn it.
        const int top = imin(y1, y2), bottom = imax(y1, y2);
        if (x1 < 0 || x1 >= img.W || top >= img.H - 1 || bottom < 0)
            return;
        const int t = imax(top, 0), b = imin(bottom, img.H - 1);
        WriteRun(img, x1, t, b - t + 1, img.iBPL, colour);
        return;
    }
    if (y1 == y2) {
        const int left = imin(x1, x2), right = imax(x1, x2);
        if (left >= img.W - 1 || right < 0 || y1 < 0 || y1 >= img.H)
            return;
        const int l = imax(left, 0), r = imin(right, img.W - 1);
        WriteRun(img, l, y1, r - l + 1, img.iBPP, colour);
        return;
    }
    // Bresenham, both ends included; 45 degrees goes the steep way.
    const int dx = x2 >= x1 ? x2 - x1 : x1 - x2;
    const int dy = y2 >= y1 ? y2 - y1 : y1 - y2;
    const int sx = x2 >= x1 ? 1 : -1;
    const int sy = y2 >= y1 ? 1 : -1;
    int x = x1, y = y1;
    MyImageSetPixel(img, x, y, colour);
    if (2 * dx <= 2 * dy) {
        int d = 2 * dx - dy;
        while (y != y2) {
            y += sy;
            if (d >= 0) {
                x += sx;
                d -= 2 * dy;
            }
            d += 2 * dx;
            MyImageSetPixel(img, x, y, colour);
        }
    } else {
        int d = 2 * dy - dx;
        while (x != x2) {
            if (d >= 0) {
                y += sy;
                d -= 2 * dx;
            }
            x += sx;
            d += 2 * dy;
            MyImageSetPixel(img, x, y, colour);
        }
    }
}

void MyImageDrawPolyline(OMyImage& img, const TPoint* points, int n, uint32_t colour)
{
    for (int i = 0; i + 1 < n; ++i)
        MyImageDrawLine(img, points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, colour);
}

// ---- Blocks -------------------------------------------------------------------

void MyImageFillRect(OMyImage& img, int x, int y, int w, int h, uint32_t colour)
{
    if (w < 1 || h < 1)
        return;
    assert(x >= 0 && y >= 0 && x + w <= img.W && y + h <= img.H && img.pMem);
    for (int row = y; row < y + h; ++row)
        WriteRun(img, x, row, w, img.iBPP, colour);
}

void MyImageCopyRect(OMyImage& dst, int dx, int dy, int w, int h, const OMyImage& src, int sx, int sy, bool blend)
{
    if (w < 1 || h < 1)
        return;
    assert(dx >= 0 && dy >= 0 && dx + w <= dst.W && dy + h <= dst.H && dst.pMem);
    assert(sx >= 0 && sy >= 0 && sx + w <= src.W && sy + h <= src.H && src.pMem);
    const int sBPP = src.iBPP, dBPP = dst.iBPP;
    const bool dAlpha = dst.bAlpha;
    const bool useBlend = blend && src.bAlpha;
    for (int row = 0; row < h; ++row) {
        const uint8_t* s = MyImageGetLineXY(src, sx, sy + row);
        uint8_t* d = MyImageGetLineXY(dst, dx, dy + row);
        if (!useBlend) {
            for (int i = 0; i < w; ++i, s += sBPP, d += dBPP) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
                if (dAlpha)
                    d[3] = 255;
            }
            continue;
        }
        for (int i = 0; i < w; ++i, s += sBPP, d += dBPP) {
            const int a = s[3];
            if (a == 255) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
            } else if (a != 0) {
                d[0] = uint8_t((s[0] * a + d[0] * (255 - a)) / 255);
                d[1] = uint8_t((s[1] * a + d[1] * (255 - a)) / 255);
                d[2] = uint8_t((s[2] * a + d[2] * (255 - a)) / 255);
            }
            if (dAlpha)
                d[3] = 255;
        }
    }
}

void MyImageSmoothResize(OMyImage& dst, const OMyImage& src)
{
    if (dst.W == 0 || src.W == 0 || dst.H == 0 || src.H == 0 || !dst.pMem || !src.pMem)
        return;
    const int64_t xstep = ((int64_t(src.W) << 15) - 32768) / dst.W;
    const int64_t ystep = ((int64_t(src.H) << 15) - 32768) / dst.H;
    const int sBPP = src.iBPP, dBPP = dst.iBPP;
    const bool dAlpha = dst.bAlpha;

    // Column positions and weights are the same for every row: work them out once.
    std::vector<int> colOfs(size_t(dst.W) * 2);
    std::vector<int> colFrac(size_t(dst.W));
    for (int i = 0; i < dst.W; ++i) {
        const int64_t fx = i * xstep;
        const int sx = int(fx >> 15);
        colOfs[size_t(2 * i)] = sx * sBPP;
        colOfs[size_t(2 * i + 1)] = (sx < src.W - 1 ? sx + 1 : sx) * sBPP;
        colFrac[size_t(i)] = int(fx & 32767);
    }
    for (int j = 0; j < dst.H; ++j) {
        const int64_t fy = j * ystep;
        const int sy = int(fy >> 15);
        const uint8_t* upper = src.pMem + ptrdiff_t(sy) * src.iBPL;
        const uint8_t* lower = src.pMem + ptrdiff_t(sy < src.H - 1 ? sy + 1 : sy) * src.iBPL;
        const int vy = int(fy & 32767), uy = 32768 - vy;
        uint8_t* d = dst.pMem + ptrdiff_t(j) * dst.iBPL;
        for (int i = 0; i < dst.W; ++i, d += dBPP) {
            const int vx = colFrac[size_t(i)];
            const int wUR = (vx * uy) >> 15, wUL = uy - wUR;
            const int wLR = (vx * vy) >> 15, wLL = vy - wLR;
            const uint8_t* ul = upper + colOfs[size_t(2 * i)];
            const uint8_t* ur = upper + colOfs[size_t(2 * i + 1)];
            const uint8_t* ll = lower + colOfs[size_t(2 * i)];
            const uint8_t* lr = lower + colOfs[size_t(2 * i + 1)];
            for (int c = 0; c < 3; ++c)
                d[c] = uint8_t((ul[c] * wUL + ur[c] * wUR + ll[c] * wLL + lr[c] * wLR) >> 15);
            if (dAlpha)
                d[3] = 255;
        }
    }
}

// ---- Flood fill ---------------------------------------------------------------
// Scan-line fill over an explicit stack of seeds: each popped seed grows into
// the whole run of its row, and the rows above and below are scanned along
// that run for the starts of further runs. 4-connected: a one-pixel diagonal
// line holds.

namespace {

struct FillSeed { int x, y; };

struct FillContext {
    OMyImage& img;
    uint8_t o0, o1, o2;  // the old colour
    uint8_t n0, n1, n2;  // the new colour

    bool IsOld(const uint8_t* p) const { return p[0] == o0 && p[1] == o1 && p[2] == o2; }
};

// Pushes the start of every old-coloured run of row y between l and r.
void PushRunsOfRow(const FillContext& f, std::vector<FillSeed>& stack, int l, int r, int y)
{
    const int bpp = f.img.iBPP;
    const uint8_t* p = MyImageGetLineXY(f.img, l, y);
    bool inRun = false;
    for (int x = l; x <= r; ++x, p += bpp) {
        const bool old = f.IsOld(p);
        if (old && !inRun)
            stack.push_back({x, y});
        inRun = old;
    }
}

}  // namespace

void MyImageFloodFill(OMyImage& img, int x, int y, uint32_t colour, TRect* rect)
{
    if (rect)
        *rect = MakeTRect(x, y, x, y);
    if (!Inside(img, x, y) || !img.pMem)
        return;
    const uint32_t old = MyImageGetPixel(img, x, y);
    if (old == colour)
        return;
    FillContext f{img, uint8_t(old), uint8_t(old >> 8), uint8_t(old >> 16),
                  uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16)};
    int minX = x, maxX = x, minY = y, maxY = y;
    const int bpp = img.iBPP;
    std::vector<FillSeed> stack;
    stack.reserve(256);
    stack.push_back({x, y});
    while (!stack.empty()) {
        const FillSeed s = stack.back();
        stack.pop_back();
        uint8_t* row = MyImageGetLineXY(img, 0, s.y);
        if (!f.IsOld(row + s.x * bpp))
            continue;  // filled since it was pushed
        int l = s.x, r = s.x;
        while (l > 0 && f.IsOld(row + (l - 1) * bpp))
            --l;
        while (r < img.W - 1 && f.IsOld(row + (r + 1) * bpp))
            ++r;
        for (uint8_t* p = row + l * bpp; p <= row + r * bpp; p += bpp) {
            p[0] = f.n0;
            p[1] = f.n1;
            p[2] = f.n2;
        }
        minX = imin(minX, l);
        maxX = imax(maxX, r);
        minY = imin(minY, s.y);
        maxY = imax(maxY, s.y);
        if (s.y > 0)
            PushRunsOfRow(f, stack, l, r, s.y - 1);
        if (s.y < img.H - 1)
            PushRunsOfRow(f, stack, l, r, s.y + 1);
    }
    if (rect)
        *rect = MakeTRect(minX, minY, maxX, maxY);
}

// ---- BMP block ------------------------------------------------------------------

static void PutLE(uint8_t* p, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

std::vector<uint8_t> MyImageCopyToDataAsBmp2(const OMyImage& img)
{
    const size_t rowSize = size_t(img.W) * 4;
    const size_t total = 54 + size_t(img.H) * rowSize;
    std::vector<uint8_t> out(total, 0);
    uint8_t* h = out.data();
    h[0] = 'B';
    h[1] = 'M';
    PutLE(h + 2, uint32_t(total), 4);
    PutLE(h + 10, 54, 4);
    PutLE(h + 14, 40, 4);
    PutLE(h + 18, uint32_t(img.W), 4);
    PutLE(h + 22, uint32_t(-img.H), 4);  // negative: top row first
    PutLE(h + 26, 1, 2);
    PutLE(h + 28, 32, 2);
    if (!img.pMem)
        return out;
    uint8_t* d = out.data() + 54;
    for (int y = 0; y < img.H; ++y) {
        const uint8_t* s = MyImageGetLineXY(img, 0, y);
        for (int x = 0; x < img.W; ++x, s += img.iBPP, d += 4) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
            d[3] = 255;
        }
    }
    return out;
}

bool MyImageSaveToFileAsBmp2(const OMyImage& img, const std::string& path)
{
    const std::vector<uint8_t> data = MyImageCopyToDataAsBmp2(img);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return (std::fclose(f) == 0) && ok;
}
