#include "app/interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

namespace app {
namespace {

// Lock-free atomics are async-signal-safe; the handler touches nothing else.
std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void on_interrupt_signal(int signal_number) {
    int expected = 0;
    // The second signal: the user does not want to wait for the stop.
    if (!g_signal.compare_exchange_strong(expected, signal_number)) _exit(128 + signal_number);
}

}  // namespace

void install_interrupt_handlers() {
    struct sigaction sa {};
    sa.sa_handler = on_interrupt_signal;
    sigemptyset(&sa.sa_mask);
    // Restart interrupted reads and writes: the loops poll the flag, nothing waits on EINTR.
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

bool interrupt_requested() noexcept {
    return g_signal.load(std::memory_order_relaxed) != 0;
}

int interrupt_signal() noexcept {
    return g_signal.load(std::memory_order_relaxed);
}

void request_interrupt(int signal_number) noexcept {
    int expected = 0;
    g_signal.compare_exchange_strong(expected, signal_number);
}

void clear_interrupt() noexcept {
    g_signal.store(0, std::memory_order_relaxed);
}

}  // namespace app
