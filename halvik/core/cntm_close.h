// The multi-function counter's notification workers at the device's last
// close (they are the counter family's; the close only ends them).
#pragma once
#include <windows.h>

#include "device_record.h"

namespace halvik {

// Sets both workers' stop words, wakes them and waits for each a bounded
// time, then closes their handles (and the events of those that ended).
// 0, or 10004 when one did not end in time.
LONG EndCntmWorkers(DeviceRecord& record);

}  // namespace halvik
