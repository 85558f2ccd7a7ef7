// The suite run through a headless host with scripted benchmark runs: which steps run, in which
// order, with which decks and kernels, what is logged, and which sub-scores come out.
#include <gtest/gtest.h>

#include <cmath>

#include "app/benchmark_codes.h"
#include "app/console.h"
#include "app/message_sink.h"
#include "fake_runs.h"
#include "suite/active_run.h"
#include "suite/suite_dialog.h"
#include "suite_test_support.h"

namespace {

using app::with_cursor;
using suite::CSuiteDlg;
using suite_test::FakeRuns;
using suite_test::Script;

class SuiteRun : public ::testing::Test {
  protected:
    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd{dir.path()};
    FakeRuns runs;
    app::HeadlessRunner runner;

    // Every text the console receives, as written (the console itself dims older markers).
    std::string written;

    void SetUp() override {
        app::console().reset();
        app::console().set_listener([this](std::string_view t) { written += t; });
        // Figures at the reference machine's values, so every score is 1000.
        runs.scripts[1] = {app::RunStatus::Completed, 3924.38, {{"latency_ns", 87.3}}};
        runs.scripts[2] = {app::RunStatus::Completed, 75.75};
        runs.scripts[3] = {app::RunStatus::Completed, 330.626};
        runs.scripts[4] = {app::RunStatus::Completed, 112.51};
        runs.scripts[5] = {app::RunStatus::Completed, 2751.78};
        runs.scripts[6] = {app::RunStatus::Completed, 5521.23};
        runs.scripts[7] = {app::RunStatus::Completed, 1234.5};
    }

    // An automatic run of `queue`, ended by close when finished.
    std::unique_ptr<CSuiteDlg> run_queue(std::vector<int> queue, std::string md_deck = "",
                                         std::string orbitra_deck = "") {
        auto dlg = std::make_unique<CSuiteDlg>(runs.registry);
        dlg->inputs().queue = std::move(queue);
        dlg->inputs().md_deck = std::move(md_deck);
        dlg->inputs().orbitra_deck = std::move(orbitra_deck);
        dlg->inputs().sgemm_kernel = "COMPILER";
        dlg->inputs().dgemm_kernel = "COMPILER";
        dlg->inputs().automatic_run_requested = true;
        dlg->inputs().close_when_finished = true;
        last_result = runner.run_modal(*dlg);
        return dlg;
    }

    void TearDown() override { app::console().set_listener({}); }

    std::string console_after_located() const {
        const std::string& text = written;
        const std::string first = with_cursor("Located 0 performance comparisons for Lumetra.");
        EXPECT_EQ(text.rfind(first, 0), 0u) << text;
        return text.substr(std::min(text.size(), first.size()));
    }

    int last_result = 0;
};

TEST(QueueToSelection, EachCodeTicksItsBoxesOnly) {
    using suite::Selections;
    using suite::selections_for_queue;
    const std::vector<int> dgemm{5};
    Selections s = selections_for_queue(dgemm);
    EXPECT_TRUE(s.blas && s.run_dgemm);
    EXPECT_FALSE(s.run_sgemm || s.memory || s.stream || s.md || s.orbitra || s.cipher);

    const std::vector<int> both{6, 5};
    s = selections_for_queue(both);
    EXPECT_TRUE(s.blas && s.run_dgemm && s.run_sgemm);

    const std::vector<int> all{8};
    EXPECT_EQ(selections_for_queue(all), Selections{});

    const std::vector<int> mixed{4, 1, 2, 3, 7};
    s = selections_for_queue(mixed);
    EXPECT_TRUE(s.cipher && s.memory && s.md && s.orbitra && s.stream);
    EXPECT_FALSE(s.blas || s.run_dgemm || s.run_sgemm);

    const std::vector<int> junk{0, 9, -1};
    EXPECT_EQ(selections_for_queue(junk), Selections::none());
    EXPECT_EQ(selections_for_queue({}), Selections::none());
}

TEST_F(SuiteRun, StepsRunInFixedOrderWhateverTheQueueOrder) {
    suite_test::make_reference_decks();
    auto dlg = run_queue({6, 5, 4, 3, 2, 1, 7}, "Argon-Helium", "Ag");
    EXPECT_EQ(last_result, app::kIdCancel);
    EXPECT_EQ(runs.codes_called(), (std::vector<int>{1, 7, 2, 3, 4, 6, 5}));

    const std::string expected =
        with_cursor("Running Memory Benchmark...") + with_cursor("ran 1") +
        with_cursor("Finished Memory Benchmark...") + with_cursor("Running STREAM Benchmark...") +
        with_cursor("ran 7") + with_cursor("Finished STREAM Benchmark...") +
        "\r\nArgon-Helium\r\nArgon-Helium\r\n" + with_cursor("ran 2") + with_cursor("ran 3") +
        with_cursor("Running Cipher Benchmark...") + with_cursor("ran 4") +
        with_cursor("Finished Cipher Benchmark...") +
        with_cursor("Running Single Precision BLAS...") + with_cursor("ran 6") +
        with_cursor("Finished Single Precision Benchmark...") +
        with_cursor("Running Double Precision BLAS...") + with_cursor("ran 5") +
        with_cursor("Finished Double Precision Benchmark...");
    EXPECT_EQ(console_after_located(), expected);
    EXPECT_EQ(dlg->panel().cancel_text, "OK");
}

TEST_F(SuiteRun, ReferenceFiguresScoreOneThousandEach) {
    suite_test::make_reference_decks();
    auto dlg = run_queue({8}, "Argon-Helium", "Ag");
    const suite::SubScores& s = dlg->scores();
    EXPECT_FLOAT_EQ(s.memory, 1000.0f);
    EXPECT_FLOAT_EQ(s.md, 1000.0f);
    EXPECT_FLOAT_EQ(s.orbitra, 1000.0f);
    EXPECT_FLOAT_EQ(s.cipher, 1000.0f);
    EXPECT_FLOAT_EQ(s.blas, 1000.0f);
    EXPECT_FLOAT_EQ(s.stream, 1234.5f);  // STREAM computes its own score
    EXPECT_TRUE(dlg->all_steps_ok());
    EXPECT_EQ(dlg->steps().size(), 7u);
}

TEST_F(SuiteRun, AutomaticRunHandsDecksAndKernelsManualFieldsStayEmpty) {
    suite_test::make_reference_decks();
    auto dlg = run_queue({8}, "Helium", "HG");
    ASSERT_EQ(runs.calls.size(), 7u);
    for (const auto& c : runs.calls) {
        EXPECT_TRUE(c.request.auto_start && c.request.close_when_done);
        if (c.code == app::kCodeMolDyn) {
            EXPECT_EQ(c.request.deck, "Helium");
        } else if (c.code == app::kCodeOrbitra) {
            EXPECT_EQ(c.request.deck, "HG");
        } else if (c.code == app::kCodeSgemm || c.code == app::kCodeDgemm) {
            EXPECT_EQ(c.request.kernel, "COMPILER");
        }
    }
    // Another deck still scores against the reference time: the reference deck is present.
    EXPECT_FLOAT_EQ(dlg->scores().md, 1000.0f);
    EXPECT_NE(console_after_located().find("\r\nArgon-Helium\r\nHelium\r\n"), std::string::npos);
}

TEST_F(SuiteRun, OnlyDgemmQueuedExplainsTheMissingBlasScore) {
    auto dlg = run_queue({5});
    EXPECT_EQ(runs.codes_called(), (std::vector<int>{5}));
    EXPECT_EQ(console_after_located(),
              with_cursor("Running Double Precision BLAS...") + with_cursor("ran 5") +
                  with_cursor("Finished Double Precision Benchmark...") +
                  "\r\nBLAS Lumetra score is a combination of both an SGEMM and DGEMM run. In "
                  "order to calculate a score,\r\n" +
                  with_cursor("run both -sgemm and -dgemm from the command line."));
    EXPECT_EQ(dlg->scores().blas, suite::kNotMeasured);
    EXPECT_TRUE(dlg->all_steps_ok());  // DGEMM produced its figure
}

TEST_F(SuiteRun, EmptyQueueLogsNothingAndEndsWithOk) {
    auto dlg = run_queue({});
    EXPECT_EQ(last_result, app::kIdCancel);
    EXPECT_TRUE(runs.calls.empty());
    EXPECT_EQ(console_after_located(), "");
    const suite::SubScores& s = dlg->scores();
    for (float v : {s.memory, s.stream, s.md, s.orbitra, s.cipher, s.blas})
        EXPECT_EQ(v, suite::kNotMeasured);
    EXPECT_EQ(dlg->panel().cancel_text, "OK");
    EXPECT_EQ(dlg->runs_finished(), 1);
    EXPECT_TRUE(std::filesystem::exists(dlg->results_file()));
}

TEST_F(SuiteRun, MissingReferenceDecksSkipWithTheirErrorLines) {
    auto dlg = run_queue({2, 3, 4}, "Argon-Helium", "Ag");
    EXPECT_EQ(runs.codes_called(), (std::vector<int>{4}));
    EXPECT_EQ(console_after_located(),
              with_cursor("Error: Could not execute Molecular Dynamics test, skipping...") +
                  with_cursor("Error: Could not execute Orbitra test, skipping...") +
                  with_cursor("Running Cipher Benchmark...") + with_cursor("ran 4") +
                  with_cursor("Finished Cipher Benchmark..."));
    EXPECT_EQ(dlg->scores().md, suite::kNotMeasured);
    EXPECT_EQ(dlg->scores().orbitra, suite::kNotMeasured);
    EXPECT_FALSE(dlg->all_steps_ok());
    ASSERT_EQ(dlg->steps().size(), 3u);
    EXPECT_FALSE(dlg->steps()[0].ran);
    EXPECT_NE(dlg->steps()[0].error.find("Argon-Helium.in"), std::string::npos);
}

TEST_F(SuiteRun, ReferenceDeckStoredInOtherCaseRunsButIsNotScored) {
    suite_test::write_file("MD/argon-helium.IN", "deck\n");
    auto dlg = run_queue({2}, "argon-helium");
    EXPECT_EQ(runs.codes_called(), (std::vector<int>{2}));
    EXPECT_EQ(dlg->scores().md, suite::kNotMeasured);
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
    const suite::SubScores& s = dlg->scores();
    for (float v : {s.memory, s.stream, s.md, s.orbitra, s.cipher, s.blas}) {
        EXPECT_EQ(v, suite::kNotMeasured);
        EXPECT_TRUE(std::isfinite(v));
    }
    EXPECT_FALSE(dlg->all_steps_ok());
    int failed = 0;
    for (const auto& st : dlg->steps()) {
        if (!st.ok) {
            ++failed;
            EXPECT_FALSE(st.error.empty()) << st.key;
        }
    }
    EXPECT_EQ(failed, 7);
    EXPECT_EQ(dlg->steps()[2].error, "Error opening deck");
}

TEST_F(SuiteRun, BenchmarkMissingFromTheBuildIsReportedNotRun) {
    app::RunRegistry only_cipher;
    only_cipher.add(*runs.registry.find(4));
    CSuiteDlg dlg(only_cipher);
    dlg.inputs().queue = {1, 4};
    dlg.inputs().automatic_run_requested = true;
    dlg.inputs().close_when_finished = true;
    runner.run_modal(dlg);
    ASSERT_EQ(dlg.steps().size(), 2u);
    EXPECT_FALSE(dlg.steps()[0].ok);
    EXPECT_FALSE(dlg.steps()[0].ran);
    EXPECT_TRUE(dlg.steps()[1].ok);
    EXPECT_FALSE(dlg.all_steps_ok());
}

TEST_F(SuiteRun, ActiveRunNamesTheRunningStepOnly) {
    suite::ActiveRun active;
    std::vector<std::string> seen;
    runs.during = [&](int) { seen.push_back(active.snapshot().name); };
    CSuiteDlg dlg(runs.registry);
    dlg.set_active_run(&active);
    dlg.inputs().queue = {4, 1};
    dlg.inputs().automatic_run_requested = true;
    dlg.inputs().close_when_finished = true;
    runner.run_modal(dlg);
    EXPECT_EQ(seen, (std::vector<std::string>{"Memory Benchmark", "Cipher"}));
    EXPECT_FALSE(active.snapshot().active);
}

TEST_F(SuiteRun, WithoutCloseWhenFinishedTheDialogStaysOpenUnlessAskedToEnd) {
    runner.time_limit = std::chrono::milliseconds(600);
    CSuiteDlg stays(runs.registry);
    stays.inputs().queue = {4};
    stays.inputs().automatic_run_requested = true;
    EXPECT_EQ(runner.run_modal(stays), app::HeadlessRunner::kRunTimedOut);
    EXPECT_EQ(stays.runs_finished(), 1);

    CSuiteDlg ends(runs.registry);
    ends.inputs().queue = {4};
    ends.inputs().automatic_run_requested = true;
    ends.set_end_when_run_over(true);
    EXPECT_EQ(runner.run_modal(ends), app::kIdCancel);
}

class CapturingSink : public app::MessageSink {
  public:
    std::vector<std::string> boxes;
    void message_box(std::string_view text, std::string_view title) override {
        boxes.push_back(std::string(text) + "|" + std::string(title));
    }
    bool ask_yes_no(std::string_view, std::string_view) override { return true; }
};

TEST_F(SuiteRun, AutomaticStartTimerThatFailsIsReportedAndEndsTheRun) {
    CapturingSink sink;
    app::set_message_sink(&sink);
    runner.failing_timers = {suite::kAutoStartTimer};
    auto dlg = run_queue({4});
    app::set_message_sink(nullptr);
    EXPECT_EQ(last_result, app::kIdCancel);
    EXPECT_EQ(sink.boxes, (std::vector<std::string>{"Timer Error|Could not create timer!"}));
    EXPECT_EQ(dlg->runs_finished(), 0);
    EXPECT_FALSE(dlg->all_steps_ok());
}

TEST_F(SuiteRun, ManualRunUsesReferenceDecksDefaultKernelsAndCheckBoxes) {
    suite_test::make_reference_decks();
    suite_test::ManualHost host;
    CSuiteDlg dlg(runs.registry);
    dlg.inputs().md_deck = "Helium";  // ignored without an automatic run
    dlg.attach(&host);
    dlg.on_paint();
    EXPECT_TRUE(host.timers.empty());  // no automatic start
    for (int id : {suite::kIdCheckMemory, suite::kIdCheckStream, suite::kIdCheckCipher,
                   suite::kIdCheckOrbitra})
        dlg.on_command(id);
    dlg.on_command(suite::kIdCheckStream);  // a second click ticks it again
    dlg.on_command(suite::kIdRunBenchmarks);
    EXPECT_EQ(runs.codes_called(), (std::vector<int>{7, 2, 6, 5}));
    for (const auto& c : runs.calls) {
        if (c.code == app::kCodeMolDyn) {
            EXPECT_EQ(c.request.deck, "Argon-Helium");
        }
        EXPECT_EQ(c.request.kernel, "");
    }
    EXPECT_EQ(host.ended, 0);  // a manual run leaves the dialog open
    EXPECT_EQ(dlg.panel().cancel_text, "OK");
    EXPECT_FLOAT_EQ(dlg.scores().blas, 1000.0f);

    // Pressing the button again starts a fresh run with reset scores.
    runs.scripts[5].status = app::RunStatus::Failed;
    dlg.on_command(suite::kIdRunBenchmarks);
    EXPECT_EQ(dlg.scores().blas, suite::kNotMeasured);
    EXPECT_EQ(dlg.runs_finished(), 2);
}

TEST_F(SuiteRun, FirstPaintListsProfilesAndLogsTheirCount) {
    suite_test::write_file("Profiles/b.rst", "");
    suite_test::write_file("Profiles/A.rst", "");
    suite_test::write_file("Profiles/c.RST", "");
    suite_test::write_file("Profiles/notes.txt", "");
    suite_test::ManualHost host;
    CSuiteDlg dlg(runs.registry);
    dlg.attach(&host);
    dlg.on_paint();
    dlg.on_paint();  // only the first paint builds the list
    EXPECT_EQ(dlg.panel().profile_names,
              (std::vector<std::string>{"None", "A.rst", "b.rst", "c.RST"}));
    EXPECT_EQ(written, with_cursor("Located 3 performance comparisons for Lumetra."));
    dlg.select_profile(99);
    EXPECT_EQ(dlg.panel().selected_profile, 0);
}

}  // namespace
