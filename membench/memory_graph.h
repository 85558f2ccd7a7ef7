// The figures of the Memory Benchmarks dialog's bars as plain functions, so the window only
// paints them: which bar goes in which area, its length, colour and value text.
#pragma once

#include <array>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/gradient_bar.h"
#include "membench/memory_run.h"

namespace membench {

// The drawing areas, each to the right of its row label.
enum MemoryArea : int {
    kAreaBandwidthL1,
    kAreaBandwidthL2,
    kAreaBandwidthMemory,
    kAreaLatencyL1,
    kAreaLatencyL2,
    kAreaLatencyMemory,
    kAreaMethods,
    kMemoryAreaCount
};

inline constexpr int kRegionBarMax = 315;  // bandwidth and latency bars
inline constexpr int kRegionBarHeight = 15;
inline constexpr int kLatencyBarStep = 16;
inline constexpr int kMethodBarMax = 275;
inline constexpr int kMethodBarHeight = 17;
inline constexpr int kMethodBarStep = 24;

// Row labels of the "Algorithm Bandwidth" box, top to bottom (the last four are empty).
inline constexpr std::array<const char*, kMethodSlots> kMethodNames = {
    "Compiler",
    "REP MOVSD",
    "REP MOVSQ",
    "ALU Reg Copy",
    "SSE PAlign",
    "SSE PAlign SSE",
    "SSE PUnAlign",
    "SSE PUnAlign SSE",
    "SSE2 PAlign",
    "SSE2 PAlign SSE",
    "",
    "",
    "",
    "",
};

// The radio buttons' regions, in their order.
inline constexpr std::array<const char*, 3> kRegionChoices = {"L1 Bandwidth", "L2 Bandwidth",
                                                              "Memory Bandwidth"};

struct MemoryBar {
    int area = 0;
    app::GradientBar bar;  // y relative to the area's first bar
};

// "%.2f MB/s"; a figure that is negative or not a number says so instead.
std::string bandwidth_text(double mbs);
// A method slot: "%.2f MB/s" when positive, "Selection not supported." for -1 (the processor
// lacks the instructions), "Kernel not supported in L1/L2 region." for 0, "No result." for
// anything else (a kernel that failed).
std::string method_text(float mbs);
// "%d cycles / %.2f ns / %d byte stride"; nanoseconds from the same cell.
std::string latency_text(int cycles, double mhz, int stride);

// The bandwidth and latency bars (areas 0 to 5). `l2_row` is the second-level latency row.
// `latency_step` is the distance between the five stride bars (wider for large fonts).
std::vector<MemoryBar> region_bars(const MemoryResults& r, int l2_row, double mhz,
                                   int latency_step = kLatencyBarStep);
// The ten method bars of region `selection` (0 L1, 1 L2, 2 memory), in the region's colour,
// scaled to the largest of the row's fourteen slots.
std::vector<MemoryBar> method_bars(const MemoryResults& r, int selection,
                                   int step = kMethodBarStep);

// A cache text of the detection, or a word that says it found nothing.
std::string cache_text(const std::string& detected);

// The dialog's small table of the random chase (a run record's "random_latency" figure): a
// heading and one "%8lld KB %9.2f ns %8.1f cycles" row per region (an unsteady row followed
// by its spread), then the page size that backed the chase when known; empty without rows.
std::string random_latency_text(const nlohmann::json& rows);

}  // namespace membench
