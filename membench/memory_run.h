// One memory benchmark run: bandwidth over a first-level, a second-level and a main-memory
// region with every copy method, then the latency table, each figure logged to the console.
// The tables are module-wide: a run that completes replaces them, a run that fails leaves them
// as they were.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/run_record.h"
#include "membench/bandwidth.h"
#include "membench/latency.h"
#include "membench/random_chase.h"

namespace membench {

inline constexpr int kRegionL1 = 0, kRegionL2 = 1, kRegionMemory = 2;

// The run's sizes: the defaults are the benchmark's; tests inject small ones.
struct MemoryRunSizes {
    std::size_t buffer_bytes = 33554432;  // each of the two copy buffers
    float l1_repetitions = 10000;
    float l2_repetitions = 100;
    float memory_repetitions = 100;
    int memory_block = 16777216;
    LatencyOptions latency;
    // Allocation of the buffers and the chain (16-byte aligned); null = the system's.
    void* (*allocate)(std::size_t bytes) = nullptr;
    // The random chase's largest region; 0: four times the last-level cache.
    std::size_t random_chase_max_bytes = 0;
};

struct MemoryResults {
    std::array<BandwidthRow, 3> bandwidth{};
    float l1_best = 0, l2_best = 0, memory_best = 0;
    LatencyTable latency{};
    std::vector<RandomLatencyRow> random_latency;  // after the table; not scored
};

struct MemoryRunInput {
    float l1_size = 0;            // KB, first-level data cache
    float l2_size = 0;            // KB
    int l2_size_for_latency = 0;  // KB, picks the second-level latency row
    double mhz = 0;               // clock rate for cycles and nanoseconds
    CopyIsa isa;
    MemoryRunSizes sizes;
};

struct MemoryRunOutcome {
    bool ok = false;
    bool interrupted = false;  // the program's interrupt ended the run between two measurements
    std::string error;
    MemoryResults results;
};

// The worker's whole run on the calling thread (the caller pins it). Logs every line, writes
// progress into `record` when given, publishes the tables when it completes.
MemoryRunOutcome run_memory_benchmark(const MemoryRunInput& input, app::RunRecord* record);

// The second-level latency row for an L2 size in KB: 5, 6 or 7 (6 for any other size).
int l2_latency_row(int l2_size_kb);

// The L2 test block in KB for the given cache sizes in KB.
float l2_block_kb(float l1_size, float l2_size);

// The module-wide tables of the last completed run.
MemoryResults memory_results();

// The run record's figures for a completed run (without the caches).
nlohmann::json memory_figures(const MemoryResults& results, double mhz);

}  // namespace membench
