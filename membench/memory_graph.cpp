#include "membench/memory_graph.h"

#include <algorithm>
#include <cmath>

#include "app/format.h"

namespace membench {
namespace {

constexpr app::BarRamp kRed = app::ramp_from_fifth({255, 0, 0});
constexpr app::BarRamp kTeal = app::ramp_from_fifth({0, 155, 155});
constexpr app::BarRamp kBlue = app::ramp_from_fifth({0, 0, 255});
constexpr std::array<app::BarRamp, 3> kMethodRamps = {app::ramp_from_fifth({255, 0, 0}),
                                                      app::ramp_from_fifth({0, 255, 0}),
                                                      app::ramp_from_fifth({0, 0, 255})};

// Full-length reference figures of the region bars.
constexpr double kL1BandwidthScale = 30000, kL2BandwidthScale = 9000, kMemoryBandwidthScale = 6000;
constexpr double kL1LatencyScale = 10, kL2LatencyScale = 40, kMemoryLatencyScale = 500;

// Latency columns of the five stride bars and their strides.
constexpr std::array<int, 5> kStrideColumns = {1, 3, 5, 7, 8};
constexpr std::array<int, 5> kStrides = {4, 16, 64, 256, 512};
constexpr int kL1LatencyRow = 1, kL1LatencyColumn = 4, kL1LatencyStride = 32;
constexpr int kMemoryLatencyRow = 13;

MemoryBar region_bar(int area, int y, double value, double scale, const app::BarRamp& ramp,
                     std::string text) {
    MemoryBar b;
    b.area = area;
    b.bar.y = y;
    b.bar.length = app::scaled_bar_length(value, scale, kRegionBarMax);
    b.bar.height = kRegionBarHeight;
    b.bar.ramp = ramp;
    b.bar.text = std::move(text);
    return b;
}

MemoryBar latency_bar(int area, int y, int cycles, double scale, const app::BarRamp& ramp,
                      double mhz, int stride) {
    return region_bar(area, y, cycles, scale, ramp, latency_text(cycles, mhz, stride));
}

}  // namespace

std::string bandwidth_text(double mbs) {
    if (!std::isfinite(mbs) || mbs < 0) return "No result.";
    return app::strprintf("%.2f MB/s", mbs);
}

std::string method_text(float mbs) {
    if (std::isfinite(mbs) && mbs > 0) return app::strprintf("%.2f MB/s", double(mbs));
    if (mbs == kIsaNotSupported) return "Selection not supported.";
    if (mbs == 0) return "Kernel not supported in L1/L2 region.";
    return "No result.";
}

std::string latency_text(int cycles, double mhz, int stride) {
    if (cycles < 0) return "No result.";
    return app::strprintf("%d cycles / %.2f ns / %d byte stride", cycles, cycles_to_ns(cycles, mhz),
                          stride);
}

std::vector<MemoryBar> region_bars(const MemoryResults& r, int l2_row, double mhz,
                                   int latency_step) {
    std::vector<MemoryBar> bars;
    bars.push_back(region_bar(kAreaBandwidthL1, 0, r.l1_best, kL1BandwidthScale, kRed,
                              bandwidth_text(r.l1_best)));
    bars.push_back(region_bar(kAreaBandwidthL2, 0, r.l2_best, kL2BandwidthScale, kTeal,
                              bandwidth_text(r.l2_best)));
    bars.push_back(region_bar(kAreaBandwidthMemory, 0, r.memory_best, kMemoryBandwidthScale, kBlue,
                              bandwidth_text(r.memory_best)));
    bars.push_back(latency_bar(kAreaLatencyL1, 0, r.latency[kL1LatencyRow][kL1LatencyColumn],
                               kL1LatencyScale, kRed, mhz, kL1LatencyStride));
    const int row = std::clamp(l2_row, 0, kLatencyRows - 1);
    for (std::size_t i = 0; i < kStrideColumns.size(); ++i) {
        const int y = static_cast<int>(i) * latency_step;
        bars.push_back(latency_bar(kAreaLatencyL2, y, r.latency[row][kStrideColumns[i]],
                                   kL2LatencyScale, kTeal, mhz, kStrides[i]));
        bars.push_back(latency_bar(kAreaLatencyMemory, y,
                                   r.latency[kMemoryLatencyRow][kStrideColumns[i]],
                                   kMemoryLatencyScale, kBlue, mhz, kStrides[i]));
    }
    return bars;
}

std::vector<MemoryBar> method_bars(const MemoryResults& r, int selection, int step) {
    const int region = std::clamp(selection, 0, 2);
    const BandwidthRow& row = r.bandwidth[static_cast<std::size_t>(region)];
    double largest = 0;
    for (float v : row)
        if (std::isfinite(v)) largest = std::max(largest, double(v));
    std::vector<MemoryBar> bars;
    for (int slot = 0; slot < kMethodCount; ++slot) {
        const float v = row[static_cast<std::size_t>(slot)];
        MemoryBar b;
        b.area = kAreaMethods;
        b.bar.y = slot * step;
        b.bar.length = app::scaled_bar_length(v, largest, kMethodBarMax);
        b.bar.height = kMethodBarHeight;
        b.bar.ramp = kMethodRamps[static_cast<std::size_t>(region)];
        b.bar.text = method_text(v);
        bars.push_back(b);
    }
    return bars;
}

std::string cache_text(const std::string& detected) {
    return detected.empty() ? "Not detected" : detected;
}

std::string random_latency_text(const nlohmann::json& rows) {
    if (!rows.is_array() || rows.empty()) return {};
    std::string out = "Random access latency";
    long long page_bytes = 0;  // the largest region's: the last row that tells
    for (const nlohmann::json& r : rows) {
        if (!r.is_object() || !r.contains("bytes") || !r["bytes"].is_number_integer()) continue;
        const long long bytes = r["bytes"].get<long long>();
        if (bytes < 0) continue;
        const double ns = r.value("ns", 0.0), cycles = r.value("cycles", 0.0);
        out += app::strprintf("\n%8lld KB %9.2f ns %8.1f cycles", bytes / 1024, ns, cycles);
        // The two later fields are read only when they have their own types.
        const auto unsteady = r.find("unsteady"), spread = r.find("spread_percent");
        if (unsteady != r.end() && unsteady->is_boolean() && unsteady->get<bool>() &&
            spread != r.end() && spread->is_number())
            out += app::strprintf("  unsteady: repeats spread %.0f%%", spread->get<double>());
        const auto page = r.find("page_bytes");
        if (page != r.end() && page->is_number_integer()) page_bytes = page->get<long long>();
    }
    if (page_bytes > 0) out += app::strprintf("\nPage size %lld KB", page_bytes / 1024);
    return out;
}

}  // namespace membench
