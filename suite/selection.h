// Which benchmarks a suite run includes, and how a run queue ticks them.
#pragma once

#include <span>

namespace suite {

// The six check boxes and the two BLAS precisions.
struct Selections {
    bool memory = true;
    bool stream = true;
    bool md = true;
    bool orbitra = true;
    bool cipher = true;
    bool blas = true;
    bool run_dgemm = true;
    bool run_sgemm = true;

    static Selections none() { return {false, false, false, false, false, false, false, false}; }
    bool operator==(const Selections&) const = default;
};

// The automatic start: everything cleared, then each queued code ticks its boxes (unknown
// codes tick nothing).
Selections selections_for_queue(std::span<const int> queue);

}  // namespace suite
