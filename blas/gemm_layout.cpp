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

namespace {

// Multiplies by alpha unless alpha is exactly 1 (then the bits are copied).
inline __m128d scaled(__m128d x, __m128d alpha, bool one) {
    return one ? x : _mm_mul_pd(alpha, x);
}
inline __m128 scaled(__m128 x, __m128 alpha, bool one) {
    return one ? x : _mm_mul_ps(alpha, x);
}

// One 2 x 2 (double) or 4 x 4 (float) block of src (leading dimension ld), transposed into dst
// (leading dimension nb) and scaled.
inline void transpose_block(const double* src, std::size_t ld, double* dst, int nb, double alpha,
                            bool one) {
    const __m128d va = _mm_set1_pd(alpha);
    const __m128d x0 = _mm_loadu_pd(src), x1 = _mm_loadu_pd(src + ld);
    _mm_storeu_pd(dst, scaled(_mm_unpacklo_pd(x0, x1), va, one));
    _mm_storeu_pd(dst + nb, scaled(_mm_unpackhi_pd(x0, x1), va, one));
}

inline void transpose_block(const float* src, std::size_t ld, float* dst, int nb, float alpha,
                            bool one) {
    const __m128 va = _mm_set1_ps(alpha);
    __m128 x0 = _mm_loadu_ps(src), x1 = _mm_loadu_ps(src + ld);
    __m128 x2 = _mm_loadu_ps(src + 2 * ld), x3 = _mm_loadu_ps(src + 3 * ld);
    _MM_TRANSPOSE4_PS(x0, x1, x2, x3);
    _mm_storeu_ps(dst, scaled(x0, va, one));
    _mm_storeu_ps(dst + nb, scaled(x1, va, one));
    _mm_storeu_ps(dst + 2 * nb, scaled(x2, va, one));
    _mm_storeu_ps(dst + 3 * nb, scaled(x3, va, one));
}

// The rows x cols block at src (leading dimension ld) into an nb x nb tile: row i of the block
// becomes row i of the tile (copy) or column i of the tile (transposed), every element times
// alpha unless alpha is exactly 1; the rest of the tile is zero.
template <class T>
void pack_tile(const T* src, std::size_t ld, int rows, int cols, int nb, T alpha, bool transposed,
               T* dst) {
    constexpr int kBlock = 16 / sizeof(T);
    const bool one = alpha == T(1);
    const std::size_t n = static_cast<std::size_t>(nb);
    if (transposed && rows == nb && cols == nb && nb % kBlock == 0) {
        for (int j = 0; j < nb; j += kBlock)
            for (int i = 0; i < nb; i += kBlock)
                transpose_block(src + i * ld + j, ld, dst + j * n + i, nb, alpha, one);
        return;
    }
    // Element (i, j) of the block goes to i * si + j * sj of the tile.
    const std::size_t si = transposed ? 1 : n, sj = transposed ? n : 1;
    for (int i = 0; i < nb; ++i)
        for (int j = 0; j < nb; ++j) {
            T x = T(0);
            if (i < rows && j < cols) x = one ? src[i * ld + j] : alpha * src[i * ld + j];
            dst[i * si + j * sj] = x;
        }
}

}  // namespace

template <class T>
void pack_a(const T* a, int m, int k, T alpha, int nb, T* out, bool k_major) {
    const int kt = tile_count(k, nb);
    const int mt = tile_count(m, nb);
    const int k_full = k / nb;
    const std::size_t tile = static_cast<std::size_t>(nb) * nb;
    // Row block by row block: the nb source rows are read from left to right.
    for (int r = 0; r < mt; ++r) {
        const int rows = std::min(nb, m - r * nb);
        for (int q = 0; q < kt; ++q) {
            const int ks = std::min(nb, k - q * nb);
            pack_tile(a + static_cast<std::size_t>(r) * nb * k + static_cast<std::size_t>(q) * nb,
                      static_cast<std::size_t>(k), rows, ks, nb, alpha, k_major && q < k_full,
                      out + (static_cast<std::size_t>(r) * kt + q) * tile);
        }
    }
}

template <class T>
void pack_b(const T* b, int k, int n, int nb, T* out) {
    const int kt = tile_count(k, nb);
    const int nt = tile_count(n, nb);
    const std::size_t tile = static_cast<std::size_t>(nb) * nb;
    // K block by K block: the nb source rows are read from left to right, each tile
    // transposed so that its columns hold consecutive k values.
    for (int q = 0; q < kt; ++q) {
        const int ks = std::min(nb, k - q * nb);
        for (int c = 0; c < nt; ++c) {
            const int cols = std::min(nb, n - c * nb);
            pack_tile(b + static_cast<std::size_t>(q) * nb * n + static_cast<std::size_t>(c) * nb,
                      static_cast<std::size_t>(n), ks, cols, nb, T(1), true,
                      out + (static_cast<std::size_t>(c) * kt + q) * tile);
        }
    }
}

template bool transpose_in_place<float>(float*, int, int, int);
template bool transpose_in_place<double>(double*, int, int, int);
template void transpose_through<float>(float*, int, int, int, float*);
template void transpose_through<double>(double*, int, int, int, double*);
template void pack_a<float>(const float*, int, int, float, int, float*, bool);
template void pack_a<double>(const double*, int, int, double, int, double*, bool);
template void pack_b<float>(const float*, int, int, int, float*);
template void pack_b<double>(const double*, int, int, int, double*);

}  // namespace blas
