// The results file: its name, its content built from run records, and its atomic,
// never-overwriting write.
#include "suite/results_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "app/console.h"
#include "app/headless_host.h"
#include "fake_runs.h"
#include "suite_test_support.h"

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

suite::StepOutcome completed_step(const char* key, double headline, nlohmann::json figures) {
    suite::StepOutcome st;
    st.key = key;
    st.ran = st.ok = true;
    st.record.begin();
    st.record.merge_figures(figures);
    st.record.set_headline("headline", headline);
    st.record.complete();
    return st;
}

TEST(ResultsFile, NameIsTheUtcStartUnpadded) {
    EXPECT_EQ(suite::results_file_name(utc(2026, 3, 5, 14, 7, 9)), "Results-3-5-2026-14-7-9.json");
    EXPECT_EQ(suite::results_file_name(utc(2026, 12, 31, 0, 0, 0)),
              "Results-12-31-2026-0-0-0.json");
}

TEST(ResultsFile, ContentComesFromTheRecords) {
    suite::SubScores scores;
    scores.memory = 1200.5f;
    scores.md = std::numeric_limits<float>::infinity();  // never printed as a score
    std::vector<suite::StepOutcome> steps;
    steps.push_back(completed_step(
        "memory", 4000.0,
        {{"bandwidth_mbs", 4000.0}, {"latency_ns", 80.0}, {"caches", {{"l1_kb", 32}}}}));
    suite::StepOutcome md;
    md.key = "md";
    md.ran = true;
    md.record.begin();
    md.record.fail("Error opening deck");
    md.error = "Error opening deck";
    steps.push_back(md);
    suite::StepOutcome orb;
    orb.key = "orbitra";
    orb.error = "Could not execute Orbitra test: Input Files/Ag.in not found";
    steps.push_back(orb);
    steps.push_back(completed_step("sgemm", 5000.0, {{"deck", std::string("\xff\xfe bad")}}));

    app::ProcessorInfo info;
    std::memcpy(info.vendor, "GenuineIntelX", 13);  // no terminator in the fixed field
    std::memcpy(info.brand, "Test CPU", 9);
    info.sse = info.sse2 = info.avx2 = 1;
    info.processor_count = 4;
    info.physical_processor_count = 2;
    info.clock_rate_wide = 2500.0;

    const nlohmann::json doc = suite::results_json(scores, steps, info, utc(2026, 1, 2, 3, 4, 5));
    EXPECT_EQ(doc["program"], "Lumetra 2.0");
    EXPECT_EQ(doc["build"], "Build 21MAR05");
    EXPECT_FALSE(doc["compiler"].get<std::string>().empty());
    EXPECT_NE(doc["compiler_flags"].get<std::string>().find("-ffp-contract=off"),
              std::string::npos);
    EXPECT_EQ(doc["processor"]["vendor"], "GenuineIntelX");
    EXPECT_EQ(doc["processor"]["processor_count"], 4);
    EXPECT_EQ(doc["processor"]["physical_processor_count"], 2);
    EXPECT_EQ(doc["processor"]["flags"], (nlohmann::json{"sse", "sse2", "avx2"}));
    EXPECT_EQ(doc["caches"]["l1_kb"], 32);
    EXPECT_FLOAT_EQ(doc["subscores"]["memory"].get<float>(), 1200.5f);
    EXPECT_EQ(doc["subscores"]["md"], -1.0);
    EXPECT_EQ(doc["subscores"]["blas"], -1.0);
    EXPECT_EQ(doc["memory"]["latency_ns"], 80.0);
    EXPECT_EQ(doc["memory"]["status"], "completed");
    EXPECT_FALSE(doc["memory"].contains("error"));
    EXPECT_EQ(doc["md"]["status"], "failed");
    EXPECT_EQ(doc["md"]["error"], "Error opening deck");
    EXPECT_EQ(doc["orbitra"]["status"], "skipped");
    EXPECT_NE(doc["orbitra"]["error"].get<std::string>().find("Ag.in"), std::string::npos);
    EXPECT_FALSE(doc.contains("stream"));
    EXPECT_FALSE(doc.contains("cipher"));

    // Any bytes from a record still make a file.
    testing_support::TempDir dir;
    std::string error;
    const auto path = suite::write_results_file(dir.path(), Clock::now(), doc, &error);
    ASSERT_FALSE(path.empty()) << error;
    EXPECT_EQ(read_json(path)["md"]["error"], "Error opening deck");
}

TEST(ResultsFile, RunsInTheSameSecondNeverOverwriteEachOther) {
    testing_support::TempDir dir;
    const auto when = utc(2026, 6, 7, 8, 9, 10);
    std::string error;
    const auto a = suite::write_results_file(dir.path(), when, {{"run", 1}}, &error);
    const auto b = suite::write_results_file(dir.path(), when, {{"run", 2}}, &error);
    const auto c = suite::write_results_file(dir.path(), when, {{"run", 3}}, &error);
    EXPECT_EQ(a.filename(), "Results-6-7-2026-8-9-10.json");
    EXPECT_EQ(b.filename(), "Results-6-7-2026-8-9-10-2.json");
    EXPECT_EQ(c.filename(), "Results-6-7-2026-8-9-10-3.json");
    EXPECT_EQ(read_json(a)["run"], 1);
    EXPECT_EQ(read_json(b)["run"], 2);
    // Nothing but the three files: no temporary file is left behind.
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 3);
}

TEST(ResultsFile, UnwritableFolderReportsInsteadOfPretending) {
    testing_support::TempDir dir;
    std::string error;
    const auto path =
        suite::write_results_file(dir.path() / "missing", Clock::now(), {{"x", 1}}, &error);
    EXPECT_TRUE(path.empty());
    EXPECT_NE(error.find("missing"), std::string::npos);
}

TEST(ResultsFile, AtomicWriteReplacesWholeOrNotAtAll) {
    testing_support::TempDir dir;
    const auto p = dir.path() / "f.txt";
    std::string error;
    ASSERT_TRUE(suite::write_file_atomically(p, "first", &error));
    ASSERT_TRUE(suite::write_file_atomically(p, "second", &error));
    std::ifstream f(p);
    std::stringstream ss;
    ss << f.rdbuf();
    EXPECT_EQ(ss.str(), "second");
    EXPECT_FALSE(suite::write_file_atomically(dir.path() / "no" / "f.txt", "x", &error));
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
    suite::CSuiteDlg dlg(runs.registry);
    dlg.set_clock([] { return utc(2026, 2, 3, 4, 5, 6); });
    dlg.inputs().queue = {4, 2, 1};
    dlg.inputs().automatic_run_requested = true;
    dlg.inputs().close_when_finished = true;
    runner.run_modal(dlg);

    ASSERT_EQ(dlg.results_file(), std::filesystem::path(".") / "Results-2-3-2026-4-5-6.json");
    const nlohmann::json doc = read_json(dlg.results_file());
    EXPECT_FLOAT_EQ(doc["subscores"]["memory"].get<float>(), 1000.0f);
    EXPECT_EQ(doc["subscores"]["cipher"], -1.0);
    EXPECT_EQ(doc["caches"]["levels"], 2);
    EXPECT_EQ(doc["cipher"]["status"], "stopped");
    EXPECT_EQ(doc["cipher"]["error"], "stopped by the user");
    EXPECT_EQ(doc["md"]["status"], "skipped");
    EXPECT_FALSE(doc.contains("stream"));
}

}  // namespace
