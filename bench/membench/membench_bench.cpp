// The memory benchmark's kernels against peers, in one run: every copy method over the 16 MiB
// main-memory block against a plain memcpy loop, the 16 MB latency cells against an
// independent pointer chase, and the random-order chase against an independent random chase.
// Run with --benchmark_enable_random_interleaving=true and --benchmark_repetitions so the DRAM
// drift of a shared machine hits both sides alike.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <random>
#include <vector>

#include "app/counter.h"
#include "membench/bandwidth.h"
#include "membench/latency.h"
#include "membench/random_chase.h"

namespace {

constexpr std::size_t kBuffer = 33554432;
constexpr int kBlock = 16777216;

struct Buffers {
    Buffers() {
        a = static_cast<char*>(std::aligned_alloc(64, kBuffer));
        b = static_cast<char*>(std::aligned_alloc(64, kBuffer));
        std::memset(a, 1, kBuffer);
        std::memset(b, 2, kBuffer);
    }
    ~Buffers() {
        std::free(a);
        std::free(b);
    }
    char* a;
    char* b;
};

Buffers& buffers() {
    static Buffers b;
    return b;
}

// One repetition of a copy method over the 16 MiB block; bytes = read plus written, as the
// memory benchmark counts them.
void BM_MemMethod(benchmark::State& state) {
    const int slot = static_cast<int>(state.range(0));
    Buffers& buf = buffers();
    for (auto _ : state) membench::run_copy_method(slot, kBlock, 1, buf.a, buf.b);
    state.SetBytesProcessed(state.iterations() * 2LL * kBlock);
    state.SetLabel(membench::method_name(slot));
}
BENCHMARK(BM_MemMethod)->DenseRange(0, 9)->Unit(benchmark::kMillisecond)->UseRealTime();

// Peer: a plain memcpy loop over the same 16 MiB.
void BM_PeerMemcpy(benchmark::State& state) {
    Buffers& buf = buffers();
    for (auto _ : state) {
        std::memcpy(buf.b, buf.a, kBlock);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 2LL * kBlock);
}
BENCHMARK(BM_PeerMemcpy)->Unit(benchmark::kMillisecond)->UseRealTime();

// The latency cell as the run measures it: the 16 MB chain at a stride, passes from index 0.
void BM_LatencyCell16MB(benchmark::State& state) {
    const long s = state.range(0) / 4;  // entries
    const long n = 4194304;
    static std::vector<uint32_t> chain(membench::kChainEntries);
    for (long i = 0; i <= n; ++i) chain[static_cast<std::size_t>(i)] = static_cast<uint32_t>(i + s);
    const long m = n / s - 1;
    for (auto _ : state) benchmark::DoNotOptimize(membench::chase_chain(1, m, chain.data()));
    state.counters["ns_per_load"] = benchmark::Counter(
        static_cast<double>(m) * 1e-9,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LatencyCell16MB)
    ->Arg(64)
    ->Arg(256)
    ->Arg(512)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Peer: an independent forward chase over 16 MiB of its own, written here as plain C++.
void BM_PeerChase16MB(benchmark::State& state) {
    const std::size_t stride = static_cast<std::size_t>(state.range(0)) / sizeof(uint32_t);
    const std::size_t count = 16u << 20 >> 2;
    static std::vector<uint32_t> next(count + 1);
    for (std::size_t i = 0; i < count; i += stride) next[i] = static_cast<uint32_t>(i + stride);
    const std::size_t loads = count / stride - 1;
    for (auto _ : state) {
        // Only the result escapes, so nothing but the dependent loads runs in the loop.
        uint32_t p = 0;
        const uint32_t* chain = next.data();
        for (std::size_t k = 0; k < loads; ++k) p = chain[p];
        benchmark::DoNotOptimize(p);
    }
    state.counters["ns_per_load"] = benchmark::Counter(
        static_cast<double>(loads) * 1e-9,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PeerChase16MB)
    ->Arg(64)
    ->Arg(256)
    ->Arg(512)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The whole latency cell procedure (doubling to 0.03 s, truncated cycles) for the 16 MB row at
// 512 bytes, converted back to nanoseconds at the counter's clock rate.
void BM_LatencyCellProcedure(benchmark::State& state) {
    const double mhz = app::counter_frequency() / 1e6;
    static std::vector<uint32_t> chain(membench::kChainEntries);
    double ns = 0;
    for (auto _ : state) {
        membench::LatencyTable t{};
        membench::LatencyOptions opt;
        opt.rows = 13;
        // Rows below 13 are cheap next to the 16 MB row; measure them all as the run does.
        membench::measure_latency(t, mhz, chain.data(), opt);
        ns = membench::cycles_to_ns(t[13][8], mhz);
    }
    state.counters["cell_ns"] = ns;
}
BENCHMARK(BM_LatencyCellProcedure)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// On a shared machine the other programs only ever add time: compare the fastest repetitions.
double min_of(const std::vector<double>& v) {
    return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
}

// Processor time, not wall time: a chase that is descheduled on a busy machine waits without
// loading. The random chase as the memory run measures it: one random cycle over the region, one
// load per 64-byte element; the regions are the second-level cache (256 KiB), the last level (8
// MiB) and main memory (64 MiB).
void BM_RandomChase(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0)) / 64;
    static std::vector<membench::ChaseElement> elements;
    elements.assign(count, {});
    membench::build_random_cycle(elements.data(), count, 12345);
    membench::ChaseElement* p = membench::chase(elements.data(), count);
    for (auto _ : state) {
        p = membench::chase(p, count);
        benchmark::DoNotOptimize(p);
    }
    state.counters["ns_per_load"] = benchmark::Counter(
        static_cast<double>(count) * 1e-9,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RandomChase)
    ->Arg(256 << 10)
    ->Arg(8 << 20)
    ->Arg(64 << 20)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", min_of);

// Peer: an independent random chase written here: indices instead of pointers, the order from
// std::shuffle with the standard Mersenne twister, each element pointing at the next one in
// that order (a single cycle by construction).
void BM_PeerRandomChase(benchmark::State& state) {
    struct alignas(64) Line {
        std::size_t next;
    };
    const std::size_t count = static_cast<std::size_t>(state.range(0)) / sizeof(Line);
    static std::vector<Line> lines;
    lines.assign(count, {});
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::mt19937_64 rng(987654321);
    std::shuffle(order.begin(), order.end(), rng);
    for (std::size_t i = 0; i < count; ++i) lines[order[i]].next = order[(i + 1) % count];
    std::size_t at = order[0];
    for (std::size_t k = 0; k < count; ++k) at = lines[at].next;
    for (auto _ : state) {
        const Line* base = lines.data();
        for (std::size_t k = 0; k < count; ++k) at = base[at].next;
        benchmark::DoNotOptimize(at);
    }
    state.counters["ns_per_load"] = benchmark::Counter(
        static_cast<double>(count) * 1e-9,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PeerRandomChase)
    ->Arg(256 << 10)
    ->Arg(8 << 20)
    ->Arg(64 << 20)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", min_of);

}  // namespace

BENCHMARK_MAIN();
