// The machine-readable record of one suite run: Results-M-D-Y-h-m-s.json in the working
// directory, stamped with the UTC time the run started, written through a temporary file and a
// rename so a reader never sees half a file.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/processor_info.h"
#include "suite/suite_dialog.h"

namespace suite {

// "Results-%d-%d-%d-%d-%d-%d.json": month, day, year, hour, minute, second (UTC).
std::string results_file_name(std::chrono::system_clock::time_point started);

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
std::filesystem::path write_results_file(const std::filesystem::path& dir,
                                         std::chrono::system_clock::time_point started,
                                         const nlohmann::json& doc, std::string* error);

}  // namespace suite
