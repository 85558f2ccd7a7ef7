// The records of the atom calculation: the logarithmic radial grid (also the shape of every
// radial function), the orbital table, a potential set and the SCF record.
#pragma once

#include <string>
#include <vector>

#include "atom/aligned.h"

namespace atom {

// One record type for the position grid, the spacing grid and every radial function.
struct radgrid {
    int points = 0;
    double rinit = 0.0;
    double rfinal = 0.0;
    double dlog = 0.0;
    AlignedVector values;

    // Copies the header of `grid` and gives this record its own zero-filled values.
    void shape_like(const radgrid& grid) {
        points = grid.points;
        rinit = grid.rinit;
        rfinal = grid.rfinal;
        dlog = grid.dlog;
        values.assign(static_cast<std::size_t>(points), 0.0);
    }
    double* data() { return values.data(); }
    const double* data() const { return values.data(); }
};

// The orbital table: spin-orbitals with their quantum numbers and radial functions u = r R.
struct wavefunct {
    int K = 0;
    std::vector<int> n, l, m, s, occ;
    std::vector<radgrid> u;
};

// A potential set: one potential per orbital (hartree).
struct potential {
    int K = 0;
    std::vector<radgrid> v;
};

// The SCF record: settings from the deck and the per-iteration energy rows.
struct scf {
    int loops = 0;
    double tolerance = 0.0;
    double mixing = 0.0;
    std::string type;
    std::vector<double> total, kinetic, nuclear, hartree, exchange;
    // Per orbital and iteration, entry j * K + k.
    std::vector<double> orbital_kinetic, orbital_potential, eigenvalue;
};

}  // namespace atom
