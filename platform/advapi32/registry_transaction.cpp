#include <platform/registry_transaction.h>

#include "advapi32/store.h"

namespace plat {

LONG BeginRegistryTransaction() { return reg::beginHeldTransaction(); }
LONG CommitRegistryTransaction() { return reg::endHeldTransaction(true); }
LONG RollbackRegistryTransaction() { return reg::endHeldTransaction(false); }

}  // namespace plat
