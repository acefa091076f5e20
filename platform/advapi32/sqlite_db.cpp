#include "advapi32/sqlite_db.h"

#include <winreg.h>

namespace plat::reg {

long statusFromSqlite(int code) {
  switch (code & 0xFF) {
    case SQLITE_OK:
      return ERROR_SUCCESS;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return ERROR_BUSY;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_FORMAT:
    case SQLITE_SCHEMA:
      return ERROR_BADDB;
    case SQLITE_CANTOPEN:
      return ERROR_CANTOPEN;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return ERROR_ACCESS_DENIED;
    case SQLITE_FULL:
      return ERROR_DISK_FULL;
    case SQLITE_NOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_TOOBIG:
    case SQLITE_RANGE:
      return ERROR_INVALID_PARAMETER;
    default:
      return ERROR_REGISTRY_IO_FAILED;
  }
}

Database& Database::operator=(Database&& other) noexcept {
  if (this != &other) {
    close();
    db_ = other.db_;
    other.db_ = nullptr;
  }
  return *this;
}

void Database::abandonAfterFork() {
  if (db_ == nullptr) return;
  sqlite3_file* file = nullptr;
  if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_FILE_POINTER, &file) == SQLITE_OK && file != nullptr &&
      file->pMethods != nullptr) {
    // Leaving the shared-memory index drops the connection's index locks
    // from the process's record; the last to leave lets the next connection
    // map the index afresh and take its own hold on it. Unlocking the file
    // releases only this process's locks, of which the child has none.
    if (file->pMethods->iVersion >= 2 && file->pMethods->xShmUnmap != nullptr) file->pMethods->xShmUnmap(file, 0);
    file->pMethods->xUnlock(file, SQLITE_LOCK_NONE);
  }
  db_ = nullptr;
}

void Database::close() {
  if (db_ != nullptr) sqlite3_close_v2(db_);
  db_ = nullptr;
}

void Database::exec(const char* sql) {
  int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) throw SqlError{rc};
}

Statement::Statement(sqlite3* db, const char* sql) : db_(db) {
  int rc = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    throw SqlError{rc};
  }
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement& Statement::bind(int index, int64_t value) {
  int rc = sqlite3_bind_int64(stmt_, index, value);
  if (rc != SQLITE_OK) throw SqlError{rc};
  return *this;
}

Statement& Statement::bind(int index, std::string_view text) { return bindBlob(index, text.data(), text.size()); }

Statement& Statement::bindBlob(int index, const void* data, size_t size) {
  // A zero-length blob must stay a blob, not NULL.
  static const unsigned char empty = 0;
  int rc = sqlite3_bind_blob64(stmt_, index, size == 0 ? &empty : data, size, SQLITE_TRANSIENT);
  if (rc != SQLITE_OK) throw SqlError{rc};
  return *this;
}

bool Statement::step() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  // The statement's error code is the precise one (sqlite3_step answers the
  // generic code only for legacy statements).
  throw SqlError{sqlite3_errcode(db_)};
}

void Statement::run() { step(); }

int64_t Statement::integer(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string Statement::text(int column) const {
  const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
  int size = sqlite3_column_bytes(stmt_, column);
  if (data == nullptr || size <= 0) return {};
  return std::string(data, static_cast<size_t>(size));
}

std::vector<unsigned char> Statement::blob(int column) const {
  const auto* data = static_cast<const unsigned char*>(sqlite3_column_blob(stmt_, column));
  int size = sqlite3_column_bytes(stmt_, column);
  if (data == nullptr || size <= 0) return {};
  return std::vector<unsigned char>(data, data + size);
}

Transaction::Transaction(Database& db, Kind kind) : db_(db) {
  db_.exec(kind == Kind::Write ? "BEGIN IMMEDIATE" : "BEGIN");
  open_ = true;
}

Transaction::~Transaction() {
  if (open_) sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
  db_.exec("COMMIT");
  open_ = false;
}

}  // namespace plat::reg
