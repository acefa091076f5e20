#include "generation.h"

#include <windows.h>

namespace tarnix {

// The platform's reported version, read at every call so that a changed
// setting takes effect at once: the 9x family, NT 4, or anything later.
uint32_t ConfigGeneration() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return kOsNt5;
  if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) return kOsWin9x;
  return version.dwMajorVersion <= 4 ? kOsNt4 : kOsNt5;
}

}  // namespace tarnix
