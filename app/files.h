// Files in the working directory. Deck and profile names arrive upper-cased from the command
// line, so lookups ignore case; folder scans are sorted by name ignoring case.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// ASCII-only case conversions (locale-independent).
std::string ascii_upper(std::string_view s);
std::string ascii_lower(std::string_view s);
bool iequals(std::string_view a, std::string_view b);
bool iless(std::string_view a, std::string_view b);

// The entry of `dir` whose name equals `name` ignoring case (exact match preferred).
std::optional<std::filesystem::path> find_file_nocase(const std::filesystem::path& dir,
                                                      std::string_view name);
// Regular files of `dir` whose extension equals `ext` (".in", ".rst") ignoring case, sorted by
// name ignoring case. A missing folder gives an empty list.
std::vector<std::filesystem::path> list_files_nocase(const std::filesystem::path& dir,
                                                     std::string_view ext);
// A file name up to its first ".".
std::string base_name(const std::filesystem::path& file);

}  // namespace app
