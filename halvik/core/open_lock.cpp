#include "open_lock.h"

#include <chrono>
#include <thread>

#include "event_threads.h"
#include "library_state.h"

namespace halvik {

bool TakeOpenLock(std::unique_lock<std::mutex>& lock) {
  if (!OnAnEventThread()) {
    lock.lock();
    return true;
  }
  // Tried and slept rather than a timed lock, whose taking the thread
  // sanitizer does not see.
  while (!lock.try_lock()) {
    const int32_t closing = Library().lastClose.load();
    if (closing >= 0 && OnEventThreadOf(DeviceTable()[static_cast<size_t>(closing)])) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

LastClose::LastClose(uint16_t index) { Library().lastClose.store(index); }
LastClose::~LastClose() { Library().lastClose.store(-1); }

}  // namespace halvik
