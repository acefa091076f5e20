// A level-triggered block of a vendor B board: one finite run per block,
// started, waited for and fetched on the caller's thread.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

namespace vekmath {

struct TriggeredBlock;

// The board as the block road sees it: its handle, which a close from a
// handler inside the wait may take away, the trigger point the
// configuration gave it, and the configured block length.
struct VendorBBoardView {
  const std::atomic<HANDLE>& handle;
  uint32_t triggerPoint;
  int32_t blockScans;
};

// The newest min(block.scans, block length) scans of the run go to the
// block, right-aligned: a run that came short leaves its first scans 0.
// 0 or the library's code, its text built.
int32_t readVendorBTriggeredBlock(TriggeredBlock& block, const VendorBBoardView& board);

}  // namespace vekmath
