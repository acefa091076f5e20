// The sampling clock of the normal and bus-master records: its code for
// the board's clock kind, and its frequency read back.
#pragma once
#include <cstdint>

#include "library.h"

namespace skorra {

// The clock code of a frequency for the board's clock kind; 255 from the
// fixed table, or -1.0 on the two-stage divider, is refused.
bool clockCodeOf(float f, uint32_t kind, uint32_t& code);

// The frequency of a clock code read back when none is remembered;
// `remember` is set for the codes of the fixed frequencies.
float clockFrequencyOf(uint32_t code, uint32_t kind, bool& remember);

// The frequency a read-back reports: the last accepted one, else that of
// the code the driver holds, kept in the slot when it is a fixed one.
// Called under the library lock.
float readBackClockFrequency(DeviceSlot& s, uint32_t code, uint32_t kind);

}  // namespace skorra
