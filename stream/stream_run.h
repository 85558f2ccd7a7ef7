// One STREAM run: the per-thread arrays, the four kernels timed twenty times each in a
// prefetch pass ("SSE2 STREAM") and a block pass ("SSE2 BLOCK STREAM"), the report in the
// public STREAM layout, and the rate table the STREAM score is computed from.
#pragma once

#include <array>
#include <string>

#include <nlohmann/json.hpp>

#include "app/run_record.h"
#include "stream/stream_threads.h"

namespace stream {

inline constexpr long kArraySize = 2000000;
inline constexpr int kIterations = 20;
inline constexpr int kFormX87 = 0, kFormSse2 = 1, kFormSse2Block = 2;
inline constexpr double kNotSupported = -1.0;

// Rates in MB/s (10^6 bytes): [kernel][form], kernels Copy, Scale, Add, Triad; forms x87,
// SSE2, SSE2 block. The x87 form is shown but never run.
using RateTable = std::array<std::array<double, 3>, 4>;

// The run's sizes: the defaults are the benchmark's; tests inject small ones.
struct StreamSizes {
    long n = kArraySize;
    int iterations = kIterations;  // at least 5: the report leaves out the first and last two
    int threads = 0;               // 0: one per physical processor
    Allocator allocate = nullptr;  // null: the system's
};

struct StreamRunInput {
    bool sse2 = true;
    StreamSizes sizes;
    RateTable rates{};  // the table before the run; the passes overwrite their columns
};

struct StreamOutcome {
    bool ok = false;
    std::string error;
    int threads = 0;
    RateTable rates{};
    // The kernel rows the two passes ran (their headings stay the SSE2 ones whatever ran).
    std::string prefetch_kernels, block_kernels;
};

// The coordinator's whole run on the calling thread. Logs the report, writes progress into
// `record` when given.
StreamOutcome run_stream_benchmark(const StreamRunInput& input, app::RunRecord* record);

// The arrays' values after `rounds` rounds of Copy, Scale, Add and Triad from A = 1, B = 2,
// C = 0: the scalar arithmetic of the kernels, replayed.
struct ArrayValues {
    double a, b, c;
};
ArrayValues expected_array_values(int rounds);

// The arrays' check after the run, as STREAM makes it: each array's average absolute error
// against its expected value, relative to that value, must not exceed 1e-13 (an error that is
// not a number fails too). "" when all three validate, otherwise the error line.
std::string check_stream_arrays(const double* a, const double* b, const double* c, long n,
                                int rounds, int thread);

// MB/s (10^6 bytes) of one kernel call that moved `bytes` per thread on each of `threads`
// threads in `seconds` (its best time).
double stream_rate_mbs(double bytes, double seconds, int threads);

// The STREAM score: per kernel the best positive rate of its three forms against the
// reference machine, averaged over the four kernels.
float stream_score(const RateTable& rates);

nlohmann::json rates_to_json(const RateTable& rates);

}  // namespace stream
