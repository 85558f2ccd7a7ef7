#include "report/report.h"

#include <QGuiApplication>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <map>

#include "app/benchmarks.h"
#include "app/files.h"
#include "app/format.h"
#include "report/charts.h"
#include "report/html.h"
#include "store/results_store.h"
#include "suite/compare.h"
#include "suite/score_panel.h"

namespace report {

namespace {

using json = nlohmann::json;

const char* const kStyle =
    "body{font-family:'DejaVu Sans',Arial,sans-serif;font-size:14px;margin:16px;color:#000;"
    "background:#fff}"
    "h1{font-size:22px;margin:0 0 8px}h2{font-size:18px;margin:18px 0 6px}"
    "h3{font-size:15px;margin:12px 0 4px}"
    "table{border-collapse:collapse;margin:4px 0 12px}"
    "td,th{border:1px solid #bbb;padding:2px 8px;text-align:left;vertical-align:top}"
    "td.num{text-align:right;font-family:'DejaVu Sans Mono',monospace}"
    "figure{display:inline-block;margin:0 16px 12px 0;vertical-align:top;"
    "break-inside:avoid}"
    "figcaption{font-weight:bold;margin-bottom:4px}"
    "svg{display:block}.flag{color:#b00000;font-weight:bold}"
    "@media print{body{margin:0}h2{break-before:auto}}";

std::string esc(const std::string& s) {
    return html_escape(s);
}

json document_of(const store::RunData& run) {
    if (!run.document.empty()) {
        json doc = json::parse(run.document, nullptr, false);
        if (doc.is_object()) return doc;
    }
    // A run recorded before the store kept the sections: its results file, when still there.
    if (!run.results_path.empty()) {
        std::string text, error;
        json doc;
        if (suite::read_results_text(run.results_path, text, error) &&
            suite::parse_results_text(text, run.results_path, doc, error) && doc.is_object())
            return doc;
    }
    return json::object();
}

suite::SubScores scores_of(const store::RunData& run) {
    suite::SubScores s;
    for (const store::SubScore& sub : run.subscores)
        if (sub.value && app::index_of_score(sub.name) < app::kScoreGroupCount)
            s.of(sub.name) = static_cast<float>(*sub.value);
    return s;
}

std::optional<double> subscore(const store::RunData& run, std::string_view key) {
    for (const store::SubScore& s : run.subscores)
        if (s.name == key) return s.value;
    return std::nullopt;
}

std::string figure(const std::string& key, double value) {
    return "<td class=\"num\" data-figure=\"" + esc(key) + "\">" + figure_text(value) + "</td>";
}

std::string run_title(const store::RunData& r) {
    return "Run " + std::to_string(r.id) + " on " + esc(r.host) + ", " + esc(r.started_utc) +
           (r.interrupted ? " (interrupted)" : "");
}

void chart(std::string& out, const char* id, const std::string& title, const std::string& svg) {
    if (svg.empty()) return;
    out += "<figure id=\"" + std::string(id) + "\"><figcaption>" + title + "</figcaption>" + svg +
           "</figure>\n";
}

void one_run(std::string& out, const store::RunData& run, const suite::Profile& profile) {
    const json doc = document_of(run);
    out += "<h2>" + run_title(run) + "</h2>\n<p>Processor: " + esc(run.processor) +
           "<br>Command line: " + esc(run.command_line) + "</p>\n";

    out +=
        "<h3>Sub-scores (LumetraMarks)</h3>\n<table><tr><th>Sub-score</th><th>This run</th>"
        "<th>Reference</th><th>" +
        esc(profile.description) + "</th></tr>\n";
    for (int i = 0; i < suite::kPanelRows; ++i) {
        const auto row = static_cast<suite::PanelRow>(i);
        const app::ScoreGroup& g = suite::panel_group(row);
        const std::optional<double> v = subscore(run, g.key);
        const std::optional<float> pv = suite::row_profile_value(profile, row);
        out += "<tr><td>" + esc(std::string(g.label)) + "</td>" +
               figure("subscore." + std::string(g.key), v ? *v : NAN) + figure("reference", 1000) +
               figure("profile." + std::string(g.key), pv ? *pv : NAN) + "</tr>\n";
    }
    out += "</table>\n<div class=\"charts\">\n";
    chart(out, "chart-score", "Benchmark Score", score_panel_svg(scores_of(run), profile));
    chart(out, "chart-memory", "Memory bandwidth and latency", memory_bars_svg(doc));
    chart(out, "chart-stream", "STREAM", stream_bars_svg(doc));
    chart(out, "chart-sgemm", "SGEMM MFLOPS", gemm_graph_svg(doc, "sgemm"));
    chart(out, "chart-dgemm", "DGEMM MFLOPS", gemm_graph_svg(doc, "dgemm"));
    chart(out, "chart-md", "Molecular dynamics energies", md_graphs_svg(doc));
    chart(out, "chart-orbitra", "Orbitra virial factor", virial_graph_svg(doc));
    out += "</div>\n";

    if (!run.figures.empty()) {
        out +=
            "<h3>Headline figures</h3>\n<table><tr><th>Benchmark</th><th>Figure</th>"
            "<th>Value</th><th>Unit</th></tr>\n";
        for (const store::Figure& f : run.figures)
            out += "<tr><td>" + esc(f.benchmark) + "</td><td>" + esc(f.key) + "</td>" +
                   figure(f.benchmark + "." + f.key, f.value) + "<td>" + esc(f.unit) +
                   "</td></tr>\n";
        out += "</table>\n";
    }
    const bool repeated = std::any_of(run.figures.begin(), run.figures.end(),
                                      [](const store::Figure& f) { return f.min && f.max; });
    if (repeated) {
        out +=
            "<h3>Spread of the repeated figures</h3>\n<table><tr><th>Figure</th><th>Min</th>"
            "<th>Median</th><th>Max</th><th>CV %</th></tr>\n";
        for (const store::Figure& f : run.figures) {
            if (!f.min || !f.max) continue;
            const std::string key = f.benchmark + "." + f.key;
            out += "<tr><td>" + esc(key) + "</td>" + figure(key + ".min", *f.min) +
                   figure(key + ".median", f.median.value_or(NAN)) + figure(key + ".max", *f.max) +
                   figure(key + ".cv", f.cv_percent.value_or(NAN)) + "</tr>\n";
        }
        out += "</table>\n";
    }
    const json prov = json::parse(run.provenance, nullptr, false);
    if (prov.is_object() && !prov.empty()) {
        out += "<h3>Provenance</h3>\n<table>\n";
        for (const auto& [key, value] : prov.items())
            out += "<tr><th>" + esc(key) + "</th><td>" +
                   esc(value.is_string()
                           ? value.get<std::string>()
                           : value.dump(-1, ' ', false, json::error_handler_t::replace)) +
                   "</td></tr>\n";
        out += "</table>\n";
    }
}

void several_runs(std::string& out, const std::vector<store::RunData>& runs) {
    out += "<h2>" + std::to_string(runs.size()) + " runs side by side</h2>\n";
    out += "<p>Each figure with its ratio to the first run's.</p>\n<table><tr><th></th>";
    for (const store::RunData& r : runs)
        out += "<th>Run " + std::to_string(r.id) + "<br>" + esc(r.host) + "<br>" +
               esc(r.started_utc) + (r.interrupted ? "<br>(interrupted)" : "") + "</th>";
    out += "</tr>\n<tr><th>Processor</th>";
    for (const store::RunData& r : runs) out += "<td>" + esc(r.processor) + "</td>";
    out += "</tr>\n";
    const auto row = [&](const std::string& key, const std::string& label,
                         const std::vector<std::optional<double>>& values) {
        out += "<tr><th>" + esc(label) + "</th>";
        for (std::size_t i = 0; i < values.size(); ++i) {
            std::string cell = values[i] ? figure_text(*values[i]) : figure_text(NAN);
            if (i > 0 && values[i] && values[0] && *values[0] > 0)
                cell += app::strprintf(" (%.3f&times;)", *values[i] / *values[0]);
            out += "<td class=\"num\" data-figure=\"" + esc(key) + "\" data-run=\"" +
                   std::to_string(runs[i].id) + "\">" + cell + "</td>";
        }
        out += "</tr>\n";
    };
    for (const app::ScoreGroup& g : app::score_groups()) {
        std::vector<std::optional<double>> v;
        for (const store::RunData& r : runs) v.push_back(subscore(r, g.key));
        row("subscore." + std::string(g.key), std::string(g.label) + " (LumetraMarks)", v);
    }
    std::vector<std::pair<std::string, std::string>> keys;  // in first-seen order, with unit
    for (const store::RunData& r : runs)
        for (const store::Figure& f : r.figures) {
            const std::string k = f.benchmark + "." + f.key;
            if (std::none_of(keys.begin(), keys.end(), [&](const auto& e) { return e.first == k; }))
                keys.emplace_back(k, f.unit);
        }
    for (const auto& [k, unit] : keys) {
        std::vector<std::optional<double>> v;
        for (const store::RunData& r : runs) {
            std::optional<double> x;
            for (const store::Figure& f : r.figures)
                if (f.benchmark + "." + f.key == k) x = f.value;
            v.push_back(x);
        }
        row(k, k + " (" + unit + ")", v);
    }
    out += "</table>\n<h2>Trend per sub-score</h2>\n<div class=\"charts\">\n";
    for (const app::ScoreGroup& g : app::score_groups()) {
        std::vector<TrendPoint> points;
        for (const store::RunData& r : runs) {
            const std::optional<double> v = subscore(r, g.key);
            points.push_back({"#" + std::to_string(r.id), v.value_or(0), v.has_value()});
        }
        const std::string id = "trend-" + std::string(g.key);
        chart(out, id.c_str(), esc(std::string(g.label)), trend_chart_svg(points));
    }
    out += "</div>\n";
}

}  // namespace

suite::Profile reference_profile() {
    suite::ProfileContents c;
    c.description = "Lumetra 2.0 Reference Machine (every sub-score 1000)";
    c.values = {1000, 1000, 1000, 1000, 1000, 1000, 0};
    suite::Profile p = suite::parse_profile(suite::format_profile(c));
    p.opened = true;
    return p;
}

std::string report_html(const std::vector<store::RunData>& runs, const suite::Profile& profile) {
    std::string title = "Lumetra 2.0 report";
    if (runs.size() == 1) title += ": " + runs[0].host + ", " + runs[0].started_utc;
    std::string out = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n<title>" +
                      esc(title) + "</title>\n<style>" + kStyle + "</style></head>\n<body>\n<h1>" +
                      esc(title) + "</h1>\n";
    if (runs.size() == 1)
        one_run(out, runs[0], profile);
    else if (!runs.empty())
        several_runs(out, runs);
    out += "</body></html>\n";
    return out;
}

namespace {
// Qt's notes about the session it runs in (no runtime folder, no display) are no news to a
// report writer: they stay off the console.
void quiet_messages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg) std::fprintf(stderr, "lumetra2-cli: %s\n", qPrintable(text));
}
}  // namespace

PaintingContext::PaintingContext() {
    if (QCoreApplication::instance()) return;
    previous_handler_ = qInstallMessageHandler(quiet_messages);
    static int argc = 1;
    static char name[] = "lumetra2-cli";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QGuiApplication>(argc, argv);
    // Figures print with a point whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
}

PaintingContext::~PaintingContext() {
    if (!app_) return;
    app_.reset();
    qInstallMessageHandler(previous_handler_);
}

int write_report(const Request& rq, std::FILE* out, std::FILE* err) {
    const std::string store_name = app::printable_text(rq.store_path.string());
    const std::string out_name = app::printable_text(rq.out_path.string());
    suite::Profile profile = reference_profile();
    if (!rq.profile_path.empty()) {
        profile = suite::read_profile_file(rq.profile_path);
        if (!profile.opened) {
            std::fprintf(err, "lumetra2-cli: --profile %s: cannot be read\n",
                         app::printable_text(rq.profile_path.string()).c_str());
            return 1;
        }
    }
    std::vector<store::RunData> runs;
    try {
        std::error_code ec;
        if (!std::filesystem::exists(rq.store_path, ec))
            throw store::Error("no runs recorded yet (the store does not exist)");
        store::Store s(rq.store_path);
        std::vector<std::int64_t> ids = rq.ids;
        if (ids.empty()) {
            const int last = rq.all || rq.last > 0 || !rq.host.empty() ? rq.last : 1;
            for (const store::HistoryRow& r : s.history(rq.host, last)) ids.push_back(r.id);
            std::reverse(ids.begin(), ids.end());  // oldest first
            if (ids.empty())
                throw store::Error(std::string("no runs recorded") +
                                   (rq.host.empty() ? "" : " for that host"));
        }
        for (const std::int64_t id : ids) {
            std::optional<store::RunData> r = s.run(id);
            if (!r) throw store::Error("no run " + std::to_string(id) + " (see --history)");
            runs.push_back(std::move(*r));
        }
    } catch (const store::Error& e) {
        std::fprintf(err, "lumetra2-cli: results store %s: %s\n", store_name.c_str(),
                     app::printable_text(e.what()).c_str());
        return 1;
    }
    PaintingContext painting;
    const std::string html = report_html(runs, profile);
    std::string error;
    if (!app::write_file_atomically(rq.out_path, html, &error)) {
        std::fprintf(err, "lumetra2-cli: --report %s: %s\n", out_name.c_str(),
                     app::printable_text(error).c_str());
        return 1;
    }
    std::fprintf(out, "Report of %zu run%s written to %s\n", runs.size(),
                 runs.size() == 1 ? "" : "s", out_name.c_str());
    return 0;
}

}  // namespace report
