// The settings that belong to a device as a whole: control-signal filters,
// event-controller connections, the revision, the minimum sampling clocks,
// the output repeat mode, the sleep settings of virtual devices, and the
// input device-buffer mode.
#include <windows.h>
#include <outside/halvikdrv.h>

#include "halvik.h"
#include "setting_rows.h"

namespace halvik {
namespace {

using namespace halvikdrv;
using namespace rows;
using Spacing = ExportFrame::Spacing;
using Tracing = ExportFrame::Tracing;

// A filter count is microseconds of the caller's seconds; this is the
// largest value a count can carry.
constexpr double kFilterMax = 4294.967295;

// Places of the virtual device's command records.
constexpr uint16_t kRecProcessId = 4;
constexpr uint16_t kFilterSignalAt = 8, kFilterValueAt = 12, kFilterGetFlagAt = 16;
constexpr uint16_t kEcuGetFlagAt = 8, kEcuDestinationAt = 10, kEcuSourceAt = 12;
constexpr uint16_t kRevisionTextAt = 8;
constexpr uint16_t kValueAt = 4;
// The two short forms of the sleep settings: {int16 get flag, int16 mode}
// and {int32 get flag, int32 time}.
constexpr uint16_t kModeGetFlagAt = 4, kModeAt = 6;
constexpr uint16_t kTimeGetFlagAt = 4, kTimeAt = 8;

constexpr Row kSetControlFilter{
    .name = "XanSetControlFilter",
    .args = {{Kind::I16, "Signal=%d"}, {Kind::F32, "Value=%f"}},
    .checks = {outside(1, 0, kFilterMax, 10341)},
    .kernel = kernel(kControlFilter, kDeviceFamily, 0, {put16(dev::kSignal, 0), putU32(dev::kFilterValue, 1, Conv::Micro)}),
    .virtualDevice = command(kCmdControlFilter, 20, {processId(kRecProcessId), put16(kFilterSignalAt, 0),
                                                     putU32(kFilterValueAt, 1, Conv::Micro), const16(kFilterGetFlagAt, 0)}),
    .attached = refused(),
};
constexpr Row kGetControlFilter{
    .name = "XanGetControlFilter",
    .args = {{Kind::I16, "Signal=%d"}, {Kind::OutF32}},
    .checks = {null(1, 10351)},
    .kernel = kernel(kControlFilter, kDeviceFamily, 1, {put16(dev::kSignal, 0)},
                     {getU32(dev::kFilterValue, 1, Shape::PerMillion)}),
    .virtualDevice = command(kCmdControlFilter, 20, {processId(kRecProcessId), put16(kFilterSignalAt, 0),
                                                     const16(kFilterGetFlagAt, 1)},
                             {getU32(kFilterValueAt, 1, Shape::PerMillion)}),
    .attached = refused(),
    .endText = "Value=%f",
};
constexpr Row kSetEcuSignal{
    .name = "XanSetEcuSignal",
    .args = {{Kind::I16, "Destination=%d"}, {Kind::I16, "Source=%d"}},
    .checks = {below(0, 0, 17000), below(1, -1, 17001)},
    .kernel = kernel(kEcuSignal, kDeviceFamily, 0, {put16(dev::kEcuDestination, 0), put16(dev::kEcuSource, 1)}),
    .virtualDevice = command(kCmdEcuSignal, 16, {processId(kRecProcessId), const16(kEcuGetFlagAt, 0),
                                                 put16(kEcuDestinationAt, 0), put16(kEcuSourceAt, 1)}),
    .attached = refused(),
};
constexpr Row kGetEcuSignal{
    .name = "XanGetEcuSignal",
    .args = {{Kind::I16, "Destination=%d"}, {Kind::OutI16}},
    .checks = {below(0, 0, 17010), null(1, 17011)},
    .kernel = kernel(kEcuSignal, kDeviceFamily, 1, {put16(dev::kEcuDestination, 0)}, {get16(dev::kEcuSource, 1)}),
    .virtualDevice = command(kCmdEcuSignal, 16, {processId(kRecProcessId), const16(kEcuGetFlagAt, 1),
                                                 put16(kEcuDestinationAt, 0)},
                             {get16(kEcuSourceAt, 1)}),
    .attached = refused(),
    .endText = "Source=%d",
};
constexpr Row kGetDeviceRevision{
    .name = "XanGetDeviceRevision",
    .spacing = Spacing::Spaced,
    .args = {{Kind::OutText}},
    .checks = {null(0, 10420)},
    .kernel = kernel(kRevision, kDeviceFamily, -1, {}, {getText(dev::kRevision, 0)}),
    .virtualDevice = command(kCmdRevision, 20, {processId(kRecProcessId)}, {getText(kRevisionTextAt, 0)}),
    .attached = refused(),
    .endText = "Revision=%s",
};
constexpr Row kGetAiMinSamplingClock{
    .name = "XanGetAiMinSamplingClock",
    .tracing = Tracing::None,
    .args = {{Kind::OutF32}},
    .checks = {null(0, 12260)},
    .kernel = kernel(kAiMinClock, kAiFamily, 1, {}, {getClock(ai::kMinClockWhole, ai::kMinClockThousandths, 0)}),
    .virtualDevice = command(kCmdAiMinClock, 16, {}, {get32(kValueAt, 0, Shape::Float)}),
    .attached = command(kCmdAiMinClock, 12, {}, {get32(kValueAt, 0, Shape::Float)}),
};
constexpr Row kGetAoMinSamplingClock{
    .name = "XanGetAoMinSamplingClock",
    .tracing = Tracing::None,
    .args = {{Kind::OutF32}},
    .checks = {null(0, 13760)},
    .kernel = kernel(kAoMinClock, kAoFamily, 1, {}, {get32(ao::kMinClock, 0, Shape::Float)}),
    .virtualDevice = command(kCmdAoMinClock, 16, {}, {get32(kValueAt, 0, Shape::Float)}),
    .attached = command(kCmdAoMinClock, 12, {}, {get32(kValueAt, 0, Shape::Float)}),
};
constexpr Row kSetAoRepeatMode{
    .name = "XanSetAoRepeatMode",
    .tracing = Tracing::Failures,
    .args = {{Kind::I16, "AoRepeatMode=%d"}},
    .checks = {above(0, 1, 13860)},
    .kernel = kernel(kAoRepeatMode, kAoFamily, 0, {put16(ao::kRepeatMode, 0)}),
    .virtualDevice = command(kCmdAoRepeatMode, 12, {put16(kValueAt, 0), const16(8, 0)}),
    .attached = refused(),
};

// The sleep settings: only bus kind 10 serves them.
constexpr Row sleepMode(const char* name, const char* trace, WORD cmd, LONG code) {
  return {.name = name,
          .args = {{Kind::I16, trace}},
          .checks = {above(0, 1, code)},
          .virtualDevice = command(cmd, 8, {const16(kModeGetFlagAt, 0), put16(kModeAt, 0)}),
          .attached = refused()};
}
constexpr Row sleepModeGet(const char* name, const char* endText, WORD cmd, LONG code) {
  return {.name = name,
          .args = {{Kind::OutI16}},
          .checks = {null(0, code)},
          .virtualDevice = command(cmd, 8, {const16(kModeGetFlagAt, 1)}, {get16(kModeAt, 0)}),
          .attached = refused(),
          .endText = endText};
}
constexpr Row sleepTime(const char* name, const char* trace, WORD cmd, LONG code) {
  return {.name = name,
          .args = {{Kind::I32, trace}},
          .checks = {below(0, 0, code)},
          .virtualDevice = command(cmd, 12, {const32(kTimeGetFlagAt, 0), put32(kTimeAt, 0)}),
          .attached = refused()};
}
constexpr Row sleepTimeGet(const char* name, const char* endText, WORD cmd, LONG code) {
  return {.name = name,
          .args = {{Kind::OutI32}},
          .checks = {null(0, code)},
          .virtualDevice = command(cmd, 12, {const32(kTimeGetFlagAt, 1)}, {get32(kTimeAt, 0)}),
          .attached = refused(),
          .endText = endText};
}
constexpr Row kSetAiUsbSleepMode = sleepMode("XanSetAiUsbSleepMode", "AiSleepMode=%d", kCmdAiSleepMode, 12340);
constexpr Row kGetAiUsbSleepMode = sleepModeGet("XanGetAiUsbSleepMode", "AiSleepMode=%d", kCmdAiSleepMode, 12350);
constexpr Row kSetAiUsbSleepTime = sleepTime("XanSetAiUsbSleepTime", "AiSleepTime=%d", kCmdAiSleepTime, 12360);
constexpr Row kGetAiUsbSleepTime = sleepTimeGet("XanGetAiUsbSleepTime", "AiSleepTime=%d", kCmdAiSleepTime, 12370);
constexpr Row kSetAoUsbSleepMode = sleepMode("XanSetAoUsbSleepMode", "AoSleepMode=%d", kCmdAoSleepMode, 13800);
constexpr Row kGetAoUsbSleepMode = sleepModeGet("XanGetAoUsbSleepMode", "AoSleepMode=%d", kCmdAoSleepMode, 13810);
constexpr Row kSetAoUsbSleepTime = sleepTime("XanSetAoUsbSleepTime", "AoSleepTime=%d", kCmdAoSleepTime, 13820);
constexpr Row kGetAoUsbSleepTime = sleepTimeGet("XanGetAoUsbSleepTime", "AoSleepTime=%d", kCmdAoSleepTime, 13830);

}  // namespace
}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanSetControlFilter(short Id, short Signal, float Value) {
  return rows::Run(kSetControlFilter, Id, {Signal, Value});
}
DLL_EXPORT LONG WINAPI XanGetControlFilter(short Id, short Signal, float* Value) {
  return rows::Run(kGetControlFilter, Id, {Signal, Value});
}
DLL_EXPORT LONG WINAPI XanSetEcuSignal(short Id, short Destination, short Source) {
  return rows::Run(kSetEcuSignal, Id, {Destination, Source});
}
DLL_EXPORT LONG WINAPI XanGetEcuSignal(short Id, short Destination, short* Source) {
  return rows::Run(kGetEcuSignal, Id, {Destination, Source});
}
DLL_EXPORT LONG WINAPI XanGetDeviceRevision(short Id, char* Revision) {
  return rows::Run(kGetDeviceRevision, Id, {Revision});
}
DLL_EXPORT LONG WINAPI XanGetAiMinSamplingClock(short Id, float* AiSamplingClock) {
  return rows::Run(kGetAiMinSamplingClock, Id, {AiSamplingClock});
}
DLL_EXPORT LONG WINAPI XanGetAoMinSamplingClock(short Id, float* AoSamplingClock) {
  return rows::Run(kGetAoMinSamplingClock, Id, {AoSamplingClock});
}
DLL_EXPORT LONG WINAPI XanSetAoRepeatMode(short Id, short AoRepeatMode) {
  return rows::Run(kSetAoRepeatMode, Id, {AoRepeatMode});
}
DLL_EXPORT LONG WINAPI XanSetAiUsbSleepMode(short Id, short AiSleepMode) {
  return rows::Run(kSetAiUsbSleepMode, Id, {AiSleepMode});
}
DLL_EXPORT LONG WINAPI XanGetAiUsbSleepMode(short Id, short* AiSleepMode) {
  return rows::Run(kGetAiUsbSleepMode, Id, {AiSleepMode});
}
DLL_EXPORT LONG WINAPI XanSetAiUsbSleepTime(short Id, LONG AiSleepTime) {
  return rows::Run(kSetAiUsbSleepTime, Id, {AiSleepTime});
}
DLL_EXPORT LONG WINAPI XanGetAiUsbSleepTime(short Id, LONG* AiSleepTime) {
  return rows::Run(kGetAiUsbSleepTime, Id, {AiSleepTime});
}
DLL_EXPORT LONG WINAPI XanSetAoUsbSleepMode(short Id, short AoSleepMode) {
  return rows::Run(kSetAoUsbSleepMode, Id, {AoSleepMode});
}
DLL_EXPORT LONG WINAPI XanGetAoUsbSleepMode(short Id, short* AoSleepMode) {
  return rows::Run(kGetAoUsbSleepMode, Id, {AoSleepMode});
}
DLL_EXPORT LONG WINAPI XanSetAoUsbSleepTime(short Id, LONG AoSleepTime) {
  return rows::Run(kSetAoUsbSleepTime, Id, {AoSleepTime});
}
DLL_EXPORT LONG WINAPI XanGetAoUsbSleepTime(short Id, LONG* AoSleepTime) {
  return rows::Run(kGetAoUsbSleepTime, Id, {AoSleepTime});
}
