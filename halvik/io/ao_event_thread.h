// The output's event thread of a device: created by the first start,
// parked between runs, woken by the next start, ended by the device's last
// close (or by a failure, when the next start replaces it).
#pragma once
#include <windows.h>

#include <cstdint>

#include "device_record.h"

namespace halvik::aoio {

inline constexpr LONG kStatusThreadFailed = 10005;

// Creates the thread, replacing one that has ended, or wakes a parked one
// (the caller holds its mutex B, see TakeRunEnd). 0, 10005, or -1 when the
// parked thread could not be handed mutex B.
LONG StartOrWakeEventThread(uint16_t index);

// How often the thread has handed the device a wait; WaitUntilArmed waits,
// at most limitMs and watching the thread, for that to change.
uint32_t ArmsSoFar(uint16_t index);
bool WaitUntilArmed(uint16_t index, uint32_t armsBefore, DWORD limitMs);

// Mutex A of a living thread (the thread then does not fetch); false when
// there is none or it was not handed over in time.
bool TakeMutexA(DeviceRecord& record, DWORD limitMs);
// Mutex B, free while the thread is parked, up to limitMs. True when the
// caller holds it now or there is no living thread; `held` tells whether
// ReleaseMutex is owed.
bool TakeRunEnd(DeviceRecord& record, DWORD limitMs, bool* held);

DWORD WINAPI AoEventThread(void* param);

}  // namespace halvik::aoio
