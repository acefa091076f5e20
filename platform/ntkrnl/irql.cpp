// Interrupt request levels and spin locks. A spin lock is one word in the
// driver's memory; waiting spins a little, then yields, since the holder may
// be a preempted thread rather than another processor.
#include "irql.h"

#include <atomic>
#include <thread>

#include "machine.h"

namespace ntk {

namespace {
thread_local KIRQL t_irql = PASSIVE_LEVEL;
}

KIRQL currentIrql() { return t_irql; }

KIRQL raiseIrql(KIRQL level) {
  KIRQL old = t_irql;
  if (level > old) t_irql = level;
  return old;
}

void lowerIrql(KIRQL level) {
  const bool cameDown = t_irql > DISPATCH_LEVEL && level <= DISPATCH_LEVEL;
  t_irql = level;
  if (cameDown) serviceLines();
}

void acquireRaw(PKSPIN_LOCK lock) {
  std::atomic_ref<ULONG_PTR> word(*lock);
  for (;;) {
    ULONG_PTR expected = 0;
    if (word.compare_exchange_weak(expected, 1, std::memory_order_acquire, std::memory_order_relaxed)) return;
    for (int i = 0; i < 64 && word.load(std::memory_order_relaxed) != 0; ++i) __builtin_ia32_pause();
    if (word.load(std::memory_order_relaxed) != 0) std::this_thread::yield();
  }
}

void releaseRaw(PKSPIN_LOCK lock) { std::atomic_ref<ULONG_PTR>(*lock).store(0, std::memory_order_release); }

}  // namespace ntk

NTKRNL_API KIRQL NTAPI KeGetCurrentIrql(void) { return ntk::currentIrql(); }

NTKRNL_API VOID NTAPI KeInitializeSpinLock(PKSPIN_LOCK SpinLock) { *SpinLock = 0; }

NTKRNL_API VOID NTAPI KeAcquireSpinLock(PKSPIN_LOCK SpinLock, PKIRQL OldIrql) {
  *OldIrql = ntk::raiseIrql(DISPATCH_LEVEL);
  ntk::acquireRaw(SpinLock);
}

NTKRNL_API VOID NTAPI KeReleaseSpinLock(PKSPIN_LOCK SpinLock, KIRQL NewIrql) {
  ntk::releaseRaw(SpinLock);
  ntk::lowerIrql(NewIrql);
}

NTKRNL_API VOID NTAPI KeAcquireSpinLockAtDpcLevel(PKSPIN_LOCK SpinLock) { ntk::acquireRaw(SpinLock); }

NTKRNL_API VOID NTAPI KeReleaseSpinLockFromDpcLevel(PKSPIN_LOCK SpinLock) { ntk::releaseRaw(SpinLock); }

// The fast mutex: 0 free, 1 held, 2 held with a waiter (who sleeps on the
// word itself).
NTKRNL_API VOID NTAPI ExInitializeFastMutex(PFAST_MUTEX FastMutex) { *FastMutex = FAST_MUTEX{}; }

NTKRNL_API VOID NTAPI ExAcquireFastMutex(PFAST_MUTEX FastMutex) {
  const KIRQL old = ntk::raiseIrql(APC_LEVEL);
  std::atomic_ref<LONG> count(FastMutex->Count);
  LONG seen = 0;
  if (!count.compare_exchange_strong(seen, 1, std::memory_order_acquire)) {
    std::atomic_ref<ULONG>(FastMutex->Contention).fetch_add(1, std::memory_order_relaxed);
    if (seen != 2) seen = count.exchange(2, std::memory_order_acquire);
    while (seen != 0) {
      count.wait(2, std::memory_order_relaxed);
      seen = count.exchange(2, std::memory_order_acquire);
    }
  }
  FastMutex->OldIrql = old;
  FastMutex->Owner = &ntk::t_irql;  // the holding thread
}

NTKRNL_API VOID NTAPI ExReleaseFastMutex(PFAST_MUTEX FastMutex) {
  const KIRQL old = FastMutex->OldIrql;
  FastMutex->Owner = nullptr;
  std::atomic_ref<LONG> count(FastMutex->Count);
  if (count.exchange(0, std::memory_order_release) == 2) count.notify_one();
  ntk::lowerIrql(old);
}
