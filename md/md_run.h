// The values a molecular dynamics run shares between its worker, its dialog and its view:
// the simulation, the energies of the last step, the energy histories, the replay frames and
// the run's events; and the bodies of the three threads (worker, single step, replay).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "app/event.h"
#include "md/frame_sink.h"
#include "md/mdsimstate.h"

namespace md {

// Rescaling follows every step whose zero-based index is a multiple of this.
inline constexpr int32_t kRescaleInterval = 2000;

struct MdRunState {
    mdsimstate sim;

    // Kelvin per atom after the last step.
    std::atomic<double> md_kinetic{0}, md_potential{0}, md_total{0};
    std::atomic<int32_t> md_step_count{0};
    // Entries of the histories (and frames) written so far; published after the entries, so a
    // reader of the graphs sees only complete values.
    std::atomic<int32_t> history_count{0};

    std::vector<double> ke_history, pe_history;
    // x, y, z of every atom for every completed step (3 x N doubles per frame).
    std::vector<double> replay_frames;
    // Species per atom of the frames: the simulation's own arrays are freed at completion.
    std::vector<int32_t> replay_species;
    int32_t replay_atoms = 0;

    // Seconds of the last single step.
    std::atomic<double> last_lap{0};

    // Set by the worker before md_finished_event when a file of the run could not be written
    // ("cannot write MDmovie.xmol: ..."); the run then fails.
    std::string output_error;

    app::Event md_finished_event, md_stop_event, md_newdata_event, md_frame_event,
        md_stepdone_event;
    // Set by the view after drawing a replay frame: the replay thread then sends the next.
    app::Event frame_request_event;

    // Sizes the histories and frames for the constructed simulation (may throw bad_alloc).
    void allocate_buffers(int32_t steps, int32_t atoms);
    void free_buffers();
};

// The worker: creates MDSim.sca / MDSim.xmol, writes MDmovie.xmol, restarts the lap timer and
// steps until done (sets md_finished_event) or stopped (logs the stop line). A file it cannot
// write ends it at once with `output_error` set and md_finished_event. `view` is null
// when no view window is open.
void run_worker(MdRunState& r, FrameSink* view);

// One step of a stopped or unstarted simulation; sets md_stepdone_event (and
// md_finished_event when every step was already done).
void run_single_step(MdRunState& r);

// Hands `frames` frames of replay_frames to `view`, one per frame request, until done (sets
// md_finished_event and logs the rate) or stopped (logs the stop line).
void run_replay(MdRunState& r, FrameSink& view, int32_t frames);

}  // namespace md
