// The machine, the Windows version, the installed drivers and file times.
#include <tarnix.h>

#include "library_state.h"
#include "system/system_info.h"

LONG WINAPI DnkConfigIsDriverExist(int32_t kind, int32_t* drivers) {  // 25
  return tarnix::ListInstalledDrivers(kind, drivers);
}

LONG DnkConfigGetMachine(void) { return tarnix::GetMachineType(); }  // 26

LONG WINAPI DnkConfigSetMachine(int32_t machineType) { return tarnix::SetMachineType(machineType); }  // 27

// Windows 9x is told apart further: 95 has minor version 0, 98 and Me more.
LONG DnkConfigGetOsVersion(void) {  // 43
  constexpr LONG kWindows95 = 1, kWindows98 = 0x10;
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return static_cast<LONG>(tarnix::GetOsGeneration());
  if (info.dwPlatformId != VER_PLATFORM_WIN32_NT) return info.dwMinorVersion == 0 ? kWindows95 : kWindows98;
  return static_cast<LONG>(info.dwMajorVersion == 4 ? tarnix::kOsNt4 : tarnix::kOsNt5);
}

LONG WINAPI DnkConfigSetBoardCheckMode(int32_t mode) {  // 45
  tarnix::Library().boardCheckMode = mode;
  return mode;
}

LONG WINAPI DnkConfigGetFileTime(const char* path, uint16_t* year, uint16_t* month, uint16_t* day, uint16_t* hour,
                                 uint16_t* minute, uint16_t* second) {  // 46
  return tarnix::GetFileDateTime(path, year, month, day, hour, minute, second);
}
