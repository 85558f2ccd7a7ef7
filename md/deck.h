// The input deck (label/value pairs: lattice type, one species per basis site, cells per
// side, temperature, time step, steps) and the checks every simulation passes before anything
// is constructed or written: a refused deck leaves the previous MD.out untouched.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "md/md_dialog_data.h"
#include "md/mdsimstate.h"

namespace md {

// Beyond this a crystal's energies overflow: a time step of one reduced unit already moves
// atoms across the box in a step. Decks take the dialog's temperature limit
// (kMaxTemperature, md/md_dialog_data.h).
inline constexpr double kMaxTimeStep = 1.0;

struct SimulationSettings {
    int lattice_type = 0;
    std::array<int, 4> species{};  // per basis site; only the lattice's sites are used
    int cells_per_side = 0;
    double temperature = 0;
    double time_step = 0;
    int steps = 0;
};

// What a run of these settings allocates: the per-atom arrays, the energy histories and the
// replay frames (steps x atoms x 3 doubles). Saturates instead of overflowing.
double run_bytes(const SimulationSettings& s);

// Checks ranges and the size against `memory_limit` bytes. Returns the problem, or nothing.
std::optional<std::string> check_settings(const SimulationSettings& s, double memory_limit);

struct DeckReading {
    bool ok = false;
    std::string problem;  // when not ok
    SimulationSettings settings;
};

// Reads the whole deck and checks every value (ranges included, size not).
DeckReading read_deck(const std::filesystem::path& path);

// The deck "MD/<name>.in" below `dir`, found ignoring case; nothing when absent.
std::optional<std::filesystem::path> find_deck(const std::filesystem::path& dir,
                                               const std::string& name);

// The physical memory of the machine in bytes (the default size limit).
double physical_memory_bytes();

// The deck form: reads and checks the deck, then constructs the cell and the simulation.
// Returns false (with the problem) and writes nothing when the deck is refused.
bool construct_mdsimstate(mdsimstate& s, const std::filesystem::path& deck, std::string* problem);

// Constructs the cell and the simulation from checked settings (both constructors' files).
void construct_from_settings(mdsimstate& s, const SimulationSettings& settings);

}  // namespace md
