// The saved game's two big pictures without the general decoder: the working
// picture as our own 32-bit BMP and the mask as a plain (uncompressed) TIFF.
// Writing and reading them is a copy of the rows; anything else falls back to
// the platform decoder, so files from other writers still open.
#include "files/files.h"

#include <cstring>

namespace {

void Put16(std::vector<uint8_t>& b, uint16_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); }
void Put32(std::vector<uint8_t>& b, uint32_t v) { Put16(b, uint16_t(v)); Put16(b, uint16_t(v >> 16)); }
uint32_t Get16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t Get32(const uint8_t* p) { return Get16(p) | Get16(p + 2) << 16; }

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
    uint32_t bitsOfs = 0, bitsCount = 0, bitsValue = 0;
};

// The entries of the first directory; false for anything malformed.
bool ReadTiffDir(const uint8_t* d, size_t n, TTiffInfo* t)
{
    const uint64_t dir = Get32(d + 4);
    if (dir + 2 > n)
        return false;
    const uint32_t count = Get16(d + dir);
    if (dir + 2 + uint64_t(count) * 12 > n)
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* e = d + dir + 2 + i * 12;
        const uint32_t tag = Get16(e), type = Get16(e + 2), cnt = Get32(e + 4);
        const uint32_t v = type == 3 && cnt == 1 ? Get16(e + 8) : Get32(e + 8);
        switch (tag) {
        case 256: t->w = v; break;
        case 257: t->h = v; break;
        case 258: t->bitsCount = cnt; t->bitsOfs = v; t->bitsValue = v; break;
        case 259: t->compression = v; break;
        case 262: t->photometric = v; break;
        case 273: t->stripCount = cnt; t->stripOfs = v; break;
        case 277: t->spp = v; break;
        case 278: t->rowsPerStrip = v; break;
        case 279: t->stripBytes = cnt == 1 ? v : 0; break;
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
        if (Get16(d + t.bitsOfs + 2 * i) != 8)
            return false;
    return true;
}

}  // namespace

std::vector<uint8_t> EncodePlainTiff(const OMyImage& img)
{
    const uint32_t spp = uint32_t(img.iBPP), rowBytes = uint32_t(img.W) * spp;
    const uint32_t entries = spp == 4 ? 12 : 11;
    const uint32_t dirSize = 2 + entries * 12 + 4;
    const uint32_t bitsOfs = 8 + dirSize, dataOfs = bitsOfs + 2 * spp;
    std::vector<uint8_t> b;
    b.reserve(dataOfs + size_t(rowBytes) * size_t(img.H));
    b.insert(b.end(), {'I', 'I', 42, 0});
    Put32(b, 8);
    Put16(b, uint16_t(entries));
    PutEntry(b, 256, 4, 1, uint32_t(img.W));
    PutEntry(b, 257, 4, 1, uint32_t(img.H));
    PutEntry(b, 258, 3, spp, bitsOfs);
    PutEntry(b, 259, 3, 1, 1);               // no compression
    PutEntry(b, 262, 3, 1, 2);               // RGB
    PutEntry(b, 273, 4, 1, dataOfs);         // one strip
    PutEntry(b, 277, 3, 1, spp);
    PutEntry(b, 278, 4, 1, uint32_t(img.H));
    PutEntry(b, 279, 4, 1, rowBytes * uint32_t(img.H));
    PutEntry(b, 284, 3, 1, 1);               // samples interleaved
    PutEntry(b, 296, 3, 1, 1);               // no resolution unit
    if (spp == 4)
        PutEntry(b, 338, 3, 1, 2);           // the fourth sample is plain alpha
    Put32(b, 0);                             // no next directory
    for (uint32_t i = 0; i < spp; ++i)
        Put16(b, 8);
    for (int y = 0; y < img.H; ++y) {
        const uint8_t* row = MyImageGetLineXY(img, 0, y);
        b.insert(b.end(), row, row + rowBytes);
    }
    return b;
}

OMyImagePtr DecodePlainTiff(const uint8_t* d, size_t n)
{
    TTiffInfo t;
    if (n < 8 || std::memcmp(d, "II*\0", 4) != 0 || !ReadTiffDir(d, n, &t))
        return nullptr;
    if (t.compression != 1 || t.photometric != 2 || t.planar != 1 || (t.spp != 3 && t.spp != 4) ||
        t.stripCount != 1 || t.w < 1 || t.h < 1 || t.w > uint32_t(kMyImageMaxSide) ||
        t.h > uint32_t(kMyImageMaxSide) || uint64_t(t.w) * t.h > uint64_t(kMyImageMaxPixels) ||
        (t.rowsPerStrip != 0 && t.rowsPerStrip < t.h) || !EightBitsEach(d, n, t))
        return nullptr;
    const uint64_t rowBytes = uint64_t(t.w) * t.spp, total = rowBytes * t.h;
    if (uint64_t(t.stripOfs) + total > n || (t.stripBytes != 0 && t.stripBytes < total))
        return nullptr;
    OMyImagePtr img = MyImageCreateExt(int(t.w), int(t.h), true);
    if (!img)
        return nullptr;
    for (uint32_t y = 0; y < t.h; ++y) {
        const uint8_t* s = d + t.stripOfs + y * rowBytes;
        uint8_t* o = MyImageGetLineXY(*img, 0, int(y));
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
    return img;
}

OMyImagePtr DecodeBmp32(const uint8_t* d, size_t n)
{
    if (n < 54 || d[0] != 'B' || d[1] != 'M' || Get32(d + 14) < 40 || Get16(d + 28) != 32 || Get32(d + 30) != 0)
        return nullptr;
    const uint32_t pixOfs = Get32(d + 10);
    const int64_t w = int32_t(Get32(d + 18)), hRaw = int32_t(Get32(d + 22));
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
        img = DecodePlainTiff(bytes.data(), bytes.size());
    if (!img)
        img = MyImageCreateFromData(bytes.data(), bytes.size(), true);
    return img;
}
