// The thread helper, the headless host driving a dialog the way a modal loop would (timers,
// nested boxes and runs, endings, a worker), and the run registry.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "app/event.h"
#include "app/headless_host.h"
#include "app/run_registry.h"
#include "app/thread.h"

namespace {

using namespace std::chrono_literals;

TEST(ThreadHelper, SuspendedThreadRunsOnlyAfterResume) {
    std::atomic<bool> ran{false};
    app::Event done;
    app::Thread t;
    ASSERT_TRUE(t.create_suspended([&] {
        ran = true;
        done.set();
    }));
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(ran.load());
    t.resume();
    EXPECT_TRUE(done.wait(30s));
    t.join();
    EXPECT_TRUE(ran.load());
    EXPECT_FALSE(t.joinable());
    // A thread never resumed ends without running its body.
    std::atomic<bool> ran2{false};
    {
        app::Thread u;
        ASSERT_TRUE(u.create_suspended([&] { ran2 = true; }));
    }
    EXPECT_FALSE(ran2.load());
}

TEST(ThreadHelper, BoundThreadRunsOnItsAllowedProcessor) {
    for (int i = 0; i < app::processor_count(); ++i) {
        std::atomic<int> cpu{-1};
        app::Thread t;
        ASSERT_TRUE(t.create_suspended([&] { cpu = sched_getcpu(); }));
        if (!t.set_affinity(i)) continue;  // best effort: a restricted sandbox may refuse
        t.resume();
        t.join();
        EXPECT_EQ(cpu.load(), app::allowed_cpu(i)) << "processor " << i;
    }
    // Indices past the allowed set wrap instead of touching a CPU outside it.
    EXPECT_EQ(app::allowed_cpu(app::processor_count()), app::allowed_cpu(0));
}

TEST(ThreadHelper, TinyStackRequestsAreRaisedToAUsableSize) {
    std::atomic<int> sum{0};
    app::Thread t;
    ASSERT_TRUE(t.start(
        [&] {
            volatile char buf[64 * 1024];
            for (std::size_t i = 0; i < sizeof buf; i += 512) buf[i] = 1;
            int s = 0;
            for (std::size_t i = 0; i < sizeof buf; i += 512) s += buf[i];
            sum = s;
        },
        1));
    t.join();
    EXPECT_EQ(sum.load(), 128);
}

TEST(ThreadHelper, PriorityIsBestEffortAndNeverLowersAThread) {
    const int start_nice = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
    std::atomic<int> nice_seen{100};
    app::Event go_on;
    app::Thread t;
    ASSERT_TRUE(t.create_suspended([&] {
        go_on.wait();
        nice_seen = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
    }));
    t.set_priority(app::Priority::AboveNormal);
    t.resume();
    t.set_priority(app::Priority::Highest);  // while running: applied or ignored, never fatal
    go_on.set();
    t.join();
    EXPECT_LE(nice_seen.load(), start_nice);
    EXPECT_FALSE(t.set_priority(app::Priority::Highest));  // nothing left to change
}

// A dialog whose handlers are small lambdas.
struct ScriptedDialog : app::RunController {
    std::function<void(ScriptedDialog&)> paint;
    std::function<void(ScriptedDialog&, int)> timer;
    std::string title() const override { return "Scripted"; }
    void on_paint() override {
        if (painted) return;
        painted = true;
        if (paint) paint(*this);
    }
    void on_timer(int id) override {
        if (timer) timer(*this, id);
    }
    app::DialogHost& h() { return host(); }
    bool painted = false;
};

TEST(HeadlessTimers, KilledTimersStopAndRestartedTimersKeepOneEntryAtTheNewPeriod) {
    app::HeadlessRunner runner;
    runner.time_limit = 30s;
    std::vector<int> fired;
    ScriptedDialog d;
    d.paint = [](ScriptedDialog& s) {
        ASSERT_TRUE(s.h().start_timer(1, 2));
        ASSERT_TRUE(s.h().start_timer(2, 1));
        ASSERT_TRUE(s.h().start_timer(2, 3));  // a restart, not a second timer
        auto& host = static_cast<app::HeadlessHost&>(s.h());
        EXPECT_EQ(host.timer_period(1), 2ms);
        EXPECT_EQ(host.timer_period(2), 3ms);
        EXPECT_EQ(host.timer_period(3), 0ms);  // never started
    };
    d.timer = [&](ScriptedDialog& s, int id) {
        fired.push_back(id);
        if (id == 1) {
            s.h().kill_timer(1);
            EXPECT_EQ(static_cast<app::HeadlessHost&>(s.h()).timer_period(1), 0ms);
        }
        if (std::count(fired.begin(), fired.end(), 2) == 5) s.h().end_dialog(app::kIdOk);
    };
    EXPECT_EQ(runner.run_modal(d), app::kIdOk);
    EXPECT_EQ(std::count(fired.begin(), fired.end(), 1), 1);
    EXPECT_EQ(std::count(fired.begin(), fired.end(), 2), 5);
}

TEST(HeadlessNesting, InnerBoxEndsBeforeTheOuterOne) {
    app::HeadlessRunner runner;
    runner.time_limit = 30s;
    std::vector<std::string> log;
    int ticks = 0;
    ScriptedDialog d;
    d.paint = [&](ScriptedDialog& s) {
        s.h().start_timer(1, 1);
        s.h().start_timer(2, 1);
        log.push_back("outer " + std::to_string(s.h().run_modal_box({"Outer", {}})));
        s.h().end_dialog(app::kIdOk);
    };
    d.timer = [&](ScriptedDialog& s, int id) {
        if (id == 1) {
            s.h().kill_timer(1);
            log.push_back("inner " + std::to_string(s.h().run_modal_box({"In", {}})));
            return;
        }
        ++ticks;
        if (ticks == 3) s.h().end_modal_box(7);  // ends the inner box only
        if (ticks == 6) s.h().end_modal_box(8);
    };
    EXPECT_EQ(runner.run_modal(d), app::kIdOk);
    EXPECT_EQ(log, (std::vector<std::string>{"inner 7", "outer 8"}));
}

TEST(HeadlessNesting, OuterDialogEndedDuringAnInnerRunClosesAfterIt) {
    app::HeadlessRunner runner;
    runner.time_limit = 30s;
    int outer_ticks_after_end = 0;
    bool outer_ended = false;
    ScriptedDialog inner;
    inner.paint = [](ScriptedDialog& s) { s.h().start_timer(1, 1); };
    int inner_ticks = 0;
    inner.timer = [&](ScriptedDialog& s, int) {
        if (++inner_ticks == 30) s.h().end_dialog(app::kIdOk);
    };
    ScriptedDialog outer;
    outer.paint = [&](ScriptedDialog& s) {
        s.h().start_timer(5, 1);
        s.h().start_timer(6, 2);
    };
    outer.timer = [&](ScriptedDialog& s, int id) {
        if (outer_ended) ++outer_ticks_after_end;
        if (id == 5) {
            s.h().kill_timer(5);
            EXPECT_EQ(s.h().modal_runner().run_modal(inner), app::kIdOk);
        } else if (!outer_ended) {
            outer_ended = true;
            s.h().end_dialog(app::kIdCancel);
        }
    };
    EXPECT_EQ(runner.run_modal(outer), app::kIdCancel);
    EXPECT_EQ(inner_ticks, 30);
    EXPECT_EQ(outer_ticks_after_end, 0);
}

TEST(HeadlessCancel, CancelIsRefusedWhileAWorkerRunsThenClosesTheCompletedRun) {
    app::HeadlessRunner runner;
    runner.time_limit = 30s;
    app::Event finished;
    app::Thread worker;
    bool running = false;
    std::vector<std::string> log;
    struct Dialog : ScriptedDialog {
        std::function<void()> cancel;
        void on_cancel() override { cancel(); }
    } d;
    d.cancel = [&] {
        if (running) {
            log.push_back("refused");
            return;
        }
        d.h().end_dialog(app::kIdCancel);
    };
    d.paint = [&](ScriptedDialog& s) {
        running = true;
        s.record().begin();
        s.h().start_timer(1, 1);
        ASSERT_TRUE(worker.start([&] {
            std::this_thread::sleep_for(10ms);
            finished.set();
        }));
    };
    d.timer = [&](ScriptedDialog& s, int) {
        if (running && log.empty()) d.on_cancel();  // the user presses Cancel mid-run
        if (finished.poll()) {
            worker.join();
            running = false;
            s.record().complete();
            d.on_cancel();
        }
    };
    EXPECT_EQ(runner.run_modal(d), app::kIdCancel);
    EXPECT_EQ(log, (std::vector<std::string>{"refused"}));
    EXPECT_EQ(d.record().status(), app::RunStatus::Completed);
}

TEST(HeadlessEnding, OpenDialogTimesOutFirstResultWinsFailingTimerIsReported) {
    app::HeadlessRunner runner;
    runner.time_limit = 300ms;
    ScriptedDialog open;
    EXPECT_EQ(runner.run_modal(open), app::HeadlessRunner::kRunTimedOut);
    EXPECT_TRUE(open.painted);

    // The first result wins and the handler still finishes.
    bool started = true, after_end = false;
    ScriptedDialog d;
    d.paint = [&](ScriptedDialog& s) {
        started = s.h().start_timer(1001, 100);
        s.h().end_dialog(app::kIdOk);
        s.h().end_dialog(app::kIdCancel);
        after_end = true;
    };
    runner.failing_timers = {1001};
    EXPECT_EQ(runner.run_modal(d), app::kIdOk);
    EXPECT_FALSE(started);
    EXPECT_TRUE(after_end);
}

TEST(RunRegistry, EntriesAreFoundByCodeAndReplaced) {
    app::RunRegistry r;
    r.add({6, "SGEMM", nullptr});
    r.add({2, "Molecular Dynamics", nullptr});
    r.add({6, "Matrix", nullptr});
    EXPECT_EQ(r.codes(), (std::vector<int>{2, 6}));
    ASSERT_NE(r.find(6), nullptr);
    EXPECT_EQ(r.find(6)->name, "Matrix");
    EXPECT_EQ(r.find(3), nullptr);
}

TEST(RunRegistry, ControllersAreMadeAndReadFromManyThreads) {
    app::RunRegistry r;
    r.add({1, "One", [](const app::RunRequest& req) {
               auto d = std::make_unique<ScriptedDialog>();
               d->record().begin();
               d->record().set_figure("deck", req.deck);
               return std::unique_ptr<app::RunController>(std::move(d));
           }});
    std::vector<std::thread> threads;
    std::atomic<int> made{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                const app::RunEntry* e = r.find(1);
                auto c = e->make({true, true, "Helium", false, ""});
                if (c->record().figure("deck") == "Helium") ++made;
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(made.load(), 200);
}

}  // namespace
