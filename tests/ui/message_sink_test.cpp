// Boxes raised on a worker thread are shown on the GUI thread while the worker waits.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/message_sink.h"
#include "gui_test_support.h"
#include "ui/gui_message_sink.h"
#include "ui/gui_startup.h"

namespace {

using ui_test::shown_boxes;
using ui_test::wait_until;

TEST(GuiMessageSink, WorkerBoxIsShownOnTheGuiThreadAndTheWorkerWaitsForTheAnswer) {
    shown_boxes().clear();
    std::atomic<bool> worker_returned{false};
    std::atomic<bool> returned_before_shown{false};
    std::atomic<bool> answer{true};
    // Records like the test's own presenter but answers "no" to questions.
    ui::GuiMessageSink* sink = ui::gui_message_sink();
    const auto saved = sink->presenter;
    sink->presenter = [&](const QString& text, const QString& title, bool question) {
        return saved(text, title, question) && !question;
    };
    std::thread worker([&] {
        app::message_sink().message_box("Warning: unable to open console file.", "File error");
        returned_before_shown = shown_boxes().empty();
        answer = app::message_sink().ask_yes_no("Stop?", "Run");
        worker_returned = true;
    });
    ASSERT_TRUE(wait_until([&] { return worker_returned.load(); }));
    worker.join();
    sink->presenter = saved;
    ASSERT_EQ(shown_boxes().size(), 2u);
    EXPECT_EQ(shown_boxes()[0].text, QStringLiteral("Warning: unable to open console file."));
    EXPECT_EQ(shown_boxes()[0].title, QStringLiteral("File error"));
    EXPECT_TRUE(shown_boxes()[0].on_gui_thread);
    EXPECT_FALSE(returned_before_shown);
    EXPECT_TRUE(shown_boxes()[1].question);
    EXPECT_FALSE(answer);
}

}  // namespace
