// Reading, mirroring and turning the vector pictures (the rasteriser is in
// pic_raster.cpp).
#include "cutting/vector_pics.h"

#include "cutting/emf_records.h"
#include "platform/platform.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

TPicFigs PicFigs;
TRotVec RotVec;

void VectorPics_Reset()
{
    PicFigs = {};
    RotVec = {};
}

// ---- Checking a record stream ------------------------------------------------------

bool EmfBounds(const std::vector<uint8_t>& emf, TRect* bounds)
{
    size_t pos = 0;
    TEmfRec rec;
    if (EmfNextRecord(emf.data(), emf.size(), pos, &rec, nullptr) != TEmfStep::Record ||
        rec.type != kEmrHeader || rec.size < kEmfHeaderMinBytes)
        return false;
    const uint8_t* h = emf.data();
    *bounds = MakeTRect(EmfI32(h + 8), EmfI32(h + 12), EmfI32(h + 16), EmfI32(h + 20));
    return true;
}

bool EmfCheck(const uint8_t* p, size_t n, std::string* why)
{
    auto fail = [&](const std::string& text) {
        if (why)
            *why = text;
        return false;
    };
    size_t pos = 0;
    TEmfRec rec;
    std::string bad;
    TEmfStep step = EmfNextRecord(p, n, pos, &rec, &bad);
    if (step == TEmfStep::Bad)
        return fail(bad);
    if (step != TEmfStep::Record || rec.type != kEmrHeader)
        return fail("no header record");
    if (rec.size < kEmfHeaderMinBytes)
        return fail("a header record too short");
    const int64_t w = int64_t(EmfI32(p + 16)) - EmfI32(p + 8);
    const int64_t h = int64_t(EmfI32(p + 20)) - EmfI32(p + 12);
    if (w < 1 || h < 1 || w > kPicMaxSide || h > kPicMaxSide)
        return fail("bounds of " + std::to_string(w) + " x " + std::to_string(h));
    uint64_t points = 0;
    while ((step = EmfNextRecord(p, n, pos, &rec, &bad)) == TEmfStep::Record)
        points += rec.count;
    if (step == TEmfStep::Bad)
        return fail(bad);
    if (points == 0)
        return fail("no outline");
    if (points > uint64_t(kPicMaxPoints))
        return fail(std::to_string(points) + " points");
    return true;
}

// ---- The data file --------------------------------------------------------------------

namespace {

TPicEntry ReadEntry(const uint8_t* e)
{
    TPicEntry entry;
    entry.Offset = EmfI32(e);
    entry.Size = EmfI32(e + 4);
    entry.Width = EmfI32(e + 8);
    entry.Height = EmfI32(e + 12);
    std::memcpy(entry.Kept.data(), e + 16, entry.Kept.size());
    entry.bMirrorTB = (e[32] & 1) != 0;
    entry.bMirrorLR = (e[33] & 1) != 0;
    return entry;
}

// Why entry i cannot be used, or "" when it can.
std::string EntryProblem(const TPicEntry& e, const uint8_t* data, size_t size)
{
    if (e.Offset < 0 || e.Size <= 0 || uint64_t(e.Offset) + uint64_t(e.Size) > size)
        return "its data (offset " + std::to_string(e.Offset) + ", size " + std::to_string(e.Size) +
               ") runs past the file";
    if (e.Width < 1 || e.Height < 1 || e.Width > kPicMaxSide || e.Height > kPicMaxSide)
        return "a nominal size of " + std::to_string(e.Width) + " x " + std::to_string(e.Height);
    std::string why;
    if (!EmfCheck(data + e.Offset, size_t(e.Size), &why))
        return why;
    return {};
}

}  // namespace

int ReadDataEmfFromData(const uint8_t* data, size_t size)
{
    FreeDataEmf();
    if (size < size_t(kPicHeaderBytes)) {
        Platform().Log("vector pictures: the file is too short for its header");
        return 0;
    }
    const int32_t n = EmfI32(data + 8);
    // The entries must lie in the file before anything is sized from n.
    const int64_t room = (int64_t(size) - kPicHeaderBytes) / kPicEntryBytes;
    if (n < 0 || n > room) {
        Platform().Log("vector pictures: " + std::to_string(n) + " entries do not fit in the file");
        return 0;
    }
    PicFigs.arFigs.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const TPicEntry entry = ReadEntry(data + kPicHeaderBytes + size_t(i) * kPicEntryBytes);
        const std::string problem = EntryProblem(entry, data, size);
        if (!problem.empty()) {
            Platform().Log("vector pictures: picture " + std::to_string(i) + " left out: " + problem);
            continue;
        }
        TPicFig fig;
        fig.Entry = entry;
        fig.Emf.assign(data + entry.Offset, data + entry.Offset + entry.Size);
        PicFigs.arFigs.push_back(std::move(fig));
    }
    PicFigs.N = int(PicFigs.arFigs.size());
    return PicFigs.N;
}

int ReadDataEmf(const std::string& path)
{
    FreeDataEmf();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Platform().Log("vector pictures: cannot open " + path);
        return 0;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size > kPicFileMaxBytes) {
        Platform().Log("vector pictures: " + path + " is not a readable file of at most 16 MiB");
        return 0;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        Platform().Log("vector pictures: cannot read " + path);
        return 0;
    }
    return ReadDataEmfFromData(bytes.data(), bytes.size());
}

void FreeDataEmf() { PicFigs = {}; }

bool ReadDataEmfImage(int i)
{
    PicFigs.Cur = {};
    PicFigs.iCur = -1;
    if (i < 0 || i >= PicFigs.N)
        return false;
    PicFigs.Cur = PicFigs.arFigs[size_t(i)];
    PicFigs.iCur = i;
    return true;
}

// ---- Mirroring and turning ---------------------------------------------------------------

namespace {

// Calls fn(rec, k, x, y) for every point of every record up to the first
// malformed one; fn answers the new point.
template <class F>
void ForEachPoint(std::vector<uint8_t>& emf, F fn)
{
    size_t pos = 0;
    TEmfRec rec;
    while (EmfNextRecord(emf.data(), emf.size(), pos, &rec, nullptr) == TEmfStep::Record)
        for (uint32_t k = 0; k < rec.count; ++k) {
            int32_t x, y;
            EmfGetPoint(emf.data(), rec, k, &x, &y);
            int64_t nx = x, ny = y;
            fn(&nx, &ny);
            EmfSetPoint(emf.data(), rec, k, nx, ny);
        }
}

// Half away from zero, kept inside 32 bits whatever the input.
int64_t RoundClamped(double v)
{
    if (!(v > -2e9))
        return -2000000000;
    if (v > 2e9)
        return 2000000000;
    return int64_t(std::round(v));
}

// The pixel-grid turn of one point (RotVec's sine, cosine, centre and offset).
void TurnPoint(double x, double y, int64_t ox, int64_t oy, int64_t* rx, int64_t* ry)
{
    const double c = RotVec.dCos, s = RotVec.dSin;
    const double dx = 2 * (x - RotVec.CX) + 1, dy = 2 * (y - RotVec.CY) + 1;
    *rx = RoundClamped(double(ox) + RotVec.CX + (c * dx - s * dy - 1) / 2);
    *ry = RoundClamped(double(oy) + RotVec.CY + (c * dy + s * dx - 1) / 2);
}

// Width and height of the box around the four turned corners of a w x h
// rectangle, turned about RotVec's centre.
void TurnedExtent(int64_t w, int64_t h, int64_t* rw, int64_t* rh)
{
    int64_t minX = INT64_MAX, maxX = INT64_MIN, minY = INT64_MAX, maxY = INT64_MIN;
    const int64_t xs[4] = {0, w, 0, w}, ys[4] = {0, 0, h, h};
    for (int i = 0; i < 4; ++i) {
        int64_t x, y;
        TurnPoint(double(xs[i]), double(ys[i]), 0, 0, &x, &y);
        minX = std::min(minX, x); maxX = std::max(maxX, x);
        minY = std::min(minY, y); maxY = std::max(maxY, y);
    }
    *rw = maxX - minX;
    *rh = maxY - minY;
}

}  // namespace

void FlipEmf(std::vector<uint8_t>& emf, bool mirrorX, bool mirrorY)
{
    TRect b;
    if ((!mirrorX && !mirrorY) || !EmfBounds(emf, &b))
        return;
    const int64_t w = int64_t(b.right) - b.left, h = int64_t(b.bottom) - b.top;
    ForEachPoint(emf, [&](int64_t* x, int64_t* y) {
        if (mirrorX)
            *x = w - *x;
        if (mirrorY)
            *y = h - *y;
    });
}

void RotateEmf(double angle, std::vector<uint8_t>& emf)
{
    TRect b;
    if (!EmfBounds(emf, &b))
        return;
    const int64_t w = std::clamp<int64_t>(int64_t(b.right) - b.left, 0, kPicMaxSide);
    const int64_t h = std::clamp<int64_t>(int64_t(b.bottom) - b.top, 0, kPicMaxSide);
    const double rad = angle * 3.1415927 / 180;
    RotVec = {};
    RotVec.dSin = std::sin(rad);
    RotVec.dCos = std::cos(rad);
    RotVec.W = int32_t(w);
    RotVec.H = int32_t(h);
    RotVec.CX = int32_t(w / 2);
    RotVec.CY = int32_t(h / 2);
    int64_t rw, rh;
    TurnedExtent(w, h, &rw, &rh);
    RotVec.RotW = int32_t(rw);
    RotVec.RotH = int32_t(rh);
    RotVec.OfsX = int32_t((rw - w) / 2);
    RotVec.OfsY = int32_t((rh - h) / 2);
    const int64_t ox = RotVec.OfsX, oy = RotVec.OfsY;
    ForEachPoint(emf, [&](int64_t* x, int64_t* y) { TurnPoint(double(*x), double(*y), ox, oy, x, y); });

    // The frame (hundredths of a millimetre) turns with the picture: the
    // same box computed for its size, kept inside 32 bits.
    uint8_t* hdr = emf.data();
    const double fw = double(std::clamp<int64_t>(int64_t(EmfI32(hdr + 32)) - EmfI32(hdr + 24), 0, 1 << 28));
    const double fh = double(std::clamp<int64_t>(int64_t(EmfI32(hdr + 36)) - EmfI32(hdr + 28), 0, 1 << 28));
    const double fs = std::fabs(RotVec.dSin), fc = std::fabs(RotVec.dCos);
    EmfPutI32(hdr + 8, 0);
    EmfPutI32(hdr + 12, 0);
    EmfPutI32(hdr + 16, RotVec.RotW);
    EmfPutI32(hdr + 20, RotVec.RotH);
    EmfPutI32(hdr + 24, 0);
    EmfPutI32(hdr + 28, 0);
    EmfPutI32(hdr + 32, int32_t(RoundClamped(fw * fc + fh * fs)));
    EmfPutI32(hdr + 36, int32_t(RoundClamped(fw * fs + fh * fc)));
}
