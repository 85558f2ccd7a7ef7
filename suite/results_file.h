// The machine-readable record of one suite run: Results-M-D-Y-h-m-s.json in the working
// directory, stamped with the UTC time the run started, written through a temporary file and a
// rename so a reader never sees half a file.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/processor_info.h"
#include "suite/suite_dialog.h"

namespace suite {

// "Results-YYYY-MM-DDThh-mm-ssZ.json" (UTC, zero-padded, so the names sort by time). Files
// named "Results-M-D-Y-h-m-s.json" by earlier versions are read all the same (--compare takes
// any name).
std::string results_file_name(std::chrono::system_clock::time_point started);

// The document's format name and version (docs/results-format.md). Files without them are
// of the previous format (version 1): -1 for a sub-score not measured, headlines named
// "bandwidth_mbs", "MB/s", "Peak MFLOPS", "time_s", "score", STREAM rates as a bare table.
inline constexpr const char* kResultsFormat = "lumetra2-results";
inline constexpr int kResultsFormatVersion = 2;

// A headline figure's one name, its unit and which way is better. Memory and cipher rates are
// in MiB/s (2^20 bytes per second), STREAM's in MB/s (10^6), as the suite has always counted.
struct HeadlineKind {
    std::string_view step;      // results-file section
    std::string_view old_name;  // its name in the previous format
    std::string_view name;
    std::string_view unit;
    bool lower_is_better;
};
// The kind of `step`'s figure called `name` (the current or the previous name); null when
// there is none.
const HeadlineKind* find_headline_kind(std::string_view step, std::string_view name);

// The headline figures of the steps that completed, in step order (memory adds its latency):
// [{"step", "name", "value", "unit", "better": "higher"|"lower"}].
nlohmann::json headlines_json(const std::vector<StepOutcome>& steps);

// The compiler and the flags this tree was built with.
std::string compiler_name();
std::string compiler_flags();

nlohmann::json processor_json(const app::ProcessorInfo& info);

// Under what conditions the run was measured (app/provenance.h) with the program's version and
// revision, the compiler, the console log's name and the 1-minute load at start and end.
nlohmann::json run_provenance_json(const std::filesystem::path& root = "/");

// The whole document: program, build, compiler, processor, caches, sub-scores and one section
// per step that ran (or was skipped for an error).
nlohmann::json results_json(const SubScores& scores, const std::vector<StepOutcome>& steps,
                            const app::ProcessorInfo& info,
                            std::chrono::system_clock::time_point started);

// Writes `doc` into `dir` under the run's name; a name already taken (two runs in the same
// second) gets "-2", "-3", ... before ".json" so no run overwrites another. Returns the path,
// or an empty path with `error` set.
// Called with each results file written, once it is complete under its name (the command-line
// program records it in the results store afterwards); none by default.
void set_results_written_hook(std::function<void(const std::filesystem::path&)> hook);

std::filesystem::path write_results_file(const std::filesystem::path& dir,
                                         std::chrono::system_clock::time_point started,
                                         const nlohmann::json& doc, std::string* error);

}  // namespace suite
