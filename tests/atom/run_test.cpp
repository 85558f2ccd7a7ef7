// The Orbitra run through the headless host, the way the suite and the CLI run it: automatic
// start, figures and the time line, a stop honoured at an iteration boundary, a missing deck on
// an automatic start, a failed exchange evaluation and the bisection step limit.
#include <gtest/gtest.h>

#include <string>

#include "app/console.h"
#include "app/format.h"
#include "app/headless_host.h"
#include "atom/orbitra_run.h"
#include "deck_fixtures.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

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
    EXPECT_TRUE(f["converged"].get<bool>());
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

TEST(OrbitraController, FailedExchangeEvaluationFailsTheRunNotTheProcess) {
    Workspace ws;
    testing_support::RecordingSink sink;
    atom::set_radlocpot_failure_for_testing(true);
    auto run = automatic("He");
    EXPECT_EQ(run_modal(*run), app::kIdOk);
    atom::set_radlocpot_failure_for_testing(false);
    EXPECT_EQ(run->record().status(), app::RunStatus::Failed);
    EXPECT_NE(run->record().error().find("MakeRadLocPot"), std::string::npos);
    EXPECT_EQ(run->status, "Status: Error");
    EXPECT_EQ(run->result, 0.0f);
    EXPECT_FALSE(run->shared().atom.allocated);
    EXPECT_FALSE(run->running);
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
}

}  // namespace
