#include "ai_poll_thread.h"

#include <outside/halvikdrv.h>

#include <atomic>
#include <cstdio>

#include "per_device.h"
#include "ai_event_thread.h"
#include "ai_host_ring.h"
#include "event_threads.h"
#include "ai_readout.h"
#include "library_state.h"
#include "trace_log.h"
#include "transport.h"

namespace halvik::airun {

namespace drv = halvikdrv;

namespace {

constexpr DWORD kPollMs = 50;  // how often a stoppable wait looks at the run flag
constexpr int16_t kRoundSeen = 3;

struct PollState {
  std::atomic<uint32_t> takes{0};  // times the thread took mutex C for a run
};
PollState& stateOf(uint16_t index) { return perDevice<PollState>(index); }

bool polling(const DeviceRecord& r) { return r.AiPollRun.load() == 1; }

LONG getInt32(const DeviceRecord& r, DWORD code, std::size_t at, int32_t* value) {
  drv::AiBlock b;
  b.put<int16_t>(drv::ai::kGetFlag, 1);
  LONG status = SendKernel(r, code, b.data(), b.size(), drv::ai::kStatus);
  *value = b.get<int32_t>(at);
  return status;
}

LONG changeStatusBit(const DeviceRecord& r, int32_t bit, bool clear) {
  drv::AiBlock b;
  b.put<int16_t>(drv::ai::kGetFlag, 0);
  b.put<int32_t>(drv::ai::kStatusBits, bit);
  b.put<int16_t>(drv::ai::kStatusBitClear, clear ? 1 : 0);
  return SendKernel(r, drv::kAiStatus, b.data(), b.size(), drv::ai::kStatus);
}

class Poller {
 public:
  explicit Poller(uint16_t index) : r_(DeviceTable()[index]), s_(stateOf(index)) {}

  void run() {
    if (makeObjects()) {
      while (polling(r_) && round()) {
      }
    }
    finish();
  }

 private:
  bool makeObjects() {
    char name[64];
    const DWORD tid = GetCurrentThreadId();
    std::snprintf(name, sizeof name, "XANAIMUTEXC%X", tid);
    c_ = CreateMutexA(nullptr, TRUE, name);
    if (!validHandle(c_)) return fail("AiEventThread2 End :Error 1\r\n");
    std::snprintf(name, sizeof name, "XANAIEVENT2WAIT%X", tid);
    wake_ = CreateEventA(nullptr, FALSE, FALSE, name);
    if (!validHandle(wake_)) return fail("AiEventThread2 End :Error 2\r\n");
    store(r_.AiPollWaitEvent, wake_);
    store(r_.AiMutexC, c_);
    s_.takes.fetch_add(1);
    return true;
  }

  bool fail(const char* line) {
    if (DebugLogOn()) WriteDebugLog("%s", line);
    return false;
  }

  void raise(UINT message, const char* name, int32_t mask, int32_t bit, int64_t count) {
    if ((mask & bit) != 0) RaiseAiEvent(r_, "AiEventThread2", message, name, static_cast<int32_t>(count));
  }

  // One look at the ring; false when the thread is to end.
  bool round() {
    int32_t mask = 0, times = 0, before = 0, memoryType = 0, status = 0;
    // The mask is registered with the delivery: by message or by callback.
    const DWORD registration = load(r_.NotifyKind[kSlotAi]) == 1 ? drv::kAiCallBackEvent : drv::kAiEvent;
    if (getInt32(r_, registration, drv::ai::kEventMask, &mask) != 0 ||
        getInt32(r_, drv::kAiEventSamplingTimes, drv::ai::kEventSamplingTimes, &times) != 0 ||
        getInt32(r_, drv::kAiStatus, drv::ai::kStatusBits, &before) != 0)
      return false;
    Sleep(1);
    if (!polling(r_)) return false;
    RingPosition at;
    int16_t channels = 0;
    if (getInt32(r_, drv::kAiMemoryType, drv::ai::kMemoryType, &memoryType) != 0 ||
        ReadRingPosition(r_, &at, true) != 0 || ReadChannelCount(r_, &channels) != 0 ||
        getInt32(r_, drv::kAiStatus, drv::ai::kStatusBits, &status) != 0)
      return false;

    EnterCriticalSection(&Library().lock);
    const int64_t count = RingScansLocked(r_, channels, at.word, false);
    const bool overrun = at.lap > static_cast<int32_t>(r_.AiHostRingCount) &&
                         at.word >= static_cast<int32_t>(r_.AiHostRingRead);
    if (r_.AiPollState == 1 || r_.AiPollState == 2) ++r_.AiPollState;
    LeaveCriticalSection(&Library().lock);

    if (count >= 0) {
      if (overrun && (before & drv::ai::kStatusOverflow) == 0) {
        changeStatusBit(r_, drv::ai::kStatusOverflow, false);
        raise(0x1004, "AIE_OFERR", mask, drv::ai::kFactorOverflow, count);
      }
      const bool wasReached = (before & drv::ai::kStatusCountReached) != 0;
      const bool reached = times > 0 && count >= times;
      if (reached != wasReached) changeStatusBit(r_, drv::ai::kStatusCountReached, !reached);
      if (reached && !wasReached) raise(0x1003, "AIE_DATA_NUM", mask, drv::ai::kFactorDataCount, count);
    }
    if ((status & drv::ai::kStatusRunning) != 0) return true;
    EnterCriticalSection(&Library().lock);
    r_.AiPollState = kRoundSeen;
    LeaveCriticalSection(&Library().lock);
    return park();
  }

  // Between runs: mutex C goes to whoever waits for the run's end; the next
  // start wakes the thread and hands C back.
  bool park() {
    if (!ReleaseMutex(c_)) return false;
    WaitForSingleObject(wake_, INFINITE);  // the close sets it too
    if (!polling(r_)) return false;
    while (!taken(WaitForSingleObject(c_, kPollMs))) {
      if (!polling(r_)) return false;
    }
    s_.takes.fetch_add(1);
    return polling(r_);
  }

  void finish() {
    store(r_.AiMutexC, INVALID_HANDLE_VALUE);
    // Ended by a failure the next start makes a new thread; ended by the
    // close, the closer is still setting the wake event.
    if (polling(r_)) store(r_.AiPollWaitEvent, INVALID_HANDLE_VALUE);
    for (HANDLE h : {c_, wake_})
      if (validHandle(h)) CloseHandle(h);
    if (DebugLogOn()) WriteDebugLog("AiEventThread2 End\r\n");
  }

  DeviceRecord& r_;
  PollState& s_;
  HANDLE c_ = INVALID_HANDLE_VALUE, wake_ = INVALID_HANDLE_VALUE;
};

}  // namespace

DWORD WINAPI AiEventThread2(void* param) {
  const uint16_t index = *static_cast<uint16_t*>(param);
  EventThreadMark mark(DeviceTable()[index]);
  Poller(index).run();
  return 0;
}

LONG StartOrWakePollThread(uint16_t index) {
  DeviceRecord& r = DeviceTable()[index];
  HANDLE thread = load(r.AiPollThread);
  if (validHandle(thread) && WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) {
    CloseHandle(thread);  // ended on a failure: a new one takes its place
    store(r.AiPollThread, INVALID_HANDLE_VALUE);
    thread = INVALID_HANDLE_VALUE;
  }
  r.AiPollRun.store(1);
  if (!validHandle(thread)) {
    // Another thread of the device may be reading it: written only when it differs.
    if (r.ThreadParam != index) r.ThreadParam = index;
    thread = CreateThread(nullptr, 0, AiEventThread2, &r.ThreadParam, 0, nullptr);
    if (!validHandle(thread)) return 10005;
    SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);  // best effort
    store(r.AiPollThread, thread);
    return 0;
  }
  HANDLE wake = load(r.AiPollWaitEvent), c = load(r.AiMutexC);
  if (validHandle(wake)) SetEvent(wake);
  if (validHandle(c) && !ReleaseMutex(c)) return -1;
  return 0;
}

uint32_t PollTakesSoFar(uint16_t index) { return stateOf(index).takes.load(); }

bool WaitUntilPolling(uint16_t index, uint32_t takesBefore, DWORD limitMs) {
  HANDLE thread = load(DeviceTable()[index].AiPollThread);
  if (!validHandle(thread)) return false;
  for (DWORD waited = 0; waited < limitMs; ++waited) {
    if (stateOf(index).takes.load() != takesBefore) return true;
    // A thread that took C and ended at once has still begun the run.
    if (WaitForSingleObject(thread, 1) == WAIT_OBJECT_0) return stateOf(index).takes.load() != takesBefore;
  }
  return stateOf(index).takes.load() != takesBefore;
}

bool TakePollEnd(DeviceRecord& r, DWORD limitMs, bool* held) {
  *held = false;
  HANDLE thread = load(r.AiPollThread);
  HANDLE c = load(r.AiMutexC);
  if (!validHandle(thread) || !validHandle(c) || WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) return true;
  *held = taken(WaitForSingleObject(c, limitMs));
  return *held;
}

void WaitForPollRound(DeviceRecord& r, DWORD limitMs) {
  HANDLE thread = load(r.AiPollThread);
  for (DWORD waited = 0; waited < limitMs; ++waited) {
    EnterCriticalSection(&Library().lock);
    const bool seen = r.AiPollState == kRoundSeen;
    LeaveCriticalSection(&Library().lock);
    if (seen || r.ThreadRun[kSlotAi].load() != 1) return;
    if (!validHandle(thread) || WaitForSingleObject(thread, 1) == WAIT_OBJECT_0) return;
  }
}

void EndPollRound(DeviceRecord& r) {
  EnterCriticalSection(&Library().lock);
  r.AiPollState = 0;
  LeaveCriticalSection(&Library().lock);
}

}  // namespace halvik::airun
