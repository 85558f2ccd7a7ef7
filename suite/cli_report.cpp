#include "suite/cli_report.h"

#include <chrono>
#include <memory>

#include "app/benchmarks.h"
#include "app/files.h"
#include "app/format.h"
#include "app/interrupt.h"

namespace suite {
namespace {
std::mutex g_current_mutex;
ProgressLine* g_current = nullptr;
}  // namespace

void clear_cli_progress_line() {
    std::lock_guard lock(g_current_mutex);
    if (g_current) g_current->clear();
}

std::string progress_line_text(const ActiveRun::Snapshot& s) {
    if (!s.active) return {};
    std::string out = s.name;
    if (!s.progress.phase.empty()) {
        out += ": " + s.progress.phase;
        if (s.progress.range > 0)
            out += app::strprintf(" %ld/%ld", s.progress.position, s.progress.range);
        else if (s.progress.position > 0)
            out += app::strprintf(" %ld", s.progress.position);
    }
    out += app::strprintf(", %.1f s", s.elapsed_s);
    return out;
}

std::string final_report(const HandOverResult& r) {
    std::string out = "Sub-scores (1000 = the reference machine):\n";
    for (const app::ScoreGroup& g : app::score_groups()) {
        const std::string name(g.label);
        const float score = r.scores.of(g.key);
        if (score > 0.0f)
            out += app::strprintf("  %-20s %10.2f LumetraMarks\n", name.c_str(), score);
        else
            out += app::strprintf("  %-20s not measured\n", name.c_str());
    }
    for (const StepOutcome& st : r.steps)
        if (!st.ok)
            out += app::strprintf("  %s: %s\n", st.name.c_str(),
                                  app::printable_text(st.error).c_str());
    if (app::interrupt_requested())
        out += "Run interrupted: the steps after the one in progress were not run.\n";
    if (!r.results_file.empty()) {
        std::error_code ec;
        const auto abs = std::filesystem::absolute(r.results_file, ec);
        out += "Results file: " + (ec ? r.results_file : abs).lexically_normal().string() + "\n";
    } else if (r.suite_ran) {
        out += "Results file not written: " + r.results_error + "\n";
    }
    return out;
}

int exit_status(const app::CommandLine& cl, const HandOverResult* result) {
    if (cl.errors > 0) return kExitCommandLine;
    if (const int sig = app::interrupt_signal(); sig != 0) return kExitSignalBase + sig;
    if (!result) return kExitOk;
    return result->all_ok ? kExitOk : kExitRunFailed;
}

int exit_status_after_hand_over(const app::CommandLine& cl) {
    const std::optional<bool> ok = last_hand_over_ok();
    if (!ok) return exit_status(cl, nullptr);
    HandOverResult r;
    r.all_ok = *ok;
    return exit_status(cl, &r);
}

ProgressLine::ProgressLine(ActiveRun& active, std::FILE* out, int period_ms)
    : active_(active), out_(out), period_ms_(period_ms) {
    thread_ = std::thread([this] { loop(); });
    std::lock_guard lock(g_current_mutex);
    g_current = this;
}

ProgressLine::~ProgressLine() {
    {
        std::lock_guard lock(g_current_mutex);
        if (g_current == this) g_current = nullptr;
    }
    stop();
}

void ProgressLine::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    clear();
}

void ProgressLine::clear() {
    std::lock_guard lock(mutex_);
    if (!shown_) return;
    std::fputs("\r\x1b[K", out_);
    std::fflush(out_);
    shown_ = false;
}

void ProgressLine::loop() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        const std::string text = progress_line_text(active_.snapshot());
        if (!text.empty()) {
            std::fprintf(out_, "\r%s\x1b[K", text.c_str());
            std::fflush(out_);
            shown_ = true;
        } else if (shown_) {
            std::fputs("\r\x1b[K", out_);
            std::fflush(out_);
            shown_ = false;
        }
        wake_.wait_for(lock, std::chrono::milliseconds(period_ms_), [this] { return stopping_; });
    }
}

int run_queue_for_cli(const app::CommandLine& cl, const app::RunRegistry& registry,
                      app::ModalRunner& runner, std::FILE* report_out, std::FILE* progress_out) {
    if (cl.errors > 0 || !cl.start_pending) return exit_status(cl, nullptr);
    ActiveRun active;
    HandOverOptions options;
    options.end_when_run_over = true;
    options.active = &active;
    HandOverResult result;
    {
        std::unique_ptr<ProgressLine> progress;
        if (progress_out) progress = std::make_unique<ProgressLine>(active, progress_out);
        result = run_configuration(cl, registry, runner, options);
    }
    if (report_out) {
        std::fputs(final_report(result).c_str(), report_out);
        std::fflush(report_out);
    }
    return exit_status(cl, &result);
}

}  // namespace suite
