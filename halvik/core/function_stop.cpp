#include "function_stop.h"

#include <halvik.h>

#include "transport.h"

namespace halvik {

namespace {

namespace drv = halvikdrv;

enum class Family { Ai, Ao, Cnt, Tm };

struct FamilyUnit {
  Family family;
  int slot;
  int number;  // counter channel or timer
};

constexpr FamilyUnit kUnits[] = {
    {Family::Ai, kSlotAi, 0},   {Family::Ao, kSlotAo, 0},   {Family::Cnt, kSlotCnt0, 0},
    {Family::Cnt, kSlotCnt1, 1}, {Family::Tm, kSlotTm0, 0}, {Family::Tm, kSlotTm1, 1},
};

// The stop flag of the input block: 1 when events go by window message.
constexpr std::size_t kAiStopNotify = 1120;
constexpr int32_t kStatusStandby = 7;

struct Reading {
  LONG status = 0;
  int32_t bits = 0;
};

Reading readStatus(const DeviceRecord& r, const FamilyUnit& u) {
  Reading out;
  const bool kernel = RoadOf(r) == Road::Kernel;
  switch (u.family) {
    case Family::Ai:
      if (kernel) {
        drv::AiBlock b;
        b.put<int16_t>(drv::ai::kGetFlag, 1);
        out.status = SendKernel(r, drv::kAiStatus, b.data(), b.size(), drv::ai::kStatus);
        out.bits = b.get<int32_t>(drv::ai::kStatusBits);
      } else {
        drv::WireRecord<8> c;
        out.status = SendCommand(r, drv::kCmdAiStatus, c.data(), c.size());
        out.bits = c.get<int32_t>(4);
      }
      break;
    case Family::Ao:
      if (kernel) {
        drv::AoBlock b;
        b.put<int16_t>(drv::ao::kGetFlag, 1);
        out.status = SendKernel(r, drv::kAoStatus, b.data(), b.size(), drv::ao::kStatus);
        out.bits = b.get<int32_t>(drv::ao::kStatusBits);
      } else {
        drv::WireRecord<8> c;
        out.status = SendCommand(r, drv::kCmdAoStatus, c.data(), c.size());
        out.bits = c.get<int32_t>(4);
      }
      break;
    case Family::Cnt:
      if (kernel) {
        drv::CntBlock b;
        b.put<int16_t>(drv::cnt::kGetFlag, 1);
        b.put<int16_t>(drv::cnt::kChannel, static_cast<int16_t>(u.number));
        out.status = SendKernel(r, drv::kCntStatus, b.data(), b.size(), drv::cnt::kStatus);
        out.bits = b.get<int32_t>(drv::cnt::kCounterStatus);
      } else {
        drv::WireRecord<12> c;
        c.put<int16_t>(8, static_cast<int16_t>(u.number));
        c.put<int16_t>(10, 1);
        out.status = SendCommand(r, drv::kCmdCntStatus, c.data(), c.size());
        out.bits = c.get<int32_t>(4);
      }
      break;
    case Family::Tm:
      if (kernel) {
        drv::TmBlock b;
        b.put<int16_t>(drv::tm::kGetFlag, 1);
        b.put<int16_t>(drv::tm::kTimerId, static_cast<int16_t>(u.number));
        out.status = SendKernel(r, drv::kTmStatus, b.data(), b.size(), drv::tm::kStatus);
        out.bits = b.get<int32_t>(drv::tm::kStatusBits);
      } else {
        drv::WireRecord<16> c;
        c.put<int16_t>(8, static_cast<int16_t>(u.number));
        c.put<int16_t>(12, 1);
        out.status = SendCommand(r, drv::kCmdTmStatus, c.data(), c.size());
        out.bits = c.get<int32_t>(4);
      }
      break;
  }
  return out;
}

LONG sendStop(const DeviceRecord& r, const FamilyUnit& u) {
  const int32_t notify = r.NotifyKind[u.slot] != 1 ? 1 : 0;
  const bool kernel = RoadOf(r) == Road::Kernel;
  switch (u.family) {
    case Family::Ai: {
      LONG status;
      if (kernel) {
        drv::AiBlock b;
        b.put<int32_t>(kAiStopNotify, notify);
        status = SendKernel(r, drv::kAiStop, b.data(), b.size(), drv::ai::kStatus);
      } else {
        drv::WireRecord<8> c;
        c.put<int32_t>(4, notify);
        status = SendCommand(r, drv::kCmdAiStop, c.data(), c.size());
      }
      return status == drv::kStatusAiAlreadyStopped ? 0 : status;
    }
    case Family::Ao:
      if (kernel) {
        drv::AoBlock b;
        b.put<int32_t>(drv::ao::kEventMask, notify);
        return SendKernel(r, drv::kAoStop, b.data(), b.size(), drv::ao::kStatus);
      } else {
        drv::WireRecord<8> c;
        c.put<int32_t>(4, notify);
        return SendCommand(r, drv::kCmdAoStop, c.data(), c.size());
      }
    case Family::Cnt:
      if (kernel) {
        drv::CntBlock b;
        b.put<int16_t>(drv::cnt::kChannel, static_cast<int16_t>(u.number));
        b.put<int32_t>(drv::cnt::kEventMask, notify);
        return SendKernel(r, drv::kCntStop, b.data(), b.size(), drv::cnt::kStatus);
      }
      if (RoadOf(r) == Road::Attached) return drv::kStatusNotSupported;
      {
        drv::WireRecord<12> c;
        c.put<int32_t>(4, notify);
        c.put<int16_t>(8, static_cast<int16_t>(u.number));
        return SendCommand(r, drv::kCmdCntStop, c.data(), c.size());
      }
    case Family::Tm:
      if (!kernel) return drv::kStatusNotSupported;
      {
        drv::TmBlock b;
        b.put<int16_t>(drv::tm::kTimerId, static_cast<int16_t>(u.number));
        b.put<int32_t>(drv::tm::kEventMask, notify);
        return SendKernel(r, drv::kTmStop, b.data(), b.size(), drv::tm::kStatus);
      }
  }
  return 0;
}

HANDLE threadOf(const DeviceRecord& r, const FamilyUnit& u) {
  switch (u.family) {
    case Family::Ai:
    case Family::Ao:
      return r.EventThread[u.slot];
    case Family::Cnt:
      return r.CntThread[u.number];
    case Family::Tm:
      return r.TmThread[u.number];
  }
  return INVALID_HANDLE_VALUE;
}

bool taken(DWORD wait) { return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED; }

// Waits for the family's MutexA: while the thread lives and has not made
// the mutex yet, it is given time to make it; a thread that is gone (or
// never was) hands over nothing, and the stop goes out without it.
bool takeMutexA(const DeviceRecord& r, const FamilyUnit& u) {
  for (DWORD waited = 0; waited < kMutexWaitMs; ++waited) {
    HANDLE thread = threadOf(r, u);
    if (thread == INVALID_HANDLE_VALUE) return false;
    HANDLE mutex = r.MutexA[u.slot];
    if (mutex != INVALID_HANDLE_VALUE) return taken(WaitForSingleObject(mutex, kMutexWaitMs));
    if (WaitForSingleObject(thread, 1) == WAIT_OBJECT_0) return false;
  }
  return false;
}

void passThrough(HANDLE mutex) {
  if (mutex != INVALID_HANDLE_VALUE && taken(WaitForSingleObject(mutex, kMutexWaitMs))) ReleaseMutex(mutex);
}

void passSecondMutexes(const DeviceRecord& r, const FamilyUnit& u) {
  passThrough(r.MutexB[u.slot]);
  if (u.family == Family::Ai) passThrough(r.AiMutexC);
}

LONG stopUnderMutex(const DeviceRecord& r, const FamilyUnit& u) {
  bool held = takeMutexA(r, u);
  LONG status = sendStop(r, u);
  if (held) ReleaseMutex(r.MutexA[u.slot]);
  passSecondMutexes(r, u);
  return status;
}

// The statuses after which a unit is skipped without a failure.
bool skips(const FamilyUnit& u, LONG status) {
  switch (u.family) {
    case Family::Ai:
    case Family::Ao:
      return status == drv::kStatusNotSupported;
    case Family::Cnt:
      return status == drv::kStatusNoSuchCounter || status == drv::kStatusNotSupported ||
             status == drv::kStatusNotAvailable;
    case Family::Tm:
      return status == drv::kStatusNoSuchTimer || status == drv::kStatusNotSupported ||
             status == drv::kStatusNotAvailable;
  }
  return false;
}

LONG stopUnit(DeviceRecord& r, const FamilyUnit& u, StopPurpose purpose) {
  Reading reading = readStatus(r, u);
  const bool standby = reading.status == kStatusStandby;
  if (reading.status != 0 && !standby) {
    if (skips(u, reading.status)) {
      if (purpose == StopPurpose::Reset && u.family == Family::Ai) passSecondMutexes(r, u);
      return 0;
    }
    return reading.status;
  }
  const bool running = (reading.bits & 0x1) != 0 && !(standby && purpose == StopPurpose::Reset);
  if (!running) {
    if (purpose == StopPurpose::Reset && u.family == Family::Ai) passSecondMutexes(r, u);
    return 0;
  }
  if (u.family != Family::Tm) return stopUnderMutex(r, u);
  if ((reading.bits & drv::tm::kIntervalRunning) != 0) return stopUnderMutex(r, u);
  if ((reading.bits & drv::tm::kTimeCountRunning) != 0) {
    XanStopTmCount(r.Id, static_cast<short>(u.number));  // best effort: its result is not looked at
  }
  return 0;
}

}  // namespace

LONG StopRunningFunctions(DeviceRecord& record, StopPurpose purpose) {
  LONG first = 0;
  for (const FamilyUnit& u : kUnits) {
    LONG status = stopUnit(record, u, purpose);
    if (first == 0) first = status;
  }
  return first;
}

}  // namespace halvik
