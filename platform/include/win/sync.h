// Events, mutexes, semaphores and waits.
#pragma once
#include "../windef.h"

#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_ABANDONED_0 0x00000080u
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64

#define SYNCHRONIZE 0x00100000u
#define EVENT_MODIFY_STATE 0x0002u
#define EVENT_ALL_ACCESS 0x001F0003u
#define MUTEX_ALL_ACCESS 0x001F0001u
#define SEMAPHORE_MODIFY_STATE 0x0002u
#define SEMAPHORE_ALL_ACCESS 0x001F0003u

PLATFORM_API HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset,
                                        BOOL bInitialState, LPCSTR lpName);
PLATFORM_API HANDLE WINAPI OpenEventA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR lpName);
PLATFORM_API BOOL WINAPI SetEvent(HANDLE hEvent);
PLATFORM_API BOOL WINAPI ResetEvent(HANDLE hEvent);

PLATFORM_API HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner,
                                        LPCSTR lpName);
PLATFORM_API HANDLE WINAPI OpenMutexA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR lpName);
PLATFORM_API BOOL WINAPI ReleaseMutex(HANDLE hMutex);

PLATFORM_API HANDLE WINAPI CreateSemaphoreA(LPSECURITY_ATTRIBUTES lpSemaphoreAttributes, LONG lInitialCount,
                                            LONG lMaximumCount, LPCSTR lpName);
PLATFORM_API HANDLE WINAPI OpenSemaphoreA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR lpName);
PLATFORM_API BOOL WINAPI ReleaseSemaphore(HANDLE hSemaphore, LONG lReleaseCount, LPLONG lpPreviousCount);

PLATFORM_API DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
PLATFORM_API DWORD WINAPI WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll,
                                                 DWORD dwMilliseconds);

// Critical sections: process-local locks, recursive per thread. The lock
// lives inside the record itself, so initialising one allocates nothing.
typedef struct _CRITICAL_SECTION {
  __attribute__((aligned(8))) BYTE Opaque[40];
} CRITICAL_SECTION, *PCRITICAL_SECTION, *LPCRITICAL_SECTION;

#ifdef __cplusplus
static_assert(sizeof(CRITICAL_SECTION) == 40 && alignof(CRITICAL_SECTION) == 8, "CRITICAL_SECTION as on Win64");
#endif

PLATFORM_API void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
PLATFORM_API BOOL WINAPI InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION lpCriticalSection,
                                                               DWORD dwSpinCount);
PLATFORM_API void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
PLATFORM_API BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
PLATFORM_API void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
PLATFORM_API void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection);

// Interlocked operations: full barriers, as on Windows. Increment and
// Decrement return the new value; the others return the previous one.
static inline LONG InterlockedIncrement(volatile LONG* addend) {
  return __atomic_add_fetch(addend, 1, __ATOMIC_SEQ_CST);
}
static inline LONG InterlockedDecrement(volatile LONG* addend) {
  return __atomic_sub_fetch(addend, 1, __ATOMIC_SEQ_CST);
}
static inline LONG InterlockedExchange(volatile LONG* target, LONG value) {
  return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
static inline LONG InterlockedExchangeAdd(volatile LONG* addend, LONG value) {
  return __atomic_fetch_add(addend, value, __ATOMIC_SEQ_CST);
}
static inline LONG InterlockedCompareExchange(volatile LONG* destination, LONG exchange, LONG comparand) {
  __atomic_compare_exchange_n(destination, &comparand, exchange, 0, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return comparand;
}
static inline PVOID InterlockedExchangePointer(PVOID volatile* target, PVOID value) {
  return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
static inline PVOID InterlockedCompareExchangePointer(PVOID volatile* destination, PVOID exchange,
                                                      PVOID comparand) {
  __atomic_compare_exchange_n(destination, &comparand, exchange, 0, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return comparand;
}
