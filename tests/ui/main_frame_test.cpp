// The main window: its timers (refresh after a worker logs, "Timer Error") and the menu drivers
// around a dialog.
#include <gtest/gtest.h>

#include <thread>

#include "app/benchmark_codes.h"
#include "app/console.h"
#include "app/dialog_host.h"
#include "app/run_registry.h"
#include "gui_test_support.h"
#include "suite/suite_dialog.h"
#include "support/fake_runner.h"
#include "ui/console_view.h"
#include "ui/dialog_window.h"
#include "ui/main_frame.h"

namespace {

using ui::CMainFrame;
using ui_test::RunnerScope;
using ui_test::shown_boxes;
using ui_test::wait_until;

std::string console_lines() {
    return app::console().text();
}

// Shows the window with its view over a console holding one line.
void open_over_banner(CMainFrame& f) {
    app::console().reset();
    app::console().append("banner\r\n");
    f.show();
    f.create_console_view();
}

TEST(CMainFrame, TimerThatCannotStartReportsTimerErrorAndCloses) {
    shown_boxes().clear();
    CMainFrame::failing_timers() = {505};
    CMainFrame f;
    open_over_banner(f);
    EXPECT_FALSE(f.start_timers());
    CMainFrame::failing_timers().clear();
    ASSERT_EQ(shown_boxes().size(), 1u);
    EXPECT_EQ(shown_boxes()[0].text, QStringLiteral("Timer Error"));
    EXPECT_EQ(shown_boxes()[0].title, QStringLiteral("Could not create timer!"));
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.timer_active(500));
}

TEST(CMainFrame, Timer500RefreshesTheViewAfterAWorkerLogs) {
    CMainFrame f;
    open_over_banner(f);
    ASSERT_TRUE(f.start_timers());
    std::thread worker([] { app::ConsoleLog(app::with_cursor("Completed by the worker")); });
    worker.join();
    ASSERT_TRUE(wait_until([&] {
        return f.console_view()->document().text().find("Completed by the worker") !=
               std::string::npos;
    }));
    EXPECT_EQ(f.console_view()->vertical().position(), f.console_view()->vertical().maximum());
    // The refresh consumed the event.
    EXPECT_FALSE(app::console().changed_event().is_set());
    f.close();
    EXPECT_FALSE(f.timer_active(500));
    EXPECT_FALSE(f.timer_active(505));
}

TEST(CMainFrame, MenuDriversWriteTheirLinesAroundTheDialog) {
    testing_support::FakeRunner runner;
    bool automatic = true;
    runner.on_run = [&](app::RunController& c) {
        if (auto* s = dynamic_cast<suite::SuiteController*>(&c))
            automatic = s->inputs().automatic_run_requested;
    };
    RunnerScope scope(&runner);
    CMainFrame f;
    open_over_banner(f);

    // Through the menu action, so its command id must reach the handler.
    runner.result = app::kIdCancel;
    f.command_action(CMainFrame::kIdRunAll)->trigger();
    ASSERT_EQ(runner.titles.size(), 1u);
    EXPECT_EQ(runner.titles[0], "Lumetra 2.0 Benchmark Suite");
    EXPECT_FALSE(automatic);
    EXPECT_EQ(console_lines(),
              "banner\r\nLumetra 2.0 Run Configuration...\x1b\x1b\r\n"
              "Finished Lumetra 2.0 Run Configuration.\x1c_\r\n");
    EXPECT_EQ(f.console_view()->document().text(), console_lines());

    // Run All ended otherwise writes no closing line.
    runner.result = app::kIdOk;
    f.run_command(CMainFrame::kIdRunAll);
    EXPECT_TRUE(
        console_lines().ends_with("Finished Lumetra 2.0 Run Configuration.\x1b\x1b\r\n"
                                  "Lumetra 2.0 Run Configuration...\x1c_\r\n"));

    if (app::run_registry().find(app::kCodeMolDyn)) {
        runner.result = app::kIdCancel;
        f.command_action(CMainFrame::kIdMolDyn)->trigger();
        EXPECT_NE(console_lines().find("Molecular Dynamics Configuration..."), std::string::npos);
        EXPECT_NE(console_lines().find("Canceling Molecular Dyanmics.\x1c_\r\n"),
                  std::string::npos);
    }
}

}  // namespace
