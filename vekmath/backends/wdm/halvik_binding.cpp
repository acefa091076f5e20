#include "backends/wdm/halvik_binding.h"

namespace vekmath {

HalvikBinding& halvik() {
  static HalvikBinding* table = new HalvikBinding(linkedHalvik());
  return *table;
}

}  // namespace vekmath
