#include "suite/results_file.h"

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
    return app::strprintf("Results-%d-%d-%d-%d-%d-%d.json", tm.tm_mon + 1, tm.tm_mday,
                          tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
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

// JSON has no infinity or NaN; a score that is not finite is reported as not measured.
double score_value(float s) {
    return std::isfinite(s) ? double(s) : double(kNotMeasured);
}

// Text from the records may hold any bytes (a deck name from the command line); the JSON
// writer must not throw on them.
std::string dump(const nlohmann::json& doc) {
    return doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace

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
        return app::kUnknown;
    };
    p["load_average_start"] = load(app::load_at_run_start());
    p["load_average_end"] = load(app::load_average_1min(root));
    return p;
}

nlohmann::json results_json(const SubScores& scores, const std::vector<StepOutcome>& steps,
                            const app::ProcessorInfo& info,
                            std::chrono::system_clock::time_point started) {
    nlohmann::json doc;
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
        } else {
            section["status"] = "skipped";
        }
        if (!st.ok) section["error"] = st.error.empty() ? std::string("failed") : st.error;
        doc[st.key] = std::move(section);
    }
    return doc;
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
            return path;
        }
        if (errno != EEXIST) {
            // A file system without hard links: a rename onto a name not yet taken.
            std::error_code ec;
            if (!std::filesystem::exists(path, ec) && std::rename(tmp.c_str(), path.c_str()) == 0)
                return path;
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
