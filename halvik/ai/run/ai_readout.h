// The readout shared by the raw and the physical forms.
#pragma once
#include <windows.h>

#include <cstdint>

#include "device_record.h"

namespace halvik::airun {

// Up to *scans scans into data (channels x scans int32 counts); *scans
// becomes the number delivered. 0 or the road's status.
LONG ReadSamples(const DeviceRecord& record, LONG* scans, int32_t* data);
LONG ReadChannelCount(const DeviceRecord& record, int16_t* channels);

}  // namespace halvik::airun
