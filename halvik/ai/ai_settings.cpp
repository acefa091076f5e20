// The analog-input settings of one value: channel count and sequence, memory
// and clock type, clocks, triggers, stop and repeat counts, event counts.
#include <windows.h>
#include <outside/halvikdrv.h>

#include "ai_forms.h"
#include "halvik.h"

namespace halvik {
namespace {

using namespace ai_rows;

constexpr Row kSetAiChannels = shortSet("XanSetAiChannels", "AiChannels=%d", outside(0, 1, 256, 11020), kAiChannels,
                                        ai::kChannels, kCmdAiChannels);
constexpr Row kGetAiChannels =
    shortGet("XanGetAiChannels", "*AiChannels=%d", 11030, kAiChannels, ai::kChannels, kCmdAiChannels);
constexpr Row kSetAiMemoryType = shortSet("XanSetAiMemoryType", "AiMemoryType=%d", outside(0, 0, 1, 11080),
                                          kAiMemoryType, ai::kMemoryType, kCmdAiMemoryType);
constexpr Row kGetAiMemoryType =
    shortGet("XanGetAiMemoryType", "*AiMemoryType=%d", 11090, kAiMemoryType, ai::kMemoryType, kCmdAiMemoryType);
constexpr Row kSetAiClockType = shortSet("XanSetAiClockType", "AiClockType=%d", below(0, 0, 11120), kAiClockType,
                                         ai::kClockType, kCmdAiClockType);
constexpr Row kGetAiClockType =
    shortGet("XanGetAiClockType", "*AiClockType=%d", 11130, kAiClockType, ai::kClockType, kCmdAiClockType);
constexpr Row kSetAiStartTrigger = shortSet("XanSetAiStartTrigger", "AiStartTrigger=%d", below(0, 0, 11160),
                                            kAiStartTrigger, ai::kStartTrigger, kCmdAiStartTrigger);
constexpr Row kGetAiStartTrigger = shortGet("XanGetAiStartTrigger", "*AiStartTrigger=%d", 11170, kAiStartTrigger,
                                            ai::kStartTrigger, kCmdAiStartTrigger);
constexpr Row kSetAiStopTrigger = shortSet("XanSetAiStopTrigger", "AiStopTrigger=%d", below(0, 0, 11260),
                                           kAiStopTrigger, ai::kStopTrigger, kCmdAiStopTrigger);
constexpr Row kGetAiStopTrigger = shortGet("XanGetAiStopTrigger", "*AiStopTrigger=%d", 11270, kAiStopTrigger,
                                           ai::kStopTrigger, kCmdAiStopTrigger);
constexpr Row kSetAiClockEdge = notOnAttached(shortSet("XanSetAiClockEdge", "AiClockEdge=%d", below(0, 0, 12310),
                                                       kAiClockEdge, ai::kClockEdge, kCmdAiClockEdge));
constexpr Row kGetAiClockEdge = notOnAttached(
    shortGet("XanGetAiClockEdge", "*AiClockEdge=%d", 12320, kAiClockEdge, ai::kClockEdge, kCmdAiClockEdge));

constexpr Row kSetAiStopTimes = countSet("XanSetAiStopTimes", "AiStopTimes=%d", atMost(0, 0, 11280), kAiStopTimes,
                                         ai::kStopTimes, kCmdAiStopTimes);
constexpr Row kGetAiStopTimes =
    countGet("XanGetAiStopTimes", "*AiStopTimes=%d", 11290, kAiStopTimes, ai::kStopTimes, kCmdAiStopTimes);
constexpr Row kSetAiStopDelayTimes = countSet("XanSetAiStopDelayTimes", "AiStopDelayTimes=%d", below(0, 0, 11360),
                                              kAiStopDelayTimes, ai::kStopDelayTimes, kCmdAiStopDelayTimes);
constexpr Row kGetAiStopDelayTimes = countGet("XanGetAiStopDelayTimes", "*AiStopDelayTimes=%d", 11370,
                                              kAiStopDelayTimes, ai::kStopDelayTimes, kCmdAiStopDelayTimes);
constexpr Row kSetAiRepeatTimes = countSet("XanSetAiRepeatTimes", "AiRepeatTimes=%d", below(0, 0, 11100),
                                           kAiRepeatTimes, ai::kRepeatTimes, kCmdAiRepeatTimes);
constexpr Row kGetAiRepeatTimes =
    countGet("XanGetAiRepeatTimes", "*AiRepeatTimes=%d", 11110, kAiRepeatTimes, ai::kRepeatTimes, kCmdAiRepeatTimes);
constexpr Row kSetAiEventSamplingTimes =
    countSet("XanSetAiEventSamplingTimes", "AiSamplingTimes=%d", below(0, 0, 11400), kAiEventSamplingTimes,
             ai::kEventSamplingTimes, kCmdAiEventSamplingTimes);
constexpr Row kGetAiEventSamplingTimes =
    countGet("XanGetAiEventSamplingTimes", "*AiSamplingTimes=%d", 11410, kAiEventSamplingTimes,
             ai::kEventSamplingTimes, kCmdAiEventSamplingTimes);

constexpr Row kSetAiSamplingClock = clockSet("XanSetAiSamplingClock", "AiSamplingClock=%f", 11140, kAiSamplingClock,
                                             ai::kSamplingClock, kCmdAiSamplingClock);
constexpr Row kGetAiSamplingClock = clockGet("XanGetAiSamplingClock", "*AiSamplingClock=%f", 11150,
                                             kAiSamplingClock, ai::kSamplingClock, kCmdAiSamplingClock);
constexpr Row kSetAiScanClock = notOnAttached(
    clockSet("XanSetAiScanClock", "AiScanClock=%f", 12240, kAiScanClock, ai::kScanClock, kCmdAiScanClock));
constexpr Row kGetAiScanClock = notOnAttached(
    clockGet("XanGetAiScanClock", "*AiScanClock=%f", 12250, kAiScanClock, ai::kScanClock, kCmdAiScanClock));

// The sequence record: {get flag at 4, AiSequence at 6, AiChannel at 8}.
constexpr Row kSetAiChannelSequence{
    .name = "XanSetAiChannelSequence",
    .args = {{Kind::I16, "AiSequence=%d"}, {Kind::I16, "AiChannel=%d"}},
    .checks = {aboveUnsigned(1, 256, 11760), aboveUnsigned(0, 256, 11761)},
    .kernel = kernel(kAiChannelSequence, kAiFamily, 0, {put16(ai::kSequence, 0), put16(ai::kChannel, 1)}),
    .virtualDevice = command(kCmdAiChannelSequence, 12, {const16(4, 0), put16(6, 0), put16(8, 1)}),
};
constexpr Row kGetAiChannelSequence{
    .name = "XanGetAiChannelSequence",
    .args = {{Kind::I16, "AiSequence=%d"}, {Kind::OutI16}},
    .checks = {aboveUnsigned(0, 256, 11770), null(1, 11771)},
    .kernel = kernel(kAiChannelSequence, kAiFamily, 1, {put16(ai::kSequence, 0)}, {get16(ai::kChannel, 1)}),
    .virtualDevice = command(kCmdAiChannelSequence, 12, {const16(4, 1), put16(6, 0)}, {get16(8, 1)}),
    .endText = "*AiChannel=%d",
};

}  // namespace
}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanSetAiChannels(short Id, short AiChannels) {
  return rows::Run(kSetAiChannels, Id, {AiChannels});
}
DLL_EXPORT LONG WINAPI XanGetAiChannels(short Id, short* AiChannels) {
  return rows::Run(kGetAiChannels, Id, {AiChannels});
}
DLL_EXPORT LONG WINAPI XanSetAiChannelSequence(short Id, short AiSequence, short AiChannel) {
  return rows::Run(kSetAiChannelSequence, Id, {AiSequence, AiChannel});
}
DLL_EXPORT LONG WINAPI XanGetAiChannelSequence(short Id, short AiSequence, short* AiChannel) {
  return rows::Run(kGetAiChannelSequence, Id, {AiSequence, AiChannel});
}
DLL_EXPORT LONG WINAPI XanSetAiMemoryType(short Id, short AiMemoryType) {
  return rows::Run(kSetAiMemoryType, Id, {AiMemoryType});
}
DLL_EXPORT LONG WINAPI XanGetAiMemoryType(short Id, short* AiMemoryType) {
  return rows::Run(kGetAiMemoryType, Id, {AiMemoryType});
}
DLL_EXPORT LONG WINAPI XanSetAiClockType(short Id, short AiClockType) {
  return rows::Run(kSetAiClockType, Id, {AiClockType});
}
DLL_EXPORT LONG WINAPI XanGetAiClockType(short Id, short* AiClockType) {
  return rows::Run(kGetAiClockType, Id, {AiClockType});
}
DLL_EXPORT LONG WINAPI XanSetAiSamplingClock(short Id, float AiSamplingClock) {
  return rows::Run(kSetAiSamplingClock, Id, {AiSamplingClock});
}
DLL_EXPORT LONG WINAPI XanGetAiSamplingClock(short Id, float* AiSamplingClock) {
  return rows::Run(kGetAiSamplingClock, Id, {AiSamplingClock});
}
DLL_EXPORT LONG WINAPI XanSetAiScanClock(short Id, float AiScanClock) {
  return rows::Run(kSetAiScanClock, Id, {AiScanClock});
}
DLL_EXPORT LONG WINAPI XanGetAiScanClock(short Id, float* AiScanClock) {
  return rows::Run(kGetAiScanClock, Id, {AiScanClock});
}
DLL_EXPORT LONG WINAPI XanSetAiClockEdge(short Id, short AiClockEdge) {
  return rows::Run(kSetAiClockEdge, Id, {AiClockEdge});
}
DLL_EXPORT LONG WINAPI XanGetAiClockEdge(short Id, short* AiClockEdge) {
  return rows::Run(kGetAiClockEdge, Id, {AiClockEdge});
}
DLL_EXPORT LONG WINAPI XanSetAiStartTrigger(short Id, short AiStartTrigger) {
  return rows::Run(kSetAiStartTrigger, Id, {AiStartTrigger});
}
DLL_EXPORT LONG WINAPI XanGetAiStartTrigger(short Id, short* AiStartTrigger) {
  return rows::Run(kGetAiStartTrigger, Id, {AiStartTrigger});
}
DLL_EXPORT LONG WINAPI XanSetAiStopTrigger(short Id, short AiStopTrigger) {
  return rows::Run(kSetAiStopTrigger, Id, {AiStopTrigger});
}
DLL_EXPORT LONG WINAPI XanGetAiStopTrigger(short Id, short* AiStopTrigger) {
  return rows::Run(kGetAiStopTrigger, Id, {AiStopTrigger});
}
DLL_EXPORT LONG WINAPI XanSetAiStopTimes(short Id, LONG AiStopTimes) {
  return rows::Run(kSetAiStopTimes, Id, {AiStopTimes});
}
DLL_EXPORT LONG WINAPI XanGetAiStopTimes(short Id, LONG* AiStopTimes) {
  return rows::Run(kGetAiStopTimes, Id, {AiStopTimes});
}
DLL_EXPORT LONG WINAPI XanSetAiStopDelayTimes(short Id, LONG AiStopDelayTimes) {
  return rows::Run(kSetAiStopDelayTimes, Id, {AiStopDelayTimes});
}
DLL_EXPORT LONG WINAPI XanGetAiStopDelayTimes(short Id, LONG* AiStopDelayTimes) {
  return rows::Run(kGetAiStopDelayTimes, Id, {AiStopDelayTimes});
}
DLL_EXPORT LONG WINAPI XanSetAiRepeatTimes(short Id, LONG AiRepeatTimes) {
  return rows::Run(kSetAiRepeatTimes, Id, {AiRepeatTimes});
}
DLL_EXPORT LONG WINAPI XanGetAiRepeatTimes(short Id, LONG* AiRepeatTimes) {
  return rows::Run(kGetAiRepeatTimes, Id, {AiRepeatTimes});
}
DLL_EXPORT LONG WINAPI XanSetAiEventSamplingTimes(short Id, LONG AiSamplingTimes) {
  return rows::Run(kSetAiEventSamplingTimes, Id, {AiSamplingTimes});
}
DLL_EXPORT LONG WINAPI XanGetAiEventSamplingTimes(short Id, LONG* AiSamplingTimes) {
  return rows::Run(kGetAiEventSamplingTimes, Id, {AiSamplingTimes});
}
