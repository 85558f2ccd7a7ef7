// One scroll axis of the console view: a position between 0 and a maximum, moved by lines,
// pages, the thumb and the wheel, with the scroll box shown on a fixed 0..100 scale.
#pragma once

#include <algorithm>

namespace ui {

class ScrollAxis {
  public:
    static constexpr int kBoxRange = 100;

    int position() const { return position_; }
    int maximum() const { return maximum_; }

    // A new maximum (never below 0); the position stays inside it.
    void set_maximum(int maximum) {
        maximum_ = std::max(0, maximum);
        position_ = std::clamp(position_, 0, maximum_);
    }
    void set_position(int position) { position_ = std::clamp(position, 0, maximum_); }

    void line(int delta) { set_position(position_ + delta); }
    void page(int direction, int visible) { set_position(position_ + direction * visible); }
    // The thumb at t on the 0..100 scale.
    void thumb(int t) {
        t = std::clamp(t, 0, kBoxRange);
        set_position(static_cast<int>(static_cast<long long>(t) * maximum_ / kBoxRange));
    }
    void top() { position_ = 0; }
    void bottom() { position_ = maximum_; }

    // The scroll box on the 0..100 scale (0 when there is nothing to scroll).
    int box() const {
        return maximum_ > 0
                   ? static_cast<int>(static_cast<long long>(position_) * kBoxRange / maximum_)
                   : 0;
    }

  private:
    int position_ = 0;
    int maximum_ = 0;
};

}  // namespace ui
