// Where a device's samples go: its own memory, the host ring (device buffer
// mode 1), or a caller's buffer filled by bus-master transfer; and the
// memory size, which is the ring's size too.
#include <windows.h>
#include <outside/halvikdrv.h>

#include "ai_host_buffer.h"
#include "ai_host_ring.h"
#include "device_buffer_step.h"
#include "halvik.h"
#include "setting_rows.h"
#include "transport.h"

namespace halvik::airun {
namespace {

namespace drv = halvikdrv;
using namespace rows;

constexpr LONG kStatusBadMode = 12440;
constexpr LONG kStatusBusy = 20002;
constexpr int32_t kTransferDataMax = 0x1000000;

// Only the kernel driver keeps a memory size; both trace only failures.
constexpr Row kSetAiMemorySize{
    .name = "XanSetAiMemorySize",
    .tracing = ExportFrame::Tracing::Failures,
    .args = {{Kind::I32}},
    .checks = {below(0, 8, 11820)},
    .kernel = kernel(drv::kAiMemorySize, kAiFamily, 0,
                     {processId(drv::ai::kMemorySizeIn), put32(drv::ai::kMemorySizeOut, 0)}),
    .virtualDevice = refused(),
    .attached = refused(),
};
constexpr Row kGetAiMemorySize{
    .name = "XanGetAiMemorySize",
    .tracing = ExportFrame::Tracing::Failures,
    .args = {{Kind::OutI32}},
    .checks = {null(0, 11830)},
    .kernel = kernel(drv::kAiMemorySize, kAiFamily, 1, {processId(drv::ai::kMemorySizeIn)},
                     {get32(drv::ai::kMemorySizeOut, 0)}),
    .virtualDevice = command(drv::kCmdAiMemorySize, drv::rec::kAiFormESize, {const16(drv::rec::kAiFormEGetFlag, 1)},
                             {get32(drv::rec::kAiFormEValue, 0)}),
};

LONG sendBufferMode(const DeviceRecord& r, short mode) {
  drv::AiBlock b;
  b.put<int16_t>(drv::ai::kGetFlag, 0);
  b.put<int16_t>(drv::ai::kDeviceBufferMode, mode);
  if (LONG status = SendKernel(r, drv::kDeviceBufferMode, b.data(), b.size(), drv::ai::kStatus)) return status;
  if (LONG status = SendBufferRelease(r)) return status;
  drv::AiBlock t;
  t.put<int16_t>(drv::ai::kGetFlag, 0);
  t.put<int16_t>(drv::ai::kTransferMode, mode);
  t.put<int16_t>(drv::ai::kDeviceMemoryFlag, 1);
  return SendKernel(r, drv::kAiTransferMode, t.data(), t.size(), drv::ai::kStatus);
}

int32_t deviceBufferInfo(const DeviceRecord& r, LONG* status) {
  int32_t info = 0;  // zeroed wide enough for either width the table writes
  *status = XanGetDeviceInfo(BoardTableModelName(r), kInfoAiDeviceBuffer, &info, nullptr, nullptr);
  return static_cast<int16_t>(info);
}

bool running(const DeviceRecord& r) {
  drv::AiBlock b;
  b.put<int16_t>(drv::ai::kGetFlag, 1);
  if (SendKernel(r, drv::kAiStatus, b.data(), b.size(), drv::ai::kStatus) != 0) return false;
  return (b.get<int32_t>(drv::ai::kStatusBits) & drv::ai::kStatusRunning) != 0;
}

}  // namespace
}  // namespace halvik::airun

namespace halvik {
LONG ReleaseAiHostBuffer(DeviceRecord& record, uint16_t index) {
  if (RoadOf(record) != Road::Kernel) return 0;
  // A driver that does not give the buffer back has its request cancelled.
  if (airun::BufferHandedOver(index)) airun::SendBufferRelease(record);
  airun::FreeHostRing(record, index);
  airun::TakeBufferBack(record, index);
  return 0;
}
}  // namespace halvik

using namespace halvik;
using namespace halvik::airun;

DLL_EXPORT LONG WINAPI XanSetAiDeviceBufferMode(short Id, short AiBufferMode) {
  ExportFrame frame("XanSetAiDeviceBufferMode");
  frame.start("Id=%d, AiBufferMode=%d", Id, AiBufferMode);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (static_cast<uint16_t>(AiBufferMode) > 1) return frame.end(kStatusBadMode);
  DeviceRecord& r = frame.record();
  if (RoadOf(r) != Road::Kernel) return frame.end(airun::kStatusNotOnThisDevice);
  LONG status = 0;
  const int32_t info = deviceBufferInfo(r, &status);
  if (status != 0) return frame.end(status);
  if (AiBufferMode == 0 && info == 2) return frame.end(kStatusBadMode);
  if (LONG sent = sendBufferMode(r, AiBufferMode)) return frame.end(sent);
  if (AiBufferMode == 1) return frame.end(SetUpHostRing(r, frame.index()));
  FreeHostRing(r, frame.index());
  return frame.end(0);
}

// With a ring in use the ring takes the new size at once.
DLL_EXPORT LONG WINAPI XanSetAiMemorySize(short Id, LONG AiMemorySize) {
  const LONG size = AiMemorySize >= 8 ? AiMemorySize & ~7 : AiMemorySize;
  uint16_t index = 0;
  if (FindDeviceById(Id, &index) == 0 || !HostRingInUse(DeviceTable()[index])) {
    LONG status = rows::Run(kSetAiMemorySize, Id, {size});
    if (status == 0) SetHostRingSize(DeviceTable()[index], static_cast<uint32_t>(size));
    return status;
  }
  ExportFrame frame(kSetAiMemorySize.name, ExportFrame::Spacing::Tight, ExportFrame::Tracing::Failures);
  if (LONG status = rows::Front(frame, kSetAiMemorySize, Id, {size})) return status;
  DeviceRecord& r = frame.record();
  if (LONG status = SendBufferRelease(r)) return frame.end(status);
  FreeHostRing(r, frame.index());
  SetHostRingSize(r, static_cast<uint32_t>(size));
  return frame.end(SetUpHostRing(r, frame.index()));
}

DLL_EXPORT LONG WINAPI XanGetAiMemorySize(short Id, LONG* AiMemorySize) {
  return rows::Run(kGetAiMemorySize, Id, {AiMemorySize});
}

// The buffer stays the driver's until the transfer mode or the buffer is
// changed or the device is closed.
DLL_EXPORT LONG WINAPI XanSetAiTransferData(short Id, LONG DataNumber, LONG* Buffer) {
  ExportFrame frame("XanSetAiTransferData");
  frame.start("Id=%d, DataNumber=%d", Id, DataNumber);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (DataNumber < 1 || DataNumber > kTransferDataMax) return frame.end(11980);
  if (Buffer == nullptr) return frame.end(11981);
  if (LONG owner = frame.ownership()) return owner;
  DeviceRecord& r = frame.record();
  if (RoadOf(r) != Road::Kernel) return frame.end(airun::kStatusNotOnThisDevice);
  LONG status = 0;
  const int32_t info = deviceBufferInfo(r, &status);
  if (status == 0 && (info & 0x2) != 0 && running(r)) return frame.end(kStatusBusy);
  if (LONG released = SendBufferRelease(r)) return frame.end(released);
  FreeHostRing(r, frame.index());
  return frame.end(HandOverBuffer(r, frame.index(), Buffer, static_cast<uint32_t>(DataNumber)));
}
