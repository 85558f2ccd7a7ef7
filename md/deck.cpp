#include "md/deck.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <vector>

#include "app/files.h"
#include "app/format.h"

namespace md {
namespace {

bool parse_int(const std::string& text, int* out) {
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0' || errno == ERANGE) return false;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return false;
    *out = static_cast<int>(v);
    return true;
}

bool parse_real(const std::string& text, double* out) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0') return false;
    *out = v;
    return true;
}

// Range checks shared by decks and dialog settings.
std::optional<std::string> check_ranges(const SimulationSettings& s) {
    if (s.lattice_type < 0 || s.lattice_type > 2)
        return app::strprintf("lattice type %d is not 0, 1 or 2", s.lattice_type);
    const int sites = atoms_per_cell_for(s.lattice_type);
    for (int k = 0; k < sites; ++k)
        if (s.species[k] < 0 || s.species[k] >= kSpeciesCount)
            return app::strprintf("species code %d of basis site %d is not 0 to 4", s.species[k],
                                  k + 1);
    if (s.cells_per_side < 1)
        return app::strprintf("%d cells per side is below 1", s.cells_per_side);
    // The atom count must fit the 32-bit count (and the 64-bit product before it).
    if (static_cast<double>(s.cells_per_side) * s.cells_per_side * s.cells_per_side * sites >
        std::numeric_limits<int32_t>::max())
        return app::strprintf("%d cells per side give too many atoms", s.cells_per_side);
    if (!std::isfinite(s.temperature) || s.temperature <= 0)
        return app::strprintf("temperature %g is not a positive number", s.temperature);
    if (s.temperature > kMaxTemperature)
        return app::strprintf("temperature %g is above %g K", s.temperature, kMaxTemperature);
    if (!std::isfinite(s.time_step) || s.time_step <= 0)
        return app::strprintf("time step %g is not a positive number", s.time_step);
    if (s.time_step > kMaxTimeStep)
        return app::strprintf("time step %g is above %g", s.time_step, kMaxTimeStep);
    if (s.steps < 1) return app::strprintf("%d time steps is below 1", s.steps);
    return std::nullopt;
}

}  // namespace

double run_bytes(const SimulationSettings& s) {
    const double n = static_cast<double>(s.cells_per_side) * s.cells_per_side * s.cells_per_side *
                     atoms_per_cell_for(s.lattice_type);
    const double steps = s.steps;
    // Four records of 4 doubles, the inverse mass, species, the replay species copy and the
    // kernels' scratch (position and force columns).
    const double per_atom = 4 * sizeof(Vec4) + sizeof(double) + 2 * sizeof(int32_t) + 6 * 8.0;
    return n * per_atom + steps * 2 * sizeof(double) + steps * n * 3 * sizeof(double);
}

std::optional<std::string> check_settings(const SimulationSettings& s, double memory_limit) {
    if (auto problem = check_ranges(s)) return problem;
    const double bytes = run_bytes(s);
    if (bytes > memory_limit)
        return app::strprintf("%d steps of %d atoms need %.0f MB, more than the %.0f MB available",
                              s.steps,
                              atom_count_for(s.cells_per_side, atoms_per_cell_for(s.lattice_type)),
                              bytes / 1048576.0, memory_limit / 1048576.0);
    return std::nullopt;
}

DeckReading read_deck(const std::filesystem::path& path) {
    DeckReading r;
    std::string content;
    if (!app::read_input_file(path, content, r.problem, "deck")) return r;
    std::istringstream buffer(content);
    std::vector<std::string> tokens;
    std::string token;
    while (buffer >> token) tokens.push_back(token);

    // Labels are free words; the values come in a fixed order after them.
    size_t next = 0;
    auto value = [&](const char* what, std::string* out) -> bool {
        if (next + 1 >= tokens.size()) {
            r.problem = app::strprintf("the %s is missing", what);
            return false;
        }
        *out = tokens[next + 1];
        next += 2;
        return true;
    };
    auto int_value = [&](const char* what, int* out) -> bool {
        std::string text;
        if (!value(what, &text)) return false;
        if (parse_int(text, out)) return true;
        r.problem = app::strprintf("the %s \"%s\" is not an integer", what,
                                   app::printable_token(text).c_str());
        return false;
    };
    auto real_value = [&](const char* what, double* out) -> bool {
        std::string text;
        if (!value(what, &text)) return false;
        if (parse_real(text, out)) return true;
        r.problem = app::strprintf("the %s \"%s\" is not a number", what,
                                   app::printable_token(text).c_str());
        return false;
    };

    SimulationSettings& s = r.settings;
    if (!int_value("lattice type", &s.lattice_type)) return r;
    if (s.lattice_type < 0 || s.lattice_type > 2) {
        r.problem = app::strprintf("lattice type %d is not 0, 1 or 2", s.lattice_type);
        return r;
    }
    const int sites = atoms_per_cell_for(s.lattice_type);
    for (int k = 0; k < sites; ++k) {
        const std::string what = app::strprintf("species of basis site %d", k + 1);
        if (!int_value(what.c_str(), &s.species[k])) return r;
    }
    if (!int_value("number of cells per side", &s.cells_per_side)) return r;
    if (!real_value("temperature", &s.temperature)) return r;
    if (!real_value("time step", &s.time_step)) return r;
    if (!int_value("number of time steps", &s.steps)) return r;
    if (auto problem = check_ranges(s)) {
        r.problem = *problem;
        return r;
    }
    r.ok = true;
    return r;
}

std::optional<std::filesystem::path> find_deck(const std::filesystem::path& dir,
                                               const std::string& name) {
    // Only names found in the folder are opened, so a name with a path in it finds nothing.
    auto folder = app::find_file_nocase(dir, "MD");
    if (!folder) return std::nullopt;
    return app::find_file_nocase(*folder, name + ".in");
}

double physical_memory_bytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || page <= 0) return 4.0 * 1024 * 1024 * 1024;
    return static_cast<double>(pages) * static_cast<double>(page);
}

void construct_from_settings(mdsimstate& s, const SimulationSettings& settings) {
    std::string first_error = construct_unitcell(s.cell, settings.lattice_type);
    for (int k = 0; k < s.cell.atoms_per_cell; ++k) s.cell.species[k] = settings.species[k];
    construct_mdsimstate(s, settings.cells_per_side, settings.time_step, settings.temperature,
                         settings.steps);
    if (!first_error.empty()) s.output_error = std::move(first_error);
}

bool construct_mdsimstate(mdsimstate& s, const std::filesystem::path& deck, std::string* problem) {
    DeckReading r = read_deck(deck);
    if (!r.ok) {
        if (problem) *problem = r.problem;
        return false;
    }
    construct_from_settings(s, r.settings);
    return true;
}

}  // namespace md
