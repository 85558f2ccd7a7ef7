// Outcomes that were reported wrongly: the GUI's exit status after its queued run (it exited 0
// when the run failed), and cipher and memory runs that went on through every kernel after an
// interrupt.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/console.h"
#include "app/headless_host.h"
#include "app/interrupt.h"
#include "cipher/cipher_run.h"
#include "membench/bandwidth.h"
#include "membench/memory_run.h"
#include "suite/automation.h"
#include "suite/cli_report.h"
#include "suite/profile.h"
#include "suite_test_support.h"
#include "support/fake_runs.h"
#include "support/small_memory_run.h"

namespace {

TEST(HandOverStatus, AProgramThatHandsItsQueueOverExitsWithTheStatusOfTheRun) {
    struct Row {
        const char* name;
        app::RunStatus md;  // how the queued molecular dynamics run ends
        int errors;         // command-line errors
        int expected;
    };
    const Row rows[] = {
        {"the run completes", app::RunStatus::Completed, 0, suite::kExitOk},
        {"the run fails", app::RunStatus::Failed, 0, suite::kExitRunFailed},
        {"the run is stopped", app::RunStatus::Stopped, 0, suite::kExitRunFailed},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing_support::TempDir dir;
        testing_support::ScopedCwd cwd(dir.path());
        app::console().reset();
        suite_test::write_file("MD/Argon-Helium.in", "");
        suite_test::FakeRuns runs;
        runs.scripts[2] = {row.md, row.md == app::RunStatus::Completed ? 75.75 : 0.0, {}, "x"};
        app::CommandLine cl;
        cl.queue = {2};
        cl.start_pending = cl.close_when_finished = true;
        cl.tokens = 2;
        app::HeadlessRunner runner;
        suite::run_configuration(cl, runs.registry, runner);
        EXPECT_EQ(suite::exit_status_after_hand_over(cl), row.expected);
    }
    app::CommandLine bad;
    bad.errors = 1;
    EXPECT_EQ(suite::exit_status_after_hand_over(bad), suite::kExitCommandLine);
}

TEST(CipherInterrupt, AnInterruptEndsTheRunAtTheNextPassWithoutARate) {
    app::console().reset();
    cipher::CipherRunConfig config;
    config.passes = 1000;
    config.pass_bytes = 65'536;
    config.after_pass = [](int pass) {
        if (pass == 1) app::request_interrupt(2);
    };
    cipher::CipherController run(config);
    run.auto_start = run.close_when_done = true;
    app::HeadlessRunner runner;
    runner.time_limit = std::chrono::seconds(60);
    EXPECT_EQ(runner.run_modal(run), app::kIdOk);
    app::clear_interrupt();
    EXPECT_EQ(run.record().status(), app::RunStatus::Stopped);
    EXPECT_EQ(run.record().progress().position, 1);  // the second of 1000 passes
    EXPECT_EQ(app::console().text().find("AES Encryption"), std::string::npos);
    EXPECT_NE(app::console().text().find("Benchmark interrupted."), std::string::npos);
}

TEST(MemoryInterrupt, AnInterruptEndsTheRunAtTheNextMeasurementWithoutFigures) {
    app::console().reset();
    membench::MemoryRunInput input;
    input.l1_size = 32;
    input.l2_size = 256;
    input.l2_size_for_latency = 256;
    input.mhz = 1000;
    input.isa = membench::processor_copy_isa();
    input.sizes = testing_support::small_memory_run();
    app::request_interrupt(15);
    const membench::MemoryRunOutcome out = membench::run_memory_benchmark(input, nullptr);
    app::clear_interrupt();
    EXPECT_FALSE(out.ok);
    EXPECT_TRUE(out.interrupted);
    const std::string text = app::console().text();
    EXPECT_NE(text.find("Benchmark interrupted."), std::string::npos);
    EXPECT_EQ(text.find("L2 : Testing"), std::string::npos) << text;
}

TEST(ProfileText, ControlBytesInADescriptionAreShownEscaped) {
    const suite::Profile p = suite::parse_profile(
        "\n\n\n\nEvil\x1b]0;pwned\x07\x1b[2J\rFake line\n1 1000\n1 2 3 4 5 6 7\n");
    EXPECT_EQ(p.description, "Evil\\x1B]0;pwned\\x07\\x1B[2J\\x0DFake line");
}

}  // namespace
