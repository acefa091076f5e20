#include "trace_log_header.h"

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "version_check.h"

namespace halvik {

namespace {

void line(const TracePlaceFn& place, const char* format, ...) __attribute__((format(printf, 2, 3)));
void line(const TracePlaceFn& place, const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(text, sizeof text - 2, format, args);
  va_end(args);
  size_t len = n < 0 ? 0 : std::min(static_cast<size_t>(n), sizeof text - 3);
  text[len++] = '\r';
  text[len++] = '\n';
  place(std::string_view(text, len));
}

// "- <file> version     : <FileVersion>"; false when the file has no
// version data, which ends the header.
bool versionLine(const TracePlaceFn& place, const char* file, const std::string& path) {
  char version[256];
  if (GetFileVersionString(path.c_str(), version, sizeof version) != 0) return false;
  line(place, "- %s version     : %s", file, version);
  return true;
}

std::string folder(UINT (*WINAPI get)(LPSTR, UINT)) {
  char text[MAX_PATH] = {};
  UINT n = get(text, sizeof text);
  return n > 0 && n < sizeof text ? std::string(text) : std::string();
}

// The values shown of each registered device, with the blanks that line up
// their colons; the others are left out.
const struct {
  const char* name;
  const char* blanks;
  bool number;  // the 16-bit number of a DWORD
} kShownValues[] = {
    {"DeviceName", "   ", false}, {"SymbolicName", " ", false}, {"DeviceID", "     ", false},
    {"ModuleID", "     ", false}, {"DeviceType", "   ", true},   {"BoardID", "      ", false},
    {"BoardName", "    ", false}, {"FelnDeviceID", " ", false},
};

void deviceValueLines(const TracePlaceFn& place, HKEY device) {
  for (DWORD i = 0;; ++i) {
    char name[101];
    DWORD nameSize = sizeof name;
    BYTE data[513];
    DWORD dataSize = sizeof data - 1;
    DWORD type = 0;
    LONG rc = RegEnumValueA(device, i, name, &nameSize, nullptr, &type, data, &dataSize);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) return;
    data[std::min<DWORD>(dataSize, sizeof data - 1)] = '\0';
    for (const auto& shown : kShownValues) {
      if (std::string_view(name) != shown.name) continue;
      DWORD number = 0;
      if (type == REG_DWORD && dataSize >= sizeof number) std::memcpy(&number, data, sizeof number);
      if (shown.number) {
        line(place, "  %s%s: %d", name, shown.blanks, static_cast<int16_t>(number));
      } else if (type == REG_DWORD) {
        line(place, "  %s%s: %u", name, shown.blanks, static_cast<unsigned>(number));
      } else {
        line(place, "  %s%s: %s", name, shown.blanks, reinterpret_cast<const char*>(data));
      }
    }
  }
}

// Each subkey of the driver's device list with the values above, and an
// empty line after each.
void registryLines(const TracePlaceFn& place) {
  line(place, "%s", "- registry information : ");
  HKEY devices = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\HALVIK\\Devices\\", 0, KEY_READ,
                    &devices) != ERROR_SUCCESS) {
    return;
  }
  int shown = 0;
  for (DWORD i = 0;; ++i) {
    char name[17];
    DWORD nameSize = sizeof name;
    LONG rc = RegEnumKeyExA(devices, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) continue;  // a name longer than the list keeps
    if (rc != ERROR_SUCCESS) break;
    line(place, "  [Device %d]", ++shown);
    HKEY device = nullptr;
    if (RegOpenKeyExA(devices, name, 0, KEY_READ, &device) == ERROR_SUCCESS) {
      deviceValueLines(place, device);
      RegCloseKey(device);
    }
    line(place, "%s", "");
  }
  RegCloseKey(devices);
}

}  // namespace

void WriteTraceLogHeader(const char* fileName, const TracePlaceFn& place) {
  static const char kDashes[] = "--------------------------------------------------";
  line(place, "%s", kDashes);
  line(place, "- %s log file", "DN-ANA(WDM)");
  line(place, "- %s", "Halvik analog I/O library");
  line(place, "%s", kDashes);
  line(place, "%s", "");
  line(place, "- file name            : %s", fileName);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  line(place, "- file date            : %04d/%02d/%02d %02d:%02d:%02d", now.wYear, now.wMonth, now.wDay,
       now.wHour, now.wMinute, now.wSecond);
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  line(place, "- operating system     : %d.%d.%d", static_cast<int>(version.dwMajorVersion),
       static_cast<int>(version.dwMinorVersion), static_cast<int>(version.dwBuildNumber));
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  line(place, "- cpu                  : num=%d type=%d", static_cast<int>(info.dwNumberOfProcessors),
       static_cast<int>(info.dwProcessorType));
  if (!versionLine(place, "halvik.dll", folder(GetSystemDirectoryA) + "\\halvik.dll")) return;
  if (!versionLine(place, "halvik.sys", folder(GetWindowsDirectoryA) + "\\system32\\drivers\\halvik.sys")) return;
  registryLines(place);
}

}  // namespace halvik
