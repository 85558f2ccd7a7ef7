// Vector tile kernels for processors with AVX2 and FMA. The whole A tiles are first turned
// k-major in place, so that each k step is an outer product: two vectors of A rows times one
// broadcast element of B per column, accumulated in registers over the whole tile and added to C
// once. Each C element is still the sum of the same products, in a different order, so results
// agree with the plain kernels to rounding. (The plain kernels stay the path for processors without
// these instructions.)
#include <immintrin.h>

#include <cstddef>

#include "blas/gemm_tiles.h"

#define LUMETRA_AVX2 __attribute__((target("avx2,fma")))
#define LUMETRA_AVX2_INLINE __attribute__((target("avx2,fma"), always_inline)) inline

namespace blas {
namespace {

constexpr int kSnb = 64;  // single precision tile
constexpr int kDnb = 30;  // double precision tile

// ---- double precision: 8 rows x NR columns per register block ----

LUMETRA_AVX2_INLINE __m256d combine_d(BetaVariant v, __m256d beta, __m256d old, __m256d acc) {
    if (v == BetaVariant::Zero) return acc;
    if (v == BetaVariant::One) return _mm256_add_pd(old, acc);
    return _mm256_add_pd(_mm256_mul_pd(beta, old), acc);
}

// Named accumulators rather than an array: the compiler then keeps all twelve in registers.
#define LUMETRA_STEP_D(r, x0, x1)                                 \
    {                                                             \
        const __m256d bb = _mm256_broadcast_sd(b + r * kDnb + k); \
        x0 = _mm256_fmadd_pd(a0, bb, x0);                         \
        x1 = _mm256_fmadd_pd(a1, bb, x1);                         \
    }

template <bool kPartial>
LUMETRA_AVX2_INLINE void store_d(BetaVariant v, __m256d beta, double* cp, __m256d x0, __m256d x1) {
    const __m256d old0 = v == BetaVariant::Zero ? _mm256_setzero_pd() : _mm256_loadu_pd(cp);
    _mm256_storeu_pd(cp, combine_d(v, beta, old0, x0));
    if (kPartial) {
        // The last row block of a 30-row tile has only rows 24..29: the upper vector keeps two.
        const __m256i mask = _mm256_setr_epi64x(-1, -1, 0, 0);
        const __m256d old1 =
            v == BetaVariant::Zero ? _mm256_setzero_pd() : _mm256_maskload_pd(cp + 4, mask);
        _mm256_maskstore_pd(cp + 4, mask, combine_d(v, beta, old1, x1));
    } else {
        const __m256d old1 = v == BetaVariant::Zero ? _mm256_setzero_pd() : _mm256_loadu_pd(cp + 4);
        _mm256_storeu_pd(cp + 4, combine_d(v, beta, old1, x1));
    }
}

// Rows at..at+7 of C times six columns of B.
template <bool kPartial>
LUMETRA_AVX2_INLINE void micro_d(BetaVariant v, __m256d beta, const double* at, const double* b,
                                 double* c, int ldc) {
    __m256d c00 = _mm256_setzero_pd(), c01 = c00, c10 = c00, c11 = c00, c20 = c00, c21 = c00;
    __m256d c30 = c00, c31 = c00, c40 = c00, c41 = c00, c50 = c00, c51 = c00;
    const __m256i tail = _mm256_setr_epi64x(-1, -1, 0, 0);
#pragma GCC unroll 2
    for (int k = 0; k < kDnb; ++k) {
        const __m256d a0 = _mm256_loadu_pd(at + k * kDnb);
        // Rows 28 and 29 end the tile's column: the lanes past them stay zero.
        const __m256d a1 = kPartial ? _mm256_maskload_pd(at + k * kDnb + 4, tail)
                                    : _mm256_loadu_pd(at + k * kDnb + 4);
        LUMETRA_STEP_D(0, c00, c01)
        LUMETRA_STEP_D(1, c10, c11)
        LUMETRA_STEP_D(2, c20, c21)
        LUMETRA_STEP_D(3, c30, c31)
        LUMETRA_STEP_D(4, c40, c41)
        LUMETRA_STEP_D(5, c50, c51)
    }
    store_d<kPartial>(v, beta, c, c00, c01);
    store_d<kPartial>(v, beta, c + ldc, c10, c11);
    store_d<kPartial>(v, beta, c + 2 * static_cast<std::size_t>(ldc), c20, c21);
    store_d<kPartial>(v, beta, c + 3 * static_cast<std::size_t>(ldc), c30, c31);
    store_d<kPartial>(v, beta, c + 4 * static_cast<std::size_t>(ldc), c40, c41);
    store_d<kPartial>(v, beta, c + 5 * static_cast<std::size_t>(ldc), c50, c51);
}

LUMETRA_AVX2 void full_tile_d(BetaVariant v, double beta, const double* at, const double* b,
                              double* c, int ldc) {
    const __m256d vb = _mm256_set1_pd(beta);
    for (int j0 = 0; j0 < kDnb; j0 += 6) {
        const double* bj = b + static_cast<std::size_t>(j0) * kDnb;
        double* cj = c + static_cast<std::size_t>(j0) * ldc;
        micro_d<false>(v, vb, at, bj, cj, ldc);
        micro_d<false>(v, vb, at + 8, bj, cj + 8, ldc);
        micro_d<false>(v, vb, at + 16, bj, cj + 16, ldc);
        micro_d<true>(v, vb, at + 24, bj, cj + 24, ldc);
    }
}

// ---- single precision: 16 rows x NR columns per register block ----

LUMETRA_AVX2_INLINE __m256 combine_s(BetaVariant v, __m256 beta, __m256 old, __m256 acc) {
    if (v == BetaVariant::Zero) return acc;
    if (v == BetaVariant::One) return _mm256_add_ps(old, acc);
    return _mm256_add_ps(_mm256_mul_ps(beta, old), acc);
}

#define LUMETRA_STEP_S(r, x0, x1)                                \
    {                                                            \
        const __m256 bb = _mm256_broadcast_ss(b + r * kSnb + k); \
        x0 = _mm256_fmadd_ps(a0, bb, x0);                        \
        x1 = _mm256_fmadd_ps(a1, bb, x1);                        \
    }

LUMETRA_AVX2_INLINE void store_s(BetaVariant v, __m256 beta, float* cp, __m256 x0, __m256 x1) {
    const __m256 old0 = v == BetaVariant::Zero ? _mm256_setzero_ps() : _mm256_loadu_ps(cp);
    const __m256 old1 = v == BetaVariant::Zero ? _mm256_setzero_ps() : _mm256_loadu_ps(cp + 8);
    _mm256_storeu_ps(cp, combine_s(v, beta, old0, x0));
    _mm256_storeu_ps(cp + 8, combine_s(v, beta, old1, x1));
}

// Rows at..at+15 of C times NR (6 or 4) columns of B.
template <int NR>
LUMETRA_AVX2_INLINE void micro_s(BetaVariant v, __m256 beta, const float* at, const float* b,
                                 float* c, int ldc) {
    static_assert(NR == 6 || NR == 4);
    __m256 c00 = _mm256_setzero_ps(), c01 = c00, c10 = c00, c11 = c00, c20 = c00, c21 = c00;
    __m256 c30 = c00, c31 = c00, c40 = c00, c41 = c00, c50 = c00, c51 = c00;
#pragma GCC unroll 2
    for (int k = 0; k < kSnb; ++k) {
        const __m256 a0 = _mm256_load_ps(at + k * kSnb);
        const __m256 a1 = _mm256_load_ps(at + k * kSnb + 8);
        LUMETRA_STEP_S(0, c00, c01)
        LUMETRA_STEP_S(1, c10, c11)
        LUMETRA_STEP_S(2, c20, c21)
        LUMETRA_STEP_S(3, c30, c31)
        if constexpr (NR == 6) {
            LUMETRA_STEP_S(4, c40, c41)
            LUMETRA_STEP_S(5, c50, c51)
        }
    }
    const std::size_t ld = static_cast<std::size_t>(ldc);
    store_s(v, beta, c, c00, c01);
    store_s(v, beta, c + ld, c10, c11);
    store_s(v, beta, c + 2 * ld, c20, c21);
    store_s(v, beta, c + 3 * ld, c30, c31);
    if constexpr (NR == 6) {
        store_s(v, beta, c + 4 * ld, c40, c41);
        store_s(v, beta, c + 5 * ld, c50, c51);
    }
}

LUMETRA_AVX2 void full_tile_s(BetaVariant v, float beta, const float* at, const float* b, float* c,
                              int ldc) {
    const __m256 vb = _mm256_set1_ps(beta);
    // 64 columns: ten blocks of six and one of four.
    for (int j0 = 0; j0 < kSnb; j0 += 6) {
        const float* bj = b + static_cast<std::size_t>(j0) * kSnb;
        float* cj = c + static_cast<std::size_t>(j0) * ldc;
        if (j0 + 6 <= kSnb) {
            for (int i0 = 0; i0 < kSnb; i0 += 16) micro_s<6>(v, vb, at + i0, bj, cj + i0, ldc);
        } else {
            for (int i0 = 0; i0 < kSnb; i0 += 16) micro_s<4>(v, vb, at + i0, bj, cj + i0, ldc);
        }
    }
}

}  // namespace

const TileKernels<float>& sgemm_tile_kernels_avx2() {
    static const TileKernels<float> table{kSnb, &make_k_major<float, kSnb>, &full_tile_s};
    return table;
}

const TileKernels<double>& dgemm_tile_kernels_avx2() {
    static const TileKernels<double> table{kDnb, &make_k_major<double, kDnb>, &full_tile_d};
    return table;
}

}  // namespace blas
