#include "store/sqlite.h"

#include <sqlite3.h>

namespace store {

Database::Database(const std::filesystem::path& path, bool create, int busy_timeout_ms) {
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        const std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw Error(msg);
    }
    sqlite3_busy_timeout(db_, busy_timeout_ms);
    sqlite3_extended_result_codes(db_, 0);
}

Database::~Database() {
    sqlite3_close_v2(db_);
}

void Database::fail(const std::string& what) const {
    throw Error(what + ": " + sqlite3_errmsg(db_));
}

void Database::exec(const std::string& sql) {
    char* err = nullptr;
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const std::string msg = err ? err : sqlite3_errmsg(db_);
        sqlite3_free(err);
        throw Error(msg, rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
    }
}

Statement Database::prepare(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) fail("prepare");
    return Statement(db_, stmt);
}

std::int64_t Database::last_insert_id() const {
    return sqlite3_last_insert_rowid(db_);
}

std::int64_t Database::query_int(const std::string& sql) {
    Statement s = prepare(sql);
    return s.step() ? s.int_at(0) : 0;
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

void Statement::check(int rc, const char* what) {
    if (rc != SQLITE_OK) throw Error(std::string(what) + ": " + sqlite3_errmsg(db_));
}

Statement& Statement::bind(int i, std::int64_t v) {
    check(sqlite3_bind_int64(stmt_, i, v), "bind");
    return *this;
}
Statement& Statement::bind(int i, double v) {
    check(sqlite3_bind_double(stmt_, i, v), "bind");
    return *this;
}
Statement& Statement::bind(int i, const std::string& v) {
    check(sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT),
          "bind");
    return *this;
}
Statement& Statement::bind(int i, std::optional<double> v) {
    check(v ? sqlite3_bind_double(stmt_, i, *v) : sqlite3_bind_null(stmt_, i), "bind");
    return *this;
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw Error(sqlite3_errmsg(db_), rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

std::int64_t Statement::int_at(int col) const {
    return sqlite3_column_int64(stmt_, col);
}
double Statement::double_at(int col) const {
    return sqlite3_column_double(stmt_, col);
}
std::optional<double> Statement::optional_at(int col) const {
    if (sqlite3_column_type(stmt_, col) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_double(stmt_, col);
}
std::string Statement::text_at(int col) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, col)))
             : std::string();
}

Transaction::~Transaction() {
    if (done_) return;
    try {
        db_.exec("ROLLBACK");
    } catch (const Error&) {
        // The transaction is gone already (SQLite rolls back by itself after some errors).
    }
}

void Transaction::commit() {
    db_.exec("COMMIT");
    done_ = true;
}

}  // namespace store
