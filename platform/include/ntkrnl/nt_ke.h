// Kernel synchronisation and deferred work: spin locks, fast mutexes, DPCs,
// timers, interrupt objects and delays.
//
// DPCs and timers run on the kernel layer's worker thread in the threaded
// clock mode, and only inside plat::bus::Advance in the manual mode. Timer
// due times are in the simulated machine's time (plat::bus::Now).
#pragma once
#include "nt_base.h"

// --- IRQL and spin locks --------------------------------------------------
typedef ULONG_PTR KSPIN_LOCK;
typedef KSPIN_LOCK* PKSPIN_LOCK;

NTKRNL_API KIRQL NTAPI KeGetCurrentIrql(void);
NTKRNL_API VOID NTAPI KeInitializeSpinLock(PKSPIN_LOCK SpinLock);
// Raises to DISPATCH_LEVEL; OldIrql receives the level to restore.
NTKRNL_API VOID NTAPI KeAcquireSpinLock(PKSPIN_LOCK SpinLock, PKIRQL OldIrql);
NTKRNL_API VOID NTAPI KeReleaseSpinLock(PKSPIN_LOCK SpinLock, KIRQL NewIrql);
// For callers already at DISPATCH_LEVEL (DPCs).
NTKRNL_API VOID NTAPI KeAcquireSpinLockAtDpcLevel(PKSPIN_LOCK SpinLock);
NTKRNL_API VOID NTAPI KeReleaseSpinLockFromDpcLevel(PKSPIN_LOCK SpinLock);

// --- Fast mutexes (passive-level, not recursive) ----------------------------
typedef struct _FAST_MUTEX {
  LONG Count;  // 0 free, 1 held, 2 held with waiters
  PVOID Owner;
  ULONG Contention;
  KIRQL OldIrql;
} FAST_MUTEX, *PFAST_MUTEX;

NTKRNL_API VOID NTAPI ExInitializeFastMutex(PFAST_MUTEX FastMutex);
NTKRNL_API VOID NTAPI ExAcquireFastMutex(PFAST_MUTEX FastMutex);
NTKRNL_API VOID NTAPI ExReleaseFastMutex(PFAST_MUTEX FastMutex);

// --- DPCs -----------------------------------------------------------------
struct _KDPC;
typedef VOID (*PKDEFERRED_ROUTINE)(struct _KDPC* Dpc, PVOID DeferredContext, PVOID SystemArgument1,
                                   PVOID SystemArgument2);

typedef struct _KDPC {
  UCHAR Type;
  UCHAR Importance;
  UCHAR Inserted;  // owned by the kernel layer while queued
  PKDEFERRED_ROUTINE DeferredRoutine;
  PVOID DeferredContext;
  PVOID SystemArgument1;
  PVOID SystemArgument2;
} KDPC, *PKDPC, *PRKDPC;

NTKRNL_API VOID NTAPI KeInitializeDpc(PRKDPC Dpc, PKDEFERRED_ROUTINE DeferredRoutine, PVOID DeferredContext);
// FALSE when the DPC is queued already (the arguments are then kept).
NTKRNL_API BOOLEAN NTAPI KeInsertQueueDpc(PRKDPC Dpc, PVOID SystemArgument1, PVOID SystemArgument2);
// TRUE when the DPC was queued and is now taken off the queue.
NTKRNL_API BOOLEAN NTAPI KeRemoveQueueDpc(PRKDPC Dpc);
// Returns when no DPC runs any more and, in the threaded mode, the queue is
// empty; in the manual mode queued DPCs stay queued for the next Advance.
NTKRNL_API VOID NTAPI KeFlushQueuedDpcs(void);

// --- Timers (one-shot) ------------------------------------------------------
typedef struct _KTIMER {
  LONG SignalState;
  UCHAR Inserted;  // owned by the kernel layer
  ULONGLONG DueTime;  // machine nanoseconds, while inserted
  ULONGLONG Sequence;
  PKDPC Dpc;
} KTIMER, *PKTIMER, *PRKTIMER;

NTKRNL_API VOID NTAPI KeInitializeTimer(PKTIMER Timer);
// DueTime < 0: relative, in 100 ns units; >= 0: absolute machine time in
// 100 ns units. TRUE when the timer was set already (it is then re-set).
NTKRNL_API BOOLEAN NTAPI KeSetTimer(PKTIMER Timer, LARGE_INTEGER DueTime, PKDPC Dpc);
// TRUE when the timer was set and is now cancelled.
NTKRNL_API BOOLEAN NTAPI KeCancelTimer(PKTIMER Timer);

// --- Delays -----------------------------------------------------------------
// Threaded mode: sleeps for the interval (< 0: relative 100 ns units).
// Manual mode: returns at once, as time stands still until the test moves it.
NTKRNL_API NTSTATUS NTAPI KeDelayExecutionThread(KPROCESSOR_MODE WaitMode, BOOLEAN Alertable,
                                                 PLARGE_INTEGER Interval);

// --- Interrupt objects ------------------------------------------------------
typedef struct _KINTERRUPT KINTERRUPT, *PKINTERRUPT;
typedef BOOLEAN (*PKSERVICE_ROUTINE)(PKINTERRUPT Interrupt, PVOID ServiceContext);
typedef BOOLEAN (*PKSYNCHRONIZE_ROUTINE)(PVOID SynchronizeContext);
typedef enum _KINTERRUPT_MODE { LevelSensitive = 0, Latched = 1 } KINTERRUPT_MODE;

// Runs the routine with the interrupt's spin lock held at its synchronise
// level, so its service routine cannot run meanwhile; returns its result.
NTKRNL_API BOOLEAN NTAPI KeSynchronizeExecution(PKINTERRUPT Interrupt, PKSYNCHRONIZE_ROUTINE SynchronizeRoutine,
                                               PVOID SynchronizeContext);
