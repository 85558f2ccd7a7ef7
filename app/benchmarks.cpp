#include "app/benchmarks.h"

#include <algorithm>

namespace app {
namespace {

using SA = SwitchArgument;

constexpr std::array<BenchmarkInfo, kBenchmarkCount> kBenchmarks = {
    {{.code = kCodeMemory,
      .key = "memory",
      .score_key = "memory",
      .name = "Memory Benchmarks",
      .title = "Memory Benchmarks",
      .cli_switch = "-MEMBENCH",
      .queue_rank = 2,
      .help = {" -membench         : Run through the memory benchmark"},
      .cli_help = "-membench             memory bandwidth and latency",
      .menu_id = 32779,
      .menu = "&Membench",
      .menu_entry = "Run Benchmark",
      .menu_prompt =
          "Runs memory bandwidth and latency tests, also tests the processor's cache hierarchy",
      .driver_opening = "Memory Benchmarks Configuration...",
      .driver_on_cancel = "Canceling Memory Benchmarks.",
      .driver_otherwise = "Finished Memory Benchmarks...",
      .suite_running = "Running Memory Benchmark...",
      .suite_finished = "Finished Memory Benchmark..."},
     {.code = kCodeStream,
      .key = "stream",
      .score_key = "stream",
      .name = "STREAM",
      .title = "STREAM",
      .queue_rank = 6,
      .menu_id = 32789,
      .menu = "STR&EAM",
      .menu_entry = "Run Benchmark",
      .driver_opening = "STREAM Benchmark...",
      .driver_on_cancel = "Finished STREAM Benchmark.",
      .suite_running = "Running STREAM Benchmark...",
      .suite_finished = "Finished STREAM Benchmark..."},
     {.code = kCodeMolDyn,
      .key = "md",
      .score_key = "md",
      .name = "Molecular Dynamics",
      .title = "Molecular Dynamics Benchmark",
      .cli_switch = "-MOLDYN",
      .argument = SA::Deck,
      .queue_rank = 3,
      .help = {" -moldyn           : Run through the molecular dynamics benchmark",
               " -moldyn:file.in   : Run through a custom simulation using file.in"},
      .cli_help = "-moldyn[:FILE.in]     molecular dynamics (MD/Argon-Helium.in or MD/FILE.in)",
      .repeat_error = {"Error Parsing Command Line: Not able to execute multiple instances of "
                       "the Molecular Dynamics benchmark.",
                       "Tip: - If you want to execute 2 different Molecular Dynamics "
                       "simulations, execute them in this fashion:",
                       "     lumetra2 -automate -moldyn:Argon-Helium.in",
                       "     lumetra2 -automate -moldyn:Helium.in"},
      .menu_id = 32774,
      .menu = "M&ol Dyn",
      .menu_entry = "Run Benchmark",
      .menu_prompt = "Executes the Molecular Dynamics Benchmark in the Lumetra 2.0 suite",
      .driver_opening = "Molecular Dynamics Configuration...",
      .driver_on_cancel = "Canceling Molecular Dyanmics.",
      .driver_otherwise = "Finished Molecular Dynamics..."},
     {.code = kCodeOrbitra,
      .key = "orbitra",
      .score_key = "orbitra",
      .name = "Orbitra",
      .title = "Orbitra",
      .cli_switch = "-ORBITRA",
      .argument = SA::Deck,
      .queue_rank = 4,
      .help =
          {" -orbitra        : Run through the orbitra benchmark",
           " -orbitra:file.in: Run through the orbitra benchmark using the custom file provided."},
      .cli_help =
          "-orbitra[:FILE.in]    Orbitra (\"Input Files/Ag.in\" or \"Input Files/FILE.in\")",
      .repeat_error = {"Error Parsing Command Line: Not able to execute multiple instances of "
                       "the Orbitra benchmark.",
                       "Tip: - If you want to execute 2 different Orbitra simulations, execute "
                       "them in this fashion:",
                       "     lumetra2 -automate -orbitra:ag.in",
                       "     lumetra2 -automate -orbitra:hg.in"},
      .repeat_first_marked = true,
      .menu_id = 32782,
      .menu = "&Orbitra",
      .menu_entry = "Run Benchmark",
      .menu_prompt = "Runs the Orbitra Benchmark in the Lumetra 2.0 suite",
      .driver_opening = "Orbitra Benchmark Configuration...",
      .driver_on_cancel = "Canceling Orbitra Benchmark.",
      .driver_otherwise = "Finished Orbitra Benchmark..."},
     {.code = kCodeCipher,
      .key = "cipher",
      .score_key = "cipher",
      .name = "Cipher Bench",
      .title = "Cipher Bench",
      .cli_switch = "-CIPHERBENCH",
      .queue_rank = 0,
      .help = {" -cipherbench      : Run through the cipher benchmark"},
      .cli_help = "-cipherbench          AES-128 throughput",
      .menu_id = 32787,
      .menu = "&Cipher Bench",
      .menu_entry = "Run Benchmark",
      .driver_opening = "Cipher Bench Configuration...",
      .driver_on_cancel = "Canceling Cipher Bench.",
      .driver_otherwise = "Finished Cipher Bench...",
      .suite_running = "Running Cipher Benchmark...",
      .suite_finished = "Finished Cipher Benchmark..."},
     {.code = kCodeSgemm,
      .key = "sgemm",
      .score_key = "blas",
      .name = "SGEMM",
      .title = "SGEMM (Single Precision Matrix Multiply)",
      .cli_switch = "-SGEMM",
      .argument = SA::Kernel,
      .queue_rank = 5,
      .help = {" -sgemm            : Run through the sgemm benchmark using the compiler core",
               " -sgemm:compiler   : Run through the sgemm benchmark using the compiler core"},
      .cli_help = "-sgemm[:compiler]     single precision matrix multiply (own blocked kernel)",
      .repeat_error = {"Error Parsing Command Line: Not able to execute multiple instances of "
                       "the SGEMM benchmark.",
                       "Tip: - If you want to execute 2 different SGEMM benchmarks, execute "
                       "them in this fashion:",
                       "     lumetra2 -automate -sgemm:sse",
                       "     lumetra2 -automate -sgemm:3dnow"},
      .repeat_first_marked = true,
      .menu_id = 144,
      .menu = "&Blas Bench",
      .menu_entry = "Run SGEMM",
      .menu_prompt = "Runs the SGEMM benchmark in the Lumetra2.0 suite",
      .driver_opening = "SGEMM Benchmark Configuration...",
      .driver_on_cancel = "Canceling SGEMM Benchmark.",
      .driver_otherwise = "Finished SGEMM Benchmark...",
      .suite_running = "Running Single Precision BLAS...",
      .suite_finished = "Finished Single Precision Benchmark..."},
     {.code = kCodeDgemm,
      .key = "dgemm",
      .score_key = "blas",
      .name = "DGEMM",
      .title = "DGEMM (Double Precision Matrix Multiply)",
      .cli_switch = "-DGEMM",
      .argument = SA::Kernel,
      .queue_rank = 1,
      .help = {" -dgemm            : Run through the dgemm benchmark using the compiler core",
               " -dgemm:compiler   : Run through the dgemm benchmark using the compiler core"},
      .cli_help = "-dgemm[:compiler]     double precision matrix multiply (own blocked kernel)",
      .repeat_error = {"Error Parsing Command Line: Not able to execute multiple instances of "
                       "the DGEMM benchmark.",
                       "Tip: - If you want to execute 2 different DGEMM benchmarks, execute "
                       "them in this fashion:",
                       "     lumetra2 -automate -sgemm:sse2s",
                       "     lumetra2 -automate -sgemm:sse2v"},
      .menu_id = 32788,
      .menu = "&Blas Bench",
      .menu_entry = "Run DGEMM",
      .menu_prompt = "Runs the DGEMM benchmark in the Lumetra2.0 suite",
      .driver_opening = "DGEMM Benchmark Configuration...",
      .driver_on_cancel = "Canceling DGEMM Benchmark.",
      .driver_otherwise = "Finished DGEMM Benchmark...",
      .suite_running = "Running Double Precision BLAS...",
      .suite_finished = "Finished Double Precision Benchmark..."}}};

constexpr BenchmarkInfo kRunAll = {
    .code = kCodeAll,
    .key = "all",
    .name = "Lumetra 2.0 Benchmark Suite",
    .title = "Lumetra 2.0 Benchmark Suite",
    .cli_switch = "-RUNALLBENCH",
    .queue_rank = -1,
    .help = {" -runallbench      : Run through the entire benchmark. -automate is implied."},
    .cli_help = "-runallbench          run every benchmark",
    .menu_id = 32772,
    .menu = "&File",
    .menu_entry = "&Run All Benchmarks",
    .menu_prompt = "This option commands Lumetra2.0 to run all of the available benchmarks.",
    .driver_opening = "Lumetra 2.0 Run Configuration...",
    .driver_on_cancel = "Finished Lumetra 2.0 Run Configuration."};

// The profile file keeps the cipher value in slot 2; the panel draws no comparison bar for it.
constexpr std::array<ScoreGroup, kScoreGroupCount> kScoreGroups = {{
    {.key = "memory",
     .label = "Memory Benchmark",
     .short_label = "Memory",
     .check_box_id = 1089,
     .panel_label_id = 1114,
     .panel_rank = 4,
     .profile_slot = 0,
     .shows_profile = true},
    {.key = "stream",
     .label = "STREAM",
     .short_label = "STREAM",
     .check_box_id = 1093,
     .panel_label_id = 1113,
     .panel_rank = 3,
     .profile_slot = 1,
     .shows_profile = true},
    {.key = "md",
     .label = "Molecular Dynamics",
     .short_label = "MD",
     .check_box_id = 1086,
     .panel_label_id = 1109,
     .panel_rank = 0,
     .profile_slot = 3,
     .shows_profile = true},
    {.key = "orbitra",
     .label = "Orbitra",
     .short_label = "Orbitra",
     .check_box_id = 1088,
     .panel_label_id = 1111,
     .panel_rank = 1,
     .profile_slot = 4,
     .shows_profile = true},
    {.key = "cipher",
     .label = "Cryptography",
     .short_label = "Cipher",
     .check_box_id = 1091,
     .panel_label_id = 1112,
     .panel_rank = 2,
     .profile_slot = 2,
     .shows_profile = false},
    {.key = "blas",
     .label = "BLAS/FLOPs",
     .short_label = "BLAS",
     .check_box_id = 1090,
     .panel_label_id = 1110,
     .panel_rank = 5,
     .profile_slot = 5,
     .shows_profile = true},
}};

// Every benchmark names a sub-score of the table.
constexpr bool scores_resolve() {
    for (const BenchmarkInfo& b : kBenchmarks) {
        bool found = false;
        for (const ScoreGroup& g : kScoreGroups) found = found || g.key == b.score_key;
        if (!found) return false;
    }
    return true;
}
static_assert(scores_resolve(), "a benchmark names an unknown sub-score");

}  // namespace

std::span<const BenchmarkInfo, kBenchmarkCount> benchmarks() {
    return kBenchmarks;
}

const BenchmarkInfo* find_benchmark(int code) {
    for (const BenchmarkInfo& b : kBenchmarks)
        if (b.code == code) return &b;
    return code == kCodeAll ? &kRunAll : nullptr;
}

const BenchmarkInfo* find_benchmark_by_key(std::string_view key) {
    for (const BenchmarkInfo& b : kBenchmarks)
        if (b.key == key) return &b;
    return nullptr;
}

const BenchmarkInfo* find_benchmark_by_switch(std::string_view upper_switch) {
    if (upper_switch.empty()) return nullptr;
    for (const BenchmarkInfo& b : kBenchmarks)
        if (b.cli_switch == upper_switch) return &b;
    return kRunAll.cli_switch == upper_switch ? &kRunAll : nullptr;
}

const BenchmarkInfo* find_benchmark_by_menu(int menu_id) {
    for (const BenchmarkInfo& b : kBenchmarks)
        if (b.menu_id == menu_id) return &b;
    return kRunAll.menu_id == menu_id ? &kRunAll : nullptr;
}

std::span<const ScoreGroup, kScoreGroupCount> score_groups() {
    return kScoreGroups;
}

std::size_t index_of_score(std::string_view key) {
    for (std::size_t i = 0; i < kScoreGroups.size(); ++i)
        if (kScoreGroups[i].key == key) return i;
    return kScoreGroupCount;
}

const BenchmarkInfo& run_all_row() {
    return kRunAll;
}

}  // namespace app
