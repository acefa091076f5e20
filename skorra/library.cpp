#include "library.h"

namespace skorra {

Library::Library() {
  InitializeCriticalSection(&lock);
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (GetVersionExA(&version)) nt = (version.dwPlatformId - 1) == 1;
}

Library& library() {
  static Library* instance = new Library();
  return *instance;
}

int findDeviceNumber(HANDLE h) {
  if (h == INVALID_HANDLE_VALUE || h == kClosingHandle) return -1;
  Library& lib = library();
  for (int i = 0; i < kMaxDevices; ++i) {
    if (lib.slots[i].callerHandle.load() == h) return i + 1;
  }
  return -1;
}

void closeAllDevices() {
  Library& lib = library();
  for (int i = 0; i < kMaxDevices; ++i) {
    HANDLE h = lib.slots[i].callerHandle.load();
    if (h != INVALID_HANDLE_VALUE && h != kClosingHandle) SkClose(h);
  }
}

}  // namespace skorra
