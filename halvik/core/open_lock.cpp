#include "open_lock.h"

#include <chrono>
#include <thread>

#include "event_threads.h"
#include "library_state.h"

namespace halvik {

bool TakeOpenLock(std::unique_lock<std::mutex>& lock, DeviceRecord& record, uint16_t index) {
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

LastClose::LastClose(uint16_t index) { Library().lastClose.store(index); }
LastClose::~LastClose() { Library().lastClose.store(-1); }

}  // namespace halvik
