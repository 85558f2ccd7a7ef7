// The run logic of the "Molecular Dynamics Benchmark" dialog: its run fields, the Run button
// (OnMoldynRunbenchmark), the single step, the replay, Cancel and the timers that poll the
// worker, add up the elapsed time and refresh the display. The Qt dialog draws from the plain
// data here; the headless host drives it the same way.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "app/benchmark_controller.h"
#include "app/thread.h"
#include "md/deck.h"
#include "md/frame_sink.h"
#include "md/md_dialog_data.h"
#include "md/md_run.h"

namespace md {

// Dialog commands.
inline constexpr int kIdRunSimulation = 1006;
inline constexpr int kIdSingleStep = 1007;
inline constexpr int kIdViewReplay = 1010;

// Dialog timers.
inline constexpr int kTimerCompletion = 1001;
inline constexpr int kTimerDisplay = 1002;
inline constexpr int kTimerSingleStep = 1003;
inline constexpr int kTimerReplayEnd = 1004;
inline constexpr int kTimerReplayProgress = 1005;
inline constexpr int kTimerElapsed = 1500;

enum RunState : int { kStateIdle = 0, kStateRunning = 1, kStateStepping = 3, kStateReplaying = 5 };

inline constexpr const char* kDefaultDeck = "Argon-Helium";

// The dialog's user-specified simulation.
struct UserSimulation {
    int lattice_type = 0;
    std::array<int, 4> species{};  // positions 1 to 4
    int cells_per_side = 4;
    float time_step = 0.0001f;  // single precision, widened when used
    int steps = 5000;
    double temperature = 140.0;
};

class MdController : public app::BenchmarkController {
  public:
    MdController();
    ~MdController() override;

    // Run fields besides the automatic start (set by the suite or the automation).
    int use_deck_name = 0;
    std::string deck_name;
    // The file the user named in MD/ (opened in place of "<deck_name>.in"); empty: none.
    std::string deck_file;
    int default_simulation = 1;  // 1: use a deck; 0: the user-specified settings
    UserSimulation user;
    bool view_enabled = false;  // "View simulation"
    // The rest of the view options (size, full screen, pitch/yaw text, guide cube).
    ViewSettings view;
    // Bytes a run may allocate (histories and replay frames included): three quarters of the
    // machine's memory, since a run that swaps measures the disk, not the processor.
    double memory_limit = 0.75 * physical_memory_bytes();

    // Display (read by the dialog).
    double kinetic_display = 0, potential_display = 0, total_display = 0;
    double elapsed_seconds = 0;
    float picture_angle = 0;
    std::string status = "Status: Idle";
    std::string run_button = "Run simulation";
    std::string cancel_button = "Cancel simulation";
    bool replay_enabled = false;
    long progress_position = 0, progress_range = 0;
    // Set when the energy graphs have new data to draw.
    bool graphs_dirty = false;
    int run_state() const { return run_state_; }
    std::string elapsed_text() const;

    // The view window (the OpenGL view in the GUI); null: no view.
    void set_frame_sink(FrameSink* sink) { sink_ = sink; }
    bool view_open() const { return view_open_; }

    MdRunState& run() { return run_; }
    const MdRunState& run() const { return run_; }

    // "Default Simulation" / "User specified simulation" with the dialog's defaults, and the
    // cube type list (every active position becomes helium).
    void choose_default_simulation();
    void choose_user_simulation();
    void set_cube_type(int lattice_type);

    // The handlers.
    void OnMoldynRunbenchmark();
    void OnSingleStep();
    void OnViewReplay();

    std::string title() const override;
    void on_timer(int id) override;
    void on_command(int id) override;
    void on_cancel() override;
    bool cancel_stops_run() const override { return true; }
    int run_command_id() const override { return kIdRunSimulation; }
    std::string run_command_text() const override { return run_button; }
    std::string status_text() const override { return status; }

  protected:
    void start_automatic_run() override { OnMoldynRunbenchmark(); }
    // A dialog that closes itself releases the run as Cancel would.
    void before_automatic_close() override { free_run(); }

  private:
    // The settings of the next run from the deck or the dialog; false when refused.
    bool prepare_settings(SimulationSettings* settings, std::string* deck_label);
    void refuse(const std::string& line, const std::string& problem);
    bool start_timer_or_fail(int id, int period_ms, const char* where);
    void kill_run_timers();
    void copy_energies();
    void open_view(FrameSink* sink);
    void close_view();
    void free_run();
    void finish_run();
    void join_threads();

    MdRunState run_;
    int run_state_ = kStateIdle;
    FrameSink* sink_ = nullptr;
    FrameSink* open_sink_ = nullptr;
    bool view_open_ = false;
    ImmediateFrameSink headless_sink_;
    std::string deck_label_;
    double initial_kinetic_ = 0;
    app::Thread worker_;
    app::Thread stepper_;
    app::Thread replayer_;
};

}  // namespace md
