// Enumerating subkeys and values, and the summary of a key.
#include <winreg.h>

#include <utility>

#include "advapi32/key_store.h"
#include "advapi32/value_out.h"

using plat::reg::StoreContext;

namespace {

// Keys have no class and no recorded write time.
void clearClassAndTime(LPSTR cls, LPDWORD clsLength, PFILETIME lastWrite) {
  if (cls != nullptr && clsLength != nullptr && *clsLength > 0) cls[0] = '\0';
  if (clsLength != nullptr) *clsLength = 0;
  if (lastWrite != nullptr) *lastWrite = FILETIME{0, 0};
}

}  // namespace

PLATFORM_API LONG WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                                       LPDWORD lpReserved, LPSTR lpClass, LPDWORD lpcchClass,
                                       PFILETIME lpftLastWriteTime) {
  if (lpName == nullptr || lpcchName == nullptr || lpReserved != nullptr) return ERROR_INVALID_PARAMETER;
  return plat::reg::readStore([&](StoreContext& store) -> long {
    int64_t id = 0;
    if (long status = plat::reg::resolveKey(store, hKey, KEY_ENUMERATE_SUB_KEYS, id); status != ERROR_SUCCESS)
      return status;
    std::optional<std::string> name = plat::reg::subkeyAt(store, id, dwIndex);
    if (!name) return ERROR_NO_MORE_ITEMS;
    if (long status = plat::reg::copyNameOut(*name, lpName, lpcchName); status != ERROR_SUCCESS) return status;
    clearClassAndTime(lpClass, lpcchClass, lpftLastWriteTime);
    return ERROR_SUCCESS;
  });
}

PLATFORM_API LONG WINAPI RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName) {
  DWORD length = cchName;
  return RegEnumKeyExA(hKey, dwIndex, lpName, &length, nullptr, nullptr, nullptr, nullptr);
}

PLATFORM_API LONG WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                                       LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  if (lpValueName == nullptr || lpcchValueName == nullptr || lpReserved != nullptr ||
      (lpData != nullptr && lpcbData == nullptr))
    return ERROR_INVALID_PARAMETER;
  return plat::reg::readStore([&](StoreContext& store) -> long {
    int64_t id = 0;
    if (long status = plat::reg::resolveKey(store, hKey, KEY_QUERY_VALUE, id); status != ERROR_SUCCESS)
      return status;
    std::optional<plat::reg::ValueRow> value = plat::reg::valueAt(store, id, dwIndex);
    if (!value) return ERROR_NO_MORE_ITEMS;
    // Either buffer too small: the caller learns the type and the data size
    // needed, and neither the name, its length nor the data is written.
    const bool nameFits = value->name.size() + 1 <= *lpcchValueName;
    const bool dataFits = lpData == nullptr || lpcbData == nullptr || value->data.size() <= *lpcbData;
    if (!nameFits || !dataFits) {
      plat::reg::copyValueOut(*value, lpType, nullptr, lpcbData);
      return ERROR_MORE_DATA;
    }
    plat::reg::copyNameOut(value->name, lpValueName, lpcchValueName);
    return plat::reg::copyValueOut(*value, lpType, lpData, lpcbData);
  });
}

PLATFORM_API LONG WINAPI RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                                          LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                                          LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen,
                                          LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                                          PFILETIME lpftLastWriteTime) {
  if (lpReserved != nullptr) return ERROR_INVALID_PARAMETER;
  return plat::reg::readStore([&](StoreContext& store) -> long {
    int64_t id = 0;
    if (long status = plat::reg::resolveKey(store, hKey, KEY_QUERY_VALUE, id); status != ERROR_SUCCESS)
      return status;
    plat::reg::KeyInfo info = plat::reg::keyInfo(store, id);
    // Every output is optional; lengths leave out the terminating NUL.
    const std::pair<LPDWORD, DWORD> outputs[] = {
        {lpcSubKeys, info.subkeys},         {lpcbMaxSubKeyLen, info.maxSubkeyName},
        {lpcbMaxClassLen, 0},               {lpcValues, info.values},
        {lpcbMaxValueNameLen, info.maxValueName}, {lpcbMaxValueLen, info.maxValueData},
        {lpcbSecurityDescriptor, 0},
    };
    for (const auto& [out, value] : outputs) {
      if (out != nullptr) *out = value;
    }
    clearClassAndTime(lpClass, lpcchClass, lpftLastWriteTime);
    return ERROR_SUCCESS;
  });
}
