// What the library does when a process loads and unloads it.
#include <windows.h>

#include <platform/dllmain.h>

#include "acquisition/backend.h"
#include "acquisition/library_lifecycle.h"
#include "drawing/wave_graph.h"

namespace vekmath {

void attachLibrary() {
  for (int32_t i = 0; i < registeredBackEnds(); ++i) registeredBackEnd(i).attach();
}

void detachLibrary() {
  // At process exit the window may be gone, so no redraw, and a thread that
  // does not end in time is left rather than waited for without end.
  if (stopAcquisition(kDetachJoinMs, false)) closeAcquisition(kDetachJoinMs);
  releaseWaveGraph();
  for (int32_t i = 0; i < registeredBackEnds(); ++i) registeredBackEnd(i).detach();
  if (auto close = hooks().closeDebugOutput.load()) close();
}

}  // namespace vekmath

namespace {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) vekmath::attachLibrary();
  if (reason == DLL_PROCESS_DETACH) vekmath::detachLibrary();
  return TRUE;
}

}  // namespace

ORVANE_DLLMAIN(DllMain)
