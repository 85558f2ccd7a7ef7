#include "suite/results_file.h"

#include "suite/scores.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/benchmarks.h"
#include "app/console.h"
#include "app/files.h"
#include "app/format.h"
#include "app/interrupt.h"
#include "app/provenance.h"
#include "app/startup.h"

#ifndef LUMETRA_CXX_FLAGS
#define LUMETRA_CXX_FLAGS ""
#endif

namespace suite {

std::string results_file_name(std::chrono::system_clock::time_point started) {
    const std::time_t t = std::chrono::system_clock::to_time_t(started);
    std::tm tm{};
    gmtime_r(&t, &tm);
    return app::strprintf("Results-%04d-%02d-%02dT%02d-%02d-%02dZ.json", tm.tm_year + 1900,
                          tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

std::string compiler_name() {
#if defined(__clang__)
    return std::string("clang ") + __clang_version__;
#elif defined(__GNUC__)
    return std::string("gcc ") + __VERSION__;
#else
    return "unknown";
#endif
}

std::string compiler_flags() {
    return LUMETRA_CXX_FLAGS;
}

nlohmann::json processor_json(const app::ProcessorInfo& info) {
    nlohmann::json flags = nlohmann::json::array();
    const struct {
        const char* name;
        uint32_t on;
    } table[] = {{"sse", info.sse},
                 {"sse2", info.sse2},
                 {"sse3", info.sse3},
                 {"3dnow", info.amd_3dnow},
                 {"3dnowext", info.amd_3dnow_ext},
                 {"amd64", info.amd64},
                 {"avx", info.avx},
                 {"avx2", info.avx2},
                 {"fma", info.fma},
                 {"aesni", info.aesni},
                 {"htt", info.hyperthreading}};
    for (const auto& f : table)
        if (f.on) flags.push_back(f.name);
    // The CPUID texts are fixed-size and may lack a terminator; never read past them.
    const std::string vendor(info.vendor, strnlen(info.vendor, sizeof info.vendor));
    const std::string brand(info.brand, strnlen(info.brand, sizeof info.brand));
    return {{"vendor", vendor},
            {"brand", brand},
            {"processor_count", info.processor_count},
            {"physical_processor_count", info.physical_processor_count},
            {"clock_mhz", info.clock_rate_wide},
            {"flags", flags}};
}

namespace {

// JSON has no infinity or NaN; a score not measured (or not finite) is null.
nlohmann::json score_value(float s) {
    return std::isfinite(s) && s > 0.0f ? nlohmann::json(double(s)) : nlohmann::json(nullptr);
}

// Text from the records may hold any bytes (a deck name from the command line); the JSON
// writer must not throw on them.
std::string dump(const nlohmann::json& doc) {
    return doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace

namespace {

constexpr HeadlineKind kHeadlineKinds[] = {
    {"memory", "bandwidth_mbs", "bandwidth", "MiB/s", false},
    {"memory", "latency_ns", "latency", "ns", true},
    {"stream", "score", "score", "LumetraMarks", false},
    {"md", "time_s", "time", "s", true},
    {"orbitra", "time_s", "time", "s", true},
    {"cipher", "MB/s", "rate", "MiB/s", false},
    {"sgemm", "Peak MFLOPS", "peak_rate", "MFLOPS", false},
    {"dgemm", "Peak MFLOPS", "peak_rate", "MFLOPS", false},
};

nlohmann::json number_or_null(double v) {
    return std::isfinite(v) && v >= 0.0 ? nlohmann::json(v) : nlohmann::json(nullptr);
}

// STREAM's rate table ([kernel][form], -1 where a form does not run) as labelled rows.
nlohmann::json stream_rates(const nlohmann::json& table) {
    static const char* const kernels[] = {"copy", "scale", "add", "triad"};
    static const char* const forms[] = {"x87", "sse2", "sse2_block"};
    nlohmann::json rows = nlohmann::json::array();
    if (!table.is_array()) return rows;
    for (std::size_t k = 0; k < table.size() && k < 4; ++k) {
        if (!table[k].is_array()) continue;
        for (std::size_t f = 0; f < table[k].size() && f < 3; ++f) {
            const nlohmann::json& v = table[k][f];
            rows.push_back({{"kernel", kernels[k]},
                            {"form", forms[f]},
                            {"value", v.is_number() ? number_or_null(v.get<double>()) : nullptr},
                            {"unit", "MB/s"}});
        }
    }
    return rows;
}

// Keys name fields, never paths: a "/" (as in "MB/s") becomes "_per_".
nlohmann::json without_slashes(const nlohmann::json& j) {
    if (j.is_array()) {
        nlohmann::json out = nlohmann::json::array();
        for (const nlohmann::json& v : j) out.push_back(without_slashes(v));
        return out;
    }
    if (!j.is_object()) return j;
    nlohmann::json out = nlohmann::json::object();
    for (const auto& [key, value] : j.items()) {
        std::string k = key;
        for (std::size_t p; (p = k.find('/')) != std::string::npos;) k.replace(p, 1, "_per_");
        out[k] = without_slashes(value);
    }
    return out;
}

}  // namespace

const HeadlineKind* find_headline_kind(std::string_view step, std::string_view name) {
    for (const HeadlineKind& h : kHeadlineKinds)
        if (h.step == step && (h.name == name || h.old_name == name)) return &h;
    return nullptr;
}

nlohmann::json headlines_json(const std::vector<StepOutcome>& steps) {
    nlohmann::json out = nlohmann::json::array();
    auto add = [&](const std::string& step, const std::string& name, double value) {
        const HeadlineKind* k = find_headline_kind(step, name);
        out.push_back({{"step", step},
                       {"name", k ? std::string(k->name) : name},
                       {"value", std::isfinite(value) ? nlohmann::json(value) : nullptr},
                       {"unit", k ? std::string(k->unit) : std::string()},
                       {"better", k && k->lower_is_better ? "lower" : "higher"}});
    };
    for (const StepOutcome& st : steps) {
        if (!st.ok) continue;
        if (!st.record.headline_name().empty())
            add(st.key, st.record.headline_name(), st.record.headline());
        for (const ScoreInput& in : inputs_of_step(st.key)) {
            if (in.figure.empty()) continue;
            const nlohmann::json v = st.record.figure(std::string(in.figure));
            if (v.is_number()) add(st.key, std::string(in.figure), v.get<double>());
        }
    }
    return out;
}

nlohmann::json run_provenance_json(const std::filesystem::path& root) {
    nlohmann::json p = app::provenance_json(app::read_provenance(root));
    p["program_version"] = app::program_version();
    p["source_revision"] = app::source_revision();
    p["compiler"] = compiler_name();
    p["compiler_flags"] = compiler_flags();
    const std::filesystem::path log = app::console().log_path();
    p["console_log"] = log.empty() ? std::string(app::kUnknown) : log.filename().string();
    auto load = [](double v) -> nlohmann::json {
        if (v >= 0.0) return v;
        return nullptr;
    };
    p["load_average_start"] = load(app::load_at_run_start());
    p["load_average_end"] = load(app::load_average_1min(root));
    return p;
}

nlohmann::json results_json(const SubScores& scores, const std::vector<StepOutcome>& steps,
                            const app::ProcessorInfo& info,
                            std::chrono::system_clock::time_point started) {
    nlohmann::json doc;
    doc["format"] = kResultsFormat;
    doc["format_version"] = kResultsFormatVersion;
    doc["program"] = "Lumetra 2.0";
    doc["build"] = std::string(app::kBuildString);
    doc["compiler"] = compiler_name();
    doc["compiler_flags"] = compiler_flags();
    {
        const std::time_t t = std::chrono::system_clock::to_time_t(started);
        std::tm tm{};
        gmtime_r(&t, &tm);
        char buf[32];
        std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
        doc["started_utc"] = buf;
    }
    doc["processor"] = processor_json(info);
    doc["provenance"] = run_provenance_json();
    doc["caches"] = nullptr;
    nlohmann::json subscores = nlohmann::json::object();
    for (const app::ScoreGroup& g : app::score_groups())
        subscores[std::string(g.key)] = score_value(scores.of(g.key));
    doc["subscores"] = subscores;
    doc["subscore_unit"] = "LumetraMarks";
    doc["headlines"] = headlines_json(steps);
    doc["interrupted"] = app::interrupt_requested();
    for (const StepOutcome& st : steps) {
        nlohmann::json section;
        if (st.ran) {
            section = st.record.to_json();
            if (st.key == "memory") {
                const nlohmann::json caches = st.record.figure("caches");
                if (!caches.is_null()) doc["caches"] = caches;
                // The caches are the document's own section; one copy is enough.
                if (section.is_object()) section.erase("caches");
            }
            if (section.is_object() && section.contains("headline")) {
                const std::string name = section["headline"].value("name", std::string());
                if (const HeadlineKind* k = find_headline_kind(st.key, name)) {
                    section["headline"]["name"] = std::string(k->name);
                    section["headline"]["unit"] = std::string(k->unit);
                }
            }
            if (st.key == "stream" && section.is_object() && section.contains("rates"))
                section["rates"] = stream_rates(section["rates"]);
        } else {
            section["status"] = "skipped";
        }
        if (!st.ok) section["error"] = st.error.empty() ? std::string("failed") : st.error;
        doc[st.key] = without_slashes(section);
    }
    return doc;
}

namespace {
std::function<void(const std::filesystem::path&)>& results_written_hook() {
    static std::function<void(const std::filesystem::path&)> hook;
    return hook;
}
std::filesystem::path written(const std::filesystem::path& path) {
    if (results_written_hook()) results_written_hook()(path);
    return path;
}
}  // namespace

void set_results_written_hook(std::function<void(const std::filesystem::path&)> hook) {
    results_written_hook() = std::move(hook);
}

std::filesystem::path write_results_file(const std::filesystem::path& dir,
                                         std::chrono::system_clock::time_point started,
                                         const nlohmann::json& doc, std::string* error) {
    const std::string name = results_file_name(started);
    const std::string stem = name.substr(0, name.size() - 5);  // without ".json"
    // Write the whole text under a temporary name first, then give it the first free name with
    // link(), which never replaces an existing file, so no run overwrites another.
    const std::filesystem::path tmp =
        dir / app::strprintf(".%s.tmp-%ld", name.c_str(), static_cast<long>(::getpid()));
    if (!app::write_file_atomically(tmp, dump(doc), error)) return {};
    std::filesystem::path path = dir / name;
    for (int n = 2; n <= 1000; ++n) {
        if (::link(tmp.c_str(), path.c_str()) == 0) {
            ::unlink(tmp.c_str());
            return written(path);
        }
        if (errno != EEXIST) {
            // A file system without hard links: a rename onto a name not yet taken.
            std::error_code ec;
            if (!std::filesystem::exists(path, ec) && std::rename(tmp.c_str(), path.c_str()) == 0)
                return written(path);
            if (std::filesystem::exists(path, ec)) {
                path = dir / app::strprintf("%s-%d.json", stem.c_str(), n);
                continue;
            }
            if (error)
                *error = app::strprintf("cannot create %s: %s", path.string().c_str(),
                                        std::strerror(errno));
            ::unlink(tmp.c_str());
            return {};
        }
        path = dir / app::strprintf("%s-%d.json", stem.c_str(), n);
    }
    ::unlink(tmp.c_str());
    if (error) *error = "no free results file name in " + dir.string();
    return {};
}

}  // namespace suite
