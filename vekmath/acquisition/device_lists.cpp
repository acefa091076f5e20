// The device lists: which acquisition devices of the board libraries can be
// opened now. Each candidate is opened and closed again at once, through its
// own handle, so the board selected for acquisition is never touched.
#include "vekmath/device_lists.h"

#include <skorra.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "backends/ni/ni_binding.h"

namespace vekmath {
namespace {

constexpr std::size_t kListBytes = VEKMATH_DEVICE_LIST_BYTES;

// Writes device/model pairs into the caller's two buffers. A pair goes in
// whole or not at all, and once one does not fit nothing more is added, so
// the two lists always stay of equal length and in step.
class ListPair {
 public:
  ListPair(char* names, char* models)
      : names_(names), models_(models), nameLength_(strnlen(names, kListBytes)),
        modelLength_(strnlen(models, kListBytes)) {
    // A buffer without its NUL inside the room is already full.
    full_ = nameLength_ == kListBytes || modelLength_ == kListBytes;
  }

  void add(std::string_view name, std::string_view model) {
    if (full_) return;
    const std::size_t separator = first_ ? 0 : 1;
    if (!fits(nameLength_, separator + name.size()) || !fits(modelLength_, separator + model.size())) {
      full_ = true;
      return;
    }
    append(names_, nameLength_, name);
    append(models_, modelLength_, model);
    first_ = false;
  }

 private:
  static bool fits(std::size_t length, std::size_t more) { return more <= kListBytes - 1 - length; }

  void append(char* buffer, std::size_t& length, std::string_view text) const {
    if (!first_) buffer[length++] = ',';
    std::memcpy(buffer + length, text.data(), text.size());
    length += text.size();
    buffer[length] = '\0';
  }

  char* names_;
  char* models_;
  std::size_t nameLength_;
  std::size_t modelLength_;
  bool first_ = true;
  bool full_ = false;
};

// ---------------------------------------------------------------- vendor B

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

void listVendorB(ListPair& lists) {
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

// ---------------------------------------------------------------- NI-DAQmx

constexpr std::size_t kNiTextBytes = 256;
constexpr int kNiDevices = 16;

using NiGetSysDevNames = int32_t(WINAPI*)(char* data, uint32_t size);
using NiGetDevProductType = int32_t(WINAPI*)(const char* device, char* data, uint32_t size);

void listNiDaqmx(ListPair& lists) {
  const NiDaqmxBinding& ni = niDaqmx();
  if (ni.module.load() == nullptr) return;
  auto getNames = reinterpret_cast<NiGetSysDevNames>(ni.entry(NiEntry::GetSysDevNames));
  auto getProduct = reinterpret_cast<NiGetDevProductType>(ni.entry(NiEntry::GetDevProductType));
  if (getNames == nullptr) return;
  char names[kNiTextBytes] = {};
  // A failed query leaves no list to trust.
  if (getNames(names, sizeof names) < 0) return;
  names[kNiTextBytes - 1] = '\0';

  std::string_view rest(names);
  for (int count = 0; count < kNiDevices && !rest.empty(); ++count) {
    const std::size_t cut = rest.find(", ");
    const std::string device(rest.substr(0, cut));
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 2);
    if (device.empty()) continue;
    char product[kNiTextBytes] = {};
    if (getProduct == nullptr || getProduct(device.c_str(), product, sizeof product) < 0) product[0] = '\0';
    product[kNiTextBytes - 1] = '\0';
    lists.add(device, product);
  }
}

}  // namespace
}  // namespace vekmath

DLL_EXPORT void WINAPI SelectBoardNAME(char* names, char* models) {
  if (names == nullptr || models == nullptr) return;
  vekmath::ListPair lists(names, models);
  vekmath::listVendorB(lists);
  vekmath::listNiDaqmx(lists);
}
