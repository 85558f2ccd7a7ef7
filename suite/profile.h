// Comparison profiles: small text files in the Profiles folder that hold another machine's
// description, clock rates and sub-scores, shown beside this machine's scores.
//
// Layout: four free lines; line 5 the description; then, separated by white space, the
// processor count n, n clock rates in MHz and seven values (1 memory, 2 STREAM, 3 not shown,
// 4 molecular dynamics, 5 Orbitra, 6 BLAS, 7 not shown).
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace suite {

inline constexpr std::string_view kNoProfile = "None";
inline constexpr std::size_t kMaxProfileRates = 16;
// fgets into a 100-byte buffer: 99 characters of line 5, line end included.
inline constexpr std::size_t kProfileDescriptionChars = 99;
// A profile is a few hundred bytes; a larger file is not read (nor is anything but a regular
// file), and parsed text is cut at this size.
inline constexpr std::size_t kMaxProfileBytes = 1 << 20;

// Positions of the seven values.
enum ProfileValue : int {
    kProfileMemory = 0,
    kProfileStream = 1,
    kProfileHidden3 = 2,
    kProfileCipher = 2,  // stored by "Save as Profile..."; no comparison bar shows it
    kProfileMolDyn = 3,
    kProfileOrbitra = 4,
    kProfileBlas = 5,
    kProfileHidden7 = 6,
};

// What a profile file held. Everything that could not be read stays empty ("None").
struct Profile {
    bool opened = false;  // the file was opened; the comparison bars are drawn
    std::string description{kNoProfile};
    std::optional<int> processors;
    std::vector<float> clock_rates;  // the first kMaxProfileRates of the n rates read
    std::array<std::optional<float>, 7> values{};
};

// Reads a profile from its text. Never reads past the end, never stores more than 16 rates;
// reading stops at the first number that is missing or malformed.
Profile parse_profile(std::string_view text);
// Reads a file; one that cannot be opened or is refused by app::read_input_file gives the
// "None" profile (opened = false).
Profile read_profile_file(const std::filesystem::path& path);

// The drop-down list: "None", then every *.rst file of `profiles_dir` sorted by name ignoring
// case. A missing folder gives just "None".
std::vector<std::string> profile_list(const std::filesystem::path& profiles_dir);
// "Located %d performance comparisons for Lumetra." with the cursor marker.
std::string located_profiles_line(int count);

// The selected entry's profile: "None" (or an out-of-range index) reads nothing.
Profile read_selected_profile(const std::filesystem::path& profiles_dir,
                              const std::vector<std::string>& names, int selected);

// Everything "Save as Profile..." writes.
struct ProfileContents {
    std::string description;
    std::vector<float> clock_rates;  // one per processor; the count written is its size
    std::array<float, 7> values{};   // in file order (see ProfileValue)
};
// The file text: four header lines, the description (one line, at most 98 characters, so it
// reads back whole), the count, one rate per line, the seven values.
std::string format_profile(const ProfileContents& contents);
// The file "Save as Profile..." writes for the name the user typed: ".rst" is added unless the
// name already ends in it (in any case), so "Reference" means Reference.rst.
std::filesystem::path profile_save_path(const std::filesystem::path& typed);
// The question asked before an existing profile is replaced.
std::string replace_profile_question(const std::filesystem::path& path);
// Writes through a temporary file and a rename; false (and `error`) when it failed.
bool write_profile_file(const std::filesystem::path& path, const ProfileContents& contents,
                        std::string* error = nullptr);

}  // namespace suite
