// The SCF: one electron (Hartree and exchange cancel, total -0.5), helium against the published
// Hartree-Fock energy, the virial ratio, the spin rule of exchange, mixing extremes, the local
// potential, and the exchange thread giving the same numbers as a sequential run.
#include <gtest/gtest.h>

#include <cmath>

#include "atom/atomstate.h"
#include "deck_fixtures.h"
#include "support/temp_dir.h"

namespace {

using atom_testing::orbital;

// Sets up `text` in a temporary directory and iterates to convergence (or `limit`).
struct Converged {
    atom::AtomState st;
    int count = -1;
    bool ok = true;
    Converged(const std::string& text, bool threaded = true, int limit = 50) {
        testing_support::TempDir dir;
        testing_support::ScopedCwd cwd(dir.path());
        atom_testing::write_file("atom.in", text);
        std::string err;
        st.exchange_on_thread = threaded;
        if (!atom::atom_setup(st, "atom.in", {}, 50, err)) {
            ADD_FAILURE() << err;
            ok = false;
            return;
        }
        for (int j = 0; j < limit; ++j) {
            if (!atom::scf_iteration(st, j)) {
                ok = false;
                return;
            }
            count = j;
            if (st.converged) return;
        }
    }
    double total() const { return st.scf.total[static_cast<std::size_t>(count)]; }
    double row(const std::vector<double>& v) const { return v[static_cast<std::size_t>(count)]; }
    double virial() const {
        const double V = row(st.scf.nuclear) + row(st.scf.hartree) + row(st.scf.exchange);
        return -V / row(st.scf.kinetic);
    }
};

TEST(ScfEnergies, OneElectronHasCancellingHartreeAndExchangeAndTotalMinusOneHalf) {
    Converged h(atom_testing::hydrogen_deck(1000));
    ASSERT_TRUE(h.ok);
    EXPECT_EQ(h.count, 1);  // the test needs two iterations
    EXPECT_NEAR(h.row(h.st.scf.hartree) + h.row(h.st.scf.exchange), 0.0, 1e-14);
    EXPECT_GT(h.row(h.st.scf.hartree), 0.3);
    EXPECT_NEAR(h.total(), -0.5, 1e-7);
    EXPECT_NEAR(h.st.scf.eigenvalue[1], -0.5, 1e-7);
}

TEST(ScfEnergies, HeliumMatchesThePublishedHartreeFockEnergy) {
    // Restricted Hartree-Fock for He: -2.86167999561 hartree (Clementi-Roetti limit).
    Converged coarse(atom_testing::helium_deck(1000, "0.001"));
    ASSERT_TRUE(coarse.ok);
    EXPECT_NEAR(coarse.total(), -2.8616799956, 1e-6);
    Converged fine(atom_testing::helium_deck(1000, "0.0001"));
    ASSERT_TRUE(fine.ok);
    EXPECT_NEAR(fine.total(), -2.8616799956, 1e-9);
    EXPECT_LT(fine.count, 50);
    EXPECT_NEAR(fine.virial(), 2.0, 1e-5);
    EXPECT_NEAR(fine.st.scf.eigenvalue[static_cast<std::size_t>(fine.count) * 2], -0.91795555,
                1e-4);  // the eigenvalue trails the total energy in convergence
    // Opposite spins: only the self terms exchange, so E_X = -E_H / 2.
    EXPECT_NEAR(fine.row(fine.st.scf.exchange), -0.5 * fine.row(fine.st.scf.hartree), 1e-12);
}

TEST(ScfEnergies, ClosedShellVirialRatioApproachesTwo) {
    const std::string ne = atom_testing::deck(
        10, 500, "0.001", "400",
        orbital(1, 0, 0, 0) + orbital(1, 0, 0, 1) + orbital(2, 0, 0, 0) + orbital(2, 0, 0, 1) +
            orbital(2, 1, -1, 0) + orbital(2, 1, 0, 0) + orbital(2, 1, 1, 0) +
            orbital(2, 1, -1, 1) + orbital(2, 1, 0, 1) + orbital(2, 1, 1, 1),
        10);
    Converged c(ne);
    ASSERT_TRUE(c.ok);
    EXPECT_LT(c.count, 50);
    EXPECT_NEAR(c.virial(), 2.0, 1e-4);
    EXPECT_NEAR(c.total(), -128.54709, 2e-3);
}

TEST(ScfEnergies, SameSpinElectronsExchangeWithEachOther) {
    // Two 1s electrons with the same spin label: the pair term adds a full exchange integral.
    Converged same(
        atom_testing::deck(2, 500, "0.001", "400", orbital(1, 0, 0, 0) + orbital(1, 0, 0, 0), 2),
        true, 1);
    ASSERT_TRUE(same.ok);
    EXPECT_NEAR(same.row(same.st.scf.exchange), -same.row(same.st.scf.hartree), 1e-12);
}

TEST(ScfIteration, ExchangeThreadGivesTheSameNumbersAsASequentialRun) {
    const std::string deck =
        atom_testing::deck(5, 250, "0.001", "400",
                           orbital(1, 0, 0, 0) + orbital(1, 0, 0, 1) + orbital(2, 0, 0, 0) +
                               orbital(2, 0, 0, 1) + orbital(2, 1, 1, 0),
                           5);
    Converged threaded(deck, true, 4);
    Converged sequential(deck, false, 4);
    ASSERT_TRUE(threaded.ok && sequential.ok);
    EXPECT_EQ(threaded.st.scf.total, sequential.st.scf.total);
    EXPECT_EQ(threaded.st.scf.eigenvalue, sequential.st.scf.eigenvalue);
}

TEST(MakeRadLocPot, OwnTermDividesOutAndAFallingOrbitalFailsTheEvaluation) {
    atom::radgrid W;
    W.points = 8;
    W.values.assign(8, 0.0);
    const double Y[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const double u[8] = {0.1, 0.2, 0.4, 0.0, 0.3, 0.2, 0.1, 0.05};
    ASSERT_TRUE(atom::MakeRadLocPot(W, Y, u, u, 0.5));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(W.values[i], i == 3 ? 0.0 : -0.5 * Y[i]) << i;

    // Huge ratios beyond the split point are folded back: rho -> 1e6 / rho.
    const double ua[8] = {1, 2, 3, 1e-6, 1, 1, 1, 1};
    const double ub[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    W.values.assign(8, 0.0);
    ASSERT_TRUE(atom::MakeRadLocPot(W, Y, ua, ub, 1.0));
    EXPECT_NEAR(W.values[3], -Y[3] * 1.0, 1e-9);

    const double falling[8] = {1, 0.9, 0.8, 0.7, 0.6, 0.5, 0.4, 0.3};
    W.values.assign(8, 0.0);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(atom::MakeRadLocPot(W, Y, falling, ub, 1.0));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error in MakeRadLocPot - pt past grid size\n\t--- Program Killed\n");
    for (double w : W.values) EXPECT_EQ(w, 0.0);
}

}  // namespace
