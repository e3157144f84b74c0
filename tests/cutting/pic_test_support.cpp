#include "cutting/pic_test_support.h"

#include "cutting/emf_records.h"

namespace {

void Put32(std::vector<uint8_t>& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

}  // namespace

Emf::Emf(int w, int h)
{
    Record(kEmrHeader, {0, 0, uint32_t(w), uint32_t(h), 0, 0, 100, 100, 0x464D4520u, 0x10000u, 0, 0, 0, 0, 0, 0,
                        0, 0, 0, 0});
}

Emf& Emf::Record(uint32_t type, const std::vector<uint32_t>& body)
{
    Put32(bytes, type);
    Put32(bytes, uint32_t(8 + 4 * body.size()));
    for (uint32_t v : body)
        Put32(bytes, v);
    return *this;
}

Emf& Emf::Poly(uint32_t type, const std::vector<Pt>& pts, bool b16)
{
    std::vector<uint32_t> body{0, 0, 0, 0, uint32_t(pts.size())};
    if (b16) {
        for (const Pt& p : pts)
            body.push_back((uint32_t(p.x) & 0xFFFF) | uint32_t(p.y) << 16);
        return Record(type + 83, body);
    }
    for (const Pt& p : pts) {
        body.push_back(uint32_t(p.x));
        body.push_back(uint32_t(p.y));
    }
    return Record(type, body);
}

std::vector<uint8_t> PicDataFile(const std::vector<PicEntry>& entries)
{
    std::vector<uint8_t> out{'T', 'E', 'S', 'T', 'P', 'I', 'C', 'S'};
    Put32(out, uint32_t(entries.size()));
    out.resize(out.size() + 40 * entries.size(), 0);
    for (size_t i = 0; i < entries.size(); ++i) {
        const size_t e = 12 + 40 * i;
        EmfPutI32(&out[e], int32_t(out.size()));
        EmfPutI32(&out[e + 4], int32_t(entries[i].emf.size()));
        EmfPutI32(&out[e + 8], entries[i].w);
        EmfPutI32(&out[e + 12], entries[i].h);
        out[e + 32] = entries[i].mirrorTB;
        out[e + 33] = entries[i].mirrorLR;
        out.insert(out.end(), entries[i].emf.begin(), entries[i].emf.end());
    }
    return out;
}

std::vector<uint8_t> SquareEmf(int w, bool b16)
{
    return Emf(w, w).Poly(kEmrPolygon, {{0, 0}, {w, 0}, {w, w}, {0, w}}, b16).Record(kEmrEof, {0, 16, 20}).bytes;
}

std::string CheckPieceOwnership(const OMyImage& masks, const std::vector<TJig>& jigs, int count, bool tight)
{
    std::vector<int> area(size_t(count), 0);
    std::vector<TMyRect> extent(static_cast<size_t>(count));
    std::vector<std::vector<int>> byCode(256);
    for (int i = 0; i < count; ++i)
        byCode[jigs[size_t(i)].MaskColor].push_back(i);
    for (int y = 0; y < masks.H; ++y)
        for (int x = 0; x < masks.W; ++x) {
            const uint32_t v = MyImageGetPixel(masks, x, y);
            if (v == 0xFFFFFF)
                return StrFormat("white pixel at %d,%d", x, y);
            int owners = 0, owner = -1;
            for (int i : byCode[(v >> 16) & 0xFF]) {
                const TJig& j = jigs[size_t(i)];
                if (v == MaskCodeColor(j.MaskColor) && x >= j.HomeX && x < j.HomeX + j.W && y >= j.HomeY &&
                    y < j.HomeY + j.H)
                    ++owners, owner = i;
            }
            if (owners != 1)
                return StrFormat("pixel %d,%d lies in %d boxes of its code", x, y, owners);
            ++area[size_t(owner)];
            MyRectIncScope(extent[size_t(owner)], x, y, x, y);
        }
    for (int i = 0; i < count; ++i) {
        if (area[size_t(i)] == 0)
            return StrFormat("piece %d has no pixel", i);
        const TJig& j = jigs[size_t(i)];
        if (tight && !(extent[size_t(i)] == vMyRectInitWH(j.HomeX, j.HomeY, j.W, j.H)))
            return StrFormat("piece %d: its box is not the extent of its pixels", i);
    }
    return {};
}
