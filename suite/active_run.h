// The benchmark the suite is running right now, for a face that shows progress from another
// thread (the CLI's status line). The suite announces each step before its modal run and
// withdraws it before the controller goes away, so a snapshot never reads a dead record.
#pragma once

#include <chrono>
#include <mutex>
#include <string>

#include "app/run_record.h"

namespace suite {

class ActiveRun {
  public:
    struct Snapshot {
        bool active = false;
        std::string name;  // "Molecular Dynamics", ...
        app::RunStatus status = app::RunStatus::NotRun;
        app::RunProgress progress;
        double elapsed_s = 0.0;  // since the step began
    };

    void begin(std::string name, const app::RunRecord* record);
    void end();
    Snapshot snapshot() const;

  private:
    mutable std::mutex mutex_;
    std::string name_;
    const app::RunRecord* record_ = nullptr;
    std::chrono::steady_clock::time_point started_{};
};

}  // namespace suite
