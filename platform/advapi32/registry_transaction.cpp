#include <platform/registry_transaction.h>

#include "advapi32/store.h"

namespace plat {

LONG BeginRegistryTransaction() { return reg::beginHeldTransaction(); }
LONG CommitRegistryTransaction() { return reg::endHeldTransaction(true); }
LONG RollbackRegistryTransaction() { return reg::endHeldTransaction(false); }
LONG BeginRegistrySnapshot() { return reg::beginHeldSnapshot(); }
LONG EndRegistrySnapshot() { return reg::endHeldSnapshot(); }

}  // namespace plat
