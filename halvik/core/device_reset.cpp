// XanResetDevice: stopping whatever runs and resetting the device.
#include <halvik.h>

#include "device_buffer_step.h"
#include "device_record.h"
#include "export_frame.h"
#include "function_stop.h"
#include "library_state.h"
#include "transport.h"

using namespace halvik;

namespace {

LONG sendReset(const DeviceRecord& record, uint16_t index) {
  if (RoadOf(record) == Road::Kernel) {
    halvikdrv::DeviceBlock block;
    block.put<int32_t>(halvikdrv::dev::kProcessId, static_cast<int32_t>(Library().processId));
    block.put<int16_t>(halvikdrv::dev::kTableIndex, static_cast<int16_t>(index));
    return SendKernel(record, halvikdrv::kReset, block.data(), block.size(), halvikdrv::dev::kStatus);
  }
  halvikdrv::WireRecord<28> r;
  r.put<int32_t>(4, static_cast<int32_t>(Library().processId));
  r.put<int16_t>(12, static_cast<int16_t>(index));
  return SendCommand(record, halvikdrv::kCmdReset, r.data(), r.size(), true);
}

}  // namespace

DLL_EXPORT LONG WINAPI XanResetDevice(short Id) {
  ExportFrame frame("XanResetDevice");
  frame.start("Id=%d", Id);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (LONG owner = frame.ownership()) return owner;
  DeviceRecord& record = frame.record();
  if (LONG status = StopRunningFunctions(record, StopPurpose::Reset)) return frame.end(status);
  if (LONG status = sendReset(record, frame.index())) return frame.end(status);
  return frame.end(ApplyDeviceBufferMode(record));
}
