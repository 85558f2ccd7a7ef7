// The suite run through a headless host with scripted benchmark runs: which steps run, in which
// order, with which decks and kernels, what is logged, and which sub-scores come out.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>

#include "app/benchmark_codes.h"
#include "app/benchmarks.h"
#include "app/console.h"
#include "app/interrupt.h"
#include "suite/suite_dialog.h"
#include "suite_test_support.h"
#include "support/console_capture.h"
#include "support/fake_runs.h"
#include "support/manual_host.h"

namespace {

using app::with_cursor;
using suite::kNotMeasured;
using suite::SuiteController;

class SuiteRun : public ::testing::Test {
  protected:
    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd{dir.path()};
    suite_test::FakeRuns runs;
    app::HeadlessRunner runner;
    testing_support::ConsoleCapture console;  // every text the console receives

    void SetUp() override {
        // Figures at the reference machine's values, so every score is 1000.
        const double figure[] = {0, 3924.38, 75.75, 330.626, 112.51, 2751.78, 5521.23, 1234.5};
        for (int code = 1; code <= 7; ++code) runs.scripts[code].headline = figure[code];
        runs.scripts[1].figures = {{"latency_ns", 87.3}};
    }

    // An automatic run of `queue`, ended by close when finished.
    std::unique_ptr<SuiteController> run_queue(std::vector<int> queue, std::string md_deck = "",
                                               std::string orbitra_deck = "") {
        auto dlg = std::make_unique<SuiteController>(runs.registry);
        dlg->inputs().queue = std::move(queue);
        dlg->inputs().md_deck = std::move(md_deck);
        dlg->inputs().orbitra_deck = std::move(orbitra_deck);
        dlg->inputs().sgemm_kernel = dlg->inputs().dgemm_kernel = "COMPILER";
        dlg->inputs().automatic_run_requested = dlg->inputs().close_when_finished = true;
        runner.run_modal(*dlg);
        return dlg;
    }

    std::string console_after_located() const {
        const std::string first = with_cursor("Located 0 performance comparisons for Lumetra.");
        EXPECT_EQ(console.written.rfind(first, 0), 0u) << console.written;
        return console.written.substr(std::min(console.written.size(), first.size()));
    }

    static std::vector<float> all(const suite::SubScores& s) {
        return {s.of("memory"),  s.of("stream"), s.of("md"),
                s.of("orbitra"), s.of("cipher"), s.of("blas")};
    }
};

TEST_F(SuiteRun, StepsRunInFixedOrderWithTheirDecksAndScoreAtTheReference) {
    suite_test::make_reference_decks();
    auto dlg = run_queue({6, 5, 4, 3, 2, 1, 7}, "Helium", "HG");
    ASSERT_EQ(runs.codes_called(), (std::vector<int>{1, 7, 2, 3, 4, 6, 5}));
    for (const auto& c : runs.calls) {
        EXPECT_TRUE(c.request.auto_start && c.request.close_when_done);
        const bool blas = c.code == app::kCodeSgemm || c.code == app::kCodeDgemm;
        EXPECT_EQ(c.request.kernel, blas ? "COMPILER" : c.request.kernel);
    }
    EXPECT_EQ(runs.calls[2].request.deck, "Helium");
    EXPECT_EQ(runs.calls[3].request.deck, "HG");
    // Another deck still scores against the reference time: the reference deck is present.
    EXPECT_NE(console_after_located().find("\r\nArgon-Helium\r\nHelium\r\n" + with_cursor("ran 2")),
              std::string::npos);
    EXPECT_EQ(all(dlg->scores()),
              (std::vector<float>{1000.0f, 1234.5f, 1000.0f, 1000.0f, 1000.0f, 1000.0f}));
    EXPECT_TRUE(dlg->all_steps_ok());
}

TEST_F(SuiteRun, OnlyDgemmQueuedExplainsTheMissingBlasScore) {
    auto dlg = run_queue({5});
    EXPECT_NE(console_after_located().find(
                  with_cursor("run both -sgemm and -dgemm from the command line.")),
              std::string::npos);
    EXPECT_EQ(dlg->scores().of("blas"), kNotMeasured);
    EXPECT_TRUE(dlg->all_steps_ok());  // DGEMM produced its figure
}

TEST_F(SuiteRun, MissingReferenceDecksSkipWithTheirErrorLines) {
    auto dlg = run_queue({2, 3, 4}, "Argon-Helium", "Ag");
    EXPECT_EQ(runs.codes_called(), (std::vector<int>{4}));
    EXPECT_EQ(console_after_located(),
              with_cursor("Error: Could not execute Molecular Dynamics test, skipping...") +
                  with_cursor("Error: Could not execute Orbitra test, skipping...") +
                  with_cursor("Running Cipher Benchmark...") + with_cursor("ran 4") +
                  with_cursor("Finished Cipher Benchmark..."));
    EXPECT_EQ(dlg->scores().of("md"), kNotMeasured);
    ASSERT_EQ(dlg->steps().size(), 3u);
    EXPECT_FALSE(dlg->steps()[0].ran);
    EXPECT_NE(dlg->steps()[0].error.find("Argon-Helium.in"), std::string::npos);
}

TEST_F(SuiteRun, ReferenceDeckStoredInOtherCaseRunsButIsNotScored) {
    suite_test::write_file("MD/argon-helium.IN", "deck\n");
    auto dlg = run_queue({2}, "argon-helium");
    EXPECT_EQ(runs.codes_called(), (std::vector<int>{2}));
    EXPECT_EQ(dlg->scores().of("md"), kNotMeasured);
    EXPECT_TRUE(dlg->all_steps_ok());
}

TEST_F(SuiteRun, FailedStoppedAndFigurelessRunsNeverScore) {
    suite_test::make_reference_decks();
    runs.scripts[1] = {app::RunStatus::Completed, 3924.38};  // no latency figure
    runs.scripts[2] = {app::RunStatus::Failed, 0.0, {}, "Error opening deck"};
    runs.scripts[3] = {app::RunStatus::Stopped, 12.0, {}, "stopped by the user"};
    runs.scripts[4] = {app::RunStatus::Completed, 0.0};
    runs.scripts[6] = {app::RunStatus::Completed, std::nan("")};
    runs.scripts[7].end_without_record = true;
    runs.scripts[5] = {app::RunStatus::Completed, 1e300};  // infinite as a float
    auto dlg = run_queue({8}, "Argon-Helium", "Ag");
    for (float v : all(dlg->scores())) EXPECT_EQ(v, kNotMeasured);
    ASSERT_EQ(dlg->steps().size(), app::kBenchmarkCount);
    for (const auto& st : dlg->steps()) {
        EXPECT_FALSE(st.ok) << st.key;
        EXPECT_FALSE(st.error.empty()) << st.key;
    }
    EXPECT_EQ(dlg->steps()[2].error, "Error opening deck");
}

// An interrupt (SIGINT/SIGTERM in the program without a window) mid-suite: a run that can stop
// is stopped through its Cancel, one that cannot is left to finish and keeps its figure, the
// steps after it are not started, and the results file holds what was measured.
TEST_F(SuiteRun, AnInterruptStopsTheRunningStepSkipsTheRestAndWritesWhatWasMeasured) {
    // No request may outlive this test, even one that fails half-way.
    struct Clear {
        ~Clear() { app::clear_interrupt(); }
    } clear;
    // Molecular dynamics stops through its Cancel; cipher and SGEMM cannot and run to their end.
    struct Row {
        std::vector<int> queue;
        int interrupted_code;
        std::vector<int> called;
        std::vector<float> scores;  // memory, stream, md, orbitra, cipher, blas
        const char* last_key;       // the last section in the results file
    };
    const float n = kNotMeasured;
    const Row rows[] = {
        {{4, 1, 2}, 2, {1, 2}, {1000, n, n, n, n, n}, "md"},
        {{5, 4, 6}, 4, {4}, {n, n, n, n, 1000, n}, "cipher"},
        {{5, 6}, 6, {6}, {n, n, n, n, n, n}, "sgemm"},  // DGEMM is not started
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.last_key);
        const bool stoppable = row.interrupted_code == 2;
        app::clear_interrupt();
        runs.calls.clear();
        suite_test::ScriptedRun::stops = 0;
        suite_test::make_reference_decks();
        for (int code = 1; code <= 7; ++code) {
            runs.scripts[code].interrupt_mid_run = code == row.interrupted_code;
            runs.scripts[code].stoppable = code == row.interrupted_code && stoppable;
        }
        console.written.clear();
        auto dlg = run_queue(row.queue);
        EXPECT_EQ(runs.codes_called(), row.called);
        EXPECT_EQ(all(dlg->scores()), row.scores);
        EXPECT_EQ(suite_test::ScriptedRun::stops, stoppable ? 1 : 0);
        EXPECT_TRUE(dlg->interrupted());
        EXPECT_FALSE(dlg->all_steps_ok());
        EXPECT_NE(console.written.find(with_cursor("Run interrupted.")), std::string::npos)
            << console.written;
        ASSERT_FALSE(dlg->steps().empty());
        EXPECT_EQ(dlg->steps().back().key, row.last_key);

        std::ifstream f(dlg->results_file());
        ASSERT_TRUE(f) << dlg->results_error();
        const nlohmann::json doc = nlohmann::json::parse(f);
        EXPECT_EQ(doc["interrupted"], true);
        EXPECT_EQ(doc[row.last_key]["status"], stoppable ? "stopped" : "completed");
        EXPECT_FALSE(doc.contains("dgemm"));
        // A sub-score not measured is null in the file.
        auto score = [&](const char* key) {
            const nlohmann::json& v = doc["subscores"][key];
            return v.is_null() ? double(kNotMeasured) : v.get<double>();
        };
        EXPECT_DOUBLE_EQ(score("memory"), row.scores[0]);
        EXPECT_DOUBLE_EQ(score("cipher"), row.scores[4]);
        EXPECT_DOUBLE_EQ(score("md"), kNotMeasured);
    }
    app::clear_interrupt();
    // Without an interrupt the file says so and nothing is logged.
    console.written.clear();
    runs.scripts[6].interrupt_mid_run = false;
    auto dlg = run_queue({4});
    EXPECT_EQ(nlohmann::json::parse(std::ifstream(dlg->results_file()))["interrupted"], false);
    EXPECT_EQ(console.written.find("Run interrupted."), std::string::npos);
}

}  // namespace
