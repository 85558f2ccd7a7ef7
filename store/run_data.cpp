#include "store/run_data.h"

#include <openssl/evp.h>
#include <unistd.h>

#include <cmath>

#include "app/benchmarks.h"
#include "app/format.h"
#include "suite/results_file.h"
#include "suite/scores.h"

namespace store {

namespace {

// Larger than any figure a machine measures (MiB/s, MFLOPS, s, ns).
constexpr double kLargestFigure = 1e15;

std::string text_of(const nlohmann::json& j, std::initializer_list<const char*> path) {
    const nlohmann::json* at = &j;
    for (const char* key : path) {
        if (!at->is_object() || !at->contains(key)) return "unknown";
        at = &(*at)[key];
    }
    return at->is_string() ? at->get<std::string>() : std::string("unknown");
}

// A figure the store keeps: missing is fine (nothing), anything but a sensible number is not.
bool figure_at(const nlohmann::json& obj, const char* key, std::optional<double>& out,
               const std::string& where, std::string* error) {
    out.reset();
    if (!obj.is_object() || !obj.contains(key) || obj[key].is_null()) return true;
    const nlohmann::json& v = obj[key];
    if (!v.is_number()) {
        if (error) *error = where + ": " + key + " is not a number";
        return false;
    }
    const double d = v.get<double>();
    if (!std::isfinite(d) || d < 0 || d > kLargestFigure) {
        if (error) *error = where + ": " + key + " is " + v.dump() + ", not a possible figure";
        return false;
    }
    out = d;
    return true;
}

}  // namespace

std::string content_hash(std::string_view bytes) {
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    EVP_Digest(bytes.data(), bytes.size(), md, &n, EVP_sha256(), nullptr);
    static const char* hex = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < n; ++i) {
        out += hex[md[i] >> 4];
        out += hex[md[i] & 15];
    }
    return out;
}

std::string this_host_name() {
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0 || buf[0] == '\0') return "unknown";
    return buf;
}

std::optional<RunData> run_from_results(const nlohmann::json& doc, std::string* error) {
    if (!doc.is_object()) {
        if (error) *error = "not a results document";
        return std::nullopt;
    }
    RunData run;
    run.started_utc = text_of(doc, {"started_utc"});
    run.host = text_of(doc, {"provenance", "host_name"});
    run.processor = text_of(doc, {"processor", "brand"});
    run.program_version = text_of(doc, {"provenance", "program_version"});
    run.source_revision = text_of(doc, {"provenance", "source_revision"});
    run.command_line = text_of(doc, {"provenance", "command_line"});
    if (doc.contains("provenance") && doc["provenance"].is_object())
        run.provenance =
            doc["provenance"].dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    run.interrupted = doc.contains("interrupted") && doc["interrupted"].is_boolean() &&
                      doc["interrupted"].get<bool>();

    const nlohmann::json none;
    const nlohmann::json& scores = doc.contains("subscores") ? doc["subscores"] : none;
    for (const app::ScoreGroup& g : app::score_groups()) {
        SubScore s{std::string(g.key), std::nullopt};
        const std::string key(g.key);
        // The previous format wrote -1 for a sub-score not measured.
        const bool old_none = scores.is_object() && scores.contains(key) &&
                              scores[key].is_number() && scores[key].get<double>() == -1.0;
        if (!old_none && !figure_at(scores, key.c_str(), s.value, "sub-score", error))
            return std::nullopt;
        run.subscores.push_back(std::move(s));
    }

    const nlohmann::json* spreads = nullptr;
    if (doc.contains("repeat") && doc["repeat"].is_object() && doc["repeat"].contains("spread") &&
        doc["repeat"]["spread"].is_object())
        spreads = &doc["repeat"]["spread"];
    auto add = [&](const std::string& step, const std::string& name, const nlohmann::json& holder,
                   const char* field) {
        std::optional<double> value;
        if (!figure_at(holder, field, value, step + " " + name, error)) return false;
        if (!value) return true;
        const suite::HeadlineKind* kind = suite::find_headline_kind(step, name);
        Figure f{step,   kind ? std::string(kind->name) : name,
                 *value, kind ? std::string(kind->unit) : std::string(),
                 {},     {},
                 {},     {}};
        const nlohmann::json* s = nullptr;
        const std::string prefix = step + ".";
        for (const std::string& id : {prefix + f.key, prefix + name})
            if (!s && spreads && spreads->contains(id)) s = &(*spreads)[id];
        if (s && !(figure_at(*s, "min", f.min, f.key + " spread", error) &&
                   figure_at(*s, "median", f.median, f.key + " spread", error) &&
                   figure_at(*s, "max", f.max, f.key + " spread", error) &&
                   figure_at(*s, "cv_percent", f.cv_percent, f.key + " spread", error)))
            return false;
        run.figures.push_back(std::move(f));
        return true;
    };
    // What the report draws; the rest of the file (and any padding) stays in the file.
    nlohmann::json kept = nlohmann::json::object();
    for (const char* key : {"format_version", "started_utc", "interrupted", "processor",
                            "provenance", "caches", "subscores"})
        if (doc.contains(key)) kept[key] = doc[key];
    if (spreads) kept["repeat"] = {{"spread", *spreads}};
    for (const app::BenchmarkInfo& b : app::benchmarks()) {
        const std::string key(b.key);
        if (!doc.contains(key) || !doc[key].is_object()) continue;
        kept[key] = doc[key];
        const nlohmann::json& section = doc[key];
        if (!section.contains("status") || section["status"] != "completed") continue;
        if (section.contains("headline") && section["headline"].is_object()) {
            const nlohmann::json& h = section["headline"];
            const std::string name = h.contains("name") && h["name"].is_string()
                                         ? h["name"].get<std::string>()
                                         : std::string("headline");
            if (!add(key, name, h, "value")) return std::nullopt;
        }
        for (const suite::ScoreInput& in : suite::inputs_of_step(key)) {
            const std::string figure(in.figure);
            if (!figure.empty() && !add(key, figure, section, figure.c_str())) return std::nullopt;
        }
    }
    run.document = kept.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return run;
}

}  // namespace store
