// Where the programs work. They read decks and profiles from, and write logs and results into,
// the working directory. An installed program started where there is no data (or in the
// installed, read-only data folder itself) works in a per-user directory instead, seeded from
// the installed data: $XDG_DATA_HOME/lumetra2, or ~/.local/share/lumetra2.
#pragma once

#include <filesystem>
#include <string>

namespace app {

// The installed data folder (decks and profiles): share/lumetra2 beside the program's bin/
// folder, else the one this build was configured for.
std::filesystem::path installed_data_directory();
// $XDG_DATA_HOME/lumetra2 (an absolute XDG_DATA_HOME only), else $HOME/.local/share/lumetra2;
// empty when neither is set.
std::filesystem::path user_data_directory();

// True when `dir` holds data the programs read (MD, "Input Files" or Profiles).
bool has_data_folders(const std::filesystem::path& dir);

// Copies every file of `from` that `to` lacks (a user's edited decks are kept). False with
// `error` set when `to` cannot be made or a file cannot be copied.
bool seed_directory(const std::filesystem::path& from, const std::filesystem::path& to,
                    std::string* error);

// The directory to work in for `cwd`: `cwd` itself, or `user` (seeded) when `cwd` has no data
// or is the installed folder or is not writable, and `installed` has data. Empty on failure
// with `error` set (the caller stays where it is).
std::filesystem::path choose_working_directory(const std::filesystem::path& cwd,
                                               const std::filesystem::path& installed,
                                               const std::filesystem::path& user,
                                               std::string* error);

// Changes into the chosen directory; returns a note for the user when it is not the current
// one (empty otherwise).
std::string enter_working_directory();

}  // namespace app
