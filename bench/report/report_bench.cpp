// What a report costs beside recording the run it shows: --report of one run with every graph
// (the painting context made each time, as one lumetra2-cli call does) against recording that
// run's results file in the store.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/support/results_fixture.h"
#include "report/report.h"
#include "store/commands.h"

namespace {

std::filesystem::path scratch() {
    return bench_support::scratch("report-bench");
}

void BM_RecordRun(benchmark::State& state) {
    bench_support::record_runs(state, scratch());
}
BENCHMARK(BM_RecordRun)->Unit(benchmark::kMillisecond);

void BM_ReportOneRun(benchmark::State& state) {
    const auto db = scratch() / "report.sqlite";
    const auto file = scratch() / "One.json";
    std::ofstream(file) << bench_support::results_doc(0).dump(2);
    if (!store::record_results_file(db, file).empty()) state.SkipWithError("not recorded");
    report::Request rq;
    rq.store_path = db;
    rq.out_path = scratch() / "report.html";
    std::FILE* null = std::fopen("/dev/null", "w");
    for (auto _ : state)
        if (report::write_report(rq, null, null) != 0) state.SkipWithError("no report");
    std::fclose(null);
}
BENCHMARK(BM_ReportOneRun)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
