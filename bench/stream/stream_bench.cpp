// STREAM Copy and Triad, both forms, on all threads through the run's own thread machinery
// (created, pinned, resumed and waited for per call, as the report times them), against a
// plain OpenMP loop over arrays of the same total size. Run with
// --benchmark_enable_random_interleaving=true and --benchmark_repetitions.
#include <benchmark/benchmark.h>

#include "app/thread.h"
#include "stream/stream_kernels.h"
#include "stream/stream_run.h"
#include "stream/stream_threads.h"

// The OpenMP peer (its own translation unit, compiled -O3 with OpenMP).
void omp_peer_init(double* a, double* b, double* c, long n);
void omp_peer_triad(double* a, const double* b, const double* c, double q, long n);
void omp_peer_copy(double* c, const double* a, long n);

namespace {

int threads() {
    return stream::stream_thread_count(app::physical_processor_count());
}

stream::StreamThreads& stream_threads() {
    static stream::StreamThreads* th = [] {
        auto* t = new stream::StreamThreads(threads(), stream::kArraySize, stream::kIterations);
        t->run_on_all([t](int i) { t->init(i); });
        return t;
    }();
    return *th;
}

template <int kKernel, bool kBlock>
void BM_Stream(benchmark::State& state) {
    stream::StreamThreads& th = stream_threads();
    static const double q = 3.0;
    const long n = th.n();
    for (auto _ : state) {
        th.run_on_all([&](int t) {
            if constexpr (kKernel == stream::kCopy) {
                kBlock ? stream::copy_block(th.c(t), th.a(t), n)
                       : stream::copy_prefetch(th.c(t), th.a(t), n);
            } else {
                kBlock ? stream::triad_block(th.c(t), th.a(t), th.b(t), q, n)
                       : stream::triad_prefetch(th.c(t), th.a(t), th.b(t), q, n);
            }
        });
    }
    const long bytes = (kKernel == stream::kCopy ? 16L : 24L) * n * th.count();
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["threads"] = th.count();
}
BENCHMARK(BM_Stream<stream::kCopy, false>)
    ->Name("BM_StreamCopy/prefetch")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Stream<stream::kCopy, true>)
    ->Name("BM_StreamCopy/block")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Stream<stream::kTriad, false>)
    ->Name("BM_StreamTriad/prefetch")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Stream<stream::kTriad, true>)
    ->Name("BM_StreamTriad/block")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

struct PeerArrays {
    PeerArrays() : n(stream::kArraySize * threads()) {
        a = new double[static_cast<std::size_t>(n)];
        b = new double[static_cast<std::size_t>(n)];
        c = new double[static_cast<std::size_t>(n)];
        omp_peer_init(a, b, c, n);
    }
    long n;
    double *a, *b, *c;
};

PeerArrays& peer() {
    static PeerArrays* p = new PeerArrays;
    return *p;
}

void BM_PeerOmpTriad(benchmark::State& state) {
    PeerArrays& p = peer();
    for (auto _ : state) {
        omp_peer_triad(p.a, p.b, p.c, 3.0, p.n);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 24L * p.n);
}
BENCHMARK(BM_PeerOmpTriad)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PeerOmpCopy(benchmark::State& state) {
    PeerArrays& p = peer();
    for (auto _ : state) {
        omp_peer_copy(p.c, p.a, p.n);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 16L * p.n);
}
BENCHMARK(BM_PeerOmpCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
