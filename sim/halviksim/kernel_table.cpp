// The kernel driver's requests: one row per code and block size. A code
// whose block is not its family's size is refused (the call fails).
#include <outside/halvikdrv.h>

#include "cntm_dio_rows.h"
#include "requests.h"

namespace halviksim {

namespace {

using namespace halvikdrv;

struct KernelRow {
  Row row;
  uint16_t statusAt;
};

constexpr DWORD kDev = kDeviceBlockSize;
constexpr DWORD kAi = kAiBlockSize;
constexpr DWORD kAo = kAoBlockSize;
constexpr DWORD kCnt = kCntBlockSize;
constexpr DWORD kTm = kTmBlockSize;
constexpr DWORD kDio = kDioBlockSize;
constexpr DWORD kOwn = kOwnershipRecordSize;

// Every setting of one family shares its get flag; a few have a key.
constexpr KernelRow dev(DWORD code, Handler h, Layout l = fields({})) { return {{code, kDev, h, l}, dev::kStatus}; }
constexpr KernelRow aiRow(DWORD code, Handler h, Layout l) { return {{code, kAi, h, l}, ai::kStatus}; }
// An input setting: one value (or two, or three) under the block's get flag,
// with an optional channel (or sequence) key.
constexpr KernelRow aiSet(DWORD code, Field value, Field value2 = {}, Field key = {}, Field value3 = {}) {
  return {{code, kAi, serveSetting, Layout{}.flag(f16(ai::kGetFlag)).keys(key).values(value, value2, value3)},
          ai::kStatus};
}
// A trigger level or window: its read also gives the channel's range code
// and the resolution, which the physical-value forms convert with.
constexpr KernelRow aiLevelSet(DWORD code, Field value, Field value2, Field value3 = {}) {
  KernelRow r = aiSet(code, value, value2, f16(ai::kChannel), value3);
  r.row.layout = r.row.layout.echo(f16(ai::kRange), f16(ai::kResolution));
  return r;
}
constexpr KernelRow aoSet(DWORD code, Field value, Field value2 = {}) {
  return {{code, kAo, serveSetting, setting(f16(ao::kGetFlag), {}, value, value2)}, ao::kStatus};
}
constexpr KernelRow aoRow(DWORD code, Handler h, Layout l) { return {{code, kAo, h, l}, ao::kStatus}; }
constexpr Layout counter(Field value, Field value2 = {}) {
  return of(Function::Counter, f16(cnt::kChannel), value, f16(cnt::kGetFlag), value2);
}
constexpr KernelRow cntRow(DWORD code, Handler h, Layout l) { return {{code, kCnt, h, l}, cnt::kStatus}; }
constexpr Layout timer(Field value = {}) { return of(Function::Timer, f16(halvikdrv::tm::kTimerId), value); }
constexpr Layout timerSetting(Field value) {
  return of(Function::Timer, f16(halvikdrv::tm::kTimerId), value, f16(halvikdrv::tm::kGetFlag));
}
constexpr KernelRow tmRow(DWORD code, Handler h, Layout l) { return {{code, kTm, h, l}, halvikdrv::tm::kStatus}; }

// clang-format off
constexpr KernelRow kRows[] = {
    dev(kOpen, serveAccept, fields(f32(dev::kProcessId))),
    dev(kClose, serveClose, fields(f32(dev::kProcessId))),
    dev(kReset, serveAccept),
    dev(kControlFilter, serveSetting, setting(f16(dev::kGetFlag), f16(dev::kSignal), f32(dev::kFilterValue))),
    dev(kEcuSignal, serveSetting, setting(f16(dev::kGetFlag), f16(dev::kEcuDestination), f16(dev::kEcuSource))),
    dev(kRevision, serveRevision, fields(text(dev::kRevision, dev::kRevisionSize))),
    {{kOwnership, kOwn, serveClaim, fields(f32(4))}, 0},
    {{kReleaseOwnership, kOwn, serveRelease, fields(f32(4))}, 0},
    dev(kReleaseOwnership, serveRelease, fields(f32(dev::kProcessId))),

    aiSet(kAiInputMethod, f16(ai::kInputMethod)),
    aiSet(kAiChannels, f16(ai::kChannels)),
    aiSet(kAiRange, f16(ai::kRange), {}, f16(ai::kChannel)),
    aiRow(kAiRangeAll, serveRangeAll, fields(f16(ai::kRange))),
    aiSet(kAiMemoryType, f16(ai::kMemoryType)),
    aiSet(kAiRepeatTimes, f32(ai::kRepeatTimes)),
    aiSet(kAiClockType, f16(ai::kClockType)),
    aiSet(kAiSamplingClock, f64(ai::kSamplingClock)),
    aiSet(kAiStartTrigger, f16(ai::kStartTrigger)),
    aiLevelSet(kAiStartLevel, f32(ai::kLevel), f16(ai::kDirection)),
    aiSet(kAiStopTrigger, f16(ai::kStopTrigger)),
    aiSet(kAiStopTimes, f32(ai::kStopTimes)),
    aiLevelSet(kAiStopLevel, f32(ai::kLevel), f16(ai::kDirection)),
    aiSet(kAiStopDelayTimes, f32(ai::kStopDelayTimes)),
    aiRow(kAiEvent, serveAiEventMask, setting(f16(ai::kGetFlag), {}, f32(ai::kEventMask), f32(ai::kWindow))),
    aiSet(kAiEventSamplingTimes, f32(ai::kEventSamplingTimes)),
    aiRow(kAiStart, serveAiStart, fields({})),
    aiRow(kAiSingle, serveAiSingle, Layout{}.keys(f16(ai::kChannel)).values(f64(ai::kDataAddress)).echo(f16(ai::kRange), f16(ai::kResolution))),
    aiRow(kAiMulti, serveAiMulti, Layout{}.keys(f16(ai::kChannels)).values(f64(ai::kDataAddress)).echo(f16(ai::kChannelRanges), f16(ai::kResolution))),
    aiRow(kAiStop, serveAiStop, of(Function::Ai)),
    aiRow(kAiStatus, serveAiStatus, setting(f16(ai::kGetFlag), {}, f32(ai::kStatusBits), f16(ai::kStatusBitClear))),
    aiRow(kAiSamplingCount, serveAiCount, fields(f32(ai::kSamplingCount))),
    aiRow(kAiRepeatCount, serveAiCount, fields(f32(ai::kRepeatCount))),
    aiRow(kAiStopTriggerCount, serveAiCount, fields(f32(ai::kStopTriggerCount))),
    aiRow(kAiSamplingData, serveAiData, fields(f32(ai::kChannels), f64(ai::kDataAddress))),
    aiRow(kAiResetStatus, serveAiReset, fields({})),
    aiRow(kAiResetMemory, serveAiReset, fields({})),
    aiRow(kAiMaxChannels, serveAiFixed, fields(f16(ai::kChannels))),
    aiRow(kAiResolution, serveAiFixed, fields(f16(ai::kResolution))),
    // The size travels at the place it is read back from; the process id
    // stands where the block's size-in field is.
    aiSet(kAiMemorySize, f32(ai::kMemorySizeOut)),
    aiRow(kAiChannelRanges, serveAiRanges, fields(f16(ai::kChannelRanges)).echo({}, f16(ai::kResolution))),
    aiSet(kAiChannelSequence, f16(ai::kChannel), {}, f16(ai::kSequence)),
    aiRow(kAiCallBackEvent, serveAiEventMask, setting(f16(ai::kGetFlag), {}, f32(ai::kEventMask))),
    aiRow(kAiTransferMode, serveAiBufferSetting, setting(f16(ai::kGetFlag), {}, f16(ai::kTransferMode), f16(ai::kDeviceMemoryFlag))),
    aiRow(kAiBusMasterSetup, serveAiBufferSetUp, fields({})),
    aiSet(kAiAttachedData, f32(ai::kAttachedData)),
    aiRow(kAiSamplingDataSize, serveAiFixed, fields(f16(ai::kSamplingDataSize))),
    aiLevelSet(kAiStartInRange, f32(ai::kLevel1), f32(ai::kLevel2), f32(ai::kStateTimes)),
    aiLevelSet(kAiStartOutRange, f32(ai::kLevel1), f32(ai::kLevel2), f32(ai::kStateTimes)),
    aiLevelSet(kAiStopInRange, f32(ai::kLevel1), f32(ai::kLevel2), f32(ai::kStateTimes)),
    aiLevelSet(kAiStopOutRange, f32(ai::kLevel1), f32(ai::kLevel2), f32(ai::kStateTimes)),
    aiSet(kAiEventTransferTimes, f32(ai::kEventTransferTimes)),
    aiRow(kAiTransferCount, serveAiTransferCount, fields(f32(ai::kTransferCount))),
    aiRow(kAiTransferLap, serveAiTransferCount, fields(f32(ai::kTransferLap))),
    aiRow(kAiStopTriggerTransferCount, serveAiZero, fields(f32(ai::kTransferCount))),
    // Per channel, range and type; the default one per channel and range.
    aiRow(kAiAdjustment, serveSetting, Layout{}.flag(f16(ai::kGetFlag)).keys(f16(ai::kChannel), f16(ai::kRange), f16(ai::kAdjustType)).values(f16(ai::kAdjustData))),
    aiRow(kAiDefaultAdjustment, serveSetting, Layout{}.flag(f16(ai::kGetFlag)).keys(f16(ai::kChannel), f16(ai::kRange)).values(f16(ai::kAdjustType), f16(ai::kAdjustData))),
    aiRow(kAiBusMasterRelease, serveAiBufferRelease, fields({})),
    aiSet(kAiScanClock, f64(ai::kScanClock)),
    aiSet(kAiClockEdge, f16(ai::kClockEdge)),
    aiSet(kAiChannelEnable, f16(ai::kChannelEnabled), {}, f16(ai::kChannel)),
    aiRow(kAiEventWait, serveAiWait, fields({})),
    aiRow(kAiEventFetch, serveAiFetch, fields({})),
    aiRow(kAiMinClock, serveMinClock, of(Function::Ai, {}, f32(ai::kMinClockWhole), {}, f32(ai::kMinClockThousandths))),
    aiRow(kDeviceBufferMode, serveAiBufferSetting, setting(f16(ai::kGetFlag), {}, f16(ai::kDeviceBufferMode))),

    aoSet(kAoChannels, f16(ao::kChannels)),
    aoRow(kAoRange, serveAoRange, setting(f16(ao::kGetFlag), f16(ao::kChannel), f16(ao::kRange))),
    aoRow(kAoRangeAll, serveRangeAll, fields(f16(ao::kRange))),
    aoSet(kAoMemoryType, f16(ao::kMemoryType)),
    aoSet(kAoRepeatTimes, f32(ao::kRepeatTimes)),
    aoSet(kAoClockType, f16(ao::kClockType)),
    aoSet(kAoSamplingClock, f32(ao::kClockWhole), f32(ao::kClockThousandths)),
    aoSet(kAoStartTrigger, f16(ao::kStartTrigger)),
    aoSet(kAoStopTrigger, f16(ao::kStopTrigger)),
    aoSet(kAoEventSamplingTimes, f32(ao::kEventSamplingTimes)),
    aoRow(kAoStop, serveAoStop, of(Function::Ao)),
    aoRow(kAoStatus, serveAoStatus, of(Function::Ao, {}, f32(ao::kStatusBits))),
    aoSet(kAoTransferMode, f16(ao::kTransferMode)),
    aoSet(kAoEventTransferTimes, f32(ao::kTransferTimes)),
    aoRow(kAoMinClock, serveMinClock, of(Function::Ao, {}, f32(ao::kMinClock))),
    aoSet(kAoClockEdge, f16(ao::kClockEdge)),
    aoSet(kAoRepeatMode, f16(ao::kRepeatMode)),
    aoSet(kDeviceBufferMode, f16(ao::kDeviceBufferMode)),
    // Analog output: run, data and events.
    aoRow(kAoSamplingData, serveAoData, setting(f16(ao::kGetFlag), {}, f32(ao::kSamplingTimes), f64(ao::kDataAddress))),
    aoRow(kAoEvent, serveAoEventMask, setting(f16(ao::kGetFlag), {}, f32(ao::kEventMask), f32(ao::kWindow))),
    aoRow(kAoCallBackEvent, serveAoEventMask, setting(f16(ao::kGetFlag), {}, f32(ao::kEventMask))),
    aoRow(kAoStart, serveAoStart, fields({})),
    aoRow(kAoSingle, serveAoSingle, Layout{}.keys(f16(ao::kChannel)).values(f64(ao::kDataAddress))),
    aoRow(kAoMulti, serveAoMulti, Layout{}.keys(f16(ao::kChannels)).values(f64(ao::kDataAddress))),
    aoRow(kAoEnable, serveAccept, fields(f16(ao::kChannel))),
    aoRow(kAoSamplingCount, serveAoCount, fields(f32(ao::kSamplingCount))),
    aoRow(kAoRepeatCount, serveAoCount, fields(f32(ao::kRepeatCount))),
    aoRow(kAoResetStatus, serveAoReset, fields({})),
    aoRow(kAoResetMemory, serveAoReset, fields({})),
    aoRow(kAoMaxChannels, serveAoFixed, fields(f16(ao::kChannels))),
    aoRow(kAoResolution, serveAoFixed, fields(f16(ao::kResolution))),
    aoRow(kAoSamplingDataSize, serveAoFixed, fields(f16(ao::kSamplingDataSize))),
    aoSet(kAoMemorySize, f32(ao::kMemorySize)),
    aoRow(kAoChannelRanges, serveAoRanges, Layout{}.keys(f16(ao::kChannels))),
    aoRow(kAoBufferSetup, serveAoBufferSetUp, fields(f32(ao::kDataNumber), f64(ao::kTransferBuffer))),
    aoRow(kAoBufferRelease, serveAoBufferRelease, fields({})),
    aoSet(kAoAttachedData, f32(ao::kAttachedData)),
    aoRow(kAoTransferCount, serveAoTransferCount, fields(f32(ao::kTransferCount))),
    aoRow(kAoTransferLap, serveAoTransferCount, fields(f32(ao::kTransferLap))),
    aoRow(kAoAdjustment, serveSetting, Layout{}.flag(f16(ao::kGetFlag)).keys(f16(ao::kChannel), f16(ao::kRange), f16(ao::kAdjustType)).values(f16(ao::kAdjustData))),
    aoRow(kAoDefaultAdjustment, serveSetting, Layout{}.flag(f16(ao::kGetFlag)).keys(f16(ao::kChannel), f16(ao::kRange), f16(ao::kAdjustType)).values(f16(ao::kAdjustData))),
    aoRow(kAoEventWait, serveAoWait, fields({})),
    aoRow(kAoEventFetch, serveAoFetch, fields({})),
    // End of analog output.

    {{kDiFilter, kDio, serveSetting, setting(f16(dio::kGetFlag), f16(dio::kBit), f32(dio::kFilterValue))}, dio::kStatus},

    cntRow(kCntComparisonMode, serveSetting, counter(f32(cnt::kComparisonMode))),
    cntRow(kCntPresetReg, serveSetting, counter(f32(cnt::kPresetNumber), f16(cnt::kFlag))),
    cntRow(kCntInputSignal, serveSetting, counter(f16(cnt::kInputSignal))),
    cntRow(kCntFilter, serveSetting, counter(f32(cnt::kFilterValue))),
    cntRow(kCntStop, serveCntStop, counter({})),
    cntRow(kCntStatus, serveCntStatus, counter(f32(cnt::kCounterStatus))),
    cntRow(kCntMaxChannels, serveMaxChannels, fields(f16(cnt::kMaxChannels))),

    tmRow(kTmStop, serveTmStop, timer()),
    tmRow(kTmStopCount, serveTmStopCount, timer()),
    tmRow(kTmStatus, serveTmStatus, timer(f32(halvikdrv::tm::kStatusBits))),

    // Counters and interval timers: runs, counts and events.
    cntRow(kCntComparisonReg, serveCntComparison,
           counter({}).values(f32(cnt::kComparisonNumber), f16(cnt::kFlag), f64(cnt::kComparisonData))),
    cntRow(kCntEvent, serveCntEventMask, counter(f32(cnt::kEventMask))),
    cntRow(kCntCallBackEvent, serveCntEventMask, counter(f32(cnt::kEventMask))),
    cntRow(kCntStart, serveCntStart, counter({})),
    cntRow(kCntPreset, serveCntPreset, counter(f32(cnt::kPresetValue))),
    cntRow(kCntCount, serveCntCount, counter(f32(cnt::kCount))),
    cntRow(kCntResetStatus, serveCntResetStatus, counter(f32(cnt::kCounterStatus))),
    cntRow(kCntEventWait, serveCntWait, counter({})),
    cntRow(kCntEventRead, serveCntRead, counter({})),
    tmRow(kTmEvent, serveTmEventMask, timerSetting(f32(halvikdrv::tm::kEventMask))),
    tmRow(kTmCallBackEvent, serveTmEventMask, timerSetting(f32(halvikdrv::tm::kEventMask))),
    tmRow(kTmStart, serveTmStart, timer(f32(halvikdrv::tm::kInterval))),
    tmRow(kTmStartCount, serveTmStartCount, timer()),
    tmRow(kTmLapCount, serveTmLap, timer(f32(halvikdrv::tm::kLapTime))),
    tmRow(kTmResetCount, serveTmResetCount, timer()),
    tmRow(kTmWait, serveTmWait, timer(f32(halvikdrv::tm::kWaitTime))),
    tmRow(kTmEventWait, serveTmEventWait, timer()),
    tmRow(kTmEventRead, serveTmEventRead, timer()),
    // A board is no timer-count device.
    {{kTimDescribe, static_cast<DWORD>(tim::kDescribeSize), serveNotSuitable, fields({})}, tim::kStatus},
};
// clang-format on

}  // namespace

const Row* kernelRow(DWORD code, DWORD size, uint16_t& statusAt) {
  for (const KernelRow& entry : kRows) {
    if (entry.row.code == code && entry.row.size == size) {
      statusAt = entry.statusAt;
      return &entry.row;
    }
  }
  if (const Row* row = cntmKernelRow(code, size, statusAt)) return row;
  return dioKernelRow(code, size, statusAt);
}

}  // namespace halviksim
