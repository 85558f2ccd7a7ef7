// The radial Schroedinger equation on the logarithmic grid (Numerov's method with a turning
// point, node count and growth test), the bisection eigen-solve of every orbital, and the
// kinetic and nuclear energies of an iteration.
#pragma once

#include "app/event.h"
#include "atom/aligned.h"
#include "atom/records.h"

namespace atom {

// Scratch of the radial solver: the Numerov variable y, the output psi and the per-point
// factors g and f, plus the normalisation's integrand and integral. Allocated once per atom.
struct alignas(kCacheLine) SolverWorkspace {
    AlignedVector y, psi, g, f, rho, integral;
    // sqrt(r_i) and 2 r_i r_i of the grid the solver last ran on, formed once per grid (the
    // same operations the sweep would do at every trial energy).
    AlignedVector root_r, two_r2;
    void resize(int points);
    // Forms root_r and two_r2 unless they belong to `r` already.
    void prepare(const radgrid& r);

  private:
    const double* grid_ = nullptr;
    radgrid header_;
};

struct RadialOutcome {
    int outcome = 0;  // +1 energy too low, -1 energy too high, 0 undecided
    int nodes = 0;
};

// One Numerov sweep at trial energy E in potential V; fills ws.psi.
RadialOutcome radial_solve(double Z, int n, int l, double E, const radgrid& r, const radgrid& V,
                           SolverWorkspace& ws);

inline constexpr double kBisectionWidth = 1e-10;
// Most bisection steps of one eigenvalue. Halving the starting interval (Z^2 / n^2 wide, at
// most 118^2) down to kBisectionWidth takes under 50; a search still open after this many can
// no longer close (its ends are adjacent doubles) and is given up.
inline constexpr int kMaxBisectionSteps = 200;

enum class SolveStatus {
    Solved,
    Stopped,       // the stop request was set
    NotConverged,  // the bisection ran out of steps
};

// Bisection for one orbital's eigenvalue; leaves the normalised u in `u`. The search looks at
// `stop` (when given) before every trial energy; `status` (when given) says how it ended.
double eigen_solve_orbital(double Z, int n, int l, const radgrid& r, const radgrid& dr,
                           const radgrid& V, radgrid& u, SolverWorkspace& ws,
                           const app::Event* stop = nullptr, SolveStatus* status = nullptr);

// Every orbital of `wf` in its V_tot; eigenvalues into eigenvalues[0..K-1]. Ends at the first
// orbital that is not solved, its index into `failed_orbital` (when given).
SolveStatus eigen_solve(double Z, const potential& vtot, const radgrid& r, const radgrid& dr,
                        wavefunct& wf, double* eigenvalues, SolverWorkspace& ws,
                        const app::Event* stop = nullptr, int* failed_orbital = nullptr);

// Test seam: the bisection gives up after `steps` steps (0 restores kMaxBisectionSteps).
void set_bisection_cap_for_testing(int steps);

// Kinetic and nuclear energies of iteration j (rows of `s`).
void energies(int j, const potential& vnuc, const potential& vtot, const radgrid& dr,
              const wavefunct& wf, scf& s, SolverWorkspace& ws);

}  // namespace atom
