#include "backends/vendor_b/triggered_block.h"

#include <skorra.h>

#include <algorithm>

#include "acquisition/backend.h"
#include "acquisition/ring.h"
#include "backends/vendor_b/status_texts.h"
#include "blocks/read_block.h"

namespace vekmath {
namespace {

constexpr uint32_t kReturnAtOnce = 2;
// The trigger point with which a block starts at the first delivered scan;
// with any other the run's data lands one scan further on in the window.
constexpr uint32_t kFirstScanTriggerPoint = 1;

int32_t failWith(uint32_t code) {
  setVendorBStatusText(code);
  return static_cast<int32_t>(code);
}

}  // namespace

int32_t readVendorBTriggeredBlock(TriggeredBlock& block, const VendorBBoardView& board) {
  block.filled = 0;
  HANDLE h = board.handle.load();
  // Samples of an earlier run would come before this block's.
  (void)SkClearSamplingData(h);
  if (SkResult res = SkStartSampling(h, kReturnAtOnce); res != 0) return failWith(res);
  ring().writeIndex.store(0);
  int32_t state = 0, sampled = 0, unused = 0;
  for (;;) {
    if (SkResult res = SkGetStatus(h, &state, &sampled, &unused); res != 0) return failWith(res);
    if (state == SK_STATE_STOPPED) break;
    pumpOneMessage();
    Sleep(0);
    // Closed from a handler: nothing is left to report on.
    if (board.handle.load() == nullptr) {
      block.writeOutputs = false;
      return 0;
    }
    // A trigger that never comes must not keep the caller here.
    if (ring().stopRequested.load() != 0) return 0;
  }
  // The caller's block is sized for its scans, whatever the block length.
  const int64_t wanted = std::clamp(board.blockScans, 0, block.scans);
  const int32_t skip = board.triggerPoint == kFirstScanTriggerPoint ? 0 : 1;
  int64_t left = std::max(sampled, 0);
  // The board hands its scans out oldest first: all but the newest go,
  // through the window, at most its size at once.
  while (left > wanted) {
    uint32_t count = static_cast<uint32_t>(std::min<int64_t>(left - wanted, block.scans));
    if (SkResult res = SkGetSamplingData(h, block.window, &count); res != 0) return failWith(res);
    if (count == 0) break;
    left -= std::min<int64_t>(count, left);
  }
  uint32_t got = 0;
  if (left > 0) {
    got = static_cast<uint32_t>(std::min(left, wanted));
    if (SkResult res = SkGetSamplingData(h, block.window + int64_t{skip} * block.channels, &got); res != 0) {
      return failWith(res);
    }
    got = std::min<uint32_t>(got, static_cast<uint32_t>(std::min(left, wanted)));
  }
  (void)SkStopSampling(h);
  block.skipped = skip;
  block.filled = static_cast<int32_t>(got);
  block.leading = static_cast<int32_t>(wanted) - block.filled;
  return 0;
}

}  // namespace vekmath
