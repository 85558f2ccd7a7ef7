// Two results files side by side: sub-scores and headline figures with the ratio NEW/OLD,
// flags where a difference exceeds the larger spread of repeated runs, and warnings where the
// two were measured under different conditions (processor, kernel, governor, compiler) or by
// different program versions.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

namespace suite {

// A results file's text, after the checks every reader makes (it exists, is a regular file of
// at most 64 MiB, and can be read); false with a message naming the file otherwise.
bool read_results_text(const std::filesystem::path& path, std::string& text, std::string& error);

// Reads a results file; false with a message naming the file when it is missing, unreadable,
// truncated, not JSON or not a Lumetra results file.
bool load_results_file(const std::filesystem::path& path, nlohmann::json& doc, std::string& error);

// The same for a file's text; `name` begins the messages.
bool parse_results_text(const std::string& text, const std::string& name, nlohmann::json& doc,
                        std::string& error);

enum class CompareFormat { Text, Csv, Json };

// The comparison: every sub-score and headline figure with its unit, the ratio NEW/OLD, the
// better direction, single measurements marked, the warnings (an interrupted file included).
// Text for people, CSV (one row per figure) or one JSON object for scripts. Either file may be
// of the current or the previous results format.
std::string compare_results(const nlohmann::json& old_doc, const nlohmann::json& new_doc,
                            const std::string& old_name = "OLD",
                            const std::string& new_name = "NEW",
                            CompareFormat format = CompareFormat::Text);

// lumetra2-cli --compare OLD NEW: the table on `out`, or the message on `err` and exit status 2.
int run_compare_for_cli(const std::filesystem::path& old_path,
                        const std::filesystem::path& new_path, std::FILE* out, std::FILE* err,
                        CompareFormat format = CompareFormat::Text);

}  // namespace suite
