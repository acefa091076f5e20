// Binding of the two sibling libraries. Every entry starts as its stub, so a
// request made before the binding (or without the library) fails cleanly:
// opens give an invalid handle, everything else 10002.
#include <windows.h>

#include "transport.h"

namespace halvik {
namespace {

using namespace halvikdrv;

HANDLE WINAPI stubVmOpen(DWORD, const char*, const char*) { return INVALID_HANDLE_VALUE; }
HANDLE WINAPI stubKelbusOpen(DWORD, const char*, WORD) { return INVALID_HANDLE_VALUE; }
HANDLE WINAPI stubKelbusOpenEx(DWORD, const char*, WORD, LONG) { return INVALID_HANDLE_VALUE; }
HANDLE WINAPI stubKelbusOpenEx2(DWORD, DWORD, DWORD) { return INVALID_HANDLE_VALUE; }
DWORD WINAPI stubClose(DWORD, HANDLE) { return kStatusDriverCall; }
DWORD WINAPI stubIoControl(DWORD, HANDLE, DWORD, void*, DWORD, void*, DWORD, DWORD*, OVERLAPPED*) {
  return kStatusDriverCall;
}
DWORD WINAPI stubControlTransfer(DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD) {
  return kStatusDriverCall;
}
DWORD WINAPI stubFirmDownload(DWORD, DWORD, DWORD, DWORD) { return kStatusDriverCall; }
DWORD WINAPI stubDeviceInfo(DWORD, HANDLE, DWORD, DWORD*, WORD*, void*) { return kStatusDriverCall; }

const BusEntries kStubs = {stubVmOpen,          stubClose,        stubIoControl,     stubKelbusOpen,
                           stubKelbusOpenEx,    stubKelbusOpenEx2, stubClose,         stubIoControl,
                           stubControlTransfer, stubFirmDownload, stubDeviceInfo};
BusEntries g_bus = kStubs;
bool g_busFound = false;

// The entry by name, or the stub when the module or the name is missing.
template <class Proc>
Proc entry(HMODULE module, const char* name, Proc stub) {
  FARPROC found = module != nullptr ? GetProcAddress(module, name) : nullptr;
  return found != nullptr ? reinterpret_cast<Proc>(found) : stub;
}

}  // namespace

BusEntries& Bus() { return g_bus; }

const BusEntries& StubBus() { return kStubs; }

bool BusLibraryFound() { return g_busFound; }

void BindBusLibrary() {
  HMODULE module = GetModuleHandleA("Kelbus.dll");
  if (module == nullptr) module = LoadLibraryA("Kelbus.dll");
  g_busFound = module != nullptr;
  g_bus.KelbusOpenHandle = entry(module, "KelbusOpenHandle", stubKelbusOpen);
  g_bus.KelbusOpenHandleEx = entry(module, "KelbusOpenHandleEx", stubKelbusOpenEx);
  g_bus.KelbusOpenHandleEx2 = entry(module, "KelbusOpenHandleEx2", stubKelbusOpenEx2);
  g_bus.KelbusCloseHandle = entry(module, "KelbusCloseHandle", stubClose);
  g_bus.KelbusIoControl = entry(module, "KelbusIoControl", stubIoControl);
  g_bus.KelbusIoCtlControlTransfer = entry(module, "KelbusIoCtlControlTransfer", stubControlTransfer);
  g_bus.KelbusEzFirmDownload = entry(module, "KelbusEzFirmDownload", stubFirmDownload);
  g_bus.KelbusGetDeviceInfo = entry(module, "KelbusGetDeviceInfo", stubDeviceInfo);
}

void BindVirtualDeviceLibrary() {
  HMODULE module = LoadLibraryA("HalvikVm.dll");
  g_bus.HalvikVmOpenHandle = entry(module, "HalvikVmOpenHandle", stubVmOpen);
  g_bus.HalvikVmCloseHandle = entry(module, "HalvikVmCloseHandle", stubClose);
  g_bus.HalvikVmIoControl = entry(module, "HalvikVmIoControl", stubIoControl);
}

}  // namespace halvik
