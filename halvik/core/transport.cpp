// The three roads: a kernel request, a sibling command, and the ownership
// check that every state-changing export makes on whichever road it has.
#include "transport.h"

#include <cstring>

#include "library_state.h"
#include "trace_log.h"

namespace halvik {

using namespace halvikdrv;

namespace {

// The bus kind travels zero-extended.
DWORD busKindOf(const DeviceRecord& record) { return static_cast<uint16_t>(record.BusKind); }

BusIoControlProc ioControlOf(const DeviceRecord& record) {
  return RoadOf(record) == Road::Virtual ? Bus().HalvikVmIoControl : Bus().KelbusIoControl;
}

LONG statusAt(const void* block, std::size_t offset) {
  int32_t status;
  std::memcpy(&status, static_cast<const unsigned char*>(block) + offset, sizeof status);
  return status;
}

LONG traced(LONG status) {
  if (status != 0) WriteDebugLog("CheckMultiProcess :Ret=%d\r\n", status);
  return status;
}

}  // namespace

Road RoadOf(const DeviceRecord& record) {
  if (record.BusKind == kBusVirtual) return Road::Virtual;
  if (record.BusKind == kBusAttached) return Road::Attached;
  return Road::Kernel;
}

LONG SendKernel(const DeviceRecord& record, DWORD code, void* block, DWORD size, std::size_t statusOffset) {
  DWORD returned = 0;
  if (!DeviceIoControl(record.Handle, code, block, size, block, size, &returned, nullptr)) {
    (void)GetLastError();  // whatever the system says, the caller sees 10002
    return kStatusDriverCall;
  }
  return statusAt(block, statusOffset);
}

LONG SendCommand(const DeviceRecord& record, WORD command, void* record_bytes, DWORD size, bool callFailure10002) {
  DWORD returned = 0;
  DWORD result = ioControlOf(record)(busKindOf(record), record.Handle, command, record_bytes, size, record_bytes,
                                     size, &returned, nullptr);
  if (result != 0) return callFailure10002 ? kStatusDriverCall : static_cast<LONG>(result);
  return statusAt(record_bytes, 0);
}

LONG CheckMultiProcess(uint16_t index) {
  const DeviceRecord& record = DeviceTable()[index];
  WireRecord<kOwnershipRecordSize> ownership;
  ownership.put<int32_t>(4, static_cast<int32_t>(Library().processId));
  if (RoadOf(record) == Road::Kernel) {
    LONG status = SendKernel(record, kOwnership, ownership.data(), ownership.size(), 0);
    return traced(status);
  }
  return traced(SendCommand(record, kCmdOwnership, ownership.data(), ownership.size()));
}

}  // namespace halvik
