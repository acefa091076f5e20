// The live sweep: the strip of the display that one pass of the block
// reader brought in.
#pragma once
#include <cstdint>

#include "acquisition/ring.h"

namespace vekmath {

// Samples in time order that lie in at most two stretches of the ring
// (the second when they run across the ring's end).
struct RingSpan {
  const uint16_t* first = nullptr;
  int64_t firstCount = 0;
  const uint16_t* second = nullptr;
  int64_t count = 0;  // both stretches together
  // The acquisition thread may be writing these samples: read each one
  // through the ring's own access.
  uint16_t operator[](int64_t i) const { return loadSample(i < firstCount ? first[i] : second[i - firstCount]); }
};

// Draws the scans of one pass (whole scans of `channels` samples) at the
// sweep position and moves the sweep on. Draws nothing before the first
// SetupWaveGraph or while the display's scales are unusable.
void drawLiveStrip(const RingSpan& samples, int32_t channels);

}  // namespace vekmath
