// Kind 9: the WDM analog devices' list, loaded from their device keys,
// checked for names and saved back as DeviceName values.
#include <strings.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <platform/registry_transaction.h>
#include <tarnix.h>
#include <tarnix_records.h>

#include "config_device.h"
#include "system/system_info.h"
#include "pnp_text.h"
#include "wdm_keys.h"

namespace tarnix {

namespace {

using WdmList = BoardList<WdmDeviceRecord>;

constexpr int32_t kEmptyName = (16 << 3) | 1;
constexpr int32_t kSharedName = (16 << 3) | 2;
constexpr std::size_t kLongestKey = sizeof(WdmDeviceRecord::deviceKey);
constexpr int kMadeUpNames = 256;

template <std::size_t N>
void copyText(char (&field)[N], const std::string& text) {
  const std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

// What CreateFileA opens for a device object's name in the DOS-devices
// directory; empty for any other form.
std::string devicePath(const std::string& symbolic) {
  static constexpr char kDosDevices[] = "\\DosDevices\\";
  if (symbolic.rfind("\\??\\", 0) == 0 && symbolic.size() > 4) return "\\\\?\\" + symbolic.substr(4);
  if (symbolic.size() > sizeof kDosDevices - 1 && strncasecmp(symbolic.c_str(), kDosDevices, sizeof kDosDevices - 1) == 0)
    return "\\\\.\\" + symbolic.substr(sizeof kDosDevices - 1);
  return {};
}

bool deviceOpens(const char* key) {
  std::string symbolic;
  if (!ReadPnpText(WdmDeviceKeyPath(key), "SymbolicName", symbolic)) return false;
  const std::string path = devicePath(symbolic);
  if (path.empty()) return false;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

void deleteDeviceKey(const char* key) {
  HKEY devices = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWdmDevicesKey, 0, KEY_ALL_ACCESS, &devices) != ERROR_SUCCESS) return;
  RegDeleteKeyA(devices, key);
  RegCloseKey(devices);
}

// The values of the device's keys; -1 for each resource missing (or 0).
void readDevice(WdmDeviceRecord& r) {
  const std::string device = WdmDeviceKeyPath(r.deviceKey);
  std::string text;
  if (ReadPnpText(WdmClassKeyPath(r.deviceKey), "DriverDesc", text)) copyText(r.driverDesc, text);
  if (ReadPnpText(device, "DeviceName", text)) copyText(r.deviceName, text);
  r.boardId = ReadPnpText(device, "BoardID", text) ? static_cast<int32_t>(std::strtoul(text.c_str(), nullptr, 16)) : -1;
  unsigned first = 0, last = 0;
  const int parsed = ReadPnpText(device, "IoAddress", text) ? std::sscanf(text.c_str(), "%x - %x", &first, &last) : 0;
  r.ioFirst = parsed >= 1 && first != 0 ? static_cast<int32_t>(first) : -1;
  r.ioLast = parsed == 2 && first != 0 ? static_cast<int32_t>(last) : -1;
  const long irq = ReadPnpText(device, "Irq", text) ? std::strtol(text.c_str(), nullptr, 10) : 0;
  r.irq = irq != 0 ? static_cast<int32_t>(irq) : -1;
}

// Halvik opens a device by its name in capitals and compares names byte
// for byte, so names are told apart here without regard to case, and a
// made-up name is made in capitals.
bool nameTaken(const WdmList& list, const char* name) {
  for (uint32_t i = 0; i < list.count; ++i) {
    if (list.records[i].deviceKey[0] != '\0' && strcasecmp(list.records[i].deviceName, name) == 0) return true;
  }
  return false;
}

void makeUpName(const WdmList& list, WdmDeviceRecord& r) {
  for (int n = 0; n < kMadeUpNames; ++n) {
    char name[8];
    std::snprintf(name, sizeof name, "XAN%03d", n);
    if (!nameTaken(list, name)) {
      copyText(r.deviceName, name);
      return;
    }
  }
}

bool writeDeviceName(const std::string& keyPath, const char* name) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  const bool ok = RegSetValueExA(key, "DeviceName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                                 static_cast<DWORD>(std::strlen(name) + 1)) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

}  // namespace

const char* WdmClassKey() { return GetOsGeneration() >= kOsNt5 ? kWdmClassKeyNt : kWdmClassKeyOther; }

int32_t LoadWdmAnalogList(void* list) {
  if (list == nullptr) return kDnkBadArgument;
  auto& out = *static_cast<WdmList*>(list);
  std::memset(&out, 0, sizeof out);
  auto work = std::make_unique<WdmList>();
  for (const std::string& key : PnpSubkeys(kWdmDevicesKey, kLongestKey)) {
    if (work->count == kListRecords) break;
    copyText(work->records[work->count++].deviceKey, key);
  }
  for (uint32_t i = 0; i < work->count; ++i) {
    WdmDeviceRecord& r = work->records[i];
    if (deviceOpens(r.deviceKey)) continue;
    deleteDeviceKey(r.deviceKey);
    r.deviceKey[0] = '\0';
  }
  for (uint32_t i = 0; i < work->count; ++i) {
    if (work->records[i].deviceKey[0] != '\0') readDevice(work->records[i]);
  }
  int32_t result = kDnkOk;
  for (uint32_t i = 0; i < work->count; ++i) {
    WdmDeviceRecord& r = work->records[i];
    if (r.deviceKey[0] == '\0' || r.deviceName[0] != '\0') continue;
    std::string text;
    if (ReadPnpText(WdmClassKeyPath(r.deviceKey), "DeviceName", text) && !text.empty()) copyText(r.deviceName, text);
    else makeUpName(*work, r);
    result = kDnkMadeUpDeviceName;
  }
  for (uint32_t i = 0; i < work->count; ++i) {
    if (work->records[i].deviceKey[0] != '\0') out.records[out.count++] = work->records[i];
  }
  return result;
}

int32_t CheckWdmDeviceList(const void* list) {
  if (list == nullptr) return kDnkBadArgument;
  const auto& in = *static_cast<const WdmList*>(list);
  if (in.count > kListRecords) return kDnkBadArgument;
  for (uint32_t i = 0; i < in.count; ++i) {
    if (in.records[i].deviceName[0] == '\0') return kEmptyName;
    for (uint32_t j = 0; j < in.count; ++j) {
      if (j != i && strncasecmp(in.records[i].deviceName, in.records[j].deviceName, kLongestKey) == 0)
        return kSharedName;
    }
  }
  return 0;
}

// The names are written in one step: two devices never share a name, and
// a device's two keys never disagree, even when the process ends midway.
int32_t SaveWdmAnalogList(const void* list) {
  if (const int32_t check = CheckWdmDeviceList(list)) return check;
  const auto& in = *static_cast<const WdmList*>(list);
  plat::RegistryTransaction change;
  if (change.status() != ERROR_SUCCESS) return kDnkWriteFailed;
  bool ok = true;
  for (uint32_t i = 0; i < in.count; ++i) {
    const WdmDeviceRecord& r = in.records[i];
    if (r.deviceKey[0] == '\0') continue;
    char key[kLongestKey], name[kLongestKey];
    copyText(key, std::string(r.deviceKey, strnlen(r.deviceKey, kLongestKey)));
    copyText(name, std::string(r.deviceName, strnlen(r.deviceName, kLongestKey)));
    ok = writeDeviceName(WdmDeviceKeyPath(key), name) && ok;
    ok = writeDeviceName(WdmClassKeyPath(key), name) && ok;
  }
  return ok && change.commit() == ERROR_SUCCESS ? kDnkOk : kDnkWriteFailed;
}

}  // namespace tarnix
