// The run logic of the Memory Benchmarks dialog (CMemBenchDlg): cache detection when it is
// constructed, Analyze (or the automatic start at the first paint) runs the memory worker
// behind the nested "Analysis in Progress..." box, and timer 1000 polls for completion,
// copies the two result fields and closes the dialog when it was started automatically.
#pragma once

#include <atomic>
#include <string>

#include "app/benchmark_controller.h"
#include "app/cpuid.h"
#include "app/event.h"
#include "app/thread.h"
#include "membench/cache_info.h"
#include "membench/memory_run.h"

namespace membench {

inline constexpr int kAnalyzeCommand = 4;
inline constexpr int kCompletionTimer = 1000;

// Where cache detection reads the processor: the defaults are this machine's.
struct CacheDetection {
    app::CpuidSource* cpuid = nullptr;  // null: the processor's own CPUID
    const char* vendor = nullptr;       // null: the vendor of the processor report
};

class MemBenchController : public app::BenchmarkController {
  public:
    explicit MemBenchController(const CacheDetection& detection = {}, MemoryRunSizes sizes = {});
    ~MemBenchController() override;

    std::string title() const override;
    void on_timer(int id) override;
    void on_command(int id) override;
    int run_command_id() const override { return kAnalyzeCommand; }
    std::string run_command_text() const override { return "Analyze"; }

    const CacheInfo& caches() const { return caches_; }
    bool cache_detection_failed() const { return !caches_recognised_; }
    bool results_shown() const { return results_shown_; }
    bool analysis_active() const { return progress_box_active(); }
    // The two result fields the suite reads (MB/s, ns).
    float memory_bandwidth() const { return memory_bandwidth_; }
    float memory_latency() const { return memory_latency_; }
    // The tables the dialog draws once results are shown.
    MemoryResults results() const { return memory_results(); }
    // The second-level latency row the dialog draws, chosen from the detected L2 size.
    int l2_row() const { return l2_latency_row(caches_.l2_size); }

    void start_analysis();

  protected:
    void start_automatic_run() override { start_analysis(); }

  private:
    void completion_poll();

    MemoryRunSizes sizes_;
    CacheInfo caches_;
    bool caches_recognised_ = true;
    bool results_shown_ = false;
    float memory_bandwidth_ = 0;
    float memory_latency_ = 0;
    double run_mhz_ = 0;

    app::BoxedWorker worker_{kCompletionTimer};
    MemoryRunOutcome outcome_;  // written by the worker before it ends
};

}  // namespace membench
