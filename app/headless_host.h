// The host without a window: a timer loop on the calling thread that drives a controller from
// its first paint to the end of its dialog. Modal runs nest the way a modal message loop does:
// while an inner run or a progress box is active, the timers of every outer dialog on this
// thread keep firing. The loop sleeps until the next due timer; it never spins.
#pragma once

#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "app/dialog_host.h"

namespace app {

class HeadlessRunner : public ModalRunner {
  public:
    int run_modal(RunController& controller) override;

    // Test hooks: timers that refuse to start, and a wall-clock limit after which a modal run
    // (progress boxes included) is ended with kRunTimedOut (0 = none).
    std::set<int> failing_timers;
    std::chrono::milliseconds time_limit{0};
    static constexpr int kRunTimedOut = -1;

    // An unattended run whose record shows no progress for this long is ended as failed: a
    // worker whose end is never seen must not hold the whole queue for ever.
    std::chrono::milliseconds watchdog{std::chrono::minutes(10)};
};

class HeadlessHost final : public DialogHost {
  public:
    HeadlessHost(RunController& controller, HeadlessRunner& runner);
    ~HeadlessHost() override;
    HeadlessHost(const HeadlessHost&) = delete;
    HeadlessHost& operator=(const HeadlessHost&) = delete;

    // The modal run: init, first paint, then timers until the dialog ends.
    int run();

    bool start_timer(int id, int period_ms) override;
    void kill_timer(int id) override;
    void message_box(std::string_view text, std::string_view title) override;
    bool ask_yes_no(std::string_view text, std::string_view title) override;
    void end_dialog(int result) override;
    void request_repaint() override;
    int run_modal_box(const ModalBoxText& box) override;
    void end_modal_box(int result) override;
    ModalRunner& modal_runner() override { return runner_; }

    // The period timer `id` of this dialog runs at; 0 when it is not running.
    std::chrono::milliseconds timer_period(int id) const;

    RunController& controller() { return controller_; }
    bool ended() const { return ended_; }
    void paint_if_requested();
    // An interrupt was requested (app/interrupt.h): asks a controller whose Cancel stops its
    // run to stop and, once stopped, to close. Others are left to finish.
    void stop_if_interrupted();
    static constexpr std::chrono::milliseconds kInterruptCancelPeriod{100};

  private:
    RunController& controller_;
    HeadlessRunner& runner_;
    bool ended_ = false;
    int result_ = kIdCancel;
    bool repaint_requested_ = false;
    // The test hook's limit and the watchdog: end the dialog (and any box it shows).
    bool out_of_time();
    // Notes the record's progress; a handler that ran long (a nested run) counts as progress.
    void watch(std::chrono::steady_clock::time_point dispatched_at);

    std::string progress_seen_;
    std::chrono::steady_clock::time_point progress_at_{};

    std::chrono::steady_clock::time_point started_{};
    std::chrono::steady_clock::time_point next_interrupt_cancel_{};
    struct Box {
        bool ended;
        int result;
    };
    std::vector<Box> boxes_;  // open progress boxes, outermost first
};

}  // namespace app
