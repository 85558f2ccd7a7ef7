// The latency measurement: load-to-use latency in processor cycles for region sizes from 4 KB
// to 16 MB and strides from 4 to 512 bytes, by chasing a chain of dependent 32-bit indices.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace membench {

inline constexpr int kLatencyRows = 14;
inline constexpr int kLatencyColumns = 9;
// 16 MB of 32-bit entries plus one.
inline constexpr std::size_t kChainEntries = 4194305;

using LatencyTable = std::array<std::array<int32_t, kLatencyColumns>, kLatencyRows>;

// The chase kernel: `passes` passes from index 0, each `steps` dependent loads
// (index = chain[index]). Returns the index the last pass ended on.
uint32_t chase_chain(long passes, long steps, const uint32_t* chain);

struct LatencyOptions {
    int rows = 13;              // region rows measured (row r covers 4 KB x 2^(r-1))
    double min_seconds = 0.03;  // attempts shorter than this are discarded
};

// Entries needed for `rows` rows (1024 x 2^(rows-1) plus one).
std::size_t chain_entries(int rows);

// Fills the header row and rows 1..options.rows of `table` using `chain` (at least
// chain_entries(options.rows) entries). `progress`, when given, is called with each row.
void measure_latency(LatencyTable& table, double mhz, uint32_t* chain,
                     const LatencyOptions& options = {},
                     const std::function<void(int row)>& progress = {});

// Cycles to nanoseconds at `mhz` (0 when the clock rate is unknown).
double cycles_to_ns(int cycles, double mhz);

}  // namespace membench
