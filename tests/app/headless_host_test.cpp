// The headless host drives a controller the way a modal dialog would: automatic start at the
// first paint, timers, a nested progress box, close when done; a suite-like controller runs
// two of them from inside its own timer handler.
#include "app/headless_host.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "app/event.h"
#include "app/lap_timer.h"
#include "app/thread.h"

namespace {

using namespace std::chrono_literals;

// Behaves like a benchmark dialog: auto start at first paint, a 1 ms timer adding up laps, a
// worker signalling completion, a nested progress box, Cancel refused while running.
class TestBenchmark : public app::RunController {
  public:
    bool auto_start = true;
    bool close_when_done = true;
    bool use_progress_box = false;
    int work_ms = 20;

    std::vector<std::string> log;
    double elapsed = 0;
    int ticks_1ms = 0;
    int outer_ticks_seen_during_box = 0;
    bool running = false;

    std::string title() const override { return "Test"; }
    void on_paint() override {
        if (first_paint_done_) return;
        first_paint_done_ = true;
        if (auto_start) {
            auto_start = false;
            auto_started_ = true;
            start();
        }
    }
    void on_command(int id) override {
        if (id == 1000) start();
    }
    void on_cancel() override {
        if (running) {
            log.push_back("cancel refused");
            return;
        }
        host().end_dialog(app::kIdCancel);
    }
    void on_timer(int id) override {
        if (id == 1) {
            ++ticks_1ms;
            elapsed += app::lap_take();
            if (done_.poll()) finish();
        }
    }

  private:
    void start() {
        if (running) return;
        running = true;
        record().begin();
        log.push_back("start");
        app::lap_restart();
        ASSERT_TRUE(host().start_timer(1, 1));
        const int ms = work_ms;
        worker_.start([this, ms] {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            done_.set();
        });
        if (use_progress_box) {
            host().run_modal_box({"Analysis in Progress...", {"a", "b", "c"}});
            log.push_back("box closed");
        }
    }
    void finish() {
        worker_.join();
        host().kill_timer(1);
        running = false;
        record().set_headline("time_s", elapsed);
        record().complete();
        log.push_back("finished");
        if (use_progress_box) host().end_modal_box(0);
        if (auto_started_ && close_when_done) on_cancel();
    }

    bool first_paint_done_ = false;
    bool auto_started_ = false;
    app::Event done_;
    app::Thread worker_;
};

// Runs two benchmarks from inside its own timer handler through the modal runner.
class TestSuite : public app::RunController {
  public:
    std::vector<std::string> log;
    int heartbeat_ticks = 0;
    int heartbeat_ticks_during_runs = 0;
    TestBenchmark first, second;

    std::string title() const override { return "Suite"; }
    void on_paint() override {
        if (painted_) return;
        painted_ = true;
        host().start_timer(500, 100);
        host().start_timer(7, 5);  // keeps firing while the inner runs are active
    }
    void on_timer(int id) override {
        if (id == 7) {
            ++heartbeat_ticks;
            if (inside_) ++heartbeat_ticks_during_runs;
            return;
        }
        host().kill_timer(500);
        inside_ = true;
        first.use_progress_box = true;
        log.push_back("run 1: " + std::to_string(host().modal_runner().run_modal(first)));
        log.push_back("run 2: " + std::to_string(host().modal_runner().run_modal(second)));
        inside_ = false;
        host().end_dialog(app::kIdCancel);
    }

  private:
    bool painted_ = false;
    bool inside_ = false;
};

TEST(HeadlessHost, AutoStartRunsToCompletionAndClosesItself) {
    app::HeadlessRunner runner;
    runner.time_limit = 20s;
    TestBenchmark b;
    EXPECT_EQ(runner.run_modal(b), app::kIdCancel);
    EXPECT_EQ(b.log, (std::vector<std::string>{"start", "finished"}));
    EXPECT_GT(b.ticks_1ms, 0);
    EXPECT_GT(b.elapsed, 0.0);
    EXPECT_EQ(b.record().status(), app::RunStatus::Completed);
}

TEST(HeadlessHost, ProgressBoxIsEndedFromTheDialogsOwnTimer) {
    app::HeadlessRunner runner;
    runner.time_limit = 20s;
    TestBenchmark b;
    b.use_progress_box = true;
    EXPECT_EQ(runner.run_modal(b), app::kIdCancel);
    EXPECT_EQ(b.log, (std::vector<std::string>{"start", "finished", "box closed"}));
}

TEST(HeadlessHost, WithoutCloseWhenDoneTheDialogStaysOpenUntilTheTimeLimit) {
    app::HeadlessRunner runner;
    runner.time_limit = 300ms;
    TestBenchmark b;
    b.close_when_done = false;
    EXPECT_EQ(runner.run_modal(b), app::HeadlessRunner::kRunTimedOut);
    EXPECT_EQ(b.log.back(), "finished");
}

TEST(HeadlessHost, NestedRunsKeepOuterTimersFiring) {
    app::HeadlessRunner runner;
    runner.time_limit = 30s;
    TestSuite s;
    s.first.work_ms = 60;
    s.second.work_ms = 60;
    EXPECT_EQ(runner.run_modal(s), app::kIdCancel);
    EXPECT_EQ(s.log, (std::vector<std::string>{"run 1: 2", "run 2: 2"}));
    EXPECT_EQ(s.first.log.back(), "box closed");
    EXPECT_EQ(s.second.record().status(), app::RunStatus::Completed);
    EXPECT_GT(s.heartbeat_ticks_during_runs, 0);
}

TEST(HeadlessHost, FailingTimerIsReported) {
    struct C : app::RunController {
        bool started = true;
        std::string title() const override { return "C"; }
        void on_paint() override {
            started = host().start_timer(1001, 100);
            host().end_dialog(app::kIdOk);
        }
        void on_timer(int) override {}
    } c;
    app::HeadlessRunner runner;
    runner.failing_timers = {1001};
    EXPECT_EQ(runner.run_modal(c), app::kIdOk);
    EXPECT_FALSE(c.started);
}

}  // namespace
