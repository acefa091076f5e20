// Key handles of the process: a handle value names a key of one store.
#pragma once
#include <windef.h>

#include <cstdint>
#include <optional>
#include <string>

namespace plat::reg {

struct KeyRef {
  int64_t id = 0;
  DWORD access = 0;
  std::string store;        // empty for a predefined root: it is in every store
};

// The rights a handle opened with samDesired grants (generic and maximum
// rights expanded, the 32/64-bit view flags dropped).
DWORD grantedAccess(DWORD samDesired);

HKEY addKeyHandle(KeyRef key);
// False when the handle is unknown. Predefined roots are not in the table.
bool removeKeyHandle(HKEY key);
bool isPredefinedKey(HKEY key);
// The key a handle or a predefined root stands for.
std::optional<KeyRef> findKeyHandle(HKEY key);

// For the store's fork handlers: the table's lock is held across a fork.
void lockKeyTableForFork();
void unlockKeyTableAfterFork();

}  // namespace plat::reg
