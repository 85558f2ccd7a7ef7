#include "app/lap_timer.h"

#include <atomic>
#include <cstdint>

#include "app/counter.h"

namespace app {
namespace {
std::atomic<int64_t> g_last{0};
}  // namespace

void lap_restart() {
    g_last.store(counter_now(), std::memory_order_release);
}

double lap_take() {
    // The frequency is measured once by the counter; reading it here is a plain load.
    const double f = counter_frequency();
    const int64_t now = counter_now();
    const int64_t last = g_last.exchange(now, std::memory_order_acq_rel);
    return f > 0 ? static_cast<double>(now - last) / f : 0.0;
}

}  // namespace app
