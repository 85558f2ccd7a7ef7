// The Numerov radial solve and the bisection: hydrogen-like eigenvalues and normalisation in
// the bare nuclear potential, the growth outcome below the potential, and clean ends for the
// undecided outcome and a turning point at the grid's end.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>
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

TEST(RadialSolver, EnergyBelowThePotentialEverywhereIsTooLow) {
    SmallGrid g(40);
    for (int i = 0; i < 40; ++i) g.V.values[i] = -1.0 / g.r.values[i];
    // Below the deepest point of -1/r on this grid from point 2 outwards.
    const double E = -1.0 / g.r.values[1] - 1.0;
    const atom::RadialOutcome o = atom::radial_solve(1.0, 1, 0, E, g.r, g.V, g.ws);
    EXPECT_EQ(o.outcome, 1);
    EXPECT_EQ(o.nodes, 0);
}

TEST(RadialSolver, TurningPointAtTheGridsEndStaysOnTheGrid) {
    // Allowed only at the last point or the one before it: the outward steps stop at N - 1.
    for (const int allowed : {1, 2}) {
        SmallGrid g(12);
        for (int i = 0; i < 12; ++i) g.V.values[i] = i >= 12 - allowed ? -5.0 : 5.0;
        const atom::RadialOutcome o = atom::radial_solve(1.0, 1, 0, -1.0, g.r, g.V, g.ws);
        EXPECT_TRUE(o.outcome == 0 || o.outcome == 1 || o.outcome == -1);
        EXPECT_TRUE(std::isfinite(g.ws.psi[11]) || o.outcome != 0);
    }
}

TEST(RadialSolver, BisectionEndsOnUndecidedOutcomesAndStaysWithinItsBounds) {
    // Tiny grids where the sweep reaches the end undecided: the search must still end.
    for (const int n : {5, 6, 9}) {
        for (const double depth : {0.5, 2.0, 50.0}) {
            SmallGrid g(n);
            atom::radgrid dr = g.r, u = g.r;
            for (int i = 0; i < n; ++i) {
                g.V.values[i] = -depth / g.r.values[i];
                dr.values[i] = g.r.values[i] * (1.0 - std::exp(-0.1));
            }
            const double E = atom::eigen_solve_orbital(depth, 2, 0, g.r, dr, g.V, u, g.ws);
            EXPECT_LE(E, 0.0);
            EXPECT_GE(E, -depth * depth / 4.0);
        }
    }
}

}  // namespace

namespace {

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

TEST(Bisection, StopRequestEndsTheSearchWhileItRuns) {
    RunawayCharge runaway;
    app::Event stop(app::Event::Reset::Manual);
    stop.set();
    EXPECT_EQ(runaway.solve(&stop), atom::SolveStatus::Stopped);

    // Set while the search runs: with no step limit only the stop can end it.
    stop.reset();
    atom::set_bisection_cap_for_testing(std::numeric_limits<int>::max());
    std::atomic<bool> returned{false};
    std::thread solver([&] {
        EXPECT_EQ(runaway.solve(&stop), atom::SolveStatus::Stopped);
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(returned.load());
    const auto asked = std::chrono::steady_clock::now();
    stop.set();
    solver.join();
    atom::set_bisection_cap_for_testing(0);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(5));
}

TEST(Interactions, StopRequestEndsBothEvaluations) {
    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd(dir.path());
    atom_testing::write_file("He.in", atom_testing::helium_deck(250));
    atom::AtomState st;
    std::string err;
    ASSERT_TRUE(atom::atom_setup(st, "He.in", {}, 50, err)) << err;
    app::Event stop(app::Event::Reset::Manual);
    st.progress.stop = &stop;
    double energy = 0.0;
    EXPECT_TRUE(atom::hartree_evaluation(st.r, st.dr, st.wf, st.vtot, &energy, *st.hartree_ws,
                                         st.progress));
    stop.set();
    EXPECT_FALSE(atom::hartree_evaluation(st.r, st.dr, st.wf, st.vtot, &energy, *st.hartree_ws,
                                          st.progress));
    EXPECT_FALSE(atom::exchange_evaluation(st.r, st.dr, st.wf, st.wx, &energy, *st.exchange_ws,
                                           st.progress));
    EXPECT_EQ(st.progress.hartree_in_progress.load(), 0);
    EXPECT_EQ(st.progress.exchange_in_progress.load(), 0);
    EXPECT_FALSE(atom::scf_iteration(st, 0));
    EXPECT_EQ(st.outcome, atom::IterationOutcome::Stopped);
}

}  // namespace
