// The output settings the configuration loader applies.
#include <windows.h>
#include <outside/halvikdrv.h>

#include "halvik.h"
#include "setting_rows.h"

namespace halvik {
namespace {

using namespace halvikdrv;
using namespace rows;

// The short command forms: {int16 get flag, int16 value} and
// {int32 value, int16 get flag}.
constexpr uint16_t kGetFlagAt = 4, kValueAt = 6;
constexpr uint16_t kCountAt = 4, kCountGetFlagAt = 8;

// A setting of one int16 that travels in the 8-byte form.
constexpr Row shortSetting(const char* name, const char* trace, Check check, DWORD code, uint16_t blockAt, WORD cmd) {
  return {.name = name,
          .args = {{Kind::I16, trace}},
          .checks = {check},
          .kernel = kernel(code, kAoFamily, 0, {put16(blockAt, 0)}),
          .virtualDevice = command(cmd, 8, {const16(kGetFlagAt, 0), put16(kValueAt, 0)})};
}
// A setting of one int32 that travels in the 12-byte form.
constexpr Row countSetting(const char* name, const char* trace, Check check, DWORD code, uint16_t blockAt, WORD cmd) {
  return {.name = name,
          .args = {{Kind::I32, trace}},
          .checks = {check},
          .kernel = kernel(code, kAoFamily, 0, {put32(blockAt, 0)}),
          .virtualDevice = command(cmd, 12, {put32(kCountAt, 0), const16(kCountGetFlagAt, 0)})};
}

constexpr Row kSetAoChannels = shortSetting("XanSetAoChannels", "AoChannels=%d", outside(0, 1, 256, 13060),
                                            kAoChannels, ao::kChannels, kCmdAoChannels);
constexpr Row kSetAoMemoryType = shortSetting("XanSetAoMemoryType", "AoMemoryType=%d", outside(0, 0, 1, 13140),
                                              kAoMemoryType, ao::kMemoryType, kCmdAoMemoryType);
constexpr Row kSetAoClockType = shortSetting("XanSetAoClockType", "AoClockType=%d", below(0, 0, 13180),
                                             kAoClockType, ao::kClockType, kCmdAoClockType);
constexpr Row kSetAoStartTrigger = shortSetting("XanSetAoStartTrigger", "AoStartTrigger=%d", below(0, 0, 13240),
                                                kAoStartTrigger, ao::kStartTrigger, kCmdAoStartTrigger);
constexpr Row kSetAoStopTrigger = shortSetting("XanSetAoStopTrigger", "AoStopTrigger=%d", below(0, 0, 13260),
                                               kAoStopTrigger, ao::kStopTrigger, kCmdAoStopTrigger);
constexpr Row kSetAoClockEdge = [] {
  Row row = shortSetting("XanSetAoClockEdge", "AoClockEdge=%d", below(0, 0, 13770), kAoClockEdge, ao::kClockEdge,
                         kCmdAoClockEdge);
  row.attached = refused();
  return row;
}();
constexpr Row kSetAoRepeatTimes = countSetting("XanSetAoRepeatTimes", "AoRepeatTimes=%d", below(0, 0, 13160),
                                               kAoRepeatTimes, ao::kRepeatTimes, kCmdAoRepeatTimes);
constexpr Row kSetAoEventSamplingTimes =
    countSetting("XanSetAoEventSamplingTimes", "AoSamplingTimes=%d", below(0, 0, 13300), kAoEventSamplingTimes,
                 ao::kEventSamplingTimes, kCmdAoEventSamplingTimes);

constexpr Row kSetAoRange{
    .name = "XanSetAoRange",
    .args = {{Kind::I16, "AoChannel=%d"}, {Kind::I16, "AoRange=%d"}},
    .checks = {aboveUnsigned(0, 255, 13100), aboveUnsigned(1, 300, 13101)},
    .ownership = false,
    .kernel = kernel(kAoRange, kAoFamily, 0, {put16(ao::kChannel, 0), put16(ao::kRange, 1)}),
    .virtualDevice = command(kCmdAoRange, 12, {const16(kGetFlagAt, 0), put16(6, 0), put16(8, 1)}),
};
// The all-channels range writes no get flag, on either road.
constexpr Row kSetAoRangeAll{
    .name = "XanSetAoRangeAll",
    .args = {{Kind::I16, "AoRange=%d"}},
    .checks = {aboveUnsigned(0, 300, 13120)},
    .ownership = false,
    .kernel = kernel(kAoRangeAll, kAoFamily, -1, {put16(ao::kRange, 0)}),
    .virtualDevice = command(kCmdAoRangeAll, 8, {put16(kValueAt, 0)}),
};
// The sibling libraries only know transfer mode 0: it is accepted without a
// request there, and mode 1 is refused as not on this device.
constexpr Request kDeviceMemoryOnly = answer().onlyIf(notEqual(0, 0, 23580));
constexpr Row kSetAoTransferMode{
    .name = "XanSetAoTransferMode",
    .args = {{Kind::I16, "AoTransferMode=%d"}},
    .checks = {aboveUnsigned(0, 1, 13580)},
    .kernel = kernel(kAoTransferMode, kAoFamily, 0, {put16(ao::kTransferMode, 0)}),
    .virtualDevice = kDeviceMemoryOnly,
};
// The clock travels as whole part and thousandths, except to bus kind 3,
// which takes the truncated value. A clock that is no number or does not
// fit the int32 whole part is refused like one that is not positive.
constexpr Row kSetAoSamplingClock{
    .name = "XanSetAoSamplingClock",
    .args = {{Kind::F32, "AoSamplingClock=%f"}},
    .checks = {atMost(0, 0, 13200), outside(0, 0, 2147483647.0, 13200)},
    .kernel = kernel(kAoSamplingClock, kAoFamily, 0,
                     {put32(ao::kClockWhole, 0, Conv::Whole), put32(ao::kClockThousandths, 0, Conv::Thousandths)}),
    .virtualDevice = command(kCmdAoSamplingClock, 12, {put32(4, 0, Conv::Whole), put32(8, 0, Conv::Thousandths)}),
    .attached = command(kCmdAoSamplingClock, 12, {put32(4, 0), const16(8, 0)}),
};
constexpr Row kSetAoEventTransferTimes{
    .name = "XanSetAoEventTransferTimes",
    .args = {{Kind::I32, "AoTransferTimes=%d"}},
    .checks = {below(0, 0, 13660)},
    .kernel = kernel(kAoEventTransferTimes, kAoFamily, 0, {put32(ao::kTransferTimes, 0)}),
    .virtualDevice = refused(),
};

}  // namespace
}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanSetAoRangeAll(short Id, short AoRange) { return rows::Run(kSetAoRangeAll, Id, {AoRange}); }
DLL_EXPORT LONG WINAPI XanSetAoRange(short Id, short AoChannel, short AoRange) {
  return rows::Run(kSetAoRange, Id, {AoChannel, AoRange});
}
DLL_EXPORT LONG WINAPI XanSetAoTransferMode(short Id, short AoTransferMode) {
  return rows::Run(kSetAoTransferMode, Id, {AoTransferMode});
}
DLL_EXPORT LONG WINAPI XanSetAoChannels(short Id, short AoChannels) {
  return rows::Run(kSetAoChannels, Id, {AoChannels});
}
DLL_EXPORT LONG WINAPI XanSetAoMemoryType(short Id, short AoMemoryType) {
  return rows::Run(kSetAoMemoryType, Id, {AoMemoryType});
}
DLL_EXPORT LONG WINAPI XanSetAoRepeatTimes(short Id, LONG AoRepeatTimes) {
  return rows::Run(kSetAoRepeatTimes, Id, {AoRepeatTimes});
}
DLL_EXPORT LONG WINAPI XanSetAoClockType(short Id, short AoClockType) {
  return rows::Run(kSetAoClockType, Id, {AoClockType});
}
DLL_EXPORT LONG WINAPI XanSetAoSamplingClock(short Id, float AoSamplingClock) {
  return rows::Run(kSetAoSamplingClock, Id, {AoSamplingClock});
}
DLL_EXPORT LONG WINAPI XanSetAoClockEdge(short Id, short AoClockEdge) {
  return rows::Run(kSetAoClockEdge, Id, {AoClockEdge});
}
DLL_EXPORT LONG WINAPI XanSetAoStartTrigger(short Id, short AoStartTrigger) {
  return rows::Run(kSetAoStartTrigger, Id, {AoStartTrigger});
}
DLL_EXPORT LONG WINAPI XanSetAoStopTrigger(short Id, short AoStopTrigger) {
  return rows::Run(kSetAoStopTrigger, Id, {AoStopTrigger});
}
DLL_EXPORT LONG WINAPI XanSetAoEventSamplingTimes(short Id, LONG AoSamplingTimes) {
  return rows::Run(kSetAoEventSamplingTimes, Id, {AoSamplingTimes});
}
DLL_EXPORT LONG WINAPI XanSetAoEventTransferTimes(short Id, LONG AoTransferTimes) {
  return rows::Run(kSetAoEventTransferTimes, Id, {AoTransferTimes});
}
