// What the results store costs: recording one run's results file (what every suite run adds),
// and --history over a store of 10,000 generated runs.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "store/commands.h"

namespace {

std::filesystem::path scratch() {
    static const std::filesystem::path dir = [] {
        std::string t = (std::filesystem::temp_directory_path() / "store-bench-XXXXXX").string();
        return std::filesystem::path(::mkdtemp(t.data()));
    }();
    return dir;
}

nlohmann::json results_doc(int i) {
    nlohmann::json doc = {
        {"format", "lumetra2-results"},
        {"format_version", 2},
        {"program", "Lumetra 2.0"},
        {"started_utc", "2026-01-01T00:00:00Z"},
        {"processor", {{"brand", "Bench CPU"}}},
        {"provenance", {{"host_name", "host-" + std::to_string(i % 4)}, {"command_line", "-x"}}},
        {"subscores",
         {{"memory", 1000.0 + i % 97},
          {"stream", 900.0},
          {"md", 1100.0},
          {"orbitra", 950.0},
          {"cipher", 2000.0 - i % 13},
          {"blas", 1300.0}}}};
    for (const char* step : {"memory", "stream", "md", "orbitra", "cipher", "sgemm", "dgemm"})
        doc[step] = {{"status", "completed"},
                     {"headline", {{"name", "rate"}, {"value", 100.0 + i}, {"unit", "MiB/s"}}}};
    // A real file carries its tables too: some bulk to read and hash.
    doc["memory"]["bandwidth_table"] = std::vector<std::vector<double>>(40, std::vector(8, 1.5));
    return doc;
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

void BM_History10000(benchmark::State& state) {
    const auto db = scratch() / "history.sqlite";
    if (!std::filesystem::exists(db)) {
        store::Store s(db);
        for (int i = 0; i < 10000; ++i) {
            auto run = store::run_from_results(results_doc(i), nullptr);
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
