// Start and stop triggers of the simulated analog input: where a condition
// on one channel of the known signal is first met (halvikdrv.h, the
// analog-input triggers).
#pragma once
#include <cstdint>

namespace halviksim {

struct AiCondition {
  enum class Kind { None, Level, InRange, OutRange };
  Kind kind = Kind::None;
  int channel = 0;
  int32_t level = 0;       // Level: a raw count
  int direction = 0;       // Level: halvikdrv::ai::kDirection*
  int32_t level1 = 0;      // windows: the two bounds, in either order
  int32_t level2 = 0;
  int64_t stateTimes = 0;  // windows: scans in a row, at least one
};

// The signal of a device channel at one scan of a run.
int32_t knownSignal(int64_t scan, int channel, int bits);

// Watches one condition scan by scan; a window's run of scans carries over
// from one call to the next.
class AiTriggerWatch {
 public:
  AiTriggerWatch() = default;
  AiTriggerWatch(const AiCondition& condition, int bits);

  bool armed() const { return condition_.kind != AiCondition::Kind::None; }
  // The first scan in [from, to) that meets the condition, -1 when none.
  // Calls cover the scans in order, each going on where the last ended.
  int64_t find(int64_t from, int64_t to);

 private:
  bool levelMet(int64_t scan) const;
  bool inState(int64_t scan) const;

  AiCondition condition_;
  int bits_ = 16;
  int64_t inRow_ = 0;
  bool never_ = false;  // the signal repeats, so a condition missed for two periods is never met
};

}  // namespace halviksim
