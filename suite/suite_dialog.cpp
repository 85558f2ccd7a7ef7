#include "suite/suite_dialog.h"

#include <cmath>

#include "app/benchmarks.h"
#include "app/console.h"
#include "app/files.h"
#include "app/format.h"
#include "app/interrupt.h"
#include "app/processor_info.h"
#include "app/provenance.h"
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

}  // namespace

SuiteController::SuiteController(const app::RunRegistry& registry)
    : registry_(registry), clock_([] { return std::chrono::system_clock::now(); }) {}

void SuiteController::paint_dialog(bool first) {
    if (first) {
        panel_.selections = Selections{};
        panel_.first_paint_done = true;
        panel_.profile_names = profile_list("Profiles");
        app::ConsoleLog(located_profiles_line(static_cast<int>(panel_.profile_names.size()) - 1));
        panel_.selected_profile = 0;
    }
    panel_.profile =
        read_selected_profile("Profiles", panel_.profile_names, panel_.selected_profile);
    // The automation's request becomes the dialog's automatic start.
    close_when_done = inputs_.close_when_finished || end_when_run_over_;
    if (inputs_.automatic_run_requested) {
        inputs_.automatic_run_requested = false;
        auto_start = true;
    }
}

void SuiteController::start_automatic_run() {
    if (start_timer_or_report(kAutoStartTimer, kAutoStartDelayMs)) {
        auto_in_progress_ = true;
        return;
    }
    // Without the timer the run would never start and an unattended caller would wait for
    // ever: report it and let the caller go on.
    auto_start_failed_ = true;
    close_if_automatic();
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
    if (id == kIdRunBenchmarks) {
        if (!panel_.running) run_suite();
        return;
    }
    for (const app::ScoreGroup& g : app::score_groups()) {
        if (g.check_box_id != id) continue;
        bool& box = panel_.selections.of(g.key);
        box = !box;
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
    if (auto_start_failed_ || interrupted_ || !results_error_.empty()) return false;
    for (const StepOutcome& s : steps_)
        if (!s.ok) return false;
    return true;
}

StepOutcome& SuiteController::skip_step(const app::BenchmarkInfo& b, std::string error) {
    StepOutcome& out = steps_.emplace_back();
    out.key = std::string(b.key);
    out.name = std::string(b.name);
    out.code = b.code;
    out.error = std::move(error);
    return out;
}

StepOutcome& SuiteController::run_step(const app::BenchmarkInfo& b, app::RunRequest request) {
    const app::RunEntry* entry = registry_.find(b.code);
    if (!entry || !entry->make)
        return skip_step(b, "this benchmark is not available in this build");
    StepOutcome& out = skip_step(b, {});
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
    app::note_run_start();
    panel_.running = true;
    panel_.scores = SubScores{};
    figure_ok_.fill(false);
    steps_.clear();
    steps_.reserve(app::kBenchmarkCount);
    record().begin();

    // Every selected benchmark in the table's (suite) order; a sub-score is made once the last
    // benchmark of its box has had its turn. An interrupt stops the benchmark in progress through
    // its own stop path (one that cannot stop runs to its end) and the ones after it are not
    // started.
    interrupted_ = false;
    const auto rows = app::benchmarks();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const app::BenchmarkInfo& b = rows[i];
        bool skipped = false;
        if (panel_.selections.selected(b)) {
            skipped = app::interrupt_requested();
            if (skipped)
                interrupted_ = true;
            else
                run_benchmark(b);
        }
        const bool last_of_group = i + 1 == rows.size() || rows[i + 1].score_key != b.score_key;
        if (last_of_group && !skipped && panel_.selections.of(b.score_key))
            score_group(b.score_key);
    }
    if (app::interrupt_requested()) interrupted_ = true;
    if (interrupted_) log_line("Run interrupted.");

    panel_.cancel_text = "OK";
    panel_.running = false;
    ++runs_finished_;
    if (write_results_) write_results(started);
    nlohmann::json subscores = nlohmann::json::object();
    for (const app::ScoreGroup& g : app::score_groups())
        subscores[std::string(g.key)] = panel_.scores.of(g.key);
    record().set_figure("subscores", subscores);
    record().complete();
    host().request_repaint();

    if (auto_in_progress_) close_if_automatic();
}

void SuiteController::run_benchmark(const app::BenchmarkInfo& b) {
    if (!b.suite_running.empty()) log_line(std::string(b.suite_running).c_str());
    app::RunRequest req;
    bool reference_deck = true;
    switch (b.code) {
        case app::kCodeMolDyn: {
            const auto ref = app::find_file_nocase("MD", "Argon-Helium.in");
            if (!ref) {
                log_line("Error: Could not execute Molecular Dynamics test, skipping...");
                skip_step(b,
                          "Could not execute Molecular Dynamics test: MD/Argon-Helium.in not "
                          "found");
                return;
            }
            const std::string ref_base = app::base_name(*ref);
            app::ConsoleLog(kLineBreak);
            app::ConsoleLog(ref_base);
            app::ConsoleLog(kLineBreak);
            app::ConsoleLog(app::printable_text(inputs_.md_deck));
            app::ConsoleLog(kLineBreak);
            req.deck = auto_in_progress_ ? inputs_.md_deck : ref_base;
            req.deck_typed = auto_in_progress_ && inputs_.md_deck_typed;
            if (auto_in_progress_) req.deck_file = inputs_.md_deck_file;
            reference_deck = ref_base == "Argon-Helium";
            break;
        }
        case app::kCodeOrbitra: {
            const auto ref = app::find_file_nocase("Input Files", "Ag.in");
            if (!ref) {
                log_line("Error: Could not execute Orbitra test, skipping...");
                skip_step(b, "Could not execute Orbitra test: Input Files/Ag.in not found");
                return;
            }
            req.deck = auto_in_progress_ ? inputs_.orbitra_deck : app::base_name(*ref);
            req.deck_typed = auto_in_progress_ && inputs_.orbitra_deck_typed;
            if (auto_in_progress_) req.deck_file = inputs_.orbitra_deck_file;
            break;
        }
        case app::kCodeSgemm:
            if (auto_in_progress_) req.kernel = inputs_.sgemm_kernel;
            break;
        case app::kCodeDgemm:
            if (auto_in_progress_) req.kernel = inputs_.dgemm_kernel;
            break;
        default:
            break;
    }
    StepOutcome& st = run_step(b, req);
    // Only the reference deck's time compares with the reference machine.
    if (st.ran)
        figure_ok_[static_cast<std::size_t>(&b - app::benchmarks().data())] =
            read_figures(st) && reference_deck;
    if (!b.suite_finished.empty()) log_line(std::string(b.suite_finished).c_str());
}

namespace {

// A figure a sub-score reads from a step's record (0 when the record has none).
double step_figure(const StepOutcome& st, const ScoreInput& in) {
    if (in.figure.empty()) return st.record.headline();
    const nlohmann::json v = st.record.figure(std::string(in.figure));
    return v.is_number() ? v.get<double>() : 0.0;
}

}  // namespace

bool SuiteController::read_figures(StepOutcome& st) {
    // A completed run may still hand back a figure the formulas cannot use.
    for (const ScoreInput& in : inputs_of_step(st.key)) {
        if (st.ok && !usable_float(step_figure(st, in))) {
            st.ok = false;
            st.error = "the run gave no usable " + std::string(in.noun) + "figure";
        }
    }
    // A run on the first deck of the list, in place of a missing default deck, is not the
    // reference calculation.
    const nlohmann::json fallback = st.record.figure("deck_fallback");
    return st.ok && !(fallback.is_boolean() && fallback.get<bool>());
}

void SuiteController::score_group(std::string_view key) {
    const ScoreRule* rule = find_score_rule(key);
    if (!rule) return;
    std::vector<double> values;
    for (const ScoreInput& in : rule->used_inputs()) {
        const app::BenchmarkInfo* b = app::find_benchmark_by_key(in.step);
        if (!b || !panel_.selections.runs_code(b->code)) {
            const auto& note = rule->incomplete_note;
            for (std::size_t i = 0; i < note.size() && !note[i].empty(); ++i) {
                app::ConsoleLog(kLineBreak);
                const bool last = i + 1 == note.size() || note[i + 1].empty();
                app::ConsoleLog(last ? app::with_cursor(note[i]) : std::string(note[i]));
            }
            return;
        }
    }
    for (const ScoreInput& in : rule->used_inputs()) {
        const app::BenchmarkInfo* b = app::find_benchmark_by_key(in.step);
        if (!figure_ok_[static_cast<std::size_t>(b - app::benchmarks().data())]) return;
        for (const StepOutcome& st : steps_)
            if (st.key == in.step) values.push_back(step_figure(st, in));
    }
    panel_.scores.of(key) = apply_score_rule(*rule, values);
}

void SuiteController::write_results(std::chrono::system_clock::time_point started) {
    results_error_.clear();
    nlohmann::json doc = results_json(panel_.scores, steps_, app::processor_info(), started);
    doc["interrupted"] = interrupted_;
    results_file_ = write_results_file(results_dir_, started, doc, &results_error_);
}

}  // namespace suite
