// Message boxes raised anywhere (a worker's console write, a dialog's timer) reach the face
// through one sink: the CLI prints "title: text" to stderr, the GUI shows a box on its own
// thread and blocks the caller until it is answered.
#pragma once

#include <string_view>

namespace app {

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void message_box(std::string_view text, std::string_view title) = 0;
    // Yes/no question; true for yes.
    virtual bool ask_yes_no(std::string_view text, std::string_view title) = 0;
};

// The sink in use; the default one writes to stderr and answers yes.
MessageSink& message_sink();
// Installs a sink (nullptr restores the default). The sink must outlive its installation.
void set_message_sink(MessageSink* sink);

}  // namespace app
