// The run logic of the STREAM dialog (CStreamDlg): Analyze (or the automatic start at the
// first paint) runs the coordinator behind the nested "Analysis in Progress..." box; timer 1000
// polls for completion, computes the STREAM score and closes the dialog when it was started
// automatically.
#pragma once

#include <string>

#include "app/benchmark_controller.h"
#include "app/event.h"
#include "app/thread.h"
#include "stream/stream_run.h"

namespace stream {

inline constexpr int kAnalyzeCommand = 1093;
inline constexpr int kCompletionTimer = 1000;

class StreamController : public app::BenchmarkController {
  public:
    explicit StreamController(StreamSizes sizes = {});
    ~StreamController() override;

    std::string title() const override;
    void on_timer(int id) override;
    void on_command(int id) override;
    int run_command_id() const override { return kAnalyzeCommand; }
    std::string run_command_text() const override { return "Analyze"; }

    bool results_shown() const { return results_shown_; }
    bool analysis_active() const { return progress_box_active(); }
    // The rate table the dialog draws (zeroed when the dialog is made).
    const RateTable& rates() const { return rates_; }
    // The field the suite reads.
    float stream_score_value() const { return score_; }
    int threads() const { return threads_; }

    void start_analysis();

  protected:
    void start_automatic_run() override { start_analysis(); }

  private:
    void completion_poll();

    StreamSizes sizes_;
    RateTable rates_{};
    float score_ = 0;
    int threads_ = 0;
    bool results_shown_ = false;

    app::BoxedWorker coordinator_{kCompletionTimer};
    StreamOutcome outcome_;  // written by the coordinator before it ends
};

}  // namespace stream
