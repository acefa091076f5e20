#include "advapi32/key_handles.h"

#include <pthread.h>
#include <winreg.h>

#include <mutex>
#include <unordered_map>

#include "advapi32/store.h"
#include "kernel32/object.h"

namespace plat::reg {

namespace {

constexpr DWORD kGenericRead = 0x80000000u;
constexpr DWORD kGenericWrite = 0x40000000u;
constexpr DWORD kGenericExecute = 0x20000000u;
constexpr DWORD kGenericAll = 0x10000000u;

struct Table {
  std::mutex mutex;
  std::unordered_map<uintptr_t, KeyRef> keys;
};

Table& table() {
  static Table* instance = [] {
    // The store's fork handlers hold this table's lock across a fork too,
    // taken after the store's own, in the order every registry call takes them.
    installStoreForkHandlers();
    return new Table;
  }();
  return *instance;
}

// The root a predefined value names. Callers may hand the value back
// sign-extended (it went through a LONG) or not.
std::optional<int64_t> predefinedRoot(HKEY key) {
  auto value = reinterpret_cast<uintptr_t>(key);
  uintptr_t high = value >> 32;
  if (high != 0 && high != 0xFFFFFFFFu) return std::nullopt;
  switch (static_cast<uint32_t>(value)) {
    case 0x80000000u:
      return kClassesRoot;
    case 0x80000001u:
      return kCurrentUser;
    case 0x80000002u:
      return kLocalMachine;
    case 0x80000003u:
      return kUsers;
    default:
      return std::nullopt;
  }
}

}  // namespace

DWORD grantedAccess(DWORD samDesired) {
  DWORD access = samDesired & ~(KEY_WOW64_32KEY | KEY_WOW64_64KEY);
  if (access & (MAXIMUM_ALLOWED | kGenericAll)) access |= KEY_ALL_ACCESS;
  if (access & (kGenericRead | kGenericExecute)) access |= KEY_READ;
  if (access & kGenericWrite) access |= KEY_WRITE;
  return access;
}

HKEY addKeyHandle(KeyRef key) {
  uintptr_t value = plat::allocateHandleValue();
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  t.keys[value] = std::move(key);
  return reinterpret_cast<HKEY>(value);
}

bool removeKeyHandle(HKEY key) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  return t.keys.erase(reinterpret_cast<uintptr_t>(key)) != 0;
}

bool isPredefinedKey(HKEY key) { return predefinedRoot(key).has_value(); }

std::optional<KeyRef> findKeyHandle(HKEY key) {
  if (auto root = predefinedRoot(key)) return KeyRef{*root, KEY_ALL_ACCESS, {}};
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.keys.find(reinterpret_cast<uintptr_t>(key));
  if (it == t.keys.end()) return std::nullopt;
  return it->second;
}

void lockKeyTableForFork() { table().mutex.lock(); }
void unlockKeyTableAfterFork() { table().mutex.unlock(); }

}  // namespace plat::reg
