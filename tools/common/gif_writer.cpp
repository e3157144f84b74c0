#include "gif_writer.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdio>
#include <map>

namespace {

// ---- Byte output ------------------------------------------------------------

void PutU16(std::vector<uint8_t>& out, int v)
{
    out.push_back(uint8_t(v & 0xFF));
    out.push_back(uint8_t((v >> 8) & 0xFF));
}

// Packs LZW codes least significant bit first and cuts the stream into data
// sub-blocks of at most 255 bytes.
struct CodePacker {
    std::vector<uint8_t> bytes;
    uint32_t acc = 0;
    int bits = 0;

    void Put(int code, int size)
    {
        acc |= uint32_t(code) << bits;
        bits += size;
        while (bits >= 8) {
            bytes.push_back(uint8_t(acc & 0xFF));
            acc >>= 8;
            bits -= 8;
        }
    }
    void Flush()
    {
        if (bits > 0) bytes.push_back(uint8_t(acc & 0xFF));
        acc = 0;
        bits = 0;
    }
    void AppendBlocks(std::vector<uint8_t>& out) const
    {
        for (size_t i = 0; i < bytes.size(); i += 255) {
            size_t n = std::min<size_t>(255, bytes.size() - i);
            out.push_back(uint8_t(n));
            out.insert(out.end(), bytes.begin() + ptrdiff_t(i), bytes.begin() + ptrdiff_t(i + n));
        }
        out.push_back(0);  // block terminator
    }
};

// LZW as GIF decoders expect it: the code size grows as soon as the next code
// to be assigned no longer fits, and the table is cleared when code 4095 is
// taken. The dictionary maps (prefix code, next index) to a code.
void LzwEncode(const std::vector<uint8_t>& indices, int minCodeSize, CodePacker& out)
{
    const int clearCode = 1 << minCodeSize;
    const int eoiCode = clearCode + 1;
    std::vector<int16_t> child(size_t(4096) * 256, -1);
    std::vector<int32_t> used;  // dictionary slots to wipe on a clear
    int codeSize = minCodeSize + 1;
    int maxCode = eoiCode;
    out.Put(clearCode, codeSize);
    int cur = indices[0];
    for (size_t i = 1; i < indices.size(); ++i) {
        const int k = indices[i];
        const int32_t slot = cur * 256 + k;
        if (child[size_t(slot)] >= 0) {
            cur = child[size_t(slot)];
            continue;
        }
        out.Put(cur, codeSize);
        child[size_t(slot)] = int16_t(++maxCode);
        used.push_back(slot);
        if (maxCode >= (1 << codeSize)) ++codeSize;
        if (maxCode == 4095) {
            out.Put(clearCode, codeSize);
            for (int32_t s : used) child[size_t(s)] = -1;
            used.clear();
            codeSize = minCodeSize + 1;
            maxCode = eoiCode;
        }
        cur = k;
    }
    out.Put(cur, codeSize);
    // The decoder adds one more entry after the last code: follow its size.
    if (maxCode + 1 >= (1 << codeSize) && codeSize < 12) ++codeSize;
    out.Put(eoiCode, codeSize);
    out.Flush();
}

}  // namespace

std::vector<uint8_t> GifEncode(const GifPicture& pic)
{
    assert(pic.W >= 1 && pic.W <= 65535 && pic.H >= 1 && pic.H <= 65535);
    assert(pic.Indices.size() == size_t(pic.W) * size_t(pic.H));
    assert(!pic.Palette.empty() && pic.Palette.size() <= 256);
    assert(pic.TransparentIndex < int(pic.Palette.size()));
    assert(std::all_of(pic.Indices.begin(), pic.Indices.end(),
                       [&](uint8_t v) { return v < pic.Palette.size(); }));

    int tableBits = 1;
    while ((1 << tableBits) < int(pic.Palette.size())) ++tableBits;
    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    PutU16(out, pic.W);
    PutU16(out, pic.H);
    out.push_back(uint8_t(0x80 | ((tableBits - 1) << 4) | (tableBits - 1)));  // global table
    out.push_back(0);  // background colour index
    out.push_back(0);  // square pixels
    for (int i = 0; i < (1 << tableBits); ++i) {
        const uint32_t c = i < int(pic.Palette.size()) ? pic.Palette[size_t(i)] : 0;
        out.push_back(uint8_t(c >> 16));
        out.push_back(uint8_t(c >> 8));
        out.push_back(uint8_t(c));
    }
    if (pic.TransparentIndex >= 0) {  // graphic control extension
        const uint8_t gce[] = {0x21, 0xF9, 4, 0x01, 0, 0, uint8_t(pic.TransparentIndex), 0};
        out.insert(out.end(), std::begin(gce), std::end(gce));
    }
    out.push_back(0x2C);  // image descriptor
    PutU16(out, 0);
    PutU16(out, 0);
    PutU16(out, pic.W);
    PutU16(out, pic.H);
    out.push_back(0);  // no local table, not interlaced

    const int minCodeSize = std::max(2, tableBits);
    out.push_back(uint8_t(minCodeSize));
    CodePacker packer;
    LzwEncode(pic.Indices, minCodeSize, packer);
    packer.AppendBlocks(out);
    out.push_back(0x3B);  // trailer
    return out;
}

bool GifWriteFile(const std::string& path, const GifPicture& pic, std::string* error)
{
    const std::vector<uint8_t> bytes = GifEncode(pic);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        if (error) *error = "cannot create " + path;
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!(ok && closed)) {
        if (error) *error = "cannot write " + path;
        return false;
    }
    return true;
}

// ---- Median cut ---------------------------------------------------------------

namespace {

struct ColourCount {
    uint32_t rgb;   // 0xRRGGBB
    uint32_t count; // pixels of that colour
};

int Channel(uint32_t rgb, int ch) { return int((rgb >> (16 - 8 * ch)) & 0xFF); }

struct Box {
    size_t begin, end;  // range of the colour list
    int Range(const std::vector<ColourCount>& cs, int* widest) const
    {
        int best = -1;
        for (int ch = 0; ch < 3; ++ch) {
            int lo = 255, hi = 0;
            for (size_t i = begin; i < end; ++i) {
                const int v = Channel(cs[i].rgb, ch);
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
            if (hi - lo > best) { best = hi - lo; *widest = ch; }
        }
        return best;
    }
};

// Splits the box with the widest channel range at its pixel-weighted median
// until there are `wanted` boxes or none can be split.
std::vector<Box> MedianCut(std::vector<ColourCount>& cs, int wanted)
{
    std::vector<Box> boxes = {{0, cs.size()}};
    while (int(boxes.size()) < wanted) {
        int pick = -1, pickCh = 0, pickRange = 0;
        for (size_t b = 0; b < boxes.size(); ++b) {
            if (boxes[b].end - boxes[b].begin < 2) continue;
            int ch = 0;
            const int r = boxes[b].Range(cs, &ch);
            if (r > pickRange) { pick = int(b); pickCh = ch; pickRange = r; }
        }
        if (pick < 0) break;
        Box box = boxes[size_t(pick)];
        std::sort(cs.begin() + ptrdiff_t(box.begin), cs.begin() + ptrdiff_t(box.end),
                  [&](const ColourCount& a, const ColourCount& b) {
                      const int va = Channel(a.rgb, pickCh), vb = Channel(b.rgb, pickCh);
                      return va != vb ? va < vb : a.rgb < b.rgb;
                  });
        uint64_t total = 0, run = 0;
        for (size_t i = box.begin; i < box.end; ++i) total += cs[i].count;
        size_t cut = box.begin + 1;
        for (size_t i = box.begin; i + 1 < box.end; ++i) {
            run += cs[i].count;
            cut = i + 1;
            if (run * 2 >= total) break;
        }
        boxes[size_t(pick)] = {box.begin, cut};
        boxes.push_back({cut, box.end});
    }
    return boxes;
}

uint32_t BoxMean(const std::vector<ColourCount>& cs, const Box& box)
{
    uint64_t sum[3] = {0, 0, 0}, n = 0;
    for (size_t i = box.begin; i < box.end; ++i) {
        for (int ch = 0; ch < 3; ++ch) sum[ch] += uint64_t(Channel(cs[i].rgb, ch)) * cs[i].count;
        n += cs[i].count;
    }
    uint32_t rgb = 0;
    for (int ch = 0; ch < 3; ++ch) rgb = (rgb << 8) | uint32_t((sum[ch] + n / 2) / n);
    return rgb;
}

int Nearest(const std::vector<uint32_t>& palette, size_t first, uint32_t rgb)
{
    int best = int(first);
    int bestD = 1 << 30;
    for (size_t i = first; i < palette.size(); ++i) {
        int d = 0;
        for (int ch = 0; ch < 3; ++ch) {
            const int e = Channel(palette[i], ch) - Channel(rgb, ch);
            d += e * e;
        }
        if (d < bestD) { bestD = d; best = int(i); }
    }
    return best;
}

}  // namespace

GifPicture GifQuantize(const uint8_t* rgba, int w, int h, int stride, int maxColours, bool transparency)
{
    assert(w >= 1 && h >= 1 && maxColours >= 2 && maxColours <= 256);
    auto opaque = [&](const uint8_t* p) { return !transparency || p[3] >= 128; };
    std::map<uint32_t, uint32_t> histogram;
    for (int y = 0; y < h; ++y) {
        const uint8_t* p = rgba + ptrdiff_t(y) * stride;
        for (int x = 0; x < w; ++x, p += 4)
            if (opaque(p)) ++histogram[(uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2]];
    }
    GifPicture pic;
    pic.W = w;
    pic.H = h;
    const size_t first = transparency ? 1 : 0;
    if (transparency) {
        pic.Palette.push_back(0);
        pic.TransparentIndex = 0;
    }
    std::vector<ColourCount> cs;
    for (const auto& [rgb, n] : histogram) cs.push_back({rgb, n});
    const int room = maxColours - int(first);
    std::map<uint32_t, uint8_t> lookup;
    if (int(cs.size()) <= room) {
        for (const ColourCount& c : cs) {
            lookup[c.rgb] = uint8_t(pic.Palette.size());
            pic.Palette.push_back(c.rgb);
        }
    } else {
        for (const Box& box : MedianCut(cs, room)) pic.Palette.push_back(BoxMean(cs, box));
        for (const ColourCount& c : cs) lookup[c.rgb] = uint8_t(Nearest(pic.Palette, first, c.rgb));
    }
    if (pic.Palette.empty()) pic.Palette.push_back(0);
    pic.Indices.resize(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const uint8_t* p = rgba + ptrdiff_t(y) * stride;
        uint8_t* o = pic.Indices.data() + size_t(y) * size_t(w);
        for (int x = 0; x < w; ++x, p += 4)
            o[x] = opaque(p) ? lookup[(uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2]] : 0;
    }
    return pic;
}
