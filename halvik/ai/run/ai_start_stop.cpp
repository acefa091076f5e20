// Starting and stopping an acquisition, and the hand-shake with the
// device's event thread around both.
#include <windows.h>
#include <outside/halvikdrv.h>

#include "ai_event_thread.h"
#include "ai_host_ring.h"
#include "ai_poll_thread.h"
#include "ai_wire.h"
#include "export_frame.h"
#include "halvik.h"
#include "transport.h"

namespace halvik::airun {
namespace {

namespace drv = halvikdrv;

constexpr DWORD kArmMs = 1000;     // for the thread to arm its wait
constexpr DWORD kRunEndMs = 5000;  // for a run that is being stopped or ended
constexpr LONG kStatusBusy = 20002;
constexpr LONG kStatusTimeOut = 12382;
constexpr LONG kStatusPollTimeOut = 12383;

LONG sendStart(const DeviceRecord& r, uint16_t index) {
  switch (RoadOf(r)) {
    case Road::Kernel: {
      drv::AiBlock b;
      return SendKernel(r, drv::kAiStart, b.data(), b.size(), drv::ai::kStatus);
    }
    case Road::Virtual: {
      drv::WireRecord<kStartSizeVm> c;
      c.put<int16_t>(kStartIndex, static_cast<int16_t>(index));
      return SendCommand(r, drv::kCmdAiStart, c.data(), c.size());
    }
    case Road::Attached: {
      drv::WireRecord<kStartSizeBus> c;
      return SendCommand(r, drv::kCmdAiStart, c.data(), c.size());
    }
  }
  return 0;
}

struct Reading {
  LONG status;
  int32_t bits;
};
Reading readStatus(const DeviceRecord& r) {
  if (RoadOf(r) == Road::Kernel) {
    drv::AiBlock b;
    b.put<int16_t>(drv::ai::kGetFlag, 1);
    LONG status = SendKernel(r, drv::kAiStatus, b.data(), b.size(), drv::ai::kStatus);
    return {status, b.get<int32_t>(drv::ai::kStatusBits)};
  }
  drv::WireRecord<kValueSize> c;
  LONG status = SendCommand(r, drv::kCmdAiStatus, c.data(), c.size());
  return {status, c.get<int32_t>(kValue)};
}

LONG sendStop(const DeviceRecord& r) {
  const int32_t byMessage = load(const_cast<DeviceRecord&>(r).NotifyKind[kSlotAi]) != 1 ? 1 : 0;
  LONG status;
  if (RoadOf(r) == Road::Kernel) {
    drv::AiBlock b;
    b.put<int32_t>(drv::ai::kEventMask, byMessage);
    status = SendKernel(r, drv::kAiStop, b.data(), b.size(), drv::ai::kStatus);
  } else {
    drv::WireRecord<kValueSize> c;
    c.put<int32_t>(kValue, byMessage);
    status = SendCommand(r, drv::kCmdAiStop, c.data(), c.size());
  }
  return status == drv::kStatusAiAlreadyStopped ? 0 : status;
}

// Waits for the end of the run and gives mutex B back at once.
bool passRunEnd(DeviceRecord& r, DWORD limitMs) {
  bool held = false;
  bool ok = TakeRunEnd(r, limitMs, &held);
  if (held) ReleaseMutex(load(r.MutexB[kSlotAi]));
  return ok;
}

// The same for the polling thread's mutex C.
bool passPollEnd(DeviceRecord& r, DWORD limitMs) {
  bool held = false;
  bool ok = TakePollEnd(r, limitMs, &held);
  if (held) ReleaseMutex(load(r.AiMutexC));
  return ok;
}

// With a host ring the polling thread watches the run: rewinds the ring,
// then creates or wakes the thread (handing it mutex C) and waits until it
// has taken C for the run.
LONG startPolling(DeviceRecord& r, uint16_t index) {
  RewindHostRing(r);
  const uint32_t takesBefore = PollTakesSoFar(index);
  if (LONG status = StartOrWakePollThread(index); status != 0) return status;
  return WaitUntilPolling(index, takesBefore, kArmMs) ? 0 : kStatusThreadFailed;
}

// The start without its frame's end line: 0 or the status to return.
LONG start(ExportFrame& frame) {
  DeviceRecord& r = frame.record();
  // A parked thread's mutex B (and C) is free; a run still going keeps it.
  bool heldB = false, heldC = false;
  if (!TakeRunEnd(r, kRunEndMs, &heldB)) return kStatusBusy;
  auto giveBackB = [&] {
    if (heldB) ReleaseMutex(load(r.MutexB[kSlotAi]));
    heldB = false;
  };
  auto giveBackC = [&] {
    if (heldC) ReleaseMutex(load(r.AiMutexC));
    heldC = false;
  };
  const bool ring = HostRingInUse(r);
  if (ring && !TakePollEnd(r, kRunEndMs, &heldC)) {
    giveBackB();
    return kStatusBusy;
  }
  if (LONG status = sendStart(r, frame.index()); status != 0) {
    giveBackB();
    giveBackC();
    return status;
  }
  if (ring) {
    LONG status = startPolling(r, frame.index());
    heldC = false;  // handed to the woken thread, or there was none
    if (status != 0) {
      giveBackB();
      return status;
    }
  }
  // Set before the thread can see a completion, which it tests the flag on.
  r.ThreadRun[kSlotAi].store(1);
  const uint32_t armsBefore = ArmsSoFar(frame.index());
  LONG status = StartOrWakeEventThread(frame.index());
  heldB = false;  // handed to the woken thread, or there was none
  if (status != 0) return status;
  if (!WaitUntilArmed(frame.index(), armsBefore, kArmMs)) return kStatusThreadFailed;
  return 0;
}

}  // namespace
}  // namespace halvik::airun

using namespace halvik;
using namespace halvik::airun;

DLL_EXPORT LONG WINAPI XanStartAi(short Id) {
  ExportFrame frame("XanStartAi");
  frame.start("Id=%d", Id);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (LONG owner = frame.ownership(); owner != 0) return owner;
  return frame.end(start(frame));
}

DLL_EXPORT LONG WINAPI XanStartAiSync(short Id, LONG TimeOut) {
  ExportFrame frame("XanStartAiSync");
  frame.start("Id=%d, TimeOut=%d", Id, TimeOut);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (LONG owner = frame.ownership(); owner != 0) return owner;
  if (LONG status = start(frame); status != 0) return frame.end(status);
  const DWORD limit = TimeOut == 0 ? INFINITE : static_cast<DWORD>(TimeOut);
  if (!passRunEnd(frame.record(), limit)) return frame.end(kStatusTimeOut);
  if (HostRingInUse(frame.record()) && !passPollEnd(frame.record(), limit)) return frame.end(kStatusPollTimeOut);
  return frame.end(0);
}

DLL_EXPORT LONG WINAPI XanStopAi(short Id) {
  ExportFrame frame("XanStopAi");
  frame.start("Id=%d", Id);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (LONG owner = frame.ownership(); owner != 0) return owner;
  DeviceRecord& r = frame.record();
  Reading reading = readStatus(r);
  if (reading.status != 0) return frame.end(reading.status);
  if ((reading.bits & 0x1) == 0) {
    passRunEnd(r, kRunEndMs);
    passPollEnd(r, kRunEndMs);
    return frame.end(0);
  }
  const bool heldA = TakeMutexA(r, kArmMs);
  LONG status = sendStop(r);
  // Given back on every path, or the thread would never fetch again.
  if (heldA) ReleaseMutex(load(r.MutexA[kSlotAi]));
  if (status != 0) return frame.end(status);
  passRunEnd(r, kRunEndMs);
  passPollEnd(r, kRunEndMs);
  return frame.end(0);
}
