// The six value bands of the level detection and the order in which a
// sample's band is looked for, chosen by the bands of the two samples
// before it. With ordered limits the bands do not overlap and the order
// only saves comparisons; with crossed limits the first match decides.
#pragma once
#include <array>
#include <cstdint>

#include "arrays/detection.h"

namespace vekmath::bands {

inline constexpr int kBands = 6;  // bands are numbered 1 to 6, from the top

// Band k holds (lowerBound[k], upperBound[k]]; band 1 reaches up to the
// largest finite float and band 6 down to just above its negative.
struct Bounds {
  std::array<float, kBands + 1> above{};  // index 1 to 6: open lower bound
  std::array<float, kBands + 1> upTo{};   // index 1 to 6: closed upper bound
};
Bounds boundsFor(const LevelBand& band);

// The band of the first sample: the chain from the top down; a value no
// band above 6 holds, NaN included, is in band 6.
int firstBand(float value, const Bounds& bounds);

// The band of a later sample: the first band of the row for (band of i-2,
// band of i-1) that holds the value, or previous when none does (an
// infinity, NaN, or the negative largest float and below).
int nextBand(float value, int twoBefore, int previous, const Bounds& bounds);

}  // namespace vekmath::bands
