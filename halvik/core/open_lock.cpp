#include "open_lock.h"

#include <algorithm>

#include "event_threads.h"
#include "library_state.h"

namespace halvik {

namespace {

bool closing(const LibraryState& state, uint16_t index) {
  return std::find(state.closing.begin(), state.closing.end(), index) != state.closing.end();
}

}  // namespace

bool TakeOpenLock(std::unique_lock<std::mutex>& lock, uint16_t index) {
  LibraryState& state = Library();
  lock.lock();
  while (closing(state, index)) {
    // The close is ending this very thread: waiting for it would hold the
    // close up to its bound and leave the thread running past it.
    if (OnEventThreadOf(DeviceTable()[index])) {
      lock.unlock();
      return false;
    }
    state.closeEnded.wait(lock);
  }
  return true;
}

ClosingMark::ClosingMark(uint16_t index) : index_(index) { Library().closing.push_back(index); }

ClosingMark::~ClosingMark() {
  LibraryState& state = Library();
  state.closing.erase(std::find(state.closing.begin(), state.closing.end(), index_));
  state.closeEnded.notify_all();
}

}  // namespace halvik
