// Vector tile kernels for processors with AVX-512. The same outer-product scheme as the AVX2
// kernels (whole A tiles k-major, one broadcast element of B per column and k, accumulation in
// registers over the whole tile, C touched once per tile), with 512-bit registers: a column of
// the tile is four vectors (30 doubles, the last vector masked to six lanes; 64 floats), and
// each register block is that column times six columns of B. Every C element is accumulated
// with one fused multiply-add per k in k order, exactly as the AVX2 kernels do, so both
// families give the same bits.
#include <immintrin.h>

#include <algorithm>
#include <cstddef>

#include "blas/gemm_tiles.h"

#define LUMETRA_AVX512_INLINE __attribute__((target("avx512f"), always_inline)) inline
#define LUMETRA_AVX512 __attribute__((target("avx512f")))

namespace blas {
namespace {

template <class T>
struct Zmm;

template <>
struct Zmm<double> {
    using V = __m512d;
    static constexpr int kLanes = 8;
    LUMETRA_AVX512_INLINE static V zero() { return _mm512_setzero_pd(); }
    LUMETRA_AVX512_INLINE static V splat(double x) { return _mm512_set1_pd(x); }
    LUMETRA_AVX512_INLINE static V load(const double* p) { return _mm512_loadu_pd(p); }
    LUMETRA_AVX512_INLINE static V load(__mmask16 m, const double* p) {
        return _mm512_maskz_loadu_pd(static_cast<__mmask8>(m), p);
    }
    LUMETRA_AVX512_INLINE static void store(double* p, V x) { _mm512_storeu_pd(p, x); }
    LUMETRA_AVX512_INLINE static void store(__mmask16 m, double* p, V x) {
        _mm512_mask_storeu_pd(p, static_cast<__mmask8>(m), x);
    }
    LUMETRA_AVX512_INLINE static V fma(V a, V b, V c) { return _mm512_fmadd_pd(a, b, c); }
    LUMETRA_AVX512_INLINE static V add(V a, V b) { return _mm512_add_pd(a, b); }
    LUMETRA_AVX512_INLINE static V mul(V a, V b) { return _mm512_mul_pd(a, b); }
};

template <>
struct Zmm<float> {
    using V = __m512;
    static constexpr int kLanes = 16;
    LUMETRA_AVX512_INLINE static V zero() { return _mm512_setzero_ps(); }
    LUMETRA_AVX512_INLINE static V splat(float x) { return _mm512_set1_ps(x); }
    LUMETRA_AVX512_INLINE static V load(const float* p) { return _mm512_loadu_ps(p); }
    LUMETRA_AVX512_INLINE static V load(__mmask16 m, const float* p) {
        return _mm512_maskz_loadu_ps(m, p);
    }
    LUMETRA_AVX512_INLINE static void store(float* p, V x) { _mm512_storeu_ps(p, x); }
    LUMETRA_AVX512_INLINE static void store(__mmask16 m, float* p, V x) {
        _mm512_mask_storeu_ps(p, m, x);
    }
    LUMETRA_AVX512_INLINE static V fma(V a, V b, V c) { return _mm512_fmadd_ps(a, b, c); }
    LUMETRA_AVX512_INLINE static V add(V a, V b) { return _mm512_add_ps(a, b); }
    LUMETRA_AVX512_INLINE static V mul(V a, V b) { return _mm512_mul_ps(a, b); }
};

// The vectors of one tile column, and the lanes of the last one.
template <class T, int NB>
struct ColumnShape {
    static constexpr int kLanes = Zmm<T>::kLanes;
    static constexpr int kVectors = (NB + kLanes - 1) / kLanes;
    static constexpr int kTail = NB - (kVectors - 1) * kLanes;
    static constexpr __mmask16 kTailMask = static_cast<__mmask16>((1u << kTail) - 1u);
    static constexpr bool kPartial = kTail != kLanes;
};

template <class T, int NB>
LUMETRA_AVX512_INLINE typename Zmm<T>::V load_part(const T* p, int v) {
    using S = ColumnShape<T, NB>;
    if (S::kPartial && v == S::kVectors - 1) return Zmm<T>::load(S::kTailMask, p);
    return Zmm<T>::load(p);
}

template <class T, int NB>
constexpr int kTileLines = static_cast<int>((NB * NB * sizeof(T) + 63) / 64);

// The whole tile column (all NB rows of C) times NR columns of B, over all NB k.
template <class T, int NB, int NR>
LUMETRA_AVX512_INLINE void column_block(BetaVariant v, typename Zmm<T>::V beta, const T* at,
                                        const T* b, T* c, std::size_t ldc, const char* pf_a,
                                        int pf_a_lines, const char* pf_b, int pf_b_lines) {
    using Z = Zmm<T>;
    using V = typename Z::V;
    using S = ColumnShape<T, NB>;
    constexpr int NV = S::kVectors;
    V acc[NR][NV];
#pragma GCC unroll 8
    for (int r = 0; r < NR; ++r)
#pragma GCC unroll 4
        for (int q = 0; q < NV; ++q) acc[r][q] = Z::zero();
#pragma GCC unroll 2
    for (int k = 0; k < NB; ++k) {
        V a[NV];
#pragma GCC unroll 4
        for (int q = 0; q < NV; ++q) a[q] = load_part<T, NB>(at + k * NB + q * S::kLanes, q);
        // Up to a line of each of the two regions the caller names per k.
        if (k < pf_a_lines) _mm_prefetch(pf_a + k * 64, _MM_HINT_T0);
        if (k < pf_b_lines) _mm_prefetch(pf_b + k * 64, _MM_HINT_T0);
#pragma GCC unroll 8
        for (int r = 0; r < NR; ++r) {
            const V bb = Z::splat(b[r * NB + k]);
#pragma GCC unroll 4
            for (int q = 0; q < NV; ++q) acc[r][q] = Z::fma(a[q], bb, acc[r][q]);
        }
    }
#pragma GCC unroll 8
    for (int r = 0; r < NR; ++r) {
        T* cr = c + r * ldc;
#pragma GCC unroll 4
        for (int q = 0; q < NV; ++q) {
            T* p = cr + q * S::kLanes;
            const bool tail = S::kPartial && q == NV - 1;
            V x = acc[r][q];
            if (v != BetaVariant::Zero) {
                V old = tail ? Z::load(S::kTailMask, p) : Z::load(p);
                if (v == BetaVariant::Scale) old = Z::mul(beta, old);
                x = Z::add(old, x);
            }
            if (tail)
                Z::store(S::kTailMask, p, x);
            else
                Z::store(p, x);
        }
    }
}

// Six columns per register block (24 accumulators, four A vectors and a broadcast: 29 of the
// 32 registers); a tile width that six does not divide ends with a block of four.
//
// Prefetches, so that the data is in L1 when it is first read: while a block runs, the B
// columns of the block after it (after the last block, the first columns of the next B tile,
// which follows this one in memory, as the next A tile does), and during the last blocks the
// whole next A tile, a line per k.
template <class T, int NB>
LUMETRA_AVX512_INLINE void full_tile(BetaVariant v, T beta, const T* at, const T* b, T* c,
                                     int ldc) {
    static_assert(NB % 6 == 0 || NB % 6 == 4);
    constexpr int kBlocks = (NB + 5) / 6;
    constexpr int kALines = kTileLines<T, NB>;
    constexpr int kABlocks = (kALines + NB - 1) / NB;  // the last blocks share the A lines
    static_assert(kABlocks <= kBlocks);
    constexpr int kBLines = static_cast<int>((6 * NB * sizeof(T) + 63) / 64) + 1;
    static_assert(kBLines <= NB);
    const typename Zmm<T>::V vb = Zmm<T>::splat(beta);
    const std::size_t ld = static_cast<std::size_t>(ldc);
    const char* next_a = reinterpret_cast<const char*>(at + NB * NB);
    for (int blk = 0; blk < kBlocks; ++blk) {
        const int j0 = blk * 6;
        const char* pf_b = reinterpret_cast<const char*>(b + (j0 + 6) * NB);
        const int a_first = (blk - (kBlocks - kABlocks)) * NB;  // negative: none in this block
        const char* pf_a = next_a + std::max(a_first, 0) * 64;
        const int a_lines = a_first < 0 ? 0 : std::min(NB, kALines - a_first);
        if (j0 + 6 <= NB)
            column_block<T, NB, 6>(v, vb, at, b + j0 * NB, c + j0 * ld, ld, pf_a, a_lines, pf_b,
                                   kBLines);
        else
            column_block<T, NB, 4>(v, vb, at, b + j0 * NB, c + j0 * ld, ld, pf_a, a_lines, pf_b,
                                   kBLines);
    }
}

LUMETRA_AVX512 void full_tile_d(BetaVariant v, double beta, const double* at, const double* b,
                                double* c, int ldc) {
    full_tile<double, 30>(v, beta, at, b, c, ldc);
}

LUMETRA_AVX512 void full_tile_s(BetaVariant v, float beta, const float* at, const float* b,
                                float* c, int ldc) {
    full_tile<float, 64>(v, beta, at, b, c, ldc);
}

}  // namespace

const TileKernels<float>& sgemm_tile_kernels_avx512() {
    static const TileKernels<float> table{64, &make_k_major<float, 64>, &full_tile_s};
    return table;
}

const TileKernels<double>& dgemm_tile_kernels_avx512() {
    static const TileKernels<double> table{30, &make_k_major<double, 30>, &full_tile_d};
    return table;
}

}  // namespace blas
