// Vendor B's boards (the normal mode, and the bus-master mode that the
// board table names) through the Skorra library. The board runs on its own once started:
// no acquisition thread reads it, the block reader polls it instead.
#pragma once
#include <skorra.h>
#include <windows.h>

#include <cstdint>

#include "acquisition/board_table.h"
#include "acquisition/sampling_config.h"

namespace vekmath {

class BackEnd;
BackEnd& vendorBBackEnd();

// The library's "device not found", given when a board does not open: the
// next call would otherwise report a bad handle instead.
inline constexpr uint32_t kVendorBDeviceNotFound = 0xC0000001u;

// The board's handle while it is open, null when closed.
HANDLE vendorBHandle();

// Closes the board and event that ReadBlock2 keeps; its next call sets the
// board up again.
void releaseSingleShot();

// The family's boards in SelectBoardNAME's lists.
class DeviceLists;
void listVendorBDevices(DeviceLists& lists);

// ---- what the configuration writes into the library's records

// The board's master clock, which every bus-master scan frequency divides.
inline constexpr int64_t kVendorBMasterClock = 8000000;

// The smallest divisor of v that is at least `from` (1 at the least), or
// -1 when there is none.
int64_t smallestDivisorFrom(int64_t from, int64_t v);

// A trigger level in counts as volts of the code's full scale.
float levelVolts(double fullScale, int32_t zero, int16_t level);

// Fills the normal-mode record from the configuration; fields that are not
// set keep what the record held.
void fillNormalRecord(SkSamplingConfig& rec, const SamplingConfig& cfg, const BoardTypeInfo& board, int32_t zero);

// Fills the bus-master record; 0, or kStatusClock when no scan frequency
// of the master clock can keep up with channels x rate.
int32_t fillBmRecord(SkBmSamplingConfig& rec, const SamplingConfig& cfg, int32_t zero);

}  // namespace vekmath
