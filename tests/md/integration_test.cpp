// The velocity Verlet step, the wrap, the thermostat, energy conservation and reproducibility.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "md/pair_kernels.h"
#include "md_test_support.h"
#include "support/temp_dir.h"

namespace {

using testing_support::ScopedCwd;
using testing_support::TempDir;

TEST(MdIntegration, WrapBringsCoordinatesBackIntoTheBox) {
    EXPECT_NEAR(md::wrap_coordinate(-0.01), 0.99, 1e-15);
    EXPECT_NEAR(md::wrap_coordinate(1.003), 0.003, 1e-15);
    EXPECT_EQ(md::wrap_coordinate(0.0), 1.0);
    EXPECT_EQ(md::wrap_coordinate(1.0), 0.0);
    EXPECT_EQ(md::wrap_coordinate(0.25), 0.25);
    EXPECT_EQ(md::wrap_coordinate(0.75), 0.75);
}

// One step against the step written out from its formulas on a copy.
TEST(MdIntegration, StepFollowsTheVelocityVerletOrder) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    md::mdsimstate s;
    md_test::build(s, md_test::settings(1, {0, 2}, 3, 140, 0.002));
    md::mdsimstate o = s;
    const double dt = o.time_step;
    for (int i = 0; i < o.atom_count; ++i) {
        md::Vec4& x = o.positions[i];
        const md::Vec4& v = o.velocities[i];
        const md::Vec4& f = o.forces[i];
        const double m = o.inverse_mass[i];
        const double p[3] = {(dt * v.x + x.x) + f.x * 0.5 * m * dt * dt,
                             (dt * v.y + x.y) + f.y * 0.5 * m * dt * dt,
                             (dt * v.z + x.z) + f.z * 0.5 * m * dt * dt};
        x.x = p[0] + std::trunc(1.0 - 2.0 * p[0]);
        x.y = p[1] + std::trunc(1.0 - 2.0 * p[1]);
        x.z = p[2] + std::trunc(1.0 - 2.0 * p[2]);
    }
    md_test::oracle_forces(o);
    for (int i = 0; i < o.atom_count; ++i) {
        const double h = dt * 0.5 * o.inverse_mass[i];
        o.velocities[i].x = (o.forces[i].x + o.previous_forces[i].x) * h + o.velocities[i].x;
        o.velocities[i].y = (o.forces[i].y + o.previous_forces[i].y) * h + o.velocities[i].y;
        o.velocities[i].z = (o.forces[i].z + o.previous_forces[i].z) * h + o.velocities[i].z;
    }
    const md::Energies e = md::md_timestep(s);
    for (int i = 0; i < s.atom_count; ++i) {
        ASSERT_TRUE(md_test::same_bits(s.positions[i].x, o.positions[i].x)) << i;
        ASSERT_TRUE(md_test::same_bits(s.positions[i].z, o.positions[i].z)) << i;
        ASSERT_TRUE(md_test::same_bits(s.velocities[i].y, o.velocities[i].y)) << i;
        ASSERT_GT(s.positions[i].x, 0.0);
        ASSERT_LE(s.positions[i].x, 1.0);
    }
    const double ke = md::kinetic_energy(o), pe = md_test::oracle_potential(o);
    EXPECT_TRUE(md_test::same_bits(e.kinetic, ke * 120.96));
    EXPECT_TRUE(md_test::same_bits(e.potential, pe * 120.96));
    EXPECT_TRUE(md_test::same_bits(e.total, (pe + ke) * 120.96));
}

TEST(MdIntegration, RescalingSetsTheTemperature) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    for (double t : {140.0, 30.0, 300.0}) {
        md::mdsimstate s;
        md_test::build(s, md_test::settings(2, {0, 1, 2, 3}, 2, t));
        md::md_timestep(s);
        md::rescale_velocities(s);
        EXPECT_NEAR(md::kinetic_energy(s) * s.energy_unit, 1.5 * t, 1.5 * t * 1e-13);
    }
}

// Velocity Verlet keeps the total energy within a bounded oscillation of order dt^2: on these
// small crystals its range over 1000 steps after the first rescaling stays near 1e-5 of the
// thermal energy (1.5 T). A sign or factor fault in a force, a half step or the image drifts
// by a sizeable part of 1.5 T within a few hundred steps, so 1e-3 of 1.5 T separates the two.
TEST(MdIntegration, TotalEnergyIsConservedBetweenRescalings) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    const md::SimulationSettings cases[] = {
        md_test::settings(0, {2}, 3),
        md_test::settings(2, {2, 0, 2, 0}, 2),
    };
    for (const auto& c : cases) {
        md::mdsimstate s;
        md_test::build(s, c);
        md::md_timestep(s);
        md::rescale_velocities(s);
        double lo = 1e300, hi = -1e300;
        for (int k = 1; k < 1000; ++k) {
            const md::Energies e = md::md_timestep(s);
            lo = std::min(lo, e.total);
            hi = std::max(hi, e.total);
        }
        EXPECT_LT(hi - lo, 1e-3 * 1.5 * c.temperature);
    }
}

TEST(MdIntegration, TwoRunsGiveBitIdenticalEnergies) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    md::mdsimstate a, b;
    md_test::build(a, md_test::settings(2, {2, 0, 2, 0}, 2));
    md_test::build(b, md_test::settings(2, {2, 0, 2, 0}, 2));
    for (int k = 0; k < 50; ++k) {
        const md::Energies ea = md::md_timestep(a), eb = md::md_timestep(b);
        ASSERT_TRUE(md_test::same_bits(ea.total, eb.total)) << k;
        ASSERT_TRUE(md_test::same_bits(ea.kinetic, eb.kinetic)) << k;
        if (k % 20 == 0) {
            md::rescale_velocities(a);
            md::rescale_velocities(b);
        }
    }
}

TEST(MdIntegration, InitialVelocitiesAreDrawnAroundTheTemperature) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    md::mdsimstate s;
    md_test::build(s, md_test::settings(2, {2, 2, 2, 2}, 4, 140));
    const double ke = md::kinetic_energy(s) * s.energy_unit;
    // 256 atoms: the sampled 1.5 T has a relative spread of about sqrt(2/768).
    EXPECT_NEAR(ke, 210.0, 210.0 * 0.2);
    for (const md::Vec4& v : s.velocities) {
        ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
        ASSERT_EQ(v.w, 0.0);
    }
}

}  // namespace
