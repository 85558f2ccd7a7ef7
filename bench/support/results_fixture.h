// What the store and report benchmarks record: a results document with every section a real
// run writes and the report draws, at the sizes a real run has; a scratch folder; the recording.
#pragma once

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "store/commands.h"

namespace bench_support {

// A folder made once per program under the temporary directory, named after `program`.
inline std::filesystem::path scratch(const char* program) {
    static const std::filesystem::path dir = [program] {
        std::string t =
            (std::filesystem::temp_directory_path() / (std::string(program) + "-XXXXXX")).string();
        return std::filesystem::path(::mkdtemp(t.data()));
    }();
    return dir;
}

// Run `i` of a series: four hosts in turn, a few figures that vary from run to run.
inline nlohmann::json results_doc(int i) {
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
    const auto sec = [i](json j, double v) {
        j["status"] = "completed";
        j["headline"] = {{"name", "rate"}, {"value", v + i}, {"unit", "MiB/s"}};
        return j;
    };
    return {
        {"format", "lumetra2-results"},
        {"format_version", 2},
        {"program", "Lumetra 2.0"},
        {"started_utc", "2026-01-01T00:00:00Z"},
        {"processor", {{"brand", "Bench CPU"}, {"clock_mhz", 2300.0}}},
        {"provenance",
         {{"host_name", "host-" + std::to_string(i % 4)}, {"command_line", "-runallbench"}}},
        {"caches", {{"l2", {{"size_kb", 2048}}}}},
        {"subscores",
         {{"memory", 1000.0 + i % 97},
          {"stream", 900.0},
          {"md", 1100.0},
          {"orbitra", 950.0},
          {"cipher", 2000.0 - i % 13},
          {"blas", 1300.0}}},
        {"memory", sec({{"bests", {{"l1", 90000.0}, {"l2", 40000.0}, {"memory", 12000.0}}},
                        {"latency_ns", 80.0},
                        {"latency_table", lat},
                        {"bandwidth_table", std::vector(40, std::vector(8, 1.5))}},
                       12000.0)},
        {"stream", sec({{"rates", rates}}, 900.0)},
        {"sgemm", sec({{"mflops", mflops}, {"isa_peak_mflops", 9200.0}}, 7000.0)},
        {"dgemm", sec({{"mflops", mflops}, {"isa_peak_mflops", 4600.0}}, 3500.0)},
        {"md", sec({{"deck", "Argon-Helium"},
                    {"atoms", 500},
                    {"steps", 5000},
                    {"kinetic_history_K", ke},
                    {"potential_history_K", pe}},
                   12.5)},
        {"orbitra", sec({{"deck", "Ag"}, {"virial_history", virial}}, 3.25)},
        {"cipher", sec({}, 400.0)},
    };
}

// Records one run after another in a store under `dir`, each from a results file written
// (untimed) just before: what every suite run adds.
inline void record_runs(benchmark::State& state, const std::filesystem::path& dir) {
    const auto db = dir / "record.sqlite";
    const auto file = dir / "Results.json";
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(file) << results_doc(i++).dump(2);
        state.ResumeTiming();
        const std::string w = store::record_results_file(db, file);
        if (!w.empty()) state.SkipWithError(w.c_str());
    }
}

}  // namespace bench_support
