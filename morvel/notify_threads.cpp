#include "notify_threads.h"

#include <cstdio>

#include "request.h"

namespace morvel {
namespace {

// About 1 ms per try, shared by all four threads of a close.
constexpr int kStopTries = 4095;
constexpr int kWakeTries = 255;
constexpr DWORD kReadyWaitMs = 5000;
// How long a thread waits for the driver to finish a wait it cancelled.
constexpr int kRetireMs = 2000;

HANDLE namedEvent(const char* format, DWORD id, BOOL initial) {
  char name[40];
  std::snprintf(name, sizeof name, format, static_cast<unsigned>(id));
  HANDLE ev = CreateEventA(nullptr, TRUE, initial, name);
  // Two slots started from one thread would share the named event; the
  // second one gets an event of its own.
  if (ev != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(ev);
    ev = CreateEventA(nullptr, TRUE, initial, nullptr);
  }
  return ev;
}

HANDLE makeWaitEvent() { return namedEvent("MORVELEVENT%X", GetCurrentThreadId(), TRUE); }

void post(uint32_t window, uint16_t message, int16_t state) {
  PostMessageA(reinterpret_cast<HWND>(static_cast<uintptr_t>(window)), message,
               static_cast<WPARAM>(static_cast<intptr_t>(state)), 0);
}

// Makes sure the slot's wait request of this kind is no longer pending in
// the driver before its block is reused or the thread ends.
void retireWait(Slot& s, ThreadKind k) {
  OVERLAPPED& ov = s.wait[k].overlapped;
  if (HasOverlappedIoCompleted(&ov)) return;
  CancelIoEx(toHandle(s.handle.load()), &ov);
  for (int ms = 0; ms < kRetireMs && !HasOverlappedIoCompleted(&ov); ++ms) Sleep(1);
}

bool sendWait(Slot& s, ThreadKind k, uint32_t offset, HANDLE ev) {
  retireWait(s, k);
  WaitBlock& w = s.wait[k];
  w.record = XanRequest{};
  w.record.head.handle = s.handle.load();
  w.overlapped = OVERLAPPED{};
  w.overlapped.hEvent = ev;
  ResetEvent(ev);
  const uint32_t size = XanRecordSize(offset);
  DWORD returned = 0;
  if (DeviceIoControl(toHandle(w.record.head.handle), XanCode(offset), &w.record, size, &w.record, size, &returned,
                      &w.overlapped)) {
    return true;
  }
  return GetLastError() == ERROR_IO_PENDING;
}

bool askStatus(Slot& s, uint32_t offset, XanRequest& answer) {
  answer = XanRequest{};
  answer.head.handle = s.handle.load();
  return sendRequest(answer.head.handle, offset, answer);
}

void park() { SuspendThread(GetCurrentThread()); }

void endThread(Slot& s, ThreadKind k, HANDLE ev) {
  retireWait(s, k);
  if (ev != nullptr) {
    s.waitEvent[k].store(nullptr);
    CloseHandle(ev);
  }
  s.ended[k].store(true);
}

DWORD WINAPI backNotifyThread(void* p) {
  Slot& s = *static_cast<Slot*>(p);
  HANDLE ev = makeWaitEvent();
  s.waitEvent[kBackThread].store(ev);
  while (ev != nullptr && s.run[kBackThread].load()) {
    if (!sendWait(s, kBackThread, XAN_WAIT_BACK, ev) || !s.run[kBackThread].load()) break;
    if (WaitForSingleObject(ev, INFINITE) == WAIT_OBJECT_0) {
      if (!s.run[kBackThread].load()) break;
      XanRequest answer;
      if (!askStatus(s, XAN_BACK_STATUS, answer)) break;
      const XanNotifyStatusRecord& a = answer.notifyStatus;
      if (a.state == XAN_STATE_CLOSED) break;
      if (a.state == 0 || a.state == 1 || a.state == 4) {
        if (a.messageA != 0) post(a.windowA, a.messageA, a.state);
      } else if (a.state == 3 || a.state == 5) {
        if (a.messageB != 0) post(a.windowB, a.messageB, a.state);
      }
    }
    park();
  }
  endThread(s, kBackThread, ev);
  return 0;
}

DWORD WINAPI backDataThread(void* p) {
  Slot& s = *static_cast<Slot*>(p);
  while (s.run[kBackDataThread].load()) {
    // The driver paces the loop: it waits 1 ms before each answer.
    XanRequest answer;
    while (s.run[kBackDataThread].load() && askStatus(s, XAN_BACK_DATA, answer) &&
           (answer.backData.more == 1 || answer.backData.more == 2)) {
    }
    park();
  }
  s.ended[kBackDataThread].store(true);
  return 0;
}

void signalReady(Slot& s, bool armed) {
  s.readyFailed.store(!armed);
  if (HANDLE ready = s.readyEvent.load()) SetEvent(ready);
}

enum class Next { Cycle, Park, End };

// One cycle of the board-memory thread after its wait is pending.
Next bdMemCycle(Slot& s, HANDLE ev) {
  if (WaitForSingleObject(ev, INFINITE) != WAIT_OBJECT_0 || !s.run[kBdMemThread].load()) return Next::Park;
  XanRequest answer;
  if (!askStatus(s, XAN_BD_MEM_STATUS, answer)) return Next::Park;
  const XanNotifyStatusRecord& a = answer.notifyStatus;
  switch (a.state) {
    case 0:
    case 4:
      if (a.messageA != 0) post(a.windowA, a.messageA, a.state);
      return Next::Park;
    case 1:
      if (a.messageA != 0) post(a.windowA, a.messageA, a.state);
      return Next::Cycle;
    case 3:
    case 5:
    case 16:
    case 17:
      if (a.messageB != 0) post(a.windowB, a.messageB, a.state);
      return Next::Park;
    case XAN_STATE_CLOSED:
      return Next::End;
    default:
      return Next::Cycle;
  }
}

DWORD WINAPI bdMemThread(void* p) {
  Slot& s = *static_cast<Slot*>(p);
  HANDLE ev = makeWaitEvent();
  s.waitEvent[kBdMemThread].store(ev);
  Next next = ev != nullptr ? Next::Cycle : Next::End;
  while (next != Next::End) {
    next = Next::Park;
    if (s.run[kBdMemThread].load()) {
      const bool armed = sendWait(s, kBdMemThread, XAN_WAIT_BD_MEM, ev) && s.run[kBdMemThread].load();
      // The starting call waits for this, armed or not.
      signalReady(s, armed);
      if (armed) next = bdMemCycle(s, ev);
    }
    if (next == Next::Park) {
      park();
      if (!s.run[kBdMemThread].load()) next = Next::End;
    }
  }
  signalReady(s, false);
  endThread(s, kBdMemThread, ev);
  return 0;
}

// One cycle of the counter thread with its own event of the cycle.
Next counterCycle(Slot& s, HANDLE ev) {
  std::atomic<bool>& run = s.run[kCounterThread];
  if (!run.load() || !sendWait(s, kCounterThread, XAN_WAIT_CNT, ev) || !run.load()) return Next::Park;
  if (WaitForSingleObject(ev, INFINITE) != WAIT_OBJECT_0 || !run.load()) return Next::Park;
  XanRequest answer;
  if (!askStatus(s, XAN_CNT_STATUS, answer)) return Next::Park;
  // The window and message came back with the wait; the message goes even when it is 0.
  const XanCntNotifyRecord& gate = s.wait[kCounterThread].record.cntNotify;
  switch (answer.cntNotify.state) {
    case 0:
    case 2:
      post(gate.window, gate.message, 0);
      return Next::Cycle;
    case 1:
      post(gate.window, gate.message, 0);
      return Next::Park;
    case XAN_STATE_CLOSED:
      return Next::End;
    default:
      return Next::Cycle;
  }
}

DWORD WINAPI counterThread(void* p) {
  Slot& s = *static_cast<Slot*>(p);
  for (;;) {
    HANDLE ev = makeWaitEvent();
    if (ev == nullptr) break;
    s.waitEvent[kCounterThread].store(ev);
    const Next next = counterCycle(s, ev);
    // The cycle's event is closed on every way out, parking included.
    retireWait(s, kCounterThread);
    s.waitEvent[kCounterThread].store(nullptr);
    CloseHandle(ev);
    if (next == Next::End) break;
    if (next == Next::Park) {
      park();
      if (!s.run[kCounterThread].load()) break;
    }
  }
  endThread(s, kCounterThread, nullptr);
  return 0;
}

bool createThread(Slot& s, ThreadKind k, LPTHREAD_START_ROUTINE routine) {
  HANDLE t = CreateThread(nullptr, 0, routine, &s, CREATE_SUSPENDED, nullptr);
  if (t == nullptr) return false;
  if (k == kBackThread || k == kBackDataThread) SetThreadPriority(t, s.priority.load());
  s.thread[k].store(t);
  s.ended[k].store(false);
  s.run[k].store(true);
  ResumeThread(t);
  return true;
}

// A thread that ended (state 255, a failed request) is forgotten, so that
// the next start makes a new one instead of trying to wake it.
void reapEnded(Slot& s, ThreadKind k) {
  HANDLE t = s.thread[k].load();
  if (t == nullptr) return;
  DWORD code = STILL_ACTIVE;
  if (!s.ended[k].load() && GetExitCodeThread(t, &code) && code == STILL_ACTIVE) return;
  WaitForSingleObject(t, kRetireMs);
  CloseHandle(t);
  s.thread[k].store(nullptr);
}

// Resumes a parked thread until it reports it had parked.
LONG wake(Slot& s, ThreadKind k, bool signalWait) {
  HANDLE t = s.thread[k].load();
  s.run[k].store(true);
  for (int tries = 0; tries < kWakeTries; ++tries) {
    if (signalWait) {
      if (HANDLE ev = s.waitEvent[k].load()) SetEvent(ev);
    }
    const DWORD previous = ResumeThread(t);
    Sleep(1);
    if (previous == 1) return XAN_OK;
  }
  return XAN_E_WAKE;
}

}  // namespace

LONG startBackThreads(Slot& s, bool input) {
  reapEnded(s, kBackThread);
  reapEnded(s, kBackDataThread);
  const bool first = s.thread[kBackThread].load() == nullptr;
  if (first && !createThread(s, kBackThread, backNotifyThread)) return XAN_E_THREAD;
  if (input && s.thread[kBackDataThread].load() == nullptr) {
    if (!createThread(s, kBackDataThread, backDataThread)) return XAN_E_THREAD;
    if (!first) Sleep(10);
  }
  if (first) {
    Sleep(10);
    return XAN_OK;
  }
  return wake(s, kBackThread, false);
}

LONG startBdMemThread(Slot& s) {
  reapEnded(s, kBdMemThread);
  LONG result = XAN_OK;
  if (s.thread[kBdMemThread].load() == nullptr) {
    if (HANDLE old = s.readyEvent.exchange(nullptr)) CloseHandle(old);
    HANDLE ready = namedEvent("MORVELBDMEMEVENT%X", GetCurrentThreadId(), FALSE);
    if (ready == nullptr) return XAN_E_THREAD;
    s.readyEvent.store(ready);
    s.readyFailed.store(false);
    if (!createThread(s, kBdMemThread, bdMemThread)) return XAN_E_THREAD;
    Sleep(10);
  } else {
    ResetEvent(s.readyEvent.load());
    s.readyFailed.store(false);
    result = wake(s, kBdMemThread, true);
    if (result != XAN_OK) return result;  // a thread that was not woken will not say it is ready
  }
  if (WaitForSingleObject(s.readyEvent.load(), kReadyWaitMs) != WAIT_OBJECT_0 || s.readyFailed.load()) {
    return XAN_E_WAKE;
  }
  return result;
}

LONG startCounterThread(Slot& s, uint16_t message) {
  reapEnded(s, kCounterThread);
  HANDLE t = s.thread[kCounterThread].load();
  if (t == nullptr) {
    if (message == 0) return XAN_OK;
    if (!createThread(s, kCounterThread, counterThread)) return XAN_E_THREAD;
    Sleep(10);
    return XAN_OK;
  }
  s.run[kCounterThread].store(true);
  ResumeThread(t);
  return XAN_OK;
}

int stopNotifyThreads(Slot& s) {
  for (auto& run : s.run) run.store(false);
  // Every wait pending on the device file completes now, cancelled.
  CancelIo(toHandle(s.handle.load()));
  int outcome = 0;
  int tries = 0;
  for (ThreadKind k : {kBdMemThread, kCounterThread, kBackThread, kBackDataThread}) {
    HANDLE t = s.thread[k].load();
    if (t == nullptr) continue;
    while (tries < kStopTries) {
      ResumeThread(t);
      if (HANDLE ev = s.waitEvent[k].load()) SetEvent(ev);
      if (WaitForSingleObject(t, 1) == WAIT_OBJECT_0) break;
      if (++tries == kStopTries) outcome = 1;
    }
  }
  closeSlotThreadHandles(s);
  return outcome;
}

void closeSlotThreadHandles(Slot& s) {
  for (auto& t : s.thread) {
    if (HANDLE h = t.exchange(nullptr)) CloseHandle(h);
  }
  if (HANDLE ready = s.readyEvent.exchange(nullptr)) {
    s.readyFailed.store(true);
    SetEvent(ready);  // releases a start that still waits for it
    CloseHandle(ready);
  }
}

}  // namespace morvel

using namespace morvel;

DLL_EXPORT LONG WINAPI XanSetBackPriority(XanHandle handle, int16_t priority) {
  const int n = findHandleSlot(handle);
  if (n < 0) return XAN_E_CALL;
  if (priority < -2 || priority > 2) return XAN_E_PRIORITY;
  Slot& s = slotAt(n);
  s.priority.store(priority);
  for (ThreadKind k : {kBackThread, kBackDataThread}) {
    if (HANDLE t = s.thread[k].load()) SetThreadPriority(t, priority);
  }
  return XAN_OK;
}
