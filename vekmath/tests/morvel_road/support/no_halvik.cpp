// This program runs no WDM board: Halvik's table stays empty.
#include "backends/wdm/halvik_binding.h"

namespace vekmath {

HalvikBinding linkedHalvik() { return {}; }

}  // namespace vekmath
