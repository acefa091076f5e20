// Creating and ending the multi-function counter's two notification
// workers. A worker that has ended (its wait failed) is replaced by the
// next registration; the device's last close ends both.
#include <mutex>

#include "cntm_close.h"
#include "cntm_frame.h"
#include "device_transport.h"
#include "library_state.h"
#include "straggler_threads.h"

namespace halvik {

namespace {

constexpr int kEndRounds = 1000;  // of 1 ms each

// Starts and ends of any device, one at a time. Kept by the library state:
// the last close may come from the library's detach.
struct WorkersLock {
  std::mutex lock;
};
std::mutex& workersLock() { return LibraryObject<WorkersLock>().lock; }

struct Worker {
  HANDLE* thread;
  int32_t* words;  // stop request, ended
  HANDLE* event;
};

LONG start(uint16_t index, const Worker& w, LPTHREAD_START_ROUTINE body) {
  std::lock_guard<std::mutex> guard(workersLock());
  HANDLE thread = mcnt::load(*w.thread);
  if (thread != INVALID_HANDLE_VALUE) {
    if (mcnt::load(w.words[1]) == 0 && mcnt::load(w.words[0]) == 0) return 0;
    // It has set its ended word or been told to end: only its return is left.
    if (WaitForSingleObject(thread, kEndRounds) == WAIT_OBJECT_0) {
      CloseHandle(thread);
    } else {
      KeepStragglerThread(thread);
    }
  }
  mcnt::store(w.words[0], 0);
  mcnt::store(w.words[1], 0);
  thread = CreateThread(nullptr, 0, body, reinterpret_cast<void*>(static_cast<uintptr_t>(index)), 0, nullptr);
  mcnt::store(*w.thread, thread != nullptr ? thread : INVALID_HANDLE_VALUE);
  return thread != nullptr ? 0 : mcnt::kStatusThreadFailed;
}

// The worker may be making its event or resetting it: it is set again
// every round until the worker has gone.
bool end(const Worker& w) {
  const HANDLE thread = mcnt::load(*w.thread);
  if (thread == INVALID_HANDLE_VALUE) return true;
  mcnt::store(w.words[0], 1);
  // A callback closing its own device runs on the worker: it cannot wait
  // for itself, and ends after the callback, at its stop word.
  if (GetThreadId(thread) == GetCurrentThreadId()) {
    if (HANDLE event = mcnt::load(*w.event); event != nullptr) SetEvent(event);
    return true;
  }
  bool ended = false;
  for (int round = 0; round < kEndRounds && !ended; ++round) {
    if (HANDLE event = mcnt::load(*w.event); event != nullptr) SetEvent(event);
    ended = WaitForSingleObject(thread, 1) == WAIT_OBJECT_0;
  }
  mcnt::store(*w.thread, INVALID_HANDLE_VALUE);
  if (!ended) {
    KeepStragglerThread(thread);  // the detach waits for it
    return false;
  }
  CloseHandle(thread);
  if (HANDLE event = mcnt::load(*w.event); event != nullptr) CloseHandle(event);
  mcnt::store(*w.event, HANDLE{});
  return true;
}

Worker eventWorker(CntmState& s) { return {&s.boardEventThread, s.boardEventWords, &s.boardEvent}; }
Worker timeUpWorker(CntmState& s) { return {&s.timeUpThread, s.timeUpWords, &s.timeUpEvent}; }

}  // namespace

namespace mcnt {

LONG StartEventWorker(uint16_t index) {
  return start(index, eventWorker(DeviceTable()[index].Cntm), CntmEventThread);
}
LONG StartTimeUpWorker(uint16_t index) {
  return start(index, timeUpWorker(DeviceTable()[index].Cntm), CntmTimeUpThread);
}

}  // namespace mcnt

LONG EndCntmWorkers(DeviceRecord& record) {
  std::lock_guard<std::mutex> guard(workersLock());
  const bool events = end(eventWorker(record.Cntm));
  const bool timeUps = end(timeUpWorker(record.Cntm));
  return events && timeUps ? 0 : kStatusCloseFailed;
}

}  // namespace halvik
