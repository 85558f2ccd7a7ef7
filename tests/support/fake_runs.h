// Scripted benchmark runs for the suite tests: each registered code makes a controller that
// starts on its first paint, leaves the scripted record, closes itself, and notes what the suite
// handed it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/benchmarks.h"
#include "app/console.h"
#include "app/dialog_host.h"
#include "app/interrupt.h"
#include "app/run_registry.h"

namespace suite_test {

struct Script {
    app::RunStatus status = app::RunStatus::Completed;
    double headline = 1.0;
    nlohmann::json figures = nlohmann::json::object();
    std::string error = {};
    bool end_without_record = false;  // the dialog closes before its run finishes
    // The run raises an interrupt (as SIGINT would) and then runs until its Cancel stops it
    // (stoppable) or for `ticks` more timer ticks before completing (a kernel that cannot stop).
    bool interrupt_mid_run = false;
    bool stoppable = false;
    int ticks = 5;
};

struct Call {
    int code;
    app::RunRequest request;
};

class ScriptedRun : public app::RunController {
  public:
    ScriptedRun(int code, app::RunRequest request, Script script, std::vector<Call>* calls)
        : code_(code), request_(std::move(request)), script_(std::move(script)), calls_(calls) {}

    std::string title() const override { return "Scripted"; }
    bool cancel_stops_run() const override { return script_.stoppable; }
    void on_cancel() override {
        if (running_) {
            // The stop path: the worker ends, the record says stopped, the dialog stays open.
            running_ = false;
            host().kill_timer(2);
            record().stop("Stopped by the user");
            ++stops;
            return;
        }
        host().end_dialog(app::kIdCancel);
    }
    static inline int stops = 0;
    void on_paint() override {
        if (!painted_ && request_.auto_start) (void)host().start_timer(1, 1);
        painted_ = true;
    }
    void on_timer(int id) override {
        if (id == 2) {
            if (--script_.ticks > 0) return;
            host().kill_timer(2);
            running_ = false;
            record().set_headline("headline", script_.headline);
            record().complete();
            if (request_.close_when_done) host().end_dialog(app::kIdCancel);
            return;
        }
        if (id != 1) return;
        host().kill_timer(1);
        calls_->push_back({code_, request_});
        if (script_.interrupt_mid_run) {
            record().begin();
            app::request_interrupt(2);
            running_ = true;
            (void)host().start_timer(2, 5);
            return;
        }
        app::ConsoleLog(app::with_cursor("ran " + std::to_string(code_)));
        if (!script_.end_without_record) {
            record().begin();
            record().merge_figures(script_.figures);
            record().set_headline("headline", script_.headline);
            if (script_.status == app::RunStatus::Completed) record().complete();
            if (script_.status == app::RunStatus::Failed) record().fail(script_.error);
            if (script_.status == app::RunStatus::Stopped) record().stop(script_.error);
        }
        if (request_.close_when_done) host().end_dialog(app::kIdCancel);
    }

  private:
    int code_;
    app::RunRequest request_;
    Script script_;
    std::vector<Call>* calls_;
    bool painted_ = false;
    bool running_ = false;
};

// A registry of scripted runs for every benchmark of the table; `scripts` may be changed
// before each run.
struct FakeRuns {
    std::map<int, Script> scripts;
    std::vector<Call> calls;
    app::RunRegistry registry;

    FakeRuns() {
        for (const app::BenchmarkInfo& b : app::benchmarks())
            registry.add(
                {b.code, std::string(b.name), [this, code = b.code](const app::RunRequest& r) {
                     return std::make_unique<ScriptedRun>(code, r, scripts[code], &calls);
                 }});
    }

    std::vector<int> codes_called() const {
        std::vector<int> out;
        for (const Call& c : calls) out.push_back(c.code);
        return out;
    }
};

}  // namespace suite_test
