// The radial Schroedinger equation on the logarithmic grid (Numerov's method with a turning
// point, node count and growth test), the bisection eigen-solve of every orbital, and the
// kinetic and nuclear energies of an iteration.
#pragma once

#include "atom/aligned.h"
#include "atom/records.h"

namespace atom {

// Scratch of the radial solver: the Numerov variable y, the output psi and the per-point
// factors g and f, plus the normalisation's integrand and integral. Allocated once per atom.
struct alignas(kCacheLine) SolverWorkspace {
    AlignedVector y, psi, g, f, rho, integral;
    void resize(int points);
};

struct RadialOutcome {
    int outcome = 0;  // +1 energy too low, -1 energy too high, 0 undecided
    int nodes = 0;
};

// One Numerov sweep at trial energy E in potential V; fills ws.psi.
RadialOutcome radial_solve(double Z, int n, int l, double E, const radgrid& r, const radgrid& V,
                           SolverWorkspace& ws);

inline constexpr double kBisectionWidth = 1e-10;

// Bisection for one orbital's eigenvalue; leaves the normalised u in `u`.
double eigen_solve_orbital(double Z, int n, int l, const radgrid& r, const radgrid& dr,
                           const radgrid& V, radgrid& u, SolverWorkspace& ws);

// Every orbital of `wf` in its V_tot; eigenvalues into eigenvalues[0..K-1].
void eigen_solve(double Z, const potential& vtot, const radgrid& r, const radgrid& dr,
                 wavefunct& wf, double* eigenvalues, SolverWorkspace& ws);

// Kinetic and nuclear energies of iteration j (rows of `s`).
void energies(int j, const potential& vnuc, const potential& vtot, const radgrid& dr,
              const wavefunct& wf, scf& s, SolverWorkspace& ws);

}  // namespace atom
