// Waiting for another thread (or an event loop) to reach a state: a generous bound that only
// ends a hung test, never a timing assertion.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace testing_support {

// Checks `done` until it holds or `limit` has passed; between checks runs `idle` (a GUI
// test's event loop) or sleeps a millisecond.
inline bool wait_until(const std::function<bool()>& done,
                       std::chrono::milliseconds limit = std::chrono::seconds(120),
                       const std::function<void()>& idle = {}) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < end) {
        if (idle)
            idle();
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

}  // namespace testing_support
