// The counter exports the core and the configuration loader call. Counters
// are not on bus kind 3, and a failed sibling call reads as 10002.
#include <windows.h>
#include <outside/halvikdrv.h>

#include "halvik.h"
#include "setting_rows.h"

namespace halvik {
namespace {

using namespace halvikdrv;
using namespace rows;

constexpr uint16_t kChannelAt = 4;

constexpr Row counterRow(Row row) {
  row.attached = refused();
  row.busFailure10002 = true;
  return row;
}

constexpr Row kGetCntMaxChannels = counterRow({
    .name = "XanGetCntMaxChannels",
    .args = {{Kind::OutI16}},
    .checks = {null(0, 15260)},
    .ownership = false,
    .kernel = kernel(kCntMaxChannels, kCntFamily, -1, {}, {get16(cnt::kMaxChannels, 0)}),
    .virtualDevice = command(kCmdCntMaxChannels, 8, {}, {get16(4, 0)}),
    .endText = "*CntMaxChannels=%d",
});
// Only all channels (-1) and all signals (-1) take a filter; a value that
// is no number or does not fit the driver's int32 is refused.
constexpr Row kSetCntFilter = counterRow({
    .name = "XanSetCntFilter",
    .args = {{Kind::I16, "CntChannel=%d"}, {Kind::I16, "Signal=%d"}, {Kind::F32, "Value=%f"}},
    .checks = {notEqual(0, -1, 15120), notEqual(1, -1, 15121), outside(2, 0, 2147483647.0, 15122)},
    .kernel = kernel(kCntFilter, kCntFamily, 0,
                     {const16(cnt::kChannel, -1), const16(cnt::kFilterSignal, -1), put32(cnt::kFilterValue, 2)}),
    .virtualDevice = command(kCmdCntFilter, 16, {const16(kChannelAt, -1), const16(6, -1), put32(8, 2), const16(12, 0)}),
});
constexpr Row kSetCntComparisonMode = counterRow({
    .name = "XanSetCntComparisonMode",
    .args = {{Kind::I16, "CntChannel=%d"}, {Kind::I16, "CntMode=%d"}},
    .checks = {below(0, 0, 15000)},
    .kernel = kernel(kCntComparisonMode, kCntFamily, 0, {put16(cnt::kChannel, 0), put32(cnt::kComparisonMode, 1)}),
    .virtualDevice = command(kCmdCntComparisonMode, 16, {put16(kChannelAt, 0), put32(8, 1), const16(12, 0)}),
});
constexpr Row kSetCntInputSignal = counterRow({
    .name = "XanSetCntInputSignal",
    .args = {{Kind::I16, "CntChannel=%d"}, {Kind::I16, "CntInputSignal=%d"}},
    .checks = {below(0, 0, 15060), below(1, 0, 15061)},
    .kernel = kernel(kCntInputSignal, kCntFamily, 0, {put16(cnt::kChannel, 0), put16(cnt::kInputSignal, 1)}),
    .virtualDevice = command(kCmdCntInputSignal, 12, {put16(kChannelAt, 0), put16(6, 1), const16(8, 0)}),
});
// The preset values stay in the caller's array; the request carries its
// 8-byte address on every road.
constexpr Row kSetCntPresetReg = counterRow({
    .name = "XanSetCntPresetReg",
    .args = {{Kind::I16, "CntChannel=%d"}, {Kind::I32, "PresetNumber=%d"}, {Kind::InAddress}, {Kind::I16, "Flag=%d"}},
    .checks = {below(0, 0, 15020), below(1, 0, 15021), null(2, 15023), aboveUnsigned(3, 1, 15022)},
    .kernel = kernel(kCntPresetReg, kCntFamily, 0,
                     {put16(cnt::kChannel, 0), put32(cnt::kPresetNumber, 1), putAddress(cnt::kPresetData, 2),
                      put16(cnt::kFlag, 3)}),
    .virtualDevice = command(kCmdCntPresetReg, rec::kCntPresetSize,
                             {put16(kChannelAt, 0), put32(rec::kCntPresetNumber, 1), putAddress(rec::kCntPresetData, 2),
                              put16(rec::kCntPresetFlag, 3), const16(rec::kCntPresetGetFlag, 0)}),
});

}  // namespace
}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanGetCntMaxChannels(short Id, short* CntMaxChannels) {
  return rows::Run(kGetCntMaxChannels, Id, {CntMaxChannels});
}
DLL_EXPORT LONG WINAPI XanSetCntFilter(short Id, short CntChannel, short Signal, float Value) {
  return rows::Run(kSetCntFilter, Id, {CntChannel, Signal, Value});
}
DLL_EXPORT LONG WINAPI XanSetCntComparisonMode(short Id, short CntChannel, short CntMode) {
  return rows::Run(kSetCntComparisonMode, Id, {CntChannel, CntMode});
}
DLL_EXPORT LONG WINAPI XanSetCntInputSignal(short Id, short CntChannel, short CntInputSignal) {
  return rows::Run(kSetCntInputSignal, Id, {CntChannel, CntInputSignal});
}
DLL_EXPORT LONG WINAPI XanSetCntPresetReg(short Id, short CntChannel, LONG PresetNumber, const LONG* PresetData,
                                          short Flag) {
  return rows::Run(kSetCntPresetReg, Id, {CntChannel, PresetNumber, PresetData, Flag});
}
