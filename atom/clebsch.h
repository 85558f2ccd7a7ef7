// The Clebsch-Gordan table <l1 m1 l2 m2 | L, m1+m2> for l1, l2 0..6, L 0..12, m1, m2 -3..3.
// Every Hartree and exchange evaluation zeroes and refills its own table: that refill is part
// of the work the benchmark measures.
#pragma once

#include <cstddef>

namespace atom {

inline constexpr int kCgL = 7;     // l1, l2: 0..6
inline constexpr int kCgBig = 13;  // L: 0..12
inline constexpr int kCgM = 7;     // m: -3..3
inline constexpr std::size_t kCgEntries =
    static_cast<std::size_t>(kCgL) * kCgL * kCgBig * kCgM * kCgM;

inline std::size_t cg_index(int l1, int l2, int L, int m1, int m2) {
    return (((static_cast<std::size_t>(l1) * kCgL + l2) * kCgBig + L) * kCgM + (m1 + 3)) * kCgM +
           (m2 + 3);
}

// Zeroes `table` (kCgEntries doubles) and fills every coefficient with l1, l2 up to the
// largest of the K orbital l values.
void fill_clebsch_gordan(double* table, int K, const int* l);

// One coefficient from Wigner's closed form (Condon-Shortley phase); 0 outside the rules.
double clebsch_gordan(int l1, int m1, int l2, int m2, int L, int M);

}  // namespace atom
