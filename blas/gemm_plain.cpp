// The plain tile kernels: scalar arithmetic in the documented order of accumulation. They run
// on every processor and are the reference the vector kernels are tested against.
#include <cstdint>

#include "blas/gemm_tiles.h"

namespace blas {
namespace {

inline void prefetch_nt(const void* base, std::size_t offset) {
    // An address past the buffer is harmless for a prefetch; form it without pointer
    // arithmetic so it is never an out-of-range pointer.
    __builtin_prefetch(
        reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(base) + offset), 0, 0);
}

template <class T>
inline T start_value(BetaVariant v, T beta, T c) {
    switch (v) {
        case BetaVariant::Zero:
            return T(0);
        case BetaVariant::One:
            return c;
        case BetaVariant::Scale:
            break;
    }
    return beta * c;
}

// One column of B at a time against the whole A tile, G rows per group, two k values per
// accumulation step. The prefetches fetch the column six ahead, one cache line per 16 k.
template <class T, int NB, int G>
void plain_full_tile(BetaVariant v, T beta, const T* a, const T* b, T* c, int ldc) {
    static_assert(NB % G == 0 && NB % 2 == 0);
    constexpr std::size_t ahead = 6 * NB * sizeof(T);
    for (int j = 0; j < NB; ++j) {
        const T* bj = b + static_cast<std::size_t>(j) * NB;
        prefetch_nt(bj, ahead);
        prefetch_nt(bj, ahead + 64);
        prefetch_nt(bj, ahead + 128);
        prefetch_nt(bj, ahead + 192);
        T* cj = c + static_cast<std::size_t>(j) * ldc;
        for (int i0 = 0; i0 < NB; i0 += G) {
            T s[G] = {};
            const T* ai = a + static_cast<std::size_t>(i0) * NB;
            for (int k = 0; k < NB; k += 2)
                for (int g = 0; g < G; ++g)
                    s[g] += ai[g * NB + k] * bj[k] + ai[g * NB + k + 1] * bj[k + 1];
            for (int g = 0; g < G; ++g) {
                T& out = cj[i0 + g];
                out = (v == BetaVariant::Zero) ? s[g] : start_value(v, beta, out) + s[g];
            }
        }
    }
}

template <class T, int NB, int G>
const TileKernels<T>& plain_table() {
    static const TileKernels<T> table{NB, nullptr, &plain_full_tile<T, NB, G>};
    return table;
}

}  // namespace

template <class T, int NB>
void edge_tile(BetaVariant v, T beta, const T* a, bool a_k_major, const T* b, T* c, int ldc,
               int rows, int cols) {
    // Eight steps of eight products in single precision, three of ten in double.
    constexpr int kStep = (NB == 64) ? 8 : 10;
    static_assert(NB % kStep == 0);
    // Distance between consecutive k of one row, and between rows.
    const std::size_t ks = a_k_major ? NB : 1;
    const std::size_t is = a_k_major ? 1 : NB;
    for (int j = 0; j < cols; ++j) {
        const T* bj = b + static_cast<std::size_t>(j) * NB;
        T* cj = c + static_cast<std::size_t>(j) * ldc;
        for (int i = 0; i < rows; ++i) {
            const T* ai = a + i * is;
            T acc = start_value(v, beta, cj[i]);
            for (int k0 = 0; k0 < NB; k0 += kStep) {
                T part = ai[k0 * ks] * bj[k0];
                for (int k = k0 + 1; k < k0 + kStep; ++k) part += ai[k * ks] * bj[k];
                acc += part;
            }
            cj[i] = acc;
        }
    }
}

template <class T, int NB>
void k_remainder(bool first, BetaVariant v, T beta, const T* a, const T* b, T* c, int ldc, int rows,
                 int cols, int ks) {
    for (int j = 0; j < cols; ++j) {
        const T* bj = b + static_cast<std::size_t>(j) * NB;
        T* cj = c + static_cast<std::size_t>(j) * ldc;
        for (int i = 0; i < rows; ++i) {
            const T* ai = a + static_cast<std::size_t>(i) * NB;
            T acc = first ? start_value(v, beta, cj[i]) : cj[i];
            int k = 0;
            for (; k + 4 <= ks; k += 4)
                acc += ai[k] * bj[k] + ai[k + 1] * bj[k + 1] + ai[k + 2] * bj[k + 2] +
                       ai[k + 3] * bj[k + 3];
            for (; k < ks; ++k) acc += ai[k] * bj[k];
            cj[i] = acc;
        }
    }
}

template void edge_tile<float, 64>(BetaVariant, float, const float*, bool, const float*, float*,
                                   int, int, int);
template void edge_tile<double, 30>(BetaVariant, double, const double*, bool, const double*,
                                    double*, int, int, int);
template void k_remainder<float, 64>(bool, BetaVariant, float, const float*, const float*, float*,
                                     int, int, int, int);
template void k_remainder<double, 30>(bool, BetaVariant, double, const double*, const double*,
                                      double*, int, int, int, int);

namespace {

// Fastest first; the plain row runs everywhere.
constexpr app::IsaKernel<TileFamily> kTileFamilies[] = {
    {"AVX-512",
     app::kIsaAvx | app::kIsaAvx2 | app::kIsaFma | app::kIsaAvx512f,
     {TileIsa::Avx512, sgemm_tile_kernels_avx512, dgemm_tile_kernels_avx512}},
    {"AVX2+FMA",
     app::kIsaAvx | app::kIsaAvx2 | app::kIsaFma,
     {TileIsa::Avx2Fma, sgemm_tile_kernels_avx2, dgemm_tile_kernels_avx2}},
    {"plain",
     app::kIsaPlain,
     {TileIsa::Plain, plain_table<float, 64, 4>, plain_table<double, 30, 5>}},
};

}  // namespace

const app::IsaKernel<TileFamily>& tile_isa_row(TileIsa isa) {
    switch (isa) {
        case TileIsa::Avx512:
            return kTileFamilies[0];
        case TileIsa::Avx2Fma:
            return kTileFamilies[1];
        case TileIsa::Plain:
            break;
    }
    return kTileFamilies[2];
}

TileIsa tile_isa_for(app::IsaFeatures available) {
    return app::pick_kernel(kTileFamilies, available).fn.isa;
}

const TileKernels<float>& sgemm_tile_kernels(TileIsa isa) {
    return tile_isa_row(isa).fn.sgemm();
}

const TileKernels<double>& dgemm_tile_kernels(TileIsa isa) {
    return tile_isa_row(isa).fn.dgemm();
}

}  // namespace blas
