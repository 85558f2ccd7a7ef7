#include "app/counter.h"

#include <cpuid.h>
#include <time.h>
#include <x86intrin.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <string>

namespace app {
namespace {

int64_t monotonic_ns(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

bool cpu_has_invariant_tsc() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(0x80000000u, &a, &b, &c, &d) == 0 || a < 0x80000007u) return false;
    __cpuid(0x80000007u, a, b, c, d);
    return (d & (1u << 8)) != 0;
}

std::string kernel_clocksource() {
    std::ifstream in("/sys/devices/system/clocksource/clocksource0/current_clocksource");
    std::string name;
    in >> name;
    return name;
}

class MonotonicCounter final : public CounterSource {
  public:
    int64_t now() override { return monotonic_ns(CLOCK_MONOTONIC); }
    double frequency() override { return 1e9; }
};

inline int64_t read_tsc() {
    // lfence keeps the read from being hoisted above earlier loads.
    _mm_lfence();
    const int64_t t = static_cast<int64_t>(__rdtsc());
    _mm_lfence();
    return t;
}

class RealCounter final : public CounterSource {
  public:
    void init() {
        use_tsc_ = tsc_is_usable(cpu_has_invariant_tsc(), kernel_clocksource());
        if (!use_tsc_) {
            freq_ = 1e9;
            return;
        }
        // Measure the TSC against the raw monotonic clock over about 50 ms.
        const int64_t ns0 = monotonic_ns(CLOCK_MONOTONIC_RAW);
        const int64_t t0 = read_tsc();
        int64_t ns1 = ns0;
        while (ns1 - ns0 < 50'000'000) {
            timespec req{0, 5'000'000};
            nanosleep(&req, nullptr);
            ns1 = monotonic_ns(CLOCK_MONOTONIC_RAW);
        }
        const int64_t t1 = read_tsc();
        freq_ = static_cast<double>(t1 - t0) * 1e9 / static_cast<double>(ns1 - ns0);
        if (!(freq_ > 1e6)) {  // a TSC that did not tick: fall back
            use_tsc_ = false;
            freq_ = 1e9;
        }
    }
    int64_t now() override { return use_tsc_ ? read_tsc() : monotonic_counter().now(); }
    double frequency() override { return freq_; }
    bool tsc() const { return use_tsc_; }

  private:
    bool use_tsc_ = false;
    double freq_ = 1e9;
};

RealCounter& real() {
    static RealCounter counter;
    return counter;
}
std::once_flag g_init_once;
std::atomic<CounterSource*> g_override{nullptr};

}  // namespace

bool tsc_is_usable(bool cpuid_invariant_tsc, std::string_view kernel_clocksource) {
    return cpuid_invariant_tsc || kernel_clocksource == "tsc";
}

CounterSource& monotonic_counter() {
    static MonotonicCounter counter;
    return counter;
}

void counter_init() {
    std::call_once(g_init_once, [] { real().init(); });
}

int64_t counter_now() {
    if (CounterSource* s = g_override.load(std::memory_order_acquire)) return s->now();
    counter_init();
    return real().now();
}

double counter_frequency() {
    if (CounterSource* s = g_override.load(std::memory_order_acquire)) return s->frequency();
    counter_init();
    return real().frequency();
}

bool counter_is_tsc() {
    counter_init();
    return real().tsc();
}

void set_counter_source(CounterSource* source) {
    g_override.store(source, std::memory_order_release);
}

}  // namespace app
