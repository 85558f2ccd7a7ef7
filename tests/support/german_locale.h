// A German locale (decimal comma) for the tests that check figures still print with a point:
// an installed one, or one compiled into the test's own folder (LOCPATH) when the system has
// none. Callers unset LOCPATH when done.
#pragma once

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace testing_support {

// Puts "de_DE.UTF-8" in force for `category`; false when no such locale can be had here.
inline bool use_german_locale(const std::filesystem::path& dir, int category = LC_ALL) {
    if (std::setlocale(category, "de_DE.UTF-8")) return true;
    const std::string cmd =
        "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return false;
    setenv("LOCPATH", dir.c_str(), 1);
    return std::setlocale(category, "de_DE.UTF-8") != nullptr;
}

}  // namespace testing_support
