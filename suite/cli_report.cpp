#include "suite/cli_report.h"

#include <chrono>
#include <cmath>
#include <memory>

#include "app/benchmarks.h"
#include "app/files.h"
#include "app/format.h"
#include "app/interrupt.h"
#include "suite/results_file.h"

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

namespace {
CliReportOptions g_report_options;
}  // namespace

void set_cli_report_options(const CliReportOptions& options) {
    g_report_options = options;
}

nlohmann::json summary_json(const HandOverResult& r) {
    nlohmann::json j;
    nlohmann::json scores = nlohmann::json::object();
    for (const app::ScoreGroup& g : app::score_groups()) {
        const float s = r.scores.of(g.key);
        scores[std::string(g.key)] = s > 0.0f && std::isfinite(s) ? nlohmann::json(s) : nullptr;
    }
    j["subscores"] = scores;
    j["subscore_unit"] = "LumetraMarks";
    j["headlines"] = headlines_json(r.steps);
    nlohmann::json failures = nlohmann::json::array();
    for (const StepOutcome& st : r.steps)
        if (!st.ok) failures.push_back({{"step", st.key}, {"error", st.error}});
    j["failures"] = failures;
    j["interrupted"] = app::interrupt_requested();
    if (!r.results_file.empty()) {
        std::error_code ec;
        const auto abs = std::filesystem::absolute(r.results_file, ec);
        j["results_file"] = (ec ? r.results_file : abs).lexically_normal().string();
    } else {
        j["results_file"] = nullptr;
    }
    if (!r.results_error.empty()) j["results_error"] = r.results_error;
    return j;
}

void write_closing_report(std::FILE* out, const HandOverResult& r, const std::string& text) {
    if (out) {
        if (g_report_options.json)
            std::fputs(
                (summary_json(r).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) +
                 "\n")
                    .c_str(),
                out);
        else
            std::fputs(text.c_str(), out);
        std::fflush(out);
    }
    if (std::FILE* err = g_report_options.errors) {
        for (const StepOutcome& st : r.steps)
            if (!st.ok)
                std::fprintf(err, "lumetra2-cli: %s: %s\n", st.name.c_str(),
                             st.error.empty() ? "failed" : st.error.c_str());
        if (r.results_file.empty() && r.suite_ran)
            std::fprintf(err, "lumetra2-cli: results file not written: %s\n",
                         r.results_error.c_str());
        std::fflush(err);
    }
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
    write_closing_report(report_out, result, final_report(result));
    return exit_status(cl, &result);
}

}  // namespace suite
