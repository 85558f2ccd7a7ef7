// The Memory Benchmarks dialog's bars from fixed result tables: lengths against their scales,
// the cut at full length, the region colours and the texts of slots that hold no figure.
#include "membench/memory_graph.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using membench::MemoryBar;

membench::MemoryResults fixed_results() {
    membench::MemoryResults r;
    r.l1_best = 15000;    // half of 30000: trunc(157.5)
    r.l2_best = 18000;    // twice its scale: cut at 315
    r.memory_best = 0;    // a failed region: no bar, the true figure
    r.latency[1][4] = 5;  // L1: 5 / 10 x 315 = 157
    const int strides[] = {1, 3, 5, 7, 8};
    for (int i = 0; i < 5; ++i) {
        r.latency[6][strides[i]] = 20 * (i + 1);  // 20, 40 (cut), ...
        r.latency[13][strides[i]] = 100 * (i + 1);
    }
    r.latency[13][8] = -3;  // a broken cell
    r.bandwidth[0] = {1000, 4000, -1, 0, NAN, 2000, -5};
    r.bandwidth[1] = {900, 900};
    return r;
}

const MemoryBar& find(const std::vector<MemoryBar>& bars, int area, int index = 0) {
    for (const MemoryBar& b : bars)
        if (b.area == area && index-- == 0) return b;
    static MemoryBar none;
    ADD_FAILURE() << "no bar in area " << area;
    return none;
}

TEST(MemoryGraph, RegionBarsScaleCutAndSayWhatTheyShow) {
    const auto bars = membench::region_bars(fixed_results(), 6, 2000.0);
    ASSERT_EQ(bars.size(), 14u);
    struct Row {
        int area, index, length;
        const char* text;
    } rows[] = {
        {membench::kAreaBandwidthL1, 0, 157, "15000.00 MB/s"},
        {membench::kAreaBandwidthL2, 0, 315, "18000.00 MB/s"},
        {membench::kAreaBandwidthMemory, 0, 0, "0.00 MB/s"},
        {membench::kAreaLatencyL1, 0, 157, "5 cycles / 2.50 ns / 32 byte stride"},
        {membench::kAreaLatencyL2, 0, 157, "20 cycles / 10.00 ns / 4 byte stride"},
        {membench::kAreaLatencyL2, 1, 315, "40 cycles / 20.00 ns / 16 byte stride"},
        {membench::kAreaLatencyL2, 4, 315, "100 cycles / 50.00 ns / 512 byte stride"},
        {membench::kAreaLatencyMemory, 0, 63, "100 cycles / 50.00 ns / 4 byte stride"},
        {membench::kAreaLatencyMemory, 4, 0, "No result."},
    };
    for (const Row& row : rows) {
        const MemoryBar& b = find(bars, row.area, row.index);
        EXPECT_EQ(b.bar.length, row.length) << row.text;
        EXPECT_EQ(b.bar.text, row.text);
        EXPECT_EQ(b.bar.y, row.index * 16);
    }
    // Each kind of area keeps its own colour.
    EXPECT_EQ(find(bars, membench::kAreaLatencyL2).bar.ramp.full, (app::Rgb{0, 155, 155}));
    EXPECT_EQ(find(bars, membench::kAreaLatencyMemory).bar.ramp.full, (app::Rgb{0, 0, 255}));
    // No clock rate: nanoseconds read zero rather than dividing by it.
    EXPECT_EQ(membench::latency_text(7, 0.0, 4), "7 cycles / 0.00 ns / 4 byte stride");
    EXPECT_EQ(membench::bandwidth_text(NAN), "No result.");
}

}  // namespace
