#include "unit_events.h"

#include <outside/halvikdrv.h>

#include <algorithm>
#include <cstring>

namespace halviksim {

UnitEvents::~UnitEvents() {
  std::vector<Waiter> left;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    left.swap(waiters_);
  }
  complete(left, true);
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
  request->driverContext = this;
  PlatMarkRequestPending(request);
  waiters_.push_back(Waiter{unit, request});
  PlatSetCancelRoutine(request, cancelRoutine);
  if (PlatRequestCancelled(request) && PlatSetCancelRoutine(request, nullptr) != nullptr) {
    waiters_.pop_back();
    lock.unlock();
    PlatCompleteRequest(request, PLAT_STATUS_CANCELLED, 0);
  }
  return true;
}

bool UnitEvents::queueWait(int unit, HANDLE handle, OVERLAPPED* overlapped, uint8_t* record, size_t eventsAt) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!valid(unit) || queues_[unit].due()) return false;
  overlapped->InternalHigh = 0;
  __atomic_store_n(&overlapped->Internal, ULONG_PTR{STATUS_PENDING_VALUE}, __ATOMIC_RELEASE);
  waiters_.push_back(Waiter{unit, nullptr, handle, overlapped, record, eventsAt});
  return true;
}

void UnitEvents::cancelWaits(HANDLE handle) {
  std::vector<Waiter> cancelled;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto kept = std::stable_partition(waiters_.begin(), waiters_.end(),
                                      [&](const Waiter& w) { return w.request != nullptr || w.handle != handle; });
    cancelled.assign(kept, waiters_.end());
    waiters_.erase(kept, waiters_.end());
  }
  complete(cancelled, true);
}

void UnitEvents::raise(int unit, const std::vector<int32_t>& words, int32_t param, bool stopped) {
  std::vector<Waiter> due;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!valid(unit)) return;
    Queue& q = queues_[unit];
    for (int32_t word : words) {
      if (q.words.size() < kWordsMax) q.words.push_back(word);
    }
    q.param = param;
    q.stopped = q.stopped || stopped;
    if (q.due()) due = takeWaitersLocked(unit);
  }
  complete(due, false);
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

std::vector<UnitEvents::Waiter> UnitEvents::takeWaitersLocked(int unit) {
  std::vector<Waiter> due;
  auto kept = std::stable_partition(waiters_.begin(), waiters_.end(), [&](const Waiter& w) { return w.unit != unit; });
  due.assign(kept, waiters_.end());
  waiters_.erase(kept, waiters_.end());
  return due;
}

void UnitEvents::complete(const std::vector<Waiter>& waiters, bool cancelled) {
  for (const Waiter& w : waiters) {
    if (w.request != nullptr) {
      if (PlatSetCancelRoutine(w.request, nullptr) == nullptr) continue;  // the cancel routine completes it
      if (cancelled) {
        PlatCompleteRequest(w.request, PLAT_STATUS_CANCELLED, 0);
        continue;
      }
      const int32_t ok = 0;  // both families keep their status first
      std::memcpy(w.request->systemBuffer, &ok, sizeof ok);
      PlatCompleteRequest(w.request, PLAT_STATUS_SUCCESS, w.request->outputSize);
      continue;
    }
    const int32_t status = cancelled ? halvikdrv::kStatusInvalidHandle : 0;
    const int32_t events = cancelled ? 0 : 1;
    std::memcpy(w.record, &status, sizeof status);
    std::memcpy(w.record + w.eventsAt, &events, sizeof events);
    w.overlapped->InternalHigh = 0;
    const ULONG_PTR result = cancelled ? static_cast<ULONG>(PLAT_STATUS_CANCELLED) : 0;
    const HANDLE event = w.overlapped->hEvent;  // the record may go once Internal is stored
    __atomic_store_n(&w.overlapped->Internal, result, __ATOMIC_RELEASE);
    if (event != nullptr) SetEvent(event);
  }
}

void UnitEvents::cancelRoutine(PlatRequest* request) {
  auto* events = static_cast<UnitEvents*>(request->driverContext);
  {
    std::lock_guard<std::mutex> lock(events->mutex_);
    auto& list = events->waiters_;
    list.erase(std::remove_if(list.begin(), list.end(), [&](const Waiter& w) { return w.request == request; }),
               list.end());
  }
  PlatCompleteRequest(request, PLAT_STATUS_CANCELLED, 0);
}

}  // namespace halviksim
