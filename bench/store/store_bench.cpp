// What the results store costs: recording one run's results file (what every suite run adds),
// and --history over a store of 10,000 generated runs.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/support/results_fixture.h"
#include "store/commands.h"

namespace {

std::filesystem::path scratch() {
    return bench_support::scratch("store-bench");
}

void BM_RecordRun(benchmark::State& state) {
    bench_support::record_runs(state, scratch());
}
BENCHMARK(BM_RecordRun)->Unit(benchmark::kMillisecond);

void BM_History10000(benchmark::State& state) {
    const auto db = scratch() / "history.sqlite";
    if (!std::filesystem::exists(db)) {
        store::Store s(db);
        for (int i = 0; i < 10000; ++i) {
            auto run = store::run_from_results(bench_support::results_doc(i), nullptr);
            char date[32];
            std::snprintf(date, sizeof date, "2026-%02d-%02dT%02d:%02d:00Z", 1 + i / 1000 % 12,
                          1 + i / 40 % 28, i / 60 % 24, i % 60);
            run->started_utc = date;
            run->content_hash = std::to_string(i);
            s.record(*run);
        }
    }
    std::FILE* out = std::fopen("/dev/null", "w");
    for (auto _ : state) store::print_history(db, "", 0, out, stderr);
    std::fclose(out);
}
BENCHMARK(BM_History10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(scratch(), ec);
}
