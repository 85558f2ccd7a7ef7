#include "md/md_run.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "app/console.h"
#include "app/format.h"
#include "app/lap_timer.h"
#include "md/md_output.h"
#include "md/mdenergy.h"

namespace md {
namespace {

double milliseconds_now() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

void MdRunState::allocate_buffers(int32_t steps, int32_t atoms) {
    const size_t frame = static_cast<size_t>(atoms) * 3;
    ke_history.assign(static_cast<size_t>(steps), 0.0);
    pe_history.assign(static_cast<size_t>(steps), 0.0);
    replay_frames.assign(static_cast<size_t>(steps) * frame, 0.0);
    replay_species.assign(static_cast<size_t>(atoms), 0);
    replay_atoms = atoms;
    history_count.store(0);
}

void MdRunState::free_buffers() {
    ke_history = {};
    pe_history = {};
    replay_frames = {};
    replay_species = {};
    replay_atoms = 0;
    history_count.store(0);
}

void run_worker(MdRunState& r, FrameSink* view) {
    mdsimstate& s = r.sim;
    r.output_error.clear();
    // Both are created empty; nothing is added to them during the run.
    std::string failed = write_empty_file(kSimScaFile);
    if (failed.empty()) failed = write_empty_file(kSimXmolFile);

    r.md_newdata_event.reset();
    r.last_lap.store(0.0);
    r.md_step_count.store(0);
    r.history_count.store(0);
    // The benchmark time starts here: the lap only resets the shared time base.
    app::lap_restart();
    if (failed.empty()) failed = write_xmol(s, kMovieFile);
    if (!failed.empty()) {
        // A file the run could not write fails it; stepping on would only waste the time.
        r.output_error = failed;
        r.md_finished_event.set();
        return;
    }

    const int32_t n = s.atom_count;
    const size_t frame_size = static_cast<size_t>(n) * 3;
    for (int32_t step = 0; step < s.steps; ++step) {
        if (r.md_stop_event.poll()) {
            app::ConsoleLog(app::with_cursor("Stopping Molecular Dynamics simulation."));
            return;
        }
        const Energies e = md_timestep(s);
        r.md_kinetic.store(e.kinetic);
        r.md_potential.store(e.potential);
        r.md_total.store(e.total);
        r.md_step_count.fetch_add(1);

        double* frame = r.replay_frames.data() + static_cast<size_t>(step) * frame_size;
        const Vec4* p = s.positions.data();
        for (int32_t i = 0; i < n; ++i) {
            frame[3 * i] = p[i].x;
            frame[3 * i + 1] = p[i].y;
            frame[3 * i + 2] = p[i].z;
        }
        // The view reads the stored frame, which no one changes afterwards.
        if (view) view->show_frame(frame, r.replay_species.data(), n);

        r.ke_history[step] = e.kinetic;
        r.pe_history[step] = e.potential;
        r.history_count.store(step + 1, std::memory_order_release);

        if (step % kRescaleInterval == 0) rescale_velocities(s);
        r.md_newdata_event.set();
        r.md_frame_event.set();
    }
    r.md_finished_event.set();
}

void run_single_step(MdRunState& r) {
    mdsimstate& s = r.sim;
    const int32_t done = r.md_step_count.load();
    // Nothing to step: every step is done, or no simulation is built (freed at completion).
    if (!s.constructed || done >= s.steps || done >= static_cast<int32_t>(r.ke_history.size())) {
        r.md_finished_event.set();
        r.md_stepdone_event.set();
        return;
    }
    const double start = milliseconds_now();
    const Energies e = md_timestep(s);
    r.last_lap.store((milliseconds_now() - start) / 1000.0);
    r.md_kinetic.store(e.kinetic);
    r.md_potential.store(e.potential);
    r.md_total.store(e.total);
    r.ke_history[done] = e.kinetic;
    r.pe_history[done] = e.potential;
    r.history_count.store(done + 1, std::memory_order_release);
    r.md_newdata_event.set();
    r.md_step_count.store(done + 1);
    r.md_stepdone_event.set();
}

void run_replay(MdRunState& r, FrameSink& view, int32_t frames) {
    using namespace std::chrono_literals;
    r.md_step_count.store(0);
    const double start = milliseconds_now();
    const size_t frame_size = static_cast<size_t>(r.replay_atoms) * 3;
    int32_t shown = 0;
    for (int32_t f = 0; f < frames;) {
        // Paced by the view; the wait wakes at once when it asks for the next frame.
        if (r.frame_request_event.wait(5ms)) {
            view.show_frame(r.replay_frames.data() + static_cast<size_t>(f) * frame_size,
                            r.replay_species.data(), r.replay_atoms);
            r.md_frame_event.set();
            ++shown;
            ++f;
            r.md_step_count.store(f);
        }
        if (r.md_stop_event.poll()) {
            app::ConsoleLog(app::with_cursor("Stopping Molecular Dynamics replay."));
            return;
        }
    }
    r.md_finished_event.set();
    const double elapsed = (milliseconds_now() - start) / 1000.0;
    // A replay faster than the clock's resolution has no meaningful rate.
    const double fps = elapsed > 0 ? shown / elapsed : 0.0;
    app::ConsoleLog(app::with_cursor(app::strprintf(
        "OpenGL FPS: %.2f fps Frames: %d Runtime: %.2f seconds.", fps, shown, elapsed)));
}

}  // namespace md
