// Load-to-use latency as a program with scattered data sees it: a pointer chase through one
// random cycle over a region, one dependent load per cache-line-sized element, so neither the
// prefetchers nor a regular stride can hide the latency. Reported beside the stride table; not
// scored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace membench {

// One element per cache line; `next` is the only field the chase reads.
struct alignas(64) ChaseElement {
    ChaseElement* next;
    char pad[64 - sizeof(void*)];
};
static_assert(sizeof(ChaseElement) == 64);

inline constexpr std::size_t kRandomChaseMinBytes = 16 * 1024;

// Links `count` elements into a single cycle in random order (Sattolo's shuffle, so every
// element is on the one cycle), reproducible for a seed.
void build_random_cycle(ChaseElement* elements, std::size_t count, std::uint64_t seed);

// Follows `loads` links from `start`; returns where it ended (so the loads cannot be dropped).
ChaseElement* chase(ChaseElement* start, std::size_t loads);

// The region sizes: 16 KiB doubling below four times `llc_bytes`, then that size itself (at
// least 16 KiB).
std::vector<std::size_t> random_chase_sizes(std::size_t llc_bytes);

// The last-level cache of the first processor from sysfs (or sysconf); 0 when unknown.
std::size_t last_level_cache_bytes();

struct RandomLatencyRow {
    std::size_t bytes = 0;
    double ns = 0;      // per load
    double cycles = 0;  // at the core clock
    // How far the slowest timed pass lay above the fastest, in percent of the fastest: a
    // last-level cache shared with other programs or guests shows as a wide spread.
    double spread_percent = 0;
    std::size_t page_bytes = 0;  // the page size that backed the region (0: unknown)
};

// Spreads above this many percent mark a figure as unsteady.
inline constexpr double kUnsteadySpreadPercent = 10.0;
bool unsteady(const RandomLatencyRow& row);

// (slowest - fastest) / fastest of a pass's repeats, in percent (0 for fewer than two).
double spread_percent(const std::vector<double>& ns);

// The page size backing most of [begin, begin + length) in a /proc/self/smaps text: the
// transparent huge page size when huge pages hold at least half of the resident bytes of the
// mappings the range touches, otherwise their KernelPageSize; 0 when no mapping touches it.
std::size_t page_size_in_smaps(const std::string& smaps, std::uintptr_t begin, std::size_t length);

// Measures every size (the best of a few timed passes after one warm pass). The region is
// asked for in transparent huge pages where the system allows them, so the chase measures the
// memory level rather than address translation missing the TLB; the row tells which page size
// was in force. A size whose buffer cannot be had is left out. `mhz` converts to cycles.
std::vector<RandomLatencyRow> measure_random_latency(const std::vector<std::size_t>& sizes,
                                                     double mhz);

nlohmann::json random_latency_json(const std::vector<RandomLatencyRow>& rows);

}  // namespace membench
