#include "stream/stream_controller.h"

#include "app/console.h"
#include "membench/analysis_progress.h"
#include "stream/stream_kernels.h"

namespace stream {

StreamController::StreamController(StreamSizes sizes) : sizes_(sizes) {}

StreamController::~StreamController() {
    // The coordinator writes into this object until it signals done.
    coordinator_.join();
}

void StreamController::on_paint() {
    first_paint_done_ = true;
    if (auto_start && first_paint_done_) {
        auto_start = false;
        started_by_autostart_ = true;
        start_analysis();
    }
}

void StreamController::on_command(int id) {
    if (id == kAnalyzeCommand) start_analysis();
}

void StreamController::on_timer(int id) {
    if (id == kCompletionTimer) completion_poll();
}

void StreamController::start_analysis() {
    if (box_active_) return;
    done_.reset();
    record().begin();
    auto give_up = [&](const std::string& error) {
        app::ConsoleLog(app::with_cursor(error));
        record().fail(error);
        if (started_by_autostart_ && close_when_done) host().end_dialog(app::kIdCancel);
    };
    // Without the completion timer nothing would ever end the progress box.
    if (!host().start_timer(kCompletionTimer, 1)) {
        host().message_box("Timer Error", "Could not create timer!");
        give_up("Error: Could not create Timer in OnAnalyze().");
        return;
    }
    StreamRunInput input;
    input.sse2 = timed_forms_allowed();
    input.sizes = sizes_;
    input.rates = rates_;
    const bool created = coordinator_.create_suspended([this, input] {
        outcome_ = run_stream_benchmark(input, &record());
        done_.set();
    });
    if (!created) {
        host().kill_timer(kCompletionTimer);
        give_up("Error: Could not create the STREAM thread.");
        return;
    }
    coordinator_.set_priority(app::Priority::Normal);
    coordinator_.set_affinity(0);
    box_active_ = true;
    coordinator_.resume();
    host().run_modal_box(membench::CAnalysisProgressDlg());
    box_active_ = false;
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
    host().end_modal_box(0);
    if (started_by_autostart_ && close_when_done) host().end_dialog(app::kIdCancel);
}

}  // namespace stream
