#include "event_threads.h"

#include "device_transport.h"

namespace halvik {

namespace {

constexpr int kEndWaits = 1000;

void wake(const ThreadSlotView& slot) {
  for (HANDLE* event : {slot.done, slot.wake})
    if (event != nullptr && *event != INVALID_HANDLE_VALUE && *event != nullptr) SetEvent(*event);
}

bool endOne(const ThreadSlotView& slot) {
  slot.run->store(0);
  bool ended = false;
  for (int i = 0; i < kEndWaits && !ended; ++i) {
    wake(slot);
    ended = WaitForSingleObject(*slot.thread, 1) == WAIT_OBJECT_0;
  }
  // A thread that did not end has been told to; its handle goes either way,
  // so the record can be opened afresh.
  bool closed = CloseHandle(*slot.thread) != FALSE;
  *slot.thread = INVALID_HANDLE_VALUE;
  return ended && closed;
}

}  // namespace

std::array<ThreadSlotView, kThreadSlotCount> ThreadSlotsOf(DeviceRecord& r) {
  return {{
      {&r.EventThread[kSlotAi], &r.ThreadRun[kSlotAi], &r.DoneEvent[kSlotAi], &r.AiWaitEvent},
      {&r.AiPollThread, &r.AiPollRun, nullptr, &r.AiPollWaitEvent},
      {&r.EventThread[kSlotAo], &r.ThreadRun[kSlotAo], &r.DoneEvent[kSlotAo], &r.AoWaitEvent},
      {&r.CntThread[0], &r.ThreadRun[kSlotCnt0], &r.DoneEvent[kSlotCnt0], &r.CntWaitEvent[0]},
      {&r.CntThread[1], &r.ThreadRun[kSlotCnt1], &r.DoneEvent[kSlotCnt1], &r.CntWaitEvent[1]},
      {&r.TmThread[0], &r.ThreadRun[kSlotTm0], &r.DoneEvent[kSlotTm0], &r.TmWaitEvent[0]},
      {&r.TmThread[1], &r.ThreadRun[kSlotTm1], &r.DoneEvent[kSlotTm1], &r.TmWaitEvent[1]},
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

}  // namespace halvik
