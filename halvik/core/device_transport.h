// The steps of opening and closing that depend on the device's road: the
// transport handle, and the registration of this process with the device.
#pragma once
#include <windows.h>

#include <cstdint>

#include "device_record.h"

namespace halvik {

inline constexpr LONG kStatusOpenFailed = 10003;  // "the device can't be opened"
inline constexpr LONG kStatusCloseFailed = 10004;
inline constexpr LONG kStatusNoDeviceInfoFound = 20032;
inline constexpr LONG kStatusFirmwareTooOld = 20035;
inline constexpr WORD kMinimumFirmware = 110;

// Opens the record's transport into Handle: 0, or 10003 (Handle stays -1).
LONG OpenTransport(DeviceRecord& record);
// Closes Handle when it is not -1 and sets it to -1 whatever the result:
// 0, 10004 for a failed kernel close, or the sibling's result.
LONG CloseTransport(DeviceRecord& record);

// Registers this process with the device (open request and, on the bus
// roads, the device checks): 0 or the first failure.
LONG RegisterProcess(DeviceRecord& record, uint16_t index);
// Releases this process (close request): 0 or the failure.
LONG ReleaseProcess(DeviceRecord& record, uint16_t index);

}  // namespace halvik
