// --compare: the ratios of two fixed results files, the spread flag, the provenance warnings,
// and every kind of bad file refused with its reason.
#include <gtest/gtest.h>

#include <fstream>

#include "suite/compare.h"
#include "support/temp_dir.h"

namespace {

nlohmann::json old_doc() {
    return nlohmann::json::parse(R"({
      "program": "Lumetra 2.0", "build": "Build 21MAR05", "compiler": "gcc 12.2.0",
      "compiler_flags": "-O2", "started_utc": "2026-12-01T10:00:00Z",
      "provenance": {"program_version": "2.0", "source_revision": "abc123",
                     "cpu_model_name": "AMD EPYC", "cpu_family": "25", "cpu_model": "1",
                     "cpu_stepping": "1", "kernel": "Linux 6.1.0-18-amd64",
                     "scaling_governor": "performance"},
      "subscores": {"memory": 1000.0, "stream": -1.0, "md": -1.0, "orbitra": -1.0,
                    "cipher": 1000.0, "blas": -1.0},
      "memory": {"status": "completed", "latency_ns": 87.3,
                 "headline": {"name": "bandwidth_mbs", "value": 4000.0}},
      "cipher": {"status": "completed", "headline": {"name": "MB/s", "value": 100.0}},
      "repeat": {"count": 3, "spread": {
          "cipher.MB/s": {"min": 99.0, "median": 100.0, "max": 101.0}}}
    })");
}

nlohmann::json new_doc() {
    nlohmann::json d = old_doc();
    d["subscores"]["cipher"] = 1100.0;
    d["subscores"]["memory"] = 800.0;
    d["memory"]["headline"]["value"] = 5000.0;
    d["memory"]["latency_ns"] = 87.3;
    d["repeat"]["spread"]["cipher.MB/s"] = {{"min", 108.0}, {"median", 110.0}, {"max", 112.0}};
    d["provenance"]["kernel"] = "Linux 6.12.0-1-amd64";
    d["provenance"]["scaling_governor"] = "powersave";
    d["compiler"] = "clang 16.0.6";
    return d;
}

bool has(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
}

TEST(Compare, RatiosFlagsAndWarnings) {
    const std::string t = suite::compare_results(old_doc(), new_doc());
    // Sub-scores: cipher 1100 / 1000, memory 800 / 1000; unmeasured ones say so.
    EXPECT_TRUE(has(t, "1000.00      1100.00           1.100")) << t;
    EXPECT_TRUE(has(t, "1000.00       800.00           0.800")) << t;
    EXPECT_TRUE(has(t, "not measured not measured              -")) << t;
    // Headline figures: bandwidth 5000 / 4000; the cipher medians 110 / 100, 10 apart, beyond
    // the larger spread (4); the latency is equal.
    EXPECT_TRUE(has(t, "4000.00*     5000.00* MiB/s    1.250")) << t;
    EXPECT_TRUE(has(t, "100.00       110.00  MiB/s    1.100 higher  beyond spread")) << t;
    EXPECT_TRUE(has(t, "87.30*       87.30* ns       1.000 lower\n")) << t;
    EXPECT_TRUE(has(t, "1 figure(s) differ by more than the larger spread")) << t;
    EXPECT_TRUE(
        has(t, "Kernel differs: OLD \"Linux 6.1.0-18-amd64\", NEW \"Linux 6.12.0-1-amd64\""));
    EXPECT_TRUE(has(t, "Scaling governor differs"));
    EXPECT_TRUE(has(t, "Compiler differs"));
    EXPECT_FALSE(has(t, "Processor differs"));
    EXPECT_FALSE(has(t, "Program versions differ"));
}

TEST(Compare, NoFlagWithinTheSpreadNorWithoutSpreads) {
    nlohmann::json n = old_doc();
    n["repeat"]["spread"]["cipher.MB/s"] = {{"min", 98.0}, {"median", 101.5}, {"max", 102.0}};
    EXPECT_FALSE(has(suite::compare_results(old_doc(), n), "beyond spread"));
    nlohmann::json single = new_doc();
    single.erase("repeat");
    single["cipher"]["headline"]["value"] = 150.0;
    const std::string t = suite::compare_results(old_doc(), single);
    EXPECT_TRUE(has(t, "100.00       150.00* MiB/s    1.500 higher\n")) << t;
}

TEST(Compare, BadFilesAreRefusedWithTheirReason) {
    testing_support::TempDir dir;
    const std::string good = old_doc().dump(2);
    struct Row {
        const char* name;
        std::string text;
        const char* reason;
    } rows[] = {
        {"truncated.json", good.substr(0, good.size() / 2), "truncated"},
        {"text.json", "Results of last week: fast\n", "not JSON"},
        {"empty.json", "", "empty file"},
        {"foreign.json", R"({"name": "some other tool", "score": 3})",
         "not a Lumetra results file"},
        {"array.json", "[1, 2, 3]", "not a Lumetra results file"},
        {"nosubscores.json", R"({"program": "Lumetra 2.0"})", "not a Lumetra results file"},
    };
    for (const Row& r : rows) {
        std::ofstream(dir.path() / r.name, std::ios::binary) << r.text;
        nlohmann::json doc;
        std::string error;
        EXPECT_FALSE(suite::load_results_file(dir.path() / r.name, doc, error)) << r.name;
        EXPECT_TRUE(has(error, r.reason)) << r.name << ": " << error;
        EXPECT_TRUE(has(error, r.name)) << error;
    }
    nlohmann::json doc;
    std::string error;
    EXPECT_FALSE(suite::load_results_file(dir.path() / "missing.json", doc, error));
    EXPECT_TRUE(has(error, "no such file")) << error;
    EXPECT_FALSE(suite::load_results_file(dir.path(), doc, error));
    std::ofstream(dir.path() / "good.json") << good;
    EXPECT_TRUE(suite::load_results_file(dir.path() / "good.json", doc, error)) << error;

    // The program's entry: exit status 2 and the message on the error stream.
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    EXPECT_EQ(
        suite::run_compare_for_cli(dir.path() / "good.json", dir.path() / "text.json", out, err),
        2);
    std::rewind(err);
    char buf[512] = {};
    EXPECT_GT(std::fread(buf, 1, sizeof buf - 1, err), 0u);
    EXPECT_TRUE(has(buf, "lumetra2-cli: --compare: ")) << buf;
    EXPECT_TRUE(has(buf, "text.json: not JSON")) << buf;
    std::fclose(out);
    std::fclose(err);
}

}  // namespace
