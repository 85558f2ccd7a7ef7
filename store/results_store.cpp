#include "store/results_store.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <thread>

#include "app/benchmarks.h"

namespace store {

namespace {

// Each step brings the schema from its index + 1 to the next version; never edit one that has
// shipped, add a new step.
const char* const kMigrations[] = {
    // Version 1: runs, their headline figures and sub-scores.
    "CREATE TABLE runs(id INTEGER PRIMARY KEY, started_utc TEXT NOT NULL, host TEXT NOT NULL,"
    " program_version TEXT NOT NULL, source_revision TEXT NOT NULL, provenance TEXT NOT NULL,"
    " command_line TEXT NOT NULL, interrupted INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE figures(run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,"
    " benchmark TEXT NOT NULL, key TEXT NOT NULL, value REAL NOT NULL, unit TEXT NOT NULL,"
    " min REAL, median REAL, max REAL, cv_percent REAL);"
    "CREATE TABLE subscores(run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,"
    " name TEXT NOT NULL, value REAL);",
    // Version 2: the processor, the results file's content hash (a file is kept once) and path,
    // indexes for the history.
    "ALTER TABLE runs ADD COLUMN processor TEXT NOT NULL DEFAULT 'unknown';"
    "ALTER TABLE runs ADD COLUMN content_hash TEXT;"
    "ALTER TABLE runs ADD COLUMN results_path TEXT NOT NULL DEFAULT '';"
    "UPDATE runs SET processor = coalesce(json_extract(provenance, '$.cpu_model_name'),"
    " 'unknown') WHERE json_valid(provenance);"
    "CREATE UNIQUE INDEX runs_content_hash ON runs(content_hash);"
    "CREATE INDEX runs_started ON runs(started_utc, id);"
    "CREATE INDEX figures_run ON figures(run_id);"
    "CREATE INDEX subscores_run ON subscores(run_id);",
    // Version 3: the sections of the results file the report draws from (tables and curves),
    // so a run's graphs need nothing but the store. Runs recorded before have none.
    ("CREATE TABLE documents(run_id INTEGER PRIMARY KEY REFERENCES runs(id) ON DELETE CASCADE,"
     " document TEXT NOT NULL);"),
};
static_assert(std::size(kMigrations) == kSchemaVersion);

// SQLite answers "busy" at once, without waiting on its busy timeout, in a few cases (two
// programs opening a new store and switching it to WAL together); those are tried again, as
// long as the timeout would have waited. A failed transaction has been rolled back.
template <class F>
void retry_while_busy(F&& f) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        try {
            f();
            return;
        } catch (const Error& e) {
            if (!e.busy || std::chrono::steady_clock::now() >= deadline) throw;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::filesystem::path checked_path(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        // A FIFO or a device would block or be damaged; a folder cannot be opened.
        if (S_ISDIR(st.st_mode)) throw Error("is a folder, not a store file");
        if (!S_ISREG(st.st_mode)) throw Error("not a regular file");
    } else if (path.has_parent_path()) {
        std::error_code ec;
        std::filesystem::create_directories(path.parent_path(), ec);
        if (ec) throw Error("cannot make its folder: " + ec.message());
    }
    return path;
}

}  // namespace

std::filesystem::path default_store_path() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base;
    if (xdg && *xdg == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) return {};
        base = std::filesystem::path(home) / ".local" / "share";
    }
    return base / "lumetra2" / "results.sqlite";
}

Store::Store(const std::filesystem::path& path) : db_(checked_path(path), true) {
    retry_while_busy([this] {
        // Read before anything is changed: a newer store is left exactly as it is.
        const std::int64_t version = db_.query_int("PRAGMA user_version");
        if (version > kSchemaVersion)
            throw Error("written by a newer version of the program (schema " +
                        std::to_string(version) + ", this one knows up to " +
                        std::to_string(kSchemaVersion) + "); left unchanged");
        db_.query_int("PRAGMA journal_mode=WAL");
        db_.exec("PRAGMA foreign_keys=ON; PRAGMA synchronous=NORMAL");
        if (version < kSchemaVersion) migrate();
    });
}

void Store::migrate() {
    Transaction tx(db_);
    // Another program may have brought it forward while this one waited for the lock.
    const std::int64_t version = db_.query_int("PRAGMA user_version");
    if (version > kSchemaVersion) throw Error("written by a newer version of the program");
    for (std::int64_t v = version; v < kSchemaVersion; ++v) db_.exec(kMigrations[v]);
    db_.exec("PRAGMA user_version=" + std::to_string(kSchemaVersion));
    tx.commit();
}

std::int64_t Store::record(const RunData& run) {
    std::int64_t id = 0;
    retry_while_busy([&] { id = insert_run(run); });
    return id;
}

std::int64_t Store::insert_run(const RunData& run) {
    Transaction tx(db_);
    Statement ins = db_.prepare(
        "INSERT INTO runs(started_utc, host, program_version, source_revision, provenance,"
        " command_line, interrupted, processor, content_hash, results_path)"
        " VALUES(?,?,?,?,?,?,?,?,?,?)");
    ins.bind(1, run.started_utc).bind(2, run.host).bind(3, run.program_version);
    ins.bind(4, run.source_revision).bind(5, run.provenance).bind(6, run.command_line);
    ins.bind(7, std::int64_t{run.interrupted}).bind(8, run.processor);
    ins.bind(9, run.content_hash).bind(10, run.results_path);
    ins.step();
    const std::int64_t id = db_.last_insert_id();
    Statement fig = db_.prepare(
        "INSERT INTO figures(run_id, benchmark, key, value, unit, min, median, max, cv_percent)"
        " VALUES(?,?,?,?,?,?,?,?,?)");
    for (const Figure& f : run.figures) {
        fig.bind(1, id).bind(2, f.benchmark).bind(3, f.key).bind(4, f.value).bind(5, f.unit);
        fig.bind(6, f.min).bind(7, f.median).bind(8, f.max).bind(9, f.cv_percent);
        fig.step();
        fig.reset();
    }
    Statement sub = db_.prepare("INSERT INTO subscores(run_id, name, value) VALUES(?,?,?)");
    for (const SubScore& s : run.subscores) {
        sub.bind(1, id).bind(2, s.name).bind(3, s.value);
        sub.step();
        sub.reset();
    }
    if (!run.document.empty()) {
        Statement doc = db_.prepare("INSERT INTO documents(run_id, document) VALUES(?,?)");
        doc.bind(1, id).bind(2, run.document);
        doc.step();
    }
    tx.commit();
    return id;
}

std::optional<std::int64_t> Store::find_hash(const std::string& hash) {
    Statement s = db_.prepare("SELECT id FROM runs WHERE content_hash = ?");
    s.bind(1, hash);
    if (!s.step()) return std::nullopt;
    return s.int_at(0);
}

std::optional<RunData> Store::run(std::int64_t id) {
    Statement s = db_.prepare(
        "SELECT started_utc, host, program_version, source_revision, provenance, command_line,"
        " interrupted, processor, coalesce(content_hash, ''), results_path FROM runs WHERE id=?");
    s.bind(1, id);
    if (!s.step()) return std::nullopt;
    RunData r;
    r.id = id;
    r.started_utc = s.text_at(0);
    r.host = s.text_at(1);
    r.program_version = s.text_at(2);
    r.source_revision = s.text_at(3);
    r.provenance = s.text_at(4);
    r.command_line = s.text_at(5);
    r.interrupted = s.int_at(6) != 0;
    r.processor = s.text_at(7);
    r.content_hash = s.text_at(8);
    r.results_path = s.text_at(9);
    Statement f = db_.prepare(
        "SELECT benchmark, key, value, unit, min, median, max, cv_percent FROM figures"
        " WHERE run_id=? ORDER BY rowid");
    f.bind(1, id);
    while (f.step())
        r.figures.push_back({f.text_at(0), f.text_at(1), f.double_at(2), f.text_at(3),
                             f.optional_at(4), f.optional_at(5), f.optional_at(6),
                             f.optional_at(7)});
    Statement sc = db_.prepare("SELECT name, value FROM subscores WHERE run_id=? ORDER BY rowid");
    sc.bind(1, id);
    while (sc.step()) r.subscores.push_back({sc.text_at(0), sc.optional_at(1)});
    Statement d = db_.prepare("SELECT document FROM documents WHERE run_id=?");
    d.bind(1, id);
    if (d.step()) r.document = d.text_at(0);
    return r;
}

std::vector<HistoryRow> Store::history(const std::string& host, int last) {
    std::vector<HistoryRow> rows;
    std::map<std::int64_t, std::size_t> index;
    const std::string where = host.empty() ? "" : " WHERE host = ?1";
    Statement s =
        db_.prepare("SELECT id, started_utc, host, processor, interrupted FROM runs" + where +
                    " ORDER BY started_utc GLOB '[0-9]*' DESC, started_utc DESC, id DESC" +
                    (last > 0 ? " LIMIT " + std::to_string(last) : ""));
    if (!host.empty()) s.bind(1, host);
    const auto groups = app::score_groups();
    // The steps that read a deck; the sub-scores they feed have unknown inputs until the run's
    // document names its decks.
    std::vector<const app::BenchmarkInfo*> decks;
    std::vector<std::optional<std::string>> undocumented(groups.size(), std::string());
    for (const app::BenchmarkInfo& b : app::benchmarks()) {
        if (b.argument != app::SwitchArgument::Deck) continue;
        decks.push_back(&b);
        if (const std::size_t g = app::index_of_score(b.score_key); g < groups.size())
            undocumented[g].reset();
    }
    while (s.step()) {
        HistoryRow r;
        r.id = s.int_at(0);
        r.started_utc = s.text_at(1);
        r.host = s.text_at(2);
        r.processor = s.text_at(3);
        r.interrupted = s.int_at(4) != 0;
        for (const app::ScoreGroup& g : groups) r.subscores.push_back({std::string(g.key), {}});
        r.spread.resize(groups.size());
        r.inputs = undocumented;
        index[r.id] = rows.size();
        rows.push_back(std::move(r));
    }
    if (rows.empty()) return rows;
    const std::string in = " WHERE run_id >= " + std::to_string(index.begin()->first) +
                           " AND run_id <= " + std::to_string(index.rbegin()->first);
    Statement sc = db_.prepare("SELECT run_id, name, value FROM subscores" + in);
    while (sc.step()) {
        const auto it = index.find(sc.int_at(0));
        if (it == index.end()) continue;
        const std::size_t g = app::index_of_score(sc.text_at(1));
        if (g < groups.size()) rows[it->second].subscores[g].value = sc.optional_at(2);
    }
    // A sub-score's spread: the widest relative spread (max - min over the median) of the
    // repeated figures that feed it.
    Statement f = db_.prepare("SELECT run_id, benchmark, min, median, max FROM figures" + in +
                              " AND min IS NOT NULL AND max IS NOT NULL AND median > 0");
    while (f.step()) {
        const auto it = index.find(f.int_at(0));
        if (it == index.end()) continue;
        const std::string bench = f.text_at(1);
        for (const app::BenchmarkInfo& b : app::benchmarks()) {
            if (b.key != bench) continue;
            const std::size_t g = app::index_of_score(b.score_key);
            if (g >= groups.size()) continue;
            const double rel = (f.double_at(4) - f.double_at(2)) / f.double_at(3);
            auto& slot = rows[it->second].spread[g];
            if (!slot || rel > *slot) slot = rel;
        }
    }
    // A deck's identity: its name with the sizes its section records, from the kept document.
    std::string columns;
    for (const app::BenchmarkInfo* b : decks) {
        const std::string at = "'$." + std::string(b->key);
        columns += ", json_extract(document, ";
        columns += at + ".deck', ";
        columns += at + ".atoms', ";
        columns += at + ".steps')";
    }
    Statement d = db_.prepare("SELECT run_id" + columns + " FROM documents" + in +
                              " AND json_valid(document)");
    while (d.step()) {
        const auto it = index.find(d.int_at(0));
        if (it == index.end()) continue;
        for (std::size_t g = 0; g < groups.size(); ++g) {
            std::optional<std::string> read = "";
            for (std::size_t k = 0; k < decks.size(); ++k) {
                if (decks[k]->score_key != groups[g].key) continue;
                const std::string deck = d.text_at(static_cast<int>(k) + 1);
                const nlohmann::json id = nlohmann::json::parse(deck, nullptr, false);
                if (!id.is_array() || id.empty() || !id[0].is_string()) read.reset();
                if (read) *read += std::string(decks[k]->key) + " " + deck + "\n";
            }
            rows[it->second].inputs[g] = read;
        }
    }
    return rows;
}

}  // namespace store
