// Handing a buffer to the driver: the host ring of device buffer mode 1 or
// a caller's buffer for bus-master transfer. A device has one hand-over
// record; its request stays pending while the driver uses the buffer, and
// the record stays valid until that request has completed or been
// cancelled.
#pragma once
#include <windows.h>

#include <cstdint>

#include "device_record.h"

namespace halvik::airun {

inline constexpr LONG kStatusNoBuffer = 11982;  // "It failed in securing a buffer for Bus-Master transfer"

// Hands `words` 32-bit words at `buffer` to the driver (0x22E251 kept
// pending, then the set-up 0x22221C). 0, 11982, or the set-up's status.
LONG HandOverBuffer(DeviceRecord& record, uint16_t index, void* buffer, uint32_t words);

// Whether the driver was handed a buffer that it has not given back.
bool BufferHandedOver(uint16_t index);

// Waits for the driver to give the buffer back (cancelling the request when
// it does not), so nothing writes into it any more.
void TakeBufferBack(DeviceRecord& record, uint16_t index);

// Allocates the ring of the record's size and hands it over; a ring there
// was is freed first.
LONG SetUpHostRing(DeviceRecord& record, uint16_t index);
// Takes the buffer back and frees the ring, if there is one.
void FreeHostRing(DeviceRecord& record, uint16_t index);

// 0x222254: the driver lets go of its buffer.
LONG SendBufferRelease(const DeviceRecord& record);

}  // namespace halvik::airun
