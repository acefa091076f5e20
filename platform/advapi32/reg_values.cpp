// Reading, writing and deleting values.
#include <winreg.h>

#include <vector>

#include "advapi32/key_store.h"
#include "advapi32/value_out.h"

using plat::reg::StoreContext;

namespace {

std::string valueName(LPCSTR name) { return name != nullptr ? std::string(name) : std::string(); }

}  // namespace

PLATFORM_API LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                          LPBYTE lpData, LPDWORD lpcbData) {
  if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr)) return ERROR_INVALID_PARAMETER;
  std::string name = valueName(lpValueName);
  return plat::reg::readStore([&](StoreContext& store) -> long {
    int64_t id = 0;
    if (long status = plat::reg::resolveKey(store, hKey, KEY_QUERY_VALUE, id); status != ERROR_SUCCESS)
      return status;
    std::optional<plat::reg::ValueRow> value = plat::reg::findValue(store, id, name);
    if (!value) {
      // A size query learns that there is nothing; a buffer's size stays.
      if (lpData == nullptr && lpcbData != nullptr) *lpcbData = 0;
      return ERROR_FILE_NOT_FOUND;
    }
    return plat::reg::copyValueOut(*value, lpType, lpData, lpcbData);
  });
}

PLATFORM_API LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD /*Reserved*/, DWORD dwType,
                                        const BYTE* lpData, DWORD cbData) {
  if (lpData == nullptr && cbData != 0) return ERROR_INVALID_PARAMETER;
  std::string name = valueName(lpValueName);
  // Text written without its terminating NUL is stored with one, so every
  // reader gets a terminated string.
  std::vector<BYTE> terminated;
  if (plat::reg::isText(dwType) && cbData > 0 && lpData[cbData - 1] != 0) {
    terminated.assign(lpData, lpData + cbData);
    terminated.push_back(0);
    lpData = terminated.data();
    cbData = static_cast<DWORD>(terminated.size());
  }
  return plat::reg::writeStore([&](StoreContext& store) -> long {
    int64_t id = 0;
    if (long status = plat::reg::resolveKey(store, hKey, KEY_SET_VALUE, id); status != ERROR_SUCCESS)
      return status;
    plat::reg::setValue(store, id, name, dwType, lpData, cbData);
    return ERROR_SUCCESS;
  });
}

PLATFORM_API LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  std::string name = valueName(lpValueName);
  return plat::reg::writeStore([&](StoreContext& store) -> long {
    int64_t id = 0;
    if (long status = plat::reg::resolveKey(store, hKey, KEY_SET_VALUE, id); status != ERROR_SUCCESS)
      return status;
    return plat::reg::deleteValue(store, id, name) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}
