// Stopping whatever runs on a device, family by family, before it is closed
// or reset.
#pragma once
#include <windows.h>

#include <cstdint>

#include "device_record.h"

namespace halvik {

enum class StopPurpose {
  Close,  // status 7 still shows the running bit
  Reset,  // status 7 (back from standby) counts as not running
};

// Analog input, analog output, counter channels 0 and 1, timers 0 and 1.
// A family that fails does not keep the later ones from being stopped; the
// first failure is returned. A stop is sent under the family's MutexA when
// its event thread is there to hand it over; without a thread it is sent
// at once.
LONG StopRunningFunctions(DeviceRecord& record, StopPurpose purpose);

// How long a family's mutex is waited for, and how long a thread that has
// not made its mutex yet is given to make it.
inline constexpr DWORD kMutexWaitMs = 1000;

}  // namespace halvik
