// Opening, creating, closing and deleting keys.
#include <winreg.h>

#include "advapi32/key_handles.h"
#include "advapi32/key_names.h"
#include "advapi32/key_store.h"

using plat::reg::KeyRef;
using plat::reg::StoreContext;

namespace {

// Opens (or with create, creates) path below key. A predefined root asked
// for itself is answered with its own value, which needs no closing.
LONG openKey(HKEY key, LPCSTR subKey, REGSAM samDesired, bool create, HKEY* result, LPDWORD disposition) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::vector<std::string> path;
  if (LONG status = plat::reg::splitKeyPath(subKey, path); status != ERROR_SUCCESS) return status;
  DWORD access = plat::reg::grantedAccess(samDesired);

  int64_t id = 0;
  bool created = false;
  std::string storeId;
  auto work = [&](StoreContext& store) -> long {
    int64_t start = 0;
    if (long status = plat::reg::resolveKey(store, key, 0, start); status != ERROR_SUCCESS) return status;
    long status = plat::reg::findPath(store, start, path, id);
    if (status == ERROR_FILE_NOT_FOUND && create) {
      if (long denied = plat::reg::resolveKey(store, key, KEY_CREATE_SUB_KEY, start); denied != ERROR_SUCCESS)
        return denied;
      id = plat::reg::createPath(store, start, path, created);
      status = ERROR_SUCCESS;
    }
    storeId = store.id;
    return status;
  };
  // The handle is made only once the key is there for good (committed).
  LONG status = create ? plat::reg::writeStore(work) : plat::reg::readStore(work);
  if (status != ERROR_SUCCESS) return status;
  if (disposition != nullptr) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  if (path.empty() && plat::reg::isPredefinedKey(key)) {
    *result = key;
  } else {
    *result = plat::reg::addKeyHandle(KeyRef{id, access, storeId});
  }
  return ERROR_SUCCESS;
}

}  // namespace

PLATFORM_API LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired,
                                       HKEY* phkResult) {
  return openKey(hKey, lpSubKey, samDesired, false, phkResult, nullptr);
}

PLATFORM_API LONG WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, HKEY* phkResult) {
  return openKey(hKey, lpSubKey, MAXIMUM_ALLOWED, false, phkResult, nullptr);
}

PLATFORM_API LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*Reserved*/, LPSTR /*lpClass*/,
                                         DWORD /*dwOptions*/, REGSAM samDesired,
                                         const LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, HKEY* phkResult,
                                         LPDWORD lpdwDisposition) {
  return openKey(hKey, lpSubKey, samDesired, true, phkResult, lpdwDisposition);
}

PLATFORM_API LONG WINAPI RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, HKEY* phkResult) {
  return openKey(hKey, lpSubKey, MAXIMUM_ALLOWED, true, phkResult, nullptr);
}

PLATFORM_API LONG WINAPI RegCloseKey(HKEY hKey) {
  if (plat::reg::isPredefinedKey(hKey)) return ERROR_SUCCESS;
  return plat::reg::removeKeyHandle(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

PLATFORM_API LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  if (lpSubKey == nullptr) return ERROR_INVALID_PARAMETER;
  std::vector<std::string> path;
  if (LONG status = plat::reg::splitKeyPath(lpSubKey, path); status != ERROR_SUCCESS) return status;
  // An empty name deletes the key the handle names; roots stay.
  if (path.empty() && plat::reg::isPredefinedKey(hKey)) return ERROR_INVALID_PARAMETER;
  return plat::reg::writeStore([&](StoreContext& store) -> long {
    int64_t start = 0;
    if (long status = plat::reg::resolveKey(store, hKey, 0, start); status != ERROR_SUCCESS) return status;
    int64_t id = 0;
    if (long status = plat::reg::findPath(store, start, path, id); status != ERROR_SUCCESS) return status;
    if (plat::reg::hasSubkeys(store, id)) return ERROR_ACCESS_DENIED;
    plat::reg::deleteKey(store, id);
    return ERROR_SUCCESS;
  });
}

PLATFORM_API LONG WINAPI RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey) {
  std::vector<std::string> path;
  if (LONG status = plat::reg::splitKeyPath(lpSubKey, path); status != ERROR_SUCCESS) return status;
  return plat::reg::writeStore([&](StoreContext& store) -> long {
    int64_t start = 0;
    if (long status = plat::reg::resolveKey(store, hKey, 0, start); status != ERROR_SUCCESS) return status;
    int64_t id = 0;
    if (long status = plat::reg::findPath(store, start, path, id); status != ERROR_SUCCESS) return status;
    plat::reg::deleteBelow(store, id, !path.empty());
    return ERROR_SUCCESS;
  });
}

PLATFORM_API LONG WINAPI RegFlushKey(HKEY hKey) {
  // Every change is committed durably when its call returns; flushing only
  // confirms the handle.
  return plat::reg::readStore([&](StoreContext& store) -> long {
    int64_t id = 0;
    return plat::reg::resolveKey(store, hKey, 0, id);
  });
}
