// The memory benchmark's run entry (code 1): the suite and the automation create the dialog's
// controller with automatic start and close when done, and run it modally.
#include <memory>

#include "app/benchmark_codes.h"
#include "app/run_registry.h"
#include "membench/memory_controller.h"

void register_membench_runs(app::RunRegistry& registry) {
    registry.add({app::kCodeMemory, "Memory Benchmarks", [](const app::RunRequest& request) {
                      auto c = std::make_unique<membench::MemBenchController>();
                      c->auto_start = request.auto_start;
                      c->close_when_done = request.close_when_done;
                      return std::unique_ptr<app::RunController>(std::move(c));
                  }});
}
