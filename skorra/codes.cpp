#include "codes.h"

#include <array>

#include <skorra.h>

namespace skorra {
namespace {

constexpr bool ntOnly(uint32_t fn) {
  return fn == 0xAD0 || (fn >= 0xADC && fn <= 0xADF) || fn == 0xB00 || fn == 0xB01 || (fn >= 0xB07 && fn <= 0xB0C) ||
         (fn >= 0xB0F && fn <= 0xB14);
}

constexpr uint32_t method(uint32_t fn) {
  if (fn == 0xAE3 || fn == 0xAE4 || fn == 0xAFB) return METHOD_OUT_DIRECT;
  if (fn == 0xB0C) return METHOD_IN_DIRECT;
  return METHOD_BUFFERED;
}

struct CodeTable {
  std::array<uint32_t, kFnHighLast - kFnLowFirst + 1> nt{};
  std::array<uint32_t, kFnHighLast - kFnLowFirst + 1> old{};
  constexpr CodeTable() {
    for (uint32_t fn = kFnLowFirst; fn <= kFnHighLast; ++fn) {
      bool known = (fn <= kFnLowLast) || (fn >= kFnHighFirst && fn != 0xAF0 && fn != 0xAF6 && fn != 0xB0D && fn != 0xB0E);
      if (!known) continue;
      nt[fn - kFnLowFirst] = CTL_CODE(0x8CE4, fn, method(fn), FILE_ANY_ACCESS);
      old[fn - kFnLowFirst] = ntOnly(fn) ? 0 : fn;
    }
  }
};

constexpr CodeTable kCodes;

}  // namespace

bool isDriverFunction(uint32_t fn) {
  return fn >= kFnLowFirst && fn <= kFnHighLast && kCodes.nt[fn - kFnLowFirst] != 0;
}

uint32_t controlCode(uint32_t fn, bool nt) {
  if (!isDriverFunction(fn)) return 0;
  return nt ? kCodes.nt[fn - kFnLowFirst] : kCodes.old[fn - kFnLowFirst];
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
