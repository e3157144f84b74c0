#include "base/pixel_pack.h"

#include <sys/mman.h>
#include <zlib.h>

#include <algorithm>
#include <climits>

namespace {

bool SizesHold(int w, int h, int bpp)
{
    return w > 0 && h > 0 && bpp > 0 && bpp <= 4 && size_t(w) * size_t(bpp) <= size_t(UINT_MAX);
}

}  // namespace

std::vector<uint8_t> PackPixels(const uint8_t* pixels, int w, int h, int bpp, size_t stride)
{
    if (!pixels || !SizesHold(w, h, bpp) || stride < size_t(w) * size_t(bpp))
        return {};
    const size_t row = size_t(w) * size_t(bpp);
    z_stream z{};
    if (deflateInit2(&z, 1, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    // Deflated into pages of their own, as large as the worst case (only the
    // pages written are ever backed), then copied out at their size: growing
    // a heap block instead would leave the heap of the thread that packs
    // (usually not the main thread's, which malloc_trim does not shrink)
    // holding the outgrown blocks for the rest of the session.
    const size_t bound = size_t(deflateBound(&z, uLong(row * size_t(h))));
    void* area = mmap(nullptr, bound, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED || bound > size_t(UINT_MAX)) {
        if (area != MAP_FAILED)
            munmap(area, bound);
        deflateEnd(&z);
        return {};
    }
    std::vector<uint8_t> filtered(row);
    z.next_out = static_cast<uint8_t*>(area);
    z.avail_out = uInt(bound);
    bool ok = true;
    for (int y = 0; y < h && ok; ++y) {
        const uint8_t* src = pixels + size_t(y) * stride;
        for (size_t i = 0; i < size_t(bpp); ++i)
            filtered[i] = src[i];
        for (size_t i = size_t(bpp); i < row; ++i)
            filtered[i] = uint8_t(src[i] - src[i - size_t(bpp)]);
        z.next_in = filtered.data();
        z.avail_in = uInt(row);
        const int r = deflate(&z, y + 1 == h ? Z_FINISH : Z_NO_FLUSH);
        ok = (y + 1 == h ? r == Z_STREAM_END : r == Z_OK) && z.avail_in == 0;
    }
    std::vector<uint8_t> out;
    if (ok)
        out.assign(static_cast<const uint8_t*>(area), static_cast<const uint8_t*>(area) + z.total_out);
    deflateEnd(&z);
    munmap(area, bound);
    return out;
}

bool UnpackPixels(const std::vector<uint8_t>& packed, uint8_t* out, int w, int h, int bpp)
{
    if (!out || packed.empty() || !SizesHold(w, h, bpp))
        return false;
    const size_t row = size_t(w) * size_t(bpp), total = row * size_t(h);
    z_stream z{};
    if (inflateInit2(&z, 15) != Z_OK)
        return false;
    z.next_in = const_cast<uint8_t*>(packed.data());
    z.avail_in = uInt(packed.size());
    // Inflated in row-sized calls so that totals beyond 4 GB need no care.
    size_t done = 0;
    int r = Z_OK;
    while (done < total && r == Z_OK) {
        const size_t n = std::min(total - done, size_t(1) << 30);
        z.next_out = out + done;
        z.avail_out = uInt(n);
        r = inflate(&z, Z_FINISH);
        done += n - z.avail_out;
        if (r == Z_BUF_ERROR && z.avail_out == 0)
            r = Z_OK;  // more output room wanted: the next chunk
    }
    // Exactly the picture: the stream ends where its last row does.
    uint8_t extra;
    if (r == Z_OK && done == total) {
        z.next_out = &extra;
        z.avail_out = 1;
        r = inflate(&z, Z_FINISH);
        if (z.avail_out == 0)
            r = Z_DATA_ERROR;
    }
    const bool ok = r == Z_STREAM_END && done == total && z.avail_in == 0;
    inflateEnd(&z);
    if (!ok)
        return false;
    for (int y = 0; y < h; ++y) {
        uint8_t* p = out + size_t(y) * row;
        for (size_t i = size_t(bpp); i < row; ++i)
            p[i] = uint8_t(p[i] + p[i - size_t(bpp)]);
    }
    return true;
}
