// The draw order. SortedJigs is defined as the order the exchange sort leaves
// (see SortJigsByExchange): other code walks it for groups and draws from it,
// and saved games and tests expect the very same order of equal layers. The
// exchange sort is quadratic and runs several times per gesture, so SortJigs
// computes its result directly.
//
// Why the direct computation is exact (ascending; descending swaps "smaller"
// for "greater"):
//  1. The pass at position i carries an element rightwards and swaps it for
//     every strictly smaller one met; pieces larger than a layer v never
//     change how the pieces of layers <= v are ordered among themselves.
//     So the order of the pieces of layer v is the order that the exchange
//     sort gives on the subsequence of pieces with layer <= v, where v is
//     the largest layer.
//  2. On such a subsequence the pieces of layer v move only when one of them
//     is the carried element: it then jumps over the run of v's that follows
//     it and takes the place of the first smaller piece. Written as a queue:
//     walking the subsequence in index order, a piece of layer v is pushed at
//     the back, and each smaller piece met after the first v rotates the
//     queue by one (front to back). The final queue is the order of layer v.
// The rotation count between two pieces of layer v is the number of smaller
// pieces between them, read from a Fenwick tree that holds the positions of
// every layer already placed. The whole sort is O(n log n), plus the queue
// rotations (each at most the queue's length).
#include "model/play_rules.h"
#include "model/rules_internal.h"

#include <algorithm>
#include <cstring>

namespace {

struct TSortCache {
    bool bValid[2] = {false, false};       // per direction: 0 ascending, 1 descending
    std::vector<int32_t> arLayers[2];      // the layers (by piece index) sorted last
    std::vector<TSortedJig> arResult[2];   // and the order they gave
};

struct TSortScratch {
    std::vector<int32_t> arLayers;     // layers of the pieces in play, by index
    std::vector<uint64_t> arOrder;     // (biased key << 32) | index, sorted
    std::vector<int32_t> arCount;      // counting-sort buckets
    std::vector<int32_t> arTree;       // Fenwick tree over piece indices, 1-based
    std::vector<int32_t> arQueue;      // the queue of one layer (grows by rotations)
    std::vector<int32_t> arBefore;     // smaller pieces before each piece of one layer
};

// Per run: what the last sorts gave, and buffers kept between calls.
struct TSortState {
    TSortCache cache;
    TSortScratch scratch;
};
TSortState g_sort;

// The sort key: layers ascending, or negated for the descending order.
inline int64_t KeyOf(int32_t layer, bool descending) { return descending ? -int64_t(layer) : int64_t(layer); }

// arOrder := (key, index) pairs of the n pieces sorted by key, then index.
void OrderByKey(TSortScratch& s, int n, bool descending)
{
    s.arOrder.resize(size_t(n));
    int64_t lo = 0, hi = 0;
    for (int i = 0; i < n; ++i) {
        const int64_t k = KeyOf(s.arLayers[size_t(i)], descending);
        lo = i == 0 ? k : std::min(lo, k);
        hi = i == 0 ? k : std::max(hi, k);
    }
    const int64_t range = hi - lo + 1;
    if (n > 0 && range <= int64_t(n) * 4 + 64) {
        // Dense layers (the usual case): a counting sort keeps indices ascending.
        s.arCount.assign(size_t(range) + 1, 0);
        for (int i = 0; i < n; ++i)
            ++s.arCount[size_t(KeyOf(s.arLayers[size_t(i)], descending) - lo) + 1];
        for (size_t b = 1; b < s.arCount.size(); ++b)
            s.arCount[b] += s.arCount[b - 1];
        for (int i = 0; i < n; ++i) {
            const uint64_t k = uint64_t(KeyOf(s.arLayers[size_t(i)], descending) - lo);
            s.arOrder[size_t(s.arCount[size_t(k)]++)] = (k << 32) | uint32_t(i);
        }
        return;
    }
    for (int i = 0; i < n; ++i)
        s.arOrder[size_t(i)] = (uint64_t(KeyOf(s.arLayers[size_t(i)], descending) - lo) << 32) | uint32_t(i);
    std::sort(s.arOrder.begin(), s.arOrder.end());
}

void TreeAdd(std::vector<int32_t>& tree, int pos)
{
    for (size_t i = size_t(pos) + 1; i < tree.size(); i += i & (~i + 1))
        ++tree[i];
}

// Entries of the tree at positions < pos.
int TreeCountBefore(const std::vector<int32_t>& tree, int pos)
{
    int sum = 0;
    for (size_t i = size_t(pos); i > 0; i -= i & (~i + 1))
        sum += tree[i];
    return sum;
}

// Appends the pieces of one layer (arOrder[first..last), indices ascending) to
// out in exchange-sort order; `placed` pieces of smaller keys are in the tree.
void EmitLayer(TSortScratch& s, size_t first, size_t last, int placed, std::vector<TSortedJig>& out)
{
    const int32_t layer = s.arLayers[size_t(uint32_t(s.arOrder[first]))];
    const size_t k = last - first;
    if (k == 1) {
        out.push_back({layer, int32_t(uint32_t(s.arOrder[first]))});
        return;
    }
    s.arBefore.resize(k);
    for (size_t t = 0; t < k; ++t)
        s.arBefore[t] = TreeCountBefore(s.arTree, int(uint32_t(s.arOrder[first + t])));
    s.arQueue.clear();
    size_t head = 0;
    for (size_t t = 0; t < k; ++t) {
        s.arQueue.push_back(int32_t(uint32_t(s.arOrder[first + t])));
        const int between = (t + 1 < k ? s.arBefore[t + 1] : placed) - s.arBefore[t];
        const size_t size = s.arQueue.size() - head;
        for (size_t r = size_t(between) % size; r > 0; --r) {
            const int32_t front = s.arQueue[head++];
            s.arQueue.push_back(front);
        }
    }
    for (size_t q = head; q < s.arQueue.size(); ++q)
        out.push_back({layer, s.arQueue[q]});
}

void SortFast(TSortScratch& s, int n, bool descending, std::vector<TSortedJig>& out)
{
    OrderByKey(s, n, descending);
    s.arTree.assign(size_t(n) + 1, 0);
    out.clear();
    out.reserve(size_t(n));
    int placed = 0;
    for (size_t first = 0; first < size_t(n);) {
        size_t last = first + 1;
        while (last < size_t(n) && (s.arOrder[last] >> 32) == (s.arOrder[first] >> 32))
            ++last;
        EmitLayer(s, first, last, placed, out);
        for (size_t t = first; t < last; ++t)
            TreeAdd(s.arTree, int(uint32_t(s.arOrder[t])));
        placed += int(last - first);
        first = last;
    }
}

}  // namespace

void SortJigsCache_Reset() { g_sort = TSortState{}; }

int JigsInPlay() { return int(std::min<size_t>(size_t(std::max(JigP.TotalTileNum, 0)), Jigs.size())); }

int FrameJig() { return JigP.BorderStyle == 1 && JigsInPlay() > 0 ? JigsInPlay() - 1 : -1; }

void SortJigsByExchange(std::vector<TSortedJig>& a, bool descending)
{
    const size_t n = a.size();
    for (size_t i = 0; i + 1 < n; ++i)
        for (size_t j = i + 1; j < n; ++j)
            if (descending ? a[i].Layer < a[j].Layer : a[i].Layer > a[j].Layer)
                std::swap(a[i], a[j]);
}

void SortJigs(int descending)
{
    const int n = JigsInPlay();
    const int d = descending ? 1 : 0;
    TSortScratch& s = g_sort.scratch;
    TSortCache& c = g_sort.cache;
    s.arLayers.resize(size_t(n));
    for (int i = 0; i < n; ++i)
        s.arLayers[size_t(i)] = JigAt(i).Layer;
    if (c.bValid[d] && c.arLayers[d].size() == size_t(n) &&
        (n == 0 || std::memcmp(c.arLayers[d].data(), s.arLayers.data(), size_t(n) * sizeof(int32_t)) == 0)) {
        SortedJigs = c.arResult[d];
        return;
    }
    SortFast(s, n, d != 0, SortedJigs);
    c.arLayers[d] = s.arLayers;
    c.arResult[d] = SortedJigs;
    c.bValid[d] = true;
}
