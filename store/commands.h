// What lumetra2-cli does with the results store: record the results file a run just wrote,
// --import results files, --history with its regression flags.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "store/results_store.h"

namespace store {

// A sub-score more than this much (percent) below the median of the host's earlier runs is
// flagged, or more than its measured spread when that is wider.
inline constexpr double kRegressionPercent = 5.0;

struct Regression {
    std::int64_t run_id = 0;
    std::string host, subscore;
    double value = 0, earlier_median = 0, drop_percent = 0;
};

// For each host's newest run in `rows` (newest first), the sub-scores that dropped against
// that host's earlier runs on the same inputs (the same decks, or both unknown).
std::vector<Regression> find_regressions(const std::vector<HistoryRow>& rows);

// The table: date, host, processor, the six sub-scores, the interrupted flag; then one
// "possible regression" line per flag.
std::string history_text(const std::vector<HistoryRow>& rows, const std::vector<Regression>& flags);

// Reads a results file for the store: its run with content hash and path; false with the
// reason (naming the file) when it is not one the store can keep.
bool read_results_for_store(const std::filesystem::path& file, RunData& run, std::string& error);

// Records the results file a run wrote into the store at `store_path`; empty when it worked,
// else the one warning line naming the store and the reason. The host is this machine's when
// the file does not name one.
std::string record_results_file(const std::filesystem::path& store_path,
                                const std::filesystem::path& results_file);

// What a suite run in the window does with the results file it wrote: records it in the
// default store; empty when it worked, else the one warning line.
std::string record_in_default_store(const std::filesystem::path& results_file);

// --import: each file added, skipped (already there) or refused with its reason on `err`.
// Returns 0, or 1 when any file was refused or the store could not be used.
int import_results_files(const std::filesystem::path& store_path,
                         const std::vector<std::string>& files, std::FILE* out, std::FILE* err);

// --history: the table on `out`; 1 with the reason on `err` when the store cannot be read.
int print_history(const std::filesystem::path& store_path, const std::string& host, int last,
                  std::FILE* out, std::FILE* err);

}  // namespace store
