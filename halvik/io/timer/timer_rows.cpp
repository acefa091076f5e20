// The interval-timer exports that are one setting or one reading, and the
// event registrations. Timers are not on bus kind 3; a failed sibling call
// reads as 10002. Only timers 0 and 1 have notification state: the
// exports that keep it refuse any other timer.
#include <windows.h>
#include <outside/halvikdrv.h>

#include "event_worker.h"
#include "halvik.h"
#include "setting_rows.h"
#include "unit_registration.h"

namespace halvik {
namespace {

using namespace halvikdrv;
using namespace rows;

constexpr Row timerRow(Row row) {
  row.spacing = ExportFrame::Spacing::Spaced;
  row.attached = refused();
  row.busFailure10002 = true;
  return row;
}

constexpr ArgSpec kTimer{Kind::I16, "TimerId=%d"};
constexpr Field kTimerField = put16(halvikdrv::tm::kTimerId, 0);
constexpr Field kTimerAt8 = put16(rec::kTmTimer, 0);
constexpr Field kZeroAt10 = const16(rec::kTmFlagAt10, 0);

constexpr Row kSetTmEvent = timerRow({
    .name = "XanSetTmEvent",
    .args = {kTimer, {Kind::I32, "hWnd=%xH"}, {Kind::I32, "TmEvent=%xH"}},
    .checks = {outside(0, 0, 1, 16000)},
    .kernel = kernel(kTmEvent, kTmFamily, 0, {kTimerField, put32(halvikdrv::tm::kWindow, 1), put32(halvikdrv::tm::kEventMask, 2)}),
    .virtualDevice = command(kCmdTmEvent, rec::kTmEventSize,
                             {put32(rec::kTmEventWindow, 1), put32(rec::kTmEventMask, 2),
                              const16(rec::kTmEventGetFlag, 0), put16(rec::kTmEventTimer, 0)}),
});
constexpr Row kGetTmEvent = timerRow({
    .name = "XanGetTmEvent",
    .args = {kTimer, {Kind::InAddress}, {Kind::OutI32}},
    .checks = {outside(0, 0, 1, 16010), null(2, 16011)},
    .kernel = kernel(kTmEvent, kTmFamily, 1, {kTimerField}, {get32(halvikdrv::tm::kEventMask, 2)}),
    .virtualDevice = command(kCmdTmEvent, rec::kTmEventSize,
                             {const16(rec::kTmEventGetFlag, 1), put16(rec::kTmEventTimer, 0)},
                             {get32(rec::kTmEventMask, 2)}),
});
constexpr Row kSetTmCallBackProc = timerRow({
    .name = "XanSetTmCallBackProc",
    .args = {kTimer, {Kind::I32, "TmEvent=%xH"}},
    .checks = {outside(0, 0, 1, 16020)},
    .kernel = kernel(kTmCallBackEvent, kTmFamily, 0, {kTimerField, put32(halvikdrv::tm::kEventMask, 1)}),
    .virtualDevice = command(kCmdTmCallBackEvent, rec::kTmEventSize,
                             {put32(rec::kTmEventMask, 1), const16(rec::kTmEventGetFlag, 0),
                              put16(rec::kTmEventTimer, 0)}),
});
constexpr Row kStartTmCount = timerRow({
    .name = "XanStartTmCount",
    .args = {kTimer},
    .checks = {below(0, 0, 16080)},
    .kernel = kernel(kTmStartCount, kTmFamily, 0, {kTimerField}),
    .virtualDevice = command(kCmdTmStartCount, rec::kTmStartSize, {kTimerAt8, kZeroAt10}),
});
// The virtual device's lap is no reading: *Lap is 0 there.
constexpr Row kLapTmCount = timerRow({
    .name = "XanLapTmCount",
    .args = {kTimer, {Kind::OutI32}},
    .checks = {below(0, 0, 16120), null(1, 16121)},
    .kernel = kernel(kTmLapCount, kTmFamily, 1, {kTimerField}, {get32(halvikdrv::tm::kLapTime, 1)}),
    .virtualDevice = command(kCmdTmLapCount, rec::kTmLapSize, {kTimerAt8, const16(rec::kTmFlagAt10, 1)}),
});
constexpr Row kResetTmCount = timerRow({
    .name = "XanResetTmCount",
    .args = {kTimer},
    .checks = {below(0, 0, 16140)},
    .kernel = kernel(kTmResetCount, kTmFamily, 0, {kTimerField}),
    .virtualDevice = command(kCmdTmResetCount, rec::kTmShortSize, {kTimerAt8, kZeroAt10}),
});
constexpr Row kXanTmWait = timerRow({
    .name = "XanTmWait",
    .args = {kTimer, {Kind::I32, "Wait=%d"}},
    .checks = {below(0, 0, 16160), atMost(1, 0, 16161)},
    .kernel = kernel(kTmWait, kTmFamily, 0, {kTimerField, put32(halvikdrv::tm::kWaitTime, 1)}),
    .virtualDevice = command(kCmdTmWait, rec::kTmShortSize, {put32(rec::kValue, 1), kTimerAt8, kZeroAt10}),
});

}  // namespace
}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanSetTmEvent(short Id, short TimerId, HWND hWnd, LONG TmEvent) {
  return io::RegisterWindow(kSetTmEvent, Id, TimerId, kSlotTm0 + TimerId, hWnd, TmEvent);
}

DLL_EXPORT LONG WINAPI XanGetTmEvent(short Id, short TimerId, HWND* hWnd, LONG* TmEvent) {
  ExportFrame frame(kGetTmEvent.name, ExportFrame::Spacing::Spaced);
  if (LONG status = rows::Front(frame, kGetTmEvent, Id, {TimerId, hWnd, TmEvent})) return status;
  if (LONG status = rows::Send(frame, kGetTmEvent, {TimerId, hWnd, TmEvent})) return status;
  HWND window = io::load(frame.record().NotifyWindow[kSlotTm0 + TimerId]);
  if (hWnd != nullptr) *hWnd = window;
  return frame.endWith("*hWnd=%xH, TmEvent=%xH", static_cast<unsigned>(io::WindowValue(window)),
                       static_cast<unsigned>(*TmEvent));
}

DLL_EXPORT LONG WINAPI XanSetTmCallBackProc(short Id, short TimerId, XanTmCallBack CallBackProc, LONG TmEvent,
                                            void* Param) {
  return io::RegisterCallback(kSetTmCallBackProc, Id, TimerId, kSlotTm0 + TimerId,
                              static_cast<XanCallBack>(CallBackProc), TmEvent, Param);
}

DLL_EXPORT LONG WINAPI XanStartTmCount(short Id, short TimerId) { return rows::Run(kStartTmCount, Id, {TimerId}); }

DLL_EXPORT LONG WINAPI XanLapTmCount(short Id, short TimerId, LONG* Lap) {
  ExportFrame frame(kLapTmCount.name, ExportFrame::Spacing::Spaced);
  if (LONG status = rows::Front(frame, kLapTmCount, Id, {TimerId, Lap})) return status;
  if (LONG status = rows::Send(frame, kLapTmCount, {TimerId, Lap})) return status;
  if (RoadOf(frame.record()) != Road::Kernel) *Lap = 0;
  return frame.endWith("*Lap=%d", *Lap);
}

DLL_EXPORT LONG WINAPI XanResetTmCount(short Id, short TimerId) { return rows::Run(kResetTmCount, Id, {TimerId}); }

DLL_EXPORT LONG WINAPI XanTmWait(short Id, short TimerId, LONG Wait) {
  return rows::Run(kXanTmWait, Id, {TimerId, Wait});
}
