// The entries of the virtual-device library; the simulated devices answer.
#include <outside/halvikdrv.h>

#include <bus_road.h>

extern "C" {

DLL_EXPORT HANDLE WINAPI HalvikVmOpenHandle(DWORD busKind, const char* devicePath, const char* moduleText) {
  (void)moduleText;
  return halviksim::OpenBusHandle(busKind, devicePath, -1);
}

DLL_EXPORT DWORD WINAPI HalvikVmCloseHandle(DWORD busKind, HANDLE handle) {
  return halviksim::CloseBusHandle(busKind, handle);
}

DLL_EXPORT DWORD WINAPI HalvikVmIoControl(DWORD busKind, HANDLE handle, DWORD command, void* in, DWORD inLength,
                                          void* out, DWORD outLength, DWORD* returned, OVERLAPPED* overlapped) {
  return halviksim::BusCommand(busKind, handle, command, in, inLength, out, outLength, returned, overlapped);
}

}  // extern "C"

// The prototypes are the ones the library binds.
static_assert(std::is_same_v<decltype(&HalvikVmOpenHandle), halvikdrv::HalvikVmOpenHandleProc>);
static_assert(std::is_same_v<decltype(&HalvikVmCloseHandle), halvikdrv::BusCloseHandleProc>);
static_assert(std::is_same_v<decltype(&HalvikVmIoControl), halvikdrv::BusIoControlProc>);
