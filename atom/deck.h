// The atom deck: label/value pairs in a fixed order (Z, grid, orbitals, SCF settings). The
// whole deck is read and checked before anything is built or written, so a bad deck is
// refused with a reason instead of leaving a half-built atom behind.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace atom {

struct OrbitalSpec {
    int n = 0, l = 0, m = 0, s = 0, occ = 0;
};

struct AtomDeck {
    double Z = 0.0;
    int points = 0;
    double rinit = 0.0;
    double rfinal = 0.0;
    std::vector<OrbitalSpec> orbitals;
    int loops = 0;
    double tolerance = 0.0;
    double mixing = 0.0;
    std::string type;  // at most 15 characters; longer words are cut
};

// Limits beyond which a deck is refused. The charge runs over the periodic table: the grid is
// scaled by 1/Z and 1/sqrt(Z) and the eigenvalue search starts at -Z^2, both sized for real
// atoms, and far larger charges leave the search no room to close.
inline constexpr double kMinCharge = 1.0;
inline constexpr double kMaxCharge = 118.0;
inline constexpr int kMinPoints = 5;
inline constexpr int kMaxPoints = 100000;
inline constexpr int kMaxOrbitals = 512;
// Orbitals times points: every potential set holds this many doubles.
inline constexpr long kMaxOrbitalPoints = 8'000'000;
inline constexpr int kMaxLoops = 10000;
// The grid's ends in bohr, before the adjustment for the charge: from well inside the nucleus to
// far beyond any orbital. Outside them the potentials and energies overflow.
inline constexpr double kMinRadius = 1e-12;
inline constexpr double kMaxRadius = 1e6;
inline constexpr int kMaxLabel = 31;
inline constexpr int kMaxType = 15;

// Reads the deck's values in order. False with a reason when the text cannot be read.
bool parse_atom_deck(std::string_view text, AtomDeck& deck, std::string& error);
// Reads only the first four values (Z, points, r init, r final), for the grid lists.
bool parse_atom_deck_grid(std::string_view text, AtomDeck& deck, std::string& error);
// Checks the values the calculation needs; `iterations` is the most SCF iterations a run
// makes (the deck's loop count sizes the per-iteration rows).
bool validate_atom_deck(const AtomDeck& deck, int iterations, std::string& error);

// Reads a deck file (a regular file of at most 1 MiB, see app::read_input_file): false with a
// reason when it is refused or cannot be read.
bool read_text_file(const std::filesystem::path& path, std::string& text, std::string& error);

}  // namespace atom
