#include "installer.h"

#include <winreg.h>

#include <cstdio>

namespace halviksim {

namespace {

// An open key for the length of a scope.
struct Key {
  HKEY handle = nullptr;
  ~Key() {
    if (handle != nullptr) RegCloseKey(handle);
  }
};

bool setText(HKEY key, const std::string& name, const std::string& text) {
  return RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool setNumber(HKEY key, const std::string& name, DWORD value) {
  return RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
         ERROR_SUCCESS;
}

// Creates the first subkey "NNNN" not yet taken.
std::string createSubkey(Key& key) {
  Key classKey;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kClassKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &classKey.handle,
                      nullptr) != ERROR_SUCCESS) {
    return {};
  }
  for (unsigned n = 0; n < 10000; ++n) {
    char name[8];
    std::snprintf(name, sizeof name, "%04u", n);
    DWORD disposition = 0;
    HKEY sub = nullptr;
    if (RegCreateKeyExA(classKey.handle, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, &disposition) !=
        ERROR_SUCCESS) {
      return {};
    }
    if (disposition == REG_CREATED_NEW_KEY) {
      key.handle = sub;
      return name;
    }
    RegCloseKey(sub);
  }
  return {};
}

bool writeCommon(HKEY key, const DeviceEntry& e, DWORD category) {
  const bool kernel = e.busKind != 10 && e.busKind != 3;
  const std::string symbolic =
      !e.symbolicName.empty() ? e.symbolicName : kernel ? "\\DosDevices\\" + e.deviceName : e.deviceName;
  return setNumber(key, "CategoryType", category) && setText(key, "DeviceName", e.deviceName) &&
         setText(key, "DriverDesc", "Xan " + e.model) && setText(key, "SymbolicName", symbolic) &&
         setText(key, "DeviceID", std::to_string(e.deviceId)) && setText(key, "ModuleID", e.moduleId) &&
         setNumber(key, "DeviceType", e.busKind) && setText(key, "FelnDeviceID", e.felnDeviceId) &&
         setText(key, "BoardID", std::to_string(e.boardId));
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
  Key key;
  std::string name = createSubkey(key);
  if (name.empty() || !writeCommon(key.handle, entry, 2)) return {};
  return name;
}

std::string InstallUnit(const UnitEntry& entry) {
  Key key;
  std::string name = createSubkey(key);
  if (name.empty() || !writeCommon(key.handle, entry.unit, 8)) return {};
  for (const UnitModule& m : entry.modules) {
    char suffix[4];
    std::snprintf(suffix, sizeof suffix, "%X", m.index & 7);
    if (!setNumber(key.handle, std::string("CategoryType") + suffix, 2) ||
        !setText(key.handle, std::string("DeviceName") + suffix, m.deviceName) ||
        !setText(key.handle, std::string("ModuleType") + suffix, m.model)) {
      return {};
    }
  }
  return name;
}

std::string InstallDebugSwitch() {
  Key key;
  std::string name = createSubkey(key);
  if (name.empty() || !setNumber(key.handle, "CategoryType", 0) || !setText(key.handle, "DeviceName", "HALVIKDEBUG")) {
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
