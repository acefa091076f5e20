#include "event_worker.h"

#include <array>
#include <cstdio>
#include <deque>

#include "event_threads.h"
#include "trace_log.h"
#include "transport.h"

namespace halvik::io {

namespace {

// How often a wait that must stay stoppable looks at the run flag.
constexpr DWORD kPollMs = 50;
// How long a cancelled wait is given to complete, in 1 ms rounds.
constexpr int kSettleRounds = 1000;

bool taken(DWORD wait) { return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED; }

// What a worker's thread is started with; one per device and slot, never
// freed, so the completion record outlives every thread that used it.
struct Site {
  const WorkerFamily* family = nullptr;
  uint16_t index = 0;
  int slot = 0;
  Completion completion;
  std::atomic<uint32_t> arms{0};
  std::atomic<bool> abandon{false};  // the start gave the thread up before it ran
};

Site& siteOf(uint16_t index, int slot) {
  static std::deque<std::array<Site, kSlotCount>> sites;
  static CRITICAL_SECTION lock = [] {
    CRITICAL_SECTION c;
    InitializeCriticalSection(&c);
    return c;
  }();
  EnterCriticalSection(&lock);
  while (sites.size() <= index) sites.emplace_back();
  Site& s = sites[index][slot];
  LeaveCriticalSection(&lock);
  return s;
}

// The slot's fields in the record, as the close sees them.
ThreadSlotView viewOf(DeviceRecord& r, int slot) { return ThreadSlotsOf(r)[slot == kSlotAi ? 0 : slot + 1]; }

bool running(const ThreadSlotView& v) { return v.run->load() == 1; }

void trace(const char* format, const char* thread, int value) {
  if (DebugLogOn()) WriteDebugLog(format, thread, value);
}

class Worker {
 public:
  explicit Worker(Site& site)
      : site_(site),
        traits_(site.family->traits()),
        r_(DeviceTable()[site.index]),
        v_(viewOf(r_, site.slot)),
        c_{r_, site.index, site.slot, site.completion} {}

  void run() {
    trace("%s Start :*Index=%d\r\n", traits_.thread, site_.index);
    if (!makeObjects()) return finish();
    while (true) {
      ResetEvent(io_);
      c_.completion.overlapped = OVERLAPPED{};
      c_.completion.overlapped.hEvent = io_;
      const Armed armed = site_.family->arm(c_);
      if (armed == Armed::Failed) break;
      if (armed == Armed::Ready) SetEvent(io_);
      c_.pending = armed == Armed::Pending;
      site_.arms.fetch_add(1);
      ReleaseMutex(a_);
      WaitForSingleObject(io_, INFINITE);  // the close sets it too
      if (!running(v_) || !takeStoppable(a_)) break;
      c_.pending = false;
      const Fetched fetched = site_.family->fetch(c_);
      // A callback that closed the device has left nothing to wait on.
      if (fetched == Fetched::Failed || !running(v_)) break;
      if (fetched == Fetched::Park && !park()) break;
    }
    finish();
  }

 private:
  bool makeObjects() {
    char name[64];
    const DWORD tid = GetCurrentThreadId();
    uintptr_t key = tid;
    if (traits_.ioEventKey == NameKey::TableIndex) key = site_.index;
    if (traits_.ioEventKey == NameKey::ThreadHandle) key = reinterpret_cast<uintptr_t>(load(*v_.thread));
    std::snprintf(name, sizeof name, traits_.ioEvent, static_cast<unsigned>(key));
    io_ = CreateEventA(nullptr, TRUE, TRUE, name);
    if (!validHandle(io_)) return fail(traits_.errorMutexA);
    std::snprintf(name, sizeof name, traits_.mutexA, static_cast<unsigned>(tid));
    a_ = CreateMutexA(nullptr, TRUE, name);
    if (!validHandle(a_)) return fail(traits_.errorMutexA);
    std::snprintf(name, sizeof name, traits_.mutexB, static_cast<unsigned>(tid));
    b_ = CreateMutexA(nullptr, TRUE, name);
    if (!validHandle(b_)) return fail(traits_.errorMutexB);
    std::snprintf(name, sizeof name, traits_.waitEvent, static_cast<unsigned>(tid));
    wake_ = CreateEventA(nullptr, FALSE, FALSE, name);
    if (!validHandle(wake_)) return fail(traits_.errorWaitEvent);
    store(*v_.done, io_);
    store(*v_.wake, wake_);
    store(*v_.mutexes[1], b_);
    store(*v_.mutexes[0], a_);  // last: a starter waits for this one
    return true;
  }

  bool fail(int error) {
    trace("%s End :Error %d\r\n", traits_.thread, error);
    return false;
  }

  // A mutex that an export holds for a bounded time, or that the close
  // makes pointless: false (nothing held) once the run flag is down.
  bool takeStoppable(HANDLE mutex) {
    while (!taken(WaitForSingleObject(mutex, kPollMs))) {
      if (!running(v_)) return false;
    }
    if (running(v_)) return true;
    ReleaseMutex(mutex);
    return false;
  }

  // Between runs: B goes to whoever waits for the run's end, the next start
  // wakes the worker and hands B back.
  bool park() {
    if (!ReleaseMutex(b_)) return fail(traits_.errorPark);
    WaitForSingleObject(wake_, INFINITE);  // the close sets it too
    return running(v_) && takeStoppable(b_);
  }

  // A wait the kernel driver still holds is cancelled and its completion
  // awaited; a sibling library completes its waits when the handle closes,
  // into the completion record that stays, but no longer with the event
  // this worker is about to close.
  void settle() {
    if (!c_.pending) return;
    OVERLAPPED* ov = &c_.completion.overlapped;
    if (RoadOf(r_) == Road::Kernel) {
      CancelIoEx(r_.Handle, ov);
      // The close keeps setting the event: the completion itself is what counts.
      for (int round = 0; round < kSettleRounds && !HasOverlappedIoCompleted(ov); ++round) Sleep(1);
    } else {
      store(ov->hEvent, HANDLE{nullptr});
    }
    c_.pending = false;
  }

  // The fields say -1 before the objects go, so neither a start nor the
  // close touches a closed handle; the next start replaces the worker.
  void finish() {
    settle();
    for (HANDLE* field : {v_.mutexes[0], v_.mutexes[1], v_.done, v_.wake}) store(*field, INVALID_HANDLE_VALUE);
    for (HANDLE h : {a_, b_, io_, wake_})
      if (validHandle(h)) CloseHandle(h);
    if (DebugLogOn()) WriteDebugLog("%s End\r\n", traits_.thread);
  }

  Site& site_;
  const WorkerTraits& traits_;
  DeviceRecord& r_;
  ThreadSlotView v_;
  WorkerContext c_;
  HANDLE a_ = INVALID_HANDLE_VALUE, b_ = INVALID_HANDLE_VALUE;
  HANDLE io_ = INVALID_HANDLE_VALUE, wake_ = INVALID_HANDLE_VALUE;
};

DWORD WINAPI workerMain(void* param) {
  Site& site = *static_cast<Site*>(param);
  if (site.abandon.load()) return 0;
  EventThreadMark mark(DeviceTable()[site.index]);
  Worker(site).run();
  return 0;
}

}  // namespace

WorkerSlot::WorkerSlot(uint16_t index, int slot) : index_(index), slot_(slot), r_(DeviceTable()[index]) {}

bool WorkerSlot::alive() {
  HANDLE* thread = viewOf(r_, slot_).thread;
  if (!validHandle(*thread)) return false;
  if (WaitForSingleObject(*thread, 0) != WAIT_OBJECT_0) return true;
  CloseHandle(*thread);  // ended on a failure: a new one takes its place
  *thread = INVALID_HANDLE_VALUE;
  return false;
}

bool WorkerSlot::meetParked(DWORD limitMs) {
  heldB_ = false;
  if (!alive()) return true;
  const ThreadSlotView v = viewOf(r_, slot_);
  for (DWORD waited = 0; waited < limitMs; waited += kPollMs) {
    HANDLE b = load(*v.mutexes[1]);
    if (validHandle(b) && taken(WaitForSingleObject(b, kPollMs))) return heldB_ = true;
    if (!validHandle(b) && WaitForSingleObject(*v.thread, kPollMs) != WAIT_TIMEOUT) break;
    if (!alive()) return true;
  }
  return !alive();
}

LONG WorkerSlot::startOrWake(const WorkerFamily& family) {
  const ThreadSlotView v = viewOf(r_, slot_);
  Site& site = siteOf(index_, slot_);
  const uint32_t armsBefore = site.arms.load();
  v.run->store(1);  // before the worker can look at it
  if (!alive()) {
    site.family = &family;
    site.index = index_;
    site.slot = slot_;
    site.abandon.store(false);
    HANDLE thread = CreateThread(nullptr, 0, workerMain, &site, CREATE_SUSPENDED, nullptr);
    if (!validHandle(thread)) return kStatusThreadFailed;
    store(*v.thread, thread);
    LONG status = 0;
    if (!SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST)) {
      status = kStatusThreadFailed;
      site.abandon.store(true);
    }
    const DWORD resumed = ResumeThread(thread);
    if (status == 0 && (resumed == 0 || resumed == static_cast<DWORD>(-1))) status = kStatusResumeFailed;
    if (status != 0) {
      // Given up: told to end before it does anything, or, when it ran
      // already, ended as the close would end it.
      site.abandon.store(true);
      v.run->store(0);
      for (HANDLE* e : {v.done, v.wake}) {
        HANDLE h = load(*e);
        if (validHandle(h)) SetEvent(h);
      }
      WaitForSingleObject(thread, kArmWaitMs);
      CloseHandle(thread);
      store(*v.thread, INVALID_HANDLE_VALUE);
      return status;
    }
  } else {
    // Only a parked worker is woken: a wake left set would end its next park at once.
    if (!heldB_) return kStatusWorkerBusy;
    heldB_ = false;
    HANDLE wake = load(*v.wake);
    if (validHandle(wake)) SetEvent(wake);
    if (!ReleaseMutex(load(*v.mutexes[1]))) return kStatusWakeFailed;
  }
  // Until the worker has handed the driver its wait, or has ended.
  for (DWORD waited = 0; waited < kArmWaitMs; ++waited) {
    if (site.arms.load() != armsBefore) break;
    if (WaitForSingleObject(*v.thread, 1) == WAIT_OBJECT_0) break;
  }
  return 0;
}

bool WorkerSlot::takeMutexA(DWORD limitMs) {
  const ThreadSlotView v = viewOf(r_, slot_);
  for (DWORD waited = 0; waited < limitMs; ++waited) {
    if (!alive()) return false;
    HANDLE a = load(*v.mutexes[0]);
    if (validHandle(a)) return taken(WaitForSingleObject(a, limitMs - waited));
    WaitForSingleObject(*v.thread, 1);
  }
  return false;
}

void WorkerSlot::releaseMutexA() { ReleaseMutex(load(*viewOf(r_, slot_).mutexes[0])); }

bool WorkerSlot::waitParked(DWORD limitMs) {
  if (!meetParked(limitMs)) return false;
  if (heldB_) {
    heldB_ = false;
    ReleaseMutex(load(*viewOf(r_, slot_).mutexes[1]));
  }
  return true;
}

uint32_t WorkerSlot::arms() const { return siteOf(index_, slot_).arms.load(); }

LONG StartWorker(uint16_t index, int slot, const WorkerFamily& family) {
  WorkerSlot worker(index, slot);
  if (!worker.meetParked(kParkWaitMs)) return kStatusWorkerBusy;
  return worker.startOrWake(family);
}

void Deliver(const DeviceRecord& r, int slot, const char* thread, UINT message, const char* name, int16_t channel,
             int32_t lParam, WPARAM wParam) {
  DeviceRecord& record = const_cast<DeviceRecord&>(r);
  if (load(record.NotifyKind[slot]) == 1) {
    if (DebugLogOn()) WriteDebugLog("%s Callback %s :Param=%d\r\n", thread, name, lParam);
    XanCallBack proc = load(record.CallbackProc[slot]);
    if (proc != nullptr) proc(r.Id, static_cast<short>(message), channel, lParam, load(record.CallbackParam[slot]));
    return;
  }
  HWND window = load(record.NotifyWindow[slot]);
  if (window == nullptr || window == reinterpret_cast<HWND>(INVALID_HANDLE_VALUE)) return;
  if (DebugLogOn()) WriteDebugLog("%s PostMessage %s :Param=%d\r\n", thread, name, lParam);
  PostMessageA(window, message, wParam, static_cast<LPARAM>(lParam));
}

}  // namespace halvik::io
