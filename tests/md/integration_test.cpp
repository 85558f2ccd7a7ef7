// The velocity Verlet step, the wrap, the thermostat, energy conservation and reproducibility.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "md_test_support.h"

namespace {

using MdIntegration = md_test::InTempDir;

TEST_F(MdIntegration, WrapBringsCoordinatesBackIntoTheBox) {
    const double rows[][2] = {{-0.01, 0.99}, {1.003, 0.003}, {0.0, 1.0}, {1.0, 0.0}, {0.25, 0.25}};
    for (const auto& r : rows) EXPECT_NEAR(md::wrap_coordinate(r[0]), r[1], 1e-15) << r[0];
}

// One step against the step written out from its formulas on a copy.
TEST_F(MdIntegration, StepFollowsTheVelocityVerletOrder) {
    md::mdsimstate s;
    md_test::build(s, md_test::settings(1, {0, 2}, 3, 140, 0.002));
    md::mdsimstate o = s;
    const double dt = o.time_step;
    for (int i = 0; i < o.atom_count; ++i)
        for (auto c : md_test::kAxes) {
            const double p = (dt * o.velocities[i].*c + o.positions[i].*c) +
                             o.forces[i].*c * 0.5 * o.inverse_mass[i] * dt * dt;
            o.positions[i].*c = p + std::trunc(1.0 - 2.0 * p);
        }
    md_test::oracle_forces(o);
    for (int i = 0; i < o.atom_count; ++i)
        for (auto c : md_test::kAxes)
            o.velocities[i].*c =
                (o.forces[i].*c + o.previous_forces[i].*c) * (dt * 0.5 * o.inverse_mass[i]) +
                o.velocities[i].*c;
    const md::Energies e = md::md_timestep(s);
    for (int i = 0; i < s.atom_count; ++i)
        for (auto c : md_test::kAxes) {
            ASSERT_TRUE(md_test::same_bits(s.positions[i].*c, o.positions[i].*c)) << i;
            ASSERT_TRUE(md_test::same_bits(s.velocities[i].*c, o.velocities[i].*c)) << i;
        }
    const double ke = md::kinetic_energy(o), pe = md_test::oracle_potential(o);
    EXPECT_TRUE(md_test::same_bits(e.kinetic, ke * 120.96));
    EXPECT_TRUE(md_test::same_bits(e.potential, pe * 120.96));
    EXPECT_TRUE(md_test::same_bits(e.total, (pe + ke) * 120.96));
}

// Velocity Verlet keeps the total energy within a bounded oscillation of order dt^2: on these
// small crystals its range over 1000 steps after the first rescaling stays near 1e-5 of the
// thermal energy (1.5 T). A sign or factor fault in a force, a half step or the image drifts
// by a sizeable part of 1.5 T within a few hundred steps, so 1e-3 of 1.5 T separates the two.
TEST_F(MdIntegration, RescalingSetsTheTemperatureAndEnergyIsConserved) {
    const md::SimulationSettings cases[] = {
        md_test::settings(0, {2}, 3),
        md_test::settings(2, {2, 0, 2, 0}, 2, 300.0),
        md_test::settings(2, {0, 1, 2, 3}, 2, 30.0),
    };
    for (const auto& c : cases) {
        md::mdsimstate s;
        md_test::build(s, c);
        md::md_timestep(s);
        md::rescale_velocities(s);  // sets the kinetic energy to 1.5 T
        EXPECT_NEAR(md::kinetic_energy(s) * s.energy_unit, 1.5 * c.temperature,
                    1.5 * c.temperature * 1e-13);
        double lo = 1e300, hi = -1e300;
        for (int k = 1; k < 1000; ++k) {
            const md::Energies e = md::md_timestep(s);
            lo = std::min(lo, e.total);
            hi = std::max(hi, e.total);
        }
        EXPECT_LT(hi - lo, 1e-3 * 1.5 * c.temperature);
    }
}

TEST_F(MdIntegration, InitialVelocitiesAreDrawnAroundTheTemperature) {
    md::mdsimstate s;
    md_test::build(s, md_test::settings(2, {2, 2, 2, 2}, 4, 140));
    const double ke = md::kinetic_energy(s) * s.energy_unit;
    // 256 atoms: the sampled 1.5 T has a relative spread of about sqrt(2/768).
    EXPECT_NEAR(ke, 210.0, 210.0 * 0.2);
}

}  // namespace
