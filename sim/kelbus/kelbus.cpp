// The entries of the bus library; the simulated devices answer.
#include <outside/halvikdrv.h>

#include <bus_road.h>

extern "C" {

DLL_EXPORT HANDLE WINAPI KelbusOpenHandle(DWORD busKind, const char* devicePath, WORD moduleId) {
  (void)moduleId;
  return halviksim::OpenBusHandle(busKind, devicePath, -1);
}

DLL_EXPORT HANDLE WINAPI KelbusOpenHandleEx(DWORD busKind, const char* devicePath, WORD moduleId, LONG moduleIndex) {
  (void)moduleId;
  return halviksim::OpenBusHandle(busKind, devicePath, moduleIndex < 0 ? -1 : moduleIndex);
}

// Serves no device of ours.
DLL_EXPORT HANDLE WINAPI KelbusOpenHandleEx2(DWORD, DWORD, DWORD) { return INVALID_HANDLE_VALUE; }

DLL_EXPORT DWORD WINAPI KelbusCloseHandle(DWORD busKind, HANDLE handle) {
  return halviksim::CloseBusHandle(busKind, handle);
}

DLL_EXPORT DWORD WINAPI KelbusIoControl(DWORD busKind, HANDLE handle, DWORD command, void* in, DWORD inLength,
                                        void* out, DWORD outLength, DWORD* returned, OVERLAPPED* overlapped) {
  return halviksim::BusCommand(busKind, handle, command, in, inLength, out, outLength, returned, overlapped);
}

// Firmware transfers have nothing to do on a simulated module.
DLL_EXPORT DWORD WINAPI KelbusIoCtlControlTransfer(DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                                                   DWORD) {
  return 0;
}

DLL_EXPORT DWORD WINAPI KelbusEzFirmDownload(DWORD, DWORD, DWORD, DWORD) { return 0; }

DLL_EXPORT DWORD WINAPI KelbusGetDeviceInfo(DWORD busKind, HANDLE handle, DWORD info, DWORD* first, WORD* second,
                                            void* reserved) {
  (void)reserved;
  return halviksim::BusDeviceInfo(busKind, handle, info, first, second);
}

}  // extern "C"

static_assert(std::is_same_v<decltype(&KelbusOpenHandle), halvikdrv::KelbusOpenHandleProc>);
static_assert(std::is_same_v<decltype(&KelbusOpenHandleEx), halvikdrv::KelbusOpenHandleExProc>);
static_assert(std::is_same_v<decltype(&KelbusOpenHandleEx2), halvikdrv::KelbusOpenHandleEx2Proc>);
static_assert(std::is_same_v<decltype(&KelbusCloseHandle), halvikdrv::BusCloseHandleProc>);
static_assert(std::is_same_v<decltype(&KelbusIoControl), halvikdrv::BusIoControlProc>);
static_assert(std::is_same_v<decltype(&KelbusIoCtlControlTransfer), halvikdrv::KelbusIoCtlControlTransferProc>);
static_assert(std::is_same_v<decltype(&KelbusEzFirmDownload), halvikdrv::KelbusEzFirmDownloadProc>);
static_assert(std::is_same_v<decltype(&KelbusGetDeviceInfo), halvikdrv::KelbusGetDeviceInfoProc>);
