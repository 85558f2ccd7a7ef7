// Repeated runs: the spread of each headline figure against hand-computed values, sub-scores
// from the medians (every sub-score, BLAS with both precisions), the unsteady flag, and three
// real cipher runs with test-sized passes in the report and the results file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>

#include "app/benchmark_codes.h"
#include "app/command_line.h"
#include "app/headless_host.h"
#include "app/run_registry.h"
#include "cipher/cipher_run.h"
#include "suite/repeat.h"
#include "suite/scores.h"
#include "suite_test_support.h"
#include "support/fake_runs.h"

namespace {

TEST(Repeat, SpreadOfHandComputedSets) {
    struct Row {
        std::vector<double> v;
        double min, median, max, cv;
    } rows[] = {
        {{10, 12, 11}, 10, 11, 12, 100.0 / 11.0},                       // sd 1, mean 11
        {{4, 1, 3, 2}, 1, 2.5, 4, std::sqrt(5.0 / 3.0) / 2.5 * 100.0},  // even count
        {{7}, 7, 7, 7, 0},
        {{5, 5, 5}, 5, 5, 5, 0},
    };
    for (const Row& r : rows) {
        const suite::Spread s = suite::spread_of(r.v);
        EXPECT_DOUBLE_EQ(s.min, r.min);
        EXPECT_DOUBLE_EQ(s.median, r.median);
        EXPECT_DOUBLE_EQ(s.max, r.max);
        EXPECT_NEAR(s.cv_percent, r.cv, 1e-9);
    }
}

class RepeatSuite : public ::testing::Test {
  protected:
    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd{dir.path()};
    app::HeadlessRunner runner;

    app::CommandLine command_line(const char* text) {
        app::console().reset();
        return app::parse_command_line(text);
    }
};

TEST_F(RepeatSuite, SubScoresComeFromTheMediansAndUnsteadyFiguresAreFlagged) {
    suite_test::FakeRuns runs;
    const app::CommandLine cl = command_line("-membench -cipherbench -sgemm -dgemm");
    std::vector<suite::HandOverResult> results;
    // Every median is the reference machine's figure, so every sub-score is 1000: bandwidth
    // and latency for memory, 112.51 MB/s for the cipher, and the single- and double-precision
    // MFLOPS for BLAS (their references differ, so swapped medians would not score 1000).
    const double bw[] = {3000.0, 3924.38, 4000.0}, lat[] = {90.0, 80.0, 87.3};
    const double rate[] = {200.0, 112.51, 100.0};
    const double sgemm[] = {9000.0, 5521.23, 100.0}, dgemm[] = {2751.78, 1000.0, 3000.0};
    for (int i = 0; i < 3; ++i) {
        runs.scripts[app::kCodeMemory] = {
            app::RunStatus::Completed, bw[i], {{"latency_ns", lat[i]}}};
        runs.scripts[app::kCodeCipher] = {app::RunStatus::Completed, rate[i], {}};
        runs.scripts[app::kCodeSgemm] = {app::RunStatus::Completed, sgemm[i], {}};
        runs.scripts[app::kCodeDgemm] = {app::RunStatus::Completed, dgemm[i], {}};
        suite::HandOverOptions options;
        options.end_when_run_over = true;
        options.write_results = false;
        results.push_back(suite::run_configuration(cl, runs.registry, runner, options));
        ASSERT_TRUE(results.back().all_ok);
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "a repeated run wrote its own file";

    // The memory headline is named "headline" by the scripted runs; the sub-score reads the
    // memory run's own name, so give the spreads the real names.
    auto figures = suite::figure_spreads(results);
    ASSERT_EQ(figures.size(), 5u);
    for (suite::FigureSpread& f : figures) {
        if (f.id == "cipher.headline") {
            EXPECT_DOUBLE_EQ(f.spread.median, 112.51);
            EXPECT_EQ(f.values, (std::vector<double>{200.0, 112.51, 100.0}));
        }
        if (f.id == "memory.headline") f.id = "memory.bandwidth";
    }
    const suite::SubScores s = suite::median_subscores(results, figures);
    for (const char* key : {"memory", "cipher", "blas"})
        EXPECT_NEAR(s.of(key), 1000.0f, 0.01f) << key;
    // The summary's headlines are the medians too, not the last run's figures.
    std::vector<suite::StepOutcome> steps = results.back().steps;
    suite::use_median_headlines(steps, figures);
    const std::map<std::string, double> medians = {
        {"cipher", 112.51}, {"sgemm", 5521.23}, {"dgemm", 2751.78}};
    int checked = 0;
    for (const suite::StepOutcome& st : steps) {
        const auto m = medians.find(st.key);
        if (m == medians.end()) continue;
        EXPECT_DOUBLE_EQ(st.record.headline(), m->second) << st.key;
        ++checked;
    }
    EXPECT_EQ(checked, 3);
    EXPECT_EQ(s.of("md"), suite::kNotMeasured);

    const std::string report = suite::spread_report(figures, 3, 1.5, -1.0);
    EXPECT_NE(report.find("Spread over 3 runs"), std::string::npos);
    EXPECT_NE(report.find("UNSTEADY"), std::string::npos) << report;
    EXPECT_NE(report.find("1-minute load average 1.50 at start, unknown at end"), std::string::npos)
        << report;
}

TEST_F(RepeatSuite, ThreeCipherRunsGiveThreeFiguresAMedianAndACv) {
    app::RunRegistry registry;
    registry.add(app::kCodeCipher, [](const app::RunRequest& request) {
        cipher::CipherRunConfig config;
        config.passes = 2;
        config.pass_bytes = 1 << 20;
        auto c = std::make_unique<cipher::CipherController>(config);
        c->apply(request);
        return std::unique_ptr<app::RunController>(std::move(c));
    });
    const app::CommandLine cl = command_line("-cipherbench");
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    const int status = suite::run_queue_repeated_for_cli(cl, registry, runner, 3, out, nullptr);
    std::rewind(out);
    std::string text;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, out)) > 0;) text.append(buf, n);
    std::fclose(out);
    EXPECT_EQ(status, 0) << text;
    EXPECT_NE(text.find("Spread over 3 runs (min / median / max, CV):"), std::string::npos) << text;
    EXPECT_NE(text.find("Cipher Bench: rate"), std::string::npos) << text;
    EXPECT_NE(text.find("Sub-scores from the medians:"), std::string::npos) << text;

    const auto pos = text.find("Results file: ");
    ASSERT_NE(pos, std::string::npos) << text;
    std::ifstream f(text.substr(pos + 14, text.find('\n', pos) - pos - 14));
    const nlohmann::json doc = nlohmann::json::parse(f);
    EXPECT_EQ(doc["repeat"]["count"], 3);
    ASSERT_EQ(doc["repeat"]["runs"].size(), 3u);
    const nlohmann::json& s = doc["repeat"]["spread"]["cipher.rate"];
    ASSERT_EQ(s["values"].size(), 3u);
    std::vector<double> v = s["values"].get<std::vector<double>>();
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_DOUBLE_EQ(v[i],
                         doc["repeat"]["runs"][i]["cipher"]["headline"]["value"].get<double>());
    std::sort(v.begin(), v.end());
    EXPECT_DOUBLE_EQ(s["median"].get<double>(), v[1]);
    EXPECT_GE(s["cv_percent"].get<double>(), 0.0);
    EXPECT_NEAR(doc["subscores"]["cipher"].get<double>(), suite::cipher_subscore(v[1]), 0.01);
    // One results file for the three runs, with its provenance.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        files += e.path().extension() == ".json";
    EXPECT_EQ(files, 1);
    EXPECT_TRUE(doc["provenance"]["load_average_start"].is_number());
}

}  // namespace
