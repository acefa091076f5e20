// Vendor B's boards in the device lists: "SKORRA1" to "SKORRA16", each
// opened and closed at once, with the model its PCI ids name.
#include <skorra.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "acquisition/device_lists.h"
#include "backends/vendor_b/vendor_b_backend.h"

namespace vekmath {
namespace {

constexpr int kVendorBDevices = 16;

struct VendorBModel {
  uint32_t pciDeviceId;
  uint32_t subsystemId;
  const char* name;
};

constexpr VendorBModel kVendorBModels[] = {
    {0x288C, 4591, "MWU-459158"},
    {0x288C, 4597, "MWU-459758"},
    {0x2890, 4597, "MWU-459793"},
};

// Ids of no known model give an empty name rather than another board's.
const char* vendorBModelName(uint32_t pciDeviceId, uint32_t subsystemId) {
  for (const VendorBModel& m : kVendorBModels) {
    if (m.pciDeviceId == pciDeviceId && m.subsystemId == subsystemId) return m.name;
  }
  return "";
}

}  // namespace

void listVendorBDevices(DeviceLists& lists) {
  for (int n = 1; n <= kVendorBDevices; ++n) {
    const std::string name = "SKORRA" + std::to_string(n);
    HANDLE h = SkOpen(name.c_str());
    if (h == INVALID_HANDLE_VALUE) continue;
    uint32_t info[10] = {};
    SkGetDeviceInfo(h, info);
    // Outputs stay 0 when the request fails, which matches no model.
    uint32_t pci[14] = {};
    SkCommonGetPciDeviceInfo(h, &pci[0], &pci[1], &pci[2], &pci[3], &pci[4], &pci[5], &pci[6], &pci[7], &pci[8],
                             &pci[9], &pci[10], &pci[11], &pci[12], &pci[13]);
    if (SkClose(h) != SK_SUCCESS) {
      std::fputs("Error : SkGetDeviceInfo\n", stdout);
      continue;
    }
    // The first output is the subsystem id (the model number), the
    // eleventh the PCI device id.
    lists.add(name, vendorBModelName(pci[10], pci[0]));
  }
}

}  // namespace vekmath
