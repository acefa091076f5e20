// Process attach and detach of the shared library.
#include <platform/dllmain.h>

#include "library_state.h"

namespace {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) halvik::AttachLibrary(instance);
  if (reason == DLL_PROCESS_DETACH) halvik::DetachLibrary();
  return TRUE;
}

}  // namespace

ORVANE_DLLMAIN(DllMain)
