#include "app/message_sink.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

namespace app {
namespace {

class StderrSink final : public MessageSink {
  public:
    void message_box(std::string_view text, std::string_view title) override {
        std::lock_guard lock(mutex_);
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
                     static_cast<int>(text.size()), text.data());
        std::fflush(stderr);
    }
    bool ask_yes_no(std::string_view text, std::string_view title) override {
        message_box(std::string(text) + " [yes]", title);
        return true;
    }

  private:
    std::mutex mutex_;
};

StderrSink g_default;
std::atomic<MessageSink*> g_sink{nullptr};

}  // namespace

MessageSink& message_sink() {
    MessageSink* s = g_sink.load(std::memory_order_acquire);
    return s ? *s : g_default;
}

void set_message_sink(MessageSink* sink) {
    g_sink.store(sink, std::memory_order_release);
}

}  // namespace app
