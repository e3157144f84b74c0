// The draw order must be exactly the exchange sort's, equal layers included:
// the slow procedure is the oracle.
#include "model/play_rules.h"
#include "model/puzzle.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

namespace {

void SetLayers(const std::vector<int32_t>& layers)
{
    JigP.TotalTileNum = int32_t(layers.size());
    CreateJigsBuf(int(layers.size()) + 1);
    for (size_t i = 0; i < layers.size(); ++i)
        Jigs[i].Layer = layers[i];
    Jigs.back().Layer = 0;  // the spare is never sorted
}

std::vector<TSortedJig> Oracle(const std::vector<int32_t>& layers, bool descending)
{
    std::vector<TSortedJig> a;
    for (size_t i = 0; i < layers.size(); ++i)
        a.push_back({layers[i], int32_t(i)});
    SortJigsByExchange(a, descending);
    return a;
}

}  // namespace

TEST(SortJigs, MatchesExchangeSortOnRandomPlayLikeAndExtremeLayers)
{
    // Descending runs (each piece lifted in reverse), one huge group with
    // loose pieces between its members, the extremes of the type, then
    // random layers with many ties.
    std::vector<int32_t> desc, big, extreme;
    for (int i = 0; i < 300; ++i) {
        desc.push_back(299 - i);
        big.push_back(i % 3 == 0 ? i : 7);
        extreme.push_back(i % 4 == 0 ? INT32_MIN : i % 4 == 1 ? INT32_MAX : i % 4 == 2 ? 0 : -1);
    }
    std::vector<std::vector<int32_t>> cases = {desc, big, extreme, {}, {5}};
    std::mt19937 gen(12345);
    for (int round = 0; round < 600; ++round) {
        const int n = int(gen() % 160);
        const int spread = 1 + int(gen() % (round % 3 == 0 ? 4 : round % 3 == 1 ? 40 : 1000));
        std::vector<int32_t>& layers = cases.emplace_back(static_cast<size_t>(n));
        for (int32_t& l : layers)
            l = int32_t(gen() % uint32_t(spread)) - (round % 5 == 0 ? spread / 2 : 0);
    }
    for (size_t k = 0; k < cases.size(); ++k) {
        SetLayers(cases[k]);
        for (int d : {0, 1, 0}) {
            SortJigs(d);
            ASSERT_EQ(SortedJigs, Oracle(cases[k], d)) << "case " << k << " descending " << d;
        }
    }
}

TEST(SortJigs, ChangedLayerIsNotAnsweredFromTheCache)
{
    std::vector<int32_t> layers = {3, 1, 3, 0, 2, 1, 3};
    SetLayers(layers);
    SortJigs(0);
    SortJigs(1);
    Jigs[2].Layer = layers[2] = 1;
    SortJigs(0);
    EXPECT_EQ(SortedJigs, Oracle(layers, false));
    SortedJigs.clear();  // someone scribbled over it: the cache still answers in full
    SortJigs(0);
    EXPECT_EQ(SortedJigs, Oracle(layers, false));
    EXPECT_EQ(SortedJigs.size(), layers.size());
}
