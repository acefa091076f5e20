// Halvik's exports, linked by name. Built into the shared library only.
#include "backends/wdm/halvik_binding.h"

// The analog-input exports are bound weakly: a Halvik built without its
// analog-input half still loads this library, and the WDM codes then fail
// with Halvik's "function can't be used" instead of the whole library
// failing to load. The core exports are bound as usual and keep Halvik a
// dependency of the library.
#define VEKMATH_HALVIK_WEAK(name) decltype(::name) name __attribute__((weak));
extern "C" {
VEKMATH_HALVIK_AI_ENTRIES(VEKMATH_HALVIK_WEAK)
}
#undef VEKMATH_HALVIK_WEAK

namespace vekmath {

HalvikBinding linkedHalvik() {
  HalvikBinding table;
#define VEKMATH_HALVIK_LINK(name) table.name = &::name;
  VEKMATH_HALVIK_CORE_ENTRIES(VEKMATH_HALVIK_LINK)
  VEKMATH_HALVIK_AI_ENTRIES(VEKMATH_HALVIK_LINK)
#undef VEKMATH_HALVIK_LINK
  return table;
}

}  // namespace vekmath
