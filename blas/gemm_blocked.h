// The blocked multiply below the dispatchers, with the tile-kernel family as a parameter so
// tests can run every family on the same operands.
#pragma once

#include "blas/gemm.h"
#include "blas/gemm_tiles.h"

namespace blas {

// The tile-kernel family the process's decision picks (app/isa.h).
TileIsa preferred_tile_isa();
// Whether this processor can run `isa` (gemm_blocked() takes the plain family otherwise).
bool tile_isa_supported(TileIsa isa);

// Transposes C, packs A (with alpha) and B in tiles of nb, runs the blocked multiply when
// `compute` is set (nb must then be the precision's tile: 64 single, 30 double), frees the
// packed buffers and transposes C back.
template <class T>
GemmStatus gemm_blocked(TileIsa isa, bool compute, int nb, T beta, T alpha, int m, int k, int n,
                        const T* a, const T* b, T* c);

}  // namespace blas
