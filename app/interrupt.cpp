#include "app/interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <ctime>

namespace app {
namespace {

// Lock-free atomics are async-signal-safe; the handler touches nothing else.
std::atomic<int> g_signal{0};
std::atomic<long long> g_first_ns{0};
static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<long long>::is_always_lock_free);

// One sender may deliver the same request twice (timeout(1) signals the program and then its
// process group); only a signal this long after the first is a second request.
constexpr long long kDuplicateWindowNs = 100'000'000;

long long monotonic_ns() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);  // async-signal-safe
    return static_cast<long long>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

extern "C" void on_interrupt_signal(int signal_number) {
    const int saved_errno = errno;
    const long long now = monotonic_ns();
    // The time goes first: a copy of the signal handled on another thread at the same moment
    // then sees it and is taken for the duplicate it is.
    long long first = 0;
    if (g_first_ns.compare_exchange_strong(first, now)) {
        int none = 0;
        g_signal.compare_exchange_strong(none, signal_number);
    } else if (now - first > kDuplicateWindowNs) {
        // The second request: the user does not want to wait for the stop.
        _exit(128 + signal_number);
    }
    errno = saved_errno;
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
    g_first_ns.store(0, std::memory_order_relaxed);
}

}  // namespace app
