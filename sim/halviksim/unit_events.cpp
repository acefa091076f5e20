#include "unit_events.h"

namespace halviksim {

// Both families keep a kernel wait's status first.
UnitEvents::UnitEvents() : waits_(mutex_, WaitReply{0, 0, true}) {}

UnitEvents::~UnitEvents() {
  PendingWaits::Batch left;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    left = waits_.takeAllLocked();
  }
  waits_.complete(left, true);
}

void UnitEvents::setMask(int unit, int32_t mask) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (valid(unit)) queues_[unit].mask = mask;
}

int32_t UnitEvents::mask(int unit) {
  std::lock_guard<std::mutex> lock(mutex_);
  return valid(unit) ? queues_[unit].mask : 0;
}

bool UnitEvents::queueWait(int unit, PlatRequest* request) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!valid(unit) || queues_[unit].due()) return false;
  waits_.keepRequestLocked(lock, request, unit);
  return true;
}

bool UnitEvents::queueWait(int unit, HANDLE handle, OVERLAPPED* overlapped, uint8_t* record, size_t eventsAt) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!valid(unit) || queues_[unit].due()) return false;
  waits_.keepSiblingLocked(handle, overlapped, record, unit, eventsAt);
  return true;
}

void UnitEvents::cancelWaits(HANDLE handle) { waits_.cancelHandle(handle); }

void UnitEvents::raise(int unit, const std::vector<int32_t>& words, int32_t param, bool stopped) {
  PendingWaits::Batch due;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!valid(unit)) return;
    Queue& q = queues_[unit];
    for (int32_t word : words) {
      if (q.words.size() < kWordsMax) q.words.push_back(word);
    }
    q.param = param;
    q.stopped = q.stopped || stopped;
    if (q.due()) due = waits_.takeUnitLocked(unit);
  }
  waits_.complete(due, false);
}

UnitEvents::Read UnitEvents::take(int unit) {
  std::lock_guard<std::mutex> lock(mutex_);
  Read read;
  if (!valid(unit)) return read;
  Queue& q = queues_[unit];
  read.words.swap(q.words);
  read.mask = q.mask;
  read.param = q.param;
  read.stopped = q.stopped;
  q.stopped = false;
  return read;
}

void UnitEvents::clear(int unit) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!valid(unit)) return;
  queues_[unit].words.clear();
  queues_[unit].stopped = false;
}

}  // namespace halviksim
