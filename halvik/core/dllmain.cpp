// Process attach and detach of the shared library.
#include <platform/dllmain.h>

#include "library_state.h"

namespace {

// The detach's third argument is set when the process ends.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) halvik::AttachLibrary(instance);
  if (reason == DLL_PROCESS_DETACH) halvik::DetachLibrary(reserved != nullptr);
  return TRUE;
}

}  // namespace

ORVANE_DLLMAIN(DllMain)
