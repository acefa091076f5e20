// Version texts: a file's product version, else the time of day of its last
// write, of a kind's library or driver, or of the calling program.
#include <tarnix.h>

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "system/system_info.h"

namespace {

// The library of each kind, in the system folder.
struct KindLibrary {
  int32_t kind;
  const char* file;
};
constexpr KindLibrary kLibraries[] = {
    {1, "Serdel.dll"}, {2, "Morvel.dll"}, {3, "Digdel.dll"}, {4, "Gpidel.dll"},
    {5, "Cntdel.dll"}, {6, "Stpdel.dll"}, {9, "Halvik.dll"}, {10, "Moddel.dll"},
};
// The COM-port driver: the USB serial unit's VxD is asked first under
// Windows 9x; NT has one driver file.
constexpr const char* kUsbUnitVxd = "Comdelus.VXD";
constexpr const char* kComPortVxd = "Comdel.VXD";
constexpr const char* kComPortSys = "Comdel.SYS";
constexpr int32_t kCallingProgram = 100;
constexpr const char* kProgramEnding = "config.exe";

// 0 and the text, or 10 when the file cannot be opened.
LONG versionOfFile(const std::string& path, char* text) {
  if (tarnix::GetProductVersionText(path.c_str(), text) == 0) return kDnkOk;
  uint16_t hour = 0, minute = 0;
  if (tarnix::GetFileDateTime(path.c_str(), nullptr, nullptr, nullptr, &hour, &minute, nullptr) != 0) {
    return kDnkNoVersion;
  }
  std::snprintf(text, 256, "%d.%02d", hour, minute);
  return kDnkOk;
}

std::string systemFolder() {
  char folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(folder, sizeof folder);
  return length > 0 && length < sizeof folder ? std::string(folder) : std::string();
}

// The program's own file from its command line: less a leading quote, cut
// after the program ending in any letter case; a line without that ending
// ends at its closing quote, or at its first blank when unquoted.
std::string callingProgram() {
  std::string line = GetCommandLineA();
  const bool quoted = !line.empty() && line[0] == '"';
  if (quoted) line.erase(0, 1);
  const std::size_t ending = std::strlen(kProgramEnding);
  for (std::size_t at = 0; at + ending <= line.size(); ++at) {
    if (strncasecmp(line.c_str() + at, kProgramEnding, ending) == 0) return line.substr(0, at + ending);
  }
  return line.substr(0, line.find(quoted ? '"' : ' '));
}

}  // namespace

LONG WINAPI DnkConfigGetDnkVersion(int32_t kind, char* text) {  // 38
  if (text == nullptr) return kDnkBadArgument;
  if (kind == kCallingProgram) return versionOfFile(callingProgram(), text);
  const std::string folder = systemFolder() + "\\";
  if (kind == 7) {
    if (!tarnix::IsWin9x(tarnix::GetOsGeneration())) return versionOfFile(folder + "Drivers\\" + kComPortSys, text);
    if (versionOfFile(folder + kUsbUnitVxd, text) == kDnkOk) return kDnkOk;
    return versionOfFile(folder + kComPortVxd, text);
  }
  for (const KindLibrary& library : kLibraries) {
    if (library.kind == kind) return versionOfFile(folder + library.file, text);
  }
  return kDnkBadArgument;
}

LONG WINAPI DnkConfigGetFileVersion(const char* path, char* text) {  // 39
  if (text == nullptr) return kDnkBadArgument;
  if (path == nullptr) return kDnkNoVersion;
  return versionOfFile(path, text);
}
