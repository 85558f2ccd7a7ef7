// A dialog host the test drives by hand: timers are only noted (the test calls on_timer),
// boxes and questions are recorded, nested runs go to a headless runner.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/dialog_host.h"
#include "app/headless_host.h"

namespace testing_support {

class ManualHost : public app::DialogHost {
  public:
    std::map<int, int> timers;           // running timers: id -> period in ms
    std::vector<std::string> questions;  // "text|title"
    bool answer = true;
    bool ended = false;
    int result = 0;
    app::HeadlessRunner runner;

    bool start_timer(int id, int period_ms) override {
        timers[id] = period_ms;
        return true;
    }
    void kill_timer(int id) override { timers.erase(id); }
    void message_box(std::string_view, std::string_view) override {}
    bool ask_yes_no(std::string_view text, std::string_view title) override {
        questions.push_back(std::string(text) + "|" + std::string(title));
        return answer;
    }
    void end_dialog(int r) override {
        ended = true;
        result = r;
    }
    void request_repaint() override {}
    int run_modal_box(const app::ModalBoxText&) override { return 0; }
    void end_modal_box(int) override {}
    app::ModalRunner& modal_runner() override { return runner; }
};

}  // namespace testing_support
