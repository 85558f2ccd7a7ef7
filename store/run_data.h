// One suite run as the store keeps it, taken from a results document of either format: the
// headline figures under their current names and units (a repeated run's value is its median,
// with min / median / max / CV), the six sub-scores and what identifies the run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace store {

struct Figure {
    std::string benchmark;  // results-file section: "memory", "cipher", ...
    std::string key;        // "bandwidth", "latency", "rate", ...
    double value = 0;
    std::string unit;
    std::optional<double> min, median, max, cv_percent;  // when repeated
};

struct SubScore {
    std::string name;  // memory, stream, md, orbitra, cipher, blas
    std::optional<double> value;
};

struct RunData {
    std::int64_t id = 0;      // given by the store
    std::string started_utc;  // "YYYY-MM-DDThh:mm:ssZ"
    std::string host;
    std::string processor;
    std::string program_version, source_revision;
    std::string provenance;  // the provenance object as JSON text
    std::string command_line;
    bool interrupted = false;
    std::string content_hash;  // SHA-256 of the results file's bytes, hex
    std::string results_path;
    std::vector<Figure> figures;
    std::vector<SubScore> subscores;
    // The results file's sections the report draws (compact JSON), empty when not kept.
    std::string document;
};

// SHA-256 of `bytes` in lower-case hex.
std::string content_hash(std::string_view bytes);

// The run a results document describes; nothing with `error` set when a figure the store keeps
// is not a finite, non-negative number of sensible size, or a sub-score is a string.
std::optional<RunData> run_from_results(const nlohmann::json& doc, std::string* error);

// This machine's host name ("unknown" when the system does not tell).
std::string this_host_name();

}  // namespace store
