// Small decks for the atom tests, written into the test's own directory.
#pragma once

#include <string>

#include "support/temp_dir.h"

namespace atom_testing {

// A deck in the generator's layout: descriptive labels, one orbital per line.
inline std::string deck(double Z, int points, const char* rinit, const char* rfinal,
                        const std::string& orbitals, int count, int loops = 50,
                        const char* tolerance = "0.000001", const char* mixing = "0.5") {
    std::string s;
    s += "NuclearCharge " + std::to_string(Z) + "\n";
    s += "GridPoints " + std::to_string(points) + "\n";
    s += std::string("InitialRadius ") + rinit + "\n";
    s += std::string("FinalRadius ") + rfinal + "\n";
    s += "NumberOfOrbitals " + std::to_string(count) + "\n";
    s += orbitals;
    s += "ScfLoops " + std::to_string(loops) + "\n";
    s += std::string("EnergyTolerance ") + tolerance + "\n";
    s += std::string("MixingRatio ") + mixing + "\n";
    s += "ScfType HartreeFock\n";
    return s;
}

inline std::string orbital(int n, int l, int m, int s, int occ = 1) {
    return "n " + std::to_string(n) + " l " + std::to_string(l) + " m " + std::to_string(m) +
           " spin " + std::to_string(s) + " occupation " + std::to_string(occ) + "\n";
}

inline std::string hydrogen_deck(int points = 250) {
    return deck(1, points, "0.001", "400", orbital(1, 0, 0, 0), 1);
}

inline std::string helium_deck(int points = 250, const char* rinit = "0.001") {
    return deck(2, points, rinit, "400", orbital(1, 0, 0, 0) + orbital(1, 0, 0, 1), 2);
}

using testing_support::read_file;
using testing_support::write_file;

}  // namespace atom_testing
