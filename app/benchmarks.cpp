#include "app/benchmarks.h"

#include <algorithm>

namespace app {
namespace {

using SA = SwitchArgument;

constexpr std::array<BenchmarkInfo, kBenchmarkCount> kBenchmarks = {{
    {kCodeMemory,
     "memory",
     "memory",
     "Memory Benchmarks",
     "Memory Benchmarks",
     "-MEMBENCH",
     SA::None,
     2,
     {},
     false,
     32779,
     "&Membench",
     "Run Benchmark",
     "Runs memory bandwidth and latency tests, also tests the processor's cache hierarchy",
     "Memory Benchmarks Configuration...",
     "Canceling Memory Benchmarks.",
     "Finished Memory Benchmarks...",
     "Running Memory Benchmark...",
     "Finished Memory Benchmark..."},
    {kCodeStream,
     "stream",
     "stream",
     "STREAM",
     "STREAM",
     "",
     SA::None,
     6,
     {},
     false,
     32789,
     "STR&EAM",
     "Run Benchmark",
     "",
     "STREAM Benchmark...",
     "Finished STREAM Benchmark.",
     "",
     "Running STREAM Benchmark...",
     "Finished STREAM Benchmark..."},
    {kCodeMolDyn,
     "md",
     "md",
     "Molecular Dynamics",
     "Molecular Dynamics Benchmark",
     "-MOLDYN",
     SA::Deck,
     3,
     {"Error Parsing Command Line: Not able to execute multiple instances of the Molecular "
      "Dynamics benchmark.",
      "Tip: - If you want to execute 2 different Molecular Dynamics simulations, execute them in "
      "this fashion:",
      "     lumetra2 -automate -moldyn:Argon-Helium.in",
      "     lumetra2 -automate -moldyn:Helium.in"},
     false,
     32774,
     "M&ol Dyn",
     "Run Benchmark",
     "Executes the Molecular Dynamics Benchmark in the Lumetra 2.0 suite",
     "Molecular Dynamics Configuration...",
     "Canceling Molecular Dyanmics.",
     "Finished Molecular Dynamics...",
     "",
     ""},
    {kCodeOrbitra,
     "orbitra",
     "orbitra",
     "Orbitra",
     "Orbitra",
     "-ORBITRA",
     SA::Deck,
     4,
     {"Error Parsing Command Line: Not able to execute multiple instances of the Orbitra "
      "benchmark.",
      "Tip: - If you want to execute 2 different Orbitra simulations, execute them in this "
      "fashion:",
      "     lumetra2 -automate -orbitra:ag.in", "     lumetra2 -automate -orbitra:hg.in"},
     true,
     32782,
     "&Orbitra",
     "Run Benchmark",
     "Runs the Orbitra Benchmark in the Lumetra 2.0 suite",
     "Orbitra Benchmark Configuration...",
     "Canceling Orbitra Benchmark.",
     "Finished Orbitra Benchmark...",
     "",
     ""},
    {kCodeCipher,
     "cipher",
     "cipher",
     "Cipher Bench",
     "Cipher Bench",
     "-CIPHERBENCH",
     SA::None,
     0,
     {},
     false,
     32787,
     "&Cipher Bench",
     "Run Benchmark",
     "",
     "Cipher Bench Configuration...",
     "Canceling Cipher Bench.",
     "Finished Cipher Bench...",
     "Running Cipher Benchmark...",
     "Finished Cipher Benchmark..."},
    {kCodeSgemm,
     "sgemm",
     "blas",
     "SGEMM",
     "SGEMM (Single Precision Matrix Multiply)",
     "-SGEMM",
     SA::Kernel,
     5,
     {"Error Parsing Command Line: Not able to execute multiple instances of the SGEMM "
      "benchmark.",
      "Tip: - If you want to execute 2 different SGEMM benchmarks, execute them in this fashion:",
      "     lumetra2 -automate -sgemm:sse", "     lumetra2 -automate -sgemm:3dnow"},
     true,
     144,
     "&Blas Bench",
     "Run SGEMM",
     "Runs the SGEMM benchmark in the Lumetra2.0 suite",
     "SGEMM Benchmark Configuration...",
     "Canceling SGEMM Benchmark.",
     "Finished SGEMM Benchmark...",
     "Running Single Precision BLAS...",
     "Finished Single Precision Benchmark..."},
    {kCodeDgemm,
     "dgemm",
     "blas",
     "DGEMM",
     "DGEMM (Double Precision Matrix Multiply)",
     "-DGEMM",
     SA::Kernel,
     1,
     {"Error Parsing Command Line: Not able to execute multiple instances of the DGEMM "
      "benchmark.",
      "Tip: - If you want to execute 2 different DGEMM benchmarks, execute them in this fashion:",
      "     lumetra2 -automate -sgemm:sse2s", "     lumetra2 -automate -sgemm:sse2v"},
     false,
     32788,
     "&Blas Bench",
     "Run DGEMM",
     "Runs the DGEMM benchmark in the Lumetra2.0 suite",
     "DGEMM Benchmark Configuration...",
     "Canceling DGEMM Benchmark.",
     "Finished DGEMM Benchmark...",
     "Running Double Precision BLAS...",
     "Finished Double Precision Benchmark..."},
}};

constexpr BenchmarkInfo kRunAll = {
    kCodeAll,
    "all",
    "",
    "Lumetra 2.0 Benchmark Suite",
    "Lumetra 2.0 Benchmark Suite",
    "-RUNALLBENCH",
    SA::None,
    -1,
    {},
    false,
    32772,
    "&File",
    "&Run All Benchmarks",
    "This option commands Lumetra2.0 to run all of the available benchmarks.",
    "Lumetra 2.0 Run Configuration...",
    "Finished Lumetra 2.0 Run Configuration.",
    "",
    "",
    ""};

// The profile file keeps the cipher value in slot 2; the panel draws no comparison bar for it.
constexpr std::array<ScoreGroup, kScoreGroupCount> kScoreGroups = {{
    {"memory", "Memory Benchmark", 1089, 1114, 4, 0, true},
    {"stream", "STREAM", 1093, 1113, 3, 1, true},
    {"md", "Molecular Dynamics", 1086, 1109, 0, 3, true},
    {"orbitra", "Orbitra", 1088, 1111, 1, 4, true},
    {"cipher", "Cryptography", 1091, 1112, 2, 2, false},
    {"blas", "BLAS/FLOPs", 1090, 1110, 5, 5, true},
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
