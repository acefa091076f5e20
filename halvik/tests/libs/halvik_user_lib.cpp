// A program's own library that links Halvik, as an application may load
// and unload it with the dynamic loader itself rather than by name.
#include <halvik.h>
#include <windows.h>

namespace {

// Set when the library's unload begins, before Halvik's detach.
struct UnloadSignal {
  HANDLE event = nullptr;
  ~UnloadSignal() {
    if (event != nullptr) SetEvent(event);
  }
} unloadSignal;

}  // namespace

// A call into Halvik, so that the library links it.
DLL_EXPORT LONG WINAPI HalvikUserOpen(const char* name, short* id) { return XanInit(name, id); }
DLL_EXPORT void WINAPI HalvikUserSignalUnload(HANDLE event) { unloadSignal.event = event; }
