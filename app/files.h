// Files in the working directory. Deck and profile names arrive upper-cased from the command
// line, so lookups ignore case; folder scans are sorted by name ignoring case.
#pragma once

#include <cstdint>
#include <cstdio>
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
// name ignoring case; with `regular_only` false, entries of any type (directories, pipes,
// devices) too. A missing folder gives an empty list.
std::vector<std::filesystem::path> list_files_nocase(const std::filesystem::path& dir,
                                                     std::string_view ext,
                                                     bool regular_only = true);
// A file name up to its first ".".
std::string base_name(const std::filesystem::path& file);

// Decks and profiles are a few kilobytes; anything larger is refused unread.
inline constexpr std::uintmax_t kMaxInputFileBytes = 1u << 20;

// Reads a whole input file (a deck, a profile). Only a regular file of at most `limit` bytes
// is read; a directory, a named pipe, a device or a socket is refused without blocking and
// without reading from it. False with `error` phrased to follow the file's name ("is a
// directory", "<what> too large ..."); `what` names the kind of file in the messages.
bool read_input_file(const std::filesystem::path& path, std::string& text, std::string& error,
                     std::string_view what = "file", std::uintmax_t limit = kMaxInputFileBytes);

// A word of an input file as an error message shows it: at most `max_chars` characters (then
// "..."), every byte outside printable ASCII as \xNN.
std::string printable_token(std::string_view token, std::size_t max_chars = 40);

// Text taken from a file (a results file, a deck, a profile) as it may be printed: every
// control byte (below 0x20, and 0x7F) as \xNN, so no escape sequence reaches a terminal and no
// line break forges a line. Other bytes, UTF-8 included, are kept.
std::string printable_text(std::string_view text);

// Whether a committed file is forced to the disk (fsync) before the rename. Results and
// profiles are; a benchmark's own logs are not, as the wait would fall into the timed part of
// the run. Either way a full disk shows at the write or the close and leaves the old file.
enum class Sync { ToDisk, ToSystem };

// A file written whole or not at all: the text goes to a temporary file beside the target,
// every write and the close are checked, and only a complete file is renamed into place, so a
// full disk leaves the previous file intact. Errors name the target and the system's reason.
class AtomicFile {
  public:
    AtomicFile() = default;
    ~AtomicFile();  // an uncommitted file is discarded
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool open(const std::filesystem::path& path, Sync sync = Sync::ToDisk);
    // Appends; after the first failure further writes do nothing.
    bool write(std::string_view text);
    // Flushes, closes and renames into place. False (and the temporary removed) on any failure.
    bool commit();
    // Drops the temporary file; the target is untouched.
    void discard();
    bool failed() const { return !error_.empty(); }
    // "cannot write MD.out: No space left on device"; empty while all went well.
    const std::string& error() const { return error_; }

  private:
    bool fail(const char* what, int err);
    std::filesystem::path path_, tmp_;
    std::FILE* file_ = nullptr;
    Sync sync_ = Sync::ToDisk;
    std::string error_;
};

// `text` as the whole new content of `path`, written atomically.
bool write_file_atomically(const std::filesystem::path& path, std::string_view text,
                           std::string* error, Sync sync = Sync::ToDisk);
// The previous content of `path` (none when it does not exist) followed by `block`, written
// atomically: the same bytes an append gives, never a half-appended file.
bool append_file_atomically(const std::filesystem::path& path, std::string_view block,
                            std::string* error, Sync sync = Sync::ToDisk);

// Test seam: every write to a file named `file_name` (any file when empty) fails with `err`
// (ENOSPC for a full disk) after the temporary file was created. `err` 0 ends it.
void set_write_failure_for_testing(int err, std::string file_name = {});

}  // namespace app
