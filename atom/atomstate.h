// The atom state: everything one Orbitra calculation works on, built from a deck by the atom
// setup (grid, orbitals, five potential sets, SCF record, starting potentials) and released by
// the teardown. The setup also writes "Orbitra.out" and "radgridpositions".
#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>

#include "app/event.h"
#include "atom/deck.h"
#include "atom/potentials.h"
#include "atom/records.h"
#include "atom/solver.h"

namespace atom {

// The dialog's "User Defined" grid: when `active`, it replaces the deck's grid values.
struct GridOverride {
    bool active = false;
    int points = 1000;
    double rinit = 0.001;
    double rfinal = 400.0;
};

// Iterations a run makes at most (the deck's loop count must cover them).
inline constexpr int kMaxScfIterations = 50;

// How the last SCF iteration ended.
enum class IterationOutcome {
    Done,
    Stopped,         // the stop request was set
    ExchangeFailed,  // MakeRadLocPot found no split point
    NoEigenvalue,    // an orbital's bisection ran out of steps
};

struct AtomState {
    double Z = 0.0;
    // Grid header as read, then as adjusted for the nucleus.
    int points = 0;
    double rinit = 0.0, rfinal = 0.0, dlog = 0.0;
    radgrid r;   // positions r_i
    radgrid dr;  // spacings
    wavefunct wf;
    potential vtot, wx, vnuc, vh, vx;
    atom::scf scf;
    bool allocated = false;
    int converged = 0;
    IterationOutcome outcome = IterationOutcome::Done;
    int failed_orbital = -1;  // the orbital without an eigenvalue (NoEigenvalue)
    // Set when the setup could not write its files ("cannot write Orbitra.out: ...").
    std::string output_error;

    // Per-thread scratch: the compute thread's solver and Hartree work, the exchange thread's.
    std::unique_ptr<SolverWorkspace> solver_ws;
    std::unique_ptr<InteractionWorkspace> hartree_ws;
    std::unique_ptr<InteractionWorkspace> exchange_ws;
    // Also carries the run's stop request (none when null), looked at by every evaluation.
    EvaluationProgress progress;

    // Exchange hand-over: done event, and whether the evaluation failed.
    app::Event exchange_done{app::Event::Reset::Auto};
    std::atomic<bool> exchange_failed{false};
    // When false the exchange evaluation runs on the calling thread (benchmarks, tests).
    bool exchange_on_thread = true;
};

// Builds the atom from the deck at `path`: reads and checks the whole deck first (nothing is
// written or kept for a bad deck), then constructs every record and writes the log blocks and
// the grid listing into the working directory, each file whole or not at all. False with a
// reason on any problem; a file that could not be written also sets `output_error`.
bool atom_setup(AtomState& st, const std::filesystem::path& path, const GridOverride& grid,
                int iterations, std::string& error);
// The same from a deck already read (tests and benchmarks).
bool atom_setup_from_deck(AtomState& st, AtomDeck deck, const GridOverride& grid, int iterations,
                          std::string& error);

// Releases every array; does nothing when nothing is allocated.
void atom_teardown(AtomState& st);

// One SCF iteration j (new orbitals, energies, Hartree here and exchange on a second thread,
// mixing, total energy, convergence test). False when it did not complete; `outcome` says why.
bool scf_iteration(AtomState& st, int j);

}  // namespace atom
