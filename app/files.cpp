#include "app/files.h"

#include <algorithm>
#include <system_error>

namespace app {

namespace {
char up(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char low(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

std::string ascii_upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = up(c);
    return out;
}

std::string ascii_lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = low(c);
    return out;
}

bool iequals(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return up(x) == up(y); });
}

bool iless(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(up(x)) < static_cast<unsigned char>(up(y));
    });
}

std::optional<std::filesystem::path> find_file_nocase(const std::filesystem::path& dir,
                                                      std::string_view name) {
    std::error_code ec;
    std::optional<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        const std::string n = entry.path().filename().string();
        if (n == name) return entry.path();
        if (!found && iequals(n, name)) found = entry.path();
    }
    return found;
}

std::vector<std::filesystem::path> list_files_nocase(const std::filesystem::path& dir,
                                                     std::string_view ext) {
    std::vector<std::filesystem::path> out;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        std::error_code ec2;
        if (!entry.is_regular_file(ec2)) continue;
        if (iequals(entry.path().extension().string(), ext)) out.push_back(entry.path());
    }
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
        return iless(a.filename().string(), b.filename().string());
    });
    return out;
}

std::string base_name(const std::filesystem::path& file) {
    const std::string n = file.filename().string();
    return n.substr(0, n.find('.'));
}

}  // namespace app
