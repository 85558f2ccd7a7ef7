// Every headline figure against values worked out by hand from its definition: the bandwidth
// MB/s, the latency cycles and nanoseconds, the STREAM rates, the MFLOPS, the AES MB/s and the
// sub-scores. Where a figure is measured, a counter that moves one tick per reading makes the
// measured time exact, so the whole measurement is checked, not only its last line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "blas/mflops.h"
#include "cipher/cipher_run.h"
#include "membench/bandwidth.h"
#include "membench/latency.h"
#include "stream/stream_run.h"
#include "suite/scores.h"
#include "support/fake_counter.h"

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
using Buffer = std::unique_ptr<unsigned char[], FreeDeleter>;
Buffer aligned_buffer(std::size_t bytes) {
    return Buffer(static_cast<unsigned char*>(std::aligned_alloc(64, bytes)));
}

TEST(Figures, BandwidthIsBytesReadAndWrittenPerRepetitionInMebibytesPerSecond) {
    const struct {
        int size;
        float reps;
        double seconds;
        float mbs;
    } rows[] = {
        // 2 x 4096 B = 8192 B per repetition; 1/1024 s / 256 = 2^-18 s each: 2^31 B/s.
        {4096, 256, 1.0 / 1024, 2048.0f},
        // 2 x 16 MiB = 32 MiB per repetition; 2 s / 100 = 0.02 s each: 32 / 0.02 = 1600.
        {16777216, 100, 2.0, 1600.0f},
        {4096, 256, 0.0, 0.0f},  // a counter that did not move measured nothing
    };
    for (const auto& r : rows)
        EXPECT_FLOAT_EQ(membench::bandwidth_mbs(r.size, r.reps, r.seconds), r.mbs) << r.size;

    // The whole measurement: each method's pair of readings is one tick of 1/1024 s, so every
    // method that runs scores the first row's 2048 MB/s; a method the processor lacks reads -1
    // and never wins, slots 10-13 stay empty.
    testing_support::SteppingCounter counter(1024.0);
    Buffer a = aligned_buffer(8192), b = aligned_buffer(8192);
    const struct {
        membench::CopyIsa isa;
        int methods;  // slots 0 to methods-1 run
    } isas[] = {{{false, false}, 4}, {{true, false}, 8}, {{true, true}, 10}};
    for (const auto& v : isas) {
        membench::BandwidthRow row{};
        EXPECT_EQ(membench::measure_bandwidth(4096, 256, a.get(), b.get(), row, v.isa), 2048.0f);
        for (int slot = 0; slot < membench::kMethodSlots; ++slot) {
            const float want = slot < v.methods ? 2048.0f
                               : slot < 10      ? membench::kIsaNotSupported
                                                : 0.0f;
            EXPECT_EQ(row[slot], want) << v.methods << " methods, slot " << slot;
        }
    }
}

TEST(Figures, LatencyCellIsCyclesPerLoadAndNanosecondsFollowTheClock) {
    // One tick of 1 s per attempt, so the first attempt (2 passes) stands; at 1 MHz that is
    // 1 000 000 cycles over 2 passes of (1024 / stride - 1) loads, truncated.
    testing_support::SteppingCounter counter(1.0);
    membench::LatencyOptions opt;
    opt.rows = 1;
    opt.min_seconds = 1.0;
    std::vector<uint32_t> chain(membench::chain_entries(opt.rows));
    membench::LatencyTable t{};
    membench::measure_latency(t, 1.0, chain.data(), opt);
    EXPECT_EQ(t[1][1], 488);    // stride 1 entry: 1e6 / (2 x 1023) = 488.76
    EXPECT_EQ(t[1][4], 3937);   // stride 8 entries: 1e6 / (2 x 127) = 3937.01
    EXPECT_EQ(t[1][8], 71428);  // stride 128 entries: 1e6 / (2 x 7) = 71428.57

    EXPECT_DOUBLE_EQ(membench::cycles_to_ns(175, 2000.0), 87.5);         // 175 / 2e9 s
    EXPECT_DOUBLE_EQ(membench::cycles_to_ns(262, 3000.0), 262.0 / 3.0);  // 87.33 ns
    EXPECT_DOUBLE_EQ(membench::cycles_to_ns(3000, 1500.0), 2000.0);
    EXPECT_EQ(membench::cycles_to_ns(175, 0.0), 0.0);  // unknown clock rate
}

TEST(Figures, StreamRateCountsEveryThreadsBytesInDecimalMegabytes) {
    // A whole run on two threads: each kernel call is the coordinator's two readings around
    // the two threads' two each, 5 ticks at 5 MHz = 1 us. With 5000 elements a thread moves
    // 80 000 B (Copy, Scale) or 120 000 B (Add, Triad); two threads in 1 us give 160 000 and
    // 240 000 MB/s.
    testing_support::SteppingCounter counter(5e6);
    stream::StreamRunInput input;
    input.sizes.n = 5000;
    input.sizes.iterations = 5;
    input.sizes.threads = 2;
    const stream::StreamOutcome out = stream::run_stream_benchmark(input, nullptr);
    ASSERT_TRUE(out.ok) << out.error;
    const double want[4] = {160000.0, 160000.0, 240000.0, 240000.0};
    for (int j = 0; j < 4; ++j) {
        EXPECT_DOUBLE_EQ(out.rates[j][stream::kFormSse2], want[j]) << j;
        EXPECT_DOUBLE_EQ(out.rates[j][stream::kFormSse2Block], want[j]) << j;
    }
}

TEST(Figures, MflopsCountsMTimesNTimesTwoKMinusOneOperations) {
    const struct {
        int m, k, n;
        double seconds, mflops;
    } rows[] = {
        // 1536^2 x (2 x 1536 - 1) = 2 359 296 x 3071 = 7 245 398 016 operations in 1 s.
        {1536, 1536, 1536, 1.0, 7245.398016},
        // m 2 x 4 = 8 results of 2 x 3 - 1 = 5 operations: 40 in 1 us.
        {2, 3, 4, 1e-6, 40.0},
        {64, 64, 64, 0.0, 0.0},  // no time measured: no figure
    };
    for (const auto& r : rows)
        EXPECT_DOUBLE_EQ(blas::mflops_from_time(r.m, r.k, r.n, r.seconds), r.mflops) << r.m;

    // The timed call: one tick of 1 us. 64^2 x 127 = 520 192 and 60^2 x 119 = 428 400
    // operations in 1 us.
    testing_support::SteppingCounter counter(1e6);
    EXPECT_DOUBLE_EQ(blas::sgemm_mflops(64, 64, 64).mflops, 520192.0);
    EXPECT_DOUBLE_EQ(blas::dgemm_mflops(60, 60, 60).mflops, 428400.0);
}

TEST(Figures, AesRateIsAllPassesBytesInMebibytesPerSecond) {
    // 100 passes of 16e6 B = 1.6e9 B; in 2 s: 8e8 / 1 048 576 = 762.939453125.
    EXPECT_EQ(cipher::cipher_rate(1.6e9, 2.0), 762.939453125);
    EXPECT_EQ(cipher::cipher_rate(16e6, 0.125), 122.0703125);  // 128e6 / 2^20
    EXPECT_EQ(cipher::cipher_rate(1.6e9, 0.0), 0.0);
}

TEST(Figures, StreamScoreAveragesTheBestFormOfEachKernel) {
    // Per kernel the best of its three forms (-1 and the unfilled x87 0 never count),
    // each scored against its reference, the four averaged.
    const struct {
        stream::RateTable rates;
        float want;
    } streams[] = {
        // Every kernel at its reference (Copy 3595.75, Scale 3572.05, Add 3460.89, Triad
        // 3442.99) in one form or another: 1000.
        {{{{0.0, 3595.75, 1.0}, {0.0, 1.0, 3572.05}, {0.0, 3460.89, -1.0}, {0.0, -1.0, 3442.99}}},
         1000.0f},
        // Every kernel at twice its reference: 2000.
        {{{{0.0, 7191.5, 0.0}, {0.0, 7144.1, 0.0}, {0.0, 6921.78, 0.0}, {0.0, 6885.98, 0.0}}},
         2000.0f},
        // Copy twice (2000), Scale at (1000), Add never ran (0), Triad at half (500):
        // (2000 + 1000 + 0 + 500) / 4 = 875.
        {{{{0.0, 3595.75, 7191.5},
           {0.0, 3572.05, -1.0},
           {0.0, -1.0, -1.0},
           {0.0, 1721.495, 1000.0}}},
         875.0f},
    };
    for (const auto& r : streams)
        EXPECT_NEAR(stream::stream_score(r.rates), r.want, 0.01) << &r - streams;
}

TEST(Figures, SubScoreSinglePrecisionExceptTheCipher) {
    // Float and double arithmetic round these figures differently (checked by the EXPECT_NEs);
    // each score must match its own precision bit for bit.
    const float t = 2.59f;
    const float single = (75.75f - t) / t * 1000.0f + 1000.0f;
    EXPECT_EQ(suite::md_subscore(t), single);
    EXPECT_NE(single, static_cast<float>((75.75 - double(t)) / double(t) * 1000.0 + 1000.0));
    const double r = 123.456;
    const float wide = static_cast<float>((r - 112.51) / 112.51 * 1000.0 + 1000.0);
    EXPECT_EQ(suite::cipher_subscore(r), wide);
    EXPECT_NE(wide, (static_cast<float>(r) - 112.51f) / 112.51f * 1000.0f + 1000.0f);
}

TEST(Figures, SubScoreOnlyPositiveFiniteFiguresAreUsable) {
    EXPECT_TRUE(suite::usable_figure(1e-9));
    for (double bad : {0.0, -3.0, HUGE_VAL, std::nan("")}) EXPECT_FALSE(suite::usable_figure(bad));
}

}  // namespace
