#include "ai_event_thread.h"

#include <outside/halvikdrv.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "per_device.h"
#include "ai_host_ring.h"
#include "event_threads.h"
#include "ai_poll_thread.h"
#include "ai_wire.h"
#include "trace_log.h"
#include "transport.h"

namespace halvik::airun {

namespace drv = halvikdrv;

namespace {

// How often a wait that must stay stoppable looks at the run flag.
constexpr DWORD kPollMs = 50;
// How long the end of a run waits for the polling thread's last round.
constexpr DWORD kPollRoundMs = 1000;

// The completion record of a device's pending event wait. It belongs to the
// device, not to the thread, so that a completion that comes late still
// writes into memory that is alive.
struct Completion {
  OVERLAPPED overlapped{};
  unsigned char wire[drv::kAiBlockSize] = {};
  // How often the thread has handed the device a wait: a starter watches it
  // change, since a run that ends at once can take mutex A back before the
  // starter ever sees it free.
  std::atomic<uint32_t> arms{0};
};
Completion& completionOf(uint16_t index) { return perDevice<Completion>(index); }

bool running(const DeviceRecord& r) { return r.ThreadRun[kSlotAi].load() == 1; }

void trace(const char* format, int value) {
  if (DebugLogOn()) WriteDebugLog(format, value);
}

struct Event {
  UINT message;
  int32_t bit;
  const char* name;
};
// In the order they are raised for one factor word.
constexpr Event kEvents[] = {
    {0x1000, 0x2, "AIE_START"},      {0x1001, 0x10, "AIE_RPT_END"},   {0x1003, 0x80, "AIE_DATA_NUM"},
    {0x1007, 0x100, "AIE_DATA_TSF"}, {0x1004, 0x10000, "AIE_OFERR"},  {0x1002, 0x20, "AIE_END"},
    {0x1005, 0x20000, "AIE_SCERR"},  {0x1006, 0x40000, "AIE_AIERR"},
};

struct Fetched {
  int32_t mask = 0, factor = 0, sampling = 0, repeat = 0;
  int count = 0;
  int32_t list[kFetchListMax] = {};
  bool end = false;
};

class Thread {
 public:
  explicit Thread(uint16_t index) : index_(index), r_(DeviceTable()[index]), c_(completionOf(index)) {}

  void run() {
    trace("AiEventThread Start :*Index=%d\r\n", index_);
    if (!makeObjects()) return finish();
    while (true) {
      if (!arm()) break;
      ReleaseMutex(a_);
      if (!waitForEvents()) break;
      if (!takeA()) break;
      Fetched f;
      if (!fetch(&f)) break;
      dispatch(f);
      if (f.end && !park()) break;
    }
    finish();
  }

 private:
  bool makeObjects() {
    char name[64];
    std::snprintf(name, sizeof name, "XANAIEVENT%X", index_);
    done_ = CreateEventA(nullptr, TRUE, TRUE, name);
    const DWORD tid = GetCurrentThreadId();
    std::snprintf(name, sizeof name, "XANAIMUTEXA%X", tid);
    a_ = CreateMutexA(nullptr, TRUE, name);
    if (!validHandle(a_) || !validHandle(done_)) return fail("AiEventThread End :Error 1\r\n");
    std::snprintf(name, sizeof name, "XANAIMUTEXB%X", tid);
    b_ = CreateMutexA(nullptr, TRUE, name);
    if (!validHandle(b_)) return fail("AiEventThread End :Error 2\r\n");
    std::snprintf(name, sizeof name, "XANAIEVENTWAIT%X", tid);
    wake_ = CreateEventA(nullptr, FALSE, FALSE, name);
    if (!validHandle(wake_)) return fail("AiEventThread End :Error 3\r\n");
    store(r_.DoneEvent[kSlotAi], done_);
    store(r_.MutexB[kSlotAi], b_);
    store(r_.AiWaitEvent, wake_);
    store(r_.MutexA[kSlotAi], a_);  // last: a starter waits for this one
    return true;
  }

  bool fail(const char* line) {
    if (DebugLogOn()) WriteDebugLog("%s", line);
    return false;
  }

  // Hands the device the wait request; its completion sets done_.
  bool arm() {
    ResetEvent(done_);
    c_.overlapped = OVERLAPPED{};
    c_.overlapped.hEvent = done_;
    std::fill(std::begin(c_.wire), std::end(c_.wire), 0);
    const Road road = RoadOf(r_);
    if (road == Road::Kernel) {
      DWORD returned = 0;
      if (DeviceIoControl(r_.Handle, drv::kAiEventWait, c_.wire, drv::kAiBlockSize, c_.wire, drv::kAiBlockSize,
                          &returned, &c_.overlapped)) {
        c_.arms.fetch_add(1);
        return true;  // completed at once; done_ is set
      }
      if (GetLastError() != ERROR_IO_PENDING) return fail("AiEventThread End :Error 6\r\n");
      pending_ = true;
      c_.arms.fetch_add(1);
      return true;
    }
    DWORD returned = 0;
    auto io = road == Road::Virtual ? Bus().HalvikVmIoControl : Bus().KelbusIoControl;
    DWORD result = io(static_cast<DWORD>(r_.BusKind), r_.Handle, drv::kCmdAiEventWait, c_.wire, kWaitSize, c_.wire,
                      kWaitSize, &returned, &c_.overlapped);
    if (result != 0 && result != ERROR_IO_PENDING) return fail("AiEventThread End :Error 6\r\n");
    pending_ = result == ERROR_IO_PENDING;
    c_.arms.fetch_add(1);
    return true;
  }

  bool waitForEvents() {
    WaitForSingleObject(done_, INFINITE);  // the close sets it too
    if (!running(r_)) return false;
    pending_ = false;
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
    const Road road = RoadOf(r_);
    if (road == Road::Kernel) {
      drv::AiBlock b;
      b.put<int32_t>(kFetchListCount, 0);
      if (SendKernel(r_, drv::kAiEventFetch, b.data(), b.size(), drv::ai::kStatus) != 0)
        return fail("AiEventThread End :Error 5\r\n");
      f->mask = b.get<int32_t>(drv::ai::kEventMask);
      f->factor = b.get<int32_t>(kFetchFactor);
      f->sampling = b.get<int32_t>(drv::ai::kSamplingCount);
      f->repeat = b.get<int32_t>(drv::ai::kRepeatCount);
      f->count = std::clamp(b.get<int32_t>(kFetchListCount), 0, kFetchListMax);
      for (int i = 0; i < f->count; ++i) f->list[i] = b.get<int32_t>(kFetchList + 4 * i);
      f->end = b.get<int16_t>(kFetchEnd) != 0;
      return true;
    }
    drv::WireRecord<kFetchSizeVm> rec;
    const DWORD size = road == Road::Virtual ? kFetchSizeVm : kFetchSizeBus;
    if (SendCommand(r_, drv::kCmdAiEventFetch, rec.data(), size) != 0) return fail("AiEventThread End :Error 4\r\n");
    f->mask = rec.get<int32_t>(kBusMask);
    f->factor = rec.get<int32_t>(kBusFactor);
    f->sampling = rec.get<int32_t>(kBusSampling);
    f->repeat = rec.get<int32_t>(kBusRepeat);
    f->count = road == Road::Virtual ? std::clamp(rec.get<int32_t>(kBusListCount), 0, kFetchListMax) : 0;
    for (int i = 0; i < f->count; ++i) f->list[i] = rec.get<int32_t>(kBusList + 4 * i);
    f->end = rec.get<int16_t>(kBusEnd) != 0;
    return true;
  }

  void dispatch(const Fetched& f) {
    // With a host ring the driver's count is not the reader's: the ring says
    // what is stored.
    const bool ring = HostRingInUse(r_);
    int32_t sampling = f.sampling;
    LONG ringCount = 0;
    if (ring && HostRingSamplingCount(r_, &ringCount) == 0) sampling = ringCount;
    auto one = [&](int32_t factor) {
      for (const Event& e : kEvents) {
        if ((factor & e.bit) == 0 || (f.mask & e.bit) == 0) continue;
        if (e.bit == drv::ai::kFactorEnd && ring) WaitForPollRound(r_, kPollRoundMs);
        RaiseAiEvent(r_, "AiEventThread", e.message, e.name, e.bit == 0x2 ? 0 : e.bit == 0x10 ? f.repeat : sampling);
        if (e.bit == drv::ai::kFactorEnd && ring) EndPollRound(r_);
      }
    };
    if (f.count > 0) {
      for (int i = 0; i < f.count; ++i) one(f.list[i]);
    } else {
      one(f.factor);
    }
  }

  // Between runs: mutex B goes to whoever waits for the run's end, the next
  // start wakes the thread and hands B back.
  bool park() {
    if (!ReleaseMutex(b_)) return fail("AiEventThread End :Error 7\r\n");
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

  void finish() {
    settle();
    // Ended by a failure, the slots say so to the next start. Ended by the
    // close, the closer is still setting these events, and the next thread
    // writes its own before anyone looks at them.
    if (running(r_)) {
      for (HANDLE* field : {&r_.MutexA[kSlotAi], &r_.MutexB[kSlotAi], &r_.DoneEvent[kSlotAi], &r_.AiWaitEvent})
        store(*field, INVALID_HANDLE_VALUE);
    }
    for (HANDLE h : {a_, b_, done_, wake_})
      if (validHandle(h)) CloseHandle(h);
    if (DebugLogOn()) WriteDebugLog("AiEventThread End\r\n");
  }

  uint16_t index_;
  DeviceRecord& r_;
  Completion& c_;
  HANDLE a_ = INVALID_HANDLE_VALUE, b_ = INVALID_HANDLE_VALUE;
  HANDLE done_ = INVALID_HANDLE_VALUE, wake_ = INVALID_HANDLE_VALUE;
  bool pending_ = false;
};

}  // namespace

void RaiseAiEvent(const DeviceRecord& r, const char* thread, UINT message, const char* name, int32_t lParam) {
  DeviceRecord& record = const_cast<DeviceRecord&>(r);
  if (load(record.NotifyKind[kSlotAi]) == 1) {
    XanCallBack proc = load(record.CallbackProc[kSlotAi]);
    if (DebugLogOn()) WriteDebugLog("%s Callback %s :Param=%d\r\n", thread, name, lParam);
    if (proc != nullptr) proc(r.Id, static_cast<short>(message), 0, lParam, load(record.CallbackParam[kSlotAi]));
    return;
  }
  HWND window = load(record.NotifyWindow[kSlotAi]);
  // Neither 0 nor -1 is a window.
  if (window == nullptr || window == reinterpret_cast<HWND>(INVALID_HANDLE_VALUE)) return;
  if (DebugLogOn()) WriteDebugLog("%s PostMessage %s :Param=%d\r\n", thread, name, lParam);
  PostMessageA(window, message, static_cast<WPARAM>(r.Id), lParam);
}

DWORD WINAPI AiEventThread(void* param) {
  const uint16_t index = *static_cast<uint16_t*>(param);
  EventThreadMark mark(DeviceTable()[index]);
  Thread(index).run();
  return 0;
}

LONG StartOrWakeEventThread(uint16_t index) {
  DeviceRecord& r = DeviceTable()[index];
  HANDLE thread = r.EventThread[kSlotAi];
  if (validHandle(thread) && WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) {
    CloseHandle(thread);  // ended on a failure: a new one takes its place
    r.EventThread[kSlotAi] = INVALID_HANDLE_VALUE;
    thread = INVALID_HANDLE_VALUE;
  }
  if (!validHandle(thread)) {
    // Another thread of the device may be reading it: written only when it differs.
    if (r.ThreadParam != index) r.ThreadParam = index;
    thread = CreateThread(nullptr, 0, AiEventThread, &r.ThreadParam, 0, nullptr);
    if (!validHandle(thread)) return kStatusThreadFailed;
    SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);  // best effort
    r.EventThread[kSlotAi] = thread;
    return 0;
  }
  HANDLE wake = load(r.AiWaitEvent), b = load(r.MutexB[kSlotAi]);
  if (validHandle(wake)) SetEvent(wake);
  if (validHandle(b) && !ReleaseMutex(b)) return -1;
  return 0;
}

uint32_t ArmsSoFar(uint16_t index) { return completionOf(index).arms.load(); }

bool WaitUntilArmed(uint16_t index, uint32_t armsBefore, DWORD limitMs) {
  DeviceRecord& r = DeviceTable()[index];
  HANDLE thread = r.EventThread[kSlotAi];
  if (!validHandle(thread)) return false;
  for (DWORD waited = 0; waited < limitMs; ++waited) {
    if (completionOf(index).arms.load() != armsBefore) return true;
    if (WaitForSingleObject(thread, 1) == WAIT_OBJECT_0) return false;
  }
  return completionOf(index).arms.load() != armsBefore;
}

bool TakeMutexA(DeviceRecord& r, DWORD limitMs) {
  HANDLE thread = r.EventThread[kSlotAi];
  if (!validHandle(thread)) return false;
  for (DWORD waited = 0; waited < limitMs; ++waited) {
    HANDLE a = load(r.MutexA[kSlotAi]);
    if (validHandle(a)) return taken(WaitForSingleObject(a, limitMs));
    if (WaitForSingleObject(thread, 1) == WAIT_OBJECT_0) return false;
  }
  return false;
}

bool TakeRunEnd(DeviceRecord& r, DWORD limitMs, bool* held) {
  *held = false;
  HANDLE thread = r.EventThread[kSlotAi];
  HANDLE b = load(r.MutexB[kSlotAi]);
  if (!validHandle(thread) || !validHandle(b) || WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) return true;
  *held = taken(WaitForSingleObject(b, limitMs));
  return *held;
}

}  // namespace halvik::airun
