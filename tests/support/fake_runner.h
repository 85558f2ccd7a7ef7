// A modal runner that stands in for every benchmark dialog: it notes the dialog's title, lets
// `on_run` act on the controller (complete its record, read its fields) and returns `result`
// at once.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/dialog_host.h"

namespace testing_support {

class FakeRunner : public app::ModalRunner {
  public:
    int run_modal(app::RunController& c) override {
        titles.push_back(c.title());
        if (on_run) on_run(c);
        return result;
    }
    std::function<void(app::RunController&)> on_run;
    int result = app::kIdCancel;
    std::vector<std::string> titles;
};

}  // namespace testing_support
