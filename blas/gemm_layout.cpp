#include "blas/gemm_layout.h"

#include <emmintrin.h>
#include <xmmintrin.h>

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

// Transposes the 2 x 2 (double) or 4 x 4 (float) blocks at p and q, each with leading dimension
// ld, and swaps them (p == q transposes one block in place). SSE2, so on every x86-64.
inline void swap_blocks(double* p, double* q, std::size_t ld) {
    const __m128d x0 = _mm_loadu_pd(p), x1 = _mm_loadu_pd(p + ld);
    const __m128d y0 = _mm_loadu_pd(q), y1 = _mm_loadu_pd(q + ld);
    _mm_storeu_pd(p, _mm_unpacklo_pd(y0, y1));
    _mm_storeu_pd(p + ld, _mm_unpackhi_pd(y0, y1));
    _mm_storeu_pd(q, _mm_unpacklo_pd(x0, x1));
    _mm_storeu_pd(q + ld, _mm_unpackhi_pd(x0, x1));
}

inline void swap_blocks(float* p, float* q, std::size_t ld) {
    __m128 x0 = _mm_loadu_ps(p), x1 = _mm_loadu_ps(p + ld);
    __m128 x2 = _mm_loadu_ps(p + 2 * ld), x3 = _mm_loadu_ps(p + 3 * ld);
    __m128 y0 = _mm_loadu_ps(q), y1 = _mm_loadu_ps(q + ld);
    __m128 y2 = _mm_loadu_ps(q + 2 * ld), y3 = _mm_loadu_ps(q + 3 * ld);
    _MM_TRANSPOSE4_PS(x0, x1, x2, x3);
    _MM_TRANSPOSE4_PS(y0, y1, y2, y3);
    _mm_storeu_ps(p, y0);
    _mm_storeu_ps(p + ld, y1);
    _mm_storeu_ps(p + 2 * ld, y2);
    _mm_storeu_ps(p + 3 * ld, y3);
    _mm_storeu_ps(q, x0);
    _mm_storeu_ps(q + ld, x1);
    _mm_storeu_ps(q + 2 * ld, x2);
    _mm_storeu_ps(q + 3 * ld, x3);
}

// A square matrix needs no scratch: swap across the diagonal, tile pair by tile pair. Tile
// pairs whose sides are whole blocks go block by block, the others element by element.
template <class T>
void transpose_square(T* m, int n, int nb) {
    constexpr int kBlock = 16 / sizeof(T);
    const std::size_t ld = static_cast<std::size_t>(n);
    for (int r0 = 0; r0 < n; r0 += nb) {
        const int r1 = std::min(n, r0 + nb);
        for (int c0 = r0; c0 < n; c0 += nb) {
            const int c1 = std::min(n, c0 + nb);
            if ((r1 - r0) % kBlock == 0 && (c1 - c0) % kBlock == 0) {
                for (int r = r0; r < r1; r += kBlock)
                    for (int c = (c0 == r0 ? r : c0); c < c1; c += kBlock)
                        swap_blocks(m + r * ld + c, m + c * ld + r, ld);
                continue;
            }
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
