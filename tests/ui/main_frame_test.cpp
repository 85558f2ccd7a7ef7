// The main window: its menu, tool bar and prompts, its timers (refresh after a worker logs,
// "Timer Error", stopped on close) and the menu drivers around a dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QToolBar>
#include <thread>

#include "app/benchmark_codes.h"
#include "app/console.h"
#include "app/dialog_host.h"
#include "app/run_registry.h"
#include "gui_test_support.h"
#include "ui/console_view.h"
#include "ui/dialog_window.h"
#include "ui/main_frame.h"

namespace {

using ui::CMainFrame;
using ui_test::shown_boxes;
using ui_test::wait_until;

struct MenuEntry {
    QString text;
    int id;
};

std::vector<MenuEntry> entries_of(QMenu* menu) {
    std::vector<MenuEntry> out;
    for (QAction* a : menu->actions()) out.push_back({a->text(), a->data().toInt()});
    return out;
}

// Ends every run with a fixed result and remembers what it was asked to run.
class ScriptedRunner : public app::ModalRunner {
  public:
    int run_modal(app::RunController& c) override {
        titles.push_back(c.title());
        if (during) during();
        return result;
    }
    int result = app::kIdCancel;
    std::vector<std::string> titles;
    std::function<void()> during;
};

// Installs a runner for one test and puts the GUI's back afterwards.
class RunnerScope {
  public:
    explicit RunnerScope(app::ModalRunner* r) { app::set_modal_runner(r); }
    ~RunnerScope() { ui::install_gui_modal_runner(); }
};

std::string console_lines() {
    return app::console().text();
}

TEST(CMainFrame, MenuHasEveryEntryWithItsMnemonicAndCommandId) {
    CMainFrame f;
    const QList<QAction*> menus = f.menuBar()->actions();
    QStringList titles;
    for (QAction* m : menus) titles << m->text();
    EXPECT_EQ(titles, QStringList({"&File", "&View", "&Membench", "STR&EAM", "M&ol Dyn", "&Orbitra",
                                   "&Cipher Bench", "&Blas Bench", "&Help"}));
    const std::vector<std::vector<std::pair<const char*, int>>> expected = {
        {{"&Run All Benchmarks", 32772}, {"E&xit", 57665}},
        {{"&Toolbar", 59392}, {"&Status Bar", 59393}},
        {{"Run Benchmark", 32779}},
        {{"Run Benchmark", 32789}},
        {{"Run Benchmark", 32774}},
        {{"Run Benchmark", 32782}},
        {{"Run Benchmark", 32787}},
        {{"Run SGEMM", 144}, {"Run DGEMM", 32788}},
        {{"&About Lumetra 2.0...", 57664}},
    };
    for (int i = 0; i < menus.size(); ++i) {
        const std::vector<MenuEntry> got = entries_of(menus[i]->menu());
        ASSERT_EQ(got.size(), expected[static_cast<std::size_t>(i)].size()) << i;
        for (std::size_t j = 0; j < got.size(); ++j) {
            EXPECT_EQ(got[j].text,
                      QString::fromLatin1(expected[static_cast<std::size_t>(i)][j].first));
            EXPECT_EQ(got[j].id, expected[static_cast<std::size_t>(i)][j].second);
        }
    }
}

TEST(CMainFrame, ToolBarOrderDisabledButtonAndPrompts) {
    CMainFrame f;
    auto* tools = f.findChild<QToolBar*>(QStringLiteral("toolbar"));
    ASSERT_NE(tools, nullptr);
    std::vector<int> ids;
    for (QAction* a : tools->actions()) {
        ids.push_back(a->data().toInt());
        EXPECT_FALSE(a->icon().pixmap(16, 16).isNull());
    }
    EXPECT_EQ(ids, (std::vector<int>{32772, 32779, 32774, 32782, 32786, 144, 57664}));
    EXPECT_FALSE(f.command_action(32786)->isEnabled());
    EXPECT_TRUE(f.command_action(32779)->isEnabled());
    EXPECT_EQ(f.command_action(144)->statusTip(),
              QStringLiteral("Runs the SGEMM benchmark in the Lumetra2.0 suite"));
    EXPECT_EQ(f.command_action(32779)->statusTip(),
              QStringLiteral("Runs memory bandwidth and latency tests, also tests the "
                             "processor's cache hierarchy"));
    EXPECT_EQ(f.status_message()->text(), QStringLiteral("Ready"));
    // The View menu hides and shows the bars.
    f.show();
    f.command_action(CMainFrame::kIdToolbar)->trigger();
    EXPECT_FALSE(tools->isVisible());
    f.command_action(CMainFrame::kIdToolbar)->trigger();
    EXPECT_TRUE(tools->isVisible());
}

TEST(CMainFrame, TimerThatCannotStartReportsTimerErrorAndCloses) {
    shown_boxes().clear();
    CMainFrame::failing_timers() = {505};
    CMainFrame f;
    f.show();
    f.create_console_view();
    EXPECT_FALSE(f.start_timers());
    CMainFrame::failing_timers().clear();
    ASSERT_EQ(shown_boxes().size(), 1u);
    EXPECT_EQ(shown_boxes()[0].text, QStringLiteral("Timer Error"));
    EXPECT_EQ(shown_boxes()[0].title, QStringLiteral("Could not create timer!"));
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.timer_active(500));
}

TEST(CMainFrame, Timer500RefreshesTheViewAfterAWorkerLogs) {
    app::console().reset();
    app::console().append("banner\r\n");
    CMainFrame f;
    f.show();
    f.create_console_view();
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
    app::console().reset();
    app::console().append("banner\r\n");
    ScriptedRunner runner;
    RunnerScope scope(&runner);
    CMainFrame f;
    f.create_console_view();

    runner.result = app::kIdCancel;
    f.run_command(CMainFrame::kIdRunAll);
    ASSERT_EQ(runner.titles.size(), 1u);
    EXPECT_EQ(runner.titles[0], "Lumetra 2.0 Benchmark Suite");
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
        f.run_command(CMainFrame::kIdMolDyn);
        EXPECT_NE(console_lines().find("Molecular Dynamics Configuration..."), std::string::npos);
        EXPECT_NE(console_lines().find("Canceling Molecular Dyanmics.\x1c_\r\n"),
                  std::string::npos);
    }
}

TEST(CMainFrame, CloseWaitsForTheOpenDialogToEnd) {
    app::console().reset();
    app::console().append("banner\r\n");
    CMainFrame f;
    f.show();
    f.create_console_view();
    ASSERT_TRUE(f.start_timers());
    // A dialog that the user leaves open while asking the main window to close.
    class AsksToClose : public app::RunController {
      public:
        explicit AsksToClose(CMainFrame& frame) : frame_(frame) {}
        std::string title() const override { return "Lumetra 2.0 Benchmark Suite"; }
        void on_paint() override {
            if (asked_) return;
            asked_ = true;
            frame_.close();
            still_open = frame_.isVisible() && frame_.timer_active(500);
            host().end_dialog(app::kIdCancel);
        }
        void on_timer(int) override {}
        bool still_open = false;

      private:
        CMainFrame& frame_;
        bool asked_ = false;
    };
    AsksToClose dialog(f);
    EXPECT_EQ(ui::gui_modal_runner().run_modal(dialog), app::kIdCancel);
    EXPECT_TRUE(dialog.still_open);
    // Once the run is over the window closes.
    f.close();
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.timer_active(505));
}

TEST(CMainFrame, AboutBoxShowsTheProgramAndCloses) {
    CMainFrame f;
    QString title;
    QTimer::singleShot(50, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            title = w->windowTitle();
            w->close();
        }
    });
    f.run_command(CMainFrame::kIdAbout);
    EXPECT_EQ(title, QStringLiteral("About Lumetra 2.0"));
}

}  // namespace
