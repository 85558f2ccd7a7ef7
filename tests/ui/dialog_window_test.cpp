// The generic benchmark window and the GUI's modal runner, driven by scripted controllers:
// automatic start from the first show, a nested progress box, and a timer that cannot start.
#include <gtest/gtest.h>

#include <QPushButton>

#include "app/dialog_host.h"
#include "gui_test_support.h"
#include "ui/benchmark_window.h"
#include "ui/dialog_window.h"

namespace {

using ui_test::wait_until;

// Starts on the first paint, counts ticks of timer 7 and ends itself after `ticks`.
class CountingController : public app::RunController {
  public:
    explicit CountingController(int ticks, bool auto_start = true)
        : ticks_(ticks), auto_start_(auto_start) {}
    std::string title() const override { return "Counting Benchmark"; }
    void on_paint() override {
        ++paints;
        if (auto_start_) {
            auto_start_ = false;
            start();
        }
    }
    void on_timer(int id) override {
        if (id != 7) return;
        ++count;
        record().set_progress("Step", count, ticks_);
        if (count >= ticks_) {
            host().kill_timer(7);
            record().complete();
            host().end_dialog(app::kIdOk);
        }
    }
    void on_command(int id) override {
        if (id == 4242) start();
    }
    int run_command_id() const override { return 4242; }

    int count = 0, paints = 0;
    bool timer_started = false;

  private:
    void start() {
        record().begin();
        timer_started = host().start_timer(7, 5);
    }
    int ticks_;
    bool auto_start_;
};

// Does its set-up on the first paint.
class StartsOnFirstPaint : public app::RunController {
  public:
    void on_paint() override {
        if (!started_) first_paint();
        started_ = true;
    }
    virtual void first_paint() = 0;

  private:
    bool started_ = false;
};

// Shows a progress box from its first timer tick and ends it from a second timer.
class BoxController : public StartsOnFirstPaint {
  public:
    std::string title() const override { return "Box"; }
    void first_paint() override { host().start_timer(1, 5); }
    void on_timer(int id) override {
        if (id == 1) {
            host().kill_timer(1);
            host().start_timer(2, 20);
            box_result = host().run_modal_box({"Analysis in Progress...", {"a", "b", "c"}});
            host().end_dialog(app::kIdOk);
        } else if (id == 2) {
            ++ticks_while_boxed;
            if (ticks_while_boxed == 3) host().end_modal_box(5);
        }
    }
    int box_result = -1, ticks_while_boxed = 0;
};

TEST(GuiModalRunner, FirstShowStartsTheRunWhichRunsToTheEnd) {
    // A window that is never painted on screen still gets its first paint notification.
    ui::gui_modal_runner().add_factory(
        [](app::RunController& c, QWidget* parent) -> std::unique_ptr<ui::DialogWindow> {
            if (c.title() != "Counting Benchmark") return nullptr;
            auto w = std::make_unique<ui::BenchmarkWindow>(c, parent);
            w->setAttribute(Qt::WA_DontShowOnScreen);
            return w;
        });
    CountingController c(5);
    EXPECT_EQ(ui::gui_modal_runner().run_modal(c), app::kIdOk);
    EXPECT_GE(c.paints, 1);
    EXPECT_EQ(c.count, 5);
    EXPECT_EQ(c.record().status(), app::RunStatus::Completed);
    EXPECT_EQ(ui::gui_modal_runner().depth(), 0);
}

TEST(GuiModalRunner, NestedProgressBoxKeepsTheDialogsTimersRunning) {
    BoxController c;
    EXPECT_EQ(ui::gui_modal_runner().run_modal(c), app::kIdOk);
    EXPECT_EQ(c.box_result, 5);
    EXPECT_EQ(c.ticks_while_boxed, 3);
}

TEST(BenchmarkWindow, RefusedTimerReportsFailureToTheController) {
    ui::DialogWindow::failing_timers() = {7};
    CountingController c(3, false);
    ui::BenchmarkWindow w(c, nullptr);
    c.attach(&w);
    QTimer::singleShot(0, &w, [&] {
        w.run_button()->click();
        w.reject();
    });
    EXPECT_EQ(w.run(), app::kIdCancel);
    ui::DialogWindow::failing_timers().clear();
    EXPECT_FALSE(c.timer_started);
}

}  // namespace
