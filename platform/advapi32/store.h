// The registry store: one SQLite database per user, shared by its processes.
//
// It lives at $ORVANE_REGISTRY, by default <drive root>/registry.sqlite
// (the drive root being $ORVANE_ROOT, else $XDG_DATA_HOME/orvane, else
// ~/.local/share/orvane). The path is looked at on every call, so a change
// of the variable takes effect at the next call, and so does a store file
// deleted or replaced at the path (the call opens the file now there);
// handles opened in the old store then answer ERROR_KEY_DELETED.
//
// Every call is one transaction, or one step of the transaction that the
// calling thread holds, or a read in the snapshot it holds
// (platform/registry_transaction.h). A store held by another process makes a
// call wait up to $ORVANE_REGISTRY_BUSY_MS (default 5000) and then fail with
// ERROR_BUSY; readers are not held up by a writer. A file that is not a
// registry store gives ERROR_BADDB and is never written to; a store that
// cannot be opened or created gives ERROR_CANTOPEN.
#pragma once
#include <functional>
#include <string>

#include "advapi32/sqlite_db.h"

namespace plat::reg {

// Fixed key ids of the predefined roots.
enum RootId : int64_t { kClassesRoot = 1, kCurrentUser = 2, kLocalMachine = 3, kUsers = 4 };

struct StoreContext {
  Database& db;
  // The store the call runs against: its path and the file's identity, so
  // that a store replaced at the same path is another store.
  const std::string& id;
};

using StoreWork = std::function<long(StoreContext&)>;

// Runs work in one read transaction (a consistent snapshot).
// Registers, once, the fork handlers that keep the store's and the key
// table's locks consistent in a child (store first, then key table).
void installStoreForkHandlers();

long readStore(const StoreWork& work);
// Runs work in one write transaction; committed only when it answers
// ERROR_SUCCESS.
long writeStore(const StoreWork& work);

// The transaction held by the calling thread across calls
// (platform/registry_transaction.h).
long beginHeldTransaction();
long endHeldTransaction(bool keep);
// The read snapshot held by the calling thread across calls.
long beginHeldSnapshot();
long endHeldSnapshot();

// The store location the next call uses.
std::string storePath();

}  // namespace plat::reg
