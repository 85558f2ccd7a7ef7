// What a report costs beside recording the run it shows: --report of one run with every graph
// (the painting context made each time, as one lumetra2-cli call does) against recording that
// run's results file in the store.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>

#include "report/report.h"
#include "store/commands.h"

namespace {

std::filesystem::path scratch() {
    static const std::filesystem::path dir = [] {
        std::string t = (std::filesystem::temp_directory_path() / "report-bench-XXXXXX").string();
        return std::filesystem::path(::mkdtemp(t.data()));
    }();
    return dir;
}

// A run with every section the report draws, at the sizes a real run has.
nlohmann::json results_doc(int i) {
    using json = nlohmann::json;
    json lat = json::array(), mflops = json::array(), ke = json::array(), pe = json::array(),
         virial = json::array(), rates = json::array();
    for (int r = 0; r < 14; ++r) lat.push_back(json::array({2, 4 + r, 9 + r, 30 + 5 * r, 60, 80}));
    for (int k = 0; k < 24; ++k) mflops.push_back(4000 + 3000 * std::sin(k / 5.0) + i);
    for (int k = 0; k < 231; ++k) {
        ke.push_back(80 + 10 * std::sin(k / 9.0));
        pe.push_back(-900 - 20 * std::cos(k / 13.0));
    }
    for (int k = 0; k < 40; ++k) virial.push_back(-1.0 - 6.0 * k / 40);
    for (const char* kernel : {"copy", "scale", "add", "triad"})
        for (const char* form : {"x87", "sse2", "sse2_block"})
            rates.push_back(
                {{"kernel", kernel}, {"form", form}, {"value", 9000.5}, {"unit", "MB/s"}});
    const auto sec = [](json j, double v) {
        j["status"] = "completed";
        j["headline"] = {{"name", "rate"}, {"value", v}, {"unit", "MiB/s"}};
        return j;
    };
    return {
        {"format", "lumetra2-results"},
        {"format_version", 2},
        {"program", "Lumetra 2.0"},
        {"started_utc", "2026-01-01T00:00:00Z"},
        {"processor", {{"brand", "Bench CPU"}, {"clock_mhz", 2300.0}}},
        {"provenance", {{"host_name", "bench-host"}, {"command_line", "-runallbench"}}},
        {"caches", {{"l2", {{"size_kb", 2048}}}}},
        {"subscores",
         {{"memory", 1000.0 + i},
          {"stream", 900.0},
          {"md", 1100.0},
          {"orbitra", 950.0},
          {"cipher", 2000.0},
          {"blas", 1300.0}}},
        {"memory", sec({{"bests", {{"l1", 90000.0}, {"l2", 40000.0}, {"memory", 12000.0}}},
                        {"latency_ns", 80.0},
                        {"latency_table", lat}},
                       12000.0)},
        {"stream", sec({{"rates", rates}}, 900.0)},
        {"sgemm", sec({{"mflops", mflops}, {"isa_peak_mflops", 9200.0}}, 7000.0)},
        {"dgemm", sec({{"mflops", mflops}, {"isa_peak_mflops", 4600.0}}, 3500.0)},
        {"md", sec({{"kinetic_history_K", ke}, {"potential_history_K", pe}}, 12.5)},
        {"orbitra", sec({{"virial_history", virial}}, 3.25)},
    };
}

void BM_RecordRun(benchmark::State& state) {
    const auto db = scratch() / "record.sqlite";
    const auto file = scratch() / "Results.json";
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(file) << results_doc(i++).dump(2);
        state.ResumeTiming();
        const std::string w = store::record_results_file(db, file);
        if (!w.empty()) state.SkipWithError(w.c_str());
    }
}
BENCHMARK(BM_RecordRun)->Unit(benchmark::kMillisecond);

void BM_ReportOneRun(benchmark::State& state) {
    const auto db = scratch() / "report.sqlite";
    const auto file = scratch() / "One.json";
    std::ofstream(file) << results_doc(0).dump(2);
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
