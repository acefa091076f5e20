#include "ai_trigger.h"

#include <outside/halvikdrv.h>

#include <algorithm>

namespace halviksim {

int32_t knownSignal(int64_t scan, int channel, int bits) {
  const int64_t modulus = int64_t{1} << std::clamp(bits, 1, 31);
  return static_cast<int32_t>((scan + 256 * int64_t{channel}) % modulus);
}

AiTriggerWatch::AiTriggerWatch(const AiCondition& condition, int bits) : condition_(condition), bits_(bits) {}

int64_t AiTriggerWatch::find(int64_t from, int64_t to) {
  if (!armed() || never_ || to <= from) return -1;
  const int64_t period = int64_t{1} << std::clamp(bits_, 1, 31);
  const int64_t need = std::max<int64_t>(condition_.stateTimes, 1);
  const int64_t last = std::min(to, from + 2 * period + 1);
  for (int64_t scan = from; scan < last; ++scan) {
    if (condition_.kind == AiCondition::Kind::Level) {
      if (levelMet(scan)) return scan;
      continue;
    }
    inRow_ = inState(scan) ? inRow_ + 1 : 0;
    if (inRow_ >= need) return scan;
    // A window that holds the whole signal is met after `need` scans,
    // however many that is.
    if (inRow_ > 2 * period) {
      const int64_t at = scan + (need - inRow_);
      if (at < to) return at;
      inRow_ += to - 1 - scan;
      return -1;
    }
  }
  if (last < to) never_ = true;
  return -1;
}

bool AiTriggerWatch::levelMet(int64_t scan) const {
  using namespace halvikdrv::ai;
  if (scan < 1) return false;  // the first scan has none before it
  const int32_t before = knownSignal(scan - 1, condition_.channel, bits_);
  const int32_t now = knownSignal(scan, condition_.channel, bits_);
  const int32_t level = condition_.level;
  const bool rising = before < level && now >= level;
  const bool falling = before > level && now <= level;
  switch (condition_.direction) {
    case kDirectionRising:
      return rising;
    case kDirectionFalling:
      return falling;
    default:
      return rising || falling;
  }
}

bool AiTriggerWatch::inState(int64_t scan) const {
  const int32_t value = knownSignal(scan, condition_.channel, bits_);
  const bool inside = value >= std::min(condition_.level1, condition_.level2) &&
                      value <= std::max(condition_.level1, condition_.level2);
  return condition_.kind == AiCondition::Kind::InRange ? inside : !inside;
}

}  // namespace halviksim
