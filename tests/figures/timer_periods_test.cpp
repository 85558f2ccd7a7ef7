// The periods the headless host really runs a benchmark's timers at. A completion poll that
// fires late adds its delay to every figure timed up to it, so the periods are read from the
// host while a small unattended run is going, not from what the controller asked for.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "app/console.h"
#include "app/headless_host.h"
#include "app/processor_info.h"
#include "md/md_controller.h"
#include "membench/memory_controller.h"
#include "support/fake_cpuid.h"
#include "support/small_memory_run.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

// Runs `inner` under the headless host and notes, after each handler, the period each
// watched timer of the dialog runs at (the longest seen).
class TimerProbe final : public app::RunController {
  public:
    TimerProbe(app::RunController& inner, std::vector<int> ids)
        : inner_(inner), ids_(std::move(ids)) {}

    std::string title() const override { return inner_.title(); }
    void on_init() override {
        inner_.attach(&host());
        inner_.on_init();
    }
    void on_paint() override {
        inner_.on_paint();
        note();
    }
    void on_timer(int id) override {
        note();
        inner_.on_timer(id);
    }
    void on_command(int id) override { inner_.on_command(id); }
    void on_cancel() override { inner_.on_cancel(); }

    std::map<int, std::chrono::milliseconds> periods;

  private:
    void note() {
        const auto& h = static_cast<const app::HeadlessHost&>(host());
        for (int id : ids_) periods[id] = std::max(periods[id], h.timer_period(id));
    }
    app::RunController& inner_;
    std::vector<int> ids_;
};

class TimerPeriods : public ::testing::Test {
  protected:
    void SetUp() override {
        app::console().reset();
        saved_ = app::processor_info();
        runner_.time_limit = 120s;
    }
    void TearDown() override { app::processor_info() = saved_; }

    app::ProcessorInfo saved_;
    app::HeadlessRunner runner_;
    testing_support::TempDir dir_;
    testing_support::ScopedCwd cwd_{dir_.path()};
};

TEST_F(TimerPeriods, MemoryCompletionPollRunsEveryMillisecond) {
    app::processor_info().sse = app::processor_info().sse2 = 1;
    testing_support::FakeCpuid amd;
    testing_support::record_this_amd(amd);
    membench::MemBenchController c({&amd, "AuthenticAMD"}, testing_support::small_memory_run());
    c.auto_start = true;
    c.close_when_done = true;
    TimerProbe probe(c, {membench::kCompletionTimer});
    EXPECT_EQ(runner_.run_modal(probe), app::kIdCancel);
    EXPECT_EQ(probe.periods[membench::kCompletionTimer], 1ms);
}

TEST_F(TimerPeriods, MolecularDynamicsPollsClockAndDisplayAtTheirOwnPeriods) {
    std::filesystem::create_directories("MD");
    std::ofstream("MD/Tiny.in") << "L 0 s1 2 n 2 t 140 dt 0.0001 steps 30";  // 8 argon atoms
    md::MdController c;
    c.use_deck_name = 1;
    c.deck_name = "Tiny";
    c.auto_start = true;
    c.close_when_done = true;
    TimerProbe probe(c, {md::kTimerCompletion, md::kTimerElapsed, md::kTimerDisplay});
    EXPECT_EQ(runner_.run_modal(probe), app::kIdCancel);
    EXPECT_EQ(probe.periods[md::kTimerCompletion], 100ms);
    EXPECT_EQ(probe.periods[md::kTimerElapsed], 1ms);  // the run time is added up on it
    EXPECT_EQ(probe.periods[md::kTimerDisplay], 500ms);
}

}  // namespace
