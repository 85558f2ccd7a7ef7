// The STREAM run entry (code 7): no command-line switch of its own; the suite runs it.
#include <memory>

#include "app/benchmark_codes.h"
#include "app/run_registry.h"
#include "stream/stream_controller.h"

void register_stream_runs(app::RunRegistry& registry) {
    registry.add({app::kCodeStream, "STREAM", [](const app::RunRequest& request) {
                      auto c = std::make_unique<stream::StreamController>();
                      c->auto_start = request.auto_start;
                      c->close_when_done = request.close_when_done;
                      return std::unique_ptr<app::RunController>(std::move(c));
                  }});
}
