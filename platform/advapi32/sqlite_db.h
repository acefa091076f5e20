// Thin RAII layer over SQLite for the registry store.
//
// Failures are thrown as SqlError and turned into a status at the edge of
// each registry call (Store::run), so the queries read straight through.
#pragma once
#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat::reg {

struct SqlError {
  int code;  // SQLite primary result code
};

// The registry status for a SQLite result code.
long statusFromSqlite(int code);

class Database {
 public:
  Database() = default;
  explicit Database(sqlite3* db) : db_(db) {}
  ~Database() { close(); }
  Database(Database&& other) noexcept : db_(other.db_) { other.db_ = nullptr; }
  Database& operator=(Database&& other) noexcept;
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  sqlite3* get() const { return db_; }
  explicit operator bool() const { return db_ != nullptr; }
  // In a child after fork: gives up the parent's connection without closing
  // or rolling it back (either would touch the parent's files and shared
  // memory). Only this process's record of the connection's locks goes: the
  // file locks are the parent's, but SQLite keeps one record per file for
  // the whole process, and while it says "held" the child's own connections
  // could never write, nor would they take file locks of their own. The
  // connection is left open, unused, for the rest of the process.
  void abandonAfterFork();
  void close();

  // Runs statements without results; throws on failure.
  void exec(const char* sql);

 private:
  sqlite3* db_ = nullptr;
};

class Statement {
 public:
  Statement(sqlite3* db, const char* sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& bind(int index, int64_t value);
  // Names are bound and read as bytes: they are in the ANSI code page, not
  // necessarily valid UTF-8.
  Statement& bind(int index, std::string_view text);
  Statement& bindBlob(int index, const void* data, size_t size);

  // Steps once: true with a row, false when done; throws on failure.
  bool step();
  // Steps a statement that has no rows.
  void run();

  int64_t integer(int column) const;
  std::string text(int column) const;
  std::vector<unsigned char> blob(int column) const;

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// A transaction that rolls back unless committed. Writers take the write
// lock at the start (IMMEDIATE), so they wait for each other through the
// busy timeout instead of failing when a read snapshot turns stale.
class Transaction {
 public:
  enum class Kind { Read, Write };
  Transaction(Database& db, Kind kind);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void commit();

 private:
  Database& db_;
  bool open_ = false;
};

}  // namespace plat::reg
