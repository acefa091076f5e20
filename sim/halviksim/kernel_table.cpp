// The kernel driver's requests: one row per code and block size. A code
// whose block is not its family's size is refused (the call fails).
#include <outside/halvikdrv.h>

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
constexpr KernelRow aoSet(DWORD code, Field value, Field value2 = {}) {
  return {{code, kAo, serveSetting, setting(f16(ao::kGetFlag), {}, value, value2)}, ao::kStatus};
}
constexpr KernelRow aoRow(DWORD code, Handler h, Layout l) { return {{code, kAo, h, l}, ao::kStatus}; }
constexpr Layout counter(Field value, Field value2 = {}) {
  return of(Function::Counter, f16(cnt::kChannel), value, f16(cnt::kGetFlag), value2);
}
constexpr KernelRow cntRow(DWORD code, Handler h, Layout l) { return {{code, kCnt, h, l}, cnt::kStatus}; }
constexpr Layout timer(Field value = {}) { return of(Function::Timer, f16(tm::kTimerId), value); }
constexpr KernelRow tmRow(DWORD code, Handler h, Layout l) { return {{code, kTm, h, l}, tm::kStatus}; }

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

    aiRow(kAiStop, serveStop, of(Function::Ai)),
    aiRow(kAiStatus, serveStatus, of(Function::Ai, {}, f32(ai::kStatusBits))),
    aiRow(kAiMinClock, serveMinClock, of(Function::Ai, {}, f32(ai::kMinClockWhole), {}, f32(ai::kMinClockThousandths))),
    aiRow(kDeviceBufferMode, serveSetting, setting(f16(ai::kGetFlag), {}, f16(ai::kDeviceBufferMode))),

    aoSet(kAoChannels, f16(ao::kChannels)),
    aoRow(kAoRange, serveSetting, setting(f16(ao::kGetFlag), f16(ao::kChannel), f16(ao::kRange))),
    aoRow(kAoRangeAll, serveRangeAll, fields(f16(ao::kRange))),
    aoSet(kAoMemoryType, f16(ao::kMemoryType)),
    aoSet(kAoRepeatTimes, f32(ao::kRepeatTimes)),
    aoSet(kAoClockType, f16(ao::kClockType)),
    aoSet(kAoSamplingClock, f32(ao::kClockWhole), f32(ao::kClockThousandths)),
    aoSet(kAoStartTrigger, f16(ao::kStartTrigger)),
    aoSet(kAoStopTrigger, f16(ao::kStopTrigger)),
    aoSet(kAoEventSamplingTimes, f32(ao::kEventSamplingTimes)),
    aoRow(kAoStop, serveStop, of(Function::Ao)),
    aoRow(kAoStatus, serveStatus, of(Function::Ao, {}, f32(ao::kStatusBits))),
    aoSet(kAoTransferMode, f16(ao::kTransferMode)),
    aoSet(kAoEventTransferTimes, f32(ao::kTransferTimes)),
    aoRow(kAoMinClock, serveMinClock, of(Function::Ao, {}, f32(ao::kMinClock))),
    aoSet(kAoClockEdge, f16(ao::kClockEdge)),
    aoSet(kAoRepeatMode, f16(ao::kRepeatMode)),
    aoSet(kDeviceBufferMode, f16(ao::kDeviceBufferMode)),

    {{kDiFilter, kDio, serveSetting, setting(f16(dio::kGetFlag), f16(dio::kBit), f32(dio::kFilterValue))}, dio::kStatus},

    cntRow(kCntComparisonMode, serveSetting, counter(f32(cnt::kComparisonMode))),
    cntRow(kCntPresetReg, serveSetting, counter(f32(cnt::kPresetNumber), f16(cnt::kFlag))),
    cntRow(kCntInputSignal, serveSetting, counter(f16(cnt::kInputSignal))),
    cntRow(kCntFilter, serveSetting, counter(f32(cnt::kFilterValue))),
    cntRow(kCntStop, serveStop, counter({})),
    cntRow(kCntStatus, serveStatus, counter(f32(cnt::kCounterStatus))),
    cntRow(kCntMaxChannels, serveMaxChannels, fields(f16(cnt::kMaxChannels))),

    tmRow(kTmStop, serveStop, timer()),
    tmRow(kTmStopCount, serveStop, timer()),
    tmRow(kTmStatus, serveStatus, timer(f32(tm::kStatusBits))),
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
  return nullptr;
}

}  // namespace halviksim
