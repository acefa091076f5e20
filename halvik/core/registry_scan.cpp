// The registry scan that fills the device table once at attach.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "device_class_key.h"
#include "device_record.h"
#include "library_state.h"

namespace halvik {

namespace {

constexpr DWORD kKeyNameSize = 101;
constexpr DWORD kValueNameSize = 101;
constexpr DWORD kValueDataSize = 512;
constexpr int kUnitModules = 8;

// Copies a registry text into a field, cut to its width minus 1 and always
// terminated; the text may lack its own terminator.
template <size_t N>
void copyText(char (&field)[N], const char* text, size_t length) {
  size_t n = strnlen(text, length < N - 1 ? length : N - 1);
  std::memcpy(field, text, n);
  field[n] = '\0';
}

// The values that every record of a subkey shares.
struct CommonValues {
  char DevicePath[256] = {};
  char DeviceIdText[12] = {};
  char ModuleIdText[18] = {};
  char ModelName[256] = {};
  int16_t Id = -1;
  uint16_t ModuleId = 0;
  int16_t BusKind = 0;
  int16_t BoardId = 0;
  int32_t ModuleIndex = 0;
};

void takeValue(CommonValues& v, const char* name, DWORD type, const char* data, DWORD size) {
  // Texts are terminated inside the data buffer by the caller.
  if (std::strcmp(name, "SymbolicName") == 0) {
    SymbolicNameToDevicePath(data, v.DevicePath);
  } else if (std::strcmp(name, "DeviceID") == 0) {
    copyText(v.DeviceIdText, data, size);
    v.Id = static_cast<int16_t>(std::strtol(data, nullptr, 10));
  } else if (std::strcmp(name, "ModuleID") == 0) {
    copyText(v.ModuleIdText, data, size);
    v.ModuleId = static_cast<uint16_t>(std::strtoul(data, nullptr, 16));
  } else if (std::strcmp(name, "DeviceType") == 0) {
    uint32_t word = 0;
    if (type == REG_DWORD && size >= 4) std::memcpy(&word, data, 4);
    v.BusKind = static_cast<int16_t>(word & 0xFFFF);
  } else if (std::strcmp(name, "DriverDesc") == 0) {
    // The first four characters are the maker's prefix; a shorter text
    // holds no model name.
    size_t length = strnlen(data, size);
    if (length > 4) copyText(v.ModelName, data + 4, length - 4);
    else v.ModelName[0] = '\0';
  } else if (std::strcmp(name, "FelnDeviceID") == 0) {
    v.ModuleIndex = static_cast<int32_t>(std::strtoul(data, nullptr, 16));
  } else if (std::strcmp(name, "BoardID") == 0) {
    v.BoardId = static_cast<int16_t>(std::strtol(data, nullptr, 10));
  }
}

CommonValues readCommonValues(HKEY key) {
  CommonValues v;
  for (DWORD i = 0;; ++i) {
    char name[kValueNameSize] = {};
    char data[kValueDataSize + 1] = {};
    DWORD nameSize = kValueNameSize, dataSize = kValueDataSize, type = 0;
    LONG rc = RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
    if (rc == ERROR_MORE_DATA) continue;  // a name or text too long to be ours
    if (rc != ERROR_SUCCESS) break;
    takeValue(v, name, type, data, dataSize);
  }
  return v;
}

bool readDword(HKEY key, const char* name, DWORD* out) {
  DWORD type = 0, size = sizeof *out;
  return RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(out), &size) == ERROR_SUCCESS &&
         size == sizeof *out;
}

// Reads a text of any length and cuts it to the field.
template <size_t N>
void readText(HKEY key, const char* name, char (&field)[N]) {
  field[0] = '\0';
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size == 0) return;
  std::vector<char> data(size + 1, '\0');
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
    return;
  copyText(field, data.data(), size);
}

DeviceRecord& appendRecord(const CommonValues& v) {
  std::deque<DeviceRecord>& table = DeviceTable();
  DeviceRecord& r = table.emplace_back();
  r.ThreadParam = static_cast<uint16_t>(table.size() - 1);
  std::memcpy(r.DevicePath, v.DevicePath, sizeof r.DevicePath);
  std::memcpy(r.DeviceIdText, v.DeviceIdText, sizeof r.DeviceIdText);
  std::memcpy(r.ModuleIdText, v.ModuleIdText, sizeof r.ModuleIdText);
  std::memcpy(r.ModelName, v.ModelName, sizeof r.ModelName);
  r.Id = v.Id;
  r.ModuleId = v.ModuleId;
  r.BusKind = v.BusKind;
  r.BoardId = v.BoardId;
  r.ModuleIndex = v.ModuleIndex;
  return r;
}

void appendUnitModules(HKEY key, const CommonValues& v) {
  std::deque<DeviceRecord>& table = DeviceTable();
  const size_t first = table.size();
  const int unit = static_cast<int>(std::strtol(v.DeviceIdText, nullptr, 10));
  for (int i = 0; i < kUnitModules; ++i) {
    char name[24];
    DWORD category = 0;
    std::snprintf(name, sizeof name, "CategoryType%X", i);
    if (!readDword(key, name, &category) || category != 2) continue;
    DeviceRecord& r = appendRecord(v);
    std::snprintf(name, sizeof name, "DeviceName%X", i);
    readText(key, name, r.DeviceName);
    std::snprintf(name, sizeof name, "ModuleType%X", i);
    readText(key, name, r.ModuleType);
    std::memcpy(r.ModelName, r.ModuleType, sizeof r.ModelName);
    r.ModuleIndex = i;
    r.Id = static_cast<int16_t>(i | (((unit & 0x7F) | 0x100) << 4));
    if (table.size() - 1 > first) {
      const DeviceRecord& head = table[first];
      std::memcpy(r.DevicePath, head.DevicePath, sizeof r.DevicePath);
      r.UnitValue = head.UnitValue;
      r.BusKind = head.BusKind;
    }
  }
}

void scanSubkey(HKEY classKey, const char* subkeyName) {
  HKEY raw = nullptr;
  if (RegOpenKeyExA(classKey, subkeyName, 0, KEY_READ, &raw) != ERROR_SUCCESS) {
    appendRecord(CommonValues{});
    return;
  }
  RegKey key(raw);
  DWORD category = 0;
  readDword(key.get(), "CategoryType", &category);
  category &= 0xFFFF;
  if (category != 2 && category != 8) {
    appendRecord(CommonValues{});
    return;
  }
  CommonValues v = readCommonValues(key.get());
  if (category == 2) {
    readText(key.get(), "DeviceName", appendRecord(v).DeviceName);
  } else {
    appendUnitModules(key.get(), v);
  }
}

}  // namespace

int ScanRegisteredDevices() {
  RegKey classKey(OpenDeviceClassKey(false));
  if (!classKey) return 0;
  for (DWORD i = 0;; ++i) {
    char name[kKeyNameSize] = {};
    DWORD nameSize = kKeyNameSize;
    LONG rc = RegEnumKeyExA(classKey.get(), i, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) break;
    scanSubkey(classKey.get(), name);
  }
  return 1;
}

}  // namespace halvik
