#include "board_names.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>

namespace morvel {

namespace {

constexpr DWORD kValueLimit = 256;

struct Service {
  char name[20];
  int32_t deviceIndex;
};

// Ended by the row named "End".
const Service kServices[] = {
    {"Morvel00", 0},  {"Morvel01", 1},  {"Morvel02", 2},  {"Morvel03", 3},  {"Morvel04", 4},  {"Morvel05", 5},
    {"Morvel06", 6},  {"Morvel07", 7},  {"Morvel08", 8},  {"Morvel09", 9},  {"Morvel10", 10}, {"Morvel11", 11},
    {"Morvel12", 12}, {"Morvel13", 13}, {"Morvel14", 14}, {"Morvel15", 15}, {"Morvel16", 16}, {"Morvel17", 17},
    {"Morvel18", 18}, {"Morvel19", 19}, {"Morvel20", 20}, {"Morvel21", 21}, {"Morvel22", 22}, {"Morvel23", 23},
    {"Morvel24", 24}, {"Morvel25", 25}, {"Morvel26", 26}, {"Morvel27", 27}, {"Morvel28", 28}, {"Morvel29", 29},
    {"Morvel30", 30}, {"Morvel50", 50}, {"Morvel55", 55}, {"End", 0},
};

bool equalNoCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (std::toupper(static_cast<unsigned char>(*a)) != std::toupper(static_cast<unsigned char>(*b))) return false;
  }
  return *a == *b;
}

}  // namespace

long regReadValue(const char* keyPath, uint32_t wantedType, const char* valueName, char* text, uint32_t* number) {
  if (wantedType == REG_SZ && text != nullptr) text[0] = '\0';
  if (keyPath == nullptr || valueName == nullptr) return 1;
  if ((wantedType == REG_SZ && text == nullptr) || (wantedType == REG_DWORD && number == nullptr)) return 1;
  HKEY key = nullptr;
  LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key);
  if (status != ERROR_SUCCESS) return status;
  // One byte more than the largest accepted value, so that a text stored
  // without its terminator still ends inside the buffer.
  unsigned char buffer[kValueLimit + 1] = {};
  DWORD type = 0;
  DWORD size = kValueLimit;
  status = RegQueryValueExA(key, valueName, nullptr, &type, buffer, &size);
  RegCloseKey(key);
  if (status == ERROR_MORE_DATA) return 1;
  if (status != ERROR_SUCCESS) return status;
  if (type != wantedType || size > kValueLimit) return 1;
  if (wantedType == REG_SZ) {
    std::memcpy(text, buffer, kValueLimit + 1);
  } else {
    std::memcpy(number, buffer, sizeof *number);
  }
  return 0;
}

bool findBoardByName(const char* name, uint16_t& deviceIndex, uint16_t& group) {
  if (name == nullptr || name[0] == '\0') return false;
  for (const Service& service : kServices) {
    if (std::strcmp(service.name, "End") == 0) break;
    for (int k = 1; k <= 16; ++k) {
      char path[160];
      std::snprintf(path, sizeof path, "SYSTEM\\CurrentControlSet\\Services\\%.19s\\GroupNumber%d", service.name, k);
      char value[kValueLimit + 1];
      if (regReadValue(path, REG_SZ, "ObjectName", value, nullptr) == 0 && equalNoCase(name, value)) {
        deviceIndex = static_cast<uint16_t>(service.deviceIndex);
        group = static_cast<uint16_t>(k);
        return true;
      }
    }
  }
  return false;
}

}  // namespace morvel
