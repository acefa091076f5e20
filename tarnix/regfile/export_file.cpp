// The REGEDIT4 export: the service keys of the kinds 1 to 7 for the running
// Windows family, then the configuration service's key, each with its whole
// tree but for "Enum" and "Security". Lines end in "\r\n" as the format
// wants, whatever the host's own line end.
#include <windows.h>

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "regfile/config_file.h"
#include "regfile/file_bytes.h"
#include "tables/board_models.h"

namespace tarnix {

namespace {

constexpr const char* kLineEnd = "\r\n";

struct Key {
  HKEY value = nullptr;
  ~Key() {
    if (value != nullptr) RegCloseKey(value);
  }
};

bool isLeftOut(const char* subkey) {
  return strcasecmp(subkey, "Enum") == 0 || strcasecmp(subkey, "Security") == 0;
}

std::string escaped(const char* text, std::size_t length) {
  std::string out;
  for (std::size_t i = 0; i < length && text[i] != '\0'; ++i) {
    if (text[i] == '\\' || text[i] == '"') out += '\\';
    out += text[i];
  }
  return out;
}

// The key's values as lines; false when the key has none at all (values of
// other types than text and number count but are not written).
bool valueLines(HKEY key, DWORD maxName, DWORD maxData, std::string& out) {
  std::vector<char> name(maxName + 1);
  std::vector<BYTE> data(maxData + 1);
  DWORD index = 0;
  for (;;) {
    DWORD nameLength = static_cast<DWORD>(name.size());
    DWORD dataSize = static_cast<DWORD>(data.size());
    DWORD type = 0;
    const LONG status = RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize);
    if (status == ERROR_MORE_DATA) {  // grown since the key was asked: again, with more room
      name.resize(name.size() * 2 + 256);
      data.resize(data.size() * 2 + 256);
      continue;
    }
    if (status != ERROR_SUCCESS) break;
    ++index;
    const std::string quotedName = "\"" + std::string(name.data(), nameLength) + "\"=";
    if (type == REG_SZ) {
      out += quotedName + "\"" + escaped(reinterpret_cast<const char*>(data.data()), dataSize) + "\"" + kLineEnd;
    } else if (type == REG_DWORD && dataSize == sizeof(DWORD)) {
      DWORD number = 0;
      std::memcpy(&number, data.data(), sizeof number);
      char digits[16];
      std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(number));
      out += quotedName + "dword:" + digits + kLineEnd;
    }
  }
  return index > 0;
}

void appendTree(const std::string& path, std::string& out) {
  Key key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &key.value) != ERROR_SUCCESS) return;
  DWORD maxSubkey = 0;
  DWORD maxName = 0;
  DWORD maxData = 0;
  if (RegQueryInfoKeyA(key.value, nullptr, nullptr, nullptr, nullptr, &maxSubkey, nullptr, nullptr, &maxName,
                       &maxData, nullptr, nullptr) != ERROR_SUCCESS) {
    return;
  }
  std::string values;
  if (valueLines(key.value, maxName, maxData, values)) {
    out += "[HKEY_LOCAL_MACHINE\\" + path + "]" + kLineEnd + values + kLineEnd;
  }
  std::vector<std::string> subkeys;
  std::vector<char> name(maxSubkey + 1);
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    if (RegEnumKeyExA(key.value, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (!isLeftOut(name.data())) subkeys.emplace_back(name.data(), length);
  }
  for (const std::string& subkey : subkeys) appendTree(path + "\\" + subkey, out);
}

}  // namespace

int32_t ExportConfigFile(const char* path) {
  if (path == nullptr || *path == '\0') return 1;
  std::string out = std::string("REGEDIT4") + kLineEnd + kLineEnd;
  for (int32_t kind = 1; kind <= 7; ++kind) {
    for (const xanconfig::DriverFileRow& row : SelectDriverFileTable(kind)) {
      if (std::strcmp(row.fileName, xanconfig::kEndRow) == 0) break;
      appendTree(std::string(xanconfig::kServicesKey) + "\\" + row.serviceName, out);
    }
  }
  appendTree(xanconfig::kConfigurationService.key, out);
  return WriteWholeFile(path, out) ? 0 : 4;
}

}  // namespace tarnix
