#include "installer.h"

#include <platform/registry_key.h>
#include <winreg.h>

#include <cstdio>
#include <utility>

namespace halviksim {

namespace {

using plat::SetRegistryNumber;
using plat::SetRegistryText;

// Creates the first subkey "NNNN" not yet taken.
std::string createSubkey(plat::RegistryKey& key) {
  plat::RegistryKey classKey;
  if (!classKey.create(HKEY_LOCAL_MACHINE, kClassKey)) return {};
  for (unsigned n = 0; n < 10000; ++n) {
    char name[8];
    std::snprintf(name, sizeof name, "%04u", n);
    DWORD disposition = 0;
    plat::RegistryKey sub;
    if (!sub.create(classKey.get(), name, &disposition)) return {};
    if (disposition == REG_CREATED_NEW_KEY) {
      key = std::move(sub);
      return name;
    }
  }
  return {};
}

bool writeCommon(HKEY key, const DeviceEntry& e, DWORD category) {
  const bool kernel = e.busKind != 10 && e.busKind != 3;
  const std::string symbolic =
      !e.symbolicName.empty() ? e.symbolicName : kernel ? "\\DosDevices\\" + e.deviceName : e.deviceName;
  return SetRegistryNumber(key, "CategoryType", category) && SetRegistryText(key, "DeviceName", e.deviceName) &&
         SetRegistryText(key, "DriverDesc", "Xan " + e.model) && SetRegistryText(key, "SymbolicName", symbolic) &&
         SetRegistryText(key, "DeviceID", std::to_string(e.deviceId)) &&
         SetRegistryText(key, "ModuleID", e.moduleId) && SetRegistryNumber(key, "DeviceType", e.busKind) &&
         SetRegistryText(key, "FelnDeviceID", e.felnDeviceId) &&
         SetRegistryText(key, "BoardID", std::to_string(e.boardId));
}

std::string systemFolder() {
  char folder[MAX_PATH] = {};
  GetSystemDirectoryA(folder, sizeof folder);
  return folder;
}

// A placeholder file and its version sidecar.
bool writeVersioned(const std::string& path, const std::string& version, const std::string& translation) {
  const std::string sidecar = "Translation=" + translation + "\nFileVersion=" + version + "\nProductVersion=" +
                              version + "\n";
  for (const auto& [file, text] : {std::pair{path, std::string("placeholder\n")}, std::pair{path + ".version", sidecar}}) {
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
    if (!ok || written != text.size()) return false;
  }
  return true;
}

}  // namespace

std::string InstallDevice(const DeviceEntry& entry) {
  plat::RegistryKey key;
  std::string name = createSubkey(key);
  if (name.empty() || !writeCommon(key.get(), entry, 2)) return {};
  return name;
}

std::string InstallUnit(const UnitEntry& entry) {
  plat::RegistryKey key;
  std::string name = createSubkey(key);
  if (name.empty() || !writeCommon(key.get(), entry.unit, 8)) return {};
  for (const UnitModule& m : entry.modules) {
    char suffix[4];
    std::snprintf(suffix, sizeof suffix, "%X", m.index & 7);
    if (!SetRegistryNumber(key.get(), (std::string("CategoryType") + suffix).c_str(), 2) ||
        !SetRegistryText(key.get(), (std::string("DeviceName") + suffix).c_str(), m.deviceName) ||
        !SetRegistryText(key.get(), (std::string("ModuleType") + suffix).c_str(), m.model)) {
      return {};
    }
  }
  return name;
}

std::string InstallDebugSwitch() {
  plat::RegistryKey key;
  std::string name = createSubkey(key);
  if (name.empty() || !SetRegistryNumber(key.get(), "CategoryType", 0) ||
      !SetRegistryText(key.get(), "DeviceName", "HALVIKDEBUG")) {
    return {};
  }
  return name;
}

bool RemoveDevices() {
  const LONG status = RegDeleteTreeA(HKEY_LOCAL_MACHINE, kClassKey);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool InstallVersionFiles(const VersionFiles& files) {
  const std::string system = systemFolder();
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, sizeof windows);
  CreateDirectoryA(windows, nullptr);
  CreateDirectoryA(system.c_str(), nullptr);
  CreateDirectoryA((system + "\\drivers").c_str(), nullptr);
  return writeVersioned(system + "\\drivers\\halvik.sys", files.driverVersion, files.translation) &&
         writeVersioned(system + "\\halvik.dll", files.libraryVersion, files.translation);
}

bool RemoveVersionFiles() {
  const std::string system = systemFolder();
  bool ok = true;
  for (const std::string& file : {system + "\\drivers\\halvik.sys", system + "\\halvik.dll"}) {
    for (const std::string& path : {file, file + ".version"}) {
      ok = (DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) && ok;
    }
  }
  return ok;
}

}  // namespace halviksim
