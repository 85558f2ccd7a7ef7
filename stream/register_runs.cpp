// The STREAM run: no command-line switch of its own; the suite and the menu run it.
#include <memory>

#include "app/run_registry.h"
#include "stream/stream_controller.h"

void register_stream_runs(app::RunRegistry& registry) {
    registry.add(app::kCodeStream, [](const app::RunRequest& request) {
        auto c = std::make_unique<stream::StreamController>();
        c->apply(request);
        return std::unique_ptr<app::RunController>(std::move(c));
    });
}
