// The tile kernels the blocked multiply is built from, as a table per precision and
// instruction set: the plain kernels everywhere, vector ones where the processor has them.
// Internal to blas/.
#pragma once

#include <cstddef>

#include "app/isa.h"

namespace blas {

// What the first K tile does with the old C: beta 0 overwrites, beta 1 accumulates, any other
// beta scales C and then accumulates.
enum class BetaVariant { Zero, One, Scale };

template <class T>
BetaVariant beta_variant(T beta) {
    if (beta == T(0)) return BetaVariant::Zero;
    if (beta == T(1)) return BetaVariant::One;
    return BetaVariant::Scale;
}

template <class T>
struct TileKernels {
    int nb = 0;
    // A kernel may want the whole A tiles in a layout of its own: k-major (element (i, k) at
    // k * nb + i) instead of row-major. The driver then turns every whole A tile in place with
    // this function once, after packing, and the edge loops read those tiles k-major too.
    void (*make_k_major)(T* tile) = nullptr;
    // One nb x nb x nb tile: C (column-major, leading dimension ldc) op= A tile x B tile.
    void (*full_tile)(BetaVariant v, T beta, const T* a, const T* b, T* c, int ldc) = nullptr;
};

enum class TileIsa { Plain, Avx2Fma, Avx512 };

// One family: both precisions' tables.
struct TileFamily {
    TileIsa isa;
    const TileKernels<float>& (*sgemm)();
    const TileKernels<double>& (*dgemm)();
};

// The family table's row of `isa`, and the fastest family `available` allows.
const app::IsaKernel<TileFamily>& tile_isa_row(TileIsa isa);
TileIsa tile_isa_for(app::IsaFeatures available);

const TileKernels<float>& sgemm_tile_kernels(TileIsa isa);
const TileKernels<double>& dgemm_tile_kernels(TileIsa isa);

// The vector kernels live in their own file, their functions built for AVX2 and FMA; they are
// only entered when the decision allows both.
const TileKernels<float>& sgemm_tile_kernels_avx2();
const TileKernels<double>& dgemm_tile_kernels_avx2();
// The same for AVX-512 (Foundation), entered only when the decision allows it.
const TileKernels<float>& sgemm_tile_kernels_avx512();
const TileKernels<double>& dgemm_tile_kernels_avx512();

// Turns an NB x NB tile k-major in place: element (i, k) moves from i * NB + k to k * NB + i.
template <class T, int NB>
void make_k_major(T* tile) {
    for (int i = 0; i < NB; ++i)
        for (int k = i + 1; k < NB; ++k) {
            const T t = tile[i * NB + k];
            tile[i * NB + k] = tile[k * NB + i];
            tile[k * NB + i] = t;
        }
}

// The plain edge and K-remainder loops, shared by every instruction set: rows x cols of C
// (column-major, leading dimension ldc) from packed tiles a (rows of nb k values) and b
// (columns of nb k values).
// a_k_major: the A tile has been turned k-major (see TileKernels::make_k_major).
template <class T, int NB>
void edge_tile(BetaVariant v, T beta, const T* a, bool a_k_major, const T* b, T* c, int ldc,
               int rows, int cols);
template <class T, int NB>
void k_remainder(bool first, BetaVariant v, T beta, const T* a, const T* b, T* c, int ldc, int rows,
                 int cols, int ks);

}  // namespace blas
