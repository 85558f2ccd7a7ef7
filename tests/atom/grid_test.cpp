// The grid and the setup's files: override values, the adjustment for the nucleus, the points
// (first r init * q, last r final), "radgridpositions" and every block of "Orbitra.out".
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "atom/atomstate.h"
#include "deck_fixtures.h"
#include "support/temp_dir.h"

namespace {

using atom_testing::orbital;

TEST(AtomGrid, OverrideReplacesTheDeckGridAndTheNucleusScalesIt) {
    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd(dir.path());
    // A Z = 47 deck with a grid of its own; the override wins.
    atom_testing::write_file("Ag.in",
                             atom_testing::deck(47, 250, "0.01", "25", orbital(1, 0, 0, 0), 1));
    atom::AtomState st;
    atom::GridOverride g;
    g.active = true;
    g.points = 1000;
    g.rinit = 0.001;
    g.rfinal = 400;
    std::string err;
    ASSERT_TRUE(atom::atom_setup(st, "Ag.in", g, 50, err)) << err;
    EXPECT_EQ(st.points, 1000);
    EXPECT_DOUBLE_EQ(st.rinit, 0.001 / 47);
    EXPECT_DOUBLE_EQ(st.rfinal, 400 / std::sqrt(47.0));
    EXPECT_DOUBLE_EQ(st.dlog, std::log(st.rfinal / st.rinit) / 1000);
    const double q = std::exp(std::log(st.rfinal / st.rinit) / 1000);
    EXPECT_DOUBLE_EQ(st.r.values.front(), st.rinit * q);
    EXPECT_NEAR(st.r.values.back(), st.rfinal, 1e-9 * st.rfinal);
    EXPECT_DOUBLE_EQ(st.dr.values[10], st.r.values[10] * (1.0 - 1.0 / q));
    // Every radial function carries the adjusted header.
    EXPECT_EQ(st.wf.u[0].points, 1000);
    EXPECT_EQ(st.vx.v[0].rinit, st.rinit);
    // Starting potential: the bare nucleus, V_H and V_X zero.
    EXPECT_DOUBLE_EQ(st.vtot.v[0].values[5], -47.0 / st.r.values[5]);
    EXPECT_EQ(st.vh.v[0].values[5], 0.0);

    const std::string listing = atom_testing::read_file("radgridpositions");
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 1000);
    char first[80];
    std::snprintf(first, sizeof first, "%f10    %f10 \n", st.r.values[0], st.dr.values[0]);
    EXPECT_EQ(listing.substr(0, std::strlen(first)), first);
}

TEST(AtomGrid, OrbitraOutHoldsEveryBlockByteForByte) {
    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd(dir.path());
    atom_testing::write_file("Li.in", atom_testing::deck(4, 8, "0.001", "400",
                                                         orbital(1, 0, 0, 0) + orbital(2, 1, -1, 1),
                                                         2, 60, "0.000001", "0.5"));
    atom::AtomState st;
    std::string err;
    ASSERT_TRUE(atom::atom_setup(st, "Li.in", {}, 50, err)) << err;
    const std::string frame = " \n=====================================================\n";
    const std::string stars = "*****************************************************\n";
    const std::string end = "=====================================================\n \n";
    std::string want;
    want += frame + "CONSTRUCTING RADIAL GRID: \nradgrid / construct_radgrid \n" + stars;
    want += "       points: 8 \n    initial r: 0.001000 \n      final r: 400.000000 \n";
    want += "      dlog(r): 1.612402 \n" + end;
    want += frame + "ADJUSTING RADIAL GRID FOR ATOM OF NUCLEAR CHARGE 4.000000\n";
    want += "radgrid / adjustforatom_radgrid \n" + stars;
    want += "       points: 8 \n    initial r: 0.000250 \n      final r: 200.000000 \n";
    want += "      dlog(r): 1.699046 \n" + end;
    want += frame + "CONSTRUCTING WAVEFUNCTION: \nwavefunct / construct_wavefunct \n" + stars;
    want += "   # orbitals:  2 \n";
    want += "     ************************************************\n";
    want += "        n[ 1]: 1 \n        l[ 1]: 0 \n        m[ 1]: 0 \n        s[ 1]: 0 \n";
    want += "      occ[ 1]: 1 \n";
    want += "     ************************************************\n";
    want += "        n[ 2]: 2 \n        l[ 2]: 1 \n        m[ 2]: -1 \n        s[ 2]: 1 \n";
    want += "      occ[ 2]: 1 \n" + end;
    for (int i = 0; i < 5; ++i) {
        want += frame + "CONSTRUCTING POTENTIAL: \npotential / construct_potential \n" + stars;
        want += "   # orbitals:  2 \n" + end;
    }
    want += frame + "CONSTRUCTING SELF-CONSISTENT FIELD (SCF): \nscf / construct_scf \n" + stars;
    want += "    # of scf loops: 60 \n  energy tolerance: 0.000001 \n";
    want += "   ratio of mixing: 0.500000 \n       type of scf: HartreeFock \n" + end;
    EXPECT_EQ(atom_testing::read_file("Orbitra.out"), want);
    EXPECT_EQ(st.scf.eigenvalue.size(), 120u);  // L x K rows
}

TEST(AtomGrid, SecondSetupReleasesTheFirstAndRewritesTheLog) {
    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd(dir.path());
    atom_testing::write_file("He.in", atom_testing::helium_deck(500));
    atom_testing::write_file("H.in", atom_testing::hydrogen_deck(250));
    atom::AtomState st;
    std::string err;
    ASSERT_TRUE(atom::atom_setup(st, "He.in", {}, 50, err)) << err;
    ASSERT_TRUE(atom::atom_setup(st, "H.in", {}, 50, err)) << err;
    EXPECT_EQ(st.wf.K, 1);
    EXPECT_EQ(st.r.values.size(), 250u);
    EXPECT_EQ(st.vtot.v.size(), 1u);
    const std::string log = atom_testing::read_file("Orbitra.out");
    EXPECT_EQ(log.find("CHARGE 2.000000"), std::string::npos);
    EXPECT_NE(log.find("CHARGE 1.000000"), std::string::npos);
    atom::atom_teardown(st);
    EXPECT_FALSE(st.allocated);
    EXPECT_TRUE(st.wf.u.empty());
    atom::atom_teardown(st);  // a second teardown does nothing
}

}  // namespace
