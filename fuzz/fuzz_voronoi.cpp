// The partition of arbitrary sites: no crash, no write past a cell's limits,
// and the fast triangulation giving what the reference gives.
#include "cutting/voronoi.h"
#include "platform/platform.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    Platform_Reset();
    const int w = 8 + data[0] * 3, h = 8 + data[1] * 3;
    const int fx = data[2] % 30, fy = data[3] % 30;
    const TMyRect field = vMyRectInitRB(fx, fy, fx + w - 1, fy + h - 1);
    std::vector<TVorCell> fast, ref;
    for (size_t i = 4; i + 1 < size && fast.size() < 400; i += 2) {
        TVorCell c;
        c.x = fx + 1 + data[i] * (w - 2) / 256;
        c.y = fy + 1 + data[i + 1] * (h - 2) / 256;
        fast.push_back(c);
    }
    ref = fast;
    const bool okFast = CalculateVoronoiCells(fast, field, TTriangulation::Fast);
    const bool okRef = CalculateVoronoiCells(ref, field, TTriangulation::Reference);
    if (okFast != okRef)
        std::abort();
    for (size_t i = 0; i < fast.size(); ++i) {
        const TVorCell &a = fast[i], &b = ref[i];
        if (a.edgeNum > kCellMaxEdges || a.triNum > kCellMaxTris || a.edgeNum != b.edgeNum || a.triNum != b.triNum)
            std::abort();
        for (int e = 0; e < a.edgeNum; ++e) {
            const TVorEdge &p = a.edges[size_t(e)], &q = b.edges[size_t(e)];
            if (std::memcmp(&p.x1, &q.x1, 4 * sizeof(double)) != 0 || p.nb != q.nb)
                std::abort();
            if (p.nb >= int(fast.size()) || p.x1 < field.L - 1e-6 || p.x1 > field.R + 1e-6 || p.y1 < field.T - 1e-6 ||
                p.y2 > field.B + 1e-6)
                std::abort();
        }
    }
    return 0;
}
