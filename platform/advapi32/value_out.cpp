#include "advapi32/value_out.h"

#include <winreg.h>

#include <cstring>

namespace plat::reg {

bool isText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

long copyValueOut(const ValueRow& value, LPDWORD type, LPBYTE data, LPDWORD size) {
  // The room is read before the type is written: callers may hand one
  // variable for both.
  const DWORD room = size != nullptr ? *size : 0;
  if (type != nullptr) *type = value.type;
  if (size == nullptr) return ERROR_SUCCESS;
  auto stored = static_cast<DWORD>(value.data.size());
  if (data == nullptr) {
    *size = stored;
    return ERROR_SUCCESS;
  }
  if (room < stored) {
    *size = stored;
    return ERROR_MORE_DATA;
  }
  if (stored != 0) std::memcpy(data, value.data.data(), stored);
  if (isText(value.type) && room > stored && (stored == 0 || value.data.back() != 0)) data[stored] = 0;
  *size = stored;
  return ERROR_SUCCESS;
}

long copyNameOut(const std::string& name, LPSTR buffer, LPDWORD length) {
  if (name.size() + 1 > *length) return ERROR_MORE_DATA;
  std::memcpy(buffer, name.data(), name.size());
  buffer[name.size()] = '\0';
  *length = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

}  // namespace plat::reg
