#include "event_threads.h"

#include "device_transport.h"
#include "straggler_threads.h"

namespace halvik {

namespace {

constexpr int kEndWaits = 1000;

// The thread writes its handles while it starts: each is one access.
HANDLE loadHandle(HANDLE* field) { return __atomic_load_n(field, __ATOMIC_ACQUIRE); }

void wake(const ThreadSlotView& slot) {
  for (HANDLE* event : {slot.done, slot.wake}) {
    if (event == nullptr) continue;
    HANDLE h = loadHandle(event);
    if (h != INVALID_HANDLE_VALUE && h != nullptr) SetEvent(h);
  }
}

void forgetObjects(const ThreadSlotView& slot) {
  for (HANDLE* field : {slot.done, slot.wake, slot.mutexes[0], slot.mutexes[1]})
    if (field != nullptr) __atomic_store_n(field, INVALID_HANDLE_VALUE, __ATOMIC_RELEASE);
}

// A callback may close its own device: its thread cannot wait for itself.
// It is told to end, and ends once the callback has returned; its handle
// stays, so the next start or close of the slot waits for that end.
bool isCallingThread(HANDLE thread) { return GetThreadId(thread) == GetCurrentThreadId(); }

bool endOne(const ThreadSlotView& slot) {
  slot.run->store(0);
  if (isCallingThread(*slot.thread)) {
    wake(slot);
    return true;
  }
  bool ended = false;
  for (int i = 0; i < kEndWaits && !ended; ++i) {
    wake(slot);
    ended = WaitForSingleObject(*slot.thread, 1) == WAIT_OBJECT_0;
  }
  // A thread that did not end has been told to; its handle leaves the
  // record either way, so the record can be opened afresh, and the detach
  // waits for it.
  bool closed = true;
  if (ended) {
    forgetObjects(slot);
    closed = CloseHandle(*slot.thread) != FALSE;
  } else {
    KeepStragglerThread(*slot.thread);
  }
  *slot.thread = INVALID_HANDLE_VALUE;
  return ended && closed;
}

}  // namespace

std::array<ThreadSlotView, kThreadSlotCount> ThreadSlotsOf(DeviceRecord& r) {
  return {{
      {&r.EventThread[kSlotAi], &r.ThreadRun[kSlotAi], &r.DoneEvent[kSlotAi], &r.AiWaitEvent, {&r.MutexA[kSlotAi], &r.MutexB[kSlotAi]}},
      {&r.AiPollThread, &r.AiPollRun, nullptr, &r.AiPollWaitEvent, {&r.AiMutexC, nullptr}},
      {&r.EventThread[kSlotAo], &r.ThreadRun[kSlotAo], &r.DoneEvent[kSlotAo], &r.AoWaitEvent, {&r.MutexA[kSlotAo], &r.MutexB[kSlotAo]}},
      {&r.CntThread[0], &r.ThreadRun[kSlotCnt0], &r.DoneEvent[kSlotCnt0], &r.CntWaitEvent[0], {&r.MutexA[kSlotCnt0], &r.MutexB[kSlotCnt0]}},
      {&r.CntThread[1], &r.ThreadRun[kSlotCnt1], &r.DoneEvent[kSlotCnt1], &r.CntWaitEvent[1], {&r.MutexA[kSlotCnt1], &r.MutexB[kSlotCnt1]}},
      {&r.TmThread[0], &r.ThreadRun[kSlotTm0], &r.DoneEvent[kSlotTm0], &r.TmWaitEvent[0], {&r.MutexA[kSlotTm0], &r.MutexB[kSlotTm0]}},
      {&r.TmThread[1], &r.ThreadRun[kSlotTm1], &r.DoneEvent[kSlotTm1], &r.TmWaitEvent[1], {&r.MutexA[kSlotTm1], &r.MutexB[kSlotTm1]}},
  }};
}

LONG EndEventThreads(DeviceRecord& record) {
  LONG status = 0;
  for (const ThreadSlotView& slot : ThreadSlotsOf(record)) {
    if (*slot.thread == INVALID_HANDLE_VALUE) continue;
    if (!endOne(slot) && status == 0) status = kStatusCloseFailed;
  }
  return status;
}

namespace {
// In the thread's static block: the library is loaded by name, and a block
// of its own would be freed by whichever thread next takes the ended
// thread's stack, unseen by the race checks.
thread_local const DeviceRecord* servedRecord __attribute__((tls_model("initial-exec"))) = nullptr;
}  // namespace

bool OnEventThreadOf(const DeviceRecord& record) { return servedRecord == &record; }
bool OnAnEventThread() { return servedRecord != nullptr; }

EventThreadMark::EventThreadMark(const DeviceRecord& record) { servedRecord = &record; }
EventThreadMark::~EventThreadMark() { servedRecord = nullptr; }

}  // namespace halvik
