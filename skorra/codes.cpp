#include "codes.h"

#include <skorra.h>

namespace skorra {

bool isDriverFunction(uint32_t fn) { return SkorradevFindFunction(fn) != nullptr; }

uint32_t controlCode(uint32_t fn, bool nt) {
  const SkorradevFunctionSpec* spec = SkorradevFindFunction(fn);
  if (spec == nullptr) return 0;
  if (nt) return SKORRADEV_NT_CODE(fn, spec->method);
  return spec->ntOnly ? 0 : fn;
}

uint32_t mapSystemError(DWORD error) {
  switch (error) {
    case 5:
    case 6:
      return SK_E_UNKNOWN_HANDLE;
    case 21:
      return SK_E_NOT_READY;
    case 87:
      return SK_E_INVALID_ARGUMENT;
    case 122:
    case 998:
    case 1450:
    case 1453:
      return SK_E_NO_RESOURCES;
    case 170:
      return SK_E_BUSY;
    case 0:  // a failure without an error must not read as success
      return SK_E_NOT_READY;
    default:
      return error;
  }
}

}  // namespace skorra
