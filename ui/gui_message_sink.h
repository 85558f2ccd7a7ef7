// Message boxes for the whole program: a box raised on any thread is shown on the GUI thread,
// and the raising thread waits until the user has answered it.
#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <string_view>

#include "app/message_sink.h"

namespace ui {

class GuiMessageSink : public QObject, public app::MessageSink {
    Q_OBJECT
  public:
    // Lives on the thread that creates it (the GUI thread).
    GuiMessageSink();
    ~GuiMessageSink() override;

    void message_box(std::string_view text, std::string_view title) override;
    bool ask_yes_no(std::string_view text, std::string_view title) override;

    // Installs this sink as app::message_sink() until destroyed; from the program's quit on,
    // boxes go to the default sink (nobody could answer them).
    void install();

    // Test hook: replaces the real box; called on the GUI thread with (text, title, question)
    // and returns the answer.
    std::function<bool(const QString&, const QString&, bool)> presenter;

  private:
    bool show(std::string_view text, std::string_view title, bool question);
    bool present(const QString& text, const QString& title, bool question);

    std::atomic<bool> accepting_{true};
    bool installed_ = false;
};

}  // namespace ui
