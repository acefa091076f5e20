// The three roads to a device: the kernel driver, the virtual device library
// (bus kind 10) and the bus library (bus kind 3), chosen by the record's
// BusKind. The sibling libraries are bound once at attach; an entry that is
// missing is replaced by a stub, so a missing library never fails the attach.
#pragma once
#include <windows.h>
#include <outside/halvikdrv.h>

#include <cstddef>
#include <cstdint>

#include "device_record.h"

namespace halvik {

inline constexpr LONG kStatusDriverCall = 10002;  // "XAN driver can't be called"

// The bound entries (stubs where missing).
struct BusEntries {
  halvikdrv::HalvikVmOpenHandleProc HalvikVmOpenHandle;
  halvikdrv::BusCloseHandleProc HalvikVmCloseHandle;
  halvikdrv::BusIoControlProc HalvikVmIoControl;
  halvikdrv::KelbusOpenHandleProc KelbusOpenHandle;
  halvikdrv::KelbusOpenHandleExProc KelbusOpenHandleEx;
  halvikdrv::KelbusOpenHandleEx2Proc KelbusOpenHandleEx2;
  halvikdrv::BusCloseHandleProc KelbusCloseHandle;
  halvikdrv::BusIoControlProc KelbusIoControl;
  halvikdrv::KelbusIoCtlControlTransferProc KelbusIoCtlControlTransfer;
  halvikdrv::KelbusEzFirmDownloadProc KelbusEzFirmDownload;
  halvikdrv::KelbusGetDeviceInfoProc KelbusGetDeviceInfo;
};
BusEntries& Bus();
// The entries every binding starts from, whatever is bound now.
const BusEntries& StubBus();
// Whether "Kelbus.dll" was found by the last binding.
bool BusLibraryFound();
void BindBusLibrary();
void BindVirtualDeviceLibrary();

enum class Road { Kernel, Virtual, Attached };
Road RoadOf(const DeviceRecord& record);

// A kernel request: the block is the input and the output. 10002 when the
// call fails (the system error is dropped), else the int32 status the
// driver left at statusOffset.
LONG SendKernel(const DeviceRecord& record, DWORD code, void* block, DWORD size, std::size_t statusOffset);

// A sibling command on the device's library (bus kind 10 or 3): a nonzero
// call result is returned as it stands (or as 10002 when callFailure10002),
// else the record's int32 status at 0.
LONG SendCommand(const DeviceRecord& record, WORD command, void* record_bytes, DWORD size,
                 bool callFailure10002 = false);

// The ownership check of every state-changing export: 0 when the device is
// free or held by this process, 20003 when another process holds it, 10002
// when the kernel driver cannot be called, or the sibling's result. Traces
// "CheckMultiProcess :Ret=%d" on a nonzero result.
LONG CheckMultiProcess(uint16_t index);

}  // namespace halvik
