// The analog-input event thread of a device: created by the first start,
// parked between runs, woken by the next start, ended by the device's close.
#pragma once
#include <windows.h>

#include <cstdint>

#include "device_record.h"

namespace halvik::airun {

inline constexpr LONG kStatusThreadFailed = 10005;  // "Failed in the creation of the thread"

// Creates the thread, or wakes a parked one; a thread that has ended is
// replaced. The caller holds mutex B of a parked thread (see TakeRunEnd).
// 0, 10005, or -1 when the parked thread could not be handed mutex B.
LONG StartOrWakeEventThread(uint16_t index);

// Waits, at most `limitMs` and watching the thread, until the thread has
// handed the device a wait for its events since `armsBefore` (taken with
// ArmsSoFar before the wake). false when the thread ended or never armed.
uint32_t ArmsSoFar(uint16_t index);
bool WaitUntilArmed(uint16_t index, uint32_t armsBefore, DWORD limitMs);

// Takes mutex A of a living thread (the thread then does not fetch); false
// when there is no thread or it did not hand A over in time.
bool TakeMutexA(DeviceRecord& record, DWORD limitMs);

// Waits for mutex B (held by the thread while a run goes) up to `limitMs`.
// True when it is held by the caller now, or when there is no mutex B.
// `held` tells whether ReleaseMutex is owed.
bool TakeRunEnd(DeviceRecord& record, DWORD limitMs, bool* held);

// Calls the device's callback or posts to its window (neither 0 nor -1 is
// one) and traces it under the thread's name.
void RaiseAiEvent(const DeviceRecord& record, const char* thread, UINT message, const char* name, int32_t lParam);

// The thread's body; `param` points at the record's ThreadParam.
DWORD WINAPI AiEventThread(void* param);

// Handle fields the thread writes while exports read them.
template <class T>
T load(T& field) {
  return __atomic_load_n(&field, __ATOMIC_ACQUIRE);
}
template <class T>
void store(T& field, T value) {
  __atomic_store_n(&field, value, __ATOMIC_RELEASE);
}

}  // namespace halvik::airun
