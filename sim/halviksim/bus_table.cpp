// The commands of the two sibling libraries, one row per command and bus
// kind: HalvikVm (bus kind 10) and Kelbus (bus kind 3, the subset its
// devices are sent).
#include <outside/halvikdrv.h>

#include "cntm_dio_rows.h"
#include "requests.h"

namespace halviksim {

namespace {

using namespace halvikdrv;
using namespace halvikdrv::rec;

constexpr uint8_t kVm = 1;   // bus kind 10
constexpr uint8_t kBus = 2;  // bus kind 3
constexpr uint8_t kBoth = kVm | kBus;

struct BusRow {
  Row row;
  uint8_t kinds;
};

constexpr Layout pid() { return fields(f32(kProcessId)); }
// The 8-byte form {get flag, int16 value}.
constexpr BusRow flagForm(WORD command, uint8_t kinds) {
  return {{command, 8, serveSetting, setting(f16(kShortGetFlag), {}, f16(kShortValue))}, kinds};
}
// The 12-byte form {int32 value, int16 get flag}.
constexpr BusRow countForm(WORD command, uint8_t kinds) {
  return {{command, 12, serveSetting, setting(f16(kCountGetFlag), {}, f32(kValue))}, kinds};
}
// The 12-byte form {int32 get flag, int32 value}.
constexpr BusRow timeForm(WORD command) {
  return {{command, 12, serveSetting, setting(f32(kTimeGetFlag), {}, f32(kTimeValue))}, kVm};
}
// An input record of one of the forms A to N.
constexpr BusRow aiForm(WORD command, DWORD size, Handler h, Layout l, uint8_t kinds = kBoth) {
  return {{command, size, h, l}, kinds};
}
constexpr BusRow formA(WORD command, uint8_t kinds = kBoth) {
  return aiForm(command, kAiFormASize, serveSetting, setting(f16(kAiFormAGetFlag), {}, f16(kAiFormAValue)), kinds);
}
constexpr BusRow formC(WORD command, Handler h = serveSetting) {
  return aiForm(command, kAiFormCSize, h, setting(f16(kAiFormCGetFlag), {}, f32(kAiFormCValue)));
}
constexpr BusRow formD(WORD command) {
  return aiForm(command, kAiFormDSize, serveSetting, setting(f16(kAiFormDGetFlag), f16(kAiFormDKey), f16(kAiFormDValue)));
}
constexpr BusRow formG(WORD command) {
  return aiForm(command, kAiFormGSize, serveSetting,
                Layout{}.flag(f16(kAiFormGGetFlag)).keys(f16(kAiFormGChannel)).values(f32(kAiFormGLevel), f16(kAiFormGDirection)).echo(f16(kAiFormGRange), f16(kAiFormGResolution)));
}
constexpr BusRow formH(WORD command) {
  return aiForm(command, kAiFormHSize, serveSetting,
                Layout{}.flag(f16(kAiFormHGetFlag)).keys(f16(kAiFormHChannel)).values(f32(kAiFormHLevel1), f32(kAiFormHLevel2), f32(kAiFormHStateTimes)).echo(f16(kAiFormHRange), f16(kAiFormHResolution)),
                kVm);
}
constexpr Layout counter(Field getFlag, Field key, Field value, Field value2 = {}) {
  return of(Function::Counter, key, value, getFlag, value2);
}

// clang-format off
constexpr BusRow kRows[] = {
    {{kCmdOpen, kOpenSize, serveAccept, pid()}, kBoth},
    {{kCmdClose, kOpenSize, serveClose, pid()}, kBoth},
    {{kCmdReset, kOpenSize, serveAccept, fields({})}, kBoth},
    {{kCmdEcuSignal, kEcuSize, serveSetting, setting(f16(kEcuGetFlag), f16(kEcuDestination), f16(kEcuSource))}, kVm},
    {{kCmdRevision, kRevisionSize, serveRevision, fields(text(kRevisionText, 12))}, kVm},
    {{kCmdDeviceCheck, kDeviceCheckSize, serveAccept, fields({})}, kBoth},
    {{kCmdControlFilter, kFilterSize, serveSetting, setting(f16(kFilterGetFlag), f16(kFilterSignal), f32(kFilterValue))}, kVm},
    {{kCmdOwnership, 8, serveClaim, pid()}, kBoth},
    {{kCmdReleaseOwnership, 8, serveRelease, pid()}, kBoth},

    // Analog input, forms A to N and the records of their own.
    formA(kCmdAiChannels),
    aiForm(kCmdAiRangeAll, kAiFormASize, serveRangeAll, fields(f16(kAiFormAValue))),
    formA(kCmdAiMemoryType),
    formA(kCmdAiClockType),
    formA(kCmdAiStartTrigger),
    formA(kCmdAiStopTrigger),
    formA(kCmdAiClockEdge, kVm),
    aiForm(kCmdAiStatus, kAiFormBSize, serveAiStatus, fields(f32(kAiFormBValue))),
    aiForm(kCmdAiSamplingCount, kAiFormBSize, serveAiCount, fields(f32(kAiFormBValue))),
    aiForm(kCmdAiRepeatCount, kAiFormBSize, serveAiCount, fields(f32(kAiFormBValue))),
    aiForm(kCmdAiStopTriggerCount, kAiFormBSize, serveAiCount, fields(f32(kAiFormBValue))),
    aiForm(kCmdAiMaxChannels, kAiFormBSize, serveAiFixed, fields(f16(kAiFormBValue))),
    aiForm(kCmdAiResolution, kAiFormBSize, serveAiFixed, fields(f16(kAiFormBValue))),
    formC(kCmdAiRepeatTimes),
    formC(kCmdAiStopTimes),
    formC(kCmdAiStopDelayTimes),
    formC(kCmdAiEventSamplingTimes),
    formC(kCmdAiEvent, serveAiEventMask),
    formC(kCmdAiCallBackEvent, serveAiEventMask),
    formD(kCmdAiChannelSequence),
    formD(kCmdAiRange),
    aiForm(kCmdAiMemorySize, kAiFormESize, serveSetting, setting(f16(kAiFormEGetFlag), {}, f32(kAiFormEValue))),
    aiForm(kCmdAiSamplingClock, kAiFormFSizeVm, serveSetting, setting(f16(kAiFormFGetFlagVm), {}, f64(kAiFormFClock)), kVm),
    aiForm(kCmdAiSamplingClock, kAiFormFSizeBus, serveSetting, setting(f16(kAiFormFGetFlagBus), {}, f32(kAiFormFClock)), kBus),
    aiForm(kCmdAiScanClock, kAiFormFSizeVm, serveSetting, setting(f16(kAiFormFGetFlagVm), {}, f64(kAiFormFClock)), kVm),
    formG(kCmdAiStartLevel),
    formG(kCmdAiStopLevel),
    formH(kCmdAiStartInRange),
    formH(kCmdAiStartOutRange),
    formH(kCmdAiStopInRange),
    formH(kCmdAiStopOutRange),
    aiForm(kCmdAiAdjustment, kAiFormISize, serveSetting,
           Layout{}.flag(f16(kAiFormIGetFlag)).keys(f16(kAiFormIChannel), f16(kAiFormIRange), f16(kAiFormIType)).values(f16(kAiFormIData)), kVm),
    aiForm(kCmdAiDefaultAdjustment, kAiFormISize, serveSetting,
           Layout{}.flag(f16(kAiFormIGetFlag)).keys(f16(kAiFormIChannel), f16(kAiFormIRange)).values(f16(kAiFormIType), f16(kAiFormIData)), kVm),
    aiForm(kCmdAiInputMethod, kAiFormJSize, serveSetting, setting(f16(kAiFormJGetFlag), {}, f16(kAiFormJValue))),
    aiForm(kCmdAiSingle, kAiFormKSize, serveAiSingle,
           Layout{}.keys(f16(kAiFormKChannel)).values(f16(kAiFormKRaw)).echo(f16(kAiFormKRange), f16(kAiFormKResolution))),
    aiForm(kCmdAiStart, kAiFormLSizeVm, serveAiStart, fields({}), kVm),
    aiForm(kCmdAiStart, kAiFormLSizeBus, serveAiStart, fields({}), kBus),
    aiForm(kCmdAiStop, kAiFormMSize, serveAiStop, fields(f32(kAiFormMFlag))),
    aiForm(kCmdAiResetStatus, kAiFormNSize, serveAiReset, fields({})),
    aiForm(kCmdAiResetMemory, kAiFormNSize, serveAiReset, fields({})),
    aiForm(kCmdAiMulti, kAiMultiSizeVm, serveAiMulti,
           Layout{}.keys(f16(kAiMultiCount)).values(f16(kAiMultiRaw)).echo(f16(kAiMultiRangesVm), f16(kAiMultiResolutionVm)), kVm),
    aiForm(kCmdAiMulti, kAiMultiSizeBus, serveAiMulti,
           Layout{}.keys(f16(kAiMultiCount)).values(f16(kAiMultiRaw)).echo(f16(kAiMultiRangesBus), f16(kAiMultiResolutionBus)), kBus),
    aiForm(kCmdAiSamplingData, kAiReadoutSizeVm, serveAiData, fields(f32(kAiReadoutScans), f64(kAiReadoutAddress)), kVm),
    aiForm(kCmdAiSamplingData, kAiChunkSize, serveAiChunk, fields(f32(kAiChunkCount)), kBus),
    aiForm(kCmdAiChannelRanges, kAiRangesSizeVm, serveAiRanges, Layout{}.keys(f16(kAiRangesCount)).values(f16(kAiRangesCodes)), kVm),
    aiForm(kCmdAiChannelRanges, kAiRangesSizeBus, serveAiRanges, Layout{}.keys(f16(kAiRangesCount)).values(f16(kAiRangesCodes)), kBus),
    aiForm(kCmdAiEventWait, kAiWaitSize, serveAiWait, fields({})),
    aiForm(kCmdAiEventFetch, kAiFetchSizeVm, serveAiFetch, fields({}), kVm),
    aiForm(kCmdAiEventFetch, kAiFetchSizeBus, serveAiFetch, fields({}), kBus),
    {{kCmdAiMinClock, kMinClockSizeVm, serveMinClock, of(Function::Ai, {}, f32(kValue))}, kVm},
    {{kCmdAiMinClock, kMinClockSizeBus, serveMinClock, of(Function::Ai, {}, f32(kValue))}, kBus},
    flagForm(kCmdAiSleepMode, kVm),
    timeForm(kCmdAiSleepTime),

    flagForm(kCmdAoChannels, kBoth),
    {{kCmdAoRange, 12, serveAoRange, setting(f16(kShortGetFlag), f16(kAoRangeChannel), f16(kAoRangeValue))}, kBoth},
    {{kCmdAoRangeAll, 8, serveRangeAll, fields(f16(kShortValue))}, kBoth},
    flagForm(kCmdAoMemoryType, kBoth),
    countForm(kCmdAoRepeatTimes, kBoth),
    flagForm(kCmdAoClockType, kBoth),
    {{kCmdAoSamplingClock, kAoClockSizeVm, serveSetting,
      setting(f16(kAoClockGetFlagVm), {}, f32(kAoClockWhole), f32(kAoClockThousandths))}, kVm},
    {{kCmdAoSamplingClock, kAoClockSizeBus, serveSetting, setting(f16(kAoClockGetFlagBus), {}, f32(kValue))}, kBus},
    flagForm(kCmdAoStartTrigger, kBoth),
    flagForm(kCmdAoStopTrigger, kBoth),
    countForm(kCmdAoEventSamplingTimes, kBoth),
    {{kCmdAoStop, 8, serveAoStop, of(Function::Ao)}, kBoth},
    {{kCmdAoStatus, 8, serveAoStatus, of(Function::Ao, {}, f32(kValue))}, kBoth},
    {{kCmdAoMinClock, kMinClockSizeVm, serveMinClock, of(Function::Ao, {}, f32(kValue))}, kVm},
    {{kCmdAoMinClock, kMinClockSizeBus, serveMinClock, of(Function::Ao, {}, f32(kValue))}, kBus},
    flagForm(kCmdAoSleepMode, kVm),
    timeForm(kCmdAoSleepTime),
    flagForm(kCmdAoClockEdge, kVm),
    {{kCmdAoRepeatMode, 12, serveSetting, setting(f16(kRepeatModeGetFlag), {}, f16(kRepeatModeValue))}, kVm},

    // Analog output: run, data and events.
    {{kCmdAoSamplingData, kAoDataSizeVm, serveAoData,
      setting(f16(kAoDataGetFlagVm), {}, f32(kAoDataTimes), f64(kAoDataAddress))}, kVm},
    {{kCmdAoSamplingData, kAoDataGetSizeBus, serveAoData, setting(f16(kAoDataGetFlagBus), {}, f32(kAoDataTimesBus))}, kBus},
    {{kCmdAoSamplingData, kAoChunkSize, serveAoChunk, fields(f32(kAoChunkCount))}, kBus},
    {{kCmdAoEvent, 12, serveAoEventMask, setting(f16(kCountGetFlag), {}, f32(kValue))}, kBoth},
    {{kCmdAoCallBackEvent, 12, serveAoEventMask, setting(f16(kCountGetFlag), {}, f32(kValue))}, kBoth},
    {{kCmdAoStart, 8, serveAoStart, fields({})}, kVm},
    {{kCmdAoStart, 4, serveAoStart, fields({})}, kBus},
    {{kCmdAoSingle, 8, serveAoSingle, Layout{}.keys(f16(kShortGetFlag)).values(f16(kShortValue))}, kBoth},
    {{kCmdAoMulti, kAoMultiSize, serveAoMulti, Layout{}.keys(f16(kShortGetFlag)).values(f16(kAoMultiValues))}, kBoth},
    {{kCmdAoEnable, 8, serveAccept, fields({})}, kBoth},
    {{kCmdAoSamplingCount, 8, serveAoCount, fields(f32(kValue))}, kBoth},
    {{kCmdAoRepeatCount, 8, serveAoCount, fields(f32(kValue))}, kBoth},
    {{kCmdAoResetStatus, 4, serveAoReset, fields({})}, kBoth},
    {{kCmdAoResetMemory, 4, serveAoReset, fields({})}, kBoth},
    {{kCmdAoMaxChannels, 8, serveAoFixed, fields(f16(kValue))}, kBoth},
    {{kCmdAoResolution, 8, serveAoFixed, fields(f16(kValue))}, kBoth},
    {{kCmdAoMemorySize, 12, serveSetting, setting(f16(kShortGetFlag), {}, f32(8))}, kVm},
    {{kCmdAoChannelRanges, kAoRangesSize, serveAoRanges, Layout{}.keys(f16(kAoRangesCount))}, kBoth},
    {{kCmdAoAdjustment, kAoAdjustSize, serveSetting,
      Layout{}.flag(f16(4)).keys(f16(6), f16(8), f16(10)).values(f16(12))}, kVm},
    {{kCmdAoDefaultAdjustment, kAoAdjustSize, serveSetting,
      Layout{}.flag(f16(4)).keys(f16(6), f16(8), f16(10)).values(f16(12))}, kVm},
    {{kCmdAoEventWait, kAoWaitSize, serveAoWait, fields({})}, kBoth},
    {{kCmdAoEventFetch, kAoFetchSizeVm, serveAoFetch, fields({})}, kVm},
    {{kCmdAoEventFetch, kAoFetchSizeBus, serveAoFetch, fields({})}, kBus},
    // End of analog output.

    {{kCmdDiFilter, kDiFilterSize, serveSetting, setting(f16(kDiFilterGetFlag), f16(kDiFilterBit), f32(kDiFilterValue))}, kVm},

    {{kCmdCntStatus, 12, serveCntStatus, counter({}, f16(kCntChannelAt8), f32(kValue))}, kVm},
    {{kCmdCntComparisonMode, 16, serveSetting, counter(f16(kCntModeGetFlag), f16(kCntChannel), f32(kCntModeValue))}, kVm},
    {{kCmdCntPresetReg, kCntPresetSize, serveSetting,
      counter(f16(kCntPresetGetFlag), f16(kCntChannel), f32(kCntPresetNumber), f16(kCntPresetFlag))}, kVm},
    {{kCmdCntInputSignal, 12, serveSetting, counter(f16(kCntSignalGetFlag), f16(kCntChannel), f16(kCntSignal))}, kVm},
    {{kCmdCntFilter, 16, serveSetting, counter(f16(kCntFilterGetFlag), f16(kCntChannel), f32(kCntFilterValue))}, kVm},
    {{kCmdCntStop, 12, serveCntStop, counter({}, f16(kCntChannelAt8), {})}, kVm},
    {{kCmdCntMaxChannels, 8, serveMaxChannels, fields(f16(kValue))}, kVm},

    {{kCmdTmStatus, kTmStatusSize, serveTmStatus, of(Function::Timer, f16(kTmTimer), f32(kValue))}, kVm},
    {{kCmdTmStopCount, 12, serveTmStopCount, of(Function::Timer, f16(kTmTimer))}, kVm},

    // Counters and interval timers: runs, counts and events.
    {{kCmdCntComparisonReg, kCntPresetSize, serveCntComparison,
      counter(f16(kCntPresetGetFlag), f16(kCntChannel), {}).values(f32(kCntPresetNumber), f16(kCntPresetFlag), f64(kCntPresetData))}, kVm},
    {{kCmdCntEvent, kCntEventSize, serveCntEventMask, counter(f16(kCntEventGetFlag), f16(kCntEventChannel), f32(kCntEventMask))}, kVm},
    {{kCmdCntCallBackEvent, kCntEventSize, serveCntEventMask, counter(f16(kCntEventGetFlag), f16(kCntEventChannel), f32(kCntEventMask))}, kVm},
    {{kCmdCntStart, kCntStartSize, serveCntStart, counter({}, f16(kCntChannelAt8), {})}, kVm},
    {{kCmdCntPreset, kCntPresetValueSize, serveCntPreset, counter({}, f16(kCntChannel), f32(kCntPresetValue))}, kVm},
    {{kCmdCntCount, 12, serveCntCount, counter({}, f16(kCntChannelAt8), f32(kValue))}, kVm},
    {{kCmdCntResetStatus, 12, serveCntResetStatus, counter({}, f16(kCntChannelAt8), f32(kValue))}, kVm},
    {{kCmdCntEventWait, kCntWaitSize, serveCntWait, counter({}, f16(kCntWaitChannel), {})}, kVm},
    {{kCmdCntEventRead, kCntBlockSize, serveCntRead, counter({}, f16(cnt::kChannel), {})}, kVm},
    {{kCmdTmEvent, kTmEventSize, serveTmEventMask, of(Function::Timer, f16(kTmEventTimer), f32(kTmEventMask), f16(kTmEventGetFlag))}, kVm},
    {{kCmdTmCallBackEvent, kTmEventSize, serveTmEventMask, of(Function::Timer, f16(kTmEventTimer), f32(kTmEventMask), f16(kTmEventGetFlag))}, kVm},
    {{kCmdTmStart, kTmStartSize, serveTmStart, of(Function::Timer, f16(kTmTimer), f32(kTmStartInterval))}, kVm},
    {{kCmdTmStop, kTmShortSize, serveTmStop, of(Function::Timer, f16(kTmTimer))}, kVm},
    {{kCmdTmStartCount, kTmStartSize, serveTmStartCount, of(Function::Timer, f16(kTmTimer))}, kVm},
    {{kCmdTmLapCount, kTmLapSize, serveTmLap, of(Function::Timer, f16(kTmTimer), f32(kValue))}, kVm},
    {{kCmdTmResetCount, kTmShortSize, serveTmResetCount, of(Function::Timer, f16(kTmTimer))}, kVm},
    {{kCmdTmWait, kTmShortSize, serveTmWait, of(Function::Timer, f16(kTmTimer), f32(kValue))}, kVm},
};
// clang-format on

}  // namespace

const Row* busRow(int busKind, DWORD command, DWORD size, bool& commandKnown) {
  const uint8_t kind = busKind == 10 ? kVm : busKind == 3 ? kBus : 0;
  commandKnown = false;
  for (const BusRow& entry : kRows) {
    if (entry.row.code != command || (entry.kinds & kind) == 0) continue;
    commandKnown = true;
    if (entry.row.size == size) return &entry.row;
  }
  if (const Row* row = cntmBusRow(busKind, command, size, commandKnown)) return row;
  return dioBusRow(busKind, command, size, commandKnown);
}

}  // namespace halviksim
