#include "md/mdsimstate.h"

#include <cmath>
#include <cstring>

#include "md/md_output.h"

namespace md {
namespace {

const GasSpecies kGas[kSpeciesCount] = {
    {"helium", "He", "Helium", 10.14, 2.56, 4.003},
    {"neon", "Ne", "Neon", 36.216, 2.74, 20.18},
    {"argon", "Ar", "Argon", 120.96, 3.4, 39.948},
    {"krypton", "Kr", "Krypton", 162.97, 3.65, 83.8},
    {"xenon", "Xe", "Xeon", 231.78, 3.98, 131.29},
};

}  // namespace

const GasSpecies& gas_species(int code) {
    return kGas[code];
}

int32_t atoms_per_cell_for(int lattice_type) {
    switch (lattice_type) {
        case 0:
            return 1;
        case 1:
            return 2;
        default:
            return 4;
    }
}

size_t kernel_scratch_size(int32_t atom_count) {
    // Sixteen columns (x, y, z, fx, fy, fz and the S and E pair-table columns of the five
    // species), each padded to whole vectors, plus alignment slack.
    return 16 * (static_cast<size_t>(atom_count) + 8) + 8;
}

int32_t atom_count_for(int32_t cells_per_side, int32_t atoms_per_cell) {
    return static_cast<int32_t>(std::trunc(std::pow(cells_per_side, 3.0))) * atoms_per_cell;
}

std::string construct_unitcell(unitcell& cell, int lattice_type) {
    cell.constructed = 1;
    cell.lattice_type = lattice_type;
    cell.atoms_per_cell = atoms_per_cell_for(lattice_type);
    switch (lattice_type) {
        case 0:
            std::memcpy(cell.short_name, "sc ", 4);
            cell.basis = {{0, 0, 0}};
            break;
        case 1:
            std::memcpy(cell.short_name, "bcc", 4);
            cell.basis = {{0, 0, 0}, {0.5, 0.5, 0.5}};
            break;
        default:
            std::memcpy(cell.short_name, "fcc", 4);
            cell.basis = {{0, 0, 0}, {0, 0.5, 0.5}, {0.5, 0, 0.5}, {0.5, 0.5, 0}};
            break;
    }
    cell.species.assign(cell.atoms_per_cell, 0);
    return write_unitcell_block(cell);
}

void construct_mdsimstate(mdsimstate& s, int32_t cells_per_side, double time_step,
                          double temperature, int32_t steps) {
    s.cells_per_side = cells_per_side;
    s.time_step = time_step;
    s.temperature = temperature;
    s.steps = steps;

    s.constructed = 1;
    const int32_t n = atom_count_for(cells_per_side, s.cell.atoms_per_cell);
    s.atom_count = n;
    s.species.assign(n, 0);
    s.positions.assign(n, Vec4{});
    s.velocities.assign(n, Vec4{});
    s.forces.assign(n, Vec4{});
    s.previous_forces.assign(n, Vec4{});
    s.inverse_mass.assign(n, 0.0);
    s.kernel_scratch.assign(kernel_scratch_size(n), 0.0);
    s.mass_unit = kMassUnit;
    s.energy_unit = kEnergyUnit;
    s.box_side = std::pow(n / kNumberDensity, 0.3333333333333333);
    s.seed = kSeedStart;
    s.output_error = write_mdsimstate_block(s);
}

void place_atoms(mdsimstate& s) {
    const unitcell& cell = s.cell;
    const int32_t per_cell = cell.atoms_per_cell;
    const int32_t n = s.cells_per_side;
    // This exact exponent (not -1/3) fixes where every atom starts.
    const double a = std::pow(s.atom_count / per_cell, -0.33333333);
    const double jitter = 0.1 * a;

    int32_t atom = 0;
    for (int32_t k = 0; k < per_cell; ++k) {
        const std::array<double, 3>& r = cell.basis[k];
        const int32_t sp = cell.species[k];
        for (int32_t iz = 0; iz < n; ++iz) {
            for (int32_t iy = 0; iy < n; ++iy) {
                for (int32_t ix = 0; ix < n; ++ix) {
                    Vec4 p;
                    p.x = (ix + 0.5 + r[0]) * a;
                    p.y = (iy + 0.5 + r[1]) * a;
                    p.z = (iz + 0.5 + r[2]) * a;
                    const double u1 = draw_uniform(s.seed);
                    const double u2 = draw_uniform(s.seed);
                    const double u3 = draw_uniform(s.seed);
                    p.x += u1 * jitter;
                    p.y += u2 * jitter;
                    p.z += u3 * jitter;
                    s.positions[atom] = p;
                    s.velocities[atom] = Vec4{};
                    s.forces[atom] = Vec4{};
                    s.species[atom] = sp;
                    s.inverse_mass[atom] = s.mass_unit / gas_species(sp).mass;
                    ++atom;
                }
            }
        }
    }

    note_output_error(s, write_xmol(s, kStartPositionsFile));

    const double l2 = s.box_side * s.box_side;
    const double eu2 = s.energy_unit * s.energy_unit;
    for (int i = 0; i < kSpeciesCount; ++i) {
        for (int j = 0; j < kSpeciesCount; ++j) {
            s.S[i][j] = std::pow(kGas[i].sigma * kGas[j].sigma / l2, 3.0);
            s.E[i][j] = std::sqrt(kGas[i].epsilon_k * kGas[j].epsilon_k / eu2);
        }
    }
}

void free_mdsimstate(mdsimstate& s) {
    s.species = {};
    s.positions = {};
    s.velocities = {};
    s.forces = {};
    s.previous_forces = {};
    s.inverse_mass = {};
    s.kernel_scratch = {};
    s.cell.species = {};
    s.output_error.clear();
    s.constructed = 0;
    s.cell.constructed = 0;
}

}  // namespace md
