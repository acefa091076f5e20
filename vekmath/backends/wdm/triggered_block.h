// A level-triggered block of a WDM board: the device's stop trigger ends
// the input, and the caller's thread waits for it and fetches the block.
#pragma once
#include <windows.h>

#include <cstdint>

namespace vekmath {

struct TriggeredBlock;

// The read buffer the fetches go through, and the values written to it so
// far (what a close clears).
struct WdmReadBuffer {
  LONG* values;
  int32_t size;
  int32_t& used;
};

// Starts the input when it does not run, waits until the stop trigger has
// ended it (or a stop is asked for), keeping only the newest scans on the
// device, and places the newest block in block.window. 0 or Halvik's
// code, its text built.
int32_t readWdmTriggeredBlock(TriggeredBlock& block, short id, const WdmReadBuffer& buffer);

}  // namespace vekmath
