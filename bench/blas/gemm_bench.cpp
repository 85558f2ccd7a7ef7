// MFLOPS of our blocked multiply beside single-threaded OpenBLAS, at the benchmark's peak sizes
// (1536 single, 1530 double) and one middle size. Both get the same operands; our figure
// includes the transposition and packing, as the benchmark's timed call does.
#include <benchmark/benchmark.h>
#include <cblas.h>

#include <cstdint>
#include <vector>

#include "app/cpuid.h"
#include "app/processor_detect.h"
#include "blas/gemm.h"
#include "blas/gemm_blocked.h"
#include "blas/mflops.h"

namespace {

template <class T>
struct Operands {
    explicit Operands(int n) : a(std::size_t(n) * n), b(a.size()), c(a.size()) {
        blas::fill_operand(a.data(), n, n, 0);
        blas::fill_operand(b.data(), n, n, 1);
    }
    std::vector<T> a, b, c;
};

void set_counters(benchmark::State& state, int n) {
    // m n (2k - 1) operations per call, as the benchmark counts them.
    const double flops = double(n) * n * (2.0 * n - 1.0);
    state.counters["MFLOPS"] =
        benchmark::Counter(flops / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_sgemm_lumetra(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Operands<float> op(n);
    for (auto _ : state) {
        blas::sgemm("C", 'n', 'n', 0.0f, 1.0f, n, n, n, op.a.data(), op.b.data(), op.c.data());
        benchmark::ClobberMemory();
    }
    set_counters(state, n);
}

void BM_sgemm_openblas(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Operands<float> op(n);
    for (auto _ : state) {
        cblas_sgemm(CblasRowMajor, CblasNoTrans, CblasNoTrans, n, n, n, 1.0f, op.a.data(), n,
                    op.b.data(), n, 0.0f, op.c.data(), n);
        benchmark::ClobberMemory();
    }
    set_counters(state, n);
}

void BM_dgemm_lumetra(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Operands<double> op(n);
    for (auto _ : state) {
        blas::dgemm("C", 'n', 0, 0.0, 1.0, n, n, n, op.a.data(), op.b.data(), op.c.data());
        benchmark::ClobberMemory();
    }
    set_counters(state, n);
}

void BM_dgemm_openblas(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Operands<double> op(n);
    for (auto _ : state) {
        cblas_dgemm(CblasRowMajor, CblasNoTrans, CblasNoTrans, n, n, n, 1.0, op.a.data(), n,
                    op.b.data(), n, 0.0, op.c.data(), n);
        benchmark::ClobberMemory();
    }
    set_counters(state, n);
}

// One tile-kernel family forced (0 plain, 1 AVX2+FMA, 2 AVX-512), for what a processor with
// only that family would see; families this processor lacks run the plain kernels.
template <class T>
void gemm_family(benchmark::State& state, int nb) {
    const int n = static_cast<int>(state.range(0));
    const auto isa = static_cast<blas::TileIsa>(state.range(1));
    if (!blas::tile_isa_supported(isa)) {
        state.SkipWithError("this processor lacks the family");
        return;
    }
    Operands<T> op(n);
    for (auto _ : state) {
        blas::gemm_blocked<T>(isa, true, nb, T(0), T(1), n, n, n, op.a.data(), op.b.data(),
                              op.c.data());
        benchmark::ClobberMemory();
    }
    set_counters(state, n);
}
void BM_dgemm_family(benchmark::State& state) {
    gemm_family<double>(state, blas::kDgemmTile);
}
void BM_sgemm_family(benchmark::State& state) {
    gemm_family<float>(state, blas::kSgemmTile);
}

// Alternating ours and the peer at each size keeps them in the same conditions.
BENCHMARK(BM_sgemm_lumetra)->Arg(768)->Arg(1536)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_sgemm_openblas)->Arg(768)->Arg(1536)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_dgemm_lumetra)->Arg(750)->Arg(1530)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_dgemm_openblas)->Arg(750)->Arg(1530)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_dgemm_family)
    ->ArgsProduct({{1530}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_sgemm_family)
    ->ArgsProduct({{1536}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    app::DetectCpuFeatures(app::hardware_cpuid(), app::processor_info());
    // The comparison is with one thread of OpenBLAS.
    openblas_set_num_threads(1);
    // OpenBLAS picks its kernels from the processor model; a virtual machine's model can make it
    // take a far older core (0.3.21 takes "Prescott" on a Sapphire Rapids guest). Set
    // OPENBLAS_CORETYPE (SkylakeX, Haswell, Zen) to give it the kernels the processor can run.
    benchmark::AddCustomContext("openblas_core", openblas_get_corename());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

namespace {
// The full-tile kernel alone on tiles that stay in cache: how close the inner loop comes to
// the processor's peak, apart from packing and memory traffic.
template <class T>
void tile_kernel_only(benchmark::State& state, const blas::TileKernels<T>& kern) {
    const int nb = kern.nb;
    std::vector<T> storage(std::size_t(nb) * nb + 64), b(std::size_t(nb) * nb), c(b.size());
    // 64-byte alignment for the A tile, as in the packed buffer.
    T* at = storage.data();
    while (reinterpret_cast<std::uintptr_t>(at) % 64) ++at;
    blas::fill_operand(at, nb, nb, 0);
    blas::fill_operand(b.data(), nb, nb, 1);
    if (kern.make_k_major) kern.make_k_major(at);
    for (auto _ : state) {
        kern.full_tile(blas::BetaVariant::One, T(1), at, b.data(), c.data(), nb);
        benchmark::ClobberMemory();
    }
    state.counters["MFLOPS"] =
        benchmark::Counter(2.0 * nb * nb * nb / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
void BM_dgemm_tile_kernel(benchmark::State& state) {
    tile_kernel_only<double>(state, blas::dgemm_tile_kernels(blas::preferred_tile_isa()));
}
void BM_sgemm_tile_kernel(benchmark::State& state) {
    tile_kernel_only<float>(state, blas::sgemm_tile_kernels(blas::preferred_tile_isa()));
}
BENCHMARK(BM_dgemm_tile_kernel);
BENCHMARK(BM_sgemm_tile_kernel);
}  // namespace

namespace {
// Transposition and packing alone ("X87" packs in tiles of 30 and computes nothing): the part
// of the timed call that is not the multiply.
void BM_dgemm_layout_only(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Operands<double> op(n);
    for (auto _ : state) {
        blas::dgemm("X87", 'n', 0, 0.0, 1.0, n, n, n, op.a.data(), op.b.data(), op.c.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_dgemm_layout_only)->Arg(1530)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace
