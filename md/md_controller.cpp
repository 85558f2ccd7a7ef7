#include "md/md_controller.h"

#include <cmath>
#include <new>

#include "app/benchmarks.h"
#include "app/console.h"
#include "app/files.h"
#include "app/format.h"
#include "app/lap_timer.h"
#include "md/energy_graph.h"
#include "md/mdenergy.h"

namespace md {
namespace {

constexpr const char* kUserLabel = "User specified simulation";

}  // namespace

MdController::MdController() = default;

MdController::~MdController() {
    // A dialog destroyed mid-run (a timed-out headless run) stops its threads first.
    run_.md_stop_event.set();
    join_threads();
    close_view();
}

std::string MdController::elapsed_text() const {
    return app::strprintf("%.5f", elapsed_seconds);
}

void MdController::choose_default_simulation() {
    default_simulation = 1;
}

void MdController::choose_user_simulation() {
    if (!default_simulation) return;
    set_cube_type(0);
    user.cells_per_side = 4;
    user.time_step = 0.0001f;
    user.steps = 5000;
    user.temperature = 140.0;
    default_simulation = 0;
}

void MdController::set_cube_type(int lattice_type) {
    user.lattice_type = lattice_type;
    user.species = {0, 0, 0, 0};  // helium at every position
}

std::string MdController::title() const {
    return std::string(app::find_benchmark(app::kCodeMolDyn)->title);
}

void MdController::on_command(int id) {
    switch (id) {
        case kIdRunSimulation:
            OnMoldynRunbenchmark();
            break;
        case kIdSingleStep:
            OnSingleStep();
            break;
        case kIdViewReplay:
            OnViewReplay();
            break;
        default:
            break;
    }
}

bool MdController::prepare_settings(SimulationSettings* settings, std::string* deck_label) {
    if (!default_simulation) {
        settings->lattice_type = user.lattice_type;
        settings->species = user.species;
        settings->cells_per_side = user.cells_per_side;
        settings->time_step = static_cast<double>(user.time_step);
        settings->temperature = user.temperature;
        settings->steps = user.steps;
        *deck_label = kUserLabel;
        if (auto problem = check_settings(*settings, memory_limit)) {
            refuse(
                app::strprintf("Error: Molecular Dynamics %s: %s.", kUserLabel, problem->c_str()),
                *problem);
            return false;
        }
        return true;
    }
    const std::string name = use_deck_name ? deck_name : kDefaultDeck;
    // A file the user named is opened as named: "Argon.bak" is not "Argon.in".
    const bool named_file = use_deck_name && !deck_file.empty();
    const std::string shown = app::printable_text("MD/" + (named_file ? deck_file : name + ".in"));
    *deck_label = name;
    std::optional<std::filesystem::path> path;
    if (!named_file)
        path = find_deck(".", name);
    else if (const auto folder = app::find_file_nocase(".", "MD"))
        path = app::find_file_nocase(*folder, deck_file);
    if (!path) {
        refuse(app::strprintf("Error: Molecular Dynamics deck %s cannot be opened.", shown.c_str()),
               "deck " + shown + " cannot be opened");
        return false;
    }
    *deck_label = app::base_name(*path);
    const DeckReading reading = read_deck(*path);
    std::optional<std::string> problem;
    if (!reading.ok)
        problem = reading.problem;
    else
        problem = check_settings(reading.settings, memory_limit);
    if (problem) {
        refuse(app::strprintf("Error: Molecular Dynamics deck %s: %s.", shown.c_str(),
                              problem->c_str()),
               "deck " + shown + ": " + *problem);
        return false;
    }
    *settings = reading.settings;
    return true;
}

void MdController::refuse(const std::string& line, const std::string& problem) {
    app::ConsoleLog(app::with_cursor(line));
    record().set_figure("deck", deck_label_);
    record().fail(problem);
    run_state_ = kStateIdle;
    status = "Status: Idle";
    // An unattended suite goes on with its next benchmark.
    close_if_automatic();
}

bool MdController::start_timer_or_fail(int id, int period_ms, const char* where) {
    if (start_timer_or_report(id, period_ms)) return true;
    app::ConsoleLog(
        app::with_cursor(app::strprintf("Error: Could not create Timer in %s.", where)));
    return false;
}

void MdController::kill_run_timers() {
    host().kill_timer(kTimerCompletion);
    host().kill_timer(kTimerElapsed);
    host().kill_timer(kTimerDisplay);
}

void MdController::copy_energies() {
    kinetic_display = run_.md_kinetic.load();
    potential_display = run_.md_potential.load();
    total_display = run_.md_total.load();
}

void MdController::open_view(FrameSink* sink) {
    if (view_open_ || !sink) return;
    sink->open(run_.replay_atoms, &run_.frame_request_event);
    open_sink_ = sink;
    view_open_ = true;
}

void MdController::close_view() {
    if (!view_open_) return;
    open_sink_->close();
    open_sink_ = nullptr;
    view_open_ = false;
}

void MdController::join_threads() {
    worker_.join();
    stepper_.join();
    replayer_.join();
}

void MdController::free_run() {
    join_threads();
    run_.free_buffers();
    if (run_.sim.constructed) free_mdsimstate(run_.sim);
}

void MdController::OnMoldynRunbenchmark() {
    // A new worker would reallocate what a replay or a single step is using.
    if (run_state_ != kStateIdle) return;
    join_threads();
    record().begin();

    SimulationSettings settings;
    if (!prepare_settings(&settings, &deck_label_)) return;
    record().set_figure("deck", deck_label_);

    // Everything is sized before anything is constructed or written.
    const int32_t atoms =
        atom_count_for(settings.cells_per_side, atoms_per_cell_for(settings.lattice_type));
    try {
        if (run_.sim.constructed) free_mdsimstate(run_.sim);
        run_.allocate_buffers(settings.steps, atoms);
    } catch (const std::bad_alloc&) {
        run_.free_buffers();
        refuse(app::strprintf("Error: Molecular Dynamics deck %s: %d steps of %d atoms cannot be "
                              "allocated.",
                              deck_label_.c_str(), settings.steps, atoms),
               "the run's arrays cannot be allocated");
        return;
    }
    replay_enabled = false;

    run_.md_finished_event.reset();
    // A stop left over from a cancelled single step must not end the new run.
    run_.md_stop_event.reset();
    elapsed_seconds = 0;
    kinetic_display = potential_display = total_display = 0;
    app::lap_take();

    const char* where = "OnMoldynRunbenchmark()";
    if (!start_timer_or_fail(kTimerCompletion, 100, where) ||
        !start_timer_or_fail(kTimerElapsed, 1, where) ||
        !start_timer_or_fail(kTimerDisplay, 500, where)) {
        kill_run_timers();
        record().fail("Could not create timer!");
        host().end_dialog(app::kIdOk);
        return;
    }

    try {
        construct_from_settings(run_.sim, settings);
    } catch (const std::bad_alloc&) {
        kill_run_timers();
        free_run();
        refuse(app::strprintf("Error: Molecular Dynamics deck %s: %d atoms cannot be allocated.",
                              deck_label_.c_str(), atoms),
               "the simulation's arrays cannot be allocated");
        return;
    }
    place_atoms(run_.sim);
    init_atomvelocities(run_.sim);
    if (!run_.sim.output_error.empty()) {
        const std::string problem = run_.sim.output_error;
        host().kill_timer(kTimerCompletion);
        host().kill_timer(kTimerElapsed);
        host().kill_timer(kTimerDisplay);
        free_run();
        refuse(app::strprintf("Error: Molecular Dynamics run of %s failed: %s.",
                              deck_label_.c_str(), problem.c_str()),
               problem);
        return;
    }
    compute_forces(run_.sim);
    run_.replay_species = run_.sim.species;

    const Energies e = current_energies(run_.sim);
    initial_kinetic_ = e.kinetic;
    kinetic_display = e.kinetic;
    potential_display = e.potential;
    total_display = e.total;
    run_.md_kinetic.store(e.kinetic);
    run_.md_potential.store(e.potential);
    run_.md_total.store(e.total);
    run_.md_step_count.store(0);

    run_state_ = kStateRunning;
    progress_range = run_.sim.steps;
    progress_position = 0;
    record().set_progress("Step", 0, run_.sim.steps);
    status = "Status: Running";
    run_button = "Simulation is running...";
    cancel_button = "Stop simulation";

    if (view_enabled) open_view(sink_);
    FrameSink* view = view_open_ ? open_sink_ : nullptr;
    const int processor = app::processor_count() >= 2 ? 0 : -1;
    if (!start_worker(worker_, [this, view] { run_worker(run_, view); }, {processor})) {
        // Nothing would ever signal the end: the run ends here, in order.
        kill_run_timers();
        close_view();
        free_run();
        run_state_ = kStateIdle;
        status = "Status: Idle";
        run_button = "Run simulation";
        cancel_button = "Cancel simulation";
        give_up("Error: Could not create the Molecular Dynamics thread.");
        return;
    }
    app::ConsoleLog(app::with_cursor("Created thread to run benchmark."));
}

void MdController::finish_run() {
    kill_run_timers();
    worker_.join();
    if (!run_.output_error.empty()) {
        run_button = "Run Benchmark";
        cancel_button = "Cancel simulation";
        close_view();
        if (run_.sim.constructed) free_mdsimstate(run_.sim);
        refuse(app::strprintf("Error: Molecular Dynamics run of %s failed: %s.",
                              deck_label_.c_str(), run_.output_error.c_str()),
               run_.output_error);
        return;
    }
    copy_energies();
    run_button = "Run Benchmark";
    cancel_button = "Cancel simulation";
    // A run whose figures overflowed measured nothing that can be scored.
    const struct {
        const char* name;
        double value;
    } figures[] = {{"time", elapsed_seconds},
                   {"initial kinetic energy", initial_kinetic_},
                   {"kinetic energy", kinetic_display},
                   {"potential energy", potential_display},
                   {"total energy", total_display}};
    for (const auto& f : figures) {
        if (std::isfinite(f.value)) continue;
        close_view();
        if (run_.sim.constructed) free_mdsimstate(run_.sim);
        const std::string problem = std::string("the ") + f.name + " is not a finite number";
        refuse(app::strprintf("Error: Molecular Dynamics run of %s failed: %s.",
                              deck_label_.c_str(), problem.c_str()),
               problem);
        return;
    }
    status = "Status: Finished";
    app::ConsoleLog("Completed Molecular Dynamics simulation\r\n");
    app::ConsoleLog(app::with_cursor(app::strprintf("Time: %.5f seconds", elapsed_seconds)));
    run_state_ = kStateIdle;
    close_view();

    progress_position = run_.md_step_count.load();
    record().set_progress_position(progress_position);
    record().set_figure("atoms", run_.sim.atom_count);
    record().set_figure("steps", run_.sim.steps);
    record().set_figure("time_s", elapsed_seconds);
    record().set_figure("initial_kinetic_K", initial_kinetic_);
    record().set_figure("kinetic_K", kinetic_display);
    record().set_figure("potential_K", potential_display);
    record().set_figure("total_K", total_display);
    {
        // The steps the energy graphs show at the end, so a report can draw them again.
        const int32_t done = std::min<int32_t>(run_.history_count.load(),
                                               static_cast<int32_t>(run_.ke_history.size()));
        const int32_t first = std::max<int32_t>(0, done - kGraphSteps);
        const auto window = [&](const std::vector<double>& h) {
            return std::vector<double>(h.begin() + first, h.begin() + done);
        };
        record().set_figure("kinetic_history_K", window(run_.ke_history));
        record().set_figure("potential_history_K", window(run_.pe_history));
    }
    record().set_headline("time_s", elapsed_seconds);
    record().complete();

    if (run_.sim.constructed) free_mdsimstate(run_.sim);
    replay_enabled = run_.history_count.load() > 0;
    graphs_dirty = true;
    close_if_automatic();
}

void MdController::OnSingleStep() {
    if (run_state_ != kStateIdle) return;
    join_threads();
    run_.md_finished_event.reset();
    run_.md_stepdone_event.reset();
    if (!start_timer_or_fail(kTimerSingleStep, 100, "OnMoldynRunbenchmark()")) {
        host().end_dialog(app::kIdOk);
        return;
    }
    if (!start_worker(stepper_, [this] { run_single_step(run_); })) {
        host().kill_timer(kTimerSingleStep);
        app::ConsoleLog(app::with_cursor("Error: Could not create the single step thread."));
        return;
    }
    run_state_ = kStateStepping;
}

void MdController::OnViewReplay() {
    if (run_state_ != kStateIdle || !replay_enabled) return;
    const int32_t frames = run_.history_count.load();
    if (frames <= 0) return;
    join_threads();
    run_.md_finished_event.reset();
    run_.md_stop_event.reset();
    run_.frame_request_event.set();
    view_enabled = true;
    if (!start_timer_or_fail(kTimerReplayEnd, 100, "OnSimviewwin()") ||
        !start_timer_or_fail(kTimerReplayProgress, 100, "OnSimviewwin()")) {
        host().kill_timer(kTimerReplayEnd);
        host().kill_timer(kTimerReplayProgress);
        return;
    }
    run_state_ = kStateReplaying;
    status = "Status: Replay Running";
    run_button = "Replay is running...";
    cancel_button = "Stop replay";
    progress_range = frames;
    progress_position = 0;
    // Without a window the replay is paced by a sink that asks for every next frame at once.
    open_view(sink_ ? sink_ : &headless_sink_);
    FrameSink* view = open_sink_;
    if (!start_worker(replayer_, [this, view, frames] { run_replay(run_, *view, frames); })) {
        host().kill_timer(kTimerReplayEnd);
        host().kill_timer(kTimerReplayProgress);
        close_view();
        run_state_ = kStateIdle;
        status = "Status: Idle";
        run_button = "Run simulation";
        cancel_button = "Cancel simulation";
        app::ConsoleLog(app::with_cursor("Error: Could not create the replay thread."));
        return;
    }
    app::ConsoleLog(app::with_cursor("Created thread to run replay."));
}

void MdController::on_timer(int id) {
    switch (id) {
        case kTimerElapsed:
            elapsed_seconds += app::lap_take();
            break;
        case kTimerCompletion:
            if (run_state_ == kStateRunning && run_.md_finished_event.poll()) finish_run();
            break;
        case kTimerDisplay:
            copy_energies();
            picture_angle += 5.0f;
            if (picture_angle >= 360.0f) picture_angle -= 360.0f;
            if (run_.md_newdata_event.poll()) {
                graphs_dirty = true;
                host().request_repaint();
            }
            progress_position = run_.md_step_count.load();
            record().set_progress_position(progress_position);
            break;
        case kTimerSingleStep:
            if (!run_.md_stepdone_event.poll()) break;
            host().kill_timer(kTimerSingleStep);
            stepper_.join();
            if (run_.md_finished_event.poll()) {
                status = "Status: Finished";
                run_.md_step_count.store(0);
            } else {
                status = "Status: Idle";
            }
            if (run_.md_step_count.load() != 0) elapsed_seconds += run_.last_lap.load();
            copy_energies();
            if (run_.md_newdata_event.poll()) {
                graphs_dirty = true;
                host().request_repaint();
            }
            progress_position = run_.md_step_count.load();
            run_state_ = kStateIdle;
            break;
        case kTimerReplayProgress:
            progress_position = run_.md_step_count.load();
            break;
        case kTimerReplayEnd:
            if (!run_.md_finished_event.poll()) break;
            host().kill_timer(kTimerReplayEnd);
            host().kill_timer(kTimerReplayProgress);
            replayer_.join();
            progress_position = run_.md_step_count.load();
            run_button = "Run Benchmark";
            cancel_button = "Cancel simulation";
            status = "Status: Finished";
            close_view();
            run_state_ = kStateIdle;
            break;
        default:
            break;
    }
}

void MdController::on_cancel() {
    switch (run_state_) {
        case kStateRunning:
        case kStateStepping: {
            if (!host().ask_yes_no("Do you wish to stop the simulation?", "Simulation in Progress"))
                return;
            const bool stepping = run_state_ == kStateStepping;
            kill_run_timers();
            if (stepping) host().kill_timer(kTimerSingleStep);
            run_.md_stop_event.set();
            join_threads();
            // The step thread never looks at the stop, and a worker that had just finished
            // did not either: no stale stop may end the next run.
            run_.md_stop_event.reset();
            copy_energies();
            status = "Status: Idle, benchmark stopped";
            run_button = "Run simulation";
            cancel_button = "Cancel simulation";
            run_state_ = kStateIdle;
            close_view();
            if (!stepping) record().stop("Stopped by the user");
            break;
        }
        case kStateReplaying:
            if (!host().ask_yes_no("Do you wish to stop the replay?", "Replay in Progress")) return;
            run_.md_stop_event.set();
            host().kill_timer(kTimerReplayEnd);
            host().kill_timer(kTimerReplayProgress);
            replayer_.join();
            run_.md_stop_event.reset();
            run_button = "Run simulation";
            cancel_button = "Cancel simulation";
            status = "Status: Idle";
            close_view();
            run_state_ = kStateIdle;
            break;
        default:
            free_run();
            host().end_dialog(app::kIdCancel);
            break;
    }
}

}  // namespace md
