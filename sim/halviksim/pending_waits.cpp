#include "pending_waits.h"

#include <outside/halvikdrv.h>

#include <algorithm>
#include <cstring>

namespace halviksim {

bool PendingWaits::keepRequestLocked(std::unique_lock<std::mutex>& lock, PlatRequest* request, int unit) {
  request->driverContext = this;
  PlatMarkRequestPending(request);
  list_.push_back(Waiter{unit, request});
  PlatSetCancelRoutine(request, cancelRoutine);
  if (PlatRequestCancelled(request) && PlatSetCancelRoutine(request, nullptr) != nullptr) {
    list_.pop_back();
    lock.unlock();
    PlatCompleteRequest(request, PLAT_STATUS_CANCELLED, 0);
    return false;
  }
  return true;
}

void PendingWaits::keepSiblingLocked(HANDLE handle, OVERLAPPED* overlapped, void* record, int unit, size_t eventsAt) {
  markSiblingPending(overlapped);
  list_.push_back(Waiter{unit, nullptr, handle, overlapped, record, eventsAt});
}

PendingWaits::Batch PendingWaits::takeAllLocked() {
  Batch taken;
  taken.swap(list_);
  return taken;
}

PendingWaits::Batch PendingWaits::takeUnitLocked(int unit) {
  Batch taken;
  auto kept = std::stable_partition(list_.begin(), list_.end(), [&](const Waiter& w) { return w.unit != unit; });
  taken.assign(kept, list_.end());
  list_.erase(kept, list_.end());
  return taken;
}

void PendingWaits::cancelHandle(HANDLE handle) {
  Batch cancelled;
  {
    std::lock_guard<std::mutex> lock(guard_);
    auto kept = std::stable_partition(list_.begin(), list_.end(),
                                      [&](const Waiter& w) { return w.request != nullptr || w.handle != handle; });
    cancelled.assign(kept, list_.end());
    list_.erase(kept, list_.end());
  }
  complete(cancelled, true);
}

void PendingWaits::complete(const Batch& waiters, bool cancelled) const {
  for (const Waiter& w : waiters) {
    if (w.request != nullptr) {
      if (PlatSetCancelRoutine(w.request, nullptr) == nullptr) continue;  // the cancel routine completes it
      if (cancelled) {
        PlatCompleteRequest(w.request, PLAT_STATUS_CANCELLED, 0);
        continue;
      }
      const int32_t ok = 0;
      std::memcpy(static_cast<uint8_t*>(w.request->systemBuffer) + reply_.statusAt, &ok, sizeof ok);
      PlatCompleteRequest(w.request, PLAT_STATUS_SUCCESS, w.request->outputSize);
      continue;
    }
    if (reply_.countsEvents) {
      const int32_t events = cancelled ? 0 : 1;
      std::memcpy(static_cast<uint8_t*>(w.record) + w.eventsAt, &events, sizeof events);
    }
    completeSibling(w.overlapped, w.record, cancelled, reply_.siblingBytes);
  }
}

void PendingWaits::markSiblingPending(OVERLAPPED* overlapped) {
  overlapped->InternalHigh = 0;
  __atomic_store_n(&overlapped->Internal, ULONG_PTR{STATUS_PENDING_VALUE}, __ATOMIC_RELEASE);
}

void PendingWaits::completeSibling(OVERLAPPED* overlapped, void* record, bool cancelled, ULONG_PTR bytes) {
  const int32_t status = cancelled ? halvikdrv::kStatusInvalidHandle : 0;
  std::memcpy(record, &status, sizeof status);
  overlapped->InternalHigh = cancelled ? 0 : bytes;
  const ULONG_PTR result = cancelled ? static_cast<ULONG>(PLAT_STATUS_CANCELLED) : 0;
  const HANDLE event = overlapped->hEvent;  // the record may go once Internal is stored
  __atomic_store_n(&overlapped->Internal, result, __ATOMIC_RELEASE);
  if (event != nullptr) SetEvent(event);
}

void PendingWaits::cancelRoutine(PlatRequest* request) {
  auto* waits = static_cast<PendingWaits*>(request->driverContext);
  {
    std::lock_guard<std::mutex> lock(waits->guard_);
    auto& list = waits->list_;
    list.erase(std::remove_if(list.begin(), list.end(), [&](const Waiter& w) { return w.request == request; }),
               list.end());
  }
  PlatCompleteRequest(request, PLAT_STATUS_CANCELLED, 0);
}

}  // namespace halviksim
