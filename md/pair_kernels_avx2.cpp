// Four pairs side by side. Each lane does exactly the plain loop's correctly rounded
// operations (no FMA: the tree is built with -ffp-contract=off), and the running sums (force i,
// the potential) take the lanes one after another in pair order, so the results are
// bit-identical to the plain loop. Force j gets one subtraction per outer atom in either form.
#include <immintrin.h>

#include <cmath>
#include <cstdint>

#include "md/mdenergy.h"
#include "md/pair_kernels.h"

namespace md {
namespace {

constexpr double kFarCorner = 0.8660254;

struct Columns {
    double* x;
    double* y;
    double* z;
    double* fx;
    double* fy;
    double* fz;
    // S[a][species[j]] and E[a][species[j]] over j, for species code a: plain loads in place
    // of a gather per pair.
    double* S[kSpeciesCount];
    double* E[kSpeciesCount];
};

Columns columns(const mdsimstate& s) {
    const size_t stride = static_cast<size_t>(s.atom_count) + 8;
    double* base = s.kernel_scratch.data();
    // 32-byte alignment for the columns; the scratch has the slack for it.
    const uintptr_t mis = reinterpret_cast<uintptr_t>(base) & 31u;
    if (mis) base += (32 - mis) / sizeof(double);
    Columns c{base,
              base + stride,
              base + 2 * stride,
              base + 3 * stride,
              base + 4 * stride,
              base + 5 * stride,
              {},
              {}};
    for (int a = 0; a < kSpeciesCount; ++a) {
        c.S[a] = base + (6 + a) * stride;
        c.E[a] = base + (6 + kSpeciesCount + a) * stride;
    }
    return c;
}

void fill_pair_tables(const mdsimstate& s, const Columns& c) {
    for (int a = 0; a < kSpeciesCount; ++a)
        for (int32_t j = 0; j < s.atom_count; ++j) {
            c.S[a][j] = s.S[a][s.species[j]];
            c.E[a][j] = s.E[a][s.species[j]];
        }
}

void fill_positions(const mdsimstate& s, const Columns& c) {
    for (int32_t i = 0; i < s.atom_count; ++i) {
        c.x[i] = s.positions[i].x;
        c.y[i] = s.positions[i].y;
        c.z[i] = s.positions[i].z;
    }
}

// A gather with every lane on (the masked form avoids a spurious uninitialised warning).
__attribute__((target("avx2"))) inline __m256d gather(const double* row, __m128i idx) {
    const __m256d all = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
    return _mm256_mask_i32gather_pd(_mm256_setzero_pd(), row, idx, all, 8);
}

__attribute__((target("avx2"))) inline __m256d image(__m256d d) {
    const __m256d two = _mm256_set1_pd(2.0);
    return _mm256_sub_pd(
        d, _mm256_round_pd(_mm256_mul_pd(two, d), _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC));
}

// The far-corner factor 1 - trunc(r / 0.8660254) on the potential term: exactly 1 whenever r is
// below the constant (r / c < 1 then, and it rounds below 1 for c in [0.5, 1)), and x * 1 == x;
// only rows with a pair at or past it need the division.
__attribute__((target("avx2"), always_inline)) inline __m256d far_corner(__m256d term, __m256d r,
                                                                         __m256d one,
                                                                         __m256d corner) {
    const __m256d far = _mm256_cmp_pd(r, corner, _CMP_NLT_UQ);
    if (!_mm256_movemask_pd(far)) return term;
    const __m256d t =
        _mm256_round_pd(_mm256_div_pd(r, corner), _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
    return _mm256_mul_pd(term, _mm256_sub_pd(one, t));
}

// The running potential plus the four lanes of `term`, one after another in pair order (the
// plain loop's order of additions, so the sum is bit-identical to it).
__attribute__((target("avx2"), always_inline)) inline __m128d add_lanes_in_order(__m128d vsum,
                                                                                 __m256d term) {
    const __m128d lo = _mm256_castpd256_pd128(term);
    const __m128d hi = _mm256_extractf128_pd(term, 1);
    vsum = _mm_add_sd(vsum, lo);
    vsum = _mm_add_sd(vsum, _mm_unpackhi_pd(lo, lo));
    vsum = _mm_add_sd(vsum, hi);
    return _mm_add_sd(vsum, _mm_unpackhi_pd(hi, hi));
}

// The scalar pair of the plain loop, for the last pairs of a row.
inline double pair_force(const mdsimstate& s, const double* srow, const double* erow, int32_t j,
                         double dx, double dy, double dz) {
    const double r2 = dx * dx + dy * dy + dz * dz;
    const double r = std::sqrt(r2);
    const double q = 1.0 / r;
    const double q2 = q * q;
    const double s6 = q2 * q2 * q2;
    const double S = srow[s.species[j]];
    const double E = erow[s.species[j]];
    const double f = (2.0 * S * S * s6 * s6 - s6 * S) * (24.0 * E * q2);
    return r2 == 0.0 ? 0.0 : f;
}

inline double pair_term(const mdsimstate& s, const double* srow, const double* erow, int32_t j,
                        double dx, double dy, double dz) {
    const double r2 = dx * dx + dy * dy + dz * dz;
    const double r = std::sqrt(r2);
    const double q = 1.0 / r;
    const double q2 = q * q;
    const double s6 = q2 * q2 * q2;
    const double S = srow[s.species[j]];
    const double E = erow[s.species[j]];
    const double term = (s6 * s6 * S * S - s6 * S) * 4.0 * E * (1.0 - std::trunc(r / kFarCorner));
    return r2 == 0.0 ? 0.0 : term;
}

}  // namespace

__attribute__((target("avx2"))) double pair_forces_avx2(mdsimstate& s) {
    const int32_t n = s.atom_count;
    const Columns c = columns(s);
    fill_positions(s, c);
    fill_pair_tables(s, c);
    for (int32_t i = 0; i < n; ++i) c.fx[i] = c.fy[i] = c.fz[i] = 0.0;

    const __m256d two = _mm256_set1_pd(2.0);
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d four = _mm256_set1_pd(4.0);
    const __m256d c24 = _mm256_set1_pd(24.0);
    const __m256d zero = _mm256_setzero_pd();
    const __m256d corner = _mm256_set1_pd(kFarCorner);
    const int32_t* species = s.species.data();
    double sum = 0.0;

    for (int32_t i = 0; i < n; ++i) {
        const double* srow = s.S[species[i]];
        const double* erow = s.E[species[i]];
        const double* scol = c.S[species[i]];
        const double* ecol = c.E[species[i]];
        const double xi = c.x[i], yi = c.y[i], zi = c.z[i];
        const __m256d vxi = _mm256_set1_pd(xi);
        const __m256d vyi = _mm256_set1_pd(yi);
        const __m256d vzi = _mm256_set1_pd(zi);
        // Force i continues from what earlier atoms subtracted; lanes are added in pair order.
        __m256d acc = _mm256_set_pd(0.0, c.fz[i], c.fy[i], c.fx[i]);
        __m128d vsum = _mm_set_sd(sum);
        int32_t j = i + 1;
        for (; j + 4 <= n; j += 4) {
            const __m256d dx = image(_mm256_sub_pd(vxi, _mm256_loadu_pd(c.x + j)));
            const __m256d dy = image(_mm256_sub_pd(vyi, _mm256_loadu_pd(c.y + j)));
            const __m256d dz = image(_mm256_sub_pd(vzi, _mm256_loadu_pd(c.z + j)));
            const __m256d r2 = _mm256_add_pd(
                _mm256_add_pd(_mm256_mul_pd(dx, dx), _mm256_mul_pd(dy, dy)), _mm256_mul_pd(dz, dz));
            const __m256d r = _mm256_sqrt_pd(r2);
            const __m256d q = _mm256_div_pd(one, r);
            const __m256d q2 = _mm256_mul_pd(q, q);
            const __m256d s6 = _mm256_mul_pd(_mm256_mul_pd(q2, q2), q2);
            const __m256d S = _mm256_loadu_pd(scol + j);
            const __m256d E = _mm256_loadu_pd(ecol + j);
            const __m256d live = _mm256_cmp_pd(r2, zero, _CMP_NEQ_UQ);
            const __m256d s6S = _mm256_mul_pd(s6, S);
            // (2*S*S*s6*s6 - s6*S) * (24*E*q2), left to right.
            const __m256d a =
                _mm256_mul_pd(_mm256_mul_pd(_mm256_mul_pd(_mm256_mul_pd(two, S), S), s6), s6);
            __m256d f =
                _mm256_mul_pd(_mm256_sub_pd(a, s6S), _mm256_mul_pd(_mm256_mul_pd(c24, E), q2));
            f = _mm256_and_pd(f, live);
            // (s6*s6*S*S - s6*S) * 4 * E, left to right.
            const __m256d p = _mm256_mul_pd(_mm256_mul_pd(_mm256_mul_pd(s6, s6), S), S);
            __m256d term = _mm256_mul_pd(_mm256_mul_pd(_mm256_sub_pd(p, s6S), four), E);
            term = far_corner(term, r, one, corner);
            term = _mm256_and_pd(term, live);
            const __m256d fdx = _mm256_mul_pd(f, dx);
            const __m256d fdy = _mm256_mul_pd(f, dy);
            const __m256d fdz = _mm256_mul_pd(f, dz);

            _mm256_storeu_pd(c.fx + j, _mm256_sub_pd(_mm256_loadu_pd(c.fx + j), fdx));
            _mm256_storeu_pd(c.fy + j, _mm256_sub_pd(_mm256_loadu_pd(c.fy + j), fdy));
            _mm256_storeu_pd(c.fz + j, _mm256_sub_pd(_mm256_loadu_pd(c.fz + j), fdz));

            // Lanes to records (f*dx, f*dy, f*dz, 0), then added one pair at a time.
            const __m256d t0 = _mm256_unpacklo_pd(fdx, fdy);
            const __m256d t1 = _mm256_unpackhi_pd(fdx, fdy);
            const __m256d t2 = _mm256_unpacklo_pd(fdz, zero);
            const __m256d t3 = _mm256_unpackhi_pd(fdz, zero);
            acc = _mm256_add_pd(acc, _mm256_permute2f128_pd(t0, t2, 0x20));
            acc = _mm256_add_pd(acc, _mm256_permute2f128_pd(t1, t3, 0x20));
            acc = _mm256_add_pd(acc, _mm256_permute2f128_pd(t0, t2, 0x31));
            acc = _mm256_add_pd(acc, _mm256_permute2f128_pd(t1, t3, 0x31));

            vsum = add_lanes_in_order(vsum, term);
        }
        sum = _mm_cvtsd_f64(vsum);
        alignas(32) double out[4];
        _mm256_store_pd(out, acc);
        double fxi = out[0], fyi = out[1], fzi = out[2];
        for (; j < n; ++j) {
            const double dx = minimum_image(xi - c.x[j]);
            const double dy = minimum_image(yi - c.y[j]);
            const double dz = minimum_image(zi - c.z[j]);
            const double f = pair_force(s, srow, erow, j, dx, dy, dz);
            fxi += f * dx;
            fyi += f * dy;
            fzi += f * dz;
            c.fx[j] -= f * dx;
            c.fy[j] -= f * dy;
            c.fz[j] -= f * dz;
            sum += pair_term(s, srow, erow, j, dx, dy, dz);
        }
        c.fx[i] = fxi;
        c.fy[i] = fyi;
        c.fz[i] = fzi;
    }
    for (int32_t i = 0; i < n; ++i) {
        s.forces[i].x = c.fx[i];
        s.forces[i].y = c.fy[i];
        s.forces[i].z = c.fz[i];
    }
    return sum;
}

__attribute__((target("avx2"))) double pair_potential_avx2(const mdsimstate& s) {
    const int32_t n = s.atom_count;
    const Columns c = columns(s);
    fill_positions(s, c);

    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d four = _mm256_set1_pd(4.0);
    const __m256d zero = _mm256_setzero_pd();
    const __m256d corner = _mm256_set1_pd(kFarCorner);
    const int32_t* species = s.species.data();
    double sum = 0.0;

    for (int32_t i = 0; i < n; ++i) {
        const double* srow = s.S[species[i]];
        const double* erow = s.E[species[i]];
        const double xi = c.x[i], yi = c.y[i], zi = c.z[i];
        const __m256d vxi = _mm256_set1_pd(xi);
        const __m256d vyi = _mm256_set1_pd(yi);
        const __m256d vzi = _mm256_set1_pd(zi);
        __m128d vsum = _mm_set_sd(sum);
        int32_t j = i + 1;
        for (; j + 4 <= n; j += 4) {
            const __m256d dx = image(_mm256_sub_pd(vxi, _mm256_loadu_pd(c.x + j)));
            const __m256d dy = image(_mm256_sub_pd(vyi, _mm256_loadu_pd(c.y + j)));
            const __m256d dz = image(_mm256_sub_pd(vzi, _mm256_loadu_pd(c.z + j)));
            const __m256d r2 = _mm256_add_pd(
                _mm256_add_pd(_mm256_mul_pd(dx, dx), _mm256_mul_pd(dy, dy)), _mm256_mul_pd(dz, dz));
            const __m256d r = _mm256_sqrt_pd(r2);
            const __m256d q = _mm256_div_pd(one, r);
            const __m256d q2 = _mm256_mul_pd(q, q);
            const __m256d s6 = _mm256_mul_pd(_mm256_mul_pd(q2, q2), q2);
            const __m128i idx = _mm_loadu_si128(reinterpret_cast<const __m128i*>(species + j));
            const __m256d S = gather(srow, idx);
            const __m256d E = gather(erow, idx);
            // (s6*s6*S*S - s6*S) * 4 * E, left to right.
            const __m256d a = _mm256_mul_pd(_mm256_mul_pd(_mm256_mul_pd(s6, s6), S), S);
            __m256d term =
                _mm256_mul_pd(_mm256_mul_pd(_mm256_sub_pd(a, _mm256_mul_pd(s6, S)), four), E);
            term = far_corner(term, r, one, corner);
            term = _mm256_and_pd(term, _mm256_cmp_pd(r2, zero, _CMP_NEQ_UQ));
            vsum = add_lanes_in_order(vsum, term);
        }
        sum = _mm_cvtsd_f64(vsum);
        for (; j < n; ++j) {
            const double dx = minimum_image(xi - c.x[j]);
            const double dy = minimum_image(yi - c.y[j]);
            const double dz = minimum_image(zi - c.z[j]);
            sum += pair_term(s, srow, erow, j, dx, dy, dz);
        }
    }
    return sum;
}

}  // namespace md
