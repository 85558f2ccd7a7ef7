#include "stream/stream_controller.h"

#include "app/benchmarks.h"
#include "app/console.h"
#include "app/processor_info.h"

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
    done_.reset();
    record().begin();
    // Without the completion timer nothing would ever end the progress box.
    if (!start_timer_or_report(kCompletionTimer, 1)) {
        give_up("Error: Could not create Timer in OnAnalyze().");
        return;
    }
    StreamRunInput input;
    input.sse2 = app::processor_info().sse2 != 0;
    input.sizes = sizes_;
    input.rates = rates_;
    const bool started = start_worker(coordinator_,
                                      [this, input] {
                                          outcome_ = run_stream_benchmark(input, &record());
                                          done_.set();
                                      },
                                      {0, app::Priority::Normal});
    if (!started) {
        host().kill_timer(kCompletionTimer);
        give_up("Error: Could not create the STREAM thread.");
        return;
    }
    run_progress_box();
    results_shown_ = true;
    host().request_repaint();
}

void StreamController::completion_poll() {
    if (!done_.poll()) return;
    coordinator_.join();
    threads_ = outcome_.threads;
    if (outcome_.ok) {
        rates_ = outcome_.rates;
        score_ = stream_score(rates_);
        record().set_figure("threads", threads_);
        record().set_figure("rates", rates_to_json(rates_));
        record().set_figure("score", score_);
        record().set_headline("score", score_);
        record().complete();
    } else {
        record().fail(outcome_.error);
    }
    host().kill_timer(kCompletionTimer);
    end_progress_box();
    close_if_automatic();
}

}  // namespace stream
