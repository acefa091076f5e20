#include "device_buffer_step.h"

#include <halvik.h>

#include <cstdint>
#include <cstring>

namespace halvik {

const char* BoardTableModelName(const DeviceRecord& record) {
  return std::strcmp(record.ModelName, "Demo") == 0 ? "Demo Device" : record.ModelName;
}

LONG ApplyDeviceBufferMode(const DeviceRecord& record) {
  // Zeroed wide enough for either width the table writes.
  int32_t mode = 0;
  if (LONG status = XanGetDeviceInfo(BoardTableModelName(record), kInfoAiDeviceBuffer, &mode, nullptr, nullptr))
    return status;
  if (static_cast<int16_t>(mode) == 2) XanSetAiDeviceBufferMode(record.Id, 1);  // its result is not looked at
  return 0;
}

}  // namespace halvik
