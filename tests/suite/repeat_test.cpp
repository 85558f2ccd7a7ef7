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
#include "app/benchmarks.h"
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

// Every sub-score from one run and from the medians of three, against hand-worked values. Each
// figure is off its reference by its own factor, so swapped inputs would score otherwise.
TEST_F(RepeatSuite, EverySubScoreSingleAndFromTheMedians) {
    suite_test::make_reference_decks();
    const struct {
        const char* step;
        double headline, latency;
    } figures_at[] = {
        {"memory", 4905.475, 69.84},  // 1.25 x 3924.38 MiB/s and 87.3 / 1.25 ns: 1250
        {"stream", 1234.5, 0},        // STREAM's headline is its score
        {"md", 101.0, 0},             // (75.75 - 101) / 101 = -0.25: 750
        {"orbitra", 264.5008, 0},     // 330.626 = 1.25 x 264.5008: 1250
        {"cipher", 140.6375, 0},      // 1.25 x 112.51: 1250
        {"sgemm", 6901.5375, 0},      // 1.25 x 5521.23 (1250) and
        {"dgemm", 2201.424, 0},       // 0.8 x 2751.78 (800): 1025
    };
    const std::map<std::string, float> want = {{"memory", 1250.0f}, {"stream", 1234.5f},
                                               {"md", 750.0f},      {"orbitra", 1250.0f},
                                               {"cipher", 1250.0f}, {"blas", 1025.0f}};
    suite_test::FakeRuns runs;
    std::vector<suite::HandOverResult> results;
    for (double k : {1.5, 1.0, 0.5}) {  // the middle run's figures are the medians
        for (const auto& f : figures_at) {
            suite_test::Script& s = runs.scripts[app::find_benchmark_by_key(f.step)->code];
            s = {app::RunStatus::Completed, f.headline * k};
            if (f.latency > 0) s.figures = {{"latency_ns", f.latency * k}};
        }
        suite::HandOverOptions options;
        options.end_when_run_over = true;
        options.write_results = false;
        results.push_back(
            suite::run_configuration(command_line("-runallbench"), runs.registry, runner, options));
        ASSERT_TRUE(results.back().all_ok);
    }
    const auto figures = suite::figure_spreads(results);
    const suite::SubScores medians = suite::median_subscores(results, figures);
    for (const app::ScoreGroup& g : app::score_groups()) {
        const std::string key(g.key);
        ASSERT_EQ(want.count(key), 1u) << key;
        EXPECT_NEAR(results[1].scores.of(key), want.at(key), 0.01f) << key;
        EXPECT_NEAR(medians.of(key), want.at(key), 0.01f) << key;
    }
    // The summary's figures are the medians too, not the last run's.
    std::vector<suite::StepOutcome> steps = results.back().steps;
    suite::use_median_headlines(steps, figures);
    ASSERT_EQ(steps.size(), results[1].steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(steps[i].record.headline(), results[1].steps[i].record.headline()) << i;
        EXPECT_EQ(steps[i].record.figure("latency_ns"),
                  results[1].steps[i].record.figure("latency_ns"));
    }
    const std::string report = suite::spread_report(figures, 3, 1.5, -1.0);
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
