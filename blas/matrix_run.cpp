#include "blas/matrix_run.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/benchmarks.h"
#include "app/console.h"
#include "app/files.h"
#include "app/format.h"
#include "app/processor_info.h"
#include "blas/isa_peak.h"
#include "blas/mflops.h"

namespace blas {
namespace {

std::mutex g_tables_mutex;
MatrixTables g_tables;

// Slot of the peak test in method_results.
constexpr int kPeakSlot = 2;

}  // namespace

double MatrixTables::peak() const {
    double peak = 0.0;
    for (const auto& slot : method_results) peak = std::max(peak, slot[0]);
    return peak;
}

app::Event& blas_finished_event() {
    static app::Event event(app::Event::Reset::Auto);
    return event;
}

app::Event& blas_progress_event() {
    static app::Event event(app::Event::Reset::Auto);
    return event;
}

int method_from_kernel_name(const std::string& name) {
    const std::string upper = app::ascii_upper(name);
    if (upper == "MKL") return kMethodMkl;
    if (upper == "ACML") return kMethodAcml;
    return kMethodCompiler;
}

MatrixController::MatrixController(Precision precision, MatrixRunSizes sizes)
    : single_precision(precision == Precision::Single ? 1 : 0),
      double_precision(precision == Precision::Double ? 1 : 0),
      sizes_(std::move(sizes)) {}

MatrixController::~MatrixController() {
    thread_.join();
}

std::string MatrixController::title() const {
    return std::string(
        app::find_benchmark(single_precision ? app::kCodeSgemm : app::kCodeDgemm)->title);
}

MatrixTables MatrixController::tables() const {
    std::lock_guard lock(g_tables_mutex);
    return g_tables;
}

void MatrixController::paint_dialog(bool first) {
    // A user's dialog starts on "Compiler"; an unattended one keeps what it was given.
    if (first && !auto_start) method = kMethodCompiler;
    if (run_started_) result_ = static_cast<float>(tables().peak());
}

void MatrixController::start_automatic_run() {
    // "MKL" and "ACML" have no library behind them: they run as "Compiler".
    if (method == 0 || method == kMethodMkl || method == kMethodAcml) method = kMethodCompiler;
    analyze();
}

void MatrixController::on_command(int id) {
    switch (id) {
        case kIdAnalyze:
            analyze();
            break;
        case kIdRadioCompiler:
            method = kMethodCompiler;
            break;
        case kIdRadioX87:
            method = kMethodX87Asm;
            break;
        case kIdRadioSse:
            method = single_precision ? kMethodSse : kMethodSse2Vector;
            break;
        case kIdRadio3dNow:
            method = single_precision ? kMethod3dNow : kMethodSse2Scalar;
            break;
        case kIdRadioMkl:
            method = kMethodMkl;
            break;
        case kIdRadioAcml:
            method = kMethodAcml;
            break;
        default:
            break;  // "Simulation Instruction Trace" does nothing
    }
}

void MatrixController::on_cancel() {
    // A run cannot be interrupted: Cancel is disabled while it goes.
    if (running_) return;
    host().end_dialog(app::kIdCancel);
}

void MatrixController::analyze() {
    if (running_) return;
    {
        std::lock_guard lock(g_tables_mutex);
        g_tables.method = method;
        g_tables.single_precision = single_precision;
    }
    blas_finished_event().reset();
    blas_progress_event().reset();
    record().begin();
    if (!start_timer_or_report(kBlasTimer, 1)) {
        give_up("Error: Could not create Timer in OnAnalyze().", "Could not create timer");
        return;
    }
    running_ = 1;
    run_started_ = true;
    if (!start_worker(thread_, [this] { worker(); })) {
        host().kill_timer(kBlasTimer);
        running_ = 0;
        give_up("Error: Could not create the matrix multiply thread.",
                "Could not create the matrix multiply thread");
    }
}

void MatrixController::worker() {
    int run_method = 0;
    bool single = false;
    {
        std::lock_guard lock(g_tables_mutex);
        for (auto& slot : g_tables.method_results) slot.fill(0.0);
        g_tables.size_mflops.fill(0.0);
        run_method = g_tables.method;
        single = g_tables.single_precision != 0;
    }
    const std::string name_text(
        app::find_benchmark(single ? app::kCodeSgemm : app::kCodeDgemm)->name);
    const char* name = name_text.c_str();
    const int count = std::clamp(sizes_.size_count, 0, 100);
    const int step = single ? sizes_.single_step : sizes_.double_step;
    const int peak_size = single ? sizes_.single_peak : sizes_.double_peak;
    const int element_bytes = single ? 4 : 8;
    auto measure = [&](int n) {
        return single ? sgemm_mflops(n, n, n, sizes_.kernel) : dgemm_mflops(n, n, n, sizes_.kernel);
    };
    auto failure = [&](int n, GemmStatus status) {
        return app::strprintf("%s %dx%d matrix multiply failed: %s.", name, n, n,
                              gemm_status_text(status));
    };

    std::string error;
    if (run_method == kMethodCompiler) {
        {
            std::lock_guard lock(g_tables_mutex);
            g_tables.size_count = count;
        }
        for (int i = 0; i < count && error.empty(); ++i) {
            const int n = step * (i + 1);
            app::ConsoleLog(app::with_cursor(
                app::strprintf("%dx%d matrix - %d bytes", n, n, n * n * element_bytes)));
            const MflopsResult r = measure(n);
            if (r.status != GemmStatus::Ok) {
                error = failure(n, r.status);
                break;
            }
            {
                std::lock_guard lock(g_tables_mutex);
                g_tables.size_mflops[i] = r.mflops;
            }
            app::ConsoleLog(app::with_cursor(app::strprintf("MFLOPS: %f", r.mflops)));
            record().set_progress("Matrix size", i + 1, count);
            blas_progress_event().set();
        }
        if (error.empty()) {
            app::ConsoleLog(app::with_cursor("Testing peak scores..."));
            record().set_progress("Peak test", count, count);
            const MflopsResult r = measure(peak_size);
            if (r.status != GemmStatus::Ok) {
                error = failure(peak_size, r.status);
            } else {
                std::lock_guard lock(g_tables_mutex);
                g_tables.method_results[kPeakSlot][0] = r.mflops;
            }
            if (error.empty()) app::ConsoleLog(app::with_cursor("Test complete."));
        }
    }

    if (!error.empty()) {
        // The run ends in order: the error line, a failed record, and the finished event so
        // that the dialog returns to idle (and closes when it was asked to).
        app::ConsoleLog(app::with_cursor("Error: " + error));
        record().fail(error);
    } else {
        const MatrixTables t = tables();
        const double peak = t.peak();
        app::ConsoleLog(app::strprintf("Compiled: %.5f\r\n", t.method_results[kPeakSlot][0]));
        app::ConsoleLog(app::strprintf("Peak MFLOPS: %.2f\r\n", peak));
        app::ConsoleLog(app::with_cursor(
            app::strprintf("FLOPS/cycle: %.2f", peak / app::processor_info().clock_rate_wide)));
    }
    blas_finished_event().set();
}

void MatrixController::finish() {
    host().request_repaint();
    host().kill_timer(kBlasTimer);
    thread_.join();
    running_ = 0;
    const MatrixTables t = tables();
    const double peak = t.peak();
    result_ = static_cast<float>(peak);

    // The tables are zeroed by the next run (of either precision), so the record keeps its own
    // copy.
    std::vector<int> sizes;
    std::vector<double> mflops;
    const int step = t.single_precision ? sizes_.single_step : sizes_.double_step;
    for (int i = 0; i < t.size_count; ++i) {
        sizes.push_back(step * (i + 1));
        mflops.push_back(t.size_mflops[i]);
    }
    nlohmann::json figures = {
        {"precision", t.single_precision ? "single" : "double"},
        {"method", t.method},
        {"sizes", sizes},
        {"mflops", mflops},
        {"peak_size", t.single_precision ? sizes_.single_peak : sizes_.double_peak},
        {"peak_mflops", peak},
        {"flops_per_cycle", peak / app::processor_info().clock_rate_wide},
    };
    // The machine's theoretical peak for this precision, for comparing machines; null when it
    // cannot be determined.
    const double isa_peak = isa_peak_mflops(app::processor_info(), t.single_precision != 0);
    figures["isa_peak_mflops"] = isa_peak > 0.0 ? nlohmann::json(isa_peak) : nlohmann::json();
    figures["efficiency_percent"] =
        isa_peak > 0.0 ? nlohmann::json(peak / isa_peak * 100.0) : nlohmann::json();
    record().merge_figures(figures);
    record().set_headline("Peak MFLOPS", peak);
    if (record().status() == app::RunStatus::Running) {
        app::ConsoleLog(app::with_cursor("\r\nBenchmark complete."));
        record().complete();
    }
    close_if_automatic();
}

void MatrixController::on_timer(int id) {
    if (id != kBlasTimer) return;
    if (blas_finished_event().poll()) {
        finish();
        return;
    }
    if (blas_progress_event().poll()) host().request_repaint();
}

}  // namespace blas
