// The molecular dynamics dialog's run logic: the worker's rescaling, Cancel with its question,
// single steps, a file that cannot be written, and the lap accounting of the elapsed time (with
// a fake counter).
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "app/console.h"
#include "app/files.h"
#include "app/format.h"
#include "app/headless_host.h"
#include "app/run_registry.h"
#include "md/md_controller.h"
#include "md/md_output.h"
#include "md_test_support.h"
#include "support/console_capture.h"
#include "support/fake_counter.h"
#include "support/manual_host.h"
#include "support/wait_until.h"

namespace {

using testing_support::count_of;
using testing_support::ManualHost;
using testing_support::read_file;
using testing_support::wait_until;
using testing_support::write_file;

// A view that runs `on_open` when it opens and asks for the next replay frame itself.
class FakeView : public md::FrameSink {
  public:
    std::function<void()> on_open;
    std::atomic<int32_t> atoms{0};
    app::Event* request = nullptr;

    void open(int32_t atom_count, app::Event* frame_request) override {
        atoms = atom_count, request = frame_request;
        if (on_open) on_open();
    }
    void show_frame(const double*, const int32_t*, int32_t atom_count) override {
        EXPECT_EQ(atom_count, atoms.load());
        if (request) request->set();
    }
    void close() override {}
};

// A temporary working directory with a deck folder, and a fresh console.
class MdControllerTest : public md_test::InTempDir {
  protected:
    void SetUp() override {
        app::console().reset();
        deck("Tiny", "L 0 s1 2 n 2 t 140 dt 0.0001 steps 30");  // 8 argon atoms
    }
    void deck(const std::string& name, const std::string& text) {
        write_file(dir_.path() / "MD" / (name + ".in"), text);
    }
    // Attaches to the fake host and selects a deck by name.
    void use(md::MdController& c, const std::string& name = "Tiny") {
        c.attach(&host_);
        c.use_deck_name = 1;
        c.deck_name = name;
    }
    void run_to_completion(md::MdController& c) {
        c.on_command(md::kIdRunSimulation);
        ASSERT_EQ(c.run_state(), md::kStateRunning);
        ASSERT_TRUE(wait_until([&] { return c.run().md_finished_event.is_set(); }));
        c.on_timer(md::kTimerDisplay);
        c.on_timer(md::kTimerCompletion);
        ASSERT_EQ(c.run_state(), md::kStateIdle);
    }
    std::string console() const { return app::console().text(); }
    ManualHost host_;
};

// The worker records the energies before rescaling, after steps 1, 2001 and 4001, and keeps
// every frame. A second Run is ignored; Cancel when idle frees everything and ends the dialog.
TEST_F(MdControllerTest, WorkerRescalesAfterEveryTwoThousandthStep) {
    deck("Long", "L 0 s1 2 n 2 t 140 dt 0.0001 steps 4003");
    md::MdController c;
    use(c, "long");
    c.on_command(md::kIdRunSimulation);
    c.on_command(md::kIdRunSimulation);  // ignored while running
    EXPECT_EQ(count_of(console(), "Created thread to run benchmark."), 1);
    ASSERT_TRUE(wait_until([&] { return c.run().md_finished_event.is_set(); }));
    c.on_timer(md::kTimerDisplay);
    EXPECT_EQ(c.progress_position, 4003);
    c.on_timer(md::kTimerCompletion);
    EXPECT_TRUE(host_.timers.empty());
    EXPECT_FALSE(host_.ended);  // no close without an automatic start
    ASSERT_EQ(c.run().replay_frames.size(), 4003u * 8 * 3);

    md::mdsimstate s;
    md_test::build(s, md_test::settings(0, {2}, 2, 140, 0.0001, 4003));
    for (int k = 0; k < 4003; ++k) {
        const md::Energies e = md::md_timestep(s);
        ASSERT_TRUE(md_test::same_bits(c.run().ke_history[k], e.kinetic)) << k;
        ASSERT_TRUE(md_test::same_bits(c.run().pe_history[k], e.potential)) << k;
        if (k % 2000 == 0) md::rescale_velocities(s);
    }
    const size_t last = (4003 - 1) * 8 * 3;
    EXPECT_TRUE(md_test::same_bits(c.run().replay_frames[last], s.positions[0].x));
    EXPECT_TRUE(md_test::same_bits(c.run().replay_frames[last + 23], s.positions[7].z));

    c.on_cancel();
    EXPECT_TRUE(host_.questions.empty());
    EXPECT_TRUE(host_.ended);
    EXPECT_EQ(host_.result, app::kIdCancel);
    EXPECT_TRUE(c.run().ke_history.empty());
}

TEST_F(MdControllerTest, CancelAsksAndStopsWithoutACompletedLine) {
    deck("Endless", "L 0 s1 2 n 2 t 140 dt 0.0001 steps 200000");
    md::MdController c;
    use(c, "Endless");
    c.on_command(md::kIdRunSimulation);
    ASSERT_TRUE(wait_until([&] { return c.run().md_step_count.load() > 10; }));

    host_.answer = false;
    c.on_cancel();
    EXPECT_EQ(host_.questions.back(), "Do you wish to stop the simulation?|Simulation in Progress");
    EXPECT_EQ(c.run_state(), md::kStateRunning);

    host_.answer = true;
    c.on_cancel();
    EXPECT_EQ(c.run_state(), md::kStateIdle);
    EXPECT_TRUE(host_.timers.empty());
    EXPECT_FALSE(host_.ended);
    EXPECT_NE(console().find("Stopping Molecular Dynamics simulation."), std::string::npos);
    EXPECT_EQ(console().find("Completed"), std::string::npos);
    EXPECT_EQ(c.record().status(), app::RunStatus::Stopped);

    // A single step continues the stopped simulation.
    const int32_t done = c.run().md_step_count.load();
    c.on_command(md::kIdSingleStep);
    EXPECT_EQ(c.run_state(), md::kStateStepping);
    c.on_command(md::kIdRunSimulation);  // refused while stepping
    EXPECT_EQ(count_of(console(), "Created thread to run benchmark."), 1);
    ASSERT_TRUE(wait_until([&] { return c.run().md_stepdone_event.is_set(); }));
    const double before = c.elapsed_seconds;
    c.on_timer(md::kTimerSingleStep);
    EXPECT_EQ(c.run_state(), md::kStateIdle);
    EXPECT_EQ(c.run().md_step_count.load(), done + 1);
    EXPECT_EQ(c.run().ke_history[done], c.kinetic_display);
    EXPECT_EQ(c.elapsed_seconds, before + c.run().last_lap.load());
    EXPECT_TRUE(host_.timers.empty());
}

// A single step with nothing built finishes at once; a stop asked for while single-stepping
// must not end the next run at its first step.
TEST_F(MdControllerTest, SingleStepsLeaveNoStaleStop) {
    md::MdController c;
    use(c);
    c.on_command(md::kIdSingleStep);
    ASSERT_TRUE(wait_until([&] { return c.run().md_stepdone_event.is_set(); }));
    c.on_timer(md::kTimerSingleStep);
    EXPECT_EQ(c.elapsed_seconds, 0.0);
    EXPECT_EQ(c.run_state(), md::kStateIdle);
    run_to_completion(c);
    c.on_command(md::kIdSingleStep);
    ASSERT_EQ(c.run_state(), md::kStateStepping);
    c.on_cancel();
    EXPECT_EQ(c.run_state(), md::kStateIdle);
    run_to_completion(c);
    EXPECT_EQ(c.record().status(), app::RunStatus::Completed);
    EXPECT_EQ(c.run().history_count.load(), 30);
}

TEST_F(MdControllerTest, FileThatCannotBeWrittenFailsTheRunAndKeepsThePreviousFile) {
    const std::string full = std::strerror(ENOSPC);
    for (const char* failing : {md::kLogFile, md::kStartPositionsFile, md::kMovieFile}) {
        app::console().reset();
        write_file(failing, "earlier\n");
        md::MdController c;
        ManualHost host;
        c.attach(&host);
        c.use_deck_name = 1;
        c.deck_name = "Tiny";
        app::set_write_failure_for_testing(ENOSPC, failing);
        c.on_command(md::kIdRunSimulation);
        // The set-up's files fail the run before it starts; the movie ends the worker at once.
        if (c.run_state() == md::kStateRunning) {
            ASSERT_TRUE(wait_until([&] { return c.run().md_finished_event.is_set(); }));
            c.on_timer(md::kTimerCompletion);
        }
        app::set_write_failure_for_testing(0);
        const std::string line = "Error: Molecular Dynamics run of Tiny failed: cannot write " +
                                 std::string(failing) + ": " + full + ".";
        EXPECT_NE(console().find(app::with_cursor(line)), std::string::npos) << console();
        EXPECT_EQ(console().find("Completed"), std::string::npos) << failing;
        EXPECT_EQ(c.record().status(), app::RunStatus::Failed) << failing;
        EXPECT_EQ(c.run_state(), md::kStateIdle) << failing;
        EXPECT_TRUE(host.timers.empty()) << failing;
        EXPECT_EQ(read_file(failing), "earlier\n");
        EXPECT_EQ(c.run().sim.constructed, 0) << failing;
    }
}

// The elapsed time adds up timer 1500's laps. The worker's lap only moves the time base: a
// tick during the set-up counts the set-up, a tick after the worker's lap does not.
TEST_F(MdControllerTest, ElapsedTimeCountsOnlyTimerLaps) {
    for (bool tick_during_setup : {false, true}) {
        testing_support::FakeCounter counter(1000.0);
        app::console().reset();
        FakeView view;
        md::MdController c;
        use(c);
        view.on_open = [&] {
            counter.advance_seconds(3.0);  // a slow set-up, before the worker starts
            if (tick_during_setup) c.on_timer(md::kTimerElapsed);
        };
        c.set_frame_sink(&view);
        c.view_enabled = true;
        c.on_command(md::kIdRunSimulation);
        ASSERT_TRUE(wait_until([&] { return c.run().md_finished_event.is_set(); }));
        counter.advance_seconds(2.0);
        c.on_timer(md::kTimerElapsed);
        c.on_timer(md::kTimerCompletion);
        const double expected = tick_during_setup ? 5.0 : 2.0;
        EXPECT_EQ(c.elapsed_seconds, expected);
        EXPECT_NE(console().find(app::with_cursor(app::strprintf("Time: %.5f seconds", expected))),
                  std::string::npos);
    }
}

}  // namespace
