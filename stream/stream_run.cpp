#include "stream/stream_run.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/console.h"
#include "app/counter.h"
#include "app/format.h"
#include "app/thread.h"
#include "stream/stream_kernels.h"

namespace stream {
namespace {

constexpr const char* kDashes = "-------------------------------------------------------------";
constexpr const char* kLabels[kKernelCount] = {
    "Copy:      ", "Scale:     ", "Add:       ", "Triad:     "};
constexpr double kBytesPerElement[kKernelCount] = {2 * 8, 2 * 8, 3 * 8, 3 * 8};
constexpr double kReferences[kKernelCount] = {3595.75, 3572.05, 3460.89, 3442.99};
// The scalar of Scale and Triad: it changes the array contents, not the traffic.
constexpr double kScalar = 3.0;

void log(const std::string& text) {
    app::ConsoleLog(text);
}

struct Stats {
    double rms, min, max;
};

// Iterations 2 to iterations-3: the first two and the last two are left out.
Stats stats_of(const std::function<double(int)>& time_of, int iterations) {
    double sum = 0, mn = 3.4028234663852886e38, mx = 0;
    int count = 0;
    for (int k = 2; k <= iterations - 3; ++k) {
        const double t = time_of(k);
        sum += t * t;
        mn = std::min(mn, t);
        mx = std::max(mx, t);
        ++count;
    }
    return {std::sqrt(sum / count), mn, mx};
}

void log_rate_line(int j, double rate, const Stats& s) {
    log(app::strprintf("%s%11.4f  %11.4f  %11.4f  %11.4f\r\n", kLabels[j], rate, s.rms, s.min,
                       s.max));
}

// Kernel j of a form on thread t's arrays.
void run_kernel(const StreamKernelSet& form, int j, StreamThreads& th, int t) {
    static const double q = kScalar;
    const long n = th.n();
    double* a = th.a(t);
    double* b = th.b(t);
    double* c = th.c(t);
    switch (j) {
        case kCopy:
            form.copy(c, a, n);
            break;
        case kScale:
            form.scale(b, c, q, n);
            break;
        case kAdd:
            form.add(c, a, b, n);
            break;
        default:
            form.triad(c, a, b, q, n);
            break;
    }
}

class Coordinator {
  public:
    Coordinator(const StreamRunInput& input, app::RunRecord* record)
        : input_(input),
          record_(record),
          frequency_(app::counter_frequency()),
          threads_(input.sizes.threads > 0 ? input.sizes.threads : app::physical_processor_count(),
                   input.sizes.n, std::max(input.sizes.iterations, 5), input.sizes.allocate),
          iterations_(std::max(input.sizes.iterations, 5)),
          whole_(static_cast<std::size_t>(iterations_) * 4, 0.0) {
        out_.threads = threads_.count();
        out_.rates = input.rates;
    }

    StreamOutcome run() {
        log_header();
        if (!threads_.run_on_all([this](int t) { threads_.init(t); })) return fail_thread();
        for (int t = 0; t < threads_.count(); ++t) {
            if (!threads_.allocated(t)) {
                cleanup();
                return fail(app::strprintf(
                    "Error: Could not allocate the STREAM arrays (%ld bytes each) for thread %d.",
                    threads_.n() * 8, t));
            }
        }
        if (!input_.sse2) {
            for (auto& row : out_.rates) row[kFormSse2] = row[kFormSse2Block] = kNotSupported;
            log("ISA not supported, skipping SSE2 tests...\r\n");
            log(app::with_cursor(kDashes));
            cleanup();
            out_.ok = true;
            return out_;
        }
        // The input allows the SSE2 forms; the widest the decision allows runs.
        const app::IsaFeatures isa = app::chosen_isa() | kPrefetchForms[kSse2Row].required;
        const StreamForm& prefetch = app::pick_kernel(kPrefetchForms, isa);
        const StreamForm& block = app::pick_kernel(kBlockForms, isa);
        out_.prefetch_kernels = prefetch.name;
        out_.block_kernels = block.name;
        log(app::strprintf("%s\r\n", kPrefetchPass));
        if (!pass(kPrefetchPass, prefetch)) return fail_thread();
        report(kFormSse2);
        log(app::strprintf("%s\r\n", kBlockPass));
        if (!pass(kBlockPass, block)) return fail_thread();
        // Both passes ran on the same arrays, one round of the four kernels per iteration.
        std::string invalid;
        for (int t = 0; t < threads_.count() && invalid.empty(); ++t)
            invalid = check_stream_arrays(threads_.a(t), threads_.b(t), threads_.c(t), threads_.n(),
                                          2 * iterations_, t);
        cleanup();
        report(kFormSse2Block);
        if (!invalid.empty()) return fail(invalid);
        out_.ok = true;
        return out_;
    }

  private:
    void log_header() {
        const long n = input_.sizes.n;
        log(app::strprintf("%s\r\n", kDashes));
        log(app::strprintf("This system uses %d bytes per DOUBLE PRECISION word.\r\n", 8));
        log(app::strprintf("%s\r\n", kDashes));
        log(app::strprintf("Array size = %ld\r\n", n));
        log(app::strprintf("Total memory required = %.1f MB.\r\n",
                           3.0 * 8.0 * static_cast<double>(n) / 1048576.0));
        log(app::strprintf("Each test is run %d times, but only\r\n", iterations_));
        log("the *best* time for each is used.\r\n");
        log(app::strprintf("%s\r\n", kDashes));
        log(app::strprintf("# Threads: %d\r\n", threads_.count()));
    }

    bool pass(const char* phase, const StreamForm& form) {
        total_ = 0;
        for (int k = 0; k < iterations_; ++k) {
            if (record_) record_->set_progress(phase, k + 1, iterations_);
            for (int j = 0; j < kKernelCount; ++j) {
                const int64_t t0 = app::counter_now();
                const bool ok = threads_.run_on_all([this, &form, k, j](int t) {
                    // The time stamps sit directly around the kernel call.
                    const int64_t s0 = app::counter_now();
                    run_kernel(form.fn, j, threads_, t);
                    const int64_t s1 = app::counter_now();
                    threads_.time(t, k, j) = static_cast<double>(s1 - s0) / frequency_;
                });
                const int64_t t1 = app::counter_now();
                if (!ok) return false;
                const double seconds = static_cast<double>(t1 - t0) / frequency_;
                whole_[static_cast<std::size_t>(k) * 4 + static_cast<std::size_t>(j)] = seconds;
                total_ += seconds;
            }
        }
        return true;
    }

    void report(int form) {
        const int threads = threads_.count();
        const double n = static_cast<double>(threads_.n());
        log(app::strprintf("Total Execution Time: %6.2f s\r\n", total_));
        log("Function      Rate (MB/s)   RMS time     Min time     Max time\r\n");
        for (int j = 0; j < kKernelCount; ++j) {
            const Stats s = stats_of(
                [&](int k) {
                    return whole_[static_cast<std::size_t>(k) * 4 + static_cast<std::size_t>(j)];
                },
                iterations_);
            const double rate = stream_rate_mbs(kBytesPerElement[j] * n, s.min, threads);
            log_rate_line(j, rate, s);
            out_.rates[static_cast<std::size_t>(j)][static_cast<std::size_t>(form)] = rate;
        }
        if (threads > 1) {
            for (int t = 0; t < threads; ++t) {
                log(app::strprintf("Thread %d Bandwidth:\r\n", t));
                for (int j = 0; j < kKernelCount; ++j) {
                    const Stats s =
                        stats_of([&](int k) { return threads_.time(t, k, j); }, iterations_);
                    log_rate_line(j, stream_rate_mbs(kBytesPerElement[j] * n, s.min, 1), s);
                }
            }
        }
        log(app::with_cursor(kDashes));
    }

    void cleanup() {
        threads_.run_on_all([this](int t) { threads_.cleanup(t); });
    }

    StreamOutcome fail(const std::string& error) {
        app::ConsoleLog(app::with_cursor(error));
        StreamOutcome failed;
        failed.threads = out_.threads;
        failed.rates = input_.rates;  // the table stays as it was
        failed.error = error;
        return failed;
    }

    StreamOutcome fail_thread() {
        cleanup();
        return fail("Error: Could not create the STREAM threads.");
    }

    const StreamRunInput& input_;
    app::RunRecord* record_;
    const double frequency_;
    StreamThreads threads_;
    const int iterations_;
    std::vector<double> whole_;
    double total_ = 0;
    StreamOutcome out_;
};

}  // namespace

StreamOutcome run_stream_benchmark(const StreamRunInput& input, app::RunRecord* record) {
    Coordinator coordinator(input, record);
    return coordinator.run();
}

ArrayValues expected_array_values(int rounds) {
    ArrayValues v{1.0, 2.0, 0.0};
    for (int k = 0; k < rounds; ++k) {
        v.c = v.a;
        v.b = kScalar * v.c;
        v.c = v.a + v.b;
        v.c = v.a + kScalar * v.b;
    }
    return v;
}

std::string check_stream_arrays(const double* a, const double* b, const double* c, long n,
                                int rounds, int thread) {
    constexpr double kEpsilon = 1.0e-13;
    const ArrayValues expected = expected_array_values(rounds);
    const struct {
        const char* name;
        const double* array;
        double value;
    } arrays[] = {{"a", a, expected.a}, {"b", b, expected.b}, {"c", c, expected.c}};
    for (const auto& x : arrays) {
        double sum = 0;
        for (long i = 0; i < n; ++i) sum += std::fabs(x.array[i] - x.value);
        const double average = n > 0 ? sum / static_cast<double>(n) : 0.0;
        const double relative = x.value != 0.0 ? average / std::fabs(x.value) : average;
        if (!(relative <= kEpsilon))
            return app::strprintf(
                "Error: STREAM array %s[] of thread %d failed validation: expected %e, average "
                "relative error %e > %e.",
                x.name, thread, x.value, relative, kEpsilon);
    }
    return {};
}

double stream_rate_mbs(double bytes, double seconds, int threads) {
    return threads * 1.0e-6 * bytes / seconds;
}

float stream_score(const RateTable& rates) {
    float scores[kKernelCount];
    for (int j = 0; j < kKernelCount; ++j) {
        double best = 0;
        for (double v : rates[static_cast<std::size_t>(j)])
            if (v > best) best = v;
        const float b = static_cast<float>(best);
        const float ref = static_cast<float>(kReferences[j]);
        scores[j] = ((b - ref) / ref) * 1000.0f + 1000.0f;
    }
    return (scores[kScale] + scores[kCopy] + scores[kAdd] + scores[kTriad]) * 0.25f;
}

nlohmann::json rates_to_json(const RateTable& rates) {
    nlohmann::json out = nlohmann::json::array();
    for (const auto& row : rates) out.push_back(row);
    return out;
}

}  // namespace stream
