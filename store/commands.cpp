#include "store/commands.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>

#include "app/benchmarks.h"
#include "app/files.h"
#include "app/format.h"
#include "suite/compare.h"

namespace store {

namespace {

std::string clipped(const std::string& text, std::size_t width) {
    std::string t = app::printable_text(text);
    if (t.size() > width) t = t.substr(0, width - 1) + "~";
    return t;
}

double median_of(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// What a row's sub-score was measured on; nothing when unknown.
std::optional<std::string> inputs_of(const HistoryRow& r, std::size_t g) {
    return g < r.inputs.size() ? r.inputs[g] : std::nullopt;
}

}  // namespace

std::vector<Regression> find_regressions(const std::vector<HistoryRow>& rows) {
    std::vector<Regression> out;
    std::map<std::string, std::vector<const HistoryRow*>> by_host;  // newest first
    for (const HistoryRow& r : rows) by_host[r.host].push_back(&r);
    for (const auto& [host, runs] : by_host) {
        const HistoryRow& newest = *runs.front();
        for (std::size_t g = 0; g < newest.subscores.size(); ++g) {
            if (!newest.subscores[g].value) continue;
            // Only runs on the same inputs (unknown ones only with unknown ones) compare.
            const std::optional<std::string> inputs = inputs_of(newest, g);
            std::vector<double> earlier;
            for (std::size_t i = 1; i < runs.size(); ++i)
                if (g < runs[i]->subscores.size() && runs[i]->subscores[g].value &&
                    inputs_of(*runs[i], g) == inputs)
                    earlier.push_back(*runs[i]->subscores[g].value);
            if (earlier.empty()) continue;
            const double median = median_of(earlier);
            if (median <= 0) continue;
            const double drop = (median - *newest.subscores[g].value) / median * 100.0;
            double allowed = kRegressionPercent;
            if (g < newest.spread.size() && newest.spread[g])
                allowed = std::max(allowed, *newest.spread[g] * 100.0);
            if (drop > allowed)
                out.push_back({newest.id, host, newest.subscores[g].name,
                               *newest.subscores[g].value, median, drop});
        }
    }
    return out;
}

std::string history_text(const std::vector<HistoryRow>& rows,
                         const std::vector<Regression>& flags) {
    std::string out = app::strprintf("%-16s  %-12s  %-20s", "Date (UTC)", "Host", "Processor");
    for (const app::ScoreGroup& g : app::score_groups())
        out += app::strprintf(" %7s", std::string(g.short_label).c_str());
    out += "  Interrupted\n";
    for (const HistoryRow& r : rows) {
        // "2026-12-07T04:31:07Z" shown as "2026-12-07 04:31".
        std::string date = r.started_utc.substr(0, 16);
        if (date.size() > 10 && date[10] == 'T') date[10] = ' ';
        out += app::strprintf("%-16s  %-12s  %-20s", clipped(date, 16).c_str(),
                              clipped(r.host, 12).c_str(), clipped(r.processor, 20).c_str());
        for (const SubScore& s : r.subscores)
            out += s.value ? app::strprintf(" %7.1f", *s.value) : app::strprintf(" %7s", "-");
        out += r.interrupted ? "  yes\n" : "  no\n";
    }
    if (rows.empty()) out += "(no runs recorded)\n";
    for (const Regression& f : flags) {
        const std::size_t g = app::index_of_score(f.subscore);
        const std::string label =
            g < app::score_groups().size() ? std::string(app::score_groups()[g].label) : f.subscore;
        out += app::strprintf(
            "%s, run %lld: %s %.1f is %.1f%% below the median %.1f of earlier runs: possible "
            "regression\n",
            clipped(f.host, 40).c_str(), static_cast<long long>(f.run_id), label.c_str(), f.value,
            f.drop_percent, f.earlier_median);
    }
    return out;
}

bool read_results_for_store(const std::filesystem::path& file, RunData& run, std::string& error) {
    const std::string name = app::printable_text(file.string());
    std::string text;
    if (!suite::read_results_text(file, text, error)) return false;
    nlohmann::json doc;
    if (!suite::parse_results_text(text, name, doc, error)) return false;
    std::string why;
    std::optional<RunData> parsed = run_from_results(doc, &why);
    if (!parsed) {
        error = name + ": " + app::printable_text(why);
        return false;
    }
    run = std::move(*parsed);
    run.content_hash = content_hash(text);
    std::error_code ec;
    run.results_path = std::filesystem::absolute(file, ec).lexically_normal().string();
    return true;
}

std::string record_results_file(const std::filesystem::path& store_path,
                                const std::filesystem::path& results_file) {
    const std::string where =
        "results store " + app::printable_text(store_path.string()) + ": run not recorded: ";
    const std::string after = " (the results file is kept; add it later with --import)";
    RunData run;
    std::string error;
    if (!read_results_for_store(results_file, run, error)) return where + error + after;
    if (run.host == "unknown") run.host = this_host_name();
    try {
        Store s(store_path);
        if (!s.find_hash(run.content_hash)) s.record(run);
    } catch (const Error& e) {
        return where + app::printable_text(e.what()) + after;
    }
    return {};
}

std::string record_in_default_store(const std::filesystem::path& results_file) {
    const std::filesystem::path store_path = default_store_path();
    if (store_path.empty())
        return "no results store: neither XDG_DATA_HOME nor HOME is set; the run is not recorded";
    return record_results_file(store_path, results_file);
}

int import_results_files(const std::filesystem::path& store_path,
                         const std::vector<std::string>& files, std::FILE* out, std::FILE* err) {
    const std::string store_name = app::printable_text(store_path.string());
    std::unique_ptr<Store> s;
    try {
        s = std::make_unique<Store>(store_path);
    } catch (const Error& e) {
        std::fprintf(err, "lumetra2-cli: results store %s: %s\n", store_name.c_str(),
                     app::printable_text(e.what()).c_str());
        return 1;
    }
    int refused = 0;
    for (const std::string& f : files) {
        const std::string name = app::printable_text(f);
        RunData run;
        std::string error;
        if (!read_results_for_store(f, run, error)) {
            std::fprintf(err, "lumetra2-cli: %s: refused\n", error.c_str());
            ++refused;
            continue;
        }
        try {
            if (const auto id = s->find_hash(run.content_hash)) {
                std::fprintf(out, "%s: already in the store as run %lld, skipped\n", name.c_str(),
                             static_cast<long long>(*id));
                continue;
            }
            const std::int64_t id = s->record(run);
            std::fprintf(out, "%s: imported as run %lld\n", name.c_str(),
                         static_cast<long long>(id));
        } catch (const Error& e) {
            std::fprintf(err, "lumetra2-cli: %s: not imported: results store %s: %s\n",
                         name.c_str(), store_name.c_str(), app::printable_text(e.what()).c_str());
            ++refused;
        }
    }
    return refused ? 1 : 0;
}

int print_history(const std::filesystem::path& store_path, const std::string& host, int last,
                  std::FILE* out, std::FILE* err) {
    const std::string store_name = app::printable_text(store_path.string());
    std::error_code ec;
    if (!std::filesystem::exists(store_path, ec)) {
        std::fprintf(out, "No runs recorded yet (results store %s).\n", store_name.c_str());
        return 0;
    }
    try {
        Store s(store_path);
        std::vector<HistoryRow> rows = s.history(host);
        const std::vector<Regression> flags = find_regressions(rows);
        if (last > 0 && rows.size() > static_cast<std::size_t>(last)) rows.resize(last);
        std::fputs(history_text(rows, flags).c_str(), out);
    } catch (const Error& e) {
        std::fprintf(err, "lumetra2-cli: results store %s: %s\n", store_name.c_str(),
                     app::printable_text(e.what()).c_str());
        return 1;
    }
    return 0;
}

}  // namespace store
