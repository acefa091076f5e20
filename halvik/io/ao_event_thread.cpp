#include "ao_event_thread.h"

#include <outside/halvikdrv.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "ao_state.h"
#include "trace_log.h"
#include "transport.h"

namespace halvik::aoio {

namespace drv = halvikdrv;

namespace {

// How often a wait that must stay stoppable looks at the run flag.
constexpr DWORD kPollMs = 50;

bool running(const DeviceRecord& r) { return r.ThreadRun[kSlotAo].load() == 1; }

struct Event {
  UINT message;
  int32_t bit;
  const char* name;
};
// In the order they are raised for one event word.
constexpr Event kEvents[] = {
    {0x1020, drv::ao::kEventStart, "AOE_START"},        {0x1021, drv::ao::kEventRepeatEnd, "AOE_RPT_END"},
    {0x1023, drv::ao::kEventDataNumber, "AOE_DATA_NUM"}, {0x1027, drv::ao::kEventTransfer, "AOE_DATA_TSF"},
    {0x1022, drv::ao::kEventEnd, "AOE_END"},            {0x1025, drv::ao::kEventClockError, "AOE_SCERR"},
    {0x1026, drv::ao::kEventOutputError, "AOE_AOERR"},
};

struct Fetched {
  int32_t bits = 0, mask = 0, repeat = 0, times = 0, sampling = 0;
  int count = 0;
  int32_t words[drv::ao::kEventWordCapacity] = {};
  bool list = false, park = false;
  int16_t memoryType = 0;
};

template <std::size_t N>
void readReply(const drv::WireRecord<N>& w, const drv::rec::AoFetchPlaces& p, bool hasList, Fetched* f) {
  f->bits = w.template get<int32_t>(p.bits);
  f->mask = w.template get<int32_t>(p.mask);
  f->repeat = w.template get<int32_t>(p.repeat);
  f->times = w.template get<int32_t>(p.times);
  f->sampling = w.template get<int32_t>(p.sampling);
  f->list = w.template get<int16_t>(p.list) != 0;
  f->park = w.template get<int16_t>(p.park) != 0;
  f->memoryType = w.template get<int16_t>(p.memoryType);
  if (!hasList) return;
  // The driver's count is not trusted beyond the words the reply holds.
  f->count = static_cast<int>(std::min<uint32_t>(w.template get<uint32_t>(p.count), drv::ao::kEventWordCapacity));
  for (int i = 0; i < f->count; ++i) f->words[i] = w.template get<int32_t>(p.words + 4 * i);
}

void notify(const DeviceRecord& cr, const Event& e, int32_t lParam) {
  DeviceRecord& r = const_cast<DeviceRecord&>(cr);
  if (load(r.NotifyKind[kSlotAo]) == 1) {
    if (DebugLogOn()) WriteDebugLog("AoEventThread Callback %s :Param=%d\r\n", e.name, lParam);
    XanCallBack proc = load(r.CallbackProc[kSlotAo]);
    if (proc != nullptr) proc(r.Id, static_cast<short>(e.message), 0, lParam, load(r.CallbackParam[kSlotAo]));
    return;
  }
  HWND window = load(r.NotifyWindow[kSlotAo]);
  // Neither 0 nor -1 is a window.
  if (window == nullptr || window == reinterpret_cast<HWND>(INVALID_HANDLE_VALUE)) return;
  if (DebugLogOn()) WriteDebugLog("AoEventThread PostMessage %s :Param=%d\r\n", e.name, lParam);
  PostMessageA(window, e.message, static_cast<WPARAM>(static_cast<uint16_t>(r.Id)), static_cast<LPARAM>(lParam));
}

void dispatch(const DeviceRecord& r, const Fetched& f) {
  auto one = [&](int32_t word) {
    for (const Event& e : kEvents) {
      if ((word & e.bit) == 0 || (f.mask & e.bit) == 0) continue;
      int32_t lParam = f.sampling;
      if (e.bit == drv::ao::kEventStart) lParam = 0;
      if (e.bit == drv::ao::kEventRepeatEnd) lParam = f.repeat;
      if (e.bit == drv::ao::kEventDataNumber && f.memoryType == 0) lParam = f.times;
      notify(r, e, lParam);
    }
  };
  if (!f.list) return one(f.bits);
  for (int i = 0; i < f.count; ++i) one(f.words[i]);
}

class Thread {
 public:
  explicit Thread(uint16_t index) : index_(index), r_(DeviceTable()[index]), c_(StateOf(index).wait) {}

  void run() {
    if (DebugLogOn()) WriteDebugLog("AoEventThread Start :*Index=%d\r\n", index_);
    if (makeObjects()) {
      while (arm()) {
        ReleaseMutex(a_);
        // Woken by the device or by the close: the run flag tells which.
        WaitForSingleObject(io_, INFINITE);
        if (!running(r_)) break;
        pending_ = false;
        if (!takeA()) break;
        Fetched f;
        if (!fetch(&f)) break;
        dispatch(r_, f);
        if (f.park && !park()) break;
      }
    }
    finish();
  }

 private:
  bool makeObjects() {
    char name[64];
    std::snprintf(name, sizeof name, "XANAOEVENT%X", index_);
    io_ = CreateEventA(nullptr, TRUE, TRUE, name);
    const DWORD tid = GetCurrentThreadId();
    std::snprintf(name, sizeof name, "XANAOMUTEXA%X", tid);
    a_ = CreateMutexA(nullptr, TRUE, name);
    if (!validHandle(a_) || !validHandle(io_)) return fail("AoEventThread End :Error 1\r\n");
    std::snprintf(name, sizeof name, "XANAOMUTEXB%X", tid);
    b_ = CreateMutexA(nullptr, TRUE, name);
    if (!validHandle(b_)) return fail("AoEventThread End :Error 2\r\n");
    std::snprintf(name, sizeof name, "XANAOEVENTWAIT%X", tid);
    wake_ = CreateEventA(nullptr, FALSE, FALSE, name);
    if (!validHandle(wake_)) return fail("AoEventThread End :Error 3\r\n");
    store(r_.DoneEvent[kSlotAo], io_);
    store(r_.MutexB[kSlotAo], b_);
    store(r_.AoWaitEvent, wake_);
    store(r_.MutexA[kSlotAo], a_);  // last: a starter waits for this one
    return true;
  }

  bool fail(const char* line) {
    if (DebugLogOn()) WriteDebugLog("%s", line);
    return false;
  }

  // Hands the device the wait; its completion sets io_.
  bool arm() {
    ResetEvent(io_);
    c_.overlapped = OVERLAPPED{};
    c_.overlapped.hEvent = io_;
    std::fill(std::begin(c_.wire), std::end(c_.wire), 0);
    DWORD returned = 0;
    if (RoadOf(r_) == Road::Kernel) {
      const BOOL done = DeviceIoControl(r_.Handle, drv::kAoEventWait, c_.wire, drv::kAoBlockSize, c_.wire,
                                        drv::kAoBlockSize, &returned, &c_.overlapped);
      // A wait the driver neither took nor answered would never wake the thread.
      if (!done && GetLastError() != ERROR_IO_PENDING) return fail("AoEventThread End :Error 3\r\n");
      pending_ = !done;
    } else {
      auto io = RoadOf(r_) == Road::Virtual ? Bus().HalvikVmIoControl : Bus().KelbusIoControl;
      const DWORD result = io(static_cast<DWORD>(static_cast<uint16_t>(r_.BusKind)), r_.Handle, drv::kCmdAoEventWait,
                              c_.wire, drv::rec::kAoWaitSize, c_.wire, drv::rec::kAoWaitSize, &returned,
                              &c_.overlapped);
      if (result != 0 && result != ERROR_IO_PENDING) {
        SetEvent(io_);
        return fail("AoEventThread End :Error 3\r\n");
      }
      pending_ = result == ERROR_IO_PENDING;
    }
    c_.arms.fetch_add(1);
    return true;
  }

  // A stopper holds A while its stop goes out; the close may end the wait.
  bool takeA() {
    while (!taken(WaitForSingleObject(a_, kPollMs))) {
      if (!running(r_)) return false;
    }
    return running(r_) || (ReleaseMutex(a_), false);
  }

  bool fetch(Fetched* f) {
    if (RoadOf(r_) == Road::Kernel) {
      drv::AoBlock b;
      b.put<int32_t>(drv::ao::kEventWordCount, 0);
      if (SendKernel(r_, drv::kAoEventFetch, b.data(), b.size(), drv::ao::kStatus) == kStatusDriverCall)
        return fail("AoEventThread End :Error 5\r\n");
      readReply(b, drv::ao::kFetch, true, f);
      return true;
    }
    const bool vm = RoadOf(r_) == Road::Virtual;
    drv::WireRecord<drv::rec::kAoFetchSizeVm> w;
    LONG status = 0;
    if (BusCall(r_, drv::kCmdAoEventFetch, w.data(), vm ? w.size() : drv::rec::kAoFetchSizeBus,
                vm ? w.size() : drv::rec::kAoFetchSizeBus, &status) != 0)
      return fail("AoEventThread End :Error 4\r\n");
    readReply(w, vm ? drv::rec::kAoFetchVm : drv::rec::kAoFetchBus, vm, f);
    return true;
  }

  // Between runs: mutex B goes to whoever waits for the run's end, the next
  // start wakes the thread and hands B back.
  bool park() {
    if (!ReleaseMutex(b_)) return fail("AoEventThread End :Error 7\r\n");
    WaitForSingleObject(wake_, INFINITE);  // the close sets it too
    if (!running(r_)) return false;
    while (!taken(WaitForSingleObject(b_, kPollMs))) {
      if (!running(r_)) return false;
    }
    return running(r_);
  }

  // A wait still held by the device is cancelled and its completion awaited,
  // so nothing writes into the completion record after the thread is gone.
  void settle() {
    if (!pending_) return;
    if (RoadOf(r_) == Road::Kernel) {
      CancelIoEx(r_.Handle, &c_.overlapped);
      DWORD n = 0;
      GetOverlappedResult(r_.Handle, &c_.overlapped, &n, TRUE);
    }
    pending_ = false;
  }

  // Every end cleans up, a failed hand-over of mutex B too. Ended by a
  // failure, the slots say so to the next start; ended by the close, the
  // closer forgets them itself.
  void finish() {
    settle();
    if (running(r_)) {
      for (HANDLE* field : {&r_.MutexA[kSlotAo], &r_.MutexB[kSlotAo], &r_.DoneEvent[kSlotAo], &r_.AoWaitEvent})
        store(*field, INVALID_HANDLE_VALUE);
    }
    for (HANDLE h : {a_, b_, io_, wake_})
      if (validHandle(h)) CloseHandle(h);
    if (DebugLogOn()) WriteDebugLog("AoEventThread End\r\n");
  }

  uint16_t index_;
  DeviceRecord& r_;
  WaitCompletion& c_;
  HANDLE a_ = INVALID_HANDLE_VALUE, b_ = INVALID_HANDLE_VALUE;
  HANDLE io_ = INVALID_HANDLE_VALUE, wake_ = INVALID_HANDLE_VALUE;
  bool pending_ = false;
};

}  // namespace

DWORD WINAPI AoEventThread(void* param) {
  Thread(*static_cast<uint16_t*>(param)).run();
  return 0;
}

LONG StartOrWakeEventThread(uint16_t index) {
  DeviceRecord& r = DeviceTable()[index];
  HANDLE thread = r.EventThread[kSlotAo];
  if (validHandle(thread) && WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) {
    CloseHandle(thread);  // ended on a failure: a new one takes its place
    r.EventThread[kSlotAo] = INVALID_HANDLE_VALUE;
    thread = INVALID_HANDLE_VALUE;
  }
  if (!validHandle(thread)) {
    // Another thread of the device may be reading it: written only when it differs.
    if (r.ThreadParam != index) r.ThreadParam = index;
    thread = CreateThread(nullptr, 0, AoEventThread, &r.ThreadParam, 0, nullptr);
    if (!validHandle(thread)) return kStatusThreadFailed;
    r.EventThread[kSlotAo] = thread;
    if (!SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST)) return kStatusThreadFailed;
    return 0;
  }
  HANDLE wake = load(r.AoWaitEvent), b = load(r.MutexB[kSlotAo]);
  if (validHandle(wake)) SetEvent(wake);
  if (validHandle(b) && !ReleaseMutex(b)) return -1;
  return 0;
}

uint32_t ArmsSoFar(uint16_t index) { return StateOf(index).wait.arms.load(); }

bool WaitUntilArmed(uint16_t index, uint32_t armsBefore, DWORD limitMs) {
  HANDLE thread = DeviceTable()[index].EventThread[kSlotAo];
  if (!validHandle(thread)) return false;
  for (DWORD waited = 0; waited < limitMs; ++waited) {
    if (ArmsSoFar(index) != armsBefore) return true;
    if (WaitForSingleObject(thread, 1) == WAIT_OBJECT_0) return false;
  }
  return ArmsSoFar(index) != armsBefore;
}

bool TakeMutexA(DeviceRecord& r, DWORD limitMs) {
  HANDLE thread = r.EventThread[kSlotAo];
  if (!validHandle(thread)) return false;
  for (DWORD waited = 0; waited < limitMs; ++waited) {
    HANDLE a = load(r.MutexA[kSlotAo]);
    if (validHandle(a)) return taken(WaitForSingleObject(a, limitMs));
    if (WaitForSingleObject(thread, 1) == WAIT_OBJECT_0) return false;
  }
  return false;
}

bool TakeRunEnd(DeviceRecord& r, DWORD limitMs, bool* held) {
  *held = false;
  HANDLE thread = r.EventThread[kSlotAo];
  HANDLE b = load(r.MutexB[kSlotAo]);
  if (!validHandle(thread) || !validHandle(b) || WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) return true;
  *held = taken(WaitForSingleObject(b, limitMs));
  return *held;
}

}  // namespace halvik::aoio
