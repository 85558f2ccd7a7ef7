// The queue hand-over (deck lookups, kernels, the lines around the suite, closing) and the
// menu drivers' lines, with scripted benchmark runs.
#include "suite/automation.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/benchmark_codes.h"
#include "app/console.h"
#include "fake_runs.h"
#include "suite/cli_report.h"
#include "suite_test_support.h"

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
        for (int code = 1; code <= 7; ++code) runs.scripts[code].headline = 10.0;
        runs.scripts[1].figures = {{"latency_ns", 50.0}};
    }

    static app::CommandLine queue(std::vector<int> codes, bool automate) {
        app::CommandLine cl;
        cl.queue = std::move(codes);
        cl.start_pending = true;
        cl.close_when_finished = automate;
        cl.tokens = 1;
        return cl;
    }

    std::string log_file() const {
        std::ifstream f("console.txt", std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
};

TEST_F(HandOver, DeckNamesAreLookedUpIgnoringCaseAndKeepTheirStoredSpelling) {
    suite_test::write_file("MD/Helium.in", "");
    suite_test::write_file("Input Files/Hg.in", "");
    app::CommandLine cl = queue({2, 3, 5}, true);
    cl.md_deck = "HELIUM.IN";
    cl.orbitra_deck = "HG.IN";
    cl.dgemm_kernel = "COMPILER";
    cl.sgemm_kernel = "SOMETHING";
    const suite::SuiteInputs in = suite::hand_over_inputs(cl);
    EXPECT_EQ(in.md_deck, "Helium");
    EXPECT_EQ(in.orbitra_deck, "Hg");
    EXPECT_EQ(in.dgemm_kernel, "COMPILER");
    EXPECT_EQ(in.sgemm_kernel, "");  // SGEMM is not queued
    EXPECT_TRUE(in.automatic_run_requested);
    EXPECT_TRUE(in.close_when_finished);

    cl.md_deck = "NOSUCH.IN";
    cl.queue = {8};
    const suite::SuiteInputs all = suite::hand_over_inputs(cl);
    EXPECT_EQ(all.md_deck, "");  // not found: handed on empty
    EXPECT_EQ(all.orbitra_deck, "Hg");
    EXPECT_EQ(all.sgemm_kernel, "SOMETHING");

    cl.queue.assign(150, app::kCodeCipher);
    EXPECT_EQ(suite::hand_over_inputs(cl).queue.size(), suite::kSuiteQueueCapacity);
}

TEST_F(HandOver, RunsTheQueueBetweenItsAppendedLines) {
    suite_test::write_file("MD/Argon-Helium.in", "");
    suite_test::write_file("MD/Helium.in", "");
    app::CommandLine cl = queue({2}, true);
    cl.md_deck = "HELIUM.IN";
    int refreshes = 0;
    suite::HandOverOptions opt;
    opt.refresh_console = [&] { ++refreshes; };
    const suite::HandOverResult r = suite::run_configuration(cl, runs.registry, runner, opt);

    ASSERT_EQ(runs.calls.size(), 1u);
    EXPECT_EQ(runs.calls[0].request.deck, "Helium");
    EXPECT_EQ(r.dialog_result, app::kIdCancel);
    EXPECT_TRUE(r.close_program);
    EXPECT_TRUE(r.all_ok);
    EXPECT_EQ(refreshes, 2);
    EXPECT_FALSE(r.results_file.empty());
    const std::string text = app::console().text();
    EXPECT_EQ(text.find("Lumetra 2.0 Run Configuration...\x1b\x1b\r\n"), 0u);
    EXPECT_NE(text.find("\r\nArgon-Helium\r\nHelium\r\n"), std::string::npos);
    const std::string closing = with_cursor("Finished Lumetra 2.0 Run Configuration.");
    EXPECT_EQ(text.substr(text.size() - closing.size()), closing);
    // Appended, not logged: the console log file has the suite's lines only.
    const std::string logged = log_file();
    EXPECT_EQ(logged.find("Run Configuration"), std::string::npos);
    EXPECT_NE(logged.find("Helium"), std::string::npos);
}

TEST_F(HandOver, MissingDeckIsHandedOnEmptyAndReportedAsFailure) {
    suite_test::write_file("MD/Argon-Helium.in", "");
    runs.scripts[2] = {app::RunStatus::Failed, 0.0, {}, "deck not found"};
    app::CommandLine cl = queue({2}, true);
    cl.md_deck = "MISSING.IN";
    const suite::HandOverResult r = suite::run_configuration(cl, runs.registry, runner);
    ASSERT_EQ(runs.calls.size(), 1u);
    EXPECT_EQ(runs.calls[0].request.deck, "");
    EXPECT_EQ(r.scores.md, suite::kNotMeasured);
    EXPECT_FALSE(r.all_ok);
    EXPECT_EQ(suite::exit_status(cl, &r), suite::kExitRunFailed);
}

TEST_F(HandOver, WithoutAutomateTheCliStillEndsAndPrintsTheClosingLine) {
    app::CommandLine cl = queue({4}, false);
    suite::HandOverOptions opt;
    opt.end_when_run_over = true;
    const suite::HandOverResult r = suite::run_configuration(cl, runs.registry, runner, opt);
    EXPECT_EQ(r.dialog_result, app::kIdCancel);
    EXPECT_FALSE(r.close_program);
    const std::string text = app::console().text();
    EXPECT_NE(text.find("Finished Lumetra 2.0 Run Configuration."), std::string::npos);
}

TEST_F(HandOver, EmptyAutomateQueueIsAnEmptySuccessfulRun) {
    const app::CommandLine cl = queue({}, true);
    const suite::HandOverResult r = suite::run_configuration(cl, runs.registry, runner);
    EXPECT_TRUE(runs.calls.empty());
    EXPECT_TRUE(r.suite_ran);
    EXPECT_TRUE(r.all_ok);
    EXPECT_EQ(suite::exit_status(cl, &r), suite::kExitOk);
}

TEST(CliReport, ExitStatusAndClosingLines) {
    app::CommandLine bad;
    bad.errors = 1;
    EXPECT_EQ(suite::exit_status(bad, nullptr), suite::kExitCommandLine);
    app::CommandLine nothing;
    EXPECT_EQ(suite::exit_status(nothing, nullptr), suite::kExitOk);

    suite::HandOverResult r;
    r.suite_ran = true;
    r.scores.md = 1234.5f;
    suite::StepOutcome st;
    st.name = "Orbitra";
    st.error = "stopped by the user";
    r.steps.push_back(st);
    r.results_file = "/tmp/Results-1-2-2026-3-4-5.json";
    const std::string text = suite::final_report(r);
    EXPECT_NE(text.find("  Molecular Dynamics      1234.50 LumetraMarks\n"), std::string::npos);
    EXPECT_NE(text.find("  Memory Benchmark     not measured\n"), std::string::npos);
    EXPECT_NE(text.find("  Orbitra: stopped by the user\n"), std::string::npos);
    EXPECT_NE(text.find("Results file: /tmp/Results-1-2-2026-3-4-5.json\n"), std::string::npos);

    r.results_file.clear();
    r.results_error = "cannot create x";
    EXPECT_NE(suite::final_report(r).find("Results file not written: cannot create x"),
              std::string::npos);
}

TEST(CliReport, ProgressLineShowsStepPositionAndElapsed) {
    suite::ActiveRun::Snapshot s;
    EXPECT_EQ(suite::progress_line_text(s), "");
    s.active = true;
    s.name = "Molecular Dynamics";
    s.progress = {"Step", 1200, 4000};
    s.elapsed_s = 12.34;
    EXPECT_EQ(suite::progress_line_text(s), "Molecular Dynamics: Step 1200/4000, 12.3 s");
    s.progress = {"Iteration", 7, 0};
    EXPECT_EQ(suite::progress_line_text(s), "Molecular Dynamics: Iteration 7, 12.3 s");
}

TEST(MenuDrivers, ClosingLinesFollowTheResult) {
    const suite::MenuDriver* md = suite::find_menu_driver(32774);
    ASSERT_NE(md, nullptr);
    EXPECT_EQ(suite::driver_closing_line(*md, app::kIdCancel), "Canceling Molecular Dyanmics.");
    EXPECT_EQ(suite::driver_closing_line(*md, app::kIdOk), "Finished Molecular Dynamics...");
    const suite::MenuDriver* stream = suite::find_menu_driver(32789);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(suite::driver_closing_line(*stream, app::kIdOk), "");
    EXPECT_EQ(suite::find_menu_driver(1), nullptr);
    EXPECT_EQ(suite::menu_drivers().size(), 8u);
    EXPECT_FALSE(suite::menu_request().auto_start);
}

TEST(MenuDrivers, DriverAppendsAroundTheModalRun) {
    app::console().reset();
    suite_test::FakeRuns runs;
    app::HeadlessRunner runner;
    // The user ends a menu-opened dialog; here it closes itself with the OK result.
    class OkDialog : public app::RunController {
      public:
        std::string title() const override { return "x"; }
        void on_paint() override { host().end_dialog(app::kIdOk); }
        void on_timer(int) override {}
    } dialog;
    const suite::MenuDriver& sgemm = *suite::find_menu_driver(144);
    EXPECT_EQ(sgemm.code, app::kCodeSgemm);
    EXPECT_EQ(suite::run_menu_driver(sgemm, dialog, runner), app::kIdOk);
    const std::string text = app::console().text();
    EXPECT_EQ(text, "SGEMM Benchmark Configuration...\x1b\x1b\r\n" +
                        with_cursor("Finished SGEMM Benchmark..."));
}

}  // namespace
