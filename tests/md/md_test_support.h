// Shared pieces of the molecular dynamics tests: a small simulation built in the current
// (temporary) directory, and the oracle pair loops written straight from the formulas.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "md/deck.h"
#include "md/mdenergy.h"
#include "md/mdsimstate.h"
#include "md/pair_kernels.h"
#include "support/temp_dir.h"

namespace md_test {

// A test that runs inside a fresh temporary working directory.
class InTempDir : public ::testing::Test {
  protected:
    testing_support::TempDir dir_;
    testing_support::ScopedCwd cwd_{dir_.path()};
};

inline md::SimulationSettings settings(int lattice, std::array<int, 4> species, int cells,
                                       double temperature = 140.0, double dt = 0.0001,
                                       int steps = 100) {
    return {lattice, species, cells, temperature, dt, steps};
}

// Constructs, places, draws velocities and computes the first forces, as a run's set-up does.
inline void build(md::mdsimstate& s, const md::SimulationSettings& settings) {
    md::construct_from_settings(s, settings);
    md::place_atoms(s);
    md::init_atomvelocities(s);
    md::compute_forces(s);
}

using testing_support::read_file;
using testing_support::write_file;

inline constexpr double md::Vec4::*kAxes[3] = {&md::Vec4::x, &md::Vec4::y, &md::Vec4::z};

// The pair kernels this processor can run.
inline std::vector<md::PairKernel> kernels() {
    std::vector<md::PairKernel> k{md::PairKernel::Plain};
    if (md::pair_kernel_supported(md::PairKernel::Avx2)) k.push_back(md::PairKernel::Avx2);
    return k;
}

inline bool same_bits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The oracle: the pair formulas as written, one pair at a time.
struct OraclePair {
    double d[3], r2, f, term;
};

inline OraclePair oracle_pair(const md::mdsimstate& s, int i, int j) {
    OraclePair p;
    for (int c = 0; c < 3; ++c) {
        p.d[c] = s.positions[i].*kAxes[c] - s.positions[j].*kAxes[c];
        p.d[c] = p.d[c] - std::trunc(2.0 * p.d[c]);
    }
    p.r2 = p.d[0] * p.d[0] + p.d[1] * p.d[1] + p.d[2] * p.d[2];
    const double r = std::sqrt(p.r2);
    const double q = 1.0 / r;
    const double q2 = q * q;
    const double s6 = q2 * q2 * q2;
    const double S = s.S[s.species[i]][s.species[j]];
    const double E = s.E[s.species[i]][s.species[j]];
    p.f = (2.0 * S * S * s6 * s6 - s6 * S) * (24.0 * E * q2);
    p.term = (s6 * s6 * S * S - s6 * S) * 4.0 * E * (1.0 - std::trunc(r / 0.8660254));
    if (p.r2 == 0.0) p.f = p.term = 0.0;
    return p;
}

inline void oracle_forces(md::mdsimstate& s) {
    for (int i = 0; i < s.atom_count; ++i) {
        s.previous_forces[i] = s.forces[i];
        s.forces[i] = md::Vec4{};
    }
    for (int i = 0; i < s.atom_count; ++i) {
        for (int j = i + 1; j < s.atom_count; ++j) {
            const OraclePair p = oracle_pair(s, i, j);
            for (int c = 0; c < 3; ++c) {
                s.forces[i].*kAxes[c] += p.f * p.d[c];
                s.forces[j].*kAxes[c] -= p.f * p.d[c];
            }
        }
    }
}

inline double oracle_potential(const md::mdsimstate& s) {
    double sum = 0.0;
    for (int i = 0; i < s.atom_count; ++i)
        for (int j = i + 1; j < s.atom_count; ++j) sum += oracle_pair(s, i, j).term;
    return sum / s.atom_count;
}

}  // namespace md_test
