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
#include "suite/results_file.h"
#include "suite/scores.h"

namespace suite {
namespace {

// A results file is a few hundred KiB at most; anything far larger is not one.
constexpr std::uintmax_t kMaxResultsBytes = 64u << 20;

struct Figure {
    std::string id;  // "memory.bandwidth"
    std::string label;
    std::string unit;
    bool lower_is_better = false;
    double value = 0;
    std::optional<double> spread;  // max - min over repeated runs; none: a single measurement
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

// The headline figures in suite order, under the current names whichever format the file
// has; a repeated run's figure is its median with its spread.
std::vector<Figure> figures_of(const nlohmann::json& doc) {
    std::vector<Figure> out;
    const nlohmann::json* spreads = nullptr;
    if (doc.contains("repeat") && doc["repeat"].is_object() && doc["repeat"].contains("spread") &&
        doc["repeat"]["spread"].is_object())
        spreads = &doc["repeat"]["spread"];
    auto add = [&](const std::string& key, const std::string& name, std::optional<double> v) {
        const HeadlineKind* kind = find_headline_kind(key, name);
        Figure f;
        f.id = key + "." + (kind ? std::string(kind->name) : name);
        f.label = step_name(key) + ": " + (kind ? std::string(kind->name) : name);
        if (kind) {
            f.unit = kind->unit;
            f.lower_is_better = kind->lower_is_better;
        }
        // The spread under the current name, else under the previous one ("cipher.MB/s").
        const nlohmann::json* s = nullptr;
        if (spreads && spreads->contains(f.id)) s = &(*spreads)[f.id];
        if (!s && spreads && spreads->contains(key + "." + name)) s = &(*spreads)[key + "." + name];
        if (s) {
            const auto median = number_at(*s, "median");
            const auto lo = number_at(*s, "min");
            const auto hi = number_at(*s, "max");
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
        for (const ScoreInput& in : inputs_of_step(key))
            if (!in.figure.empty())
                add(key, std::string(in.figure),
                    number_at(section, std::string(in.figure).c_str()));
    }
    return out;
}

const Figure* find(const std::vector<Figure>& list, const std::string& id) {
    for (const Figure& f : list)
        if (f.id == id) return &f;
    return nullptr;
}

std::optional<double> ratio_of(double old_v, double new_v) {
    if (old_v == 0.0) return std::nullopt;
    return new_v / old_v;
}

std::string ratio_text(std::optional<double> r) {
    return r ? app::strprintf("%.3f", *r) : std::string("-");
}

std::string version_of(const nlohmann::json& doc) {
    return text_at(doc, {"provenance", "program_version"}) + " " + text_at(doc, {"build"}) +
           " (revision " + text_at(doc, {"provenance", "source_revision"}) + ")";
}

bool interrupted(const nlohmann::json& doc) {
    return doc.contains("interrupted") && doc["interrupted"].is_boolean() &&
           doc["interrupted"].get<bool>();
}

// One compared row: a sub-score or a headline figure.
struct Row {
    std::string kind;  // "subscore" or "figure"
    std::string id, label, unit;
    bool lower_is_better = false;
    std::optional<double> old_v, new_v;  // none: not measured
    bool old_single = false, new_single = false;
    bool beyond_spread = false;
};

struct Comparison {
    std::vector<Row> rows;
    std::vector<std::string> warnings;
    int flagged = 0;
};

Comparison compare(const nlohmann::json& old_doc, const nlohmann::json& new_doc) {
    Comparison c;
    std::vector<std::string> only_old, only_new;
    const nlohmann::json& so = old_doc["subscores"];
    const nlohmann::json& sn = new_doc["subscores"];
    for (const app::ScoreGroup& g : app::score_groups()) {
        const std::string key(g.key);
        // Present: a number, or null (not measured) in the current format.
        auto present = [&](const nlohmann::json& s) {
            return s.contains(key) && (s[key].is_number() || s[key].is_null());
        };
        if (!present(so) && !present(sn)) continue;
        if (!present(so) || !present(sn)) {
            (present(so) ? only_old : only_new).push_back("sub-score " + std::string(g.label));
            continue;
        }
        Row r;
        r.kind = "subscore";
        r.id = key;
        r.label = std::string(g.label);
        r.unit = "LumetraMarks";
        const auto o = number_at(so, key.c_str()), n = number_at(sn, key.c_str());
        if (o && *o > 0) r.old_v = o;  // the previous format's -1: not measured
        if (n && *n > 0) r.new_v = n;
        c.rows.push_back(std::move(r));
    }
    const std::vector<Figure> fo = figures_of(old_doc);
    const std::vector<Figure> fn = figures_of(new_doc);
    for (const Figure& o : fo) {
        const Figure* n = find(fn, o.id);
        if (!n) {
            only_old.push_back(o.label);
            continue;
        }
        Row r;
        r.kind = "figure";
        r.id = o.id;
        r.label = o.label;
        r.unit = o.unit;
        r.lower_is_better = o.lower_is_better;
        r.old_v = o.value;
        r.new_v = n->value;
        r.old_single = !o.spread;
        r.new_single = !n->spread;
        if (o.spread && n->spread &&
            std::fabs(n->value - o.value) > std::max(*o.spread, *n->spread)) {
            r.beyond_spread = true;
            ++c.flagged;
        }
        c.rows.push_back(std::move(r));
    }
    for (const Figure& n : fn)
        if (!find(fo, n.id)) only_new.push_back(n.label);

    auto differs = [&](const char* what, const std::string& a, const std::string& b) {
        if (a != b)
            c.warnings.push_back(
                app::strprintf("%s differs: OLD \"%s\", NEW \"%s\"", what, a.c_str(), b.c_str()));
    };
    auto processor = [](const nlohmann::json& d) {
        std::string name = text_at(d, {"provenance", "cpu_model_name"});
        if (name == "unknown") name = text_at(d, {"processor", "brand"});
        return name + " (family " + text_at(d, {"provenance", "cpu_family"}) + ", model " +
               text_at(d, {"provenance", "cpu_model"}) + ", stepping " +
               text_at(d, {"provenance", "cpu_stepping"}) + ")";
    };
    if (interrupted(old_doc)) c.warnings.push_back("OLD is an interrupted run: steps are missing");
    if (interrupted(new_doc)) c.warnings.push_back("NEW is an interrupted run: steps are missing");
    differs("Processor", processor(old_doc), processor(new_doc));
    differs("Kernel", text_at(old_doc, {"provenance", "kernel"}),
            text_at(new_doc, {"provenance", "kernel"}));
    differs("Scaling governor", text_at(old_doc, {"provenance", "scaling_governor"}),
            text_at(new_doc, {"provenance", "scaling_governor"}));
    differs("Compiler", text_at(old_doc, {"compiler"}) + " " + text_at(old_doc, {"compiler_flags"}),
            text_at(new_doc, {"compiler"}) + " " + text_at(new_doc, {"compiler_flags"}));
    const std::string vo = version_of(old_doc), vn = version_of(new_doc);
    if (vo != vn)
        c.warnings.push_back("Program versions differ: OLD " + vo + ", NEW " + vn +
                             "; the figures both files have are compared");
    if (!only_old.empty() || !only_new.empty()) {
        auto join = [](const std::vector<std::string>& v) {
            std::string s;
            for (const std::string& x : v) s += (s.empty() ? "" : ", ") + x;
            return s.empty() ? std::string("nothing") : s;
        };
        c.warnings.push_back("Not compared, only in OLD: " + join(only_old));
        c.warnings.push_back("Not compared, only in NEW: " + join(only_new));
    }
    return c;
}

std::string value_text(std::optional<double> v, bool single) {
    if (!v) return "not measured";
    return app::strprintf("%.2f%s", *v, single ? "*" : " ");
}

std::string csv_field(const std::string& s) {
    if (s.find_first_of(",\"\n") == std::string::npos) return s;
    std::string out = "\"";
    for (char ch : s) out += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    return out + "\"";
}

std::string number_text(std::optional<double> v) {
    return v ? app::strprintf("%.6g", *v) : std::string();
}

nlohmann::json number_json(std::optional<double> v) {
    return v ? nlohmann::json(*v) : nlohmann::json(nullptr);
}

}  // namespace

bool read_results_text(const std::filesystem::path& path, std::string& text, std::string& error) {
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
    if (in) text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in || (!in.good() && !in.eof())) {
        error = name + ": cannot be read";
        return false;
    }
    return true;
}

bool load_results_file(const std::filesystem::path& path, nlohmann::json& doc, std::string& error) {
    std::string text;
    return read_results_text(path, text, error) &&
           parse_results_text(text, app::printable_text(path.string()), doc, error);
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
                            const std::string& old_name, const std::string& new_name,
                            CompareFormat format) {
    const Comparison c = compare(old_doc, new_doc);
    if (format == CompareFormat::Csv) {
        std::string out =
            "kind,id,label,unit,better,old,new,ratio,old_single,new_single,beyond_spread\n";
        for (const Row& r : c.rows) {
            const auto ratio = r.old_v && r.new_v ? ratio_of(*r.old_v, *r.new_v) : std::nullopt;
            out += r.kind + "," + csv_field(r.id) + "," + csv_field(r.label) + "," + r.unit + "," +
                   (r.lower_is_better ? "lower" : "higher") + "," + number_text(r.old_v) + "," +
                   number_text(r.new_v) + "," + number_text(ratio) + "," +
                   (r.old_single ? "1" : "0") + "," + (r.new_single ? "1" : "0") + "," +
                   (r.beyond_spread ? "1" : "0") + "\n";
        }
        return out;
    }
    if (format == CompareFormat::Json) {
        nlohmann::json j;
        j["old"] = {{"file", old_name},
                    {"started_utc", text_at(old_doc, {"started_utc"})},
                    {"interrupted", interrupted(old_doc)}};
        j["new"] = {{"file", new_name},
                    {"started_utc", text_at(new_doc, {"started_utc"})},
                    {"interrupted", interrupted(new_doc)}};
        nlohmann::json rows = nlohmann::json::array();
        for (const Row& r : c.rows) {
            const auto ratio = r.old_v && r.new_v ? ratio_of(*r.old_v, *r.new_v) : std::nullopt;
            rows.push_back({{"kind", r.kind},
                            {"id", r.id},
                            {"label", r.label},
                            {"unit", r.unit},
                            {"better", r.lower_is_better ? "lower" : "higher"},
                            {"old", number_json(r.old_v)},
                            {"new", number_json(r.new_v)},
                            {"ratio", number_json(ratio)},
                            {"old_single_measurement", r.old_single},
                            {"new_single_measurement", r.new_single},
                            {"beyond_spread", r.beyond_spread}});
        }
        j["rows"] = rows;
        j["warnings"] = c.warnings;
        return j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    }

    auto heading = [&](const char* what, const nlohmann::json& doc, const std::string& name) {
        return std::string(what) + ": " + app::printable_text(name) + " (" +
               text_at(doc, {"started_utc"}) + ")" + (interrupted(doc) ? ", interrupted" : "") +
               "\n";
    };
    std::string out = heading("OLD", old_doc, old_name) + heading("NEW", new_doc, new_name);
    const char* row_format = "  %-28s %12s %12s %-6s %7s %s%s\n";
    bool any_single = false;
    std::string kind;
    for (const Row& r : c.rows) {
        if (r.kind != kind) {
            kind = r.kind;
            out +=
                app::strprintf("\n%-30s %12s %12s %-6s %7s %s\n",
                               kind == "subscore" ? "Sub-score (LumetraMarks)" : "Headline figure",
                               "OLD", "NEW", "unit", "NEW/OLD", "better");
        }
        any_single = any_single || r.old_single || r.new_single;
        const auto ratio = r.old_v && r.new_v ? ratio_of(*r.old_v, *r.new_v) : std::nullopt;
        out += app::strprintf(
            row_format, r.label.c_str(), value_text(r.old_v, r.old_single).c_str(),
            value_text(r.new_v, r.new_single).c_str(), r.kind == "subscore" ? "" : r.unit.c_str(),
            ratio_text(ratio).c_str(), r.lower_is_better ? "lower" : "higher",
            r.beyond_spread ? "  beyond spread" : "");
    }
    if (any_single) out += "  * a single measurement: no spread to judge a difference by\n";
    if (c.flagged > 0)
        out += app::strprintf(
            "  %d figure(s) differ by more than the larger spread of the repeated runs\n",
            c.flagged);
    if (!c.warnings.empty()) {
        out += "\nWarnings:\n";
        for (const std::string& w : c.warnings) out += "  " + w + "\n";
    }
    return out;
}

int run_compare_for_cli(const std::filesystem::path& old_path,
                        const std::filesystem::path& new_path, std::FILE* out, std::FILE* err,
                        CompareFormat format) {
    nlohmann::json old_doc, new_doc;
    std::string error;
    if (!load_results_file(old_path, old_doc, error) ||
        !load_results_file(new_path, new_doc, error)) {
        std::fprintf(err, "lumetra2-cli: --compare: %s\n", error.c_str());
        return kExitCommandLine;
    }
    const std::string text =
        compare_results(old_doc, new_doc, old_path.string(), new_path.string(), format);
    std::fputs(text.c_str(), out);
    std::fflush(out);
    return kExitOk;
}

}  // namespace suite
