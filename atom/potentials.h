// The electron-electron potentials of the current orbitals: the Hartree (direct Coulomb)
// potential and energy, and the exchange potential made local per orbital (MakeRadLocPot),
// both expanded in multipoles with Clebsch-Gordan coefficients, then averaged over shells.
#pragma once

#include <atomic>
#include <vector>

#include "app/event.h"
#include "atom/aligned.h"
#include "atom/integrate.h"
#include "atom/records.h"

namespace atom {

// What one evaluation needs besides its inputs: its own coefficient table and radial scratch,
// allocated once per atom (the powers and the Hartree functions by the first evaluation) so
// later evaluations never allocate. Each thread has its own.
struct alignas(kCacheLine) InteractionWorkspace {
    AlignedVector cg;
    AlignedVector A, B, forward_integrand, backward_integrand, P, Q;
    AlignedVector Y1, accum;
    // r^L and 1 / r^(L+1) of the grid, formed once per run.
    GridPowers powers;
    // The Hartree evaluation's Y_L(u_k, u_k), one per orbital and even order, each formed the
    // first time a pair needs it (every pair of orbital k asks for the same functions).
    AlignedVector self_y;
    std::vector<unsigned char> self_ready;

    void resize(int points);
    MultipoleScratch multipole() {
        return {A.data(), B.data(), forward_integrand.data(), backward_integrand.data(),
                P.data(), Q.data()};
    }
};

// Progress words the dialog reads while an evaluation runs. Written rarely (once per outer
// orbital), kept on a line of their own. `stop`, when set, is the run's stop request: the
// evaluations look at it between orbital pairs so that a stop never waits for a whole one.
struct alignas(kCacheLine) EvaluationProgress {
    std::atomic<int> hartree_in_progress{0};
    std::atomic<int> exchange_in_progress{0};
    std::atomic<int> low{0};
    std::atomic<int> high{0};
    std::atomic<int> position{0};
    const app::Event* stop = nullptr;

    bool stop_requested() const { return stop && stop->is_set(); }
};

// New Hartree potential of every orbital into `target` (zeroed first), energy into *energy.
// False when the stop request ended it early (the potential is then incomplete).
bool hartree_evaluation(const radgrid& r, const radgrid& dr, const wavefunct& wf, potential& target,
                        double* energy, InteractionWorkspace& ws, EvaluationProgress& progress);

// New exchange potential of every orbital into `wx` (zeroed first), energy into *energy.
// False when MakeRadLocPot finds no split point (the evaluation stops and the run fails) or
// when the stop request ended it early.
bool exchange_evaluation(const radgrid& r, const radgrid& dr, const wavefunct& wf, potential& wx,
                         double* energy, InteractionWorkspace& ws, EvaluationProgress& progress);

// Subtracts the exchange term Y * gamma * u_b / u_a, made local by dividing by the orbital's
// own radial function, from W. False (after its two message lines on standard output) when
// u_a never stops falling from point 1 on.
bool MakeRadLocPot(radgrid& W, const double* Y, const double* ua, const double* ub, double gamma);

// Replaces the potential of every orbital of a shell (a run of equal n and l) by the
// occupation-weighted average over the shell. `accum` holds N doubles.
void shell_average(potential& set, const wavefunct& wf, double* accum);

// Test seam: makes the next MakeRadLocPot calls fail as if no split point existed.
void set_radlocpot_failure_for_testing(bool fail);

}  // namespace atom
