#include "membench/latency.h"

#include "app/counter.h"
#include "app/interrupt.h"

namespace membench {
namespace {

// Doubling stops here even if the counter never reaches the minimum time (a stopped clock
// must not hang the run).
constexpr long kMaxPasses = 1L << 30;

}  // namespace

std::size_t chain_entries(int rows) {
    if (rows < 1) return 1;
    return (std::size_t{1024} << (rows - 1)) + 1;
}

void measure_latency(LatencyTable& table, double mhz, uint32_t* chain,
                     const LatencyOptions& options, const std::function<void(int)>& progress) {
    for (int j = 1; j < kLatencyColumns; ++j) table[0][j] = 4 << (j - 1);
    const double frequency = app::counter_frequency();
    const int rows = options.rows < kLatencyRows ? options.rows : kLatencyRows - 1;
    for (int r = 1; r <= rows; ++r) {
        if (app::interrupt_requested()) return;  // between rows: a chase cannot stop
        if (progress) progress(r);
        const long n = 1024L << (r - 1);
        table[r][0] = static_cast<int32_t>(4 * n);
        for (int j = 1; j < kLatencyColumns; ++j) {
            const long s = 1L << (j - 1);
            // Each load jumps s entries forward; the fill also brings the region into the
            // caches before the first timed attempt.
            for (long i = 0; i <= n; ++i) chain[i] = static_cast<uint32_t>(i + s);
            const long m = n / s - 1;
            long k = 1;
            double t = 0;
            do {
                k *= 2;
                const int64_t t0 = app::counter_now();
                (void)chase_chain(k, m, chain);
                const int64_t t1 = app::counter_now();
                t = static_cast<double>(t1 - t0) / frequency;
            } while (t < options.min_seconds && k < kMaxPasses);
            table[r][j] = static_cast<int32_t>(mhz * t * 1000000.0 / static_cast<double>(k * m));
        }
    }
}

double cycles_to_ns(int cycles, double mhz) {
    if (!(mhz > 0.0)) return 0.0;
    return cycles / (mhz * 1000000.0) * 1000000000.0;
}

}  // namespace membench
