#include "trace_log_switch.h"

#include <cstring>

#include "device_class_key.h"
#include "trace_log.h"

namespace halvik {

namespace {

constexpr DWORD kSubkeyNameSize = 17;  // names up to 16 characters
constexpr DWORD kValueNameSize = 101;
constexpr DWORD kValueDataSize = 512;

bool marksDebug(HKEY key) {
  for (DWORD i = 0;; ++i) {
    char name[kValueNameSize] = {};
    char data[kValueDataSize + 1] = {};
    DWORD nameSize = kValueNameSize, dataSize = kValueDataSize, type = 0;
    LONG rc = RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) return false;
    if (std::strcmp(name, "DeviceName") == 0 && std::strstr(data, "HALVIKDEBUG") != nullptr) return true;
  }
}

// 1 marked, 0 not marked, -1 no class key.
int scan() {
  RegKey classKey(OpenDeviceClassKey(true));
  if (!classKey) return -1;
  for (DWORD i = 0;; ++i) {
    char name[kSubkeyNameSize] = {};
    DWORD nameSize = kSubkeyNameSize;
    if (RegEnumKeyExA(classKey.get(), i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      return 0;
    HKEY raw = nullptr;
    if (RegOpenKeyExA(classKey.get(), name, 0, KEY_READ, &raw) != ERROR_SUCCESS) return 0;
    RegKey subkey(raw);
    if (marksDebug(subkey.get())) return 1;
  }
}

}  // namespace

int OpenDebugLog(int16_t flushThreadOn, DWORD periodMs) {
  int marked = scan();
  if (marked < 0) return 1;
  if (marked == 0) return 0;
  return StartDebugLog(flushThreadOn, periodMs);
}

}  // namespace halvik
