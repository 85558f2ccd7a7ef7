// The data movement around the blocked multiply: the in-place transposition of C and the
// packing of A (with alpha) and B into square tiles. Partial tiles at the right and bottom
// edges are packed into the same grid and padded with zeros, so every tile has the same
// layout whatever M, K and N are.
#pragma once

#include <cstddef>

namespace blas {

// Tiles along a dimension of n elements (the last one may be partial).
inline int tile_count(int n, int nb) {
    return (n + nb - 1) / nb;
}

// Elements of a packed buffer for a rows x cols operand: one more tile than whole tiles in
// each direction, which also covers the partial ones, plus slack for the prefetches that look
// past the last tile.
std::size_t packed_elements(int rows, int cols, int nb);

// Transposes the rows x cols row-major matrix m in place (afterwards it is cols x rows): a
// square one by swapping tile pairs, any other through a scratch copy tile by tile. False when
// the scratch could not be allocated (m is then unchanged).
template <class T>
bool transpose_in_place(T* m, int rows, int cols, int nb);
// The same through a caller's scratch of rows x cols elements (cannot fail).
template <class T>
void transpose_through(T* m, int rows, int cols, int nb, T* scratch);

// Packs A (m x k, row-major): tile (row block r, k block q) starts at (r * tile_count(k) + q)
// * nb * nb; inside it, row i holds nb consecutive k values. Every element is multiplied by
// alpha unless alpha is exactly 1, when it is copied. With k_major, the tiles of whole K blocks
// are written k-major instead (element (i, k) at k * nb + i), as vector tile kernels read them;
// the tile of the K remainder stays row-major.
template <class T>
void pack_a(const T* a, int m, int k, T alpha, int nb, T* out, bool k_major = false);

// Packs B (k x n, row-major): tile (column block c, k block q) starts at (c * tile_count(k) +
// q) * nb * nb; inside it, column j holds nb consecutive k values.
template <class T>
void pack_b(const T* b, int k, int n, int nb, T* out);

}  // namespace blas
