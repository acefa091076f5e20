// The event threads of a device, seen as one list of slots so that closing
// ends every one of them the same way.
#pragma once
#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>

#include "device_record.h"

namespace halvik {

struct ThreadSlotView {
  HANDLE* thread;
  std::atomic<uint8_t>* run;
  HANDLE* done;  // may point at INVALID_HANDLE_VALUE
  HANDLE* wake;
  HANDLE* mutexes[2];  // the thread's mutexes; null: none
};

// In the order they are ended: analog input, its polling thread, analog
// output, counter channels 0 and 1, timers 0 and 1.
inline constexpr int kThreadSlotCount = 7;
std::array<ThreadSlotView, kThreadSlotCount> ThreadSlotsOf(DeviceRecord& record);

// Ends each thread whose handle is not -1: clears its run flag, wakes it,
// waits 1 ms at a time up to 1000 times, closes the handle and sets it to
// -1. A thread that ended has closed its own objects: their slots are set
// to -1 too. The calling thread's own slot is only told to end; its handle
// stays for the next start or close to wait on. 0, or 10004 when a thread
// did not end or a handle did not close (the others are still ended).
LONG EndEventThreads(DeviceRecord& record);

// Whether the calling thread is one of the record's event threads (the
// multi-function counter's workers included), as a callback's is. Known
// from the thread itself: the record's handle fields change under other
// threads' opens, starts and closes.
bool OnEventThreadOf(const DeviceRecord& record);
// Whether the calling thread is an event thread of any record.
bool OnAnEventThread();

// Marks the calling thread as an event thread of the record for the
// object's life; every event thread's body makes one before anything else.
class EventThreadMark {
 public:
  explicit EventThreadMark(const DeviceRecord& record);
  ~EventThreadMark();
  EventThreadMark(const EventThreadMark&) = delete;
  EventThreadMark& operator=(const EventThreadMark&) = delete;
};

}  // namespace halvik
