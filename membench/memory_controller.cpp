#include "membench/memory_controller.h"

#include "app/benchmarks.h"
#include "app/console.h"
#include "app/message_sink.h"
#include "app/processor_info.h"

namespace membench {

MemBenchController::MemBenchController(const CacheDetection& detection, MemoryRunSizes sizes)
    : sizes_(sizes) {
    app::CpuidSource& cpuid = detection.cpuid ? *detection.cpuid : app::hardware_cpuid();
    const char* vendor = detection.vendor ? detection.vendor : app::processor_info().vendor;
    // Detection reads the caches of the processor the memory worker will run on.
    bool recognised = true;
    auto detect = [&] { recognised = detect_caches(vendor, cpuid, caches_); };
    app::Thread detector;
    if (detector.create_suspended(detect)) {
        detector.set_affinity(0);
        detector.resume();
        detector.join();
    } else {
        detect();
    }
    caches_recognised_ = recognised;
    if (!recognised) app::message_sink().message_box(kCacheProblemText, kCacheProblemCaption);
}

MemBenchController::~MemBenchController() {
    // The worker writes into this object until it signals done.
    worker_.join();
}

std::string MemBenchController::title() const {
    return std::string(app::find_benchmark(app::kCodeMemory)->title);
}

void MemBenchController::on_command(int id) {
    if (id == kAnalyzeCommand) start_analysis();
}

void MemBenchController::on_timer(int id) {
    if (id == kCompletionTimer) completion_poll();
}

void MemBenchController::start_analysis() {
    if (progress_box_active()) return;
    record().begin();
    record().set_figure("caches", cache_to_json(caches_));
    MemoryRunInput input;
    input.l1_size = static_cast<float>(caches_.l1_data_size);
    input.l2_size = static_cast<float>(caches_.l2_size);
    input.l2_size_for_latency = caches_.l2_size;
    input.mhz = app::processor_info().clock_rate_wide;
    input.isa = processor_copy_isa();
    input.sizes = sizes_;
    run_mhz_ = input.mhz;
    auto body = [this, input] {
        app::pin_current_thread(0);
        outcome_ = run_memory_benchmark(input, &record());
    };
    if (!run_behind_progress_box(worker_, body, {0, app::Priority::AboveNormal},
                                 "Error: Could not create the memory benchmark thread."))
        return;
    results_shown_ = true;
    host().request_repaint();
}

void MemBenchController::completion_poll() {
    if (!boxed_worker_done(worker_)) return;
    if (outcome_.ok) {
        const MemoryResults& r = outcome_.results;
        memory_bandwidth_ = r.memory_best;
        memory_latency_ = static_cast<float>(cycles_to_ns(r.latency[13][8], run_mhz_));
        record().merge_figures(memory_figures(r, run_mhz_));
        record().set_headline("bandwidth_mbs", memory_bandwidth_);
        record().complete();
    } else if (outcome_.interrupted) {
        record().stop(outcome_.error);
    } else {
        record().fail(outcome_.error);
    }
    end_boxed_run(worker_);
}

}  // namespace membench
