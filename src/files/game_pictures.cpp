// The saved game's two big pictures without the general decoder: the working
// picture as our own 32-bit BMP (read back by a copy of the rows) and the mask
// as a TIFF of PackBits-packed planes (a mask is long runs of one code). Any
// other layout falls back to the platform decoder, so files from other
// writers still open.
#include "files/files.h"

#include <cstring>

namespace {

void Put16(std::vector<uint8_t>& b, uint16_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); }
void Put32(std::vector<uint8_t>& b, uint32_t v) { Put16(b, uint16_t(v)); Put16(b, uint16_t(v >> 16)); }

// One directory entry: tag, type (3 SHORT, 4 LONG), count 1, value.
void PutEntry(std::vector<uint8_t>& b, uint16_t tag, uint16_t type, uint32_t count, uint32_t value)
{
    Put16(b, tag);
    Put16(b, type);
    Put32(b, count);
    if (type == 3 && count == 1) {
        Put16(b, uint16_t(value));
        Put16(b, 0);
    } else {
        Put32(b, value);
    }
}

struct TTiffInfo {
    uint32_t w = 0, h = 0, spp = 0, compression = 1, photometric = 0, planar = 1;
    uint32_t stripOfs = 0, stripBytes = 0, stripCount = 0, rowsPerStrip = 0;
    uint32_t stripCountsOfs = 0;  // with several strips: where their byte counts lie
    uint32_t bitsOfs = 0, bitsCount = 0, bitsValue = 0;
};

// The entries of the first directory; false for anything malformed.
bool ReadTiffDir(const uint8_t* d, size_t n, TTiffInfo* t)
{
    const uint64_t dir = LE32(d + 4);
    if (dir + 2 > n)
        return false;
    const uint32_t count = LE16(d + dir);
    if (dir + 2 + uint64_t(count) * 12 > n)
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* e = d + dir + 2 + i * 12;
        const uint32_t tag = LE16(e), type = LE16(e + 2), cnt = LE32(e + 4);
        const uint32_t v = type == 3 && cnt == 1 ? LE16(e + 8) : LE32(e + 8);
        switch (tag) {
        case 256: t->w = v; break;
        case 257: t->h = v; break;
        case 258: t->bitsCount = cnt; t->bitsOfs = v; t->bitsValue = v; break;
        case 259: t->compression = v; break;
        case 262: t->photometric = v; break;
        case 273: t->stripCount = cnt; t->stripOfs = v; break;
        case 277: t->spp = v; break;
        case 278: t->rowsPerStrip = v; break;
        case 279:
            t->stripBytes = cnt == 1 ? v : 0;
            t->stripCountsOfs = cnt > 1 ? v : 0;
            break;
        case 284: t->planar = v; break;
        default: break;
        }
    }
    return true;
}

// Eight bits a sample, whether given inline (one or two samples) or as an array.
bool EightBitsEach(const uint8_t* d, size_t n, const TTiffInfo& t)
{
    if (t.bitsCount != t.spp)
        return false;
    if (t.spp <= 2)
        return (t.bitsValue & 0xFFFF) == 8;
    if (uint64_t(t.bitsOfs) + 2ull * t.spp > n)
        return false;
    for (uint32_t i = 0; i < t.spp; ++i)
        if (LE16(d + t.bitsOfs + 2 * i) != 8)
            return false;
    return true;
}


// PackBits, one row: a run of 2..128 equal bytes is (1 - n, byte); up to 128
// other bytes are (n - 1, bytes).
void PackRow(const uint8_t* p, size_t n, std::vector<uint8_t>& out)
{
    size_t i = 0;
    while (i < n) {
        size_t run = 1;
        while (i + run < n && run < 128 && p[i + run] == p[i])
            ++run;
        if (run >= 2) {
            out.push_back(uint8_t(1 - int(run)));
            out.push_back(p[i]);
            i += run;
            continue;
        }
        size_t lit = 1;
        while (i + lit < n && lit < 128 && !(i + lit + 1 < n && p[i + lit] == p[i + lit + 1]))
            ++lit;
        out.push_back(uint8_t(lit - 1));
        out.insert(out.end(), p + i, p + i + lit);
        i += lit;
    }
}

// Unpacks one row of exactly n bytes from src[*at, end); false when the data
// runs out or a run would overflow the row.
bool UnpackRow(const uint8_t* src, size_t end, size_t* at, uint8_t* dst, size_t n)
{
    size_t o = 0, i = *at;
    while (o < n) {
        if (i >= end)
            return false;
        const int8_t c = int8_t(src[i++]);
        if (c >= 0) {
            const size_t len = size_t(c) + 1;
            if (len > n - o || len > end - i)
                return false;
            std::memcpy(dst + o, src + i, len);
            i += len;
            o += len;
        } else if (c != -128) {
            const size_t len = size_t(1 - c);
            if (len > n - o || i >= end)
                return false;
            std::memset(dst + o, src[i++], len);
            o += len;
        }
    }
    *at = i;
    return true;
}

}  // namespace

std::vector<uint8_t> EncodeMaskTiff(const OMyImage& img)
{
    // One plane per sample, each row PackBits-packed: a mask is long runs of
    // one code, which interleaved samples would hide from the packer.
    const uint32_t spp = uint32_t(img.iBPP), w = uint32_t(img.W), h = uint32_t(img.H);
    std::vector<std::vector<uint8_t>> planes(spp);
    std::vector<uint8_t> row(w);
    for (uint32_t s = 0; s < spp; ++s)
        for (uint32_t y = 0; y < h; ++y) {
            const uint8_t* src = MyImageGetLineXY(img, 0, int(y)) + s;
            for (uint32_t x = 0; x < w; ++x, src += spp)
                row[x] = *src;
            PackRow(row.data(), w, planes[s]);
        }
    const uint32_t entries = spp == 4 ? 12 : 11;
    const uint32_t arrays = 8 + 2 + entries * 12 + 4;  // bits, offsets, counts follow the directory
    const uint32_t ofsArray = arrays + 2 * spp, cntArray = ofsArray + 4 * spp, data = cntArray + 4 * spp;
    std::vector<uint8_t> b;
    b.insert(b.end(), {'I', 'I', 42, 0});
    Put32(b, 8);
    Put16(b, uint16_t(entries));
    PutEntry(b, 256, 4, 1, w);
    PutEntry(b, 257, 4, 1, h);
    PutEntry(b, 258, 3, spp, arrays);
    PutEntry(b, 259, 3, 1, 32773);           // PackBits
    PutEntry(b, 262, 3, 1, 2);               // RGB
    PutEntry(b, 273, 4, spp, ofsArray);      // one strip per plane
    PutEntry(b, 277, 3, 1, spp);
    PutEntry(b, 278, 4, 1, h);
    PutEntry(b, 279, 4, spp, cntArray);
    PutEntry(b, 284, 3, 1, 2);               // planes apart
    PutEntry(b, 296, 3, 1, 1);
    if (spp == 4)
        PutEntry(b, 338, 3, 1, 2);           // the fourth sample is plain alpha
    Put32(b, 0);
    for (uint32_t s = 0; s < spp; ++s)
        Put16(b, 8);
    uint32_t at = data;
    for (uint32_t s = 0; s < spp; ++s) {
        Put32(b, at);
        at += uint32_t(planes[s].size());
    }
    for (uint32_t s = 0; s < spp; ++s)
        Put32(b, uint32_t(planes[s].size()));
    for (const auto& p : planes)
        b.insert(b.end(), p.begin(), p.end());
    return b;
}

namespace {

// The planes of a PackBits TIFF into an image with alpha.
bool UnpackPlanes(const uint8_t* d, size_t n, const TTiffInfo& t, OMyImage& img)
{
    if (uint64_t(t.stripOfs) + 4ull * t.spp > n || t.stripCountsOfs == 0 ||
        uint64_t(t.stripCountsOfs) + 4ull * t.spp > n)
        return false;
    std::vector<uint8_t> row(t.w);
    for (uint32_t s = 0; s < t.spp; ++s) {
        const uint64_t ofs = LE32(d + t.stripOfs + 4 * s);
        const uint64_t cnt = LE32(d + t.stripCountsOfs + 4 * s);
        if (ofs + cnt > n)
            return false;
        size_t at = size_t(ofs);
        for (uint32_t y = 0; y < t.h; ++y) {
            if (!UnpackRow(d, size_t(ofs + cnt), &at, row.data(), t.w))
                return false;
            uint8_t* o = MyImageGetLineXY(img, 0, int(y)) + s;
            for (uint32_t x = 0; x < t.w; ++x, o += 4)
                *o = row[x];
        }
    }
    if (t.spp == 3)
        for (uint32_t y = 0; y < t.h; ++y) {
            uint8_t* o = MyImageGetLineXY(img, 0, int(y)) + 3;
            for (uint32_t x = 0; x < t.w; ++x, o += 4)
                *o = 255;
        }
    return true;
}

// The rows of an uncompressed single-strip TIFF with samples interleaved.
bool CopyInterleaved(const uint8_t* d, size_t n, const TTiffInfo& t, OMyImage& img)
{
    const uint64_t rowBytes = uint64_t(t.w) * t.spp, total = rowBytes * t.h;
    if (t.stripCount != 1 || uint64_t(t.stripOfs) + total > n || (t.stripBytes != 0 && t.stripBytes < total))
        return false;
    for (uint32_t y = 0; y < t.h; ++y) {
        const uint8_t* s = d + t.stripOfs + y * rowBytes;
        uint8_t* o = MyImageGetLineXY(img, 0, int(y));
        if (t.spp == 4) {
            std::memcpy(o, s, size_t(rowBytes));
            continue;
        }
        for (uint32_t x = 0; x < t.w; ++x, s += 3, o += 4) {
            o[0] = s[0];
            o[1] = s[1];
            o[2] = s[2];
            o[3] = 255;
        }
    }
    return true;
}

}  // namespace

OMyImagePtr DecodeMaskTiff(const uint8_t* d, size_t n)
{
    TTiffInfo t;
    if (n < 8 || std::memcmp(d, "II*\0", 4) != 0 || !ReadTiffDir(d, n, &t))
        return nullptr;
    const bool plain = t.compression == 1 && t.planar == 1;
    const bool packed = t.compression == 32773 && t.planar == 2 && t.stripCount == t.spp;
    if ((!plain && !packed) || t.photometric != 2 || (t.spp != 3 && t.spp != 4) || t.w < 1 || t.h < 1 ||
        t.w > uint32_t(kMyImageMaxSide) || t.h > uint32_t(kMyImageMaxSide) ||
        uint64_t(t.w) * t.h > uint64_t(kMyImageMaxPixels) || (t.rowsPerStrip != 0 && t.rowsPerStrip < t.h) ||
        !EightBitsEach(d, n, t))
        return nullptr;
    OMyImagePtr img = MyImageCreateExt(int(t.w), int(t.h), true);
    if (!img || !(plain ? CopyInterleaved(d, n, t, *img) : UnpackPlanes(d, n, t, *img)))
        return nullptr;
    return img;
}

OMyImagePtr DecodeBmp32(const uint8_t* d, size_t n)
{
    if (n < 54 || d[0] != 'B' || d[1] != 'M' || LE32(d + 14) < 40 || LE16(d + 28) != 32 || LE32(d + 30) != 0)
        return nullptr;
    const uint32_t pixOfs = LE32(d + 10);
    const int64_t w = int32_t(LE32(d + 18)), hRaw = int32_t(LE32(d + 22));
    const int64_t h = hRaw < 0 ? -hRaw : hRaw;
    if (w < 1 || h < 1 || w > kMyImageMaxSide || h > kMyImageMaxSide || w * h > kMyImageMaxPixels ||
        uint64_t(pixOfs) + uint64_t(w * h * 4) > n)
        return nullptr;
    OMyImagePtr img = MyImageCreateExt(int(w), int(h), true);
    if (!img)
        return nullptr;
    // Rows run top down with a negative height; BGRA with the fourth byte
    // unused in this format, so every pixel is opaque.
    for (int64_t y = 0; y < h; ++y) {
        const uint8_t* s = d + pixOfs + (hRaw < 0 ? y : h - 1 - y) * w * 4;
        uint8_t* o = MyImageGetLineXY(*img, 0, int(y));
        for (int64_t x = 0; x < w; ++x, s += 4, o += 4) {
            o[0] = s[2];
            o[1] = s[1];
            o[2] = s[0];
            o[3] = 255;
        }
    }
    return img;
}

OMyImagePtr DecodeGamePicture(const std::vector<uint8_t>& bytes)
{
    OMyImagePtr img = DecodeBmp32(bytes.data(), bytes.size());
    if (!img)
        img = DecodeMaskTiff(bytes.data(), bytes.size());
    if (!img)
        img = DecodePicture(bytes.data(), bytes.size(), true, TPictureLimits{});
    return img;
}
