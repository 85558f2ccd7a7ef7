// Events with the semantics the benchmarks were written against: auto-reset or manual-reset,
// created not signalled. A successful wait (also a zero-timeout poll) on an auto-reset event
// clears it; is_set() only looks.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace app {

class Event {
  public:
    enum class Reset { Auto, Manual };

    explicit Event(Reset mode = Reset::Auto) : mode_(mode) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set();
    void reset();
    // Waits up to `timeout`; true when the event was (or became) signalled. An auto-reset
    // event is cleared by the wait that finds it.
    bool wait(std::chrono::milliseconds timeout);
    void wait();
    // Zero-timeout wait: consumes an auto-reset event.
    bool poll() { return wait(std::chrono::milliseconds(0)); }
    // Non-consuming test (a stop request that is only looked at).
    bool is_set() const;

  private:
    const Reset mode_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool signalled_ = false;
};

}  // namespace app
