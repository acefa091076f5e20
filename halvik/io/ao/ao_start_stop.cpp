// Starting and stopping the output, and the hand-shake with the device's
// event thread around both. Every wait is bounded: a thread that does not
// park in time makes a start busy and leaves a stop's result alone.
#include <windows.h>
#include <outside/halvikdrv.h>

#include "ao_event_thread.h"
#include "ao_state.h"
#include "event_worker.h"
#include "export_frame.h"
#include "halvik.h"
#include "transport.h"

namespace halvik::aoio {
namespace {

namespace drv = halvikdrv;

LONG sendStart(const DeviceRecord& r, uint16_t index) {
  switch (RoadOf(r)) {
    case Road::Kernel: {
      drv::AoBlock b;
      return SendKernel(r, drv::kAoStart, b.data(), b.size(), drv::ao::kStatus);
    }
    case Road::Virtual: {
      drv::WireRecord<8> c;
      c.put<int16_t>(drv::rec::kValue, static_cast<int16_t>(index));
      return SendCommand(r, drv::kCmdAoStart, c.data(), c.size());
    }
    case Road::Attached: {
      drv::WireRecord<4> c;
      return SendCommand(r, drv::kCmdAoStart, c.data(), c.size());
    }
  }
  return 0;
}

LONG sendStop(const DeviceRecord& r) {
  const int32_t byMessage = load(const_cast<DeviceRecord&>(r).NotifyKind[kSlotAo]) != 1 ? 1 : 0;
  if (RoadOf(r) == Road::Kernel) {
    drv::AoBlock b;
    b.put<int32_t>(drv::ao::kEventMask, byMessage);
    return SendKernel(r, drv::kAoStop, b.data(), b.size(), drv::ao::kStatus);
  }
  drv::WireRecord<8> c;
  c.put<int32_t>(drv::rec::kValue, byMessage);
  return SendCommand(r, drv::kCmdAoStop, c.data(), c.size());
}

LONG start(ExportFrame& frame) {
  if (LONG status = sendStart(frame.record(), frame.index()); status != 0) return status;
  return io::StartWorker(frame.index(), kSlotAo, AoWorkerFamily());
}

}  // namespace
}  // namespace halvik::aoio

using namespace halvik;
using namespace halvik::aoio;

DLL_EXPORT LONG WINAPI XanStartAo(short Id) {
  ExportFrame frame("XanStartAo");
  frame.start("Id=%d", Id);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (LONG owner = frame.ownership(); owner != 0) return owner;
  return frame.end(start(frame));
}

DLL_EXPORT LONG WINAPI XanStopAo(short Id) {
  ExportFrame frame("XanStopAo");
  frame.start("Id=%d", Id);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (LONG owner = frame.ownership(); owner != 0) return owner;
  DeviceRecord& r = frame.record();
  int32_t bits = 0;
  if (LONG status = ReadStatus(r, &bits); status != 0) return frame.end(status);
  io::WorkerSlot worker(frame.index(), kSlotAo);
  if ((bits & halvikdrv::ao::kStatusRunning) == 0) {
    worker.waitParked(io::kParkWaitMs);  // a worker that does not park leaves the result alone
    return frame.end(0);
  }
  return frame.end(worker.stopInWait([&] { return sendStop(r); }));
}
