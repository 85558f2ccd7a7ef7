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
        EXPECT_EQ(b.bar.height, 15);
        EXPECT_EQ(b.bar.y, row.index * 16);
    }
    EXPECT_EQ(find(bars, membench::kAreaBandwidthL1).bar.ramp.start, (app::Rgb{51, 0, 0}));
    EXPECT_EQ(find(bars, membench::kAreaLatencyL2).bar.ramp.start, (app::Rgb{0, 31, 31}));
    EXPECT_EQ(find(bars, membench::kAreaLatencyL2).bar.ramp.full, (app::Rgb{0, 155, 155}));
    EXPECT_EQ(find(bars, membench::kAreaLatencyMemory).bar.ramp.full, (app::Rgb{0, 0, 255}));
    // No clock rate: nanoseconds read zero rather than dividing by it.
    EXPECT_EQ(membench::latency_text(7, 0.0, 4), "7 cycles / 0.00 ns / 4 byte stride");
    EXPECT_EQ(membench::bandwidth_text(NAN), "No result.");
}

TEST(MemoryGraph, MethodBarsFollowTheSelectedRegion) {
    const auto l1 = membench::method_bars(fixed_results(), 0);
    ASSERT_EQ(l1.size(), 10u);
    struct Row {
        int slot, length;
        const char* text;
    } rows[] = {
        {0, 68, "1000.00 MB/s"},  // 1000 / 4000 x 275 = 68.75
        {1, 275, "4000.00 MB/s"},
        {2, 0, "Selection not supported."},
        {3, 0, "Kernel not supported in L1/L2 region."},
        {4, 0, "No result."},
        {5, 137, "2000.00 MB/s"},
        {6, 0, "No result."},
    };
    for (const Row& row : rows) {
        const auto& b = l1[static_cast<std::size_t>(row.slot)].bar;
        EXPECT_EQ(b.length, row.length) << row.slot;
        EXPECT_EQ(b.text, row.text);
        EXPECT_EQ(b.y, row.slot * 24);
        EXPECT_EQ(b.height, 17);
        EXPECT_EQ(b.ramp, (app::BarRamp{{51, 0, 0}, {255, 0, 0}}));
    }
    const auto l2 = membench::method_bars(fixed_results(), 1);
    EXPECT_EQ(l2[0].bar.length, 275);
    EXPECT_EQ(l2[0].bar.ramp, (app::BarRamp{{0, 51, 0}, {0, 255, 0}}));
    // Nothing positive in the memory row: no bar anywhere, no division by zero.
    for (const MemoryBar& b : membench::method_bars(fixed_results(), 2)) {
        EXPECT_EQ(b.bar.length, 0);
        EXPECT_EQ(b.bar.ramp.full, (app::Rgb{0, 0, 255}));
    }
    EXPECT_EQ(membench::cache_text(""), "Not detected");
    EXPECT_EQ(membench::cache_text("8-way"), "8-way");
}

TEST(GradientBar, LengthsAndRampsAtTheirEnds) {
    EXPECT_EQ(app::scaled_bar_length(6000, 6000, 315), 315);
    EXPECT_EQ(app::scaled_bar_length(5999, 6000, 315), 314);
    EXPECT_EQ(app::scaled_bar_length(1e300, 1e-300, 315), 315);
    EXPECT_EQ(app::scaled_bar_length(INFINITY, 1, 315), 315);
    EXPECT_EQ(app::scaled_bar_length(100, 0, 315), 0);
    EXPECT_EQ(app::scaled_bar_length(NAN, 10, 315), 0);
    const app::BarRamp teal = app::ramp_from_fifth({0, 155, 155});
    EXPECT_EQ(teal.at(0), (app::Rgb{0, 31, 31}));
    EXPECT_EQ(teal.at(100), (app::Rgb{0, 131, 131}));
    EXPECT_EQ(teal.at(124), (app::Rgb{0, 155, 155}));
    EXPECT_EQ(teal.at(300), (app::Rgb{0, 155, 155}));
}

}  // namespace

TEST(MemoryGraph, RandomLatencyTableListsEveryRegionInKilobytes) {
    const nlohmann::json rows = {{{"bytes", 16384}, {"ns", 0.987}, {"cycles", 2.56}},
                                 {{"bytes", 8388608}, {"ns", 299.744}, {"cycles", 778.21}}};
    EXPECT_EQ(membench::random_latency_text(rows),
              "Random access latency"
              "\n      16 KB      0.99 ns      2.6 cycles"
              "\n    8192 KB    299.74 ns    778.2 cycles");
    EXPECT_EQ(membench::random_latency_text(nlohmann::json()), "");
    EXPECT_EQ(membench::random_latency_text(nlohmann::json::array()), "");
}
