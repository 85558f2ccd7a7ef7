// What every benchmark must do the same way, checked on the program's own run table: a worker
// or a timer the system refuses ends an unattended run in order, a run that shows no progress
// is ended by the headless watchdog.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "app/benchmark_controller.h"
#include "app/benchmarks.h"
#include "app/console.h"
#include "app/headless_host.h"
#include "app/run_registry.h"
#include "app/thread.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

class Protocol : public ::testing::Test {
  protected:
    void SetUp() override {
        app::console().reset();
        // The shipped decks, in a working directory of the test's own.
        std::filesystem::copy(testing_support::source_data_dir(), dir.path(),
                              std::filesystem::copy_options::recursive);
    }
    void TearDown() override { app::refuse_thread_creations(0); }

    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd{dir.path()};
};

// Every benchmark of the run table, unattended, with the system refusing a piece it needs: the
// run ends as failed, in order (never by the time limit), and says why.
TEST_F(Protocol, EveryBenchmarkEndsARunAsFailedWhenItsWorkerOrATimerIsRefused) {
    enum class Refused { Worker, Timers };
    for (const app::BenchmarkInfo& b : app::benchmarks()) {
        for (const Refused refused : {Refused::Worker, Refused::Timers}) {
            SCOPED_TRACE(std::string(b.name) +
                         (refused == Refused::Worker ? ": worker" : ": timers"));
            const app::RunEntry* entry = app::run_registry().find(b.code);
            ASSERT_TRUE(entry && entry->make);

            app::console().reset();
            testing_support::RecordingSink sink;
            app::RunRequest request;  // unattended: automatic start, close when done
            auto controller = entry->make(request);
            ASSERT_NE(controller, nullptr);
            app::HeadlessRunner runner;
            runner.time_limit = 60s;
            // Every run timer (the automatic start's own timer still goes).
            if (refused == Refused::Timers)
                for (int id = 1000; id <= 1500; ++id) runner.failing_timers.insert(id);
            else
                app::refuse_thread_creations(1000);
            const int result = runner.run_modal(*controller);
            app::refuse_thread_creations(0);
            EXPECT_NE(result, app::HeadlessRunner::kRunTimedOut);
            EXPECT_EQ(controller->record().status(), app::RunStatus::Failed);
            if (refused == Refused::Worker) {
                EXPECT_NE(app::console().text().find("Error: Could not create the"),
                          std::string::npos)
                    << app::console().text();
            } else {
                ASSERT_FALSE(sink.boxes.empty());
                EXPECT_EQ(sink.boxes[0], "Could not create timer!: Timer Error");
            }
        }
    }
}

// A controller whose worker finished but whose end is never seen: it keeps its run open.
class SilentRun : public app::BenchmarkController {
  public:
    std::string title() const override { return "Silent"; }
    void on_timer(int) override {}

  protected:
    void start_automatic_run() override {
        record().begin();
        record().set_progress("Step", 1, 10);
        ASSERT_TRUE(start_timer_or_report(1, 5));
    }
};

TEST_F(Protocol, WatchdogEndsARunWithoutProgressAsFailed) {
    SilentRun run;
    run.auto_start = run.close_when_done = true;
    app::HeadlessRunner runner;
    runner.watchdog = 300ms;
    runner.time_limit = 60s;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(runner.run_modal(run), app::HeadlessRunner::kRunTimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 30s);
    EXPECT_EQ(run.record().status(), app::RunStatus::Failed);
    EXPECT_NE(app::console().text().find(
                  "Error: Silent made no progress for 300 ms; the run is abandoned."),
              std::string::npos);
}

}  // namespace
