#include "atom/clebsch.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace atom {
namespace {

struct FactorialTables {
    double fact[33];
    double sign[33];
};

void build_tables(FactorialTables& t) {
    t.fact[0] = 1.0;
    t.sign[0] = 1.0;
    for (int k = 1; k <= 32; ++k) {
        t.fact[k] = t.fact[k - 1] * static_cast<double>(k);
        t.sign[k] = -t.sign[k - 1];
    }
}

// <j1 m1 j2 m2 | J M> with M = m1 + m2, from
// sqrt((2J+1) (j1+j2-J)! (j1-m1)! (j2-m2)! (J+M)! (J-M)! /
//      ((j1+j2+J+1)! (J+j1-j2)! (J+j2-j1)! (j1+m1)! (j2+m2)!))
// * sum_k (-1)^(k+j1-m1) (j1+m1+k)! (j2+J-m1-k)! / (k! (J-M-k)! (j1-m1-k)! (j2-J+m1+k)!).
double wigner(const FactorialTables& t, int j1, int m1, int j2, int m2, int J) {
    const int M = m1 + m2;
    const double* f = t.fact;
    const double ratio =
        (2.0 * J + 1.0) * f[j1 + j2 - J] * f[j1 - m1] * f[j2 - m2] * f[J + M] * f[J - M] /
        (f[j1 + j2 + J + 1] * f[J + j1 - j2] * f[J + j2 - j1] * f[j1 + m1] * f[j2 + m2]);
    const int k_lo = std::max(0, J - j2 - m1);
    const int k_hi = std::min(J - M, j1 - m1);
    double sum = 0.0;
    for (int k = k_lo; k <= k_hi; ++k) {
        sum += t.sign[k + j1 - m1] * f[j1 + m1 + k] * f[j2 + J - m1 - k] /
               (f[k] * f[J - M - k] * f[j1 - m1 - k] * f[j2 - J + m1 + k]);
    }
    return std::sqrt(ratio) * sum;
}

bool allowed(int l1, int m1, int l2, int m2, int L, int M) {
    return l1 >= 0 && l2 >= 0 && L >= std::abs(l1 - l2) && L <= l1 + l2 && std::abs(m1) <= l1 &&
           std::abs(m2) <= l2 && M == m1 + m2 && std::abs(M) <= L;
}

}  // namespace

void fill_clebsch_gordan(double* table, int K, const int* l) {
    for (std::size_t i = 0; i < kCgEntries; ++i) table[i] = 0.0;
    int lmax = 0;
    for (int k = 0; k < K; ++k) lmax = std::max(lmax, l[k]);
    lmax = std::min(lmax, kCgL - 1);
    FactorialTables t;
    build_tables(t);
    const int mmax = (kCgM - 1) / 2;
    for (int l1 = 0; l1 <= lmax; ++l1)
        for (int l2 = 0; l2 <= lmax; ++l2)
            for (int L = std::abs(l1 - l2); L <= l1 + l2; ++L)
                for (int m1 = -std::min(l1, mmax); m1 <= std::min(l1, mmax); ++m1)
                    for (int m2 = -std::min(l2, mmax); m2 <= std::min(l2, mmax); ++m2) {
                        if (std::abs(m1 + m2) > L) continue;
                        table[cg_index(l1, l2, L, m1, m2)] = wigner(t, l1, m1, l2, m2, L);
                    }
}

double clebsch_gordan(int l1, int m1, int l2, int m2, int L, int M) {
    if (!allowed(l1, m1, l2, m2, L, M) || l1 + l2 + L + 1 > 32) return 0.0;
    FactorialTables t;
    build_tables(t);
    return wigner(t, l1, m1, l2, m2, L);
}

}  // namespace atom
