#include "app/benchmark_controller.h"

#include "app/console.h"

namespace app {

ModalBoxText CAnalysisProgressDlg() {
    return {"Analysis in Progress...",
            {"Lumetra 2.0 is conducting a computer", "intensive benchmark -- your computer may",
             "not respond for several minutes -- this is normal."}};
}

void BenchmarkController::on_paint() {
    const bool first = !first_paint_done_;
    first_paint_done_ = true;
    paint_dialog(first);
    if (auto_start) {
        auto_start = false;
        started_automatically_ = true;
        start_automatic_run();
    }
}

void BenchmarkController::close_if_automatic() {
    if (!started_automatically_ || !close_when_done) return;
    before_automatic_close();
    host().end_dialog(automatic_close_result());
}

void BenchmarkController::give_up(const std::string& line, const std::string& error) {
    ConsoleLog(with_cursor(line));
    record().fail(error.empty() ? line : error);
    close_if_automatic();
}

bool BenchmarkController::start_timer_or_report(int id, int period_ms) {
    if (host().start_timer(id, period_ms)) return true;
    host().message_box("Timer Error", "Could not create timer!");
    return false;
}

bool BenchmarkController::start_worker(Thread& thread, std::function<void()> body,
                                       WorkerPlacement placement) {
    if (!thread.create_suspended(std::move(body))) return false;
    if (placement.processor >= 0) thread.set_affinity(placement.processor);
    if (placement.priority != Priority::Normal) thread.set_priority(placement.priority);
    thread.resume();
    return true;
}

void BenchmarkController::run_progress_box() {
    box_active_ = true;
    host().run_modal_box(CAnalysisProgressDlg());
    box_active_ = false;
}

void BenchmarkController::end_progress_box() {
    host().end_modal_box(0);
}

bool BenchmarkController::run_behind_progress_box(BoxedWorker& worker, std::function<void()> body,
                                                  WorkerPlacement placement,
                                                  const std::string& thread_error) {
    worker.done_.reset();
    // Without the completion timer nothing would ever end the progress box.
    if (!start_timer_or_report(worker.timer_id_, 1)) {
        give_up("Error: Could not create Timer in OnAnalyze().");
        return false;
    }
    auto run = [&worker, body = std::move(body)] {
        body();
        worker.done_.set();
    };
    if (!start_worker(worker.thread_, std::move(run), placement)) {
        host().kill_timer(worker.timer_id_);
        give_up(thread_error);
        return false;
    }
    run_progress_box();
    return true;
}

bool BenchmarkController::boxed_worker_done(BoxedWorker& worker) {
    if (!worker.done_.poll()) return false;
    worker.thread_.join();
    return true;
}

void BenchmarkController::end_boxed_run(BoxedWorker& worker) {
    host().kill_timer(worker.timer_id_);
    end_progress_box();
    close_if_automatic();
}

}  // namespace app
