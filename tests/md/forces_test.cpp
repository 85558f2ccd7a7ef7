// Forces and potential energy: hand-computed two-atom values, the minimum image, the far-corner
// factor, coincident atoms, and both pair kernels bit for bit against the oracle loop.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "app/processor_info.h"
#include "md/pair_kernels.h"
#include "md_test_support.h"

namespace {

using MdPairKernels = md_test::InTempDir;

// Two argon atoms in a 64-atom argon box, moved by hand.
class TwoAtoms : public md_test::InTempDir {
  protected:
    void SetUp() override {
        md::construct_from_settings(s_, md_test::settings(0, {2}, 4));
        md::place_atoms(s_);
        s_.atom_count = 2;  // the arrays keep their size; only two atoms take part
        set(0.5, 0.5, 0.5, 0.5, 0.5, 0.5);
    }
    void TearDown() override { md::clear_pair_kernel(); }
    void set(double x0, double y0, double z0, double x1, double y1, double z1) {
        s_.positions[0] = {x0, y0, z0, 0};
        s_.positions[1] = {x1, y1, z1, 0};
    }
    md::mdsimstate s_;
};

// Along x, directly or through the image: F = 24 (2 S^2 / r^14 - S / r^8) d on atom 0, where
// d is its minimum-image separation from atom 1, and the potential is 4 (S^2/r^12 - S/r^6) / 2.
TEST_F(TwoAtoms, ForceAndEnergyAreTheLennardJonesValuesOfTheMinimumImage) {
    const double S = std::pow(3.4 / s_.box_side, 6);
    const double rows[][3] = {
        {0.30, 0.55, -0.25}, {0.8, 0.2, -0.4}, {0.2, 0.8, 0.4}, {0.1, 0.5, -0.4}};
    for (md::PairKernel k : md_test::kernels()) {
        md::set_pair_kernel(k);
        for (const auto& row : rows) {
            set(row[0], 0.5, 0.5, row[1], 0.5, 0.5);
            md::compute_forces(s_);
            const double r = std::fabs(row[2]);
            const double f = 24.0 * (2.0 * S * S / std::pow(r, 14) - S / std::pow(r, 8)) * row[2];
            EXPECT_NEAR(s_.forces[0].x, f, std::fabs(f) * 1e-12)
                << md::pair_kernel_name(k) << row[0];
            EXPECT_EQ(s_.forces[1].x, -s_.forces[0].x);
            const double pe = 4.0 * (S * S / std::pow(r, 12) - S / std::pow(r, 6)) / 2.0;
            EXPECT_NEAR(md::potential_energy(s_), pe, std::fabs(pe) * 1e-12);
        }
    }
}

// Past 0.8660254 a pair still pushes but adds no potential; coincident atoms give zeros.
TEST_F(TwoAtoms, FarCornerAndCoincidentPairs) {
    struct Row {
        double z1;
        bool force, potential;
    };
    const Row rows[] = {{0.5, true, false}, {0.49, true, true}, {0.0, false, false}};
    for (md::PairKernel k : md_test::kernels()) {
        md::set_pair_kernel(k);
        for (const Row& r : rows) {
            set(0.0, 0.0, 0.0, r.z1 == 0.0 ? 0.0 : 0.5, r.z1 == 0.0 ? 0.0 : 0.5, r.z1);
            md::compute_forces(s_);
            EXPECT_EQ(s_.forces[0].x != 0.0, r.force) << r.z1;
            EXPECT_EQ(md::potential_energy(s_) < 0.0, r.potential) << r.z1;
            EXPECT_TRUE(std::isfinite(s_.forces[0].z));
        }
    }
}

TEST_F(MdPairKernels, ChoiceFollowsTheProcessorReport) {
    app::ProcessorInfo info;
    EXPECT_EQ(md::pair_kernel_for(info), md::PairKernel::Plain);
    info.avx = 1;
    EXPECT_EQ(md::pair_kernel_for(info), md::PairKernel::Avx);
    info.avx2 = 1;
    EXPECT_EQ(md::pair_kernel_for(info), md::PairKernel::Avx2);
}

// Every kernel against the oracle, bit for bit, on lattices (with row tails of every length)
// and on atoms scattered over the whole box (many far-corner pairs, images in every direction).
TEST_F(MdPairKernels, BitIdenticalToTheOracleLoop) {
    struct Setup {
        md::SimulationSettings settings;
        bool scatter;
    };
    const Setup setups[] = {
        {md_test::settings(2, {2, 0, 2, 0}, 3), false},  // 108 atoms
        {md_test::settings(1, {3, 4}, 3), false},        // 54
        {md_test::settings(0, {1}, 3), true},            // 27, scattered
        {md_test::settings(2, {0, 1, 2, 3}, 2), true},   // 32, scattered
    };
    for (const Setup& setup : setups) {
        md::mdsimstate base;
        md_test::build(base, setup.settings);
        if (setup.scatter) {
            int32_t seed = 99;
            for (md::Vec4& p : base.positions)
                p = {md::draw_uniform(seed), md::draw_uniform(seed), md::draw_uniform(seed), 0};
        }
        // Drop atoms one by one so every row-tail length (0 to 3) is met.
        for (int drop = 0; drop < 4; ++drop) {
            md::mdsimstate oracle = base;
            oracle.atom_count -= drop;
            md_test::oracle_forces(oracle);
            const double pe = md_test::oracle_potential(oracle);
            for (md::PairKernel k : md_test::kernels()) {
                md::set_pair_kernel(k);
                md::mdsimstate s = base;
                s.atom_count -= drop;
                const double swept = md::compute_forces(s);
                ASSERT_TRUE(md_test::same_bits(swept, pe)) << md::pair_kernel_name(k);
                for (int i = 0; i < s.atom_count; ++i) {
                    ASSERT_EQ(std::memcmp(&s.forces[i], &oracle.forces[i], sizeof(md::Vec4)), 0)
                        << md::pair_kernel_name(k) << " atom " << i;
                    ASSERT_TRUE(md_test::same_bits(s.previous_forces[i].x, base.forces[i].x));
                }
                ASSERT_TRUE(md_test::same_bits(md::potential_energy(s), pe))
                    << md::pair_kernel_name(k);
            }
        }
    }
    md::clear_pair_kernel();
}

}  // namespace
