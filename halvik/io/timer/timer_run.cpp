// Starting and stopping an interval timer, and its tick thread. Only the
// kernel driver signals ticks: on the virtual device the timer runs without
// a thread, since nothing would ever wake one.
#include <windows.h>
#include <outside/halvikdrv.h>

#include <algorithm>
#include <cstring>

#include "event_worker.h"
#include "halvik.h"
#include "setting_rows.h"
#include "trace_log.h"
#include "transport.h"

namespace halvik {
namespace {

using namespace halvikdrv;
using namespace rows;
using io::Armed;
using io::Fetched;
using io::WorkerContext;

constexpr io::WorkerTraits kTraits{"TmEventThread", "XANTMEVENT%X", io::NameKey::ThreadId, "XANTMMUTEXA%X",
                                   "XANTMMUTEXB%X", "XANTMEVENTWAIT%X", 2, 3, 3, 6};
constexpr UINT kTick = 0x1060;  // XANM_TME_INT

int16_t timerOf(int slot) { return static_cast<int16_t>(slot - kSlotTm0); }

// Posts and calls alike are traced as calls.
void deliverTick(const DeviceRecord& r, int slot) {
  DeviceRecord& record = const_cast<DeviceRecord&>(r);
  if (DebugLogOn()) WriteDebugLog("TmEventThread Callback XANM_TME_INT :Param=%d\r\n", 0);
  if (io::load(record.NotifyKind[slot]) == 1) {
    XanCallBack proc = io::load(record.CallbackProc[slot]);
    if (proc != nullptr) proc(r.Id, static_cast<short>(kTick), 0, 0, io::load(record.CallbackParam[slot]));
    return;
  }
  HWND window = io::load(record.NotifyWindow[slot]);
  if (window == nullptr || window == reinterpret_cast<HWND>(INVALID_HANDLE_VALUE)) return;
  PostMessageA(window, kTick, static_cast<WPARAM>(static_cast<uint16_t>(r.Id)), 0);
}

class TimerFamily final : public io::WorkerFamily {
 public:
  constexpr TimerFamily() : WorkerFamily(kTraits) {}

  Armed arm(WorkerContext& c) const override {
    unsigned char* wire = c.completion.wire;
    std::memset(wire, 0, kTmBlockSize);
    const int16_t timer = timerOf(c.slot);
    const int32_t event = static_cast<int32_t>(reinterpret_cast<intptr_t>(c.completion.overlapped.hEvent));
    std::memcpy(wire + halvikdrv::tm::kTimerId, &timer, sizeof timer);
    std::memcpy(wire + halvikdrv::tm::kIoEvent, &event, sizeof event);
    DWORD returned = 0;
    const BOOL done = DeviceIoControl(c.record.Handle, kTmEventWait, wire, kTmBlockSize, wire, kTmBlockSize,
                                      &returned, &c.completion.overlapped);
    return done ? Armed::Ready : Armed::Pending;
  }

  Fetched fetch(WorkerContext& c) const override {
    TmBlock b;
    b.put<int16_t>(halvikdrv::tm::kTimerId, timerOf(c.slot));
    DWORD returned = 0;
    if (!DeviceIoControl(c.record.Handle, kTmEventRead, b.data(), b.size(), b.data(), b.size(), &returned, nullptr)) {
      if (DebugLogOn()) WriteDebugLog("TmEventThread End :Error 4\r\n");
      return Fetched::Failed;
    }
    const int32_t mask = b.get<int32_t>(halvikdrv::tm::kEventMask);
    const int count = std::clamp<int>(b.get<int16_t>(halvikdrv::tm::kEventWordCount), 0, kTmEventWordsMax);
    for (int i = 0; i < count; ++i) {
      if ((b.get<int32_t>(halvikdrv::tm::kEventWords + 4 * i) & mask & 0x1) != 0) deliverTick(c.record, c.slot);
    }
    return b.get<int16_t>(halvikdrv::tm::kStopped) != 0 ? Fetched::Park : Fetched::Again;
  }
};
constexpr TimerFamily kFamily;

constexpr Row timerRow(Row row) {
  row.spacing = ExportFrame::Spacing::Spaced;
  row.attached = refused();
  row.busFailure10002 = true;
  return row;
}

constexpr Field kTimerField = put16(halvikdrv::tm::kTimerId, 0);
constexpr Field kTimerAt8 = put16(rec::kTmTimer, 0);

// Both exports' requests are the status read; the stop's also carries the get flag.
constexpr Request kStatusVm = command(kCmdTmStatus, rec::kTmStatusSize,
                                      {kTimerAt8, const16(rec::kTmStatusGetFlag, 1)}, {get32(rec::kValue, 2)});
constexpr Row kStartTmTimer = timerRow({
    .name = "XanStartTmTimer",
    .args = {{Kind::I16, "TimerId=%d"}, {Kind::F32, "Interval=%f"}, {Kind::OutI32}},
    .checks = {outside(0, 0, 1, 16040), outside(1, 1.0, 2147483647.0, 16041)},
    .kernel = kernel(kTmStatus, kTmFamily, -1, {kTimerField}, {get32(halvikdrv::tm::kStatusBits, 2)}),
    .virtualDevice = kStatusVm,
});
constexpr Row kStopTmTimer = timerRow({
    .name = "XanStopTmTimer",
    .args = {{Kind::I16, "TimerId=%d"}, {Kind::None}, {Kind::OutI32}},
    .checks = {outside(0, 0, 1, 16060)},
    .kernel = kernel(kTmStatus, kTmFamily, 1, {kTimerField}, {get32(halvikdrv::tm::kStatusBits, 2)}),
    .virtualDevice = kStatusVm,
});
// Arguments: the timer and the message flag.
constexpr Row kStopRequest = {
    .name = "XanStopTmTimer",
    .args = {{Kind::I16}, {Kind::I32}},
    .kernel = kernel(kTmStop, kTmFamily, 0, {kTimerField, put32(halvikdrv::tm::kEventMask, 1)}),
    .virtualDevice = command(kCmdTmStop, rec::kTmShortSize,
                             {put32(rec::kValue, 1), kTimerAt8, const16(rec::kTmFlagAt10, 0)}),
    .attached = refused(),
    .busFailure10002 = true,
};
// Arguments: the timer and the interval, truncated toward zero.
constexpr Row kStartRequest = {
    .name = "XanStartTmTimer",
    .args = {{Kind::I16}, {Kind::F32}},
    .kernel = kernel(kTmStart, kTmFamily, 0, {kTimerField, put32(halvikdrv::tm::kInterval, 1)}),
    .virtualDevice = command(kCmdTmStart, rec::kTmStartSize,
                             {kTimerAt8, const16(rec::kTmFlagAt10, 0), put32(rec::kTmStartInterval, 1)}),
    .attached = refused(),
    .busFailure10002 = true,
};

// Stops a running timer with the worker met in its wait, then waits for it
// to park.
LONG stopRunning(const ExportFrame& frame, short timer, LONG notify) {
  return io::WorkerSlot(frame.index(), kSlotTm0 + timer).stopInWait([&] {
    return rows::Send(frame, kStopRequest, {timer, notify});
  });
}

}  // namespace
}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanStartTmTimer(short Id, short TimerId, float Interval) {
  ExportFrame frame(kStartTmTimer.name, ExportFrame::Spacing::Spaced);
  LONG bits = 0;
  if (LONG status = rows::Front(frame, kStartTmTimer, Id, {TimerId, Interval, &bits})) return status;
  if (LONG status = rows::Send(frame, kStartTmTimer, {TimerId, Interval, &bits})) return status;
  if ((bits & halvikdrv::tm::kRunning) != 0) {
    if (LONG status = stopRunning(frame, TimerId, 0)) return status;
  }
  if (LONG status = rows::Send(frame, kStartRequest, {TimerId, Interval})) return status;
  if (RoadOf(frame.record()) != Road::Kernel) return frame.end(0);
  return frame.end(io::StartWorker(frame.index(), kSlotTm0 + TimerId, kFamily));
}

DLL_EXPORT LONG WINAPI XanStopTmTimer(short Id, short TimerId) {
  ExportFrame frame(kStopTmTimer.name, ExportFrame::Spacing::Spaced);
  LONG bits = 0;
  if (LONG status = rows::Front(frame, kStopTmTimer, Id, {TimerId, nullptr, &bits})) return status;
  if (LONG status = rows::Send(frame, kStopTmTimer, {TimerId, nullptr, &bits})) return status;
  if ((bits & halvikdrv::tm::kRunning) == 0) {
    io::WorkerSlot(frame.index(), kSlotTm0 + TimerId).waitParked(io::kParkWaitMs);
    return frame.end(0);
  }
  const LONG notify = io::load(frame.record().NotifyKind[kSlotTm0 + TimerId]) != 1 ? 1 : 0;
  if (LONG status = stopRunning(frame, TimerId, notify)) return status;
  return frame.end(0);
}
