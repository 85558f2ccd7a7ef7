// The generator, the unit cell, the box and the placement of the atoms.
#include <gtest/gtest.h>

#include <cmath>

#include "md_test_support.h"

namespace {

using MdLattice = md_test::InTempDir;

TEST(MdGenerator, WrapsTheProductAndKeepsTheRemaindersSign) {
    // Worked out with exact integers: wrap the product to 32 bits, truncating remainder.
    const int32_t expected[] = {5462275,    1610142709, -920421933, 940772261,
                                1784774051, 645879893,  1921004659, 1056139781};
    int32_t seed = md::kSeedStart;
    for (int32_t e : expected) {
        const double u = md::draw_uniform(seed);
        EXPECT_EQ(seed, e);
        EXPECT_EQ(u, std::fabs(e * 4.656612873077393e-10));
    }
}

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

TEST_F(MdLattice, FaceCentredAtomsAreGroupedBySiteWithTheirSpeciesAndMasses) {
    md::mdsimstate s;
    md::construct_from_settings(s, md_test::settings(2, {2, 0, 3, 4}, 3));
    md::place_atoms(s);
    ASSERT_EQ(s.atom_count, 108);
    const int per_site = 27;
    const double a = std::pow(27, -0.33333333);
    for (int k = 0; k < 4; ++k) {
        for (int i = k * per_site; i < (k + 1) * per_site; ++i) {
            EXPECT_EQ(s.species[i], s.cell.species[k]);
            EXPECT_EQ(s.inverse_mass[i], 39.948 / md::gas_species(s.cell.species[k]).mass);
            const int ix = (i - k * per_site) % 3;
            const double base = (ix + 0.5 + s.cell.basis[k][0]) * a;
            EXPECT_GE(s.positions[i].x, base);
            EXPECT_LT(s.positions[i].x, base + 0.1 * a);
        }
    }
    EXPECT_EQ(s.inverse_mass[0], 1.0);  // argon is the mass unit
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
