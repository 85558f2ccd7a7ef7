// A small RAII wrapper over the SQLite C API: a connection, a prepared statement and a
// transaction. Every failure throws store::Error with SQLite's own words.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace store {

struct Error : std::runtime_error {
    explicit Error(const std::string& what, bool busy = false)
        : std::runtime_error(what), busy(busy) {}
    bool busy;  // another connection held a lock SQLite needed
};

class Statement;

class Database {
  public:
    // Opens (read-write; `create`: made when missing) with a busy timeout, so a writer waits
    // for another instead of failing.
    Database(const std::filesystem::path& path, bool create, int busy_timeout_ms = 10000);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void exec(const std::string& sql);
    Statement prepare(const std::string& sql);
    std::int64_t last_insert_id() const;
    // A single integer result (0 when the query returns no row).
    std::int64_t query_int(const std::string& sql);
    [[noreturn]] void fail(const std::string& what) const;

  private:
    sqlite3* db_ = nullptr;
};

class Statement {
  public:
    Statement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
    ~Statement();
    Statement(Statement&& other) noexcept : db_(other.db_), stmt_(other.stmt_) {
        other.stmt_ = nullptr;
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement& operator=(Statement&&) = delete;

    // Parameters count from 1.
    Statement& bind(int i, std::int64_t v);
    Statement& bind(int i, double v);
    Statement& bind(int i, const std::string& v);
    Statement& bind(int i, std::optional<double> v);
    // One step: true while a row is there.
    bool step();
    // Clears the bindings for the next row.
    void reset();

    // Columns count from 0.
    std::int64_t int_at(int col) const;
    double double_at(int col) const;
    std::optional<double> optional_at(int col) const;
    std::string text_at(int col) const;

  private:
    void check(int rc, const char* what);
    sqlite3* db_;
    sqlite3_stmt* stmt_;
};

// BEGIN IMMEDIATE (so the busy timeout covers taking the write lock); rolled back unless
// commit() is reached.
class Transaction {
  public:
    explicit Transaction(Database& db) : db_(db) { db_.exec("BEGIN IMMEDIATE"); }
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

  private:
    Database& db_;
    bool done_ = false;
};

}  // namespace store
