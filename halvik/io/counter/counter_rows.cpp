// The counter exports that are one setting or one reading, and the event
// registrations. Counters are not on bus kind 3, and a failed sibling call
// reads as 10002. Only channels 0 and 1 have notification state: the
// exports that keep it refuse any other channel.
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

constexpr Row counterRow(Row row) {
  row.attached = refused();
  row.busFailure10002 = true;
  return row;
}

constexpr Row kGetCntComparisonMode = counterRow({
    .name = "XanGetCntComparisonMode",
    .args = {{Kind::I16, "CntChannel=%d"}, {Kind::OutI16}},
    .checks = {below(0, 0, 15010), null(1, 15011)},
    .kernel = kernel(kCntComparisonMode, kCntFamily, 1, {put16(cnt::kChannel, 0)}, {get16(cnt::kComparisonMode, 1)}),
    .virtualDevice = command(kCmdCntComparisonMode, 16, {put16(rec::kCntChannel, 0), const16(rec::kCntModeGetFlag, 1)},
                             {get16(rec::kCntModeValue, 1)}),
    .endText = "*CntMode=%d",
});
// The comparison values stay in the caller's array, as the preset values do.
constexpr Row kSetCntComparisonReg = counterRow({
    .name = "XanSetCntComparisonReg",
    .args = {{Kind::I16, "CntChannel=%d"}, {Kind::I32, "ComparisonNumber=%d"}, {Kind::InAddress},
             {Kind::I16, "Flag=%d"}},
    .checks = {below(0, 0, 15040), below(1, 0, 15041), null(2, 15043), aboveUnsigned(3, 1, 15042)},
    .kernel = kernel(kCntComparisonReg, kCntFamily, 0,
                     {put16(cnt::kChannel, 0), put32(cnt::kComparisonNumber, 1), putAddress(cnt::kComparisonData, 2),
                      put16(cnt::kFlag, 3)}),
    .virtualDevice = command(kCmdCntComparisonReg, rec::kCntPresetSize,
                             {put16(rec::kCntChannel, 0), put32(rec::kCntPresetNumber, 1),
                              putAddress(rec::kCntPresetData, 2), put16(rec::kCntPresetFlag, 3),
                              const16(rec::kCntPresetGetFlag, 0)}),
});
constexpr Row kGetCntInputSignal = counterRow({
    .name = "XanGetCntInputSignal",
    .args = {{Kind::I16, "CntChannel=%d"}, {Kind::OutI16}},
    .checks = {below(0, 0, 15070), null(1, 15071)},
    .kernel = kernel(kCntInputSignal, kCntFamily, 1, {put16(cnt::kChannel, 0)}, {get16(cnt::kInputSignal, 1)}),
    .virtualDevice = command(kCmdCntInputSignal, 12, {put16(rec::kCntChannel, 0), const16(rec::kCntSignalGetFlag, 1)},
                             {get16(rec::kCntSignal, 1)}),
    .endText = "*CntInputSignal=%d",
});
constexpr Row kGetCntFilter = counterRow({
    .name = "XanGetCntFilter",
    .args = {{Kind::I16, "CntChannel=%d"}, {Kind::I16, "Signal=%d"}, {Kind::OutF32}},
    .checks = {notEqual(0, -1, 15130), notEqual(1, -1, 15131), null(2, 15132)},
    .kernel = kernel(kCntFilter, kCntFamily, 1, {const16(cnt::kChannel, -1), const16(cnt::kFilterSignal, -1)},
                     {get32(cnt::kFilterValue, 2, Shape::Float)}),
    .virtualDevice = command(kCmdCntFilter, 16,
                             {const16(rec::kCntChannel, -1), const16(rec::kCntSignal, -1),
                              const16(rec::kCntFilterGetFlag, 1)},
                             {get32(rec::kCntFilterValue, 2, Shape::Float)}),
    .endText = "*Value=%f",
});
constexpr Row kPresetCnt = counterRow({
    .name = "XanPresetCnt",
    .args = {{Kind::I16, "CntChannel=%d"}, {Kind::I32, "PresetData=%d"}},
    .checks = {below(0, 0, 15180)},
    .kernel = kernel(kCntPreset, kCntFamily, 0, {put16(cnt::kChannel, 0), put32(cnt::kPresetValue, 1)}),
    .virtualDevice = command(kCmdCntPreset, rec::kCntPresetValueSize,
                             {put16(rec::kCntChannel, 0), put32(rec::kCntPresetValue, 1), const16(12, 0)}),
});
constexpr Row kGetCntStatus = counterRow({
    .name = "XanGetCntStatus",
    .args = {{Kind::I16, "CntChannel=%d"}, {Kind::OutI32}},
    .checks = {below(0, 0, 15200), null(1, 15201)},
    .kernel = kernel(kCntStatus, kCntFamily, 1, {put16(cnt::kChannel, 0)}, {get32(cnt::kCounterStatus, 1)}),
    .virtualDevice = command(kCmdCntStatus, 12, {put16(rec::kCntChannelAt8, 0), const16(rec::kCntGetFlagAt10, 1)},
                             {get32(rec::kValue, 1)}),
    .endText = "*CntStatus=%xH",
});
constexpr Row kGetCntCount = counterRow({
    .name = "XanGetCntCount",
    .args = {{Kind::I16, "CntChannel=%d"}, {Kind::OutI32}},
    .checks = {below(0, 0, 15220), null(1, 15221)},
    .kernel = kernel(kCntCount, kCntFamily, 1, {put16(cnt::kChannel, 0)}, {get32(cnt::kCount, 1)}),
    .virtualDevice = command(kCmdCntCount, 12, {put16(rec::kCntChannelAt8, 0), const16(rec::kCntGetFlagAt10, 1)},
                             {get32(rec::kValue, 1)}),
    .endText = "*Count=%d",
});
constexpr Row kResetCntStatus = counterRow({
    .name = "XanResetCntStatus",
    .args = {{Kind::I16, "CntChannel=%d"}, {Kind::I32, "CntStatus=%d"}},
    .checks = {below(0, 0, 15240)},
    .kernel = kernel(kCntResetStatus, kCntFamily, 0, {put16(cnt::kChannel, 0), put32(cnt::kCounterStatus, 1)}),
    .virtualDevice = command(kCmdCntResetStatus, 12,
                             {put32(rec::kValue, 1), put16(rec::kCntChannelAt8, 0), const16(rec::kCntGetFlagAt10, 0)}),
});
constexpr Row kSetCntEvent = counterRow({
    .name = "XanSetCntEvent",
    .args = {{Kind::I16, "CntChannel=%d"}, {Kind::I32, "hWnd=%xH"}, {Kind::I32, "CntEvent=%xH"}},
    .checks = {outside(0, 0, 1, 15080)},
    .kernel = kernel(kCntEvent, kCntFamily, 0,
                     {put16(cnt::kChannel, 0), put32(cnt::kWindow, 1), put32(cnt::kEventMask, 2)}),
    .virtualDevice = command(kCmdCntEvent, rec::kCntEventSize,
                             {put32(rec::kCntEventWindow, 1), put32(rec::kCntEventMask, 2),
                              const16(rec::kCntEventGetFlag, 0), put16(rec::kCntEventChannel, 0)}),
});
// The window comes from the record, so the driver's mask is the only output.
constexpr Row kGetCntEvent = counterRow({
    .name = "XanGetCntEvent",
    .args = {{Kind::I16, "CntChannel=%d"}, {Kind::InAddress}, {Kind::OutI32}},
    .checks = {outside(0, 0, 1, 15090), null(2, 15091)},
    .kernel = kernel(kCntEvent, kCntFamily, 1, {put16(cnt::kChannel, 0)}, {get32(cnt::kEventMask, 2)}),
    .virtualDevice = command(kCmdCntEvent, rec::kCntEventSize,
                             {const16(rec::kCntEventGetFlag, 1), put16(rec::kCntEventChannel, 0)},
                             {get32(rec::kCntEventMask, 2)}),
});
constexpr Row kSetCntCallBackProc = counterRow({
    .name = "XanSetCntCallBackProc",
    .args = {{Kind::I16, "CntChannel=%d"}, {Kind::I32, "CntEvent=%xH"}},
    .checks = {outside(0, 0, 1, 15100)},
    .kernel = kernel(kCntCallBackEvent, kCntFamily, 0, {put16(cnt::kChannel, 0), put32(cnt::kEventMask, 1)}),
    .virtualDevice = command(kCmdCntCallBackEvent, rec::kCntEventSize,
                             {put32(rec::kCntEventMask, 1), const16(rec::kCntEventGetFlag, 0),
                              put16(rec::kCntEventChannel, 0)}),
});

}  // namespace
}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanGetCntComparisonMode(short Id, short CntChannel, short* CntMode) {
  return rows::Run(kGetCntComparisonMode, Id, {CntChannel, CntMode});
}
DLL_EXPORT LONG WINAPI XanSetCntComparisonReg(short Id, short CntChannel, LONG ComparisonNumber,
                                              const LONG* ComparisonData, short Flag) {
  return rows::Run(kSetCntComparisonReg, Id, {CntChannel, ComparisonNumber, ComparisonData, Flag});
}
DLL_EXPORT LONG WINAPI XanGetCntInputSignal(short Id, short CntChannel, short* CntInputSignal) {
  return rows::Run(kGetCntInputSignal, Id, {CntChannel, CntInputSignal});
}
DLL_EXPORT LONG WINAPI XanGetCntFilter(short Id, short CntChannel, short Signal, float* Value) {
  return rows::Run(kGetCntFilter, Id, {CntChannel, Signal, Value});
}
DLL_EXPORT LONG WINAPI XanPresetCnt(short Id, short CntChannel, LONG PresetData) {
  return rows::Run(kPresetCnt, Id, {CntChannel, PresetData});
}
DLL_EXPORT LONG WINAPI XanGetCntStatus(short Id, short CntChannel, LONG* CntStatus) {
  return rows::Run(kGetCntStatus, Id, {CntChannel, CntStatus});
}
DLL_EXPORT LONG WINAPI XanGetCntCount(short Id, short CntChannel, LONG* Count) {
  return rows::Run(kGetCntCount, Id, {CntChannel, Count});
}
DLL_EXPORT LONG WINAPI XanResetCntStatus(short Id, short CntChannel, LONG CntStatus) {
  return rows::Run(kResetCntStatus, Id, {CntChannel, CntStatus});
}

DLL_EXPORT LONG WINAPI XanSetCntEvent(short Id, short CntChannel, HWND hWnd, LONG CntEvent) {
  return io::RegisterWindow(kSetCntEvent, Id, CntChannel, kSlotCnt0 + CntChannel, hWnd, CntEvent);
}

DLL_EXPORT LONG WINAPI XanGetCntEvent(short Id, short CntChannel, HWND* hWnd, LONG* CntEvent) {
  ExportFrame frame(kGetCntEvent.name);
  if (LONG status = rows::Front(frame, kGetCntEvent, Id, {CntChannel, hWnd, CntEvent})) return status;
  if (LONG status = rows::Send(frame, kGetCntEvent, {CntChannel, hWnd, CntEvent})) return status;
  HWND window = io::load(frame.record().NotifyWindow[kSlotCnt0 + CntChannel]);
  if (hWnd != nullptr) *hWnd = window;
  return frame.endWith("*hWnd=%xH, *CntEvent=%xH", static_cast<unsigned>(io::WindowValue(window)),
                       static_cast<unsigned>(*CntEvent));
}

DLL_EXPORT LONG WINAPI XanSetCntCallBackProc(short Id, short CntChannel, XanCntCallBack CallBackProc, LONG CntEvent,
                                             void* Param) {
  return io::RegisterCallback(kSetCntCallBackProc, Id, CntChannel, kSlotCnt0 + CntChannel,
                              static_cast<XanCallBack>(CallBackProc), CntEvent, Param);
}
