// The table of registered devices and the opener that CreateFileA tries for
// "\\.\NAME".
#include <platform/device.h>

#include <cctype>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "kernel32/device_file.h"
#include "kernel32/device_names.h"

namespace plat {

namespace {

struct Registered {
  std::string name;  // as the driver wrote it
  PlatDeviceDriver* driver;
};

struct DeviceTable {
  std::mutex mutex;
  std::map<std::string, Registered> byFoldedName;
};

DeviceTable& devices() {
  static auto* table = new DeviceTable;  // lives through static destruction
  return *table;
}

std::string folded(const char* name) {
  std::string out(name);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool startsWithFolded(const char* text, const char* prefix) {
  for (; *prefix != '\0'; ++text, ++prefix) {
    if (std::tolower(static_cast<unsigned char>(*text)) != *prefix) return false;
  }
  return true;
}

// Devices of kernel drivers appear once the kernel layer has started the
// auto-start drivers; a process does that at its first open of a name no
// driver has registered yet.
bool startKernelDriversOnce() {
  static std::once_flag once;
  bool ran = false;
  std::call_once(once, [&] {
    ran = true;
    HMODULE kernel = LoadLibraryA("ntkrnl");
    if (kernel == nullptr) return;
    using Start = ULONG (*)();
    if (auto start = reinterpret_cast<Start>(GetProcAddress(kernel, "NtkStartAutoStartDrivers"))) start();
  });
  return ran;
}

}  // namespace

const char* deviceNameOf(const char* path) {
  if (path == nullptr || path[0] != '\\' || path[1] != '\\' || (path[2] != '.' && path[2] != '?') ||
      path[3] != '\\') {
    return nullptr;
  }
  const char* name = path + 4;
  if (std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':') return nullptr;
  if (path[2] == '?' && startsWithFolded(name, "unc\\")) return nullptr;
  return name;
}

bool openRegisteredDevice(const char* name, DWORD access, DWORD share, DWORD flags, HANDLE& result) {
  Registered found{};
  {
    DeviceTable& table = devices();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.byFoldedName.find(folded(name));
    if (it == table.byFoldedName.end()) return false;
    found = it->second;
  }
  auto file = std::make_shared<DeviceFile>(found.driver, found.name, access, share, flags);
  if (found.driver->create != nullptr) {
    const LONG status = found.driver->create(file.get());
    if (!PLAT_NT_SUCCESS(status)) {
      SetLastError(PlatStatusToWin32Error(status));
      result = INVALID_HANDLE_VALUE;
      return true;
    }
  }
  result = insertHandle(file);
  file->handle = result;
  return true;
}

bool openDevice(const char* path, DWORD access, DWORD share, DWORD flags, HANDLE& result) {
  const char* name = deviceNameOf(path);
  if (name == nullptr) return false;
  if (openRegisteredDevice(name, access, share, flags, result)) return true;
  if (startKernelDriversOnce() && openRegisteredDevice(name, access, share, flags, result)) return true;
  if (comPortNumber(path) != 0 && openSerialPort(path, access, flags, result)) return true;
  SetLastError(ERROR_FILE_NOT_FOUND);
  result = INVALID_HANDLE_VALUE;
  return true;
}

}  // namespace plat

PLATFORM_API BOOL PlatRegisterDevice(const char* name, PlatDeviceDriver* driver) {
  if (name == nullptr || *name == '\0' || driver == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  plat::DeviceTable& table = plat::devices();
  std::lock_guard<std::mutex> lock(table.mutex);
  if (!table.byFoldedName.emplace(plat::folded(name), plat::Registered{name, driver}).second) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  return TRUE;
}

PLATFORM_API BOOL PlatUnregisterDevice(const char* name) {
  if (name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  plat::DeviceTable& table = plat::devices();
  std::lock_guard<std::mutex> lock(table.mutex);
  if (table.byFoldedName.erase(plat::folded(name)) == 0) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  return TRUE;
}
