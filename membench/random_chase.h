// Load-to-use latency as a program with scattered data sees it: a pointer chase through one
// random cycle over a region, one dependent load per cache-line-sized element, so neither the
// prefetchers nor a regular stride can hide the latency. Reported beside the stride table; not
// scored.
#pragma once

#include <cstddef>
#include <cstdint>
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
};

// Measures every size (the best of a few timed passes after one warm pass). A size whose
// buffer cannot be had is left out. `mhz` converts to cycles.
std::vector<RandomLatencyRow> measure_random_latency(const std::vector<std::size_t>& sizes,
                                                     double mhz);

nlohmann::json random_latency_json(const std::vector<RandomLatencyRow>& rows);

}  // namespace membench
