// The event waits a unit of the simulated device keeps pending until its
// events are due: kernel requests, which their cancel routine may complete
// first, and sibling waits, whose OVERLAPPED reads pending until it is set.
// The owner's mutex guards the list (the methods named ...Locked are called
// with it held); completions run outside it, since completing a request
// may call back into the owner.
#pragma once
#include <windows.h>
#include <platform/device.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace halviksim {

// What a completed wait hands back besides its status.
struct WaitReply {
  size_t statusAt = 0;         // where a kernel wait's buffer takes the status 0
  ULONG_PTR siblingBytes = 0;  // the size a completed sibling wait reports
  bool countsEvents = false;   // a sibling record also takes int32 1 (cancelled: 0) at its eventsAt
};

class PendingWaits {
 public:
  struct Waiter {
    int unit = 0;  // the owner's unit the wait is for
    PlatRequest* request = nullptr;
    HANDLE handle = nullptr;
    OVERLAPPED* overlapped = nullptr;
    void* record = nullptr;
    size_t eventsAt = 0;
  };
  using Batch = std::vector<Waiter>;

  PendingWaits(std::mutex& guard, WaitReply reply) : guard_(guard), reply_(reply) {}
  PendingWaits(const PendingWaits&) = delete;
  PendingWaits& operator=(const PendingWaits&) = delete;

  // Keeps a kernel wait pending under its cancel routine. False when it was
  // cancelled before the routine was in place: it is completed as cancelled
  // then, with `lock` released first.
  bool keepRequestLocked(std::unique_lock<std::mutex>& lock, PlatRequest* request, int unit = 0);
  // Keeps a sibling wait, its OVERLAPPED marked pending.
  void keepSiblingLocked(HANDLE handle, OVERLAPPED* overlapped, void* record, int unit = 0, size_t eventsAt = 0);

  bool emptyLocked() const { return list_.empty(); }
  Batch takeAllLocked();
  Batch takeUnitLocked(int unit);

  // Runs work under the guard, then completes outside it every wait when
  // due() holds after the work; work's result.
  template <class Work, class Due>
  auto completeAfter(Work work, Due due) {
    std::unique_lock<std::mutex> lock(guard_);
    auto result = work();
    Batch taken = due() ? takeAllLocked() : Batch{};
    lock.unlock();
    complete(taken, false);
    return result;
  }
  // A closed sibling handle: its waits complete as cancelled.
  void cancelHandle(HANDLE handle);
  // A kernel wait whose cancel routine has run already is left to it.
  void complete(const Batch& waiters, bool cancelled) const;

  static void markSiblingPending(OVERLAPPED* overlapped);
  // The record gets its status (cancelled: the invalid-handle status) before
  // the OVERLAPPED is set, after which the record may go.
  static void completeSibling(OVERLAPPED* overlapped, void* record, bool cancelled, ULONG_PTR bytes);

 private:
  static void cancelRoutine(PlatRequest* request);

  std::mutex& guard_;
  const WaitReply reply_;
  Batch list_;
};

}  // namespace halviksim
