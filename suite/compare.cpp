#include "suite/compare.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "app/benchmarks.h"
#include "app/files.h"
#include "app/format.h"
#include "suite/cli_report.h"

namespace suite {
namespace {

// A results file is a few hundred KiB at most; anything far larger is not one.
constexpr std::uintmax_t kMaxResultsBytes = 64u << 20;

struct Figure {
    std::string id;  // "memory.bandwidth_mbs"
    std::string label;
    double value = 0;
    std::optional<double> spread;  // max - min over repeated runs
};

std::string text_at(const nlohmann::json& doc, std::initializer_list<const char*> path) {
    const nlohmann::json* j = &doc;
    for (const char* key : path) {
        if (!j->is_object() || !j->contains(key)) return "unknown";
        j = &(*j)[key];
    }
    // The file's own words never reach the terminal raw.
    if (j->is_string()) return app::printable_text(j->get<std::string>());
    if (j->is_number()) return j->dump();
    return "unknown";
}

std::optional<double> number_at(const nlohmann::json& j, const char* key) {
    if (!j.is_object() || !j.contains(key) || !j[key].is_number()) return std::nullopt;
    const double v = j[key].get<double>();
    return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

std::string step_name(std::string_view key) {
    for (const app::BenchmarkInfo& b : app::benchmarks())
        if (b.key == key) return std::string(b.name);
    return std::string(key);
}

// The headline figures in suite order; a repeated run's figure is its median with its spread.
std::vector<Figure> figures_of(const nlohmann::json& doc) {
    std::vector<Figure> out;
    const nlohmann::json* spreads = nullptr;
    if (doc.contains("repeat") && doc["repeat"].is_object() && doc["repeat"].contains("spread") &&
        doc["repeat"]["spread"].is_object())
        spreads = &doc["repeat"]["spread"];
    auto add = [&](const std::string& key, const std::string& name, std::optional<double> v) {
        Figure f;
        f.id = key + "." + name;
        f.label = step_name(key) + ": " + name;
        if (spreads && spreads->contains(f.id)) {
            const nlohmann::json& s = (*spreads)[f.id];
            const auto median = number_at(s, "median");
            const auto lo = number_at(s, "min");
            const auto hi = number_at(s, "max");
            if (median) v = median;
            if (lo && hi) f.spread = *hi - *lo;
        }
        if (!v) return;
        f.value = *v;
        out.push_back(std::move(f));
    };
    for (const app::BenchmarkInfo& b : app::benchmarks()) {
        const std::string key(b.key);
        if (!doc.contains(key) || !doc[key].is_object()) continue;
        const nlohmann::json& section = doc[key];
        if (section.value("status", std::string()) != "completed") continue;
        if (section.contains("headline") && section["headline"].is_object()) {
            const nlohmann::json& h = section["headline"];
            const std::string name = h.contains("name") && h["name"].is_string()
                                         ? app::printable_text(h["name"].get<std::string>())
                                         : std::string("headline");
            add(key, name, number_at(h, "value"));
        }
        if (key == "memory") add(key, "latency_ns", number_at(section, "latency_ns"));
    }
    return out;
}

const Figure* find(const std::vector<Figure>& list, const std::string& id) {
    for (const Figure& f : list)
        if (f.id == id) return &f;
    return nullptr;
}

std::string ratio_text(double old_v, double new_v) {
    if (old_v == 0.0) return "-";
    return app::strprintf("%.3f", new_v / old_v);
}

std::string version_of(const nlohmann::json& doc) {
    return text_at(doc, {"provenance", "program_version"}) + " " + text_at(doc, {"build"}) +
           " (revision " + text_at(doc, {"provenance", "source_revision"}) + ")";
}

}  // namespace

bool load_results_file(const std::filesystem::path& path, nlohmann::json& doc, std::string& error) {
    const std::string name = app::printable_text(path.string());
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        error = name + ": no such file";
        return false;
    }
    if (!std::filesystem::is_regular_file(path, ec)) {
        error = name + ": not a regular file";
        return false;
    }
    if (std::filesystem::file_size(path, ec) > kMaxResultsBytes) {
        error = name + ": too large to be a Lumetra results file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = name + ": cannot be read";
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return parse_results_text(text, name, doc, error);
}

bool parse_results_text(const std::string& text, const std::string& name, nlohmann::json& doc,
                        std::string& error) {
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        error = name + ": empty file, not a Lumetra results file";
        return false;
    }
    try {
        doc = nlohmann::json::parse(text, nullptr, false);
    } catch (const nlohmann::json::exception&) {
        // Not expected without exceptions asked for; a reader must never abort on its input.
        error = name + ": not JSON";
        return false;
    }
    if (doc.is_discarded()) {
        // Tell a cut-off file from one that never was JSON: a valid prefix ends the input.
        bool truncated = false, out_of_range = false;
        try {
            const nlohmann::json again = nlohmann::json::parse(text);
            truncated = again.is_null();  // not reached: the text failed above
        } catch (const nlohmann::json::parse_error& e) {
            truncated = e.byte >= text.size();
        } catch (const nlohmann::json::out_of_range&) {
            out_of_range = true;  // 1e999, -1e400: beyond the range of a double
        } catch (const nlohmann::json::exception&) {
        }
        error = name + (out_of_range ? ": a number is out of range, not a Lumetra results file"
                        : truncated  ? ": truncated (the JSON text ends early)"
                                     : ": not JSON");
        return false;
    }
    if (!doc.is_object() || !doc.contains("program") || !doc["program"].is_string() ||
        doc["program"].get<std::string>().rfind("Lumetra", 0) != 0 || !doc.contains("subscores") ||
        !doc["subscores"].is_object()) {
        error = name + ": JSON, but not a Lumetra results file";
        return false;
    }
    return true;
}

std::string compare_results(const nlohmann::json& old_doc, const nlohmann::json& new_doc,
                            const std::string& old_name, const std::string& new_name) {
    std::string out =
        "OLD: " + app::printable_text(old_name) + " (" + text_at(old_doc, {"started_utc"}) + ")\n";
    out +=
        "NEW: " + app::printable_text(new_name) + " (" + text_at(new_doc, {"started_utc"}) + ")\n";
    std::vector<std::string> only_old, only_new;

    out += app::strprintf("\n%-38s %14s %14s %9s\n", "Sub-score", "OLD", "NEW", "NEW/OLD");
    const nlohmann::json& so = old_doc["subscores"];
    const nlohmann::json& sn = new_doc["subscores"];
    for (const app::ScoreGroup& g : app::score_groups()) {
        const std::string key(g.key);
        const auto o = number_at(so, key.c_str());
        const auto n = number_at(sn, key.c_str());
        if (!o && !n) continue;
        if (!o || !n) {
            (o ? only_old : only_new).push_back("sub-score " + std::string(g.label));
            continue;
        }
        const bool mo = *o > 0, mn = *n > 0;
        out += app::strprintf("  %-36s %14s %14s %9s\n", std::string(g.label).c_str(),
                              mo ? app::strprintf("%.2f", *o).c_str() : "not measured",
                              mn ? app::strprintf("%.2f", *n).c_str() : "not measured",
                              mo && mn ? ratio_text(*o, *n).c_str() : "-");
    }

    const std::vector<Figure> fo = figures_of(old_doc);
    const std::vector<Figure> fn = figures_of(new_doc);
    out += app::strprintf("\n%-38s %14s %14s %9s\n", "Headline figure", "OLD", "NEW", "NEW/OLD");
    int flagged = 0;
    for (const Figure& o : fo) {
        const Figure* n = find(fn, o.id);
        if (!n) {
            only_old.push_back(o.label);
            continue;
        }
        std::string flag;
        if (o.spread && n->spread &&
            std::fabs(n->value - o.value) > std::max(*o.spread, *n->spread)) {
            flag = "  beyond spread";
            ++flagged;
        }
        out += app::strprintf("  %-36s %14.2f %14.2f %9s%s\n", o.label.c_str(), o.value, n->value,
                              ratio_text(o.value, n->value).c_str(), flag.c_str());
    }
    for (const Figure& n : fn)
        if (!find(fo, n.id)) only_new.push_back(n.label);
    if (flagged > 0)
        out += app::strprintf(
            "  %d figure(s) differ by more than the larger spread of the repeated runs\n", flagged);

    std::vector<std::string> warnings;
    auto differs = [&](const char* what, const std::string& a, const std::string& b) {
        if (a != b)
            warnings.push_back(
                app::strprintf("%s differs: OLD \"%s\", NEW \"%s\"", what, a.c_str(), b.c_str()));
    };
    auto processor = [](const nlohmann::json& d) {
        std::string name = text_at(d, {"provenance", "cpu_model_name"});
        if (name == "unknown") name = text_at(d, {"processor", "brand"});
        return name + " (family " + text_at(d, {"provenance", "cpu_family"}) + ", model " +
               text_at(d, {"provenance", "cpu_model"}) + ", stepping " +
               text_at(d, {"provenance", "cpu_stepping"}) + ")";
    };
    differs("Processor", processor(old_doc), processor(new_doc));
    differs("Kernel", text_at(old_doc, {"provenance", "kernel"}),
            text_at(new_doc, {"provenance", "kernel"}));
    differs("Scaling governor", text_at(old_doc, {"provenance", "scaling_governor"}),
            text_at(new_doc, {"provenance", "scaling_governor"}));
    differs("Compiler", text_at(old_doc, {"compiler"}) + " " + text_at(old_doc, {"compiler_flags"}),
            text_at(new_doc, {"compiler"}) + " " + text_at(new_doc, {"compiler_flags"}));
    const std::string vo = version_of(old_doc), vn = version_of(new_doc);
    if (vo != vn)
        warnings.push_back("Program versions differ: OLD " + vo + ", NEW " + vn +
                           "; the figures both files have are compared");
    if (!only_old.empty() || !only_new.empty()) {
        auto join = [](const std::vector<std::string>& v) {
            std::string s;
            for (const std::string& x : v) s += (s.empty() ? "" : ", ") + x;
            return s.empty() ? std::string("nothing") : s;
        };
        warnings.push_back("Not compared, only in OLD: " + join(only_old));
        warnings.push_back("Not compared, only in NEW: " + join(only_new));
    }
    if (!warnings.empty()) {
        out += "\nWarnings:\n";
        for (const std::string& w : warnings) out += "  " + w + "\n";
    }
    return out;
}

int run_compare_for_cli(const std::filesystem::path& old_path,
                        const std::filesystem::path& new_path, std::FILE* out, std::FILE* err) {
    nlohmann::json old_doc, new_doc;
    std::string error;
    if (!load_results_file(old_path, old_doc, error) ||
        !load_results_file(new_path, new_doc, error)) {
        std::fprintf(err, "lumetra2-cli: --compare: %s\n", error.c_str());
        return kExitCommandLine;
    }
    const std::string text =
        compare_results(old_doc, new_doc, old_path.string(), new_path.string());
    std::fputs(text.c_str(), out);
    std::fflush(out);
    return kExitOk;
}

}  // namespace suite
