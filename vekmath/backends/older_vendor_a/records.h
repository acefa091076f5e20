// What the back end writes into the older library's board-memory records.
#pragma once
#include <cstdint>

#include <morvel.h>

namespace vekmath {

struct SamplingConfig;

// Microseconds in the board's clock units: 25 ns, less one.
// The scan clock has 16 bits: a period beyond them (or below 0) becomes the
// longest count rather than wrapping into a far faster clock.
uint16_t scanClockCount(int32_t us);
int32_t samplingClockCount(int32_t us);

// The free-running record (mode 4) over cfg's channel list, already 0-based.
XanInpBdMemParamsAbove3 freeRunRecord(const SamplingConfig& cfg);
// The level-trigger record: mode 2 for an event offset of 0 or more,
// mode 3 for one below 0. Levels are given from the zero.
XanInpBdMemParamsModes23 levelRecord(const SamplingConfig& cfg, int32_t zeroOffset);

}  // namespace vekmath
