// The process-wide resource map behind IoReportResourceUsage, and
// controller objects.
#include <ntkrnl/nt_hal.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "device_node.h"
#include "pool.h"
#include "resources.h"

namespace ntk {

namespace {

struct Claim {
  PDRIVER_OBJECT driver;
  std::string owner;  // the device's name (or address), empty for the driver's own
  UCHAR type;
  bool shared;
  uint64_t start;
  uint64_t length;  // interrupts: 1, at their vector
};

struct ResourceMap {
  std::mutex mutex;
  std::vector<Claim> claims;
};

ResourceMap& resourceMap() {
  static auto* m = new ResourceMap;  // lives through static destruction
  return *m;
}

std::string ownerOf(PDEVICE_OBJECT device) {
  if (device == nullptr) return {};
  const std::string& name = DeviceNode::from(device)->name;
  return name.empty() ? std::to_string(reinterpret_cast<uintptr_t>(device)) : name;
}

bool overlaps(const Claim& a, const Claim& b) {
  if (a.type != b.type || (a.shared && b.shared)) return false;
  return a.start < b.start + b.length && b.start < a.start + a.length;
}

// False when the list does not fit its size or names an unknown type.
bool parse(const CM_RESOURCE_LIST* list, ULONG size, PDRIVER_OBJECT driver, const std::string& owner,
           std::vector<Claim>& out) {
  const auto* at = reinterpret_cast<const unsigned char*>(list);
  const unsigned char* end = at + size;
  if (size < sizeof(ULONG)) return false;
  const ULONG fulls = list->Count;
  at += offsetof(CM_RESOURCE_LIST, List);
  for (ULONG f = 0; f < fulls; ++f) {
    const size_t head = offsetof(CM_FULL_RESOURCE_DESCRIPTOR, PartialResourceList.PartialDescriptors);
    if (static_cast<size_t>(end - at) < head) return false;
    const auto* full = reinterpret_cast<const CM_FULL_RESOURCE_DESCRIPTOR*>(at);
    const ULONG count = full->PartialResourceList.Count;
    if (static_cast<size_t>(end - at - head) / sizeof(CM_PARTIAL_RESOURCE_DESCRIPTOR) < count) return false;
    for (ULONG p = 0; p < count; ++p) {
      const CM_PARTIAL_RESOURCE_DESCRIPTOR& d = full->PartialResourceList.PartialDescriptors[p];
      Claim claim{driver, owner, d.Type, d.ShareDisposition == CmResourceShareShared, 0, 0};
      switch (d.Type) {
        case CmResourceTypePort:
          claim.start = static_cast<uint64_t>(d.u.Port.Start.QuadPart);
          claim.length = d.u.Port.Length;
          break;
        case CmResourceTypeMemory:
          claim.start = static_cast<uint64_t>(d.u.Memory.Start.QuadPart);
          claim.length = d.u.Memory.Length;
          break;
        case CmResourceTypeInterrupt:
          claim.start = d.u.Interrupt.Vector;
          claim.length = 1;
          break;
        case CmResourceTypeDma:
          claim.start = d.u.Dma.Channel;
          claim.length = 1;
          break;
        case CmResourceTypeNull:
          continue;
        default:
          return false;
      }
      if (claim.length != 0) out.push_back(claim);
    }
    at += head + count * sizeof(CM_PARTIAL_RESOURCE_DESCRIPTOR);
  }
  return true;
}

}  // namespace

void releaseClaimsOf(PDRIVER_OBJECT driver) {
  ResourceMap& m = resourceMap();
  std::lock_guard<std::mutex> lock(m.mutex);
  std::erase_if(m.claims, [&](const Claim& c) { return c.driver == driver; });
}

}  // namespace ntk

NTKRNL_API NTSTATUS NTAPI IoReportResourceUsage(PUNICODE_STRING, PDRIVER_OBJECT DriverObject,
                                                PCM_RESOURCE_LIST DriverList, ULONG DriverListSize,
                                                PDEVICE_OBJECT DeviceObject, PCM_RESOURCE_LIST DeviceList,
                                                ULONG DeviceListSize, BOOLEAN OverrideConflict,
                                                PBOOLEAN ConflictDetected) {
  if (DriverObject == nullptr || ConflictDetected == nullptr) return STATUS_INVALID_PARAMETER;
  const bool forDevice = DeviceList != nullptr;
  if (forDevice == (DriverList != nullptr) || (forDevice && DeviceObject == nullptr)) {
    return STATUS_INVALID_PARAMETER;
  }
  const std::string owner = forDevice ? ntk::ownerOf(DeviceObject) : std::string();
  std::vector<ntk::Claim> wanted;
  if (!ntk::parse(forDevice ? DeviceList : DriverList, forDevice ? DeviceListSize : DriverListSize, DriverObject,
                  owner, wanted)) {
    return STATUS_INVALID_PARAMETER;
  }
  ntk::ResourceMap& m = ntk::resourceMap();
  std::lock_guard<std::mutex> lock(m.mutex);
  auto sameOwner = [&](const ntk::Claim& c) { return c.driver == DriverObject && c.owner == owner; };
  bool conflict = false;
  for (const ntk::Claim& held : m.claims) {
    if (sameOwner(held)) continue;
    for (const ntk::Claim& claim : wanted) conflict = conflict || ntk::overlaps(held, claim);
  }
  *ConflictDetected = conflict ? TRUE : FALSE;
  if (conflict && !OverrideConflict) return STATUS_SUCCESS;
  std::erase_if(m.claims, sameOwner);
  m.claims.insert(m.claims.end(), wanted.begin(), wanted.end());
  return STATUS_SUCCESS;
}

NTKRNL_API VOID NTAPI NtkClearResourceMap(void) {
  ntk::ResourceMap& m = ntk::resourceMap();
  std::lock_guard<std::mutex> lock(m.mutex);
  m.claims.clear();
}

NTKRNL_API PCONTROLLER_OBJECT NTAPI IoCreateController(ULONG Size) {
  if (ntk::poolRefuses(NonPagedPool, sizeof(CONTROLLER_OBJECT) + Size, ntk::kDeviceTag)) return nullptr;
  auto* controller = static_cast<PCONTROLLER_OBJECT>(std::calloc(1, sizeof(CONTROLLER_OBJECT) + Size));
  if (controller == nullptr) return nullptr;
  controller->Type = 8;
  controller->Size = static_cast<CSHORT>(sizeof(CONTROLLER_OBJECT) + Size);
  controller->ControllerExtension = controller + 1;
  return controller;
}

NTKRNL_API VOID NTAPI IoDeleteController(PCONTROLLER_OBJECT ControllerObject) { std::free(ControllerObject); }
