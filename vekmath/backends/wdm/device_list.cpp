// Halvik's devices in the device lists: the first 16 registered names, each
// listed when it opens, and closed again at once.
#include <cstdint>
#include <cstdio>

#include "acquisition/device_lists.h"
#include "backends/wdm/halvik_call.h"
#include "backends/wdm/wdm_backend.h"

namespace vekmath {
namespace {

constexpr short kWdmDevices = 16;
constexpr std::size_t kHalvikNameBytes = 256;
constexpr uint16_t kNoId = 0xFFFF;

}  // namespace

void listWdmDevices(DeviceLists& lists) {
  using H = HalvikBinding;
  for (short index = 0; index < kWdmDevices; ++index) {
    char name[kHalvikNameBytes] = {};
    char model[kHalvikNameBytes] = {};
    std::snprintf(name, sizeof name, "XAN%03d", index + 1);
    // An index that names no device leaves nothing to open.
    if (callHalvik<&H::XanQueryDeviceName>(index, name, model) != 0) continue;
    name[kHalvikNameBytes - 1] = '\0';
    model[kHalvikNameBytes - 1] = '\0';
    short id = -1;
    callHalvik<&H::XanInit>(static_cast<const char*>(name), &id);
    if (static_cast<uint16_t>(id) == kNoId) continue;
    callHalvik<&H::XanExit>(id);
    lists.add(name, model);
  }
}

}  // namespace vekmath
