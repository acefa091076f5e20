// XanExit: undoing one XanInit; the last one stops what runs, ends the
// event threads, releases the process and closes the transport. Once the
// last close has begun every step is taken, whatever an earlier one gave,
// so a device is never left open with nobody counting it.
#include <halvik.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "cntm_close.h"
#include "device_buffer_step.h"
#include "device_record.h"
#include "device_transport.h"
#include "event_threads.h"
#include "export_frame.h"
#include "function_stop.h"
#include "library_state.h"
#include "transport.h"

namespace halvik {

namespace {

constexpr LONG kStatusNotOpen = 10002;

void keepFirst(LONG& first, LONG status) {
  if (first == 0) first = status;
}

// A callback may close its device while another thread's last close of it
// holds the lock and waits for the callback's thread: that close undoes
// the open this one would, so the callback does not wait for it. False
// (nothing held) in that case.
bool takeOpenLock(std::unique_lock<std::mutex>& lock, DeviceRecord& record, uint16_t index) {
  if (!OnEventThreadOf(record)) {
    lock.lock();
    return true;
  }
  // Tried and slept rather than a timed lock, whose taking the thread
  // sanitizer does not see.
  while (!lock.try_lock()) {
    if (Library().lastClose.load() == index) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Marks the last close under way for the callbacks above.
class LastClose {
 public:
  explicit LastClose(uint16_t index) { Library().lastClose.store(index); }
  ~LastClose() { Library().lastClose.store(-1); }
  LastClose(const LastClose&) = delete;
  LastClose& operator=(const LastClose&) = delete;
};

}  // namespace

}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanExit(short Id) {
  ExportFrame frame("XanExit");
  frame.start("Id=%d", Id);
  if (!frame.find(Id)) return kStatusNoDevice;
  DeviceRecord& record = frame.record();
  std::unique_lock<std::mutex> closing(Library().openLock, std::defer_lock);
  if (!takeOpenLock(closing, record, frame.index())) return kStatusNotOpen;
  if (record.OpenCount <= 0) return kStatusNotOpen;
  if (record.OpenCount > 1) {
    --record.OpenCount;
    return frame.end(0);
  }
  LastClose underWay(frame.index());

  LONG first = 0;
  LONG owner = CheckMultiProcess(frame.index());
  // Another process holding a kernel device is no failure of this close:
  // this process only gives up its own part.
  const bool otherHolder = owner == halvikdrv::kStatusOtherProcess && RoadOf(record) == Road::Kernel;
  if (owner != 0 && !otherHolder) keepFirst(first, owner);
  if (owner == 0) keepFirst(first, StopRunningFunctions(record, StopPurpose::Close));
  keepFirst(first, EndEventThreads(record));
  keepFirst(first, EndCntmWorkers(record));
  keepFirst(first, ReleaseAiHostBuffer(record, frame.index()));
  keepFirst(first, ReleaseProcess(record, frame.index()));
  keepFirst(first, CloseTransport(record));
  record.OpenCount = 0;
  return frame.end(first);
}
