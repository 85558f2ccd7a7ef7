#include "blas/gemm_layout.h"

#include <algorithm>
#include <cstring>

#include "blas/aligned_block.h"

namespace blas {

std::size_t packed_elements(int rows, int cols, int nb) {
    const std::size_t tiles = static_cast<std::size_t>(rows / nb + 1) * (cols / nb + 1);
    // Slack: the tile kernels prefetch up to seven columns past the current one.
    return tiles * nb * nb + 8 * static_cast<std::size_t>(nb);
}

namespace {

// A square matrix needs no scratch: swap across the diagonal, tile pair by tile pair.
template <class T>
void transpose_square(T* m, int n, int nb) {
    const std::size_t ld = static_cast<std::size_t>(n);
    for (int r0 = 0; r0 < n; r0 += nb) {
        const int r1 = std::min(n, r0 + nb);
        for (int c0 = r0; c0 < n; c0 += nb) {
            const int c1 = std::min(n, c0 + nb);
            for (int r = r0; r < r1; ++r)
                for (int c = (c0 == r0 ? r + 1 : c0); c < c1; ++c)
                    std::swap(m[r * ld + c], m[c * ld + r]);
        }
    }
}

}  // namespace

template <class T>
bool transpose_in_place(T* m, int rows, int cols, int nb) {
    const std::size_t count = static_cast<std::size_t>(rows) * cols;
    if (count == 0) return true;
    if (rows == cols) {
        transpose_square(m, rows, nb);
        return true;
    }
    AlignedBlock block = AlignedBlock::allocate(count * sizeof(T));
    if (!block) return false;
    transpose_through(m, rows, cols, nb, block.as<T>());
    return true;
}

template <class T>
void transpose_through(T* m, int rows, int cols, int nb, T* t) {
    const std::size_t count = static_cast<std::size_t>(rows) * cols;
    // Tile by tile so that both the rows read and the rows written stay in cache; eight
    // source rows per step.
    for (int r0 = 0; r0 < rows; r0 += nb) {
        const int r1 = std::min(rows, r0 + nb);
        for (int c0 = 0; c0 < cols; c0 += nb) {
            const int c1 = std::min(cols, c0 + nb);
            for (int r = r0; r < r1; r += 8) {
                const int re = std::min(r1, r + 8);
                for (int c = c0; c < c1; ++c)
                    for (int rr = r; rr < re; ++rr)
                        t[static_cast<std::size_t>(c) * rows + rr] =
                            m[static_cast<std::size_t>(rr) * cols + c];
            }
        }
    }
    if (count != 0) std::memcpy(m, t, count * sizeof(T));
}

template <class T>
void pack_a(const T* a, int m, int k, T alpha, int nb, T* out) {
    const int kt = tile_count(k, nb);
    const int mt = tile_count(m, nb);
    const std::size_t tile = static_cast<std::size_t>(nb) * nb;
    for (int r = 0; r < mt; ++r) {
        const int rows = std::min(nb, m - r * nb);
        for (int q = 0; q < kt; ++q) {
            const int ks = std::min(nb, k - q * nb);
            T* dst = out + (static_cast<std::size_t>(r) * kt + q) * tile;
            // Plain loops: a library call per 30- or 64-element row costs more than the copy.
            for (int i = 0; i < nb; ++i) {
                T* row = dst + static_cast<std::size_t>(i) * nb;
                int kk = 0;
                if (i < rows) {
                    const T* src = a + static_cast<std::size_t>(r * nb + i) * k + q * nb;
                    if (alpha == T(1)) {
                        for (; kk < ks; ++kk) row[kk] = src[kk];
                    } else {
                        for (; kk < ks; ++kk) row[kk] = alpha * src[kk];
                    }
                }
                for (; kk < nb; ++kk) row[kk] = T(0);
            }
        }
    }
}

template <class T>
void pack_b(const T* b, int k, int n, int nb, T* out) {
    const int kt = tile_count(k, nb);
    const int nt = tile_count(n, nb);
    const std::size_t tile = static_cast<std::size_t>(nb) * nb;
    for (int c = 0; c < nt; ++c) {
        const int cols = std::min(nb, n - c * nb);
        for (int q = 0; q < kt; ++q) {
            const int ks = std::min(nb, k - q * nb);
            T* dst = out + (static_cast<std::size_t>(c) * kt + q) * tile;
            // Eight rows of B at a time: the reads are unit-stride runs and each column of the
            // tile receives eight consecutive k values per pass.
            for (int k0 = 0; k0 < nb; k0 += 8) {
                const int k1 = std::min(nb, k0 + 8);
                for (int j = 0; j < nb; ++j) {
                    T* col = dst + static_cast<std::size_t>(j) * nb;
                    for (int kk = k0; kk < k1; ++kk)
                        col[kk] = (kk < ks && j < cols)
                                      ? b[static_cast<std::size_t>(q * nb + kk) * n + c * nb + j]
                                      : T(0);
                }
            }
        }
    }
}

template bool transpose_in_place<float>(float*, int, int, int);
template bool transpose_in_place<double>(double*, int, int, int);
template void transpose_through<float>(float*, int, int, int, float*);
template void transpose_through<double>(double*, int, int, int, double*);
template void pack_a<float>(const float*, int, int, float, int, float*);
template void pack_a<double>(const double*, int, int, double, int, double*);
template void pack_b<float>(const float*, int, int, int, float*);
template void pack_b<double>(const double*, int, int, int, double*);

}  // namespace blas
