// Process attach and detach of the shared library.
#include <platform/dllmain.h>

#include "library.h"

namespace {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    skorra::library();
  } else if (reason == DLL_PROCESS_DETACH) {
    // Every slot, 1..255: each open device is closed, which ends its worker
    // cooperatively and waits for it.
    skorra::closeAllDevices();
  }
  return TRUE;
}

}  // namespace

ORVANE_DLLMAIN(DllMain)
