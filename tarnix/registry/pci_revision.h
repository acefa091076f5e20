// The hardware revision Windows 9x records for a PCI function in its
// Plug and Play tree.
#pragma once
#include <cstdint>

namespace tarnix {

// deviceName is "PCI&<subkey of Enum\PCI>&<its subkey>", as the
// multi-function tree names a child; the decimal text HWRevision under that
// pair's key, 0 when no pair gives the name.
int32_t ReadPciRevision(const char* deviceName);

}  // namespace tarnix
