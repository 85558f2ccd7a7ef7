// The latency chain: the chase walks the right indices, the table carries its header and
// region sizes, and a clock rate of 0 gives 0 cycles.
#include "membench/latency.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(MembenchLatency, ChaseFollowsTheChainStepByStep) {
    std::vector<uint32_t> chain(1025);
    for (uint32_t i = 0; i <= 1024; ++i) chain[i] = i + 4;
    EXPECT_EQ(membench::chase_chain(1, 255, chain.data()), 255u * 4);
    EXPECT_EQ(membench::chase_chain(3, 7, chain.data()), 28u);  // every pass starts at 0
    // A permuted chain: the walk must take every link, not a stride shortcut.
    std::vector<uint32_t> perm = {3, 0, 4, 1, 2};  // 0 -> 3 -> 1 -> 0 ...
    EXPECT_EQ(membench::chase_chain(1, 1, perm.data()), 3u);
    EXPECT_EQ(membench::chase_chain(1, 2, perm.data()), 1u);
    EXPECT_EQ(membench::chase_chain(1, 4, perm.data()), 3u);
    EXPECT_EQ(membench::chase_chain(2, 0, perm.data()), 0u);
}

TEST(MembenchLatency, TableHeaderRegionSizesAndZeroClock) {
    membench::LatencyOptions opt;
    opt.rows = 3;
    opt.min_seconds = 1e-5;
    std::vector<uint32_t> chain(membench::chain_entries(opt.rows));
    membench::LatencyTable t{};
    std::vector<int> rows_seen;
    membench::measure_latency(t, 0.0, chain.data(), opt, [&](int r) { rows_seen.push_back(r); });
    const int strides[] = {4, 8, 16, 32, 64, 128, 256, 512};
    for (int j = 1; j <= 8; ++j) EXPECT_EQ(t[0][j], strides[j - 1]);
    EXPECT_EQ(t[1][0], 4096);
    EXPECT_EQ(t[2][0], 8192);
    EXPECT_EQ(t[3][0], 16384);
    EXPECT_EQ(t[4][0], 0);  // not measured
    for (int r = 1; r <= 3; ++r)
        for (int j = 1; j <= 8; ++j) EXPECT_EQ(t[r][j], 0) << r << "," << j;
    EXPECT_EQ(rows_seen, (std::vector<int>{1, 2, 3}));
    // The fill of the last cell (stride 128 entries) is what the chain holds afterwards.
    EXPECT_EQ(chain[0], 128u);
    EXPECT_EQ(chain[4096], 4096u + 128);
}

}  // namespace
