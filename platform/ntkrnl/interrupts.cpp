// Interrupt lines and interrupt objects. A card only sets its line's level;
// the kernel layer delivers it, never from inside a card's method: after a
// port access, a clock step, or when a thread comes down to DISPATCH_LEVEL.
// One thread at a time delivers a vector; others that find it busy ask it
// to look again. Service routines of a shared vector are called in turn
// until one claims the interrupt, and again while the line stays asserted.
#include <array>
#include <atomic>
#include <mutex>
#include <vector>

#include "irql.h"
#include "machine.h"

struct _KINTERRUPT {
  PKSERVICE_ROUTINE serviceRoutine;
  PVOID serviceContext;
  KSPIN_LOCK ownLock;
  PKSPIN_LOCK lock;
  ULONG vector;
  KIRQL irql;
  KIRQL synchronizeIrql;
  KINTERRUPT_MODE mode;
  bool shared;
};

namespace ntk {

namespace {

// Rounds of one delivery while every routine claims but the line stays up;
// then the line waits for the next look (a stuck card does not hang us).
constexpr int kMaxRounds = 64;

struct Vector {
  std::mutex listMutex;  // held while its routines are called
  std::vector<PKINTERRUPT> list;
  std::atomic<int> connected{0};
  std::atomic<bool> busy{false};
  std::atomic<bool> recheck{false};
};

struct Lines {
  std::array<Vector, kLines> vectors;
  std::atomic<bool> dirty{false};
};

Lines& lines() {
  static auto* l = new Lines;  // lives through static destruction
  return *l;
}

thread_local bool t_delivering = false;

bool callServiceRoutine(PKINTERRUPT interrupt) {
  const KIRQL old = raiseIrql(interrupt->irql);
  acquireRaw(interrupt->lock);
  const BOOLEAN claimed = interrupt->serviceRoutine(interrupt, interrupt->serviceContext);
  releaseRaw(interrupt->lock);
  lowerIrql(old);
  return claimed != FALSE;
}

void deliver(uint32_t line) {
  Vector& v = lines().vectors[line];
  for (;;) {
    if (v.busy.exchange(true, std::memory_order_acquire)) {
      v.recheck.store(true);
      return;
    }
    t_delivering = true;
    do {
      v.recheck.store(false);
      std::lock_guard<std::mutex> lock(v.listMutex);
      for (int round = 0; round < kMaxRounds && !v.list.empty() && lineAsserted(line); ++round) {
        bool claimed = false;
        for (PKINTERRUPT interrupt : v.list) {
          if (callServiceRoutine(interrupt)) {
            claimed = true;
            break;
          }
        }
        if (!claimed) break;
      }
    } while (v.recheck.load());
    t_delivering = false;
    v.busy.store(false, std::memory_order_release);
    // A look asked for between our last check and the release.
    if (!v.recheck.load()) return;
  }
}

}  // namespace

void noteLinesChanged() {
  lines().dirty.store(true);
  kick();
}

bool linesPending() { return lines().dirty.load(); }

void serviceLines() {
  Lines& l = lines();
  if (t_delivering || currentIrql() > DISPATCH_LEVEL) {
    l.dirty.store(true);
    return;
  }
  while (l.dirty.exchange(false)) {
    for (uint32_t line = 0; line < kLines; ++line) {
      if (l.vectors[line].connected.load() > 0) deliver(line);
    }
  }
}

unsigned disconnectWhere(bool (*inModule)(const void*, const void*), const void* context) {
  unsigned count = 0;
  for (Vector& v : lines().vectors) {
    std::vector<PKINTERRUPT> gone;
    {
      std::lock_guard<std::mutex> lock(v.listMutex);
      std::erase_if(v.list, [&](PKINTERRUPT interrupt) {
        if (!inModule(reinterpret_cast<const void*>(interrupt->serviceRoutine), context)) return false;
        gone.push_back(interrupt);
        return true;
      });
      v.connected.fetch_sub(static_cast<int>(gone.size()));
    }
    for (PKINTERRUPT interrupt : gone) delete interrupt;
    count += static_cast<unsigned>(gone.size());
  }
  return count;
}

}  // namespace ntk

NTKRNL_API NTSTATUS NTAPI IoConnectInterrupt(PKINTERRUPT* InterruptObject, PKSERVICE_ROUTINE ServiceRoutine,
                                             PVOID ServiceContext, PKSPIN_LOCK SpinLock, ULONG Vector,
                                             KIRQL Irql, KIRQL SynchronizeIrql, KINTERRUPT_MODE InterruptMode,
                                             BOOLEAN ShareVector, KAFFINITY, BOOLEAN) {
  if (InterruptObject == nullptr || ServiceRoutine == nullptr || Vector < ntk::kVectorBase ||
      Vector >= ntk::kVectorBase + ntk::kLines || SynchronizeIrql < Irql || Irql <= DISPATCH_LEVEL) {
    return STATUS_INVALID_PARAMETER;
  }
  const uint32_t line = Vector - ntk::kVectorBase;
  ntk::Vector& v = ntk::lines().vectors[line];
  auto* interrupt = new _KINTERRUPT{ServiceRoutine, ServiceContext, 0, nullptr, Vector, Irql, SynchronizeIrql,
                                    InterruptMode, ShareVector != FALSE};
  interrupt->lock = SpinLock != nullptr ? SpinLock : &interrupt->ownLock;
  {
    std::lock_guard<std::mutex> lock(v.listMutex);
    for (PKINTERRUPT other : v.list) {
      if (!other->shared || !interrupt->shared || other->mode != InterruptMode) {
        delete interrupt;
        return STATUS_INVALID_PARAMETER;
      }
    }
    v.list.push_back(interrupt);
    v.connected.fetch_add(1);
  }
  *InterruptObject = interrupt;
  // The line may be asserted already.
  ntk::noteLinesChanged();
  ntk::serviceLines();
  return STATUS_SUCCESS;
}

NTKRNL_API VOID NTAPI IoDisconnectInterrupt(PKINTERRUPT InterruptObject) {
  if (InterruptObject == nullptr) return;
  ntk::Vector& v = ntk::lines().vectors[InterruptObject->vector - ntk::kVectorBase];
  {
    std::lock_guard<std::mutex> lock(v.listMutex);
    if (std::erase(v.list, InterruptObject) == 0) return;
    v.connected.fetch_sub(1);
  }
  delete InterruptObject;
}

NTKRNL_API BOOLEAN NTAPI KeSynchronizeExecution(PKINTERRUPT Interrupt, PKSYNCHRONIZE_ROUTINE SynchronizeRoutine,
                                               PVOID SynchronizeContext) {
  const KIRQL old = ntk::raiseIrql(Interrupt->synchronizeIrql);
  ntk::acquireRaw(Interrupt->lock);
  const BOOLEAN result = SynchronizeRoutine(SynchronizeContext);
  ntk::releaseRaw(Interrupt->lock);
  ntk::lowerIrql(old);
  return result;
}
