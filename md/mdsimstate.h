// The molecular dynamics simulation record: the gas table, the unit cell, the per-atom arrays
// and the pair tables, in the reduced units of the simulation (lengths in box sides, energies
// in argon's epsilon, masses in argon's mass). Construction and placement write MD.out and
// AtomStartPositions.xmol into the working directory.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace md {

inline constexpr int kSpeciesCount = 5;
inline constexpr double kEnergyUnit = 120.96;          // kelvin: argon's epsilon / k_B
inline constexpr double kMassUnit = 39.948;            // amu: argon's mass
inline constexpr double kNumberDensity = 0.015719133;  // atoms per cubic angstrom
inline constexpr int32_t kSeedStart = 325;

struct GasSpecies {
    const char* element;
    const char* xmol_label;
    const char* dialog_name;
    double epsilon_k;  // epsilon / k_B in kelvin
    double sigma;      // angstrom
    double mass;       // amu
};

// Species code 0-4 (helium .. xenon); the caller checks the range.
const GasSpecies& gas_species(int code);

// One atom's record: x, y, z and a fourth component that stays 0, so every record is aligned.
struct alignas(32) Vec4 {
    double x = 0, y = 0, z = 0, w = 0;
};

struct unitcell {
    int32_t constructed = 0;
    int32_t lattice_type = 0;  // 0 simple cubic, 1 body-centred, 2 face-centred
    int32_t atoms_per_cell = 0;
    std::vector<int32_t> species;              // per basis site, filled by the caller
    std::vector<std::array<double, 3>> basis;  // in units of the cell edge
    char short_name[4] = {};
};

struct mdsimstate {
    int32_t constructed = 0;
    unitcell cell;
    int32_t cells_per_side = 0;
    double energy_unit = 0;  // epsilon_u
    double mass_unit = 0;    // m_u
    double box_side = 0;     // L in angstrom
    std::vector<int32_t> species;
    int32_t atom_count = 0;
    std::vector<Vec4> positions, velocities, forces, previous_forces;
    std::vector<double> inverse_mass;
    double S[kSpeciesCount][kSpeciesCount] = {};
    double E[kSpeciesCount][kSpeciesCount] = {};
    double time_step = 0;
    double temperature = 0;
    int32_t steps = 0;
    // The generator's seed: reset to 325 by construction, drawn by placement and velocities.
    int32_t seed = kSeedStart;
    // Column copies of positions and forces for the vector pair loops, sized at construction
    // so that no step allocates.
    mutable std::vector<double> kernel_scratch;
    // The first file of the set-up (MD.out, AtomStartPositions.xmol) that could not be
    // written, with the reason; empty while all went well. A run with one fails.
    std::string output_error;
};

// Keeps the first write failure of the set-up.
inline void note_output_error(mdsimstate& s, std::string error) {
    if (s.output_error.empty()) s.output_error = std::move(error);
}

// The uniform generator: seed = seed * 16807 mod 2147483647 with a wrapping 32-bit product
// and a truncating remainder (so the seed may turn negative); returns |seed| / 2^31.
inline double draw_uniform(int32_t& seed) {
    const int32_t product = static_cast<int32_t>(static_cast<uint32_t>(seed) * 16807u);
    seed = product % 2147483647;
    const double u = seed * 4.656612873077393e-10;
    return u < 0 ? -u : u;
}

// Atoms for n cells per side of a lattice with `atoms_per_cell` sites.
int32_t atom_count_for(int32_t cells_per_side, int32_t atoms_per_cell);
int32_t atoms_per_cell_for(int lattice_type);
// Doubles of kernel scratch a simulation of `atom_count` atoms holds.
size_t kernel_scratch_size(int32_t atom_count);

// Sets the cell up for lattice type 0-2 and writes block 1 of MD.out (a new file). Returns
// the write failure, empty when the block was written.
std::string construct_unitcell(unitcell& cell, int lattice_type);

// The settings form: the cell is constructed and its species filled. Sizes and allocates the
// arrays, fixes the units and the box, resets the seed and appends block 2 of MD.out. The
// values are assumed checked (md/deck.h). Starts `output_error` afresh.
void construct_mdsimstate(mdsimstate& s, int32_t cells_per_side, double time_step,
                          double temperature, int32_t steps);

// Places the atoms with their random jitter, sets species and inverse masses, writes
// AtomStartPositions.xmol and fills the pair tables.
void place_atoms(mdsimstate& s);

// Frees the per-atom arrays and the cell's species and clears both constructed flags.
void free_mdsimstate(mdsimstate& s);

}  // namespace md
