// The polling thread of device buffer mode 1: every millisecond it looks
// at the host ring, tells the driver and the application when the stored
// count reaches the event sampling times or the ring overran, and parks on
// mutex C between runs.
#pragma once
#include <windows.h>

#include <cstdint>

#include "device_record.h"

namespace halvik::airun {

// Creates the thread, or wakes a parked one (the caller holds its mutex C,
// see TakePollEnd); a thread that has ended is replaced. 0, 10005, or -1
// when the parked thread could not be handed mutex C.
LONG StartOrWakePollThread(uint16_t index);

// Waits, at most `limitMs` and watching the thread, until it has taken
// mutex C since `takesBefore` (PollTakesSoFar before the wake).
uint32_t PollTakesSoFar(uint16_t index);
bool WaitUntilPolling(uint16_t index, uint32_t takesBefore, DWORD limitMs);

// Waits for mutex C (held by the thread while a run goes) up to `limitMs`.
// True when it is held by the caller now, or when there is no polling
// thread; `held` tells whether ReleaseMutex is owed.
bool TakePollEnd(DeviceRecord& record, DWORD limitMs, bool* held);

// The event thread, before it reports the end of a run: waits until the
// polling thread has seen the run stop, at most `limitMs`, and not for a
// polling thread that is gone. EndPollRound then makes ready for the next.
void WaitForPollRound(DeviceRecord& record, DWORD limitMs);
void EndPollRound(DeviceRecord& record);

// The thread's body; `param` points at the record's ThreadParam.
DWORD WINAPI AiEventThread2(void* param);

}  // namespace halvik::airun
