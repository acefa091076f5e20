// The step of opening and resetting that asks the board table whether the
// model's input runs in the device-buffer mode, and switches it on.
#pragma once
#include <windows.h>

#include "device_record.h"

namespace halvik {

inline constexpr short kInfoAiDeviceBuffer = 10016;

// The board table knows the model registered as "Demo" by its row name.
const char* BoardTableModelName(const DeviceRecord& record);

// 0, or the board table's status (10000 for a model it does not know).
LONG ApplyDeviceBufferMode(const DeviceRecord& record);

// The close's part of the input family: the driver gives back the buffer it
// was handed (the host ring, which is then freed, or a caller's). 0.
LONG ReleaseAiHostBuffer(DeviceRecord& record, uint16_t index);

}  // namespace halvik
