// The Orbitra run through the headless host, the way the suite and the CLI run it: automatic
// start, figures and the time line, a stop honoured at an iteration boundary, a missing deck on
// an automatic start, refused decks, a failed exchange evaluation, timers that cannot start.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <mutex>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/format.h"
#include "app/headless_host.h"
#include "app/run_registry.h"
#include "atom/orbitra_run.h"
#include "deck_fixtures.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

void register_atom_runs(app::RunRegistry& registry);

namespace {

using namespace std::chrono_literals;
using atom_testing::orbital;

// A working directory with an "Input Files" folder of small decks.
struct Workspace {
    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd{dir.path()};
    Workspace() {
        app::console().reset();
        atom_testing::write_file("Input Files/He.in", atom_testing::helium_deck(250));
        atom_testing::write_file("Input Files/H.in", atom_testing::hydrogen_deck(250));
    }
};

std::unique_ptr<atom::OrbitraController> automatic(const std::string& deck) {
    auto run = std::make_unique<atom::OrbitraController>();
    run->auto_start = true;
    run->close_when_done = true;
    run->deck_name = deck;
    return run;
}

int run_modal(app::RunController& c) {
    app::HeadlessRunner runner;
    runner.time_limit = 120s;
    return runner.run_modal(c);
}

TEST(OrbitraController, AutomaticRunFinishesLogsItsTimeAndPublishesItsFigures) {
    Workspace ws;
    testing_support::RecordingSink sink;
    auto run = automatic("HE");  // looked up ignoring case
    EXPECT_EQ(run_modal(*run), app::kIdOk);
    const app::RunRecord& rec = run->record();
    ASSERT_EQ(rec.status(), app::RunStatus::Completed) << rec.error();
    EXPECT_TRUE(sink.boxes.empty());
    EXPECT_EQ(run->status, "Status: Finished");
    EXPECT_FALSE(run->running);
    EXPECT_GT(run->result, 0.0f);
    EXPECT_EQ(rec.headline_name(), "time_s");
    EXPECT_FLOAT_EQ(static_cast<float>(rec.headline()), run->result);
    const nlohmann::json f = rec.figures();
    EXPECT_EQ(f["deck"], "He");
    EXPECT_EQ(f["Z"], 2.0);
    EXPECT_TRUE(f["converged"].get<bool>());
    EXPECT_GE(f["iterations"].get<int>(), 1);
    EXPECT_EQ(f["iterations"].get<int>(), run->scf_iteration_shown);
    EXPECT_NEAR(f["total_energy"].get<double>(), -2.8617, 1e-3);
    EXPECT_NEAR(f["potential_energy"].get<double>(),
                f["nuclear_energy"].get<double>() + f["hartree_energy"].get<double>() +
                    f["exchange_energy"].get<double>(),
                1e-12);
    EXPECT_EQ(f["eigenvalues"].size(), 2u);
    EXPECT_LT(f["virial"].get<double>(), -5.0);  // ln |2 - |V/E|| far below 0 at convergence
    const std::string text = app::console().text();
    EXPECT_NE(
        text.find(app::with_cursor(app::strprintf("Time: %.5f seconds.", run->simulation_time))),
        std::string::npos)
        << text;
    EXPECT_TRUE(std::filesystem::exists("Orbitra.out"));
    EXPECT_TRUE(std::filesystem::exists("radgridpositions"));
    // The run released its state (no view kept the data).
    EXPECT_FALSE(run->shared().atom.allocated);
    EXPECT_EQ(run->virial_history().size(), static_cast<std::size_t>(run->scf_iteration_shown));
}

// Cancels (and confirms) once the compute thread is past its first iteration.
class CancellingRun : public atom::OrbitraController {
  public:
    int cancelled_at = -1;
    void on_timer(int id) override {
        atom::OrbitraController::on_timer(id);
        if (running && cancelled_at < 0 && shared().iteration.load() >= 1) {
            cancelled_at = shared().iteration.load();
            on_cancel();
        }
    }
};

TEST(OrbitraController, StopIsHonouredAtTheNextIterationBoundary) {
    Workspace ws;
    testing_support::RecordingSink sink;
    // Never converges (tolerance 0), so only the stop ends it early.
    atom_testing::write_file("Input Files/Be.in",
                             atom_testing::deck(4, 500, "0.001", "400",
                                                orbital(1, 0, 0, 0) + orbital(1, 0, 0, 1) +
                                                    orbital(2, 0, 0, 0) + orbital(2, 0, 0, 1),
                                                4, 50, "0"));
    CancellingRun run;
    run.auto_start = true;
    run.close_when_done = true;
    run.deck_name = "Be";
    EXPECT_EQ(run_modal(run), app::kIdOk);
    ASSERT_GE(run.cancelled_at, 1);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0], "Simulation in Progress? Do you wish to stop the simulation?");
    EXPECT_EQ(run.record().status(), app::RunStatus::Stopped);
    EXPECT_EQ(run.status, "Status: Stopped");
    EXPECT_EQ(run.result, 0.0f);
    // The thread finished the iteration it was in and went no further.
    EXPECT_LE(run.shared().iteration.load(), run.cancelled_at + 1);
    EXPECT_LT(run.shared().iteration.load(), 49);
    EXPECT_NE(app::console().text().find(app::with_cursor("Benchmark interrupted.")),
              std::string::npos);
    EXPECT_EQ(app::console().text().find("Time:"), std::string::npos);
}

TEST(OrbitraController, CancelAnsweredNoLeavesTheRunGoing) {
    Workspace ws;
    testing_support::RecordingSink sink;
    sink.answer = false;
    atom_testing::write_file("Input Files/Be.in",
                             atom_testing::deck(4, 250, "0.001", "400",
                                                orbital(1, 0, 0, 0) + orbital(1, 0, 0, 1) +
                                                    orbital(2, 0, 0, 0) + orbital(2, 0, 0, 1),
                                                4));
    CancellingRun run;
    run.auto_start = true;
    run.close_when_done = true;
    run.deck_name = "Be";
    EXPECT_EQ(run_modal(run), app::kIdOk);
    EXPECT_EQ(run.record().status(), app::RunStatus::Completed);
}

TEST(OrbitraController, MissingDefaultDeckUsesTheFirstDeckButATypedOneIsRefused) {
    Workspace ws;
    testing_support::RecordingSink sink;
    atom_testing::write_file("Input Files/b.in", atom_testing::hydrogen_deck(250));
    auto run = automatic("Xe");
    EXPECT_EQ(run_modal(*run), app::kIdOk);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0], "Can't find file: Can't execute batch run script");
    // Sorted ignoring case: b, H, He.
    ASSERT_EQ(run->atoms.size(), 3u);
    EXPECT_EQ(run->atoms[0].name, "b");
    EXPECT_EQ(run->atoms[1].name, "H");
    EXPECT_EQ(run->record().status(), app::RunStatus::Completed);
    EXPECT_EQ(run->record().figure("deck"), "b");
    EXPECT_EQ(run->record().figure("deck_fallback"), true);  // never scored as the reference

    // A name the user typed is refused by that name: nothing runs in its place.
    app::console().reset();
    auto typed = automatic("Typo");
    typed->deck_typed = true;
    typed->deck_file = "Typo.in";
    EXPECT_EQ(run_modal(*typed), app::kIdOk);
    EXPECT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(typed->record().status(), app::RunStatus::Failed);
    EXPECT_NE(
        app::console().text().find("Error: Orbitra deck Input Files/Typo.in cannot be opened."),
        std::string::npos);
    EXPECT_EQ(typed->shared().iteration.load(), 0);
}

TEST(OrbitraController, RefusedDeckFailsTheRunWithAnErrorLineAndWritesNothing) {
    Workspace ws;
    testing_support::RecordingSink sink;
    atom_testing::write_file("Input Files/Bad.in",
                             atom_testing::deck(1, 250, "0.001", "400", orbital(1, 4, 0, 0), 1));
    auto run = automatic("bad");
    EXPECT_EQ(run_modal(*run), app::kIdOk);
    EXPECT_EQ(run->record().status(), app::RunStatus::Failed);
    EXPECT_EQ(run->record().error().rfind("Error", 0), 0u);
    EXPECT_NE(run->record().error().find("Bad.in"), std::string::npos) << run->record().error();
    EXPECT_EQ(run->result, 0.0f);
    EXPECT_EQ(
        app::console().text().rfind("Error: Orbitra deck Bad.in refused: orbital 1 has l = 4", 0),
        0u);
    EXPECT_FALSE(std::filesystem::exists("Orbitra.out"));
    EXPECT_FALSE(run->shared().atom.allocated);
}

TEST(OrbitraController, FailedExchangeEvaluationFailsTheRunNotTheProcess) {
    Workspace ws;
    testing_support::RecordingSink sink;
    atom::set_radlocpot_failure_for_testing(true);
    auto run = automatic("He");
    testing::internal::CaptureStdout();
    EXPECT_EQ(run_modal(*run), app::kIdOk);
    const std::string out = testing::internal::GetCapturedStdout();
    atom::set_radlocpot_failure_for_testing(false);
    EXPECT_NE(out.find("Error in MakeRadLocPot - pt past grid size\n"), std::string::npos);
    EXPECT_EQ(run->record().status(), app::RunStatus::Failed);
    EXPECT_NE(run->record().error().find("MakeRadLocPot"), std::string::npos);
    EXPECT_EQ(run->status, "Status: Error");
    EXPECT_EQ(run->result, 0.0f);
    EXPECT_FALSE(run->shared().atom.allocated);
    EXPECT_FALSE(run->running);
}

TEST(OrbitraController, EmptyDeckFolderAndTimerFailuresEndTheRunAsFailed) {
    {
        testing_support::TempDir dir;
        testing_support::ScopedCwd cwd(dir.path());
        testing_support::RecordingSink sink;
        auto run = automatic("Ag");
        EXPECT_EQ(run_modal(*run), app::kIdOk);
        EXPECT_TRUE(run->atoms.empty());
        EXPECT_EQ(run->record().status(), app::RunStatus::Failed);
    }
    for (const int timer : {atom::kTimerStatus, atom::kTimerClock}) {
        Workspace ws;
        testing_support::RecordingSink sink;
        auto run = automatic("H");
        app::HeadlessRunner runner;
        runner.time_limit = 60s;
        runner.failing_timers = {timer};
        EXPECT_EQ(runner.run_modal(*run), app::kIdOk);
        EXPECT_EQ(run->record().status(), app::RunStatus::Failed);
        ASSERT_FALSE(sink.boxes.empty());
        EXPECT_EQ(sink.boxes[0], "Could not create timer!: Timer Error");
        EXPECT_FALSE(run->running);
    }
}

TEST(OrbitraController, GridListsFollowTheDeckAndUserDefinedValuesDriveTheRun) {
    Workspace ws;
    testing_support::RecordingSink sink;
    atom_testing::write_file("Input Files/A.in",
                             atom_testing::deck(1, 500, "0.01", "50", orbital(1, 0, 0, 0), 1));
    app::HeadlessRunner runner;
    runner.time_limit = 60s;
    // The first paint fills the lists; the user then picks a grid and presses Run.
    class Driver : public atom::OrbitraController {
      public:
        std::vector<std::string> seen;

      protected:
        void paint_dialog(bool first) override {
            atom::OrbitraController::paint_dialog(first);
            if (!first) return;
            seen = {points_text, rinit_text, rfinal_text};
            select_user_defined();
            points_text = "250";
            rinit_text = "0.001";
            rfinal_text = "400";
            auto_start = true;  // so the dialog closes when the run ends
            close_when_done = true;
        }
        void start_automatic_run() override { on_command(atom::kIdRunSimulation); }
    } driver;
    EXPECT_EQ(runner.run_modal(driver), app::kIdOk);
    EXPECT_EQ(driver.seen, (std::vector<std::string>{"500", "0.01", "50"}));
    EXPECT_EQ(driver.record().status(), app::RunStatus::Completed);
    const std::string listing = atom_testing::read_file("radgridpositions");
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 250);
    EXPECT_NE(atom_testing::read_file("Orbitra.out").find("      final r: 400.000000 \n"),
              std::string::npos);
}

TEST(OrbitraController, RegisteredEntryRunsCodeThreeWithTheRequestedDeck) {
    Workspace ws;
    testing_support::RecordingSink sink;
    app::RunRegistry registry;
    register_atom_runs(registry);
    const app::RunEntry* entry = registry.find(3);
    ASSERT_NE(entry, nullptr);
    app::RunRequest rq;
    rq.deck = "he.in";
    auto controller = entry->make(rq);
    EXPECT_EQ(run_modal(*controller), app::kIdOk);
    EXPECT_EQ(controller->record().status(), app::RunStatus::Completed);
    EXPECT_EQ(controller->record().figure("deck"), "He");
}

}  // namespace

namespace {

TEST(OrbitraController, ViewSimKeepsTheStateAndTheLastOrbitalForTheView) {
    Workspace ws;
    testing_support::RecordingSink sink;
    atom_testing::write_file(
        "Input Files/B.in",
        atom_testing::deck(5, 250, "0.001", "400",
                           orbital(1, 0, 0, 0) + orbital(1, 0, 0, 1) + orbital(2, 0, 0, 0) +
                               orbital(2, 0, 0, 1) + orbital(2, 1, -1, 0),
                           5));
    auto run = automatic("B");
    run->view_sim = true;
    int opened = 0, ended = 0;
    run->open_view = [&] { ++opened; };
    run->view_run_ended = [&] { ++ended; };
    EXPECT_EQ(run_modal(*run), app::kIdOk);
    ASSERT_EQ(run->record().status(), app::RunStatus::Completed);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(run->view_button_enabled);
    atom::OrbitraShared& sh = run->shared();
    EXPECT_TRUE(sh.atom.allocated);
    EXPECT_TRUE(sh.view_data_ready.is_set());
    std::lock_guard lock(sh.mutex);
    EXPECT_EQ(sh.view_harmonic, 1 * 2 - 1);
    EXPECT_EQ(sh.view_u.values, sh.atom.wf.u[4].values);
}

}  // namespace

namespace {

TEST(OrbitraController, ChargeBeyondThePeriodicTableEndsAtOnceAndWritesNothing) {
    for (const double Z : {1500.0, 5000.0, 1e300}) {
        Workspace ws;
        testing_support::RecordingSink sink;
        // A previous run's files stay as they were.
        atom_testing::write_file("Orbitra.out", "previous log\n");
        atom_testing::write_file("Input Files/Big.in", atom_testing::deck(Z, 250, "0.001", "400",
                                                                          orbital(1, 0, 0, 0), 1));
        auto run = automatic("Big");
        EXPECT_EQ(run_modal(*run), app::kIdOk) << Z;
        EXPECT_EQ(run->record().status(), app::RunStatus::Failed) << Z;
        const std::string expected = app::strprintf(
            "Error: Orbitra deck Big.in refused: nuclear charge %g is outside 1 to "
            "118.",
            Z);
        EXPECT_EQ(run->record().error(), expected);
        EXPECT_EQ(app::console().text().rfind(expected, 0), 0u) << app::console().text();
        EXPECT_EQ(atom_testing::read_file("Orbitra.out"), "previous log\n");
        EXPECT_FALSE(std::filesystem::exists("radgridpositions"));
    }
}

TEST(OrbitraController, BisectionStepLimitFailsTheRunWithItsErrorLine) {
    Workspace ws;
    testing_support::RecordingSink sink;
    atom::set_bisection_cap_for_testing(3);
    auto run = automatic("He");
    EXPECT_EQ(run_modal(*run), app::kIdOk);
    atom::set_bisection_cap_for_testing(0);
    EXPECT_EQ(run->record().status(), app::RunStatus::Failed);
    EXPECT_EQ(run->record().error(),
              "Error: Orbitra calculation of He.in failed: the eigenvalue of orbital 1 (n = 1, "
              "l = 0) was not found within the bisection step limit in SCF iteration 0.");
    EXPECT_EQ(run->status, "Status: Error");
    EXPECT_EQ(run->result, 0.0f);
    EXPECT_FALSE(run->shared().atom.allocated);
}

// Silver on a finer grid: every iteration takes a while, so a stop lands inside one.
void write_slow_deck() {
    std::string ag =
        atom_testing::read_file(testing_support::source_data_dir() / "Input Files" / "Ag.in");
    ag.replace(ag.find("GridPoints 1000"), 15, "GridPoints 4000");
    atom_testing::write_file("Input Files/Slow.in", ag);
}

// Cancels (and confirms) as soon as the compute thread has finished its set-up.
class EarlyCancellingRun : public atom::OrbitraController {
  public:
    std::chrono::steady_clock::time_point cancelled{};
    void on_timer(int id) override {
        atom::OrbitraController::on_timer(id);
        if (running && cancelled == std::chrono::steady_clock::time_point{} &&
            shared().view_data_ready.is_set()) {
            cancelled = std::chrono::steady_clock::now();
            on_cancel();
        }
    }
};

TEST(OrbitraController, StopInsideAnIterationEndsTheRunPromptly) {
    Workspace ws;
    testing_support::RecordingSink sink;
    write_slow_deck();
    EarlyCancellingRun run;
    run.auto_start = true;
    run.close_when_done = true;
    run.deck_name = "Slow";
    EXPECT_EQ(run_modal(run), app::kIdOk);
    const auto took = std::chrono::steady_clock::now() - run.cancelled;
    ASSERT_NE(run.cancelled, std::chrono::steady_clock::time_point{});
    EXPECT_EQ(run.record().status(), app::RunStatus::Stopped);
    EXPECT_EQ(run.shared().iteration.load(), 0);
    EXPECT_LT(took, 5s);
}

TEST(OrbitraController, DestroyedControllerStopsItsComputeThreadPromptly) {
    Workspace ws;
    testing_support::RecordingSink sink;
    write_slow_deck();
    auto run = automatic("Slow");
    app::HeadlessRunner runner;
    runner.time_limit = 300ms;
    EXPECT_EQ(runner.run_modal(*run), app::HeadlessRunner::kRunTimedOut);
    EXPECT_TRUE(run->running);
    const auto asked = std::chrono::steady_clock::now();
    run.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 5s);
}

}  // namespace

namespace {

TEST(OrbitraController, DeckThatIsNotARegularFileIsRefusedWithItsReason) {
    const struct {
        const char* name;
        void (*make)();
        const char* reason;
    } rows[] = {
        {"Dir", [] { std::filesystem::create_directories("Input Files/Dir.in"); },
         "is a directory, not a file"},
        {"Fifo", [] { ::mkfifo("Input Files/Fifo.in", 0600); },
         "is a named pipe (FIFO), not a file"},
        {"Zero", [] { std::filesystem::create_symlink("/dev/zero", "Input Files/Zero.in"); },
         "is a device, not a file"},
    };
    for (const auto& row : rows) {
        Workspace ws;
        testing_support::RecordingSink sink;
        row.make();
        auto run = automatic(row.name);
        EXPECT_EQ(run_modal(*run), app::kIdOk);
        EXPECT_TRUE(sink.boxes.empty()) << row.name;
        EXPECT_EQ(run->record().status(), app::RunStatus::Failed) << row.name;
        EXPECT_EQ(run->record().error(),
                  app::strprintf("Error: Orbitra deck %s.in refused: %s.", row.name, row.reason));
        EXPECT_FALSE(std::filesystem::exists("Orbitra.out")) << row.name;
    }
}

}  // namespace
