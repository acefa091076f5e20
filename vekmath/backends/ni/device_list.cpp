// NI-DAQmx's devices in the device lists, when the library is bound: the
// system's device names and their product types.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "acquisition/device_lists.h"
#include "backends/ni/ni_backend.h"
#include "backends/ni/ni_binding.h"

namespace vekmath {
namespace {

constexpr std::size_t kNiTextBytes = 256;
constexpr int kNiDevices = 16;

using NiGetSysDevNames = int32_t(WINAPI*)(char* data, uint32_t size);
using NiGetDevProductType = int32_t(WINAPI*)(const char* device, char* data, uint32_t size);

}  // namespace

void listNiDaqmxDevices(DeviceLists& lists) {
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

}  // namespace vekmath
