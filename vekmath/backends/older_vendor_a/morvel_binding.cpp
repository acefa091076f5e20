#include "backends/older_vendor_a/morvel_binding.h"

#include <windows.h>

namespace vekmath {
namespace {

HMODULE& morvelModule() {
  static HMODULE module = nullptr;
  return module;
}

}  // namespace

MorvelBinding& morvel() {
  static MorvelBinding* table = new MorvelBinding;
  return *table;
}

// The library exports these by ordinal only: its names are not part of
// the contract.
void bindMorvel() {
  HMODULE module = LoadLibraryA(kMorvelLibraryName);
  if (module == nullptr) return;
  MorvelBinding& table = morvel();
#define VEKMATH_MORVEL_BIND(name, ordinal) \
  table.name = reinterpret_cast<decltype(table.name)>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal)));
  VEKMATH_MORVEL_ENTRIES(VEKMATH_MORVEL_BIND)
#undef VEKMATH_MORVEL_BIND
  morvelModule() = module;
}

void unbindMorvel() {
  morvel() = MorvelBinding{};
  if (HMODULE module = morvelModule()) FreeLibrary(module);
  morvelModule() = nullptr;
}

}  // namespace vekmath
