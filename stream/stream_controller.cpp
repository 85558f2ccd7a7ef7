#include "stream/stream_controller.h"

#include "app/benchmarks.h"
#include "app/console.h"
#include "stream/stream_kernels.h"

namespace stream {

StreamController::StreamController(StreamSizes sizes) : sizes_(sizes) {}

StreamController::~StreamController() {
    // The coordinator writes into this object until it signals done.
    coordinator_.join();
}

std::string StreamController::title() const {
    return std::string(app::find_benchmark(app::kCodeStream)->title);
}

void StreamController::on_command(int id) {
    if (id == kAnalyzeCommand) start_analysis();
}

void StreamController::on_timer(int id) {
    if (id == kCompletionTimer) completion_poll();
}

void StreamController::start_analysis() {
    if (progress_box_active()) return;
    record().begin();
    StreamRunInput input;
    input.sse2 = timed_forms_allowed();
    input.sizes = sizes_;
    input.rates = rates_;
    auto body = [this, input] { outcome_ = run_stream_benchmark(input, &record()); };
    if (!run_behind_progress_box(coordinator_, body, {0, app::Priority::Normal},
                                 "Error: Could not create the STREAM thread."))
        return;
    results_shown_ = true;
    host().request_repaint();
}

void StreamController::completion_poll() {
    if (!boxed_worker_done(coordinator_)) return;
    threads_ = outcome_.threads;
    if (outcome_.ok) {
        rates_ = outcome_.rates;
        score_ = stream_score(rates_);
        record().set_figure("threads", threads_);
        record().set_figure("rates", rates_to_json(rates_));
        if (!outcome_.prefetch_kernels.empty())
            record().set_figure("kernels", nlohmann::json::array({outcome_.prefetch_kernels,
                                                                  outcome_.block_kernels}));
        record().set_figure("score", score_);
        record().set_headline("score", score_);
        record().complete();
    } else {
        record().fail(outcome_.error);
    }
    end_boxed_run(coordinator_);
}

}  // namespace stream
