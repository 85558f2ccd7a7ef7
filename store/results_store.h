// The results store: every suite run kept in one SQLite file, with its headline figures and
// sub-scores, so a machine's figures can be followed over time. Qt-free.
//
// The file carries its schema version in `PRAGMA user_version`; an older one is brought
// forward when opened, a newer one (written by a later program) is refused and left exactly as
// it is. WAL mode and a busy timeout let two programs record at the same time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "store/run_data.h"
#include "store/sqlite.h"

namespace store {

inline constexpr int kSchemaVersion = 3;

// $XDG_DATA_HOME/lumetra2/results.sqlite, ~/.local/share/lumetra2/results.sqlite when unset;
// empty when neither XDG_DATA_HOME nor HOME is set.
std::filesystem::path default_store_path();

// One row of the history table.
struct HistoryRow {
    std::int64_t id = 0;
    std::string started_utc, host, processor;
    bool interrupted = false;
    std::vector<SubScore> subscores;  // in score-group order
    // Per sub-score, when repeated: the widest (max - min) / median of the figures feeding it.
    std::vector<std::optional<double>> spread;
    // Per sub-score, what its figures were measured on: the decks its steps read (name and the
    // sizes the results file records), empty for steps that read none; nothing when unknown (a
    // run kept without its document).
    std::vector<std::optional<std::string>> inputs;
};

class Store {
  public:
    // Opens or creates the store at `path` (its folder made when missing). Throws Error with
    // the reason: not a regular file, not a database, newer schema, read-only, ...
    explicit Store(const std::filesystem::path& path);

    // Adds a run with its figures and sub-scores in one transaction; returns its id.
    std::int64_t record(const RunData& run);
    // The run recorded with this content hash, if any.
    std::optional<std::int64_t> find_hash(const std::string& hash);
    // The whole run back (figures and sub-scores in recorded order); nothing when unknown.
    std::optional<RunData> run(std::int64_t id);
    // Runs newest first (by start time, then id; runs without a start time last); `host` empty:
    // every host; `last` 0: all.
    std::vector<HistoryRow> history(const std::string& host = {}, int last = 0);

    Database& database() { return db_; }

  private:
    std::int64_t insert_run(const RunData& run);
    void migrate();
    Database db_;
};

}  // namespace store
