// Which drivers of a kind are installed, and the version of the first.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "library_state.h"
#include "system/system_info.h"
#include "tables/board_models.h"

namespace tarnix {
namespace {

// Windows 9x keeps drivers in the system folder, NT under its "drivers".
std::string driverFolder() {
  char system[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(system, sizeof system);
  if (length == 0 || length >= sizeof system) return {};
  return std::string(system) + (IsWin9x(GetOsGeneration()) ? "\\" : "\\drivers\\");
}

bool fileExists(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

bool isEndRow(const xanconfig::DriverFileRow& row) { return std::strcmp(row.fileName, xanconfig::kEndRow) == 0; }

// "2.05" gives 2 and 5; a text without a point gives its number twice.
uint32_t versionOfText(const char* text) {
  const char* point = std::strchr(text, '.');
  const int major = std::atoi(text);
  const int minor = point != nullptr ? std::atoi(point + 1) : major;
  return (static_cast<uint32_t>(major) & 0xFFFF) * 100 + (static_cast<uint32_t>(minor) & 0xFFFF);
}

}  // namespace

uint32_t GetDriverVersion(int32_t kind) {
  const std::string folder = driverFolder();
  for (const xanconfig::DriverFileRow& row : SelectDriverFileTable(kind)) {
    if (isEndRow(row)) break;
    const std::string path = folder + row.fileName;
    if (!fileExists(path)) continue;
    char text[256] = {};
    if (GetProductVersionText(path.c_str(), text) == 0) return versionOfText(text);
    // Without a version resource the time of day of the last write stands in.
    uint16_t hour = 0, minute = 0;
    GetFileDateTime(path.c_str(), nullptr, nullptr, nullptr, &hour, &minute, nullptr);
    return static_cast<uint32_t>(hour) * 100 + minute;
  }
  return 0;
}

int32_t ListInstalledDrivers(int32_t kind, int32_t* drivers) {
  const xanconfig::DriverFileTable table = SelectDriverFileTable(kind);
  if (table.empty()) return 0;
  const std::string folder = driverFolder();
  const bool onlyPresent = Library().boardCheckMode == 1;
  int32_t count = 0;
  for (const xanconfig::DriverFileRow& row : table) {
    if (isEndRow(row)) break;
    if (onlyPresent && !fileExists(folder + row.fileName)) continue;
    if (drivers != nullptr) drivers[count] = row.driverNumber;
    ++count;
  }
  return count;
}

}  // namespace tarnix
