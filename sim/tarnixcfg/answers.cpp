// What the drivers answer from the inventory, request by request.
#include <strings.h>

#include <cstdio>
#include <cstring>

#include "driver_state.h"

namespace tarnixcfg {

namespace {

// The answer for a board or device the driver does not know.
constexpr int32_t kNoSuchDevice = 1;

void fillList(WireList& list, const std::vector<int32_t>& entries, bool overstates) {
  const int32_t room = list.address != 0 && list.count > 0 ? list.count : 0;
  const int32_t have = static_cast<int32_t>(entries.size());
  const int32_t written = have < room ? have : room;
  if (written > 0) std::memcpy(wireArray(list.address), entries.data(), static_cast<size_t>(written) * 4);
  list.count = overstates ? have : written;
}

template <typename Record>
void answerResources(Record& r, const Resources* found, const Inventory& inventory) {
  static const Resources kNone;
  const Resources& res = found != nullptr ? *found : kNone;
  const bool overstates = found != nullptr && inventory.overstatesCounts;
  fillList(r.io, res.io, overstates);
  fillList(r.irq, res.irq, overstates);
  fillList(r.memory, res.memory, overstates);
  r.result = found != nullptr ? 0 : kNoSuchDevice;
}

const PciBoard* findPci(const Inventory& inventory, uint32_t vendor, uint32_t device, uint32_t board) {
  if (vendor != kVendorId) return nullptr;
  for (const PciBoard& b : inventory.pci) {
    if (b.deviceId == device && b.boardId == board) return &b;
  }
  return nullptr;
}

// NT names are 16-bit characters; the VxD gets the 8-bit text.
std::string instanceName(uint64_t address, bool wide) {
  std::string name;
  if (address == 0) return name;
  if (wide) {
    const auto* units = reinterpret_cast<const uint16_t*>(static_cast<uintptr_t>(address));
    for (size_t i = 0; i < kWideNameUnits && units[i] != 0; ++i) name += static_cast<char>(units[i] & 0xFF);
  } else {
    name = reinterpret_cast<const char*>(static_cast<uintptr_t>(address));
  }
  return name;
}

// PC cards by instance key; root devices by "%04d" (the ISA request) or by
// their 9x instance path (the PC-card request).
const Resources* findInstance(const Inventory& inventory, DWORD code, const std::string& name) {
  if (code != kNtIsaResources) {
    for (const PcCard& c : inventory.pcCards) {
      if (strcasecmp(c.instanceKey.c_str(), name.c_str()) == 0) return &c.resources;
    }
  }
  for (const RootDevice& d : inventory.roots) {
    char key[48];
    if (code == kNtIsaResources) {
      std::snprintf(key, sizeof key, "%04d", d.instance);
      if (d.port) continue;
    } else {
      std::snprintf(key, sizeof key, "ROOT\\%s\\%04d", d.port ? "PORTS" : "MULTIFUNCTION", d.instance);
    }
    if (strcasecmp(key, name.c_str()) == 0) return &d.resources;
  }
  return nullptr;
}

template <typename Record>
Record& as(unsigned char* record) {
  return *reinterpret_cast<Record*>(record);
}

}  // namespace

bool Answer(const Inventory& inventory, DWORD code, unsigned char* record, std::string& name) {
  switch (code) {
    case kNtPciResources: {
      auto& r = as<NtPciResourceRecord>(record);
      const PciBoard* b = findPci(inventory, r.vendorId, r.deviceId, r.boardId);
      answerResources(r, b != nullptr ? &b->resources : nullptr, inventory);
      return true;
    }
    case k9xPciResources: {
      auto& r = as<Win9xPciResourceRecord>(record);
      const PciBoard* b = findPci(inventory, r.vendorId, r.deviceId, r.boardId);
      answerResources(r, b != nullptr ? &b->resources : nullptr, inventory);
      return true;
    }
    case kNtPcCardResources:
    case kNtIsaResources:
    case k9xPcCardResources: {
      auto& r = as<InstanceResourceRecord>(record);
      name = instanceName(r.name, code != k9xPcCardResources);
      answerResources(r, findInstance(inventory, code, name), inventory);
      return true;
    }
    case kNtPciVersion:
    case k9xPciVersion: {
      auto& r = as<PciVersionRecord>(record);
      const PciBoard* b = findPci(inventory, r.vendorId, r.deviceId, r.boardId);
      r.version = b != nullptr ? b->version : 0;
      r.result = b != nullptr ? 0 : kNoSuchDevice;
      return true;
    }
    case kNtBusQuery:
    case k9xBusQuery:
      as<BusQueryRecord>(record).answer = inventory.busAnswer;
      return true;
    case kNtModuleList:
    case k9xModuleList:
      as<ModuleListRecord>(record) = inventory.modules;
      return true;
    default:
      return false;
  }
}

void FailResult(DWORD code, unsigned char* record, int32_t value) {
  auto clear = [value](auto& r) {
    r.io.count = 0;
    r.irq.count = 0;
    r.memory.count = 0;
    r.result = value;
  };
  switch (code) {
    case kNtPciResources:
      clear(as<NtPciResourceRecord>(record));
      break;
    case k9xPciResources:
      clear(as<Win9xPciResourceRecord>(record));
      break;
    case kNtPcCardResources:
    case kNtIsaResources:
    case k9xPcCardResources:
      clear(as<InstanceResourceRecord>(record));
      break;
    case kNtPciVersion:
    case k9xPciVersion:
      as<PciVersionRecord>(record).version = 0;
      as<PciVersionRecord>(record).result = value;
      break;
    default:
      break;
  }
}

}  // namespace tarnixcfg
