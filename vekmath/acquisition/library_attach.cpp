// What the library does when a process loads and unloads it.
#include <windows.h>

#include <platform/dllmain.h>

#include "acquisition/library_lifecycle.h"
#include "backends/ni/ni_binding.h"
#include "drawing/wave_graph.h"

namespace vekmath {

void attachLibrary() {
  // NI-DAQmx is optional: without it the library works until an NI board
  // type is configured. LoadLibraryA asks nothing of the user when it is
  // missing.
  NiDaqmxBinding& ni = niDaqmx();
  HMODULE module = LoadLibraryA(kNiLibraryName);
  if (module == nullptr) return;
  for (std::size_t i = 0; i < static_cast<std::size_t>(NiEntry::Count); ++i) {
    ni.entries[i].store(GetProcAddress(module, kNiEntryNames[i]));
  }
  ni.module.store(module);
}

void detachLibrary() {
  // At process exit the window may be gone, so no redraw, and a thread that
  // does not end in time is left rather than waited for without end.
  if (stopAcquisition(kDetachJoinMs, false)) closeAcquisition(kDetachJoinMs);
  releaseWaveGraph();
  NiDaqmxBinding& ni = niDaqmx();
  for (auto& entry : ni.entries) entry.store(nullptr);
  if (HMODULE module = ni.module.exchange(nullptr)) FreeLibrary(module);
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
