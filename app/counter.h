// The high-resolution performance counter: the invariant TSC where the processor (or the
// kernel's clock source) says it is invariant, its frequency measured once, on first use,
// against CLOCK_MONOTONIC_RAW; otherwise CLOCK_MONOTONIC in nanoseconds at 1e9 ticks per second.
// A program that never reads the counter (--help, --version, --compare) never waits for it.
#pragma once

#include <cstdint>
#include <string_view>

namespace app {

// A source of counter readings. Tests install a fake one.
class CounterSource {
  public:
    virtual ~CounterSource() = default;
    virtual int64_t now() = 0;
    virtual double frequency() = 0;
};

// Chooses the source and measures the TSC frequency (about 50 ms), once per process and safe
// to call from any thread; later calls do nothing. Every reader below calls it implicitly.
void counter_init();

int64_t counter_now();
double counter_frequency();  // ticks per second
bool counter_is_tsc();

// The choice made at start-up: the TSC serves when CPUID says it is invariant or the kernel
// itself keeps time with it ("tsc" clock source).
bool tsc_is_usable(bool cpuid_invariant_tsc, std::string_view kernel_clocksource);
// The fallback: CLOCK_MONOTONIC in nanoseconds at 1e9 ticks per second.
CounterSource& monotonic_counter();

// Test seam: replaces the source (nullptr restores the real one). Not thread-safe against
// concurrent readers; install before starting the code under test.
void set_counter_source(CounterSource* source);

}  // namespace app
