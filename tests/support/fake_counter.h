// A counter the test advances by hand: installs itself for its lifetime.
#pragma once

#include <atomic>

#include "app/counter.h"

namespace testing_support {

class FakeCounter final : public app::CounterSource {
  public:
    explicit FakeCounter(double frequency = 1000.0) : frequency_(frequency) {
        app::set_counter_source(this);
    }
    ~FakeCounter() override { app::set_counter_source(nullptr); }
    int64_t now() override { return ticks_.load(); }
    double frequency() override { return frequency_; }
    void advance(int64_t ticks) { ticks_ += ticks; }
    void advance_seconds(double s) { ticks_ += static_cast<int64_t>(s * frequency_); }

  private:
    std::atomic<int64_t> ticks_{0};
    double frequency_;
};

// A counter that moves one tick per reading, so a measurement taken as "read, work, read"
// lasts exactly one tick whatever the machine's load. Readings from other threads between the
// two add their ticks too.
class SteppingCounter final : public app::CounterSource {
  public:
    explicit SteppingCounter(double frequency) : frequency_(frequency) {
        app::set_counter_source(this);
    }
    ~SteppingCounter() override { app::set_counter_source(nullptr); }
    int64_t now() override { return ticks_++; }
    double frequency() override { return frequency_; }

  private:
    std::atomic<int64_t> ticks_{0};
    double frequency_;
};

}  // namespace testing_support
