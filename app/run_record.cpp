#include "app/run_record.h"

#include <cmath>

namespace app {

const char* run_status_name(RunStatus s) {
    switch (s) {
        case RunStatus::NotRun:
            return "not run";
        case RunStatus::Running:
            return "running";
        case RunStatus::Completed:
            return "completed";
        case RunStatus::Failed:
            return "failed";
        case RunStatus::Stopped:
            return "stopped";
    }
    return "unknown";
}

RunRecord::RunRecord(const RunRecord& other) {
    *this = other;
}

RunRecord& RunRecord::operator=(const RunRecord& other) {
    if (this == &other) return *this;
    std::scoped_lock lock(mutex_, other.mutex_);
    status_ = other.status_;
    error_ = other.error_;
    headline_name_ = other.headline_name_;
    headline_ = other.headline_;
    figures_ = other.figures_;
    progress_ = other.progress_;
    return *this;
}

void RunRecord::begin() {
    std::lock_guard lock(mutex_);
    status_ = RunStatus::Running;
    error_.clear();
    headline_ = 0.0;
    figures_ = nlohmann::json::object();
    progress_ = {};
}

void RunRecord::complete() {
    std::lock_guard lock(mutex_);
    status_ = RunStatus::Completed;
}

void RunRecord::fail(std::string error) {
    std::lock_guard lock(mutex_);
    status_ = RunStatus::Failed;
    error_ = std::move(error);
}

void RunRecord::stop(std::string reason) {
    std::lock_guard lock(mutex_);
    status_ = RunStatus::Stopped;
    error_ = reason.empty() ? "stopped by the user" : std::move(reason);
}

RunStatus RunRecord::status() const {
    std::lock_guard lock(mutex_);
    return status_;
}

std::string RunRecord::error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

bool RunRecord::scorable() const {
    std::lock_guard lock(mutex_);
    return status_ == RunStatus::Completed && std::isfinite(headline_) && headline_ > 0.0;
}

void RunRecord::set_headline(std::string name, double value) {
    std::lock_guard lock(mutex_);
    headline_name_ = std::move(name);
    headline_ = value;
}

std::string RunRecord::headline_name() const {
    std::lock_guard lock(mutex_);
    return headline_name_;
}

double RunRecord::headline() const {
    std::lock_guard lock(mutex_);
    return headline_;
}

void RunRecord::set_figure(const std::string& name, nlohmann::json value) {
    std::lock_guard lock(mutex_);
    figures_[name] = std::move(value);
}

void RunRecord::merge_figures(const nlohmann::json& object) {
    std::lock_guard lock(mutex_);
    if (object.is_object()) figures_.update(object);
}

nlohmann::json RunRecord::figures() const {
    std::lock_guard lock(mutex_);
    return figures_;
}

nlohmann::json RunRecord::figure(const std::string& name) const {
    std::lock_guard lock(mutex_);
    auto it = figures_.find(name);
    return it == figures_.end() ? nlohmann::json() : *it;
}

void RunRecord::set_progress(std::string phase, long position, long range) {
    std::lock_guard lock(mutex_);
    progress_ = {std::move(phase), position, range};
}

void RunRecord::set_progress_position(long position) {
    std::lock_guard lock(mutex_);
    progress_.position = position;
}

RunProgress RunRecord::progress() const {
    std::lock_guard lock(mutex_);
    return progress_;
}

nlohmann::json RunRecord::to_json() const {
    std::lock_guard lock(mutex_);
    nlohmann::json j = figures_;
    j["status"] = run_status_name(status_);
    if (!error_.empty()) j["error"] = error_;
    if (!headline_name_.empty()) j["headline"] = {{"name", headline_name_}, {"value", headline_}};
    return j;
}

}  // namespace app
