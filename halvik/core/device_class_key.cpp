#include "device_class_key.h"

#include <string>

namespace halvik {

const char* DeviceClassKeyName(bool trailingBackslash) {
  static const std::string ntSlash = std::string(kClassKeyNt) + "\\";
  static const std::string otherSlash = std::string(kClassKeyOther) + "\\";
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  bool nt = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
  if (trailingBackslash) return nt ? ntSlash.c_str() : otherSlash.c_str();
  return nt ? kClassKeyNt : kClassKeyOther;
}

HKEY OpenDeviceClassKey(bool trailingBackslash) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, DeviceClassKeyName(trailingBackslash), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

}  // namespace halvik
