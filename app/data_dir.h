// Where the programs work. They read decks and profiles from, and write logs and results into,
// the working directory. An installed program started where there is no data (or in the
// installed, read-only data folder itself) works in a per-user directory instead, seeded from
// the installed data: $XDG_DATA_HOME/lumetra2, or ~/.local/share/lumetra2.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace app {

// The installed data folder (decks and profiles): share/lumetra2 beside the program's bin/
// folder, else the one this build was configured for.
std::filesystem::path installed_data_directory();
// $XDG_DATA_HOME/lumetra2 (an absolute XDG_DATA_HOME only), else $HOME/.local/share/lumetra2;
// empty when neither is set.
std::filesystem::path user_data_directory();

// True when `dir` holds data the programs read (MD, "Input Files" or Profiles).
bool has_data_folders(const std::filesystem::path& dir);

// The list of seeded files in a per-user directory: one line per file, the 64-bit FNV-1a hash
// of the installed version it was last compared with (16 hex digits), two spaces, its path.
inline constexpr const char* kSeedManifest = ".lumetra2-seeded";

// The 64-bit FNV-1a hash of a file's bytes; false when it cannot be read.
bool content_hash(const std::filesystem::path& file, unsigned long long* hash);

// Brings `to` up to date with `from`: a missing file is copied; a file the user has not
// changed since it was seeded (its hash is the manifest's) is replaced by a newer installed
// version; a file the user changed is kept, with a line in `notes` the first time a different
// installed version is seen. Files seeded before the manifest existed count as the user's when
// they differ. False with `error` set when `to` cannot be made or a file cannot be copied.
bool seed_directory(const std::filesystem::path& from, const std::filesystem::path& to,
                    std::string* error, std::vector<std::string>* notes = nullptr);

// The directory to work in for `cwd`: `cwd` itself, or `user` (seeded) when `cwd` has no data
// or is the installed folder or is not writable, and `installed` has data; `reason` then says
// why `cwd` was passed over. Empty on failure with `error` set.
std::filesystem::path choose_working_directory(const std::filesystem::path& cwd,
                                               const std::filesystem::path& installed,
                                               const std::filesystem::path& user,
                                               std::string* error, std::string* reason = nullptr,
                                               std::vector<std::string>* notes = nullptr);

// Changes into the chosen directory. `lines` are for the user (standard error): where the
// program works and why, files kept or refreshed; `ok` is false when no working directory can
// be found, and the program must then stop (status 1) without writing anything.
struct WorkingDirectoryNote {
    bool ok = true;
    std::vector<std::string> lines;
};
WorkingDirectoryNote enter_working_directory();

}  // namespace app
