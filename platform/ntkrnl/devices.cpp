// Device objects and symbolic links. A link "\DosDevices\X" registers the
// device with the platform's device model under "X", so "\\.\X" opens it.
// Object names compare without regard to case.
#include <cctype>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

#include <win/codepage.h>

#include "device_node.h"
#include "objects.h"
#include "pool.h"

namespace ntk {

namespace {

struct Names {
  std::mutex mutex;
  std::map<std::string, DeviceNode*> devices;  // by folded "\Device\X"
  std::map<std::string, DeviceNode*> links;    // by folded link name
};

Names& names() {
  static auto* n = new Names;  // lives through static destruction
  return *n;
}

std::string folded(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// "X" of "\DosDevices\X" or "\??\X"; empty for other names.
std::string linkTarget(const std::string& link) {
  for (const char* prefix : {"\\dosdevices\\", "\\??\\"}) {
    const std::string p(prefix);
    if (folded(link.substr(0, p.size())) == p && link.size() > p.size()) return link.substr(p.size());
  }
  return {};
}

}  // namespace

std::string narrow(PCUNICODE_STRING text) {
  if (text == nullptr || text->Buffer == nullptr || text->Length == 0) return {};
  const int count = text->Length / 2;
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text->Buffer, count, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, text->Buffer, count, out.data(), bytes, nullptr, nullptr);
  return out;
}

std::string narrow(PCWSTR text) {
  UNICODE_STRING s;
  RtlInitUnicodeString(&s, text);
  return narrow(&s);
}

void retain(DeviceNode* node) { node->references.fetch_add(1); }

void release(DeviceNode* node) {
  if (node->references.fetch_sub(1) == 1) {
    std::free(node->object.DeviceExtension);
    delete node;
  }
}

unsigned deleteDevicesOf(PDRIVER_OBJECT driver) {
  unsigned count = 0;
  while (driver->DeviceObject != nullptr) {
    IoDeleteDevice(driver->DeviceObject);
    ++count;
  }
  return count;
}

unsigned deleteLinksOf(PDRIVER_OBJECT driver) {
  std::vector<DeviceNode*> gone;
  {
    Names& n = names();
    std::lock_guard<std::mutex> lock(n.mutex);
    for (auto it = n.links.begin(); it != n.links.end();) {
      if (it->second->object.DriverObject != driver) {
        ++it;
        continue;
      }
      PlatUnregisterDevice(linkTarget(it->first).c_str());
      gone.push_back(it->second);
      it = n.links.erase(it);
    }
  }
  for (DeviceNode* node : gone) release(node);
  return static_cast<unsigned>(gone.size());
}

}  // namespace ntk

NTKRNL_API NTSTATUS NTAPI IoCreateDevice(PDRIVER_OBJECT DriverObject, ULONG DeviceExtensionSize,
                                         PUNICODE_STRING DeviceName, DEVICE_TYPE DeviceType,
                                         ULONG DeviceCharacteristics, BOOLEAN Exclusive,
                                         PDEVICE_OBJECT* DeviceObject) {
  if (DriverObject == nullptr || DeviceObject == nullptr) return STATUS_INVALID_PARAMETER;
  if (ntk::poolRefuses(NonPagedPool, sizeof(ntk::DeviceNode) + DeviceExtensionSize, ntk::kDeviceTag)) {
    return STATUS_INSUFFICIENT_RESOURCES;
  }
  const std::string name = ntk::narrow(DeviceName);
  void* extension = DeviceExtensionSize != 0 ? std::calloc(1, DeviceExtensionSize) : nullptr;
  if (DeviceExtensionSize != 0 && extension == nullptr) return STATUS_INSUFFICIENT_RESOURCES;
  auto* node = new ntk::DeviceNode;
  node->name = name;
  node->exclusive = Exclusive != FALSE;
  DEVICE_OBJECT& object = node->object;
  object = DEVICE_OBJECT{};
  object.Type = 3;
  object.Size = static_cast<USHORT>(sizeof(DEVICE_OBJECT));
  object.DriverObject = DriverObject;
  object.Characteristics = DeviceCharacteristics;
  object.DeviceExtension = extension;
  object.DeviceType = DeviceType;
  object.StackSize = 1;
  if (Exclusive) object.Flags |= DO_EXCLUSIVE;
  if (!name.empty()) {
    ntk::Names& n = ntk::names();
    std::lock_guard<std::mutex> lock(n.mutex);
    if (!n.devices.emplace(ntk::folded(name), node).second) {
      std::free(extension);
      delete node;
      return STATUS_OBJECT_NAME_COLLISION;
    }
  }
  ntk::bindPlatformDriver(node);
  object.NextDevice = DriverObject->DeviceObject;
  DriverObject->DeviceObject = &object;
  *DeviceObject = &object;
  return STATUS_SUCCESS;
}

NTKRNL_API VOID NTAPI IoDeleteDevice(PDEVICE_OBJECT DeviceObject) {
  if (DeviceObject == nullptr) return;
  ntk::DeviceNode* node = ntk::DeviceNode::from(DeviceObject);
  if (node->deleted.exchange(true)) return;
  for (PDEVICE_OBJECT* at = &DeviceObject->DriverObject->DeviceObject; *at != nullptr; at = &(*at)->NextDevice) {
    if (*at == DeviceObject) {
      *at = DeviceObject->NextDevice;
      break;
    }
  }
  if (!node->name.empty()) {
    ntk::Names& n = ntk::names();
    std::lock_guard<std::mutex> lock(n.mutex);
    n.devices.erase(ntk::folded(node->name));
  }
  ntk::release(node);
}

NTKRNL_API NTSTATUS NTAPI IoCreateSymbolicLink(PUNICODE_STRING SymbolicLinkName, PUNICODE_STRING DeviceName) {
  const std::string link = ntk::narrow(SymbolicLinkName);
  const std::string target = ntk::linkTarget(link);
  if (target.empty() || target.find('\\') != std::string::npos) return STATUS_OBJECT_NAME_INVALID;
  ntk::Names& n = ntk::names();
  std::lock_guard<std::mutex> lock(n.mutex);
  auto device = n.devices.find(ntk::folded(ntk::narrow(DeviceName)));
  if (device == n.devices.end()) return STATUS_OBJECT_NAME_NOT_FOUND;
  if (n.links.count(ntk::folded(link)) != 0) return STATUS_OBJECT_NAME_COLLISION;
  if (!PlatRegisterDevice(target.c_str(), &device->second->platform)) return STATUS_OBJECT_NAME_COLLISION;
  ntk::retain(device->second);
  n.links.emplace(ntk::folded(link), device->second);
  return STATUS_SUCCESS;
}

NTKRNL_API NTSTATUS NTAPI IoDeleteSymbolicLink(PUNICODE_STRING SymbolicLinkName) {
  const std::string link = ntk::folded(ntk::narrow(SymbolicLinkName));
  ntk::DeviceNode* node = nullptr;
  {
    ntk::Names& n = ntk::names();
    std::lock_guard<std::mutex> lock(n.mutex);
    auto it = n.links.find(link);
    if (it == n.links.end()) return STATUS_OBJECT_NAME_NOT_FOUND;
    PlatUnregisterDevice(ntk::linkTarget(link).c_str());
    node = it->second;
    n.links.erase(it);
  }
  ntk::release(node);
  return STATUS_SUCCESS;
}
