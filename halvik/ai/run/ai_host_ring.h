// The host ring of device buffer mode 1: a block of the library's that the
// driver fills with 16-bit entries (halvikdrv.h), read from the device's
// read position on. Every field of the ring in the record is read and
// written inside the library's input lock (Library().lock).
#pragma once
#include <windows.h>

#include <cstdint>

#include "device_record.h"

namespace halvik::airun {

inline constexpr LONG kStatusNotOnThisDevice = 20001;  // "This function can't be used by this device."

// Where the driver stands in the ring.
struct RingPosition {
  int32_t word = 0;  // the transfer count
  int32_t lap = 0;
};

// Whether the device's samples go to its host ring now.
bool HostRingInUse(const DeviceRecord& record);

// 0x22223C (and 0x222240 when lap is wanted); 0 or the driver's status.
LONG ReadRingPosition(const DeviceRecord& record, RingPosition* position, bool withLap);

// Scans stored from the read position up to the driver's write position,
// or, with `overrun`, the whole ring; -1 when the channel count is one the
// ring cannot hold. Inside the lock.
int64_t RingScansLocked(const DeviceRecord& record, int16_t channels, int32_t writeWord, bool overrun);

// The sampling count of a device in host-ring mode: 0 or a status; an
// unusable channel count writes 0 and gives 20001.
LONG HostRingSamplingCount(const DeviceRecord& record, LONG* scans);

// The readout from the ring: up to *scans scans (channels x scans values of
// the low 12 bits), *scans becoming the number delivered; 21580 when fewer
// were stored, 21585 when the ring overran and fewer fit, 21584 when none.
LONG ReadHostRing(DeviceRecord& record, LONG* scans, int32_t* data);

// The size in bytes the next ring is allocated with.
void SetHostRingSize(DeviceRecord& record, uint32_t bytes);

// Clears the read position for a new run.
void RewindHostRing(DeviceRecord& record);

}  // namespace halvik::airun
