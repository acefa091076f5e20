// Vendor A's older boards (the older group of the board table) through the
// older library, bound by export ordinal: opened and configured at
// SetupSampling; the board samples into its own memory, and the
// acquisition thread reads it out in whole chunks.
#pragma once
#include <cstdint>

#include <morvel.h>

namespace vekmath {

class BackEnd;
BackEnd& olderVendorABackEnd();

// What the last set-up left for the board-memory start, for inspection.
struct OlderBoardRecords {
  uint16_t mode = 4;  // XanInpBdMem's acquisition mode
  XanInpBdMemParamsAbove3 freeRun{};
  XanInpBdMemParamsModes23 level{};
  XanReadBufParams read{};
};
const OlderBoardRecords& olderBoardRecords();

// The board state the older library reports while its board memory runs.
inline constexpr uint16_t kOlderBoardRunning = 1;
// A board that ended by an error: the thread ends with this code.
inline constexpr int32_t kOlderBoardError = 768;

}  // namespace vekmath
