#include "suite/active_run.h"

namespace suite {

void ActiveRun::begin(std::string name, const app::RunRecord* record) {
    std::lock_guard lock(mutex_);
    name_ = std::move(name);
    record_ = record;
    started_ = std::chrono::steady_clock::now();
}

void ActiveRun::end() {
    std::lock_guard lock(mutex_);
    record_ = nullptr;
    name_.clear();
}

ActiveRun::Snapshot ActiveRun::snapshot() const {
    std::lock_guard lock(mutex_);
    Snapshot s;
    if (!record_) return s;
    s.active = true;
    s.name = name_;
    s.status = record_->status();
    s.progress = record_->progress();
    s.elapsed_s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    return s;
}

}  // namespace suite
