// The detections behind DetectPeaks and DetectLevelEvents, bounded by the
// capacity of the caller's position arrays: a caller whose arrays are
// shorter than the trace passes their length and never has them overrun.
// Counts never exceed the capacity; events past it are dropped.
#pragma once
#include <cstdint>

namespace vekmath {

// One output list: positions and their count, never more than capacity.
struct PositionList {
  float* positions;
  int32_t capacity;
  int32_t count = 0;  // events kept, including any dropped for capacity

  void append(int32_t index) {
    if (count < capacity) positions[count] = static_cast<float>(index);
    ++count;
  }
  void removeLast() {
    if (count > 0) --count;
  }
  int32_t stored() const { return count < capacity ? count : capacity; }
};

void detectPeaks(PositionList& peaks, PositionList& valleys, const float* data, int32_t n, float h);

struct LevelBand {
  float level, width, upper, lower;
};
void detectLevelEvents(PositionList& ups, PositionList& downs, const float* data, int32_t n, const LevelBand& band);

}  // namespace vekmath
