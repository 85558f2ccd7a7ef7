#include "suite/suite_dialog.h"

#include <cmath>

#include "app/benchmark_codes.h"
#include "app/console.h"
#include "app/files.h"
#include "app/format.h"
#include "app/processor_info.h"
#include "suite/active_run.h"
#include "suite/results_file.h"

namespace suite {
namespace {

constexpr const char* kLineBreak = "\r\n";

void log_line(const char* text) {
    app::ConsoleLog(app::with_cursor(text));
}

// A figure narrowed to float may stop being usable (a huge double becomes infinite).
bool usable_float(double value) {
    return usable_figure(value) && usable_figure(float(value));
}

// A run that completed may still hand back a figure the formulas cannot use.
bool accept_figure(StepOutcome& st, double value) {
    if (st.ok && !usable_float(value)) {
        st.ok = false;
        st.error = "the run gave no usable figure";
    }
    return st.ok;
}

const char* step_name(int code) {
    switch (code) {
        case app::kCodeMemory:
            return "Memory Benchmark";
        case app::kCodeMolDyn:
            return "Molecular Dynamics";
        case app::kCodeOrbitra:
            return "Orbitra";
        case app::kCodeCipher:
            return "Cryptography";
        case app::kCodeDgemm:
            return "DGEMM";
        case app::kCodeSgemm:
            return "SGEMM";
        case app::kCodeStream:
            return "STREAM";
    }
    return "Benchmark";
}

}  // namespace

SuiteController::SuiteController(const app::RunRegistry& registry)
    : registry_(registry), clock_([] { return std::chrono::system_clock::now(); }) {}

void SuiteController::on_paint() {
    if (!panel_.first_paint_done) {
        panel_.selections = Selections{};
        panel_.first_paint_done = true;
        panel_.profile_names = profile_list("Profiles");
        app::ConsoleLog(located_profiles_line(static_cast<int>(panel_.profile_names.size()) - 1));
        panel_.selected_profile = 0;
    }
    panel_.profile =
        read_selected_profile("Profiles", panel_.profile_names, panel_.selected_profile);

    if (inputs_.automatic_run_requested) {
        inputs_.automatic_run_requested = false;
        if (host().start_timer(kAutoStartTimer, kAutoStartDelayMs)) {
            auto_in_progress_ = true;
        } else {
            // Without the timer the run would never start and an unattended caller would wait
            // for ever: report it and let the caller go on.
            auto_start_failed_ = true;
            host().message_box("Timer Error", "Could not create timer!");
            if (inputs_.close_when_finished || end_when_run_over_)
                host().end_dialog(app::kIdCancel);
        }
    }
}

void SuiteController::on_timer(int id) {
    if (id != kAutoStartTimer) return;
    host().kill_timer(kAutoStartTimer);
    const std::size_t n = std::min(inputs_.queue.size(), kSuiteQueueCapacity);
    panel_.selections = selections_for_queue(std::span<const int>(inputs_.queue.data(), n));
    host().request_repaint();
    run_suite();
}

void SuiteController::on_command(int id) {
    Selections& s = panel_.selections;
    switch (id) {
        case kIdCheckMolDyn:
            s.md = !s.md;
            break;
        case kIdCheckOrbitra:
            s.orbitra = !s.orbitra;
            break;
        case kIdCheckCipher:
            s.cipher = !s.cipher;
            break;
        case kIdCheckStream:
            s.stream = !s.stream;
            break;
        case kIdCheckMemory:
            s.memory = !s.memory;
            break;
        case kIdCheckBlas:
            s.blas = !s.blas;
            break;
        case kIdRunBenchmarks:
            if (!panel_.running) run_suite();
            break;
        default:
            break;
    }
}

std::string SuiteController::status_text() const {
    if (panel_.running) return "Running benchmarks";
    return runs_finished_ > 0 ? "Finished" : "Idle";
}

void SuiteController::select_profile(int index) {
    if (index < 0 || index >= static_cast<int>(panel_.profile_names.size())) index = 0;
    panel_.selected_profile = index;
    if (attached()) host().request_repaint();
}

bool SuiteController::all_steps_ok() const {
    if (auto_start_failed_ || !results_error_.empty()) return false;
    for (const StepOutcome& s : steps_)
        if (!s.ok) return false;
    return true;
}

StepOutcome& SuiteController::run_step(std::string key, int code, app::RunRequest request) {
    StepOutcome& out = steps_.emplace_back();
    out.key = std::move(key);
    out.code = code;
    const app::RunEntry* entry = registry_.find(code);
    out.name = entry && !entry->name.empty() ? entry->name : step_name(code);
    if (!entry || !entry->make) {
        out.error = "this benchmark is not available in this build";
        return out;
    }
    request.auto_start = true;
    request.close_when_done = true;
    std::unique_ptr<app::RunController> dialog = entry->make(request);
    if (!dialog) {
        out.error = "the benchmark could not be prepared";
        return out;
    }
    if (active_) active_->begin(out.name, &dialog->record());
    host().modal_runner().run_modal(*dialog);
    if (active_) active_->end();
    out.ran = true;
    out.record = dialog->record();
    switch (out.record.status()) {
        case app::RunStatus::Completed:
            out.ok = out.record.scorable();
            if (!out.ok) out.error = "the run completed without a usable figure";
            break;
        case app::RunStatus::Failed:
        case app::RunStatus::Stopped:
            out.error = out.record.error();
            if (out.error.empty()) out.error = app::run_status_name(out.record.status());
            break;
        case app::RunStatus::NotRun:
        case app::RunStatus::Running:
            out.error = "the dialog closed before the run finished";
            break;
    }
    return out;
}

void SuiteController::run_suite() {
    const auto started = clock_();
    panel_.running = true;
    panel_.scores = SubScores{};
    steps_.clear();
    steps_.reserve(8);
    record().begin();

    const Selections& s = panel_.selections;
    if (s.memory) step_memory();
    if (s.stream) step_stream();
    if (s.md) step_md();
    if (s.orbitra) step_orbitra();
    if (s.cipher) step_cipher();
    if (s.blas) step_blas();

    panel_.cancel_text = "OK";
    panel_.running = false;
    ++runs_finished_;
    write_results(started);
    record().set_figure("subscores", {{"memory", panel_.scores.memory},
                                      {"stream", panel_.scores.stream},
                                      {"md", panel_.scores.md},
                                      {"orbitra", panel_.scores.orbitra},
                                      {"cipher", panel_.scores.cipher},
                                      {"blas", panel_.scores.blas}});
    record().complete();
    host().request_repaint();

    if (auto_in_progress_ && (inputs_.close_when_finished || end_when_run_over_))
        host().end_dialog(app::kIdCancel);
}

void SuiteController::step_memory() {
    log_line("Running Memory Benchmark...");
    StepOutcome& st = run_step("memory", app::kCodeMemory, {});
    if (st.ran) {
        figures_.memory_bandwidth = static_cast<float>(st.record.headline());
        const nlohmann::json lat = st.record.figure("latency_ns");
        figures_.memory_latency = lat.is_number() ? lat.get<float>() : 0.0f;
    }
    if (st.ok && !usable_float(figures_.memory_latency)) {
        st.ok = false;
        st.error = "the run gave no usable latency figure";
    }
    if (accept_figure(st, figures_.memory_bandwidth))
        panel_.scores.memory = memory_subscore(figures_.memory_bandwidth, figures_.memory_latency);
    log_line("Finished Memory Benchmark...");
}

void SuiteController::step_stream() {
    log_line("Running STREAM Benchmark...");
    StepOutcome& st = run_step("stream", app::kCodeStream, {});
    if (st.ran) figures_.stream_score = static_cast<float>(st.record.headline());
    if (accept_figure(st, figures_.stream_score)) panel_.scores.stream = figures_.stream_score;
    log_line("Finished STREAM Benchmark...");
}

void SuiteController::step_md() {
    const auto ref = app::find_file_nocase("MD", "Argon-Helium.in");
    if (!ref) {
        log_line("Error: Could not execute Molecular Dynamics test, skipping...");
        StepOutcome& st = steps_.emplace_back();
        st.key = "md";
        st.name = step_name(app::kCodeMolDyn);
        st.code = app::kCodeMolDyn;
        st.error = "Could not execute Molecular Dynamics test: MD/Argon-Helium.in not found";
        return;
    }
    const std::string ref_base = app::base_name(*ref);
    app::ConsoleLog(kLineBreak);
    app::ConsoleLog(ref_base);
    app::ConsoleLog(kLineBreak);
    app::ConsoleLog(inputs_.md_deck);
    app::ConsoleLog(kLineBreak);

    app::RunRequest req;
    req.deck = auto_in_progress_ ? inputs_.md_deck : ref_base;
    StepOutcome& st = run_step("md", app::kCodeMolDyn, req);
    if (st.ran) figures_.md_time = static_cast<float>(st.record.headline());
    // Only the reference deck's time compares with the reference machine.
    if (accept_figure(st, figures_.md_time) && ref_base == "Argon-Helium")
        panel_.scores.md = md_subscore(figures_.md_time);
}

void SuiteController::step_orbitra() {
    const auto ref = app::find_file_nocase("Input Files", "Ag.in");
    if (!ref) {
        log_line("Error: Could not execute Orbitra test, skipping...");
        StepOutcome& st = steps_.emplace_back();
        st.key = "orbitra";
        st.name = step_name(app::kCodeOrbitra);
        st.code = app::kCodeOrbitra;
        st.error = "Could not execute Orbitra test: Input Files/Ag.in not found";
        return;
    }
    app::RunRequest req;
    req.deck = auto_in_progress_ ? inputs_.orbitra_deck : app::base_name(*ref);
    StepOutcome& st = run_step("orbitra", app::kCodeOrbitra, req);
    if (st.ran) figures_.orbitra_time = static_cast<float>(st.record.headline());
    if (accept_figure(st, figures_.orbitra_time))
        panel_.scores.orbitra = orbitra_subscore(figures_.orbitra_time);
}

void SuiteController::step_cipher() {
    log_line("Running Cipher Benchmark...");
    StepOutcome& st = run_step("cipher", app::kCodeCipher, {});
    if (st.ran) figures_.cipher_rate = st.record.headline();
    if (accept_figure(st, figures_.cipher_rate))
        panel_.scores.cipher = cipher_subscore(figures_.cipher_rate);
    log_line("Finished Cipher Benchmark...");
}

void SuiteController::step_blas() {
    const Selections& s = panel_.selections;
    bool sgemm_ok = false, dgemm_ok = false;
    if (s.run_sgemm) {
        log_line("Running Single Precision BLAS...");
        app::RunRequest req;
        if (auto_in_progress_) req.kernel = inputs_.sgemm_kernel;
        StepOutcome& st = run_step("sgemm", app::kCodeSgemm, req);
        if (st.ran) figures_.sgemm_rate = static_cast<float>(st.record.headline());
        sgemm_ok = accept_figure(st, figures_.sgemm_rate);
        log_line("Finished Single Precision Benchmark...");
    }
    if (s.run_dgemm) {
        log_line("Running Double Precision BLAS...");
        app::RunRequest req;
        if (auto_in_progress_) req.kernel = inputs_.dgemm_kernel;
        StepOutcome& st = run_step("dgemm", app::kCodeDgemm, req);
        if (st.ran) figures_.dgemm_rate = static_cast<float>(st.record.headline());
        dgemm_ok = accept_figure(st, figures_.dgemm_rate);
        log_line("Finished Double Precision Benchmark...");
    }
    if (!s.run_sgemm || !s.run_dgemm) {
        app::ConsoleLog(kLineBreak);
        app::ConsoleLog(
            "BLAS Lumetra score is a combination of both an SGEMM and DGEMM run. In order to "
            "calculate a score,");
        app::ConsoleLog(kLineBreak);
        log_line("run both -sgemm and -dgemm from the command line.");
    } else if (sgemm_ok && dgemm_ok) {
        panel_.scores.blas = blas_subscore(figures_.sgemm_rate, figures_.dgemm_rate);
    }
}

void SuiteController::write_results(std::chrono::system_clock::time_point started) {
    results_error_.clear();
    const nlohmann::json doc = results_json(panel_.scores, steps_, app::processor_info(), started);
    results_file_ = write_results_file(results_dir_, started, doc, &results_error_);
}

}  // namespace suite
