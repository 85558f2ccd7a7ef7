// Velocities, Lennard-Jones forces and energies, the velocity Verlet step and the thermostat,
// in the exact order of operations that fixes the rounding of every trajectory.
#pragma once

#include "md/mdsimstate.h"

namespace md {

// Energies in kelvin per atom.
struct Energies {
    double kinetic = 0;
    double potential = 0;
    double total = 0;
};

// Minimum image of a coordinate difference (box units).
inline double minimum_image(double d) {
    return d - __builtin_trunc(2.0 * d);
}
// Brings a moved coordinate back into the box.
inline double wrap_coordinate(double p) {
    return p + __builtin_trunc(1.0 - 2.0 * p);
}

// Kinetic energy per atom in reduced units.
double kinetic_energy(const mdsimstate& s);

// Draws Maxwell-Boltzmann velocities (six draws per atom) and appends block 3 of MD.out.
void init_atomvelocities(mdsimstate& s);

// Saves the forces as previous forces and recomputes them (the active pair kernel). Returns
// the potential energy per atom of the same positions, equal to potential_energy().
double compute_forces(mdsimstate& s);
// Potential energy per atom in reduced units (the active pair kernel).
double potential_energy(const mdsimstate& s);

// One velocity Verlet step; returns the energies after it.
Energies md_timestep(mdsimstate& s);

// Scales every velocity so that the kinetic energy per atom is 1.5 T.
void rescale_velocities(mdsimstate& s);

// The set-up energies: kinetic and potential in kelvin per atom and their sum.
Energies current_energies(const mdsimstate& s);

}  // namespace md
