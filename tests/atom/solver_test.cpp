// The Numerov radial solve and the bisection: hydrogen-like eigenvalues and normalisation in
// the bare nuclear potential, clean ends for the undecided outcome, and the step limit.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "atom/atomstate.h"
#include "atom/integrate.h"
#include "deck_fixtures.h"
#include "support/temp_dir.h"

namespace {

using atom_testing::orbital;

TEST(RadialSolver, HydrogenLikeIonsGetTheirEigenvaluesAndNormalisedOrbitals) {
    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd(dir.path());
    for (const double Z : {1.0, 10.0}) {
        const std::string orbitals = orbital(1, 0, 0, 0) + orbital(2, 0, 0, 0) +
                                     orbital(2, 1, 1, 0) + orbital(3, 2, -2, 0) +
                                     orbital(4, 3, 0, 0);
        atom_testing::write_file("ion.in",
                                 atom_testing::deck(Z, 2000, "0.0001", "800", orbitals, 5));
        atom::AtomState st;
        std::string err;
        ASSERT_TRUE(atom::atom_setup(st, "ion.in", {}, 50, err)) << err;
        std::vector<double> eps(5);
        atom::eigen_solve(st.Z, st.vtot, st.r, st.dr, st.wf, eps.data(), *st.solver_ws);
        std::vector<double> rho(st.r.values.size()), scratch(rho.size());
        for (int k = 0; k < 5; ++k) {
            const int n = st.wf.n[k];
            EXPECT_NEAR(eps[k], -Z * Z / (2.0 * n * n), 2e-6 * Z * Z) << "Z " << Z << " n " << n;
            for (std::size_t i = 0; i < rho.size(); ++i)
                rho[i] = st.wf.u[k].values[i] * st.wf.u[k].values[i];
            EXPECT_NEAR(atom::whole_grid_integral(st.dr, rho.data(), scratch.data()), 1.0, 1e-12);
            // n - l - 1 nodes away from the noisy tail.
            int nodes = 0;
            const auto& u = st.wf.u[k].values;
            for (std::size_t i = 1; i < u.size() && st.r.values[i] < 4.0 * n * n / Z; ++i)
                if (u[i - 1] * u[i] < 0.0) ++nodes;
            EXPECT_EQ(nodes, n - st.wf.l[k] - 1) << "Z " << Z << " n " << n;
        }
    }
}

struct SmallGrid {
    explicit SmallGrid(int n) {
        r.points = V.points = n;
        r.dlog = 0.1;
        for (int i = 0; i < n; ++i) r.values.push_back(0.01 * std::exp(0.1 * (i + 1)));
        V.values.assign(static_cast<std::size_t>(n), 0.0);
        ws.resize(n);
    }
    atom::radgrid r, V;
    atom::SolverWorkspace ws;
};

// A bare -Z/r far beyond any element: its search interval is so wide that the ends become
// adjacent doubles long before they are kBisectionWidth apart.
struct RunawayCharge {
    SmallGrid g{40};
    atom::radgrid dr, u;
    static constexpr double kZ = 1e7;
    RunawayCharge() {
        dr = u = g.r;
        for (int i = 0; i < 40; ++i) {
            g.V.values[i] = -kZ / g.r.values[i];
            dr.values[i] = g.r.values[i] * (1.0 - std::exp(-0.1));
        }
    }
    atom::SolveStatus solve(const app::Event* stop = nullptr) {
        atom::SolveStatus status = atom::SolveStatus::Solved;
        atom::eigen_solve_orbital(kZ, 1, 0, g.r, dr, g.V, u, g.ws, stop, &status);
        return status;
    }
};

TEST(Bisection, SearchThatCannotCloseEndsAtItsStepLimit) {
    RunawayCharge runaway;
    EXPECT_EQ(runaway.solve(), atom::SolveStatus::NotConverged);

    // A real atom needs far fewer steps than the limit; with a tiny limit it fails the same way
    // and names the orbital.
    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd(dir.path());
    atom_testing::write_file("He.in", atom_testing::helium_deck(250));
    atom::AtomState st;
    std::string err;
    ASSERT_TRUE(atom::atom_setup(st, "He.in", {}, 50, err)) << err;
    std::vector<double> eps(2);
    int failed = -1;
    EXPECT_EQ(atom::eigen_solve(st.Z, st.vtot, st.r, st.dr, st.wf, eps.data(), *st.solver_ws,
                                nullptr, &failed),
              atom::SolveStatus::Solved);
    atom::set_bisection_cap_for_testing(3);
    EXPECT_EQ(atom::eigen_solve(st.Z, st.vtot, st.r, st.dr, st.wf, eps.data(), *st.solver_ws,
                                nullptr, &failed),
              atom::SolveStatus::NotConverged);
    atom::set_bisection_cap_for_testing(0);
    EXPECT_EQ(failed, 0);
}

}  // namespace
