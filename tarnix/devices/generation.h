// The Windows generation that chooses the configuration driver's device and
// request forms.
#pragma once
#include <cstdint>

#include "system/system_info.h"

namespace tarnix {

// kOsWin9x, kOsNt4 or kOsNt5 from the system's reported version.
uint32_t ConfigGeneration();

}  // namespace tarnix
