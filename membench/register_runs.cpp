// The memory benchmark's run: the suite and the automation create the dialog's controller with
// automatic start and close when done, and run it modally.
#include <memory>

#include "app/run_registry.h"
#include "membench/memory_controller.h"

void register_membench_runs(app::RunRegistry& registry) {
    registry.add(app::kCodeMemory, [](const app::RunRequest& request) {
        auto c = std::make_unique<membench::MemBenchController>();
        c->apply(request);
        return std::unique_ptr<app::RunController>(std::move(c));
    });
}
