// How a benchmark's run logic talks to its window. A run controller holds the dialog's run
// fields and handlers (paint, buttons, Cancel, timers); a host (a Qt dialog, or the headless
// timer loop) gives it timers, message boxes, nested modal boxes and the end of the dialog.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/run_record.h"

namespace app {

// Dialog results.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// A small nested modal box shown while a dialog's worker runs ("Analysis in Progress...").
// The dialog's own timer ends it with DialogHost::end_modal_box().
struct ModalBoxText {
    std::string title;
    std::vector<std::string> lines;
};

class RunController;

// Runs a controller "modally": the GUI with its dialog (exec), the CLI and tests with the
// headless host. Returns the dialog's end result (kIdOk, kIdCancel, ...).
class ModalRunner {
  public:
    virtual ~ModalRunner() = default;
    virtual int run_modal(RunController& controller) = 0;
};

class DialogHost {
  public:
    virtual ~DialogHost() = default;
    // Starts (or restarts) timer `id` every `period_ms`; false when it could not be created
    // (the caller then reports "Timer Error").
    [[nodiscard]] virtual bool start_timer(int id, int period_ms) = 0;
    virtual void kill_timer(int id) = 0;
    virtual void message_box(std::string_view text, std::string_view title) = 0;
    virtual bool ask_yes_no(std::string_view text, std::string_view title) = 0;
    // Ends the dialog with a result; the modal run returns once the current handler is done.
    virtual void end_dialog(int result) = 0;
    // Asks for a paint; the controller's on_paint() runs later, from the loop.
    virtual void request_repaint() = 0;
    // Shows a nested modal box and returns when end_modal_box() is called (from a timer of
    // this or an outer dialog). Timers of every open dialog keep firing meanwhile.
    virtual int run_modal_box(const ModalBoxText& box) = 0;
    virtual void end_modal_box(int result) = 0;
    // The runner for benchmarks this dialog runs in turn (the suite's steps).
    virtual ModalRunner& modal_runner() = 0;
};

// The run logic of one benchmark dialog. Handlers run on the dialog's (main) thread.
class RunController {
  public:
    virtual ~RunController() = default;

    // Called by the host before anything else; the host outlives the modal run.
    void attach(DialogHost* host) { host_ = host; }
    bool attached() const { return host_ != nullptr; }

    virtual std::string title() const = 0;
    // Dialog created (controls initialised).
    virtual void on_init() {}
    // A paint of the dialog; the first one starts an automatic run.
    virtual void on_paint() {}
    virtual void on_timer(int id) = 0;
    // A button or command of the dialog (Run, Analyze, Evaluate, single step...).
    virtual void on_command(int id) { (void)id; }
    // The Cancel button or the window's close box. The default ends the dialog with Cancel.
    virtual void on_cancel() { host().end_dialog(kIdCancel); }
    // Whether on_cancel() stops a run in progress (answering its question yes). An interrupt
    // of the program without a window then stops the run this way; runs that cannot stop
    // mid-kernel say false and are left to finish.
    virtual bool cancel_stops_run() const { return false; }
    // The main button's command id and text, for a generic window that only knows this much.
    virtual int run_command_id() const { return 0; }
    virtual std::string run_command_text() const { return "Run"; }
    // Status text and progress for a generic window.
    virtual std::string status_text() const { return record().progress().phase; }

    // The record of the current or last run.
    RunRecord& record() { return record_; }
    const RunRecord& record() const { return record_; }

  protected:
    DialogHost& host() { return *host_; }

  private:
    DialogHost* host_ = nullptr;
    RunRecord record_;
};

// The runner in use: the headless one by default; the GUI installs its own.
ModalRunner& modal_runner();
void set_modal_runner(ModalRunner* runner);

}  // namespace app
