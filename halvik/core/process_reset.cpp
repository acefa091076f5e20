// XanResetProcess: giving up this process's hold on a device and stopping
// its functions without looking at their state first. It writes no trace
// of its own.
#include <halvik.h>

#include "device_record.h"
#include "export_frame.h"
#include "library_state.h"
#include "transport.h"

using namespace halvik;

namespace {

namespace drv = halvikdrv;

// The statuses a stop may give and still let the reset go on: the function
// is not on this device, or was stopped already.
bool goesOn(LONG status) {
  return status == 0 || status == drv::kStatusNotSupported || status == drv::kStatusAiAlreadyStopped ||
         status == drv::kStatusNoSuchCounter || status == drv::kStatusNoSuchTimer;
}

LONG releaseOwnership(const DeviceRecord& r) {
  drv::WireRecord<drv::kOwnershipRecordSize> c;
  c.put<int32_t>(4, static_cast<int32_t>(Library().processId));
  if (RoadOf(r) == Road::Kernel) return SendKernel(r, drv::kReleaseOwnership, c.data(), c.size(), 0);
  return SendCommand(r, drv::kCmdReleaseOwnership, c.data(), c.size(), true);
}

LONG stopAi(const DeviceRecord& r) {
  if (RoadOf(r) == Road::Kernel) {
    drv::AiBlock b;
    return SendKernel(r, drv::kAiStop, b.data(), b.size(), drv::ai::kStatus);
  }
  drv::WireRecord<8> c;
  return SendCommand(r, drv::kCmdAiStop, c.data(), c.size(), true);
}

LONG stopAo(const DeviceRecord& r) {
  if (RoadOf(r) == Road::Kernel) {
    drv::AoBlock b;
    return SendKernel(r, drv::kAoStop, b.data(), b.size(), drv::ao::kStatus);
  }
  drv::WireRecord<8> c;
  return SendCommand(r, drv::kCmdAoStop, c.data(), c.size(), true);
}

LONG stopCounter(const DeviceRecord& r, short channel) {
  switch (RoadOf(r)) {
    case Road::Attached:
      return 0;
    case Road::Virtual: {
      drv::WireRecord<12> c;
      c.put<int16_t>(8, channel);
      return SendCommand(r, drv::kCmdCntStop, c.data(), c.size(), true);
    }
    case Road::Kernel:
      break;
  }
  drv::CntBlock b;
  b.put<int16_t>(drv::cnt::kChannel, channel);
  return SendKernel(r, drv::kCntStop, b.data(), b.size(), drv::cnt::kStatus);
}

LONG stopTimer(const DeviceRecord& r, short timer) {
  if (RoadOf(r) != Road::Kernel) return 0;
  drv::TmBlock b;
  b.put<int16_t>(drv::tm::kTimerId, timer);
  return SendKernel(r, drv::kTmStop, b.data(), b.size(), drv::tm::kStatus);
}

}  // namespace

DLL_EXPORT LONG WINAPI XanResetProcess(short Id) {
  uint16_t index = 0;
  if (!FindDeviceById(Id, &index)) return kStatusNoDevice;
  const DeviceRecord& record = DeviceTable()[index];
  if (LONG status = releaseOwnership(record)) return status;
  for (LONG (*stop)(const DeviceRecord&) : {stopAi, stopAo}) {
    LONG status = stop(record);
    if (!goesOn(status)) return status;
  }
  short channels = 0;
  if (XanGetCntMaxChannels(Id, &channels) != 0) channels = 0;
  // A device may have more counter channels than timers (or the reverse):
  // "not on this device" ends nothing.
  for (short i = 0; i < channels; ++i) {
    LONG status = stopCounter(record, i);
    if (goesOn(status)) status = stopTimer(record, i);
    if (!goesOn(status)) return status;
  }
  return 0;
}
