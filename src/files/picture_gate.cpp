// The picture gate: an encoded picture's structure walked before a decoder
// sees it. The declared size must be within the caller's limits, the stream
// must be whole, and the work it asks of a decoder must be sane: a JPEG's
// scans, a GIF's frames, a TIFF's directories and strips, a PNG's chunks are
// counted, because a decoder spends time on each (a progressive JPEG of 20 000
// scans takes the platform decoder most of a minute) and none of them stops
// by itself. Only JPEG, PNG, BMP, GIF, TIFF and WebP pass.
#include "files/files.h"

#include <cstring>
#include <set>

namespace {

bool Starts(const uint8_t* d, size_t n, const char* magic, size_t m) { return n >= m && std::memcmp(d, magic, m) == 0; }

bool Fail(std::string* why, const std::string& text)
{
    if (why)
        *why = text;
    return false;
}

bool SizeWithin(int64_t w, int64_t h, const TPictureLimits& lim, std::string* why)
{
    if (w < 1 || h < 1)
        return Fail(why, "the picture declares no size");
    if (w > lim.maxSide || h > lim.maxSide || w * h > lim.maxPixels)
        return Fail(why, "the picture is too large: " + std::to_string(w) + " x " + std::to_string(h));
    return true;
}

// Markers and their segments; the entropy-coded data after each start of scan
// is skipped to the next marker (0xFF followed by anything but 0x00, a fill
// byte or a restart marker).
bool GateJpeg(const uint8_t* d, size_t n, const TPictureLimits& lim, std::string* why)
{
    size_t i = 2;
    int scans = 0, frames = 0, segments = 0;
    bool sized = false;
    while (i + 2 <= n) {
        if (d[i] != 0xFF) {  // stray bytes between segments: decoders skip them too
            ++i;
            continue;
        }
        const uint8_t m = d[i + 1];
        if (m == 0xFF) {
            ++i;
            continue;
        }
        if (m == 0xD9)
            return sized && scans > 0 ? true : Fail(why, "JPEG without a picture");
        if (m == 0xD8 || m == 0x01 || (m >= 0xD0 && m <= 0xD7)) {
            i += 2;
            continue;
        }
        if (++segments > kMaxJpegSegments)
            return Fail(why, "JPEG with too many segments");
        if (i + 4 > n)
            break;
        const size_t len = BE16(d + i + 2);
        if (len < 2 || i + 2 + len > n)
            break;
        const bool sof = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
        if (sof) {
            if (++frames > 1)
                return Fail(why, "JPEG with more than one frame");
            if (len < 8)
                return Fail(why, "JPEG frame header damaged");
            if (!SizeWithin(BE16(d + i + 7), BE16(d + i + 5), lim, why))
                return false;
            sized = true;
        }
        i += 2 + len;
        if (m == 0xDA) {
            if (!sized)
                return Fail(why, "JPEG scan before its frame");
            if (++scans > kMaxJpegScans)
                return Fail(why, "JPEG with too many scans (" + std::to_string(scans) + " or more)");
            while (i + 1 < n && !(d[i] == 0xFF && d[i + 1] != 0x00 && d[i + 1] != 0xFF &&
                                  !(d[i + 1] >= 0xD0 && d[i + 1] <= 0xD7)))
                ++i;
        }
    }
    return Fail(why, "JPEG data cut short");
}

bool GatePng(const uint8_t* d, size_t n, const TPictureLimits& lim, std::string* why)
{
    size_t i = 8;
    int chunks = 0, others = 0;
    uint64_t packed = 0;
    bool header = false;
    while (i + 12 <= n) {
        const uint32_t len = BE32(d + i);
        const uint8_t* type = d + i + 4;
        if (len > 0x7FFFFFFFu || uint64_t(i) + 12 + len > n)
            break;
        if (!header) {
            if (std::memcmp(type, "IHDR", 4) != 0 || len < 13)
                return Fail(why, "PNG without its header");
            if (!SizeWithin(BE32(d + i + 8), BE32(d + i + 12), lim, why))
                return false;
            header = true;
        }
        if (std::memcmp(type, "IEND", 4) == 0)
            return true;
        if (++chunks > kMaxPngChunks)
            return Fail(why, "PNG with too many chunks");
        // Picture data may come in many pieces; text, profiles and the rest
        // (some of them compressed) only in a few.
        if (std::memcmp(type, "IDAT", 4) != 0 && ++others > kMaxPngOtherChunks)
            return Fail(why, "PNG with too many extra chunks");
        // Compressed text and colour profiles are inflated whole by the
        // decoder, a thousand times their size at worst.
        if (std::memcmp(type, "zTXt", 4) == 0 || std::memcmp(type, "iTXt", 4) == 0 ||
            std::memcmp(type, "iCCP", 4) == 0) {
            packed += len;
            if (packed > kMaxPngPackedExtraBytes)
                return Fail(why, "PNG with too much compressed text");
        }
        i += 12 + len;
    }
    return Fail(why, "PNG data cut short");
}

bool GateBmp(const uint8_t* d, size_t n, const TPictureLimits& lim, std::string* why)
{
    if (n < 26)
        return Fail(why, "BMP header cut short");
    const uint32_t pixOfs = LE32(d + 10), hdr = LE32(d + 14);
    int64_t w = 0, h = 0;
    int bpp = 0;
    uint32_t compression = 0;
    if (hdr == 12) {
        w = LE16(d + 18);
        h = LE16(d + 20);
        bpp = int(LE16(d + 24));
    } else {
        if (hdr < 40 || n < 54)
            return Fail(why, "BMP header cut short");
        w = int32_t(LE32(d + 18));
        h = int32_t(LE32(d + 22));
        bpp = int(LE16(d + 28));
        compression = LE32(d + 30);
        if (h < 0)
            h = -h;
    }
    if (!SizeWithin(w, h, lim, why))
        return false;
    if (pixOfs >= n)
        return Fail(why, "BMP pixel data missing");
    if (compression == 1 || compression == 2)
        return true;  // run-length data: the decoder stops at its end or the picture's
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return compression == 4 || compression == 5 ? Fail(why, "BMP holding another format")
                                                    : Fail(why, "BMP with an unknown pixel size");
    const int64_t rowBytes = ((w * bpp + 31) / 32) * 4;
    if (int64_t(pixOfs) + rowBytes * h > int64_t(n))
        return Fail(why, "BMP pixel data cut short");
    return true;
}

// Skips a chain of data sub-blocks; false when it runs past the end.
bool SkipGifBlocks(const uint8_t* d, size_t n, size_t* i)
{
    while (*i < n) {
        const size_t len = d[*i];
        *i += 1 + len;
        if (len == 0)
            return *i <= n;
    }
    return false;
}

bool GateGif(const uint8_t* d, size_t n, const TPictureLimits& lim, std::string* why)
{
    if (n < 13)
        return Fail(why, "GIF header cut short");
    if (!SizeWithin(LE16(d + 6), LE16(d + 8), lim, why))
        return false;
    size_t i = 13;
    if (d[10] & 0x80)
        i += size_t(3) << ((d[10] & 7) + 1);
    int frames = 0, blocks = 0;
    while (i < n) {
        if (++blocks > kMaxGifBlocks)
            return Fail(why, "GIF with too many blocks");
        const uint8_t b = d[i];
        if (b == 0x3B)
            return frames > 0 ? true : Fail(why, "GIF without a picture");
        if (b == 0x21) {
            i += 2;
            if (!SkipGifBlocks(d, n, &i))
                break;
        } else if (b == 0x2C) {
            if (++frames > kMaxGifFrames)
                return Fail(why, "GIF with too many frames");
            if (i + 10 > n)
                break;
            const uint8_t flags = d[i + 9];
            i += 10;
            if (flags & 0x80)
                i += size_t(3) << ((flags & 7) + 1);
            i += 1;  // the code size
            if (i > n || !SkipGifBlocks(d, n, &i))
                break;
        } else {
            return Fail(why, "GIF data damaged");
        }
    }
    // Many writers leave the trailer off: a whole last frame is enough.
    return frames > 0 && i == n ? true : Fail(why, "GIF data cut short");
}

bool GateTiff(const uint8_t* d, size_t n, const TPictureLimits& lim, std::string* why)
{
    if (n < 8)
        return Fail(why, "TIFF header cut short");
    const bool be = d[0] == 'M';
    auto u16 = [&](uint64_t at) { return be ? BE16(d + at) : LE16(d + at); };
    auto u32 = [&](uint64_t at) { return be ? BE32(d + at) : LE32(d + at); };
    std::set<uint64_t> seen;
    uint64_t ifd = u32(4);
    int dirs = 0;
    while (ifd != 0) {
        if (++dirs > kMaxTiffDirs)
            return Fail(why, "TIFF with too many directories");
        if (!seen.insert(ifd).second)
            return Fail(why, "TIFF directories in a loop");
        if (ifd + 2 > n)
            return Fail(why, "TIFF directory outside the file");
        const uint32_t count = u16(ifd);
        if (count > kMaxTiffEntries || ifd + 2 + uint64_t(count) * 12 + 4 > n)
            return Fail(why, "TIFF directory damaged");
        int64_t w = -1, h = -1;
        uint64_t pieces = 0;  // strips or tiles
        for (uint32_t k = 0; k < count; ++k) {
            const uint64_t e = ifd + 2 + uint64_t(k) * 12;
            const uint32_t tag = u16(e), type = u16(e + 2), cnt = u32(e + 4);
            const int64_t v = type == 3 ? int64_t(u16(e + 8)) : type == 4 ? int64_t(u32(e + 8)) : -1;
            if (tag == 256)
                w = v;
            else if (tag == 257)
                h = v;
            else if (tag == 273 || tag == 324)
                pieces = cnt;
            if (tag == 279 || tag == 325) {
                // Every strip's byte count must lie in the file: a decoder
                // allocates what they claim.
                const uint64_t size = type == 3 ? 2 : type == 4 ? 4 : 0;
                if (size == 0)
                    return Fail(why, "TIFF strip sizes damaged");
                const uint64_t at = uint64_t(cnt) * size <= 4 ? e + 8 : u32(e + 8);
                if (cnt > kMaxTiffStrips || at + uint64_t(cnt) * size > n)
                    return Fail(why, "TIFF strip sizes damaged");
                for (uint32_t s = 0; s < cnt; ++s) {
                    const uint64_t bytes = size == 2 ? u16(at + uint64_t(s) * 2) : u32(at + uint64_t(s) * 4);
                    if (bytes > n)
                        return Fail(why, "TIFF strip larger than the file");
                }
            }
        }
        if (dirs == 1 && !SizeWithin(w, h, lim, why))
            return false;
        if (pieces > kMaxTiffStrips)
            return Fail(why, "TIFF with too many strips");
        ifd = u32(ifd + 2 + uint64_t(count) * 12);
    }
    return dirs > 0 ? true : Fail(why, "TIFF without a directory");
}

bool GateWebp(const uint8_t* d, size_t n, const TPictureLimits& lim, std::string* why)
{
    int w = 0, h = 0;
    if (!PictureSniffSize(d, n, &w, &h))
        return Fail(why, "WebP header damaged");
    if (!SizeWithin(w, h, lim, why))
        return false;
    if (uint64_t(LE32(d + 4)) + 8 > n)
        return Fail(why, "WebP data cut short");
    int frames = 0;
    for (size_t i = 12; i + 8 <= n;) {
        if (std::memcmp(d + i, "ANMF", 4) == 0 && ++frames > kMaxGifFrames)
            return Fail(why, "WebP with too many frames");
        const uint64_t len = LE32(d + i + 4);
        i += size_t(8 + len + (len & 1));
    }
    return true;
}

}  // namespace

bool PictureGate(const uint8_t* d, size_t n, const TPictureLimits& lim, std::string* why)
{
    if (!d || n == 0)
        return Fail(why, "no picture data");
    if (Starts(d, n, "\xFF\xD8\xFF", 3))
        return GateJpeg(d, n, lim, why);
    if (Starts(d, n, "\x89PNG\r\n\x1A\n", 8))
        return GatePng(d, n, lim, why);
    if (Starts(d, n, "BM", 2))
        return GateBmp(d, n, lim, why);
    if (Starts(d, n, "GIF87a", 6) || Starts(d, n, "GIF89a", 6))
        return GateGif(d, n, lim, why);
    if (Starts(d, n, "II*\0", 4) || Starts(d, n, "MM\0*", 4))
        return GateTiff(d, n, lim, why);
    if (n >= 30 && Starts(d, n, "RIFF", 4) && std::memcmp(d + 8, "WEBP", 4) == 0)
        return GateWebp(d, n, lim, why);
    return Fail(why, "not a picture in a format the game reads");
}
