// What every benchmark dialog does the same way, written once: the automatic start at the end
// of the first paint, close when done, giving up in order, timers that report "Timer Error",
// worker threads whose refused start ends the run instead of leaving a poll that never comes,
// and the nested "Analysis in Progress..." box. Each controller adds only its own run.
#pragma once

#include <functional>
#include <string>

#include "app/dialog_host.h"
#include "app/event.h"
#include "app/run_registry.h"
#include "app/thread.h"

namespace app {

// The modal box the memory and STREAM dialogs show while their worker runs; their completion
// timer ends it.
ModalBoxText CAnalysisProgressDlg();

// Where and how a worker runs.
struct WorkerPlacement {
    int processor = -1;  // allowed processor to bind it to; -1: anywhere
    Priority priority = Priority::Normal;
};

// A worker that runs behind the progress box (memory, STREAM): a 1 ms completion timer polls
// for its end and the box stays up until then. Owners join it before the fields its body
// writes go away.
class BoxedWorker {
  public:
    explicit BoxedWorker(int timer_id) : timer_id_(timer_id) {}
    void join() { thread_.join(); }

  private:
    friend class BenchmarkController;
    int timer_id_;
    Event done_{Event::Reset::Auto};
    Thread thread_;
};

class BenchmarkController : public RunController {
  public:
    // Run fields the suite, the automation and the menu drivers set before the modal run.
    bool auto_start = false;       // start the run at the end of the first paint
    bool close_when_done = false;  // with an automatic start: end the dialog when it is over

    // Takes the two run fields from a caller's request.
    void apply(const RunRequest& request) {
        auto_start = request.auto_start;
        close_when_done = request.close_when_done;
    }

    bool started_automatically() const { return started_automatically_; }
    bool first_paint_done() const { return first_paint_done_; }
    bool progress_box_active() const { return box_active_; }

    // Runs paint_dialog(), then, once, the automatic start.
    void on_paint() override;

  protected:
    // The dialog's own paint work (`first`: the first paint).
    virtual void paint_dialog(bool first) { (void)first; }
    // The run an automatic start begins.
    virtual void start_automatic_run() = 0;
    // The result an automatically started dialog ends with, and what it releases first.
    virtual int automatic_close_result() const { return kIdCancel; }
    virtual void before_automatic_close() {}

    // Ends the dialog when this run was started automatically and close when done is set, so
    // an unattended caller goes on.
    void close_if_automatic();
    // A run that cannot go on: logs `line` (with the cursor marker), fails the record with
    // `error` (the line when empty) and closes the dialog if it was started automatically.
    void give_up(const std::string& line, const std::string& error = {});
    // Starts a dialog timer; when it cannot be created shows "Timer Error" and returns false.
    [[nodiscard]] bool start_timer_or_report(int id, int period_ms);
    // Creates `thread` running `body`, placed as asked, and resumes it. False (nothing runs)
    // when the system refused the thread; the caller then gives up.
    [[nodiscard]] static bool start_worker(Thread& thread, std::function<void()> body,
                                           WorkerPlacement placement = {});
    // Shows the nested progress box until end_progress_box() (from a timer); returns then.
    void run_progress_box();
    void end_progress_box();

    // Runs `body` on `worker` behind the progress box and returns when the box has ended. False
    // when the completion timer or the thread could not be made; the run has then given up
    // (with `thread_error` for a refused thread).
    bool run_behind_progress_box(BoxedWorker& worker, std::function<void()> body,
                                 WorkerPlacement placement, const std::string& thread_error);
    // From the completion timer: true (the worker joined) once the body has returned.
    bool boxed_worker_done(BoxedWorker& worker);
    // Once the outcome is recorded: the timer and the box end, an automatic run closes.
    void end_boxed_run(BoxedWorker& worker);

  private:
    bool first_paint_done_ = false;
    bool started_automatically_ = false;
    bool box_active_ = false;
};

}  // namespace app
