#include "suite/repeat.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>

#include "app/benchmarks.h"
#include "app/format.h"
#include "app/interrupt.h"
#include "app/processor_info.h"
#include "app/provenance.h"
#include "app/startup.h"
#include "suite/active_run.h"
#include "suite/cli_report.h"
#include "suite/results_file.h"
#include "suite/scores.h"

namespace suite {
namespace {

// The figures a step offers: its record's headline and the other figures a sub-score reads.
struct StepFigure {
    std::string name;    // the results file's name (no "/" in a key)
    std::string figure;  // the record's figure name; empty: the headline
    double value;
};

std::vector<StepFigure> step_figures(const StepOutcome& st) {
    std::vector<StepFigure> out;
    if (!st.ok) return out;
    auto named = [&](const std::string& name) {
        const HeadlineKind* k = find_headline_kind(st.key, name);
        return k ? std::string(k->name) : name.empty() ? std::string("headline") : name;
    };
    out.push_back({named(st.record.headline_name()), {}, st.record.headline()});
    for (const ScoreInput& in : inputs_of_step(st.key)) {
        if (in.figure.empty()) continue;
        const nlohmann::json v = st.record.figure(std::string(in.figure));
        if (v.is_number())
            out.push_back({named(std::string(in.figure)), std::string(in.figure), v.get<double>()});
    }
    return out;
}

const FigureSpread* find_figure(const std::vector<FigureSpread>& figures, std::string_view step,
                                std::string_view figure) {
    for (const FigureSpread& f : figures)
        if (f.step == step && f.figure == figure) return &f;
    return nullptr;
}

}  // namespace

void use_median_headlines(std::vector<StepOutcome>& steps,
                          const std::vector<FigureSpread>& figures) {
    for (StepOutcome& st : steps) {
        for (const StepFigure& sf : step_figures(st)) {
            const FigureSpread* f = find_figure(figures, st.key, sf.figure);
            if (!f) continue;
            if (sf.figure.empty())
                st.record.set_headline(st.record.headline_name(), f->spread.median);
            else
                st.record.set_figure(sf.figure, f->spread.median);
        }
    }
}

namespace {

bool measured_in_every_run(const std::vector<HandOverResult>& runs, std::string_view key) {
    for (const HandOverResult& r : runs)
        if (!(r.scores.of(key) > 0.0f)) return false;
    return !runs.empty();
}

std::string load_text(double load) {
    return load >= 0.0 ? app::strprintf("%.2f", load) : std::string(app::kUnknown);
}

}  // namespace

Spread spread_of(std::vector<double> v) {
    Spread s;
    if (v.empty()) return s;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    s.min = v.front();
    s.max = v.back();
    s.median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
    double sum = 0;
    for (double x : v) sum += x;
    s.mean = sum / double(n);
    if (n > 1 && s.mean != 0.0) {
        double ss = 0;
        for (double x : v) ss += (x - s.mean) * (x - s.mean);
        s.cv_percent = std::sqrt(ss / double(n - 1)) / std::fabs(s.mean) * 100.0;
    }
    return s;
}

std::vector<FigureSpread> figure_spreads(const std::vector<HandOverResult>& runs) {
    std::vector<FigureSpread> out;
    if (runs.empty()) return out;
    // The first run names the figures; every other run must have each of them.
    for (const StepOutcome& st : runs.front().steps) {
        for (const StepFigure& sf : step_figures(st)) {
            FigureSpread f;
            f.id = st.key + "." + sf.name;
            f.label = st.name + ": " + sf.name;
            f.step = st.key;
            f.figure = sf.figure;
            for (const HandOverResult& r : runs) {
                for (const StepOutcome& other : r.steps) {
                    if (other.key != st.key) continue;
                    for (const StepFigure& o : step_figures(other))
                        if (o.figure == sf.figure) f.values.push_back(o.value);
                }
            }
            if (f.values.size() != runs.size()) continue;
            f.spread = spread_of(f.values);
            out.push_back(std::move(f));
        }
    }
    return out;
}

SubScores median_subscores(const std::vector<HandOverResult>& runs,
                           const std::vector<FigureSpread>& figures) {
    SubScores s;
    for (const app::ScoreGroup& g : app::score_groups()) {
        const ScoreRule* rule = find_score_rule(g.key);
        if (!rule || !measured_in_every_run(runs, g.key)) continue;
        std::vector<double> medians;
        for (const ScoreInput& in : rule->used_inputs())
            if (const FigureSpread* f = find_figure(figures, in.step, in.figure))
                medians.push_back(f->spread.median);
        s.of(g.key) = apply_score_rule(*rule, medians);
    }
    return s;
}

std::string spread_report(const std::vector<FigureSpread>& figures, int runs, double load_start,
                          double load_end) {
    std::string out = app::strprintf("Spread over %d runs (min / median / max, CV):\n", runs);
    if (figures.empty()) out += "  no figure was produced by every run\n";
    int unsteady = 0;
    for (const FigureSpread& f : figures) {
        const Spread& s = f.spread;
        out += app::strprintf("  %-36s %12.2f %12.2f %12.2f  CV %6.2f%%", f.label.c_str(), s.min,
                              s.median, s.max, s.cv_percent);
        if (s.cv_percent > kUnsteadyCvPercent) {
            out += "  UNSTEADY";
            ++unsteady;
        }
        out += "\n";
    }
    if (unsteady > 0)
        out += app::strprintf(
            "  %d figure(s) vary by more than %.0f%%: 1-minute load average %s at start, %s at "
            "end\n",
            unsteady, kUnsteadyCvPercent, load_text(load_start).c_str(),
            load_text(load_end).c_str());
    return out;
}

nlohmann::json repeat_json(const std::vector<HandOverResult>& runs,
                           const std::vector<FigureSpread>& figures) {
    nlohmann::json j;
    j["count"] = runs.size();
    nlohmann::json list = nlohmann::json::array();
    for (const HandOverResult& r : runs) {
        nlohmann::json run;
        nlohmann::json scores = nlohmann::json::object();
        for (const app::ScoreGroup& g : app::score_groups()) {
            const float v = r.scores.of(g.key);
            scores[std::string(g.key)] = std::isfinite(v) ? double(v) : double(kNotMeasured);
        }
        run["subscores"] = scores;
        for (const StepOutcome& st : r.steps) {
            nlohmann::json section;
            if (st.ran) {
                section = st.record.to_json();
                // Tables and caches are in the document's own sections already.
                if (section.is_object()) section.erase("caches");
            } else {
                section["status"] = "skipped";
            }
            if (!st.ok) section["error"] = st.error.empty() ? std::string("failed") : st.error;
            run[st.key] = std::move(section);
        }
        list.push_back(std::move(run));
    }
    j["runs"] = std::move(list);
    nlohmann::json spread = nlohmann::json::object();
    for (const FigureSpread& f : figures)
        spread[f.id] = {{"label", f.label},    {"values", f.values},
                        {"min", f.spread.min}, {"median", f.spread.median},
                        {"max", f.spread.max}, {"cv_percent", f.spread.cv_percent}};
    j["spread"] = std::move(spread);
    return j;
}

int run_queue_repeated_for_cli(const app::CommandLine& cl, const app::RunRegistry& registry,
                               app::ModalRunner& runner, int count, std::FILE* report_out,
                               std::FILE* progress_out) {
    if (count <= 1 || cl.errors > 0 || !cl.start_pending)
        return run_queue_for_cli(cl, registry, runner, report_out, progress_out);
    const auto started = std::chrono::system_clock::now();
    std::vector<HandOverResult> runs;
    double load_start = -1.0;
    bool all_ok = true;
    for (int i = 0; i < count; ++i) {
        ActiveRun active;
        HandOverOptions options;
        options.end_when_run_over = true;
        options.active = &active;
        options.write_results = false;
        {
            std::unique_ptr<ProgressLine> progress;
            if (progress_out) progress = std::make_unique<ProgressLine>(active, progress_out);
            runs.push_back(run_configuration(cl, registry, runner, options));
        }
        if (i == 0) load_start = app::load_at_run_start();
        all_ok = all_ok && runs.back().all_ok;
        // A run that could not start at all would fail the same way every time; an interrupt
        // stops the runs that are left too.
        if (!runs.back().suite_ran || app::interrupt_requested()) break;
    }

    const std::vector<FigureSpread> figures = figure_spreads(runs);
    HandOverResult summary = runs.back();
    summary.scores = median_subscores(runs, figures);
    use_median_headlines(summary.steps, figures);
    summary.all_ok = all_ok;
    summary.results_error.clear();
    summary.results_file.clear();
    nlohmann::json doc =
        results_json(summary.scores, summary.steps, app::processor_info(), started);
    const double load_end = app::load_average_1min();
    if (load_start >= 0.0) doc["provenance"]["load_average_start"] = load_start;
    doc["interrupted"] = app::interrupt_requested();
    doc["repeat"] = repeat_json(runs, figures);
    if (summary.suite_ran) {
        summary.results_file =
            write_results_file(app::output_directory(), started, doc, &summary.results_error);
        if (summary.results_file.empty()) summary.all_ok = false;
    }
    std::string text = spread_report(figures, static_cast<int>(runs.size()), load_start, load_end);
    text += "Sub-scores from the medians:\n";
    std::string scores = final_report(summary);
    // final_report opens with its own heading line; the medians' heading replaces it.
    const auto nl = scores.find('\n');
    text += nl == std::string::npos ? scores : scores.substr(nl + 1);
    write_closing_report(report_out, summary, text);
    return exit_status(cl, &summary);
}

}  // namespace suite
