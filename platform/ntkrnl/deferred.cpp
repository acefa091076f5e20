// DPCs and timers. The DPC queue is one list for the machine (one
// processor); a DPC is queued at most once. Timers are one-shot and ordered
// by due time, then by the order they were set.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <map>
#include <utility>

#include "irql.h"
#include "machine.h"

namespace ntk {

namespace {

// The routine is kept beside each entry, so that what an unloaded driver
// left can be found without reading its (perhaps freed) objects.
using TimerKey = std::pair<uint64_t, uint64_t>;  // due, sequence
struct TimerEntry {
  PKTIMER timer;
  const void* routine;
};
struct QueuedDpc {
  PKDPC dpc;
  const void* routine;
};

struct Deferred {
  std::mutex mutex;
  std::condition_variable idle;
  std::deque<QueuedDpc> queue;
  int running = 0;
  std::map<TimerKey, TimerEntry> timers;
  uint64_t sequence = 0;
};

Deferred& deferred() {
  static auto* d = new Deferred;  // lives through static destruction
  return *d;
}

// Needs d.mutex.
bool insertLocked(Deferred& d, PKDPC dpc, PVOID argument1, PVOID argument2) {
  if (dpc->Inserted) return false;
  dpc->Inserted = 1;
  dpc->SystemArgument1 = argument1;
  dpc->SystemArgument2 = argument2;
  d.queue.push_back({dpc, reinterpret_cast<const void*>(dpc->DeferredRoutine)});
  return true;
}

uint64_t saturatingAdd(uint64_t a, uint64_t b) { return b > UINT64_MAX - a ? UINT64_MAX : a + b; }

uint64_t saturatingHundreds(uint64_t units) { return units > UINT64_MAX / 100 ? UINT64_MAX : units * 100; }

uint64_t dueFrom(LARGE_INTEGER dueTime) {
  if (dueTime.QuadPart < 0) {
    const uint64_t units = static_cast<uint64_t>(-(dueTime.QuadPart + 1)) + 1;
    return saturatingAdd(now(), saturatingHundreds(units));
  }
  return saturatingHundreds(static_cast<uint64_t>(dueTime.QuadPart));
}

}  // namespace

std::optional<uint64_t> earliestTimer() {
  Deferred& d = deferred();
  std::lock_guard<std::mutex> lock(d.mutex);
  if (d.timers.empty()) return std::nullopt;
  return d.timers.begin()->first.first;
}

bool fireDueTimers(uint64_t nowNs) {
  Deferred& d = deferred();
  bool fired = false;
  std::lock_guard<std::mutex> lock(d.mutex);
  while (!d.timers.empty() && d.timers.begin()->first.first <= nowNs) {
    PKTIMER timer = d.timers.begin()->second.timer;
    d.timers.erase(d.timers.begin());
    timer->Inserted = 0;
    timer->SignalState = 1;
    if (timer->Dpc != nullptr) {
      insertLocked(d, timer->Dpc, reinterpret_cast<PVOID>(static_cast<uintptr_t>(timer->DueTime & 0xFFFFFFFFu)),
                   reinterpret_cast<PVOID>(static_cast<uintptr_t>(timer->DueTime >> 32)));
    }
    fired = true;
  }
  return fired;
}

bool runQueuedDpcs() {
  Deferred& d = deferred();
  bool ran = false;
  for (;;) {
    KDPC copy;
    PKDPC dpc = nullptr;
    {
      std::lock_guard<std::mutex> lock(d.mutex);
      if (d.queue.empty()) break;
      dpc = d.queue.front().dpc;
      d.queue.pop_front();
      dpc->Inserted = 0;
      copy = *dpc;
      ++d.running;
    }
    const KIRQL old = raiseIrql(DISPATCH_LEVEL);
    if (copy.DeferredRoutine != nullptr) {
      copy.DeferredRoutine(dpc, copy.DeferredContext, copy.SystemArgument1, copy.SystemArgument2);
    }
    lowerIrql(old);
    {
      std::lock_guard<std::mutex> lock(d.mutex);
      --d.running;
    }
    d.idle.notify_all();
    serviceLines();
    ran = true;
  }
  return ran;
}

bool dpcsQueued() {
  Deferred& d = deferred();
  std::lock_guard<std::mutex> lock(d.mutex);
  return !d.queue.empty();
}

void removeWhere(bool (*inModule)(const void*, const void*), const void* context, unsigned& timers,
                 unsigned& dpcs) {
  Deferred& d = deferred();
  std::lock_guard<std::mutex> lock(d.mutex);
  for (auto it = d.timers.begin(); it != d.timers.end();) {
    if (inModule(it->second.routine, context)) {
      it = d.timers.erase(it);
      ++timers;
    } else {
      ++it;
    }
  }
  std::erase_if(d.queue, [&](const QueuedDpc& q) {
    if (!inModule(q.routine, context)) return false;
    ++dpcs;
    return true;
  });
}

}  // namespace ntk

NTKRNL_API VOID NTAPI KeInitializeDpc(PRKDPC Dpc, PKDEFERRED_ROUTINE DeferredRoutine, PVOID DeferredContext) {
  *Dpc = KDPC{};
  Dpc->DeferredRoutine = DeferredRoutine;
  Dpc->DeferredContext = DeferredContext;
}

NTKRNL_API BOOLEAN NTAPI KeInsertQueueDpc(PRKDPC Dpc, PVOID SystemArgument1, PVOID SystemArgument2) {
  ntk::Deferred& d = ntk::deferred();
  bool inserted = false;
  {
    std::lock_guard<std::mutex> lock(d.mutex);
    inserted = ntk::insertLocked(d, Dpc, SystemArgument1, SystemArgument2);
  }
  if (inserted) ntk::kick();
  return inserted ? TRUE : FALSE;
}

NTKRNL_API BOOLEAN NTAPI KeRemoveQueueDpc(PRKDPC Dpc) {
  ntk::Deferred& d = ntk::deferred();
  {
    std::lock_guard<std::mutex> lock(d.mutex);
    if (!Dpc->Inserted) return FALSE;
    std::erase_if(d.queue, [&](const ntk::QueuedDpc& q) { return q.dpc == Dpc; });
    Dpc->Inserted = 0;
  }
  d.idle.notify_all();
  return TRUE;
}

NTKRNL_API VOID NTAPI KeFlushQueuedDpcs(void) {
  // From a DPC this would wait for itself.
  if (ntk::currentIrql() >= DISPATCH_LEVEL) return;
  ntk::Deferred& d = ntk::deferred();
  const bool threaded = plat::bus::GetClockMode() == plat::bus::ClockMode::Threaded;
  if (threaded) ntk::kick();
  std::unique_lock<std::mutex> lock(d.mutex);
  d.idle.wait(lock, [&] { return d.running == 0 && (!threaded || d.queue.empty()); });
}

NTKRNL_API VOID NTAPI KeInitializeTimer(PKTIMER Timer) { *Timer = KTIMER{}; }

NTKRNL_API BOOLEAN NTAPI KeSetTimer(PKTIMER Timer, LARGE_INTEGER DueTime, PKDPC Dpc) {
  ntk::Deferred& d = ntk::deferred();
  const uint64_t due = ntk::dueFrom(DueTime);
  bool wasSet = false;
  bool earliest = false;
  {
    std::lock_guard<std::mutex> lock(d.mutex);
    if (Timer->Inserted) {
      d.timers.erase({Timer->DueTime, Timer->Sequence});
      wasSet = true;
    }
    Timer->DueTime = due;
    Timer->Sequence = ++d.sequence;
    Timer->Dpc = Dpc;
    Timer->SignalState = 0;
    Timer->Inserted = 1;
    const void* routine = Dpc != nullptr ? reinterpret_cast<const void*>(Dpc->DeferredRoutine) : nullptr;
    auto placed = d.timers.emplace(ntk::TimerKey{due, Timer->Sequence}, ntk::TimerEntry{Timer, routine}).first;
    earliest = placed == d.timers.begin();
  }
  if (earliest) ntk::kick();
  return wasSet ? TRUE : FALSE;
}

NTKRNL_API BOOLEAN NTAPI KeCancelTimer(PKTIMER Timer) {
  ntk::Deferred& d = ntk::deferred();
  std::lock_guard<std::mutex> lock(d.mutex);
  if (!Timer->Inserted) return FALSE;
  d.timers.erase({Timer->DueTime, Timer->Sequence});
  Timer->Inserted = 0;
  return TRUE;
}
