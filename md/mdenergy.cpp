#include "md/mdenergy.h"

#include <cmath>

#include "md/md_output.h"
#include "md/pair_kernels.h"

namespace md {

double kinetic_energy(const mdsimstate& s) {
    double sum = 0.0;
    for (int32_t i = 0; i < s.atom_count; ++i) {
        const Vec4& v = s.velocities[i];
        sum += 0.5 * (v.x * v.x + v.y * v.y + v.z * v.z) / s.inverse_mass[i];
    }
    return sum / s.atom_count;
}

void init_atomvelocities(mdsimstate& s) {
    // The smallest variate the generator can give: a zero draw would take the log of 0.
    constexpr double kSmallestDraw = 4.656612873077393e-10;
    for (int32_t i = 0; i < s.atom_count; ++i) {
        const double scale = std::sqrt(s.inverse_mass[i] * s.temperature / s.energy_unit);
        double c[3];
        for (double& component : c) {
            double u1 = draw_uniform(s.seed);
            const double u2 = draw_uniform(s.seed);
            if (u1 == 0.0) u1 = kSmallestDraw;
            component = std::cos(6.283185307 * u2) * std::sqrt(-2.0 * std::log(u1)) * scale;
        }
        s.velocities[i].x = c[0];
        s.velocities[i].y = c[1];
        s.velocities[i].z = c[2];
        s.velocities[i].w = 0.0;
    }
    note_output_error(s, write_velocity_block(s.atom_count, kinetic_energy(s) * s.energy_unit));
}

double compute_forces(mdsimstate& s) {
    for (int32_t i = 0; i < s.atom_count; ++i) {
        s.previous_forces[i] = s.forces[i];
        s.forces[i] = Vec4{};
    }
    return active_pair_loops().forces(s) / s.atom_count;
}

double potential_energy(const mdsimstate& s) {
    return active_pair_loops().potential(s) / s.atom_count;
}

Energies md_timestep(mdsimstate& s) {
    const double dt = s.time_step;
    for (int32_t i = 0; i < s.atom_count; ++i) {
        Vec4& x = s.positions[i];
        const Vec4& v = s.velocities[i];
        const Vec4& f = s.forces[i];
        const double m = s.inverse_mass[i];
        x.x = wrap_coordinate((dt * v.x + x.x) + f.x * 0.5 * m * dt * dt);
        x.y = wrap_coordinate((dt * v.y + x.y) + f.y * 0.5 * m * dt * dt);
        x.z = wrap_coordinate((dt * v.z + x.z) + f.z * 0.5 * m * dt * dt);
    }
    // The velocity update leaves the positions alone: the potential of the force sweep is the
    // potential after the step.
    const double pe = compute_forces(s);
    for (int32_t i = 0; i < s.atom_count; ++i) {
        Vec4& v = s.velocities[i];
        const Vec4& f = s.forces[i];
        const Vec4& fp = s.previous_forces[i];
        const double h = dt * 0.5 * s.inverse_mass[i];
        v.x = (f.x + fp.x) * h + v.x;
        v.y = (f.y + fp.y) * h + v.y;
        v.z = (f.z + fp.z) * h + v.z;
    }
    const double ke = kinetic_energy(s);
    return {ke * s.energy_unit, pe * s.energy_unit, (pe + ke) * s.energy_unit};
}

void rescale_velocities(mdsimstate& s) {
    const double ke = kinetic_energy(s);
    // All atoms at rest cannot be scaled to a temperature; leave them.
    if (!(ke * s.energy_unit > 0.0)) return;
    const double factor = std::sqrt(s.temperature * 1.5 / (ke * s.energy_unit));
    for (int32_t i = 0; i < s.atom_count; ++i) {
        s.velocities[i].x *= factor;
        s.velocities[i].y *= factor;
        s.velocities[i].z *= factor;
    }
}

Energies current_energies(const mdsimstate& s) {
    const double kinetic = kinetic_energy(s) * s.energy_unit;
    const double potential = potential_energy(s) * s.energy_unit;
    // At set-up the total is the sum of the two kelvin figures.
    return {kinetic, potential, kinetic + potential};
}

}  // namespace md
