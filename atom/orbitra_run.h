// The Orbitra benchmark's run: the dialog's run fields and handlers (first paint with the atom
// list and automatic start, Run, Cancel, timers 1000 and 1444), the compute thread that sets up
// the atom and iterates the SCF to convergence, and the figures it publishes for the dialog,
// the graph and the later orbital view. The window itself only draws this state.
#pragma once

#include <array>
#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "app/benchmark_controller.h"
#include "app/event.h"
#include "app/thread.h"
#include "atom/atomstate.h"

namespace atom {

// Dialog identifiers the controller answers.
inline constexpr int kTimerStatus = 1000;  // 100 ms: status, progress, figures
inline constexpr int kTimerClock = 1444;   // 1 ms: elapsed time, end of run
inline constexpr int kIdRunSimulation = 1007;
inline constexpr int kIdDefaultSim = 1072;
inline constexpr int kIdUserDefined = 1073;
inline constexpr int kIdViewSim = 1076;

// The grid lists of the dialog.
inline const std::vector<std::string> kPointsList = {"250", "500", "1000", "2000", "4000", "8000"};
inline const std::vector<std::string> kRinitList = {"0.0001", "0.001", "0.01"};
inline const std::vector<std::string> kRfinalList = {"25", "50", "100", "200", "400", "800"};

// The energies of the latest iteration (hartree).
struct OrbitraEnergies {
    double exchange = 0.0, hartree = 0.0, kinetic = 0.0, nuclear = 0.0, potential = 0.0,
           total = 0.0;
};

// What the compute thread shares with the dialog and the orbital view.
struct OrbitraShared {
    AtomState atom;
    app::Event stop_request, run_finished, iteration_ready, view_refresh, view_data_ready;
    std::atomic<int> iteration{0};
    std::atomic<int> final_count{0};
    std::atomic<bool> keep_data{false};

    // Guarded by `mutex`: the published figures, the virial history, the view record, the end.
    mutable std::mutex mutex;
    OrbitraEnergies published;
    std::array<double, kMaxScfIterations> virial{};
    radgrid view_u;         // copy of the last orbital's u, refreshed every iteration
    int view_harmonic = 0;  // l(l+1) + m of the last orbital
    bool converged = false;
    double Z = 0.0;
    std::vector<double> eigenvalues;  // of the last iteration
    std::string error;                // set when the run failed
};

class OrbitraController : public app::BenchmarkController {
  public:
    OrbitraController();
    ~OrbitraController() override;

    // Run fields besides the automatic start: the deck an automatic start looks up in the atom
    // list, and whether the user named it (a typed name is never swapped for another deck).
    std::string deck_name;
    bool deck_typed = false;
    // The file the user named in the deck folder, opened as named ("H.v2.in" is not "H.in");
    // empty: the deck of deck_name.
    std::string deck_file;
    bool running = false;
    float result = 0.0f;  // seconds of the last run that finished without a stop
    // Display figures.
    OrbitraEnergies display;
    double simulation_time = 0.0;
    int scf_iteration_shown = 0;

    // Dialog state: atom list, grid lists, modes.
    struct AtomEntry {
        std::string name;
        std::filesystem::path path;
    };
    std::vector<AtomEntry> atoms;
    int atom_index = 0;
    std::string points_text, rinit_text, rfinal_text;
    bool default_mode = true;
    bool list_filled = false;
    bool view_sim = false;
    bool view_button_enabled = false;
    std::string status = "Status: Idle";
    long progress_low = 0, progress_high = 50, progress_pos = 0;

    // Folder of the decks, below the working directory.
    std::filesystem::path deck_folder = "Input Files";
    // Iterations of a run (the documented 50; tests use fewer).
    int max_iterations = kMaxScfIterations;
    // Hooks for the window's orbital view; empty in the core.
    std::function<void()> open_view, close_view, view_run_ended;

    std::string title() const override;
    void on_timer(int id) override;
    void on_command(int id) override;
    void on_cancel() override;
    bool cancel_stops_run() const override { return true; }
    int run_command_id() const override { return kIdRunSimulation; }
    std::string run_command_text() const override { return "Run simulation"; }
    std::string status_text() const override { return status; }

    // Dialog commands beyond the buttons.
    void select_atom(int index);
    void select_default_sim();
    void select_user_defined();
    void run();

    OrbitraShared& shared() { return shared_; }
    const OrbitraShared& shared() const { return shared_; }
    // The virial entries the graph shows: the first `scf_iteration_shown` of them.
    std::vector<double> virial_history() const;

  protected:
    void paint_dialog(bool first) override;
    void start_automatic_run() override;
    int automatic_close_result() const override { return app::kIdOk; }

  private:
    void fill_lists();
    void read_grid_values();
    void end_of_run();
    void fail_before_start(const std::string& line);

    OrbitraShared shared_;
    app::Thread compute_;
    bool deck_fallback_ = false;  // the automatic start ran the first deck in place of the default
};

// The compute thread's body: setup, SCF loop, publication, teardown.
struct ComputeRequest {
    std::filesystem::path deck_path;
    std::string deck_label;  // for error texts
    GridOverride grid;
    int max_iterations = kMaxScfIterations;
};
void orbitra_compute(OrbitraShared& sh, const ComputeRequest& request);

}  // namespace atom
