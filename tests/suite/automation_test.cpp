// The queue hand-over (deck lookups, a missing deck, exit status) and the CLI's closing report,
// with scripted benchmark runs.
#include "suite/automation.h"

#include <gtest/gtest.h>

#include "app/benchmark_codes.h"
#include "app/console.h"
#include "app/headless_host.h"
#include "suite/cli_report.h"
#include "suite_test_support.h"
#include "support/fake_runs.h"

namespace {

using app::with_cursor;

class HandOver : public ::testing::Test {
  protected:
    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd{dir.path()};
    suite_test::FakeRuns runs;
    app::HeadlessRunner runner;

    void SetUp() override {
        app::console().reset();
        app::console().create_log_file("console.txt");
        suite_test::write_file("MD/Argon-Helium.in", "");
        suite_test::write_file("MD/Helium.in", "");
        suite_test::write_file("Input Files/Hg.in", "");
    }

    static app::CommandLine queue(std::vector<int> codes, bool automate = true) {
        app::CommandLine cl;
        cl.queue = std::move(codes);
        cl.start_pending = true;
        cl.close_when_finished = automate;
        cl.tokens = 1;
        return cl;
    }
};

TEST_F(HandOver, DeckNamesAreLookedUpIgnoringCaseAndKeepTheirStoredSpelling) {
    app::CommandLine cl = queue({2, 3, 5});
    cl.md_deck = "HELIUM.IN";
    cl.orbitra_deck = "HG.IN";
    cl.dgemm_kernel = "COMPILER";
    cl.sgemm_kernel = "SOMETHING";
    suite::SuiteInputs in = suite::hand_over_inputs(cl);
    EXPECT_EQ(in.md_deck, "Helium");
    EXPECT_EQ(in.orbitra_deck, "Hg");
    EXPECT_EQ(in.dgemm_kernel, "COMPILER");
    EXPECT_EQ(in.sgemm_kernel, "");  // SGEMM is not queued

    // Not found: handed on by the name the user typed, so the run refuses it by that name.
    cl.md_deck = "NOSUCH.IN";
    cl.md_deck_typed = "nosuch.in";
    cl.queue = {8};
    in = suite::hand_over_inputs(cl);
    EXPECT_EQ(in.md_deck, "nosuch.in");
    EXPECT_TRUE(in.md_deck_typed);
    EXPECT_EQ(in.sgemm_kernel, "SOMETHING");

    cl.queue.assign(150, app::kCodeCipher);
    EXPECT_EQ(suite::hand_over_inputs(cl).queue.size(), suite::kSuiteQueueCapacity);
}

TEST_F(HandOver, MissingDeckIsHandedOnByItsTypedNameAndReportedAsFailure) {
    runs.scripts[2] = {app::RunStatus::Failed, 0.0, {}, "deck not found"};
    app::CommandLine cl = queue({2});
    cl.md_deck = "MISSING.IN";
    cl.md_deck_typed = "Missing.in";
    const suite::HandOverResult r = suite::run_configuration(cl, runs.registry, runner);
    ASSERT_EQ(runs.calls.size(), 1u);
    EXPECT_EQ(runs.calls[0].request.deck, "Missing.in");
    EXPECT_TRUE(runs.calls[0].request.deck_typed);
    EXPECT_EQ(r.scores.of("md"), suite::kNotMeasured);
    EXPECT_FALSE(r.all_ok);
    EXPECT_EQ(suite::exit_status(cl, &r), suite::kExitRunFailed);
}

TEST(CliReport, ExitStatusAndClosingLines) {
    app::CommandLine bad;
    bad.errors = 1;
    EXPECT_EQ(suite::exit_status(bad, nullptr), suite::kExitCommandLine);
    EXPECT_EQ(suite::exit_status(app::CommandLine{}, nullptr), suite::kExitOk);

    suite::HandOverResult r;
    r.suite_ran = true;
    r.scores.of("md") = 1234.5f;
    r.steps.push_back({});
    r.steps.back().name = "Orbitra";
    r.steps.back().error = "stopped by the user";
    r.results_file = "/tmp/R.json";
    const std::string text = suite::final_report(r);
    EXPECT_NE(text.find("  Molecular Dynamics      1234.50 LumetraMarks\n"), std::string::npos);
    EXPECT_NE(text.find("  Orbitra: stopped by the user\n"), std::string::npos);
    r.results_file.clear();
    r.results_error = "cannot create x";
    EXPECT_NE(suite::final_report(r).find("Results file not written: cannot create x"),
              std::string::npos);
}

}  // namespace
