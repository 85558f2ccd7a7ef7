// The unit cell, the box, the placement of the atoms and the pair tables.
#include <gtest/gtest.h>

#include <cmath>

#include "md_test_support.h"

namespace {

using MdLattice = md_test::InTempDir;

TEST_F(MdLattice, SimpleCubicOfFourCellsHas64AtomsInA16AngstromBox) {
    md::mdsimstate s;
    md::construct_from_settings(s, md_test::settings(0, {1}, 4));
    EXPECT_EQ(s.atom_count, 64);
    EXPECT_EQ(s.box_side, std::pow(64 / 0.015719133, 0.3333333333333333));

    md::place_atoms(s);
    const double a = std::pow(64, -0.33333333);
    // Each atom sits half a cell in from its cell corner, plus a jitter below a tenth of a cell;
    // x rises fastest: atom 5 is in cell (1, 1, 0).
    const int rows[][4] = {{0, 0, 0, 0}, {5, 1, 1, 0}, {63, 3, 3, 3}};
    for (const auto& r : rows)
        for (int c = 0; c < 3; ++c) {
            EXPECT_GE(s.positions[r[0]].*md_test::kAxes[c], (r[c + 1] + 0.5) * a) << r[0];
            EXPECT_LT(s.positions[r[0]].*md_test::kAxes[c], (r[c + 1] + 0.6) * a) << r[0];
        }
    // Nine draws per atom were taken (three here, six for velocities later).
    int32_t seed = md::kSeedStart;
    for (int k = 0; k < 3 * 64; ++k) md::draw_uniform(seed);
    EXPECT_EQ(s.seed, seed);
}

TEST_F(MdLattice, PairTablesFollowTheGeometricMeans) {
    md::mdsimstate s;
    md::construct_from_settings(s, md_test::settings(1, {2, 2}, 3));
    md::place_atoms(s);
    const double L = s.box_side;
    EXPECT_DOUBLE_EQ(s.S[2][2], std::pow(3.4 / L, 6));
    // Helium-xenon: sigma_ij = sqrt(2.56 * 3.98), eps_ij = sqrt(10.14 * 231.78).
    EXPECT_DOUBLE_EQ(s.S[0][4], std::pow(std::sqrt(2.56 * 3.98) / L, 6));
    EXPECT_DOUBLE_EQ(s.E[0][4], std::sqrt(10.14 * 231.78) / 120.96);
    EXPECT_EQ(s.S[4][0], s.S[0][4]);
    EXPECT_EQ(s.E[4][0], s.E[0][4]);
}

}  // namespace
