// Boxes raised on a worker thread are shown on the GUI thread while the worker waits.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/console.h"
#include "app/message_sink.h"
#include "gui_test_support.h"
#include "ui/gui_message_sink.h"
#include "ui/gui_startup.h"

namespace {

using ui_test::shown_boxes;
using ui_test::wait_until;

TEST(GuiMessageSink, WorkerBoxIsShownOnTheGuiThreadAndTheWorkerWaits) {
    shown_boxes().clear();
    std::atomic<bool> worker_returned{false};
    std::atomic<bool> returned_before_shown{false};
    std::thread worker([&] {
        app::message_sink().message_box("Warning: unable to open console file.", "File error");
        returned_before_shown = shown_boxes().empty();
        worker_returned = true;
    });
    ASSERT_TRUE(wait_until([&] { return worker_returned.load(); }));
    worker.join();
    ASSERT_EQ(shown_boxes().size(), 1u);
    EXPECT_EQ(shown_boxes()[0].text, QStringLiteral("Warning: unable to open console file."));
    EXPECT_EQ(shown_boxes()[0].title, QStringLiteral("File error"));
    EXPECT_TRUE(shown_boxes()[0].on_gui_thread);
    EXPECT_FALSE(returned_before_shown);
}

TEST(GuiMessageSink, WorkerQuestionGetsTheUsersAnswer) {
    ui::GuiMessageSink* sink = ui::gui_message_sink();
    auto saved = sink->presenter;
    sink->presenter = [](const QString&, const QString&, bool question) { return !question; };
    std::atomic<int> answer{-1};
    std::thread worker([&] { answer = app::message_sink().ask_yes_no("Stop?", "Run") ? 1 : 0; });
    ASSERT_TRUE(wait_until([&] { return answer.load() != -1; }));
    worker.join();
    sink->presenter = saved;
    EXPECT_EQ(answer, 0);
}

TEST(GuiMessageSink, ConsoleWarningFromAWorkerReachesTheGuiThread) {
    // A console whose log file cannot be opened warns from whichever thread logs.
    shown_boxes().clear();
    app::Console console(4096);
    console.create_log_file("/nonexistent-folder/console.txt");
    std::atomic<bool> done{false};
    std::thread worker([&] {
        console.log("line\r\n");
        done = true;
    });
    ASSERT_TRUE(wait_until([&] { return done.load(); }));
    worker.join();
    ASSERT_FALSE(shown_boxes().empty());
    EXPECT_EQ(shown_boxes().back().title, QStringLiteral("File error"));
    EXPECT_TRUE(shown_boxes().back().on_gui_thread);
    EXPECT_NE(console.text().find("line"), std::string::npos);
}

}  // namespace
