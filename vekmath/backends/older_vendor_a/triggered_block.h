// A level-triggered block of an older board, acquired in its board memory
// on the caller's thread.
#pragma once
#include <cstdint>

#include "backends/older_vendor_a/older_backend.h"

namespace vekmath {

struct TriggeredBlock;

// Starts the board memory with the level record, waits for the block while
// keeping only the newest block.scans scans there, and reads them into
// block.window. 0 or the library's code, its text built.
int32_t readOlderTriggeredBlock(TriggeredBlock& block, uint32_t handle, OlderBoardRecords& records);

}  // namespace vekmath
