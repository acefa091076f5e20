#include "advapi32/store.h"
#include "advapi32/key_handles.h"
#include "kernel32/paths.h"

#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#include <winreg.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace plat::reg {

namespace {

// Marks a database as a registry store, so another application's database
// at the same path is refused instead of being filled with our tables.
constexpr int64_t kApplicationId = 0x4F52474B;  // "ORGK"
constexpr int kDefaultBusyMs = 5000;

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS keys("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " parent INTEGER,"
    " name BLOB NOT NULL,"
    " name_fold BLOB NOT NULL,"
    " UNIQUE(parent, name_fold));"
    "CREATE TABLE IF NOT EXISTS vals("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " key INTEGER NOT NULL,"
    " name BLOB NOT NULL,"
    " name_fold BLOB NOT NULL,"
    " type INTEGER NOT NULL,"
    " data BLOB NOT NULL,"
    " UNIQUE(key, name_fold));"
    "CREATE INDEX IF NOT EXISTS vals_order ON vals(key, id);"
    "INSERT OR IGNORE INTO keys(id, parent, name, name_fold) VALUES"
    " (1, NULL, CAST('HKEY_CLASSES_ROOT' AS BLOB), CAST('HKEY_CLASSES_ROOT' AS BLOB)),"
    " (2, NULL, CAST('HKEY_CURRENT_USER' AS BLOB), CAST('HKEY_CURRENT_USER' AS BLOB)),"
    " (3, NULL, CAST('HKEY_LOCAL_MACHINE' AS BLOB), CAST('HKEY_LOCAL_MACHINE' AS BLOB)),"
    " (4, NULL, CAST('HKEY_USERS' AS BLOB), CAST('HKEY_USERS' AS BLOB));"
    "PRAGMA application_id = 1330792267;";
static_assert(kApplicationId == 1330792267, "application id in the schema text");

std::string envOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

int busyTimeoutMs() {
  const char* text = std::getenv("ORVANE_REGISTRY_BUSY_MS");
  if (text == nullptr || *text == '\0') return kDefaultBusyMs;
  char* end = nullptr;
  long ms = std::strtol(text, &end, 10);
  if (end == text || ms < 0) return kDefaultBusyMs;
  return ms > 600000 ? 600000 : static_cast<int>(ms);
}

int64_t scalar(Database& db, const char* sql) {
  Statement st(db.get(), sql);
  return st.step() ? st.integer(0) : 0;
}

// Errors after which the connection is of no further use; the next call
// opens the store afresh (the file may have been repaired or replaced).
bool connectionSpoilt(int code) {
  switch (code & 0xFF) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR:
    case SQLITE_FORMAT:
    case SQLITE_SCHEMA:
      return true;
    default:
      return false;
  }
}

// Registers, once for the calling thread, the end of its holds at its exit.
void endHoldsWithThisThread();

class Store {
 public:
  static Store& instance() {
    // Never destroyed: registry calls from other static destructors stay safe.
    static Store* store = new Store;
    return *store;
  }

  long run(Transaction::Kind kind, const StoreWork& work) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (heldHere()) return runHeld(work);
    if (Snapshot* snapshot = snapshotHere(); snapshot != nullptr && kind == Transaction::Kind::Read)
      return runInSnapshot(*snapshot, work);
    if (!awaitNoHolder(lock)) return ERROR_BUSY;
    try {
      connect();
      StoreContext context{db_, storeId_};
      Transaction transaction(db_, kind);
      long status = work(context);
      if (status == ERROR_SUCCESS) transaction.commit();
      return status;
    } catch (const SqlError& error) {
      return failed(error.code);
    } catch (const std::bad_alloc&) {
      return ERROR_NOT_ENOUGH_MEMORY;
    }
  }

  long begin() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (heldHere()) {
      ++held_.depth;
      return ERROR_SUCCESS;
    }
    if (!awaitNoHolder(lock)) return ERROR_BUSY;
    try {
      connect();
      db_.exec("BEGIN IMMEDIATE");
    } catch (const SqlError& error) {
      return failed(error.code);
    } catch (const std::bad_alloc&) {
      return ERROR_NOT_ENOUGH_MEMORY;
    }
    held_ = Held{std::this_thread::get_id(), 1, ERROR_SUCCESS};
    endHoldsWithThisThread();
    return ERROR_SUCCESS;
  }

  long end(bool keep) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!heldHere()) return ERROR_INVALID_FUNCTION;
    if (!keep && held_.failure == ERROR_SUCCESS) held_.failure = ERROR_CANCELLED;
    if (--held_.depth > 0) return ERROR_SUCCESS;
    return release(keep);
  }

  // A thread that ends holding a transaction or snapshots gives them up:
  // the system gives its id to later threads, which must neither read the
  // old state nor write into a transaction that no one commits.
  void threadEnded() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (heldHere()) release(false);
    std::erase_if(snapshots_, [](const auto& snapshot) { return snapshot->owner == std::this_thread::get_id(); });
  }

  long beginSnapshot() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (heldHere()) {
      ++held_.snapshots;
      return ERROR_SUCCESS;
    }
    if (Snapshot* snapshot = snapshotHere()) {
      ++snapshot->depth;
      return ERROR_SUCCESS;
    }
    try {
      auto snapshot = std::make_unique<Snapshot>();
      std::string path = storePath();
      if (path.empty()) throw SqlError{SQLITE_CANTOPEN};
      // A connection of its own: the process's other calls go on beside
      // it, and in WAL mode its read neither waits for writers nor holds
      // them up. Its read starts here, so that it sees the store as it was
      // at the begin.
      snapshot->db = open(path);
      snapshot->storeId = storeIdentity(path).id;
      snapshot->db.exec("BEGIN");
      scalar(snapshot->db, "SELECT count(*) FROM keys WHERE id = 1");
      snapshot->owner = std::this_thread::get_id();
      snapshots_.push_back(std::move(snapshot));
      endHoldsWithThisThread();
    } catch (const SqlError& error) {
      return statusFromSqlite(error.code);
    } catch (const std::bad_alloc&) {
      return ERROR_NOT_ENOUGH_MEMORY;
    }
    return ERROR_SUCCESS;
  }

  long endSnapshot() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (heldHere() && held_.snapshots > 0) {
      --held_.snapshots;
      return ERROR_SUCCESS;
    }
    for (auto it = snapshots_.begin(); it != snapshots_.end(); ++it) {
      Snapshot& snapshot = **it;
      if (snapshot.owner != std::this_thread::get_id()) continue;
      if (--snapshot.depth > 0) return ERROR_SUCCESS;
      const long status = snapshot.failure;
      snapshots_.erase(it);  // closing the connection ends its read
      return status;
    }
    return ERROR_INVALID_FUNCTION;
  }

 private:
  // The transaction a thread holds across calls.
  struct Held {
    std::thread::id owner;
    int depth = 0;
    long failure = ERROR_SUCCESS;  // a call inside undid it, or a joined begin rolled back
    int snapshots = 0;             // snapshots begun inside it: they see its changes
  };

  // A read snapshot a thread holds across calls, on its own connection.
  struct Snapshot {
    std::thread::id owner;
    int depth = 1;
    Database db;
    std::string storeId;
    long failure = ERROR_SUCCESS;  // the read ended early on an error: later reads would see another state
  };

  // Ends the held transaction: committed when kept and nothing inside it
  // failed, else rolled back.
  long release(bool keep) {
    long status = keep ? held_.failure : ERROR_SUCCESS;
    if (status == ERROR_SUCCESS && keep) {
      try {
        db_.exec("COMMIT");
      } catch (const SqlError& error) {
        status = statusFromSqlite(error.code);
      }
    }
    if (db_ && !sqlite3_get_autocommit(db_.get())) sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    if (spoilt_) {
      db_.close();
      path_.clear();
      spoilt_ = false;
    }
    held_ = Held{};
    released_.notify_all();
    return status;
  }

  bool heldHere() const { return held_.depth > 0 && held_.owner == std::this_thread::get_id(); }

  Snapshot* snapshotHere() {
    for (auto& snapshot : snapshots_) {
      if (snapshot->owner == std::this_thread::get_id()) return snapshot.get();
    }
    return nullptr;
  }

  // A read inside the thread's snapshot; writes go to the store as ever,
  // and the snapshot does not see them.
  long runInSnapshot(Snapshot& snapshot, const StoreWork& work) {
    if (snapshot.failure != ERROR_SUCCESS) return snapshot.failure;
    try {
      StoreContext context{snapshot.db, snapshot.storeId};
      return work(context);
    } catch (const SqlError& error) {
      if (sqlite3_get_autocommit(snapshot.db.get())) snapshot.failure = statusFromSqlite(error.code);
      return statusFromSqlite(error.code);
    } catch (const std::bad_alloc&) {
      return ERROR_NOT_ENOUGH_MEMORY;
    }
  }

  // Another thread's held transaction is waited for as another process's
  // would be: up to the busy timeout.
  bool awaitNoHolder(std::unique_lock<std::mutex>& lock) {
    return released_.wait_for(lock, std::chrono::milliseconds(busyTimeoutMs()), [this] { return held_.depth == 0; });
  }

  // Opens the store at the current path unless it is open already.
  void connect() {
    std::string path = storePath();
    if (path.empty()) throw SqlError{SQLITE_CANTOPEN};
    if (!db_ || path != path_ || !stillAtPath()) {
      // The old connection goes first: its journal files carry the names
      // that a new store at this path uses.
      db_.close();
      path_.clear();
      db_ = open(path);
      busyMs_ = -1;
      path_ = path;
      const Identity identity = storeIdentity(path);
      storeId_ = identity.id;
      device_ = identity.device;
      inode_ = identity.inode;
    }
    setBusyTimeout(busyTimeoutMs());
  }

  long failed(int code) {
    if (connectionSpoilt(code)) {
      db_.close();
      path_.clear();
    }
    return statusFromSqlite(code);
  }

  // One call inside the held transaction: its own changes go back when it
  // fails. An error after which SQLite has given up the whole transaction
  // makes the commit fail.
  long runHeld(const StoreWork& work) {
    if (held_.failure != ERROR_SUCCESS && sqlite3_get_autocommit(db_.get())) return held_.failure;
    try {
      db_.exec("SAVEPOINT held_call");
      StoreContext context{db_, storeId_};
      long status = ERROR_SUCCESS;
      try {
        status = work(context);
      } catch (...) {
        undoCall();
        throw;
      }
      if (status == ERROR_SUCCESS) {
        db_.exec("RELEASE held_call");
      } else {
        undoCall();
      }
      return status;
    } catch (const SqlError& error) {
      if (connectionSpoilt(error.code)) spoilt_ = true;
      if (sqlite3_get_autocommit(db_.get()) && held_.failure == ERROR_SUCCESS) {
        held_.failure = statusFromSqlite(error.code);
      }
      return statusFromSqlite(error.code);
    } catch (const std::bad_alloc&) {
      return ERROR_NOT_ENOUGH_MEMORY;
    }
  }

  void undoCall() {
    if (sqlite3_get_autocommit(db_.get())) return;
    sqlite3_exec(db_.get(), "ROLLBACK TO held_call", nullptr, nullptr, nullptr);
    sqlite3_exec(db_.get(), "RELEASE held_call", nullptr, nullptr, nullptr);
  }

  Store() {
    pthread_atfork(
        [] {
          instance().mutex_.lock();
          lockKeyTableForFork();
        },
        [] {
          unlockKeyTableAfterFork();
          instance().mutex_.unlock();
        },
        [] {
          unlockKeyTableAfterFork();
          instance().afterForkInChild();
        });
  }

  // A store deleted or replaced at its path while open would take this
  // process's writes into a file that no other process opens again.
  bool stillAtPath() const {
    struct stat st;
    return ::stat(path_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_;
  }

  struct Identity {
    std::string id;
    dev_t device;
    ino_t inode;
  };
  static Identity storeIdentity(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) throw SqlError{SQLITE_CANTOPEN};
    return {path + '\n' + std::to_string(st.st_dev) + ':' + std::to_string(st.st_ino), st.st_dev, st.st_ino};
  }

  // The child must not use or close the parent's connections (their file
  // locks belong to the parent); they are abandoned, and the child opens its
  // own. A transaction or snapshot held in the parent stays the parent's.
  void afterForkInChild() {
    db_.abandonAfterFork();
    for (auto& snapshot : snapshots_) snapshot->db.abandonAfterFork();
    snapshots_.clear();
    path_.clear();
    held_ = Held{};
    spoilt_ = false;
    busyMs_ = -1;
    mutex_.unlock();
  }

  void setBusyTimeout(int ms) {
    if (ms == busyMs_) return;
    sqlite3_busy_timeout(db_.get(), ms);
    busyMs_ = ms;
  }

  static Database open(const std::string& path) {
    if (envOr("ORVANE_REGISTRY", "").empty()) {
      // The default place is ours to make; a folder named explicitly is not.
      std::error_code ignored;
      std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    }
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Database db(raw);
    if (rc != SQLITE_OK) throw SqlError{rc};
    sqlite3_busy_timeout(raw, busyTimeoutMs());
    // Reading the header first: a file that is not a database fails here,
    // before anything could be written to it.
    int64_t tables = scalar(db, "SELECT count(*) FROM sqlite_master");
    int64_t appId = scalar(db, "PRAGMA application_id");
    if (tables != 0 && appId != kApplicationId) throw SqlError{SQLITE_NOTADB};
    // WAL lets readers go on while one process writes. The mode is kept in
    // the file: when another process holds the store while it switches, or
    // the store is read-only, this connection follows whatever the file says.
    try {
      Statement mode(db.get(), "PRAGMA journal_mode=WAL");
      mode.step();
    } catch (const SqlError& error) {
      if ((error.code & 0xFF) != SQLITE_BUSY && (error.code & 0xFF) != SQLITE_READONLY) throw;
    }
    if (tables == 0 || appId == 0) {
      Transaction transaction(db, Transaction::Kind::Write);
      // Another process may have made the store while this one waited.
      if (scalar(db, "SELECT count(*) FROM sqlite_master") != 0 &&
          scalar(db, "PRAGMA application_id") != kApplicationId)
        throw SqlError{SQLITE_NOTADB};
      db.exec(kSchema);
      transaction.commit();
    }
    db.exec("PRAGMA synchronous=FULL");
    // The log is folded back by the commit after the last reader that needs
    // its old pages has left, and then used again from its start; the limit
    // cuts it back at that point, so that what a long snapshot made it grow
    // to does not stay on disk.
    db.exec("PRAGMA journal_size_limit=4194304");
    return db;
  }

  std::mutex mutex_;
  std::condition_variable released_;
  Held held_;
  std::vector<std::unique_ptr<Snapshot>> snapshots_;
  bool spoilt_ = false;  // the held connection is closed when the transaction ends
  Database db_;
  std::string path_;
  std::string storeId_;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  int busyMs_ = -1;
};

struct HoldsOfThisThread {
  ~HoldsOfThisThread() { Store::instance().threadEnded(); }
};

void endHoldsWithThisThread() { static thread_local HoldsOfThisThread holds; }

}  // namespace

std::string storePath() {
  std::string path = envOr("ORVANE_REGISTRY", "");
  if (!path.empty()) return path;
  std::string root = plat::driveRoot();
  return root.empty() ? std::string() : root + "/registry.sqlite";
}

long readStore(const StoreWork& work) { return Store::instance().run(Transaction::Kind::Read, work); }

long writeStore(const StoreWork& work) { return Store::instance().run(Transaction::Kind::Write, work); }

void installStoreForkHandlers() { (void)Store::instance(); }

long beginHeldTransaction() { return Store::instance().begin(); }

long endHeldTransaction(bool keep) { return Store::instance().end(keep); }

long beginHeldSnapshot() { return Store::instance().beginSnapshot(); }

long endHeldSnapshot() { return Store::instance().endSnapshot(); }

}  // namespace plat::reg
