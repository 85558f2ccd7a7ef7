// The results file: its name, its content built from run records, and its atomic,
// never-overwriting write.
#include "suite/results_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "app/console.h"
#include "app/headless_host.h"
#include "suite_test_support.h"
#include "support/fake_runs.h"

namespace {

using Clock = std::chrono::system_clock;

Clock::time_point utc(int y, int mo, int d, int h, int mi, int s) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    return Clock::from_time_t(timegm(&tm));
}

nlohmann::json read_json(const std::filesystem::path& p) {
    std::ifstream f(p);
    return nlohmann::json::parse(f);
}

TEST(ResultsFile, ContentComesFromTheRecords) {
    suite::SubScores scores;
    scores.of("memory") = 1200.5f;
    scores.of("md") = std::numeric_limits<float>::infinity();  // never printed as a score
    std::vector<suite::StepOutcome> steps(2);
    steps[0].key = "memory";
    steps[0].ran = steps[0].ok = true;
    steps[0].record.begin();
    steps[0].record.merge_figures(
        {{"latency_ns", 80.0}, {"caches", {{"l1_kb", 32}}}, {"deck", std::string("\xff\xfe")}});
    steps[0].record.complete();
    steps[1].key = "md";
    steps[1].ran = true;
    steps[1].record.begin();
    steps[1].record.fail("Error opening deck");
    steps[1].error = "Error opening deck";

    app::ProcessorInfo info;
    std::memcpy(info.vendor, "GenuineIntelX", 13);  // no terminator in the fixed field
    info.sse = info.sse2 = info.avx2 = 1;

    const nlohmann::json doc = suite::results_json(scores, steps, info, utc(2026, 1, 2, 3, 4, 5));
    EXPECT_EQ(doc["processor"]["vendor"], "GenuineIntelX");
    EXPECT_EQ(doc["processor"]["flags"], (nlohmann::json{"sse", "sse2", "avx2"}));
    EXPECT_EQ(doc["caches"]["l1_kb"], 32);
    EXPECT_TRUE(doc["subscores"]["md"].is_null());
    EXPECT_EQ(doc["memory"]["status"], "completed");
    EXPECT_EQ(doc["md"]["status"], "failed");
    EXPECT_EQ(doc["md"]["error"], "Error opening deck");
    EXPECT_FALSE(doc.contains("stream") || doc.contains("cipher"));

    // Any bytes from a record still make a file.
    testing_support::TempDir dir;
    std::string error;
    const auto path = suite::write_results_file(dir.path(), Clock::now(), doc, &error);
    ASSERT_FALSE(path.empty()) << error;
    EXPECT_EQ(read_json(path)["md"]["error"], "Error opening deck");
}

TEST(ResultsFile, SortableUtcNamesNeverOverwriteAndLeaveNoTemporaryFile) {
    testing_support::TempDir dir;
    const auto when = utc(2026, 6, 7, 8, 9, 10);
    std::string error;
    const char* names[] = {"Results-2026-06-07T08-09-10Z.json",
                           "Results-2026-06-07T08-09-10Z-2.json",
                           "Results-2026-06-07T08-09-10Z-3.json"};
    for (int run = 0; run < 3; ++run) {
        const auto p = suite::write_results_file(dir.path(), when, {{"run", run}}, &error);
        EXPECT_EQ(p.filename(), names[run]);
        EXPECT_EQ(read_json(p)["run"], run);
    }
    // Nothing but the three files: no temporary file is left behind.
    const auto it = std::filesystem::directory_iterator(dir.path());
    EXPECT_EQ(std::distance(begin(it), end(it)), 3);
    EXPECT_TRUE(suite::write_results_file(dir.path() / "missing", when, {}, &error).empty());
    EXPECT_NE(error.find("missing"), std::string::npos);
}

TEST(ResultsFile, SuiteRunWritesOneFileStampedWithItsStart) {
    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd(dir.path());
    app::console().reset();
    suite_test::FakeRuns runs;
    runs.scripts[1] = {
        app::RunStatus::Completed, 3924.38, {{"latency_ns", 87.3}, {"caches", {{"levels", 2}}}}};
    runs.scripts[4] = {app::RunStatus::Stopped, 0.0, {}, "stopped by the user"};
    app::HeadlessRunner runner;
    suite::SuiteController dlg(runs.registry);
    dlg.set_clock([] { return utc(2026, 2, 3, 4, 5, 6); });
    dlg.inputs().queue = {4, 2, 1};
    dlg.inputs().automatic_run_requested = dlg.inputs().close_when_finished = true;
    runner.run_modal(dlg);

    ASSERT_EQ(dlg.results_file(), std::filesystem::path(".") / "Results-2026-02-03T04-05-06Z.json");
    const nlohmann::json doc = read_json(dlg.results_file());
    EXPECT_FLOAT_EQ(doc["subscores"]["memory"].get<float>(), 1000.0f);
    EXPECT_TRUE(doc["subscores"]["cipher"].is_null());
    EXPECT_EQ(doc["caches"]["levels"], 2);
    EXPECT_EQ(doc["cipher"]["status"], "stopped");
    EXPECT_EQ(doc["md"]["status"], "skipped");
    // The caches appear once, in their own section.
    EXPECT_FALSE(doc["memory"].contains("caches"));
    // Provenance: the program, the console log and the load at start and end.
    const nlohmann::json& p = doc["provenance"];
    EXPECT_EQ(p["compiler"], doc["compiler"]);
    EXPECT_TRUE(p["load_average_start"].is_number());
    EXPECT_TRUE(p["load_average_end"].is_number());
    EXPECT_EQ(p["console_log"], "unknown");  // no log file in this test
    for (const char* key :
         {"program_version", "source_revision", "os", "kernel", "cpu_model_name", "cpu_family",
          "cpu_model", "cpu_stepping", "microcode", "cores", "threads_per_core", "smt",
          "scaling_governor", "boost", "memory_bytes", "transparent_hugepages", "command_line"})
        EXPECT_TRUE(p.contains(key)) << key;
}

TEST(ResultsFile, ProvenanceUnderAnEmptyRootIsUnknownNotAFailure) {
    testing_support::TempDir dir;
    const nlohmann::json p = suite::run_provenance_json(dir.path());
    EXPECT_EQ(p["kernel"], "unknown");
    EXPECT_EQ(p["cores"], "unknown");
    EXPECT_TRUE(p["load_average_end"].is_null());
}

}  // namespace
