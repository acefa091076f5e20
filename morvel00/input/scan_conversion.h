// One scan of the listed channels, converted now on every board of the
// group: what single input does once and background input at every tick.
#pragma once
#include <cstdint>

#include "board_record.h"

namespace morvel00 {

// Starts each board's conversion of its listed channels, waits at most
// `polls` status reads for it to end, and reads the values into `values` by
// list position (read and dropped when `values` is null). False when a
// board's conversion did not end; the boards after it are then left alone.
bool XanConvertScan(XanBoardRecord* rec, uint16_t* values, unsigned polls);

}  // namespace morvel00
