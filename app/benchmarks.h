// The benchmark table: one row per benchmark with everything the rest of the program shows or
// decides about it (code, switch, menu command, the texts of each place, its sub-score and
// results-file section). The parser, the suite, the score panel, the CLI report, the results
// file, the menus and the windows read it; the run controllers come from the run registry.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "app/benchmark_codes.h"

namespace app {

// What follows a benchmark's switch after a colon.
enum class SwitchArgument { None, Deck, Kernel };

// Rows name only the fields they set (designated initializers); the rest are empty.
struct BenchmarkInfo {
    int code = 0;
    std::string_view key = {};        // results-file section and run record key ("md", ...)
    std::string_view score_key = {};  // the sub-score it feeds (SGEMM and DGEMM share "blas")
    std::string_view name = {};       // how the suite, the CLI and the results file name the run
    std::string_view title = {};      // the title of its dialog

    // Command line. An empty switch: the benchmark has none of its own (STREAM).
    std::string_view cli_switch = {};
    SwitchArgument argument = SwitchArgument::None;
    int queue_rank = 0;  // the parser queues the given switches in this order
    // Its lines in the option list "-HELP" logs (sorted with the others there) and its line in
    // the command-line program's --help.
    std::array<std::string_view, 2> help = {};
    std::string_view cli_help = {};
    // Logged when the switch is given twice (empty: no such check); the first line carries the
    // cursor marker when `repeat_first_marked`.
    std::array<std::string_view, 4> repeat_error = {};
    bool repeat_first_marked = false;

    // Menu command and the lines its driver appends around the dialog.
    int menu_id = 0;
    std::string_view menu = {};  // "M&ol Dyn"
    std::string_view menu_entry = {};
    std::string_view menu_prompt = {};  // status bar text; empty: none
    std::string_view driver_opening = {};
    std::string_view driver_on_cancel = {};  // when the dialog ended with the cancel result
    std::string_view driver_otherwise = {};  // any other result; empty: no line

    // Lines the suite logs around the step; empty: the step logs its own.
    std::string_view suite_running = {};
    std::string_view suite_finished = {};
};

// A sub-score: a box of the suite's selections, a row of its score panel and of the CLI report.
struct ScoreGroup {
    std::string_view key;          // "memory", ... also the results file's "subscores" key
    std::string_view label;        // the check box, the panel row and the CLI report
    std::string_view short_label;  // the column of the results store's history
    int check_box_id;
    int panel_label_id;
    int panel_rank;      // row of the score panel, top first
    int profile_slot;    // value index in a comparison profile
    bool shows_profile;  // the panel draws the profile's bar for it
};

inline constexpr std::size_t kBenchmarkCount = 7;
inline constexpr std::size_t kScoreGroupCount = 6;

// Every benchmark in suite order (memory, STREAM, molecular dynamics, Orbitra, cipher, SGEMM,
// DGEMM), which is also the order of the menus.
std::span<const BenchmarkInfo, kBenchmarkCount> benchmarks();
const BenchmarkInfo* find_benchmark(int code);
const BenchmarkInfo* find_benchmark_by_key(std::string_view key);
const BenchmarkInfo* find_benchmark_by_switch(std::string_view upper_switch);
const BenchmarkInfo* find_benchmark_by_menu(int menu_id);

// The sub-scores in suite order; index_of_score() gives a key's position (kScoreGroupCount
// for an unknown key).
std::span<const ScoreGroup, kScoreGroupCount> score_groups();
std::size_t index_of_score(std::string_view key);

// The suite itself: "-RUNALLBENCH", the File menu's "Run All Benchmarks" and its driver lines.
const BenchmarkInfo& run_all_row();

}  // namespace app
