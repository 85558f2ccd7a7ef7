// A message sink that installs itself for its lifetime and records every box ("title: text")
// and question ("title? text"), answering questions with `answer`. Workers may raise boxes, so
// the record is locked.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "app/message_sink.h"

namespace testing_support {

class RecordingSink final : public app::MessageSink {
  public:
    RecordingSink() { app::set_message_sink(this); }
    ~RecordingSink() override { app::set_message_sink(nullptr); }
    RecordingSink(const RecordingSink&) = delete;
    RecordingSink& operator=(const RecordingSink&) = delete;

    void message_box(std::string_view text, std::string_view title) override {
        std::lock_guard lock(mutex_);
        boxes.push_back(std::string(title) + ": " + std::string(text));
    }
    bool ask_yes_no(std::string_view text, std::string_view title) override {
        std::lock_guard lock(mutex_);
        boxes.push_back(std::string(title) + "? " + std::string(text));
        return answer;
    }

    std::vector<std::string> boxes;
    bool answer = true;

  private:
    std::mutex mutex_;
};

}  // namespace testing_support
