// Halvik's exports, linked by name. Built into the shared library only.
#include "backends/wdm/halvik_binding.h"

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
