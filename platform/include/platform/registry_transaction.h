// One transaction of the registry store held by the calling thread across
// registry calls, for configuration that is replaced in one step: either
// every change made between the begin and the commit is kept, or none is,
// also when the process is killed in between.
//
// While a thread holds it, the calls of that thread run inside it (a call
// that fails takes back only its own changes); other threads of the process
// wait for it like other processes do, up to $ORVANE_REGISTRY_BUSY_MS, and
// then fail with ERROR_BUSY. Other processes read the store as it was
// before the begin until the commit, and so does a child forked while it is
// held: the hold stays the parent's. Hold it only as long as the writes
// take: waits (for drivers to stop, say) belong outside. A thread that ends
// still holding it rolls it back, and ends a snapshot it holds.
#pragma once
#include <windows.h>

namespace plat {

#pragma GCC visibility push(default)

// ERROR_SUCCESS; ERROR_BUSY when the store stays held past the busy timeout;
// the store's error when it cannot be opened. A begin inside a held
// transaction of the same thread joins it: the outermost commit decides.
LONG BeginRegistryTransaction();
// Keeps the changes: ERROR_SUCCESS, or the store's error with nothing kept
// (also after a call inside failed in a way that undid the transaction, or
// a joined transaction was rolled back). ERROR_INVALID_FUNCTION when the
// thread holds none.
LONG CommitRegistryTransaction();
// Drops the changes; ERROR_INVALID_FUNCTION when the thread holds none.
LONG RollbackRegistryTransaction();

// A read snapshot held by the calling thread across registry calls, for
// configuration read in several steps that must come from one state of the
// store: the thread's reads see the store as it was at the begin, whatever
// other threads and processes commit meanwhile. It makes no one wait and
// waits for no writer. The thread's own writes go to the store as usual and
// are not seen in it; a begin inside a held transaction of the thread joins
// that, and sees its changes. A begin inside a held snapshot joins it.
// ERROR_SUCCESS, or the store's error when it cannot be opened.
LONG BeginRegistrySnapshot();
// ERROR_SUCCESS, or the store's error when the snapshot was lost midway
// (its reads after that failed too); ERROR_INVALID_FUNCTION when the thread
// holds none.
LONG EndRegistrySnapshot();

#pragma GCC visibility pop

// Begun on construction, rolled back on destruction unless committed.
class RegistryTransaction {
 public:
  RegistryTransaction() : status_(BeginRegistryTransaction()) {}
  ~RegistryTransaction() {
    if (status_ == ERROR_SUCCESS && !ended_) RollbackRegistryTransaction();
  }
  RegistryTransaction(const RegistryTransaction&) = delete;
  RegistryTransaction& operator=(const RegistryTransaction&) = delete;

  // The begin's status.
  LONG status() const { return status_; }
  LONG commit() {
    if (status_ != ERROR_SUCCESS) return status_;
    if (ended_) return ERROR_INVALID_FUNCTION;
    ended_ = true;
    return CommitRegistryTransaction();
  }

 private:
  LONG status_;
  bool ended_ = false;
};

// Begun on construction, ended on destruction.
class RegistrySnapshot {
 public:
  RegistrySnapshot() : status_(BeginRegistrySnapshot()) {}
  ~RegistrySnapshot() {
    if (status_ == ERROR_SUCCESS) EndRegistrySnapshot();
  }
  RegistrySnapshot(const RegistrySnapshot&) = delete;
  RegistrySnapshot& operator=(const RegistrySnapshot&) = delete;

  // The begin's status.
  LONG status() const { return status_; }

 private:
  LONG status_;
};

}  // namespace plat
