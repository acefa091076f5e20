// A recording stand-in for the processing library in the monitor's one
// table (the library's own array routines and conversion stay): every call
// is logged in order, ReadBlock hands out a known signal (scan s of channel c is
// s % 1000 * 10 + c, counting scans over the whole run), and a hook lets a
// test act inside the wait as the operator would.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "core/vekmath_calls.h"

namespace orvane::forms::testing {

struct FakeVekmath {
  std::vector<std::string> calls;
  std::vector<LONG> selectedTypes;
  std::string selectedName;
  LONG channels = 0;
  LONG blocksRead = 0;
  LONG scansHandedOut = 0;
  // Status returned by the call of that name (0: success).
  LONG setupStatus = 0, startStatus = 0;
  // ReadBlock fails with failStatus from this block on (0-based; -1 never).
  LONG failFromBlock = -1, failStatus = 30001;
  // ReadBlock waits (pumping) for a block that never comes until stopped.
  bool deliverNothing = false;
  bool stopped = false;
  // The library's last status: SetupSampling sets it afresh, a failure sets
  // it, SetupSampling2 only reports it.
  LONG lastStatus = 0;
  std::function<void(LONG block)> onReadBlock;  // before the block is handed out

  FakeVekmath();
  ~FakeVekmath();
  // The calls whose name starts with prefix, in order.
  std::vector<std::string> CallsOf(const std::string& prefix) const;

  static SHORT Sample(LONG scan, LONG channel) { return static_cast<SHORT>(scan % 1000 * 10 + channel); }

 private:
  core::VekmathCalls calls_;
};

}  // namespace orvane::forms::testing
