#include "blas/gemm_blocked.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "app/isa.h"
#include "blas/aligned_block.h"
#include "blas/gemm_layout.h"

namespace blas {
namespace {

template <class T>
const TileKernels<T>& tile_kernels(TileIsa isa);
template <>
const TileKernels<float>& tile_kernels<float>(TileIsa isa) {
    return sgemm_tile_kernels(isa);
}
template <>
const TileKernels<double>& tile_kernels<double>(TileIsa isa) {
    return dgemm_tile_kernels(isa);
}

// C (column-major, leading dimension m) op= packed A x packed B, tile by tile: for each row
// block and column block, the first K tile applies beta, the further ones accumulate, the K
// remainder is added by plain loops, and partial blocks go through the edge loops.
//
// The column blocks are taken a few at a time (as many B panels as fit in 1 MiB, beside the A
// panel in a second-level cache), and every row block runs over that group before the next group
// starts. Each C tile still receives its K tiles in order, so the result is the same as block by
// block.
template <class T, int NB>
void blocked_multiply(const TileKernels<T>& kern, T beta, int m, int k, int n, const T* pa,
                      const T* pb, T* c) {
    const int mt = tile_count(m, NB);
    const int nt = tile_count(n, NB);
    const int kt = tile_count(k, NB);
    const int k_full = k / NB;
    const int k_rest = k % NB;
    const std::size_t tile = static_cast<std::size_t>(NB) * NB;
    const BetaVariant first = beta_variant(beta);
    const bool k_major = kern.make_k_major != nullptr;

    const std::size_t panel_bytes = std::max<std::size_t>(1, kt * tile * sizeof(T));
    const int group = static_cast<int>(std::clamp<std::size_t>((1u << 20) / panel_bytes, 1, 64));

    // A whole C tile whose columns do not all start on a 64-byte boundary is worked on in an
    // aligned copy with padded columns while its K tiles run, and copied back after them: the
    // kernels' loads and stores of C that cross cache lines cost more than the two copies. Every
    // operation and its order are the same, so are the bits.
    constexpr int kLocalLd = static_cast<int>((NB * sizeof(T) + 63) / 64 * 64 / sizeof(T));
    alignas(64) T local[NB * kLocalLd];
    const bool c_aligned = (m * sizeof(T)) % 64 == 0;

    for (int q0 = 0; q0 < nt; q0 += group) {
        const int q1 = std::min(nt, q0 + group);
        for (int r = 0; r < mt; ++r) {
            const int rows = std::min(NB, m - r * NB);
            const T* a_row = pa + static_cast<std::size_t>(r) * kt * tile;
            for (int q = q0; q < q1; ++q) {
                const int cols = std::min(NB, n - q * NB);
                const T* b_col = pb + static_cast<std::size_t>(q) * kt * tile;
                T* cb = c + static_cast<std::size_t>(q) * NB * m + static_cast<std::size_t>(r) * NB;
                const bool whole = rows == NB && cols == NB;
                const bool staged =
                    whole && !(c_aligned && reinterpret_cast<std::uintptr_t>(cb) % 64 == 0);
                T* ct = staged ? local : cb;
                const int ld = staged ? kLocalLd : m;
                // (Beta 0 with a whole K tile: the first tile writes every element unread.)
                if (staged && !(first == BetaVariant::Zero && k_full > 0))
                    for (int j = 0; j < NB; ++j)
                        std::memcpy(local + j * kLocalLd, cb + static_cast<std::size_t>(j) * m,
                                    NB * sizeof(T));
                for (int t = 0; t < k_full; ++t) {
                    const BetaVariant v = t == 0 ? first : BetaVariant::One;
                    const T* at = a_row + t * tile;
                    const T* bt = b_col + t * tile;
                    if (whole)
                        kern.full_tile(v, beta, at, bt, ct, ld);
                    else
                        edge_tile<T, NB>(v, beta, at, k_major, bt, ct, ld, rows, cols);
                }
                // The remainder of K; with no whole K tile it is also where beta is applied.
                if (k_rest > 0 || k_full == 0)
                    k_remainder<T, NB>(k_full == 0, first, beta, a_row + k_full * tile,
                                       b_col + k_full * tile, ct, ld, rows, cols, k_rest);
                if (staged)
                    for (int j = 0; j < NB; ++j)
                        std::memcpy(cb + static_cast<std::size_t>(j) * m, local + j * kLocalLd,
                                    NB * sizeof(T));
            }
        }
    }
}

}  // namespace

bool tile_isa_supported(TileIsa isa) {
    return app::isa_allows(app::processor_isa(), tile_isa_row(isa).required);
}

TileIsa preferred_tile_isa() {
    return tile_isa_for(app::chosen_isa());
}

template <class T>
GemmStatus gemm_blocked(TileIsa isa, bool compute, int nb, T beta, T alpha, int m, int k, int n,
                        const T* a, const T* b, T* c) {
    constexpr int kTile = sizeof(T) == sizeof(float) ? kSgemmTile : kDgemmTile;
    if (m < 0 || k < 0 || n < 0 || nb <= 0) return GemmStatus::InvalidSize;
    if (compute && nb != kTile) return GemmStatus::InvalidSize;
    if (m == 0 || n == 0) return GemmStatus::Ok;
    if (!c || (k > 0 && (!a || !b))) return GemmStatus::InvalidSize;
    if (!tile_isa_supported(isa)) isa = TileIsa::Plain;

    // A rectangular C goes through a scratch, held for the whole call so that C can always be
    // turned back whatever else fails to allocate: C is either the product or unchanged. A
    // square C is transposed by swaps and needs none.
    AlignedBlock scratch;
    if (m != n) {
        scratch = AlignedBlock::allocate(static_cast<std::size_t>(m) * n * sizeof(T));
        if (!scratch) return GemmStatus::OutOfMemory;
        transpose_through(c, m, n, nb, scratch.as<T>());
    } else {
        transpose_in_place(c, m, n, nb);
    }
    // Packed A starts on a 64-byte boundary, packed B 16 bytes past one.
    AlignedBlock pa = AlignedBlock::allocate(packed_elements(m, k, nb) * sizeof(T), 0);
    AlignedBlock pb = AlignedBlock::allocate(packed_elements(k, n, nb) * sizeof(T), 16);
    const bool ok = pa && pb;
    if (ok) {
        // Kernels that read A k-major get their whole tiles packed that way.
        const bool k_major = compute && tile_kernels<T>(isa).make_k_major != nullptr;
        pack_a(a, m, k, alpha, nb, pa.as<T>(), k_major);
        pack_b(b, k, n, nb, pb.as<T>());
        if (compute)
            blocked_multiply<T, kTile>(tile_kernels<T>(isa), beta, m, k, n, pa.as<T>(), pb.as<T>(),
                                       c);
    }
    pa = AlignedBlock();
    pb = AlignedBlock();
    if (m != n)
        transpose_through(c, n, m, nb, scratch.as<T>());
    else
        transpose_in_place(c, m, n, nb);
    return ok ? GemmStatus::Ok : GemmStatus::OutOfMemory;
}

template GemmStatus gemm_blocked<float>(TileIsa, bool, int, float, float, int, int, int,
                                        const float*, const float*, float*);
template GemmStatus gemm_blocked<double>(TileIsa, bool, int, double, double, int, int, int,
                                         const double*, const double*, double*);

}  // namespace blas
