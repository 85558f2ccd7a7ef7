// Which benchmarks a suite run includes, and how a run queue ticks them.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "app/benchmarks.h"

namespace suite {

// The check boxes (one per sub-score) and, within a box, which of its benchmarks run (the two
// BLAS precisions). A benchmark runs when its box is ticked and its own flag is set.
struct Selections {
    std::array<bool, app::kScoreGroupCount> box;
    std::array<bool, app::kBenchmarkCount> runs;

    Selections() {
        box.fill(true);
        runs.fill(true);
    }
    static Selections none() {
        Selections s;
        s.box.fill(false);
        s.runs.fill(false);
        return s;
    }
    bool operator==(const Selections&) const = default;

    // The box of a sub-score key ("md", "blas", ...).
    bool& of(std::string_view score_key) { return box[app::index_of_score(score_key)]; }
    bool of(std::string_view score_key) const { return box[app::index_of_score(score_key)]; }
    // Whether a benchmark of the table runs in a suite run.
    bool selected(const app::BenchmarkInfo& b) const;
    bool runs_code(int code) const;
};

// The automatic start: everything cleared, then each queued code ticks its box and its own
// flag (unknown codes tick nothing; "all" ticks everything).
Selections selections_for_queue(std::span<const int> queue);

}  // namespace suite
