// The size a picture declares in its header, read without decoding, so that a
// file can be refused before a decoder allocates what it claims.
#include "files/files.h"

#include <cstring>

namespace {

uint32_t LE24(const uint8_t* p) { return LE16(p) | uint32_t(p[2]) << 16; }

int Clamp(int64_t v) { return v > INT32_MAX ? INT32_MAX : (v < INT32_MIN ? INT32_MIN : int(v)); }

bool SniffJpeg(const uint8_t* d, size_t n, int* w, int* h)
{
    // Walk the marker segments up to the first start-of-frame.
    size_t i = 2;
    while (i + 4 <= n) {
        if (d[i] != 0xFF)
            return false;
        const uint8_t m = d[i + 1];
        if (m == 0xFF) {  // fill byte
            ++i;
            continue;
        }
        if (m == 0xD8 || (m >= 0xD0 && m <= 0xD7) || m == 0x01) {
            i += 2;
            continue;
        }
        const size_t len = BE16(d + i + 2);
        const bool sof = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
        if (sof) {
            if (i + 9 > n)
                return false;
            *h = int(BE16(d + i + 5));
            *w = int(BE16(d + i + 7));
            return true;
        }
        if (len < 2)
            return false;
        i += 2 + len;
    }
    return false;
}

bool SniffWebp(const uint8_t* d, size_t n, int* w, int* h)
{
    if (n < 30)
        return false;
    const uint8_t* c = d + 12;
    if (std::memcmp(c, "VP8X", 4) == 0) {
        *w = int(LE24(c + 12)) + 1;
        *h = int(LE24(c + 15)) + 1;
        return true;
    }
    if (std::memcmp(c, "VP8L", 4) == 0 && c[8] == 0x2F) {
        const uint32_t bits = LE32(c + 9);
        *w = int(bits & 0x3FFF) + 1;
        *h = int((bits >> 14) & 0x3FFF) + 1;
        return true;
    }
    if (std::memcmp(c, "VP8 ", 4) == 0) {
        *w = int(LE16(c + 14) & 0x3FFF);
        *h = int(LE16(c + 16) & 0x3FFF);
        return true;
    }
    return false;
}

// The first image directory's width and height tags.
bool SniffTiff(const uint8_t* d, size_t n, int* w, int* h)
{
    const bool be = d[0] == 'M';
    auto u16 = [&](size_t at) { return be ? BE16(d + at) : LE16(d + at); };
    auto u32 = [&](size_t at) { return be ? BE32(d + at) : LE32(d + at); };
    const uint64_t ifd = u32(4);
    if (ifd + 2 > n)
        return false;
    const uint32_t count = u16(size_t(ifd));
    int64_t width = -1, height = -1;
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t e = ifd + 2 + uint64_t(i) * 12;
        if (e + 12 > n)
            return false;
        const uint32_t tag = u16(size_t(e)), type = u16(size_t(e) + 2);
        const int64_t v = type == 3 ? int64_t(u16(size_t(e) + 8)) : type == 4 ? int64_t(u32(size_t(e) + 8)) : -1;
        if (tag == 256)
            width = v;
        else if (tag == 257)
            height = v;
    }
    if (width < 0 || height < 0)
        return false;
    *w = Clamp(width);
    *h = Clamp(height);
    return true;
}

}  // namespace

bool PictureSniffSize(const uint8_t* d, size_t n, int* w, int* h)
{
    if (n >= 24 && std::memcmp(d, "\x89PNG\r\n\x1A\n", 8) == 0 && std::memcmp(d + 12, "IHDR", 4) == 0) {
        *w = Clamp(BE32(d + 16));
        *h = Clamp(BE32(d + 20));
        return true;
    }
    if (n >= 4 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF)
        return SniffJpeg(d, n, w, h);
    if (n >= 10 && (std::memcmp(d, "GIF87a", 6) == 0 || std::memcmp(d, "GIF89a", 6) == 0)) {
        *w = int(LE16(d + 6));
        *h = int(LE16(d + 8));
        return true;
    }
    if (n >= 26 && d[0] == 'B' && d[1] == 'M') {
        const uint32_t hdr = LE32(d + 14);
        if (hdr == 12) {
            *w = int(LE16(d + 18));
            *h = int(LE16(d + 20));
        } else {
            const int64_t hh = int32_t(LE32(d + 22));
            *w = int(int32_t(LE32(d + 18)));
            *h = Clamp(hh < 0 ? -hh : hh);
        }
        return true;
    }
    if (n >= 8 && (std::memcmp(d, "II*\0", 4) == 0 || std::memcmp(d, "MM\0*", 4) == 0))
        return SniffTiff(d, n, w, h);
    if (n >= 12 && std::memcmp(d, "RIFF", 4) == 0 && std::memcmp(d + 8, "WEBP", 4) == 0)
        return SniffWebp(d, n, w, h);
    return false;
}
