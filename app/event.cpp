#include "app/event.h"

namespace app {

void Event::set() {
    {
        std::lock_guard lock(mutex_);
        if (signalled_) return;  // a second set before anyone waits changes nothing
        signalled_ = true;
    }
    if (mode_ == Reset::Manual)
        cv_.notify_all();
    else
        cv_.notify_one();
}

void Event::reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

bool Event::wait(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!cv_.wait_for(lock, timeout, [this] { return signalled_; })) return false;
    if (mode_ == Reset::Auto) signalled_ = false;
    return true;
}

void Event::wait() {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [this] { return signalled_; });
    if (mode_ == Reset::Auto) signalled_ = false;
}

bool Event::is_set() const {
    std::lock_guard lock(mutex_);
    return signalled_;
}

}  // namespace app
